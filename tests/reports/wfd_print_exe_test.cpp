// The viewer's command file, the viewer's command lines and real program starts.
#include "reports/wfd_print_exe.h"

#include "common/text_file.h"
#include "report_test_util.h"
#include "support/test_install.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReportCommandFile : public ::testing::Test {
protected:
    TestInstall inst;
    ScopedRecordingPlatform rec;
    QString tmp() const { return inst.path() + QStringLiteral("/TMP/"); }
    QString comFile() const { return tmp() + QStringLiteral("WfdCom.dat"); }
    QStringList comLines() const { return splitLines(decodeCp932(fileBytes(comFile()))); }
};

TEST_F(ReportCommandFile, PreviewOfTheActualRecordTableByteForByte)
{
    cls_WfdPrintExe w;
    ASSERT_EQ(w.iInit(inst.path() + QStringLiteral("/SYS/利用者別月間実績チェック表.wfd"),
                      QStringLiteral("利用者別月間実績表印刷")), 0);
    ASSERT_EQ(w.iSetDataText(1, QStringLiteral("利用者別月間実績"), QStringLiteral("利用者別月間実績.csv")), 0);
    EXPECT_EQ(w.iPreview(0), 0);

    const QByteArray root = inst.path().toUtf8(); // ASCII temporary folder
    const QByteArray expected = "FileName,\"" + root + "/SYS/"
        + hexBytes("979897708ed295ca8c8e8ad48ec090d1836083468362834e955c2e776664") + "\"\r\n"
        + "Title,\"" + hexBytes("979897708ed295ca8c8e8ad48ec090d1955c88f38dfc") + "\"\r\n"
        + "SetDataText,\"" + hexBytes("979897708ed295ca8c8e8ad48ec090d1") + "\",\"" + root + "/TMP/"
        + hexBytes("979897708ed295ca8c8e8ad48ec090d12e637376") + "\"\r\n"
        + "PrintPaper, A4\r\n"
        + "ShowWindow,2\r\n";
    EXPECT_EQ(fileBytes(comFile()), expected);

    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, QStringLiteral("wfrfv10.exe"));
    EXPECT_EQ(rec.starts[0].args, (QStringList{QStringLiteral("/c"), comFile()}));
    EXPECT_EQ(rec.starts[0].style, WindowStyle::MinimizedFocus);
    EXPECT_TRUE(w.sErrMsg().isEmpty());
}

TEST_F(ReportCommandFile, OptionalLinesInTheirOrder)
{
    cls_WfdPrintExe w;
    ASSERT_EQ(w.iInit(QStringLiteral("L.wfd"), QStringLiteral("T")), 0);
    // Slots are written in slot order, whatever the order of filling.
    w.iSetDataText(3, QStringLiteral("C"), QStringLiteral("c.csv"));
    w.iSetDataTextNoTitle(1, QStringLiteral("A"), QStringLiteral("/x/a.csv"));
    w.iSetOffset(-5, 7);
    w.iSetPrintZoom(90);
    w.iSetRepeatStart(1);
    w.iSetItemValue(QStringLiteral("A"), QStringLiteral("  "), QStringLiteral("C"), QStringLiteral("v1"));
    w.iSetItemValue(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("v2"));
    EXPECT_EQ(w.iPrintBk(), 0);
    EXPECT_EQ(comLines(), (QStringList{
        QStringLiteral("FileName,\"L.wfd\""),
        QStringLiteral("Title,\"T\""),
        QStringLiteral("SetDataText,\"A\",\"/x/a.csv\",,,1"),
        QStringLiteral("SetDataText,\"C\",\"") + tmp() + QStringLiteral("c.csv\""),
        QStringLiteral("PrintOffsetX, -5"),
        QStringLiteral("PrintOffsetY, 7"),
        QStringLiteral("PrintZoom, 90"),
        QStringLiteral("SectionRepeatStart, 1"),
        QStringLiteral("PrintPaper, A4"),
        QStringLiteral("SetItemValue,\"A.C\",\"v1\""),
        QStringLiteral("SetItemValue,\"A.B.C\",\"v2\""),
        QStringLiteral("PrintOut")}));

    // iInit resets offsets, zoom, repeat start and items, keeps the slots and, for an empty
    // title, the old title; the print dialog ends the file with PrintOutFromDialog.
    ASSERT_EQ(w.iInit(QStringLiteral("M.wfd"), QString()), 0);
    w.iSetRepeatStart(0);
    EXPECT_EQ(w.iPrintDialog(2), 0);
    EXPECT_EQ(comLines(), (QStringList{
        QStringLiteral("FileName,\"M.wfd\""),
        QStringLiteral("Title,\"T\""),
        QStringLiteral("SetDataText,\"A\",\"/x/a.csv\",,,1"),
        QStringLiteral("SetDataText,\"C\",\"") + tmp() + QStringLiteral("c.csv\""),
        QStringLiteral("PrintPaper, B5"),
        QStringLiteral("PrintOutFromDialog")}));
    EXPECT_EQ(rec.starts.size(), 2);
}

TEST_F(ReportCommandFile, PaperCodesAndNoTitle)
{
    const std::pair<short, QString> cases[] = {
        {0, QStringLiteral("PrintPaper, A4")}, {1, QStringLiteral("PrintPaper, A5")},
        {2, QStringLiteral("PrintPaper, B5")}, {3, QStringLiteral("PrintPaper, A4")},
        {-2, QStringLiteral("PrintPaper, A4")}, {-1, QString()}};
    for (const auto& [paper, line] : cases) {
        cls_WfdPrintExe w;
        ASSERT_EQ(w.iInit(QStringLiteral("L.wfd"), QString()), 0);
        w.iPreview(paper);
        QStringList want{QStringLiteral("FileName,\"L.wfd\"")};
        if (!line.isEmpty())
            want << line;
        want << QStringLiteral("ShowWindow,2");
        EXPECT_EQ(comLines(), want) << paper;
    }
    // iPreviewData writes the same file and starts nothing.
    const qsizetype startsBefore = rec.starts.size();
    cls_WfdPrintExe w;
    w.iInit(QStringLiteral("L.wfd"), QString());
    EXPECT_EQ(w.iPreviewData(), 0);
    EXPECT_EQ(comLines(), (QStringList{QStringLiteral("FileName,\"L.wfd\""), QStringLiteral("PrintPaper, A4"),
                                       QStringLiteral("ShowWindow,2")}));
    EXPECT_EQ(rec.starts.size(), startsBefore);
}

TEST_F(ReportCommandFile, FailuresLeaveTheErrorTextAndStartNothing)
{
    cls_WfdPrintExe w;
    ASSERT_EQ(w.iInit(QStringLiteral("L.wfd"), QStringLiteral("T")), 0);
    EXPECT_EQ(w.iSetDataText(0, QStringLiteral("A"), QStringLiteral("a.csv")), -1);
    EXPECT_EQ(w.sErrMsg(), QStringLiteral("(9)インデックスが有効範囲にありません。"));
    EXPECT_EQ(w.iSetDataTextNoTitle(6, QStringLiteral("A"), QStringLiteral("a.csv")), -1);

    // A layout path CP932 cannot hold would name another file in the command file.
    ASSERT_EQ(w.iInit(QStringLiteral("L😀.wfd"), QStringLiteral("T")), 0);
    EXPECT_EQ(w.iPreview(0), -1);
    EXPECT_EQ(w.sErrMsg(), QStringLiteral("(75)パス名が無効です。"));
    EXPECT_FALSE(QFileInfo::exists(comFile()));

    // No temporary folder: nothing written, nothing started.
    QDir(tmp()).removeRecursively();
    cls_WfdPrintExe w2;
    ASSERT_EQ(w2.iInit(QStringLiteral("L.wfd"), QStringLiteral("T")), 0);
    EXPECT_EQ(w2.iPrintDialog(0), -1);
    EXPECT_EQ(w2.sErrMsg(), QStringLiteral("(76)パスが見つかりません。"));
    EXPECT_TRUE(rec.starts.isEmpty());
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(ReportCommandFile, ControlViewerUsesTheRelativeFolder)
{
    cls_WfdPrintExe w;
    ASSERT_EQ(w.iInit(QStringLiteral("L.wfd"), QString()), 0);
    EXPECT_EQ(w.iPreviewActX(), 0);
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, QStringLiteral("WrVb6Viewer.exe"));
    EXPECT_EQ(rec.starts[0].args, (QStringList{QStringLiteral("/c"), QStringLiteral("./TMP/WfdCom.dat")}));
    EXPECT_EQ(rec.starts[0].style, WindowStyle::MaximizedFocus);
}

// Real starts: a viewer stand-in that keeps a copy of the command file it was given.
class ReportViewerStart : public ReportCommandFile {
protected:
    void SetUp() override
    {
        rec.reallyStart = true;
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", m_pathDir.path().toLocal8Bit() + ":/usr/bin:/bin");
    }
    void TearDown() override { qputenv("PATH", m_oldPath); }
    // A script that copies the file named by its argument number `arg` to `copy`.
    static void copyingScript(const QString& path, int arg, const QString& copy)
    {
        writeScript(path, "cp \"$" + QByteArray::number(arg) + "\" \"" + copy.toUtf8() + ".part\" && mv \""
                              + copy.toUtf8() + ".part\" \"" + copy.toUtf8() + "\"\n");
    }
    short preview()
    {
        cls_WfdPrintExe w;
        w.iInit(QStringLiteral("L.wfd"), QStringLiteral("T"));
        const short r = w.iPreview(0);
        m_err = w.sErrMsg();
        return r;
    }
    QTemporaryDir m_pathDir;
    QByteArray m_oldPath;
    QString m_err;
};

TEST_F(ReportViewerStart, FoundInTheProgramFolderFirstThenOnPath)
{
    const QString seenLocal = inst.file(QStringLiteral("seen-local.dat"));
    const QString seenPath = inst.file(QStringLiteral("seen-path.dat"));
    copyingScript(inst.file(QStringLiteral("wfrfv10.exe")), 2, seenLocal);
    copyingScript(m_pathDir.filePath(QStringLiteral("wfrfv10.exe")), 2, seenPath);

    ASSERT_EQ(preview(), 0) << m_err.toStdString();
    EXPECT_EQ(waitForFile(seenLocal), fileBytes(comFile()));

    QFile::remove(inst.file(QStringLiteral("wfrfv10.exe")));
    ASSERT_EQ(preview(), 0) << m_err.toStdString();
    EXPECT_EQ(waitForFile(seenPath), fileBytes(comFile()));
    EXPECT_TRUE(fileBytes(comFile()).startsWith("FileName,\"L.wfd\"\r\nTitle,\"T\"\r\n"));
}

TEST_F(ReportViewerStart, MissingViewerIsAnErrorText)
{
    EXPECT_EQ(preview(), -1);
    EXPECT_EQ(m_err, QStringLiteral("(53)ファイルが見つかりません。"));
    EXPECT_TRUE(QFileInfo::exists(comFile()));
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(ReportViewerStart, MergeProgramReadsTheFirstCommandFileBeforeTheSecond)
{
    const QString sawMerge = inst.file(QStringLiteral("saw-merge.dat"));
    const QString sawViewer = inst.file(QStringLiteral("saw-viewer.dat"));
    // The merge stand-in keeps the command file it reads, then writes the merged document.
    writeScript(inst.file(QStringLiteral("wfrimg10.exe")),
                "cp \"$3\" \"" + sawMerge.toUtf8() + "\"\nsleep 0.3\necho merged > \"$1\"\n");
    copyingScript(inst.file(QStringLiteral("wfrfv10.exe")), 2, sawViewer);
    inst.writeBytes(QStringLiteral("TMP/tmp.wfd"), "old"); // a stale merge result

    cls_WfdPrintExe w;
    const QString t = tmp();
    ASSERT_EQ(w.addPrint_addCSV(2, QStringLiteral("D"), {t + "a1.csv", t + "a2.csv"}, QStringLiteral("E"),
                                {t + "b1.csv", t + "b2.csv"}, {QStringLiteral("r1.wfd"), QStringLiteral("r2.wfd")},
                                {0, 1}, QStringLiteral("まとめ")),
              0)
        << w.sErrMsg().toStdString();
    EXPECT_EQ(splitLines(decodeCp932(fileBytes(sawMerge))), (QStringList{
        QStringLiteral("setTitle,\"まとめ\""),
        QStringLiteral("SetDataText,\"D\",\"") + t + QStringLiteral("a1.csv\",\",\", \"\"\"\", True"),
        QStringLiteral("setreport,\"r1.wfd\""),
        QStringLiteral("AddReport"),
        QStringLiteral("SetDataText,\"D\",\"") + t + QStringLiteral("a2.csv\",\",\", \"\"\"\", True"),
        QStringLiteral("SetDataText,\"E\",\"") + t + QStringLiteral("b2.csv\",\",\", \"\"\"\", True"),
        QStringLiteral("setreport,\"r2.wfd\"")}));
    EXPECT_EQ(fileBytes(t + "tmp.wfd"), QByteArray("merged\n"));
    EXPECT_EQ(splitLines(decodeCp932(waitForFile(sawViewer))), (QStringList{
        QStringLiteral("Title,\"まとめ\""), QStringLiteral("FileName,\"") + t + QStringLiteral("tmp.wfd\""),
        QStringLiteral("PrintOutFromDialog")}));
    ASSERT_EQ(rec.starts.size(), 2);
    EXPECT_EQ(rec.starts[0].program, QStringLiteral("wfrimg10.exe"));
    EXPECT_EQ(rec.starts[0].args, (QStringList{t + "tmp.wfd", QStringLiteral("/c"), comFile()}));

    // One report: no AddReport. A missing merge program fails at once.
    QFile::remove(inst.file(QStringLiteral("wfrimg10.exe")));
    EXPECT_EQ(w.addPrint(1, QStringLiteral("D"), {t + "a1.csv"}, {QStringLiteral("r1.wfd")}, QStringLiteral("X")), -1);
    EXPECT_EQ(w.sErrMsg(), QStringLiteral("(53)ファイルが見つかりません。"));
    EXPECT_EQ(comLines(), (QStringList{
        QStringLiteral("setTitle,\"X\""),
        QStringLiteral("SetDataText,\"D\",\"") + t + QStringLiteral("a1.csv\",\",\", \"\"\"\", True"),
        QStringLiteral("setreport,\"r1.wfd\"")}));
    // More reports than list elements.
    EXPECT_EQ(w.addPrint(2, QStringLiteral("D"), {t + "a1.csv"}, {QStringLiteral("r1.wfd")}, QStringLiteral("X")), -1);
    EXPECT_EQ(w.sErrMsg(), QStringLiteral("(9)インデックスが有効範囲にありません。"));
}

} // namespace
