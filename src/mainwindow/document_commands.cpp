// The main window's document commands.
#include "main_window.h"

#include "platform/platform.h"
#include "reports/monthly_actual_table.h"
#include "reports/monthly_schedule_table.h"

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
    if (platform().messageBox(QStringLiteral("利用者別月間実績表の印刷を行います。よろしいですか？"), MsgButtons::OkCancel,
                              MsgIcon::Question) != MsgResult::Ok)
        return;
    printTable(*this, 1);
    saveSettings();
}

void frmPrint利用者別月間実績表::yoteiJissekiButton(int index)
{
    optPrintType[index == 1 ? 0 : 1]->setChecked(true);
    menuPreview();
}
