// The continuation form and the treatment plan for many ticked users of a generated branch
// (default: 500 of 2,000 users), through both drivers: the records loaded and the CSV written,
// as the print driver does before it hands over to the viewer.
//   over16_bench [ticked] [users] [repeats]
#include "base/globals.h"
#include "base/text_file.h"
#include "db/table_checks.h"
#include "platform/recording_platform.h"
#include "reports/over16_print.h"
#include "support/bench_branch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>

namespace form = modPrintOver16Count;

namespace {

struct Ticked : MainWindowView {
    QDate month;
    QList<qlonglong> ids;
    QDate monthValue() const override { return month; }
    int gridMaxRows() const override { return static_cast<int>(ids.size()); }
    QVariant gridValue(int row, int col) const override
    {
        return col == 1 ? QVariant(1) : QVariant(ids.value(row - 1));
    }
    int selectedCondition() const override { return 3; }
    bool countWholeAnniversaryMonth() const override { return false; }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int ticked = benchArg(argc, argv, 1, 500);
    const int users = benchArg(argc, argv, 2, 2000);
    const int repeats = benchArg(argc, argv, 3, 3);
    BenchBranch branch(users);
    if (!branch.ok)
        return 1;

    const QDate month(2024, 6, 1);
    Ticked window;
    window.month = month;
    {
        QSqlDatabase direct = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ids"));
        direct.setDatabaseName(branch.database);
        direct.open();
        QSqlQuery q(direct);
        q.exec(
            QStringLiteral(
                "SELECT 患者IDNo FROM 月間実績 WHERE iKyotenCd = %1 AND iKyotenEb = %2 AND 実績年 = 2024 AND 実績月 = 6 "
                "ORDER BY 施術回数 DESC, 患者IDNo LIMIT %3")
                .arg(gKyotenCd)
                .arg(gKyotenEb)
                .arg(ticked));
        while (q.next())
            window.ids << q.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("ids"));

    ScopedRecordingPlatform quiet;
    std::printf("%d ticked users of %d (month 2024/06)\n", static_cast<int>(window.ids.size()), users);
    std::printf("%-8s %-22s %8s %10s %10s\n", "driver", "document", "records", "best ms", "median ms");
    for (const bool odbc : {false, true}) {
        branch.useDriver(odbc);
        struct Run {
            const char* name;
            short formatOutput;
            bool plan;
        };
        for (const Run& r :
             {Run{"form (entries only)", 0, false}, Run{"form (blank format)", 1, false}, Run{"plan", 0, true}}) {
            std::vector<double> times;
            size_t records = 0;
            for (int i = 0; i < repeats; ++i) {
                QElapsedTimer t;
                t.start();
                if (r.plan)
                    form::vPrintKeikakusyo(0, window, r.formatOutput);
                else
                    form::vPrintKeizokuRiyuu(0, 1, 1, window, r.formatOutput);
                times.push_back(t.nsecsElapsed() / 1e6);
                records = form::printConditions().records.size();
            }
            std::sort(times.begin(), times.end());
            std::printf("%-8s %-22s %8zu %10.1f %10.1f\n", odbc ? "ODBC" : "SQLite", r.name, records, times.front(),
                        times[times.size() / 2]);
        }
    }
    std::printf("messages during the run: %lld\n", static_cast<long long>(quiet.messages.size()));
    for (const auto& m : quiet.messages)
        std::printf("  %s\n", qPrintable(m.text.left(200)));
    return quiet.messages.isEmpty() ? 0 : 1;
}
