#include "page_paint.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <map>
#include <tuple>

QString sansFamily() { return QStringLiteral("Noto Sans CJK JP"); }
QString serifFamily() { return QStringLiteral("Noto Serif CJK JP"); }

namespace {

struct Painter {
    QPainter& p;
    double k; // px per mm
    QPointF origin;
    double fontScale; // point sizes -> device points at this zoom

    QPointF pt(QPointF mm) const { return origin + mm * k; }
    QRectF rc(const QRectF& mm) const { return QRectF(pt(mm.topLeft()), mm.size() * k); }

    QFont font(const FontStyle& f, double factor = 1.0) const
    {
        QFont font(f.serif ? serifFamily() : sansFamily());
        font.setPointSizeF(qMax(0.5, f.size * fontScale * factor));
        font.setBold(f.bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setStyleStrategy(QFont::PreferNoShaping);
        return font;
    }

    // Most texts of a page share a few fonts: the painter changes font only when it changes.
    void useFont(const FontStyle& f, double factor = 1.0)
    {
        if (fontSet && f == lastStyle && factor == lastFactor)
            return;
        p.setFont(font(f, factor));
        fontSet = true;
        lastStyle = f;
        lastFactor = factor;
    }
    bool fontSet = false;
    FontStyle lastStyle{};
    double lastFactor = 1.0;

    // Metrics of a layout font at a point size; fitting asks the same few again and again.
    const QFontMetricsF& metricsAt(const FontStyle& f, double pt)
    {
        const auto key = std::make_tuple(f.serif, f.bold, pt);
        auto it = metricsCache.find(key);
        if (it == metricsCache.end()) {
            FontStyle s = f;
            s.size = pt;
            it = metricsCache.emplace(key, QFontMetricsF(font(s), p.device())).first;
        }
        return it->second;
    }
    std::map<std::tuple<bool, bool, double>, QFontMetricsF> metricsCache{};

    void setPen(const DrawOp& op)
    {
        if (op.penWidth <= 0) {
            p.setPen(Qt::NoPen);
            return;
        }
        QPen pen(op.color, qMax(op.penWidth * k, 0.5), op.penStyle, Qt::FlatCap, Qt::MiterJoin);
        p.setPen(pen);
    }

    void text(const DrawOp& op)
    {
        const QRectF r = rc(op.rect);
        if (!op.fit) {
            useFont(op.font);
            p.setPen(op.color);
            p.drawText(r, int(op.align), op.text);
            return;
        }
        // Measured in layout millimetres at layout point sizes (the zoom scales both alike).
        const double mmPerPx = 1.0 / k;
        const FittedText fitted = fitText(
            op.text, op.font.size, op.rect.size(),
            [&](const QString& t, double pt) { return metricsAt(op.font, pt).horizontalAdvance(t) * mmPerPx; },
            [&](double pt) { return metricsAt(op.font, pt).height() * mmPerPx; });
        const double factor = fitted.sizePt / op.font.size;
        useFont(op.font, factor);
        p.setPen(op.color);
        if (!fitted.wrapped) {
            p.drawText(r, int(op.align), op.text);
            return;
        }
        const double pitch = qMin(metricsAt(op.font, fitted.sizePt).height(),
                                  fitted.sizePt * fontScale * kWrapPitchEm * p.device()->logicalDpiY() / 72.0);
        const double block = pitch * fitted.lines.size();
        double y = r.top();
        if (op.align & Qt::AlignVCenter)
            y += (r.height() - block) / 2;
        else if (op.align & Qt::AlignBottom)
            y += r.height() - block;
        const int horizontal = int(op.align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        for (const QString& line : fitted.lines) {
            p.drawText(QRectF(r.left(), y, r.width(), pitch), horizontal, line);
            y += pitch;
        }
    }

    void grid(const DrawOp& op)
    {
        const QRectF r = rc(op.rect);
        const double cw = r.width() / op.cols;
        const double rh = r.height() / op.rows;
        useFont(op.font);
        p.setPen(op.color);
        for (int row = 0; row < op.lines.size(); ++row) {
            const QString& line = op.lines.at(row);
            double x = r.left();
            const double y = r.top() + row * rh;
            for (qsizetype i = 0; i < line.size(); ++i) {
                QString unit(line.at(i));
                if (line.at(i).isHighSurrogate() && i + 1 < line.size())
                    unit += line.at(++i);
                const double w = gridCellWidth(unit.at(0)) * cw;
                if (unit != u" " && unit != u"\u3000")
                    p.drawText(QRectF(x, y, w, rh), Qt::AlignCenter, unit);
                x += w;
            }
        }
    }

    void tick(const DrawOp& op)
    {
        const QRectF r = rc(op.rect);
        QPainterPath path;
        path.moveTo(r.left() + r.width() * 0.18, r.top() + r.height() * 0.52);
        path.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.80);
        path.lineTo(r.left() + r.width() * 0.85, r.top() + r.height() * 0.18);
        QPen pen(op.color, qMax(op.penWidth * 1.4 * k, 1.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
};

} // namespace

void paintPage(QPainter& painter, const PageContent& page, double pxPerMm, QPointF origin)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const double deviceMm = painter.device()->logicalDpiY() / 25.4;
    Painter P{painter, pxPerMm, origin, pxPerMm / deviceMm};
    for (const DrawOp& op : page.ops) {
        switch (op.kind) {
        case DrawOp::Kind::Text: P.text(op); break;
        case DrawOp::Kind::Line:
            P.setPen(op);
            painter.drawLine(P.pt(op.line.p1()), P.pt(op.line.p2()));
            break;
        case DrawOp::Kind::Rect:
            P.setPen(op);
            painter.setBrush(op.fill.isValid() ? QBrush(op.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(P.rc(op.rect));
            painter.setBrush(Qt::NoBrush);
            break;
        case DrawOp::Kind::Ellipse:
            P.setPen(op);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(P.rc(op.rect));
            break;
        case DrawOp::Kind::Tick: P.tick(op); break;
        case DrawOp::Kind::GridText: P.grid(op); break;
        }
    }
    painter.restore();
}

void paintDocumentPage(QPainter& painter, const Document& doc, int index, const PrintFit& fit)
{
    const double deviceMm = painter.device()->logicalDpiX() / 25.4;
    const double k = deviceMm * doc.contentScale(index) * fit.scale;
    const QPointF origin = (fit.offsetMm + doc.output.offsetMm * fit.scale) * deviceMm;
    paintPage(painter, doc.page(index), k, origin);
}

void paintDocumentPages(QPainter& painter, QPagedPaintDevice& device, const Document& doc, int from, int to,
                        const std::function<PrintFit()>& fitOfPage)
{
    for (int i = from; i <= to; ++i) {
        if (i > from) {
            device.setPageLayout(doc.pageLayout(i));
            device.newPage();
        }
        paintDocumentPage(painter, doc, i, fitOfPage ? fitOfPage() : PrintFit{});
    }
}
