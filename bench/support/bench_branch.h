#pragma once
// A generated branch for the benchmarks: a temporary program folder with adodb.ini, a suite
// database of the given number of users (3 years up to 2024/06) and the start-up checks run.
// Massage.ini and the TMP / SYS / DATA / ICON folders are there for the documents. The local
// time zone is pinned as the program pins it at start.
#include <QString>
#include <QTemporaryDir>
#include <ctime>

struct BenchBranch {
    explicit BenchBranch(int users);
    // adodb.ini: the embedded form, or ODBC through the SQLite3 driver, on the same file.
    void useDriver(bool odbc) const;

    bool generate(int users) const;

    QTemporaryDir dir;
    QString database;
    bool ok = false;
};

// The index-th command-line argument as a number, or the fallback when it is missing or no number.
inline int benchArg(int argc, char** argv, int index, int fallback)
{
    bool ok = false;
    const int v = argc > index ? QString::fromLocal8Bit(argv[index]).toInt(&ok) : 0;
    return ok ? v : fallback;
}

// The process's processor time in milliseconds (what the machine's other load does not add to).
inline double benchCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}
