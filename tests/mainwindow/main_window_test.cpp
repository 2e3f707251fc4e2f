// The main window offscreen: load, extraction, header sort, menu pairs, leaving.
#include "common/globals.h"
#include "common/text_file.h"
#include "mainwindow/grid_sort.h"
#include "mainwindow/main_window.h"
#include "mainwindow/month_edit.h"
#include "platform/spread_grid.h"
#include "support/list_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Window = frmPrint利用者別月間実績表;

struct MainWindowFixture : ListFixture {
    std::unique_ptr<Window> w = std::make_unique<Window>();

    void loadWindow(std::array<short, 5> results = {0, 0, 0, 0, 0})
    {
        for (size_t i = 0; i < 5; ++i)
            w->startupChecks[i] = [r = results[i]] { return r; };
        w->load();
    }
    QString settingsPath() const { return inst.file(QStringLiteral("DATA/印刷設定.ini")); }
};

TEST_F(MainWindowFixture, FailedChecksShowTheirNumberedMessagesAndTheWindowStillOpens)
{
    loadWindow({0, -1, 0, -1, 0});
    ASSERT_EQ(rec.messages.size(), 2);
    const QString tail = QStringLiteral("\nKovaniのバージョンと更新プログラムのバージョンを確認してください。");
    EXPECT_EQ(rec.messages[0].text, QStringLiteral("バージョンチェックに失敗しました。(2)") + tail);
    EXPECT_EQ(rec.messages[1].text, QStringLiteral("バージョンチェックに失敗しました。(4)") + tail);
    EXPECT_EQ(rec.messages[0].title, QStringLiteral("確認"));
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::None);
    // The screen was prepared: today's month, its title, the hidden columns, the threshold off.
    EXPECT_EQ(w->imD_Out->date(), QDate::currentDate());
    EXPECT_TRUE(w->lblMes->text().startsWith(QStringLiteral("施術継続理由・状態記入を必要とする対象者一覧（")));
    EXPECT_TRUE(w->grdData->colHidden(15));
    EXPECT_TRUE(w->grdData->colHidden(16));
    EXPECT_TRUE(w->optSerchSel[3]->isChecked());
    EXPECT_FALSE(w->imnHinkaiKaisu->isEnabled());
    EXPECT_FALSE(QFile::exists(settingsPath())); // the load writes nothing
    EXPECT_EQ(gTZSVer, 0);
    w->optSerchSel[2]->click();
    EXPECT_TRUE(w->imnHinkaiKaisu->isEnabled());
    w->optSerchSel[4]->click();
    EXPECT_FALSE(w->imnHinkaiKaisu->isEnabled());
}

TEST_F(MainWindowFixture, EditionMarkerIsOneWhenTheFileExists)
{
    inst.writeBytes(QStringLiteral("KovaniTZSVer.ini"), "");
    loadWindow();
    EXPECT_EQ(gTZSVer, 1);
}

TEST_F(MainWindowFixture, ExtractionFillsTheGridAndSavesTheSettings)
{
    seedThreeUsers();
    inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"), cp932Lines({"[利用者別月間実績表]"}));
    loadWindow();
    w->imD_Out->setMonth(QDate(2024, 5, 15));
    w->optSerchSel[4]->click();
    QTest::mouseClick(w->but_Read, Qt::LeftButton);
    ASSERT_EQ(w->grdData->MaxRows(), 3);
    EXPECT_EQ(w->grdData->value(1, 2), QVariant(qlonglong(10101)));
    EXPECT_EQ(w->grdData->text(1, 3), QStringLiteral("山田　太郎"));
    EXPECT_EQ(w->grdData->value(1, 1), 0);
    EXPECT_TRUE(w->grdData->isLocked(1, 2));
    EXPECT_FALSE(w->grdData->isLocked(1, 1));
    EXPECT_EQ(w->lblMes->text(), QStringLiteral("施術継続理由・状態記入を必要とする対象者一覧（令和06年5月分）"));
    EXPECT_TRUE(decodeCp932(inst.readBytes(QStringLiteral("DATA/印刷設定.ini"))).contains(QStringLiteral("抽出頻回回数=0")));

    QTest::mouseClick(w->cmdSelAll[0], Qt::LeftButton);
    for (int r = 1; r <= 3; ++r)
        EXPECT_TRUE(w->isRowSelected(r));
    QTest::mouseClick(w->cmdSelAll[1], Qt::LeftButton);
    EXPECT_FALSE(w->isRowSelected(2));
}

TEST_F(MainWindowFixture, HeaderDoubleClicksDriveTheSortKeys)
{
    seedThreeUsers();
    loadWindow();
    w->imD_Out->setMonth(QDate(2024, 5, 1));
    w->optSerchSel[4]->click();
    w->extract();
    ASSERT_EQ(w->grdData->MaxRows(), 3);
    auto dbl = [&](int col) { w->grdData->onDoubleClick(0, col); };
    dbl(3);
    dbl(3);
    dbl(5);
    using Keys = std::vector<std::pair<int, short>>;
    EXPECT_EQ(w->sorter()->keys().keys(), (Keys{{5, 1}, {3, 2}}));
    dbl(2);
    dbl(2);
    EXPECT_EQ(w->grdData->value(1, 2), QVariant(qlonglong(10301))); // descending by number
    EXPECT_EQ(w->grdData->activeRow(), 1);
}

TEST_F(MainWindowFixture, MenuPairsTickExactlyOneItemAndSave)
{
    inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"), cp932Lines({"[利用者別月間実績表]"}));
    loadWindow();
    w->mnSejutuKaisuCnt[1]->trigger();
    EXPECT_TRUE(w->mnSejutuKaisuCnt[1]->isChecked());
    EXPECT_FALSE(w->mnSejutuKaisuCnt[0]->isChecked());
    w->mnRiyusyoTypeSel[0]->trigger();
    EXPECT_TRUE(w->mnRiyusyoTypeSel[0]->isChecked());
    EXPECT_FALSE(w->mnRiyusyoTypeSel[1]->isChecked());
    EXPECT_FALSE(w->newStyleFlag());
    const QString text = decodeCp932(inst.readBytes(QStringLiteral("DATA/印刷設定.ini")));
    EXPECT_TRUE(text.contains(QStringLiteral("初療日月の施術回数=1\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("継続理由書様式=0\r\n")));
    w->mnRiyusyoTypeSel[0]->trigger(); // choosing the ticked item again keeps it ticked
    EXPECT_TRUE(w->mnRiyusyoTypeSel[0]->isChecked());
}

TEST_F(MainWindowFixture, SettingsRestoreIntoTheControlsAndSaveUnchanged)
{
    inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"),
                    cp932Lines({"[利用者別月間実績表]", "通院の表示=1", "並び順=1", "出力帳票=1", "初療日月の施術回数=1",
                                "継続理由書様式=0", "過去頻回実績月表示=1", "抽出頻回回数=5"}));
    const QByteArray before = inst.readBytes(QStringLiteral("DATA/印刷設定.ini"));
    loadWindow();
    EXPECT_TRUE(w->chkTuuinDisp->isChecked() && w->optSort[1]->isChecked() && w->optPrintType[1]->isChecked());
    EXPECT_TRUE(w->mnSejutuKaisuCnt[1]->isChecked() && !w->mnSejutuKaisuCnt[0]->isChecked());
    EXPECT_TRUE(w->mnRiyusyoTypeSel[0]->isChecked() && !w->mnRiyusyoTypeSel[1]->isChecked());
    EXPECT_EQ(w->pastMonthsFlag(), 1);
    EXPECT_EQ(w->imnHinkaiKaisu->value(), 5);
    w->saveSettings();
    EXPECT_EQ(inst.readBytes(QStringLiteral("DATA/印刷設定.ini")), before); // same values, same bytes
}

TEST_F(MainWindowFixture, NoSettingsFileMeansNothingIsWritten)
{
    seedThreeUsers();
    loadWindow();
    w->optSerchSel[4]->click();
    w->extract();
    w->mnSejutuKaisuCnt[1]->trigger();
    EXPECT_FALSE(QFile::exists(settingsPath()));
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(MainWindowFixture, LeavingStartsTheMenuProgramWithTwo)
{
    loadWindow();
    w->show();
    w->close(); // the close box
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, gAppPath + QStringLiteral("\\Main.exe"));
    EXPECT_EQ(rec.starts[0].args, QStringList{QStringLiteral("2")});
    EXPECT_EQ(rec.starts[0].style, WindowStyle::NormalFocus);

    auto other = std::make_unique<Window>();
    for (auto& c : other->startupChecks)
        c = [] { return short(0); };
    other->load();
    other->show();
    QTest::mouseClick(other->btnExit, Qt::LeftButton);
    ASSERT_EQ(rec.starts.size(), 2);
    EXPECT_EQ(rec.starts[1].args, QStringList{QStringLiteral("2")});
}

} // namespace
