#include "base/time_zone.h"
#include "platform/scripted_platform.h"
#include "startup/entry.h"
#include "widgets/qt_platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    pinLocalTimeZone();
    // The processing mode is the suite's, read as given: Qt must not take "-reverse",
    // "-style x" and the like out of it (or act on them), so Qt sees the program name only.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
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

    return runEntryProcedure(args);
}
