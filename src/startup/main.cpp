#include "common/time_zone.h"
#include "platform/qt_platform.h"
#include "platform/scripted_platform.h"
#include "startup/entry.h"

#include <QApplication>

int main(int argc, char** argv)
{
    pinLocalTimeZone();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("monthly-records"));
    QApplication::setApplicationDisplayName(QStringLiteral("施術継続理由書／頻回施術計画書"));
    QApplication::setQuitOnLastWindowClosed(false);

    installJapaneseUi();

    ScriptedPlatform scripted;
    QtPlatform desktop;
    if (scriptedModeRequested())
        setPlatform(&scripted);
    else
        setPlatform(&desktop);

    QStringList args = QApplication::arguments();
    args.removeFirst();
    return runEntryProcedure(args);
}
