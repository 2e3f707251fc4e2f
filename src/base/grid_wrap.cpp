#include "grid_wrap.h"

double gridCellWidth(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 0x20 && u <= 0x7E) || (u >= 0xFF61 && u <= 0xFF9F))
        return 0.5;
    return 1.0;
}

QStringList wrapToGrid(const QString& text, int cols, int rows, bool* overflow)
{
    QStringList out;
    QString line;
    double used = 0;
    bool justFilled = false; // the line ended because it was full
    const double eps = 1e-9;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            if (!justFilled)
                out.append(line);
            line.clear();
            used = 0;
            justFilled = false;
            continue;
        }
        QString unit(c);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            unit += text.at(++i);
        const double width = gridCellWidth(c);
        if (used + width > cols + eps) { // a full-width character that no longer fits
            out.append(line);
            line.clear();
            used = 0;
        }
        line += unit;
        used += width;
        justFilled = false;
        if (used >= cols - eps) {
            out.append(line);
            line.clear();
            used = 0;
            justFilled = true;
        }
    }
    if (!line.isEmpty())
        out.append(line);
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    const bool over = out.size() > rows;
    if (over)
        out = out.mid(0, rows);
    if (overflow)
        *overflow = over;
    return out;
}
