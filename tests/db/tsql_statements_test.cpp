// Each statement shape the program sends, run through cT_ADODB on a fixture database, on the
// embedded driver and on ODBC -> SQLite3 alike, with the result SQL Server gives.
#include "db_test_util.h"

#include "db/table_checks.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

QString join(std::initializer_list<const char*> pieces)
{
    QString s;
    for (const char* p : pieces)
        s += QString::fromUtf8(p);
    return s;
}

// Branch 1-3 (the installation's) and 1-4 (must never show).
QStringList fixtureData()
{
    return {
        QStringLiteral("insert into CORP (iKyotenCd, iKyotenEb, iType, cShamei1) values (1, 3, 0, N'株式会社デモ')"),
        QStringLiteral("insert into CORP (iKyotenCd, iKyotenEb, iType, cShamei1) values (1, 3, 1, N'別種別')"),
        QStringLiteral("insert into CORP (iKyotenCd, iKyotenEb, iType, cShamei1) values (1, 4, 0, N'他拠点の会社')"),
        QStringLiteral("insert into STAFF values (1, 3, 1, N'山田　太郎', N'山田', N'ヤマダ　タロウ', 0)"),
        QStringLiteral("insert into STAFF values (1, 3, 2, N'佐藤　花子', N'佐藤', N'サトウ　ハナコ', 1)"),
        QStringLiteral("insert into STAFF values (1, 3, 3, N'Abcdefgh Jiro', N'Abc', N'アブ', NULL)"),
        QStringLiteral("insert into STAFF values (1, 4, 1, N'別拠点　職員', N'別', N'ベツ', 0)"),
        QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSex, tBirthDay, tSyoryoDay, "
                       "iSejutsuKubun, iKaigoLv, nTantou, iHinkaiKeikaku, cByoumei, nHKSyobyouCd, iMahi, iKoushuku, "
                       "iHoseUmu, nLenFix) values (1, 3, 10101, N'青木　一郎', N'アオキ　イチロウ', 1, '1940/05/01', "
                       "'2020/03/10', 0, 2, 1, 0, N'脳梗塞後遺症', 0, 1, 0, 1, 0)"),
        QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tSyoryoDay, iSejutsuKubun, "
                       "nTantou) values (1, 3, 10102, N'青木　一郎', N'アオキ　イチロウ', '2020/04/01', 0, 3)"),
        QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSex, tBirthDay, tSyoryoDay, "
                       "iSejutsuKubun, nTantou, nHKSyobyouCd) values (1, 3, 10201, N'井上　二郎', N'イノウエ　ジロウ', 1, "
                       "'1989/01/08', '2021/02/28', 1, 2, 7)"),
        QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSejutsuKubun) "
                       "values (1, 3, 10301, N'上田　三子', N'ウエダ　ミツコ', 0)"),
        QStringLiteral("insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tSyoryoDay, iSejutsuKubun) "
                       "values (1, 4, 10101, N'他拠点　利用者', N'タキョテン', '2019/01/01', 0)"),
        QStringLiteral("insert into RIYOUSHA_SUB values (1, 3, 10201, 1, 0, 0, 0, 1, 0, 0, 1, N'しびれ', NULL)"),
        QStringLiteral("insert into RIYOUSHA_SUB values (1, 3, 10101, 0, 0, 0, 0, 0, 0, 0, 0, NULL, NULL)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10101, 2021, 3, 18)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10101, 2021, 4, 20)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10102, 2021, 4, 16)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10201, 2021, 4, 5)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10301, 2021, 4, 3)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10101, 2020, 4, 16)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10101, 2020, 12, 17)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10102, 2020, 4, 10)"),
        QStringLiteral("insert into 月間実績 values (1, 3, 10102, 2020, 12, 16)"),
        QStringLiteral("insert into 月間実績 values (1, 4, 10101, 2021, 4, 30)"),
        // JISSEKI: nJissekiNo, user, staff, start, end, billing kind, areas, kinds, returned flag
        QStringLiteral("insert into JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, "
                       "tServicyDayEnd, iSeikyuKbn, iSejutuBui1, iSejutuBui2, iHariUmu, iKyuuUmu, iHoseUmu, nLenFix, "
                       "iDelFlg_Henrei) values "
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
                       "(1, 4, 11, 10101, 1, '2021/03/12 10:00:00', '2021/03/12 10:30:00', 0, 1, 0, NULL, NULL, 1, 5, 0)"),
        QStringLiteral("insert into SCHEDULE values (1, 3, 1, 10101, 1, 20210401, 0, 1, 5)"),
        QStringLiteral("insert into SCHEDULE values (1, 3, 2, 10101, 1, 20210430, 0, 1, 5)"),
        QStringLiteral("insert into SCHEDULE values (1, 3, 3, 10201, 2, 20210501, 0, 0, 0)"),
        QStringLiteral("insert into SCHEDULE values (1, 3, 4, 10101, 1, 20210331, 0, 1, 5)"),
        QStringLiteral("insert into SCHEDULE values (1, 4, 5, 10101, 1, 20210402, 0, 1, 5)"),
        QStringLiteral("insert into RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
                       "cByoumeiM) values (1, 3, 10101, 20210101, '2021/01/01', 0, N'古い同意')"),
        QStringLiteral("insert into RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
                       "cByoumeiM) values (1, 3, 10101, 20210320, '2020/12/01', 0, N'新しい同意')"),
        QStringLiteral("insert into RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
                       "cByoumeiM) values (1, 3, 10101, 20210401, '2021/04/01', 0, N'翌月から')"),
        QStringLiteral("insert into RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
                       "cByoumeiM) values (1, 3, 10101, 20210325, '2021/03/25', 1, N'変更済み')"),
    };
}

class TSqlStatements : public ::testing::TestWithParam<DriverKind> {
protected:
    void SetUp() override
    {
        fixture = std::make_unique<FixtureDb>(GetParam());
        fixture->exec(fixtureData());
        db = fixture->connect();
        for (const QString& sql : over16CountStatements())
            ASSERT_EQ(db->iExecSQL(sql), 0) << db->sErrMsg().toStdString();
    }
    QStringList rows(const QString& sql) { return queryRows(*db, sql); }

    std::unique_ptr<FixtureDb> fixture;
    std::unique_ptr<cT_ADODB> db;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(TSql, TSqlStatements, ::testing::Values(DriverKind::Embedded, DriverKind::Odbc),
                         [](const auto& info) { return std::string(driverName(info.param)); });

TEST_P(TSqlStatements, TargetListQuery)
{
    ASSERT_EQ(db->iExecSQL(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, nStaffID) "
                                          "values (1, 3, 10101, 2021, 4, 3)")),
              0);
    const QString sql = join({
        "SELECT 月間実績.患者IDNo, RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun, RIYOUSHA.tBirthDay, tSyoryoDay, 月間実績.施術回数, cByoumei,OVER16COUNT.nKanjaID ",
        " ,iHKSyobyou01Flg ,iHKSyobyou02Flg ,iHKSyobyou03Flg ,iHKSyobyou04Flg ,iHKSyobyou05Flg ,iHKSyobyou06Flg ,iHKSyobyou07Flg ,cHKSyobyouName  ",
        " ,STAFF.cName as cStaffName ", " ,SYOUMEISHA.cName as cSyoumeiStaffName ", " FROM 月間実績 ",
        " LEFT JOIN RIYOUSHA ", " ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd ", " AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb ",
        " AND 月間実績.患者IDNo = RIYOUSHA.nIDNo ",
        " LEFT JOIN RIYOUSHA_SUB ", " ON 月間実績.iKyotenCd = RIYOUSHA_SUB.iKyotenCd ",
        " AND 月間実績.iKyotenEb = RIYOUSHA_SUB.iKyotenEb ", " AND 月間実績.患者IDNo = RIYOUSHA_SUB.nIDNo ",
        " LEFT JOIN OVER16COUNT ", " ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd ",
        " AND 月間実績.iKyotenEb = OVER16COUNT.iKyotenEb ", " AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID ",
        " AND 月間実績.実績年 = OVER16COUNT.iYear ", " AND 月間実績.実績月 = OVER16COUNT.iMonth ",
        " LEFT JOIN STAFF ", " ON RIYOUSHA.iKyotenCd = STAFF.iKyotenCd ", " AND RIYOUSHA.iKyotenEb = STAFF.iKyotenEb ",
        " AND RIYOUSHA.nTantou = STAFF.nIDNo ",
        " LEFT JOIN STAFF AS SYOUMEISHA ", " ON OVER16COUNT.iKyotenCd = SYOUMEISHA.iKyotenCd ",
        " AND OVER16COUNT.iKyotenEb = SYOUMEISHA.iKyotenEb ", " AND OVER16COUNT.nStaffID = SYOUMEISHA.nIDNo ",
        " WHERE 実績年 = 2021", " AND   実績月 = 4", " and   月間実績.iKyotenCd = 1", " and   月間実績.iKyotenEb = 3",
        " AND   施術回数 >= 16", " order by 月間実績.患者IDNo"});
    EXPECT_EQ(rows(sql), QStringList({
                             QStringLiteral("10101|青木　一郎|0|1940-05-01 00:00:00|2020-03-10 00:00:00|20|脳梗塞後遺症|10101|"
                                            "0|0|0|0|0|0|0|NULL|山田　太郎|Abcdefgh Jiro"),
                             QStringLiteral("10102|青木　一郎|0|NULL|2020-04-01 00:00:00|16|NULL|NULL|"
                                            "NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|Abcdefgh Jiro|NULL"),
                         }));
    // The search pieces: a number, and a name with LIKE characters escaped.
    const QString base = sql.left(sql.indexOf(QStringLiteral(" AND   施術回数")));
    EXPECT_EQ(rows(base + QStringLiteral(" AND   患者IDno = 10201 order by 月間実績.患者IDNo")).size(), 1);
    EXPECT_EQ(rows(base + QStringLiteral(" AND   RIYOUSHA.cName LIKE '%井上%' ESCAPE '!' order by 月間実績.患者IDNo")).size(), 1);
    EXPECT_TRUE(rows(base + QStringLiteral(" AND   RIYOUSHA.cName LIKE '%!_%' ESCAPE '!' order by 月間実績.患者IDNo")).isEmpty());
}

TEST_P(TSqlStatements, CountFromADayWithDateLiterals)
{
    const QString head = join({"SELECT count(*) as cnt ", " FROM JISSEKI", " WHERE nRiyoushaidno = 10101",
                               " and iKyotenCd = 1", " and iKyotenEb = 3", " AND   tServicyDayStart >= '2021/03/10'",
                               " AND   tServicyDayStart < '2021/04/01'", " and  iSeikyuKbn = 0"});
    // From the 10th (midnight included) to the month's end; billing kind 1 and returned records left out.
    EXPECT_EQ(rows(head + QStringLiteral(" and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)")),
              QStringList{QStringLiteral("4")});
    EXPECT_EQ(rows(head), QStringList{QStringLiteral("5")});
}

TEST_P(TSqlStatements, AreasKindsAndLastDayOverIsnull)
{
    auto query = [](const char* from, const char* to) {
        return join({"SELECT count(*) as cnt ", " ,MAX(isnull(tServicyDayStart,0)) as tServicyDayStart",
                     " ,MAX(isnull(iSejutuBui1,0)) as iSejutuBui1", " ,MAX(isnull(iSejutuBui2,0)) as iSejutuBui2",
                     " ,MAX(isnull(iHariUmu,0)) as iHariUmu", " FROM JISSEKI", " WHERE nRiyoushaidno = 10101",
                     " and iKyotenCd = 1", " and iKyotenEb = 3", " AND   tServicyDayStart >= '"})
            + QString::fromLatin1(from) + u'\'' + QStringLiteral(" AND   tServicyDayStart < '") + QString::fromLatin1(to)
            + u'\'' + QStringLiteral(" and  iSeikyuKbn = 0")
            + QStringLiteral(" and  (JISSEKI.iDelFlg_Henrei = 0 or JISSEKI.iDelFlg_Henrei is null)");
    };
    AdoRecordset rs;
    ASSERT_EQ(db->iOpenRecSet(rs, query("2021/03/01", "2021/04/01")), 0) << db->sErrMsg().toStdString();
    EXPECT_EQ(rs["cnt"].toLongLong(), 6);
    EXPECT_EQ(rs["tServicyDayStart"].typeId(), QMetaType::QDateTime); // a date, as SQL Server's type says
    EXPECT_EQ(rs["tServicyDayStart"].toDateTime(), QDateTime(QDate(2021, 3, 31), QTime(10, 0)));
    EXPECT_EQ(cellText(rs["iSejutuBui1"]) + cellText(rs["ISEJUTUBUI2"]) + cellText(rs["iHariUmu"]), QStringLiteral("120"));
    // A month without records: count 0 and Null maxima.
    EXPECT_EQ(rows(query("2021/05/01", "2021/06/01")), QStringList{QStringLiteral("0|NULL|NULL|NULL|NULL")});
}

TEST_P(TSqlStatements, FrequencyWindowComparesNumbers)
{
    const QString sql = join({
        "SELECT 月間実績.iKyotenCd, 月間実績.iKyotenEb, 患者IDNo, 実績年 * 100 + 実績月 AS JissekiYM ",
        " , RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun",
        " , MAX(RIYOUSHA.iHinkaiKeikaku) AS iHinkaiKeikaku, MAX(RIYOUSHA.cHinkaiKeikakuYM) AS cHinkaiKeikakuYM",
        " , SUM(施術回数) AS 施術回数", " FROM 月間実績", " INNER JOIN RIYOUSHA",
        "   ON  RIYOUSHA.iKyotenCd = 月間実績.iKyotenCd ", "   AND RIYOUSHA.iKyotenEb = 月間実績.iKyotenEb ",
        "   AND RIYOUSHA.nIDNo = 月間実績.患者IDNo ", " WHERE 患者IDNo/100 = 101", "   AND 月間実績.iKyotenCd = 1",
        "   AND 月間実績.iKyotenEb = 3", "   AND 実績年 * 100 + 実績月 >= '202005'", "   AND 実績年 * 100 + 実績月 <= '202104'",
        " GROUP BY ", "   月間実績.iKyotenCd, 月間実績.iKyotenEb, 月間実績.患者IDNo, 実績年 * 100 + 実績月 ",
        "   , RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun "});
    QStringList r = rows(sql);
    r.sort(); // the query has no ordering
    EXPECT_EQ(r, QStringList({QStringLiteral("1|3|10101|202012|青木　一郎|0|0|NULL|17"),
                              QStringLiteral("1|3|10101|202103|青木　一郎|0|0|NULL|18"),
                              QStringLiteral("1|3|10101|202104|青木　一郎|0|0|NULL|20"),
                              QStringLiteral("1|3|10102|202012|青木　一郎|0|NULL|NULL|16"),
                              QStringLiteral("1|3|10102|202104|青木　一郎|0|NULL|NULL|16")}));
}

TEST_P(TSqlStatements, MonthlyActualTableQuery)
{
    auto query = [](const QString& list) {
        QString s = join({"SELECT RIYOUSHA.cName as RiyouName, RIYOUSHA.nIDNo, JISSEKI.tServicyDayStart, STAFF.cName as StaffNane ",
                          " ,RIYOUSHA.iSejutsuKubun, RIYOUSHA.iKaigoLv", " , JISSEKI.iHoseUmu, JISSEKI.nLenFix ",
                          " , CORP.cShamei1 AS cCorpName ", " FROM RIYOUSHA, JISSEKI, STAFF, CORP ", " WHERE ",
                          "       RIYOUSHA.iKyotenCd = 1", "   AND RIYOUSHA.iKyotenEb = 3", "   AND JISSEKI.iKyotenCd = 1",
                          "   AND JISSEKI.iKyotenEb = 3", "   AND JISSEKI.nRiyoushaIDNo = RIYOUSHA.nIDNo ",
                          "   AND JISSEKI.tServicyDayEnd >= '04-01-2021' ", "   AND JISSEKI.tServicyDayEnd < '05-01-2021' ",
                          "   AND STAFF.iKyotenCd = 1", "   AND STAFF.iKyotenEb = 3", "   AND JISSEKI.nStaffIDNo = STAFF.nIDNo ",
                          "   AND RIYOUSHA.iKyotenCd = CORP.iKyotenCd", "   AND RIYOUSHA.iKyotenEb = CORP.iKyotenEb",
                          "   AND CORP.iType = 0"});
        if (!list.isEmpty())
            s += QStringLiteral("   AND JISSEKI.nRiyoushaIDNo in (") + list + u')';
        return s + QStringLiteral(" order by RIYOUSHA.cNameKana,  RIYOUSHA.nIDNo ");
    };
    EXPECT_EQ(rows(query(QString())),
              QStringList({QStringLiteral("青木　一郎|10101|2021-04-01 00:00:00|山田　太郎|0|2|1|5|株式会社デモ"),
                           QStringLiteral("井上　二郎|10201|2021-04-05 10:00:00|佐藤　花子|1|NULL|0|0|株式会社デモ")}));
    EXPECT_EQ(rows(query(QStringLiteral("10201,10301"))).size(), 1);
}

TEST_P(TSqlStatements, ScheduleTableQueryThroughTheView)
{
    for (const char* from : {" FROM RIYOUSHA, SCHEDULE_JOIN AS SCHEDULE, STAFF, CORP ", " FROM RIYOUSHA, SCHEDULE, STAFF, CORP "}) {
        const QString sql = join({"SELECT RIYOUSHA.cName as RiyouName, RIYOUSHA.nIDNo, SCHEDULE.nDate, STAFF.cName as StaffNane ",
                                  " ,RIYOUSHA.iSejutsuKubun, RIYOUSHA.iKaigoLv", " , SCHEDULE.iHoseUmu, SCHEDULE.nLenFix ",
                                  " , CORP.cShamei1 AS cCorpName ", " ,RIYOUSHA.tSyoryoDay", from, " WHERE ",
                                  "       RIYOUSHA.iKyotenCd = 1", "   AND RIYOUSHA.iKyotenEb = 3", "   AND SCHEDULE.iKyotenCd = 1",
                                  "   AND SCHEDULE.iKyotenEb = 3", "   AND SCHEDULE.nIDRiyoushaNo = RIYOUSHA.nIDNo ",
                                  "   AND SCHEDULE.nDate >= 20210400", "   AND SCHEDULE.nDate < 20210500",
                                  "   AND STAFF.iKyotenCd = 1", "   AND STAFF.iKyotenEb = 3", "   AND SCHEDULE.nIDStaffNo = STAFF.nIDNo ",
                                  "   AND RIYOUSHA.iKyotenCd = CORP.iKyotenCd", "   AND RIYOUSHA.iKyotenEb = CORP.iKyotenEb",
                                  "   AND CORP.iType = 0", " order by RIYOUSHA.cNameKana,  RIYOUSHA.nIDNo "});
        QStringList r = rows(sql);
        r.sort();
        EXPECT_EQ(r, QStringList({QStringLiteral("青木　一郎|10101|20210401|山田　太郎|0|2|1|5|株式会社デモ|2020-03-10 00:00:00"),
                                  QStringLiteral("青木　一郎|10101|20210430|山田　太郎|0|2|1|5|株式会社デモ|2020-03-10 00:00:00")}))
            << from;
    }
    EXPECT_EQ(rows(join({"SELECT count(*) as cnt ", " FROM Schedule_Join", " WHERE nIDRiyoushaNo = 10101", " and iKyotenCd = 1",
                         " and iKyotenEb = 3", " AND   nDate >= 20210415", " AND   nDate < 20210501", " and  iSeikyuKbn = 0"})),
              QStringList{QStringLiteral("1")});
}

TEST_P(TSqlStatements, ContinuationFormQueryWithUnqualifiedColumns)
{
    ASSERT_EQ(db->iExecSQL(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNegaeri, "
                                          "cRiyuu, cHyoukaDay, nStaffID) values (1, 3, 10101, 2021, 4, 2, N'理由', N'2021/04/20', 1)")),
              0);
    const QString sql = join({
        "SELECT 月間実績.患者IDNo, 月間実績.施術回数, RIYOUSHA.* ", " ,cByoumei",
        " ,RIYOUSHA_SUB.iSyoujouSonota,RIYOUSHA_SUB.cSyoujouSonota",
        " ,iHKSyobyou01Flg ,iHKSyobyou02Flg ,iHKSyobyou03Flg ,iHKSyobyou04Flg ,iHKSyobyou05Flg ,iHKSyobyou06Flg ,iHKSyobyou07Flg ,cHKSyobyouName  ",
        " ,OVER16COUNT.iNegaeri", " ,OVER16COUNT.iOkiagari", " ,OVER16COUNT.cRiyuu", " ,OVER16COUNT.cHyoukaDay",
        " ,OVER16COUNT.nStaffID", " ,STAFF.cName as cSTAFFName ", " FROM 月間実績 ",
        " LEFT JOIN RIYOUSHA ", " ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd ", " AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb ",
        " AND 月間実績.患者IDNo = RIYOUSHA.nIDNo ",
        " LEFT JOIN RIYOUSHA_SUB ", " ON 月間実績.iKyotenCd = RIYOUSHA_SUB.iKyotenCd ",
        " AND 月間実績.iKyotenEb = RIYOUSHA_SUB.iKyotenEb ", " AND 月間実績.患者IDNo = RIYOUSHA_SUB.nIDNo ",
        " LEFT JOIN OVER16COUNT ", " ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd ",
        " AND 月間実績.iKyotenEb = OVER16COUNT.iKyotenEb ", " AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID ",
        " AND 月間実績.実績年 = OVER16COUNT.iYear ", " AND 月間実績.実績月 = OVER16COUNT.iMonth ",
        " LEFT JOIN STAFF ", " ON OVER16COUNT.iKyotenCd = STAFF.iKyotenCd ", " AND OVER16COUNT.iKyotenEb = STAFF.iKyotenEb ",
        " AND OVER16COUNT.nStaffID = STAFF.nIDNo ",
        " WHERE 月間実績.iKyotenCd = 1", " AND   月間実績.iKyotenEb = 3", " AND   実績年 = 2021", " AND   実績月 = 4",
        " AND   患者IDno in (10101,10102,10201)", " AND   OVER16COUNT.nKanjaID IS NOT NULL",
        " order by 月間実績.iKyotenCd, 月間実績.iKyotenEb, 患者IDNo "});
    AdoRecordset rs;
    ASSERT_EQ(db->iOpenRecSet(rs, sql), 0) << db->sErrMsg().toStdString();
    ASSERT_FALSE(rs.EOF_());
    EXPECT_EQ(rs["患者IDNo"].toLongLong(), 10101);
    EXPECT_EQ(rs["施術回数"].toLongLong(), 20);
    EXPECT_EQ(rs["cName"].toString(), QStringLiteral("青木　一郎"));
    EXPECT_EQ(rs["tBirthday"].toDateTime().date(), QDate(1940, 5, 1));
    EXPECT_EQ(rs["iMahi"].toLongLong(), 1);
    EXPECT_EQ(rs["cByoumei"].toString(), QStringLiteral("脳梗塞後遺症"));
    EXPECT_EQ(rs["iSyoujouSonota"].toLongLong(), 0);
    EXPECT_EQ(rs["cRiyuu"].toString(), QStringLiteral("理由"));
    EXPECT_EQ(rs["cSTAFFName"].toString(), QStringLiteral("山田　太郎"));
    rs.MoveNext();
    EXPECT_TRUE(rs.EOF_());
}

TEST_P(TSqlStatements, LatestConsentRecord)
{
    const QString sql = join({"select *  ", " from RIYOUSHA_DOUI_REC  ", " WHERE ", "     nIDNo = '10101'", " and iKyotenCd = 1",
                              " and iKyotenEb = 3", " and tDouiKaryoS < '2021/04/01'", " and iHenkeiFlg = 0 ",
                              " ORDER BY nDate desc "});
    AdoRecordset rs;
    ASSERT_EQ(db->iOpenRecSet(rs, sql), 0) << db->sErrMsg().toStdString();
    ASSERT_EQ(rs.rowCount(), 2);
    EXPECT_EQ(rs["cByoumeiM"].toString(), QStringLiteral("新しい同意")); // the larger nDate, though its period started earlier
}

TEST_P(TSqlStatements, SaveReplacesTheRowAndPreviousEntryFollowsTheEdition)
{
    const QString reason = QStringLiteral("It's 痛みが続く\r\n２行目");
    for (int save = 0; save < 2; ++save) {
        ASSERT_EQ(db->iBeginTrans(), 0) << db->sErrMsg().toStdString();
        ASSERT_EQ(db->iExecSQL(QStringLiteral(" delete from OVER16COUNT  WHERE iKyotenCd = 1 AND iKyotenEb = 3 AND nKanjaID = 10101"
                                              " AND iYear = 2020 AND iMonth = 12")),
                  0);
        QString text = reason + QString::number(save);
        text.replace(u'\'', QStringLiteral("''"));
        const QString insert = join({" insert into ", "   OVER16COUNT (", "      iKyotenCd", "     ,iKyotenEb", "     ,nKanjaID",
                                     "     ,iYear", "     ,iMonth", "     ,iNegaeri", "     ,cRiyuu", "     ,cHyoukaDay", "     ,nStaffID",
                                     " )values( ", "      1", "     ,3", "     ,10101", "     ,2020", "     ,12", "     ,1", "     ,'"})
            + text + QStringLiteral("'     ,'2020/12/20'     ,2 )");
        ASSERT_EQ(db->iExecSQL(insert), 0) << db->sErrMsg().toStdString();
        ASSERT_EQ(db->iCommitTrans(), 0) << db->sErrMsg().toStdString();
    }
    EXPECT_EQ(rows(QStringLiteral("SELECT cRiyuu FROM OVER16COUNT WHERE nKanjaID = 10101")),
              QStringList{reason + QStringLiteral("1")});
    ASSERT_EQ(db->iExecSQL(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNegaeri) "
                                          "values (1, 3, 10101, 2020, 4, 0)")),
              0);

    auto previous = [](bool exact) {
        return join({"SELECT TOP 1 月間実績.患者IDNo, 月間実績.実績年, 月間実績.実績月, 月間実績.施術回数, RIYOUSHA.*",
                     " ,cByoumei,nHKSyobyouCd", " ,OVER16COUNT.iNegaeri", " ,OVER16COUNT.cRiyuu", " ,STAFF.cName as cSTAFFName ",
                     " FROM 月間実績 ", " LEFT JOIN RIYOUSHA ", " ON 月間実績.iKyotenCd = RIYOUSHA.iKyotenCd ",
                     " AND 月間実績.iKyotenEb = RIYOUSHA.iKyotenEb ", " AND 月間実績.患者IDNo = RIYOUSHA.nIDNo ",
                     " LEFT JOIN OVER16COUNT ", " ON 月間実績.iKyotenCd = OVER16COUNT.iKyotenCd ",
                     " AND 月間実績.iKyotenEb = OVER16COUNT.iKyotenEb "})
            + (exact ? QStringLiteral(" AND 月間実績.患者IDNo = OVER16COUNT.nKanjaID ")
                     : QStringLiteral(" AND floor(月間実績.患者IDNo / 100) = floor(OVER16COUNT.nKanjaID / 100) "))
            + join({" AND 月間実績.実績年 = OVER16COUNT.iYear ", " AND 月間実績.実績月 = OVER16COUNT.iMonth ", " LEFT JOIN STAFF ",
                    " ON OVER16COUNT.iKyotenCd = STAFF.iKyotenCd ", " AND OVER16COUNT.iKyotenEb = STAFF.iKyotenEb ",
                    " AND OVER16COUNT.nStaffID = STAFF.nIDNo ", " WHERE 月間実績.iKyotenCd = 1", " AND   月間実績.iKyotenEb = 3",
                    " AND   実績年 * 100 + 実績月 <= 202103", " AND   患者IDno = 10102", " AND   OVER16COUNT.nKanjaID IS NOT NULL ",
                    " ORDER BY 実績年 * 100 + 実績月 DESC "});
    };
    AdoRecordset rs;
    ASSERT_EQ(db->iOpenRecSet(rs, previous(false)), 0) << db->sErrMsg().toStdString();
    ASSERT_EQ(rs.rowCount(), 1); // TOP 1 of the months 2020/12 and 2020/04 found through the hundreds
    EXPECT_EQ(rs["実績年"].toLongLong() * 100 + rs["実績月"].toLongLong(), 202012);
    EXPECT_EQ(rs["cRiyuu"].toString(), reason + QStringLiteral("1"));
    EXPECT_EQ(rs["cSTAFFName"].toString(), QStringLiteral("佐藤　花子"));
    EXPECT_TRUE(rows(previous(true)).isEmpty());
}

TEST_P(TSqlStatements, PractitionerSearchOverADerivedTable)
{
    auto search = [](const QString& where) {
        return join({" select", "      *", " from", "      (", "         select", "              nIDNo", "             ,iKyotenCd",
                     "             ,iKyotenEb", "             ,cName", "             ,cNameRyaku ", "             ,cNameKana ",
                     "         from", "              STAFF"})
            + where + join({"      )staff", " order by", "     nIDNo", "    ,cName "});
    };
    EXPECT_EQ(rows(search(QStringLiteral(" where (iChusiFlg = 0 OR iChusiFlg IS NULL) and iKyotenCd = 1 and iKyotenEb = 3"))),
              QStringList({QStringLiteral("1|1|3|山田　太郎|山田|ヤマダ　タロウ"), QStringLiteral("3|1|3|Abcdefgh Jiro|Abc|アブ")}));
    EXPECT_EQ(rows(search(QStringLiteral(" where cName LIKE '%田%' ESCAPE '!' and iKyotenCd = 1 and iKyotenEb = 3"))).size(), 1);
    EXPECT_TRUE(rows(search(QStringLiteral(" where cName LIKE '%!_%' ESCAPE '!' and iKyotenCd = 1 and iKyotenEb = 3"))).isEmpty());
}

TEST_P(TSqlStatements, CatalogueQueriesAndLengths)
{
    auto length = [this](const char* table, const char* column) {
        return rows(QStringLiteral(" SELECT max_length From sys.Columns WHERE name = '%1' and   object_id = Object_ID('[dbo].[%2]')")
                        .arg(QString::fromLatin1(column), QString::fromLatin1(table)));
    };
    EXPECT_EQ(length("OVER16COUNT", "cRiyuu"), QStringList{QStringLiteral("2000")});
    EXPECT_EQ(length("OVER16COUNT", "cSyoujouSonota"), QStringList{QStringLiteral("48")});
    EXPECT_EQ(length("OVER16COUNT", "iYear"), QStringList{QStringLiteral("4")});
    EXPECT_EQ(length("RIYOUSHA", "tBirthDay"), QStringList{QStringLiteral("8")});
    EXPECT_EQ(length("NOSUCHTABLE", "cName"), QStringList());
    EXPECT_EQ(rows(QStringLiteral("SELECT Object_ID('[dbo].[NOSUCHTABLE]')")), QStringList{QStringLiteral("NULL")});
    // The key the start-up check creates.
    EXPECT_NE(db->iExecSQL(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth) values "
                                          "(1, 3, 1, 2021, 4), (1, 3, 1, 2021, 4)")),
              0);
}
