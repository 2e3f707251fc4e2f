#include "time_zone.h"

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

void pinLocalTimeZone()
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", QByteArrayLiteral(":/etc/localtime")); // Qt reads this form as the system zone too
    tzset();
}
