#include "spread_grid.h"

#include "mainwindow/grid_sort_keys.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {
// A header whose captions wrap onto two lines when the column is narrower than the text.
class WrappingHeader : public QHeaderView {
public:
    explicit WrappingHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* p, const QRect& rect, int logical) const override
    {
        // Draw the frame without a caption, then the caption wrapped.
        const QString text = model()->headerData(logical, Qt::Horizontal).toString();
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logical;
        style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
        p->save();
        p->setPen(palette().color(QPalette::ButtonText));
        p->setFont(font());
        p->drawText(rect.adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWrapAnywhere, text);
        p->restore();
    }
    QSize sectionSizeFromContents(int logical) const override
    {
        QSize s = QHeaderView::sectionSizeFromContents(logical);
        s.setHeight(fontMetrics().height() * 2 + 10);
        return s;
    }
};
} // namespace

SpreadGrid::SpreadGrid(int maxCols, QWidget* parent) : QTableWidget(0, maxCols, parent)
{
    setHorizontalHeader(new WrappingHeader(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(24);
    verticalHeader()->setMinimumWidth(36);
    horizontalHeader()->setHighlightSections(false);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) {
        if (onDoubleClick)
            onDoubleClick(r + 1, c + 1);
    });
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int c) {
        if (onDoubleClick)
            onDoubleClick(0, c + 1);
    });
}

void SpreadGrid::setMaxRows(int rows)
{
    setRowCount(rows);
}

void SpreadGrid::setHeaderText(int col, const QString& t)
{
    auto* item = horizontalHeaderItem(col - 1);
    if (!item) {
        item = new QTableWidgetItem;
        setHorizontalHeaderItem(col - 1, item);
    }
    item->setText(t);
}

QString SpreadGrid::headerText(int col) const
{
    auto* item = horizontalHeaderItem(col - 1);
    return item ? item->text() : QString();
}

QVariant SpreadGrid::value(int row, int col) const
{
    const QTableWidgetItem* it = item(row - 1, col - 1);
    if (!it)
        return col == m_checkCol ? QVariant(0) : QVariant();
    if (col == m_checkCol)
        return it->checkState() == Qt::Checked ? 1 : 0;
    return it->data(Qt::DisplayRole);
}

QTableWidgetItem* SpreadGrid::cell(int row, int col)
{
    QTableWidgetItem* it = item(row - 1, col - 1);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row - 1, col - 1, it);
    }
    return it;
}

void SpreadGrid::setCellBackground(int row, int col, const QColor& color)
{
    QTableWidgetItem* it = cell(row, col);
    it->setBackground(color);
    if (!it->foreground().color().isValid() || it->data(Qt::ForegroundRole).isNull())
        it->setForeground(QColor(Qt::black));
}

QColor SpreadGrid::cellBackground(int row, int col) const
{
    const QTableWidgetItem* it = item(row - 1, col - 1);
    return it && !it->data(Qt::BackgroundRole).isNull() ? it->background().color() : QColor();
}

void SpreadGrid::setCellForeground(int row, int col, const QColor& color) { cell(row, col)->setForeground(color); }

QColor SpreadGrid::cellForeground(int row, int col) const
{
    const QTableWidgetItem* it = item(row - 1, col - 1);
    return it && !it->data(Qt::ForegroundRole).isNull() ? it->foreground().color() : QColor();
}

void SpreadGrid::setDisplayOnly()
{
    setAlternatingRowColors(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::TabFocus);
}

void SpreadGrid::setValue(int row, int col, const QVariant& v)
{
    QTableWidgetItem* it = cell(row, col);
    if (col == m_checkCol) {
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(v.toInt() == 1 ? Qt::Checked : Qt::Unchecked);
        return;
    }
    it->setData(Qt::DisplayRole, v);
    const bool number = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Double;
    it->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
}

QString SpreadGrid::text(int row, int col) const
{
    return value(row, col).toString();
}

void SpreadGrid::setButtonColumn(int col, const QString& caption)
{
    m_buttonCol = col;
    m_buttonCaption = caption;
    setItemDelegateForColumn(col - 1, new ButtonCellDelegate(this, caption));
}

void SpreadGrid::lockColumns(int first, int last)
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = first; c <= last; ++c)
            if (QTableWidgetItem* it = item(r, c - 1))
                it->setFlags(it->flags() & ~(Qt::ItemIsEditable | Qt::ItemIsUserCheckable));
}

bool SpreadGrid::isLocked(int row, int col) const
{
    const QTableWidgetItem* it = item(row - 1, col - 1);
    return !it || !(it->flags() & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable));
}

void SpreadGrid::setRedraw(bool on)
{
    m_redraw = on;
    setUpdatesEnabled(on);
}

void SpreadGrid::setActiveRow(int row)
{
    if (row >= 1 && row <= rowCount())
        setCurrentCell(row - 1, 0);
}

void SpreadGrid::sortRows(int first, int last, const std::vector<std::pair<int, short>>& keys)
{
    if (last < 0)
        last = rowCount();
    if (first < 1 || last > rowCount() || first >= last || keys.empty())
        return;
    const bool was = m_redraw;
    setRedraw(false);
    const int cols = columnCount();
    std::vector<std::vector<QTableWidgetItem*>> rows;
    for (int r = first - 1; r < last; ++r) {
        std::vector<QTableWidgetItem*> cells(static_cast<size_t>(cols));
        for (int c = 0; c < cols; ++c)
            cells[static_cast<size_t>(c)] = takeItem(r, c);
        rows.push_back(std::move(cells));
    }
    auto cellValue = [&](QTableWidgetItem* it, int col) -> QVariant {
        if (!it)
            return QVariant(QString());
        if (col == m_checkCol)
            return it->checkState() == Qt::Checked ? 1 : 0;
        return it->data(Qt::DisplayRole);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        for (const auto& [col, order] : keys) {
            const size_t i = static_cast<size_t>(col - 1);
            if (i >= a.size())
                continue;
            const int c = compareCells(cellValue(a[i], col), cellValue(b[i], col));
            if (c != 0)
                return order == 2 ? c > 0 : c < 0;
        }
        return false;
    });
    for (int r = first - 1; r < last; ++r)
        for (int c = 0; c < cols; ++c)
            setItem(r, c, rows[static_cast<size_t>(r - first + 1)][static_cast<size_t>(c)]);
    setRedraw(was);
}

void SpreadGrid::clickButton(int row, int col)
{
    if (onButtonClicked)
        onButtonClicked(row, col);
}

ButtonCellDelegate::ButtonCellDelegate(SpreadGrid* grid, QString caption)
    : QStyledItemDelegate(grid), m_grid(grid), m_caption(std::move(caption))
{
}

void ButtonCellDelegate::paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& idx) const
{
    QStyleOptionButton b;
    b.rect = opt.rect.adjusted(2, 2, -2, -2);
    b.text = m_caption;
    b.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (m_pressed == idx)
        b.state |= QStyle::State_Sunken;
    const QWidget* w = opt.widget;
    (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_PushButton, &b, p, w);
}

bool ButtonCellDelegate::editorEvent(QEvent* e, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex& idx)
{
    if (e->type() == QEvent::MouseButtonPress) {
        m_pressed = idx;
        return true;
    }
    if (e->type() == QEvent::MouseButtonRelease) {
        const bool hit = m_pressed == idx;
        m_pressed = QModelIndex();
        if (hit)
            m_grid->clickButton(idx.row() + 1, idx.column() + 1);
        return true;
    }
    return false;
}
