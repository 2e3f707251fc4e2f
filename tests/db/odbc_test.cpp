// The ODBC path: unixODBC with the SQLite3 driver on the suite's files, and the OLE DB form
// mapped to FreeTDS with a real connection attempt.
#include "db_test_util.h"

#include "db/connection_string.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TEST(DbOdbc, TransactionsOnBothDriversAndErrorsWithSqlState)
{
    // Affected rows, a transaction rolled back, one committed and one left open at the disconnect
    // (a failed commit, an error on the way: neither its changes nor a lock stay), on either driver.
    for (const Via kind : {Via::Embedded, Via::Odbc}) {
        FixtureDb fx(kind);
        auto db = fx.connect();
        long affected = 0;
        EXPECT_EQ(
            db->iExecSQL(QStringLiteral(
                             "insert into STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) values (1, 3, 1, N'山田　太郎'), "
                             "(1, 3, 2, NULL)"),
                         &affected),
            0);
        EXPECT_EQ(affected, 2);
        for (const bool commit : {false, true}) {
            EXPECT_EQ(db->iBeginTrans(), 0);
            EXPECT_EQ(db->iExecSQL(QStringLiteral("delete from STAFF WHERE nIDNo = 2"), &affected), 0);
            EXPECT_EQ(affected, 1);
            EXPECT_EQ(commit ? db->iCommitTrans() : db->iRollback(), 0) << db->sErrMsg().toStdString();
            EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT count(*) FROM STAFF")),
                      QStringList{QString::number(commit ? 1 : 2)});
        }
        if (kind == Via::Odbc) {
            // The ODBC driver's diagnostic records, each with its SQLSTATE and native error.
            EXPECT_EQ(db->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 1)")),
                      -1);
            const QString msg = db->sErrMsg();
            static const QRegularExpression shape(QStringLiteral(
                "^ERR:iExecSQL \\(-2147467259\\)(.+)\\rConnection State=1(\\rError Number: -?\\d+\\r  Description: "
                ".+\\r  Source: .+"
                "\\r  SQL State: [0-9A-Z]{5}\\r  Native Error: -?\\d+)+\\r\\r\\d+ provider error\\(s\\) "
                "occurred\\.\\rSQL=insert into STAFF"));
            EXPECT_TRUE(shape.match(msg).hasMatch() && msg.contains(QStringLiteral("UNIQUE constraint failed")))
                << msg.toStdString();
            AdoRecordset rs;
            EXPECT_EQ(db->iOpenRecSet(rs, QStringLiteral("SELECT * FROM NOSUCH")), -1);
            // The SQLite ODBC driver reports the ODBC 2 state of a general error.
            EXPECT_TRUE(db->sErrMsg().contains(QStringLiteral("no such table: NOSUCH"))
                        && db->sErrMsg().contains(QStringLiteral("\r  SQL State: S1000")))
                << db->sErrMsg().toStdString();
        }
        ASSERT_EQ(db->iBeginTrans(), 0);
        ASSERT_EQ(db->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 3)")), 0);
        EXPECT_EQ(db->iDisConnect(), 0);
        const ScopedEnv timeout("MONTHLY_RECORDS_DB_TIMEOUT_MS", "200");
        auto other = fx.connect();
        EXPECT_EQ(other->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 4)")),
                  0)
            << other->sErrMsg().toStdString();
        EXPECT_EQ(queryRows(*other, QStringLiteral("SELECT nIDNo FROM STAFF ORDER BY nIDNo")), QStringList({"1", "4"}));
    }
}

TEST(DbOdbc, OleDbFormMapsToFreeTds)
{
    const std::pair<const char*, const char*> cases[] = {
        // empty: the form is refused
        {"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=secret;Initial Catalog=SUITE;"
         "Data Source=HOST\\SQLEXPRESS",
         "Driver={FreeTDS};Server=HOST\\SQLEXPRESS;Database=SUITE;UID=sa;PWD=secret;TDS_Version=7.4;"
         "ClientCharset=UTF-8"},
        {"provider=SQLNCLI11;data source=tcp:10.0.0.5,1433;initial catalog=S;user id=u;password=\"p;w\";User ID=last",
         "Driver={FreeTDS};Server=10.0.0.5;Port=1433;Database=S;UID=last;PWD={p;w};TDS_Version=7.4;"
         "ClientCharset=UTF-8"},
        {"Provider=MSOLEDBSQL;Data Source=(local);Initial Catalog=S;User ID=u;Password=",
         "Driver={FreeTDS};Server=localhost;Database=S;UID=u;PWD=;TDS_Version=7.4;ClientCharset=UTF-8"},
        {"Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=HOST", ""},
        {"Provider=SQLOLEDB;Trusted_Connection=yes;Data Source=HOST;User ID=sa", ""},
        {"Provider=SQLOLEDB;User ID=sa", ""},
        {"Provider=SQLOLEDB;Data Source=np:\\\\HOST\\pipe\\sql\\query;User ID=sa", ""},
        {"Provider=SQLite;Data Source=C:\\data\\x.db", ""},
    };
    for (const auto& [text, odbc] : cases) {
        const ConnectionTarget t = parseConnectionString(QString::fromLatin1(text), QStringLiteral("/app"));
        EXPECT_EQ(t.kind, *odbc ? ConnectionTarget::Kind::Odbc : ConnectionTarget::Kind::Invalid) << text;
        EXPECT_EQ(t.odbcString, QString::fromLatin1(odbc)) << text;
        EXPECT_EQ(t.error.isEmpty(), *odbc != 0) << text;
    }
    {
        const ScopedEnv driver("MONTHLY_RECORDS_ODBC_DRIVER", "ODBC Driver 18 for SQL Server");
        EXPECT_TRUE(parseConnectionString(QStringLiteral("Provider=SQLOLEDB;Data Source=H;User ID=u"), QString())
                        .odbcString.startsWith(QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=H;")));
    }
    EXPECT_EQ(
        parseConnectionString(QStringLiteral("Provider=SQLite;Data Source=DATA\\suite.db"), QStringLiteral("/opt/app"))
            .sqlitePath,
        QStringLiteral("/opt/app/DATA/suite.db"));
    EXPECT_EQ(parseConnectionString(QStringLiteral("DSN=suite;UID=u"), QString()).odbcString,
              QStringLiteral("DSN=suite;UID=u"));
}

// A real FreeTDS connection to a loopback port that is closed, or that listens and never answers
// (cut by the login time-out): each fails within a bounded time with one line of text.
TEST(DbOdbc, FreeTdsToAClosedOrSilentPortFailsQuickly)
{
    for (const bool listening : {false, true}) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
        socklen_t len = sizeof a;
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        const ScopedEnv timeout("MONTHLY_RECORDS_DB_TIMEOUT_MS", "1000");
        listening ? listen(fd, 4) : close(fd);
        cT_ADODB db;
        db.iInit(QStringLiteral(
                     "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=x;Initial Catalog=SUITE;"
                     "Data Source=127.0.0.1,%1")
                     .arg(ntohs(a.sin_port)));
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(db.iConnect(), -1);
        EXPECT_LT(timer.elapsed(), listening ? 15000 : 20000);
        if (listening)
            close(fd);
        // One diagnostic, no error lines; the closed port gives the driver's own text.
        const QString msg = db.sErrMsg();
        EXPECT_TRUE(msg.startsWith(QString::fromLatin1(listening ? "(-2147467259)" : "(-2147467259)[FreeTDS]"))
                    && !msg.contains(u'\r'))
            << msg.toStdString();
        EXPECT_TRUE(listening || msg.contains(QStringLiteral("Unable to connect"))) << msg.toStdString();
        EXPECT_TRUE(db.pendingErrors().empty());
    }
}
