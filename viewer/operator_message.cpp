#include "operator_message.h"

#include <QTextStream>

void showOperatorMessage(const QString& text, MsgIcon icon, const QString& title)
{
    QTextStream(stderr) << "report-viewer: " << text << Qt::endl;
    platform().messageBox(text, MsgButtons::Ok, icon, title);
}
