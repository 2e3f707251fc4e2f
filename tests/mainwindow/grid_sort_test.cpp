// The header sort: three keys, most recent first; numbers as numbers, stable order. The grid
// from the keyboard and the mouse: check cells, button cells, the header.
#include "widgets/grid_sort.h"
#include "widgets/spread_grid.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(SortKeys, KeySequence)
{
    // A column again turns its order; four columns: the oldest falls off; a column already
    // keyed moves to the front, not doubled; an order given is taken.
    // The column, the order given (0: none) and the keys afterwards as column:order.
    const std::tuple<int, short, const char*> steps[] = {
        {3, 0, "3:1"},         {3, 0, "3:2"},         {5, 0, "5:1 3:2"},     {7, 0, "7:1 5:1 3:2"},
        {9, 0, "9:1 7:1 5:1"}, {5, 0, "5:1 9:1 7:1"}, {5, 2, "5:2 9:1 7:1"}, {4, 2, "4:2 5:2 9:1"}};
    SortKeys k;
    for (const auto& [column, order, want] : steps) {
        k.apply(column, order ? std::optional<short>(order) : std::nullopt);
        QStringList keys;
        for (const auto& [c, o] : k.keys())
            keys << QString::number(c) + u':' + QString::number(o);
        EXPECT_EQ(keys.join(u' ').toStdString(), want) << "after column " << column;
    }
}

TEST(SpreadGridSort, NumbersAsNumbersTextsAsTextsStable)
{
    SpreadGrid g(3);
    g.setCheckColumn(1);
    const QVariant rows[][2] = {
        {qlonglong(10), "b"}, {qlonglong(9), "a"}, {qlonglong(100), "b"}, {"計画済", "a"}, {"-", "c"}};
    g.setMaxRows(5);
    for (int r = 0; r < 5; ++r) {
        g.setValue(r + 1, 1, r % 2);
        g.setValue(r + 1, 2, rows[r][0]);
        g.setValue(r + 1, 3, rows[r][1]);
    }
    clsT_HanSpr sorter;
    sorter.vInit(&g);
    const auto rowsText = [&] {
        QStringList out;
        for (int r = 1; r <= 5; ++r)
            out << g.text(r, 2) + g.text(r, 3);
        return out;
    };
    sorter.vSortLineASC2DSC(1, -1, 2);
    EXPECT_EQ(rowsText(), (QStringList{"9a", "10b", "100b", "-c", "計画済a"}));
    EXPECT_EQ(g.value(1, 1), 1);       // the check box moved with its row
    sorter.vSortLineASC2DSC(1, -1, 3); // by column 3, then column 2
    EXPECT_EQ(rowsText(), (QStringList{"9a", "計画済a", "10b", "100b", "-c"}));
    sorter.vSortLineASC2DSC(1, -1, 3); // descending, ties keep the column 2 order
    EXPECT_EQ(rowsText(), (QStringList{"-c", "10b", "100b", "9a", "計画済a"}));
    EXPECT_TRUE(g.redraw());
}

// A grid of three rows: check boxes in column 1, names in 2, a button cell in 3, shown.
struct InputGrid : ::testing::Test {
    SpreadGrid g{3};
    std::vector<std::pair<int, int>> pressed, doubled;

    void SetUp() override
    {
        g.setCheckColumn(1);
        g.setButtonColumn(3, "頻回確認");
        for (int c = 1; c <= 3; ++c)
            g.setHeaderText(c, QStringList{"選", "利用者名", ""}[c - 1]);
        g.setMaxRows(3);
        for (int r = 1; r <= 3; ++r) {
            g.setValue(r, 1, 0);
            g.setValue(r, 2, "利用者" + QString::number(4 - r));
            g.setValue(r, 3, "頻回確認");
        }
        g.lockColumns(2, 3);
        g.setColumnWidth(0, 60);
        g.onButtonClicked = [this](int r, int c) { pressed.emplace_back(r, c); };
        g.onDoubleClick = [this](int r, int c) { doubled.emplace_back(r, c); };
        g.resize(400, 200);
        g.show();
        QApplication::setActiveWindow(&g);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    }
    QPoint cellPoint(int row, int col, bool rightEdge = false) const
    {
        const QRect r = g.visualRect(g.model()->index(row - 1, col - 1));
        return rightEdge ? QPoint(r.right() - 4, r.center().y()) : r.center();
    }
    void key(QWidget* w, int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(w, Qt::Key(k), m); }
};

TEST_F(InputGrid, CheckCellsToggleAndButtonCellsPressByMouseAndKeys)
{
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellPoint(2, 1, true)); // far from the indicator
    EXPECT_EQ(g.value(2, 1), 1);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellPoint(2, 1));
    EXPECT_EQ(g.value(2, 1), 0);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellPoint(2, 2)); // a locked cell: nothing toggles
    EXPECT_EQ(g.value(2, 1), 0);

    g.setFocus();
    g.setCurrentCell(0, 0);
    key(&g, Qt::Key_Space);
    EXPECT_EQ(g.value(1, 1), 1);
    key(&g, Qt::Key_Space);
    EXPECT_EQ(g.value(1, 1), 0);
    key(&g, Qt::Key_Down);
    key(&g, Qt::Key_Space);
    EXPECT_EQ(g.value(2, 1), 1);
    EXPECT_TRUE(pressed.empty());

    // Button cells press by mouse and Space; Enter there acts as on any cell (a double click).
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellPoint(3, 3));
    g.setFocus();
    g.setCurrentCell(1, 2);
    key(&g, Qt::Key_Return);
    key(&g, Qt::Key_Enter, Qt::KeypadModifier);
    g.setCurrentCell(0, 2);
    key(&g, Qt::Key_Space);
    EXPECT_EQ(pressed, (std::vector<std::pair<int, int>>{{3, 3}, {1, 3}}));
    EXPECT_EQ(doubled, (std::vector<std::pair<int, int>>{{2, 3}, {2, 3}}));
}

TEST_F(InputGrid, TheHeaderSortsFromTheKeyboardAndItsMenu)
{
    auto* header = dynamic_cast<GridHeader*>(g.horizontalHeader());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->focusPolicy(), Qt::TabFocus);
    header->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(header->hasFocus());
    EXPECT_EQ(header->currentSection(), 0);
    const auto press = [&](int k) {
        key(header, k);
        return header->currentSection();
    };
    EXPECT_EQ(press(Qt::Key_Right), 1);
    EXPECT_EQ(header->accessibleName(), "利用者名 列見出し");
    key(header, Qt::Key_Return);
    EXPECT_EQ(press(Qt::Key_Space), 1);
    EXPECT_EQ(press(Qt::Key_End), 2);
    EXPECT_EQ(press(Qt::Key_Home), 0);
    g.setColumnHidden(1, true); // hidden columns are passed over
    EXPECT_EQ(press(Qt::Key_Right), 2);
    g.setColumnHidden(1, false);
    EXPECT_EQ(press(Qt::Key_Left), 1);

    // Shift+F10 opens the column's menu; its one item sorts by the column.
    QTimer::singleShot(0, [] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            EXPECT_EQ(menu->actions().value(0)->text(), "「利用者名」で並べ替え(&S)");
            menu->actions().value(0)->trigger();
            menu->close();
        } else {
            ADD_FAILURE() << "no menu";
        }
    });
    key(header, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(doubled, (std::vector<std::pair<int, int>>{{0, 2}, {0, 2}, {0, 2}}));
}

} // namespace
