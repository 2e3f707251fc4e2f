// The continuation form and the treatment plan on fixture databases: CSV bytes, the records'
// rules (entries, format output, anniversary counts, consent records, injury codes, eras, past
// months), every message, and the hand-off to the viewer.
#include "reports/over16_print.h"

#include "base/text_file.h"
#include "db/table_checks.h"
#include "mainwindow/target_list.h"
#include "support/list_fixture.h"
#include "support/recorded_messages.h"
#include "support/report_window.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <tuple>

namespace {

namespace form = modPrintOver16Count;

// The list of the window: every listed user ticked but those of `unticked`.
struct FakeWindow : ReportWindow {
    FakeWindow() : ReportWindow(QDate(2024, 5, 20), 3) { }
    QVariant gridValue(int row, int col) const override
    {
        return col == 1 && unticked.contains(listed.value(row - 1)) ? QVariant(0) : ReportWindow::gridValue(row, col);
    }
    bool countWholeAnniversaryMonth() const override { return wholeMonth; }
    QList<QVariant> unticked;
    bool wholeMonth = false;
};

const QString kFormCsv = "継続理由・状況記入書.csv";
const QString kPlanCsv = "施術計画書.csv";
const QString kTitle = "継続理由・状況記入書";
const QString kNothing = "出力対象データがありませんでした。";
const QString kEnterReasons = kNothing + QStringLiteral("\n継続理由を入力してください。");
const QString kOutputFailed = "データの出力に失敗しました。";
const QString kPrintFailed = "帳票の印刷に失敗しました。";

// The header lines written out by hand: the form's 54 columns, the plan's 41.
const QString kHead =
    "\"i枠線表示\",\"拠点番号\",\"拠点枝番\",\"利用者コード\",\"施術年\",\"施術月\",\"施術年月日\",\"施術区分\",\"施術回数\","
    "\"利用者名\",\"生年月日\",\"生年月日元号\",\"初療年月日\",\"初療年月日元号\",\"麻痺\",\"拘縮\",\"症状その他\",\"症状その他文章\"";
const QString kEvaluation =
    ",\"寝返り\",\"起き上がり\",\"座位\",\"立ち上がり\",\"立位\",\"NRS\",\"前回評価有無\",\"前回変化\",\"理由\",\"評価日\","
    "\"施術者コード\",\"施術者名\",\"証明日\"";
const QString kTail =
    ",\"マッサージ傷病名\",\"施術部位1\",\"施術部位2\",\"施術部位3\",\"施術部位4\",\"施術部位5\",\"はり\",\"きゅう\","
    "\"はりきゅう電気\",\"鍼灸傷病名01\",\"鍼灸傷病名02\",\"鍼灸傷病名03\",\"鍼灸傷病名04\",\"鍼灸傷病名05\",\"鍼灸傷病名06\","
    "\"鍼灸傷病名07\",\"鍼灸傷病名文章\",\"フォーマット印刷\",\"過去16回以上施術月1\",\"過去16回以上施術月2\",\"過去16回以上施術月3\","
    "\"過去16回以上施術月4\",\"過去16回以上施術月5\"";

// A frequency-table entry of the 24 months ending with the given month, counts as "yyyymm=n ...".
HinkaiRecord hinkai(long userNo, const char* counts, QDate last = QDate(2024, 5, 1))
{
    HinkaiRecord e;
    e.userNo = userNo;
    for (int k = 0; k < 24; ++k)
        e.months[static_cast<size_t>(k)] = last.addMonths(k - 23).toString("yyyyMM");
    for (const QString& c : QString::fromLatin1(counts).split(u' ', Qt::SkipEmptyParts)) {
        const auto at = std::find(e.months.begin(), e.months.end(), c.section(u'=', 0, 0));
        e.counts[static_cast<size_t>(at - e.months.begin())] = c.section(u'=', 1).toShort();
    }
    return e;
}

class Over16Print : public ListFixture {
protected:
    void SetUp() override
    {
        form::resetPrintConditions();
        gHinkaiList.clear();
        gHinkaiCount = 0;
        addStaff(5, "佐藤　一郎");
    }
    void seedDocuments() const
    {
        sql({"INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, tBirthDay, tSyoryoDay, "
             "iSejutsuKubun, cByoumei, iMahi, iKoushuku) VALUES "
             "(1, 3, 10101, '山田　太郎', 'ヤマダ', '1940-04-01 00:00:00', '2020-01-10 00:00:00', 0, '腰痛症', 1, 0), "
             "(1, 3, 10201, '鈴木　表示', 'スズキ', '1989-01-07 00:00:00', '1989-01-08 00:00:00', 1, NULL, NULL, NULL), "
             "(1, 3, 10301, '阿部　次郎', 'アベ', NULL, '2020-01-10 00:00:00', 0, NULL, 0, 0)",
             "INSERT INTO RIYOUSHA_SUB (iKyotenCd, iKyotenEb, nIDNo, iSyoujouSonota, cSyoujouSonota) "
             "VALUES (1, 3, 10101, 1, 'しびれ')",
             "INSERT INTO RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
             "cByoumeiM, iHKSyobyou01Flg, cByoumeiH) VALUES (1, 3, 10101, 20240401, '2024-04-01 00:00:00', 0, "
             "'変形性膝関節症', 0, '')",
             "INSERT INTO OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNegaeri, iOkiagari, "
             "iZai, iTachiagari, iRitsui, iNRS, iZenkaiHyoukaUmu, iZenkaiHyoukaHenaka, cRiyuu, cHyoukaDay, "
             "nStaffID, cSyoumeiDay) VALUES (1, 3, 10101, 2024, 5, 1, 2, 0, 1, 2, 0, 0, 3, "
             "'歩行時に\"ふらつき\",転倒の危険。' || char(13) || char(10) || '家族の負担' || char(10) || 'ソ\"', '2024/05/20', 5, "
             "'2024/05/31')"});
        addMonth(10101, 2024, 5, 18);
        addMonth(10201, 2024, 5, 20);
        // May's treatments of 10101: areas 1 (left arm) and 3 coded 2 (deformity correction).
        addJissekiDays(10101, QDate(2024, 5, 2), 3, 5);
        sql({"UPDATE JISSEKI SET iSejutuBui1 = 1 WHERE nJissekiNo = 1",
             "UPDATE JISSEKI SET iSejutuBui3 = 2 WHERE nJissekiNo = 3"});
    }
    QByteArray tmpFile(const QString& name) const { return inst.readBytes(QStringLiteral("TMP/") + name); }
    QString com() const { return decodeCp932(inst.readBytes("TMP/WfdCom.dat")); }
    // The command file written for a layout of SYS and the document's CSV of TMP, ending with the output line.
    QString comFor(const QString& layout, const QString& title, const QString& output) const
    {
        return QStringLiteral("FileName,\"%1/SYS/%2\"\r\nTitle,\"%3\"\r\nSetDataText,\"%3\",\"%1/TMP/%3.csv\"\r\n"
                              "PrintPaper, A4\r\n%4\r\n")
            .arg(inst.path(), layout, title, output);
    }
    // The data records of a CSV, read as the viewer reads them: a quoted field ends at a quote
    // followed by a comma or a line end; the quotes are dropped.
    QList<QStringList> records(const QString& name = kFormCsv) const
    {
        static const QRegularExpression field(QStringLiteral(R"re((?:"((?s).*?)"|([^,\r\n]*))(,|\r\n))re"));
        const QString t = decodeCp932(tmpFile(name));
        QList<QStringList> out{{}};
        for (auto it = field.globalMatch(t, t.indexOf("\r\n") + 2); it.hasNext();) {
            const auto m = it.next();
            out.last() << (m.hasCaptured(1) ? m.captured(1) : m.captured(2));
            if (m.captured(3) == u"\r\n")
                out.append(QStringList());
        }
        out.removeLast(); // after the last line end
        return out;
    }
    // Columns from..to (1-based) of every record, joined by commas.
    QStringList columns(int from, int to, const QString& name = kFormCsv) const
    {
        QStringList out;
        for (const QStringList& r : records(name))
            out << r.mid(from - 1, to - from + 1).join(u',');
        return out;
    }
    QStringList column(int c, const QString& name = kFormCsv) const { return columns(c, c, name); }

    FakeWindow window;
};

// Both documents through either driver: the whole files, byte for byte.
class Over16PrintBytes : public Over16Print, public ::testing::WithParamInterface<bool> { };

TEST_P(Over16PrintBytes, FormAndPlanFilesAsTheViewerReadsThem)
{
    if (GetParam())
        connectThroughOdbc();
    seedDocuments();
    gHinkaiList = {hinkai(10101, "202405=18 202402=16 202311=20 202310=15")};
    gHinkaiCount = 1;
    window.listed = {10101, 10201, 10401, 10301};
    window.unticked = {10301}; // listed, not ticked

    form::vPrintKeizokuRiyuu(0, 1, 1, window, 0);
    expectSaid(rec, {});
    const QString yamadaHead = "1,1,3,10101,2024,5,\"2024/05/01\",0,18,\"山田　太郎\",\"1940/04/01\",3,"
                               "\"2020/01/10\",5,1,0,1,\"しびれ\"";
    // A quote before a comma or a line end would end the field for the viewer: it is written "＂".
    const QString yamadaEvaluation = ",1,2,0,1,2,0,0,3,\"歩行時に\"ふらつき＂,転倒の危険。\r\n家族の負担\nソ\"\","
                                     "\"2024/05/20\",\"5\",\"佐藤　一郎\",\"2024/05/31\"";
    const QString yamadaTail = ",\"変形性膝関節症\",1,0,2,0,0,0,0,0,0,0,0,0,0,0,0,\"\",0,\"2024/05\",\"2024/02\","
                               "\"2023/11\",\"\",\"\"";
    // Only 10101 has an entry for the month; 10401 has no totals at all.
    EXPECT_EQ(tmpFile(kFormCsv), cp932Lines({kHead + kEvaluation + kTail, yamadaHead + yamadaEvaluation + yamadaTail}));
    EXPECT_EQ(com(), comFor("継続理由・状況記入書_R03.wfd", kTitle, "ShowWindow,2"));
    // The viewer started on the command file, as the viewer's hand-off runs it.
    const auto started = [&] { return std::pair(rec.starts.value(0).program, rec.starts.value(0).args); };
    const auto viewer = std::pair(QStringLiteral("wfrfv10.exe"), QStringList{"/c", inst.file("TMP/WfdCom.dat")});
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(started(), viewer);
    EXPECT_TRUE(rec.maxBusyDepth >= 1 && rec.busyDepth == 0);
    // The older layout reads the very same file.
    const QByteArray r03 = tmpFile(kFormCsv);
    form::vPrintKeizokuRiyuu(0, 1, 0, window, 0);
    EXPECT_EQ(tmpFile(kFormCsv), r03);
    EXPECT_EQ(com(), comFor("継続理由・状況記入書.wfd", kTitle, "ShowWindow,2"));

    // The plan: every ticked user with totals, entry or not; the past months of the last form run.
    rec.clear();
    form::vPrintKeikakusyo(1, window, 0);
    expectSaid(rec, {});
    EXPECT_EQ(started(), viewer);
    const QString suzuki = "1,1,3,10201,2024,5,\"2024/05/01\",1,20,\"鈴木　表示\",\"1989/01/07\",3,\"1989/01/08\",4,"
                           "0,0,0,\"\",\"\",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,\"\",0,\"\",\"\",\"\",\"\",\"\"";
    EXPECT_EQ(tmpFile(kPlanCsv), cp932Lines({kHead + kTail, yamadaHead + yamadaTail, suzuki}));
    const QString plan = "施術計画書";
    EXPECT_EQ(com(), comFor(plan + QStringLiteral(".wfd"), plan, "PrintOutFromDialog"));
}

INSTANTIATE_TEST_SUITE_P(Drivers, Over16PrintBytes, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Odbc" : "Embedded"); });

// The layouts name the columns of the headers the files are written with.
TEST_F(Over16Print, HeadersMatchTheLayoutsColumns)
{
    const QString layouts = QStringLiteral(MONTHLY_SOURCE_DIR "/layouts/");
    for (const auto& [layout, header] :
         {std::pair{QStringLiteral("継続理由・状況記入書.wfd"), kHead + kEvaluation + kTail},
          std::pair{QStringLiteral("継続理由・状況記入書_R03.wfd"), kHead + kEvaluation + kTail},
          std::pair{QStringLiteral("施術計画書.wfd"), kHead + kTail}}) {
        QFile f(layouts + layout);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << layout.toStdString();
        QStringList columns;
        for (const auto& c : QJsonDocument::fromJson(f.readAll()).object().value("columns").toArray())
            columns << u'"' + c.toString() + u'"';
        EXPECT_EQ(columns.join(u','), header) << layout.toStdString();
    }
}

TEST_F(Over16Print, FormatOutputPrintsEveryTickedUserBlank)
{
    seedDocuments();
    window.listed = {10201, 10101};
    form::vPrintKeizokuRiyuu(0, 0, 0, window, 1);
    EXPECT_TRUE(rec.messages.isEmpty());
    // Order: branch, sub-number, user ID; count 0; the evaluation -1, its texts empty; format 1.
    EXPECT_EQ(columns(1, 9), (QStringList{"1,1,3,10101,2024,5,2024/05/01,0,0", "1,1,3,10201,2024,5,2024/05/01,1,0"}));
    EXPECT_EQ(columns(18, 32).value(1), ",-1,-1,-1,-1,-1,-1,-1,-1,,,-1,,,");
    EXPECT_EQ(column(49), (QStringList{"1", "1"}));
}

TEST_F(Over16Print, AnniversaryMonthCountsFromTheAnniversaryDay)
{
    addUser({20001, "青木", "アオキ", 0, QString(), "2020-03-10"});
    addUser({20101, "伊藤", "イトウ", 0, QString(), "2020-02-29"});
    for (long id : {20001L, 20101L})
        for (int m : {2, 3, 4})
            addMonth(id, 2021, m, 25);
    for (long id : {20001L, 20101L})
        addOver16(id, 2021, 2), addOver16(id, 2021, 3), addOver16(id, 2021, 4);
    // 20001 in March 2021: the 9th and April 1st are outside; a billing category 1 and a
    // returned record do not count; the 10th at midnight and the 31st late do.
    addJisseki(20001, QDateTime(QDate(2021, 3, 9), QTime(23, 59)), 5);
    addJisseki(20001, QDateTime(QDate(2021, 3, 10), QTime(0, 0)), 5);
    addJissekiDays(20001, QDate(2021, 3, 15), 5, 5);
    addJisseki(20001, QDateTime(QDate(2021, 3, 31), QTime(23, 30)), 5);
    addJisseki(20001, QDateTime(QDate(2021, 4, 1), QTime(0, 0)), 5);
    addJisseki(20001, QDateTime(QDate(2021, 3, 20), QTime(9, 0)), 5, 1);
    addJisseki(20001, QDateTime(QDate(2021, 3, 21), QTime(9, 0)), 5);
    sql({"UPDATE JISSEKI SET iDelFlg_Henrei = 1 WHERE tServicyDayStart = '2021-03-21 09:00:00'"});
    // 20101, first treated on 29 February: the anniversary day is 28 February.
    addJisseki(20101, QDateTime(QDate(2021, 2, 27), QTime(10, 0)), 5);
    addJisseki(20101, QDateTime(QDate(2021, 2, 28), QTime(10, 0)), 5);

    // Month, whole month counted, the counts of 20001 and 20101.
    for (const auto& [month, whole, counts] : {std::tuple{3, false, "7,25"}, std::tuple{3, true, "25,25"},
                                               std::tuple{4, false, "25,25"}, std::tuple{2, false, "25,1"}}) {
        rec.clear();
        window.month = QDate(2021, month, 1);
        window.wholeMonth = whole;
        window.listed = {20001, 20101};
        form::vPrintKeizokuRiyuu(0, 0, 1, window, 0);
        expectSaid(rec, {});
        EXPECT_EQ(column(9).join(u','), counts) << "month " << month << " whole " << whole;
        // The plan follows the same count option.
        form::vPrintKeikakusyo(0, window, 0);
        EXPECT_EQ(column(9, kPlanCsv).join(u','), counts);
    }
}

TEST_F(Over16Print, InjuryNamesFromConsentRecordsOrTheUserMaster)
{
    // The consent table: the latest nDate wins even when its period started earlier; a period
    // starting on the first of the next month is ignored; an empty massage name falls back.
    for (long id : {30101L, 30201L, 30301L})
        addUser({id, QStringLiteral("利用者%1").arg(id), "カナ", 1, QString(), "2019-01-10", 0, 0, "マスタの傷病名"});
    sql({"INSERT INTO RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, iHenkeiFlg, "
         "cByoumeiM, iHKSyobyou01Flg, iHKSyobyou05Flg, iHKSyobyou07Flg, cByoumeiH) VALUES "
         "(1, 3, 30101, 20240301, '2024-02-01 00:00:00', 0, '新しい方', 1, 1, 1, 'その他の傷病'), "
         "(1, 3, 30101, 20240201, '2024-04-01 00:00:00', 0, '古い方', 0, 0, 0, ''), "
         "(1, 3, 30101, 20240501, '2024-06-01 00:00:00', 0, '来月から', 0, 0, 0, ''), "
         "(1, 3, 30101, 20240601, '2024-05-01 00:00:00', 1, '差し替え済み', 0, 0, 0, ''), "
         "(1, 3, 30201, 20240101, '2024-05-31 00:00:00', 0, '', 0, 1, 0, '')"});
    for (long id : {30101L, 30201L, 30301L})
        addMonth(id, 2024, 5, 16), addOver16(id, 2024, 5);
    window.listed = {30101, 30201, 30301};
    form::vPrintKeizokuRiyuu(0, 0, 0, window, 0);
    expectSaid(rec, {});
    EXPECT_EQ(column(32), (QStringList{"新しい方", "マスタの傷病名", "マスタの傷病名"}));
    // The acupuncture flags 01-07 and text; the last user has no consent record: no flag at all,
    // even though the user master has a name.
    EXPECT_EQ(columns(41, 48), (QStringList{"1,0,0,0,1,0,1,その他の傷病", "0,0,0,0,1,0,0,", "0,0,0,0,0,0,0,"}));
}

TEST_F(Over16Print, AcupunctureCodesOfOlderDatabasesAndEraCodesOfTheDates)
{
    createDatabase(SchemaVariant::Old);
    addStaff(5, "佐藤　一郎");
    // Users 40101, 40201, …: their acupuncture code, the flags 01..07 and text it gives; their birth
    // date (NULL: none) and that date and era as printed.
    const std::tuple<int, const char*, const char*, const char*> cases[] = {
        {1, "0,0,0,0,0,0,1,その他名", "1989-01-07", "1989/01/07,3"},
        {4, "0,0,1,0,0,0,0,", "1989-01-08", "1989/01/08,4"},
        {0, "0,0,0,0,0,0,0,", "2019-04-30", "2019/04/30,4"},
        {8, "0,0,0,0,0,0,0,", "2019-05-01", "2019/05/01,5"},
        {0, "0,0,0,0,0,0,0,", "NULL", ",0"}};
    QStringList injuries, dates;
    long id = 40101;
    for (const auto& [code, flags, birth, date] : cases) {
        const QString b = QString::fromLatin1(birth);
        sql({QStringLiteral("INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, tBirthDay, tSyoryoDay, "
                            "iSejutsuKubun, cByoumei, nHKSyobyouCd, cHKSyobyouName) VALUES (1, 3, %1, '鍼灸の人', %2, "
                            "NULL, 1, '神経痛', %3, 'その他名')")
                 .arg(id)
                 .arg(b == u"NULL" ? b : QStringLiteral("'%1 00:00:00'").arg(b))
                 .arg(code)});
        addMonth(id, 2024, 5, 16);
        addOver16(id, 2024, 5);
        window.listed.append(qlonglong(id));
        id += 100;
        injuries << QStringLiteral("神経痛,0,0,0,0,0,0,0,0,") + QString::fromUtf8(flags);
        dates << QString::fromLatin1(date) + QStringLiteral(",,0"); // no first treatment: empty, era 0
    }
    sql({"UPDATE OVER16COUNT SET iMahi = 1, iKoushuku = 0, iSyoujouSonota = 1, cSyoujouSonota = '月ごとの症状'"});
    form::vPrintKeizokuRiyuu(0, 0, 0, window, 0);
    expectSaid(rec, {});
    // The massage injury, areas and kinds, the acupuncture flags; the symptoms of the month's entry.
    EXPECT_EQ(columns(32, 48), injuries);
    EXPECT_EQ(columns(15, 18), QStringList(5, "1,0,1,月ごとの症状"));
    EXPECT_EQ(columns(11, 14), dates);
    // The plan runs on such a database too, with the month's symptoms as the form has them.
    form::vPrintKeikakusyo(0, window, 0);
    expectSaid(rec, {});
    EXPECT_EQ(columns(15, 19, kPlanCsv), QStringList(5, "1,0,1,月ごとの症状,神経痛"));
}

TEST_F(Over16Print, PastMonthsOfSixteenOrMoreTreatments)
{
    seedDocuments();
    window.listed = {10101};
    gHinkaiList = {hinkai(99999, ""),
                   hinkai(10101, "202405=16 202403=30 202401=16 202310=17 202305=16 202304=15 202212=20 202206=19"),
                   hinkai(10101, "202405=99")};
    gHinkaiCount = 3;
    const QStringList newest{"2024/05,2024/03,2024/01,2023/10,2023/05"}, none{",,,,"};
    // Seven months of 16 or more: the five newest, newest first; 15 does not count; the first
    // entry of the user is the one read.
    form::vPrintKeizokuRiyuu(0, 1, 1, window, 0);
    EXPECT_EQ(columns(50, 54), newest);
    form::vPrintKeizokuRiyuu(0, 0, 1, window, 0);
    EXPECT_EQ(columns(50, 54), none);
    // The plan keeps the flag of the last form run (of a run with the flag: the files' test).
    form::vPrintKeikakusyo(0, window, 0);
    EXPECT_EQ(columns(37, 41, kPlanCsv), none);
    // A table built for another month (a failed extraction since) gives no past months.
    gHinkaiList = {hinkai(10101, "202404=20", QDate(2024, 4, 1))};
    gHinkaiCount = 1;
    form::vPrintKeizokuRiyuu(0, 1, 1, window, 0);
    EXPECT_EQ(columns(50, 54), none);
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(Over16Print, EveryFailureHasItsMessage)
{
    seedDocuments();
    const auto titled = [](const QString& text) { return Said{text, MsgIcon::Information, kTitle}; };
    const Said nothing = titled(kNothing), enterReasons = titled(kEnterReasons), outputFailed = titled(kOutputFailed),
               printFailed = titled(kPrintFailed);
    auto run = [&](auto&& prepare, const QList<Said>& want, const char* what) {
        SCOPED_TRACE(what);
        rec.clear();
        window.listed = {10101};
        prepare();
        form::vPrintKeizokuRiyuu(0, 0, 1, window, 0);
        expectSaid(rec, want);
        EXPECT_EQ(rec.busyDepth, 0);
    };

    run([&] { window.month = QDate(); },
        {{"(13)型が一致しません。", MsgIcon::None, ""}, titled("印刷条件の取得に失敗しました。")}, "no month");
    window.month = QDate(2024, 5, 1);
    run([&] { window.unticked = {10101}; }, {nothing}, "nobody ticked");
    window.unticked.clear();
    // Without an entry the form would be empty: no file, no viewer.
    run([&] { window.listed = {10201}; }, {enterReasons}, "no entry");
    EXPECT_TRUE(tmpFile(kFormCsv).isEmpty() && rec.starts.isEmpty());
    run([&] { inst.writeAdodbIni("Provider=SQLite;Data Source=nosuch.db"); },
        {{"iGetJissekiData() でエラー\r\n…", MsgIcon::Critical, ""}, enterReasons}, "no connection");
    inst.useSqliteDatabase();
    rec.startSucceeds = false;
    run([] {}, {{kPrintFailed + QStringLiteral("\r[(53)ファイルが見つかりません。]"), MsgIcon::Critical, ""}},
        "no viewer");
    rec.startSucceeds = true;
    QDir(inst.file("TMP")).removeRecursively();
    run([] {}, {{"(76)パスが見つかりません。", MsgIcon::None, ""}, outputFailed, printFailed}, "no TMP folder");
    QDir().mkpath(inst.file("TMP"));
    // A first-treatment date that is no date stops the load.
    sql({"UPDATE RIYOUSHA SET tSyoryoDay = 'いつか' WHERE nIDNo = 10101"});
    run([] {}, {{"Error : 型が一致しません。", MsgIcon::Critical, ""}, outputFailed, printFailed}, "bad date");
    sql({"UPDATE RIYOUSHA SET tSyoryoDay = '2020-01-10 00:00:00' WHERE nIDNo = 10101"});
    // The consent records cannot be read: the master's injury name, and the form still prints.
    sql({"DROP TABLE RIYOUSHA_DOUI_REC"});
    run([] {}, {{"getDouiRecord() でエラー\r\n…", MsgIcon::Critical, ""}}, "consent records");
    EXPECT_EQ(column(32), QStringList{"腰痛症"});
    // The areas cannot be read: the form would print invented areas, so the run fails.
    sql({"DROP TABLE JISSEKI"});
    iHasDouiRec = 0;
    run([] {}, {{"csInpKey_Isi() でエラー\r\n…", MsgIcon::Critical, ""}, outputFailed, printFailed}, "areas");
    // The query itself fails.
    sql({"DROP TABLE RIYOUSHA_SUB"});
    run([] {}, {{"iGetJissekiData() でエラー\r\n…", MsgIcon::Critical, ""}, nothing}, "query");
    // The plan's messages carry the form's title too.
    rec.clear();
    form::vPrintKeikakusyo(0, window, 0);
    expectSaid(rec, {{"iGetKeikakuData() でエラー\r\n…", MsgIcon::Critical, ""}, nothing});
    EXPECT_EQ(rec.busyDepth, 0);
}

TEST_F(Over16Print, LookupsKeepTheirOwnResults)
{
    seedDocuments();
    // (What the per-user reads give: compared with the form's records on a generated branch below.)
    form::Over16PrintRec rec16;
    EXPECT_EQ(form::iGetKaisuAfterDay(10101, "2024/05/03"), 2);
    sql({"DROP TABLE JISSEKI"});
    EXPECT_EQ(form::iGetKaisuAfterDay(10101, "2024/05/03"), 1); // the designed result of a failure
    EXPECT_EQ(form::iGetSejutuBui(10101, "2024/05/01", rec16), 1);
    EXPECT_EQ(form::getDouiRecord(10101, "いつか", rec16), -1);
    expectSaid(
        rec,
        {{"csInpKey_Isi() でエラー\r\n…"},
         {"csInpKey_Isi() でエラー\r\n…"},
         {"getDouiRecord()でエラー\r\n13  (型が一致しません。)", std::nullopt, "同意履歴テーブルより、情報取得"}});
}

// The month's areas and consent records are read for all ticked users at once; on a generated
// branch every record must hold what the per-user routines give.
TEST_F(Over16Print, OneReadForAllUsersGivesEachUsersOwnValues)
{
    QFile::remove(db);
    ASSERT_EQ(QProcess::execute(QStringLiteral(DEMO_DATA_BIN), {"--out", db, "--users", "40", "--today", "2024-06-15"}),
              0);
    ASSERT_EQ(iChkOver16Count() + iChkDouiRec() + iChkHKSyobyou07Flg() + iChkSyoujouSonota() + iChkJissekiField(), 0);
    window.month = QDate(2024, 6, 1);
    for (const QString& id : queryFile(db,
                                       "SELECT 患者IDNo FROM 月間実績 WHERE 実績年 = 2024 AND "
                                       "実績月 = 6 AND iKyotenCd = 1 AND iKyotenEb = 3"))
        window.listed.append(id.toLongLong());
    ASSERT_GT(window.listed.size(), 20);

    form::vPrintKeikakusyo(0, window, 0);
    ASSERT_TRUE(rec.messages.isEmpty()) << messageTexts(rec).join(u'|').toStdString();
    const auto& records = form::printConditions().records;
    ASSERT_EQ(records.size(), static_cast<size_t>(window.listed.size()));
    int withConsent = 0, withAreas = 0;
    for (const auto& r : records) {
        form::Over16PrintRec own;
        ASSERT_EQ(form::iGetSejutuBui(r.userId, r.monthStart, own), 0);
        EXPECT_EQ(r.iSejutuBui, own.iSejutuBui) << r.userId;
        EXPECT_EQ(std::tie(r.iHariUmu, r.iKyuuUmu, r.iDenkiHariKyuuUmu),
                  std::tie(own.iHariUmu, own.iKyuuUmu, own.iDenkiHariKyuuUmu))
            << r.userId;
        withAreas += own.iSejutuBui != std::array<short, 5>{} || own.iHariUmu != 0;
        if (form::getDouiRecord(r.userId, r.monthStart, own) == 0) {
            ++withConsent;
            if (!own.massageInjury.isEmpty()) {
                EXPECT_EQ(r.massageInjury, own.massageInjury) << r.userId;
            }
            EXPECT_EQ(r.acupunctureFlags, own.acupunctureFlags) << r.userId;
            EXPECT_EQ(r.acupunctureInjury, own.acupunctureInjury) << r.userId;
        } else {
            EXPECT_EQ(r.acupunctureFlags, (std::array<short, 7>{})) << r.userId;
        }
    }
    EXPECT_GT(withConsent, 5);
    EXPECT_GT(withAreas, 5);
}

} // namespace
