// The two monthly tables for a generated branch (default 2,000 users), both drivers: the
// loader, the CSV file and the hand-off to the viewer (recorded, not started), for every user
// and for the users a condition (3) list holds. Prints the best time of the repeats and the
// best processor time.
//   tables_bench [users] [repeats]
// MONTHLY_BENCH_DB=FILE: use a copy of that generated database instead of generating one.
#include "support/bench_branch.h"

#include "mainwindow/target_list.h"
#include "platform/recording_platform.h"
#include "reports/monthly_actual_table.h"
#include "reports/monthly_schedule_table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

struct View : MainWindowView {
    QDate month;
    int condition = 4;
    std::vector<long> ids;
    QDate monthValue() const override { return month; }
    int gridMaxRows() const override { return static_cast<int>(ids.size()); }
    QVariant gridValue(int row, int col) const override
    {
        return col == 2 ? QVariant(static_cast<qlonglong>(ids.at(static_cast<size_t>(row - 1)))) : QVariant(0);
    }
    int selectedCondition() const override { return condition; }
    bool countWholeAnniversaryMonth() const override { return false; }
};

qsizetype dataLines(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().count("\r\n") - 1 : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int users = benchArg(argc, argv, 1, 2000);
    const int repeats = benchArg(argc, argv, 2, 3);
    const BenchBranch branch(users);
    if (!branch.ok)
        return 1;
    ScopedRecordingPlatform recorder;
    const struct {
        const char* name;
        bool odbc;
    } drivers[] = {{"QSQLITE", false}, {"QODBC->SQLite3", true}};
    const struct {
        const char* name;
        void (*print)(short, const MainWindowView&);
        const char* csv;
    } tables[] = {{"actual-record", modPrint利用者別月間実績表::vPrintJissekiHyo, "利用者別月間実績.csv"},
                  {"schedule", modPrint利用者別月間予定表::vPrintYoteiHyo, "利用者別月間予定.csv"}};
    std::printf("%-15s %-14s %-12s %6s %8s %8s\n", "driver", "table", "users", "lines", "ms", "cpu ms");
    for (const auto& d : drivers) {
        branch.useDriver(d.odbc);
        View view;
        view.month = QDate(2024, 6, 1);
        ListConditions c;
        c.month = view.month;
        c.condition = 3;
        std::vector<long> listed;
        for (const ListRow& r : iDataLoad(c).rows)
            listed.push_back(static_cast<long>(r[colIDNo].toLongLong()));
        for (const auto& table : tables) {
            for (const int condition : {4, 3}) {
                view.condition = condition;
                view.ids = condition == 4 ? std::vector<long>{} : listed;
                double best = -1, bestCpu = -1;
                for (int i = 0; i < repeats; ++i) {
                    recorder.clear();
                    QElapsedTimer t;
                    t.start();
                    const double cpu = benchCpuMs();
                    table.print(0, view);
                    const double ms = t.nsecsElapsed() / 1e6;
                    best = best < 0 ? ms : qMin(best, ms);
                    bestCpu = bestCpu < 0 ? benchCpuMs() - cpu : qMin(bestCpu, benchCpuMs() - cpu);
                    if (!recorder.messages.isEmpty() || recorder.starts.size() != 1) {
                        std::fprintf(stderr, "%s: %s\n", table.name, qPrintable(recorder.messages.value(0).text));
                        return 1;
                    }
                }
                std::printf("%-15s %-14s %-12s %6lld %8.1f %8.1f\n", d.name, table.name,
                            condition == 4 ? "every user" : "listed (3)",
                            static_cast<long long>(
                                dataLines(branch.dir.filePath(QStringLiteral("TMP/") + QString::fromUtf8(table.csv)))),
                            best, bestCpu);
            }
        }
    }
    return 0;
}
