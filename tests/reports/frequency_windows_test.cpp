// The two frequency windows: the sub-window filled from the list's frequency table (colours,
// years, counts, texts) and the document dialog's values, by mouse and by keyboard.
#include "reports/hinkai_view.h"
#include "windows/frm_hinkai_sub.h"
#include "windows/frm_print16_hindo.h"

#include "mainwindow/target_list.h"
#include "support/list_fixture.h"
#include "support/recorded_messages.h"
#include "widgets/spread_grid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor white(255, 255, 255), grey(211, 211, 211), red(255, 192, 192);

struct FrequencyWindows : ListFixture {
    // Lists the month with every condition's users (everyone, 24 months and more get an entry).
    void list(const QDate& month) { ASSERT_EQ(::iDataLoad({month, 4, 0, false, {}, {}, {}}).status, 0); }
    // Row by row the year, then the month colours: W white, G grey, R red.
    static QString colours(const SpreadGrid& g)
    {
        QString s;
        for (int r = 1; r <= 3; ++r) {
            s += g.text(r, 1) + u' ';
            for (int c = 3; c <= 14; ++c) {
                const QColor b = g.cellBackground(r, c);
                s += b == white ? u'W' : b == grey ? u'G' : b == red ? u'R' : u'?';
            }
            s += u'|';
        }
        return s;
    }
    static QStringList row(const SpreadGrid& g, int r)
    {
        QStringList t;
        for (int c = 1; c <= 14; ++c)
            t << g.text(r, c);
        return t;
    }
};

TEST_F(FrequencyWindows, SubWindowShowsTheYearsMonthsAndCounts)
{
    // 10101: first treated in 2019; counts in every month from 2019/07 to 2021/12.
    addUser({10101, "山田　太郎", "ヤマダ", 0, QString(), "2019-01-10", 0, 1});
    sql({"UPDATE RIYOUSHA SET cHinkaiKeikakuYM = '2020/11' WHERE nIDNo = 10101"});
    for (QDate d(2019, 3, 1); d <= QDate(2021, 12, 1); d = d.addMonths(1))
        addMonth(10101, d.year(), d.month(), d.month() == 4 ? 16 : d.month() == 8 ? 15 : d.month() == 9 ? 0 : 10);

    // January 2021: row 1 2021 (January only), row 2 2020 whole, row 3 2019 from February.
    const std::pair<QDate, const char*> cases[] = {
        {QDate(2021, 1, 1), "令和03年 WGGGGGGGGGGG|令和02年 WWWRWWWWWWWW|平成31年 GWWRWWWWWWWW|"},
        {QDate(2021, 5, 1), "令和03年 WWWRWGGGGGGG|令和02年 WWWRWWWWWWWW|令和01年 GGGGGWWWWWWW|"},
        {QDate(2021, 12, 1), "令和03年 WWWRWWWWWWWW|令和02年 WWWRWWWWWWWW|令和01年 GGGGGGGGGGGG|"},
        {QDate(2021, 3, 1), "令和03年 WWWGGGGGGGGG|令和02年 WWWRWWWWWWWW|平成31年 GGGRWWWWWWWW|"}};
    for (const auto& [month, want] : cases) {
        list(month);
        frmHinkaiSub w;
        ASSERT_EQ(w.iInit(10101, month.toString("yyyy/MM/01")), 0);
        EXPECT_TRUE(rec.messages.isEmpty());
        EXPECT_EQ(colours(*w.grdData).toStdString(), want);
    }
    // May 2021: 16 red, 15 white, 0 shown as 0, grey cells empty.
    list(QDate(2021, 5, 1));
    frmHinkaiSub w;
    ASSERT_EQ(w.iInit(10101, "2021/05/01"), 0);
    EXPECT_EQ(row(*w.grdData, 1),
              (QStringList{"令和03年", "", "10", "10", "10", "16", "10", "", "", "", "", "", "", ""}));
    EXPECT_EQ(row(*w.grdData, 3),
              (QStringList{"令和01年", "", "", "", "", "", "", "10", "10", "15", "0", "10", "10", "10"}));
    // The count: April 2020 and April 2021.
    EXPECT_EQ((QStringList{w.txtRiyoushaID->text(), w.txtRiyoushaName->text(), w.txtSejutsuKbn->text(),
                           w.txtHinkaiKaisuu->text(), w.txtKeikakusyo->text(), w.txtKeikakusyoYM->text()}),
              (QStringList{"10101", "山田　太郎", "マッサージ", "2回", "提出済", "令和02年11月"}));
    // Text colour stays dark on every coloured cell (a dark theme draws light text otherwise).
    EXPECT_EQ(w.grdData->cellForeground(1, 6), QColor(Qt::black));
}

TEST_F(FrequencyWindows, SubWindowTextsAndRefusals)
{
    // Plan flags, plan months blank or malformed, kinds; two numbers sharing the hundreds.
    for (const auto& [id, kubun, plan, planMonth] :
         {std::tuple{20101L, 1, 0, "   "}, std::tuple{20201L, 0, 0, "来年"}, std::tuple{20102L, 0, 1, "2020/11"}}) {
        addUser({id, "利用者", "カナ", kubun, QString(), "2019-01-10", 0, plan});
        sql({QStringLiteral("UPDATE RIYOUSHA SET cHinkaiKeikakuYM = '%1' WHERE nIDNo = %2").arg(planMonth).arg(id)});
        addMonth(id, 2021, 5, id == 20102 ? 20 : 3);
    }
    addMonth(20101, 2021, 4, 18);
    addUser({30101, "新人", "シンジン", 0, QString(), "2020-01-10"});
    addMonth(30101, 2021, 5, 20);
    list(QDate(2021, 5, 1));
    // Kind, count, plan, plan month. 20101 shares its hundred with 20102 (plan, massage): the
    // user's own rows decide name, kind and plan.
    for (const auto& [id, texts] : {std::pair{20101L, "鍼灸|2回|-|"}, std::pair{20201L, "マッサージ|0回|-|来年"}}) {
        frmHinkaiSub w;
        ASSERT_EQ(w.iInit(id, "2021/05/01"), 0);
        const QStringList shown{w.txtSejutsuKbn->text(), w.txtHinkaiKaisuu->text(), w.txtKeikakusyo->text(),
                                w.txtKeikakusyoYM->text()};
        EXPECT_EQ(shown.join(u'|').toStdString(), texts);
    }
    // Under two years since the first treatment: no entry, the message, no window.
    frmHinkaiSub w;
    EXPECT_EQ(w.iInit(30101, "2021/05/01"), -1);
    EXPECT_EQ(w.iInit(20101, "いつか"), -1);
    expectSaid(rec,
               {{"初療日から2年経過していないため、\r\n施術頻回の対象者ではありません。", MsgIcon::Information, "情報"},
                {"iControlInitでエラー\r\n13\r\n型が一致しません。", std::nullopt, "エラー"}});
}

TEST_F(FrequencyWindows, DocumentDialogReturnsTheChoice)
{
    // The button (btnJisseki), the document chosen (optPrintType), the box ticked
    // (chkPrintKakoJisseki) and enabled; then the action, the document and the past-months flag.
    const std::array<short, 7> cases[] = {{0, 0, 1, 1, 0, 0, 1}, {1, 0, 1, 1, 1, 0, 1}, {0, 0, 0, 1, 0, 0, 0},
                                          {1, 1, 1, 1, 1, 1, 0}, {0, 1, 0, 1, 0, 1, 0}, {1, 0, 1, 0, 1, 0, 1}};
    for (const auto& [button, document, ticked, enabling, action, doc, past] : cases) {
        frmPrint16Hindo d;
        d.pastMonths = ticked;
        d.checkEnabling = enabling;
        d.show();
        EXPECT_EQ(d.chkPrintKakoJisseki->isChecked(), ticked != 0);
        EXPECT_EQ(d.chkPrintKakoJisseki->isEnabled(), enabling != 0);
        QTest::mouseClick(d.optPrintType[static_cast<size_t>(document)], Qt::LeftButton);
        QTest::mouseClick(d.btnJisseki[static_cast<size_t>(button)], Qt::LeftButton);
        EXPECT_EQ((std::array{d.action, d.document, d.pastMonths}), (std::array{action, doc, past}))
            << button << document << ticked;
        EXPECT_FALSE(d.isVisible());
    }
    // 閉じる, the close box and Escape: -1, the other two values as they were.
    for (int way = 0; way < 3; ++way) {
        frmPrint16Hindo d;
        d.document = 1;
        d.pastMonths = 1;
        d.show();
        QTest::mouseClick(d.optPrintType[0], Qt::LeftButton);
        if (way == 0)
            QTest::mouseClick(d.btnCancel, Qt::LeftButton);
        else if (way == 1)
            d.close();
        else
            QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ((std::array<short, 3>{d.action, d.document, d.pastMonths}), (std::array<short, 3>{-1, 1, 1})) << way;
        EXPECT_FALSE(d.isVisible());
    }
}

TEST_F(FrequencyWindows, DialogsByKeyboardTheirTitlesAndTips)
{
    frmPrint16Hindo d;
    d.show();
    d.activateWindow();
    // Enter on an option or the check box prints nothing; Enter on the focused button presses it.
    d.optPrintType[1]->setFocus();
    QTest::keyClick(d.optPrintType[1], Qt::Key_Return);
    d.chkPrintKakoJisseki->setFocus();
    QTest::keyClick(d.chkPrintKakoJisseki, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.action, -1);
    d.btnJisseki[1]->setFocus();
    QTest::keyClick(d.btnJisseki[1], Qt::Key_Return);
    EXPECT_EQ(d.action, 1);
    EXPECT_FALSE(d.isVisible());

    frmHinkaiSub sub;
    // The sub-window closes by Enter on 戻る and by Escape.
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        sub.show();
        sub.btnExit->setFocus();
        QTest::keyClick(sub.btnExit, static_cast<Qt::Key>(key));
        EXPECT_FALSE(sub.isVisible()) << key;
    }
    EXPECT_EQ(d.btnCancel->toolTip(), "前の処理に戻ります。");
    EXPECT_EQ(sub.windowTitle(), "施術頻回内訳");
    EXPECT_EQ(d.windowTitle(), "印刷処理");
}

} // namespace
