#pragma once
// clsT_HanSpr: the list's header sort with up to three keys.
#include "mainwindow/grid_sort_keys.h"

#include <QString>
#include <optional>

class SpreadGrid;

class clsT_HanSpr {
public:
    QString CsErrStr() const { return m_err; }
    void vInit(SpreadGrid* grid) { m_grid = grid; }
    void vSortLineASC2DSC(int firstRow, int lastRow, int column, std::optional<short> order = std::nullopt);
    void vSortNoChange(int firstRow, int lastRow);
    const SortKeys& keys() const { return m_keys; }

private:
    void vSortExec(int firstRow, int lastRow);
    SpreadGrid* m_grid = nullptr;
    SortKeys m_keys;
    QString m_err;
};
