#include "page_paint.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>
#include <map>
#include <tuple>

namespace {

struct PrintFamilies {
    QString sans = QStringLiteral("Noto Sans CJK JP");
    QString serif = QStringLiteral("Noto Serif CJK JP");
};

// The print faces (print-sans-regular.otf …) from "fonts" beside the program, in the package's
// tree (installation folders hold a copy of the viewer only) or in the build folder; without
// them the system's Noto faces, whose look-alike code points can turn 月 into ⽉ in a PDF's text.
PrintFamilies loadPrintFamilies()
{
    PrintFamilies families;
    const QStringList folders{QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"),
                              QStringLiteral(REPORT_VIEWER_PACKAGE_FONTS), QStringLiteral(REPORT_VIEWER_BUILD_FONTS)};
    for (const auto& [kind, family] :
         {std::pair(QStringLiteral("sans"), &families.sans), std::pair(QStringLiteral("serif"), &families.serif)}) {
        QString loaded;
        for (const QString& weight : {QStringLiteral("regular"), QStringLiteral("bold")}) {
            const QString file = QStringLiteral("print-%1-%2.otf").arg(kind, weight);
            for (const QString& folder : folders) {
                const int id =
                    QFile::exists(folder + u'/' + file) ? QFontDatabase::addApplicationFont(folder + u'/' + file) : -1;
                if (id >= 0) {
                    loaded = QFontDatabase::applicationFontFamilies(id).value(0);
                    break;
                }
            }
        }
        if (!loaded.isEmpty())
            *family = loaded;
        else
            QTextStream(stderr) << "report-viewer: 印刷用の書体 print-" << kind << "-*.otf が見つかりません。"
                                << *family << " で描きます（PDF の文字が部首の字に化けることがあります）。" << Qt::endl;
    }
    return families;
}

const PrintFamilies& printFamilies()
{
    static const PrintFamilies families = loadPrintFamilies();
    return families;
}

} // namespace

QString sansFamily() { return printFamilies().sans; }
QString serifFamily() { return printFamilies().serif; }

namespace {

// Draws the operations of a page on one device, at one scale.
struct DevicePainter {
    QPainter& painter;
    double pxPerMm;
    QPointF origin;
    double fontScale; // point sizes -> device points at this zoom

    QPointF devicePoint(QPointF mm) const { return origin + mm * pxPerMm; }
    QRectF deviceRect(const QRectF& mm) const { return QRectF(devicePoint(mm.topLeft()), mm.size() * pxPerMm); }

    QFont font(const FontStyle& style, double factor = 1.0) const
    {
        QFont font(style.serif ? serifFamily() : sansFamily());
        // Fonts come in whole device pixels: the nearest, but a text meant to stay at or above
        // the legibility floor never rounds below it.
        const double pxPerPt = fontScale * painter.device()->logicalDpiY() / 72.0;
        const double layoutPt = style.size * factor;
        int px = qMax(1, qRound(layoutPt * pxPerPt));
        if (layoutPt >= kMinTextPt - 1e-9)
            px = qMax(px, qCeil(kMinTextPt * pxPerPt - 1e-6));
        font.setPixelSize(px);
        font.setBold(style.bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setStyleStrategy(QFont::PreferNoShaping);
        return font;
    }

    // Most texts of a page share a few fonts: the painter changes font only when it changes.
    void useFont(const FontStyle& style, double factor = 1.0)
    {
        if (fontSet && style == lastStyle && factor == lastFactor)
            return;
        painter.setFont(font(style, factor));
        fontSet = true;
        lastStyle = style;
        lastFactor = factor;
    }
    bool fontSet = false;
    FontStyle lastStyle{};
    double lastFactor = 1.0;

    // Metrics of a layout font at a point size; fitting asks the same few again and again.
    const QFontMetricsF& metricsAt(const FontStyle& style, double pt)
    {
        const auto key = std::make_tuple(style.serif, style.bold, pt);
        auto it = metricsCache.find(key);
        if (it == metricsCache.end()) {
            FontStyle sized = style;
            sized.size = pt;
            it = metricsCache.emplace(key, QFontMetricsF(font(sized), painter.device())).first;
        }
        return it->second;
    }
    std::map<std::tuple<bool, bool, double>, QFontMetricsF> metricsCache{};

    void setPen(const DrawOp& op)
    {
        if (op.penWidth <= 0) {
            painter.setPen(Qt::NoPen);
            return;
        }
        QPen pen(op.color, qMax(op.penWidth * pxPerMm, 0.5), op.penStyle, Qt::FlatCap, Qt::MiterJoin);
        painter.setPen(pen);
    }

    // Measured in layout millimetres at layout point sizes (the zoom scales both alike).
    FittedText fitted(const DrawOp& op)
    {
        const double mmPerPx = 1.0 / pxPerMm;
        return fitText(
            op.text, op.font.size, op.rect.size(),
            [&](const QString& piece, double pt) { return metricsAt(op.font, pt).horizontalAdvance(piece) * mmPerPx; },
            [&](double pt) { return metricsAt(op.font, pt).height() * mmPerPx; });
    }

    void text(const DrawOp& op)
    {
        const QRectF box = deviceRect(op.rect);
        if (!op.fit) {
            useFont(op.font);
            painter.setPen(op.color);
            painter.drawText(box, int(op.align), op.text);
            return;
        }
        const FittedText fitted = this->fitted(op);
        const double factor = fitted.sizePt / op.font.size;
        useFont(op.font, factor);
        painter.setPen(op.color);
        if (!fitted.wrapped) {
            painter.drawText(box, int(op.align), op.text);
            return;
        }
        const double pitch = qMin(metricsAt(op.font, fitted.sizePt).height(),
                                  fitted.sizePt * fontScale * kWrapPitchEm * painter.device()->logicalDpiY() / 72.0);
        const double block = pitch * fitted.lines.size();
        double y = box.top();
        if (op.align & Qt::AlignVCenter)
            y += (box.height() - block) / 2;
        else if (op.align & Qt::AlignBottom)
            y += box.height() - block;
        const int horizontal = int(op.align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        for (const QString& line : fitted.lines) {
            painter.drawText(QRectF(box.left(), y, box.width(), pitch), horizontal, line);
            y += pitch;
        }
    }

    void grid(const DrawOp& op)
    {
        const QRectF box = deviceRect(op.rect);
        const double cellWidth = box.width() / op.cols;
        const double rowHeight = box.height() / op.rows;
        useFont(op.font);
        painter.setPen(op.color);
        for (int row = 0; row < op.lines.size(); ++row) {
            const QString& line = op.lines.at(row);
            double x = box.left();
            const double y = box.top() + row * rowHeight;
            for (qsizetype i = 0; i < line.size(); ++i) {
                QString unit(line.at(i));
                if (line.at(i).isHighSurrogate() && i + 1 < line.size())
                    unit += line.at(++i);
                const double width = gridCellWidth(unit.at(0)) * cellWidth;
                if (unit != u" " && unit != u"\u3000")
                    painter.drawText(QRectF(x, y, width, rowHeight), Qt::AlignCenter, unit);
                x += width;
            }
        }
    }

    void tick(const DrawOp& op)
    {
        const QRectF box = deviceRect(op.rect);
        QPainterPath path;
        path.moveTo(box.left() + box.width() * 0.18, box.top() + box.height() * 0.52);
        path.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.80);
        path.lineTo(box.left() + box.width() * 0.85, box.top() + box.height() * 0.18);
        QPen pen(op.color, qMax(op.penWidth * 1.4 * pxPerMm, 1.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
};

} // namespace

void paintPage(QPainter& painter, const PageContent& page, double pxPerMm, QPointF origin)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const double deviceMm = painter.device()->logicalDpiY() / 25.4;
    DevicePainter opPainter{painter, pxPerMm, origin, pxPerMm / deviceMm};
    for (const DrawOp& op : page.ops) {
        switch (op.kind) {
        case DrawOp::Kind::Text: opPainter.text(op); break;
        case DrawOp::Kind::Line:
            opPainter.setPen(op);
            painter.drawLine(opPainter.devicePoint(op.line.p1()), opPainter.devicePoint(op.line.p2()));
            break;
        case DrawOp::Kind::Rect:
            opPainter.setPen(op);
            painter.setBrush(op.fill.isValid() ? QBrush(op.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(opPainter.deviceRect(op.rect));
            painter.setBrush(Qt::NoBrush);
            break;
        case DrawOp::Kind::Ellipse:
            opPainter.setPen(op);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(opPainter.deviceRect(op.rect));
            break;
        case DrawOp::Kind::Tick: opPainter.tick(op); break;
        case DrawOp::Kind::GridText: opPainter.grid(op); break;
        }
    }
    painter.restore();
}

QStringList cutNotes(const Document& doc)
{
    // Measured at the PDF's resolution, on an image standing in for its page.
    const int dpi = 720;
    QImage device(1, 1, QImage::Format_Mono);
    device.setDotsPerMeterX(qRound(dpi / 0.0254));
    device.setDotsPerMeterY(qRound(dpi / 0.0254));
    QPainter painter(&device);
    DevicePainter measure{painter, dpi / 25.4, {}, 1.0};
    QStringList notes;
    for (int i = 0; i < doc.pageCount(); ++i) {
        for (const DrawOp& op : doc.page(i).ops) {
            if (op.kind == DrawOp::Kind::GridText && op.overflow)
                notes.append(gridCutNote(doc.pageName(i), op));
            else if (op.kind == DrawOp::Kind::Text && op.fit && measure.fitted(op).cut)
                notes.append(QStringLiteral("%1: 「%2」は %3 ポイントでも枠に入りきらないため、最後を「…」として切って"
                                            "印刷します。")
                                 .arg(doc.pageName(i), op.text.simplified().left(20) + QStringLiteral("…"))
                                 .arg(kMinTextPt));
        }
    }
    return notes;
}

void paintDocumentPage(QPainter& painter, const Document& doc, int index, const PrintFit& fit)
{
    const double deviceMm = painter.device()->logicalDpiX() / 25.4;
    const double pxPerMm = deviceMm * doc.contentScale(index) * fit.scale;
    const QPointF origin = (fit.offsetMm + doc.output.offsetMm * fit.scale) * deviceMm;
    paintPage(painter, doc.page(index), pxPerMm, origin);
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
