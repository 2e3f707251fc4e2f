// modChkTableField on a fresh, an old-layout and an up-to-date database.
#include "db_test_util.h"

#include <QFile>

namespace {

QString flags()
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(iHasDouiRec)
        .arg(iHasHKSyobyou07Flg)
        .arg(iHasSyoujouSonota)
        .arg(iHasDelFlgHenrei)
        .arg(iHasJissekiHoseUmu);
}

void setFlags(short value)
{
    iHasDouiRec = iHasHKSyobyou07Flg = iHasSyoujouSonota = iHasDelFlgHenrei = iHasJissekiHoseUmu = value;
}

// Every definition in the file and its version: what a check that has nothing to do leaves as it is.
QStringList schema(cT_ADODB& db)
{
    return queryRows(db, QStringLiteral("SELECT sql FROM sqlite_schema ORDER BY name"))
        + queryRows(db, QStringLiteral("PRAGMA schema_version"));
}

} // namespace

TEST(DbTableChecks, FreshAndOldLayoutsEndCurrentKeepingEveryRow)
{
    const QString reason = QString(500, QChar(u'痛'));
    const struct {
        SchemaVariant variant;
        const char* flags;
        QStringList rows; // OVER16COUNT after the checks
    } cases[] = {
        {SchemaVariant::Current, "1 1 1 1 1", {}},
        {SchemaVariant::Old,
         "0 0 0 0 0",
         {QStringLiteral("10101|") + reason + QStringLiteral("|2|NULL"), QStringLiteral("10201|It's fine|NULL|NULL")}},
    };
    for (const Via kind : {Via::Embedded, Via::Odbc}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kind == Via::Odbc ? "odbc " : "embedded ") + c.flags);
            FixtureDb fx(kind, c.variant);
            if (c.variant == SchemaVariant::Old)
                fx.exec(
                    {QStringLiteral(
                         "insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, cRiyuu, nStaffID) "
                         "values (1, 3, 10101, 2021, 3, N'%1', 2)")
                         .arg(reason),
                     QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, cRiyuu) "
                                    "values (1, 3, 10201, 2021, 4, N'It''s fine')")});
            ScopedRecordingPlatform rec;
            setFlags(c.variant == SchemaVariant::Old ? 1 : 0);
            EXPECT_EQ(runTableChecks(), QStringLiteral("0 0 0 0 0"));
            EXPECT_TRUE(rec.messages.isEmpty());
            EXPECT_EQ(flags(), QString::fromLatin1(c.flags));
            // The catalogue's lengths: SQL Server's bytes (nvarchar two a character, datetime 8).
            auto db = fx.connect();
            EXPECT_EQ(queryRows(*db,
                                QStringLiteral("SELECT max_length FROM sys.Columns WHERE name = 'tBirthDay' "
                                               "and object_id = Object_ID('[dbo].[RIYOUSHA]')")),
                      QStringList{QStringLiteral("8")});
            EXPECT_EQ(
                queryRows(*db,
                          QStringLiteral("SELECT name, max_length FROM sys.Columns WHERE object_id = "
                                         "Object_ID('[dbo].[OVER16COUNT]') ORDER BY column_id"))
                    .join(u' '),
                QStringLiteral("iKyotenCd|4 iKyotenEb|4 nKanjaID|4 iYear|4 iMonth|4 iNegaeri|4 iOkiagari|4 iZai|4 "
                               "iTachiagari|4 iRitsui|4 iNRS|4 iZenkaiHyoukaUmu|4 iZenkaiHyoukaHenaka|4 cRiyuu|2000 "
                               "cHyoukaDay|20 nStaffID|4 cSyoumeiDay|20 iKoushuku|4 iMahi|4 iSyoujouSonota|4 "
                               "cSyoujouSonota|48"));
            EXPECT_EQ(
                queryRows(
                    *db, QStringLiteral("SELECT nKanjaID, cRiyuu, nStaffID, iMahi FROM OVER16COUNT ORDER BY nKanjaID")),
                c.rows);
            // The key survived (or came with the table).
            EXPECT_NE(db->iExecSQL(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, "
                                                  "iMonth) values (1, 3, 1, 2021, 3), (1, 3, 1, 2021, 3)")),
                      0);
            // Check 1 again changes nothing at all.
            const QStringList before = schema(*db);
            EXPECT_EQ(iChkOver16Count(), 0);
            EXPECT_EQ(schema(*db), before);
        }
    }
}

TEST(DbTableChecks, FailuresShowTheirMessageAndKeepTheFlags)
{
    FixtureDb fx;
    // JISSEKI and OVER16COUNT as views whose table is gone: their catalogue queries fail.
    fx.exec({QStringLiteral("DROP TABLE JISSEKI"), QStringLiteral("CREATE TABLE GONE (a int)"),
             QStringLiteral("CREATE VIEW JISSEKI AS SELECT a AS iHoseUmu FROM GONE"),
             QStringLiteral("CREATE VIEW OVER16COUNT AS SELECT a AS cRiyuu FROM GONE"),
             QStringLiteral("DROP TABLE GONE")});
    ScopedRecordingPlatform rec;
    setFlags(1);
    EXPECT_EQ(iChkJissekiField(), -1);
    EXPECT_EQ(flags(), QStringLiteral("1 1 1 1 1"));
    EXPECT_EQ(iChkOver16Count(), -1);
    iHasDouiRec = 0;
    QFile::remove(fx.install.file(QStringLiteral("adodb.ini")));
    EXPECT_EQ(iChkDouiRec(), -1);
    EXPECT_EQ(iHasDouiRec, 0);
    // One critical message each, in that order: its start … a piece further on.
    const char* const texts[] = {
        "csInpKey_Isi() でエラー\r\n(-2147467259)…\rSQL= SELECT * From sys.Columns WHERE name = 'iDelFlg_Henrei'",
        "setDouiNewestFlg() でエラー\r\nERR:iExecSQL (-2147467259)…\rSQL= IF NOT EXISTS (     SELECT *",
        "csInpKey_Isi() でエラー\r\n指定されたIni（…"};
    ASSERT_EQ(rec.messages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QStringList parts = QString::fromUtf8(texts[i]).split(u'…');
        const QString& shown = rec.messages[i].text;
        EXPECT_TRUE(shown.startsWith(parts[0]) && shown.contains(parts[1])) << shown.toStdString();
        EXPECT_EQ(rec.messages[i].icon, MsgIcon::Critical);
    }
}

TEST(DbTableChecks, ColumnNamesCompareWithoutRegardToCaseAndWideningIsNotRepeated)
{
    // The suite's collation ignores case: a column spelt in other case is the same column, so
    // the flags are set and check 1 neither adds its columns again nor rebuilds the table.
    for (const Via kind : {Via::Embedded, Via::Odbc}) {
        SCOPED_TRACE(kind == Via::Odbc ? "odbc" : "embedded");
        FixtureDb fx(kind);
        execPlainSqlite(
            fx.path,
            {QStringLiteral("ALTER TABLE JISSEKI RENAME COLUMN iHoseUmu TO ihoseumu"),
             QStringLiteral("ALTER TABLE JISSEKI RENAME COLUMN iDelFlg_Henrei TO IDELFLG_HENREI"),
             QStringLiteral("ALTER TABLE RIYOUSHA_SUB RENAME COLUMN iHKSyobyou07Flg TO ihksyobyou07flg"),
             QStringLiteral("ALTER TABLE RIYOUSHA_SUB RENAME COLUMN iSyoujouSonota TO isyoujousonota"),
             QStringLiteral("CREATE TABLE over16count (ikyotencd int NOT NULL, ikyotenEb int NOT NULL, "
                            "nkanjaid int NOT NULL, iyear int NOT NULL, imonth int NOT NULL, "
                            "criyuu nvarchar(1000) NULL, ikoushuku int NULL, imahi int NULL, "
                            "ISYOUJOUSONOTA int NULL, csyoujousonota nvarchar(24) NULL, "
                            "PRIMARY KEY (ikyotencd, ikyotenEb, nkanjaid, iyear, imonth))"),
             QStringLiteral("INSERT INTO over16count (ikyotencd, ikyotenEb, nkanjaid, iyear, imonth, criyuu) "
                            "VALUES (1, 3, 10101, 2024, 5, 'kept')")});
        ScopedRecordingPlatform rec;
        setFlags(0);
        auto db = fx.connect();
        const QStringList before = schema(*db);
        EXPECT_EQ(runTableChecks(), QStringLiteral("0 0 0 0 0"));
        EXPECT_TRUE(rec.messages.isEmpty());
        EXPECT_EQ(flags(), QStringLiteral("1 1 1 1 1"));
        EXPECT_EQ(schema(*db), before);
        EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT nKanjaID, cRiyuu FROM OVER16COUNT")),
                  QStringList{"10101|kept"});

        // Statement 1 makes cRiyuu 2000 bytes long already: statement 3 leaves a table it created as it is.
        FixtureDb fresh(kind);
        auto created = fresh.connect();
        const QStringList statements = over16CountStatements();
        ASSERT_EQ(statements.size(), 3);
        ASSERT_EQ(created->iExecSQL(statements[0]), 0) << created->sErrMsg().toStdString();
        ASSERT_EQ(created->iExecSQL(statements[1]), 0) << created->sErrMsg().toStdString();
        const QStringList made = schema(*created);
        EXPECT_TRUE(made.join(u' ').contains(QStringLiteral("cRiyuu nvarchar(1000)"))) << made.join(u' ').toStdString();
        ASSERT_EQ(created->iExecSQL(statements[2]), 0) << created->sErrMsg().toStdString();
        EXPECT_EQ(schema(*created), made);
    }
}
