// The header sort: three keys, most recent first; numbers as numbers, stable order.
#include "mainwindow/grid_sort.h"
#include "platform/spread_grid.h"

#include <gtest/gtest.h>

namespace {

using Keys = std::vector<std::pair<int, short>>;

TEST(SortKeys, KeySequence)
{
    SortKeys k;
    k.apply(3);
    EXPECT_EQ(k.keys(), (Keys{{3, 1}}));
    k.apply(3);
    EXPECT_EQ(k.keys(), (Keys{{3, 2}}));
    k.apply(5);
    EXPECT_EQ(k.keys(), (Keys{{5, 1}, {3, 2}}));
    k.apply(7);
    k.apply(9);
    EXPECT_EQ(k.keys(), (Keys{{9, 1}, {7, 1}, {5, 1}})); // four columns: the oldest falls off
    k.apply(5);
    EXPECT_EQ(k.keys(), (Keys{{5, 1}, {9, 1}, {7, 1}})); // moved to the front, not doubled
    k.apply(5, 2);
    EXPECT_EQ(k.keys(), (Keys{{5, 2}, {9, 1}, {7, 1}}));
    k.apply(4, 2);
    EXPECT_EQ(k.keys(), (Keys{{4, 2}, {5, 2}, {9, 1}}));
}

TEST(SpreadGridSort, NumbersAsNumbersTextsAsTextsStable)
{
    SpreadGrid g(3);
    g.setCheckColumn(1);
    const QVariant rows[][2] = {{qlonglong(10), QStringLiteral("b")}, {qlonglong(9), QStringLiteral("a")},
                                {qlonglong(100), QStringLiteral("b")}, {QStringLiteral("計画済"), QStringLiteral("a")},
                                {QStringLiteral("-"), QStringLiteral("c")}};
    g.setMaxRows(5);
    for (int r = 0; r < 5; ++r) {
        g.setValue(r + 1, 1, r % 2);
        g.setValue(r + 1, 2, rows[r][0]);
        g.setValue(r + 1, 3, rows[r][1]);
    }
    clsT_HanSpr sorter;
    sorter.vInit(&g);
    sorter.vSortLineASC2DSC(1, -1, 2);
    QStringList col2;
    for (int r = 1; r <= 5; ++r)
        col2 << g.text(r, 2);
    EXPECT_EQ(col2, (QStringList{"9", "10", "100", "-", "計画済"}));
    EXPECT_EQ(g.value(1, 1), 1); // the check box moved with its row

    sorter.vSortLineASC2DSC(1, -1, 3); // by column 3, then column 2
    col2.clear();
    for (int r = 1; r <= 5; ++r)
        col2 << g.text(r, 2) + g.text(r, 3);
    EXPECT_EQ(col2, (QStringList{"9a", "計画済a", "10b", "100b", "-c"}));
    sorter.vSortLineASC2DSC(1, -1, 3); // descending, ties keep the column 2 order
    col2.clear();
    for (int r = 1; r <= 5; ++r)
        col2 << g.text(r, 2) + g.text(r, 3);
    EXPECT_EQ(col2, (QStringList{"-c", "10b", "100b", "9a", "計画済a"}));
    EXPECT_TRUE(g.redraw());
}

} // namespace
