#include "staff_search_data.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "db/connection_recipe.h"
#include "db/sql_text.h"

QString staffSearchCondition(const StaffSearchConditions& c)
{
    QString w;
    auto add = [&w](const QString& piece) {
        w += (w.isEmpty() ? QStringLiteral(" where") : QStringLiteral(" and")) + piece;
    };
    if (!c.name.isEmpty())
        add(QStringLiteral(" cName LIKE ") + likeContains(c.name));
    if (!c.kana.isEmpty())
        add(QStringLiteral(" cNameKana LIKE ") + likeContains(c.kana));
    if (c.showEnded == 0)
        add(QStringLiteral(" (iChusiFlg = 0 OR iChusiFlg IS NULL)"));
    if (c.id > 0)
        add(QStringLiteral(" nIDNo = ") + QString::number(c.id));
    add(QStringLiteral(" iKyotenCd = ") + QString::number(gKyotenCd) + QStringLiteral(" and iKyotenEb = ")
        + QString::number(gKyotenEb));
    return w;
}

QString staffSearchQuery(const StaffSearchConditions& c)
{
    QString sql;
    for (const char* piece :
         {" select", "      *", " from", "      (", "         select", "              nIDNo", "             ,iKyotenCd",
          "             ,iKyotenEb", "             ,cName", "             ,cNameRyaku ", "             ,cNameKana ",
          "         from", "              STAFF"})
        sql += QString::fromLatin1(piece);
    sql += staffSearchCondition(c);
    for (const char* piece : {"      )staff", " order by", "     nIDNo", "    ,cName "})
        sql += QString::fromLatin1(piece);
    return sql;
}

StaffList loadStaffList(const StaffSearchConditions& c)
{
    StaffList out;
    const auto rs = recipeQuery(staffSearchQuery(c), QStringLiteral("iDsp1ranSub"));
    if (!rs) {
        out.failed = true;
        return out;
    }
    for (AdoRecordset r = *rs; !r.EOF_(); r.MoveNext())
        out.rows.push_back({nNullToLong(r[QStringLiteral("nIDNo")]), csNullToStr(r[QStringLiteral("cName")]),
                            csNullToStr(r[QStringLiteral("cNameKana")])});
    return out;
}
