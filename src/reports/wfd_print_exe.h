#pragma once
// cls_WfdPrintExe: writes the report viewer's command file WfdCom.dat (CP932, CRLF) into the
// temporary folder and starts the viewer with it. Members return 0 or -1; a failure leaves
// "(" number ")" description in sErrMsg and shows nothing.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class cls_WfdPrintExe {
public:
    QString sErrMsg() const { return m_errMsg; }

    // Viewer "wfrfv10.exe", work folder = csGetTmpFolder(); an empty title keeps the old one.
    short iInit(const QString& layoutPath, const QString& title);
    // Slot 1-5: data name and the work folder followed by fileName.
    short iSetDataText(short slot, const QString& dataName, const QString& fileName);
    // Slot 1-5: data name and a full path; its line ends in ",,,1" (data without header line).
    short iSetDataTextNoTitle(short slot, const QString& dataName, const QString& fullPath);
    short iSetOffset(long x, long y);
    short iSetPrintZoom(short zoom);
    // Item name: first, "." second (when not blank), "." third.
    short iSetItemValue(const QString& first, const QString& second, const QString& third, const QString& value);
    short iSetRepeatStart(short row);

    // Paper code 1 A5, 2 B5, -1 no paper line, anything else A4.
    short iPreview(short paper);
    short iPreviewData(); // writes the command file only
    short iPreviewActX();
    short iPrintBk();
    short iPrintDialog(short paper);

    // Merges reports into the work folder's tmp.wfd with "wfrimg10.exe", then opens it with
    // the print dialog. Element i-1 of each list belongs to report i.
    short addPrint(short reportCount, const QString& dataName, const QStringList& dataFiles, const QStringList& layouts,
                   const QString& title);
    short addPrint_addCSV(short reportCount, const QString& dataName, const QStringList& dataFiles,
                          const QString& dataName2, const QStringList& dataFiles2, const QStringList& layouts,
                          const QList<int>& addFlags, const QString& title);

    // How long the merge path waits for the merged document (milliseconds).
    static int mergeWaitMs;

private:
    struct DataSlot {
        QString name;
        QString path;
        bool noTitle = false;
    };
    struct ItemValue {
        QString first, second, third, value;
    };
    enum class Output { Preview = 0, Print = 1, PrintDialog = 2 };

    short setSlot(short slot, const QString& dataName, const QString& path, bool noTitle);
    short iMakeComFile(Output mode, short paper);
    short startViewer(const QString& program, const QStringList& args, bool maximized);
    short mergeReports(short reportCount, const QString& dataName, const QStringList& dataFiles,
                       const QString* dataName2, const QStringList* dataFiles2, const QStringList& layouts,
                       const QList<int>* addFlags, const QString& title);
    QString comFilePath() const;

    QString m_errMsg;
    QString m_viewer;
    QString m_workFolder;
    QString m_layout;
    QString m_title;
    std::array<DataSlot, 5> m_slots;
    long m_offsetX = 0;
    long m_offsetY = 0;
    short m_zoom = 2;
    short m_repeatStart = 0;
    QList<ItemValue> m_items;
};
