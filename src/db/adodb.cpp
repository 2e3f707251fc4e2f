#include "adodb.h"

#include "connection_string.h"
#include "odbc_diag.h"
#include "statement_log.h"
#include "tsql_session.h"

#include "common/globals.h"
#include "common/vb_error.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QThread>

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>

namespace {

constexpr long kDriverErrorNumber = -2147467259L;
constexpr long kObjectClosed = 3704;
constexpr long kConnectionUnusable = 3709;
const char* const kObjectClosedText = "オブジェクトが閉じている場合は、操作は許可されません。";
const char* const kConnectionUnusableText = "接続が閉じているか無効なため、この操作は実行できません。";

// N of the error texts: a blank before a number that is zero or positive, "-" before a negative one.
QString adoNumber(long n)
{
    return n >= 0 ? u' ' + QString::number(n) : QString::number(n);
}

// Tests may lower every database time-out (busy, query, login) to this many milliseconds.
int timeoutCapMs()
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue("MONTHLY_RECORDS_DB_TIMEOUT_MS", &ok);
    return ok && v > 0 ? v : 0;
}

int engineMs(int seconds)
{
    const int cap = timeoutCapMs();
    const qint64 ms = static_cast<qint64>(seconds) * 1000;
    return static_cast<int>(cap > 0 && cap < ms ? cap : qMin<qint64>(ms, INT_MAX));
}

int engineSeconds(int seconds)
{
    const int cap = timeoutCapMs();
    return cap > 0 ? qMin(seconds, qMax(1, (cap + 999) / 1000)) : seconds;
}

bool isDeclaredDate(const char* decltype_)
{
    if (!decltype_)
        return false;
    QString t = QString::fromUtf8(decltype_).toLower();
    t.remove(u'[').remove(u']');
    t = t.trimmed();
    return t == u"datetime" || t == u"date" || t == u"smalldatetime" || t == u"datetime2";
}

// Digits at [at, at + n) of s as a number, or -1.
int digitsAt(const QString& s, qsizetype at, qsizetype n)
{
    int v = 0;
    for (qsizetype i = at; i < at + n; ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

QDateTime parseStoredDate(const QString& s)
{
    // The form dates are stored in, without the format parser: most values take this path.
    if (s.size() == 19 && s.at(4) == u'-' && s.at(7) == u'-' && s.at(10) == u' ' && s.at(13) == u':'
        && s.at(16) == u':') {
        const QDate d(digitsAt(s, 0, 4), digitsAt(s, 5, 2), digitsAt(s, 8, 2));
        const QTime t(digitsAt(s, 11, 2), digitsAt(s, 14, 2), digitsAt(s, 17, 2));
        if (d.isValid() && t.isValid() && digitsAt(s, 0, 4) > 0) {
            const QDateTime dt(d, t);
            if (dt.isValid())
                return dt;
        }
    }
    static const char* const formats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss",
                                          "yyyy-MM-dd HH:mm", "yyyy/MM/dd HH:mm:ss", "yyyy-MM-dd", "yyyy/MM/dd"};
    for (const char* f : formats) {
        const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(f));
        if (dt.isValid())
            return dt;
        const QDate d = QDate::fromString(s, QString::fromLatin1(f));
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return QDateTime();
}

// The one place where driver values become recordset values, so QSQLITE and QODBC give
// the same types: integers qlonglong, reals double, texts QString, dates QDateTime, Null
// a null QVariant.
QVariant convertValue(const QVariant& v, bool declaredDate)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (v.typeId()) {
    case QMetaType::Bool: return QVariant(static_cast<qlonglong>(v.toBool()));
    case QMetaType::LongLong: return v;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return QVariant(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return QVariant(v.toDouble());
    case QMetaType::QDateTime: return v;
    case QMetaType::QDate: return QVariant(QDateTime(v.toDate(), QTime(0, 0)));
    case QMetaType::QTime: return QVariant(QDateTime(QDate(1899, 12, 30), v.toTime()));
    case QMetaType::QString: {
        const QString s = v.toString();
        static const QRegularExpression exact(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));
        // The separators first: most texts are no date, and the expression is costly.
        const bool dateShape = s.size() == 19 && s.at(4) == u'-' && s.at(7) == u'-' && s.at(10) == u' '
                               && s.at(13) == u':' && s.at(16) == u':';
        if (declaredDate || (dateShape && exact.match(s).hasMatch())) {
            const QDateTime dt = parseStoredDate(s);
            if (dt.isValid())
                return QVariant(dt);
        }
        return v;
    }
    default: return v;
    }
}

void sqliteFloor(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    switch (sqlite3_value_numeric_type(argv[0])) {
    case SQLITE_INTEGER: sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0])); break;
    case SQLITE_NULL: sqlite3_result_null(ctx); break;
    default: sqlite3_result_double(ctx, std::floor(sqlite3_value_double(argv[0])));
    }
}

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

sqlite3_stmt* sqliteStatement(const QSqlQuery& q)
{
    const QVariant v = q.result() ? q.result()->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3_stmt*") == 0)
        return *static_cast<sqlite3_stmt* const*>(v.constData());
    return nullptr;
}

std::atomic<unsigned> g_connectionCounter{0};

} // namespace

// ---------------------------------------------------------------- recordset

void AdoRecordset::Close()
{
    m_names.clear();
    m_found.clear();
    m_rows.clear();
    m_pos = 0;
    m_open = false;
}

void AdoRecordset::setData(QStringList names, std::vector<std::vector<QVariant>> rows)
{
    m_names = std::move(names);
    m_found.clear();
    m_rows = std::move(rows);
    m_pos = 0;
    m_open = true;
}

int AdoRecordset::indexOf(const QString& name) const
{
    if (const auto it = m_found.constFind(name); it != m_found.constEnd())
        return *it;
    int found = -1;
    for (int i = 0; i < m_names.size() && found < 0; ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    }
    m_found.insert(name, found);
    return found;
}

QVariant AdoRecordset::field(const QString& name) const { return field(indexOf(name)); }

QVariant AdoRecordset::field(int index) const
{
    if (EOF_() || index < 0 || index >= static_cast<int>(m_rows[m_pos].size()))
        return QVariant();
    return m_rows[m_pos][static_cast<size_t>(index)];
}

// ---------------------------------------------------------------- the engine behind cT_ADODB

namespace {

// The identity of a database file as the operating system sees it, and whether this process
// may write it now.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    bool writable = false;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path)
{
    FileIdentity id;
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (path.isEmpty() || ::stat(native.constData(), &st) != 0)
        return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.mode = st.st_mode;
    id.owner = st.st_uid;
    id.group = st.st_gid;
    id.writable = ::access(native.constData(), W_OK) == 0;
    return id;
}

constexpr int kAdoDefaultTimeout = 30; // ADO's command time-out before iConnect sets its own

} // namespace

class AdoConnection : public tsql::Backend {
public:
    enum class Engine { Sqlite, Odbc };

    ~AdoConnection() override { disconnect(); }

    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }

    bool connect(const ConnectionTarget& target);
    bool databaseFileUsable(const QString& path);
    void disconnect();
    void applyTimeout();
    bool execText(const QString& sql, long* affected)
    {
        dirty = true;
        return layer ? session->execute(sql, affected) : exec(sql, affected);
    }
    bool queryText(const QString& sql, tsql::QueryResult* result)
    {
        if (!sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive))
            dirty = true;
        return layer ? session->open(sql, result) : query(sql, result);
    }
    // Reuse (see IdleConnections): settle() makes a closed routine's connection fit to wait
    // idle, revive() checks an idle one before it is handed out again. False: drop it.
    bool settle();
    bool revive();
    // A failed driver call of the connection itself (transactions).
    void failFromDatabase(const QSqlError& e);

    bool exec(const QString& sql, long* affected) override;
    bool query(const QString& sql, tsql::QueryResult* result) override;
    void layerError(const QString& text) override { fail(text, {}); }
    QString cacheKey() const override { return engine == Engine::Sqlite ? sqlitePath : odbcString; }

    QString name;
    bool open = false;
    bool inTransaction = false; // begun and neither committed nor rolled back
    Engine engine = Engine::Sqlite;
    bool layer = false;
    int timeout = kAdoDefaultTimeout;
    std::vector<AdoError> errors;
    VbError failure; // the run-time error of the last failure: N and D of the error texts
    QString sqlitePath, odbcString, source, dbName;
    std::unique_ptr<tsql::Session> session;

    QString reuseKey;        // the connection target this connection serves
    QString filePath;        // the SQLite database file, through either driver
    FileIdentity file;       // that file when it was opened
    bool dirty = false;      // ran something other than a plain query
    bool broken = false;     // a failure that leaves the link or the file unusable

private:
    bool probe();
    bool run(QSqlQuery& q, const QString& sql);
    void failFromQuery(const QSqlQuery& q);
    void fail(const QString& description, std::vector<AdoError> records);
    AdoError sqliteRecord(const QSqlError& e) const;
};

void AdoConnection::fail(const QString& description, std::vector<AdoError> records)
{
    if (records.empty()) {
        AdoError e;
        e.number = kDriverErrorNumber;
        e.description = description;
        e.source = source;
        e.sqlState = QStringLiteral("HY000");
        records.push_back(e);
    }
    for (const AdoError& r : records) {
        const long code = r.source == u"SQLite" ? r.number & 0xFF : 0;
        if (r.sqlState.startsWith(QLatin1String("08")) || code == SQLITE_IOERR || code == SQLITE_CORRUPT
            || code == SQLITE_NOTADB || code == SQLITE_CANTOPEN)
            broken = true;
    }
    errors = std::move(records);
    failure = vberr::driver(description);
}

AdoError AdoConnection::sqliteRecord(const QSqlError& e) const
{
    AdoError r;
    r.number = e.nativeErrorCode().toLong();
    if (r.number == SQLITE_OK) // a failure the driver reports without a code
        r.number = SQLITE_ERROR;
    r.nativeError = r.number;
    r.description = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    // Failures of the file itself name the file, so the operator knows which one.
    switch (r.number & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_PERM:
    case SQLITE_FULL: r.description += QStringLiteral(" (") + sqlitePath + u')'; break;
    default: break;
    }
    r.source = QStringLiteral("SQLite");
    r.sqlState = (r.number & 0xFF) == SQLITE_CONSTRAINT ? QStringLiteral("23000") : QStringLiteral("HY000");
    return r;
}

void AdoConnection::failFromQuery(const QSqlQuery& q)
{
    if (engine == Engine::Odbc) {
        auto records = odbc::diagnostics(SQL_HANDLE_STMT, odbc::handleOf(q.result()->handle()), source);
        if (records.empty())
            records = odbc::diagnostics(SQL_HANDLE_DBC, odbc::handleOf(db().driver()->handle()), source);
        if (!records.empty()) {
            const QString first = records.front().description;
            fail(first, std::move(records));
            return;
        }
        const QSqlError e = q.lastError();
        fail(odbc::firstRecord(e.databaseText().isEmpty() ? e.text() : e.databaseText()), {});
        return;
    }
    const AdoError r = sqliteRecord(q.lastError());
    fail(r.description, {r});
}

void AdoConnection::failFromDatabase(const QSqlError& e)
{
    if (engine == Engine::Odbc) {
        auto records = odbc::diagnostics(SQL_HANDLE_DBC, odbc::handleOf(db().driver()->handle()), source);
        if (!records.empty()) {
            const QString first = records.front().description;
            fail(first, std::move(records));
        } else {
            fail(odbc::firstRecord(e.databaseText().isEmpty() ? e.text() : e.databaseText()), {});
        }
        return;
    }
    const AdoError r = sqliteRecord(e);
    fail(r.description, {r});
}

bool AdoConnection::run(QSqlQuery& q, const QString& sql)
{
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (engine == Engine::Odbc) {
        // The statement time-out lives on the statement handle, which exists after prepare().
        if (!q.prepare(sql))
            return false;
        odbc::setQueryTimeout(odbc::handleOf(q.result()->handle()), engineSeconds(timeout));
        return q.exec();
    }
    return q.exec(sql);
}

bool AdoConnection::exec(const QString& sql, long* affected)
{
    QSqlQuery q(db());
    if (!run(q, sql)) {
        failFromQuery(q);
        return false;
    }
    if (affected)
        *affected = q.numRowsAffected();
    return true;
}

bool AdoConnection::query(const QString& sql, tsql::QueryResult* result)
{
    QSqlQuery q(db());
    if (!run(q, sql)) {
        failFromQuery(q);
        return false;
    }
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    std::vector<bool> dates(static_cast<size_t>(n), false);
    if (sqlite3_stmt* st = engine == Engine::Sqlite ? sqliteStatement(q) : nullptr) {
        for (int i = 0; i < n && i < sqlite3_column_count(st); ++i)
            dates[static_cast<size_t>(i)] = isDeclaredDate(sqlite3_column_decltype(st, i));
    }
    result->names.clear();
    result->rows.clear();
    for (int i = 0; i < n; ++i) {
        // QODBC sizes non-ASCII column names by bytes: the name ends at the first NUL.
        QString name = rec.fieldName(i);
        if (const qsizetype nul = name.indexOf(QChar(u'\0')); nul >= 0)
            name.truncate(nul);
        result->names << name;
    }
    while (q.next()) {
        std::vector<QVariant> row;
        row.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            row.push_back(convertValue(q.value(i), dates[static_cast<size_t>(i)]));
        result->rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) { // a failure while stepping (a lock, a broken file)
        failFromQuery(q);
        return false;
    }
    return true;
}

void AdoConnection::applyTimeout()
{
    if (!open)
        return;
    if (engine == Engine::Sqlite) {
        if (sqlite3* h = sqliteHandle(db()))
            sqlite3_busy_timeout(h, engineMs(timeout));
    } else if (layer) {
        QSqlQuery q(db());
        q.exec(QStringLiteral("PRAGMA busy_timeout = ") + QString::number(engineMs(timeout)));
    }
}

// A database file must be there (an engine would create a missing one) and be a file.
bool AdoConnection::databaseFileUsable(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.exists())
        failure = vberr::driver(QStringLiteral("データベースファイルが見つかりません。(") + path + u')');
    else if (!fi.isFile())
        failure = vberr::driver(QStringLiteral("データベースファイルではありません。(") + path + u')');
    return fi.isFile();
}

bool AdoConnection::probe()
{
    // Reading the schema proves the file is a database (and readable) now, not at the first query.
    tsql::QueryResult result;
    return query(QStringLiteral("PRAGMA schema_version"), &result);
}

bool AdoConnection::connect(const ConnectionTarget& target)
{
    errors.clear();
    if (target.kind == ConnectionTarget::Kind::Invalid) {
        failure = vberr::driver(target.error);
        return false;
    }
    name = QStringLiteral("cT_ADODB-%1").arg(++g_connectionCounter);
    auto giveUp = [this](const QString& description) {
        {
            QSqlDatabase d = db();
            d.close();
        }
        QSqlDatabase::removeDatabase(name);
        errors.clear();
        failure = vberr::driver(description);
        return false;
    };
    if (target.kind == ConnectionTarget::Kind::Sqlite) {
        engine = Engine::Sqlite;
        sqlitePath = target.sqlitePath;
        source = QStringLiteral("SQLite");
        if (!databaseFileUsable(sqlitePath))
            return false;
        QString openError;
        {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            d.setDatabaseName(sqlitePath);
            if (!d.open())
                openError = sqliteRecord(d.lastError()).description;
            else if (sqlite3* h = sqliteHandle(d)) {
                sqlite3_busy_timeout(h, engineMs(timeout));
                sqlite3_stmt* st = nullptr;
                if (sqlite3_prepare_v2(h, "SELECT floor(1.5)", -1, &st, nullptr) != SQLITE_OK)
                    sqlite3_create_function_v2(h, "floor", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                               sqliteFloor, nullptr, nullptr, nullptr);
                sqlite3_finalize(st);
            }
        }
        if (!openError.isEmpty())
            return giveUp(openError);
        layer = true;
        dbName = QFileInfo(sqlitePath).completeBaseName();
    } else {
        if (!target.sqliteFile.isEmpty() && !databaseFileUsable(target.sqliteFile))
            return false;
        engine = Engine::Odbc;
        odbcString = target.odbcString;
        source = QStringLiteral("ODBC");
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        // The SQLite ODBC driver waits for a locked file while it connects with a busy time-out
        // of its own (100 s) and ignores the login time-out: give it the statements' one.
        bool timeoutGiven = false;
        for (const auto& [key, value] : splitConnectionString(odbcString))
            timeoutGiven = timeoutGiven || key.compare(QLatin1String("Timeout"), Qt::CaseInsensitive) == 0;
        d.setDatabaseName(target.sqliteFile.isEmpty() || timeoutGiven
                              ? odbcString
                              : odbcString + QStringLiteral(";Timeout=") + QString::number(engineMs(timeout)));
        // Always a login time-out: a server that accepts and never answers would hang open().
        d.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=")
                            + QString::number(engineSeconds(target.loginTimeoutSeconds)));
        if (!d.open()) {
            const QSqlError e = d.lastError();
            d = QSqlDatabase();
            return giveUp(odbc::firstRecord(e.databaseText().isEmpty() ? e.text() : e.databaseText()));
        }
        void* dbc = odbc::handleOf(d.driver()->handle());
        const QString driverName = odbc::info(dbc, SQL_DRIVER_NAME);
        if (!driverName.isEmpty())
            source = driverName;
        dbName = odbc::info(dbc, SQL_DATABASE_NAME);
        // A data source that leads to SQLite gets the T-SQL layer too.
        layer = odbc::info(dbc, SQL_DBMS_NAME).contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
        if (layer) {
            for (const auto& [key, value] : splitConnectionString(odbcString))
                if (key.compare(QLatin1String("Database"), Qt::CaseInsensitive) == 0)
                    filePath = value;
        }
    }
    open = true;
    session = std::make_unique<tsql::Session>(*this);
    if (layer) {
        applyTimeout();
        if (!probe()) {
            const QString description = failure.description;
            open = false;
            session.reset();
            return giveUp(description);
        }
    }
    if (engine == Engine::Sqlite)
        filePath = sqlitePath;
    file = identityOf(filePath);
    return true;
}

bool AdoConnection::settle()
{
    if (!open || broken)
        return false;
    if (inTransaction) {
        inTransaction = false;
        QSqlDatabase d = db();
        if (!d.rollback())
            return false;
    }
    if (engine == Engine::Sqlite) {
        // A transaction begun in SQL text rather than through iBeginTrans.
        sqlite3* h = sqliteHandle(db());
        if (!h)
            return false;
        if (!sqlite3_get_autocommit(h))
            sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!sqlite3_get_autocommit(h))
            return false;
    }
    if (dirty && layer) {
        // Temporary tables would outlive the routine that made them.
        tsql::QueryResult temp;
        if (!query(QStringLiteral("SELECT count(*) FROM temp.sqlite_schema"), &temp) || temp.rows.empty()
            || temp.rows.front().front().toLongLong() != 0)
            return false;
    }
    dirty = false;
    errors.clear();
    failure = VbError{};
    return true;
}

bool AdoConnection::revive()
{
    if (!open || broken)
        return false;
    // A file replaced, removed or made read-only since: a fresh connection sees that.
    if (!filePath.isEmpty() && identityOf(filePath) != file)
        return false;
    if (engine == Engine::Odbc && odbc::connectionDead(odbc::handleOf(db().driver()->handle())))
        return false;
    timeout = kAdoDefaultTimeout;
    if (layer) {
        applyTimeout();
        if (!probe())
            return false; // a locked or damaged file: a fresh connection reports it
    }
    errors.clear();
    failure = VbError{};
    return true;
}

void AdoConnection::disconnect()
{
    if (name.isEmpty())
        return;
    session.reset();
    {
        QSqlDatabase d = db();
        // A transaction left open (a failed commit, an error between begin and commit) is
        // rolled back: ODBC refuses to disconnect while one is open, and its locks would live on.
        if (d.isValid() && open && inTransaction)
            d.rollback();
        inTransaction = false;
        if (d.isValid())
            d.close();
    }
    QSqlDatabase::removeDatabase(name);
    name.clear();
    open = false;
}

// ---------------------------------------------------------------- idle connections

// ADO pools sessions below its Connection object: a routine's close keeps the session for
// the next open of the same connection string. Here closed connections wait per thread
// (a QSqlDatabase belongs to the thread that opened it) and are handed out again only when
// still sound; the routine above sees a connection exactly as a fresh one.
namespace {

constexpr qint64 kIdleMs = 60 * 1000; // ADO drops a session unused this long
constexpr size_t kIdlePerTarget = 4;
constexpr size_t kIdleMax = 8;
std::atomic<bool> g_reuse{true};

class IdleConnections {
public:
    ~IdleConnections() { drain(); }

    std::unique_ptr<AdoConnection> take(const QString& key)
    {
        for (size_t i = m_idle.size(); i-- > 0;) {
            if (m_idle[i].conn->reuseKey != key)
                continue;
            Entry e = std::move(m_idle[i]);
            m_idle.erase(m_idle.begin() + static_cast<std::ptrdiff_t>(i));
            if (!e.since.hasExpired(kIdleMs) && e.conn->revive())
                return std::move(e.conn);
        }
        return nullptr;
    }

    void put(std::unique_ptr<AdoConnection> c)
    {
        if (!g_reuse || !c->settle())
            return;
        size_t sameTarget = 0;
        for (const Entry& e : m_idle)
            sameTarget += e.conn->reuseKey == c->reuseKey;
        for (size_t i = 0; i < m_idle.size() && sameTarget >= kIdlePerTarget; ++i) {
            if (m_idle[i].conn->reuseKey == c->reuseKey) {
                m_idle.erase(m_idle.begin() + static_cast<std::ptrdiff_t>(i));
                --sameTarget;
            }
        }
        if (m_idle.size() >= kIdleMax)
            m_idle.erase(m_idle.begin());
        Entry e{std::move(c), {}};
        e.since.start();
        m_idle.push_back(std::move(e));
        drainAtThreadEnd();
    }

    void drain() { m_idle.clear(); }
    int size() const { return static_cast<int>(m_idle.size()); }

private:
    struct Entry {
        std::unique_ptr<AdoConnection> conn;
        QElapsedTimer since;
    };
    std::vector<Entry> m_idle; // oldest first
    bool m_drainHooked = false;

    void drainAtThreadEnd();
};

thread_local IdleConnections t_idle;

// The connections close in their own thread while Qt still runs there: the main thread's as
// the application object goes, another QThread's as it finishes (before wait() returns).
// Anything else closes with the thread's own storage.
void IdleConnections::drainAtThreadEnd()
{
    if (m_drainHooked)
        return;
    QThread* thread = QThread::currentThread();
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && thread == app->thread()) {
        qAddPostRoutine([] {
            t_idle.m_drainHooked = false;
            t_idle.drain();
        });
    } else if (thread) {
        QObject::connect(thread, &QThread::finished, [] { t_idle.drain(); });
    }
    m_drainHooked = true;
}

QString reuseKeyOf(const ConnectionTarget& t)
{
    return t.kind == ConnectionTarget::Kind::Sqlite
        ? QStringLiteral("sqlite:") + t.sqlitePath
        : QStringLiteral("odbc:%1:").arg(t.loginTimeoutSeconds) + t.odbcString;
}

} // namespace

void setConnectionReuse(bool on)
{
    g_reuse = on;
    if (!on)
        t_idle.drain();
}

int idleConnectionCount() { return t_idle.size(); }

// ---------------------------------------------------------------- cT_ADODB

cT_ADODB::cT_ADODB() = default;

cT_ADODB::~cT_ADODB() { iDisConnect(); }

AdoConnection& cT_ADODB::connection()
{
    if (!m_conn)
        m_conn = std::make_unique<AdoConnection>();
    return *m_conn;
}

QString cT_ADODB::sDbName() const { return m_conn && m_conn->open ? m_conn->dbName : QString(); }

short cT_ADODB::iInit(const QString& connectionString)
{
    m_connStr = connectionString;
    return 0;
}

QString cT_ADODB::csGetComputerName()
{
    // GetComputerNameA with a 16-byte buffer: at most 15 characters.
    return platform().computerName().left(15).trimmed();
}

void cT_ADODB::vAddAdoErrorLog(QString& text)
{
    if (!m_conn || m_conn->errors.empty())
        return;
    QString r = text;
    r += QStringLiteral("\rConnection State=") + QString::number(connectionState());
    for (const AdoError& e : m_conn->errors) {
        r += QStringLiteral("\rError Number: ") + QString::number(e.number);
        r += QStringLiteral("\r  Description: ") + e.description;
        r += QStringLiteral("\r  Source: ") + e.source;
        r += QStringLiteral("\r  SQL State: ") + e.sqlState;
        r += QStringLiteral("\r  Native Error: ") + QString::number(e.nativeError);
    }
    r += QStringLiteral("\r\r") + QString::number(m_conn->errors.size()) + QStringLiteral(" provider error(s) occurred.");
    m_conn->errors.clear();
    text = r;
}

short cT_ADODB::iConnect()
{
    if (!connection().open) {
        const ConnectionTarget target = parseConnectionString(m_connStr, gAppPath);
        const QString key = target.kind == ConnectionTarget::Kind::Invalid ? QString() : reuseKeyOf(target);
        if (auto idle = key.isEmpty() || !g_reuse ? nullptr : t_idle.take(key)) {
            m_conn = std::move(idle);
        } else {
            AdoConnection& c = connection();
            if (!c.connect(target)) {
                vAddAdoErrorLog(m_errMsg);
                m_errMsg = u'(' + adoNumber(c.failure.number) + u')' + c.failure.description;
                return -1;
            }
            c.reuseKey = key;
        }
    }
    iSetTimeout(180);
    return 0;
}

short cT_ADODB::iDisConnect()
{
    AdoConnection& c = connection();
    if (!c.open) {
        vAddAdoErrorLog(m_errMsg);
        m_errMsg = u'(' + adoNumber(kObjectClosed) + u')' + QString::fromUtf8(kObjectClosedText);
        return -1;
    }
    t_idle.put(std::move(m_conn));
    return 0;
}

short cT_ADODB::iOpenRecSet(AdoRecordset& rs, const QString& sql, long, long, long)
{
    statementlog::record(sql);
    rs.Close();
    QString head;
    AdoConnection& c = connection();
    tsql::QueryResult result;
    if (!c.open) {
        head = u'(' + adoNumber(kConnectionUnusable) + u')' + QString::fromUtf8(kConnectionUnusableText);
    } else if (!c.queryText(sql, &result)) {
        head = u'(' + adoNumber(c.failure.number) + u')' + c.failure.description;
    } else {
        rs.setData(std::move(result.names), std::move(result.rows));
        return 0;
    }
    const QString shown = sql.size() > 80 ? sql.left(80) + QStringLiteral("・・・") : sql;
    m_errMsg = head + QStringLiteral("\rSQL=") + shown;
    vAddAdoErrorLog(m_errMsg);
    return -1;
}

short cT_ADODB::iCloseRecSet(AdoRecordset& rs)
{
    if (!rs.isOpen()) {
        m_errMsg = QString::number(kObjectClosed) + QStringLiteral("\r\n") + QString::fromUtf8(kObjectClosedText);
        vAddAdoErrorLog(m_errMsg);
        return -1;
    }
    rs.Close();
    return 0;
}

short cT_ADODB::iExecSQL(const QString& sql, long* affectedRows)
{
    statementlog::record(sql);
    AdoConnection& c = connection();
    long n = -1;
    if (c.open && c.execText(sql, &n)) {
        if (affectedRows)
            *affectedRows = n;
        return 0;
    }
    const VbError e = c.open ? c.failure : VbError{kConnectionUnusable, QString::fromUtf8(kConnectionUnusableText)};
    m_errMsg = QStringLiteral("ERR:iExecSQL (") + adoNumber(e.number) + u')' + e.description;
    vAddAdoErrorLog(m_errMsg);
    m_errMsg += QStringLiteral("\rSQL=") + sql;
    return -1;
}

namespace {
enum class TransOp { Begin, Commit, Rollback };
}

static short transaction(cT_ADODB& self, AdoConnection& c, QString& errMsg, TransOp op)
{
    static const char* const names[] = {"ERR:BeginTrans (", "ERR:CommitTrans (", "ERR:Rollback ("};
    VbError e;
    if (!c.open) {
        e = {kConnectionUnusable, QString::fromUtf8(kConnectionUnusableText)};
    } else {
        QSqlDatabase d = c.db();
        const bool ok = op == TransOp::Begin ? d.transaction() : op == TransOp::Commit ? d.commit() : d.rollback();
        if (ok)
            c.inTransaction = op == TransOp::Begin;
        if (ok) {
            // A rollback that reports errors counts as failed.
            if (op == TransOp::Rollback && !c.errors.empty()) {
                self.vAddAdoErrorLog(errMsg);
                return -1;
            }
            return 0;
        }
        c.failFromDatabase(d.lastError());
        e = c.failure;
    }
    errMsg = QString::fromLatin1(names[static_cast<int>(op)]) + adoNumber(e.number) + u')' + e.description;
    self.vAddAdoErrorLog(errMsg);
    return -1;
}

short cT_ADODB::iBeginTrans() { return transaction(*this, connection(), m_errMsg, TransOp::Begin); }
short cT_ADODB::iCommitTrans() { return transaction(*this, connection(), m_errMsg, TransOp::Commit); }
short cT_ADODB::iRollback() { return transaction(*this, connection(), m_errMsg, TransOp::Rollback); }

short cT_ADODB::iSetTimeout(short seconds)
{
    if (seconds > 0) {
        AdoConnection& c = connection();
        c.timeout = seconds;
        c.applyTimeout();
    }
    return 0;
}

long cT_ADODB::connectionState() const { return m_conn && m_conn->open ? adStateOpen : adStateClosed; }

const std::vector<AdoError>& cT_ADODB::pendingErrors() const
{
    static const std::vector<AdoError> none;
    return m_conn ? m_conn->errors : none;
}

int cT_ADODB::commandTimeout() const { return m_conn ? m_conn->timeout : kAdoDefaultTimeout; }
