// Each statement shape the program sends, run through cT_ADODB on a fixture database, on the
// embedded driver and on ODBC -> SQLite3 alike, with the result SQL Server gives.
#include "db_test_util.h"

#include "db/table_checks.h"

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

// One batch of statements: branch 1-3 (the installation's) and 1-4 (must never show).
const char* const kFixtureData =
    "insert into CORP (iKyotenCd, iKyotenEb, iType, cShamei1) values (1, 3, 0, N'株式会社デモ'), (1, 3, 1, N'別種別'), (1, 4, 0, N'他拠点の会社')\n"
    "insert into STAFF values (1, 3, 1, N'山田　太郎', N'山田', N'ヤマダ　タロウ', 0), (1, 3, 2, N'佐藤　花子', N'佐藤', N'サトウ　ハナコ', 1), "
    "(1, 3, 3, N'Abcdefgh Jiro', N'Abc', N'アブ', NULL), (1, 4, 1, N'別拠点　職員', N'別', N'ベツ', 0)\n"
    "insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSex, tBirthDay, tSyoryoDay, iSejutsuKubun, iKaigoLv, nTantou, "
    "iHinkaiKeikaku, cByoumei, nHKSyobyouCd, iMahi, iKoushuku, iHoseUmu, nLenFix) values "
    "(1, 3, 10101, N'青木　一郎', N'アオキ　イチロウ', 1, '1940/05/01', '2020/03/10', 0, 2, 1, 0, N'脳梗塞後遺症', 0, 1, 0, 1, 0), "
    "(1, 3, 10102, N'青木　一郎', N'アオキ　イチロウ', NULL, NULL, '2020/04/01', 0, NULL, 3, NULL, NULL, NULL, NULL, NULL, NULL, NULL), "
    "(1, 3, 10201, N'井上　二郎', N'イノウエ　ジロウ', 1, '1989/01/08', '2021/02/28', 1, NULL, 2, NULL, NULL, 7, NULL, NULL, NULL, NULL), "
    "(1, 3, 10301, N'上田　三子', N'ウエダ　ミツコ', NULL, NULL, NULL, 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL), "
    "(1, 4, 10101, N'他拠点　利用者', N'タキョテン', NULL, NULL, '2019/01/01', 0, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)\n"
    "insert into RIYOUSHA_SUB values (1, 3, 10201, 1, 0, 0, 0, 1, 0, 0, 1, N'しびれ', NULL), "
    "(1, 3, 10101, 0, 0, 0, 0, 0, 0, 0, 0, NULL, NULL)\n"
    "insert into 月間実績 values (1, 3, 10101, 2021, 3, 18), (1, 3, 10101, 2021, 4, 20), (1, 3, 10102, 2021, 4, 16), "
    "(1, 3, 10201, 2021, 4, 5), (1, 3, 10301, 2021, 4, 3), (1, 3, 10101, 2020, 4, 16), (1, 3, 10101, 2020, 12, 17), "
    "(1, 3, 10102, 2020, 4, 10), (1, 3, 10102, 2020, 12, 16), (1, 4, 10101, 2021, 4, 30)\n"
    // JISSEKI: nJissekiNo, user, staff, start, end, billing kind, areas, kinds, returned flag
    "insert into JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, tServicyDayEnd, iSeikyuKbn, "
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
    "(1, 3, 3, 10201, 2, 20210501, 0, 0, 0), (1, 3, 4, 10101, 1, 20210331, 0, 1, 5), (1, 4, 5, 10101, 1, 20210402, 0, 1, 5)";

// Pieces of the program's list query.
const QString kFlags =
    u8(" ,iHKSyobyou01Flg ,iHKSyobyou02Flg ,iHKSyobyou03Flg ,iHKSyobyou04Flg ,iHKSyobyou05Flg ,iHKSyobyou06Flg"
       " ,iHKSyobyou07Flg ,cHKSyobyouName  ");
const QString kUserJoin =
    u8(" LEFT JOIN RIYOUSHA  ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd  AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb "
       " AND 月間実績.患者IDNo = RIYOUSHA.nIDNo ");
const QString kSubJoin =
    u8(" LEFT JOIN RIYOUSHA_SUB  ON 月間実績.iKyotenCd = RIYOUSHA_SUB.iKyotenCd "
       " AND 月間実績.iKyotenEb = RIYOUSHA_SUB.iKyotenEb  AND 月間実績.患者IDNo = RIYOUSHA_SUB.nIDNo ");
const QString kOver16Join = u8(" LEFT JOIN OVER16COUNT  ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd "
                               " AND 月間実績.iKyotenEb = OVER16COUNT.iKyotenEb ");
const QString kOver16Key = u8(" AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID ");
const QString kOver16Month = u8(" AND 月間実績.実績年 = OVER16COUNT.iYear  AND 月間実績.実績月 = OVER16COUNT.iMonth ");

class TSqlStatements : public ::testing::TestWithParam<DriverKind> {
protected:
    void SetUp() override
    {
        fixture = std::make_unique<FixtureDb>(GetParam());
        fixture->exec({u8(kFixtureData)});
        db = fixture->connect();
        for (const QString& sql : over16CountStatements())
            ASSERT_EQ(db->iExecSQL(sql), 0) << db->sErrMsg().toStdString();
    }
    QStringList rows(const QString& sql) { return queryRows(*db, sql); }
    void exec(const char* sql) { ASSERT_EQ(db->iExecSQL(u8(sql)), 0) << db->sErrMsg().toStdString(); }

    std::unique_ptr<FixtureDb> fixture;
    std::unique_ptr<cT_ADODB> db;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(TSql, TSqlStatements, ::testing::Values(DriverKind::Embedded, DriverKind::Odbc),
                         [](const auto& info) {
                             return std::string(info.param == DriverKind::Odbc ? "Odbc" : "Embedded");
                         });

TEST_P(TSqlStatements, TargetListQuery)
{
    exec(
        "insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, nStaffID) values (1, 3, 10101, 2021, 4, 3)");
    const QString sql =
        u8("SELECT 月間実績.患者IDNo, RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun, RIYOUSHA.tBirthDay, tSyoryoDay, 月間実績.施術回数, "
           "cByoumei,OVER16COUNT.nKanjaID ")
        + kFlags + u8(" ,STAFF.cName as cStaffName  ,SYOUMEISHA.cName as cSyoumeiStaffName  FROM 月間実績 ") + kUserJoin
        + kSubJoin + kOver16Join + kOver16Key + kOver16Month
        + u8(
            " LEFT JOIN STAFF  ON RIYOUSHA.iKyotenCd = STAFF.iKyotenCd  AND RIYOUSHA.iKyotenEb = STAFF.iKyotenEb "
            " AND RIYOUSHA.nTantou = STAFF.nIDNo  LEFT JOIN STAFF AS SYOUMEISHA  ON OVER16COUNT.iKyotenCd = SYOUMEISHA.iKyotenCd "
            " AND OVER16COUNT.iKyotenEb = SYOUMEISHA.iKyotenEb  AND OVER16COUNT.nStaffID = SYOUMEISHA.nIDNo "
            " WHERE 実績年 = 2021 AND   実績月 = 4 and   月間実績.iKyotenCd = 1 and   月間実績.iKyotenEb = 3");
    const QString order = QStringLiteral(" order by 月間実績.患者IDNo");
    EXPECT_EQ(
        rows(sql + QStringLiteral(" AND   施術回数 >= 16") + order),
        QStringList(
            {u8("10101|青木　一郎|0|1940-05-01T00:00:00|2020-03-10T00:00:00|20|脳梗塞後遺症|10101|0|0|0|0|0|0|0|NULL|"
                "山田　太郎|Abcdefgh Jiro"),
             u8("10102|青木　一郎|0|NULL|2020-04-01T00:00:00|16|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
                "Abcdefgh Jiro|NULL")}));
    // The search pieces: a number, and a name with LIKE characters escaped.
    EXPECT_EQ(rows(sql + QStringLiteral(" AND   患者IDno = 10201") + order).size(), 1);
    EXPECT_EQ(rows(sql + QStringLiteral(" AND   RIYOUSHA.cName LIKE '%井上%' ESCAPE '!'") + order).size(), 1);
    EXPECT_TRUE(rows(sql + QStringLiteral(" AND   RIYOUSHA.cName LIKE '%!_%' ESCAPE '!'") + order).isEmpty());
}

TEST_P(TSqlStatements, DayCountsAreasKindsAndLastDayOverIsnull)
{
    auto query = [](const char* select, const char* from, const char* to, bool returned) {
        return u8(select) + u8(" FROM JISSEKI WHERE nRiyoushaidno = 10101 and iKyotenCd = 1 and iKyotenEb = 3")
            + QStringLiteral(" AND   tServicyDayStart >= '%1' AND   tServicyDayStart < '%2' and  iSeikyuKbn = 0")
                  .arg(from, to)
            + (returned ? QString()
                        : QStringLiteral(" and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)"));
    };
    // From the 10th (midnight included) to the month's end; billing kind 1 and returned records left out.
    EXPECT_EQ(rows(query("SELECT count(*) as cnt ", "2021/03/10", "2021/04/01", false)),
              QStringList{QStringLiteral("4")});
    EXPECT_EQ(rows(query("SELECT count(*) as cnt ", "2021/03/10", "2021/04/01", true)),
              QStringList{QStringLiteral("5")});

    const char* areas = "SELECT count(*) as cnt  ,MAX(isnull(tServicyDayStart,0)) as tServicyDayStart"
                        " ,MAX(isnull(iSejutuBui1,0)) as iSejutuBui1 ,MAX(isnull(iSejutuBui2,0)) as iSejutuBui2"
                        " ,MAX(isnull(iHariUmu,0)) as iHariUmu";
    // The month's last day comes as a date; a month without records: count 0 and Null maxima.
    EXPECT_EQ(rows(query(areas, "2021/03/01", "2021/04/01", false))
                  + rows(query(areas, "2021/05/01", "2021/06/01", false)),
              QStringList({QStringLiteral("6|2021-03-31T10:00:00|1|2|0"), QStringLiteral("0|NULL|NULL|NULL|NULL")}));
}

TEST_P(TSqlStatements, FrequencyWindowComparesNumbers)
{
    QStringList r = rows(u8(
        "SELECT 月間実績.iKyotenCd, 月間実績.iKyotenEb, 患者IDNo, 実績年 * 100 + 実績月 AS JissekiYM  , RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun"
        " , MAX(RIYOUSHA.iHinkaiKeikaku) AS iHinkaiKeikaku, MAX(RIYOUSHA.cHinkaiKeikakuYM) AS cHinkaiKeikakuYM , SUM(施術回数) AS 施術回数"
        " FROM 月間実績 INNER JOIN RIYOUSHA   ON  RIYOUSHA.iKyotenCd = 月間実績.iKyotenCd    AND RIYOUSHA.iKyotenEb = 月間実績.iKyotenEb "
        "   AND RIYOUSHA.nIDNo = 月間実績.患者IDNo  WHERE 患者IDNo/100 = 101   AND 月間実績.iKyotenCd = 1   AND 月間実績.iKyotenEb = 3"
        "   AND 実績年 * 100 + 実績月 >= '202005'   AND 実績年 * 100 + 実績月 <= '202104' GROUP BY "
        "   月間実績.iKyotenCd, 月間実績.iKyotenEb, 月間実績.患者IDNo, 実績年 * 100 + 実績月    , RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun "));
    r.sort(); // the query has no ordering
    EXPECT_EQ(
        r,
        QStringList({u8("1|3|10101|202012|青木　一郎|0|0|NULL|17"), u8("1|3|10101|202103|青木　一郎|0|0|NULL|18"),
                     u8("1|3|10101|202104|青木　一郎|0|0|NULL|20"), u8("1|3|10102|202012|青木　一郎|0|NULL|NULL|16"),
                     u8("1|3|10102|202104|青木　一郎|0|NULL|NULL|16")}));
}

TEST_P(TSqlStatements, MonthlyActualAndScheduleTableQueries)
{
    const QString actual = u8(
        "SELECT RIYOUSHA.cName as RiyouName, RIYOUSHA.nIDNo, JISSEKI.tServicyDayStart, STAFF.cName as StaffNane "
        " ,RIYOUSHA.iSejutsuKubun, RIYOUSHA.iKaigoLv , JISSEKI.iHoseUmu, JISSEKI.nLenFix  , CORP.cShamei1 AS cCorpName "
        " FROM RIYOUSHA, JISSEKI, STAFF, CORP  WHERE        RIYOUSHA.iKyotenCd = 1   AND RIYOUSHA.iKyotenEb = 3"
        "   AND JISSEKI.iKyotenCd = 1   AND JISSEKI.iKyotenEb = 3   AND JISSEKI.nRiyoushaIDNo = RIYOUSHA.nIDNo "
        "   AND JISSEKI.tServicyDayEnd >= '04-01-2021'    AND JISSEKI.tServicyDayEnd < '05-01-2021' "
        "   AND STAFF.iKyotenCd = 1   AND STAFF.iKyotenEb = 3   AND JISSEKI.nStaffIDNo = STAFF.nIDNo "
        "   AND RIYOUSHA.iKyotenCd = CORP.iKyotenCd   AND RIYOUSHA.iKyotenEb = CORP.iKyotenEb   AND CORP.iType = 0");
    const QString order = QStringLiteral(" order by RIYOUSHA.cNameKana,  RIYOUSHA.nIDNo ");
    EXPECT_EQ(rows(actual + order),
              QStringList({u8("青木　一郎|10101|2021-04-01T00:00:00|山田　太郎|0|2|1|5|株式会社デモ"),
                           u8("井上　二郎|10201|2021-04-05T10:00:00|佐藤　花子|1|NULL|0|0|株式会社デモ")}));
    EXPECT_EQ(rows(actual + QStringLiteral("   AND JISSEKI.nRiyoushaIDNo in (10201,10301)") + order).size(), 1);

    // The schedule table, through the view and on the table itself.
    for (const char* from :
         {" FROM RIYOUSHA, SCHEDULE_JOIN AS SCHEDULE, STAFF, CORP ", " FROM RIYOUSHA, SCHEDULE, STAFF, CORP "}) {
        QStringList r = rows(
            u8("SELECT RIYOUSHA.cName as RiyouName, RIYOUSHA.nIDNo, SCHEDULE.nDate, STAFF.cName as StaffNane "
               " ,RIYOUSHA.iSejutsuKubun, RIYOUSHA.iKaigoLv , SCHEDULE.iHoseUmu, SCHEDULE.nLenFix  , CORP.cShamei1 AS cCorpName "
               " ,RIYOUSHA.tSyoryoDay")
            + u8(from)
            + u8(
                " WHERE        RIYOUSHA.iKyotenCd = 1   AND RIYOUSHA.iKyotenEb = 3   AND SCHEDULE.iKyotenCd = 1"
                "   AND SCHEDULE.iKyotenEb = 3   AND SCHEDULE.nIDRiyoushaNo = RIYOUSHA.nIDNo    AND SCHEDULE.nDate >= 20210400"
                "   AND SCHEDULE.nDate < 20210500   AND STAFF.iKyotenCd = 1   AND STAFF.iKyotenEb = 3"
                "   AND SCHEDULE.nIDStaffNo = STAFF.nIDNo    AND RIYOUSHA.iKyotenCd = CORP.iKyotenCd"
                "   AND RIYOUSHA.iKyotenEb = CORP.iKyotenEb   AND CORP.iType = 0")
            + order);
        r.sort();
        EXPECT_EQ(r,
                  QStringList({u8("青木　一郎|10101|20210401|山田　太郎|0|2|1|5|株式会社デモ|2020-03-10T00:00:00"),
                               u8("青木　一郎|10101|20210430|山田　太郎|0|2|1|5|株式会社デモ|2020-03-10T00:00:00")}))
            << from;
    }
    EXPECT_EQ(
        rows(QStringLiteral("SELECT count(*) as cnt  FROM Schedule_Join WHERE nIDRiyoushaNo = 10101 and iKyotenCd = 1"
                            " and iKyotenEb = 3 AND   nDate >= 20210415 AND   nDate < 20210501 and  iSeikyuKbn = 0")),
        QStringList{QStringLiteral("1")});
}

// (The continuation form's query and the latest consent record, the save's delete and insert,
// the previous entry by the hundreds and the practitioner search over a derived table: their
// routines on both drivers in the continuation and report tests.)

TEST_P(TSqlStatements, CatalogueQueriesAndLengths)
{
    // The column's length in the catalogue's terms (datetime 8); none for an unknown table, whose Object_ID is Null.
    const QString q = QStringLiteral(
        " SELECT max_length From sys.Columns WHERE name = '%1' and   object_id = Object_ID('[dbo].[%2]')");
    EXPECT_EQ(rows(q.arg("cRiyuu", "OVER16COUNT")) + rows(q.arg("tBirthDay", "RIYOUSHA"))
                  + rows(q.arg("cName", "NOSUCHTABLE"))
                  + rows(QStringLiteral("SELECT Object_ID('[dbo].[NOSUCHTABLE]')")),
              QStringList({QStringLiteral("2000"), QStringLiteral("8"), QStringLiteral("NULL")}));
}
