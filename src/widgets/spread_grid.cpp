#include "spread_grid.h"

#include "grid_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Short:
    case QMetaType::Long: return true;
    default: return false;
    }
}

// Cell order of the sort: numbers as numbers, texts as texts, numbers before texts.
int compareCells(const QVariant& a, const QVariant& b)
{
    const bool na = isNumber(a), nb = isNumber(b);
    if (na && nb) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (na != nb)
        return na ? -1 : 1;
    const int c = a.toString().compare(b.toString());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool isActivationKey(const QKeyEvent* e)
{
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier)
        return false;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select: return true;
    default: return false;
    }
}

} // namespace

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("列見出し"));
    setAccessibleDescription(QStringLiteral("左右キーで列を選び、Enter キーで並べ替えます"));
}

QString GridHeader::caption(int logical) const
{
    return model() ? model()->headerData(logical, Qt::Horizontal).toString() : QString();
}

void GridHeader::setCurrentSection(int logical)
{
    if (logical == m_current)
        return;
    m_current = logical;
    viewport()->update();
    if (hasFocus())
        announce();
}

void GridHeader::announce()
{
    const QString text = caption(m_current);
    setAccessibleName((text.isEmpty() ? QString() : text + u' ') + QStringLiteral("列見出し"));
    if (QAccessible::isActive()) {
        QAccessibleEvent ev(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&ev);
    }
}

void GridHeader::step(int direction)
{
    const int n = count();
    if (n == 0)
        return;
    int visual = m_current >= 0 ? visualIndex(m_current) : (direction > 0 ? -1 : n);
    for (visual += direction; visual >= 0 && visual < n; visual += direction) {
        const int logical = logicalIndex(visual);
        if (!isSectionHidden(logical)) {
            setCurrentSection(logical);
            return;
        }
    }
}

void GridHeader::focusInEvent(QFocusEvent* e)
{
    if (m_current < 0 || isSectionHidden(m_current)) {
        m_current = -1;
        step(1);
    }
    announce();
    viewport()->update();
    QHeaderView::focusInEvent(e);
}

void GridHeader::focusOutEvent(QFocusEvent* e)
{
    viewport()->update();
    QHeaderView::focusOutEvent(e);
}

void GridHeader::keyPressEvent(QKeyEvent* e)
{
    if (isActivationKey(e)) {
        if (m_current >= 0 && onActivate)
            onActivate(m_current);
        e->accept();
        return;
    }
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (mods == Qt::NoModifier) {
            step((e->key() == Qt::Key_Right) == (layoutDirection() == Qt::LeftToRight) ? 1 : -1);
            e->accept();
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        m_current = -1;
        step(e->key() == Qt::Key_Home ? 1 : -1);
        e->accept();
        return;
    case Qt::Key_F10:
        if (mods == Qt::ShiftModifier && m_current >= 0) {
            const QRect r(sectionViewportPosition(m_current), 0, sectionSize(m_current), height());
            showMenu(m_current, viewport()->mapToGlobal(r.center()));
            e->accept();
            return;
        }
        break;
    default: break;
    }
    QHeaderView::keyPressEvent(e);
}

void GridHeader::contextMenuEvent(QContextMenuEvent* e)
{
    int logical = m_current;
    QPoint at = e->globalPos();
    if (e->reason() == QContextMenuEvent::Mouse) {
        logical = logicalIndexAt(e->pos());
    } else if (logical >= 0) {
        const QRect r(sectionViewportPosition(logical), 0, sectionSize(logical), height());
        at = viewport()->mapToGlobal(r.center());
    }
    if (logical < 0)
        return;
    showMenu(logical, at);
    e->accept();
}

void GridHeader::showMenu(int logical, const QPoint& globalPos)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("sortMenu"));
    QAction* sort = menu.addAction(QStringLiteral("「%1」で並べ替え(&S)").arg(caption(logical)));
    connect(sort, &QAction::triggered, this, [this, logical] {
        if (onActivate)
            onActivate(logical);
    });
    menu.exec(globalPos);
}

void GridHeader::paintSection(QPainter* p, const QRect& rect, int logical) const
{
    // The frame without a caption, then the caption wrapped; the keyboard's column framed.
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logical;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    p->save();
    p->setPen(palette().color(QPalette::ButtonText));
    p->setFont(font());
    p->drawText(rect.adjusted(3, 2, -3, -2), Qt::AlignCenter | Qt::TextWrapAnywhere, caption(logical));
    if (hasFocus() && logical == m_current) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.state |= QStyle::State_KeyboardFocusChange; // only the keyboard brings focus here
        focus.rect = rect.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, this);
    }
    p->restore();
}

QSize GridHeader::sectionSizeFromContents(int logical) const
{
    QSize s = QHeaderView::sectionSizeFromContents(logical);
    s.setHeight(fontMetrics().height() * 2 + 10);
    return s;
}

SpreadGrid::SpreadGrid(int maxCols, QWidget* parent) : QTableWidget(0, maxCols, parent)
{
    installGridAccessibility();
    auto* header = new GridHeader(this);
    setHorizontalHeader(header);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // Tab leaves the grid; the arrows move within it
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
    header->onActivate = [this](int c) {
        if (onDoubleClick)
            onDoubleClick(0, c + 1);
    };
}

void SpreadGrid::setMaxRows(int rows) { setRowCount(rows); }

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
        it->setData(Qt::AccessibleTextRole, headerText(col));
        return;
    }
    if (col == m_buttonCol) {
        it->setData(Qt::AccessibleTextRole, m_buttonCaption);
        it->setData(Qt::AccessibleDescriptionRole, QStringLiteral("ボタン"));
    }
    it->setData(Qt::DisplayRole, v);
    const bool number =
        v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Double;
    it->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
}

QString SpreadGrid::text(int row, int col) const { return value(row, col).toString(); }

void SpreadGrid::setCheckColumn(int col)
{
    m_checkCol = col;
    setItemDelegateForColumn(col - 1, new CheckCellDelegate(this));
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

void SpreadGrid::toggleCheck(int row)
{
    QTableWidgetItem* it = item(row - 1, m_checkCol - 1);
    if (!it || !(it->flags() & Qt::ItemIsUserCheckable) || !(it->flags() & Qt::ItemIsEnabled))
        return;
    it->setCheckState(it->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void SpreadGrid::keyPressEvent(QKeyEvent* e)
{
    const QModelIndex cur = currentIndex();
    if (cur.isValid() && isActivationKey(e)) {
        const int row = cur.row() + 1, col = cur.column() + 1;
        const bool space = e->key() == Qt::Key_Space || e->key() == Qt::Key_Select;
        if (col == m_buttonCol && space) {
            clickButton(row, col);
            e->accept();
            return;
        }
        if (col == m_checkCol && space) {
            toggleCheck(row);
            e->accept();
            return;
        }
        // Enter on a data cell does what a double click on it does.
        if (!space && onDoubleClick) {
            onDoubleClick(row, col);
            e->accept();
            return;
        }
    }
    QTableWidget::keyPressEvent(e);
}

ButtonCellDelegate::ButtonCellDelegate(SpreadGrid* grid, QString caption)
    : QStyledItemDelegate(grid), m_grid(grid), m_caption(std::move(caption))
{ }

void ButtonCellDelegate::paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& idx) const
{
    const QWidget* w = opt.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    // The cell's own background (the selected row runs through it), then the button.
    QStyleOptionViewItem cell(opt);
    initStyleOption(&cell, idx);
    cell.text.clear();
    cell.state &= ~QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_ItemViewItem, &cell, p, w);

    const bool current = opt.state & QStyle::State_HasFocus;
    QStyleOptionButton b;
    b.rect = current ? opt.rect.adjusted(3, 3, -3, -3) : opt.rect.adjusted(2, 2, -2, -2);
    b.text = m_caption;
    b.palette = opt.palette;
    b.fontMetrics = opt.fontMetrics;
    b.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (m_pressed == idx)
        b.state |= QStyle::State_Sunken;
    if (current)
        b.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    style->drawControl(QStyle::CE_PushButton, &b, p, w);
    if (!current)
        return;
    // The current cell: a frame round the button in the colour of text, which stands out on
    // the row's colour whether it is selected or not and the window active or not.
    p->save();
    p->setPen(QPen(opt.palette.color(QPalette::Active, QPalette::Text), 2));
    p->setBrush(Qt::NoBrush);
    p->drawRect(QRectF(opt.rect).adjusted(1, 1, -1, -1));
    p->restore();
}

bool ButtonCellDelegate::editorEvent(QEvent* e, QAbstractItemModel*, const QStyleOptionViewItem&,
                                     const QModelIndex& idx)
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

CheckCellDelegate::CheckCellDelegate(SpreadGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) { }

bool CheckCellDelegate::editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& opt,
                                    const QModelIndex& idx)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() != Qt::LeftButton || !opt.rect.contains(me->position().toPoint()))
            return false;
        // The click toggles on release; the press still selects the row.
        if (e->type() == QEvent::MouseButtonRelease)
            m_grid->toggleCheck(idx.row() + 1);
        return e->type() == QEvent::MouseButtonRelease;
    }
    case QEvent::KeyPress: return false; // Space is the grid's own
    default: return QStyledItemDelegate::editorEvent(e, model, opt, idx);
    }
}
