// The main window's detail entry commands: cmdEdit and the list's double click open the
// entry window for one row, and the row is refreshed when it closes.
#include "main_window.h"

#include "input_meisai.h"
#include "platform/platform.h"
#include "widgets/spread_grid.h"

void frmPrint利用者別月間実績表::cmdEditCommand()
{
    const int rows = grdData->MaxRows();
    int selected = 0;
    for (int r = 1; r <= rows; ++r) {
        if (!isRowSelected(r))
            continue;
        if (selected != 0) {
            platform().messageBox(QStringLiteral("理由記載の場合は、該当利用者１人を選択してください。"),
                                  MsgButtons::Ok, MsgIcon::Information, QStringLiteral("確認"));
            return;
        }
        selected = r;
    }
    if (selected != 0)
        openDetailEntry(selected);
}

void frmPrint利用者別月間実績表::gridDoubleClick(int row, int col)
{
    if (grdData->MaxRows() <= 0)
        return;
    if (row >= 1)
        openDetailEntry(row);
    else
        vSortGrid(col);
}

void frmPrint利用者別月間実績表::openDetailEntry(int row)
{
    if (grdData->MaxRows() <= 0 || row < 1 || row > grdData->MaxRows())
        return;
    frmInputMeisai entry(this);
    const long userNo = static_cast<long>(grdData->value(row, colIDNo).toLongLong());
    if (entry.iInit(userNo, grdData->text(row, colYMD)) != 0)
        return;
    entry.exec();
    if (refreshRow(row) != 0)
        platform().messageBox(QStringLiteral("再表示に失敗しました。"), MsgButtons::Ok, MsgIcon::None,
                              QStringLiteral("確認"));
}
