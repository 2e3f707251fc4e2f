#pragma once
// What every document of the program shares: the entry (conditions, then the print driver),
// the print driver (hourglass, loader, CSV, hand-off) with its messages titled by the document,
// and the hand-off of layout and CSV to the report viewer.
#include "base/vb_error.h"
#include "main_window_view.h"

#include <QString>
#include <functional>

// One document's texts and files.
struct ReportOutput {
    QString title{};           // message title, and the viewer's title unless viewerTitle is set
    QString layout{};          // layout file name in the system folder
    QString dataName{};        // data name of slot 1
    QString csvName{};         // CSV file name in the temporary folder
    QString nothingToOutput{}; // the loader found nothing, or the CSV holds no line
    QString noRecords{};       // the loader ran but kept no record
    QString viewerTitle{};     // the document's title in the viewer
};

// The steps of a print driver; haveRecords is asked after a successful load.
struct ReportSteps {
    std::function<short()> load; // 0 loaded, 1 nothing, -1 failure
    std::function<bool()> haveRecords;
    std::function<int()> writeCsv; // data lines written, or -1
};

// Hourglass, load, CSV, hand-off. 0 done, 1 nothing to output, -1 failure; every outcome but
// success and the hand-off's own failure brings its message (information icon, the title).
short runReportDriver(short outputKind, const ReportOutput& out, const ReportSteps& steps);

// The entry: conditions (-1 brings "印刷条件の取得に失敗しました。"), then the driver;
// a driver failure brings "帳票の印刷に失敗しました。". Both messages carry the title.
void runReportEntry(short outputKind, const MainWindowView& window, const QString& title,
                    const std::function<short(const MainWindowView&)>& conditions,
                    const std::function<short(short)>& driver);

// Layout in the system folder, title, CSV as data slot 1; preview (0) or print dialog (else),
// paper A4. A failed iInit, or a viewer that cannot start, shows "帳票の印刷に失敗しました。" CR
// "[" sErrMsg "]" (critical, no title). Returns 0.
short handToViewer(short outputKind, const QString& title, const QString& layout, const QString& dataName,
                   const QString& csvName);

class CsvWriter;
// Writes fileName in the temporary folder: the header, then the lines rows() adds. The data
// lines written, or -1 after the run-time error's message (a missing folder, a full disk).
int writeReportCsv(const QString& fileName, const QStringList& header, const std::function<void(CsvWriter&)>& rows);

// An unexpected run-time error: "(" number ")" description, OK only, no title.
void showRunTimeError(const VbError& error);
