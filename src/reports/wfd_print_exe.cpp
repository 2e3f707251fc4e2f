#include "wfd_print_exe.h"

#include "base/paths.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/sys_settings.h"
#include "platform/platform.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

int cls_WfdPrintExe::mergeWaitMs = 30000;

namespace {

const QString kComFile = QStringLiteral("WfdCom.dat");
const QString kMergeProgram = QStringLiteral("wfrimg10.exe");
const QString kActXViewer = QStringLiteral("WrVb6Viewer.exe");
const QString kMergedDoc = QStringLiteral("tmp.wfd");

QString quoted(const QString& text) { return u'"' + text + u'"'; }

// A path the viewer must open has to survive CP932, or the command file would name another file.
void requireCp932Path(const QString& path)
{
    if (!fitsCp932(path))
        vbRaise(vberr::badFileName());
}

void writeLines(const QString& path, const QStringList& lines)
{
    VbError err;
    if (!writeFileReplacing(path, cp932Lines(lines), &err))
        vbRaise(err);
}

} // namespace

QString cls_WfdPrintExe::comFilePath() const { return m_workFolder + kComFile; }

short cls_WfdPrintExe::iInit(const QString& layoutPath, const QString& title)
{
    try {
        m_viewer = QStringLiteral("wfrfv10.exe");
        m_workFolder = csGetTmpFolder();
        m_layout = nativePath(layoutPath);
        if (!title.isEmpty())
            m_title = title;
        m_offsetX = 0;
        m_offsetY = 0;
        m_zoom = 2;
        m_repeatStart = 0;
        m_items.clear();
        return 0;
    } catch (const VbRuntimeError& e) {
        m_errMsg = e.err.parenText();
        return -1;
    }
}

short cls_WfdPrintExe::setSlot(short slot, const QString& dataName, const QString& path, bool noTitle)
{
    if (slot < 1 || slot > 5) {
        m_errMsg = vberr::subscript().parenText();
        return -1;
    }
    m_slots[slot - 1] = {dataName, path, noTitle};
    return 0;
}

short cls_WfdPrintExe::iSetDataText(short slot, const QString& dataName, const QString& fileName)
{
    return setSlot(slot, dataName, nativePath(m_workFolder + fileName), false);
}

short cls_WfdPrintExe::iSetDataTextNoTitle(short slot, const QString& dataName, const QString& fullPath)
{
    return setSlot(slot, dataName, nativePath(fullPath), true);
}

short cls_WfdPrintExe::iSetOffset(long x, long y)
{
    m_offsetX = x;
    m_offsetY = y;
    return 0;
}

short cls_WfdPrintExe::iSetPrintZoom(short zoom)
{
    m_zoom = zoom;
    return 0;
}

short cls_WfdPrintExe::iSetItemValue(const QString& first, const QString& second, const QString& third,
                                     const QString& value)
{
    m_items.append({first, second, third, value});
    return 0;
}

short cls_WfdPrintExe::iSetRepeatStart(short row)
{
    m_repeatStart = row;
    return 0;
}

short cls_WfdPrintExe::iMakeComFile(Output mode, short paper)
{
    try {
        requireCp932Path(m_layout);
        QStringList lines;
        lines << QStringLiteral("FileName,") + quoted(m_layout);
        if (!m_title.isEmpty())
            lines << QStringLiteral("Title,") + quoted(m_title);
        for (const DataSlot& data : m_slots) {
            if (data.name.isEmpty())
                continue;
            requireCp932Path(data.path);
            QString line = QStringLiteral("SetDataText,") + quoted(data.name) + u',' + quoted(data.path);
            if (data.noTitle)
                line += QStringLiteral(",,,1");
            lines << line;
        }
        if (m_offsetX != 0)
            lines << QStringLiteral("PrintOffsetX, ") + QString::number(m_offsetX);
        if (m_offsetY != 0)
            lines << QStringLiteral("PrintOffsetY, ") + QString::number(m_offsetY);
        if (m_zoom != 2)
            lines << QStringLiteral("PrintZoom, ") + QString::number(m_zoom);
        if (m_repeatStart >= 1)
            lines << QStringLiteral("SectionRepeatStart, ") + QString::number(m_repeatStart);
        // Paper code -1 leaves the paper to the layout: no line at all.
        if (paper == 1)
            lines << QStringLiteral("PrintPaper, A5");
        else if (paper == 2)
            lines << QStringLiteral("PrintPaper, B5");
        else if (paper != -1)
            lines << QStringLiteral("PrintPaper, A4");
        for (const ItemValue& it : m_items) {
            QString name = it.first;
            if (!vb::trim(it.second).isEmpty())
                name += u'.' + it.second;
            name += u'.' + it.third;
            lines << QStringLiteral("SetItemValue,") + quoted(name) + u',' + quoted(it.value);
        }
        switch (mode) {
        case Output::Preview: lines << QStringLiteral("ShowWindow,2"); break;
        case Output::Print: lines << QStringLiteral("PrintOut"); break;
        case Output::PrintDialog: lines << QStringLiteral("PrintOutFromDialog"); break;
        }
        writeLines(comFilePath(), lines);
        return 0;
    } catch (const VbRuntimeError& e) {
        m_errMsg = e.err.parenText();
        return -1;
    }
}

short cls_WfdPrintExe::startViewer(const QString& program, const QStringList& args, bool maximized)
{
    VbError err;
    const WindowStyle style = maximized ? WindowStyle::MaximizedFocus : WindowStyle::MinimizedFocus;
    if (platform().startProgram(program, args, style, &err))
        return 0;
    if (!err.isSet())
        err = vberr::fileNotFound();
    m_errMsg = err.parenText();
    return -1;
}

short cls_WfdPrintExe::iPreview(short paper)
{
    if (iMakeComFile(Output::Preview, paper) != 0)
        return -1;
    return startViewer(m_viewer, {QStringLiteral("/c"), comFilePath()}, false);
}

short cls_WfdPrintExe::iPreviewData() { return iMakeComFile(Output::Preview, 0); }

short cls_WfdPrintExe::iPreviewActX()
{
    if (iMakeComFile(Output::Preview, 0) != 0)
        return -1;
    // Relative to the current folder, whatever the work folder is.
    return startViewer(kActXViewer, {QStringLiteral("/c"), nativePath(QStringLiteral("./TMP\\\\") + kComFile)}, true);
}

short cls_WfdPrintExe::iPrintBk()
{
    if (iMakeComFile(Output::Print, 0) != 0)
        return -1;
    return startViewer(m_viewer, {QStringLiteral("/c"), comFilePath()}, false);
}

short cls_WfdPrintExe::iPrintDialog(short paper)
{
    if (iMakeComFile(Output::PrintDialog, paper) != 0)
        return -1;
    return startViewer(m_viewer, {QStringLiteral("/c"), comFilePath()}, false);
}

short cls_WfdPrintExe::addPrint(short reportCount, const QString& dataName, const QStringList& dataFiles,
                                const QStringList& layouts, const QString& title)
{
    return mergeReports(reportCount, dataName, dataFiles, nullptr, nullptr, layouts, nullptr, title);
}

short cls_WfdPrintExe::addPrint_addCSV(short reportCount, const QString& dataName, const QStringList& dataFiles,
                                       const QString& dataName2, const QStringList& dataFiles2,
                                       const QStringList& layouts, const QList<int>& addFlags, const QString& title)
{
    return mergeReports(reportCount, dataName, dataFiles, &dataName2, &dataFiles2, layouts, &addFlags, title);
}

namespace {

// Element i of a list a merge names; a missing one raises a subscript error.
template <class List> auto element(const List& list, int i)
{
    if (i < 0 || i >= list.size())
        vbRaise(vberr::subscript());
    return list.at(i);
}

QString mergeDataLine(const QString& name, const QString& path)
{
    requireCp932Path(path);
    return QStringLiteral("SetDataText,") + quoted(name) + u',' + quoted(path)
        + QStringLiteral(",\",\", \"\"\"\", True");
}

// The merge program's command file: each report's data (and second data where its flag is 1)
// and layout, AddReport between reports.
QStringList mergeCommandLines(short reportCount, const QString& dataName, const QStringList& dataFiles,
                              const QString* dataName2, const QStringList* dataFiles2, const QStringList& layouts,
                              const QList<int>* addFlags, const QString& title)
{
    QStringList lines{QStringLiteral("setTitle,") + quoted(title)};
    for (int i = 0; i < reportCount; ++i) {
        lines << mergeDataLine(dataName, nativePath(element(dataFiles, i)));
        if (addFlags && element(*addFlags, i) == 1)
            lines << mergeDataLine(*dataName2, nativePath(element(*dataFiles2, i)));
        const QString layout = nativePath(element(layouts, i));
        requireCp932Path(layout);
        lines << QStringLiteral("setreport,") + quoted(layout);
        if (i + 1 < reportCount)
            lines << QStringLiteral("AddReport");
    }
    return lines;
}

// The merge program reads WfdCom.dat before it writes the merged document. The wait ends once
// the document is there and has stopped growing, so the merge program has read the command
// file and the viewer finds a whole document; past the deadline it raises "file not found".
void waitForMergedDocument(const QString& merged)
{
    BusyCursor busy;
    QDeadlineTimer deadline(cls_WfdPrintExe::mergeWaitMs);
    qint64 lastSize = -1;
    for (;;) {
        const QFileInfo fi(merged);
        if (fi.isFile() && fi.size() > 0 && fi.size() == lastSize)
            return;
        lastSize = fi.isFile() ? fi.size() : -1;
        if (deadline.hasExpired())
            vbRaise(vberr::fileNotFound());
        QThread::msleep(100);
    }
}

} // namespace

short cls_WfdPrintExe::mergeReports(short reportCount, const QString& dataName, const QStringList& dataFiles,
                                    const QString* dataName2, const QStringList* dataFiles2, const QStringList& layouts,
                                    const QList<int>* addFlags, const QString& title)
{
    try {
        if (m_workFolder.isEmpty()) { // merging needs no iInit
            m_workFolder = csGetTmpFolder();
            m_viewer = QStringLiteral("wfrfv10.exe");
        }
        const QString merged = m_workFolder + kMergedDoc;
        requireCp932Path(merged);
        const QStringList lines =
            mergeCommandLines(reportCount, dataName, dataFiles, dataName2, dataFiles2, layouts, addFlags, title);
        // A merged document left from an earlier run must not pass for this one.
        if (QFileInfo::exists(merged) && !QFile::remove(merged))
            vbRaise(vberr::permissionDenied());
        writeLines(comFilePath(), lines);
        if (startViewer(kMergeProgram, {merged, QStringLiteral("/c"), comFilePath()}, false) != 0)
            return -1;
        // The second command file replaces WfdCom.dat only once the merge program has read the first.
        waitForMergedDocument(merged);
        writeLines(comFilePath(),
                   {QStringLiteral("Title,") + quoted(title), QStringLiteral("FileName,") + quoted(merged),
                    QStringLiteral("PrintOutFromDialog")});
        return startViewer(m_viewer, {QStringLiteral("/c"), comFilePath()}, false);
    } catch (const VbRuntimeError& e) {
        m_errMsg = e.err.parenText();
        return -1;
    }
}
