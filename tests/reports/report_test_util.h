#pragma once
// Helpers of the report tests.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QString>

// Bytes given as hex digits (CP932 texts spelled out by hand).
inline QByteArray hexBytes(const char* hex) { return QByteArray::fromHex(hex); }

// Waits for a file a started program writes; its bytes, or empty after the time-out.
inline QByteArray waitForFile(const QString& path, int ms = 15000)
{
    QDeadlineTimer deadline(ms);
    while (!QFileInfo(path).isFile() && !deadline.hasExpired())
        QThread::msleep(20);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes an executable shell script.
inline void writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write("#!/bin/sh\n" + body);
        f.close();
    }
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}
