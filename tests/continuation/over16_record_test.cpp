// The continuation record on fixture databases, through both drivers: the replacing save and
// its failures, the statement texts, and the month's and the previous entry's reads.
#include "continuation/over16_record.h"

#include "base/globals.h"
#include "db/table_checks.h"
#include "support/list_fixture.h"
#include "support/recorded_messages.h"

namespace {

const QString kMay = "2024/05/01";

// In field order: the five movements, NRS, previous evaluation and change, reason, evaluation day,
// staff, certification day, contracture, paralysis, other symptom and its text.
Over16Entry sampleEntry() { return {1, 2, 0, 1, 2, 7, 0, 3, "理由", "2024/05/20", 5, "2024/05/31", 1, 0, 1, "しびれ"}; }

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
        addStaff(5, "佐藤　一郎");
        addUser({10101, "山田　太郎", "ヤマダ", 0, "1940-04-01", "2020-01-10", 5});
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
    v.cRiyuu = "二度目";
    v.cHyoukaDay.clear();
    const Over16SaveResult second = saveOver16Entry(10101, kMay, v, seen);
    EXPECT_EQ(std::pair(second.status, second.unshownError), std::pair(short(0), QString()));
    EXPECT_EQ(stored(),
              QStringList{"2024|5|2|2|0|1|2|10|0|3|二度目||5|2024/05/31|"
                          + (oldSchema() ? QStringLiteral("1|0|1|しびれ") : QStringLiteral("NULL|NULL|NULL|NULL"))});

    // Line breaks of both kinds and the longest reason. (Quotes and other hostile texts through the entry
    // window: hostile_text_test.)
    for (const QString& reason : {QStringLiteral("一行目\r\n二行目\n三行目\r\n"), QString(kRiyuuMaxLength, u'x')}) {
        v = sampleEntry();
        v.cRiyuu = reason;
        ASSERT_EQ(saveOver16Entry(10101, kMay, v, seen).status, 0);
        EXPECT_EQ(stored().value(0).section(u'|', 10, 10), reason);
    }
    EXPECT_TRUE(rec.messages.isEmpty());
}

// A too long symptom text is refused before anything is sent; a failed statement keeps the row.
// (The too long reason through the entry window, a failed commit in db_faults_test.)
TEST_P(Over16Record, RefusedOrFailedSavesKeepTheStoredRow)
{
    ASSERT_EQ(saveOver16Entry(10101, kMay, sampleEntry(), seen).status, 0);
    const QStringList before = stored();
    Over16Entry v = sampleEntry();
    v.cSyoujouSonota = QStringLiteral("症").repeated(25);
    const Over16SaveResult r = saveOver16Entry(10101, kMay, v, seen);
    // The symptom text is written only to tables of the older layout.
    EXPECT_EQ(r.status, oldSchema() ? -1 : 0);
    EXPECT_EQ(r.unshownError,
              oldSchema() ? QStringLiteral("症状その他の内容が長すぎます。24文字以内で入力してください。（現在25文字）")
                          : QString());
    EXPECT_EQ(stored(), before);
    EXPECT_TRUE(rec.messages.isEmpty());

    v = sampleEntry();
    v.cRiyuu = "失われてはならない変更";
    // The failing statement and its head in the message.
    for (const auto& [event, statement] : {std::pair{"DELETE", "\rSQL= delete from OVER16COUNT "},
                                           std::pair{"INSERT", "\rSQL= insert into    OVER16COUNT ("}}) {
        execPlainSqlite(
            db,
            {QStringLiteral("CREATE TRIGGER t BEFORE %1 ON OVER16COUNT BEGIN SELECT RAISE(ABORT, 'no'); END")
                 .arg(QString::fromLatin1(event))});
        rec.clear();
        const Over16SaveResult failed = saveOver16Entry(10101, kMay, v, seen);
        EXPECT_EQ(failed.status, -1);
        EXPECT_TRUE(failed.unshownError.isEmpty()); // shown here already
        expectSaid(rec, {{"ERR:iExecSQL (-2147467259)…", MsgIcon::None, "確認"}});
        EXPECT_TRUE(rec.messages.value(0).text.contains(QString::fromUtf8(statement)))
            << messageTexts(rec).join(u'|').toStdString();
        EXPECT_EQ(stored(), before);
        execPlainSqlite(db, {"DROP TRIGGER t"});
    }
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
        over16DeleteStatement(10101, "2024/01/01"),
        " delete from OVER16COUNT  WHERE iKyotenCd = 1 AND iKyotenEb = 3 AND nKanjaID = 10101 AND iYear = 2024 AND "
        "iMonth = 1");
    const QString head =
        " insert into    OVER16COUNT (      iKyotenCd     ,iKyotenEb     ,nKanjaID     ,iYear     ,iMonth     ,iNegaeri"
        "     ,iOkiagari     ,iZai     ,iTachiagari     ,iRitsui     ,iNRS     ,iZenkaiHyoukaUmu     "
        ",iZenkaiHyoukaHenaka"
        "     ,cRiyuu     ,cHyoukaDay     ,nStaffID     ,cSyoumeiDay";
    const QString values =
        " )values(       1     ,3     ,10101     ,2024     ,5     ,1     ,2     ,0     ,1     ,2     ,7     ,0     ,3"
        "     ,N'It''s'     ,N'2024/05/20'     ,5     ,N'2024/05/31'";
    Over16Entry v = sampleEntry();
    v.cRiyuu = "It's";
    iHasSyoujouSonota = 1;
    EXPECT_EQ(over16InsertStatement(10101, kMay, v), head + values + QStringLiteral(" )"));
    iHasSyoujouSonota = 0;
    EXPECT_EQ(over16InsertStatement(10101, kMay, v),
              head + QStringLiteral("     ,iKoushuku      ,iMahi     ,iSyoujouSonota     ,cSyoujouSonota") + values
                  + QStringLiteral("     ,1     ,0     ,1     ,N'しびれ' )"));
}

// The reads: the month's own row (exact ID), the latest earlier entry by the edition rule.
class Over16Reads : public ListFixtureVia {
protected:
    void SetUp() override
    {
        ListFixtureVia::SetUp();
        addStaff(5, "佐藤　一郎");
        addStaff(6, "高橋　二郎");
        addUser({10101, "山田　太郎", "ヤマダ", 0, QString(), "2020-01-10", 6});
        for (int m = 1; m <= 12; ++m)
            addMonth(10101, 2023, m, 16);
        addMonth(10101, 2024, 1, 20);
        addMonth(10101, 2024, 3, 20);
    }
    // A row saved for an ID under branch 1-3, with its staff and a marker in cRiyuu.
    void entry(long id, int year, int month, const QString& reason, int staff = 5) const
    {
        addOver16(id, year, month, staff);
        sql({"UPDATE OVER16COUNT SET cRiyuu = '" + reason + "' WHERE rowid = last_insert_rowid()"});
    }
    QString previous(const QString& month) const
    {
        const Over16Read r = readPreviousEntry(10101, month);
        EXPECT_EQ(r.status, 0);
        EXPECT_FALSE(r.failed);
        if (!r.row)
            return "none";
        return QStringLiteral("%1/%2 %3 %4")
            .arg(r.row->field("実績年").toInt())
            .arg(r.row->field("実績月").toInt())
            .arg(r.row->field("cRiyuu").toString(), r.row->field("cSTAFFName").toString());
    }
};

TEST_P(Over16Reads, TheMonthsOwnRowMatchesTheIdExactly)
{
    entry(10102, 2024, 1, "other");
    // The month's row as "nKanjaID|cRiyuu|cSTAFFName|cName|cTANTOUName" ("none" without one).
    const auto read = [](const char* month) {
        const Over16Read r = readMonthEntry(10101, QString::fromLatin1(month));
        EXPECT_EQ(r.status, 0);
        if (!r.row)
            return QStringLiteral("none");
        QStringList out;
        for (const char* f : {"nKanjaID", "cRiyuu", "cSTAFFName", "cName", "cTANTOUName"})
            out << (r.row->isNull(f) ? QStringLiteral("NULL") : r.row->field(f).toString());
        return out.join(u'|');
    };
    EXPECT_EQ(read("2024/01/01"), "NULL|NULL|NULL|山田　太郎|高橋　二郎");
    entry(10101, 2024, 1, "own");
    EXPECT_EQ(read("2024/01/01"), "10101|own|佐藤　一郎|山田　太郎|高橋　二郎");
    EXPECT_EQ(read("2024/02/01"), "none"); // a month without totals has no row at all
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_P(Over16Reads, ThePreviousEntryFollowsTheEditionRule)
{
    entry(10101, 2023, 11, "own-nov");
    entry(10102, 2023, 12, "sub-dec", 6);
    entry(10101, 2024, 2, "no-totals"); // February has no totals: never found
    // The edition marker, the month and the entry found.
    const std::tuple<short, const char*, const char*> cases[] = {{0, "2024/01/01", "2023/12 sub-dec 高橋　二郎"},
                                                                 {1, "2024/01/01", "2023/11 own-nov 佐藤　一郎"},
                                                                 {0, "2024/03/01", "2023/12 sub-dec 高橋　二郎"},
                                                                 {0, "2023/11/01", "none"},
                                                                 {1, "2023/12/01", "2023/11 own-nov 佐藤　一郎"}};
    for (const auto& [marker, month, expected] : cases) {
        gTZSVer = marker;
        EXPECT_EQ(previous(QString::fromLatin1(month)), QString::fromUtf8(expected))
            << "marker " << marker << " month " << month;
    }
    // Under the hundreds rule a month holding the user's own row and another sub-number's
    // gives the user's own.
    entry(10101, 2023, 12, "own-dec");
    entry(10100, 2023, 12, "sub0-dec");
    gTZSVer = 0;
    EXPECT_EQ(previous("2024/01/01"), "2023/12 own-dec 佐藤　一郎");
    gTZSVer = 0;
}

// (The month's read failing: the entry window's load failures.)
TEST_P(Over16Reads, APreviousEntryReadFailureIsReportedWithItsStatus)
{
    execPlainSqlite(db, {"DROP TABLE OVER16COUNT"});
    const Over16Read r = readPreviousEntry(10101, kMay);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.failed);
    expectSaid(rec, {{"iDataLoad_Zenkai() でエラー\r\n(-2147467259)…", MsgIcon::Critical}});
}

INSTANTIATE_TEST_SUITE_P(Drivers, Over16Reads, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
