#pragma once
// The engine behind one cT_ADODB: one Qt SQL connection (QSQLITE or QODBC), its T-SQL layer,
// its errors, and its fitness to wait idle for the next open of the same target.

#include "adodb.h"
#include "connection_string.h"
#include "tsql_session.h"

#include "base/vb_error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <sys/types.h>

#include <memory>
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

    QString reuseKey;    // the connection target this connection serves
    QString filePath;    // the SQLite database file, through either driver
    FileIdentity file;   // that file when it was opened
    bool dirty = false;  // ran something other than a plain query
    bool broken = false; // a failure that leaves the link or the file unusable

private:
    bool probe();
    bool run(QSqlQuery& q, const QString& sql);
    void failFromQuery(const QSqlQuery& q);
    void fail(const QString& description, std::vector<AdoError> records);
    AdoError sqliteRecord(const QSqlError& e) const;
};

// Closed connections waiting for the next open of the same target (see connection_pool.cpp).
QString reuseKeyOf(const ConnectionTarget& target);
std::unique_ptr<AdoConnection> takeIdleConnection(const QString& key); // null: none fit, or reuse off
void keepIdleConnection(std::unique_ptr<AdoConnection> connection);
