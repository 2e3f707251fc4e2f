#pragma once
// cT_ADODB: the connection wrapper every data routine uses (ADO's interface and texts,
// Qt SQL underneath: QSQLITE for the embedded database, QODBC for SQL Server / ODBC).
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

// ADO constants by their ADO names.
constexpr long adStateClosed = 0;
constexpr long adStateOpen = 1;
constexpr long adOpenForwardOnly = 0;
constexpr long adLockReadOnly = 1;
constexpr long adCmdText = 1;
constexpr long adExecuteNoRecords = 128;
constexpr long adOptionUnspecified = -1;

// One line of the emulated ADO Errors collection.
struct AdoError {
    long number = 0;     // the native error
    QString description; // the diagnostic text
    QString source;      // the driver's name
    QString sqlState;
    long nativeError = 0;
};

// A forward-only, read-only recordset. Rows are read when it opens; values are converted
// in one place so both drivers give the same types: integers as qlonglong, reals as
// double, texts as QString, datetimes as QDateTime, Null as a null QVariant.
class AdoRecordset {
public:
    bool isOpen() const { return m_open; }
    bool EOF_() const { return !m_open || m_pos >= m_rows.size(); }
    void MoveNext()
    {
        if (m_pos < m_rows.size())
            ++m_pos;
    }
    void MoveFirst() { m_pos = 0; }
    void Close();
    int fieldCount() const { return static_cast<int>(m_names.size()); }
    QString fieldName(int i) const { return m_names.value(i); }
    // Field by name, case-insensitive; the first of duplicated names. Invalid QVariant when
    // there is no such field (readers treat it as Null).
    QVariant field(const QString& name) const;
    QVariant field(int index) const;
    bool hasField(const QString& name) const { return indexOf(name) >= 0; }
    bool isNull(const QString& name) const
    {
        const QVariant v = field(name);
        return v.isNull() || !v.isValid();
    }
    // Recordset!name shorthand.
    QVariant operator[](const QString& name) const { return field(name); }
    qsizetype rowCount() const { return m_rows.size(); }

    // Filled by cT_ADODB.
    void setData(QStringList names, std::vector<std::vector<QVariant>> rows);

private:
    int indexOf(const QString& name) const;
    QStringList m_names;
    mutable QHash<QString, int> m_found; // names looked up before: readers ask the same ones row after row
    std::vector<std::vector<QVariant>> m_rows;
    size_t m_pos = 0;
    bool m_open = false;
};

class AdoConnection; // the engine behind one cT_ADODB (ado_connection.h)

// A closed connection waits idle for the next iConnect to the same target on the same thread
// (as ADO's session pooling did). Off: every iConnect opens anew (benchmarks compare both).
void setConnectionReuse(bool on);
// Idle connections of the calling thread.
int idleConnectionCount();

class cT_ADODB {
public:
    cT_ADODB();
    ~cT_ADODB();
    cT_ADODB(const cT_ADODB&) = delete;
    cT_ADODB& operator=(const cT_ADODB&) = delete;

    QString sErrMsg() const { return m_errMsg; }
    QString sDbName() const;
    short iInit(const QString& connectionString);
    QString csGetComputerName();
    void vAddAdoErrorLog(QString& text);
    short iConnect();
    short iDisConnect();
    short iOpenRecSet(AdoRecordset& rs, const QString& sql, long cursorType = adOpenForwardOnly,
                      long lockType = adLockReadOnly, long options = adCmdText);
    short iCloseRecSet(AdoRecordset& rs);
    short iExecSQL(const QString& sql, long* affectedRows = nullptr);
    short iBeginTrans();
    short iCommitTrans();
    short iRollback();
    short iSetTimeout(short seconds);

    // The connection's state (adStateClosed / adStateOpen) and pending errors, for tests.
    long connectionState() const;
    const std::vector<AdoError>& pendingErrors() const;
    // The command time-out applied to the engine, in seconds.
    int commandTimeout() const;

private:
    AdoConnection& connection();
    std::unique_ptr<AdoConnection> m_conn;
    QString m_connStr;
    QString m_errMsg;
};
