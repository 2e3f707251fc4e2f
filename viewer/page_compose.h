#pragma once
// Turns a layout and its data into pages of simple drawing operations. Composing is pure
// (no painter, no fonts), so what a page shows can be checked without rendering it.
#include "csv_reader.h"
#include "layout.h"

#include "base/grid_wrap.h"

#include <QHash>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QSizeF>
#include <functional>

struct DrawOp {
    enum class Kind { Text, Line, Rect, Ellipse, Tick, GridText };
    Kind kind = Kind::Text;
    QRectF rect;       // mm
    QLineF line;       // mm
    QString text;      // Text
    QStringList lines; // GridText: the wrapped lines
    int cols = 0;      // GridText
    int rows = 0;      // GridText
    FontStyle font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool fit = false;
    double penWidth = 0.25;
    Qt::PenStyle penStyle = Qt::SolidLine;
    QColor color = Qt::black;
    QColor fill;
    QString name;          // the layout item's name, if any
    bool overflow = false; // GridText: the text did not fit and was cut
};

struct PageContent {
    QSizeF sizeMm;
    QList<DrawOp> ops;
};

// Formats a CSV value for a placeholder: "" (as is), "date:<VB pattern>" (a date
// "yyyy/mm/dd", a month "yyyy/mm" or a time "h:m:s"; empty when the value is none of them),
// "map:k=v;k=v;*=v" (a value without entry and without "*" stands), "weekday:<day>" (the
// weekday of that day in the month the value names; empty when the month has no such day).
QString formatValue(const QString& value, const QString& format);

// True when a value selects an option: equal texts, or equal numbers.
bool sameValue(const QString& value, const QString& option);

// Legibility and the printable edge of paper.
constexpr double kMinTextPt = 7.0;         // shrink-to-fit stops here
constexpr double kWrapPitchEm = 1.2;       // line pitch of text wrapped at that size
constexpr double kPrintableMarginMm = 5.0; // layouts keep every box this far inside the paper

// A text fitted into a box ("fit" items): the size it is drawn at and its lines. It shrinks
// to fit down to kMinTextPt (or its own size, when that is smaller); text still too long there
// wraps onto as many lines as the box holds at kWrapPitchEm, and what still does not fit is
// cut, the last line ending in "…". widthMm(text, pt) and lineMm(pt) measure with the font.
struct FittedText {
    double sizePt = 0;
    QStringList lines;
    bool wrapped = false; // the lines are the box's, drawn at kWrapPitchEm
    bool cut = false;
};
FittedText fitText(const QString& text, double sizePt, const QSizeF& boxMm,
                   const std::function<double(const QString&, double)>& widthMm,
                   const std::function<double(double)>& lineMm);

// A grid box ("grid" items) fitted to its text: the designed cols × rows at the designed size
// when the text fits there; else the largest size, in half points down to kMinTextPt, whose
// grid holds it: cells of the designed proportion and lines at most kGridPitchEm apart, so a
// long text first gains lines, then smaller type. Past the floor the text is cut, its last line
// ending in kCutMark.
constexpr double kGridPitchEm = 1.5;
inline const QString kCutMark = QStringLiteral("…（以下略）");
struct FittedGrid {
    double sizePt = 0;
    int cols = 0;
    int rows = 0;
    QStringList lines;
    bool cut = false;
};
FittedGrid fitGrid(const QString& text, int cols, int rows, const QSizeF& boxMm, double sizePt);

// Where a page goes on a printer that cannot print up to the paper's edge: at full size when
// the printer's unprintable margins stay within kPrintableMarginMm, otherwise scaled down so
// the layout's printable area fits the printer's, centred in it. Offsets are paper millimetres.
struct PrintFit {
    double scale = 1.0;
    QPointF offsetMm;
    bool operator==(const PrintFit&) const = default;
};
PrintFit fitToPrintable(const QSizeF& paperMm, const QMarginsF& unprintableMm);

// A page of a table: its records [first, first + count), placed from row slot firstSlot.
struct PageSlice {
    int first = 0;
    int count = 0;
    int firstSlot = 0;
    bool operator==(const PageSlice&) const = default;
};
// Splits records into pages of rowsPerPage rows. firstSlot (0-based) leaves the first rows of
// the first page empty. No records still give one (empty) page.
QList<PageSlice> paginate(int records, int rowsPerPage, int firstSlot = 0);

// One layout with its data.
class Report {
public:
    Layout layout;
    QString layoutFile; // the layout file the report came from
    CsvTable data;
    bool hasData = false;
    QHash<QString, QString> itemValues; // SetItemValue: item name -> text
    QString title;
    int repeatStart = 0; // SectionRepeatStart (1-based; 0 none)

    int pageCount() const;
    PageContent composePage(int page) const;
    // The layout's label of the page's record ("10101 佐藤 一郎"); empty without one.
    QString pageLabel(int page) const;

private:
    const QList<PageSlice>& slices() const;
    mutable QList<PageSlice> m_slices;
    mutable bool m_sliced = false;
};

// The note on a grid box whose text was cut (DrawOp::overflow).
QString gridCutNote(const QString& pageName, const DrawOp& grid);

// Output settings of the command file.
struct OutputSettings {
    QString paper; // empty: each layout's own size
    int zoomPercent = 100;
    QPointF offsetMm;
};

// A whole document: one or more reports, pages numbered through.
class Document {
public:
    QString title;
    QList<Report> reports;
    OutputSettings output;

    void finish(); // builds the page index after the reports are set
    int pageCount() const { return int(m_index.size()); }
    PageContent page(int index) const;
    // The paper the page is printed on, and where the layout's page lands on it.
    QPageLayout pageLayout(int index) const;
    double contentScale(int index) const; // layout millimetres -> paper millimetres
    // One note per page whose text is cut to fit a grid box, naming the page and its record
    // (cutNotes() of page_paint.h adds the fitted texts, which need fonts to measure).
    QStringList overflowNotes() const;
    // "3 ページ（10101 佐藤 一郎）": the page and its record, for messages.
    QString pageName(int index) const;

private:
    QList<std::pair<int, int>> m_index; // (report, page within it)
};
