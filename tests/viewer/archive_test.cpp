// PDF copies of printed documents: where they go, what they hold, who can read them, and that
// neither a second print in the same second nor an unusable archive folder loses a print.
#include "preview_window.h"
#include "print_archive.h"
#include "viewer_job.h"
#include "viewer_test_util.h"

#include "base/text_file.h"
#include "platform/recording_platform.h"
#include "support/program_run.h"

#include <QDir>
#include <QPrinter>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace

TEST(PrintArchive, PrintedPagesAreFiledUnderTheDocumentsMonthAndLayoutAndASecondInTheSameSecondKeepsBoth)
{
    QTemporaryDir dir;
    const Document doc = loadDocument(dir, kForm, kForm); // 施術年月日 2024/04/01, three pages
    const QString month = dir.filePath("控え/202404/");
    const QDateTime at(QDate(2024, 5, 2), QTime(9, 5, 7));
    QString first, second, error;
    const mode_t saved = umask(022);
    ASSERT_TRUE(archivePrintedDocument(doc, dir.filePath("控え"), at, 0, 2, &first, &error)) << error.toStdString();
    EXPECT_EQ(first, month + "継続理由・状況記入書_20240502-090507.pdf");
    EXPECT_EQ(pdfPageCount(first), 3);
    EXPECT_TRUE(squeezed(pdfText(first, 1)).contains("佐藤一郎"));
    EXPECT_TRUE(squeezed(pdfText(first, 3)).contains("髙橋健太"));
    // Made as any file is, so that colleagues sharing the archive can open it.
    EXPECT_EQ(QFileInfo(first).permissions() & 0x0777, QFile::Permissions(0x0644));
    const QByteArray firstBytes = fileBytes(first);

    // Only the pages printed, page 2 alone, in the same second: the first copy stays.
    umask(002);
    ASSERT_TRUE(archivePrintedDocument(doc, dir.filePath("控え"), at, 1, 1, &second, &error)) << error.toStdString();
    umask(saved);
    EXPECT_EQ(second, month + "継続理由・状況記入書_20240502-090507_2.pdf");
    EXPECT_EQ(fileBytes(first), firstBytes);
    EXPECT_EQ(pdfPageCount(second), 1);
    EXPECT_TRUE(squeezed(pdfText(second)).contains("坐骨神経痛"));
    EXPECT_EQ(QFileInfo(second).permissions() & 0x0777, QFile::Permissions(0x0664));
    // Nothing else: no temporary file stays behind.
    EXPECT_EQ(QDir(month).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"継続理由・状況記入書_20240502-090507.pdf", "継続理由・状況記入書_20240502-090507_2.pdf"}));
    // The monthly table's month is its 対象年月.
    EXPECT_EQ(documentMonth(loadDocument(dir, kTable, "利用者別月間実績"), at.date()), "202404");
}

TEST(PrintArchive, APdfFileIsNoPrintAndIsNotFiled)
{
    QTemporaryDir dir;
    const Document doc = loadDocument(dir, kForm, kForm);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    QString error;
    ScopedRecordingPlatform rec;
    ASSERT_TRUE(printDocument(doc, printer, &error, dir.filePath("控え"))) << error.toStdString();
    EXPECT_EQ(pdfPageCount(dir.filePath("printed.pdf")), 3);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("控え")));
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(std::tuple(rec.messages[0].icon, rec.messages[0].title), std::tuple(MsgIcon::Information, kForm));
    EXPECT_TRUE(rec.messages[0].text.startsWith("印刷はしていません。PDF ファイル " + dir.filePath("printed.pdf")
                                                + " に保存しました。"))
        << rec.messages[0].text.toStdString();
}

TEST(PrintArchive, AMonthFolderThatCannotBeMadeSaysWhy)
{
    QTemporaryDir dir;
    const Document doc = loadDocument(dir, kForm, kForm);
    QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
    const QString tooLong = dir.filePath(QString(300, u'x'));
    // A file in the way is unusable for root too; so is a name longer than the system takes.
    const std::pair<QString, QString> cases[] = {
        {dir.filePath("file/控え"), dir.filePath("file") + " はフォルダではなくファイルです。"},
        {dir.filePath("file"), dir.filePath("file") + " はフォルダではなくファイルです。"},
        {tooLong, "(75)パス名が無効です。"}};
    for (const auto& [folder, why] : cases) {
        QString path, error;
        EXPECT_FALSE(archivePrintedDocument(doc, folder, QDateTime::currentDateTime(), 0, 0, &path, &error));
        EXPECT_EQ(error, "控えのフォルダ " + folder + "/202404 を作れません。" + why);
    }
}

TEST(PrintArchive, TheSettingsFileIsReadInItsEncoding)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("控え");
    const std::pair<QByteArray, QString> cases[] = {
        {"\xEF\xBB\xBF[Archive]\r\nFolder=控え\r\n", folder},
        {"[Archive]\nFolder=控え\n", folder},                 // an ordinary Linux editor: UTF-8 without a mark
        {"[Archive]\r\nFolder=\x8D\x54\x82\xA6\r\n", folder}, // CP932
        {"[Archive]\nFolder=\"/srv/印刷 控え\"\n", "/srv/印刷 控え"},
        {"[Archive]\nFolder=\n", ""},
        {"[Other]\nFolder=控え\n", ""}};
    for (const auto& [bytes, expected] : cases) {
        ASSERT_TRUE(writeFileReplacing(viewerSettingsPath(dir.path()), bytes));
        EXPECT_EQ(archiveFolderSetting(dir.path()), expected) << bytes.toStdString();
    }
}

TEST(PrintArchive, TheMonthComesFromTheLayoutsMonthColumn)
{
    const QDate printed(2025, 1, 15);
    auto monthOf = [&](const QString& layoutMonth, const QString& csv) {
        const QByteArray json = QStringLiteral(R"({"wfd": 1, "data": "d", %1 "items": [
            {"type": "text", "x": 10, "y": 10, "w": 50, "h": 5, "text": "{m}"}]})")
                                    .arg(layoutMonth)
                                    .toUtf8();
        return documentMonth(documentOf(reportOf(json, csv)), printed);
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

// The real viewer without a window writes a PDF file and prints nothing: nothing is filed.
// (Prints through a print system are filed: print_system_test.)
TEST(PrintArchive, TheViewerFilesNoPdfFile)
{
    TestInstall inst;
    inst.writeBytes("report-viewer.ini", "[Archive]\nFolder=控え\n");
    for (const char* output : {"ShowWindow,2", "PrintOut", "PrintOutFromDialog"}) {
        writeCp932Lines(inst.file("WfdCom.dat"), commandsFor(kTable, "利用者別月間実績", output));
        const ProgramRun run = runInstalledProgram(inst, REPORT_VIEWER_BIN,
                                                   {"--pdf", inst.file("out.pdf"), "/c", inst.file("WfdCom.dat")});
        EXPECT_EQ(run.exitCode, 0) << run.stderrLines.join("\n").toStdString();
        EXPECT_EQ(pdfPageCount(inst.file("out.pdf")), 2);
    }
    EXPECT_FALSE(QFileInfo::exists(inst.file("控え")));
}
