#include "treatment_queries.h"

#include "common/globals.h"
#include "common/vb.h"
#include "common/vb_error.h"
#include "db/table_checks.h"

namespace {
QString num(long v) { return QString::number(v); }
}

QString firstOfNextMonth(const QString& dateText)
{
    const auto d = vb::toDate(dateText);
    if (!d)
        vbRaise(vberr::typeMismatch());
    const QDate first(d->date().year(), d->date().month(), 1);
    return vb::format(vb::dateAddMonths(first, 1), QStringLiteral("yyyy/mm/dd"));
}

QString jissekiFromDayQuery(long userId, const QString& fromDate, JissekiColumns columns)
{
    const QString next = firstOfNextMonth(fromDate);
    QString sql = QStringLiteral("SELECT count(*) as cnt ");
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
    sql += QStringLiteral(" WHERE nRiyoushaidno = ") + num(userId);
    sql += QStringLiteral(" and iKyotenCd = ") + num(gKyotenCd);
    sql += QStringLiteral(" and iKyotenEb = ") + num(gKyotenEb);
    sql += QStringLiteral(" AND   tServicyDayStart >= '") + fromDate + u'\'';
    sql += QStringLiteral(" AND   tServicyDayStart < '") + next + u'\'';
    sql += QStringLiteral(" and  iSeikyuKbn = 0");
    if (iHasDelFlgHenrei == 1)
        sql += QStringLiteral(" and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)");
    return sql;
}

QString douiRecordQuery(long userId, const QString& monthStart)
{
    const QString next = firstOfNextMonth(monthStart);
    QString sql = QStringLiteral("select *  ");
    sql += QStringLiteral(" from RIYOUSHA_DOUI_REC  ");
    sql += QStringLiteral(" WHERE ");
    sql += QStringLiteral("     nIDNo = '") + num(userId) + u'\'';
    sql += QStringLiteral(" and iKyotenCd = ") + num(gKyotenCd);
    sql += QStringLiteral(" and iKyotenEb = ") + num(gKyotenEb);
    sql += QStringLiteral(" and tDouiKaryoS < '") + next + u'\'';
    sql += QStringLiteral(" and iHenkeiFlg = 0 ");
    sql += QStringLiteral(" ORDER BY nDate desc ");
    return sql;
}
