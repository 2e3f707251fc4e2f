// Names that Massage.ini and the program give in another case than the folder holds them (a
// suite folder copied from Windows), and the temporary folder the program cannot write.
#include "base/paths.h"
#include "base/system_error.h"
#include "base/text_file.h"
#include "common/sys_settings.h"
#include "mainwindow/print_settings.h"
#include "reports/csv_writer.h"
#include "support/file_faults.h"
#include "support/recorded_messages.h"
#include "support/test_install.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

struct WindowsNames : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    QString at(const QString& relative) const { return inst.path() + u'/' + relative; }
    void folder(const QString& relative) const { QDir().mkpath(at(relative)); }
};

TEST_F(WindowsNames, EachComponentTakesTheExistingNameExactFirst)
{
    folder("SYS/Sub");
    folder("Data");
    folder("DATA");
    inst.writeBytes("ICON/WALL.PNG", "png");
    const QString root = inst.path();
    const struct {
        const char* rest;
        const char* expected; // below the folder
    } cases[] = {
        {"\\SYS\\", "/SYS/"},          // as written
        {"\\sys\\", "/SYS/"},          // another case
        {"\\Sys\\SUB\\", "/SYS/Sub/"}, // each component
        {"\\Data\\", "/Data/"},        // an exact match wins over one in another case
        {"\\data\\", "/DATA/"},        // of two in another case, the first by name ("DATA" < "Data")
        {"\\icon\\wall.png", "/ICON/WALL.PNG"},
        {"\\icon\\new\\x.txt", "/ICON/new/x.txt"}, // what does not exist stays as written
        {"\\NEW\\sys", "/NEW/sys"},                // and so does all below it
        {"\\.\\sys\\..\\Sys\\", "/./SYS/../SYS/"},
        {"", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathInFolder(root + u'/', QString::fromUtf8(c.rest)), root + QString::fromUtf8(c.expected)) << c.rest;
    // The two texts are joined as they are: a value without a separator continues the folder's
    // last name, and the folder's own components are never changed.
    EXPECT_EQ(pathInFolder(root, "tmp\\"), root + "tmp/");
    QDir().mkpath(root + "TMP");
    EXPECT_EQ(pathInFolder(root, "tmp\\"), root + "TMP/");
    QDir().rmdir(root + "TMP");
    EXPECT_EQ(pathInFolder(root.toUpper() + "/", "SYS"), nativePath(root.toUpper() + "/SYS"));
}

TEST_F(WindowsNames, FolderFunctionsAndTheFilesInThemAreFoundInAnyCase)
{
    // A suite folder copied from Windows: Massage.ini names \Sys, \Tmp…, the files are upper case.
    QFile::rename(at("Massage.ini"), at("MASSAGE.INI"));
    inst.writeBytes("MASSAGE.INI",
                    cp932Lines({"[SYSTEM]", "SYSTEM_SYS=\\Sys", "SYSTEM_TMP=\\Tmp", "SYSTEM_DATA=\\Data",
                                "SYSTEM_ICON=\\Icon", "WALLPAPER=wall.png", "BASEID=0103"}));
    inst.writeBytes("DATA/帳票FORMAT.INI",
                    cp932Lines({"[利用者別月間実績表]", "利用者別月間実績チェック表=OFFICE.WFD"}));
    inst.writeBytes("DATA/印刷設定.INI", cp932Lines({"[利用者別月間実績表]", "通院表示=1"}));
    inst.writeBytes("KOVANITZSVER.INI", "");
    EXPECT_EQ(vGetMassageIni("SYSTEM_SYS", true), "\\Sys");
    EXPECT_EQ(csGetSysFolder(), at("SYS/"));
    EXPECT_EQ(csGetTmpFolder(), at("TMP/"));
    EXPECT_EQ(csGetDataFolder(), at("DATA/"));
    EXPECT_EQ(csGetIconFolder(), at("ICON/"));
    EXPECT_EQ(appFile("KovaniTZSVer.ini"), at("KOVANITZSVER.INI"));
    EXPECT_EQ(printSettingsPath(), at("DATA/印刷設定.INI"));
    EXPECT_EQ(csGetReportLayout("利用者別月間実績表", "利用者別月間実績チェック表"), "OFFICE.WFD");
    EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
    EXPECT_FALSE(QFile::exists(at("Sys")) || QFile::exists(at("Tmp"))); // nothing made on the side
}

TEST_F(WindowsNames, AnUnwritableTemporaryFolderIsToldOnceWithItsReason)
{
    const QString warning = QStringLiteral("一時ファイルのフォルダに書き込めないため、帳票を出力できません。\r\n");
    // The warning naming the folder and the reason, or nothing when the reason is empty.
    auto told = [&](const QString& reason, const QString& name = QStringLiteral("TMP")) {
        rec.clear();
        vCheckTmpFolder();
        const QString text =
            warning + inst.path() + u'/' + name + QStringLiteral("\r\n（") + reason + QStringLiteral("）…");
        expectSaid(rec, reason.isEmpty() ? QList<Said>() : QList<Said>{{text, MsgIcon::Exclamation, "警告！"}});
    };
    told(QString());
    EXPECT_TRUE(QDir(at("TMP")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    QDir(at("TMP")).removeRecursively();
    told(QStringLiteral("ファイルまたはフォルダがありません"));
    inst.writeBytes("TMP", "a file where the folder should be");
    told(QStringLiteral("途中にフォルダでないファイルがあります"));
    QFile::remove(at("TMP"));
    folder("tmp"); // found in another case
    told(QString());
    if (makeReadOnly(at("tmp"))) {
        told(QStringLiteral("アクセス権がありません"), QStringLiteral("tmp"));
        undoReadOnly(at("tmp"));
    }

    // Without the entry (or the file) the documents say what is missing; nothing is said here.
    inst.writeBytes("Massage.ini", cp932Lines({"[SYSTEM]", "SYSTEM_SYS=\\SYS"}));
    told(QString());
    QFile::remove(at("Massage.ini"));
    told(QString());
}

TEST(SystemErrorText, ReasonsAreJapaneseAndRareOnesKeepTheirNumber)
{
    EXPECT_EQ(systemErrorText(EACCES), QStringLiteral("アクセス権がありません"));
    EXPECT_EQ(systemErrorText(ENOSPC), QStringLiteral("ディスクの空き容量が不足しています"));
    EXPECT_TRUE(systemErrorText(EPROTO).startsWith(QStringLiteral("システムエラー %1: ").arg(EPROTO)));
}

} // namespace
