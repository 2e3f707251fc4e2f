// The main window's document commands.
#include "main_window.h"

#include "common/online_help.h"
#include "frm_hinkai_sub.h"
#include "frm_print16_hindo.h"
#include "platform/platform.h"
#include "reports/monthly_actual_table.h"
#include "reports/monthly_schedule_table.h"
#include "reports/over16_print.h"
#include "widgets/spread_grid.h"

#include <QRadioButton>

namespace {
void printTable(frmPrint利用者別月間実績表& w, short outputKind)
{
    if (w.optPrintType[0]->isChecked())
        modPrint利用者別月間実績表::vPrintJissekiHyo(outputKind, w);
    else
        modPrint利用者別月間予定表::vPrintYoteiHyo(outputKind, w);
}
} // namespace

void frmPrint利用者別月間実績表::menuPreview()
{
    printTable(*this, 0);
    saveSettings();
}

void frmPrint利用者別月間実績表::menuPrint()
{
    // The same question before the schedule table.
    if (platform().messageBox(QStringLiteral("利用者別月間実績表の印刷を行います。よろしいですか？"),
                              MsgButtons::OkCancel, MsgIcon::Question)
        != MsgResult::Ok)
        return;
    printTable(*this, 1);
    saveSettings();
}

void frmPrint利用者別月間実績表::yoteiJissekiButton(int index)
{
    optPrintType[index == 1 ? 0 : 1]->setChecked(true);
    menuPreview();
}

std::vector<int> frmPrint利用者別月間実績表::selectedRows() const
{
    std::vector<int> rows;
    for (int r = 1; r <= grdData->MaxRows(); ++r)
        if (isRowSelected(r))
            rows.push_back(r);
    return rows;
}

bool frmPrint利用者別月間実績表::checkUsersSelected()
{
    if (grdData->MaxRows() > 0 && !selectedRows().empty())
        return true;
    platform().messageBox(QStringLiteral("利用者を選択してください。"), MsgButtons::Ok, MsgIcon::None,
                          QStringLiteral("確認"));
    return false;
}

void frmPrint利用者別月間実績表::btnJissekiClick(int index)
{
    if (!checkUsersSelected())
        return;
    // The settings are not saved by this command.
    modPrintOver16Count::vPrintKeizokuRiyuu(index == 0 ? 1 : 0, pastMonthsFlag(), newStyleFlag() ? 1 : 0, *this,
                                            index == 2 ? 1 : 0);
}

void frmPrint利用者別月間実績表::btnJissekiSelectClick()
{
    if (!checkUsersSelected())
        return;
    frmPrint16Hindo dialog(this);
    dialog.pastMonths = pastMonthsFlag();
    dialog.checkEnabling = newStyleFlag() ? 1 : 0;
    dialog.exec();
    if (dialog.action == -1)
        return;
    setPastMonthsFlag(dialog.pastMonths);
    const short mode = dialog.action == 0 ? 1 : 0;
    if (dialog.document == 0)
        modPrintOver16Count::vPrintKeizokuRiyuu(mode, pastMonthsFlag(), newStyleFlag() ? 1 : 0, *this, 0);
    else
        modPrintOver16Count::vPrintKeikakusyo(mode, *this, 0);
    saveSettings();
}

void frmPrint利用者別月間実績表::openHinkaiSub(int row)
{
    if (grdData->MaxRows() < 1 || row < 1)
        return;
    frmHinkaiSub sub(this);
    // The row's own month (column 16): the one the frequency table was built for.
    if (sub.iInit(grdData->value(row, colIDNo).toLongLong(), grdData->text(row, colYMD)) != 0)
        return;
    sub.exec();
    if (refreshRow(row) != 0)
        platform().messageBox(QStringLiteral("再表示に失敗しました。"), MsgButtons::Ok, MsgIcon::None,
                              QStringLiteral("確認"));
}

void frmPrint利用者別月間実績表::menuDispHelp()
{
    BusyCursor busy;
    vOnlineHelp(1);
}
