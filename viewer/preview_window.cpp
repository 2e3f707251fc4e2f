#include "preview_window.h"

#include "operator_message.h"
#include "page_paint.h"
#include "print_archive.h"
#include "print_system.h"
#include "viewer_job.h"

#include "platform/platform.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <QToolBar>
#include <QVBoxLayout>

PrintFit printableFit(const QPrinter& printer)
{
    QPageLayout page = printer.pageLayout();
    page.setUnits(QPageLayout::Millimeter);
    PrintFit fit = fitToPrintable(page.fullRect().size(), page.minimumMargins());
    // The fit is on the paper; the painter starts at the paint rectangle (the paper in
    // full-page mode, the margins' corner otherwise).
    fit.offsetMm -= page.paintRect().topLeft();
    return fit;
}

namespace {

// A printed document's copy in the archive folder; a failure is reported, never fatal.
void fileCopyOfPrint(const Document& doc, const QString& archiveFolder, int from, int to)
{
    if (archiveFolder.isEmpty())
        return;
    QString path, error;
    if (archivePrintedDocument(doc, archiveFolder, QDateTime::currentDateTime(), from, to, &path, &error))
        return;
    showOperatorMessage(archiveFailureMessage(error), MsgIcon::Exclamation, doc.title);
}

// Puts the printer on page `index`'s paper and orientation. A printer refuses margins below
// its own, so its margins stay and full-page mode puts the painter on the paper's corner;
// printableFit() then places the page in the printable area once.
bool setPrinterPage(QPrinter& printer, const Document& doc, int index, QString* error)
{
    const QPageLayout wanted = doc.pageLayout(index);
    printer.setPageOrientation(wanted.orientation());
    printer.setPageSize(wanted.pageSize());
    printer.setFullPage(true);
    const QPageLayout got = printer.pageLayout();
    if (got.pageSize().isEquivalentTo(wanted.pageSize()) && got.orientation() == wanted.orientation())
        return true;
    *error = QStringLiteral("プリンタ「%1」に用紙 %2 を設定できません。")
                 .arg(printer.printerName(), wanted.pageSize().name());
    return false;
}

bool paintOnPrinter(const Document& doc, QPrinter& printer, int from, int to, QString* error)
{
    if (!setPrinterPage(printer, doc, from, error))
        return false;
    const QString cannot = QStringLiteral("プリンタ「%1」に印刷できません。").arg(printer.printerName());
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = cannot;
        return false;
    }
    for (int i = from; i <= to; ++i) {
        bool ready = i == from || setPrinterPage(printer, doc, i, error);
        if (ready && i > from && !printer.newPage()) {
            *error = cannot;
            ready = false;
        }
        if (!ready) {
            printer.abort(); // never half a document
            painter.end();
            return false;
        }
        paintDocumentPage(painter, doc, i, printableFit(printer));
    }
    if (!painter.end()) {
        *error = cannot;
        return false;
    }
    return true;
}

// A print dialog without any printer offers only a PDF file: the operator learns that
// nothing was printed, and why.
void tellSavedInsteadOfPrinted(const Document& doc, const QPrinter& printer)
{
    QString text = QStringLiteral("印刷はしていません。PDF ファイル %1 に保存しました。")
                       .arg(QDir::toNativeSeparators(printer.outputFileName()));
    if (QPrinterInfo::availablePrinters().isEmpty())
        text += u'\n' + noPrinterReason();
    showOperatorMessage(text, MsgIcon::Information, doc.title);
}

// Before printing: which pages print with a text cut short (none: nothing said).
void tellCuts(const QStringList& notes, const QString& title)
{
    if (!notes.isEmpty())
        platform().messageBox(notes.join(u'\n'), MsgButtons::Ok, MsgIcon::Exclamation, title);
}

} // namespace

bool printDocument(const Document& doc, QPrinter& printer, QString* error, const QString& archiveFolder)
{
    printer.setDocName(doc.title);
    int from = 0, to = doc.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = qBound(0, printer.fromPage() - 1, to);
        to = qBound(from, printer.toPage() - 1, to);
    }
    if (printer.outputFormat() != QPrinter::NativeFormat) {
        if (!paintOnPrinter(doc, printer, from, to, error))
            return false;
        tellSavedInsteadOfPrinted(doc, printer);
        return true;
    }
    if (printer.printerName().isEmpty()) {
        *error = noPrinterReason();
        return false;
    }
    // QPrinter reports neither a refused job nor a print service that is gone: ask it.
    const QueueState queue = queueState(printer.printerName());
    if (!queue.problem.isEmpty()) {
        *error = queue.problem;
        return false;
    }
    if (!paintOnPrinter(doc, printer, from, to, error))
        return false;
    if (const QString refused = submissionProblem(printer.printerName()); !refused.isEmpty()) {
        *error = refused;
        return false;
    }
    if (queue.paused)
        showOperatorMessage(QStringLiteral("プリンタ「%1」は一時停止中です。印刷は待ち行列に入り、"
                                           "プリンタが再開されると印刷されます。")
                                .arg(printer.printerName()),
                            MsgIcon::Information, doc.title);
    fileCopyOfPrint(doc, archiveFolder, from, to);
    return true;
}

bool printWithDialog(const Document& doc, QWidget* parent, QString* error, const QString& archiveFolder)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(doc.pageLayout(0));
    printer.setDocName(doc.title);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("印刷 - %1").arg(doc.title));
    dialog.setMinMax(1, doc.pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    return printDocument(doc, printer, error, archiveFolder);
}

bool printToDefaultPrinter(const Document& doc, QString* error, const QString& archiveFolder)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        *error = noPrinterReason();
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    return printDocument(doc, printer, error, archiveFolder);
}

QImage renderPageImage(const Document& doc, int index, double zoom, double devicePixelRatio)
{
    const QSizeF sizeMm = doc.pageLayout(index).fullRect(QPageLayout::Millimeter).size();
    const double dpi = 96.0 * zoom * devicePixelRatio;
    const QSize sizePx(qMax(1, qRound(sizeMm.width() * dpi / 25.4)), qMax(1, qRound(sizeMm.height() * dpi / 25.4)));
    QImage image(sizePx, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintDocumentPage(painter, doc, index);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

PreviewWindow::PreviewWindow(Document document, const QStringList& warnings, QWidget* parent,
                             const QString& archiveFolder)
    : QMainWindow(parent), m_doc(std::move(document)), m_archiveFolder(archiveFolder)
{
    setWindowTitle(m_doc.title);
    setAccessibleName(m_doc.title);

    auto* bar = addToolBar(QStringLiteral("操作"));
    bar->setMovable(false);
    bar->setAccessibleName(QStringLiteral("操作"));
    auto add = [&](const QString& text, const QKeySequence& key, auto handler) {
        QAction* action = bar->addAction(text);
        action->setShortcut(key);
        action->setToolTip(key.isEmpty() ? text
                                         : QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_first = add(QStringLiteral("先頭"), QKeySequence(Qt::Key_Home), [this] { showPage(0); });
    m_prev = add(QStringLiteral("前のページ"), QKeySequence(Qt::Key_PageUp), [this] { showPage(m_page - 1); });
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setAccessibleName(QStringLiteral("ページ"));
    m_pageLabel->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(m_pageLabel);
    m_next = add(QStringLiteral("次のページ"), QKeySequence(Qt::Key_PageDown), [this] { showPage(m_page + 1); });
    m_last = add(QStringLiteral("最後"), QKeySequence(Qt::Key_End), [this] { showPage(m_doc.pageCount() - 1); });
    bar->addSeparator();
    add(QStringLiteral("縮小"), QKeySequence(QKeySequence::ZoomOut), [this] { setZoom(m_zoom / 1.25); });
    add(QStringLiteral("拡大"), QKeySequence(QKeySequence::ZoomIn), [this] { setZoom(m_zoom * 1.25); });
    add(QStringLiteral("幅に合わせる"), QKeySequence(Qt::CTRL | Qt::Key_0), [this] { fitWidth(); });
    add(QStringLiteral("等倍"), QKeySequence(Qt::CTRL | Qt::Key_1), [this] { setZoom(1.0); });
    bar->addSeparator();
    add(QStringLiteral("印刷..."), QKeySequence(QKeySequence::Print), [this] { print(); });
    add(QStringLiteral("PDF 保存..."), QKeySequence(QKeySequence::Save), [this] { savePdf(); });
    bar->addSeparator();
    add(QStringLiteral("閉じる"), QKeySequence(Qt::Key_Escape), [this] { close(); });

    auto* central = new QWidget(this);
    auto* box = new QVBoxLayout(central);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    if (!warnings.isEmpty()) {
        auto* note = new QLabel(warnings.join(u'\n'), central);
        note->setObjectName(QStringLiteral("warnings"));
        note->setAccessibleName(QStringLiteral("注意"));
        note->setWordWrap(true);
        note->setStyleSheet(QStringLiteral("background:#fff3c4; color:#5a4500; padding:6px;"));
        box->addWidget(note);
    }
    m_scroll = new QScrollArea(central);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAccessibleName(QStringLiteral("ページ表示"));
    m_image = new QLabel;
    m_image->setAccessibleName(QStringLiteral("ページ"));
    m_image->setContentsMargins(12, 12, 12, 12);
    m_scroll->setWidget(m_image);
    m_scroll->viewport()->installEventFilter(this);
    box->addWidget(m_scroll);
    setCentralWidget(central);

    const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 900);
    resize(qMin(1100, avail.width() * 9 / 10), qMin(1000, avail.height() * 9 / 10));
    showPage(0);
}

void PreviewWindow::showPage(int index)
{
    m_page = qBound(0, index, qMax(0, m_doc.pageCount() - 1));
    const bool atStart = m_page == 0, atEnd = m_page >= m_doc.pageCount() - 1;
    m_first->setEnabled(!atStart);
    m_prev->setEnabled(!atStart);
    m_next->setEnabled(!atEnd);
    m_last->setEnabled(!atEnd);
    m_pageLabel->setText(QStringLiteral("%1 / %2 ページ").arg(m_page + 1).arg(m_doc.pageCount()));
    render();
    m_scroll->verticalScrollBar()->setValue(0);
}

void PreviewWindow::setZoom(double zoom)
{
    m_fitWidth = false;
    m_zoom = qBound(0.2, zoom, 4.0);
    render();
}

void PreviewWindow::fitWidth()
{
    m_fitWidth = true;
    render();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Fit width follows the visible width of the page area.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_fitWidth)
        render();
    return QMainWindow::eventFilter(watched, event);
}

void PreviewWindow::render()
{
    if (m_doc.pageCount() == 0)
        return;
    if (m_fitWidth) {
        const double widthMm = m_doc.pageLayout(m_page).fullRect(QPageLayout::Millimeter).width();
        const int avail = m_scroll->viewport()->width() - 24 - 4;
        m_zoom = qBound(0.2, avail / (widthMm * 96.0 / 25.4), 4.0);
    }
    const QImage image = renderPageImage(m_doc, m_page, m_zoom, devicePixelRatioF());
    m_image->setPixmap(QPixmap::fromImage(image));
    m_image->adjustSize();
}

void PreviewWindow::savePdf()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF 保存"),
                                                      pdfFileNameForTitle(m_doc.title), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeDocumentPdf(m_doc, path, &error))
        showOperatorMessage(error, MsgIcon::Critical, m_doc.title);
}

void PreviewWindow::print()
{
    tellCuts(cutNotes(m_doc), m_doc.title);
    QString error;
    if (!printWithDialog(m_doc, this, &error, m_archiveFolder))
        showOperatorMessage(error, MsgIcon::Critical, m_doc.title);
}

int runViewerWithWindow(const ViewerArguments& args)
{
    QTextStream err(stderr);
    const QString caption = QStringLiteral("レポートビューア");
    auto fail = [&](const QString& message, int code) {
        showOperatorMessage(message, MsgIcon::Critical, caption);
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
        if (rc == ExitBadInput)
            showOperatorMessage(messages.join(u'\n'), MsgIcon::Critical, caption);
        else
            for (const QString& message : messages)
                err << "report-viewer: " << message << Qt::endl;
        return rc;
    }
    Document doc;
    QStringList warnings;
    if (!buildDocument(commands, &doc, &warnings, &error))
        return fail((warnings + QStringList{error}).join(u'\n'), ExitBadInput);
    const int okCode = warnings.isEmpty() ? ExitOk : ExitUnknownCommand;
    const QStringList cuts = cutNotes(doc);
    warnings += cuts; // shown, but no reason for another exit code
    for (const QString& warning : warnings)
        err << "report-viewer: " << warning << Qt::endl;

    const QString archive = archiveFolderSetting(QCoreApplication::applicationDirPath());
    switch (commands.action) {
    case ViewerAction::PrintOut:
        tellCuts(cuts, doc.title);
        if (!printToDefaultPrinter(doc, &error, archive))
            return fail(error, ExitOutputFailed);
        return okCode;
    case ViewerAction::PrintDialog:
        tellCuts(cuts, doc.title);
        if (!printWithDialog(doc, nullptr, &error, archive))
            return fail(error, ExitOutputFailed);
        return okCode;
    case ViewerAction::Preview:
    case ViewerAction::None: break;
    }
    PreviewWindow window(std::move(doc), warnings, nullptr, archive);
    window.show();
    window.raise();
    window.activateWindow();
    const int rc = QApplication::exec();
    return rc == 0 ? okCode : rc;
}
