#include "over16_print.h"

#include "csv_writer.h"
#include "report_output.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/error_message.h"
#include "common/sys_settings.h"
#include "db/connection_recipe.h"
#include "db/table_checks.h"
#include "db/treatment_queries.h"
#include "mainwindow/hinkai_table.h"
#include "platform/platform.h"

#include <map>

namespace modPrintOver16Count {

namespace {

PrintConditions conditions;

const QString kTitle = QStringLiteral("継続理由・状況記入書");
const QString kPlanTitle = QStringLiteral("施術計画書");

enum class Document { Form, Plan };

QString num(long v) { return QString::number(v); }

short shortOf(const QVariant& v) { return static_cast<short>(qBound(-32768L, nNullToLong(v), 32767L)); }

// A date column as "yyyy/mm/dd" after trimming; empty for Null or blank.
QString dateText(const QVariant& v)
{
    if (vb::trim(csNullToStr(v)).isEmpty())
        return QString();
    const auto d = vb::toDate(v.typeId() == QMetaType::QString ? QVariant(vb::trim(v.toString())) : v);
    return d ? vb::format(*d, QStringLiteral("yyyy/mm/dd")) : vb::trim(csNullToStr(v));
}

QString monthStartText()
{
    return QStringLiteral("%1/%2/01")
        .arg(conditions.year, 4, 10, QChar(u'0'))
        .arg(conditions.month, 2, 10, QChar(u'0'));
}

void douiRunTimeError(const VbError& e)
{
    platform().messageBox(QStringLiteral("getDouiRecord()でエラー\r\n") + num(e.number) + QStringLiteral("  (")
                              + e.description + u')',
                          MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("同意履歴テーブルより、情報取得"));
}

// The treatment records from a day to the end of its month: count, areas and kinds. Empty
// after a failure (its message shown).
std::optional<AdoRecordset> treatmentsFromDay(long userId, const QString& fromDate)
{
    try {
        return recipeQuery(jissekiFromDayQuery(userId, fromDate, JissekiColumns::CountAndAreas),
                           QStringLiteral("csInpKey_Isi"));
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return std::nullopt;
    }
}

std::optional<short> kaisuAfterDay(long userId, const QString& fromDate)
{
    const auto rs = treatmentsFromDay(userId, fromDate);
    if (!rs)
        return std::nullopt;
    return rs->EOF_() ? short(0) : shortOf(rs->field(QStringLiteral("cnt")));
}

// The areas and kinds of a row of the treatment read.
void applyAreas(const AdoRecordset& rs, Over16PrintRec& rec)
{
    for (int i = 0; i < 5; ++i)
        rec.iSejutuBui[static_cast<size_t>(i)] = shortOf(rs.field(QStringLiteral("iSejutuBui%1").arg(i + 1)));
    rec.iHariUmu = shortOf(vb::trim(csNullToStr(rs.field(QStringLiteral("iHariUmu")))));
    rec.iKyuuUmu = shortOf(vb::trim(csNullToStr(rs.field(QStringLiteral("iKyuuUmu")))));
    rec.iDenkiHariKyuuUmu = shortOf(vb::trim(csNullToStr(rs.field(QStringLiteral("iDenkiHariKyuuUmu")))));
}

// Consent records: the connection's messages name "iDataLoad", the query's "getDouiRecord".
std::optional<AdoRecordset> consentRecords(const QString& sql)
{
    return recipeQuery(sql, QStringLiteral("iDataLoad"), QStringLiteral("getDouiRecord"));
}

// The injury data of a consent record.
void applyConsent(const AdoRecordset& rs, Over16PrintRec& rec)
{
    rec.massageInjury = vb::trim(csNullToStr(rs[QStringLiteral("cByoumeiM")]));
    for (int i = 0; i < 7; ++i)
        rec.acupunctureFlags[static_cast<size_t>(i)] =
            shortOf(vb::trim(csNullToStr(rs[QStringLiteral("iHKSyobyou0%1Flg").arg(i + 1)])));
    rec.acupunctureInjury = vb::trim(csNullToStr(rs[QStringLiteral("cByoumeiH")]));
}

bool sejutuBui(long userId, const QString& monthStart, Over16PrintRec& rec)
{
    const auto rs = treatmentsFromDay(userId, monthStart);
    if (!rs)
        return false;
    if (!rs->EOF_())
        applyAreas(*rs, rec);
    return true;
}

// The month's areas and consent records of every ticked user, read once for the whole run
// instead of once per user; each user's values are those its own read would give.
struct MonthLookups {
    std::map<long, Over16PrintRec> areas;   // areas and kinds, by user
    std::map<long, Over16PrintRec> consent; // injury data of the latest consent record, by user
};

// False when the areas cannot be read (the message shown). Consent records that cannot be
// read leave the user master's names, after their message.
bool readMonthLookups(const QString& monthStart, MonthLookups& out)
{
    try {
        const auto areas =
            recipeQuery(jissekiFromDayByUserQuery(conditions.idListText, monthStart, JissekiColumns::CountAndAreas),
                        QStringLiteral("csInpKey_Isi"));
        if (!areas)
            return false;
        for (auto rs = *areas; !rs.EOF_(); rs.MoveNext())
            applyAreas(rs, out.areas[nNullToLong(rs[QStringLiteral("nRiyoushaIDNo")])]);
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return false;
    }
    if (iHasDouiRec != 1)
        return true;
    try {
        auto records = consentRecords(douiRecordsByUserQuery(conditions.idListText, monthStart));
        if (!records)
            return true;
        for (auto& rs = *records; !rs.EOF_(); rs.MoveNext()) {
            const long id = nNullToLong(rs[QStringLiteral("nIDNo")]);
            if (!out.consent.count(id)) // the newest record of the user comes first
                applyConsent(rs, out.consent[id]);
        }
    } catch (const VbRuntimeError& e) {
        douiRunTimeError(e.err);
    }
    return true;
}

QString conditionsAndOrder(bool entriesOnly)
{
    QString sql = QStringLiteral(" WHERE 月間実績.iKyotenCd = ") + num(gKyotenCd);
    sql += QStringLiteral(" AND   月間実績.iKyotenEb = ") + num(gKyotenEb);
    sql += QStringLiteral(" AND   実績年 = ") + num(conditions.year);
    sql += QStringLiteral(" AND   実績月 = ") + num(conditions.month);
    sql += QStringLiteral(" AND   患者IDno in (") + conditions.idListText + u')';
    if (entriesOnly)
        sql += QStringLiteral(" AND   OVER16COUNT.nKanjaID IS NOT NULL");
    sql += QStringLiteral(" order by 月間実績.iKyotenCd, 月間実績.iKyotenEb, 患者IDNo ");
    return sql;
}

// Injury names: the latest consent record where the table exists, else the user master.
void fillInjuries(const AdoRecordset& rs, const MonthLookups& lookups, Over16PrintRec& rec)
{
    const QString byoumei = vb::trim(csNullToStr(rs[QStringLiteral("cByoumei")]));
    if (iHasDouiRec == 1) {
        if (const auto c = lookups.consent.find(rec.userId); c != lookups.consent.end()) {
            rec.massageInjury = c->second.massageInjury;
            rec.acupunctureFlags = c->second.acupunctureFlags;
            rec.acupunctureInjury = c->second.acupunctureInjury;
        }
        if (rec.massageInjury.isEmpty() && !byoumei.isEmpty())
            rec.massageInjury = byoumei;
        return;
    }
    rec.massageInjury = byoumei;
    if (iHasHKSyobyou07Flg == 1) {
        for (int i = 0; i < 7; ++i)
            rec.acupunctureFlags[static_cast<size_t>(i)] =
                shortOf(vb::trim(csNullToStr(rs[QStringLiteral("iHKSyobyou0%1Flg").arg(i + 1)])));
        rec.acupunctureInjury = vb::trim(csNullToStr(rs[QStringLiteral("cHKSyobyouName")]));
        return;
    }
    const long code = nNullToLong(rs[QStringLiteral("nHKSyobyouCd")]);
    if (code == 1) {
        rec.acupunctureFlags[6] = 1;
        rec.acupunctureInjury = vb::trim(csNullToStr(rs[QStringLiteral("cHKSyobyouName")]));
    } else if (code >= 2 && code <= 7) {
        rec.acupunctureFlags[static_cast<size_t>(code - 2)] = 1;
    }
}

// In the anniversary month of the first treatment, count becomes the treatments from the
// anniversary day; in other months it stays empty. False when that count cannot be read (its
// message shown).
bool anniversaryCount(const Over16PrintRec& rec, std::optional<short>& count)
{
    const auto first = vb::toDate(rec.firstTreatment);
    if (!first)
        vbRaise(vberr::typeMismatch());
    const QDate anniversary = vb::dateAddMonths(first->date(), 12);
    if (vb::format(anniversary, QStringLiteral("yyyy/mm")) != rec.monthStart.left(7))
        return true;
    count = kaisuAfterDay(rec.userId, vb::format(anniversary, QStringLiteral("yyyy/mm/dd")));
    return count.has_value();
}

// The symptoms: the user master where RIYOUSHA_SUB holds them, else the month's entry (both
// documents alike, so a user's form and plan never disagree).
void fillSymptoms(const AdoRecordset& rs, Over16PrintRec& rec)
{
    const QString suffix = iHasSyoujouSonota == 1 ? QString() : QStringLiteral("_16");
    rec.iMahi = shortOf(rs[QStringLiteral("iMahi") + suffix]);
    rec.iKoushuku = shortOf(rs[QStringLiteral("iKoushuku") + suffix]);
    rec.iSyoujouSonota = shortOf(rs[QStringLiteral("iSyoujouSonota") + suffix]);
    rec.cSyoujouSonota = csNullToStr(rs[QStringLiteral("cSyoujouSonota") + suffix]);
}

// The evaluation part of the form; -1 in every value of a blank form.
void fillEvaluation(const AdoRecordset& rs, bool blankForm, Over16PrintRec& rec)
{
    if (blankForm) {
        rec.iNegaeri = rec.iOkiagari = rec.iZai = rec.iTachiagari = rec.iRitsui = -1;
        rec.iNRS = rec.iZenkaiHyoukaUmu = rec.iZenkaiHyoukaHenaka = -1;
        rec.staffCode = QStringLiteral("-1");
        return;
    }
    rec.iNegaeri = shortOf(rs[QStringLiteral("iNegaeri")]);
    rec.iOkiagari = shortOf(rs[QStringLiteral("iOkiagari")]);
    rec.iZai = shortOf(rs[QStringLiteral("iZai")]);
    rec.iTachiagari = shortOf(rs[QStringLiteral("iTachiagari")]);
    rec.iRitsui = shortOf(rs[QStringLiteral("iRitsui")]);
    rec.iNRS = shortOf(rs[QStringLiteral("iNRS")]);
    rec.iZenkaiHyoukaUmu = shortOf(rs[QStringLiteral("iZenkaiHyoukaUmu")]);
    rec.iZenkaiHyoukaHenaka = shortOf(rs[QStringLiteral("iZenkaiHyoukaHenaka")]);
    rec.cRiyuu = csNullToStr(rs[QStringLiteral("cRiyuu")]);
    rec.evaluationDay = dateText(rs[QStringLiteral("cHyoukaDay")]);
    rec.staffCode = num(nNullToLong(rs[QStringLiteral("nStaffID")]));
    rec.staffName = csNullToStr(rs[QStringLiteral("cSTAFFName")]);
    rec.certificationDay = dateText(rs[QStringLiteral("cSyoumeiDay")]);
}

void copyAreas(const MonthLookups& lookups, Over16PrintRec& rec)
{
    const auto a = lookups.areas.find(rec.userId);
    if (a == lookups.areas.end())
        return;
    rec.iSejutuBui = a->second.iSejutuBui;
    rec.iHariUmu = a->second.iHariUmu;
    rec.iKyuuUmu = a->second.iKyuuUmu;
    rec.iDenkiHariKyuuUmu = a->second.iDenkiHariKyuuUmu;
}

// One record from a result row. False when a lookup the printed values depend on failed
// (its message shown): the count or the areas would be invented.
bool fillRecord(const AdoRecordset& rs, Document doc, const MonthLookups& lookups, Over16PrintRec& rec)
{
    rec.iKyotenCd = shortOf(rs[QStringLiteral("iKyotenCd")]);
    rec.iKyotenEb = shortOf(rs[QStringLiteral("iKyotenEb")]);
    rec.userId = nNullToLong(rs[QStringLiteral("患者IDNo")]);
    rec.year = conditions.year;
    rec.month = conditions.month;
    rec.monthStart = monthStartText();
    rec.firstTreatment = dateText(rs[QStringLiteral("tSyoryoDay")]);

    const bool blankForm = doc == Document::Form && conditions.formatOutput != 0;
    std::optional<short> afterDay;
    if (!blankForm && !rec.firstTreatment.isEmpty() && conditions.countOption != 1 && !anniversaryCount(rec, afterDay))
        return false;
    copyAreas(lookups, rec);
    rec.count = blankForm ? short(0) : afterDay ? *afterDay : shortOf(rs[QStringLiteral("施術回数")]);

    rec.userName = csNullToStr(rs[QStringLiteral("cName")]);
    rec.iSejutsuKubun = shortOf(rs[QStringLiteral("iSejutsuKubun")]);
    rec.birthday = dateText(rs[QStringLiteral("tBirthday")]);
    fillSymptoms(rs, rec);
    if (doc == Document::Form)
        fillEvaluation(rs, blankForm, rec);
    rec.birthdayEra = static_cast<short>(vb::eraCodeOfText(rec.birthday));
    rec.firstTreatmentEra = static_cast<short>(vb::eraCodeOfText(rec.firstTreatment));
    fillInjuries(rs, lookups, rec);
    return true;
}

// The loaders of both documents: -1 error, 0 loaded (maybe nothing), 1 nothing queried or
// the query failed.
short loadRecords(Document doc)
{
    if (conditions.idListText.isEmpty())
        return 1;
    const QString routine =
        doc == Document::Form ? QStringLiteral("iGetJissekiData") : QStringLiteral("iGetKeikakuData");
    auto db = openRecipeConnection(routine);
    if (!db)
        return 0;
    try {
        AdoRecordset rs;
        if (!openRecipeQuery(*db, rs, doc == Document::Form ? keizokuQuery() : keikakuQuery(), routine))
            return 1;
        db->iDisConnect();
        if (rs.EOF_())
            return 0;
        MonthLookups lookups;
        if (!readMonthLookups(monthStartText(), lookups))
            return -1;
        for (; !rs.EOF_(); rs.MoveNext()) {
            Over16PrintRec rec;
            if (!fillRecord(rs, doc, lookups, rec))
                return -1;
            conditions.records.push_back(std::move(rec));
        }
        return 0;
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        if (db->connectionState() == adStateOpen)
            db->iDisConnect();
        return -1;
    }
}

CsvRow& addHead(CsvRow& r, const Over16PrintRec& rec)
{
    r.number(1)
        .number(rec.iKyotenCd)
        .number(rec.iKyotenEb)
        .number(rec.userId)
        .number(rec.year)
        .number(rec.month)
        .text(rec.monthStart)
        .number(rec.iSejutsuKubun)
        .number(rec.count)
        .text(rec.userName)
        .text(rec.birthday)
        .number(rec.birthdayEra)
        .text(rec.firstTreatment)
        .number(rec.firstTreatmentEra)
        .number(rec.iMahi)
        .number(rec.iKoushuku)
        .number(rec.iSyoujouSonota)
        .text(rec.cSyoujouSonota);
    return r;
}

CsvRow& addTail(CsvRow& r, const Over16PrintRec& rec)
{
    r.text(rec.massageInjury);
    for (short b : rec.iSejutuBui)
        r.number(b);
    r.number(rec.iHariUmu).number(rec.iKyuuUmu).number(rec.iDenkiHariKyuuUmu);
    for (short f : rec.acupunctureFlags)
        r.number(f);
    r.text(rec.acupunctureInjury).number(conditions.formatOutput);
    for (const QString& m : pastFrequentMonths(rec.userId))
        r.text(m);
    return r;
}

const char* const kHeadColumns[] = {"i枠線表示", "拠点番号",     "拠点枝番",      "利用者コード",   "施術年",
                                    "施術月",    "施術年月日",   "施術区分",      "施術回数",       "利用者名",
                                    "生年月日",  "生年月日元号", "初療年月日",    "初療年月日元号", "麻痺",
                                    "拘縮",      "症状その他",   "症状その他文章"};
const char* const kEvaluationColumns[] = {"寝返り",       "起き上がり",   "座位",     "立ち上がり", "立位",
                                          "NRS",          "前回評価有無", "前回変化", "理由",       "評価日",
                                          "施術者コード", "施術者名",     "証明日"};
const char* const kTailColumns[] = {"マッサージ傷病名",
                                    "施術部位1",
                                    "施術部位2",
                                    "施術部位3",
                                    "施術部位4",
                                    "施術部位5",
                                    "はり",
                                    "きゅう",
                                    "はりきゅう電気",
                                    "鍼灸傷病名01",
                                    "鍼灸傷病名02",
                                    "鍼灸傷病名03",
                                    "鍼灸傷病名04",
                                    "鍼灸傷病名05",
                                    "鍼灸傷病名06",
                                    "鍼灸傷病名07",
                                    "鍼灸傷病名文章",
                                    "フォーマット印刷",
                                    "過去16回以上施術月1",
                                    "過去16回以上施術月2",
                                    "過去16回以上施術月3",
                                    "過去16回以上施術月4",
                                    "過去16回以上施術月5"};

template <size_t N> void append(QStringList& list, const char* const (&names)[N])
{
    for (const char* n : names)
        list << QString::fromUtf8(n);
}

int writeCsv(const QString& fileName, const QStringList& header, bool evaluation)
{
    return writeReportCsv(fileName, header, [evaluation](CsvWriter& csv) {
        for (const Over16PrintRec& rec : conditions.records) {
            CsvRow r;
            addHead(r, rec);
            if (evaluation) {
                r.number(rec.iNegaeri)
                    .number(rec.iOkiagari)
                    .number(rec.iZai)
                    .number(rec.iTachiagari)
                    .number(rec.iRitsui)
                    .number(rec.iNRS)
                    .number(rec.iZenkaiHyoukaUmu)
                    .number(rec.iZenkaiHyoukaHenaka)
                    .text(rec.cRiyuu)
                    .text(rec.evaluationDay)
                    .text(rec.staffCode)
                    .text(rec.staffName)
                    .text(rec.certificationDay);
            }
            addTail(r, rec);
            csv.row(r);
        }
    });
}

ReportOutput outputOf(Document doc)
{
    const QString nothing = QStringLiteral("出力対象データがありませんでした。");
    const QString enterReasons = nothing + u'\n' + QStringLiteral("継続理由を入力してください。");
    if (doc == Document::Form)
        return {kTitle,      keizokuLayout(conditions.newStyle), kTitle, kTitle + QStringLiteral(".csv"), nothing,
                enterReasons};
    return {kPlanTitle,  kPlanTitle + QStringLiteral(".wfd"), kPlanTitle, kPlanTitle + QStringLiteral(".csv"), nothing,
            enterReasons};
}

// The driver's messages carry the form's title for both documents; the viewer shows each
// document's own.
short runDriver(short outputMode, Document doc)
{
    conditions.records.clear();
    ReportOutput out = outputOf(doc);
    out.viewerTitle = out.title;
    out.title = kTitle;
    ReportSteps steps{[doc] { return doc == Document::Form ? iGetJissekiData() : iGetKeikakuData(); },
                      [] { return !conditions.records.empty(); },
                      [doc] { return doc == Document::Form ? iOutputKeizokuCsv() : iOutputKeikakuCsv(); }};
    return runReportDriver(outputMode, out, steps);
}

} // namespace

const PrintConditions& printConditions() { return conditions; }

void resetPrintConditions() { conditions = PrintConditions{}; }

QString keizokuLayout(short newStyle)
{
    return newStyle != 0 ? QStringLiteral("継続理由・状況記入書_R03.wfd") : QStringLiteral("継続理由・状況記入書.wfd");
}

void vPrintKeizokuRiyuu(short outputMode, short pastMonths, short newStyle, const MainWindowView& window,
                        short formatOutput)
{
    conditions.formatOutput = formatOutput;
    conditions.pastMonths = pastMonths;
    conditions.newStyle = newStyle;
    runReportEntry(outputMode, window, kTitle, iGetPrintJouken, iPrintKeizokuRiyuu);
}

void vPrintKeikakusyo(short outputMode, const MainWindowView& window, short formatOutput)
{
    conditions.formatOutput = formatOutput;
    runReportEntry(outputMode, window, kTitle, iGetPrintJouken, iPrintKeikakusyo);
}

short iGetPrintJouken(const MainWindowView& window)
{
    try {
        const QDate month = window.monthValue();
        if (!month.isValid())
            vbRaise(vberr::typeMismatch());
        conditions.year = static_cast<short>(vb::format(month, QStringLiteral("yyyy")).toInt());
        conditions.month = static_cast<short>(vb::format(month, QStringLiteral("m")).toInt());
        conditions.selectedIds.clear();
        conditions.selectedCount = 0;
        conditions.idListText.clear();
        for (int row = 1; row <= window.gridMaxRows(); ++row) {
            if (nNullToLong(window.gridValue(row, 1)) != 1)
                continue;
            const long id = nNullToLong(window.gridValue(row, 2));
            if (!conditions.idListText.isEmpty())
                conditions.idListText += u',';
            conditions.idListText += num(id);
            conditions.selectedIds.push_back(id);
            ++conditions.selectedCount;
        }
        conditions.countOption = window.countWholeAnniversaryMonth() ? 1 : 0;
        return 0;
    } catch (const VbRuntimeError& e) {
        showRunTimeError(e.err);
        return -1;
    }
}

short iPrintKeizokuRiyuu(short outputMode) { return runDriver(outputMode, Document::Form); }
short iPrintKeikakusyo(short outputMode) { return runDriver(outputMode, Document::Plan); }
short iGetJissekiData() { return loadRecords(Document::Form); }
short iGetKeikakuData() { return loadRecords(Document::Plan); }

namespace {

// The symptom columns: RIYOUSHA_SUB's where it holds them; else the month's entry, read as
// fillSymptoms() expects.
QString symptomColumns()
{
    if (iHasSyoujouSonota == 1)
        return QStringLiteral(" ,RIYOUSHA_SUB.iSyoujouSonota,RIYOUSHA_SUB.cSyoujouSonota");
    QString sql = QStringLiteral(" ,OVER16COUNT.iKoushuku AS iKoushuku_16");
    sql += QStringLiteral(" ,OVER16COUNT.iMahi AS iMahi_16");
    sql += QStringLiteral(" ,OVER16COUNT.iSyoujouSonota AS iSyoujouSonota_16");
    sql += QStringLiteral(" ,OVER16COUNT.cSyoujouSonota AS cSyoujouSonota_16");
    return sql;
}

} // namespace

QString keizokuQuery()
{
    QString sql = QStringLiteral("SELECT 月間実績.患者IDNo, 月間実績.施術回数, RIYOUSHA.* ");
    sql += QStringLiteral(" ,cByoumei");
    sql += symptomColumns();
    sql += diagnosisColumns(iHasHKSyobyou07Flg == 1);
    for (const char* c : {"iNegaeri", "iOkiagari", "iZai", "iTachiagari", "iRitsui", "iNRS", "iZenkaiHyoukaUmu",
                          "iZenkaiHyoukaHenaka", "cRiyuu", "cHyoukaDay", "nStaffID", "cSyoumeiDay"})
        sql += QStringLiteral(" ,OVER16COUNT.") + QString::fromLatin1(c);
    sql += QStringLiteral(" ,STAFF.cName as cSTAFFName ");
    sql += monthTotalsWithUserJoins();
    sql += over16EntryJoin();
    sql += certifierJoin();
    sql += conditionsAndOrder(conditions.formatOutput == 0);
    return sql;
}

QString keikakuQuery()
{
    QString sql = QStringLiteral("SELECT 月間実績.患者IDNo, 月間実績.施術回数, RIYOUSHA.* ");
    sql += QStringLiteral(" ,cByoumei");
    // Older databases keep the symptoms per month only, in the continuation entry.
    sql += symptomColumns();
    sql += diagnosisColumns(iHasHKSyobyou07Flg == 1);
    sql += monthTotalsWithUserJoins();
    if (iHasSyoujouSonota != 1)
        sql += over16EntryJoin();
    sql += conditionsAndOrder(false);
    return sql;
}

short getDouiRecord(long userId, const QString& monthStart, Over16PrintRec& rec)
{
    try {
        const auto rs = consentRecords(douiRecordQuery(userId, monthStart));
        if (!rs || rs->EOF_())
            return -1;
        applyConsent(*rs, rec);
        return 0;
    } catch (const VbRuntimeError& e) {
        douiRunTimeError(e.err);
        return -1;
    }
}

short iGetKaisuAfterDay(long userId, const QString& fromDate) { return kaisuAfterDay(userId, fromDate).value_or(1); }

short iGetSejutuBui(long userId, const QString& monthStart, Over16PrintRec& rec)
{
    return sejutuBui(userId, monthStart, rec) ? 0 : 1;
}

std::array<QString, 5> pastFrequentMonths(long userId)
{
    std::array<QString, 5> months;
    if (conditions.pastMonths != 1)
        return months;
    const int i = findHinkaiEntry(userId);
    if (i < 0)
        return months;
    const HinkaiRecord& e = gHinkaiList[static_cast<size_t>(i)];
    // The table describes the month the list was last loaded for; another month's counts
    // must not appear on this month's form.
    if (e.months[23]
        != QStringLiteral("%1%2").arg(conditions.year, 4, 10, QChar(u'0')).arg(conditions.month, 2, 10, QChar(u'0')))
        return months;
    size_t found = 0;
    for (int k = 23; k >= 0 && found < months.size(); --k) {
        if (e.counts[static_cast<size_t>(k)] > 15) {
            const QString& ym = e.months[static_cast<size_t>(k)];
            months[found++] = ym.left(4) + u'/' + ym.right(2);
        }
    }
    return months;
}

QStringList keizokuCsvHeader()
{
    QStringList h;
    append(h, kHeadColumns);
    append(h, kEvaluationColumns);
    append(h, kTailColumns);
    return h;
}

QStringList keikakuCsvHeader()
{
    QStringList h;
    append(h, kHeadColumns);
    append(h, kTailColumns);
    return h;
}

int iOutputKeizokuCsv() { return writeCsv(kTitle + QStringLiteral(".csv"), keizokuCsvHeader(), true); }
int iOutputKeikakuCsv() { return writeCsv(kPlanTitle + QStringLiteral(".csv"), keikakuCsvHeader(), false); }

} // namespace modPrintOver16Count
