// The main window's document commands driven as the operator does: the continuation form's
// buttons (selection checks, layout by the form menu, print or preview, the blank format, the
// past-months flag, no settings saved), the document dialog, the frequency button cell with its
// row refresh, and the online help (modal windows answered while they are open).
#include "support/main_window_fixture.h"
#include "support/modal.h"
#include "support/recorded_messages.h"
#include "windows/frm_print16_hindo.h"

namespace {

struct DocumentCommands : MainWindowTest {
    void SetUp() override
    {
        seedThreeUsers(); // 10101 first treated 2020/01, 10201 2023/11, 10301 2024/02
        addOver16(10101, 2024, 5, 1);
        addOver16(10301, 2024, 5, 1);
        writeSettings({"過去頻回実績月表示=0"});
        load(QDate(2024, 5, 1));
        rec.clear();
    }
    void extract()
    {
        extractEveryone(*w);
        rec.clear();
    }
    QStringList form() const { return tmpLines("継続理由・状況記入書.csv"); }
    // Opens the button cell's window by the action; the user it shows, with the step run while it is open.
    QString shownUser(const std::function<void()>& action, const std::function<void()>& meanwhile)
    {
        QString shown;
        whenModal<QDialog>([&](QDialog* m) {
            shown = m->findChild<QLineEdit*>("txtRiyoushaID")->text();
            meanwhile();
            m->close();
        });
        action();
        return shown;
    }
    // Opens the document dialog and answers it: the document, the check box, then a button (-1: 閉じる).
    void answerDialog(int document, bool ticked, int button, bool* enabled = nullptr)
    {
        whenModal<frmPrint16Hindo>([=](frmPrint16Hindo* d) {
            if (enabled)
                *enabled = d->chkPrintKakoJisseki->isEnabled();
            d->optPrintType[static_cast<size_t>(document)]->click();
            d->chkPrintKakoJisseki->setChecked(ticked);
            (button < 0 ? d->btnCancel : d->btnJisseki[static_cast<size_t>(button)])->click();
        });
        w->btnJissekiSelect[1]->click();
    }
};

TEST_F(DocumentCommands, NobodyToPrintIsRefusedBeforeAnythingIsRead)
{
    // An empty list, then a list with nobody ticked: the same message from the form's buttons and
    // the document dialog's, no dialog, nothing written.
    QPushButton* const buttons[] = {w->btnJisseki[0], w->btnJisseki[1], w->btnJisseki[2], w->btnJissekiSelect[1]};
    for (int pass = 0; pass < 2; ++pass) {
        for (QPushButton* b : buttons) {
            SCOPED_TRACE(b->objectName().toStdString() + " pass " + std::to_string(pass));
            rec.clear();
            QTest::mouseClick(b, Qt::LeftButton);
            expectSaid(rec, {{"利用者を選択してください。", MsgIcon::None, "確認"}});
            EXPECT_TRUE(rec.starts.isEmpty());
        }
        extract();
        ASSERT_GT(w->grdData->MaxRows(), 0);
    }
    EXPECT_FALSE(QFile::exists(inst.file("TMP/継続理由・状況記入書.csv")));
}

TEST_F(DocumentCommands, ButtonsPrintPreviewAndFormatWithTheChosenLayoutAndThePastMonthsFlag)
{
    // 10101 was first treated in January 2020: in May 2024 its 24 months are counted.
    for (int m = 1; m <= 12; ++m)
        addMonth(10101, 2023, m, m % 3 == 0 ? 16 : 10);
    extract();
    tickUsers(*w, {10101, 10201}); // 10201 has no entry for May: left out unless the blank format
    // The form menu's item ticked, the button, the layout, the command file's last line, the
    // CSV's data lines and the format column.
    const std::tuple<size_t, size_t, QString, QString, int, QString> cases[] = {
        {1, 1, "継続理由・状況記入書_R03.wfd", "ShowWindow,2", 1, "0"},
        {0, 1, "継続理由・状況記入書.wfd", "ShowWindow,2", 1, "0"},
        {0, 0, "継続理由・状況記入書.wfd", "PrintOutFromDialog", 1, "0"},
        {1, 2, "継続理由・状況記入書_R03.wfd", "ShowWindow,2", 2, "1"}};
    for (const auto& [menu, button, layout, last, dataLines, format] : cases) {
        w->mnRiyusyoTypeSel[menu]->trigger();
        const QByteArray settings = settingsBytes();
        rec.clear();
        QTest::mouseClick(w->btnJisseki[button], Qt::LeftButton);
        EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
        ASSERT_EQ(rec.starts.size(), 1);
        EXPECT_TRUE(comFile().startsWith("FileName,\"" + inst.path() + "/SYS/" + layout + u'"'))
            << comFile().toStdString();
        EXPECT_TRUE(comFile().endsWith(last + "\r\n"));
        const QStringList lines = form();
        ASSERT_EQ(lines.size(), 1 + dataLines);
        EXPECT_EQ(lines[1].section(u',', 3, 3), "10101");
        EXPECT_EQ(lines[1].section(u',', 48, 48), format);
        EXPECT_EQ(settingsBytes(), settings); // the command saves no settings
    }
    // The window's past-months flag reaches the form.
    w->setPastMonthsFlag(1);
    w->btnJisseki[1]->click();
    EXPECT_EQ(form().value(1).section(u',', 49), "\"2024/05\",\"2023/12\",\"2023/09\",\"2023/06\",\"2023/03\"");
    w->setPastMonthsFlag(0);
    w->btnJisseki[1]->click();
    EXPECT_EQ(form().value(1).section(u',', 49), "\"\",\"\",\"\",\"\",\"\"");
}

TEST_F(DocumentCommands, DocumentDialogCancelPrintPreviewAndPlan)
{
    extract();
    w->grdData->setValue(rowOf(10101), colSel, 1);

    // Cancelled: the flag and the settings file as they were, nothing written.
    const QByteArray before = settingsBytes();
    answerDialog(0, true, -1);
    EXPECT_EQ(w->pastMonthsFlag(), 0);
    EXPECT_EQ(settingsBytes(), before);
    EXPECT_TRUE(rec.starts.isEmpty());

    // The form printed with the box ticked: the past months, the print dialog, the flag kept and saved.
    bool enabled = false;
    answerDialog(0, true, 0, &enabled);
    EXPECT_TRUE(enabled); // the R03 form is the menu's choice
    EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
    ASSERT_EQ(form().size(), 2);
    EXPECT_TRUE(form()[1].endsWith(",\"2024/05\",\"\",\"\",\"\",\"\""));
    EXPECT_TRUE(comFile().endsWith("\r\nPrintOutFromDialog\r\n"));
    EXPECT_EQ(w->pastMonthsFlag(), 1);
    EXPECT_TRUE(settings().contains("過去頻回実績月表示=1\r\n"));

    // Preview of the form under the older layout: the box cannot be changed there.
    w->mnRiyusyoTypeSel[0]->trigger();
    answerDialog(0, false, 1, &enabled);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(comFile().contains("/SYS/継続理由・状況記入書.wfd\"") && comFile().endsWith("\r\nShowWindow,2\r\n"));

    // The plan: its own file, the flag 0 saved.
    answerDialog(1, true, 1);
    EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
    EXPECT_TRUE(comFile().contains("/SYS/施術計画書.wfd\""));
    EXPECT_EQ(tmpLines("施術計画書.csv").size(), 2);
    EXPECT_EQ(w->pastMonthsFlag(), 0);
    EXPECT_TRUE(settings().contains("過去頻回実績月表示=0\r\n"));
    EXPECT_EQ(rec.starts.size(), 3);
}

TEST_F(DocumentCommands, ButtonCellOpensTheSubWindowAndRefreshesTheRow)
{
    for (int m = 1; m <= 12; ++m)
        addMonth(10101, 2023, m, 17);
    sql({"UPDATE OVER16COUNT SET nStaffID = 0"});
    extract();
    ASSERT_EQ(w->grdData->text(rowOf(10101), colSyoumei), QString());
    const int row = rowOf(10101);
    ASSERT_GT(row, 0);
    // By mouse: the window shows the row's user; while it is open another program saves an
    // entry's certifier; the row shows it afterwards.
    const QRect cell = w->grdData->visualRect(w->grdData->model()->index(row - 1, colHinkaiButton - 1));
    EXPECT_EQ(shownUser([&] { QTest::mouseClick(w->grdData->viewport(), Qt::LeftButton, {}, cell.center()); },
                        [&] { sql({"UPDATE OVER16COUNT SET nStaffID = 1 WHERE nKanjaID = 10101"}); }),
              "10101");
    EXPECT_EQ(w->grdData->text(row, colSyoumei), "佐藤　一郎");
    EXPECT_TRUE(rec.messages.isEmpty());

    // By keyboard: Space on the focused cell; a refresh that fails is reported.
    w->grdData->setFocus();
    w->grdData->setCurrentCell(row - 1, colHinkaiButton - 1);
    EXPECT_EQ(shownUser([&] { QTest::keyClick(w->grdData, Qt::Key_Space); },
                        [&] { execPlainSqlite(db, {"DROP TABLE OVER16COUNT"}); }),
              "10101");
    expectFailedRefresh(rec);

    // A user under two years: the message, and no window at all (clickButton would not return
    // while a modal window were open).
    rec.clear();
    w->grdData->clickButton(rowOf(10301), colHinkaiButton);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    expectSaid(rec, {{"初療日から2年経過していないため、\r\n施術頻回の対象者ではありません。", std::nullopt, "情報"}});
}

TEST_F(DocumentCommands, OnlineHelpFromTheMenu)
{
    inst.writeBytes("Kovani.Ver", cp932Lines({"[OnlineHelp]", "ADDRESS=https://help.example.jp/"}));
    inst.writeBytes("EmapUser.ini", "ZENRIN_USER=abc,ZENRIN_PWD=xyz");
    w->mnDispHelp->trigger();
    EXPECT_EQ(rec.opened, QStringList{"https://help.example.jp/?zi=cba&zp=zyx&lk=1"});
    EXPECT_TRUE(rec.maxBusyDepth >= 1 && rec.busyDepth == 0);
}

} // namespace
