// Extraction of the target list on a generated branch (default 2,000 users, 3 years of
// records), for the three conditions and both drivers, next to one set-based query that
// computes the same rows and the same count columns on the same database through the same
// driver. Prints both times (best of the repeats; the program's processor time too), their
// ratio and whether the rows agree; then one user's frequency count and row refresh.
//   list_bench [users] [repeats]
// MONTHLY_BENCH_DB=FILE: use a copy of that generated database instead of generating one.
// LIST_BENCH_PROGRAM_ONLY=1: time the program only (for profiling).
#include "support/bench_branch.h"

#include "base/globals.h"

#include "mainwindow/target_list.h"
#include "platform/recording_platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>
#include <set>
#include <tuple>

namespace {

// id, column 9, column 10 of a listed row.
using Row = std::tuple<long, QString, QString>;

// The list, its anniversary counts and frequency counts in one statement of plain grouped
// queries (no correlated subqueries).
QString setBasedQuery(int condition, int threshold, bool wholeMonth, const QDate& month)
{
    const QDate first = QDate(month.year(), month.month(), 1);
    QString sql =
        QStringLiteral(R"(
WITH m AS (
  SELECT g.患者IDNo AS id, g.施術回数 AS cnt, r.iHinkaiKeikaku AS plan,
         date(r.tSyoryoDay, 'start of month', '+12 months',
              '+' || (min(CAST(strftime('%d', r.tSyoryoDay) AS INT),
                          CAST(strftime('%d', date(r.tSyoryoDay, 'start of month', '+13 months', '-1 day'))
                               AS INT)) - 1)
              || ' days') AS ann,
         (%1 - CAST(strftime('%Y', r.tSyoryoDay) AS INT)) * 12
           + (%2 - CAST(strftime('%m', r.tSyoryoDay) AS INT)) + 1 AS elapsed
    FROM 月間実績 g
    LEFT JOIN RIYOUSHA r ON r.iKyotenCd = g.iKyotenCd AND r.iKyotenEb = g.iKyotenEb AND r.nIDNo = g.患者IDNo
   WHERE g.実績年 = %1 AND g.実績月 = %2 AND g.iKyotenCd = %3 AND g.iKyotenEb = %4
     AND r.tSyoryoDay IS NOT NULL AND trim(r.tSyoryoDay) <> ''
), a AS (
  SELECT j.nRiyoushaIDNo AS id, count(*) AS anncount
    FROM (SELECT id, ann FROM m WHERE strftime('%Y%m', ann) = '%5') x
    CROSS JOIN JISSEKI j ON j.iKyotenCd = %3 AND j.iKyotenEb = %4 AND j.nRiyoushaIDNo = x.id
   WHERE j.tServicyDayStart >= x.ann AND j.tServicyDayStart < '%6'
     AND j.iSeikyuKbn = 0 AND (j.iDelFlg_Henrei = 0 OR j.iDelFlg_Henrei IS NULL)
   GROUP BY j.nRiyoushaIDNo
), f AS (
  SELECT grp, count(*) AS freq FROM (
    SELECT h.患者IDNo / 100 AS grp, sum(h.施術回数) AS c
      FROM 月間実績 h JOIN RIYOUSHA q ON q.iKyotenCd = h.iKyotenCd AND q.iKyotenEb = h.iKyotenEb AND q.nIDNo = h.患者IDNo
     WHERE h.iKyotenCd = %3 AND h.iKyotenEb = %4 AND h.実績年 * 100 + h.実績月 BETWEEN %7 AND %5
     GROUP BY h.患者IDNo, h.実績年 * 100 + h.実績月, q.cName, q.iSejutsuKubun)
   WHERE c >= 16 GROUP BY grp
), e AS (
  SELECT m.*, strftime('%Y%m', m.ann) AS annym, ifnull(a.anncount, 0) AS anncount, ifnull(f.freq, 0) AS freq
    FROM m LEFT JOIN a ON a.id = m.id LEFT JOIN f ON f.grp = m.id / 100
)
SELECT id, CASE WHEN annym = '%5' AND NOT %8 THEN anncount ELSE cnt END,
       CASE WHEN elapsed < 24 THEN '-' WHEN plan >= 1 THEN '計画済' ELSE CAST(freq AS TEXT) END
  FROM e WHERE 1 = 1)")
            .arg(month.year())
            .arg(month.month())
            .arg(gKyotenCd)
            .arg(gKyotenEb)
            .arg(month.toString(QStringLiteral("yyyyMM")), first.addMonths(1).toString(QStringLiteral("yyyy-MM-dd")),
                 first.addMonths(-23).toString(QStringLiteral("yyyyMM")))
            .arg(wholeMonth ? 1 : 0);
    if (condition == 3)
        sql += QStringLiteral(" AND cnt >= 16 AND (annym < '%1' OR (annym = '%1' AND anncount >= 16))")
                   .arg(month.toString(QStringLiteral("yyyyMM")));
    if (condition == 2)
        sql += QStringLiteral(" AND elapsed >= 24 AND freq >= %1").arg(threshold);
    sql += QStringLiteral(" ORDER BY id");
    return sql;
}

QString text(const QVariant& v) { return v.toString(); }

double bestOf(double best, double ms) { return best < 0 ? ms : qMin(best, ms); }

// One condition's timings on one driver and whether both ways give the same rows.
struct ConditionRun {
    double best = -1, bestSet = -1, bestCpu = -1;
    std::vector<Row> programRows, setRows;
    bool failed = false; // the set-based query failed
};

std::vector<Row> programRowsOf(const ListLoad& l)
{
    std::vector<Row> rows;
    for (const ListRow& r : l.rows)
        rows.emplace_back(static_cast<long>(r[colIDNo].toLongLong()), text(r[colCount]), text(r[colHinkai]));
    return rows;
}

// The set-based rows, or false with the message written.
bool setBasedRows(QSqlDatabase& direct, const ListConditions& c, std::vector<Row>& rows)
{
    QSqlQuery q(direct);
    q.setForwardOnly(true);
    if (!q.exec(setBasedQuery(c.condition, c.threshold, c.countWholeMonth, c.month))) {
        std::fprintf(stderr, "set-based query failed: %s\n", qPrintable(q.lastError().text()));
        return false;
    }
    rows.clear();
    while (q.next())
        rows.emplace_back(static_cast<long>(q.value(0).toLongLong()), text(q.value(1)), text(q.value(2)));
    return true;
}

// The best of the repeats of the program's extraction and of the set-based query. oneUser
// becomes the first user a frequency (2) list holds.
ConditionRun timeCondition(QSqlDatabase& direct, const ListConditions& c, int repeats, long& oneUser)
{
    ConditionRun run;
    QElapsedTimer t;
    for (int i = 0; i < repeats; ++i) {
        t.restart();
        const double cpu0 = benchCpuMs();
        const ListLoad l = iDataLoad(c);
        run.best = bestOf(run.best, t.nsecsElapsed() / 1e6);
        run.bestCpu = bestOf(run.bestCpu, benchCpuMs() - cpu0);
        if (c.condition == 2 && !l.rows.empty())
            oneUser = static_cast<long>(l.rows.front()[colIDNo].toLongLong());
        run.programRows = programRowsOf(l);

        if (qEnvironmentVariableIsSet("LIST_BENCH_PROGRAM_ONLY"))
            continue;
        t.restart();
        if (!setBasedRows(direct, c, run.setRows)) {
            run.failed = true;
            return run;
        }
        run.bestSet = bestOf(run.bestSet, t.nsecsElapsed() / 1e6);
    }
    return run;
}

void reportFirstDifference(const std::vector<Row>& programRows, const std::vector<Row>& setRows)
{
    for (size_t k = 0; k < programRows.size() && k < setRows.size(); ++k)
        if (programRows[k] != setRows[k]) {
            std::fprintf(stderr, "first difference: %ld %s %s / %ld %s %s\n", std::get<0>(programRows[k]),
                         qPrintable(std::get<1>(programRows[k])), qPrintable(std::get<2>(programRows[k])),
                         std::get<0>(setRows[k]), qPrintable(std::get<1>(setRows[k])),
                         qPrintable(std::get<2>(setRows[k])));
            return;
        }
}

// One user, as the frequency sub-window and the row refresh ask.
void timeOneUser(const char* driver, long oneUser, const QDate& month, int repeats)
{
    QElapsedTimer t;
    double count = -1, refresh = -1;
    for (int i = 0; i < repeats * 10; ++i) {
        t.restart();
        short f = 0, plan = 0;
        iGetHinkaiCount(oneUser, month.toString(QStringLiteral("yyyy/MM")), &f, &plan);
        count = bestOf(count, t.nsecsElapsed() / 1e6);
        t.restart();
        iDataLoad_16OVER_UMU(oneUser, month);
        refresh = bestOf(refresh, t.nsecsElapsed() / 1e6);
    }
    std::printf("%-15s one user %ld: frequency count %.2f ms, row refresh %.2f ms\n", driver, oneUser, count, refresh);
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

    ScopedRecordingPlatform quiet;
    const QDate month(2024, 6, 1);
    const struct {
        const char* name;
        const char* qtDriver;
        bool odbc;
        QString direct;
    } drivers[] = {
        {"QSQLITE", "QSQLITE", false, branch.database},
        {"QODBC->SQLite3", "QODBC", true, QStringLiteral("Driver=SQLite3;Database=") + branch.database},
    };
    bool allSame = true;
    long oneUser = 10101;
    std::printf("%-15s %-9s %6s %11s %8s %13s %7s %s\n", "driver", "condition", "rows", "program ms", "cpu ms",
                "set-based ms", "ratio", "same rows");
    for (const auto& d : drivers) {
        branch.useDriver(d.odbc);
        QSqlDatabase direct = QSqlDatabase::addDatabase(QString::fromLatin1(d.qtDriver), QString::fromLatin1(d.name));
        direct.setDatabaseName(d.direct);
        if (!direct.open()) {
            std::fprintf(stderr, "%s: %s\n", d.name, qPrintable(direct.lastError().text()));
            return 1;
        }
        for (int condition : {3, 2, 4}) {
            ListConditions c;
            c.month = month;
            c.condition = condition;
            c.threshold = 3;
            const ConditionRun r = timeCondition(direct, c, repeats, oneUser);
            if (r.failed)
                return 1;
            const bool same = r.programRows == r.setRows;
            if (!same)
                reportFirstDifference(r.programRows, r.setRows);
            allSame = allSame && same;
            std::printf("%-15s %-9d %6zu %11.1f %8.1f %13.1f %7.2f %s\n", d.name, condition, r.programRows.size(),
                        r.best, r.bestCpu, r.bestSet, r.bestSet > 0 ? r.best / r.bestSet : 0.0, same ? "yes" : "NO");
        }
        timeOneUser(d.name, oneUser, month, repeats);
        direct.close();
    }
    std::printf("messages during the run: %lld\n", static_cast<long long>(quiet.messages.size()));
    return allSame && quiet.messages.isEmpty() ? 0 : 2;
}
