#include "adodb.h"

#include "ado_connection.h"
#include "statement_log.h"

#include "base/globals.h"
#include "platform/platform.h"

#include <QElapsedTimer>

namespace {

constexpr long kObjectClosed = 3704;
constexpr long kConnectionUnusable = 3709;
const char* const kObjectClosedText = "オブジェクトが閉じている場合は、操作は許可されません。";
const char* const kConnectionUnusableText = "接続が閉じているか無効なため、この操作は実行できません。";

// N of the error texts: a blank before a number that is zero or positive, "-" before a negative one.
QString adoNumber(long n) { return n >= 0 ? u' ' + QString::number(n) : QString::number(n); }

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

// ---------------------------------------------------------------- cT_ADODB

cT_ADODB::cT_ADODB() = default;

cT_ADODB::~cT_ADODB() { iDisConnect(); }

AdoConnection& cT_ADODB::connection()
{
    if (!m_conn)
        m_conn = std::make_unique<AdoConnection>();
    return *m_conn;
}

QString cT_ADODB::sDbName() const { return m_conn && m_conn->isOpen() ? m_conn->databaseName() : QString(); }

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
    if (!m_conn || m_conn->errors().empty())
        return;
    QString r = text;
    r += QStringLiteral("\rConnection State=") + QString::number(connectionState());
    for (const AdoError& e : m_conn->errors()) {
        r += QStringLiteral("\rError Number: ") + QString::number(e.number);
        r += QStringLiteral("\r  Description: ") + e.description;
        r += QStringLiteral("\r  Source: ") + e.source;
        r += QStringLiteral("\r  SQL State: ") + e.sqlState;
        r += QStringLiteral("\r  Native Error: ") + QString::number(e.nativeError);
    }
    r += QStringLiteral("\r\r") + QString::number(m_conn->errors().size())
        + QStringLiteral(" provider error(s) occurred.");
    m_conn->clearErrors();
    text = r;
}

short cT_ADODB::iConnect()
{
    if (!connection().isOpen()) {
        const ConnectionTarget target = parseConnectionString(m_connStr, gAppPath);
        const QString key = target.kind == ConnectionTarget::Kind::Invalid ? QString() : reuseKeyOf(target);
        if (auto idle = takeIdleConnection(key)) {
            m_conn = std::move(idle);
        } else if (const std::optional<VbError> failed = recentConnectFailure(key)) {
            m_errMsg = u'(' + adoNumber(failed->number) + u')' + failed->description;
            return -1;
        } else {
            AdoConnection& c = connection();
            QElapsedTimer attempt;
            attempt.start();
            const bool connected = c.connect(target);
            noteConnectResult(key, connected ? nullptr : &c.failure(), attempt.elapsed());
            if (!connected) {
                vAddAdoErrorLog(m_errMsg);
                m_errMsg = u'(' + adoNumber(c.failure().number) + u')' + c.failure().description;
                return -1;
            }
        }
    }
    iSetTimeout(180);
    return 0;
}

short cT_ADODB::iDisConnect()
{
    AdoConnection& c = connection();
    if (!c.isOpen()) {
        vAddAdoErrorLog(m_errMsg);
        m_errMsg = u'(' + adoNumber(kObjectClosed) + u')' + QString::fromUtf8(kObjectClosedText);
        return -1;
    }
    keepIdleConnection(std::move(m_conn));
    return 0;
}

short cT_ADODB::iOpenRecSet(AdoRecordset& rs, const QString& sql, long, long, long)
{
    statementlog::record(sql);
    rs.Close();
    QString head;
    AdoConnection& c = connection();
    tsql::QueryResult result;
    if (!c.isOpen()) {
        head = u'(' + adoNumber(kConnectionUnusable) + u')' + QString::fromUtf8(kConnectionUnusableText);
    } else if (!c.queryText(sql, &result)) {
        head = u'(' + adoNumber(c.failure().number) + u')' + c.failure().description;
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
    if (c.isOpen() && c.execText(sql, &n)) {
        if (affectedRows)
            *affectedRows = n;
        return 0;
    }
    const VbError e =
        c.isOpen() ? c.failure() : VbError{kConnectionUnusable, QString::fromUtf8(kConnectionUnusableText)};
    m_errMsg = QStringLiteral("ERR:iExecSQL (") + adoNumber(e.number) + u')' + e.description;
    vAddAdoErrorLog(m_errMsg);
    m_errMsg += QStringLiteral("\rSQL=") + sql;
    return -1;
}

namespace {

using TransactionStep = AdoConnection::TransactionStep;

short transaction(cT_ADODB& self, AdoConnection& c, QString& errMsg, TransactionStep step)
{
    static const char* const names[] = {"ERR:BeginTrans (", "ERR:CommitTrans (", "ERR:Rollback ("};
    VbError e;
    if (!c.isOpen()) {
        e = {kConnectionUnusable, QString::fromUtf8(kConnectionUnusableText)};
    } else if (c.transaction(step)) {
        // A rollback that reports errors counts as failed.
        if (step == TransactionStep::Rollback && !c.errors().empty()) {
            self.vAddAdoErrorLog(errMsg);
            return -1;
        }
        return 0;
    } else {
        e = c.failure();
    }
    errMsg = QString::fromLatin1(names[static_cast<int>(step)]) + adoNumber(e.number) + u')' + e.description;
    self.vAddAdoErrorLog(errMsg);
    return -1;
}

} // namespace

short cT_ADODB::iBeginTrans() { return transaction(*this, connection(), m_errMsg, TransactionStep::Begin); }
short cT_ADODB::iCommitTrans() { return transaction(*this, connection(), m_errMsg, TransactionStep::Commit); }
short cT_ADODB::iRollback() { return transaction(*this, connection(), m_errMsg, TransactionStep::Rollback); }

short cT_ADODB::iSetTimeout(short seconds)
{
    if (seconds > 0) {
        connection().setTimeout(seconds);
    }
    return 0;
}

long cT_ADODB::connectionState() const { return m_conn && m_conn->isOpen() ? adStateOpen : adStateClosed; }

const std::vector<AdoError>& cT_ADODB::pendingErrors() const
{
    static const std::vector<AdoError> none;
    return m_conn ? m_conn->errors() : none;
}

int cT_ADODB::commandTimeout() const { return m_conn ? m_conn->timeout() : kAdoDefaultTimeout; }
