// cT_ADODB: status values, sErrMsg texts, time-outs and values, on real database files.
#include "db_test_util.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

QString errorLines(const QString& description, long code)
{
    return QStringLiteral("\rConnection State=1\rError Number: %2\r  Description: %1\r  Source: SQLite\r  SQL State: HY000"
                          "\r  Native Error: %2\r\r1 provider error(s) occurred.")
        .arg(description)
        .arg(code);
}

// Makes a file read-only for this process, also for root (immutable attribute); undone on exit.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (geteuid() == 0)
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~ReadOnlyFile()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    bool effective() const { return access(m_path.toLocal8Bit().constData(), W_OK) != 0; }

private:
    QString m_path;
    bool m_immutable = false;
};

} // namespace

TEST(DbAdodb, FailedQueryTextCutsTheSqlAfter80Characters)
{
    FixtureDb fx;
    auto db = fx.connect();
    const QString head = QStringLiteral("SELECT * FROM NOSUCH WHERE a = '");
    const QString sql80 = head + QString(80 - head.size() - 1, u'x') + u'\'';
    const QString sql81 = head + QString(81 - head.size() - 1, u'x') + u'\'';
    ASSERT_EQ(sql80.size(), 80);
    AdoRecordset rs;
    const QString lines = errorLines(QStringLiteral("no such table: NOSUCH"), 1);
    EXPECT_EQ(db->iOpenRecSet(rs, sql80), -1);
    EXPECT_EQ(db->sErrMsg(), QStringLiteral("(-2147467259)no such table: NOSUCH\rSQL=") + sql80 + lines);
    EXPECT_TRUE(db->pendingErrors().empty());
    EXPECT_EQ(db->iOpenRecSet(rs, sql81), -1);
    EXPECT_EQ(db->sErrMsg(), QStringLiteral("(-2147467259)no such table: NOSUCH\rSQL=") + sql81.left(80)
                                 + QStringLiteral("・・・") + lines);
    EXPECT_FALSE(rs.isOpen());
}

TEST(DbAdodb, ExecAndTransactionErrorTexts)
{
    FixtureDb fx;
    auto db = fx.connect();
    const QString sql = QStringLiteral("insert into NOSUCH values (1) ") + QString(100, u' ') + QStringLiteral("-- end");
    long affected = 99;
    EXPECT_EQ(db->iExecSQL(sql, &affected), -1);
    EXPECT_EQ(affected, 99);
    EXPECT_EQ(db->sErrMsg(), QStringLiteral("ERR:iExecSQL (-2147467259)no such table: NOSUCH")
                                 + errorLines(QStringLiteral("no such table: NOSUCH"), 1) + QStringLiteral("\rSQL=") + sql);
    EXPECT_EQ(db->iCommitTrans(), -1);
    EXPECT_TRUE(db->sErrMsg().startsWith(QStringLiteral("ERR:CommitTrans (-2147467259)cannot commit - no transaction is active\r"
                                                        "Connection State=1\rError Number: 1\r")))
        << db->sErrMsg().toStdString();

    // Affected rows of a statement, and a transaction rolled back and one committed.
    EXPECT_EQ(db->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 1), (1, 3, 2)"), &affected), 0);
    EXPECT_EQ(affected, 2);
    EXPECT_EQ(db->iBeginTrans(), 0);
    EXPECT_EQ(db->iExecSQL(QStringLiteral("delete from STAFF"), &affected), 0);
    EXPECT_EQ(affected, 2);
    EXPECT_EQ(db->iRollback(), 0);
    EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT count(*) FROM STAFF")), QStringList{QStringLiteral("2")});
    EXPECT_EQ(db->iBeginTrans(), 0);
    EXPECT_EQ(db->iExecSQL(QStringLiteral("delete from STAFF WHERE nIDNo = 1")), 0);
    EXPECT_EQ(db->iCommitTrans(), 0);
    EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT count(*) FROM STAFF")), QStringList{QStringLiteral("1")});
}

TEST(DbAdodb, FailedConnectionsGiveOneLineAndNoPendingErrors)
{
    TestInstall install;
    QFile junk(install.file(QStringLiteral("junk.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    const struct {
        QString connectionString;
        QString expected;
    } cases[] = {
        {QStringLiteral("Provider=SQLite;Data Source=missing.db"),
         QStringLiteral("(-2147467259)データベースファイルが見つかりません。(") + install.file(QStringLiteral("missing.db")) + u')'},
        {QStringLiteral("Provider=SQLite;Data Source=junk.db"),
         QStringLiteral("(-2147467259)file is not a database (") + install.file(QStringLiteral("junk.db")) + u')'},
        {QStringLiteral("Provider=SQLite;Data Source=TMP"),
         QStringLiteral("(-2147467259)データベースファイルではありません。(") + install.file(QStringLiteral("TMP")) + u')'},
        {QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=HOST"),
         QStringLiteral("(-2147467259)Windows 統合認証（Integrated Security）はこの環境では使えません。"
                        "接続文字列に User ID と Password を指定してください。")},
        {QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb"),
         QStringLiteral("(-2147467259)プロバイダ「Microsoft.Jet.OLEDB.4.0」はこの環境では使えません。"
                        "Provider=SQLite、SQL Server の OLE DB プロバイダ、または ODBC の接続文字列を指定してください。")},
        {QString(), QStringLiteral("(-2147467259)接続文字列が空です。")},
    };
    for (const auto& c : cases) {
        cT_ADODB db;
        EXPECT_EQ(db.iInit(c.connectionString), 0);
        EXPECT_EQ(db.iConnect(), -1);
        EXPECT_EQ(db.sErrMsg(), c.expected);
        EXPECT_TRUE(db.pendingErrors().empty());
        EXPECT_EQ(db.connectionState(), adStateClosed);
    }
}

TEST(DbAdodb, TimeoutsAndReconnecting)
{
    FixtureDb fx;
    cT_ADODB db;
    db.iInit(fx.connectionString());
    EXPECT_EQ(db.commandTimeout(), 30);
    ASSERT_EQ(db.iConnect(), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(db.iSetTimeout(0), 0);
    EXPECT_EQ(db.iSetTimeout(-3), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(db.iSetTimeout(60), 0);
    EXPECT_EQ(db.commandTimeout(), 60);
    // iConnect on an open connection keeps it (a temporary table survives) and sets 180 again.
    ASSERT_EQ(db.iExecSQL(QStringLiteral("CREATE TEMP TABLE kept (a int)")), 0);
    EXPECT_EQ(db.iConnect(), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(queryRows(db, QStringLiteral("SELECT count(*) FROM kept")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(db.sDbName(), QStringLiteral("suite"));

    QString text = QStringLiteral("unchanged");
    db.vAddAdoErrorLog(text);
    EXPECT_EQ(text, QStringLiteral("unchanged"));

    EXPECT_EQ(db.iDisConnect(), 0);
    EXPECT_EQ(db.connectionState(), adStateClosed);
    EXPECT_EQ(db.iDisConnect(), -1);
    EXPECT_EQ(db.sErrMsg(), QStringLiteral("( 3704)オブジェクトが閉じている場合は、操作は許可されません。"));
    AdoRecordset rs;
    EXPECT_EQ(db.iOpenRecSet(rs, QStringLiteral("SELECT 1")), -1);
    EXPECT_EQ(db.sErrMsg(), QStringLiteral("( 3709)接続が閉じているか無効なため、この操作は実行できません。\rSQL=SELECT 1"));
    EXPECT_EQ(db.iCloseRecSet(rs), -1);
    EXPECT_EQ(db.sErrMsg(), QStringLiteral("3704\r\nオブジェクトが閉じている場合は、操作は許可されません。"));
    // A later use starts from a fresh connection.
    EXPECT_EQ(db.iConnect(), 0);
    EXPECT_EQ(db.commandTimeout(), 180);
}

TEST(DbAdodb, RecordsetValuesAndFields)
{
    FixtureDb fx;
    auto db = fx.connect();
    ASSERT_EQ(db->iExecSQL(QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, tBirthDay) "
                                          "values (1, 3, 10101, N'青木　一郎 ', '1950/08/01')")),
              0);
    AdoRecordset rs;
    ASSERT_EQ(db->iOpenRecSet(rs, QStringLiteral("SELECT nIDNo, cName, tBirthDay, tSyoryoDay, 1.5 AS r, nIDNo AS NIDNO2, "
                                                 "iKyotenEb AS nIDNo FROM RIYOUSHA")),
              0);
    EXPECT_EQ(rs["nidno"].typeId(), QMetaType::LongLong);   // case-insensitive; the first of duplicates
    EXPECT_EQ(rs["nidno"].toLongLong(), 10101);
    EXPECT_EQ(rs["cName"].toString(), QStringLiteral("青木　一郎 "));
    EXPECT_EQ(rs["tBirthDay"].toDateTime(), QDateTime(QDate(1950, 8, 1), QTime(0, 0)));
    EXPECT_TRUE(rs.isNull(QStringLiteral("tSyoryoDay")));
    EXPECT_EQ(rs["r"].typeId(), QMetaType::Double);
    EXPECT_FALSE(rs["nosuch"].isValid());
    rs.MoveNext();
    EXPECT_TRUE(rs.EOF_());
    EXPECT_EQ(db->iCloseRecSet(rs), 0);
    EXPECT_FALSE(rs.isOpen());
}

TEST(DbAdodb, LockedAndReadOnlyFilesGiveTheDriversTextWithTheFile)
{
    qputenv("MONTHLY_RECORDS_DB_TIMEOUT_MS", "200");
    FixtureDb fx;
    {
        // Another writer holds the database.
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(fx.path().toUtf8().constData(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        cT_ADODB db;
        db.iInit(fx.connectionString());
        EXPECT_EQ(db.iConnect(), -1);
        EXPECT_EQ(db.sErrMsg(), QStringLiteral("(-2147467259)database is locked (") + fx.path() + u')');
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        // A writer that has not committed yet: reading goes on, writing waits and fails.
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        ASSERT_EQ(db.iConnect(), 0);
        EXPECT_EQ(queryRows(db, QStringLiteral("SELECT count(*) FROM STAFF")), QStringList{QStringLiteral("0")});
        EXPECT_EQ(db.iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 1)")), -1);
        EXPECT_TRUE(db.sErrMsg().startsWith(QStringLiteral("ERR:iExecSQL (-2147467259)database is locked (") + fx.path() + u')'))
            << db.sErrMsg().toStdString();
        db.iDisConnect();
        sqlite3_close(other);
    }
    qunsetenv("MONTHLY_RECORDS_DB_TIMEOUT_MS");
    {
        ReadOnlyFile ro(fx.path());
        if (!ro.effective())
            GTEST_SKIP() << "cannot make a file read-only here";
        cT_ADODB db;
        db.iInit(fx.connectionString());
        ASSERT_EQ(db.iConnect(), 0) << db.sErrMsg().toStdString();
        EXPECT_EQ(queryRows(db, QStringLiteral("SELECT count(*) FROM CORP")), QStringList{QStringLiteral("0")});
        EXPECT_EQ(db.iExecSQL(QStringLiteral("insert into CORP (iKyotenCd, iKyotenEb, iType) values (1, 3, 0)")), -1);
        EXPECT_TRUE(db.sErrMsg().startsWith(QStringLiteral("ERR:iExecSQL (-2147467259)attempt to write a readonly database (")
                                            + fx.path() + u')'))
            << db.sErrMsg().toStdString();
    }
}
