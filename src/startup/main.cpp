#include "platform/qt_platform.h"
#include "platform/scripted_platform.h"
#include "startup/entry.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("monthly-records"));
    QApplication::setApplicationDisplayName(QStringLiteral("施術継続理由書／頻回施術計画書"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Japanese captions of the standard buttons.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSize(10);
    QApplication::setFont(font);

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
