#pragma once
// What the report modules read from the main window. The window implements it; tests
// implement it with plain data.
#include <QDate>
#include <QVariant>

class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    // imD_Out: the month input's value (any day of the month).
    virtual QDate monthValue() const = 0;
    // grdData.MaxRows: the number of data rows.
    virtual int gridMaxRows() const = 0;
    // grdData value of a cell, 1-based rows and columns (column 1 the tick box: 1 or 0,
    // column 2 the user number).
    virtual QVariant gridValue(int row, int col) const = 0;
    // The selected optSerchSel index: 2, 3 or 4.
    virtual int selectedCondition() const = 0;
    // mnSejutuKaisuCnt(1) "初療年月日の1年後の月の全施術回数" is ticked.
    virtual bool countWholeAnniversaryMonth() const = 0;
};
