#include "entry_lookups.h"

#include "base/opl_string.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/error_message.h"
#include "db/connection_recipe.h"
#include "db/treatment_queries.h"
#include "platform/platform.h"

namespace {

QString num(long v) { return QString::number(v); }

// The treatment-record read of iCountJissekiFromDay and iLoadSejutuBui: one row, or nothing
// after a failure (reported under csInpKey_Isi).
std::optional<AdoRecordset> readJisseki(long userId, const QString& fromDay, JissekiColumns columns)
{
    return recipeQuery(jissekiFromDayQuery(userId, fromDay, columns), QStringLiteral("csInpKey_Isi"));
}

} // namespace

DouiRecord getDouiRecord(long userId, const QString& month)
{
    DouiRecord out;
    try {
        const auto rs =
            recipeQuery(douiRecordQuery(userId, month), QStringLiteral("iDataLoad"), QStringLiteral("getDouiRecord"));
        if (!rs || rs->EOF_())
            return out;
        out.byoumeiM = vb::trim(csNullToStr(rs->field(QStringLiteral("cByoumeiM"))));
        out.syouByo[0] = nNullToLong(rs->field(QStringLiteral("iHKSyobyou07Flg")));
        for (int i = 1; i <= 6; ++i)
            out.syouByo[static_cast<size_t>(i)] = nNullToLong(rs->field(QStringLiteral("iHKSyobyou0%1Flg").arg(i)));
        out.byoumeiH = vb::trim(csNullToStr(rs->field(QStringLiteral("cByoumeiH"))));
        out.status = 0;
    } catch (const VbRuntimeError& e) {
        platform().messageBox(QStringLiteral("getDouiRecord()でエラー\r\n") + num(e.err.number) + QStringLiteral("  (")
                                  + e.err.description + u')',
                              MsgButtons::Ok, MsgIcon::Critical);
        out = DouiRecord();
    }
    return out;
}

QString csInpKey_Staff(long staffNo, short* status)
{
    short st = -1;
    QString name;
    if (staffNo != 0) {
        QString sql = QStringLiteral("SELECT cName ");
        sql += QStringLiteral(" FROM STAFF ");
        sql += QStringLiteral(" WHERE nIDNo = ") + num(staffNo);
        sql += branchFilter();
        try {
            if (const auto rs = recipeQuery(sql, QStringLiteral("csInpKey_Staff"))) {
                if (!rs->EOF_()) {
                    name = csNullToStr(rs->field(QStringLiteral("cName")));
                    st = 0;
                } else {
                    name = QStringLiteral("該当施術者なし");
                }
            }
        } catch (const VbRuntimeError& e) {
            showErrorDescription(e.err);
            name.clear();
        }
    }
    if (status)
        *status = st;
    return name;
}

std::optional<short> iCountJissekiFromDay(long userId, const QString& fromDay)
{
    try {
        const auto rs = readJisseki(userId, fromDay, JissekiColumns::CountAndAreas);
        if (!rs)
            return std::nullopt;
        if (rs->EOF_())
            return short(0);
        return static_cast<short>(nNullToLong(rs->field(QStringLiteral("cnt"))));
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return std::nullopt;
    }
}

SejutuBui iLoadSejutuBui(long userId, const QString& firstDay)
{
    SejutuBui out;
    try {
        const auto rs = readJisseki(userId, firstDay, JissekiColumns::CountAreasAndLastDay);
        if (!rs) {
            out.status = 1;
            return out;
        }
        if (rs->EOF_())
            return out;
        for (int i = 0; i < 4; ++i) {
            const long v = nNullToLong(rs->field(QStringLiteral("iSejutuBui%1").arg(i + 1)));
            out.bui1[static_cast<size_t>(i)] = v == 1;
            out.bui2[static_cast<size_t>(i)] = v == 2;
        }
        out.bui1[4] = nNullToLong(rs->field(QStringLiteral("iSejutuBui5"))) == 1;
        const char* const kinds[] = {"iHariUmu", "iKyuuUmu", "iDenkiHariKyuuUmu"};
        for (size_t i = 0; i < 3; ++i) {
            const long v = nNullToLong(rs->field(QString::fromLatin1(kinds[i])));
            out.harikyu2[i] = v >= 1 ? v : 0;
        }
        const QVariant last = rs->field(QStringLiteral("tServicyDayStart"));
        if (!vb::trim(csNullToStr(last)).isEmpty())
            out.lastDay = vb::formatValue(last, QStringLiteral("yyyy/mm/dd"));
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        out = SejutuBui();
        out.status = 1;
    }
    return out;
}

std::optional<short> ageOn(const QString& birthday, const QDate& today)
{
    const auto b = vb::toDate(birthday);
    if (!b)
        return std::nullopt;
    // yyyy.mmdd minus yyyy.mmdd, kept in whole numbers (yyyymmdd) so a birthday falling on
    // today's month and day gives exact years, with no rounding of the decimal fractions.
    const auto stamp = [](const QDate& d) { return d.year() * 10000 + d.month() * 100 + d.day(); };
    const int diff = stamp(today) - stamp(b->date());
    return static_cast<short>(diff < 10000 ? 0 : diff / 10000);
}
