#include "grid_accessible.h"

#include "spread_grid.h"

#include <QAccessibleObject>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

namespace {

// Children are numbered as QTableView numbers them in its focus events: row 0 holds the corner
// and the column headers, column 0 the row headers, cell (r, c) is child (r + 1) * (columns + 1)
// + c + 1.
int childNumber(const SpreadGrid* grid, int row, int col) { return (row + 1) * (grid->columnCount() + 1) + col + 1; }

QRect globalRect(const QWidget* w, const QRect& local)
{
    return local.isValid() ? QRect(w->mapToGlobal(local.topLeft()), local.size()) : QRect();
}

// One child of the table: the corner, a header cell or a data cell (row and col 0-based).
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface, public QAccessibleActionInterface {
public:
    enum Kind { Corner, ColumnHeader, RowHeader, Data };
    GridCell(SpreadGrid* grid, Kind kind, int row, int col)
        : m_grid(grid), m_kind(kind), m_section(kind == RowHeader ? row : col),
          m_index(kind == Data ? grid->model()->index(row, col) : QModelIndex())
    { }

    bool isValid() const override { return m_grid && (m_kind != Data || m_index.isValid()); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_grid.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override { }

    int number() const
    {
        switch (m_kind) {
        case Corner: return 0;
        case ColumnHeader: return m_section + 1;
        case RowHeader: return (m_section + 1) * (m_grid->columnCount() + 1);
        case Data: break;
        }
        return m_index.isValid() ? childNumber(m_grid, m_index.row(), m_index.column()) : -1;
    }

    QAccessible::Role role() const override
    {
        switch (m_kind) {
        case Corner: return QAccessible::Pane;
        case ColumnHeader: return QAccessible::ColumnHeader;
        case RowHeader: return QAccessible::RowHeader;
        case Data: break;
        }
        return QAccessible::Cell;
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (m_kind == ColumnHeader || m_kind == RowHeader) {
            const auto orientation = m_kind == ColumnHeader ? Qt::Horizontal : Qt::Vertical;
            return t == QAccessible::Name ? m_grid->model()->headerData(m_section, orientation).toString() : QString();
        }
        if (m_kind == Corner)
            return {};
        if (t == QAccessible::Name) {
            const QString name = m_index.data(Qt::AccessibleTextRole).toString();
            return name.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : name;
        }
        return t == QAccessible::Description ? m_index.data(Qt::AccessibleDescriptionRole).toString() : QString();
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        switch (m_kind) {
        case Corner: return {};
        case ColumnHeader: {
            const QHeaderView* h = m_grid->horizontalHeader();
            return globalRect(h->viewport(),
                              QRect(h->sectionViewportPosition(m_section), 0, h->sectionSize(m_section), h->height()));
        }
        case RowHeader: {
            const QHeaderView* h = m_grid->verticalHeader();
            return globalRect(h->viewport(),
                              QRect(0, h->sectionViewportPosition(m_section), h->width(), h->sectionSize(m_section)));
        }
        case Data: break;
        }
        return globalRect(m_grid->viewport(), m_grid->visualRect(m_index));
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid() || m_kind != Data)
            return st;
        const QRect local = m_grid->visualRect(m_index);
        st.invisible = !m_grid->isVisible() || !m_grid->viewport()->rect().intersects(local);
        st.selected = m_grid->selectionModel()->isSelected(m_index);
        st.focused = m_grid->hasFocus() && m_grid->currentIndex() == m_index;
        const QVariant check = m_index.data(Qt::CheckStateRole);
        const Qt::ItemFlags flags = m_index.flags();
        st.checkable = check.isValid() && (flags & Qt::ItemIsUserCheckable);
        st.checked = check.toInt() == Qt::Checked;
        st.selectable = st.focusable = (flags & Qt::ItemIsSelectable) != 0;
        st.editable = (flags & Qt::ItemIsEditable) != 0;
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (m_kind != Data)
            return nullptr;
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // Table cell.
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    int columnIndex() const override { return m_index.column(); }
    int rowIndex() const override { return m_index.row(); }
    bool isSelected() const override { return isValid() && m_grid->selectionModel()->isSelected(m_index); }
    QAccessibleInterface* table() const override { return parent(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {headerChild(m_index.column() + 1)}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override
    {
        return {headerChild((m_index.row() + 1) * (m_grid->columnCount() + 1))};
    }

    // Actions: the operator's own on check and button cells.
    QStringList actionNames() const override
    {
        if (!isValid())
            return {};
        const int col = m_index.column() + 1;
        if (col == m_grid->checkColumn())
            return {toggleAction(), setFocusAction()};
        if (col == m_grid->buttonColumn())
            return {pressAction(), setFocusAction()};
        return {setFocusAction()};
    }

    void doAction(const QString& name) override
    {
        if (!isValid() || !actionNames().contains(name))
            return;
        const int row = m_index.row() + 1, col = m_index.column() + 1;
        if (name == toggleAction()) {
            m_grid->toggleCheck(row);
        } else if (name == pressAction()) {
            // After the reply to the caller: the button may open a modal window.
            QPointer<SpreadGrid> grid = m_grid;
            QMetaObject::invokeMethod(
                grid,
                [grid, row, col] {
                    if (grid)
                        grid->clickButton(row, col);
                },
                Qt::QueuedConnection);
        } else {
            m_grid->setFocus(Qt::OtherFocusReason);
            m_grid->setCurrentIndex(m_index);
        }
    }

    QStringList keyBindingsForAction(const QString& name) const override
    {
        return name == toggleAction() || name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }

private:
    QAccessibleInterface* headerChild(int number) const
    {
        QAccessibleInterface* t = parent();
        return t ? t->child(number) : nullptr;
    }

    QPointer<SpreadGrid> m_grid;
    Kind m_kind;
    int m_section;
    QPersistentModelIndex m_index;
};

class GridTable : public QAccessibleObject, public QAccessibleTableInterface {
public:
    explicit GridTable(SpreadGrid* grid) : QAccessibleObject(grid) { }
    ~GridTable() override { dropChildren(); }

    SpreadGrid* grid() const { return static_cast<SpreadGrid*>(object()); }

    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override
    {
        QAccessible::State st;
        st.focusable = true;
        st.focused = grid()->hasFocus();
        st.invisible = !grid()->isVisible();
        st.disabled = !grid()->isEnabled();
        return st;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return grid()->accessibleDescription();
        return t == QAccessible::Name ? grid()->accessibleName() : QString();
    }
    QRect rect() const override { return grid()->isVisible() ? globalRect(grid(), grid()->rect()) : QRect(); }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(grid()->parentWidget());
    }

    int childCount() const override { return (grid()->rowCount() + 1) * (grid()->columnCount() + 1); }
    QAccessibleInterface* child(int number) const override
    {
        if (number < 0 || number >= childCount())
            return nullptr;
        if (const auto id = m_children.constFind(number); id != m_children.constEnd()) {
            // Without an active screen reader Qt sends no model changes: a cell whose row went
            // or moved is made anew.
            auto* cell = static_cast<GridCell*>(QAccessible::accessibleInterface(*id));
            if (cell && cell->number() == number)
                return cell;
            QAccessible::deleteAccessibleInterface(*id);
            m_children.remove(number);
        }
        const int columns = grid()->columnCount() + 1;
        const int row = number / columns - 1, col = number % columns - 1;
        GridCell::Kind kind = GridCell::Data;
        if (row < 0)
            kind = col < 0 ? GridCell::Corner : GridCell::ColumnHeader;
        else if (col < 0)
            kind = GridCell::RowHeader;
        auto* cell = new GridCell(grid(), kind, row, col);
        m_children.insert(number, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* cell = dynamic_cast<const GridCell*>(child);
        return cell && cell->parent() == this ? cell->number() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QModelIndex index = grid()->indexAt(grid()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const QModelIndex current = grid()->currentIndex();
        return grid()->hasFocus() && current.isValid() ? cellAt(current.row(), current.column()) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this) : nullptr;
    }

    // Table.
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= grid()->rowCount() || column >= grid()->columnCount())
            return nullptr;
        return child(childNumber(grid(), row, column));
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override
    {
        return grid()->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString rowDescription(int row) const override { return grid()->model()->headerData(row, Qt::Vertical).toString(); }
    int columnCount() const override { return grid()->columnCount(); }
    int rowCount() const override { return grid()->rowCount(); }
    int selectedCellCount() const override { return static_cast<int>(selection()->selectedIndexes().size()); }
    int selectedColumnCount() const override { return static_cast<int>(selection()->selectedColumns().size()); }
    int selectedRowCount() const override { return static_cast<int>(selection()->selectedRows().size()); }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        QList<QAccessibleInterface*> cells;
        for (const QModelIndex& i : selection()->selectedIndexes())
            cells.append(cellAt(i.row(), i.column()));
        return cells;
    }
    QList<int> selectedColumns() const override
    {
        QList<int> out;
        for (const QModelIndex& i : selection()->selectedColumns())
            out.append(i.column());
        return out;
    }
    QList<int> selectedRows() const override
    {
        QList<int> out;
        for (const QModelIndex& i : selection()->selectedRows())
            out.append(i.row());
        return out;
    }
    bool isColumnSelected(int column) const override { return selection()->isColumnSelected(column, QModelIndex()); }
    bool isRowSelected(int row) const override { return selection()->isRowSelected(row, QModelIndex()); }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= grid()->rowCount() || grid()->selectionMode() == QAbstractItemView::NoSelection)
            return false;
        grid()->selectRow(row);
        return true;
    }
    bool unselectRow(int row) override
    {
        if (row < 0 || row >= grid()->rowCount())
            return false;
        selection()->select(grid()->model()->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; } // rows are selected whole
    bool unselectColumn(int) override { return false; }
    // Rows or columns came or went: the cells are made anew when asked for. A changed value
    // (a tick) keeps them.
    void modelChange(QAccessibleTableModelChangeEvent* event) override
    {
        if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
            dropChildren();
    }

private:
    QItemSelectionModel* selection() const { return grid()->selectionModel(); }
    void dropChildren() const
    {
        for (const QAccessible::Id id : std::as_const(m_children))
            QAccessible::deleteAccessibleInterface(id);
        m_children.clear();
    }

    mutable QHash<int, QAccessible::Id> m_children;
};

QAccessibleInterface* gridFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("SpreadGrid"))
        if (auto* grid = qobject_cast<SpreadGrid*>(object))
            return new GridTable(grid);
    return nullptr;
}

} // namespace

void installGridAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    (void)installed;
}
