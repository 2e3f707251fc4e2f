// The main window offscreen: load, extraction, header sort, menu pairs, leaving.
#include "support/main_window_fixture.h"
#include "support/recorded_messages.h"

#include <QCalendarWidget>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>

namespace {

TEST_F(MainWindowTest, FailedChecksShowTheirNumberedMessagesAndTheWindowStillOpens)
{
    load({}, {0, -1, 0, -1, 0});
    const QString failed =
        "バージョンチェックに失敗しました。(%1)\nKovaniのバージョンと更新プログラムのバージョンを確認してください。";
    expectSaid(rec, {{failed.arg(2), MsgIcon::None, "確認"}, {failed.arg(4), MsgIcon::None, "確認"}});
    // The screen was prepared: today's month, its title, the hidden columns, the threshold off.
    EXPECT_EQ(w->imD_Out->date(), QDate::currentDate());
    EXPECT_TRUE(w->lblMes->text().startsWith("施術継続理由・状態記入を必要とする対象者一覧（"));
    EXPECT_TRUE(w->grdData->colHidden(15) && w->grdData->colHidden(16));
    EXPECT_TRUE(w->optSerchSel[3]->isChecked() && !w->imnHinkaiKaisu->isEnabled());
    EXPECT_FALSE(QFile::exists(inst.file("DATA/印刷設定.ini"))); // the load writes nothing
    EXPECT_EQ(gTZSVer, 0);
    w->optSerchSel[2]->click();
    EXPECT_TRUE(w->imnHinkaiKaisu->isEnabled());
    w->optSerchSel[4]->click();
    EXPECT_FALSE(w->imnHinkaiKaisu->isEnabled());

    // The edition marker file makes the edition 1.
    inst.writeBytes("KovaniTZSVer.ini", "");
    load();
    EXPECT_EQ(gTZSVer, 1);
}

TEST_F(MainWindowTest, ExtractionFillsTheGridSavesTheSettingsAndSortsByTheHeader)
{
    seedThreeUsers();
    writeSettings();
    load(QDate(2024, 5, 15));
    w->optSerchSel[4]->click();
    QTest::mouseClick(w->but_Read, Qt::LeftButton);
    ASSERT_EQ(w->grdData->MaxRows(), 3);
    EXPECT_EQ(w->grdData->value(1, 2), QVariant(qlonglong(10101)));
    EXPECT_EQ(w->grdData->text(1, 3), "山田　太郎");
    EXPECT_EQ(w->grdData->value(1, 1), 0);
    EXPECT_TRUE(w->grdData->isLocked(1, 2) && !w->grdData->isLocked(1, 1));
    EXPECT_EQ(w->lblMes->text(), "施術継続理由・状態記入を必要とする対象者一覧（令和06年5月分）");
    EXPECT_TRUE(settings().contains("抽出頻回回数=0"));

    QTest::mouseClick(w->cmdSelAll[0], Qt::LeftButton);
    for (int r = 1; r <= 3; ++r)
        EXPECT_TRUE(w->isRowSelected(r));
    QTest::mouseClick(w->cmdSelAll[1], Qt::LeftButton);
    EXPECT_FALSE(w->isRowSelected(2));

    // Header double clicks drive the sort keys: twice on the number, descending.
    w->grdData->onDoubleClick(0, 2);
    w->grdData->onDoubleClick(0, 2);
    EXPECT_EQ(w->sorter()->keys().keys(), (std::vector<std::pair<int, short>>{{2, 2}}));
    EXPECT_EQ(w->grdData->value(1, 2), QVariant(qlonglong(10301)));
    EXPECT_EQ(w->grdData->activeRow(), 1);
}

TEST_F(MainWindowTest, SettingsRestoreIntoTheControlsAndMenuPairsSaveTheirChoice)
{
    writeSettings({"通院の表示=1", "並び順=1", "出力帳票=1", "初療日月の施術回数=1", "継続理由書様式=0",
                   "過去頻回実績月表示=1", "抽出頻回回数=30"});
    const QByteArray before = settingsBytes();
    load();
    EXPECT_TRUE(w->chkTuuinDisp->isChecked() && w->optSort[1]->isChecked() && w->optPrintType[1]->isChecked());
    EXPECT_TRUE(w->mnSejutuKaisuCnt[1]->isChecked() && !w->mnSejutuKaisuCnt[0]->isChecked());
    EXPECT_TRUE(w->mnRiyusyoTypeSel[0]->isChecked() && !w->mnRiyusyoTypeSel[1]->isChecked() && !w->newStyleFlag());
    EXPECT_EQ(w->pastMonthsFlag(), 1);
    EXPECT_EQ(w->imnHinkaiKaisu->value(), 30); // above 24: several sub-numbers of a user count together
    w->saveSettings();
    EXPECT_EQ(settingsBytes(), before); // same values, same bytes

    // A menu pair ticks exactly one item and saves the choice.
    w->mnSejutuKaisuCnt[0]->trigger();
    EXPECT_TRUE(w->mnSejutuKaisuCnt[0]->isChecked() && !w->mnSejutuKaisuCnt[1]->isChecked());
    w->mnRiyusyoTypeSel[1]->trigger();
    EXPECT_TRUE(w->mnRiyusyoTypeSel[1]->isChecked() && !w->mnRiyusyoTypeSel[0]->isChecked() && w->newStyleFlag());
    EXPECT_TRUE(settings().contains("初療日月の施術回数=0\r\n") && settings().contains("継続理由書様式=1\r\n"));
    w->mnRiyusyoTypeSel[1]->trigger(); // choosing the ticked item again keeps it ticked
    EXPECT_TRUE(w->mnRiyusyoTypeSel[1]->isChecked());
}

// (Leaving by the close box: the start-up rows of bad_input_test.)
TEST_F(MainWindowTest, LeavingStartsTheMenuProgramWithTwo)
{
    load();
    w->show();
    rec.clear();
    QTest::mouseClick(w->btnExit, Qt::LeftButton);
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, gAppPath + "\\Main.exe");
    EXPECT_EQ(rec.starts[0].args, QStringList{"2"});
    EXPECT_EQ(rec.starts[0].style, WindowStyle::NormalFocus);
}

// --- the month input, the search fields, a failed extraction, names for screen readers ---

struct ShownWindowFixture : MainWindowTest {
    void SetUp() override
    {
        seedThreeUsers();
        addMonth(10101, 2024, 4, 17);
        writeSettings();
        load(QDate(2024, 5, 1));
        w->optSerchSel[4]->click();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        rec.busySpells = 0;
    }
    int extractions() const { return rec.busySpells; }
    // The extractions so far once the control has taken the focus by Tab.
    int focusOn(QWidget* c) const
    {
        c->setFocus(Qt::TabFocusReason);
        return extractions();
    }
    QString shownMonth() const { return w->lblMes->text(); }
    // Types a year and a month into the month input, section by section.
    void typeMonth(int year, int month)
    {
        w->imD_Out->setFocus(Qt::TabFocusReason);
        w->imD_Out->setSelectedSection(QDateTimeEdit::YearSection);
        QTest::keyClicks(w->imD_Out, QString::number(year));
        w->imD_Out->setSelectedSection(QDateTimeEdit::MonthSection);
        QTest::keyClicks(w->imD_Out, QStringLiteral("%1").arg(month, 2, 10, QChar(u'0')));
    }
    static constexpr const char* april = "施術継続理由・状態記入を必要とする対象者一覧（令和06年4月分）";
};

TEST_F(ShownWindowFixture, TheMonthInputExtractsOncePerCommit)
{
    // Set by the program: no extraction.
    w->imD_Out->setMonth(QDate(2024, 6, 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(extractions(), 0);

    // Typed, then 抽出 clicked: focus leaving for the button does not extract; the click does, once.
    typeMonth(2024, 4);
    EXPECT_EQ(extractions(), 0);
    QTest::mouseClick(w->but_Read, Qt::LeftButton);
    EXPECT_EQ(extractions(), 1);
    EXPECT_EQ(shownMonth(), QString::fromUtf8(april));
    EXPECT_EQ(focusOn(w->grdData), 1); // leaving the button with the month used: nothing

    // Enter commits; leaving afterwards does not repeat it.
    typeMonth(2024, 5);
    QTest::keyClick(w->imD_Out, Qt::Key_Return);
    EXPECT_EQ(extractions(), 2);
    EXPECT_EQ(focusOn(w->grdData), 2);

    // A step with the arrow key is a commit of its own.
    w->imD_Out->setFocus(Qt::TabFocusReason);
    w->imD_Out->setCurrentSection(QDateTimeEdit::MonthSection);
    QTest::keyClick(w->imD_Out, Qt::Key_Down);
    EXPECT_EQ(extractions(), 3);
    EXPECT_EQ(shownMonth(), QString::fromUtf8(april));

    // Typed and left for the list: extracted on leaving (a half-typed month never is).
    typeMonth(2024, 5);
    EXPECT_EQ(focusOn(w->grdData), 4);
    w->imD_Out->setFocus(Qt::TabFocusReason);
    w->imD_Out->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(w->imD_Out, "0");
    EXPECT_EQ(focusOn(w->grdData), 4);

    // Typed, tabbed onto 抽出 and past it without pressing it: extracted once, on leaving the button.
    typeMonth(2024, 4);
    EXPECT_EQ(focusOn(w->but_Read), 4);
    EXPECT_EQ(focusOn(w->optSerchSel[3]), 5);
    EXPECT_EQ(shownMonth(), QString::fromUtf8(april));
}

TEST_F(ShownWindowFixture, ADayPickedInTheCalendarExtractsAtOnce)
{
    // Mouse: the pop-up opens (F4), a day of April is clicked; the list is April's before the
    // next click lands, and leaving the input afterwards changes nothing.
    w->imD_Out->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->imD_Out, Qt::Key_F4);
    QCalendarWidget* cal = w->imD_Out->calendarWidget();
    ASSERT_TRUE(cal->isVisible());
    auto* view = cal->findChild<QTableView*>("qt_calendar_calendarview");
    ASSERT_NE(view, nullptr);
    QTest::keyClick(view, Qt::Key_PageUp); // the month before: April
    EXPECT_EQ(extractions(), 0);           // moving in the pop-up is no commit
    QModelIndex fifteenth;
    for (int r = 0; r < view->model()->rowCount() && !fifteenth.isValid(); ++r)
        for (int c = 0; c < view->model()->columnCount(); ++c)
            if (view->model()->index(r, c).data().toString() == u"15")
                fifteenth = view->model()->index(r, c);
    ASSERT_TRUE(fifteenth.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(fifteenth).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(w->imD_Out->date(), QDate(2024, 4, 15));
    EXPECT_EQ(extractions(), 1);
    EXPECT_EQ(shownMonth(), QString::fromUtf8(april));
    ASSERT_EQ(w->grdData->MaxRows(), 1);
    w->grdData->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(extractions(), 1);

    // Keyboard: the pop-up, a month on with Page Down, Enter.
    w->imD_Out->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->imD_Out, Qt::Key_F4);
    ASSERT_TRUE(cal->isVisible());
    QTest::keyClick(view, Qt::Key_PageDown);
    QTest::keyClick(view, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->imD_Out->date().month(), 5);
    EXPECT_EQ(extractions(), 2);
    EXPECT_EQ(w->grdData->MaxRows(), 3);
}

TEST_F(ShownWindowFixture, EnterInASearchFieldExtracts)
{
    // The field; the text, typed or committed as an input method does; Return or the keypad's
    // Enter; the user listed.
    const std::tuple<QLineEdit*, QString, bool, Qt::Key, Qt::KeyboardModifiers, qlonglong> cases[] = {
        {w->txt_SiboriName, "鈴木", false, Qt::Key_Return, {}, 10201},
        {w->txt_SiboriNo, "10301", true, Qt::Key_Enter, Qt::KeypadModifier, 10301},
        {w->txt_SiboriKana, "ヤマダ", false, Qt::Key_Return, {}, 10101}};
    int n = 0;
    for (const auto& [field, text, typed, key, modifiers, shown] : cases) {
        SCOPED_TRACE(text.toStdString());
        field->setFocus(Qt::TabFocusReason);
        if (typed)
            QTest::keyClicks(field, text);
        else
            field->insert(text);
        QTest::keyClick(field, key, modifiers);
        EXPECT_EQ(extractions(), ++n);
        ASSERT_EQ(w->grdData->MaxRows(), 1);
        EXPECT_EQ(w->grdData->value(1, 2), QVariant(shown));
        field->clear();
    }
    // The list's header is reached with Tab between the search fields and the rows.
    EXPECT_EQ(w->txt_SiboriKana->nextInFocusChain(), w->grdData->horizontalHeader());
}

TEST_F(ShownWindowFixture, AFailedExtractionKeepsTheRowsAndSavesNothing)
{
    w->extract();
    ASSERT_EQ(w->grdData->MaxRows(), 3);
    w->grdData->setValue(2, 1, 1);
    sql({"DROP TABLE STAFF"});
    w->chkTuuinDisp->setChecked(true); // a change that a successful extraction would save
    const QByteArray before = settingsBytes();
    w->imD_Out->setMonth(QDate(2024, 4, 1));
    rec.clear();
    QTest::mouseClick(w->but_Read, Qt::LeftButton);
    expectSaid(rec, {{"iDataLoad() でエラー…"}});
    EXPECT_EQ(shownMonth(), QString::fromUtf8(april)); // the title follows the attempt
    ASSERT_EQ(w->grdData->MaxRows(), 3);               // the rows stay, ticks included
    EXPECT_EQ(w->grdData->value(1, 2), QVariant(qlonglong(10101)));
    EXPECT_TRUE(w->isRowSelected(2));
    EXPECT_EQ(settingsBytes(), before);
}

} // namespace
