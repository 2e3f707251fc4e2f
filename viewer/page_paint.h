#pragma once
// The one page-painting function behind preview, printing and PDF.
#include "page_compose.h"

class QPainter;
class Document;

// Paints a composed page. pxPerMm: device pixels per layout millimetre (zoom included);
// origin: the device position of the page's top-left corner. Fonts are sized for the
// device's resolution, so the same call serves screens, printers and PDF.
void paintPage(QPainter& painter, const PageContent& page, double pxPerMm, QPointF origin = {});

// Paints page `index` of a document on a device whose page is the document's pageLayout():
// applies the paper scale, PrintZoom and PrintOffsetX/Y, and a printer's printable area.
void paintDocumentPage(QPainter& painter, const Document& doc, int index, const PrintFit& fit = {});

// The families the viewer uses; layouts choose between them.
QString sansFamily();
QString serifFamily();
