#pragma once
// Text wrapped into a grid of character cells, as printed forms hold it (the reason box holds
// 41 full-width characters a line). The entry window counts lines with the same rule the
// report viewer prints by.
#include <QString>
#include <QStringList>
#include <climits>

// The width of a character in grid cells: 1/2 for half-width characters, else 1.
double gridCellWidth(QChar c);
// Wraps a text into at most `rows` lines of `cols` cells, keeping its line breaks (CRLF, CR,
// LF). A line that fills up exactly does not add an empty line before a following break.
// *overflow tells whether text was left over.
QStringList wrapToGrid(const QString& text, int cols, int rows = INT_MAX, bool* overflow = nullptr);
// The number of lines a text takes in a grid `cols` cells wide.
inline int gridLineCount(const QString& text, int cols) { return int(wrapToGrid(text, cols).size()); }
