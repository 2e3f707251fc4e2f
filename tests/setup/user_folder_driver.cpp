// Plays an operator in the folder given, as the program does in scripted mode (every message on
// standard error, answered with its default button): the start values, the main window's load,
// the month's list of every user, the monthly table previewed and then printed. The viewer is
// started by the program as always; REPORT_VIEWER_PDF_DIR makes it write PDFs instead of windows,
// PDF_DIR/preview for the preview and PDF_DIR/print for the print.
//   user_folder_driver FOLDER YYYY-MM PDF_DIR
#include "platform/scripted_platform.h"
#include "startup/start_values.h"
#include "widgets/month_edit.h"
#include "widgets/spread_grid.h"
#include "windows/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRadioButton>
#include <QThread>
#include <cstdio>

namespace {

// The viewer runs detached: wait for the PDF it writes (it appears whole).
bool waitForPdf(const QString& folder)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000) {
        if (!QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: user_folder_driver FOLDER YYYY-MM PDF_DIR\n", stderr);
        return 2;
    }
    ScriptedPlatform scripted;
    setPlatform(&scripted);
    loadStartValues(args.at(1));

    frmPrint利用者別月間実績表 w;
    w.load();
    w.imD_Out->setMonth(QDate::fromString(args.at(2) + QStringLiteral("-01"), Qt::ISODate));
    w.optSerchSel[4]->click();
    w.extract();
    std::fprintf(stderr, "ROWS\t%d\n", w.grdData->MaxRows());
    for (const char* command : {"preview", "print"}) {
        const QString pdfDir = QDir(args.at(3)).filePath(QString::fromLatin1(command));
        QDir().mkpath(pdfDir);
        qputenv("REPORT_VIEWER_PDF_DIR", QFile::encodeName(pdfDir));
        (qstrcmp(command, "preview") == 0 ? w.mnMenuPreview : w.mnMenuPrint)->trigger();
        if (!waitForPdf(pdfDir)) {
            std::fprintf(stderr, "no PDF from the %s command\n", command);
            return 1;
        }
    }
    return 0;
}
