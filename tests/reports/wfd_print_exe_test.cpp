// The viewer's command file, the viewer's command lines and real program starts.
#include "reports/wfd_print_exe.h"

#include "base/text_file.h"
#include "support/test_install.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class ReportCommandFile : public ::testing::Test {
protected:
    TestInstall inst;
    ScopedRecordingPlatform rec;
    const QString tmp = inst.path() + "/TMP/";
    const QString comFile = tmp + "WfdCom.dat";
    // The command file as text, CRLF line ends included.
    QString com() const { return decodeCp932(fileBytes(comFile)); }
};

TEST_F(ReportCommandFile, LinesInTheirOrderPaperCodesAndOutputs)
{
    const std::pair<short, const char*> cases[] = {{0, "A4"}, {1, "A5"}, {2, "B5"}, {3, "A4"}, {-2, "A4"}, {-1, ""}};
    for (const auto& [paper, size] : cases) {
        cls_WfdPrintExe w;
        ASSERT_EQ(w.iInit("L.wfd", QString()), 0);
        EXPECT_EQ(w.iPreview(paper), 0);
        const QString line = *size ? "PrintPaper, " + QString(size) + "\r\n" : QString();
        EXPECT_EQ(com(), "FileName,\"L.wfd\"\r\n" + line + "ShowWindow,2\r\n") << paper;
    }
    // iPreviewData writes the file and starts nothing; iPreviewActX starts the control viewer
    // maximized with a path relative to the current folder.
    rec.clear();
    cls_WfdPrintExe w;
    w.iInit("L.wfd", QString());
    EXPECT_EQ(w.iPreviewData(), 0);
    EXPECT_EQ(com(), "FileName,\"L.wfd\"\r\nPrintPaper, A4\r\nShowWindow,2\r\n");
    EXPECT_TRUE(rec.starts.isEmpty());
    EXPECT_EQ(w.iPreviewActX(), 0);
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, "WrVb6Viewer.exe");
    EXPECT_EQ(rec.starts[0].args, (QStringList{"/c", "./TMP/WfdCom.dat"}));
    EXPECT_EQ(rec.starts[0].style, WindowStyle::MaximizedFocus);

    // The optional lines; slots in slot order, whatever the order of filling.
    ASSERT_EQ(w.iInit("L.wfd", "T"), 0);
    w.iSetDataText(3, "C", "c.csv");
    w.iSetDataTextNoTitle(1, "A", "/x/a.csv");
    w.iSetOffset(-5, 7);
    w.iSetPrintZoom(90);
    w.iSetRepeatStart(1);
    w.iSetItemValue("A", "  ", "C", "v1");
    w.iSetItemValue("A", "B", "C", "v2");
    EXPECT_EQ(w.iPrintBk(), 0);
    const QString slotLines = "SetDataText,\"A\",\"/x/a.csv\",,,1\r\nSetDataText,\"C\",\"" + tmp + "c.csv\"\r\n";
    EXPECT_EQ(com(),
              "FileName,\"L.wfd\"\r\nTitle,\"T\"\r\n" + slotLines
                  + "PrintOffsetX, -5\r\nPrintOffsetY, 7\r\nPrintZoom, 90\r\nSectionRepeatStart, 1\r\n"
                    "PrintPaper, A4\r\nSetItemValue,\"A.C\",\"v1\"\r\nSetItemValue,\"A.B.C\",\"v2\"\r\nPrintOut\r\n");

    // iInit resets offsets, zoom, repeat start and items, keeps the data slots and, for an empty title, the old title.
    ASSERT_EQ(w.iInit("M.wfd", QString()), 0);
    EXPECT_EQ(w.iPrintDialog(2), 0);
    EXPECT_EQ(com(), "FileName,\"M.wfd\"\r\nTitle,\"T\"\r\n" + slotLines + "PrintPaper, B5\r\nPrintOutFromDialog\r\n");
    EXPECT_EQ(rec.starts.size(), 3);
}

TEST_F(ReportCommandFile, FailuresLeaveTheErrorTextAndStartNothing)
{
    cls_WfdPrintExe w;
    ASSERT_EQ(w.iInit("L.wfd", "T"), 0);
    EXPECT_EQ(w.iSetDataText(0, "A", "a.csv"), -1);
    EXPECT_EQ(w.sErrMsg(), "(9)インデックスが有効範囲にありません。");
    EXPECT_EQ(w.iSetDataTextNoTitle(6, "A", "a.csv"), -1);

    // A layout path CP932 cannot hold would name another file in the command file.
    ASSERT_EQ(w.iInit("L😀.wfd", "T"), 0);
    EXPECT_EQ(w.iPreview(0), -1);
    EXPECT_EQ(w.sErrMsg(), "(75)パス名が無効です。");
    EXPECT_FALSE(QFileInfo::exists(comFile));

    // No temporary folder: nothing written, nothing started.
    QDir(tmp).removeRecursively();
    ASSERT_EQ(w.iInit("L.wfd", "T"), 0);
    EXPECT_EQ(w.iPrintDialog(0), -1);
    EXPECT_EQ(w.sErrMsg(), "(76)パスが見つかりません。");
    EXPECT_TRUE(rec.starts.isEmpty() && rec.messages.isEmpty());
}

// Real starts, with stand-ins for the viewer and the merge program; PATH holds the folder bin.
class ReportViewerStart : public ReportCommandFile {
protected:
    void SetUp() override
    {
        rec.reallyStart = true;
        qputenv("PATH", inst.file("bin").toLocal8Bit() + ":/usr/bin:/bin");
    }
    void TearDown() override { qputenv("PATH", m_oldPath); }
    void script(const QString& relative, const QByteArray& body) const
    {
        inst.writeBytes(relative, "#!/bin/sh\n" + body);
        QFile::setPermissions(inst.file(relative),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // A stand-in that keeps a copy of the file named by its argument number `arg`.
    void copyingScript(const QString& relative, int arg, const QString& copy) const
    {
        const QByteArray c = inst.file(copy).toUtf8();
        script(relative,
               "cp \"$" + QByteArray::number(arg) + "\" \"" + c + ".part\" && mv \"" + c + ".part\" \"" + c + "\"\n");
    }
    // The bytes of a file a started program writes, or empty after the time-out.
    QByteArray waitForFile(const QString& relative) const
    {
        QDeadlineTimer deadline(15000);
        while (!QFileInfo(inst.file(relative)).isFile() && !deadline.hasExpired())
            QThread::msleep(20);
        return inst.readBytes(relative);
    }
    // A preview's result with its error text ("0 " when it started).
    std::string preview()
    {
        cls_WfdPrintExe w;
        w.iInit("L.wfd", "T");
        const short r = w.iPreview(0);
        return std::to_string(r) + ' ' + w.sErrMsg().toStdString();
    }
    const QByteArray m_oldPath = qgetenv("PATH");
};

TEST_F(ReportViewerStart, ProgramFolderFirstThenPathThenAnErrorText)
{
    copyingScript("wfrfv10.exe", 2, "seen-local.dat");
    copyingScript("bin/wfrfv10.exe", 2, "seen-path.dat");

    ASSERT_EQ(preview(), "0 ");
    EXPECT_EQ(waitForFile("seen-local.dat"), fileBytes(comFile));
    EXPECT_TRUE(fileBytes(comFile).startsWith("FileName,\"L.wfd\"\r\nTitle,\"T\"\r\n"));

    QFile::remove(inst.file("wfrfv10.exe"));
    ASSERT_EQ(preview(), "0 ");
    EXPECT_EQ(waitForFile("seen-path.dat"), fileBytes(comFile));

    // Missing from both: an error text, no message and no crash.
    QFile::remove(inst.file("bin/wfrfv10.exe"));
    EXPECT_EQ(preview(), "-1 (53)ファイルが見つかりません。");
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(ReportViewerStart, MergeProgramReadsTheFirstCommandFileBeforeTheSecond)
{
    // The merge stand-in keeps the command file it reads, then writes the merged document.
    script("wfrimg10.exe",
           "cp \"$3\" \"" + inst.file("saw-merge.dat").toUtf8() + "\"\nsleep 0.3\necho merged > \"$1\"\n");
    copyingScript("wfrfv10.exe", 2, "saw-viewer.dat");
    inst.writeBytes("TMP/tmp.wfd", "old"); // a stale merge result
    auto data = [&](const char* name, const char* file) {
        return "SetDataText,\"" + QString::fromUtf8(name) + "\",\"" + tmp + file + "\",\",\", \"\"\"\", True\r\n";
    };

    cls_WfdPrintExe w;
    const short merged = w.addPrint_addCSV(2, "D", {tmp + "a1.csv", tmp + "a2.csv"}, "E",
                                           {tmp + "b1.csv", tmp + "b2.csv"}, {"r1.wfd", "r2.wfd"}, {0, 1}, "まとめ");
    ASSERT_EQ(merged, 0) << w.sErrMsg().toStdString();
    EXPECT_EQ(decodeCp932(inst.readBytes("saw-merge.dat")),
              "setTitle,\"まとめ\"\r\n" + data("D", "a1.csv") + "setreport,\"r1.wfd\"\r\nAddReport\r\n"
                  + data("D", "a2.csv") + data("E", "b2.csv") + "setreport,\"r2.wfd\"\r\n");
    EXPECT_EQ(fileBytes(tmp + "tmp.wfd"), QByteArray("merged\n"));
    EXPECT_EQ(decodeCp932(waitForFile("saw-viewer.dat")),
              "Title,\"まとめ\"\r\nFileName,\"" + tmp + "tmp.wfd\"\r\nPrintOutFromDialog\r\n");
    ASSERT_EQ(rec.starts.size(), 2);
    EXPECT_EQ(rec.starts[0].program, "wfrimg10.exe");
    EXPECT_EQ(rec.starts[0].args, (QStringList{tmp + "tmp.wfd", "/c", comFile}));

    // One report: no AddReport. A missing merge program fails at once.
    QFile::remove(inst.file("wfrimg10.exe"));
    EXPECT_EQ(w.addPrint(1, "D", {tmp + "a1.csv"}, {"r1.wfd"}, "X"), -1);
    EXPECT_EQ(w.sErrMsg(), "(53)ファイルが見つかりません。");
    EXPECT_EQ(com(), "setTitle,\"X\"\r\n" + data("D", "a1.csv") + "setreport,\"r1.wfd\"\r\n");
    // More reports than list elements.
    EXPECT_EQ(w.addPrint(2, "D", {tmp + "a1.csv"}, {"r1.wfd"}, "X"), -1);
    EXPECT_EQ(w.sErrMsg(), "(9)インデックスが有効範囲にありません。");
}

} // namespace
