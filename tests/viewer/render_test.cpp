// The five layouts rendered to PDF from sample CSV files, and what bad input gives.
#include "viewer_job.h"
#include "viewer_test_util.h"

#include "base/text_file.h"
#include "reports/csv_writer.h"
#include "support/program_run.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <gtest/gtest.h>
#include <span>

namespace {

class ViewerRun : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString pdf() const { return path("out.pdf"); }
    QString messages; // what the last run wrote to standard error

    // Runs the viewer in-process without a window; returns the exit code.
    int run(const QStringList& args)
    {
        messages.clear();
        QTextStream s(&messages);
        return runWithoutWindow(parseViewerArguments(args), s);
    }
    // Writes WfdCom.dat and renders it to out.pdf (or the PDF given).
    int render(const QStringList& commands, const QString& pdfPath = {})
    {
        writeCp932Lines(path("WfdCom.dat"), commands);
        return run({"--pdf", pdfPath.isEmpty() ? pdf() : pdfPath, "/c", path("WfdCom.dat")});
    }
    // Renders a layout with the first record of its sample CSV, once per page, each copy
    // changed as given; the CSV written as the program writes it.
    int renderSample(const QString& layout, const QString& data, const QList<QHash<QString, QString>>& pages)
    {
        CsvTable sample;
        QString error;
        EXPECT_TRUE(buildCsvTable(decodeText(fileBytes(viewerDataDir() + data + ".csv")), CsvOptions(), true, {},
                                  &sample, &error));
        CsvWriter csv;
        EXPECT_TRUE(csv.open(path("d.csv")));
        csv.header(sample.columns);
        for (const auto& changes : pages) {
            CsvRow row;
            for (const QString& column : sample.columns)
                row.text(changes.value(column, sample.value(0, column)));
            csv.row(row);
        }
        EXPECT_TRUE(csv.close());
        return render(previewCommands(layoutsDir() + layout, "題", data, path("d.csv")));
    }
};

// Whether a box of a page image (mm) holds ink inside its frame.
bool inked(const QImage& page, const QRectF& boxMm, int dpi)
{
    const QRectF inside = boxMm.adjusted(0.6, 0.6, -0.6, -0.6);
    int dark = 0;
    for (int y = qCeil(inside.top() * dpi / 25.4); y < inside.bottom() * dpi / 25.4; ++y)
        for (int x = qCeil(inside.left() * dpi / 25.4); x < inside.right() * dpi / 25.4; ++x)
            dark += qGray(page.pixel(x, y)) < 128;
    return dark >= 3;
}

// The layouts of the continuation forms and the plan with their sample data.
const std::pair<QString, QString> kDocuments[] = {{"継続理由・状況記入書.wfd", "継続理由・状況記入書"},
                                                  {"継続理由・状況記入書_R03.wfd", "継続理由・状況記入書"},
                                                  {"施術計画書.wfd", "施術計画書"}};

} // namespace

TEST_F(ViewerRun, TheFiveLayoutsAsPdf)
{
    // "<page>:<text>" separated by "|": the text is on that page ("*": on every page); "-<page>:<text>": it is
    // not. Compared without white space (texts drawn cell by cell come out spaced).
    const QString continuation = "1:継続理由・状況記入書|1:令和6年4月分|1:佐藤 一郎|1:脳梗塞後遺症|1:山田 太郎|"
                                 "1:利用者の状態の評価(マッサージ)|1:歩行時に\"ふらつき\"があり|"
                                 "1:(症状、経過及び初療の日から1年以上経過して、月16回以上の施術が必要な理由)|"
                                 "2:利用者の状態の評価(はり・きゅう)|2:坐骨神経痛|2:今感じている痛みの点数を患者に聞き|"
                                 "-1:今感じている痛みの点数を患者に聞き|-2:寝返り|3:髙橋 健太|";
    // The CSV is tests/viewer/data/<data>.csv.
    // The layout, the data, the pages, the texts.
    const std::tuple<QString, QString, int, QString> samples[] = {
        // 26 users a page, the header on every page.
        {"利用者別月間実績チェック表.wfd", "利用者別月間実績", 2,
         "*:利用者別月間実績チェック表|*:拠点名:ほっと訪問マッサージ～東京|*:対象年月:令和6年4月分 出力日時:2024/05/02 9:05|"
         "1:1 / 2 ページ|2:2 / 2 ページ|1:10101 佐藤 一郎 マッサ|1:ｽﾐｽ|1:髙橋|1:鍼灸|1:12601|-2:12601|2:12701|-1:12701"},
        {"利用者別月間予定チェック表.wfd", "利用者別月間予定", 1,
         "1:利用者別月間予定チェック表|1:対象年月:令和6年5月分|1:予定 利用者3|1:1 / 1 ページ"},
        // Only the R03 layout lists the past months with 16 or more treatments.
        {"継続理由・状況記入書.wfd", "継続理由・状況記入書", 3, continuation + "-1:施術を行った月|-1:令和5年11月"},
        {"継続理由・状況記入書_R03.wfd", "継続理由・状況記入書", 3, continuation + "1:施術を行った月|1:令和5年11月"},
        {"施術計画書.wfd", "施術計画書", 2,
         "1:頻回な施術を必要とした詳細な理由及び今後の施術計画書|1:佐藤 一郎|1:令和6年4月|1:令和6年2月|1:今後の施術計画|"
         "2:鈴木 花子"},
    };
    for (const auto& [layout, data, pageCount, expect] : samples) {
        SCOPED_TRACE(layout.toStdString());
        ASSERT_EQ(render(previewCommands(layoutsDir() + layout, "題", data, viewerDataDir() + data + ".csv")), ExitOk);
        ASSERT_EQ(pdfPageCount(pdf()), pageCount);
        const QList<double> sizes = pdfTextSizes(pdf());
        ASSERT_FALSE(sizes.isEmpty());
        EXPECT_GE(*std::min_element(sizes.begin(), sizes.end()), kMinTextPt - 1e-9); // 7 pt, not 6.96
        const QStringList pages = pdfText(pdf()).split(u'\f'); // pdftotext ends every page with a form feed
        for (const QString& e : expect.split(u'|')) {
            const bool absent = e.startsWith(u'-');
            const QString where = e.section(u':', 0, 0).remove(u'-'), text = squeezed(e.section(u':', 1));
            for (int p = 1; p <= pageCount; ++p)
                EXPECT_TRUE((where != u"*" && where.toInt() != p) || squeezed(pages[p - 1]).contains(text) != absent)
                    << "page " << p << ": " << e.toStdString();
        }
    }
}

TEST_F(ViewerRun, AreaCodesTickTheAreaRowForOneAndTheDeformityRowForTwo)
{
    // 施術部位1…5 of each page; every limb is 0, 1 and 2 somewhere. 躯幹 has no deformity box.
    const QStringList codes[] = {{"1", "2", "0", "2", "1"}, {"2", "0", "1", "1", "2"}, {"0", "1", "2", "0", "0"}};
    const double x[] = {50, 74, 98, 122, 146}, areaRow = 73.075, deformityRow = 79.825, box = 3.6;
    const int dpi = 150;
    for (const auto& [layout, data] : kDocuments) {
        SCOPED_TRACE(layout.toStdString());
        QList<QHash<QString, QString>> pages;
        for (const QStringList& page : codes) {
            QHash<QString, QString> changes{{"施術区分", "0"}};
            for (int i = 0; i < 5; ++i)
                changes.insert(QStringLiteral("施術部位%1").arg(i + 1), page[i]);
            pages.append(changes);
        }
        ASSERT_EQ(renderSample(layout, data, pages), ExitOk) << messages.toStdString();
        EXPECT_TRUE(squeezed(pdfText(pdf(), 1)).contains("変形徒手左上肢右上肢左下肢右下肢"));
        for (int p = 0; p < 3; ++p) {
            const QImage image = pdfPageImage(pdf(), p + 1, dpi);
            ASSERT_FALSE(image.isNull());
            for (int i = 0; i < 5; ++i) {
                const QString code = codes[p][i];
                EXPECT_EQ(inked(image, QRectF(x[i], areaRow, box, box), dpi), code == "1" || (i == 4 && code == "2"))
                    << "page " << p + 1 << " area " << i + 1;
                if (i < 4) {
                    EXPECT_EQ(inked(image, QRectF(x[i], deformityRow, box, box), dpi), code == "2")
                        << "page " << p + 1 << " deformity " << i + 1;
                }
            }
        }
    }
}

TEST_F(ViewerRun, LongReasonsPrintWholeAtASmallerSizeOrCutWithAMarkTheRunReports)
{
    const QString sentence = QStringLiteral(
        "脳梗塞後遺症により右片麻痺があり、関節の拘縮が進んでいる。歩行時に\"ふらつき\"があり転倒の危険が高い。");
    auto reasonOf = [&](int length) { return sentence.repeated(length / sentence.size() + 1).left(length); };
    const QString full = QString(410, u'あ').replace(0, 12, QStringLiteral("４１文字×１０行の理由：")),
                  long1000 = reasonOf(955) + QStringLiteral("\r\nｽﾐｽ様（ﾃｽﾄ）～ABC") + reasonOf(25),
                  lines = QStringLiteral("痛み\r\n").repeated(250);     // 250 lines: more than 7 pt holds
    for (const auto& [layout, data] : std::span(kDocuments).first(2)) { // the plan has no reason
        SCOPED_TRACE(layout.toStdString());
        // Page 2 is an acupuncture form whose other injury (100 characters) outgrows its box at 7 pt.
        const QHash<QString, QString> acupuncture{
            {"理由", long1000}, {"施術区分", "1"}, {"鍼灸傷病名07", "1"}, {"鍼灸傷病名文章", reasonOf(100)}};
        ASSERT_EQ(renderSample(layout, data, {{{"理由", full}}, acupuncture, {{"理由", lines}}}), ExitOk)
            << messages.toStdString();
        EXPECT_TRUE(squeezed(pdfText(pdf(), 1)).contains(squeezed(full)));
        EXPECT_TRUE(squeezed(pdfText(pdf(), 2)).contains(squeezed(long1000)));
        const QString cut = squeezed(pdfText(pdf(), 3));
        EXPECT_TRUE(cut.contains(squeezed(QStringLiteral("痛み…（以下略）")))) << cut.toStdString();
        EXPECT_LT(cut.count(QStringLiteral("痛み")), 250);
        // Only the cut texts are reported, by page and user.
        EXPECT_TRUE(messages.contains(
            QRegularExpression("2 ページ（10101 佐藤 一郎）: 「脳梗塞後遺症[^」]*」は 7 ポイントでも")))
            << messages.toStdString();
        EXPECT_TRUE(messages.contains("3 ページ（10101 佐藤 一郎）: 文字を 7 ポイントまで小さくしても"))
            << messages.toStdString();
        EXPECT_EQ(messages.count("ページ（"), 2) << messages.toStdString();
        const QList<double> sizes = pdfTextSizes(pdf());
        EXPECT_GE(*std::min_element(sizes.begin(), sizes.end()), kMinTextPt - 1e-9);
    }
}

TEST_F(ViewerRun, ItemValuesRepeatStartAndPaperReachThePdf)
{
    const QString layout = path("named.wfd");
    ASSERT_TRUE(writeFileReplacing(layout, R"({"wfd":1,"data":"d",
        "items":[{"type":"text","name":"Head.Note","x":10,"y":10,"w":90,"h":8,"text":"既定"}],
        "detail":{"x":10,"w":100,"top":20,"bottom":50,"height":10,
                  "items":[{"type":"text","x":10,"y":0,"w":90,"h":10,"text":"{n}"}]}})"));
    writeCp932Lines(path("d.csv"), {"\"n\"", "\"r1\"", "\"r2\"", "\"r3\""});
    ASSERT_EQ(render({"FileName,\"" + layout + "\"", "SetDataText,\"d\",\"" + path("d.csv") + "\"",
                      "SectionRepeatStart, 3", "SetItemValue,\"Head..Note\",\"ignored\"",
                      "SetItemValue,\"Head.Note\",\"差し替え\"", "PrintPaper, B5"}),
              ExitOk);
    EXPECT_EQ(pdfPageCount(pdf()), 2); // r1 in row 3 of 3 on page 1, then r2 and r3
    const QString first = pdfText(pdf(), 1);
    EXPECT_TRUE(first.contains("差し替え") && first.contains("r1") && !first.contains("r2")) << first.toStdString();
    EXPECT_TRUE(toolOutput("pdfinfo", {pdf()}).contains("516 x 729 pts"));
}

TEST_F(ViewerRun, TheProgramsNamesStartTheRealBinary)
{
    const TestInstall inst; // a copy of the binary under each name, run as the program starts it
    const QDir bin = QFileInfo(QStringLiteral(REPORT_VIEWER_BIN)).dir();
    auto start = [&](const QString& name, const QStringList& args, const QStringList& env = {}) {
        const ProgramRun r = runInstalledProgram(inst, bin.filePath(name), args, env);
        messages = r.stderrLines.join(u'\n');
        return r.finished ? r.exitCode : -1;
    };
    // The merge program's name and arguments; its merged document opens later with nothing else.
    const QString a = path("a.csv"), b = path("b.csv");
    QFile::copy(viewerDataDir() + "利用者別月間予定.csv", a);
    QFile::copy(viewerDataDir() + "施術計画書.csv", b);
    writeCp932Lines(path("merge.dat"),
                    {"setTitle,\"まとめ\"", "SetDataText,\"利用者別月間予定\",\"" + a + "\",\",\", \"\"\"\", True",
                     "setreport,\"" + layoutsDir() + "利用者別月間予定チェック表.wfd\"", "AddReport",
                     "SetDataText,\"施術計画書\",\"" + b + "\",\",\", \"\"\"\", True",
                     "setreport,\"" + layoutsDir() + "施術計画書.wfd\""});
    ASSERT_EQ(start("wfrimg10.exe", {path("tmp.wfd"), "/c", path("merge.dat")}), ExitOk) << messages.toStdString();
    QFile::remove(a);
    QFile::remove(b);
    ASSERT_EQ(render({"FileName,\"" + path("tmp.wfd") + "\"", "PrintOutFromDialog"}), ExitOk) << messages.toStdString();
    EXPECT_EQ(pdfPageCount(pdf()), 3);
    EXPECT_TRUE(pdfText(pdf(), 1).contains("利用者別月間予定チェック表"));
    EXPECT_TRUE(pdfText(pdf(), 3).contains("鈴木 花子"));

    // The preview under the program's name, headless through REPORT_VIEWER_PDF_DIR; Windows-style separators.
    writeCp932Lines(path("WfdCom.dat"),
                    previewCommands(layoutsDir() + "利用者別月間予定チェック表.wfd", "予定表/印刷", "利用者別月間予定",
                                    viewerDataDir() + "利用者別月間予定.csv"));
    QDir(dir.path()).mkdir("pdf");
    const QString windowsPath = path("WfdCom.dat").replace(u'/', u'\\');
    EXPECT_EQ(start("wfrfv10.exe", {"/c", windowsPath}, {"REPORT_VIEWER_PDF_DIR=" + path("pdf")}), ExitOk)
        << messages.toStdString();
    EXPECT_EQ(pdfPageCount(path("pdf/予定表_印刷.pdf")), 1);

    // A missing command file: exit 2 and a message, headless.
    EXPECT_EQ(start("WrVb6Viewer.exe", {"--pdf", path("x.pdf"), "/c", path("gone.dat")}), ExitBadInput);
    EXPECT_TRUE(messages.contains(path("gone.dat") + " が見つかりません")) << messages.toStdString();
}

TEST_F(ViewerRun, BadOrDamagedInputGivesAClearMessageAndNoOutput)
{
    const QString layout = layoutsDir() + "施術計画書.wfd", csv = viewerDataDir() + "施術計画書.csv";
    const QByteArray layoutBytes = fileBytes(layout), csvBytes = fileBytes(csv);
    // An unknown command: the document is still output, exit 3.
    EXPECT_EQ(render(previewCommands(layout, "題", "施術計画書", csv) << "PrintColor, 1"), ExitUnknownCommand);
    EXPECT_TRUE(messages.contains("6 行目: 不明なコマンド「PrintColor」です。")) << messages.toStdString();
    EXPECT_EQ(pdfPageCount(pdf()), 2);
    // A PDF that cannot be written; unusable arguments.
    EXPECT_EQ(render(previewCommands(layout, "題", "施術計画書", csv), path("no/such/out.pdf")), ExitOutputFailed);
    EXPECT_TRUE(messages.contains("PDF " + path("no/such/out.pdf") + " を書けません")) << messages.toStdString();
    EXPECT_EQ(run({"/c"}), ExitBadInput);
    EXPECT_TRUE(messages.contains("「/c」の後にファイル名がありません")) << messages.toStdString();
    EXPECT_FALSE(parseViewerArguments({}).error.isEmpty());

    // Everything else: exit 2, the reason, no output, and the input files as they were.
    // (A missing command file: the real binary, in TheProgramsNamesStartTheRealBinary.)
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919 + 13) % 256);
    const QByteArray kFolder = "(a folder)";
    // A file of the test folder afresh with these bytes (kFolder: a folder in its place).
    auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile::remove(path(name));
        QDir(path(name)).removeRecursively();
        EXPECT_TRUE(bytes == kFolder ? QDir().mkpath(path(name)) : writeFileReplacing(path(name), bytes));
        return path(name);
    };
    auto commands = [&](const QString& l, const QString& c) {
        return cp932Lines(previewCommands(l, "題", "施術計画書", c));
    };
    const QByteArray good = commands(layout, csv);
    // The case, the command file (kFolder: WfdCom.dat is a folder), the exit code, part of what the viewer says.
    const std::tuple<const char*, QByteArray, int, QString> rows[] = {
        {"command file empty", "", ExitBadInput, "FileName"},
        {"command file without FileName", cp932Lines({"Title,\"題\"", "ShowWindow,2"}), ExitBadInput, "FileName"},
        {"command file garbage", garbage, ExitBadInput, "FileName"},
        {"command file cut inside a path", good.left(good.indexOf(".wfd")), ExitBadInput, "が見つかりません"},
        {"command file a folder", kFolder, ExitBadInput, "フォルダ"},
        {"command file in UTF-16", encodeText(decodeCp932(good), TextEncoding::Utf16LeBom), ExitOk, ""},
        {"data of another name", cp932Lines(previewCommands(layout, "題", "継続理由・状況記入書", csv)), ExitBadInput,
         "データ「施術計画書」を使いますが、渡されたデータは 「継続理由・状況記入書」"},
        {"CSV missing", commands(layout, path("none.csv")), ExitBadInput, path("none.csv") + " が見つかりません"},
        {"CSV path empty", commands(layout, path("")), ExitBadInput, "フォルダ"},
        {"CSV empty", commands(layout, put("empty.csv", "")), ExitBadInput, "empty.csv"},
        {"CSV without a column",
         commands(layout, put("few.csv", cp932Lines({"\"i枠線表示\",\"利用者名\"", "1,\"佐藤\""}))), ExitBadInput,
         "「生年月日」"},
        {"CSV with a short record", commands(layout, put("short.csv", csvBytes + "1,2,3\r\n")), ExitBadInput,
         "4 行目の項目数が 3 です"},
        {"CSV header only", commands(layout, put("header.csv", csvBytes.left(csvBytes.indexOf('\n') + 1))),
         ExitBadInput, "0 件"},
        {"CSV cut inside a quoted field",
         commands(layout, put("cut.csv", csvBytes.left(csvBytes.lastIndexOf('"') - 2))), ExitBadInput, "cut.csv"},
        {"CSV garbage", commands(layout, put("garbage.csv", garbage)), ExitBadInput, "garbage.csv"},
        {"CSV a folder", commands(layout, put("folder.csv", kFolder)), ExitBadInput, "フォルダ"},
        {"layout missing", commands(path("none.wfd"), csv), ExitBadInput, path("none.wfd") + " が見つかりません"},
        {"layout broken on line 2", commands(put("broken.wfd", "{\"wfd\":1,\n\"items\":["), csv), ExitBadInput,
         "2 行目"},
        {"layout with an unknown item", commands(put("item.wfd", R"({"wfd":1,"items":[{"type":"video"}]})"), csv),
         ExitBadInput, "項目の種類「video」は使えません"},
        {"layout empty", commands(put("empty.wfd", ""), csv), ExitBadInput, "JSON として読めません"},
        {"layout cut in half", commands(put("half.wfd", layoutBytes.left(layoutBytes.size() / 2)), csv), ExitBadInput,
         "JSON として読めません"},
        {"layout garbage", commands(put("garbage.wfd", garbage), csv), ExitBadInput, "JSON として読めません"},
        {"layout a folder", commands(put("folder.wfd", kFolder), csv), ExitBadInput, "フォルダ"},
        {"layout with a row height of 0",
         commands(
             put("zero.wfd",
                 R"({"wfd":1,"data":"施術計画書","detail":{"x":0,"w":10,"top":0,"bottom":100,"height":0,"items":[]}})"),
             csv),
         ExitBadInput, "zero.wfd"},
    };
    for (const auto& [name, commandFile, exit, message] : rows) {
        SCOPED_TRACE(name);
        QFile::remove(pdf());
        const QString com = put("WfdCom.dat", commandFile);
        const auto before = folderSnapshot(dir.path());
        EXPECT_EQ(run({"--pdf", pdf(), "/c", com}), exit) << messages.toStdString();
        EXPECT_TRUE(messages.contains(message)) << messages.toStdString();
        EXPECT_EQ(QFile::exists(pdf()), exit == ExitOk);
        auto after = folderSnapshot(dir.path());
        after.remove("out.pdf");
        EXPECT_TRUE(after == before) << "the viewer changed its input files";
    }
}
