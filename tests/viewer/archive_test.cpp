// PDF copies of printed documents: where they go, what they hold, and that neither a second
// print in the same second nor an unusable archive folder loses a print.
#include "preview_window.h"
#include "print_archive.h"
#include "viewer_job.h"
#include "viewer_test_util.h"

#include "base/text_file.h"
#include "platform/recording_platform.h"
#include "support/program_run.h"

#include <QDir>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kForm = QStringLiteral("継続理由・状況記入書");
const QString kTable = QStringLiteral("利用者別月間実績チェック表");

// The command file of a document as the program writes it, with the given output line.
QStringList commandsFor(const QString& layout, const QString& data, const QString& output)
{
    QStringList lines = previewCommands(layoutsDir() + layout + ".wfd", layout, data, viewerDataDir() + data + ".csv");
    lines.last() = output;
    return lines;
}

Document loadDocument(const QTemporaryDir& dir, const QString& layout, const QString& data)
{
    writeCp932Lines(dir.filePath("WfdCom.dat"), commandsFor(layout, data, "PrintOut"));
    ViewerJob job;
    QString error;
    EXPECT_TRUE(loadViewerJob(dir.filePath("WfdCom.dat"), &job, &error)) << error.toStdString();
    return job.document;
}

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

} // namespace

TEST(PrintArchive, PrintedPagesAreFiledUnderTheDocumentsMonthAndLayout)
{
    QTemporaryDir dir;
    const Document doc = loadDocument(dir, kForm, kForm); // 施術年月日 2024/04/01, three pages
    const QString archive = dir.filePath("控え");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    QString error;
    ScopedRecordingPlatform rec;
    ASSERT_TRUE(printDocument(doc, printer, &error, archive)) << error.toStdString();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_TRUE(rec.messages.isEmpty());

    const QStringList filed = filesIn(archive + "/202404");
    ASSERT_EQ(filed.size(), 1);
    const QRegularExpressionMatch m =
        QRegularExpression("^継続理由・状況記入書_(\\d{8}-\\d{6})\\.pdf$").match(filed.first());
    ASSERT_TRUE(m.hasMatch()) << filed.first().toStdString();
    const QDateTime stamp = QDateTime::fromString(m.captured(1), "yyyyMMdd-HHmmss");
    EXPECT_TRUE(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after) << m.captured(1).toStdString();
    const QString copy = archive + "/202404/" + filed.first();
    EXPECT_EQ(pdfPageCount(copy), 3);
    EXPECT_EQ(pdfPageCount(dir.filePath("printed.pdf")), 3);
    EXPECT_TRUE(squeezed(pdfText(copy, 1)).contains("佐藤一郎"));
    EXPECT_TRUE(squeezed(pdfText(copy, 3)).contains("髙橋健太"));

    // Only the pages printed: page 2 alone.
    printer.setOutputFileName(dir.filePath("page2.pdf"));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);
    ASSERT_TRUE(printDocument(doc, printer, &error, archive));
    const QStringList both = filesIn(archive + "/202404");
    ASSERT_EQ(both.size(), 2);
    const QString second = archive + "/202404/" + (both.first() == filed.first() ? both.last() : both.first());
    EXPECT_EQ(pdfPageCount(second), 1);
    EXPECT_TRUE(squeezed(pdfText(second)).contains("坐骨神経痛"));

    // Without an archive folder nothing is filed.
    printer.setOutputFileName(dir.filePath("plain.pdf"));
    ASSERT_TRUE(printDocument(doc, printer, &error));
    EXPECT_EQ(filesIn(archive + "/202404").size(), 2);
    EXPECT_TRUE(rec.messages.isEmpty());

    // An unusable archive folder (below a file: unusable for root too) prints anyway and says so.
    QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
    printer.setOutputFileName(dir.filePath("unfiled.pdf"));
    EXPECT_TRUE(printDocument(doc, printer, &error, dir.filePath("file/控え")));
    EXPECT_EQ(pdfPageCount(dir.filePath("unfiled.pdf")), 1);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(std::tuple(rec.messages[0].icon, rec.messages[0].title), std::tuple(MsgIcon::Exclamation, kForm));
    EXPECT_EQ(rec.messages[0].text,
              "印刷しましたが、控えの PDF を保存できませんでした。\n控えのフォルダ " + dir.filePath("file/控え/202404")
                  + " を作れません。");
}

TEST(PrintArchive, TwoPrintsInOneSecondKeepBoth)
{
    QTemporaryDir dir;
    const Document doc = loadDocument(dir, kTable, "利用者別月間実績"); // 対象年月 2024/04
    const QDateTime at(QDate(2024, 5, 2), QTime(9, 5, 7));
    const QString month = dir.filePath("a/202404");
    QString first, second, error;
    ASSERT_TRUE(archivePrintedDocument(doc, dir.filePath("a"), at, 0, 1, &first, &error)) << error.toStdString();
    EXPECT_EQ(first, month + "/利用者別月間実績チェック表_20240502-090507.pdf");
    const QByteArray firstBytes = fileBytes(first);
    ASSERT_TRUE(archivePrintedDocument(doc, dir.filePath("a"), at, 0, 0, &second, &error)) << error.toStdString();
    EXPECT_EQ(second, month + "/利用者別月間実績チェック表_20240502-090507_2.pdf");
    EXPECT_EQ(fileBytes(first), firstBytes);
    EXPECT_EQ(pdfPageCount(first), 2);
    EXPECT_EQ(pdfPageCount(second), 1);
    // Nothing else: no temporary file stays behind.
    EXPECT_EQ(filesIn(month),
              (QStringList{"利用者別月間実績チェック表_20240502-090507.pdf",
                           "利用者別月間実績チェック表_20240502-090507_2.pdf"}));
}

TEST(PrintArchive, TheMonthComesFromTheLayoutsMonthColumn)
{
    const QDate printed(2025, 1, 15);
    auto monthOf = [&](const QString& layoutMonth, const QString& csv) {
        const QByteArray json = QStringLiteral(R"({"wfd": 1, "data": "d", %1 "items": [
            {"type": "text", "x": 10, "y": 10, "w": 50, "h": 5, "text": "{m}"}]})")
                                    .arg(layoutMonth)
                                    .toUtf8();
        Document doc;
        doc.reports.append(reportOf(json, csv));
        doc.finish();
        return documentMonth(doc, printed);
    };
    const QString month = R"("month": "m",)";
    const std::tuple<QString, QString, QString> cases[] = {
        {month, "m\n2024/04\n", "202404"},
        {month, "m\n2024/4/30\n2023/01/01\n", "202404"}, // the first record's
        {month, "m\n202412\n", "202412"},
        {month, "m\n2024-03-01 00:00:00\n", "202403"},
        // Anything else: the month of printing.
        {month, "m\n\"\"\n", "202501"},
        {month, "m\n2024/13\n", "202501"},
        {month, "m\n令和6年4月\n", "202501"},
        {"", "m\n2024/04\n", "202501"}};
    for (const auto& [layoutMonth, csv, expected] : cases)
        EXPECT_EQ(monthOf(layoutMonth, csv), expected) << csv.toStdString();
}

// The real viewer, headless: its PDF stands in for the printer, and its own settings file
// (next to the binary) names the archive folder.
TEST(PrintArchive, TheViewerFilesPrintsNotPreviews)
{
    TestInstall inst;
    auto settings = [&](const QString& folder) {
        inst.writeBytes("report-viewer.ini", "\xEF\xBB\xBF[Archive]\r\nFolder=" + folder.toUtf8() + "\r\n");
    };
    settings("控え");
    auto view = [&](const QString& output, const QString& commandFile = "WfdCom.dat") {
        writeCp932Lines(inst.file(commandFile), commandsFor(kTable, "利用者別月間実績", output));
        return runInstalledProgram(inst, REPORT_VIEWER_BIN,
                                   {"--pdf", inst.file("out.pdf"), "/c", inst.file(commandFile)});
    };
    const QString month = inst.file("控え/202404");

    const ProgramRun preview = view("ShowWindow,2");
    EXPECT_EQ(preview.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(inst.file("控え")));

    const ProgramRun print = view("PrintOut");
    EXPECT_EQ(print.exitCode, 0) << print.stderrLines.join("\n").toStdString();
    const QStringList filed = filesIn(month);
    ASSERT_EQ(filed.size(), 1);
    EXPECT_TRUE(filed.first().startsWith("利用者別月間実績チェック表_"));
    EXPECT_EQ(pdfPageCount(month + "/" + filed.first()), 2);

    // An archive folder that cannot be made: printed all the same, and said.
    QFile(inst.file("file")).open(QIODevice::WriteOnly);
    settings(inst.file("file/控え"));
    QFile::remove(inst.file("out.pdf"));
    const ProgramRun failed = view("PrintOut");
    EXPECT_EQ(failed.exitCode, 0);
    EXPECT_EQ(pdfPageCount(inst.file("out.pdf")), 2);
    EXPECT_TRUE(failed.stderrLines.contains("report-viewer: 印刷しましたが、控えの PDF を保存できませんでした。"))
        << failed.stderrLines.join("\n").toStdString();
}
