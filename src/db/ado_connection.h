#pragma once
// The engine behind one cT_ADODB: one Qt SQL connection (QSQLITE or QODBC), its T-SQL layer,
// its errors, and its fitness to wait idle for the next open of the same target.

#include "adodb.h"
#include "connection_string.h"
#include "tsql_session.h"

#include "base/vb_error.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <sys/types.h>

#include <memory>
#include <optional>
#include <vector>

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

FileIdentity identityOf(const QString& path);

constexpr int kAdoDefaultTimeout = 30; // ADO's command time-out before iConnect sets its own
constexpr long kDriverErrorNumber = -2147467259L;

// A statement's wait for a locked SQLite file: the engine's busy handler sleeps in the
// user-interface thread, and after a second it shows that the program is waiting.
struct LockWait {
    int timeoutMs = 0;
    QElapsedTimer waited;
    bool shown = false;
};

class AdoConnection : public tsql::Backend {
public:
    enum class TransactionStep { Begin, Commit, Rollback };

    ~AdoConnection() override { disconnect(); }

    // False with failure() set. A connection that opens serves reuseKeyOf(target).
    bool connect(const ConnectionTarget& target);
    void disconnect();
    bool isOpen() const { return m_open; }
    QString databaseName() const { return m_dbName; }
    const QString& reuseKey() const { return m_reuseKey; }

    // The command time-out in seconds, applied to the engine at once when open.
    int timeout() const { return m_timeout; }
    void setTimeout(int seconds);

    // The driver's records of the last failure (ADO's Errors collection) and its run-time error.
    const std::vector<AdoError>& errors() const { return m_errors; }
    void clearErrors() { m_errors.clear(); }
    const VbError& failure() const { return m_failure; }

    bool execText(const QString& sql, long* affected)
    {
        m_dirty = true;
        const bool ok = m_layer ? m_session->execute(sql, affected) : exec(sql, affected);
        endLockWait();
        return ok;
    }
    bool queryText(const QString& sql, tsql::QueryResult* result)
    {
        if (!sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive))
            m_dirty = true;
        const bool ok = m_layer ? m_session->open(sql, result) : query(sql, result);
        endLockWait();
        return ok;
    }
    // False with failure() set; the transaction state follows only a step the driver took.
    bool transaction(TransactionStep step);

    // Reuse (see IdleConnections): settle() makes a closed routine's connection fit to wait
    // idle, revive() checks an idle one before it is handed out again. False: drop it.
    bool settle();
    bool revive();

    bool exec(const QString& sql, long* affected) override;
    bool query(const QString& sql, tsql::QueryResult* result) override;
    void layerError(const QString& text) override { fail(text, {}); }
    QString cacheKey() const override { return m_engine == Engine::Sqlite ? m_sqlitePath : m_odbcString; }

private:
    enum class Engine { Sqlite, Odbc };

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    void* odbcConnectionHandle() const;
    bool openSqlite(const ConnectionTarget& target);
    bool openOdbc(const ConnectionTarget& target);
    QString odbcConnectText(const ConnectionTarget& target) const;
    void describeOdbcSource(void* dbc);
    bool startSession();
    bool abandon(const QString& description);
    bool databaseFileUsable(const QString& path);
    void applyTimeout();
    void endLockWait(); // takes away the note a wait showed
    bool probe();
    bool run(QSqlQuery& q, const QString& sql);
    void failFromQuery(const QSqlQuery& q);
    void failFromDatabase(const QSqlError& e);
    void failFromOdbc(std::vector<AdoError> records, const QSqlError& e);
    void fail(const QString& description, std::vector<AdoError> records);
    AdoError sqliteRecord(const QSqlError& e) const;

    QString m_name; // the Qt SQL connection's name
    bool m_open = false;
    bool m_inTransaction = false; // begun and neither committed nor rolled back
    Engine m_engine = Engine::Sqlite;
    bool m_layer = false; // statements go through the T-SQL layer (the database is SQLite)
    int m_timeout = kAdoDefaultTimeout;
    LockWait m_lockWait; // the busy handler's state (embedded engine)
    std::vector<AdoError> m_errors;
    VbError m_failure; // the run-time error of the last failure: N and D of the error texts
    QString m_sqlitePath, m_odbcString, m_source, m_dbName;
    std::unique_ptr<tsql::Session> m_session;

    QString m_reuseKey;    // the connection target this connection serves
    QString m_filePath;    // the SQLite database file, through either driver
    FileIdentity m_file;   // that file when it was opened
    bool m_dirty = false;  // ran something other than a plain query
    bool m_broken = false; // a failure that leaves the link or the file unusable
};

// Closed connections waiting for the next open of the same target (see connection_pool.cpp).
QString reuseKeyOf(const ConnectionTarget& target);
std::unique_ptr<AdoConnection> takeIdleConnection(const QString& key); // null: none fit, or reuse off
void keepIdleConnection(std::unique_ptr<AdoConnection> connection);
// The failure of a connect to the key that waited (a login time-out) within the last 30 s.
std::optional<VbError> recentConnectFailure(const QString& key);
// Records how a connect to the key ended: a failure that took a second or more is remembered,
// anything else forgets what was remembered.
void noteConnectResult(const QString& key, const VbError* failure, qint64 attemptMs);
