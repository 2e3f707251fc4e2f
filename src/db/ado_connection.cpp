#include "ado_connection.h"

#include "odbc_diag.h"

#include "platform/platform.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <optional>

namespace {

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
                                          "yyyy-MM-dd HH:mm",    "yyyy/MM/dd HH:mm:ss",     "yyyy-MM-dd",
                                          "yyyy/MM/dd"};
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

// The pointer a driver's handle() holds, when it is of the named type.
template <typename T> T* handleAs(const QVariant& handle, const char* typeName)
{
    if (handle.isValid() && qstrcmp(handle.typeName(), typeName) == 0)
        return *static_cast<T* const*>(handle.constData());
    return nullptr;
}

sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    return handleAs<sqlite3>(db.driver() ? db.driver()->handle() : QVariant(), "sqlite3*");
}

sqlite3_stmt* sqliteStatement(const QSqlQuery& q)
{
    return handleAs<sqlite3_stmt>(q.result() ? q.result()->handle() : QVariant(), "sqlite3_stmt*");
}

// SQLite's own busy time-out, told apart by one step: after a second of waiting the operator
// is told that the program waits (a save may wait for another terminal for half a minute).
int waitForLock(void* state, int count)
{
    auto* wait = static_cast<LockWait*>(state);
    if (count == 0)
        wait->waited.start();
    const qint64 spent = wait->waited.elapsed();
    if (spent >= wait->timeoutMs)
        return 0;
    if (spent >= 1000 && !wait->shown) {
        wait->shown = true;
        platform().setBusyText(QStringLiteral("データベースの応答を待っています…"));
    }
    static constexpr int kDelaysMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    const int delay = kDelaysMs[std::min<size_t>(static_cast<size_t>(count), std::size(kDelaysMs) - 1)];
    sqlite3_sleep(static_cast<int>(std::min<qint64>(delay, wait->timeoutMs - spent)));
    return 1;
}

// The wait for a locked file, and floor() where SQLite was built without its math functions.
void prepareSqliteHandle(sqlite3* h, LockWait* wait)
{
    sqlite3_busy_handler(h, waitForLock, wait);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT floor(1.5)", -1, &st, nullptr) != SQLITE_OK)
        sqlite3_create_function_v2(h, "floor", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqliteFloor, nullptr,
                                   nullptr, nullptr);
    sqlite3_finalize(st);
}

// The value of the last key of that name in an ODBC connection string.
std::optional<QString> connectionValue(const QString& text, const char* key)
{
    std::optional<QString> value;
    for (const auto& [k, v] : splitConnectionString(text)) {
        if (k.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            value = v;
    }
    return value;
}

QString driverText(const QSqlError& e) { return e.databaseText().isEmpty() ? e.text() : e.databaseText(); }

std::atomic<unsigned> g_connectionCounter{0};

} // namespace

FileIdentity identityOf(const QString& path)
{
    FileIdentity id;
    struct stat st { };
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

void AdoConnection::fail(const QString& description, std::vector<AdoError> records)
{
    if (records.empty()) {
        AdoError e;
        e.number = kDriverErrorNumber;
        e.description = description;
        e.source = m_source;
        e.sqlState = QStringLiteral("HY000");
        records.push_back(e);
    }
    for (const AdoError& r : records) {
        const long code = r.source == u"SQLite" ? r.number & 0xFF : 0;
        if (r.sqlState.startsWith(QLatin1String("08")) || code == SQLITE_IOERR || code == SQLITE_CORRUPT
            || code == SQLITE_NOTADB || code == SQLITE_CANTOPEN)
            m_broken = true;
    }
    m_errors = std::move(records);
    m_failure = vberr::driver(description);
}

AdoError AdoConnection::sqliteRecord(const QSqlError& e) const
{
    AdoError r;
    r.number = e.nativeErrorCode().toLong();
    if (r.number == SQLITE_OK) // a failure the driver reports without a code
        r.number = SQLITE_ERROR;
    r.nativeError = r.number;
    r.description = driverText(e);
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
    case SQLITE_FULL: r.description += QStringLiteral(" (") + m_sqlitePath + u')'; break;
    default: break;
    }
    r.source = QStringLiteral("SQLite");
    r.sqlState = (r.number & 0xFF) == SQLITE_CONSTRAINT ? QStringLiteral("23000") : QStringLiteral("HY000");
    return r;
}

void AdoConnection::failFromQuery(const QSqlQuery& q)
{
    if (m_engine == Engine::Odbc) {
        auto records = odbc::diagnostics(SQL_HANDLE_STMT, odbc::handleOf(q.result()->handle()), m_source);
        if (records.empty())
            records = odbc::diagnostics(SQL_HANDLE_DBC, odbcConnectionHandle(), m_source);
        failFromOdbc(std::move(records), q.lastError());
        return;
    }
    const AdoError r = sqliteRecord(q.lastError());
    fail(r.description, {r});
}

void AdoConnection::failFromDatabase(const QSqlError& e)
{
    if (m_engine == Engine::Odbc) {
        failFromOdbc(odbc::diagnostics(SQL_HANDLE_DBC, odbcConnectionHandle(), m_source), e);
        return;
    }
    const AdoError r = sqliteRecord(e);
    fail(r.description, {r});
}

// The driver manager's records of the failed call; Qt's text of it where there are none.
void AdoConnection::failFromOdbc(std::vector<AdoError> records, const QSqlError& e)
{
    if (records.empty()) {
        fail(odbc::firstRecord(driverText(e)), {});
        return;
    }
    const QString first = records.front().description;
    fail(first, std::move(records));
}

void* AdoConnection::odbcConnectionHandle() const { return odbc::handleOf(db().driver()->handle()); }

bool AdoConnection::run(QSqlQuery& q, const QString& sql)
{
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (m_engine == Engine::Odbc) {
        // The statement time-out lives on the statement handle, which exists after prepare().
        if (!q.prepare(sql))
            return false;
        odbc::setQueryTimeout(odbc::handleOf(q.result()->handle()), engineSeconds(m_timeout));
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
    if (sqlite3_stmt* st = m_engine == Engine::Sqlite ? sqliteStatement(q) : nullptr) {
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

void AdoConnection::setTimeout(int seconds)
{
    m_timeout = seconds;
    applyTimeout();
}

void AdoConnection::applyTimeout()
{
    if (!m_open)
        return;
    m_lockWait.timeoutMs = engineMs(m_timeout);
    if (m_engine == Engine::Sqlite)
        return;
    if (m_layer) {
        QSqlQuery q(db());
        q.exec(QStringLiteral("PRAGMA busy_timeout = ") + QString::number(engineMs(m_timeout)));
    }
}

void AdoConnection::endLockWait()
{
    if (!m_lockWait.shown)
        return;
    m_lockWait.shown = false;
    platform().setBusyText(QString());
}

// A database file must be there (an engine would create a missing one) and be a file.
bool AdoConnection::databaseFileUsable(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.exists())
        m_failure = vberr::driver(QStringLiteral("データベースファイルが見つかりません。(") + path + u')');
    else if (!fi.isFile())
        m_failure = vberr::driver(QStringLiteral("データベースファイルではありません。(") + path + u')');
    return fi.isFile();
}

bool AdoConnection::probe()
{
    // Reading the schema proves the file is a database (and readable) now, not at the first query.
    tsql::QueryResult result;
    const bool ok = query(QStringLiteral("PRAGMA schema_version"), &result);
    endLockWait();
    return ok;
}

bool AdoConnection::connect(const ConnectionTarget& target)
{
    m_errors.clear();
    if (target.kind == ConnectionTarget::Kind::Invalid) {
        m_failure = vberr::driver(target.error);
        return false;
    }
    m_name = QStringLiteral("cT_ADODB-%1").arg(++g_connectionCounter);
    const bool opened = target.kind == ConnectionTarget::Kind::Sqlite ? openSqlite(target) : openOdbc(target);
    if (!opened || !startSession())
        return false;
    if (m_engine == Engine::Sqlite)
        m_filePath = m_sqlitePath;
    m_file = identityOf(m_filePath);
    m_reuseKey = reuseKeyOf(target);
    return true;
}

bool AdoConnection::openSqlite(const ConnectionTarget& target)
{
    m_engine = Engine::Sqlite;
    m_sqlitePath = target.sqlitePath;
    m_source = QStringLiteral("SQLite");
    if (!databaseFileUsable(m_sqlitePath))
        return false;
    QString openError;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        d.setDatabaseName(m_sqlitePath);
        if (!d.open())
            openError = sqliteRecord(d.lastError()).description;
        else if (sqlite3* h = sqliteHandle(d)) {
            m_lockWait.timeoutMs = engineMs(m_timeout);
            prepareSqliteHandle(h, &m_lockWait);
        }
    }
    if (!openError.isEmpty())
        return abandon(openError);
    m_layer = true;
    m_dbName = QFileInfo(m_sqlitePath).completeBaseName();
    return true;
}

bool AdoConnection::openOdbc(const ConnectionTarget& target)
{
    if (!target.sqliteFile.isEmpty() && !databaseFileUsable(target.sqliteFile))
        return false;
    m_engine = Engine::Odbc;
    m_odbcString = target.odbcString;
    m_source = QStringLiteral("ODBC");
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    d.setDatabaseName(odbcConnectText(target));
    // Always a login time-out: a server that accepts and never answers would hang open().
    d.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=")
                        + QString::number(engineSeconds(target.loginTimeoutSeconds)));
    if (!d.open()) {
        const QSqlError e = d.lastError();
        d = QSqlDatabase();
        return abandon(odbc::firstRecord(driverText(e)));
    }
    describeOdbcSource(odbc::handleOf(d.driver()->handle()));
    return true;
}

// The SQLite ODBC driver waits for a locked file while it connects with a busy time-out of its
// own (100 s) and ignores the login time-out: it is given the statements' one.
QString AdoConnection::odbcConnectText(const ConnectionTarget& target) const
{
    if (target.sqliteFile.isEmpty() || connectionValue(m_odbcString, "Timeout"))
        return m_odbcString;
    return m_odbcString + QStringLiteral(";Timeout=") + QString::number(engineMs(m_timeout));
}

void AdoConnection::describeOdbcSource(void* dbc)
{
    const QString driverName = odbc::info(dbc, SQL_DRIVER_NAME);
    if (!driverName.isEmpty())
        m_source = driverName;
    m_dbName = odbc::info(dbc, SQL_DATABASE_NAME);
    // A data source that leads to SQLite gets the T-SQL layer too.
    m_layer = odbc::info(dbc, SQL_DBMS_NAME).contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
    if (m_layer) {
        if (const auto file = connectionValue(m_odbcString, "Database"))
            m_filePath = *file;
    }
}

// The T-SQL session over the open link; where the layer works, the file must answer now.
bool AdoConnection::startSession()
{
    m_open = true;
    m_session = std::make_unique<tsql::Session>(*this);
    if (!m_layer)
        return true;
    applyTimeout();
    if (probe())
        return true;
    const QString description = m_failure.description;
    m_open = false;
    m_session.reset();
    return abandon(description);
}

// Closes and forgets a connection that did not open; its failure is the given text alone.
bool AdoConnection::abandon(const QString& description)
{
    {
        QSqlDatabase d = db();
        d.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_errors.clear();
    m_failure = vberr::driver(description);
    return false;
}

bool AdoConnection::transaction(TransactionStep step)
{
    QSqlDatabase d = db();
    bool ok = false;
    switch (step) {
    case TransactionStep::Begin: ok = d.transaction(); break;
    case TransactionStep::Commit: ok = d.commit(); break;
    case TransactionStep::Rollback: ok = d.rollback(); break;
    }
    endLockWait();
    if (!ok) {
        failFromDatabase(d.lastError());
        return false;
    }
    m_inTransaction = step == TransactionStep::Begin;
    return true;
}

bool AdoConnection::settle()
{
    if (!m_open || m_broken)
        return false;
    if (m_inTransaction) {
        m_inTransaction = false;
        QSqlDatabase d = db();
        if (!d.rollback())
            return false;
    }
    if (m_engine == Engine::Sqlite) {
        // A transaction begun in SQL text rather than through iBeginTrans.
        sqlite3* h = sqliteHandle(db());
        if (!h)
            return false;
        if (!sqlite3_get_autocommit(h))
            sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!sqlite3_get_autocommit(h))
            return false;
    }
    if (m_dirty && m_layer) {
        // Temporary tables would outlive the routine that made them.
        tsql::QueryResult temp;
        if (!query(QStringLiteral("SELECT count(*) FROM temp.sqlite_schema"), &temp) || temp.rows.empty()
            || temp.rows.front().front().toLongLong() != 0)
            return false;
    }
    m_dirty = false;
    m_errors.clear();
    m_failure = VbError{};
    return true;
}

bool AdoConnection::revive()
{
    if (!m_open || m_broken)
        return false;
    // A file replaced, removed or made read-only since: a fresh connection sees that.
    if (!m_filePath.isEmpty() && identityOf(m_filePath) != m_file)
        return false;
    if (m_engine == Engine::Odbc && odbc::connectionDead(odbcConnectionHandle()))
        return false;
    m_timeout = kAdoDefaultTimeout;
    if (m_layer) {
        applyTimeout();
        if (!probe())
            return false; // a locked or damaged file: a fresh connection reports it
    }
    m_errors.clear();
    m_failure = VbError{};
    return true;
}

void AdoConnection::disconnect()
{
    endLockWait();
    if (m_name.isEmpty())
        return;
    m_session.reset();
    {
        QSqlDatabase d = db();
        // A transaction left open (a failed commit, an error between begin and commit) is
        // rolled back: ODBC refuses to disconnect while one is open, and its locks would live on.
        if (d.isValid() && m_open && m_inTransaction)
            d.rollback();
        m_inTransaction = false;
        if (d.isValid())
            d.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
    m_open = false;
}
