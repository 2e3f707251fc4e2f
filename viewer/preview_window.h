#pragma once
// The preview window: pages, next / previous, zoom, fit width, print, save as PDF.
#include "page_compose.h"

#include <QImage>
#include <QMainWindow>

class QAction;
class QLabel;
class QScrollArea;
class QPrinter;

// Where the printer's current page takes the document, in the painter's coordinates: its
// unprintable margins, if wider than the layouts' own, shrink the page into the printable area.
PrintFit printableFit(const QPrinter& printer);
// Prints the document (the printer's page range, if any). False with *error set when the print
// system is unreachable, the queue does not take jobs or the job was refused. A print to a file
// and a job held on a paused printer succeed and are said (showOperatorMessage). With an
// archive folder, the pages of a job the print system accepted are also filed there as a PDF;
// a failure to file them is said and leaves the print a success.
bool printDocument(const Document& doc, QPrinter& printer, QString* error, const QString& archiveFolder = {});
// Print dialog, then printing. False only when printing failed (*error set); a cancelled
// dialog is no failure.
bool printWithDialog(const Document& doc, QWidget* parent, QString* error, const QString& archiveFolder = {});
// The default printer without a dialog. False with *error set.
bool printToDefaultPrinter(const Document& doc, QString* error, const QString& archiveFolder = {});

struct ViewerArguments;
// The run with windows: message boxes for failures (through the platform services), the
// print dialog, the default printer or the preview window, as the command file asks.
int runViewerWithWindow(const ViewerArguments& args);

// Renders a page as an image at the given zoom (1.0: 96 dots per inch).
QImage renderPageImage(const Document& doc, int index, double zoom, double devicePixelRatio = 1.0);

class PreviewWindow : public QMainWindow {
public:
    // archiveFolder: where its prints are filed (empty: nowhere).
    PreviewWindow(Document document, const QStringList& warnings, QWidget* parent = nullptr,
                  const QString& archiveFolder = {});

    int currentPage() const { return m_page; }
    double zoom() const { return m_zoom; }
    bool fitsWidth() const { return m_fitWidth; }
    const Document& document() const { return m_doc; }

    void showPage(int index);
    void setZoom(double zoom); // ends fit-width
    void fitWidth();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void render();
    void savePdf();
    void print();

    Document m_doc;
    QString m_archiveFolder;
    int m_page = 0;
    double m_zoom = 1.0;
    bool m_fitWidth = true;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_image = nullptr;
    QLabel* m_pageLabel = nullptr;
    QAction* m_prev = nullptr;
    QAction* m_next = nullptr;
    QAction* m_first = nullptr;
    QAction* m_last = nullptr;
};
