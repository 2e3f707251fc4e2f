// The list's check and button cells as the keyboard, the screen and screen readers meet them.
#include "support/main_window_fixture.h"
#include "support/modal.h"
#include "windows/frm_hinkai_sub.h"
#include "windows/input_meisai.h"

#include <QAccessible>
#include <QImage>

namespace {

class ListCells : public ListFixture {
protected:
    void SetUp() override
    {
        seedThreeUsers();
        w = loadedMainWindow(QDate(2024, 5, 1));
        extractEveryone(*w);
        row = rowOfUser(*w, 10101); // treated since 2020: the frequency sub-window opens
        ASSERT_GE(row, 1);
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        grid()->setFocus();
    }
    SpreadGrid* grid() const { return w->grdData; }
    QImage cellImage(int col) const
    {
        grid()->viewport()->repaint();
        return grid()->viewport()->grab(grid()->visualRect(grid()->model()->index(row - 1, col - 1))).toImage();
    }
    // Which window an action opened: "entry" or "frequency" with the user, "" for none.
    QString opened(const std::function<void()>& action)
    {
        QString what;
        whenModal<QDialog>([&](QDialog* d) {
            if (auto* e = dynamic_cast<frmInputMeisai*>(d)) {
                what = "entry " + QString::number(e->userId());
                e->cancel();
            } else if (auto* s = dynamic_cast<frmHinkaiSub*>(d)) {
                what = "frequency " + s->txtRiyoushaID->text();
                s->reject();
            }
        });
        action();
        (void)QTest::qWaitFor([&] { return !what.isEmpty(); }, 3000);
        return what;
    }
    std::unique_ptr<MainWindow> w;
    int row = 0;
};

TEST_F(ListCells, TheCurrentButtonCellIsFramedAndEnterOpensTheEntryAsOnEveryCell)
{
    grid()->setCurrentCell(row - 1, colName - 1); // the same row selected, another cell current
    const QImage plain = cellImage(colHinkaiButton);
    grid()->setCurrentCell(row - 1, colHinkaiButton - 1);
    EXPECT_NE(cellImage(colHinkaiButton), plain);

    EXPECT_EQ(opened([&] { QTest::keyClick(grid(), Qt::Key_Return); }), "entry 10101");
}

TEST_F(ListCells, ScreenReadersPressTheButtonCellAndTickTheCheckCell)
{
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(grid());
    ASSERT_NE(list, nullptr);
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    const auto action = [&](int col) { return table->cellAt(row - 1, col - 1)->actionInterface(); };

    // Numbered as QTableView numbers the cells in its focus events (headers first).
    QAccessibleInterface* button = table->cellAt(row - 1, colHinkaiButton - 1);
    const int number = row * (listColumnCount + 1) + colHinkaiButton;
    EXPECT_EQ(list->indexOfChild(button), number);
    EXPECT_EQ(list->child(number), button);
    EXPECT_EQ(list->child(colName)->text(QAccessible::Name), "利用者名");

    // A cell is heard by its column's header; a button cell by its caption, as a button.
    QAccessibleInterface* check = table->cellAt(row - 1, colSel - 1);
    EXPECT_EQ(check->text(QAccessible::Name), "選");
    EXPECT_EQ(std::pair(button->text(QAccessible::Name), button->text(QAccessible::Description)),
              std::pair(QString("頻回確認"), QString("ボタン")));

    ASSERT_TRUE(action(colSel)->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    action(colSel)->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(w->isRowSelected(row) && check->state().checkable && check->state().checked);

    ASSERT_TRUE(action(colHinkaiButton)->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_EQ(opened([&] { action(colHinkaiButton)->doAction(QAccessibleActionInterface::pressAction()); }),
              "frequency 10101");
    EXPECT_FALSE(action(colName)->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

} // namespace
