#include "grid_sort.h"

#include "spread_grid.h"

void clsT_HanSpr::vSortLineASC2DSC(int firstRow, int lastRow, int column, std::optional<short> order)
{
    m_keys.apply(column, order);
    vSortExec(firstRow, lastRow);
}

void clsT_HanSpr::vSortNoChange(int firstRow, int lastRow) { vSortExec(firstRow, lastRow); }

void clsT_HanSpr::vSortExec(int firstRow, int lastRow)
{
    if (!m_grid)
        return;
    m_grid->sortRows(firstRow, lastRow, m_keys.keys());
}
