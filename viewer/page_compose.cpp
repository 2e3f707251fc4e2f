#include "page_compose.h"

#include "base/vb.h"

#include <QRegularExpression>

QString formatValue(const QString& value, const QString& format)
{
    if (format.isEmpty())
        return value;
    const qsizetype colon = format.indexOf(u':');
    const QString kind = colon < 0 ? format : format.left(colon);
    const QString arg = colon < 0 ? QString() : format.mid(colon + 1);
    const QString v = value.trimmed();
    if (kind == u"date") {
        if (v.isEmpty())
            return QString();
        static const QRegularExpression month(QStringLiteral("^(\\d{4})/(\\d{1,2})$"));
        static const QRegularExpression time(QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?$"));
        if (const auto m = time.match(v); m.hasMatch()) {
            const QTime t(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
            return t.isValid() ? vb::format(QDateTime(QDate(2000, 1, 1), t), arg) : QString();
        }
        const QString dateText = month.match(v).hasMatch() ? v + QStringLiteral("/01") : v;
        const auto d = vb::toDate(dateText);
        return d ? vb::format(*d, arg) : QString();
    }
    if (kind == u"map") {
        QString fallback = value;
        for (const QString& entry : arg.split(u';')) {
            const qsizetype eq = entry.indexOf(u'=');
            if (eq < 0)
                continue;
            const QString key = entry.left(eq);
            if (key == u"*")
                fallback = entry.mid(eq + 1);
            else if (sameValue(key, v))
                return entry.mid(eq + 1);
        }
        return fallback;
    }
    if (kind == u"weekday") {
        static const QRegularExpression month(QStringLiteral("^(\\d{4})/(\\d{1,2})"));
        const auto m = month.match(v);
        if (!m.hasMatch())
            return QString();
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), arg.toInt());
        if (!d.isValid())
            return QString();
        static const QString names = QStringLiteral("月火水木金土日");
        return names.at(d.dayOfWeek() - 1);
    }
    return value;
}

bool sameValue(const QString& a, const QString& b)
{
    const QString x = a.trimmed(), y = b.trimmed();
    if (x == y)
        return true;
    bool okx = false, oky = false;
    const double nx = x.toDouble(&okx), ny = y.toDouble(&oky);
    return okx && oky && nx == ny;
}

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
    QString cur;
    double used = 0;
    bool justFilled = false; // the line ended because it was full
    const double eps = 1e-9;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            if (!justFilled)
                out.append(cur);
            cur.clear();
            used = 0;
            justFilled = false;
            continue;
        }
        QString unit(c);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            unit += text.at(++i);
        const double w = gridCellWidth(c);
        if (used + w > cols + eps) { // a full-width character that no longer fits
            out.append(cur);
            cur.clear();
            used = 0;
        }
        cur += unit;
        used += w;
        justFilled = false;
        if (used >= cols - eps) {
            out.append(cur);
            cur.clear();
            used = 0;
            justFilled = true;
        }
    }
    if (!cur.isEmpty())
        out.append(cur);
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    const bool over = out.size() > rows;
    if (over)
        out = out.mid(0, rows);
    if (overflow)
        *overflow = over;
    return out;
}

namespace {

// The characters of a text as drawing units (a surrogate pair stays whole).
QStringList unitsOf(const QString& text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString unit(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            unit += text.at(++i);
        out.append(unit);
    }
    return out;
}

} // namespace

FittedText fitText(const QString& text, double sizePt, const QSizeF& boxMm,
                   const std::function<double(const QString&, double)>& widthMm,
                   const std::function<double(double)>& lineMm)
{
    FittedText out;
    const QStringList given = text.split(u'\n');
    double widest = 0;
    for (const QString& l : given)
        widest = qMax(widest, widthMm(l, sizePt));
    const double tall = lineMm(sizePt) * given.size();
    double factor = 1.0;
    if (widest > boxMm.width() && widest > 0)
        factor = boxMm.width() / widest;
    if (tall > boxMm.height() && tall > 0)
        factor = qMin(factor, boxMm.height() / tall);
    const double floorPt = qMin(kMinTextPt, sizePt);
    out.sizePt = factor < 1.0 ? qMax(floorPt, sizePt * factor * 0.98) : sizePt;
    out.lines = given;
    if (factor >= 1.0 || sizePt * factor * 0.98 >= floorPt)
        return out;

    // At the floor: wrap character by character onto the lines the box holds, then cut.
    out.wrapped = true;
    const double pitch = qMin(lineMm(floorPt), floorPt * kWrapPitchEm * 25.4 / 72.0);
    const int capacity = qMax(1, int((boxMm.height() + 1e-6) / pitch));
    QStringList lines;
    for (const QString& para : given) {
        QString cur;
        for (const QString& unit : unitsOf(para)) {
            if (!cur.isEmpty() && widthMm(cur + unit, floorPt) > boxMm.width()) {
                lines.append(cur);
                cur.clear();
            }
            cur += unit;
        }
        lines.append(cur);
    }
    if (lines.size() > capacity) {
        lines = lines.mid(0, capacity);
        out.cut = true;
    }
    QString& last = lines.last();
    if (out.cut || widthMm(last, floorPt) > boxMm.width()) {
        out.cut = true;
        QStringList units = unitsOf(last);
        while (!units.isEmpty() && widthMm(units.join(QString()) + QStringLiteral("…"), floorPt) > boxMm.width())
            units.removeLast();
        last = units.join(QString()) + QStringLiteral("…");
    }
    out.lines = lines;
    return out;
}

PrintFit fitToPrintable(const QSizeF& paperMm, const QMarginsF& unprintableMm)
{
    const double m = kPrintableMarginMm;
    const QMarginsF u = unprintableMm;
    if (u.left() <= m && u.top() <= m && u.right() <= m && u.bottom() <= m)
        return {};
    const QRectF printable(u.left(), u.top(), paperMm.width() - u.left() - u.right(),
                           paperMm.height() - u.top() - u.bottom());
    const QSizeF content(paperMm.width() - 2 * m, paperMm.height() - 2 * m);
    if (printable.width() <= 0 || printable.height() <= 0 || content.width() <= 0 || content.height() <= 0)
        return {};
    PrintFit fit;
    fit.scale = qMin(1.0, qMin(printable.width() / content.width(), printable.height() / content.height()));
    const QPointF placed = printable.topLeft()
        + QPointF(printable.width() - fit.scale * content.width(), printable.height() - fit.scale * content.height())
            / 2;
    fit.offsetMm = placed - fit.scale * QPointF(m, m);
    return fit;
}

QList<PageSlice> paginate(int records, int rowsPerPage, int firstSlot)
{
    if (rowsPerPage <= 0)
        return {{0, records, 0}};
    int slot = qBound(0, firstSlot, rowsPerPage - 1);
    QList<PageSlice> pages;
    int i = 0;
    do {
        const int n = qMin(rowsPerPage - slot, records - i);
        pages.append({i, n, slot});
        i += n;
        slot = 0;
    } while (i < records);
    return pages;
}

namespace {

struct Context {
    const Report* report = nullptr;
    int record = -1; // -1: no record
    int page = 0;
    int pages = 0;
    double dy = 0; // detail rows: the row's top
};

QString lookup(const Context& c, const QString& name)
{
    if (name.startsWith(u'@')) {
        if (name == u"@page")
            return QString::number(c.page + 1);
        if (name == u"@pages")
            return QString::number(c.pages);
        if (name == u"@title")
            return c.report->title;
        return QString();
    }
    if (c.record < 0 || !c.report->hasData)
        return QString();
    return c.report->data.value(c.record, name);
}

QString expand(const Context& c, const QString& text)
{
    if (!text.contains(u'{') && !text.contains(u'}'))
        return text;
    QString out;
    for (const TextPiece& p : splitPlaceholders(text))
        out += p.placeholder ? formatValue(lookup(c, p.text), p.format) : p.text;
    return out;
}

bool holds(const Context& c, const Condition& cond)
{
    const QString v = lookup(c, cond.column);
    auto any = [&] {
        for (const QString& x : cond.values)
            if (sameValue(v, x))
                return true;
        return false;
    };
    switch (cond.op) {
    case Condition::Op::Equals:
    case Condition::Op::In: return any();
    case Condition::Op::NotEquals:
    case Condition::Op::NotIn: return !any();
    case Condition::Op::Empty: return v.trimmed().isEmpty();
    case Condition::Op::NotEmpty: return !v.trimmed().isEmpty();
    }
    return false;
}

DrawOp baseOp(const LayoutItem& it, DrawOp::Kind kind, double dy)
{
    DrawOp op;
    op.kind = kind;
    op.rect = it.rect.translated(0, dy);
    op.font = it.font;
    op.align = it.align;
    op.fit = it.fit;
    op.penWidth = it.penWidth;
    op.penStyle = it.penStyle;
    op.color = it.color;
    op.fill = it.fill;
    op.name = it.name;
    return op;
}

void compose(const Context& c, const QList<LayoutItem>& items, QList<DrawOp>* ops)
{
    for (const LayoutItem& it : items) {
        switch (it.kind) {
        case LayoutItem::Kind::Text: {
            auto named = it.name.isEmpty() ? c.report->itemValues.constEnd() : c.report->itemValues.constFind(it.name);
            DrawOp op = baseOp(it, DrawOp::Kind::Text, c.dy);
            op.text = named != c.report->itemValues.constEnd() ? *named : expand(c, it.text);
            if (!op.text.isEmpty())
                ops->append(op);
            break;
        }
        case LayoutItem::Kind::Line: {
            DrawOp op = baseOp(it, DrawOp::Kind::Line, c.dy);
            op.line = it.line.translated(0, c.dy);
            ops->append(op);
            break;
        }
        case LayoutItem::Kind::Box: ops->append(baseOp(it, DrawOp::Kind::Rect, c.dy)); break;
        case LayoutItem::Kind::Mark: {
            const QString v = lookup(c, it.column);
            for (const MarkOption& o : it.options) {
                if (it.boxes) {
                    DrawOp box = baseOp(it, DrawOp::Kind::Rect, c.dy);
                    box.rect = o.rect.translated(0, c.dy);
                    box.fill = QColor();
                    ops->append(box);
                }
                if (!o.text.isEmpty()) {
                    DrawOp t = baseOp(it, DrawOp::Kind::Text, c.dy);
                    t.rect = o.rect.translated(0, c.dy);
                    t.text = expand(c, o.text);
                    t.align = Qt::AlignCenter;
                    t.fit = true;
                    ops->append(t);
                }
                if (sameValue(v, o.value) && !v.trimmed().isEmpty()) {
                    DrawOp m =
                        baseOp(it, it.shape == MarkShape::Circle ? DrawOp::Kind::Ellipse : DrawOp::Kind::Tick, c.dy);
                    m.rect = o.rect.translated(0, c.dy);
                    m.fill = QColor();
                    m.penWidth = qMax(it.penWidth, 0.3);
                    ops->append(m);
                }
            }
            break;
        }
        case LayoutItem::Kind::Grid: {
            DrawOp op = baseOp(it, DrawOp::Kind::GridText, c.dy);
            op.cols = it.cols;
            op.rows = it.rows;
            op.lines = wrapToGrid(expand(c, it.text), it.cols, it.rows, &op.overflow);
            if (it.ruled) {
                const double rh = op.rect.height() / it.rows;
                for (int r = 1; r < it.rows; ++r) { // the box's own frame closes the last row
                    DrawOp rule = baseOp(it, DrawOp::Kind::Line, c.dy);
                    const double y = op.rect.top() + r * rh;
                    rule.line = QLineF(op.rect.left(), y, op.rect.right(), y);
                    rule.penStyle = Qt::DotLine;
                    rule.penWidth = 0.15;
                    rule.color = QColor(0x80, 0x80, 0x80);
                    ops->append(rule);
                }
            }
            ops->append(op);
            break;
        }
        case LayoutItem::Kind::Group: {
            bool all = true;
            for (const Condition& cond : it.when)
                all = all && holds(c, cond);
            if (all)
                compose(c, it.items, ops);
            break;
        }
        }
    }
}

} // namespace

const QList<PageSlice>& Report::slices() const
{
    if (!m_sliced) {
        const int n = hasData ? int(data.records.size()) : 0;
        if (layout.hasDetail) {
            m_slices = paginate(n, layout.rowsPerPage(), repeatStart > 0 ? repeatStart - 1 : 0);
        } else if (!hasData) {
            m_slices = {{0, 0, 0}}; // a layout without data: its fixed page
        } else {
            m_slices.clear();
            for (int i = 0; i < n; ++i)
                m_slices.append({i, 1, 0});
        }
        m_sliced = true;
    }
    return m_slices;
}

int Report::pageCount() const { return int(slices().size()); }

PageContent Report::composePage(int page) const
{
    PageContent pc;
    pc.sizeMm = layout.pageSizeMm();
    const QList<PageSlice>& all = slices();
    if (page < 0 || page >= all.size())
        return pc;
    const PageSlice& s = all.at(page);
    Context c;
    c.report = this;
    c.page = page;
    c.pages = int(all.size());
    c.record = (hasData && s.count > 0) ? s.first : -1;
    if (layout.hasDetail && layout.stripe.isValid()) {
        for (int k = 0; k < s.count; ++k) {
            const int slot = s.firstSlot + k;
            if (slot % 2 == 0)
                continue;
            DrawOp op;
            op.kind = DrawOp::Kind::Rect;
            op.rect = QRectF(layout.detailArea.left(), layout.detailArea.top() + slot * layout.rowHeight,
                             layout.detailArea.width(), layout.rowHeight);
            op.penWidth = 0;
            op.fill = layout.stripe;
            pc.ops.append(op);
        }
    }
    compose(c, layout.items, &pc.ops);
    if (layout.hasDetail) {
        for (int k = 0; k < s.count; ++k) {
            Context row = c;
            row.record = s.first + k;
            row.dy = layout.detailArea.top() + (s.firstSlot + k) * layout.rowHeight;
            compose(row, layout.detailItems, &pc.ops);
        }
    }
    return pc;
}

void Document::finish()
{
    m_index.clear();
    for (int r = 0; r < reports.size(); ++r)
        for (int p = 0; p < reports.at(r).pageCount(); ++p)
            m_index.append({r, p});
}

PageContent Document::page(int index) const
{
    if (index < 0 || index >= m_index.size())
        return {};
    const auto [r, p] = m_index.at(index);
    return reports.at(r).composePage(p);
}

QPageLayout Document::pageLayout(int index) const
{
    if (index < 0 || index >= m_index.size())
        return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    const Layout& l = reports.at(m_index.at(index).first).layout;
    QPageSize::PageSizeId paper = l.paper;
    if (!output.paper.isEmpty())
        paperFromName(output.paper, &paper);
    return QPageLayout(QPageSize(paper), l.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

double Document::contentScale(int index) const
{
    if (index < 0 || index >= m_index.size())
        return 1.0;
    const Layout& l = reports.at(m_index.at(index).first).layout;
    const QSizeF from = l.pageSizeMm();
    const QSizeF to = pageLayout(index).fullRect(QPageLayout::Millimeter).size();
    const double fit = qMin(to.width() / from.width(), to.height() / from.height());
    return fit * output.zoomPercent / 100.0;
}

QStringList Document::overflowNotes() const
{
    QStringList notes;
    for (int i = 0; i < pageCount(); ++i)
        for (const DrawOp& op : page(i).ops)
            if (op.kind == DrawOp::Kind::GridText && op.overflow)
                notes.append(QStringLiteral("%1 ページ: %2 文字 × %3 行の枠に入りきらない文字は印刷されません。")
                                 .arg(i + 1)
                                 .arg(op.cols)
                                 .arg(op.rows));
    return notes;
}
