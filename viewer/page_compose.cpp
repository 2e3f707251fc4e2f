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
    const QString trimmed = value.trimmed();
    if (kind == u"date") {
        if (trimmed.isEmpty())
            return QString();
        static const QRegularExpression month(QStringLiteral("^(\\d{4})/(\\d{1,2})$"));
        static const QRegularExpression time(QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?$"));
        if (const auto match = time.match(trimmed); match.hasMatch()) {
            const QTime clock(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
            return clock.isValid() ? vb::format(QDateTime(QDate(2000, 1, 1), clock), arg) : QString();
        }
        const QString dateText = month.match(trimmed).hasMatch() ? trimmed + QStringLiteral("/01") : trimmed;
        const auto date = vb::toDate(dateText);
        return date ? vb::format(*date, arg) : QString();
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
            else if (sameValue(key, trimmed))
                return entry.mid(eq + 1);
        }
        return fallback;
    }
    if (kind == u"weekday") {
        static const QRegularExpression month(QStringLiteral("^(\\d{4})/(\\d{1,2})"));
        const auto match = month.match(trimmed);
        if (!match.hasMatch())
            return QString();
        const QDate day(match.captured(1).toInt(), match.captured(2).toInt(), arg.toInt());
        if (!day.isValid())
            return QString();
        static const QString names = QStringLiteral("月火水木金土日");
        return names.at(day.dayOfWeek() - 1);
    }
    return value;
}

bool sameValue(const QString& value, const QString& option)
{
    const QString valueText = value.trimmed(), optionText = option.trimmed();
    if (valueText == optionText)
        return true;
    bool valueIsNumber = false, optionIsNumber = false;
    const double valueNumber = valueText.toDouble(&valueIsNumber), optionNumber = optionText.toDouble(&optionIsNumber);
    return valueIsNumber && optionIsNumber && valueNumber == optionNumber;
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
    for (const QString& line : given)
        widest = qMax(widest, widthMm(line, sizePt));
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
        QString line;
        for (const QString& unit : unitsOf(para)) {
            if (!line.isEmpty() && widthMm(line + unit, floorPt) > boxMm.width()) {
                lines.append(line);
                line.clear();
            }
            line += unit;
        }
        lines.append(line);
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

namespace {

// The last line of a cut text: as much of it as leaves room for the cut mark (in a narrow
// grid, its first character).
QString withCutMark(const QString& line, int cols)
{
    const QString mark = cols > 2 * kCutMark.size() ? kCutMark : kCutMark.left(1);
    double room = cols;
    for (const QChar c : mark)
        room -= gridCellWidth(c);
    QString kept;
    double used = 0;
    for (const QString& unit : unitsOf(line)) {
        used += gridCellWidth(unit.at(0));
        if (used > room + 1e-9)
            break;
        kept += unit;
    }
    return kept + mark;
}

} // namespace

FittedGrid fitGrid(const QString& text, int cols, int rows, const QSizeF& boxMm, double sizePt)
{
    FittedGrid out{sizePt, cols, rows, {}, false};
    bool over = false;
    out.lines = wrapToGrid(text, cols, rows, &over);
    const double mmPerPt = 25.4 / 72.0;
    const double cellEm = boxMm.width() / cols / (sizePt * mmPerPt);
    const double pitchEm = qMin(kGridPitchEm, boxMm.height() / rows / (sizePt * mmPerPt));
    // Cells per line or lines: never fewer than designed, never absurdly many.
    const auto count = [](double fitting, int designed) { return int(qBound(double(designed), fitting + 1e-6, 1e4)); };
    const double floorPt = qMin(kMinTextPt, sizePt);
    for (double pt = sizePt; over && cellEm > 0 && pitchEm > 0; pt = qMax(floorPt, pt - 0.5)) {
        out.sizePt = pt;
        out.cols = count(boxMm.width() / (pt * mmPerPt * cellEm), cols);
        out.rows = count(boxMm.height() / (pt * mmPerPt * pitchEm), rows);
        out.lines = wrapToGrid(text, out.cols, out.rows, &over);
        if (!over)
            return out;
        if (pt <= floorPt)
            break;
    }
    if (!over)
        return out;
    out.cut = true;
    out.lines.last() = withCutMark(out.lines.last(), out.cols);
    return out;
}

PrintFit fitToPrintable(const QSizeF& paperMm, const QMarginsF& unprintableMm)
{
    const double margin = kPrintableMarginMm;
    const QMarginsF& unprintable = unprintableMm;
    if (unprintable.left() <= margin && unprintable.top() <= margin && unprintable.right() <= margin
        && unprintable.bottom() <= margin)
        return {};
    const QRectF printable(unprintable.left(), unprintable.top(),
                           paperMm.width() - unprintable.left() - unprintable.right(),
                           paperMm.height() - unprintable.top() - unprintable.bottom());
    const QSizeF content(paperMm.width() - 2 * margin, paperMm.height() - 2 * margin);
    if (printable.width() <= 0 || printable.height() <= 0 || content.width() <= 0 || content.height() <= 0)
        return {};
    PrintFit fit;
    fit.scale = qMin(1.0, qMin(printable.width() / content.width(), printable.height() / content.height()));
    const QPointF placed = printable.topLeft()
        + QPointF(printable.width() - fit.scale * content.width(), printable.height() - fit.scale * content.height())
            / 2;
    fit.offsetMm = placed - fit.scale * QPointF(margin, margin);
    return fit;
}

QList<PageSlice> paginate(int records, int rowsPerPage, int firstSlot)
{
    if (rowsPerPage <= 0)
        return {{0, records, 0}};
    int slot = qBound(0, firstSlot, rowsPerPage - 1);
    QList<PageSlice> pages;
    int first = 0;
    do {
        const int count = qMin(rowsPerPage - slot, records - first);
        pages.append({first, count, slot});
        first += count;
        slot = 0;
    } while (first < records);
    return pages;
}

namespace {

struct Context {
    const Report* report = nullptr;
    int record = -1; // -1: no record
    int page = 0;
    int pages = 0;
    double rowTop = 0; // detail rows: the row's top
};

QString lookup(const Context& context, const QString& name)
{
    if (name.startsWith(u'@')) {
        if (name == u"@page")
            return QString::number(context.page + 1);
        if (name == u"@pages")
            return QString::number(context.pages);
        if (name == u"@title")
            return context.report->title;
        return QString();
    }
    if (context.record < 0 || !context.report->hasData)
        return QString();
    return context.report->data.value(context.record, name);
}

QString expand(const Context& context, const QString& text)
{
    if (!text.contains(u'{') && !text.contains(u'}'))
        return text;
    QString out;
    for (const TextPiece& piece : splitPlaceholders(text))
        out += piece.placeholder ? formatValue(lookup(context, piece.text), piece.format) : piece.text;
    return out;
}

bool holds(const Context& context, const Condition& condition)
{
    const QString value = lookup(context, condition.column);
    auto any = [&] {
        for (const QString& wanted : condition.values)
            if (sameValue(value, wanted))
                return true;
        return false;
    };
    switch (condition.op) {
    case Condition::Op::Equals:
    case Condition::Op::In: return any();
    case Condition::Op::NotEquals:
    case Condition::Op::NotIn: return !any();
    case Condition::Op::Empty: return value.trimmed().isEmpty();
    case Condition::Op::NotEmpty: return !value.trimmed().isEmpty();
    }
    return false;
}

bool allHold(const Context& context, const QList<Condition>& conditions)
{
    bool all = true;
    for (const Condition& condition : conditions)
        all = all && holds(context, condition);
    return all;
}

DrawOp baseOp(const LayoutItem& item, DrawOp::Kind kind, double rowTop)
{
    DrawOp op;
    op.kind = kind;
    op.rect = item.rect.translated(0, rowTop);
    op.font = item.font;
    op.align = item.align;
    op.fit = item.fit;
    op.penWidth = item.penWidth;
    op.penStyle = item.penStyle;
    op.color = item.color;
    op.fill = item.fill;
    op.name = item.name;
    return op;
}

// A text item: SetItemValue's text for a named item, else its text with the placeholders filled.
void composeText(const Context& context, const LayoutItem& item, QList<DrawOp>* ops)
{
    const QHash<QString, QString>& values = context.report->itemValues;
    const auto named = item.name.isEmpty() ? values.constEnd() : values.constFind(item.name);
    DrawOp op = baseOp(item, DrawOp::Kind::Text, context.rowTop);
    op.text = named != values.constEnd() ? *named : expand(context, item.text);
    if (!op.text.isEmpty())
        ops->append(op);
}

void composeLine(const Context& context, const LayoutItem& item, QList<DrawOp>* ops)
{
    DrawOp op = baseOp(item, DrawOp::Kind::Line, context.rowTop);
    op.line = item.line.translated(0, context.rowTop);
    ops->append(op);
}

// Each option: its box (if the item draws boxes), its text, and the mark when the column holds its value.
void composeMark(const Context& context, const LayoutItem& item, QList<DrawOp>* ops)
{
    const QString value = lookup(context, item.column);
    for (const MarkOption& option : item.options) {
        const QRectF rect = option.rect.translated(0, context.rowTop);
        if (item.boxes) {
            DrawOp box = baseOp(item, DrawOp::Kind::Rect, context.rowTop);
            box.rect = rect;
            box.fill = QColor();
            ops->append(box);
        }
        if (!option.text.isEmpty()) {
            DrawOp text = baseOp(item, DrawOp::Kind::Text, context.rowTop);
            text.rect = rect;
            text.text = expand(context, option.text);
            text.align = Qt::AlignCenter;
            text.fit = true;
            ops->append(text);
        }
        if (sameValue(value, option.value) && !value.trimmed().isEmpty()) {
            const DrawOp::Kind shape = item.shape == MarkShape::Circle ? DrawOp::Kind::Ellipse : DrawOp::Kind::Tick;
            DrawOp mark = baseOp(item, shape, context.rowTop);
            mark.rect = rect;
            mark.fill = QColor();
            mark.penWidth = qMax(item.penWidth, 0.3);
            ops->append(mark);
        }
    }
}

// The text wrapped into the grid's cells, after the dotted rules between its rows if it is ruled.
void composeGrid(const Context& context, const LayoutItem& item, QList<DrawOp>* ops)
{
    DrawOp op = baseOp(item, DrawOp::Kind::GridText, context.rowTop);
    const FittedGrid fitted = fitGrid(expand(context, item.text), item.cols, item.rows, op.rect.size(), item.font.size);
    op.cols = fitted.cols;
    op.rows = fitted.rows;
    op.lines = fitted.lines;
    op.font.size = fitted.sizePt;
    op.overflow = fitted.cut;
    if (item.ruled) {
        const double rowHeight = op.rect.height() / op.rows;
        for (int row = 1; row < op.rows; ++row) { // the box's own frame closes the last row
            DrawOp rule = baseOp(item, DrawOp::Kind::Line, context.rowTop);
            const double y = op.rect.top() + row * rowHeight;
            rule.line = QLineF(op.rect.left(), y, op.rect.right(), y);
            rule.penStyle = Qt::DotLine;
            rule.penWidth = 0.15;
            rule.color = QColor(0x80, 0x80, 0x80);
            ops->append(rule);
        }
    }
    ops->append(op);
}

void compose(const Context& context, const QList<LayoutItem>& items, QList<DrawOp>* ops)
{
    for (const LayoutItem& item : items) {
        switch (item.kind) {
        case LayoutItem::Kind::Text: composeText(context, item, ops); break;
        case LayoutItem::Kind::Line: composeLine(context, item, ops); break;
        case LayoutItem::Kind::Box: ops->append(baseOp(item, DrawOp::Kind::Rect, context.rowTop)); break;
        case LayoutItem::Kind::Mark: composeMark(context, item, ops); break;
        case LayoutItem::Kind::Grid: composeGrid(context, item, ops); break;
        case LayoutItem::Kind::Group:
            if (allHold(context, item.when))
                compose(context, item.items, ops);
            break;
        }
    }
}

} // namespace

const QList<PageSlice>& Report::slices() const
{
    if (!m_sliced) {
        const int records = hasData ? int(data.records.size()) : 0;
        if (layout.hasDetail) {
            m_slices = paginate(records, layout.rowsPerPage(), repeatStart > 0 ? repeatStart - 1 : 0);
        } else if (!hasData) {
            m_slices = {{0, 0, 0}}; // a layout without data: its fixed page
        } else {
            m_slices.clear();
            for (int i = 0; i < records; ++i)
                m_slices.append({i, 1, 0});
        }
        m_sliced = true;
    }
    return m_slices;
}

int Report::pageCount() const { return int(slices().size()); }

PageContent Report::composePage(int page) const
{
    PageContent content;
    content.sizeMm = layout.pageSizeMm();
    const QList<PageSlice>& all = slices();
    if (page < 0 || page >= all.size())
        return content;
    const PageSlice& slice = all.at(page);
    Context context;
    context.report = this;
    context.page = page;
    context.pages = int(all.size());
    context.record = (hasData && slice.count > 0) ? slice.first : -1;
    if (layout.hasDetail && layout.stripe.isValid()) {
        for (int k = 0; k < slice.count; ++k) {
            const int slot = slice.firstSlot + k;
            if (slot % 2 == 0)
                continue;
            DrawOp op;
            op.kind = DrawOp::Kind::Rect;
            op.rect = QRectF(layout.detailArea.left(), layout.detailArea.top() + slot * layout.rowHeight,
                             layout.detailArea.width(), layout.rowHeight);
            op.penWidth = 0;
            op.fill = layout.stripe;
            content.ops.append(op);
        }
    }
    compose(context, layout.items, &content.ops);
    if (layout.hasDetail) {
        for (int k = 0; k < slice.count; ++k) {
            Context row = context;
            row.record = slice.first + k;
            row.rowTop = layout.detailArea.top() + (slice.firstSlot + k) * layout.rowHeight;
            compose(row, layout.detailItems, &content.ops);
        }
    }
    return content;
}

QString Report::pageLabel(int page) const
{
    const QList<PageSlice>& all = slices();
    if (layout.recordLabel.isEmpty() || page < 0 || page >= all.size() || !hasData || all.at(page).count == 0)
        return QString();
    Context context;
    context.report = this;
    context.record = all.at(page).first;
    return expand(context, layout.recordLabel).simplified();
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
    const auto [report, pageOfReport] = m_index.at(index);
    return reports.at(report).composePage(pageOfReport);
}

QPageLayout Document::pageLayout(int index) const
{
    if (index < 0 || index >= m_index.size())
        return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    const Layout& layout = reports.at(m_index.at(index).first).layout;
    QPageSize::PageSizeId paper = layout.paper;
    if (!output.paper.isEmpty())
        paperFromName(output.paper, &paper);
    return QPageLayout(QPageSize(paper), layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

double Document::contentScale(int index) const
{
    if (index < 0 || index >= m_index.size())
        return 1.0;
    const QSizeF from = reports.at(m_index.at(index).first).layout.pageSizeMm();
    const QSizeF to = pageLayout(index).fullRect(QPageLayout::Millimeter).size();
    const double fit = qMin(to.width() / from.width(), to.height() / from.height());
    return fit * output.zoomPercent / 100.0;
}

QString Document::pageName(int index) const
{
    if (index < 0 || index >= m_index.size())
        return QString();
    const auto [report, pageOfReport] = m_index.at(index);
    const QString label = reports.at(report).pageLabel(pageOfReport);
    return label.isEmpty() ? QStringLiteral("%1 ページ").arg(index + 1)
                           : QStringLiteral("%1 ページ（%2）").arg(index + 1).arg(label);
}

QString gridCutNote(const QString& pageName, const DrawOp& grid)
{
    return QStringLiteral(
               "%1: 文字を %2 ポイントまで小さくしても枠に入りきらないため、最後を「%3」として切って印刷します。")
        .arg(pageName)
        .arg(grid.font.size)
        .arg(kCutMark);
}

QStringList Document::overflowNotes() const
{
    QStringList notes;
    for (int i = 0; i < pageCount(); ++i)
        for (const DrawOp& op : page(i).ops)
            if (op.kind == DrawOp::Kind::GridText && op.overflow)
                notes.append(gridCutNote(pageName(i), op));
    return notes;
}
