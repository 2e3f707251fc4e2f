// report-viewer: started by the program as "wfrfv10.exe /c <folder>WfdCom.dat" (and under
// the merge and control names); previews, prints or writes PDF.
#include "preview_window.h"
#include "viewer_job.h"

#include "platform/qt_platform.h"
#include "platform/scripted_platform.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char** argv)
{
    QStringList out;
    for (int i = 1; i < argc; ++i)
        out.append(QString::fromLocal8Bit(argv[i]));
    return out;
}

int runWithWindow(const ViewerArguments& args)
{
    QTextStream err(stderr);
    const QString caption = QStringLiteral("レポートビューア");
    auto fail = [&](const QString& message, int code) {
        err << "report-viewer: " << message << Qt::endl;
        platform().messageBox(message, MsgButtons::Ok, MsgIcon::Critical, caption);
        return code;
    };
    if (!args.error.isEmpty())
        return fail(args.error, ExitBadInput);
    CommandFile commands;
    QString error;
    if (!readCommandFile(args.commandFile, &commands, &error))
        return fail(error, ExitBadInput);
    if (commands.merge) { // the merge program shows nothing
        QStringList messages;
        const int rc = runMerge(args, commands, &messages);
        for (const QString& m : messages)
            err << "report-viewer: " << m << Qt::endl;
        if (rc == ExitBadInput)
            platform().messageBox(messages.join(u'\n'), MsgButtons::Ok, MsgIcon::Critical, caption);
        return rc;
    }
    Document doc;
    QStringList warnings;
    if (!buildDocument(commands, &doc, &warnings, &error))
        return fail((warnings + QStringList{error}).join(u'\n'), ExitBadInput);
    for (const QString& w : warnings)
        err << "report-viewer: " << w << Qt::endl;
    const int okCode = warnings.isEmpty() ? ExitOk : ExitUnknownCommand;

    switch (commands.action) {
    case ViewerAction::PrintOut:
        if (!printToDefaultPrinter(doc, &error))
            return fail(error, ExitOutputFailed);
        return okCode;
    case ViewerAction::PrintDialog:
        if (!printWithDialog(doc, nullptr, &error))
            return fail(error, ExitOutputFailed);
        return okCode;
    case ViewerAction::Preview:
    case ViewerAction::None:
        break;
    }
    PreviewWindow window(std::move(doc), warnings);
    window.show();
    window.raise();
    window.activateWindow();
    const int rc = QApplication::exec();
    return rc == 0 ? okCode : rc;
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
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSize(10);
    QApplication::setFont(font);

    ScriptedPlatform scripted;
    QtPlatform desktop;
    setPlatform(scriptedModeRequested() ? static_cast<PlatformServices*>(&scripted) : &desktop);
    const int rc = runWithWindow(args);
    setPlatform(nullptr);
    return rc;
}
