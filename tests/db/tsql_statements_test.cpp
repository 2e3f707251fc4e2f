// The statements the program builds, run through cT_ADODB on a fixture database, on the
// embedded driver and on ODBC -> SQLite3 alike, with the result SQL Server gives. (The
// continuation form's statements: their routines on both drivers in the continuation tests.)
#include "db_test_util.h"

#include "db/treatment_queries.h"
#include "mainwindow/target_list.h"
#include "reports/monthly_schedule_table.h"

#include <QScopedValueRollback>
#include <functional>

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

// One batch of statements: branch 1-3 (the installation's) and 1-4 (must never show).
const char* const kFixtureData =
    "insert into CORP (iKyotenCd, iKyotenEb, iType, cShamei1) values (1, 3, 0, N'株式会社デモ'), (1, 3, 1, N'別種別'), (1, 4, "
    "0, N'他拠点の会社')\n"
    "insert into STAFF values (1, 3, 1, N'山田　太郎', N'山田', N'ヤマダ　タロウ', 0), (1, 3, 2, N'佐藤　花子', N'佐藤', N'サトウ　ハナコ', 1), "
    "(1, 3, 3, N'Abcdefgh Jiro', N'Abc', N'アブ', NULL), (1, 4, 1, N'別拠点　職員', N'別', N'ベツ', 0)\n"
    "insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSex, tBirthDay, tSyoryoDay, iSejutsuKubun, "
    "iKaigoLv, nTantou, "
    "iHinkaiKeikaku, cByoumei, nHKSyobyouCd, iMahi, iKoushuku, iHoseUmu, nLenFix) values "
    "(1, 3, 10101, N'青木　一郎', N'アオキ　イチロウ', 1, '1940/05/01', '2020/03/10', 0, 2, 1, 0, N'脳梗塞後遺症', 0, 1, 0, 1, 0), "
    "(1, 3, 10102, N'青木　一郎', N'アオキ　イチロウ', NULL, NULL, '2020/04/01', 0, NULL, 3, NULL, NULL, NULL, NULL, NULL, NULL, "
    "NULL), "
    "(1, 3, 10201, N'井上　二郎', N'イノウエ　ジロウ', 1, '1989/01/08', '2021/02/28', 1, NULL, 2, NULL, NULL, 7, NULL, NULL, NULL, "
    "NULL), "
    "(1, 3, 10301, N'上田　三子', N'ウエダ　ミツコ', NULL, NULL, NULL, 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL), "
    "(1, 4, 10101, N'他拠点　利用者', N'タキョテン', NULL, NULL, '2019/01/01', 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    "NULL)\n"
    "insert into RIYOUSHA_SUB values (1, 3, 10201, 1, 0, 0, 0, 1, 0, 0, 1, N'しびれ', NULL), "
    "(1, 3, 10101, 0, 0, 0, 0, 0, 0, 0, 0, NULL, NULL)\n"
    "insert into 月間実績 values (1, 3, 10101, 2021, 3, 18), (1, 3, 10101, 2021, 4, 20), (1, 3, 10102, 2021, 4, 16), "
    "(1, 3, 10201, 2021, 4, 5), (1, 3, 10301, 2021, 4, 3), (1, 3, 10101, 2020, 4, 16), (1, 3, 10101, 2020, 12, 17), "
    "(1, 3, 10102, 2020, 4, 10), (1, 3, 10102, 2020, 12, 16), (1, 4, 10101, 2021, 4, 30)\n"
    // JISSEKI: nJissekiNo, user, staff, start, end, billing kind, areas, kinds, returned flag
    "insert into JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, "
    "tServicyDayEnd, iSeikyuKbn, "
    "iSejutuBui1, iSejutuBui2, iHariUmu, iKyuuUmu, iHoseUmu, nLenFix, iDelFlg_Henrei) values "
    "(1, 3, 1, 10101, 1, '2021/03/01 10:00:00', '2021/03/01 10:30:00', 0, 1, 0, NULL, NULL, 1, 5, 0), "
    "(1, 3, 2, 10101, 1, '2021/03/09 23:00:00', '2021/03/09 23:30:00', 0, 0, 0, NULL, NULL, 1, 5, 0), "
    "(1, 3, 3, 10101, 3, '2021/03/10 00:00:00', '2021/03/10 00:30:00', 0, 0, 2, NULL, NULL, 1, 5, 0), "
    "(1, 3, 4, 10101, 1, '2021/03/10 10:00:00', '2021/03/10 10:30:00', 0, 0, 0, NULL, NULL, 1, 5, 0), "
    "(1, 3, 5, 10101, 1, '2021/03/15 10:00:00', '2021/03/15 10:30:00', 1, 0, 0, NULL, NULL, 1, 5, 0), "
    "(1, 3, 6, 10101, 1, '2021/03/20 10:00:00', '2021/03/20 10:30:00', 0, 0, 0, NULL, NULL, 1, 5, 1), "
    "(1, 3, 7, 10101, 1, '2021/03/25 10:00:00', '2021/03/25 10:30:00', 0, 0, 0, NULL, NULL, 1, 5, NULL), "
    "(1, 3, 8, 10101, 1, '03-31-2021 10:00:00', '03-31-2021 10:30:00', 0, 0, 0, NULL, NULL, 1, 5, 0), "
    "(1, 3, 9, 10101, 1, '2021/04/01 00:00:00', '2021/04/01 00:30:00', 0, 0, 0, NULL, NULL, 1, 5, 0), "
    "(1, 3, 10, 10201, 2, '2021/04/05 10:00:00', '2021/04/05 10:30:00', 0, 0, 0, 1, 1, 0, 0, 0), "
    "(1, 4, 11, 10101, 1, '2021/03/12 10:00:00', '2021/03/12 10:30:00', 0, 1, 0, NULL, NULL, 1, 5, 0)\n"
    "insert into SCHEDULE values (1, 3, 1, 10101, 1, 20210401, 0, 1, 5), (1, 3, 2, 10101, 1, 20210430, 0, 1, 5), "
    "(1, 3, 3, 10201, 2, 20210501, 0, 0, 0), (1, 3, 4, 10101, 1, 20210331, 0, 1, 5), (1, 4, 5, 10101, 1, 20210402, 0, "
    "1, 5)";

namespace jisseki = modPrint利用者別月間実績表;
namespace yotei = modPrint利用者別月間予定表;

// The list query for April 2021 with the condition and a search text in one field.
QString listQuery(int condition, QString ListConditions::*search = nullptr, const char* text = "")
{
    ListConditions c;
    c.month = QDate(2021, 4, 1);
    c.condition = condition;
    if (search)
        c.*search = u8(text);
    return buildListQuery(c);
}

// Statements from the program's builders and the rows SQL Server gives for them, one statement's after the other's.
struct Sent {
    const char* name;
    QStringList statements;
    QStringList rows;
    bool unordered = false; // rows compared sorted: the statement leaves their order open
};

class TSqlStatements : public ::testing::TestWithParam<Via> {
protected:
    void SetUp() override
    {
        fixture = std::make_unique<FixtureDb>(GetParam());
        fixture->exec({u8(kFixtureData)});
        ScopedRecordingPlatform rec;
        ASSERT_EQ(runTableChecks(), QStringLiteral("0 0 0 0 0"));
        fixture->exec({u8("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, nStaffID) "
                          "values (1, 3, 10101, 2021, 4, 3)")});
        db = fixture->connect();
    }

    // The report tables' statements for April 2021 as a window with the condition and listed users asks.
    QStringList actualTable(int condition, const QList<QVariant>& listed) const
    {
        EXPECT_EQ(jisseki::iGetPrintJoukenJisseki(ReportWindow(QDate(2021, 4, 1), condition, listed)), 0);
        return {jisseki::jissekiQuery(QDate(2021, 4, 1))};
    }
    QStringList scheduleTable(const char* sharing) const
    {
        fixture->install.writeMassageIni({u8(sharing)});
        EXPECT_EQ(yotei::iGetPrintJoukenYotei(ReportWindow(QDate(2021, 4, 1))), 0);
        return {yotei::yoteiQuery(QDate(2021, 4, 1))};
    }

    std::vector<Sent> sent() const
    {
        const QString aoki = u8("青木　一郎|10101|20210401|山田　太郎|0|2|1|5|株式会社デモ|2020-03-10T00:00:00");
        const QStringList inoue{u8(
            "10201|井上　二郎|1|1989-01-08T00:00:00|2021-02-28T00:00:00|5|NULL|NULL|1|0|0|0|1|0|0|NULL|佐藤　花子|NULL")};
        const QStringList schedule{aoki, QString(aoki).replace(QStringLiteral("20210401"), QStringLiteral("20210430"))};
        const auto day = [](const char* from, JissekiColumns columns) {
            return jissekiFromDayQuery(10101, from, columns);
        };
        const QString withReturned = [&] {
            const QScopedValueRollback noFlag(iHasDelFlgHenrei, short(0));
            return day("2021/03/10", JissekiColumns::Count);
        }();
        return {
            {"list, one year or 16 treatments",
             {listQuery(3)},
             {"10101|青木　一郎|0|1940-05-01T00:00:00|2020-03-10T00:00:00|20|脳梗塞後遺症|10101|0|0|0|0|0|0|0|NULL|"
              "山田　太郎|Abcdefgh Jiro",
              "10102|青木　一郎|0|NULL|2020-04-01T00:00:00|16|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
              "Abcdefgh Jiro|NULL"}},
            // The searches: a number, names with LIKE characters escaped.
            {"list by number", {listQuery(4, &ListConditions::searchNo, "10201")}, inoue},
            {"list by name", {listQuery(4, &ListConditions::searchName, "井上")}, inoue},
            {"list by kana", {listQuery(4, &ListConditions::searchKana, "ジロウ")}, inoue},
            {"list by a LIKE character", {listQuery(4, &ListConditions::searchName, "_")}, {}},
            // From the 10th (midnight included) to the month's end; billing kind 1 and returned records left out.
            {"treatments from a day", {day("2021/03/10", JissekiColumns::Count)}, {"4"}},
            {"treatments from a day, no returned flag", {withReturned}, {"5"}},
            // The month's last day comes as a date; a month without records: count 0 and Null maxima.
            {"areas and the last day",
             {day("2021/03/01", JissekiColumns::CountAreasAndLastDay),
              day("2021/05/01", JissekiColumns::CountAreasAndLastDay)},
             {"6|2021-03-31T10:00:00|1|2|0|0|0|0|0|0", "0|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL"}},
            {"areas per user",
             {jissekiFromDayByUserQuery("10101,10201,10301", "2021/03/10", JissekiColumns::CountAndAreas),
              jissekiRecordsFromDayQuery("10101,10201", "2021/04/01")},
             {"10101|4|0|2|0|0|0|0|0|0", "10101|2021-04-01T00:00:00", "10201|2021-04-05T10:00:00"},
             true},
            // Month numbers compared as numbers with the quoted bounds of the window.
            {"frequency count of a hundreds group",
             sentBy([] { iGetHinkaiCount(10101, "2022/04", nullptr, nullptr); }),
             {"10101|202012|17", "10101|202103|18", "10101|202104|20", "10102|202012|16", "10102|202104|16",
              "10101|青木　一郎|0|0|NULL", "10102|青木　一郎|0|NULL|NULL"},
             true},
            {"monthly actual table",
             actualTable(4, {}),
             {"青木　一郎|10101|2021-04-01T00:00:00|山田　太郎|0|2|1|5|株式会社デモ",
              "井上　二郎|10201|2021-04-05T10:00:00|佐藤　花子|1|NULL|0|0|株式会社デモ"}},
            {"monthly actual table, listed users",
             actualTable(3, {10201, 10301}),
             {"井上　二郎|10201|2021-04-05T10:00:00|佐藤　花子|1|NULL|0|0|株式会社デモ"}},
            {"monthly schedule table", scheduleTable("施術者拠点間共有=0"), schedule, true},
            {"monthly schedule table, shared practitioners", scheduleTable("施術者拠点間共有=1"), schedule, true},
        };
    }

    std::unique_ptr<FixtureDb> fixture;
    std::unique_ptr<cT_ADODB> db;
};

} // namespace

TEST_P(TSqlStatements, EachGivesTheRowsSqlServerGives)
{
    for (const Sent& s : sent()) {
        SCOPED_TRACE(s.name);
        QStringList rows;
        for (const QString& sql : s.statements) {
            QStringList one = queryRows(*db, sql);
            if (s.unordered)
                one.sort();
            rows += one;
        }
        EXPECT_EQ(rows, s.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(TSql, TSqlStatements, ::testing::Values(Via::Embedded, Via::Odbc), viaName);
