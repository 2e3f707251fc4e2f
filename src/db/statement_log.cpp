#include "statement_log.h"

#include <QMutex>
#include <atomic>

namespace statementlog {

namespace {
std::atomic<bool> g_on{false};
QMutex g_mutex;
QStringList g_texts;
} // namespace

void setEnabled(bool on)
{
    QMutexLocker lock(&g_mutex);
    g_texts.clear();
    g_on = on;
}

bool enabled() { return g_on; }

void record(const QString& sql)
{
    if (!g_on)
        return;
    QMutexLocker lock(&g_mutex);
    g_texts.append(sql);
}

QStringList texts()
{
    QMutexLocker lock(&g_mutex);
    return g_texts;
}

void clear()
{
    QMutexLocker lock(&g_mutex);
    g_texts.clear();
}

} // namespace statementlog
