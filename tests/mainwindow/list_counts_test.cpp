// The list's counts read once per extraction against the one-user routines a row used to
// call: the same rows, the same columns and the same frequency table, on generated branches
// and on both drivers; a constant number of statements; a failed read reported once.
#include "base/globals.h"
#include "db/statement_log.h"
#include "mainwindow/target_list.h"
#include "support/list_fixture.h"
#include "support/recorded_messages.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

struct Person {
    long id = 0;
    QDate start; // first treatment; invalid: none
};

QString text(const QVariant& v) { return v.isNull() ? QStringLiteral("NULL") : v.toString(); }

// The text with %1, %2, … replaced by the values in turn.
template <class... T> QString fill(QString text, const T&... values)
{
    ((text = text.arg(values)), ...);
    return text;
}

// An entry of the frequency table as one line, for readable comparisons (every month, or
// only those with a count).
QString entryText(const HinkaiRecord& e, bool everyMonth = true)
{
    QStringList counts;
    for (size_t k = 0; k < 25; ++k)
        if (everyMonth || e.counts[k])
            counts << e.months[k] + u'=' + QString::number(e.counts[k]);
    return fill(QStringLiteral("%1 %2 kind %3 F %4 plan %5 %6 | %7"), e.userNo, e.name, e.kind, e.frequency, e.planFlag,
                e.planMonth, counts.join(u' '));
}

QStringList tableText()
{
    QStringList out;
    for (int i = 0; i < gHinkaiCount; ++i)
        out << entryText(gHinkaiList[static_cast<size_t>(i)]);
    return out;
}

// id | column 9 | column 10 of each row.
QStringList rowsText(const std::vector<ListRow>& rows)
{
    QStringList out;
    for (const ListRow& r : rows)
        out << text(r[colIDNo]) + u'|' + text(r[colCount]) + u'|' + text(r[colHinkai]);
    return out;
}

class ListCounts : public ListFixtureVia {
protected:
    // A branch of persons 101, 102, … numbered N*100+1, some with a second number N*100+2
    // that has records of its own. First treatments are spread so that rows fall before, in
    // and after their anniversary month and on both sides of 24 months; month totals lie
    // around 16 with gaps; plan flags come with and without a plan month; the anniversary
    // month has treatment records on both sides of the anniversary day, some not counted.
    // The first five persons take each kind of first treatment once, with 20 in the month.
    void generate(int persons, quint32 seed)
    {
        std::mt19937 rnd(seed);
        auto between = [&rnd](int lo, int hi) {
            return lo + static_cast<int>(rnd() % static_cast<unsigned>(hi - lo + 1));
        };
        QStringList users, months, records;
        int recordNo = 1;
        for (int p = 0; p < persons; ++p) {
            const long own = (101 + p) * 100L + 1;
            const int numbers = p % 3 == 1 ? 2 : 1;
            for (int n = 0; n < numbers; ++n) {
                Person person{own + n, {}};
                const int kind = p < 5 ? p % 5 : between(0, 5);
                const int day = between(1, 31);
                auto monthsBack = [&](int back) {
                    const QDate m = month.addMonths(-back);
                    return QDate(m.year(), m.month(), qMin(day, m.daysInMonth()));
                };
                // The anniversary month, E = 24, E = 23, more, under a year, none.
                const int back = kind == 3 ? between(25, 48)
                    : kind == 4            ? between(0, 11)
                                           : std::array{12, 23, 22, 0, 0, -1}[kind];
                if (back >= 0)
                    person.start = monthsBack(back);
                this->persons.push_back(person);
                const int plan = between(0, 9);
                const QString start = person.start.isValid() ? person.start.toString("''yyyy-MM-dd''") : "NULL";
                const int kubun = between(0, 1);
                users << fill(QStringLiteral("(1, 3, %1, '利用者%1', 'リヨウシャ', %2, %3, %4, %5)"), person.id, start,
                              kubun, plan < 2 ? 1 : 0,
                              plan % 2 ? QStringLiteral("'2023/0%1'").arg(plan) : QStringLiteral("NULL"));
                for (int back = 0; back < 40; ++back) {
                    const QDate m = month.addMonths(-back);
                    const bool listed = back == 0 && (p < 5 || between(0, 9) > 0);
                    if (!listed && (back == 0 || between(0, 4) == 0))
                        continue; // a gap
                    const int count = back == 0 && p < 5 ? 20 : between(8, 24);
                    months << fill(QStringLiteral("(1, 3, %1, %2, %3, %4)"), person.id, m.year(), m.month(), count);
                }
                if (kind == 0) {
                    const QDate first(month.year(), month.month(), 1);
                    for (int i = between(10, 30); i > 0; --i) {
                        const QDateTime at(first.addDays(between(0, first.daysInMonth() - 1)),
                                           QTime(between(8, 18), 0));
                        const int billing = between(0, 9) == 0 ? 1 : 0, returned = between(0, 9) == 0 ? 1 : 0;
                        records << fill(QStringLiteral("(1, 3, %1, %2, 1, '%3', '%3', %4, %5)"), recordNo++, person.id,
                                        at.toString("yyyy-MM-dd HH:mm:ss"), billing, returned);
                    }
                }
            }
        }
        const QString intoMonths = "INSERT INTO 月間実績 (iKyotenCd, iKyotenEb, 患者IDNo, 実績年, 実績月, 施術回数) ";
        QStringList sqlText{"INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tSyoryoDay, "
                            "iSejutsuKubun, iHinkaiKeikaku, cHinkaiKeikakuYM) VALUES "
                                + users.join(u','),
                            intoMonths + "VALUES " + months.join(u',')};
        if (!records.isEmpty())
            sqlText << "INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, "
                       "tServicyDayStart, "
                       "tServicyDayEnd, iSeikyuKbn, iDelFlg_Henrei) VALUES "
                    + records.join(u',');
        // Another branch's rows under the same numbers never count.
        sqlText << intoMonths + "SELECT 1, 4, 患者IDNo, 実績年, 実績月, 30 FROM 月間実績";
        sql(sqlText);
    }

    ListConditions conditions(int condition, int threshold = 3, bool wholeMonth = false) const
    {
        return {month.addDays(14), condition, threshold, wholeMonth, {}, {}, {}};
    }

    // Months from a person's first treatment to the list's month, both counted (E); 0 without one.
    int elapsed(long id) const
    {
        for (const Person& p : persons)
            if (p.id == id && p.start.isValid())
                return (month.year() - p.start.year()) * 12 + month.month() - p.start.month() + 1;
        return 0;
    }

    // What the list was when every row ran its own counts (the one-user routines): rows and
    // the frequency table, by the list's rules.
    std::pair<QStringList, QStringList> perRow(const ListConditions& c)
    {
        gHinkaiCount = 0;
        gHinkaiList.assign(1, HinkaiRecord{});
        std::map<long, QDate> starts;
        for (const Person& p : persons)
            starts[p.id] = p.start;
        std::map<long, int> counts; // the list query's rows
        const QString listed = fill(QStringLiteral("SELECT 患者IDNo, 施術回数 FROM 月間実績 WHERE iKyotenCd = 1 "
                                                   "AND iKyotenEb = 3 AND 実績年 = %1 AND 実績月 = %2"),
                                    month.year(), month.month());
        for (const QString& row : queryFile(db, listed))
            counts[row.section(u'|', 0, 0).toLong()] = row.section(u'|', 1, 1).toInt();
        QStringList rows;
        const QString monthText = month.toString(QStringLiteral("yyyy/MM"));
        for (const auto& [id, count] : counts) {
            const QDate s = starts[id];
            if ((c.condition == 3 && count < 16) || !s.isValid())
                continue;
            const QDate a = s.addMonths(12);
            const int e = elapsed(id);
            const QString aText = a.toString(QStringLiteral("yyyy/MM"));
            short anniversaryCount = 0;
            if (aText == monthText) {
                anniversaryCount = iCountJisseki(id, a.toString(QStringLiteral("yyyy/MM/dd")));
                if (c.condition == 3 && anniversaryCount < 16)
                    continue;
            } else if (monthText < aText && c.condition == 3) {
                continue;
            }
            QString column10 = QStringLiteral("-");
            if (e < 24 && c.condition == 2)
                continue;
            if (e >= 24) {
                short f = 0, plan = 0;
                const bool ok = iGetHinkaiCount(id, monthText, &f, &plan) == 0;
                if (c.condition == 2 && !(ok && f >= c.threshold))
                    continue;
                const bool again = iGetHinkaiCount(id, monthText, &f, &plan) == 0; // column 10's own count
                column10 = !again ? QStringLiteral("") : plan >= 1 ? QStringLiteral("計画済") : QString::number(f);
            }
            const int column9 = (c.countWholeMonth || aText != monthText) ? count : anniversaryCount;
            rows << QStringLiteral("%1|%2|%3").arg(id).arg(column9).arg(column10);
        }
        return {rows, tableText()};
    }

    // A user first treated on 2020-01-01 with its plan data.
    void planUser(long id, const QString& name, int kind, int plan, const QString& planMonth) const
    {
        sql({fill(QStringLiteral("INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, tSyoryoDay, iSejutsuKubun, "
                                 "iHinkaiKeikaku, cHinkaiKeikakuYM) VALUES (1, 3, %1, '%2', '2020-01-01', %3, %4, %5)"),
                  id, name, kind, plan, planMonth.isEmpty() ? QStringLiteral("NULL") : u'\'' + planMonth + u'\'')});
    }

    const QDate month{2024, 6, 1};
    std::vector<Person> persons;
};

TEST_P(ListCounts, SameRowsAndTableAsRowByRowCounts)
{
    generate(60, 7);
    const ListConditions cases[] = {conditions(4),    conditions(4, 3, true), conditions(3),   conditions(3, 3, true),
                                    conditions(2, 1), conditions(2, 3),       conditions(2, 6)};
    for (const ListConditions& c : cases) {
        const ListLoad l = iDataLoad(c);
        const QStringList rows = rowsText(l.rows), table = tableText();
        const auto [wantRows, wantTable] = perRow(c);
        EXPECT_EQ(rows, wantRows) << "condition " << c.condition << " threshold " << c.threshold;
        EXPECT_EQ(table, wantTable) << "condition " << c.condition << " threshold " << c.threshold;
        EXPECT_FALSE(rows.isEmpty());
    }
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_P(ListCounts, AGroupsOwnNumberDecidesItsEntry)
{
    // Group 101: 10101 and 10102 both listed; 10103 has no rows of its own. Window for
    // 2024/05: 2022/06 .. 2024/05.
    planUser(10101, QStringLiteral("甲"), 0, 0, QString());
    planUser(10102, QStringLiteral("乙"), 1, 1, QStringLiteral("2024/01"));
    planUser(10103, QStringLiteral("丙"), 0, 0, QString());
    for (const auto& [id, y, m, n] : {std::tuple{10101L, 2024, 5, 20},
                                      {10101L, 2024, 4, 16},
                                      {10101L, 2023, 1, 10},
                                      {10102L, 2024, 5, 17},
                                      {10102L, 2023, 1, 18},
                                      {10102L, 2022, 5, 30}})
        addMonth(id, y, m, n);
    ListConditions c = conditions(4);
    c.month = QDate(2024, 5, 1);
    const ListLoad l = iDataLoad(c);
    EXPECT_EQ(rowsText(l.rows), (QStringList{"10101|20|4", "10102|17|計画済"}));
    ASSERT_EQ(gHinkaiCount, 4);
    const auto entry = [](size_t i) { return entryText(gHinkaiList[i], false).toStdString(); };
    // F 4: 20 and 16 of its own, 17 and 18 of 10102; the month totals its own (2023/01: 10, not 18).
    EXPECT_EQ(entry(0), "10101 甲 kind 0 F 4 plan 0  | 202301=10 202404=16 202405=20");
    EXPECT_EQ(entryText(gHinkaiList[1]), entryText(gHinkaiList[0]));
    const std::string second = "乙 kind 1 F 4 plan 1 2024/01 | 202301=18 202404=16 202405=17";
    EXPECT_EQ(entry(2), "10102 " + second);

    // The one-user count of a number without rows: the group's highest other number last.
    short f = -1, plan = -1;
    ASSERT_EQ(iGetHinkaiCount(10103, QStringLiteral("2024/05"), &f, &plan), 0);
    EXPECT_EQ((std::pair<short, short>(f, plan)), (std::pair<short, short>(4, 1)));
    EXPECT_EQ(entry(4), "10103 " + second);
    // A group without records in the window: an empty entry with its months.
    ASSERT_EQ(iGetHinkaiCount(20001, QStringLiteral("2024/05"), &f, &plan), 0);
    EXPECT_EQ(entryText(gHinkaiList[5]).section(u'|', 0, 0), QStringLiteral("20001  kind 0 F 0 plan 0  "));
    EXPECT_EQ(gHinkaiList[5].months[0], QStringLiteral("202206"));
    EXPECT_EQ(gHinkaiCount, 6);
}

TEST_P(ListCounts, StatementsDoNotGrowWithTheRows)
{
    std::map<int, std::vector<int>> sent; // persons -> statements per case
    for (const int persons : {5, 200}) {
        createDatabase();
        useDriver();
        this->persons.clear();
        generate(persons, 11);
        for (const ListConditions& c : {conditions(4), conditions(3), conditions(2)}) {
            statementlog::Scope log;
            const ListLoad l = iDataLoad(c);
            EXPECT_FALSE(l.rows.empty()) << "condition " << c.condition;
            if (c.condition == 4) {
                EXPECT_GE(l.rows.size(), static_cast<size_t>(persons) * 4 / 5);
            }
            sent[persons].push_back(static_cast<int>(statementlog::texts().size()));
        }
    }
    // The list, the anniversary records, the month totals and the users' plan data.
    EXPECT_EQ(sent[5], (std::vector<int>{4, 4, 4}));
    EXPECT_EQ(sent[200], sent[5]);
}

TEST_P(ListCounts, AFailedReadIsShownOnceAndRowsFareAsAfterAFailedCount)
{
    generate(30, 3);
    // The users' plan column is gone: the frequency counts cannot be read.
    sql({QStringLiteral("ALTER TABLE RIYOUSHA DROP COLUMN iHinkaiKeikaku")});
    // The list still loads; column 10 is empty where a count was due (E >= 24), "-" elsewhere;
    // condition (2) drops every row, its count being unknown.
    const ListLoad all = iDataLoad(conditions(4));
    EXPECT_EQ(all.status, 0);
    expectSaid(rec, {{"csInpKey_Isi() でエラー\r\n…", MsgIcon::Critical}});
    EXPECT_EQ(gHinkaiCount, 0);
    QStringList column10;
    for (const ListRow& r : all.rows) {
        const long id = static_cast<long>(r[colIDNo].toLongLong());
        EXPECT_EQ(r[colHinkai], QVariant(elapsed(id) >= 24 ? QString() : QStringLiteral("-"))) << id;
        column10 << r[colHinkai].toString();
    }
    EXPECT_TRUE(column10.contains(QString()) && column10.contains(QStringLiteral("-")));
    rec.clear();
    EXPECT_TRUE(iDataLoad(conditions(2, 0)).rows.empty());
    EXPECT_EQ(rec.messages.size(), 1);

    // The treatment records are gone: the anniversary counts are 0.
    sql({QStringLiteral("DROP TABLE JISSEKI")});
    rec.clear();
    const ListLoad three = iDataLoad(conditions(3));
    EXPECT_EQ(rec.messages.size(), 2); // the anniversary records and the frequency counts, once each
    for (const ListRow& r : three.rows)
        EXPECT_NE(r[colElapsed], QVariant(QStringLiteral("13ヶ月")));
    rec.clear();
    int anniversaryRows = 0;
    for (const ListRow& r : iDataLoad(conditions(4)).rows)
        if (r[colElapsed] == QVariant(QStringLiteral("13ヶ月"))) {
            ++anniversaryRows;
            EXPECT_EQ(r[colCount], QVariant(qlonglong(0)));
        }
    EXPECT_GT(anniversaryRows, 0);
    EXPECT_EQ(rec.messages.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ListCounts, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
