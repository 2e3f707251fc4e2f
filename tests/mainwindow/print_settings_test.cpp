// 印刷設定.ini: every key's fallback, the missing file, the order and texts of a save.
#include "base/text_file.h"
#include "mainwindow/print_settings.h"
#include "support/test_install.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A state as one line, for whole comparisons.
std::string text(const PrintSettings& s)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(s.tuuinDisp)
        .arg(s.sortIndex)
        .arg(s.printType)
        .arg(s.sejutuKaisuCnt)
        .arg(s.riyusyoType)
        .arg(s.pastMonths)
        .arg(s.threshold)
        .toStdString();
}

struct PrintSettingsFixture : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    void settingsFile(const QStringList& lines)
    {
        inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"),
                        cp932Lines(QStringList{QStringLiteral("[利用者別月間実績表]")} + lines));
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
    const struct {
        QStringList lines;
        PrintSettings want; // tuuinDisp, sortIndex, printType, sejutuKaisuCnt, riyusyoType, pastMonths, threshold
    } cases[] = {
        {{"通院の表示=2x", "並び順=1", "出力帳票=1", "初療日月の施術回数=1", "継続理由書様式=0", "過去頻回実績月表示=1",
          "抽出頻回回数=5"},
         {true, 1, 1, 1, 0, 1, 5}},
        // Unusable values: the first option, the newer form ticked, the threshold 0.
        {{"通院の表示=x", "並び順=2", "出力帳票=abc", "初療日月の施術回数=-3", "継続理由書様式=abc",
          "過去頻回実績月表示=yes", "抽出頻回回数=abc"},
         {false, 0, 0, 0, 1, 0, 0}},
        {{"並び順=x", "並び順=1", "抽出頻回回数=99999"}, {}}, // the first key wins; out of the 16-bit range
        {{"並び順=-1"}, {}},                                  // no such option
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.join(u' ').toStdString());
        EXPECT_EQ(text(loaded(c.lines)), text(c.want));
    }
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
    EXPECT_EQ(
        inst.readBytes(QStringLiteral("DATA/印刷設定.ini")),
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
