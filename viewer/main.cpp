// report-viewer: started by the program as "wfrfv10.exe /c <folder>WfdCom.dat" (and under
// the merge and control names); previews, prints or writes PDF.
#include "preview_window.h"
#include "viewer_job.h"

#include "platform/scripted_platform.h"
#include "widgets/qt_platform.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char** argv)
{
    QStringList out;
    for (int i = 1; i < argc; ++i)
        out.append(QString::fromLocal8Bit(argv[i]));
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const ViewerArguments args = parseViewerArguments(argumentsOf(argc, argv));
    if (runsWithoutWindow(args)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QTextStream err(stderr);
        return runWithoutWindow(args, err);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("report-viewer"));
    QApplication::setApplicationDisplayName(QStringLiteral("レポートビューア"));
    installJapaneseUi();

    // Without a screen nobody can click a message box away: it goes to standard error.
    const QString screen = QGuiApplication::platformName();
    const bool unattended = scriptedModeRequested() || screen == u"offscreen" || screen == u"minimal";
    ScriptedPlatform scripted;
    QtPlatform desktop;
    setPlatform(unattended ? static_cast<PlatformServices*>(&scripted) : &desktop);
    const int rc = runViewerWithWindow(args);
    setPlatform(nullptr);
    return rc;
}
