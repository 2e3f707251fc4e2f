// The monthly actual-record and schedule tables on fixture databases: CSV bytes, the user
// selection, messages, the layout lookup and the hand-off to the viewer.
#include "reports/monthly_actual_table.h"
#include "reports/monthly_schedule_table.h"

#include "base/text_file.h"
#include "db/statement_log.h"
#include "db/table_checks.h"
#include "support/file_faults.h"
#include "support/recorded_messages.h"
#include "support/report_window.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <unistd.h>

namespace {

namespace jisseki = modPrint利用者別月間実績表;
namespace yotei = modPrint利用者別月間予定表;

using Staff = std::map<int, QString>; // day -> short practitioner name

Staff days(int from, int to, const QString& name, Staff m = {})
{
    for (int d = from; d <= to; ++d)
        m[d] = name;
    return m;
}

// One expected data line: output at 2024/05/07 9:05:03.
QString line(const QString& month, long id, const QString& name, int category, int care, const Staff& staff, int count)
{
    QString l = "\"やすらぎ治療院\",\"" + month + "\",\"2024/05/07\",\"9:5:3\"," + QString::number(id) + ",\"" + name
        + "\"," + QString::number(category) + u',' + QString::number(care);
    for (int d = 1; d <= 31; ++d)
        l += ",\"" + (staff.count(d) ? staff.at(d) : QString()) + u'"';
    return l + QString(",0").repeated(31) + u',' + QString::number(count);
}

// The whole file: the 71 quoted column names, then the data lines.
QByteArray csvBytes(const QStringList& dataLines)
{
    QString h =
        "\"拠点名\",\"対象年月\",\"出力日\",\"出力時刻\",\"利用者コード\",\"利用者名\",\"施術区分\",\"保険有無\"";
    for (const char* column : {"日施術師名", "日通院"})
        for (int d = 1; d <= 31; ++d)
            h += ",\"" + QString::number(d) + QString::fromUtf8(column) + u'"';
    return cp932Lines(QStringList{h + ",\"回数\""} + dataLines);
}

// The text with %1, %2, … replaced by the values in turn.
template <class... T> QString fill(QString text, const T&... values)
{
    ((text = text.arg(values)), ...);
    return text;
}

// A treatment row (branch 1-3 unless told).
QString treatment(int no, long user, int staff, const QString& start, const QString& end, int eb = 3)
{
    return fill(QStringLiteral("INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, "
                               "tServicyDayStart, tServicyDayEnd) VALUES (1, %1, %2, %3, %4, '%5', '%6')"),
                eb, no, user, staff, start, end);
}

// Both tables' data: actual records in April 2024; the schedule tests add their schedules.
QStringList fixtureRows()
{
    QStringList sql{
        "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, 'やすらぎ治療院'), "
        "(1, 3, 1, '別の名'), (1, 4, 0, '他拠点')",
        "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 1, '佐藤　一郎'), (1, 3, 2, 'Abcdefgh Taro'), "
        "(1, 3, 3, '長谷川　花子'), (1, 4, 1, '他拠点 職員')",
        // The actual-record table's users (one of another branch), then the schedule table's with
        // their first treatments.
        "INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tSyoryoDay, iSejutsuKubun, iKaigoLv) "
        "VALUES (1, 3, 10101, '山田\"花子', 'ヤマダハナコ', NULL, 1, 2), (1, 3, 10201, '髙橋😀', 'タカハシ', NULL, 2, NULL), "
        "(1, 3, 10301, '森  ', 'モリ', NULL, 0, 5), (1, 4, 10101, '他拠点の人', 'ア', NULL, 1, 1), "
        "(1, 3, 20001, '青木', 'アオキ', '2023-03-10 00:00:00', 1, 0), "
        "(1, 3, 20101, '伊藤', 'イトウ', '2023-11-10 00:00:00', 1, 0), (1, 3, 20201, '上田', 'ウエダ', NULL, 1, 0), "
        "(1, 3, 20301, '遠藤', 'エンドウ', '2023-05-10 00:00:00', 2, 1), "
        "(1, 3, 20401, '岡田', 'オカダ', '2023-05-10 00:00:00', 2, 1), "
        "(1, 3, 20501, '加藤', 'カトウ', '2023-03-10 00:00:00', 1, 0), "
        "(1, 3, 20601, '菊池', 'キクチ', '2023-05-10 00:00:00', 1, 0)",
        // Two treatments on one day: the later row's practitioner stands, the count is 2.
        treatment(1, 10101, 1, "2024-04-03 09:00:00", "2024-04-03 09:30:00"),
        treatment(2, 10101, 2, "2024-04-03 14:00:00", "2024-04-03 14:30:00"),
        // The month by the end time, the day by the start time.
        treatment(3, 10201, 3, "2024-03-31 23:30:00", "2024-04-01 00:30:00"),
        treatment(4, 10201, 1, "2024-04-30 23:00:00", "2024-05-01 00:00:00"),
        treatment(5, 10101, 1, "2024-03-15 10:00:00", "2024-03-15 10:30:00"),
        treatment(6, 10101, 1, "2024-04-05 10:00:00", "2024-04-05 10:30:00", 4),
    };
    for (int d = 1; d <= 16; ++d) {
        const QString day = QStringLiteral("2024-04-%1 10:00:00").arg(d, 2, 10, QChar(u'0'));
        sql << treatment(100 + d, 10301, 1, day, day);
    }
    return sql;
}

class ReportTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        iHasJissekiHoseUmu = 1;
        seed(SchemaVariant::Current);
        window.month = QDate(2024, 4, 20);
    }
    void seed(SchemaVariant variant)
    {
        QString err;
        ASSERT_TRUE(createSuiteDatabase(db, variant, &err)) << err.toStdString();
        execSuiteSql(db, fixtureRows());
    }
    void schedules(long user, int from, int to, int billing = 0, int staff = 1, int yyyymm = 202405)
    {
        QStringList sql;
        for (int d = from; d <= to; ++d)
            sql << fill(QStringLiteral("INSERT INTO SCHEDULE (iKyotenCd, iKyotenEb, nScheduleNo, nIDRiyoushaNo, "
                                       "nIDStaffNo, nDate, iSeikyuKbn) VALUES (1, 3, %1, %2, %3, %4, %5)"),
                        ++m_no, user, staff, yyyymm * 100 + d, billing);
        execSuiteSql(db, sql);
    }
    QByteArray csv() const { return fileBytes(tmp + "利用者別月間実績.csv"); }
    QByteArray scheduleCsv() const { return fileBytes(tmp + "利用者別月間予定.csv"); }
    QString com() const { return decodeCp932(fileBytes(comFile)); }

    TestInstall inst;
    ScopedRecordingPlatform rec;
    ScopedFixedReportClock clock{QDateTime(QDate(2024, 5, 7), QTime(9, 5, 3))};
    const QString db = inst.useSqliteDatabase();
    const QString tmp = inst.path() + "/TMP/";
    const QString comFile = tmp + "WfdCom.dat";
    const QString yamada = line("2024/04", 10101, "山田\"花子", 1, 2, {{3, "Abc"}}, 2);
    const QString takahashi = line("2024/04", 10201, "髙橋?", 2, 0, {{31, "長谷川"}}, 1); // a character CP932 lacks
    const QString mori = line("2024/04", 10301, "森", 0, 5, days(1, 16, "佐藤"), 16);
    ReportWindow window{{}, 4, {}, 0};
    int m_no = 0;
};
using ReportActualTable = ReportTables;
using ReportScheduleTable = ReportTables;

// --- actual-record table ---

TEST_F(ReportActualTable, PreviewAndPrintWriteTheCsvAndTheCommandFile)
{
    jisseki::vPrintJissekiHyo(0, window);
    expectSaid(rec, {});
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    // The command file byte for byte, its CP932 spelled out (the temporary folder is ASCII).
    const QByteArray root = inst.path().toUtf8(), name = QByteArray::fromHex("979897708ed295ca8c8e8ad48ec090d1");
    EXPECT_EQ(fileBytes(comFile),
              "FileName,\"" + root + "/SYS/" + name + QByteArray::fromHex("836083468362834e955c2e776664")
                  + "\"\r\nTitle,\"" + name + QByteArray::fromHex("955c88f38dfc") + "\"\r\nSetDataText,\"" + name
                  + "\",\"" + root + "/TMP/" + name + ".csv\"\r\nPrintPaper, A4\r\nShowWindow,2\r\n");
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].style, WindowStyle::MinimizedFocus);
    EXPECT_TRUE(rec.maxBusyDepth >= 1 && rec.busyDepth == 0); // the hourglass while the table is made

    // Print: the print dialog, and the layout 帳票Format.ini names without its trailing blanks.
    inst.writeBytes("DATA/帳票Format.ini",
                    cp932Lines({"[利用者別月間実績表]", "利用者別月間実績チェック表=自社様式.wfd   "}));
    jisseki::vPrintJissekiHyo(1, window);
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_TRUE(com().startsWith("FileName,\"" + inst.path() + "/SYS/自社様式.wfd\"\r\n")
                && com().endsWith("\r\nPrintOutFromDialog\r\n"));
    EXPECT_EQ(rec.starts.size(), 2);

    // Without the key: the built-in layout. A record without a start time counts for its user
    // but for no day.
    inst.writeBytes("DATA/帳票Format.ini", cp932Lines({"[利用者別月間実績表]", "他の帳票=別様式.wfd"}));
    execSuiteSql(db, {"UPDATE JISSEKI SET tServicyDayStart = NULL WHERE nJissekiNo = 3"});
    jisseki::vPrintJissekiHyo(0, window);
    expectSaid(rec, {});
    EXPECT_TRUE(com().startsWith("FileName,\"" + inst.path() + "/SYS/利用者別月間実績チェック表.wfd\"\r\n"));
    EXPECT_EQ(csv(), csvBytes({line("2024/04", 10201, "髙橋?", 2, 0, {}, 0), mori, yamada}));
}

TEST_F(ReportActualTable, SelectionModesMonthsAndTheGridsUsers)
{
    // December ends before the first of January.
    execSuiteSql(db,
                 {treatment(201, 10101, 1, "2024-12-31 22:00:00", "2024-12-31 23:59:59"),
                  treatment(202, 10101, 2, "2024-12-31 23:30:00", "2025-01-01 00:00:00"),
                  treatment(203, 10101, 2, "2024-11-30 23:30:00", "2024-12-01 00:00:00")});
    const QDate april(2024, 4, 20);
    const QByteArray december = csvBytes({line("2024/12", 10101, "山田\"花子", 1, 2, {{30, "Abc"}, {31, "佐藤"}}, 2)});
    // The month, the condition, the grid's users, the query's user list, the CSV. Year and 16:
    // nobody of the grid reaches 16, then mori; frequent users whatever their count (Null is 0);
    // everyone: the grid does not restrict; an empty grid never restricts, not in mode 0 either;
    // a month without records: no file at all; December.
    const std::tuple<QDate, int, QList<QVariant>, QString, QByteArray> cases[] = {
        {april, 3, {10101, 10201}, "10101,10201", csvBytes({})},
        {april, 3, {10101, 10201, 10301}, "10101,10201,10301", csvBytes({mori})},
        {april, 2, {10201, QVariant()}, "10201,0", csvBytes({takahashi})},
        {april, 4, {10201, QVariant()}, "", csvBytes({takahashi, mori, yamada})},
        {april, 2, {}, "", csvBytes({takahashi, mori, yamada})},
        {april, 3, {}, "", csvBytes({mori})},
        {QDate(2024, 6, 1), 4, {}, "", QByteArray()},
        {QDate(2024, 12, 1), 4, {}, "", december}};
    for (const auto& [month, condition, ids, in, expected] : cases) {
        rec.clear();
        QFile::remove(tmp + "利用者別月間実績.csv");
        window.month = month;
        window.condition = condition;
        window.listed = ids;
        jisseki::vPrintJissekiHyo(0, window);
        EXPECT_EQ(jisseki::jissekiQuery(QDate(2024, 4, 1)).section("in (", 1).section(u')', 0, 0), in);
        EXPECT_EQ(csv(), expected) << month.toString().toStdString() << " " << in.toStdString();
        const bool nothing = expected.count("\r\n") <= 1; // the header at most
        const Said noData{"出力対象データが存在しません。", MsgIcon::Information, "利用者別月間実績表印刷"};
        expectSaid(rec, nothing ? QList<Said>{noData} : QList<Said>{});
        EXPECT_EQ(rec.starts.size(), nothing ? 0 : 1);
    }
}

TEST_F(ReportActualTable, FailuresAreShownAndNothingIsStarted)
{
    const Said outputFailed{"データの出力に失敗しました。"},
        printFailed{"帳票の印刷に失敗しました。", std::nullopt, "利用者別月間実績表印刷"};
    auto run = [&](const QList<Said>& want) {
        rec.clear();
        jisseki::vPrintJissekiHyo(0, window);
        expectSaid(rec, want);
    };
    // ANBUN_FLG, unused, missing: the usual warning, then the table as always; not a number: no message at all.
    QStringList massage = TestInstall::defaultMassageLines();
    massage.removeAll("ANBUN_FLG=0");
    inst.writeBytes("Massage.ini", cp932Lines(massage));
    run({{"システム設定ファイルに、指定の項目が見つかりません。\r[ANBUN_FLG]", std::nullopt, "警告！"}});
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    EXPECT_EQ(rec.starts.size(), 1);
    inst.writeBytes("Massage.ini", cp932Lines(massage << "ANBUN_FLG=なし"));
    run({});
    EXPECT_EQ(rec.starts.size(), 1);
    QFile::remove(comFile);
    // A layout name the command file cannot hold: no command file, no viewer, one message.
    inst.writeBytes(
        "DATA/帳票Format.ini",
        encodeText("[利用者別月間実績表]\r\n利用者別月間実績チェック表=様式😀.wfd\r\n", TextEncoding::Utf8Bom));
    run({{"帳票の印刷に失敗しました。\r[(…", MsgIcon::Critical, ""}});
    EXPECT_TRUE(rec.starts.isEmpty() && !QFile::exists(comFile));
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada})); // the data was written before
    QFile::remove(inst.file("DATA/帳票Format.ini"));
    // No connection file: the connection message with the loader's name.
    QFile::remove(inst.file("adodb.ini"));
    run({{"iGetJissekiData00() でエラー\r…"}, outputFailed, printFailed});
    EXPECT_TRUE(rec.starts.isEmpty());
}

TEST(ReportStaffShortName, FamilyNameOrFirstThreeCharacters)
{
    // Each a name and its short form.
    for (const QString c : {"佐藤　一郎|佐藤", "長谷川　花子|長谷川", "Abcdefgh Taro|Abc", "A B　C|A B", "森|森", "|",
                            "勅使河原　蒼|勅使河", "𠮷野家太郎|𠮷野家"})
        EXPECT_EQ(jisseki::csStaffShortName(c.section(u'|', 0, 0)), c.section(u'|', 1)) << c.toStdString();
}

// --- schedule table ---

TEST_F(ReportScheduleTable, OneYearRuleInTheYearAndSixteenSelectionAndDecember)
{
    schedules(20001, 1, 20); // first treatment 14 months ago: written
    schedules(20101, 1, 20); // 6 months ago: not written
    schedules(20201, 1, 20); // no first-treatment date: never written
    // Anniversary month (2024/05/10): 17 schedules of billing category 0 from that day on.
    schedules(20301, 1, 3);
    schedules(20301, 10, 26);
    // Only 15 of category 0 from the anniversary day on (one more of category 1).
    schedules(20401, 1, 5);
    schedules(20401, 10, 24);
    schedules(20401, 25, 25, 1);
    schedules(20501, 1, 15); // a year past, but 15 in the month
    // Exactly 16 from the anniversary day on, the first on that day: the day itself counts.
    schedules(20601, 1, 2);
    schedules(20601, 10, 25);
    window.month = QDate(2024, 5, 1);
    window.condition = 3;
    {
        statementlog::Scope log;
        yotei::vPrintYoteiHyo(0, window);
        EXPECT_EQ(statementlog::texts().size(), 2); // the table and every anniversary count at once
    }
    expectSaid(rec, {});
    EXPECT_EQ(yotei::state().records.at(0).firstTreatment, "2023/03/10");
    const QString kikuchi = line("2024/05", 20601, "菊池", 1, 0, days(10, 25, "佐藤", days(1, 2, "佐藤")), 18);
    EXPECT_EQ(scheduleCsv(),
              csvBytes({line("2024/05", 20001, "青木", 1, 0, days(1, 20, "佐藤"), 20),
                        line("2024/05", 20301, "遠藤", 2, 1, days(10, 26, "佐藤", days(1, 3, "佐藤")), 20), kikuchi}));
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(com(),
              "FileName,\"" + inst.path()
                  + "/SYS/利用者別月間予定チェック表.wfd\"\r\nTitle,\"利用者別月間予定表印刷\"\r\n"
                    "SetDataText,\"利用者別月間予定\",\""
                  + tmp + "利用者別月間予定.csv\"\r\nPrintPaper, A4\r\nShowWindow,2\r\n");

    // December ends before the first of January.
    schedules(20001, 30, 30, 0, 2, 202411);
    schedules(20001, 1, 1, 0, 1, 202412);
    schedules(20001, 31, 31, 0, 3, 202412);
    schedules(20001, 1, 1, 0, 1, 202501);
    window.month = QDate(2024, 12, 15);
    window.condition = 4;
    yotei::vPrintYoteiHyo(0, window);
    EXPECT_EQ(scheduleCsv(), csvBytes({line("2024/12", 20001, "青木", 1, 0, {{1, "佐藤"}, {31, "長谷川"}}, 2)}));

    // The counts from the anniversary day cannot be read: the message, those users left out, the
    // rest of the table as usual.
    execPlainSqlite(db, {"ALTER TABLE SCHEDULE RENAME COLUMN iSeikyuKbn TO iSeikyuKbnOld"});
    window.month = QDate(2024, 5, 1);
    window.condition = 3;
    rec.clear();
    yotei::vPrintYoteiHyo(0, window);
    expectSaid(rec, {{"csInpKey_Isi() でエラー\r\n…", MsgIcon::Critical}});
    EXPECT_EQ(scheduleCsv(), csvBytes({line("2024/05", 20001, "青木", 1, 0, days(1, 20, "佐藤"), 20)}));
    EXPECT_EQ(rec.starts.size(), 1);
}

TEST_F(ReportScheduleTable, BranchSharingReadsTheSharedView)
{
    // The shared view shows another branch's schedules as this branch's.
    execSuiteSql(
        db,
        {"DROP VIEW SCHEDULE_JOIN",
         "CREATE VIEW SCHEDULE_JOIN AS SELECT 1 AS iKyotenCd, 3 AS iKyotenEb, nScheduleNo, nIDRiyoushaNo, "
         "nIDStaffNo, nDate, iSeikyuKbn, iHoseUmu, nLenFix FROM SCHEDULE WHERE iKyotenCd = 1 AND iKyotenEb = 4"});
    schedules(20101, 7, 7, 0, 2);
    execSuiteSql(db, {"UPDATE SCHEDULE SET iKyotenEb = 4 WHERE nIDRiyoushaNo = 20101"});
    schedules(20001, 2, 2);
    window.month = QDate(2024, 5, 1);
    const QByteArray own = csvBytes({line("2024/05", 20001, "青木", 1, 0, {{2, "佐藤"}}, 1)});
    // No setting and 0 read SCHEDULE, 1 the shared view; a value that is no number fails the conditions.
    const std::tuple<const char*, QByteArray, QStringList> cases[] = {
        {nullptr, own, {}},
        {"施術者拠点間共有=1", csvBytes({line("2024/05", 20101, "伊藤", 1, 0, {{7, "Abc"}}, 1)}), {}},
        {"施術者拠点間共有=0", own, {}},
        {"施術者拠点間共有=する", own, {"(13)型が一致しません。", "印刷条件の取得に失敗しました。"}}};
    for (const auto& [setting, expected, messages] : cases) {
        rec.clear();
        inst.writeMassageIni(setting ? QStringList{QString::fromUtf8(setting)} : QStringList());
        yotei::vPrintYoteiHyo(0, window);
        EXPECT_EQ(scheduleCsv(), expected) << (setting ? setting : "");
        EXPECT_EQ(messageTexts(rec), messages);
        EXPECT_EQ(rec.starts.size(), messages.isEmpty() ? 1 : 0);
    }
    EXPECT_EQ(rec.messages.value(1).title, "利用者別月間予定表印刷");
}

// Older databases lack the treatments' own columns; both tables read them from the user.
TEST_F(ReportScheduleTable, OlderDatabaseLayoutKeyAndTheLoadersMessages)
{
    ASSERT_TRUE(QFile::remove(db));
    seed(SchemaVariant::Old);
    iHasJissekiHoseUmu = 0;
    jisseki::vPrintJissekiHyo(0, window);
    expectSaid(rec, {});
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    schedules(20001, 2, 3);
    window.month = QDate(2024, 5, 1);
    inst.writeBytes("DATA/帳票Format.ini",
                    cp932Lines({"[利用者別月間予定表]", "利用者別月間予定チェック表=自社予定.wfd"}));
    yotei::vPrintYoteiHyo(0, window);
    expectSaid(rec, {});
    EXPECT_TRUE(yotei::yoteiQuery(QDate(2024, 5, 1)).contains(" , RIYOUSHA.iHoseUmu, RIYOUSHA.nLenFix "));
    EXPECT_EQ(scheduleCsv(), csvBytes({line("2024/05", 20001, "青木", 1, 0, days(2, 3, "佐藤"), 2)}));
    EXPECT_TRUE(com().startsWith("FileName,\"" + inst.path() + "/SYS/自社予定.wfd\"\r\n"));

    // The loader's connection messages carry the actual-record loader's name.
    rec.clear();
    QFile::remove(inst.file("adodb.ini"));
    yotei::vPrintYoteiHyo(0, window);
    expectSaid(rec,
               {{"iGetJissekiData00() でエラー\r…"},
                {"データの出力に失敗しました。"},
                {"帳票の印刷に失敗しました。", std::nullopt, "利用者別月間予定表印刷"}});
}

// The temporary and data folders damaged around one preview of the actual-record table: the
// designed messages, the viewer started only after a complete hand-over, and every file the
// run does not write (and, when it fails, the old output too) byte for byte as before.
TEST_F(ReportActualTable, FolderAndFileFaultsAroundTheOutput)
{
    const QString outputFailed = "データの出力に失敗しました。", printFailed = "帳票の印刷に失敗しました。";
    const QStringList cannotWrite{"(70)書き込みできません。", outputFailed, printFailed},
        diskFull{"(61)ディスクの空き容量が不足しています。", outputFailed, printFailed},
        comFolder{printFailed + "\r[(70)書き込みできません。]"};
    const QString csvName = "利用者別月間実績.csv";
    // The CSV afterwards: as it was, the new data, or deleted (opening it deletes the old one).
    enum class Csv { Kept, Written, Deleted };
    struct Row {
        const char* name;
        std::function<bool()> damage; // false: cannot be made here
        QStringList messages;
        Csv csv; // the viewer is started when there is no message
        std::function<void()> undo = [] {};
    };
    const auto oddNames = [&] {
        for (const char* odd : {" ", "-", "...", "\n", "*", "WfdCom.dat.tmp", "WfdCom.dat~",
                                "利用者別月間実績.csv.part", "利用者別月間実績.csv~", "\xe3\x81", "\xff\xfe"}) {
            const int fd = ::open((QFile::encodeName(tmp) + odd).constData(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0)
                return false;
            ::close(fd);
        }
        return QFile::link(tmp + "nowhere", tmp + "dangling") && QDir().mkpath(tmp + "利用者別月間実績.csv.d");
    };
    const auto csvFolder = [&] {
        QFile::remove(tmp + csvName);
        inst.writeBytes("TMP/" + csvName + "/inside.txt", "kept");
        return true;
    };
    const Row rows[] = {
        {"temporary folder read-only", [&] { return makeReadOnly(tmp); }, cannotWrite, Csv::Kept,
         [&] { undoReadOnly(tmp); }},
        {"temporary folder full of odd names", oddNames, {}, Csv::Written},
        {"the CSV a folder", csvFolder, cannotWrite, Csv::Kept},
        {"the command file a folder", [&] { return QFile::remove(comFile) && QDir().mkpath(comFile); }, comFolder,
         Csv::Written},
        {"the disk full", [] { return true; }, diskFull, Csv::Deleted},
        {"no data folder", [&] { return QDir(inst.file("DATA")).removeRecursively(); }, {}, Csv::Written},
        {"no system folder", [&] { return QDir(inst.file("SYS")).removeRecursively(); }, {}, Csv::Written},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // The output of an earlier run is there.
        inst.writeBytes("TMP/" + csvName, "earlier,csv\r\n");
        inst.writeBytes("TMP/WfdCom.dat", "FileName,\"earlier.wfd\"\r\n");
        inst.writeBytes("DATA/帳票Format.ini", cp932Lines({"[他の帳票]", "x=1"}));
        inst.writeBytes("SYS/利用者別月間実績チェック表.wfd", "{\"wfd\":1}");
        if (!row.damage()) {
            row.undo();
            continue;
        }
        const auto before = folderSnapshot(inst.path());
        rec.clear();
        {
            std::optional<ScopedFullDisk> full;
            if (row.name == std::string("the disk full"))
                full.emplace();
            jisseki::vPrintJissekiHyo(0, window);
        }
        row.undo();
        EXPECT_EQ(messageTexts(rec), row.messages);
        EXPECT_EQ(rec.starts.size(), row.messages.isEmpty() ? 1 : 0);
        auto after = folderSnapshot(inst.path());
        auto expected = before;
        const QString csvKey = "TMP/" + csvName;
        if (row.csv == Csv::Written)
            expected[csvKey] = csvBytes({takahashi, mori, yamada});
        else if (row.csv == Csv::Deleted)
            expected.remove(csvKey);
        if (row.messages.isEmpty()) { // a complete hand-over: the new command file
            EXPECT_TRUE(after.take("TMP/WfdCom.dat").startsWith("FileName,"));
            expected.remove("TMP/WfdCom.dat");
        }
        EXPECT_EQ(after.keys(), expected.keys());
        EXPECT_TRUE(after == expected);
        QDir(tmp).removeRecursively(); // repaired for the next row
        for (const char* folder : {"TMP", "DATA", "SYS"})
            QDir().mkpath(inst.file(folder));
    }
}

} // namespace
