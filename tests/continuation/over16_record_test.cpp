// The continuation record on fixture databases, through both drivers: the replacing save and
// its failures, the statement texts, and the month's and the previous entry's reads.
#include "continuation/over16_record.h"

#include "base/globals.h"
#include "db/table_checks.h"
#include "support/recorded_messages.h"
#include "support/list_fixture.h"

namespace {

const QString kMay = QStringLiteral("2024/05/01");

Over16Entry sampleEntry()
{
    return {.iNegaeri = 1,
            .iOkiagari = 2,
            .iZai = 0,
            .iTachiagari = 1,
            .iRitsui = 2,
            .iNRS = 7,
            .iZenkaiHyoukaUmu = 0,
            .iZenkaiHyoukaHenaka = 3,
            .cRiyuu = QStringLiteral("理由"),
            .cHyoukaDay = QStringLiteral("2024/05/20"),
            .nStaffID = 5,
            .cSyoumeiDay = QStringLiteral("2024/05/31"),
            .iKoushuku = 1,
            .iMahi = 0,
            .iSyoujouSonota = 1,
            .cSyoujouSonota = QStringLiteral("しびれ")};
}

class Over16Record : public ListFixture, public ::testing::WithParamInterface<std::tuple<Via, SchemaVariant>> {
protected:
    void SetUp() override
    {
        const auto [via, schema] = GetParam();
        if (schema == SchemaVariant::Old)
            createDatabase(SchemaVariant::Old);
        if (via == Via::Odbc)
            connectThroughOdbc();
        gTZSVer = 0;
        addStaff(5, QStringLiteral("佐藤　一郎"));
        addUser({10101, QStringLiteral("山田　太郎"), QStringLiteral("ヤマダ"), 0, QStringLiteral("1940-04-01"),
                 QStringLiteral("2020-01-10"), 5});
        addMonth(10101, 2024, 5, 18);
    }
    bool oldSchema() const { return std::get<1>(GetParam()) == SchemaVariant::Old; }
    Over16Stored seen; // the row as this terminal last saw it
    // The stored rows of the user as "iNegaeri|…|cSyoujouSonota".
    QStringList stored(long id = 10101) const
    {
        return queryFile(db,
                         QStringLiteral("SELECT iYear, iMonth, iNegaeri, iOkiagari, iZai, iTachiagari, iRitsui, "
                                        "iNRS, iZenkaiHyoukaUmu, iZenkaiHyoukaHenaka, cRiyuu, cHyoukaDay, nStaffID, "
                                        "cSyoumeiDay, iKoushuku, iMahi, iSyoujouSonota, cSyoujouSonota "
                                        "FROM OVER16COUNT WHERE nKanjaID = %1 ORDER BY iYear, iMonth")
                             .arg(id));
    }
};

// A second save replaces the first (the symptom columns only on older tables); typed texts
// are stored exactly.
TEST_P(Over16Record, SaveReplacesTheRowAndStoresTypedTextsExactly)
{
    Over16Entry v = sampleEntry();
    ASSERT_EQ(saveOver16Entry(10101, kMay, v, seen).status, 0);
    v.iNegaeri = 2;
    v.iNRS = 10;
    v.cRiyuu = QStringLiteral("二度目");
    v.cHyoukaDay.clear();
    const Over16SaveResult second = saveOver16Entry(10101, kMay, v, seen);
    EXPECT_EQ(second.status, 0);
    EXPECT_TRUE(second.unshownError.isEmpty());
    EXPECT_EQ(stored(),
              QStringList{QStringLiteral("2024|5|2|2|0|1|2|10|0|3|二度目||5|2024/05/31|")
                          + (oldSchema() ? QStringLiteral("1|0|1|しびれ") : QStringLiteral("NULL|NULL|NULL|NULL"))});

    for (const QString& reason : {QStringLiteral("It's 'quoted' -- ; DROP TABLE OVER16COUNT; --"),
                                  QStringLiteral("一行目\r\n二行目\n三行目\r\n"), QStringLiteral("' OR 1=1 --"),
                                  QStringLiteral("表ソ能%_[!]"), QStringLiteral("x").repeated(kRiyuuMaxLength)}) {
        v = sampleEntry();
        v.cRiyuu = reason;
        v.cSyoujouSonota = QStringLiteral("O'Neil");
        ASSERT_EQ(saveOver16Entry(10101, kMay, v, seen).status, 0) << reason.toStdString();
        const QStringList rows = stored();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].section(u'|', 10, 10), reason);
        if (oldSchema()) {
            EXPECT_TRUE(rows[0].endsWith(QStringLiteral("|O'Neil")));
        }
    }
    EXPECT_TRUE(rec.messages.isEmpty());
}

// Too long texts are refused before anything is sent; a failed statement or commit keeps the row.
TEST_P(Over16Record, RefusedOrFailedSavesKeepTheStoredRow)
{
    ASSERT_EQ(saveOver16Entry(10101, kMay, sampleEntry(), seen).status, 0);
    const QStringList before = stored();
    Over16Entry v = sampleEntry();
    v.cRiyuu = QStringLiteral("あ").repeated(kRiyuuMaxLength + 1);
    Over16SaveResult r = saveOver16Entry(10101, kMay, v, seen);
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(
        r.unshownError,
        QStringLiteral("施術が必要な理由が長すぎます。改行を含めて1000文字以内で入力してください。（現在1001文字）"));
    v = sampleEntry();
    v.cSyoujouSonota = QStringLiteral("症").repeated(25);
    r = saveOver16Entry(10101, kMay, v, seen);
    // The symptom text is written only to tables of the older layout.
    EXPECT_EQ(r.status, oldSchema() ? -1 : 0);
    EXPECT_EQ(r.unshownError,
              oldSchema() ? QStringLiteral("症状その他の内容が長すぎます。24文字以内で入力してください。（現在25文字）")
                          : QString());
    EXPECT_EQ(stored(), before);
    EXPECT_TRUE(rec.messages.isEmpty());

    v = sampleEntry();
    v.cRiyuu = QStringLiteral("失われてはならない変更");
    struct Case {
        const char* trigger;
        const char* statement; // the failing statement's head in the message
    };
    for (const Case& c :
         {Case{"CREATE TRIGGER t BEFORE DELETE ON OVER16COUNT BEGIN SELECT RAISE(ABORT, 'no delete'); END",
               "\rSQL= delete from OVER16COUNT "},
          Case{"CREATE TRIGGER t BEFORE INSERT ON OVER16COUNT BEGIN SELECT RAISE(ABORT, 'no insert'); END",
               "\rSQL= insert into    OVER16COUNT ("}}) {
        execPlainSqlite(db, {QString::fromLatin1(c.trigger)});
        rec.clear();
        const Over16SaveResult failed = saveOver16Entry(10101, kMay, v, seen);
        EXPECT_EQ(failed.status, -1);
        EXPECT_TRUE(failed.unshownError.isEmpty()); // shown here already
        expectSaid(rec, {{"ERR:iExecSQL (-2147467259)…", MsgIcon::None, "確認"}});
        EXPECT_TRUE(rec.messages.value(0).text.contains(QString::fromUtf8(c.statement)))
            << messageTexts(rec).join(u'|').toStdString();
        EXPECT_EQ(stored(), before);
        execPlainSqlite(db, {QStringLiteral("DROP TRIGGER t")});
    }

    // A reader holds the file while the save commits: the commit fails, nothing is shown,
    // its text comes back, the old row stays, and the next save goes through.
    rec.clear();
    Over16SaveResult busy;
    whileReaderHoldsFile(db, [&] { busy = saveOver16Entry(10101, kMay, v, seen); });
    EXPECT_EQ(busy.status, -1);
    EXPECT_TRUE(busy.unshownError.startsWith(QStringLiteral("ERR:CommitTrans (-2147467259)")))
        << busy.unshownError.toStdString();
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(stored(), before);
    ASSERT_EQ(saveOver16Entry(10101, kMay, v, seen).status, 0);
    EXPECT_EQ(stored()[0].section(u'|', 10, 10), v.cRiyuu);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Over16Record,
                         ::testing::Combine(::testing::Values(Via::Embedded, Via::Odbc),
                                            ::testing::Values(SchemaVariant::Current, SchemaVariant::Old)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Via::Odbc ? "Odbc" : "Embedded")
                                 + (std::get<1>(info.param) == SchemaVariant::Old ? "OldTables" : "CurrentTables");
                         });

using Over16Statements = ListFixture;

TEST_F(Over16Statements, DeleteAndInsertAreBuiltFromTheirPieces)
{
    gKyotenCd = 1;
    gKyotenEb = 3;
    EXPECT_EQ(
        over16DeleteStatement(10101, QStringLiteral("2024/01/01")),
        QStringLiteral(
            " delete from OVER16COUNT  WHERE iKyotenCd = 1 AND iKyotenEb = 3 AND nKanjaID = 10101 AND iYear = 2024 AND iMonth = 1"));
    const QString head = QStringLiteral(
        " insert into    OVER16COUNT (      iKyotenCd     ,iKyotenEb     ,nKanjaID     ,iYear     ,iMonth     ,iNegaeri"
        "     ,iOkiagari     ,iZai     ,iTachiagari     ,iRitsui     ,iNRS     ,iZenkaiHyoukaUmu     ,iZenkaiHyoukaHenaka"
        "     ,cRiyuu     ,cHyoukaDay     ,nStaffID     ,cSyoumeiDay");
    const QString values = QStringLiteral(
        " )values(       1     ,3     ,10101     ,2024     ,5     ,1     ,2     ,0     ,1     ,2     ,7     ,0     ,3"
        "     ,N'It''s'     ,N'2024/05/20'     ,5     ,N'2024/05/31'");
    Over16Entry v = sampleEntry();
    v.cRiyuu = QStringLiteral("It's");
    iHasSyoujouSonota = 1;
    EXPECT_EQ(over16InsertStatement(10101, kMay, v), head + values + QStringLiteral(" )"));
    iHasSyoujouSonota = 0;
    EXPECT_EQ(over16InsertStatement(10101, kMay, v),
              head + QStringLiteral("     ,iKoushuku      ,iMahi     ,iSyoujouSonota     ,cSyoujouSonota") + values
                  + QStringLiteral("     ,1     ,0     ,1     ,N'しびれ' )"));
}

// The reads: the month's own row (exact ID), the latest earlier entry by the edition rule.
class Over16Reads : public ListFixture, public ::testing::WithParamInterface<Via> {
protected:
    void SetUp() override
    {
        if (GetParam() == Via::Odbc)
            connectThroughOdbc();
        addStaff(5, QStringLiteral("佐藤　一郎"));
        addStaff(6, QStringLiteral("高橋　二郎"));
        addUser({10101, QStringLiteral("山田　太郎"), QStringLiteral("ヤマダ"), 0, QString(),
                 QStringLiteral("2020-01-10"), 6});
        for (int m = 1; m <= 12; ++m)
            addMonth(10101, 2023, m, 16);
        addMonth(10101, 2024, 1, 20);
        addMonth(10101, 2024, 3, 20);
    }
    // A row saved for another ID under branch 1-3, with its staff and a marker in cRiyuu.
    void entry(long id, int year, int month, const QString& reason, int staff = 5) const
    {
        sql({QStringLiteral(
                 "INSERT INTO OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNRS, cRiyuu, nStaffID) "
                 "VALUES (1, 3, %1, %2, %3, 4, '%4', %5)")
                 .arg(id)
                 .arg(year)
                 .arg(month)
                 .arg(reason)
                 .arg(staff)});
    }
    QString previous(const QString& month) const
    {
        const Over16Read r = readPreviousEntry(10101, month);
        EXPECT_EQ(r.status, 0);
        EXPECT_FALSE(r.failed);
        if (!r.row)
            return QStringLiteral("none");
        return QStringLiteral("%1/%2 %3 %4")
            .arg(r.row->field(QStringLiteral("実績年")).toInt())
            .arg(r.row->field(QStringLiteral("実績月")).toInt())
            .arg(r.row->field(QStringLiteral("cRiyuu")).toString(),
                 r.row->field(QStringLiteral("cSTAFFName")).toString());
    }
};

TEST_P(Over16Reads, TheMonthsOwnRowMatchesTheIdExactly)
{
    entry(10102, 2024, 1, QStringLiteral("other"));
    Over16Read r = readMonthEntry(10101, QStringLiteral("2024/01/01"));
    ASSERT_TRUE(r.row);
    EXPECT_TRUE(r.row->isNull(QStringLiteral("nKanjaID")));
    EXPECT_EQ(r.row->field(QStringLiteral("cName")).toString(), QStringLiteral("山田　太郎"));
    EXPECT_EQ(r.row->field(QStringLiteral("cTANTOUName")).toString(), QStringLiteral("高橋　二郎"));
    entry(10101, 2024, 1, QStringLiteral("own"));
    r = readMonthEntry(10101, QStringLiteral("2024/01/01"));
    ASSERT_TRUE(r.row);
    EXPECT_EQ(r.row->field(QStringLiteral("nKanjaID")).toInt(), 10101);
    EXPECT_EQ(r.row->field(QStringLiteral("cRiyuu")).toString(), QStringLiteral("own"));
    EXPECT_EQ(r.row->field(QStringLiteral("cSTAFFName")).toString(), QStringLiteral("佐藤　一郎"));
    // A month without totals has no row at all.
    r = readMonthEntry(10101, QStringLiteral("2024/02/01"));
    EXPECT_FALSE(r.row);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_P(Over16Reads, ThePreviousEntryFollowsTheEditionRule)
{
    entry(10101, 2023, 11, QStringLiteral("own-nov"));
    entry(10102, 2023, 12, QStringLiteral("sub-dec"), 6);
    entry(10101, 2024, 2, QStringLiteral("no-totals")); // February has no totals: never found
    struct Case {
        short marker;
        const char* month;
        const char* expected;
    };
    for (const Case& c :
         {Case{0, "2024/01/01", "2023/12 sub-dec 高橋　二郎"}, Case{1, "2024/01/01", "2023/11 own-nov 佐藤　一郎"},
          Case{0, "2024/03/01", "2023/12 sub-dec 高橋　二郎"}, Case{0, "2023/11/01", "none"},
          Case{1, "2023/12/01", "2023/11 own-nov 佐藤　一郎"}}) {
        gTZSVer = c.marker;
        EXPECT_EQ(previous(QString::fromLatin1(c.month)), QString::fromUtf8(c.expected))
            << "marker " << c.marker << " month " << c.month;
    }
    // Under the hundreds rule a month holding the user's own row and another sub-number's
    // gives the user's own.
    entry(10101, 2023, 12, QStringLiteral("own-dec"));
    entry(10100, 2023, 12, QStringLiteral("sub0-dec"));
    gTZSVer = 0;
    EXPECT_EQ(previous(QStringLiteral("2024/01/01")), QStringLiteral("2023/12 own-dec 佐藤　一郎"));
    gTZSVer = 0;
}

TEST_P(Over16Reads, ReadFailuresAreReportedWithTheirStatus)
{
    QFile::remove(inst.file(QStringLiteral("adodb.ini")));
    Over16Read r = readMonthEntry(10101, kMay);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.failed);
    expectSaid(rec, {{"iDataLoad() でエラー\r\n…"}});
    inst.useSqliteDatabase();
    execPlainSqlite(db, {QStringLiteral("DROP TABLE OVER16COUNT")});
    rec.clear();
    r = readPreviousEntry(10101, kMay);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.failed);
    expectSaid(rec, {{"iDataLoad_Zenkai() でエラー\r\n(-2147467259)…", MsgIcon::Critical}});
}

INSTANTIATE_TEST_SUITE_P(Drivers, Over16Reads, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
