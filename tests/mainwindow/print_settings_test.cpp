// 印刷設定.ini: every key's fallback, the missing file, the order and texts of a save.
#include "base/text_file.h"
#include "mainwindow/print_settings.h"
#include "support/recorded_messages.h"
#include "support/test_install.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A state as one line, for whole comparisons.
std::string text(const PrintSettings& s)
{
    std::string out;
    for (int v : {int(s.tuuinDisp), s.sortIndex, s.printType, s.sejutuKaisuCnt, s.riyusyoType, int(s.pastMonths),
                  int(s.threshold)})
        out += std::to_string(v) + ' ';
    return out;
}

struct PrintSettingsFixture : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    void settingsFile(const QStringList& lines)
    {
        inst.writeBytes("DATA/印刷設定.ini", cp932Lines(QStringList{"[利用者別月間実績表]"} + lines));
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
    PrintSettings s{false, 1, 0, 0, 1, 0, 4};
    EXPECT_EQ(vLoadPrintSettings(s), 0);
    EXPECT_EQ(text(s), "0 1 0 0 1 0 4 ");
    vSavePrintSettings(s);
    EXPECT_TRUE(!QFile::exists(inst.file("DATA/印刷設定.ini")) && rec.messages.isEmpty());
}

TEST_F(PrintSettingsFixture, ValuesAndFallbacks)
{
    // The section's lines; the state read: tuuinDisp, sortIndex, printType, sejutuKaisuCnt,
    // riyusyoType, pastMonths, threshold.
    const std::pair<const char*, const char*> cases[] = {
        {"通院の表示=2x 並び順=1 出力帳票=1 初療日月の施術回数=1 継続理由書様式=0 過去頻回実績月表示=1 抽出頻回回数=5",
         "1 1 1 1 0 1 5 "},
        // Unusable values: the first option, the newer form ticked, the threshold 0.
        {"通院の表示=x 並び順=2 出力帳票=abc 初療日月の施術回数=-3 継続理由書様式=abc 過去頻回実績月表示=yes "
         "抽出頻回回数=abc",
         "0 0 0 0 1 0 0 "},
        {"並び順=x 並び順=1 抽出頻回回数=99999", "0 0 0 0 1 0 0 "}, // the first key wins; out of the 16-bit range
        {"並び順=-1", "0 0 0 0 1 0 0 "}};                           // no such option
    for (const auto& [lines, want] : cases)
        EXPECT_EQ(text(loaded(QString(lines).split(u' '))), want) << lines;
}

TEST_F(PrintSettingsFixture, SaveWritesEveryKeyInOrderAndKeepsOtherSections)
{
    inst.writeBytes("DATA/印刷設定.ini",
                    cp932Lines({"[他の帳票]", "並び順=9", "", "[利用者別月間実績表]", "並び順=0"}));
    vSavePrintSettings(PrintSettings{true, 1, 1, 1, 0, 1, 3});
    EXPECT_EQ(
        inst.readBytes("DATA/印刷設定.ini"),
        cp932Lines({"[他の帳票]", "並び順=9", "", "[利用者別月間実績表]", "並び順=1", "通院の表示=1", "出力帳票=1",
                    "初療日月の施術回数=1", "継続理由書様式=0", "過去頻回実績月表示=1", "抽出頻回回数=3"}));
}

TEST_F(PrintSettingsFixture, AFailedWriteIsShownOnceAndStopsTheSave)
{
    settingsFile({"並び順=0"});
    const QByteArray before = inst.readBytes("DATA/印刷設定.ini");
    {
        ScopedFullDisk full;
        vSavePrintSettings(PrintSettings{false, 1});
    }
    expectSaid(rec, {{"Error:Iniファイルの書込に失敗しました。", MsgIcon::None, ""}});
    EXPECT_EQ(inst.readBytes("DATA/印刷設定.ini"), before);
}

} // namespace
