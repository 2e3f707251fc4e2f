// cT_ADODB: status values, sErrMsg texts, time-outs and values, on real database files.
#include "db_test_util.h"

#include "support/file_faults.h"

// The error lines an SQLite error adds to sErrMsg.
const QString kNoSuchLines =
    QStringLiteral("\rConnection State=1\rError Number: 1\r  Description: no such table: NOSUCH\r  Source: SQLite"
                   "\r  SQL State: HY000\r  Native Error: 1\r\r1 provider error(s) occurred.");

TEST(DbAdodb, FailedConnectionsGiveOneLineAndNoPendingErrors)
{
    // (A missing file and a file that is no database: see the recipe's messages.)
    FixtureDb fx;
    const ScopedEnv timeout("MONTHLY_RECORDS_DB_TIMEOUT_MS", "200");
    OtherConnection writer; // another writer holds the database
    ASSERT_TRUE(writer.open(fx.path, "BEGIN EXCLUSIVE"));
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Provider=SQLite;Data Source=TMP"),
         QStringLiteral("データベースファイルではありません。(") + fx.install.file(QStringLiteral("TMP")) + u')'},
        {fx.connectionString, QStringLiteral("database is locked (") + fx.path + u')'},
        {QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=HOST"),
         QStringLiteral("Windows 統合認証（Integrated Security）はこの環境では使えません。"
                        "接続文字列に User ID と Password を指定してください。")},
        {QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb"),
         QStringLiteral(
             "プロバイダ「Microsoft.Jet.OLEDB.4.0」はこの環境では使えません。"
             "Provider=SQLite、SQL Server の OLE DB プロバイダ、または ODBC の接続文字列を指定してください。")},
        {QString(), QStringLiteral("接続文字列が空です。")},
    };
    for (const auto& [connectionString, expected] : cases) {
        cT_ADODB db;
        EXPECT_EQ(db.iInit(connectionString), 0);
        EXPECT_EQ(db.iConnect(), -1);
        EXPECT_EQ(db.sErrMsg(), QStringLiteral("(-2147467259)") + expected);
        EXPECT_TRUE(db.pendingErrors().empty());
        EXPECT_EQ(db.connectionState(), adStateClosed);
    }
}

TEST(DbAdodb, ErrorTextsTimeoutsReconnectingAndValues)
{
    FixtureDb fx;
    cT_ADODB db;
    db.iInit(fx.connectionString);
    EXPECT_EQ(db.commandTimeout(), 30);
    ASSERT_EQ(db.iConnect(), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(db.iSetTimeout(0), 0);
    EXPECT_EQ(db.iSetTimeout(-3), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(db.iSetTimeout(60), 0);
    EXPECT_EQ(db.commandTimeout(), 60);
    // A failed query cuts its SQL after 80 characters, iExecSQL keeps it whole and leaves the count alone.
    AdoRecordset rs;
    const QString head = QStringLiteral("SELECT * FROM NOSUCH WHERE a = '");
    const QString sql80 = head + QString(80 - head.size() - 1, u'x') + u'\'';
    const QString sql81 = head + QString(81 - head.size() - 1, u'x') + u'\'';
    EXPECT_EQ(db.iOpenRecSet(rs, sql80), -1);
    EXPECT_EQ(db.sErrMsg(), QStringLiteral("(-2147467259)no such table: NOSUCH\rSQL=") + sql80 + kNoSuchLines);
    EXPECT_TRUE(db.pendingErrors().empty());
    EXPECT_EQ(db.iOpenRecSet(rs, sql81), -1);
    EXPECT_EQ(db.sErrMsg(),
              QStringLiteral("(-2147467259)no such table: NOSUCH\rSQL=") + sql81.left(80) + QStringLiteral("・・・")
                  + kNoSuchLines);
    EXPECT_FALSE(rs.isOpen());

    const QString sql =
        QStringLiteral("insert into NOSUCH values (1) ") + QString(100, u' ') + QStringLiteral("-- end");
    long affected = 99;
    EXPECT_EQ(db.iExecSQL(sql, &affected), -1);
    EXPECT_EQ(affected, 99);
    EXPECT_EQ(db.sErrMsg(),
              QStringLiteral("ERR:iExecSQL (-2147467259)no such table: NOSUCH") + kNoSuchLines
                  + QStringLiteral("\rSQL=") + sql);
    EXPECT_EQ(db.iCommitTrans(), -1);
    EXPECT_TRUE(
        db.sErrMsg().startsWith(QStringLiteral("ERR:CommitTrans (-2147467259)cannot commit - no transaction is active\r"
                                               "Connection State=1\rError Number: 1\r")))
        << db.sErrMsg().toStdString();
    // iConnect on an open connection keeps it (a temporary table survives) and sets 180 again.
    ASSERT_EQ(db.iExecSQL(QStringLiteral("CREATE TEMP TABLE kept (a int)")), 0);
    EXPECT_EQ(db.iConnect(), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(queryRows(db, QStringLiteral("SELECT count(*) FROM kept")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(db.sDbName(), QStringLiteral("suite"));
    QString text = QStringLiteral("unchanged"); // no pending errors: nothing to add
    db.vAddAdoErrorLog(text);
    EXPECT_EQ(text, QStringLiteral("unchanged"));

    EXPECT_EQ(db.iDisConnect(), 0);
    EXPECT_EQ(db.connectionState(), adStateClosed);
    EXPECT_EQ(db.iDisConnect(), -1);
    EXPECT_EQ(db.sErrMsg(), QStringLiteral("( 3704)オブジェクトが閉じている場合は、操作は許可されません。"));
    EXPECT_EQ(db.iOpenRecSet(rs, QStringLiteral("SELECT 1")), -1);
    EXPECT_EQ(db.sErrMsg(),
              QStringLiteral("( 3709)接続が閉じているか無効なため、この操作は実行できません。\rSQL=SELECT 1"));
    EXPECT_EQ(db.iCloseRecSet(rs), -1);
    EXPECT_EQ(db.sErrMsg(), QStringLiteral("3704\r\nオブジェクトが閉じている場合は、操作は許可されません。"));
    // A later use starts from a fresh connection; recordset values come converted.
    EXPECT_EQ(db.iConnect(), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    ASSERT_EQ(db.iExecSQL(QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, tBirthDay) "
                                         "values (1, 3, 10101, N'青木　一郎 ', '1950/08/01')")),
              0);
    ASSERT_EQ(db.iOpenRecSet(rs,
                             QStringLiteral("SELECT nIDNo, cName, tBirthDay, tSyoryoDay, 1.5 AS r, nIDNo AS NIDNO2, "
                                            "iKyotenEb AS nIDNo FROM RIYOUSHA")),
              0);
    EXPECT_EQ(rs["nidno"].typeId(), QMetaType::LongLong); // case-insensitive; the first of duplicates
    EXPECT_EQ(rs["r"].typeId(), QMetaType::Double);
    QStringList named;
    for (const char* name : {"nidno", "cName", "tBirthDay", "tSyoryoDay", "r"})
        named << cellText(rs[QString::fromLatin1(name)]);
    EXPECT_EQ(named.join(u'|'), QStringLiteral("10101|青木　一郎 |1950-08-01T00:00:00|NULL|1.5"));
    EXPECT_TRUE(rs.isNull(QStringLiteral("tSyoryoDay")));
    EXPECT_FALSE(rs["nosuch"].isValid());
    rs.MoveNext();
    EXPECT_TRUE(rs.EOF_());
    EXPECT_EQ(db.iCloseRecSet(rs), 0);
    EXPECT_FALSE(rs.isOpen());
}
