// Every statement the program sends, as SQLite plans it on the suite's schema and keys. A
// routine that runs once per user of a list or a document may read the large tables only by
// a key that holds the user; one that runs once per command may read a branch of them, never
// a whole table. A routine that sends SQL is one line in kRoutines.
#include "db_test_util.h"

#include "continuation/over16_record.h"
#include "db/tsql_rewriter.h"
#include "mainwindow/target_list.h"
#include "reports/monthly_actual_table.h"
#include "reports/monthly_schedule_table.h"
#include "reports/over16_print.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>

namespace {

enum Runs { PerCommand, PerUser }; // how often a routine runs for one command

ListConditions listed(int condition)
{
    ListConditions c;
    c.month = QDate(2024, 6, 1);
    c.condition = condition;
    c.searchName = QStringLiteral("利用者");
    return c;
}

namespace jisseki = modPrint利用者別月間実績表;
namespace yotei = modPrint利用者別月間予定表;
namespace form = modPrintOver16Count;

// A table's conditions from a window with the given extraction condition, then its loader.
std::function<void()> table(short (*conditions)(const MainWindowView&), short (*load)(), int condition)
{
    return [=] {
        EXPECT_EQ(conditions(ReportWindow(QDate(2024, 6, 1), condition, {10101, 10201})), 0);
        EXPECT_EQ(load(), 0);
    };
}

form::Over16PrintRec printed; // what the form's per-user reads fill

const struct {
    const char* name;
    Runs runs;
    std::function<void()> call;
} kRoutines[] = {
    {"the start-up checks", PerCommand, [] { runTableChecks(); }},
    {"iDataLoad (4) and its counts", PerCommand, [] { iDataLoad(listed(4)); }},
    {"iDataLoad (3) and its counts", PerCommand, [] { iDataLoad(listed(3)); }},
    {"iCountJisseki", PerUser, [] { iCountJisseki(10101, QStringLiteral("2024/06/10")); }},
    {"iGetHinkaiCount", PerUser, [] { iGetHinkaiCount(10101, QStringLiteral("2024/06"), nullptr, nullptr); }},
    {"iDataLoad_16OVER_UMU", PerUser, [] { iDataLoad_16OVER_UMU(10101, QDate(2024, 6, 1)); }},
    {"iGetJissekiData00, every user", PerCommand,
     table(jisseki::iGetPrintJoukenJisseki, jisseki::iGetJissekiData00, 4)},
    {"iGetJissekiData00, listed users", PerCommand,
     table(jisseki::iGetPrintJoukenJisseki, jisseki::iGetJissekiData00, 3)},
    {"iGetYoteiData00 and the anniversary counts", PerCommand,
     [] {
         table(yotei::iGetPrintJoukenYotei, yotei::iGetYoteiData00, 3)();
         EXPECT_EQ(yotei::iOutputYoteiCsv(), 1);
     }},
    {"saveOver16Entry", PerCommand,
     [] {
         Over16Stored seen = readMonthEntry(10101, QStringLiteral("2024/06/01")).stored;
         EXPECT_EQ(saveOver16Entry(10101, "2024/06/01", {}, seen).status, 0);
     }},
    {"readMonthEntry", PerCommand, [] { readMonthEntry(10101, QStringLiteral("2024/06/01")); }},
    {"readPreviousEntry", PerCommand, [] { readPreviousEntry(10101, QStringLiteral("2024/06/01")); }},
    {"iGetJissekiData, ticked users", PerCommand, table(form::iGetPrintJouken, form::iGetJissekiData, 3)},
    {"iGetKeikakuData, ticked users", PerCommand, table(form::iGetPrintJouken, form::iGetKeikakuData, 3)},
    {"getDouiRecord", PerUser, [] { form::getDouiRecord(10101, QStringLiteral("2024/06/01"), printed); }},
    {"iGetKaisuAfterDay", PerUser, [] { form::iGetKaisuAfterDay(10101, QStringLiteral("2024/06/10")); }},
    {"iGetSejutuBui", PerUser, [] { form::iGetSejutuBui(10101, QStringLiteral("2024/06/01"), printed); }},
};

// The large tables and the columns that hold a user in them.
const std::pair<const char*, const char*> kLarge[] = {
    {"月間実績", "患者IDNo"}, {"JISSEKI", "nRiyoushaIDNo"}, {"SCHEDULE", "nIDRiyoushaNo"}};

class QueryPlans : public ::testing::Test {
protected:
    void SetUp() override
    {
        fx.exec({
            "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, '本店')",
            "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 1, '佐藤　一郎')",
            // 10101 in its anniversary month, 10201 past 24 months.
            "INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tSyoryoDay, nTantou) VALUES "
            "(1, 3, 10101, '利用者一', 'イチ', '2023-06-10', 1), (1, 3, 10201, '利用者二', 'ニ', '2020-01-01', 1)",
            "INSERT INTO 月間実績 (iKyotenCd, iKyotenEb, 患者IDNo, 実績年, 実績月, 施術回数) VALUES "
            "(1, 3, 10101, 2024, 6, 20), (1, 3, 10201, 2024, 6, 20), (1, 3, 10201, 2024, 5, 16)",
            "INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, "
            "tServicyDayEnd) "
            "VALUES (1, 3, 1, 10101, 1, '2024-06-12 10:00:00', '2024-06-12 10:30:00')",
        });
        QStringList schedules;
        for (int d = 1; d <= 20; ++d)
            schedules << QStringLiteral("(1, 3, %1, 10101, 1, %2, 0)").arg(d).arg(20240610 + d % 20);
        fx.exec(
            {"INSERT INTO SCHEDULE (iKyotenCd, iKyotenEb, nScheduleNo, nIDRiyoushaNo, nIDStaffNo, nDate, iSeikyuKbn) "
             "VALUES "
             + schedules.join(u',')});
        direct = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plans"));
        direct.setDatabaseName(fx.path);
        ASSERT_TRUE(direct.open());
        QSqlQuery q(direct);
        q.exec(QStringLiteral("SELECT m.name, p.name, p.type FROM sqlite_schema AS m, pragma_table_info(m.name) AS p "
                              "WHERE m.type IN ('table', 'view')"));
        while (q.next())
            catalog.tables[q.value(0).toString().toLower()].append({q.value(1).toString(), q.value(2).toString()});
    }
    void TearDown() override
    {
        direct = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("plans"));
    }

    // The plan lines of every SQLite statement a T-SQL text becomes (definitions have none).
    QStringList plan(const QString& tsql)
    {
        static const QRegularExpression reads(QStringLiteral("^\\s*(SELECT|WITH|INSERT|UPDATE|DELETE)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
        QStringList lines;
        for (const QString& one : tsql::toSqlite(tsql, catalog).split(QStringLiteral(";\n"))) {
            if (!reads.match(one).hasMatch())
                continue;
            QSqlQuery q(direct);
            EXPECT_TRUE(q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + one)) << one.toStdString();
            while (q.next())
                lines << q.value(3).toString();
        }
        return lines;
    }

    FixtureDb fx;
    ScopedRecordingPlatform rec;
    QSqlDatabase direct;
    tsql::CatalogData catalog;
};

TEST_F(QueryPlans, LargeTablesAreReadByTheirKeys)
{
    iHasDelFlgHenrei = 1;
    int statements = 0;
    for (const auto& routine : kRoutines) {
        const QStringList sent = sentBy(routine.call);
        EXPECT_FALSE(sent.isEmpty()) << routine.name;
        for (const QString& text : sent) {
            ++statements;
            for (const QString& line : plan(text)) {
                for (const auto& [table, user] : kLarge) {
                    const QString name = QString::fromUtf8(table);
                    if (!line.startsWith(QStringLiteral("SCAN ") + name)
                        && !line.startsWith(QStringLiteral("SEARCH ") + name))
                        continue;
                    EXPECT_TRUE(line.startsWith(QStringLiteral("SEARCH "))
                                && line.contains(QStringLiteral("iKyotenEb=?")))
                        << routine.name << " reads a whole table: " << line.toStdString() << "\n"
                        << text.toStdString();
                    if (routine.runs == PerUser) {
                        EXPECT_TRUE(line.contains(QString::fromUtf8(user) + u'=')
                                    || line.contains(QString::fromUtf8(user) + u'>'))
                            << routine.name << " reads a branch for one user: " << line.toStdString() << "\n"
                            << text.toStdString();
                    }
                }
            }
        }
    }
    EXPECT_GE(statements, 20);
    EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
}

} // namespace
