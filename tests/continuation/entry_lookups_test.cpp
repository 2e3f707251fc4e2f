// The entry window's lookups on fixture databases through both drivers: consent-record
// diagnoses, practitioner names, counts from a day, the month's areas and kinds, the age.
#include "continuation/entry_lookups.h"

#include "base/globals.h"
#include "db/table_checks.h"
#include "support/recorded_messages.h"
#include "support/list_fixture.h"

#include <QFile>

namespace {

class EntryLookups : public ListFixtureVia {
protected:
    void consent(long id, int nDate, const QString& start, int henkei, const QString& massage, const QString& flags,
                 const QString& other, int kyotenEb = 3) const
    {
        sql({QStringLiteral(
                 "INSERT INTO RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
                 "cByoumeiM, iHKSyobyou01Flg, iHKSyobyou02Flg, iHKSyobyou03Flg, iHKSyobyou04Flg, iHKSyobyou05Flg, "
                 "iHKSyobyou06Flg, iHKSyobyou07Flg, cByoumeiH) VALUES (1, %1, %2, %3, '%4', %5, '%6', %7, '%8')")
                 .arg(kyotenEb)
                 .arg(id)
                 .arg(nDate)
                 .arg(start)
                 .arg(henkei)
                 .arg(massage, flags, other)});
    }
    // A treatment record with its areas (1-5), kinds (hari, kyuu, denki), billing category and return flag.
    void record(const QString& start, const QString& areas, const QString& kinds, int seikyu = 0, int henrei = 0) const
    {
        sql({QStringLiteral(
                 "INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, tServicyDayStart, "
                 "iSeikyuKbn, iDelFlg_Henrei, iSejutuBui1, iSejutuBui2, iSejutuBui3, iSejutuBui4, iSejutuBui5, "
                 "iHariUmu, iKyuuUmu, iDenkiHariKyuuUmu) VALUES (1, 3, %1, 10101, 5, '%2', %3, %4, %5, %6)")
                 .arg(++m_no)
                 .arg(start)
                 .arg(seikyu)
                 .arg(henrei)
                 .arg(areas, kinds)});
    }
    mutable int m_no = 0;
};

TEST_P(EntryLookups, TheNewestConsentRecordBeforeTheNextMonthGivesTheDiagnoses)
{
    const QString may = QStringLiteral("2024/05/01");
    EXPECT_EQ(getDouiRecord(10101, may).status, -1); // none
    // Starts on the first day of the next month: not used; other branch and replaced ones neither.
    consent(10101, 20240601, QStringLiteral("2024-06-01"), 0, QStringLiteral("六月"), QStringLiteral("1,1,1,1,1,1,1"),
            QStringLiteral("x"));
    consent(10101, 20240530, QStringLiteral("2024-05-01"), 1, QStringLiteral("置換"), QStringLiteral("1,1,1,1,1,1,1"),
            QStringLiteral("x"));
    consent(10101, 20240529, QStringLiteral("2024-05-01"), 0, QStringLiteral("他拠点"), QStringLiteral("1,1,1,1,1,1,1"),
            QStringLiteral("x"), 4);
    EXPECT_EQ(getDouiRecord(10101, may).status, -1);
    // Starting on the last day of the month: used.
    consent(10101, 20240401, QStringLiteral("2024-05-31"), 0, QStringLiteral("  腰部変形  "),
            QStringLiteral("0,1,0,0,0,0,2"), QStringLiteral("坐骨神経  "));
    DouiRecord d = getDouiRecord(10101, may);
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.byoumeiM, QStringLiteral("腰部変形"));
    EXPECT_EQ(d.byoumeiH, QStringLiteral("坐骨神経"));
    EXPECT_EQ(d.syouByo, (std::array<long, 7>{2, 0, 1, 0, 0, 0, 0})); // (0) from flag 07, (1)-(6) from 01-06
    // A larger nDate wins even when its period started earlier.
    consent(10101, 20240402, QStringLiteral("2023-01-01"), 0, QStringLiteral("古い期間"),
            QStringLiteral("1,0,0,0,0,0,0"), QString());
    d = getDouiRecord(10101, may);
    EXPECT_EQ(d.byoumeiM, QStringLiteral("古い期間"));
    EXPECT_EQ(d.syouByo, (std::array<long, 7>{0, 1, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(rec.messages.isEmpty());

    // The connection steps name iDataLoad, the query getDouiRecord.
    QFile::remove(inst.file(QStringLiteral("adodb.ini")));
    EXPECT_EQ(getDouiRecord(10101, may).status, -1);
    inst.useSqliteDatabase();
    if (GetParam() == Via::Odbc)
        connectThroughOdbc();
    sql({QStringLiteral("DROP TABLE RIYOUSHA_DOUI_REC")});
    EXPECT_EQ(getDouiRecord(10101, may).status, -1);
    expectSaid(rec, {{"iDataLoad() でエラー\r\n…"}, {"getDouiRecord() でエラー\r\n…"}});
}

TEST_P(EntryLookups, PractitionerNamesByNumberWithinTheBranch)
{
    addStaff(5, QStringLiteral("佐藤　一郎  "));
    addStaff(6, QStringLiteral("他拠点　花子"), 1, 4);
    short status = 9;
    EXPECT_EQ(csInpKey_Staff(5, &status), QStringLiteral("佐藤　一郎"));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(csInpKey_Staff(6, &status), QStringLiteral("該当施術者なし"));
    EXPECT_EQ(status, -1);
    EXPECT_EQ(csInpKey_Staff(0, &status), QString());
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(rec.messages.isEmpty());
    QFile::remove(inst.file(QStringLiteral("adodb.ini")));
    EXPECT_EQ(csInpKey_Staff(5, &status), QString()); // nothing read: no name at all
    expectSaid(rec, {{"csInpKey_Staff() でエラー\r\n…"}});
}

TEST_P(EntryLookups, TheCountFromADayRunsToTheEndOfItsMonth)
{
    record(QStringLiteral("2021-07-19 10:00:00"), QStringLiteral("0,0,0,0,0"), QStringLiteral("0,0,0"));
    record(QStringLiteral("2021-07-20 00:00:00"), QStringLiteral("0,0,0,0,0"), QStringLiteral("0,0,0"));
    record(QStringLiteral("2021-07-31 23:30:00"), QStringLiteral("0,0,0,0,0"), QStringLiteral("0,0,0"));
    record(QStringLiteral("2021-08-01 00:00:00"), QStringLiteral("0,0,0,0,0"), QStringLiteral("0,0,0"));
    record(QStringLiteral("2021-07-22 10:00:00"), QStringLiteral("0,0,0,0,0"), QStringLiteral("0,0,0"), 1);
    record(QStringLiteral("2021-07-23 10:00:00"), QStringLiteral("0,0,0,0,0"), QStringLiteral("0,0,0"), 0, 1);
    EXPECT_EQ(iCountJissekiFromDay(10101, QStringLiteral("2021/07/20")), std::optional<short>(2));
    EXPECT_EQ(iCountJissekiFromDay(10102, QStringLiteral("2021/07/20")), std::optional<short>(0));
    EXPECT_TRUE(rec.messages.isEmpty());
    sql({QStringLiteral("DROP TABLE JISSEKI")});
    EXPECT_EQ(iCountJissekiFromDay(10101, QStringLiteral("2021/07/20")), std::nullopt); // never shown as a count
    expectSaid(rec, {{"csInpKey_Isi() でエラー\r\n…"}});
}

TEST_P(EntryLookups, TheMonthsAreasKindsAndLastDayAreTheirMaxima)
{
    SejutuBui none = iLoadSejutuBui(10101, QStringLiteral("2024/05/01"));
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.bui1, (std::array<bool, 5>{}));
    EXPECT_EQ(none.harikyu2, (std::array<long, 3>{}));
    EXPECT_TRUE(none.lastDay.isEmpty());

    // Areas 1-4 coded 1 tick the area, 2 the deformity row (2 on any record wins); 3 nothing.
    record(QStringLiteral("2024-05-02 10:00:00"), QStringLiteral("1,1,0,3,1"), QStringLiteral("1,0,0"));
    record(QStringLiteral("2024-05-20 15:00:00"), QStringLiteral("2,0,NULL,0,0"), QStringLiteral("0,2,0"));
    // Not counted: another billing category, a returned record, another month.
    record(QStringLiteral("2024-05-28 10:00:00"), QStringLiteral("0,0,1,0,0"), QStringLiteral("0,0,1"), 1);
    record(QStringLiteral("2024-05-29 10:00:00"), QStringLiteral("0,0,1,0,0"), QStringLiteral("0,0,1"), 0, 1);
    record(QStringLiteral("2024-06-01 10:00:00"), QStringLiteral("0,0,1,0,0"), QStringLiteral("0,0,1"));
    const SejutuBui b = iLoadSejutuBui(10101, QStringLiteral("2024/05/01"));
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(b.bui1, (std::array<bool, 5>{false, true, false, false, true}));
    EXPECT_EQ(b.bui2, (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(b.harikyu2, (std::array<long, 3>{1, 2, 0}));
    EXPECT_EQ(b.lastDay, QStringLiteral("2024/05/20"));
    EXPECT_TRUE(rec.messages.isEmpty());
    sql({QStringLiteral("DROP TABLE JISSEKI")});
    EXPECT_EQ(iLoadSejutuBui(10101, QStringLiteral("2024/05/01")).status, 1);
    expectSaid(rec, {{"csInpKey_Isi() でエラー\r\n…"}});
}

INSTANTIATE_TEST_SUITE_P(Drivers, EntryLookups, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

TEST(AgeCalc, WholeYearsFromTheDecimalDatesBelowOneAsZero)
{
    struct Case {
        const char* birthday;
        QDate today;
        std::optional<short> age;
    };
    for (const Case& c :
         {Case{"1950/08/01", QDate(2021, 7, 15), 70}, Case{"1950/07/15", QDate(2021, 7, 15), 71},
          Case{"1950/07/16", QDate(2021, 7, 15), 70}, Case{"2000/02/29", QDate(2021, 2, 28), 20},
          Case{"2000/02/29", QDate(2021, 3, 1), 21}, Case{"2021/01/01", QDate(2021, 7, 15), 0},
          Case{"2022/01/01", QDate(2021, 7, 15), 0}, Case{"1950-08-01 00:00:00", QDate(2021, 8, 1), 71},
          Case{"1950/13/01", QDate(2021, 7, 15), std::nullopt}, Case{"", QDate(2021, 7, 15), std::nullopt}})
        EXPECT_EQ(ageOn(QString::fromLatin1(c.birthday), c.today), c.age) << c.birthday;
}

} // namespace
