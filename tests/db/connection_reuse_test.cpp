// Idle connections reused below cT_ADODB: a routine sees a handed-out connection exactly as a
// fresh one (no transaction, no temporary table, the default time-out, the file as it is now),
// on both drivers and per thread.
#include "db_test_util.h"

#include "db/connection_recipe.h"

#include "support/file_faults.h"

#include <QFile>
#include <QSqlDatabase>
#include <QThread>

namespace {

const QString kInsert = QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo) values (1, 3, 1)");
const QString kCount = QStringLiteral("SELECT count(*) FROM STAFF");

// Status, error text and rows of one routine that connects, optionally writes, and counts.
QString routine(const QString& connectionString, bool write = false)
{
    cT_ADODB db;
    db.iInit(connectionString);
    if (db.iConnect() != 0)
        return QStringLiteral("connect: ") + db.sErrMsg();
    QString out;
    if (write && db.iExecSQL(kInsert) != 0)
        out = QStringLiteral("write: ") + db.sErrMsg().section(u'\r', 0, 0) + u' ';
    AdoRecordset rs;
    out += db.iOpenRecSet(rs, kCount) == 0 ? rs.field(0).toString() : QStringLiteral("read: ") + db.sErrMsg();
    db.iDisConnect();
    return out;
}

class ConnectionReuse : public ::testing::TestWithParam<Via> {
protected:
    ~ConnectionReuse() override { setConnectionReuse(true); }
    // The routine's outcome with reuse, after a connection to the file went idle, and anew.
    std::pair<QString, QString> withAndWithout(const std::function<void()>& change, bool write = false)
    {
        setConnectionReuse(true);
        routine(fx.connectionString);
        change();
        const QString reused = routine(fx.connectionString, write);
        setConnectionReuse(false);
        const QString fresh = routine(fx.connectionString, write);
        setConnectionReuse(true);
        return {reused, fresh};
    }

    FixtureDb fx{GetParam()};
};

TEST_P(ConnectionReuse, AHandedOutConnectionIsLikeANewOne)
{
    {
        auto db = fx.connect();
        // Left behind: a transaction with a row in it, a time-out of its own.
        ASSERT_EQ(db->iBeginTrans(), 0);
        ASSERT_EQ(db->iExecSQL(kInsert), 0);
        db->iSetTimeout(5);
        EXPECT_EQ(db->iDisConnect(), 0);
    }
    const int afterClose = idleConnectionCount();
    EXPECT_GE(afterClose, 1);
    cT_ADODB db;
    db.iInit(fx.connectionString);
    ASSERT_EQ(db.iConnect(), 0);
    EXPECT_EQ(idleConnectionCount(), afterClose - 1); // the idle one, not a new one
    EXPECT_EQ(db.commandTimeout(), 180);
    EXPECT_EQ(queryRows(db, kCount), QStringList{QStringLiteral("0")}); // rolled back
    EXPECT_EQ(db.iBeginTrans(), 0) << db.sErrMsg().toStdString();       // none was left open
    EXPECT_EQ(db.iCommitTrans(), 0);
    // A temporary table does not reach the next routine: that connection is not kept.
    ASSERT_EQ(db.iExecSQL(QStringLiteral("CREATE TEMP TABLE scratch (a int)")), 0);
    db.iDisConnect();
    EXPECT_EQ(idleConnectionCount(), afterClose - 1);
    auto next = fx.connect();
    AdoRecordset rs;
    EXPECT_EQ(next->iOpenRecSet(rs, QStringLiteral("SELECT * FROM scratch")), -1);
    next->iDisConnect();
    setConnectionReuse(false); // every connection closes for good
    EXPECT_EQ(idleConnectionCount(), 0);
}

TEST_P(ConnectionReuse, TheFileAsItIsNowReplacedOrReadOnly)
{
    // (A locked or missing file with an idle connection at hand: the database fault table.)
    // A new file under the same name: its rows, not the old file's.
    EXPECT_EQ(routine(fx.connectionString, true), QStringLiteral("1"));
    const auto [replaced, replacedFresh] = withAndWithout([&] {
        QFile::remove(fx.path);
        QString error;
        EXPECT_TRUE(createSuiteDatabase(fx.path, SchemaVariant::Current, &error)) << error.toStdString();
    });
    EXPECT_EQ(replaced, QStringLiteral("0"));
    EXPECT_EQ(replacedFresh, replaced);

    bool readOnlyMade = false;
    const auto [readOnly, readOnlyFresh] = withAndWithout([&] { readOnlyMade = makeReadOnly(fx.path); }, true);
    undoReadOnly(fx.path);
    if (!readOnlyMade)
        GTEST_SKIP() << "cannot make a file read-only here";
    EXPECT_TRUE(readOnly.startsWith(QStringLiteral("write: "))) << readOnly.toStdString();
    EXPECT_EQ(readOnly, readOnlyFresh);
}

TEST_P(ConnectionReuse, AChangedConnectionStringReachesTheOtherDatabase)
{
    const QString otherPath = fx.install.file(QStringLiteral("other.db"));
    ASSERT_TRUE(createSuiteDatabase(otherPath, SchemaVariant::Current));
    execSuiteSql(otherPath, {kInsert});
    ScopedRecordingPlatform rec;
    auto count = [] {
        const auto rs = recipeQuery(kCount, QStringLiteral("iDataLoad"));
        return rs ? rs->field(0).toString() : QString();
    };
    EXPECT_EQ(count(), QStringLiteral("0"));
    fx.install.writeAdodbIni(GetParam() == Via::Odbc ? sqliteOdbcConnectionString(otherPath)
                                                     : QStringLiteral("Provider=SQLite;Data Source=other.db"));
    EXPECT_EQ(count(), QStringLiteral("1"));
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_P(ConnectionReuse, EachThreadKeepsItsOwnAndClosesThemAtItsEnd)
{
    const QStringList names = QSqlDatabase::connectionNames();
    const int idle = idleConnectionCount();
    int idleInThread = -1;
    QString result;
    QThread* thread = QThread::create([&] {
        result = routine(fx.connectionString);
        result += routine(fx.connectionString);
        idleInThread = idleConnectionCount();
    });
    thread->start();
    ASSERT_TRUE(thread->wait(30000));
    delete thread;
    EXPECT_EQ(result, QStringLiteral("00"));
    EXPECT_EQ(idleInThread, 1);
    EXPECT_EQ(idleConnectionCount(), idle);
    EXPECT_EQ(QSqlDatabase::connectionNames(), names); // the thread's connection closed with it
}

INSTANTIATE_TEST_SUITE_P(Drivers, ConnectionReuse, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
