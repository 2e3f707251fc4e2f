#pragma once
// Report layouts (.wfd files): JSON describing one page in millimetres. A layout is either a
// form (its items make one page per CSV record) or a table (its items are the header and
// footer of every page; the detail band repeats once per record, with page breaks).
//
//   { "wfd": 1, "name": …, "data": "<data name of SetDataText>", "columns": [CSV columns…],
//     "month": "<column holding the month the document is about (yyyy/mm…)>",
//     "label": "<how messages name a page's record, e.g. {利用者コード} {利用者名}>",
//     "page": {"size": "A4"|"A5"|"B5", "orientation": "portrait"|"landscape"},
//     "font": {"family": "sans"|"serif", "size": 9, "bold": false},
//     "items": [ … ],
//     "detail": {"x", "w", "top", "bottom", "height", "stripe": "#rrggbb", "items": [ … ]} }
//
// Items: "text" (x y w h text, placeholders {column} / {column|format} / {@page} {@pages}
// {@title}; align left|center|right, valign top|middle|bottom, fit: shrink to the box),
// "line" (x1 y1 x2 y2), "box" (x y w h, fill), "mark" (column, shape circle|tick, boxes,
// options [{value, x y w h, text}]: the option whose value the column holds is marked),
// "grid" (x y w h cols rows text ruled: text wrapped into a fixed grid of cells, keeping its
// line breaks), "group" (when: condition or list of conditions, items). Conditions:
// {"column", one of "equals" | "notEquals" | "in" | "notIn" | "empty": true | "notEmpty": true}.
// Every item may carry "width" (line width in mm), "style" (solid|dash|dot), "color",
// "size", "bold", "family" and "name" (SetItemValue replaces the text of named items); a text
// with "overlap": true may overlap other texts by design (layouts are checked for overlaps).
#include <QColor>
#include <QLineF>
#include <QList>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>

struct FontStyle {
    bool serif = false;
    double size = 9; // points
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

struct Condition {
    enum class Op { Equals, NotEquals, In, NotIn, Empty, NotEmpty };
    QString column;
    Op op = Op::Equals;
    QStringList values;
};

enum class MarkShape { Circle, Tick };

struct MarkOption {
    QString value;
    QRectF rect;
    QString text;
};

struct LayoutItem {
    enum class Kind { Text, Line, Box, Mark, Grid, Group };
    Kind kind = Kind::Text;
    QString name;
    QRectF rect;
    QLineF line;
    QString text;
    FontStyle font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool fit = false;
    bool mayOverlap = false; // "overlap": true
    double penWidth = 0.25;
    Qt::PenStyle penStyle = Qt::SolidLine;
    QColor color = Qt::black;
    QColor fill; // invalid: none
    // mark
    QString column;
    MarkShape shape = MarkShape::Circle;
    bool boxes = false;
    QList<MarkOption> options;
    // grid
    int cols = 0;
    int rows = 0;
    bool ruled = false;
    // group
    QList<Condition> when;
    QList<LayoutItem> items;
};

struct Layout {
    QString name;
    QString dataName;
    QStringList columns;
    QString monthColumn; // "month": files printed copies by the document's month
    QString recordLabel; // "label"
    QPageSize::PageSizeId paper = QPageSize::A4;
    bool landscape = false;
    FontStyle font;
    QList<LayoutItem> items;

    bool hasDetail = false;
    QRectF detailArea; // x, top, w, bottom - top
    double rowHeight = 0;
    QColor stripe;
    QList<LayoutItem> detailItems;

    QSizeF pageSizeMm() const;
    int rowsPerPage() const;
};

// Parses a layout. False with *error set (naming the item) when the JSON is broken or an
// item lacks what it needs.
bool parseLayout(const QByteArray& json, Layout* layout, QString* error);
// Parses the layout object of a parsed JSON document (merged documents embed layouts).
class QJsonObject;
bool parseLayoutObject(const QJsonObject& root, Layout* layout, QString* error);

// A text's placeholders: {name} or {name|format}; "{{" and "}}" are literal braces.
struct TextPiece {
    bool placeholder = false;
    QString text;   // literal text, or the placeholder's name
    QString format; // after "|"
};
QList<TextPiece> splitPlaceholders(const QString& text);

// Every CSV column the layout reads (placeholders, marks, grids, conditions), in first-use
// order; names starting with "@" are the viewer's own and not included.
QStringList referencedColumns(const Layout& layout);

// Paper sizes by the names of PrintPaper and of layouts; false for any other name.
bool paperFromName(const QString& name, QPageSize::PageSizeId* id);
