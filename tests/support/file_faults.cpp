#include "file_faults.h"

#include <QFile>
#include <QProcess>
#include <sqlite3.h>
#include <unistd.h>

bool OtherConnection::open(const QString& path, const char* sql)
{
    close();
    if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK
        || sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        close();
        return false;
    }
    return true;
}

void OtherConnection::close()
{
    if (!m_db)
        return;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
    m_db = nullptr;
}

bool setImmutable(const QString& path, bool on)
{
    return geteuid() == 0
        && QProcess::execute(QStringLiteral("chattr"), {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
}

bool makeReadOnly(const QString& path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    setImmutable(path, true);
    return access(path.toLocal8Bit().constData(), W_OK) != 0;
}

void undoReadOnly(const QString& path)
{
    setImmutable(path, false);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}
