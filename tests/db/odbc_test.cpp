// The ODBC path: unixODBC with the SQLite3 driver on the suite's files, and the OLE DB form
// mapped to FreeTDS with a real connection attempt.
#include "db_test_util.h"

#include "db/connection_string.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A loopback port: bound, then closed (nothing listens) or kept listening without answering.
class LoopbackPort {
public:
    explicit LoopbackPort(bool listening)
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        if (listening) {
            listen(m_fd, 4);
        } else {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~LoopbackPort()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    int port = 0;

private:
    int m_fd = -1;
};

} // namespace

TEST(DbOdbc, TransactionsAndErrorsWithSqlState)
{
    FixtureDb fx(DriverKind::Odbc);
    auto db = fx.connect();
    EXPECT_EQ(db->iBeginTrans(), 0);
    EXPECT_EQ(db->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) values (1, 3, 1, N'山田　太郎')")), 0);
    EXPECT_EQ(db->iRollback(), 0) << db->sErrMsg().toStdString();
    EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT count(*) FROM STAFF")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(db->iBeginTrans(), 0);
    EXPECT_EQ(db->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) values (1, 3, 1, N'山田　太郎')")), 0);
    EXPECT_EQ(db->iCommitTrans(), 0) << db->sErrMsg().toStdString();
    EXPECT_EQ(queryRows(*db, QStringLiteral("SELECT cName FROM STAFF")), QStringList{QStringLiteral("山田　太郎")});

    // The driver's diagnostic records, each with its SQLSTATE and native error.
    EXPECT_EQ(db->iExecSQL(QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 1)")), -1);
    const QString msg = db->sErrMsg();
    static const QRegularExpression shape(QStringLiteral(
        "^ERR:iExecSQL \\(-2147467259\\)(.+)\\rConnection State=1(\\rError Number: -?\\d+\\r  Description: .+\\r  Source: .+"
        "\\r  SQL State: [0-9A-Z]{5}\\r  Native Error: -?\\d+)+\\r\\r\\d+ provider error\\(s\\) occurred\\.\\rSQL=insert into STAFF"));
    EXPECT_TRUE(shape.match(msg).hasMatch()) << msg.toStdString();
    EXPECT_TRUE(msg.contains(QStringLiteral("UNIQUE constraint failed"))) << msg.toStdString();

    AdoRecordset rs;
    EXPECT_EQ(db->iOpenRecSet(rs, QStringLiteral("SELECT * FROM NOSUCH")), -1);
    EXPECT_TRUE(db->sErrMsg().contains(QStringLiteral("no such table: NOSUCH"))) << db->sErrMsg().toStdString();
    // The SQLite ODBC driver reports the ODBC 2 state of a general error.
    EXPECT_TRUE(db->sErrMsg().contains(QStringLiteral("\r  SQL State: S1000"))) << db->sErrMsg().toStdString();
}

TEST(DbOdbc, OleDbFormMapsToFreeTds)
{
    const struct {
        const char* oleDb;
        const char* odbc; // empty: the form is refused
    } cases[] = {
        {"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=secret;Initial Catalog=SUITE;"
         "Data Source=HOST\\SQLEXPRESS",
         "Driver={FreeTDS};Server=HOST\\SQLEXPRESS;Database=SUITE;UID=sa;PWD=secret;TDS_Version=7.4;ClientCharset=UTF-8"},
        {"provider=SQLNCLI11;data source=tcp:10.0.0.5,1433;initial catalog=S;user id=u;password=\"p;w\";User ID=last",
         "Driver={FreeTDS};Server=10.0.0.5;Port=1433;Database=S;UID=last;PWD={p;w};TDS_Version=7.4;ClientCharset=UTF-8"},
        {"Provider=MSOLEDBSQL;Data Source=(local);Initial Catalog=S;User ID=u;Password=",
         "Driver={FreeTDS};Server=localhost;Database=S;UID=u;PWD=;TDS_Version=7.4;ClientCharset=UTF-8"},
        {"Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=HOST", ""},
        {"Provider=SQLOLEDB;Trusted_Connection=yes;Data Source=HOST;User ID=sa", ""},
        {"Provider=SQLOLEDB;User ID=sa", ""},
        {"Provider=SQLOLEDB;Data Source=np:\\\\HOST\\pipe\\sql\\query;User ID=sa", ""},
    };
    for (const auto& c : cases) {
        const ConnectionTarget t = parseConnectionString(QString::fromLatin1(c.oleDb), QStringLiteral("/app"));
        if (*c.odbc) {
            EXPECT_EQ(t.kind, ConnectionTarget::Kind::Odbc) << c.oleDb;
            EXPECT_EQ(t.odbcString, QString::fromLatin1(c.odbc)) << c.oleDb;
        } else {
            EXPECT_EQ(t.kind, ConnectionTarget::Kind::Invalid) << c.oleDb;
            EXPECT_FALSE(t.error.isEmpty());
        }
    }
    qputenv("MONTHLY_RECORDS_ODBC_DRIVER", "ODBC Driver 18 for SQL Server");
    EXPECT_TRUE(parseConnectionString(QStringLiteral("Provider=SQLOLEDB;Data Source=H;User ID=u"), QString())
                    .odbcString.startsWith(QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=H;")));
    qunsetenv("MONTHLY_RECORDS_ODBC_DRIVER");

    const ConnectionTarget embedded = parseConnectionString(QStringLiteral("Provider=SQLite;Data Source=DATA\\suite.db"),
                                                            QStringLiteral("/opt/app"));
    EXPECT_EQ(embedded.sqlitePath, QStringLiteral("/opt/app/DATA/suite.db"));
    EXPECT_EQ(parseConnectionString(QStringLiteral("DSN=suite;UID=u"), QString()).odbcString, QStringLiteral("DSN=suite;UID=u"));
    EXPECT_EQ(parseConnectionString(QStringLiteral("Provider=SQLite;Data Source=C:\\data\\x.db"), QString()).kind,
              ConnectionTarget::Kind::Invalid);
}

TEST(DbOdbc, FreeTdsToAClosedPortFailsQuicklyWithTheDriversText)
{
    const LoopbackPort closed(false);
    cT_ADODB db;
    db.iInit(QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=x;Initial Catalog=SUITE;"
                            "Data Source=127.0.0.1,%1")
                 .arg(closed.port));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(db.iConnect(), -1);
    EXPECT_LT(timer.elapsed(), 20000);
    const QString msg = db.sErrMsg();
    EXPECT_TRUE(msg.startsWith(QStringLiteral("(-2147467259)[FreeTDS]"))) << msg.toStdString();
    EXPECT_TRUE(msg.contains(QStringLiteral("Unable to connect"))) << msg.toStdString();
    EXPECT_FALSE(msg.contains(u'\r')); // one diagnostic, no error lines
    EXPECT_TRUE(db.pendingErrors().empty());
}

TEST(DbOdbc, SilentServerIsCutByTheLoginTimeout)
{
    const LoopbackPort silent(true);
    qputenv("MONTHLY_RECORDS_DB_TIMEOUT_MS", "1000");
    cT_ADODB db;
    db.iInit(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=x;Initial Catalog=SUITE;Data Source=127.0.0.1,%1")
                 .arg(silent.port));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(db.iConnect(), -1);
    qunsetenv("MONTHLY_RECORDS_DB_TIMEOUT_MS");
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_TRUE(db.sErrMsg().startsWith(QStringLiteral("(-2147467259)"))) << db.sErrMsg().toStdString();
}
