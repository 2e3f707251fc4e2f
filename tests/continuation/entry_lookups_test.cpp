// The entry window's lookups on fixture databases through both drivers: consent-record
// diagnoses, practitioner names, counts from a day, the month's areas and kinds, the age.
#include "continuation/entry_lookups.h"

#include "support/list_fixture.h"
#include "support/recorded_messages.h"

#include <QFile>

namespace {

class EntryLookups : public ListFixtureVia {
protected:
    // A consent record of 10101: its date, period start, replaced flag, massage injury, flags 01-07 and other injury.
    void consent(int nDate, const char* start, int henkei, const char* massage, const char* flags, const char* other,
                 int kyotenEb = 3) const
    {
        sql({QStringLiteral(
                 "INSERT INTO RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
                 "cByoumeiM, iHKSyobyou01Flg, iHKSyobyou02Flg, iHKSyobyou03Flg, iHKSyobyou04Flg, iHKSyobyou05Flg, "
                 "iHKSyobyou06Flg, iHKSyobyou07Flg, cByoumeiH) VALUES (1, %1, %2, %3, '%4', %5, '%6', %7, '%8')")
                 .arg(QString::number(kyotenEb), "10101", QString::number(nDate), QString::fromUtf8(start),
                      QString::number(henkei), QString::fromUtf8(massage), QString::fromUtf8(flags),
                      QString::fromUtf8(other))});
    }
    // A treatment record of 10101 with its areas (1-5) and kinds (hari, kyuu, denki).
    void record(const char* start, const char* areas, const char* kinds) const
    {
        sql({QStringLiteral(
                 "INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, "
                 "iSeikyuKbn, iDelFlg_Henrei, iSejutuBui1, iSejutuBui2, iSejutuBui3, iSejutuBui4, iSejutuBui5, "
                 "iHariUmu, iKyuuUmu, iDenkiHariKyuuUmu) VALUES (1, 3, %1, 10101, 5, '%2', 0, 0, %3, %4)")
                 .arg(QString::number(++m_no), QString::fromLatin1(start), QString::fromLatin1(areas),
                      QString::fromLatin1(kinds))});
    }
    mutable int m_no = 0;
};

TEST_P(EntryLookups, TheNewestConsentRecordBeforeTheNextMonthGivesTheDiagnoses)
{
    const QString may = "2024/05/01";
    EXPECT_EQ(getDouiRecord(10101, may).status, -1); // none
    // Starts on the first day of the next month: not used; other branch and replaced ones neither.
    consent(20240601, "2024-06-01", 0, "六月", "1,1,1,1,1,1,1", "x");
    consent(20240530, "2024-05-01", 1, "置換", "1,1,1,1,1,1,1", "x");
    consent(20240529, "2024-05-01", 0, "他拠点", "1,1,1,1,1,1,1", "x", 4);
    EXPECT_EQ(getDouiRecord(10101, may).status, -1);
    // Starting on the last day of the month: used.
    consent(20240401, "2024-05-31", 0, "  腰部変形  ", "0,1,0,0,0,0,2", "坐骨神経  ");
    DouiRecord d = getDouiRecord(10101, may);
    // syouByo (0) from flag 07, (1)-(6) from 01-06.
    EXPECT_EQ(std::tuple(d.status, d.byoumeiM, d.byoumeiH, d.syouByo),
              std::tuple(0, "腰部変形", "坐骨神経", std::array<long, 7>{2, 0, 1, 0, 0, 0, 0}));
    // A larger nDate wins even when its period started earlier.
    consent(20240402, "2023-01-01", 0, "古い期間", "1,0,0,0,0,0,0", "");
    d = getDouiRecord(10101, may);
    EXPECT_EQ(std::pair(d.byoumeiM, d.syouByo),
              std::pair(QStringLiteral("古い期間"), std::array<long, 7>{0, 1, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(rec.messages.isEmpty());

    // The connection steps name iDataLoad, the query getDouiRecord.
    QFile::remove(inst.file("adodb.ini"));
    EXPECT_EQ(getDouiRecord(10101, may).status, -1);
    inst.useSqliteDatabase();
    useDriver();
    sql({"DROP TABLE RIYOUSHA_DOUI_REC"});
    EXPECT_EQ(getDouiRecord(10101, may).status, -1);
    expectSaid(rec, {{"iDataLoad() でエラー\r\n…"}, {"getDouiRecord() でエラー\r\n…"}});
}

TEST_P(EntryLookups, PractitionerNamesByNumberWithinTheBranch)
{
    addStaff(5, "佐藤　一郎  ");
    addStaff(6, "他拠点　花子", 1, 4);
    // The name and the status of each number.
    const auto staff = [](long id) {
        short status = 9;
        const QString name = csInpKey_Staff(id, &status);
        return std::pair(name, status);
    };
    EXPECT_EQ(staff(5), std::pair(QStringLiteral("佐藤　一郎"), short(0)));
    EXPECT_EQ(staff(6), std::pair(QStringLiteral("該当施術者なし"), short(-1)));
    EXPECT_EQ(staff(0), std::pair(QString(), short(-1)));
    EXPECT_TRUE(rec.messages.isEmpty());
    QFile::remove(inst.file("adodb.ini"));
    EXPECT_EQ(staff(5).first, QString()); // nothing read: no name at all
    expectSaid(rec, {{"csInpKey_Staff() でエラー\r\n…"}});
}

// Which records count from which day: tsql_statements_test.
TEST_P(EntryLookups, TheCountFromADayAndTheMonthsAreasKindsAndLastDay)
{
    const SejutuBui none = iLoadSejutuBui(10101, "2024/05/01");
    EXPECT_EQ(std::tuple(none.status, none.bui1, none.bui2, none.harikyu2, none.lastDay),
              std::tuple(0, std::array<bool, 5>{}, std::array<bool, 4>{}, std::array<long, 3>{}, QString()));

    // Areas 1-4 coded 1 tick the area, 2 the deformity row (2 on any record wins); 3 nothing.
    record("2024-05-02 10:00:00", "1,1,0,3,1", "1,0,0");
    record("2024-05-20 15:00:00", "2,0,NULL,0,0", "0,2,0");
    const SejutuBui b = iLoadSejutuBui(10101, "2024/05/01");
    EXPECT_EQ(std::tuple(b.status, b.bui1, b.bui2, b.harikyu2, b.lastDay),
              std::tuple(0, std::array<bool, 5>{false, true, false, false, true},
                         std::array<bool, 4>{true, false, false, false}, std::array<long, 3>{1, 2, 0}, "2024/05/20"));
    EXPECT_EQ(std::pair(iCountJissekiFromDay(10101, "2024/05/20"), iCountJissekiFromDay(10102, "2024/05/01")),
              std::pair(std::optional<short>(1), std::optional<short>(0)));
    EXPECT_TRUE(rec.messages.isEmpty());
    sql({"DROP TABLE JISSEKI"});
    // Nothing read: no count at all, never one shown as 0.
    EXPECT_EQ(std::pair(iLoadSejutuBui(10101, "2024/05/01").status, iCountJissekiFromDay(10101, "2024/05/20")),
              std::pair(short(1), std::optional<short>()));
    expectSaid(rec, {{"csInpKey_Isi() でエラー\r\n…"}, {"csInpKey_Isi() でエラー\r\n…"}});
}

INSTANTIATE_TEST_SUITE_P(Drivers, EntryLookups, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

TEST(AgeCalc, WholeYearsFromTheDecimalDatesBelowOneAsZero)
{
    using Case = std::tuple<const char*, QDate, std::optional<short>>;
    for (const auto& [birthday, today, age] :
         {Case{"1950/08/01", QDate(2021, 7, 15), 70}, Case{"1950/07/15", QDate(2021, 7, 15), 71},
          Case{"1950/07/16", QDate(2021, 7, 15), 70}, Case{"2000/02/29", QDate(2021, 2, 28), 20},
          Case{"2000/02/29", QDate(2021, 3, 1), 21}, Case{"2021/01/01", QDate(2021, 7, 15), 0},
          Case{"2022/01/01", QDate(2021, 7, 15), 0}, Case{"1950-08-01 00:00:00", QDate(2021, 8, 1), 71},
          Case{"1950/13/01", QDate(2021, 7, 15), std::nullopt}, Case{"", QDate(2021, 7, 15), std::nullopt}})
        EXPECT_EQ(ageOn(QString::fromLatin1(birthday), today), age) << birthday;
}

} // namespace
