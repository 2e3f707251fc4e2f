// The monthly actual-record and schedule tables on fixture databases: CSV bytes, the user
// selection, messages and the hand-off to the viewer.
#include "reports/csv_writer.h"
#include "reports/monthly_actual_table.h"
#include "reports/monthly_schedule_table.h"

#include "common/text_file.h"
#include "db/table_checks.h"
#include "report_test_util.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QDir>
#include <gtest/gtest.h>
#include <map>

namespace {

namespace jisseki = modPrint利用者別月間実績表;
namespace yotei = modPrint利用者別月間予定表;

struct FakeWindow : MainWindowView {
    QDate month;
    QList<QVariant> ids; // grdData column 2, row by row
    int condition = 4;   // optSerchSel index
    QDate monthValue() const override { return month; }
    int gridMaxRows() const override { return static_cast<int>(ids.size()); }
    QVariant gridValue(int row, int col) const override { return col == 2 ? ids.value(row - 1) : QVariant(0); }
    int selectedCondition() const override { return condition; }
    bool countWholeAnniversaryMonth() const override { return false; }
};

const char* const kHeader =
    "\"拠点名\",\"対象年月\",\"出力日\",\"出力時刻\",\"利用者コード\",\"利用者名\",\"施術区分\",\"保険有無\","
    "\"1日施術師名\",\"2日施術師名\",\"3日施術師名\",\"4日施術師名\",\"5日施術師名\",\"6日施術師名\",\"7日施術師名\","
    "\"8日施術師名\",\"9日施術師名\",\"10日施術師名\",\"11日施術師名\",\"12日施術師名\",\"13日施術師名\",\"14日施術師名\","
    "\"15日施術師名\",\"16日施術師名\",\"17日施術師名\",\"18日施術師名\",\"19日施術師名\",\"20日施術師名\",\"21日施術師名\","
    "\"22日施術師名\",\"23日施術師名\",\"24日施術師名\",\"25日施術師名\",\"26日施術師名\",\"27日施術師名\",\"28日施術師名\","
    "\"29日施術師名\",\"30日施術師名\",\"31日施術師名\","
    "\"1日通院\",\"2日通院\",\"3日通院\",\"4日通院\",\"5日通院\",\"6日通院\",\"7日通院\",\"8日通院\",\"9日通院\",\"10日通院\","
    "\"11日通院\",\"12日通院\",\"13日通院\",\"14日通院\",\"15日通院\",\"16日通院\",\"17日通院\",\"18日通院\",\"19日通院\","
    "\"20日通院\",\"21日通院\",\"22日通院\",\"23日通院\",\"24日通院\",\"25日通院\",\"26日通院\",\"27日通院\",\"28日通院\","
    "\"29日通院\",\"30日通院\",\"31日通院\",\"回数\"";

// One expected data line, written out from the column table: output at 2024/05/07 9:05:03.
QString line(const QString& month, long id, const QString& name, int category, int care,
             const std::map<int, QString>& staff, int count)
{
    QString l = QStringLiteral("\"やすらぎ治療院\",\"") + month + QStringLiteral("\",\"2024/05/07\",\"9:5:3\",")
        + QString::number(id) + QStringLiteral(",\"") + name + QStringLiteral("\",") + QString::number(category)
        + u',' + QString::number(care);
    for (int d = 1; d <= 31; ++d)
        l += QStringLiteral(",\"") + (staff.count(d) ? staff.at(d) : QString()) + u'"';
    for (int d = 1; d <= 31; ++d)
        l += QStringLiteral(",0");
    return l + u',' + QString::number(count);
}

std::map<int, QString> days(int from, int to, const QString& name)
{
    std::map<int, QString> m;
    for (int d = from; d <= to; ++d)
        m[d] = name;
    return m;
}

// Test rows (branch 1-3 unless told).
QString riyousha(long id, const QString& name, const QString& kana, const QString& firstDay, const QString& category,
                 const QString& care, int eb = 3)
{
    return QStringLiteral("INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tSyoryoDay, "
                          "iSejutsuKubun, iKaigoLv) VALUES (1, %1, %2, '%3', '%4', %5, %6, %7)")
        .arg(eb).arg(id).arg(name, kana, firstDay.isEmpty() ? QStringLiteral("NULL") : u'\'' + firstDay + u'\'',
                                 category, care);
}

QString treatment(int no, long user, int staff, const QString& start, const QString& end, int eb = 3)
{
    return QStringLiteral("INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, "
                          "tServicyDayStart, tServicyDayEnd) VALUES (1, %1, %2, %3, %4, '%5', '%6')")
        .arg(eb).arg(no).arg(user).arg(staff).arg(start, end);
}

QByteArray csvBytes(const QStringList& dataLines)
{
    QStringList all{QString::fromUtf8(kHeader)};
    all += dataLines;
    return cp932Lines(all);
}

class ReportTables : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = inst.useSqliteDatabase();
        QString err;
        ASSERT_TRUE(createSuiteDatabase(db, SchemaVariant::Current, &err)) << err.toStdString();
        iHasJissekiHoseUmu = 1;
        execSuiteSql(db, {
            "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, 'やすらぎ治療院')",
            "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 1, '別の名')",
            "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 4, 0, '他拠点')",
            "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 1, '佐藤　一郎')",
            "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 2, 'Abcdefgh Taro')",
            "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 3, '長谷川　花子')",
            "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 4, 1, '他拠点 職員')",
        });
    }
    QString tmpFile(const QString& name) const { return inst.path() + QStringLiteral("/TMP/") + name; }
    QStringList comLines() const { return splitLines(decodeCp932(fileBytes(tmpFile(QStringLiteral("WfdCom.dat"))))); }
    QList<QString> messageTexts() const
    {
        QList<QString> t;
        for (const auto& m : rec.messages)
            t << m.text;
        return t;
    }
    void writeMassage(const QStringList& replace)
    {
        // The default Massage.ini with some keys replaced (a value of "-" drops the key).
        QStringList lines;
        for (const QString& l : TestInstall::defaultMassageLines()) {
            const QString key = l.section(u'=', 0, 0);
            bool replaced = false;
            for (const QString& r : replace)
                replaced = replaced || r.section(u'=', 0, 0) == key;
            if (!replaced)
                lines << l;
        }
        for (const QString& r : replace)
            if (r.section(u'=', 1) != u"-")
                lines << r;
        inst.writeBytes(QStringLiteral("Massage.ini"), cp932Lines(lines));
    }

    TestInstall inst;
    ScopedRecordingPlatform rec;
    ScopedFixedReportClock clock{QDateTime(QDate(2024, 5, 7), QTime(9, 5, 3))};
    QString db;
};

// --- actual-record table ---

class ReportActualTable : public ReportTables {
protected:
    void SetUp() override
    {
        ReportTables::SetUp();
        QStringList sql{
            riyousha(10101, "山田\"花子", "ヤマダハナコ", "", "1", "2"),
            riyousha(10201, "髙橋😀", "タカハシ", "", "2", "NULL"),
            riyousha(10301, "森  ", "モリ", "", "0", "5"),
            riyousha(10101, "他拠点の人", "ア", "", "1", "1", 4),
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
        execSuiteSql(db, sql);
        window.month = QDate(2024, 4, 20);
    }
    QByteArray csv() const { return fileBytes(tmpFile(QStringLiteral("利用者別月間実績.csv"))); }
    const QString yamada = line("2024/04", 10101, "山田\"花子", 1, 2, {{3, "Abc"}}, 2);
    const QString takahashi = line("2024/04", 10201, "髙橋?", 2, 0, {{31, "長谷川"}}, 1);
    const QString mori = line("2024/04", 10301, "森", 0, 5, days(1, 16, "佐藤"), 16);
    FakeWindow window;
};

TEST_F(ReportActualTable, PreviewWritesTheCsvAndStartsTheViewer)
{
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_TRUE(rec.messages.isEmpty()) << messageTexts().join(u'|').toStdString();
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    // The name CP932 lacks a character of, spelled out: 髙橋 then "?".
    EXPECT_TRUE(csv().contains("," + hexBytes("22fbfc8bb43f22") + ","));

    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, QStringLiteral("wfrfv10.exe"));
    EXPECT_EQ(rec.starts[0].args, (QStringList{QStringLiteral("/c"), tmpFile(QStringLiteral("WfdCom.dat"))}));
    EXPECT_EQ(comLines(), (QStringList{
        QStringLiteral("FileName,\"") + inst.path() + QStringLiteral("/SYS/利用者別月間実績チェック表.wfd\""),
        QStringLiteral("Title,\"利用者別月間実績表印刷\""),
        QStringLiteral("SetDataText,\"利用者別月間実績\",\"") + tmpFile(QStringLiteral("利用者別月間実績.csv\"")),
        QStringLiteral("PrintPaper, A4"), QStringLiteral("ShowWindow,2")}));
    EXPECT_GE(rec.maxBusyDepth, 1);
    EXPECT_EQ(rec.busyDepth, 0);
}

TEST_F(ReportActualTable, PrintUsesTheDialogAndTheConfiguredLayout)
{
    inst.writeBytes(QStringLiteral("DATA/帳票Format.ini"),
                    cp932Lines({QStringLiteral("[利用者別月間実績表]"), QStringLiteral("利用者別月間実績チェック表=自社様式.wfd")}));
    jisseki::vPrintJissekiHyo(1, window);
    EXPECT_TRUE(rec.messages.isEmpty());
    const QStringList lines = comLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("FileName,\"") + inst.path() + QStringLiteral("/SYS/自社様式.wfd\""));
    EXPECT_EQ(lines.last(), QStringLiteral("PrintOutFromDialog"));
    EXPECT_EQ(rec.starts.size(), 1);
}

TEST_F(ReportActualTable, SelectionModesAndTheGridsUsers)
{
    // The year-and-16 condition over the grid's users; nobody of them reaches 16.
    window.condition = 3;
    window.ids = {10101, 10201};
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_TRUE(jisseki::jissekiQuery(QDate(2024, 4, 1)).contains(QStringLiteral("   AND JISSEKI.nRiyoushaIDNo in (10101,10201)")));
    EXPECT_EQ(csv(), csvBytes({}));
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("出力対象データが存在しません。"));
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("利用者別月間実績表印刷"));
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::Information);
    EXPECT_TRUE(rec.starts.isEmpty());

    rec.clear();
    window.ids = {10101, 10201, 10301};
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(csv(), csvBytes({mori}));

    // Frequent users: the grid's users, whatever their count; a Null cell counts as 0.
    window.condition = 2;
    window.ids = {10201, QVariant()};
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(jisseki::state().userIdText, QStringLiteral("10201,0"));
    EXPECT_EQ(csv(), csvBytes({takahashi}));

    // Everyone: the grid does not restrict. An empty grid never restricts.
    window.condition = 4;
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    window.condition = 2;
    window.ids.clear();
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_FALSE(jisseki::jissekiQuery(QDate(2024, 4, 1)).contains(QStringLiteral("in (")));
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(rec.starts.size(), 4);
}

TEST_F(ReportActualTable, MonthWithoutRecordsAndTheMonthsBounds)
{
    window.month = QDate(2024, 6, 1);
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(messageTexts(), (QList<QString>{QStringLiteral("出力対象データが存在しません。")}));
    EXPECT_TRUE(rec.starts.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(tmpFile(QStringLiteral("利用者別月間実績.csv"))));

    // December ends before the first of January.
    rec.clear();
    execSuiteSql(db, {treatment(201, 10101, 1, "2024-12-31 22:00:00", "2024-12-31 23:59:59"),
                      treatment(202, 10101, 2, "2024-12-31 23:30:00", "2025-01-01 00:00:00"),
                      treatment(203, 10101, 2, "2024-11-30 23:30:00", "2024-12-01 00:00:00")});
    window.month = QDate(2024, 12, 1);
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(csv(), csvBytes({line("2024/12", 10101, "山田\"花子", 1, 2, {{30, "Abc"}, {31, "佐藤"}}, 2)}));
}

TEST_F(ReportActualTable, OlderDatabaseWithoutTheTreatmentsOwnColumns)
{
    const QString old = inst.file(QStringLiteral("old.db"));
    QString err;
    ASSERT_TRUE(createSuiteDatabase(old, SchemaVariant::Old, &err)) << err.toStdString();
    QFile::remove(db);
    ASSERT_TRUE(QFile::rename(old, db));
    execSuiteSql(db, {
        "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, 'やすらぎ治療院')",
        "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 1, '佐藤')",
        riyousha(10101, "山田", "ヤマダ", "", "1", "2"),
        treatment(1, 10101, 1, "2024-04-09 09:00:00", "2024-04-09 09:30:00"),
    });
    iHasJissekiHoseUmu = 0;
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_TRUE(rec.messages.isEmpty()) << messageTexts().join(u'|').toStdString();
    EXPECT_EQ(csv(), csvBytes({line("2024/04", 10101, "山田", 1, 2, {{9, "佐藤"}}, 1)}));
}

TEST_F(ReportActualTable, AnUnusedSettingDoesNotStopTheTable)
{
    // ANBUN_FLG missing: the usual warning, then the table as always.
    writeMassage({QStringLiteral("ANBUN_FLG=-")});
    jisseki::vPrintJissekiHyo(0, window);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("システム設定ファイルに、指定の項目が見つかりません。\r[ANBUN_FLG]"));
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("警告！"));
    EXPECT_EQ(csv(), csvBytes({takahashi, mori, yamada}));
    EXPECT_EQ(rec.starts.size(), 1);

    // Not a number: no message at all.
    rec.clear();
    writeMassage({QStringLiteral("ANBUN_FLG=なし")});
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(rec.starts.size(), 1);
}

TEST_F(ReportActualTable, FailuresAreShownAndNothingIsStarted)
{
    const QString title = QStringLiteral("利用者別月間実績表印刷");
    // The viewer cannot start: shown as a failed hand-over.
    rec.startSucceeds = false;
    jisseki::vPrintJissekiHyo(0, window);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("帳票の印刷に失敗しました。\r[(53)ファイルが見つかりません。]"));
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(rec.messages[0].title, QString());

    // No temporary folder: the run-time error, then the output and print failures.
    rec.clear();
    rec.startSucceeds = true;
    QDir(inst.file(QStringLiteral("TMP"))).removeRecursively();
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(messageTexts(), (QList<QString>{QStringLiteral("(76)パスが見つかりません。"),
                                              QStringLiteral("データの出力に失敗しました。"),
                                              QStringLiteral("帳票の印刷に失敗しました。")}));
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(rec.messages[2].title, title);
    EXPECT_TRUE(rec.starts.isEmpty());

    // No connection file: the connection message with the loader's name.
    rec.clear();
    QDir().mkpath(inst.file(QStringLiteral("TMP")));
    QFile::remove(inst.file(QStringLiteral("adodb.ini")));
    jisseki::vPrintJissekiHyo(0, window);
    ASSERT_EQ(rec.messages.size(), 3);
    EXPECT_TRUE(rec.messages[0].text.startsWith(QStringLiteral("iGetJissekiData00() でエラー\r\n")));
    EXPECT_EQ(rec.messages[1].text, QStringLiteral("データの出力に失敗しました。"));
    EXPECT_EQ(rec.messages[2].text, QStringLiteral("帳票の印刷に失敗しました。"));
    EXPECT_TRUE(rec.starts.isEmpty());

    // A month input without a date: the conditions fail.
    rec.clear();
    window.month = QDate();
    jisseki::vPrintJissekiHyo(0, window);
    EXPECT_EQ(messageTexts(), (QList<QString>{QStringLiteral("(13)型が一致しません。"),
                                              QStringLiteral("印刷条件の取得に失敗しました。")}));
}

TEST(ReportStaffShortName, FamilyNameOrFirstThreeCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"佐藤　一郎", "佐藤"},       {"長谷川　花子", "長谷川"}, {"Abcdefgh Taro", "Abc"},
        {"A B　C", "A B"},            {"森", "森"},               {"", ""},
        {"勅使河原　蒼", "勅使河"},   {"𠮷野家太郎", "𠮷野家"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(jisseki::csStaffShortName(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
}

// --- schedule table ---

class ReportScheduleTable : public ReportTables {
protected:
    void SetUp() override
    {
        ReportTables::SetUp();
        execSuiteSql(db, {riyousha(20001, "青木", "アオキ", "2023-03-10 00:00:00", "1", "0"),
                          riyousha(20101, "伊藤", "イトウ", "2023-11-10 00:00:00", "1", "0"),
                          riyousha(20201, "上田", "ウエダ", "", "1", "0"),
                          riyousha(20301, "遠藤", "エンドウ", "2023-05-10 00:00:00", "2", "1"),
                          riyousha(20401, "岡田", "オカダ", "2023-05-10 00:00:00", "2", "1"),
                          riyousha(20501, "加藤", "カトウ", "2023-03-10 00:00:00", "1", "0")});
        window.month = QDate(2024, 5, 1);
        window.condition = 3;
    }
    void schedules(long user, int from, int to, int billing = 0, int staff = 1, int yyyymm = 202405)
    {
        QStringList sql;
        for (int d = from; d <= to; ++d)
            sql << QStringLiteral("INSERT INTO SCHEDULE (iKyotenCd, iKyotenEb, nScheduleNo, nIDRiyoushaNo, nIDStaffNo, "
                                  "nDate, iSeikyuKbn) VALUES (1, 3, %1, %2, %3, %4, %5)")
                       .arg(++m_no)
                       .arg(user)
                       .arg(staff)
                       .arg(yyyymm * 100 + d)
                       .arg(billing);
        execSuiteSql(db, sql);
    }
    QByteArray csv() const { return fileBytes(tmpFile(QStringLiteral("利用者別月間予定.csv"))); }
    FakeWindow window;
    int m_no = 0;
};

TEST_F(ReportScheduleTable, OneYearRuleInTheYearAndSixteenSelection)
{
    schedules(20001, 1, 20);  // first treatment 14 months ago: written
    schedules(20101, 1, 20);  // 6 months ago: not written
    schedules(20201, 1, 20);  // no first-treatment date: never written
    // Anniversary month (2024/05/10): 17 schedules of billing category 0 from that day on.
    schedules(20301, 1, 3);
    schedules(20301, 10, 26);
    // Only 15 of category 0 from the anniversary day on (one more of category 1).
    schedules(20401, 1, 5);
    schedules(20401, 10, 24);
    schedules(20401, 25, 25, 1);
    schedules(20501, 1, 15);  // a year past, but 15 in the month
    yotei::vPrintYoteiHyo(0, window);

    EXPECT_TRUE(rec.messages.isEmpty()) << messageTexts().join(u'|').toStdString();
    std::map<int, QString> endo = days(1, 3, "佐藤");
    for (const auto& [d, n] : days(10, 26, "佐藤"))
        endo[d] = n;
    EXPECT_EQ(csv(), csvBytes({line("2024/05", 20001, "青木", 1, 0, days(1, 20, "佐藤"), 20),
                               line("2024/05", 20301, "遠藤", 2, 1, endo, 20)}));
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(comLines(), (QStringList{
        QStringLiteral("FileName,\"") + inst.path() + QStringLiteral("/SYS/利用者別月間予定チェック表.wfd\""),
        QStringLiteral("Title,\"利用者別月間予定表印刷\""),
        QStringLiteral("SetDataText,\"利用者別月間予定\",\"") + tmpFile(QStringLiteral("利用者別月間予定.csv\"")),
        QStringLiteral("PrintPaper, A4"), QStringLiteral("ShowWindow,2")}));

    // Every user in the other selections; the first-treatment dates were read.
    window.condition = 4;
    yotei::vPrintYoteiHyo(1, window);
    ASSERT_EQ(yotei::state().records.size(), 6u);
    EXPECT_EQ(yotei::state().records[0].firstTreatment, QStringLiteral("2023/03/10"));
    EXPECT_EQ(yotei::state().records[2].firstTreatment, QString());
    EXPECT_EQ(splitLines(decodeCp932(csv())).size(), 7);
    EXPECT_EQ(comLines().last(), QStringLiteral("PrintOutFromDialog"));
}

TEST_F(ReportScheduleTable, DecemberAndEmptyMonth)
{
    window.condition = 4;
    schedules(20001, 30, 30, 0, 2, 202411);
    schedules(20001, 1, 1, 0, 1, 202412);
    schedules(20001, 31, 31, 0, 3, 202412);
    schedules(20001, 1, 1, 0, 1, 202501);
    window.month = QDate(2024, 12, 15);
    yotei::vPrintYoteiHyo(0, window);
    EXPECT_TRUE(yotei::yoteiQuery(window.month).contains(QStringLiteral("   AND SCHEDULE.nDate < 20241300")));
    EXPECT_EQ(csv(), csvBytes({line("2024/12", 20001, "青木", 1, 0, {{1, "佐藤"}, {31, "長谷川"}}, 2)}));

    rec.clear();
    window.month = QDate(2024, 6, 1);
    yotei::vPrintYoteiHyo(0, window);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("出力対象データが存在しません。"));
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("利用者別月間予定表印刷"));
    EXPECT_TRUE(rec.starts.isEmpty());
}

TEST_F(ReportScheduleTable, BranchSharingReadsTheSharedView)
{
    // The shared view shows another branch's schedules as this branch's.
    execSuiteSql(db, {
        "DROP VIEW SCHEDULE_JOIN",
        "CREATE VIEW SCHEDULE_JOIN AS SELECT 1 AS iKyotenCd, 3 AS iKyotenEb, nScheduleNo, nIDRiyoushaNo, nIDStaffNo, "
        "nDate, iSeikyuKbn, iHoseUmu, nLenFix FROM SCHEDULE WHERE iKyotenCd = 1 AND iKyotenEb = 4",
        "INSERT INTO SCHEDULE (iKyotenCd, iKyotenEb, nScheduleNo, nIDRiyoushaNo, nIDStaffNo, nDate, iSeikyuKbn) VALUES (1, 4, 900, 20101, 2, 20240507, 0)",
    });
    schedules(20001, 2, 2);
    window.condition = 4;

    yotei::vPrintYoteiHyo(0, window); // no setting: SCHEDULE, no warning
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(yotei::state().branchSharing, 0);
    EXPECT_EQ(csv(), csvBytes({line("2024/05", 20001, "青木", 1, 0, {{2, "佐藤"}}, 1)}));

    writeMassage({QStringLiteral("施術者拠点間共有=1")});
    yotei::vPrintYoteiHyo(0, window);
    EXPECT_EQ(yotei::state().branchSharing, 1);
    EXPECT_EQ(csv(), csvBytes({line("2024/05", 20101, "伊藤", 1, 0, {{7, "Abc"}}, 1)}));

    writeMassage({QStringLiteral("施術者拠点間共有=0")});
    yotei::vPrintYoteiHyo(0, window);
    EXPECT_EQ(yotei::state().branchSharing, 0);
    EXPECT_TRUE(rec.messages.isEmpty());

    writeMassage({QStringLiteral("施術者拠点間共有=する")});
    yotei::vPrintYoteiHyo(0, window);
    EXPECT_EQ(messageTexts(), (QList<QString>{QStringLiteral("(13)型が一致しません。"),
                                              QStringLiteral("印刷条件の取得に失敗しました。")}));
    EXPECT_EQ(rec.messages[1].title, QStringLiteral("利用者別月間予定表印刷"));
    EXPECT_EQ(rec.starts.size(), 3);
}

} // namespace
