#pragma once
// The generated branch the benchmarks run on: a program folder with Massage.ini (branch 1-3),
// its folders and a demo database of the given size (3 years of records up to 2024-06-15).
// BENCH_DB=FILE uses a copy of a database generated before instead.
#include "common/globals.h"
#include "common/text_file.h"
#include "db/table_checks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

// The process's processor time in milliseconds (the machine's other load does not count).
inline double benchCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

inline bool writeBenchFile(const QString& path, const QStringList& lines)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(cp932Lines(lines)) > 0;
}

// adodb.ini with the connection string, then the start-up checks the program runs.
inline bool useBenchConnection(const QString& folder, const QString& connectionString)
{
    if (!writeBenchFile(QDir(folder).filePath(QStringLiteral("adodb.ini")),
                        {QStringLiteral("[接続情報]"), QStringLiteral("接続情報=") + connectionString})) {
        std::fprintf(stderr, "cannot write adodb.ini\n");
        return false;
    }
    iChkOver16Count();
    iChkDouiRec();
    iChkHKSyobyou07Flg();
    iChkSyoujouSonota();
    iChkJissekiField();
    return true;
}

// The program folder (gAppPath, branch 1-3) with the database file, whose path it returns;
// an empty text after a message.
inline QString prepareBenchBranch(const QString& folder, int users)
{
    gAppPath = folder;
    gKyotenCd = 1;
    gKyotenEb = 3;
    const QDir dir(folder);
    for (const char* sub : {"TMP", "SYS", "DATA", "ICON"})
        dir.mkpath(QString::fromLatin1(sub));
    writeBenchFile(dir.filePath(QStringLiteral("Massage.ini")),
                   {QStringLiteral("[SYSTEM]"), QStringLiteral("SYSTEM_SYS=\\SYS"), QStringLiteral("SYSTEM_TMP=\\TMP"),
                    QStringLiteral("SYSTEM_ICON=\\ICON"), QStringLiteral("SYSTEM_DATA=\\DATA"), QStringLiteral("BASEID=0103"),
                    QStringLiteral("ANBUN_FLG=0")});
    const QString db = dir.filePath(QStringLiteral("suite.db"));
    QElapsedTimer t;
    t.start();
    if (!qEnvironmentVariableIsEmpty("BENCH_DB"))
        QFile::copy(qEnvironmentVariable("BENCH_DB"), db);
    const int rc = QFile::exists(db) ? 0
                                     : QProcess::execute(QStringLiteral(DEMO_DATA_BINARY),
                                                         {QStringLiteral("--out"), db, QStringLiteral("--users"),
                                                          QString::number(users), QStringLiteral("--months"),
                                                          QStringLiteral("36"), QStringLiteral("--today"),
                                                          QStringLiteral("2024-06-15")});
    if (rc != 0) {
        std::fprintf(stderr, "generator failed (%d)\n", rc);
        return QString();
    }
    std::printf("database ready in %.1f s\n", t.elapsed() / 1000.0);
    return db;
}

// A benchmark's run: [users] [repeats] from its command line and the branch in a temporary
// program folder (db empty after a failure).
struct BenchRun {
    BenchRun(int argc, char** argv)
        : users(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000),
          repeats(argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3), db(prepareBenchBranch(dir.path(), users))
    {
    }
    QString folder() const { return dir.path(); }

    int users, repeats;
    QTemporaryDir dir;
    QString db;
};
