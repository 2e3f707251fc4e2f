// The list rules on fixture databases: eligibility, counts, the frequency table, the columns,
// literal search texts and the exact query.
#include "base/globals.h"
#include "db/table_checks.h"
#include "mainwindow/target_list.h"
#include "support/list_fixture.h"
#include "support/recorded_messages.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

struct TargetListFixture : ListFixture {
    ListConditions cond(int y, int m, int condition = 4, int threshold = 0, bool wholeMonth = false)
    {
        return {QDate(y, m, 15), condition, threshold, wholeMonth, {}, {}, {}};
    }
    std::vector<long> ids(const ListLoad& l) const
    {
        std::vector<long> out;
        for (const ListRow& r : l.rows)
            out.push_back(static_cast<long>(r[colIDNo].toLongLong()));
        return out;
    }
    const ListRow* row(const ListLoad& l, long id) const
    {
        for (const ListRow& r : l.rows)
            if (r[colIDNo].toLongLong() == id)
                return &r;
        return nullptr;
    }
    void user(long id, const QString& syoryo, int kubun = 0, int plan = 0)
    {
        addUser({id, "利用者" + QString::number(id), "リヨウシャ", kubun, "1950-01-01", syoryo, 0, plan});
    }
};

TEST_F(TargetListFixture, FirstTreatmentDateDecidesAndIsRequired)
{
    user(10101, QString()); // no first-treatment date
    user(10201, "2023-03-10");
    for (long id : {10101L, 10201L})
        for (int m : {2, 3, 4})
            addMonth(id, 2024, m, 20);
    addJissekiDays(10201, QDate(2024, 3, 1), 9);   // before the anniversary day
    addJissekiDays(10201, QDate(2024, 3, 10), 15); // the 10th on: 15

    EXPECT_EQ(ids(iDataLoad(cond(2024, 2, 4))), std::vector<long>{10201});
    EXPECT_TRUE(ids(iDataLoad(cond(2024, 2, 3))).empty()); // eleven months
    EXPECT_TRUE(ids(iDataLoad(cond(2024, 3, 3))).empty()); // 15 from the 10th
    addJisseki(10201, QDateTime(QDate(2024, 3, 31), QTime(23, 0)), 1);
    addJisseki(10201, QDateTime(QDate(2024, 3, 31), QTime(9, 0)), 1, 1); // billing category 1: not counted
    const ListLoad march = iDataLoad(cond(2024, 3, 3));
    ASSERT_EQ(ids(march), std::vector<long>{10201});
    EXPECT_EQ(march.rows[0][colCount], QVariant(qlonglong(16))); // from the anniversary day
    EXPECT_EQ(iDataLoad(cond(2024, 3, 3, 0, true)).rows[0][colCount], QVariant(qlonglong(20)));
    EXPECT_EQ(march.rows[0][colElapsed], QVariant("13ヶ月"));
    EXPECT_EQ(ids(iDataLoad(cond(2024, 4, 3))), std::vector<long>{10201}); // the month total is enough
    sql({"UPDATE 月間実績 SET 施術回数 = 15 WHERE 実績月 = 4"});
    EXPECT_TRUE(iDataLoad(cond(2024, 4, 3)).rows.empty()); // 15 never qualifies
}

TEST_F(TargetListFixture, AnniversaryDaysAreClampedToTheMonthEnd)
{
    user(10101, "2023-03-31");
    user(10201, "2020-02-29");
    addJissekiDays(10101, QDate(2024, 3, 30), 2); // 30th and 31st
    addJissekiDays(10201, QDate(2021, 2, 27), 2); // 27th and 28th
    addMonth(10201, 2021, 2, 2);
    const ListLoad l = iDataLoad(cond(2021, 2, 4));
    ASSERT_EQ(l.rows.size(), 1u);
    EXPECT_EQ(l.rows[0][colCount], QVariant(qlonglong(1))); // the 28th on

    // Through the extraction: 31 March a year on counts the 31st only, and under condition (3)
    // the month's 20 do not make up for it.
    addMonth(10101, 2024, 3, 20);
    const ListLoad march = iDataLoad(cond(2024, 3, 4));
    ASSERT_EQ(ids(march), std::vector<long>{10101});
    EXPECT_EQ(march.rows[0][colCount], QVariant(qlonglong(1)));
    EXPECT_TRUE(iDataLoad(cond(2024, 3, 3)).rows.empty());
    for (int i = 0; i < 15; ++i) // 16 on the 31st
        addJisseki(10101, QDateTime(QDate(2024, 3, 31), QTime(6, 0).addSecs(i * 1800)), 1);
    EXPECT_EQ(ids(iDataLoad(cond(2024, 3, 3))), std::vector<long>{10101});
}

TEST_F(TargetListFixture, FrequencyCountOverTwentyFourMonths)
{
    user(10101, "2022-06-01"); // E = 23 in 2024/04, 24 in 2024/05
    user(10201, "2020-01-01");
    user(10202, "2020-01-01"); // same hundred as 10201
    user(10301, "2020-01-01");
    user(10401, "2020-01-01", 0, 1); // plan already made
    for (long id : {10101L, 10201L, 10202L, 10301L, 10401L})
        for (int m : {4, 5})
            addMonth(id, 2024, m, 5);
    addMonth(10201, 2022, 6, 16); // first month of the window for 2024/05
    addMonth(10201, 2022, 5, 30); // outside it
    addMonth(10202, 2023, 1, 17); // counted for 10201 too
    addMonth(10201, 2024, 3, 16);
    addMonth(10301, 2023, 8, 16);
    addMonth(10301, 2023, 9, 15);
    addMonth(10301, 2023, 10, 16);

    EXPECT_EQ(iDataLoad(cond(2024, 4, 4)).rows[0][colHinkai], QVariant("-"));
    // E = 23 is dropped under (2) whatever the threshold.
    EXPECT_EQ(ids(iDataLoad(cond(2024, 4, 2, 0))), (std::vector<long>{10201, 10202, 10301, 10401}));
    const ListLoad l = iDataLoad(cond(2024, 5, 2, 3));
    EXPECT_EQ(ids(l), (std::vector<long>{10201, 10202})); // three months; 10301 has two
    EXPECT_EQ(l.rows[0][colHinkai], QVariant(qlonglong(3)));

    const ListLoad all = iDataLoad(cond(2024, 5, 4));
    EXPECT_EQ(row(all, 10101)->at(colHinkai), QVariant(qlonglong(0))); // E = 24 shows the count
    EXPECT_EQ(row(all, 10301)->at(colHinkai), QVariant(qlonglong(2)));
    EXPECT_EQ(row(all, 10401)->at(colHinkai), QVariant("計画済"));

    // Two equal entries per listed user with E >= 24; readers take the first.
    EXPECT_EQ(gHinkaiCount, 10);
    const int i = findHinkaiEntry(10201);
    ASSERT_GE(i, 0);
    const HinkaiRecord& e = gHinkaiList[static_cast<size_t>(i)];
    EXPECT_EQ((QStringList{e.months[0], e.months[23], e.months[24]}), (QStringList{"202206", "202405", ""}));
    EXPECT_EQ((std::array{e.counts[0], e.counts[21], e.frequency}), (std::array<short, 3>{16, 16, 3}));
    EXPECT_EQ(gHinkaiList[static_cast<size_t>(i + 1)].userNo, 10201);
}

TEST_F(TargetListFixture, ColumnsOfARowOfThisBranch)
{
    addStaff(7, "佐藤　一郎");
    addStaff(8, "証明　者");
    addUser({10101, "山田　太郎  ", "ヤマダ", 0, "1989-01-07", "2019-05-01", 7, 0, "腰痛  "});
    addMonth(10101, 2024, 5, 18);
    addOver16(10101, 2024, 5, 8);
    // Other branches' rows under the same numbers never show.
    addUser({10101, "他拠点", QString(), 0, QString(), "2020-01-01", 0, 0, QString(), 2, 1});
    addMonth(10101, 2024, 5, 20, 2, 1);
    addMonth(10901, 2024, 5, 20, 1, 4);
    const ListLoad l = iDataLoad(cond(2024, 5, 4));
    ASSERT_EQ(l.rows.size(), 1u);
    QVariantList cells;
    for (int c : {colSel, colName, colKubun, colBirthDay, colKeizoku, colSyoryo, colElapsed, colCount, colStaff,
                  colSyoumei, colByoumei, colYMD})
        cells << l.rows[0][c];
    EXPECT_EQ(cells,
              (QVariantList{0, "山田　太郎", "マッサ", "昭和64年01月07日", "あり", "令和01年05月01日", "61ヶ月",
                            qlonglong(18), "佐藤　一郎", "証明　者", "腰痛", "2024/05/01"}));

    EXPECT_FALSE(iDataLoad_16OVER_UMU(10101, QDate(2024, 6, 1)).found);
    sql({"delete from OVER16COUNT"});
    const RowRefresh after = iDataLoad_16OVER_UMU(10101, QDate(2024, 5, 20));
    EXPECT_EQ(std::tuple(after.found, after.keizoku, after.syoumei), std::tuple(true, QString("なし"), QString()));
}

TEST_F(TargetListFixture, DiseaseTextsOfBothLayouts)
{
    user(10101, "2020-01-01", 1);
    addMonth(10101, 2024, 5, 3);
    sql({QStringLiteral("INSERT INTO RIYOUSHA_SUB (iKyotenCd, iKyotenEb, nIDNo, iHKSyobyou01Flg, iHKSyobyou05Flg, "
                        "iHKSyobyou07Flg) VALUES (1, 3, 10101, 1, 1, 1)"),
         "UPDATE RIYOUSHA SET cHKSyobyouName = 'その他の病' WHERE nIDNo = 10101"});
    EXPECT_EQ(iDataLoad(cond(2024, 5)).rows[0][colByoumei], QVariant("神経痛,腰痛症,その他の病"));
    sql({QStringLiteral(
        "UPDATE RIYOUSHA_SUB SET iHKSyobyou01Flg = 0, iHKSyobyou05Flg = 0, iHKSyobyou06Flg = 1, iHKSyobyou07Flg = 0")});
    EXPECT_EQ(iDataLoad(cond(2024, 5)).rows[0][colByoumei], QVariant("頸椎捻挫後遺症"));

    createDatabase(SchemaVariant::Old);
    ASSERT_EQ(iHasHKSyobyou07Flg, 0);
    user(10101, "2020-01-01", 1);
    addMonth(10101, 2024, 5, 3);
    sql({"UPDATE RIYOUSHA SET nHKSyobyouCd = 7"});
    EXPECT_EQ(iDataLoad(cond(2024, 5)).rows[0][colByoumei], QVariant("頸推捻挫後遺症"));
    sql({"UPDATE RIYOUSHA SET nHKSyobyouCd = 1, cHKSyobyouName = '坐骨神経痛'"});
    EXPECT_EQ(iDataLoad(cond(2024, 5)).rows[0][colByoumei], QVariant("坐骨神経痛"));
    sql({"UPDATE RIYOUSHA SET nHKSyobyouCd = 9"});
    EXPECT_EQ(iDataLoad(cond(2024, 5)).rows[0][colByoumei], QVariant(QString()));
}

TEST_F(TargetListFixture, SearchTextsMatchLiterally)
{
    const char* const names[] = {"O'Brien", "100%", "a_b", "[x]", "a!b", "abc"};
    long id = 10101;
    for (const char* n : names) {
        addUser({id, QString::fromUtf8(n), QString::fromUtf8(n), 0, QString(), "2020-01-01"});
        addMonth(id, 2024, 5, 20);
        id += 100;
    }
    const std::pair<const char*, std::vector<long>> cases[] = {
        {"'", {10101}},      {"%", {10201}},  {"_", {10301}},
        {"[", {10401}},      {"!", {10501}},  {"b", {10101, 10301, 10501, 10601}},
        {"' OR 1=1 --", {}}, {"x]", {10401}},
    };
    for (const auto& [typed, want] : cases) {
        ListConditions k = cond(2024, 5);
        k.searchName = QString::fromUtf8(typed);
        const ListLoad l = iDataLoad(k);
        EXPECT_EQ(l.status, 0) << typed;
        EXPECT_EQ(ids(l), want) << typed;
        k.searchName.clear();
        k.searchKana = QString::fromUtf8(typed);
        EXPECT_EQ(ids(iDataLoad(k)), want) << "kana " << typed;
    }
    EXPECT_TRUE(rec.messages.isEmpty());

    ListConditions k = cond(2024, 5);
    k.searchNo = "abc";
    EXPECT_TRUE(buildListQuery(k).contains(" AND   患者IDno = 0 ") && iDataLoad(k).rows.empty());
    k.searchNo = "10201";
    EXPECT_EQ(ids(iDataLoad(k)), std::vector<long>{10201});
}

TEST_F(TargetListFixture, ExactQueryText)
{
    gKyotenCd = 2;
    gKyotenEb = 5;
    iHasHKSyobyou07Flg = 1;
    ListConditions c{QDate(2024, 3, 9), 3, 0, false, "12", "山'", "ヤ%"};
    const char* want =
        "SELECT 月間実績.患者IDNo, RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun, RIYOUSHA.tBirthDay, tSyoryoDay, 月間実績.施術回数, "
        "cByoumei,OVER16COUNT.nKanjaID "
        " ,iHKSyobyou01Flg ,iHKSyobyou02Flg ,iHKSyobyou03Flg ,iHKSyobyou04Flg ,iHKSyobyou05Flg ,iHKSyobyou06Flg "
        ",iHKSyobyou07Flg ,cHKSyobyouName  "
        " ,STAFF.cName as cStaffName  ,SYOUMEISHA.cName as cSyoumeiStaffName  FROM 月間実績 "
        " LEFT JOIN RIYOUSHA  ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd  AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb  AND "
        "月間実績.患者IDNo = RIYOUSHA.nIDNo "
        " LEFT JOIN RIYOUSHA_SUB  ON 月間実績.iKyotenCd = RIYOUSHA_SUB.iKyotenCd  AND 月間実績.iKyotenEb = "
        "RIYOUSHA_SUB.iKyotenEb  AND 月間実績.患者IDNo = RIYOUSHA_SUB.nIDNo "
        " LEFT JOIN OVER16COUNT  ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd  AND 月間実績.iKyotenEb = "
        "OVER16COUNT.iKyotenEb  AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID  AND 月間実績.実績年 = OVER16COUNT.iYear  AND "
        "月間実績.実績月 = OVER16COUNT.iMonth "
        " LEFT JOIN STAFF  ON RIYOUSHA.iKyotenCd = STAFF.iKyotenCd  AND RIYOUSHA.iKyotenEb = STAFF.iKyotenEb  AND "
        "RIYOUSHA.nTantou = STAFF.nIDNo "
        " LEFT JOIN STAFF AS SYOUMEISHA  ON OVER16COUNT.iKyotenCd = SYOUMEISHA.iKyotenCd  AND OVER16COUNT.iKyotenEb = "
        "SYOUMEISHA.iKyotenEb  AND OVER16COUNT.nStaffID = SYOUMEISHA.nIDNo "
        " WHERE 実績年 = 2024 AND   実績月 = 3 and   月間実績.iKyotenCd = 2 and   月間実績.iKyotenEb = 5"
        " AND   施術回数 >= 16 AND   患者IDno = 12"
        " AND   RIYOUSHA.cName LIKE '%山''%' ESCAPE '!' AND   RIYOUSHA.cNamekana LIKE '%ヤ!%%' ESCAPE '!'"
        " order by 月間実績.患者IDNo";
    EXPECT_EQ(buildListQuery(c), QString::fromUtf8(want));
    iHasHKSyobyou07Flg = 0;
    const QString q = buildListQuery({QDate(2024, 3, 9), 2, 0, false, {}, {}, {}});
    EXPECT_TRUE(q.contains("cByoumei,OVER16COUNT.nKanjaID  ,nHKSyobyouCd ,cHKSyobyouName ,STAFF.cName"));
    EXPECT_TRUE(q.endsWith("月間実績.iKyotenEb = 5 order by 月間実績.患者IDNo"));
}

TEST_F(TargetListFixture, AnUnopenableQueryKeepsThePreviousList)
{
    sql({"DROP TABLE STAFF"});
    const ListLoad l = iDataLoad(cond(2024, 5));
    EXPECT_EQ(std::pair(l.status, l.replaced), std::pair(short(1), false));
    expectSaid(rec, {{"iDataLoad() でエラー\r\n…", MsgIcon::Critical}});

    inst.writeAdodbIni(QString());
    rec.clear();
    const ListLoad noConn = iDataLoad(cond(2024, 5));
    EXPECT_EQ(std::pair(noConn.status, noConn.replaced), std::pair(short(0), false)); // failed before the query: 0
    expectSaid(rec, {{"iDataLoad() でエラー\r\n接続文字列取得できません。"}});
}

} // namespace
