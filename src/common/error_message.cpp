#include "error_message.h"

#include "platform/platform.h"

void showErrorDescription(const VbError& error)
{
    platform().messageBox(QStringLiteral("Error : ") + error.description, MsgButtons::Ok, MsgIcon::Critical);
}
