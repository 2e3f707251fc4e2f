// 印刷設定.ini: every key's fallback, the missing file, the order and texts of a save.
#include "common/text_file.h"
#include "mainwindow/print_settings.h"
#include "support/test_install.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

struct PrintSettingsFixture : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    void settingsFile(const QStringList& lines)
    {
        inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"), cp932Lines(QStringList{QStringLiteral("[利用者別月間実績表]")} + lines));
    }
    PrintSettings loaded(const QStringList& lines)
    {
        settingsFile(lines);
        PrintSettings s;
        vLoadPrintSettings(s);
        return s;
    }
};

TEST_F(PrintSettingsFixture, MissingFileKeepsTheInitialStateAndIsNeverCreated)
{
    PrintSettings s;
    s.sortIndex = 1;
    s.threshold = 4;
    EXPECT_EQ(vLoadPrintSettings(s), 0);
    EXPECT_EQ(s.sortIndex, 1);
    EXPECT_EQ(s.threshold, 4);
    vSavePrintSettings(s);
    EXPECT_FALSE(QFile::exists(inst.file(QStringLiteral("DATA/印刷設定.ini"))));
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(PrintSettingsFixture, ValuesAndFallbacks)
{
    PrintSettings s = loaded({"通院の表示=2x", "並び順=1", "出力帳票=1", "初療日月の施術回数=1", "継続理由書様式=0",
                              "過去頻回実績月表示=1", "抽出頻回回数=5"});
    EXPECT_TRUE(s.tuuinDisp);
    EXPECT_EQ(s.sortIndex, 1);
    EXPECT_EQ(s.printType, 1);
    EXPECT_EQ(s.sejutuKaisuCnt, 1);
    EXPECT_EQ(s.riyusyoType, 0);
    EXPECT_EQ(s.pastMonths, 1);
    EXPECT_EQ(s.threshold, 5);

    s = loaded({"通院の表示=x", "並び順=2", "出力帳票=abc", "初療日月の施術回数=-3", "継続理由書様式=abc",
                "過去頻回実績月表示=yes", "抽出頻回回数=abc"});
    EXPECT_FALSE(s.tuuinDisp);
    EXPECT_EQ(s.sortIndex, 0);
    EXPECT_EQ(s.printType, 0);
    EXPECT_EQ(s.sejutuKaisuCnt, 0);
    EXPECT_EQ(s.riyusyoType, 1); // unusable: the newer form stays ticked
    EXPECT_EQ(s.pastMonths, 0);
    EXPECT_EQ(s.threshold, 0);

    s = loaded({"並び順=x", "並び順=1", "抽出頻回回数=99999"});
    EXPECT_EQ(s.sortIndex, 0); // the first key wins
    EXPECT_EQ(s.threshold, 0); // out of the 16-bit range
    s = loaded({"並び順=-1"});
    EXPECT_EQ(s.sortIndex, 0); // no such option
}

TEST_F(PrintSettingsFixture, SaveWritesEveryKeyInOrderAndKeepsOtherSections)
{
    inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"),
                    cp932Lines({"[他の帳票]", "並び順=9", "", "[利用者別月間実績表]", "並び順=0"}));
    PrintSettings s;
    s.tuuinDisp = true;
    s.sortIndex = 1;
    s.printType = 1;
    s.sejutuKaisuCnt = 1;
    s.riyusyoType = 0;
    s.pastMonths = 1;
    s.threshold = 3;
    vSavePrintSettings(s);
    EXPECT_EQ(inst.readBytes(QStringLiteral("DATA/印刷設定.ini")),
              cp932Lines({"[他の帳票]", "並び順=9", "", "[利用者別月間実績表]", "並び順=1", "通院の表示=1", "出力帳票=1",
                          "初療日月の施術回数=1", "継続理由書様式=0", "過去頻回実績月表示=1", "抽出頻回回数=3"}));
}

TEST_F(PrintSettingsFixture, AFailedWriteIsShownOnceAndStopsTheSave)
{
    settingsFile({"並び順=0"});
    const QByteArray before = inst.readBytes(QStringLiteral("DATA/印刷設定.ini"));
    PrintSettings s;
    s.sortIndex = 1;
    {
        ScopedFullDisk full;
        vSavePrintSettings(s);
    }
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("Error:Iniファイルの書込に失敗しました。"));
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(rec.messages[0].title, QString());
    EXPECT_EQ(inst.readBytes(QStringLiteral("DATA/印刷設定.ini")), before);
}

} // namespace
