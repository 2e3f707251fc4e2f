#include "report_output.h"

#include "csv_writer.h"
#include "wfd_print_exe.h"

#include "base/paths.h"
#include "common/sys_settings.h"
#include "platform/platform.h"

void showRunTimeError(const VbError& error) { platform().messageBox(error.parenText(), MsgButtons::Ok, MsgIcon::None); }

short handToViewer(short outputKind, const QString& title, const QString& layout, const QString& dataName,
                   const QString& csvName)
{
    cls_WfdPrintExe wfd;
    // A viewer that cannot start is shown like a failed iInit; otherwise the operator sees nothing.
    auto failed = [&wfd] {
        platform().messageBox(QStringLiteral("帳票の印刷に失敗しました。\r[") + wfd.sErrMsg() + u']', MsgButtons::Ok,
                              MsgIcon::Critical);
        return short(0);
    };
    if (wfd.iInit(pathInFolder(csGetSysFolder(), layout), title) != 0)
        return failed();
    wfd.iSetDataText(1, dataName, csvName);
    const short r = outputKind == 0 ? wfd.iPreview(0) : wfd.iPrintDialog(0);
    return r == 0 ? short(0) : failed();
}

short runReportDriver(short outputKind, const ReportOutput& out, const ReportSteps& steps)
{
    BusyCursor busy;
    auto tell = [&](const QString& text) {
        platform().messageBox(text, MsgButtons::Ok, MsgIcon::Information, out.title);
    };
    const QString failed = QStringLiteral("データの出力に失敗しました。");
    switch (steps.load()) {
    case -1: tell(failed); return -1;
    case 1: tell(out.nothingToOutput); return 1;
    default: break;
    }
    if (!steps.haveRecords()) {
        tell(out.noRecords);
        return 1;
    }
    const int lines = steps.writeCsv();
    if (lines < 0) {
        tell(failed);
        return -1;
    }
    if (lines == 0) {
        tell(out.nothingToOutput);
        return 1;
    }
    return handToViewer(outputKind, out.viewerTitle.isEmpty() ? out.title : out.viewerTitle, out.layout, out.dataName,
                        out.csvName);
}

void runReportEntry(short outputKind, const MainWindowView& window, const QString& title,
                    const std::function<short(const MainWindowView&)>& conditions,
                    const std::function<short(short)>& driver)
{
    auto tell = [&](const QString& text) { platform().messageBox(text, MsgButtons::Ok, MsgIcon::Information, title); };
    if (conditions(window) == -1) {
        tell(QStringLiteral("印刷条件の取得に失敗しました。"));
        return;
    }
    if (driver(outputKind) == -1)
        tell(QStringLiteral("帳票の印刷に失敗しました。"));
}

int writeReportCsv(const QString& fileName, const QStringList& header, const std::function<void(CsvWriter&)>& rows)
{
    try {
        CsvWriter csv;
        VbError err;
        if (!csv.open(csGetTmpFolder() + fileName, &err))
            vbRaise(err);
        csv.header(header);
        rows(csv);
        if (!csv.close(&err))
            vbRaise(err);
        return csv.rowCount();
    } catch (const VbRuntimeError& e) {
        showRunTimeError(e.err);
        return -1;
    }
}
