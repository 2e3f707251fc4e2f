#include "treatment_queries.h"

#include "base/globals.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "db/table_checks.h"

namespace {
QString num(long v) { return QString::number(v); }
} // namespace

QString diagnosisColumns(bool flagColumns)
{
    if (!flagColumns)
        return QStringLiteral(" ,nHKSyobyouCd ,cHKSyobyouName");
    return QStringLiteral(" ,iHKSyobyou01Flg ,iHKSyobyou02Flg ,iHKSyobyou03Flg ,iHKSyobyou04Flg ,iHKSyobyou05Flg"
                          " ,iHKSyobyou06Flg ,iHKSyobyou07Flg ,cHKSyobyouName  ");
}

QString branchFilter()
{
    return QStringLiteral(" and iKyotenCd = ") + num(gKyotenCd) + QStringLiteral(" and iKyotenEb = ") + num(gKyotenEb);
}

QString firstOfNextMonth(const QString& dateText)
{
    const auto d = vb::toDate(dateText);
    if (!d)
        vbRaise(vberr::typeMismatch());
    const QDate first(d->date().year(), d->date().month(), 1);
    return vb::format(vb::dateAddMonths(first, 1), QStringLiteral("yyyy/mm/dd"));
}

namespace {

enum class Rows { OneCount, CountPerUser, EachRecord };

// userCondition: " = id" or " in (ids)"; a count, one per user (the user first), or the
// records (with columns Count).
QString jissekiQuery(const QString& userCondition, const QString& fromDate, JissekiColumns columns, Rows rows)
{
    const QString next = firstOfNextMonth(fromDate);
    const bool grouped = rows == Rows::CountPerUser;
    QString sql = rows == Rows::EachRecord ? QStringLiteral("SELECT nRiyoushaIDNo, tServicyDayStart ")
        : grouped                          ? QStringLiteral("SELECT nRiyoushaIDNo, count(*) as cnt ")
                                           : QStringLiteral("SELECT count(*) as cnt ");
    if (columns == JissekiColumns::CountAreasAndLastDay)
        sql += QStringLiteral(" ,MAX(isnull(tServicyDayStart,0)) as tServicyDayStart");
    if (columns != JissekiColumns::Count) {
        for (int i = 1; i <= 5; ++i)
            sql += QStringLiteral(" ,MAX(isnull(iSejutuBui%1,0)) as iSejutuBui%1").arg(i);
        sql += QStringLiteral(" ,MAX(isnull(iHariUmu,0)) as iHariUmu");
        sql += QStringLiteral(" ,MAX(isnull(iKyuuUmu,0)) as iKyuuUmu");
        sql += QStringLiteral(" ,MAX(isnull(iDenkiHariKyuuUmu,0)) as iDenkiHariKyuuUmu");
    }
    sql += QStringLiteral(" FROM JISSEKI");
    sql += QStringLiteral(" WHERE nRiyoushaidno") + userCondition;
    sql += branchFilter();
    sql += QStringLiteral(" AND   tServicyDayStart >= '") + fromDate + u'\'';
    sql += QStringLiteral(" AND   tServicyDayStart < '") + next + u'\'';
    sql += QStringLiteral(" and  iSeikyuKbn = 0");
    if (iHasDelFlgHenrei == 1)
        sql += QStringLiteral(" and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)");
    if (grouped)
        sql += QStringLiteral(" GROUP BY nRiyoushaIDNo");
    return sql;
}

QString douiQuery(const QString& userCondition, const QString& monthStart, const QString& order)
{
    const QString next = firstOfNextMonth(monthStart);
    QString sql = QStringLiteral("select *  ");
    sql += QStringLiteral(" from RIYOUSHA_DOUI_REC  ");
    sql += QStringLiteral(" WHERE ");
    sql += QStringLiteral("     nIDNo") + userCondition;
    sql += branchFilter();
    sql += QStringLiteral(" and tDouiKaryoS < '") + next + u'\'';
    sql += QStringLiteral(" and iHenkeiFlg = 0 ");
    sql += order;
    return sql;
}

} // namespace

QString jissekiFromDayQuery(long userId, const QString& fromDate, JissekiColumns columns)
{
    return jissekiQuery(QStringLiteral(" = ") + num(userId), fromDate, columns, Rows::OneCount);
}

QString jissekiFromDayByUserQuery(const QString& ids, const QString& fromDate, JissekiColumns columns)
{
    return jissekiQuery(QStringLiteral(" in (") + ids + u')', fromDate, columns, Rows::CountPerUser);
}

QString jissekiRecordsFromDayQuery(const QString& ids, const QString& fromDate)
{
    return jissekiQuery(QStringLiteral(" in (") + ids + u')', fromDate, JissekiColumns::Count, Rows::EachRecord);
}

QString douiRecordQuery(long userId, const QString& monthStart)
{
    // The ID between quotes, as the suite's other programs send it.
    return douiQuery(QStringLiteral(" = '") + num(userId) + u'\'', monthStart, QStringLiteral(" ORDER BY nDate desc "));
}

QString douiRecordsByUserQuery(const QString& ids, const QString& monthStart)
{
    return douiQuery(QStringLiteral(" in (") + ids + u')', monthStart, QStringLiteral(" ORDER BY nIDNo, nDate desc "));
}

QString monthTotalsWithUserJoins()
{
    return QStringLiteral(" FROM 月間実績 ") + QStringLiteral(" LEFT JOIN RIYOUSHA ")
        + QStringLiteral(" ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd ")
        + QStringLiteral(" AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb ")
        + QStringLiteral(" AND 月間実績.患者IDNo = RIYOUSHA.nIDNo ") + QStringLiteral(" LEFT JOIN RIYOUSHA_SUB ")
        + QStringLiteral(" ON 月間実績.iKyotenCd = RIYOUSHA_SUB.iKyotenCd ")
        + QStringLiteral(" AND 月間実績.iKyotenEb = RIYOUSHA_SUB.iKyotenEb ")
        + QStringLiteral(" AND 月間実績.患者IDNo = RIYOUSHA_SUB.nIDNo ");
}

QString over16EntryJoin(bool exactId)
{
    return QStringLiteral(" LEFT JOIN OVER16COUNT ") + QStringLiteral(" ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd ")
        + QStringLiteral(" AND 月間実績.iKyotenEb = OVER16COUNT.iKyotenEb ")
        + (exactId ? QStringLiteral(" AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID ")
                   : QStringLiteral(" AND floor(月間実績.患者IDNo / 100) = floor(OVER16COUNT.nKanjaID / 100) "))
        + QStringLiteral(" AND 月間実績.実績年 = OVER16COUNT.iYear ")
        + QStringLiteral(" AND 月間実績.実績月 = OVER16COUNT.iMonth ");
}

QString certifierJoin(const QString& alias)
{
    const bool plain = alias == QLatin1String("STAFF");
    return (plain ? QStringLiteral(" LEFT JOIN STAFF ") : QStringLiteral(" LEFT JOIN STAFF AS ") + alias + u' ')
        + QStringLiteral(" ON OVER16COUNT.iKyotenCd = ") + alias + QStringLiteral(".iKyotenCd ")
        + QStringLiteral(" AND OVER16COUNT.iKyotenEb = ") + alias + QStringLiteral(".iKyotenEb ")
        + QStringLiteral(" AND OVER16COUNT.nStaffID = ") + alias + QStringLiteral(".nIDNo ");
}
