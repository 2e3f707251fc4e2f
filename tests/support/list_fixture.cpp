#include "list_fixture.h"

#include "db/table_checks.h"

#include <QDateTime>

namespace {
QString text(const QString& s)
{
    return s.isEmpty() ? QStringLiteral("NULL") : u'\'' + QString(s).replace(u'\'', QStringLiteral("''")) + u'\'';
}
} // namespace

ListFixture::ListFixture() { createDatabase(); }

void ListFixture::createDatabase(SchemaVariant v)
{
    db = inst.useSqliteDatabase();
    QFile::remove(db);
    QString err;
    if (!createSuiteDatabase(db, v, &err))
        ADD_FAILURE() << err.toStdString();
    iHasDouiRec = iHasHKSyobyou07Flg = iHasSyoujouSonota = iHasDelFlgHenrei = iHasJissekiHoseUmu = 0;
    EXPECT_EQ(iChkOver16Count(), 0);
    EXPECT_EQ(iChkDouiRec(), 0);
    EXPECT_EQ(iChkHKSyobyou07Flg(), 0);
    EXPECT_EQ(iChkSyoujouSonota(), 0);
    EXPECT_EQ(iChkJissekiField(), 0);
    rec.clear();
}

void ListFixture::addUser(const FixtureUser& u) const
{
    sql({QStringLiteral(
             "INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tBirthDay, tSyoryoDay, "
             "iSejutsuKubun, nTantou, iHinkaiKeikaku, cByoumei) VALUES (%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, %11)")
             .arg(u.kyotenCd)
             .arg(u.kyotenEb)
             .arg(u.id)
             .arg(text(u.name), text(u.kana), text(u.birth), text(u.syoryo))
             .arg(u.kubun)
             .arg(u.tantou)
             .arg(u.plan)
             .arg(text(u.byoumei))});
}

void ListFixture::addStaff(int id, const QString& name, int kyotenCd, int kyotenEb) const
{
    sql({QStringLiteral("INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName, iChusiFlg) VALUES (%1, %2, %3, %4, 0)")
             .arg(kyotenCd)
             .arg(kyotenEb)
             .arg(id)
             .arg(text(name))});
}

void ListFixture::addMonth(long id, int year, int month, int count, int kyotenCd, int kyotenEb) const
{
    sql({QStringLiteral(
             "INSERT INTO 月間実績 (iKyotenCd, iKyotenEb, 患者IDNo, 実績年, 実績月, 施術回数) VALUES (%1, %2, %3, %4, %5, %6)")
             .arg(kyotenCd)
             .arg(kyotenEb)
             .arg(id)
             .arg(year)
             .arg(month)
             .arg(count)});
}

void ListFixture::addJisseki(long id, const QDateTime& start, int staff, int seikyuKbn) const
{
    const QString s = start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString e = start.addSecs(1800).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    sql({QStringLiteral(
             "INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, "
             "tServicyDayEnd, iSeikyuKbn, iDelFlg_Henrei) VALUES (1, 3, %1, %2, %3, '%4', '%5', %6, 0)")
             .arg(m_jissekiNo++)
             .arg(id)
             .arg(staff)
             .arg(s, e)
             .arg(seikyuKbn)});
}

void ListFixture::addJissekiDays(long id, const QDate& from, int count, int staff) const
{
    for (int i = 0; i < count; ++i)
        addJisseki(id, QDateTime(from.addDays(i), QTime(10, 0)), staff);
}

void ListFixture::addOver16(long id, int year, int month, int staff) const
{
    sql({QStringLiteral(
             "INSERT INTO OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, nStaffID) VALUES (1, 3, %1, %2, "
             "%3, %4)")
             .arg(id)
             .arg(year)
             .arg(month)
             .arg(staff)});
}

void ListFixture::seedThreeUsers() const
{
    addStaff(1, QStringLiteral("佐藤　一郎"));
    addUser({10101, QStringLiteral("山田　太郎"), QStringLiteral("ヤマダ　タロウ"), 0, QStringLiteral("1940-04-01"),
             QStringLiteral("2020-01-10"), 1});
    addUser({10201, QStringLiteral("鈴木　花子"), QStringLiteral("スズキ　ハナコ"), 1, QStringLiteral("1935-12-01"),
             QStringLiteral("2023-11-02"), 1});
    addUser({10301, QStringLiteral("阿部　次郎"), QStringLiteral("アベ　ジロウ"), 0, QString(),
             QStringLiteral("2024-02-01"), 1});
    addMonth(10101, 2024, 5, 18);
    addMonth(10201, 2024, 5, 12);
    addMonth(10301, 2024, 5, 20);
}
