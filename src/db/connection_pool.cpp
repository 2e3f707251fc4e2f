#include "ado_connection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QThread>

#include <atomic>

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
            if (m_idle[i].conn->reuseKey() != key)
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
            sameTarget += e.conn->reuseKey() == c->reuseKey();
        for (size_t i = 0; i < m_idle.size() && sameTarget >= kIdlePerTarget; ++i) {
            if (m_idle[i].conn->reuseKey() == c->reuseKey()) {
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

// A server that did not answer: its connection string fails at once for a while instead of
// making every routine wait out the login time-out again (the start-up checks alone are five).
constexpr qint64 kRememberFailureMs = 30 * 1000;
constexpr qint64 kSlowFailureMs = 1000; // only a failure that made the operator wait is remembered
struct FailedConnect {
    QString key;
    VbError failure;
    QElapsedTimer since;
};
std::vector<FailedConnect> g_failed;
QMutex g_failedMutex;

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

} // namespace

QString reuseKeyOf(const ConnectionTarget& t)
{
    return t.kind == ConnectionTarget::Kind::Sqlite
        ? QStringLiteral("sqlite:") + t.sqlitePath
        : QStringLiteral("odbc:%1:").arg(t.loginTimeoutSeconds) + t.odbcString;
}

std::unique_ptr<AdoConnection> takeIdleConnection(const QString& key)
{
    return key.isEmpty() || !g_reuse ? nullptr : t_idle.take(key);
}

void keepIdleConnection(std::unique_ptr<AdoConnection> connection) { t_idle.put(std::move(connection)); }

void setConnectionReuse(bool on)
{
    g_reuse = on;
    if (!on)
        t_idle.drain();
}

int idleConnectionCount() { return t_idle.size(); }

std::optional<VbError> recentConnectFailure(const QString& key)
{
    QMutexLocker lock(&g_failedMutex);
    std::erase_if(g_failed, [](const FailedConnect& f) { return f.since.hasExpired(kRememberFailureMs); });
    for (const FailedConnect& f : g_failed)
        if (f.key == key)
            return f.failure;
    return std::nullopt;
}

void noteConnectResult(const QString& key, const VbError* failure, qint64 attemptMs)
{
    QMutexLocker lock(&g_failedMutex);
    std::erase_if(g_failed, [&key](const FailedConnect& f) { return f.key == key; });
    if (failure && attemptMs >= kSlowFailureMs && !key.isEmpty()) {
        g_failed.push_back({key, *failure, {}});
        g_failed.back().since.start();
    }
}
