// Extraction of the target list on a generated branch (default 2,000 users, 3 years of
// records), for the three conditions, next to one set-based query that computes the same
// rows on the same database. Prints both times and the ratio.
//   list_bench [users] [repeats]
#include "common/globals.h"
#include "common/text_file.h"
#include "db/table_checks.h"
#include "mainwindow/target_list.h"
#include "platform/recording_platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <set>

namespace {

// The same rows in one statement (plain SQLite SQL on the same file).
QString setBasedQuery(int condition, int threshold, const QDate& month)
{
    const QString first = QDate(month.year(), month.month(), 1).addMonths(-23).toString(QStringLiteral("yyyyMM"));
    const QString last = month.toString(QStringLiteral("yyyyMM"));
    const QString monthStart = QDate(month.year(), month.month(), 1).toString(QStringLiteral("yyyy-MM-dd"));
    const QString nextStart = QDate(month.year(), month.month(), 1).addMonths(1).toString(QStringLiteral("yyyy-MM-dd"));
    QString sql = QStringLiteral(R"(
WITH m AS (
  SELECT g.患者IDNo AS id, g.施術回数 AS cnt, r.tSyoryoDay AS s,
         date(r.tSyoryoDay, 'start of month', '+12 months',
              '+' || (min(CAST(strftime('%d', r.tSyoryoDay) AS INT),
                          CAST(strftime('%d', date(r.tSyoryoDay, 'start of month', '+13 months', '-1 day')) AS INT)) - 1)
              || ' days') AS ann
    FROM 月間実績 g
    LEFT JOIN RIYOUSHA r ON r.iKyotenCd = g.iKyotenCd AND r.iKyotenEb = g.iKyotenEb AND r.nIDNo = g.患者IDNo
   WHERE g.実績年 = %1 AND g.実績月 = %2 AND g.iKyotenCd = %3 AND g.iKyotenEb = %4
     AND r.tSyoryoDay IS NOT NULL AND trim(r.tSyoryoDay) <> ''
), e AS (
  SELECT m.*,
         (%1 - CAST(strftime('%Y', s) AS INT)) * 12 + (%2 - CAST(strftime('%m', s) AS INT)) + 1 AS elapsed,
         CASE WHEN strftime('%Y%m', ann) = '%5' THEN
           (SELECT count(*) FROM JISSEKI j
             WHERE j.nRiyoushaIDNo = m.id AND j.iKyotenCd = %3 AND j.iKyotenEb = %4
               AND j.tServicyDayStart >= ann AND j.tServicyDayStart < '%6' AND j.iSeikyuKbn = 0
               AND (j.iDelFlg_Henrei = 0 OR j.iDelFlg_Henrei IS NULL)) END AS anncount,
         (SELECT count(*) FROM (SELECT sum(h.施術回数) AS c FROM 月間実績 h
             WHERE h.iKyotenCd = %3 AND h.iKyotenEb = %4 AND h.患者IDNo / 100 = m.id / 100
               AND h.実績年 * 100 + h.実績月 BETWEEN %7 AND %5
             GROUP BY h.患者IDNo, h.実績年 * 100 + h.実績月 HAVING c >= 16)) AS freq
    FROM m
)
SELECT id FROM e WHERE 1 = 1)")
                      .arg(month.year()).arg(month.month()).arg(gKyotenCd).arg(gKyotenEb)
                      .arg(last, nextStart, first);
    Q_UNUSED(monthStart);
    if (condition == 3)
        sql += QStringLiteral(" AND cnt >= 16 AND (strftime('%Y%m', ann) < '%1' OR (strftime('%Y%m', ann) = '%1' AND anncount >= 16))").arg(last);
    if (condition == 2)
        sql += QStringLiteral(" AND elapsed >= 24 AND freq >= %1").arg(threshold);
    sql += QStringLiteral(" ORDER BY id");
    return sql;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int users = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    const int repeats = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 3;
    QTemporaryDir dir;
    gAppPath = dir.path();
    gKyotenCd = 1;
    gKyotenEb = 3;
    const QString db = dir.filePath(QStringLiteral("suite.db"));
    QFile ini(dir.filePath(QStringLiteral("adodb.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(cp932Lines({QStringLiteral("[接続情報]"), QStringLiteral("接続情報=Provider=SQLite;Data Source=suite.db")}));
    ini.close();

    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute(QStringLiteral(DEMO_DATA_BINARY),
                                     {QStringLiteral("--out"), db, QStringLiteral("--users"), QString::number(users),
                                      QStringLiteral("--months"), QStringLiteral("36"), QStringLiteral("--today"),
                                      QStringLiteral("2024-06-15")});
    if (rc != 0) {
        std::fprintf(stderr, "generator failed (%d)\n", rc);
        return 1;
    }
    std::printf("generated %d users in %.1f s\n", users, t.elapsed() / 1000.0);

    ScopedRecordingPlatform quiet;
    iChkOver16Count();
    iChkDouiRec();
    iChkHKSyobyou07Flg();
    iChkSyoujouSonota();
    iChkJissekiField();

    QSqlDatabase direct = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
    direct.setDatabaseName(db);
    direct.open();

    const QDate month(2024, 6, 1);
    std::printf("%-10s %6s %12s %12s %8s %s\n", "condition", "rows", "program ms", "set-based ms", "ratio", "same rows");
    for (int condition : {3, 2, 4}) {
        ListConditions c;
        c.month = month;
        c.condition = condition;
        c.threshold = 3;
        double best = -1, bestSet = -1;
        std::set<long> programIds, setIds;
        for (int i = 0; i < repeats; ++i) {
            t.restart();
            const ListLoad l = iDataLoad(c);
            const double ms = t.nsecsElapsed() / 1e6;
            best = best < 0 ? ms : qMin(best, ms);
            programIds.clear();
            for (const ListRow& r : l.rows)
                programIds.insert(static_cast<long>(r[colIDNo].toLongLong()));

            t.restart();
            QSqlQuery q(direct);
            if (!q.exec(setBasedQuery(condition, c.threshold, month))) {
                std::fprintf(stderr, "set-based query failed: %s\n", qPrintable(q.lastError().text()));
                return 1;
            }
            setIds.clear();
            while (q.next())
                setIds.insert(static_cast<long>(q.value(0).toLongLong()));
            const double setMs = t.nsecsElapsed() / 1e6;
            bestSet = bestSet < 0 ? setMs : qMin(bestSet, setMs);
        }
        std::printf("%-10d %6zu %12.1f %12.1f %8.1f %s\n", condition, programIds.size(), best, bestSet,
                    bestSet > 0 ? best / bestSet : 0.0,
                    programIds == setIds ? "yes" : "NO");
    }
    std::printf("messages during the run: %lld\n", static_cast<long long>(quiet.messages.size()));
    return 0;
}
