#include "entry_data.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/vb.h"
#include "db/adodb.h"
#include "db/table_checks.h"

namespace {

QString text(const AdoRecordset& rs, const QString& name) { return csNullToStr(rs[name]); }
long number(const AdoRecordset& rs, const QString& name) { return nNullToLong(rs[name]); }

// The month of a "yyyy/mm/01" text; no date when it is none.
QDate monthDateOf(const QString& month)
{
    const auto d = vb::toDate(month);
    return d ? d->date() : QDate();
}

// The symptoms of the user master, or with the "_16" columns those of the month's entry.
EntrySymptoms entrySymptoms(const AdoRecordset& rs, bool otherFromEntry, bool mahiFromEntry)
{
    const QString m = mahiFromEntry ? QStringLiteral("_16") : QString();
    const QString o = otherFromEntry ? QStringLiteral("_16") : QString();
    EntrySymptoms s;
    s.mahi = number(rs, QStringLiteral("iMahi") + m) == 1;
    s.koushuku = number(rs, QStringLiteral("iKoushuku") + m) == 1;
    s.otherTick = number(rs, QStringLiteral("iSyoujouSonota") + o) == 1;
    s.other = vb::trim(text(rs, QStringLiteral("cSyoujouSonota") + o));
    return s;
}

EntryEvaluation entryEvaluation(const AdoRecordset& rs)
{
    EntryEvaluation e;
    const char* const columns[] = {"iNegaeri", "iOkiagari", "iZai", "iTachiagari", "iRitsui"};
    for (size_t i = 0; i < 5; ++i)
        e.movements[i] = number(rs, QString::fromLatin1(columns[i]));
    e.henka = number(rs, QStringLiteral("iZenkaiHyoukaHenaka"));
    e.nrs = static_cast<short>(number(rs, QStringLiteral("iNRS")));
    return e;
}

EntryStaff certifierOf(const AdoRecordset& rs)
{
    return {number(rs, QStringLiteral("nStaffID")), text(rs, QStringLiteral("cSTAFFName"))};
}

// The consent record's diagnoses; nothing when there is none.
EntryDiagnoses diagnosesOf(const DouiRecord& d)
{
    EntryDiagnoses out;
    if (d.status != 0)
        return out;
    out.massage = d.byoumeiM;
    for (size_t i = 0; i < 7; ++i)
        out.acupuncture[i] = d.syouByo[i];
    out.acupunctureOther = d.byoumeiH;
    return out;
}

// The diagnoses of the user master: the seven flags where they exist, else the one code.
EntryDiagnoses masterDiagnoses(const AdoRecordset& rs, const QString& byoumei)
{
    EntryDiagnoses out;
    out.massage = byoumei;
    if (iHasHKSyobyou07Flg == 1) {
        out.acupuncture[0] = number(rs, QStringLiteral("iHKSyobyou07Flg"));
        for (int i = 1; i <= 6; ++i)
            out.acupuncture[static_cast<size_t>(i)] = number(rs, QStringLiteral("iHKSyobyou0%1Flg").arg(i));
        out.acupunctureOther = vb::trim(text(rs, QStringLiteral("cHKSyobyouName")));
        return out;
    }
    const long code = number(rs, QStringLiteral("nHKSyobyouCd"));
    if (code == 1) {
        out.acupuncture[0] = 1;
        out.acupunctureOther = text(rs, QStringLiteral("cHKSyobyouName"));
    } else if (code >= 2 && code <= 7) {
        out.acupuncture[static_cast<size_t>(code - 1)] = 1;
    }
    return out;
}

// The treatment count of the month; in the anniversary month it runs from the anniversary day.
std::optional<short> monthCount(const AdoRecordset& rs, long userId, const QDate& monthDate, const QString& syoryo)
{
    std::optional<short> count = static_cast<short>(number(rs, QStringLiteral("施術回数")));
    if (const auto first = vb::toDate(syoryo); !syoryo.isEmpty() && first) {
        const QDate anniversary = vb::dateAddMonths(first->date(), 12);
        if (vb::format(monthDate, QStringLiteral("yyyy/mm")) == vb::format(anniversary, QStringLiteral("yyyy/mm")))
            count = iCountJissekiFromDay(userId, vb::format(anniversary, QStringLiteral("yyyy/mm/dd")));
    }
    return count;
}

} // namespace

MonthEntryData monthEntryData(const AdoRecordset& rs, long userId, const QString& month)
{
    const QDate monthDate = monthDateOf(month);
    const QString era = QStringLiteral("gggee年m月d日");
    MonthEntryData d;
    d.kind = static_cast<short>(number(rs, QStringLiteral("iSejutsuKubun")));
    d.userNo = number(rs, QStringLiteral("患者IDNo"));
    const QString syoryo = vb::trim(text(rs, QStringLiteral("tSyoryoDay")));
    d.count = monthCount(rs, userId, monthDate, syoryo);
    d.areas = iLoadSejutuBui(userId, vb::format(monthDate, QStringLiteral("yyyy/mm/dd")));
    d.name = text(rs, QStringLiteral("cName"));
    d.kana = text(rs, QStringLiteral("cNameKana"));
    d.sex = number(rs, QStringLiteral("iSex"));
    d.birthday = vb::trim(text(rs, QStringLiteral("tBirthDay")));
    if (!d.birthday.isEmpty())
        d.birthdayText = vb::formatValue(rs[QStringLiteral("tBirthDay")], era);
    if (!syoryo.isEmpty())
        d.firstTreatmentText = vb::formatValue(rs[QStringLiteral("tSyoryoDay")], era);
    const bool fromEntry = iHasSyoujouSonota != 1;
    d.symptoms = entrySymptoms(rs, fromEntry, fromEntry && gTZSVer == 1);
    const QString byoumei = vb::trim(text(rs, QStringLiteral("cByoumei")));
    if (iHasDouiRec == 1) {
        d.diagnoses = diagnosesOf(getDouiRecord(userId, month));
        d.massageFallback = byoumei;
    } else {
        d.diagnoses = masterDiagnoses(rs, byoumei);
    }
    d.evaluation = entryEvaluation(rs);
    if (number(rs, QStringLiteral("nKanjaID")) >= 1)
        d.zenkaiUmu = number(rs, QStringLiteral("iZenkaiHyoukaUmu"));
    d.evaluationDay = vb::trim(text(rs, QStringLiteral("cHyoukaDay")));
    d.reason = text(rs, QStringLiteral("cRiyuu"));
    d.certifier = certifierOf(rs);
    d.certificationDay = vb::trim(text(rs, QStringLiteral("cSyoumeiDay")));
    d.tantouName = text(rs, QStringLiteral("cTANTOUName"));
    return d;
}

PreviousEntryData previousEntryData(const AdoRecordset& rs, long userId, const QString& month)
{
    const QString entryMonth = QStringLiteral("%1/%2/01")
                                   .arg(number(rs, QStringLiteral("実績年")))
                                   .arg(number(rs, QStringLiteral("実績月")), 2, 10, QChar(u'0'));
    PreviousEntryData d;
    if (iHasDouiRec == 1)
        d.diagnoses = diagnosesOf(getDouiRecord(userId, month));
    d.evaluation = entryEvaluation(rs);
    const bool lastMonth =
        entryMonth == vb::format(vb::dateAddMonths(monthDateOf(month), -1), QStringLiteral("yyyy/mm/01"));
    d.zenkaiUmu = lastMonth ? 0 : number(rs, QStringLiteral("iZenkaiHyoukaUmu"));
    if (iHasSyoujouSonota != 1)
        d.symptoms = entrySymptoms(rs, true, true);
    d.reason = text(rs, QStringLiteral("cRiyuu"));
    d.certifier = certifierOf(rs);
    return d;
}
