#include "bench_branch.h"

#include "base/globals.h"
#include "base/text_file.h"
#include "base/time_zone.h"
#include "db/table_checks.h"
#include "platform/recording_platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>

BenchBranch::BenchBranch(int users)
{
    pinLocalTimeZone();
    gAppPath = dir.path();
    gKyotenCd = 1;
    gKyotenEb = 3;
    database = dir.filePath(QStringLiteral("suite.db"));
    // The program's folders for the documents' files.
    QFile massage(dir.filePath(QStringLiteral("Massage.ini")));
    massage.open(QIODevice::WriteOnly);
    massage.write(
        cp932Lines({QStringLiteral("[SYSTEM]"), QStringLiteral("SYSTEM_SYS=\\SYS"), QStringLiteral("SYSTEM_TMP=\\TMP"),
                    QStringLiteral("SYSTEM_ICON=\\ICON"), QStringLiteral("SYSTEM_DATA=\\DATA"),
                    QStringLiteral("BASEID=0103"), QStringLiteral("ANBUN_FLG=0")}));
    massage.close();
    for (const char* folder : {"SYS", "TMP", "ICON", "DATA"})
        QDir(dir.path()).mkdir(QString::fromLatin1(folder));
    // A database generated before can be reused (the generator takes a minute or more).
    const QString reuse = qEnvironmentVariable("MONTHLY_BENCH_DB");
    if (!reuse.isEmpty() && QFile::exists(reuse) && QFile::copy(reuse, database)) {
        std::printf("using %s\n", qPrintable(reuse));
    } else if (!generate(users)) {
        return;
    }
    useDriver(false);
    ScopedRecordingPlatform quiet;
    ok = iChkOver16Count() == 0 && iChkDouiRec() == 0 && iChkHKSyobyou07Flg() == 0 && iChkSyoujouSonota() == 0
        && iChkJissekiField() == 0;
    if (!ok)
        std::fprintf(stderr, "start-up checks failed: %s\n", qPrintable(quiet.messages.value(0).text));
}

bool BenchBranch::generate(int users) const
{
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute(QStringLiteral(DEMO_DATA_BINARY),
                                     {QStringLiteral("--out"), database, QStringLiteral("--users"),
                                      QString::number(users), QStringLiteral("--months"), QStringLiteral("36"),
                                      QStringLiteral("--today"), QStringLiteral("2024-06-15")});
    if (rc != 0) {
        std::fprintf(stderr, "generator failed (%d)\n", rc);
        return false;
    }
    std::printf("generated %d users in %.1f s (MONTHLY_BENCH_DB=<file> reuses a copy)\n", users, t.elapsed() / 1000.0);
    return true;
}

void BenchBranch::useDriver(bool odbc) const
{
    const QString connection = odbc ? QStringLiteral("Driver=SQLite3;Database=") + database
                                    : QStringLiteral("Provider=SQLite;Data Source=suite.db");
    QFile ini(dir.filePath(QStringLiteral("adodb.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(cp932Lines({QStringLiteral("[接続情報]"), QStringLiteral("接続情報=") + connection}));
}
