// modChkTableField on a fresh, an old-layout and an up-to-date database.
#include "db_test_util.h"

#include "db/table_checks.h"

#include <gtest/gtest.h>

namespace {

short runAllChecks()
{
    short failures = 0;
    for (short (*check)() : {iChkOver16Count, iChkDouiRec, iChkHKSyobyou07Flg, iChkSyoujouSonota, iChkJissekiField})
        failures += check() != 0;
    return failures;
}

QStringList flags()
{
    return {QString::number(iHasDouiRec), QString::number(iHasHKSyobyou07Flg), QString::number(iHasSyoujouSonota),
            QString::number(iHasDelFlgHenrei), QString::number(iHasJissekiHoseUmu)};
}

QStringList over16Layout(cT_ADODB& db)
{
    return queryRows(db, QStringLiteral("SELECT name, max_length FROM sys.Columns WHERE object_id = "
                                        "Object_ID('[dbo].[OVER16COUNT]') ORDER BY column_id"));
}

QString schemaText(cT_ADODB& db)
{
    return queryRows(db, QStringLiteral("SELECT sql FROM sqlite_schema ORDER BY name")).join(u'\n');
}

void resetFlags(short value)
{
    iHasDouiRec = iHasHKSyobyou07Flg = iHasSyoujouSonota = iHasDelFlgHenrei = iHasJissekiHoseUmu = value;
}

const QStringList kCurrentOver16 = {
    QStringLiteral("iKyotenCd|4"), QStringLiteral("iKyotenEb|4"), QStringLiteral("nKanjaID|4"), QStringLiteral("iYear|4"),
    QStringLiteral("iMonth|4"), QStringLiteral("iNegaeri|4"), QStringLiteral("iOkiagari|4"), QStringLiteral("iZai|4"),
    QStringLiteral("iTachiagari|4"), QStringLiteral("iRitsui|4"), QStringLiteral("iNRS|4"),
    QStringLiteral("iZenkaiHyoukaUmu|4"), QStringLiteral("iZenkaiHyoukaHenaka|4"), QStringLiteral("cRiyuu|2000"),
    QStringLiteral("cHyoukaDay|20"), QStringLiteral("nStaffID|4"), QStringLiteral("cSyoumeiDay|20"),
    QStringLiteral("iKoushuku|4"), QStringLiteral("iMahi|4"), QStringLiteral("iSyoujouSonota|4"),
    QStringLiteral("cSyoujouSonota|48")};

} // namespace

TEST(DbTableChecks, FreshDatabaseGetsTheTableAndAllFlags)
{
    FixtureDb fx;
    ScopedRecordingPlatform rec;
    resetFlags(0);
    EXPECT_EQ(runAllChecks(), 0);
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(flags(), QStringList({"1", "1", "1", "1", "1"}));
    auto db = fx.connect();
    EXPECT_EQ(over16Layout(*db), kCurrentOver16);

    // Check 1 again changes nothing at all.
    const QString before = schemaText(*db);
    const QStringList version = queryRows(*db, QStringLiteral("PRAGMA schema_version"));
    EXPECT_EQ(iChkOver16Count(), 0);
    EXPECT_EQ(schemaText(*db), before);
    EXPECT_EQ(queryRows(*db, QStringLiteral("PRAGMA schema_version")), version);
}

TEST(DbTableChecks, OldLayoutIsWidenedKeepingEveryRow)
{
    FixtureDb fx(DriverKind::Embedded, SchemaVariant::Old);
    const QString reason = QString(500, QChar(u'痛'));
    fx.exec({QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, cRiyuu, nStaffID) "
                            "values (1, 3, 10101, 2021, 3, N'%1', 2)").arg(reason),
             QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, cRiyuu) "
                            "values (1, 3, 10201, 2021, 4, N'It''s fine')")});
    ScopedRecordingPlatform rec;
    resetFlags(1);
    EXPECT_EQ(runAllChecks(), 0);
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(flags(), QStringList({"0", "0", "0", "0", "0"}));
    auto db = fx.connect();
    EXPECT_EQ(over16Layout(*db), kCurrentOver16);
    EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT nKanjaID, cRiyuu, nStaffID, iMahi FROM OVER16COUNT ORDER BY nKanjaID")),
              QStringList({QStringLiteral("10101|") + reason + QStringLiteral("|2|NULL"),
                           QStringLiteral("10201|It's fine|NULL|NULL")}));
    // The key survived the rebuild.
    EXPECT_NE(db->iExecSQL(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth) "
                                          "values (1, 3, 10101, 2021, 3)")),
              0);
    const QString before = schemaText(*db);
    EXPECT_EQ(iChkOver16Count(), 0);
    EXPECT_EQ(schemaText(*db), before);
}

TEST(DbTableChecks, FailuresShowTheirMessageAndKeepTheFlags)
{
    FixtureDb fx;
    // JISSEKI and OVER16COUNT as views whose table is gone: their catalogue queries fail.
    fx.exec({QStringLiteral("DROP TABLE JISSEKI"), QStringLiteral("CREATE TABLE GONE (a int)"),
             QStringLiteral("CREATE VIEW JISSEKI AS SELECT a AS iHoseUmu FROM GONE"),
             QStringLiteral("CREATE VIEW OVER16COUNT AS SELECT a AS cRiyuu FROM GONE"), QStringLiteral("DROP TABLE GONE")});
    ScopedRecordingPlatform rec;
    resetFlags(1);
    EXPECT_EQ(iChkJissekiField(), -1);
    EXPECT_EQ(flags(), QStringList({"1", "1", "1", "1", "1"}));
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(rec.messages[0].text.startsWith(QStringLiteral("csInpKey_Isi() でエラー\r\n(-2147467259)")))
        << rec.messages[0].text.toStdString();
    EXPECT_TRUE(rec.messages[0].text.contains(QStringLiteral("\rSQL= SELECT * From sys.Columns WHERE name = 'iDelFlg_Henrei'")));

    rec.clear();
    EXPECT_EQ(iChkOver16Count(), -1);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(rec.messages[0].text.startsWith(QStringLiteral("setDouiNewestFlg() でエラー\r\nERR:iExecSQL (-2147467259)")));
    EXPECT_TRUE(rec.messages[0].text.contains(QStringLiteral("\rSQL= IF NOT EXISTS (     SELECT *")));
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::Critical);

    rec.clear();
    QFile::remove(fx.install.file(QStringLiteral("adodb.ini")));
    resetFlags(0);
    EXPECT_EQ(iChkDouiRec(), -1);
    EXPECT_EQ(iHasDouiRec, 0);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(rec.messages[0].text.startsWith(QStringLiteral("csInpKey_Isi() でエラー\r\n指定されたIni（")));
}
