#pragma once
// The spreadsheet grid stand-in: a QTableWidget that speaks 1-based rows and columns
// (row 0 is the header), with check-box and button cells, hidden and locked columns,
// a redraw switch and a stable multi-key sort. Everything the mouse does in it the keyboard
// does too: Enter or Space on a header sorts (onDoubleClick with row 0), Space on a button cell
// presses it, Space on the check cell toggles it, Enter on any data cell (a button cell too)
// acts as a double click on it. Screen readers find the same actions on the cells (Toggle on a
// check cell, Press on a button cell: grid_accessible.h).
#include <QColor>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <functional>
#include <utility>
#include <vector>

class SpreadGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit SpreadGrid(int maxCols, QWidget* parent = nullptr);

    int MaxRows() const { return rowCount(); }
    void setMaxRows(int rows);
    int MaxCols() const { return columnCount(); }

    void setHeaderText(int col, const QString& text);
    QString headerText(int col) const;
    // The value of a cell: numbers as numbers, texts as texts; check boxes 1 or 0.
    QVariant value(int row, int col) const;
    void setValue(int row, int col, const QVariant& v);
    QString text(int row, int col) const;

    // A click anywhere in a cell of this column, or Space on it, toggles its check box.
    void setCheckColumn(int col);
    void setButtonColumn(int col, const QString& caption);
    int checkColumn() const { return m_checkCol; }
    int buttonColumn() const { return m_buttonCol; }
    void setColHidden(int col, bool hidden) { setColumnHidden(col - 1, hidden); }
    bool colHidden(int col) const { return isColumnHidden(col - 1); }
    // Columns first..last cannot be edited by the operator (the check box stays usable elsewhere).
    void lockColumns(int first, int last);
    bool isLocked(int row, int col) const;
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }
    // Active row (1-based, 0 when none).
    int activeRow() const { return currentRow() + 1; }
    void setActiveRow(int row);

    // Cell colours. A cell given a background is painted with it whatever the row's alternation
    // or the selection; its text colour defaults to black so a dark theme stays readable.
    void setCellBackground(int row, int col, const QColor& color);
    QColor cellBackground(int row, int col) const;
    void setCellForeground(int row, int col, const QColor& color);
    QColor cellForeground(int row, int col) const;
    // A grid of coloured cells only shown: no alternating rows, no selection highlight.
    void setDisplayOnly();

    // Sorts rows first..last (last -1: the last row) by (column, order 1 asc / 2 desc) keys; stable.
    // Numbers sort as numbers, texts as texts, numbers before texts.
    void sortRows(int first, int last, const std::vector<std::pair<int, short>>& keys);

    // Operator events (row 0 = header).
    std::function<void(int row, int col)> onButtonClicked;
    std::function<void(int row, int col)> onDoubleClick;

    void clickButton(int row, int col); // as the operator's click on a button cell
    // Toggles the check box of a row as the operator's click does (unless the cell is locked).
    void toggleCheck(int row);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QTableWidgetItem* cell(int row, int col);
    int m_checkCol = -1;
    int m_buttonCol = -1;
    QString m_buttonCaption;
    bool m_redraw = true;
};

// The grid's header: captions wrap onto two lines when the column is narrower than the text.
// It is a tab stop of its own: Left/Right choose a column, Enter or Space activates it, the
// context menu (mouse, Menu key, Shift+F10) offers the same; screen readers hear the column.
class GridHeader : public QHeaderView {
public:
    explicit GridHeader(QWidget* parent);
    int currentSection() const { return m_current; } // logical index, -1 when none
    void setCurrentSection(int logical);

    std::function<void(int logical)> onActivate;

protected:
    void paintSection(QPainter* p, const QRect& rect, int logical) const override;
    QSize sectionSizeFromContents(int logical) const override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    QString caption(int logical) const;
    void step(int direction);
    void showMenu(int logical, const QPoint& globalPos);
    void announce();
    int m_current = -1;
};

// Paints button cells and turns a click into SpreadGrid::onButtonClicked.
class ButtonCellDelegate : public QStyledItemDelegate {
public:
    ButtonCellDelegate(SpreadGrid* grid, QString caption);
    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& idx) const override;
    bool editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& opt,
                     const QModelIndex& idx) override;

private:
    SpreadGrid* m_grid;
    QString m_caption;
    QModelIndex m_pressed;
};

// Check cells toggle on a click anywhere in the cell, not only on the small indicator.
class CheckCellDelegate : public QStyledItemDelegate {
public:
    explicit CheckCellDelegate(SpreadGrid* grid);
    bool editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& opt,
                     const QModelIndex& idx) override;

private:
    SpreadGrid* m_grid;
};
