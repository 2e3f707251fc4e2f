// The five layouts rendered to PDF from sample CSV files, and what bad input gives.
#include "viewer_job.h"
#include "viewer_test_util.h"

#include "common/text_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

class ViewerRun : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString copyData(const QString& csv) const
    {
        QFile::copy(viewerDataDir() + csv, path(csv));
        return path(csv);
    }
    // Writes WfdCom.dat and renders it to out.pdf in-process; returns the exit code.
    int render(const QStringList& commands, QString* messages = nullptr)
    {
        writeCp932Lines(path(QStringLiteral("WfdCom.dat")), commands);
        QString err;
        QTextStream s(&err);
        ViewerArguments a = parseViewerArguments(
            {QStringLiteral("--pdf"), path(QStringLiteral("out.pdf")), QStringLiteral("/c"), path(QStringLiteral("WfdCom.dat"))});
        const int rc = runWithoutWindow(a, s);
        if (messages)
            *messages = err;
        return rc;
    }
    int renderSample(const QString& layout, const QString& dataName, const QString& csv, QString* messages = nullptr)
    {
        return render(previewCommands(layoutsDir() + layout, QStringLiteral("題"), dataName, copyData(csv)), messages);
    }
    QString pdf() const { return path(QStringLiteral("out.pdf")); }
};

} // namespace

TEST_F(ViewerRun, MonthlyActualTable)
{
    ASSERT_EQ(renderSample(QStringLiteral("利用者別月間実績チェック表.wfd"), QStringLiteral("利用者別月間実績"),
                           QStringLiteral("利用者別月間実績.csv")),
              ExitOk);
    ASSERT_EQ(pdfPageCount(pdf()), 2);
    // The header band is on both pages (what it holds is checked on the composed pages).
    for (int page : {1, 2})
        EXPECT_TRUE(pdfText(pdf(), page).contains(QStringLiteral("対象年月:令和6年4月分 出力日時:2024/05/02 9:05")));
    const QString first = pdfText(pdf(), 1);
    EXPECT_TRUE(first.contains(QStringLiteral("10101 佐藤 一郎")));
    EXPECT_TRUE(first.contains(QStringLiteral("髙橋")));
    EXPECT_FALSE(first.contains(QStringLiteral("12701")));
    EXPECT_TRUE(pdfText(pdf(), 2).contains(QStringLiteral("12701")));
}

TEST_F(ViewerRun, MonthlyScheduleTable)
{
    ASSERT_EQ(renderSample(QStringLiteral("利用者別月間予定チェック表.wfd"), QStringLiteral("利用者別月間予定"),
                           QStringLiteral("利用者別月間予定.csv")),
              ExitOk);
    EXPECT_EQ(pdfPageCount(pdf()), 1);
    const QString t = pdfText(pdf());
    for (const QString& s : {QStringLiteral("利用者別月間予定チェック表"), QStringLiteral("対象年月:令和6年5月分"),
                             QStringLiteral("予定 利用者3"), QStringLiteral("1 / 1 ページ")})
        EXPECT_TRUE(t.contains(s)) << s.toStdString();
}

TEST_F(ViewerRun, ContinuationFormsOldAndR03)
{
    for (const QString& layout : {QStringLiteral("継続理由・状況記入書.wfd"), QStringLiteral("継続理由・状況記入書_R03.wfd")}) {
        ASSERT_EQ(renderSample(layout, QStringLiteral("継続理由・状況記入書"), QStringLiteral("継続理由・状況記入書.csv")),
                  ExitOk);
        ASSERT_EQ(pdfPageCount(pdf()), 3) << layout.toStdString();
        const QString massage = pdfText(pdf(), 1), acu = pdfText(pdf(), 2), blank = pdfText(pdf(), 3);
        EXPECT_TRUE(massage.contains(QStringLiteral("継続理由・状況記入書")));
        EXPECT_TRUE(massage.contains(QStringLiteral("令和6年4月分")));
        EXPECT_TRUE(massage.contains(QStringLiteral("佐藤 一郎")));
        EXPECT_TRUE(massage.contains(QStringLiteral("脳梗塞後遺症")));
        EXPECT_TRUE(massage.contains(QStringLiteral("利用者の状態の評価(マッサージ)")));
        EXPECT_TRUE(massage.contains(QStringLiteral("山田 太郎")));
        EXPECT_TRUE(squeezed(massage).contains(QStringLiteral("歩行時に\"ふらつき\"があり")));
        EXPECT_TRUE(squeezed(massage).contains(
            QStringLiteral("(症状、経過及び初療の日から1年以上経過して、月16回以上の施術が必要な理由)")));
        EXPECT_TRUE(acu.contains(QStringLiteral("利用者の状態の評価(はり・きゅう)")));
        EXPECT_TRUE(acu.contains(QStringLiteral("坐骨神経痛")));
        EXPECT_TRUE(acu.contains(QStringLiteral("今感じている痛みの点数を患者に聞き")));
        EXPECT_FALSE(acu.contains(QStringLiteral("寝返り")));
        EXPECT_TRUE(blank.contains(QStringLiteral("髙橋 健太")));
        const bool r03 = layout.contains(u"R03");
        EXPECT_EQ(massage.contains(QStringLiteral("施術を行った月")), r03);
        EXPECT_EQ(massage.contains(QStringLiteral("令和5年11月")), r03);
    }
}

TEST_F(ViewerRun, TreatmentPlan)
{
    ASSERT_EQ(renderSample(QStringLiteral("施術計画書.wfd"), QStringLiteral("施術計画書"), QStringLiteral("施術計画書.csv")),
              ExitOk);
    ASSERT_EQ(pdfPageCount(pdf()), 2);
    const QString first = pdfText(pdf(), 1);
    for (const QString& s : {QStringLiteral("頻回な施術を必要とした詳細な理由及び今後の施術計画書"), QStringLiteral("佐藤 一郎"),
                             QStringLiteral("令和6年4月"), QStringLiteral("令和6年2月"), QStringLiteral("今後の施術計画")})
        EXPECT_TRUE(first.contains(s)) << s.toStdString();
    EXPECT_TRUE(pdfText(pdf(), 2).contains(QStringLiteral("鈴木 花子")));
}

TEST_F(ViewerRun, UnknownCommandStillRendersAndExits3)
{
    QStringList commands = previewCommands(layoutsDir() + QStringLiteral("施術計画書.wfd"), QStringLiteral("題"),
                                           QStringLiteral("施術計画書"), copyData(QStringLiteral("施術計画書.csv")));
    commands.insert(3, QStringLiteral("PrintColor, 1"));
    QString messages;
    EXPECT_EQ(render(commands, &messages), ExitUnknownCommand);
    EXPECT_TRUE(messages.contains(QStringLiteral("PrintColor"))) << messages.toStdString();
    EXPECT_EQ(pdfPageCount(pdf()), 2);
}

TEST_F(ViewerRun, BadInputGivesAClearMessageAndNoOutput)
{
    const QString csv = copyData(QStringLiteral("施術計画書.csv"));
    const QString layout = layoutsDir() + QStringLiteral("施術計画書.wfd");
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    };
    const QString broken = write(QStringLiteral("broken.wfd"), "{\"wfd\":1,\n\"items\":[");
    const QString unknownItem = write(QStringLiteral("item.wfd"), "{\"wfd\":1,\"items\":[{\"type\":\"video\"}]}");
    const QString fewColumns = write(QStringLiteral("few.csv"), cp932Lines({QStringLiteral("\"i枠線表示\",\"利用者名\""),
                                                                            QStringLiteral("1,\"佐藤\"")}));
    QFile in(csv);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray sample = in.readAll();
    const QString shortRow = write(QStringLiteral("short.csv"), sample + "1,2,3\r\n");
    const QString headerOnly = write(QStringLiteral("empty.csv"), sample.left(sample.indexOf('\n') + 1));
    struct Case {
        QStringList commands;
        QString expect;
    } cases[] = {
        {previewCommands(path(QStringLiteral("none.wfd")), "題", "施術計画書", csv), QStringLiteral("none.wfd が見つかりません")},
        {previewCommands(broken, "題", "施術計画書", csv), QStringLiteral("2 行目")},
        {previewCommands(unknownItem, "題", "施術計画書", csv), QStringLiteral("video")},
        {previewCommands(layout, "題", "施術計画書", path(QStringLiteral("none.csv"))), QStringLiteral("none.csv が見つかりません")},
        {previewCommands(layout, "題", "施術計画書", path(QString())), QStringLiteral("フォルダ")},
        {previewCommands(layout, "題", "施術計画書", fewColumns), QStringLiteral("「生年月日」")},
        {previewCommands(layout, "題", "施術計画書", shortRow), QStringLiteral("4 行目の項目数が 3 です")},
        {previewCommands(layout, "題", "継続理由・状況記入書", csv), QStringLiteral("「施術計画書」")},
        {previewCommands(layout, "題", "施術計画書", headerOnly), QStringLiteral("0 件")},
        {{QStringLiteral("Title,\"題\""), QStringLiteral("ShowWindow,2")}, QStringLiteral("FileName")},
    };
    for (const Case& c : cases) {
        QFile::remove(pdf());
        QString messages;
        EXPECT_EQ(render(c.commands, &messages), ExitBadInput) << c.expect.toStdString();
        EXPECT_TRUE(messages.contains(c.expect)) << messages.toStdString();
        EXPECT_FALSE(QFile::exists(pdf())) << c.expect.toStdString();
    }
    // A command file that does not exist.
    QString err;
    QTextStream s(&err);
    EXPECT_EQ(runWithoutWindow(parseViewerArguments({QStringLiteral("--pdf"), pdf(), QStringLiteral("/c"),
                                                     path(QStringLiteral("none.dat"))}),
                               s),
              ExitBadInput);
    EXPECT_TRUE(err.contains(QStringLiteral("none.dat"))) << err.toStdString();
    // A PDF that cannot be written.
    err.clear();
    writeCp932Lines(path(QStringLiteral("WfdCom.dat")), previewCommands(layout, "題", "施術計画書", csv));
    EXPECT_EQ(runWithoutWindow(parseViewerArguments({QStringLiteral("--pdf"), path(QStringLiteral("no/such/out.pdf")),
                                                     QStringLiteral("/c"), path(QStringLiteral("WfdCom.dat"))}),
                               s),
              ExitOutputFailed);
    EXPECT_TRUE(err.contains(QStringLiteral("out.pdf"))) << err.toStdString();
    EXPECT_FALSE(parseViewerArguments({QStringLiteral("/c")}).error.isEmpty());
    EXPECT_FALSE(parseViewerArguments({}).error.isEmpty());
}

TEST_F(ViewerRun, ItemValuesRepeatStartAndPaperReachThePdf)
{
    const QString layout = path(QStringLiteral("named.wfd"));
    QFile f(layout);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"wfd\":1,\"data\":\"d\",\"items\":[{\"type\":\"text\",\"name\":\"Head.Note\",\"x\":10,\"y\":10,\"w\":90,"
            "\"h\":8,\"text\":\"既定\"}],\"detail\":{\"x\":10,\"w\":100,\"top\":20,\"bottom\":50,\"height\":10,\"items\":"
            "[{\"type\":\"text\",\"x\":10,\"y\":0,\"w\":90,\"h\":10,\"text\":\"{n}\"}]}}");
    f.close();
    writeCp932Lines(path(QStringLiteral("d.csv")), {"\"n\"", "\"r1\"", "\"r2\"", "\"r3\""});
    QStringList c = previewCommands(layout, QStringLiteral("題"), QStringLiteral("d"), path(QStringLiteral("d.csv")));
    c.insert(3, QStringLiteral("SectionRepeatStart, 3"));
    c.insert(4, QStringLiteral("SetItemValue,\"Head..Note\",\"ignored\""));
    c.insert(5, QStringLiteral("SetItemValue,\"Head.Note\",\"差し替え\""));
    c[6] = QStringLiteral("PrintPaper, B5");
    ASSERT_EQ(render(c), ExitOk);
    EXPECT_EQ(pdfPageCount(pdf()), 2); // rows 3 of 3 on page 1, then r2 and r3
    EXPECT_TRUE(pdfText(pdf(), 1).contains(QStringLiteral("差し替え")));
    EXPECT_TRUE(pdfText(pdf(), 1).contains(QStringLiteral("r1")));
    EXPECT_FALSE(pdfText(pdf(), 1).contains(QStringLiteral("r2")));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf()});
    ASSERT_TRUE(info.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("516 x 729 pts")));
}

TEST_F(ViewerRun, MergedDocumentOpensLater)
{
    const QString a = copyData(QStringLiteral("利用者別月間予定.csv"));
    const QString b = copyData(QStringLiteral("施術計画書.csv"));
    writeCp932Lines(path(QStringLiteral("merge.dat")),
                    {QStringLiteral("setTitle,\"まとめ\""),
                     QStringLiteral("SetDataText,\"利用者別月間予定\",\"%1\",\",\", \"\"\"\", True").arg(a),
                     QStringLiteral("setreport,\"%1\"").arg(layoutsDir() + QStringLiteral("利用者別月間予定チェック表.wfd")),
                     QStringLiteral("AddReport"),
                     QStringLiteral("SetDataText,\"施術計画書\",\"%1\",\",\", \"\"\"\", True").arg(b),
                     QStringLiteral("setreport,\"%1\"").arg(layoutsDir() + QStringLiteral("施術計画書.wfd"))});
    QString err;
    QTextStream s(&err);
    const QString merged = path(QStringLiteral("tmp.wfd"));
    ASSERT_EQ(runWithoutWindow(parseViewerArguments({merged, QStringLiteral("/c"), path(QStringLiteral("merge.dat"))}), s),
              ExitOk)
        << err.toStdString();
    // The data files may change now: the merged document holds everything.
    QFile::remove(a);
    QFile::remove(b);
    ASSERT_EQ(render({QStringLiteral("FileName,\"%1\"").arg(merged), QStringLiteral("PrintOutFromDialog")}), ExitOk);
    EXPECT_EQ(pdfPageCount(pdf()), 3);
    EXPECT_TRUE(pdfText(pdf(), 1).contains(QStringLiteral("利用者別月間予定チェック表")));
    EXPECT_TRUE(pdfText(pdf(), 3).contains(QStringLiteral("鈴木 花子")));
}

TEST_F(ViewerRun, TheProgramsNamesStartTheRealBinary)
{
    const QString bin = QFileInfo(QStringLiteral(REPORT_VIEWER_BIN)).absolutePath();
    const QString csv = copyData(QStringLiteral("利用者別月間予定.csv"));
    writeCp932Lines(path(QStringLiteral("WfdCom.dat")),
                    previewCommands(layoutsDir() + QStringLiteral("利用者別月間予定チェック表.wfd"),
                                    QStringLiteral("予定表/印刷"), QStringLiteral("利用者別月間予定"), csv));
    QDir(dir.path()).mkdir(QStringLiteral("pdf"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("REPORT_VIEWER_PDF_DIR"), path(QStringLiteral("pdf")));
    p.setProcessEnvironment(env);
    // Windows-style separators, as the program writes them.
    QString windowsPath = path(QStringLiteral("WfdCom.dat"));
    windowsPath.replace(u'/', u'\\');
    p.start(bin + QStringLiteral("/wfrfv10.exe"), {QStringLiteral("/c"), windowsPath});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), ExitOk) << p.readAllStandardError().toStdString();
    EXPECT_EQ(pdfPageCount(path(QStringLiteral("pdf/予定表_印刷.pdf"))), 1);

    // The merge program's name and arguments.
    writeCp932Lines(path(QStringLiteral("WfdCom.dat")),
                    {QStringLiteral("setTitle,\"まとめ\""), QStringLiteral("SetDataText,\"利用者別月間予定\",\"%1\"").arg(csv),
                     QStringLiteral("setreport,\"%1\"").arg(layoutsDir() + QStringLiteral("利用者別月間予定チェック表.wfd"))});
    p.start(bin + QStringLiteral("/wfrimg10.exe"),
            {path(QStringLiteral("tmp.wfd")), QStringLiteral("/c"), path(QStringLiteral("WfdCom.dat"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), ExitOk) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("tmp.wfd"))));

    // A missing command file: exit 2 and a message, headless.
    p.start(bin + QStringLiteral("/WrVb6Viewer.exe"), {QStringLiteral("--pdf"), path(QStringLiteral("x.pdf")),
                                                        QStringLiteral("/c"), path(QStringLiteral("gone.dat"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), ExitBadInput);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("gone.dat")));
}
