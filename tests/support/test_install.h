#pragma once
// A temporary installation for one test: a program folder with Massage.ini, adodb.ini and
// the folders TMP, SYS, DATA and ICON. Sets gAppPath and the branch key 1-3 (BASEID 0103).
#include "platform/recording_platform.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

class TestInstall {
public:
    TestInstall();
    ~TestInstall();

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Writes a file as the given bytes (folders are created).
    void writeBytes(const QString& relative, const QByteArray& bytes) const;
    // Writes Massage.ini in CP932 with CRLF lines; the default lines plus extra ones.
    void writeMassageIni(const QStringList& extraLines = {}) const;
    // Writes adodb.ini with section and key 接続情報.
    void writeAdodbIni(const QString& connectionString) const;
    // adodb.ini pointing at an embedded database file in the program folder.
    QString useSqliteDatabase(const QString& fileName = QStringLiteral("suite.db")) const;
    QByteArray readBytes(const QString& relative) const;

    static QStringList defaultMassageLines();

private:
    QTemporaryDir m_dir;
};

// Reads a whole file as bytes (empty when missing).
QByteArray fileBytes(const QString& path);
// Everything below a folder by relative path: a file's bytes, "<folder>" for a folder and
// "<link>" and the target for a symbolic link.
QMap<QString, QByteArray> folderSnapshot(const QString& folder);

// An environment variable set while it lives (a failed assertion included), unset at its end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) { qputenv(name, value); }
    ~ScopedEnv() { qunsetenv(m_name); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
};

// While it lives, no file of this process can grow (RLIMIT_FSIZE 0, SIGXFSZ ignored): every
// write fails as on a full disk, for root as well.
class ScopedFullDisk {
public:
    ScopedFullDisk();
    ~ScopedFullDisk();
    ScopedFullDisk(const ScopedFullDisk&) = delete;
    ScopedFullDisk& operator=(const ScopedFullDisk&) = delete;

private:
    unsigned long long m_softLimit = 0;
    void (*m_oldHandler)(int) = nullptr;
};
