#include "test_install.h"

#include "base/globals.h"
#include "base/text_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>

TestInstall::TestInstall()
{
    for (const char* d : {"TMP", "SYS", "DATA", "ICON"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(d));
    gAppPath = m_dir.path();
    gKyotenCd = 1;
    gKyotenEb = 3;
    gTZSVer = 0;
    writeMassageIni();
}

TestInstall::~TestInstall() = default;

QStringList TestInstall::defaultMassageLines()
{
    return {QStringLiteral("[SYSTEM]"),           QStringLiteral("SYSTEM_SYS=\\SYS"),
            QStringLiteral("SYSTEM_TMP=\\TMP"),   QStringLiteral("SYSTEM_ICON=\\ICON"),
            QStringLiteral("SYSTEM_DATA=\\DATA"), QStringLiteral("WALLPAPER=wall.png"),
            QStringLiteral("BASEID=0103"),        QStringLiteral("ANBUN_FLG=0")};
}

void TestInstall::writeBytes(const QString& relative, const QByteArray& bytes) const
{
    const QString p = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void TestInstall::writeMassageIni(const QStringList& extraLines) const
{
    writeBytes(QStringLiteral("Massage.ini"), cp932Lines(defaultMassageLines() + extraLines));
}

void TestInstall::writeAdodbIni(const QString& connectionString) const
{
    writeBytes(QStringLiteral("adodb.ini"),
               cp932Lines({QStringLiteral("[接続情報]"), QStringLiteral("接続情報=") + connectionString}));
}

QString TestInstall::useSqliteDatabase(const QString& fileName) const
{
    writeAdodbIni(QStringLiteral("Provider=SQLite;Data Source=") + fileName);
    return m_dir.filePath(fileName);
}

QByteArray TestInstall::readBytes(const QString& relative) const { return fileBytes(m_dir.filePath(relative)); }

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> folderSnapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi = it.fileInfo();
        files.insert(QDir(folder).relativeFilePath(path),
                     fi.isSymLink()   ? "<link>" + QFile::encodeName(fi.symLinkTarget())
                         : fi.isDir() ? QByteArrayLiteral("<folder>")
                                      : fileBytes(path));
    }
    return files;
}

ScopedFullDisk::ScopedFullDisk()
{
    struct rlimit limit { };
    getrlimit(RLIMIT_FSIZE, &limit);
    m_softLimit = limit.rlim_cur;
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFullDisk::~ScopedFullDisk()
{
    struct rlimit limit { };
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = m_softLimit;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
}
