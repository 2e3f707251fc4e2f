#pragma once
// The one page-painting function behind preview, printing and PDF.
#include "page_compose.h"

#include <functional>

class QPagedPaintDevice;
class QPainter;
class Document;

// Paints a composed page. pxPerMm: device pixels per layout millimetre (zoom included);
// origin: the device position of the page's top-left corner. Fonts are sized for the
// device's resolution, so the same call serves screens, printers and PDF.
void paintPage(QPainter& painter, const PageContent& page, double pxPerMm, QPointF origin = {});

// Paints page `index` of a document on a device whose page is the document's pageLayout():
// applies the paper scale, PrintZoom and PrintOffsetX/Y, and a printer's printable area.
void paintDocumentPage(QPainter& painter, const Document& doc, int index, const PrintFit& fit = {});

// Paints pages [from, to] on a paged device (PDF writer or printer) that the painter has begun
// on with page `from`'s layout; every later page sets its own layout first. fitOfPage tells
// where the device's current page takes the document (none: at full size).
void paintDocumentPages(QPainter& painter, QPagedPaintDevice& device, const Document& doc, int from, int to,
                        const std::function<PrintFit()>& fitOfPage = {});

// One note per text that prints cut, by page and record: grid boxes past kMinTextPt and fitted
// texts that end in "…" (measured as the PDF sets them). Empty when every text prints whole.
QStringList cutNotes(const Document& doc);

// The families the viewer uses; layouts choose between them.
QString sansFamily();
QString serifFamily();
