#include "layout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

QSizeF Layout::pageSizeMm() const
{
    QSizeF s = QPageSize(paper).size(QPageSize::Millimeter);
    return landscape ? s.transposed() : s;
}

int Layout::rowsPerPage() const
{
    if (!hasDetail || rowHeight <= 0)
        return 0;
    // A small tolerance so that 150 / 6 gives 25 rows despite rounding.
    return int((detailArea.height() + 1e-6) / rowHeight);
}

bool paperFromName(const QString& name, QPageSize::PageSizeId* id)
{
    const QString n = name.trimmed().toUpper();
    if (n == u"A4")
        *id = QPageSize::A4;
    else if (n == u"A5")
        *id = QPageSize::A5;
    else if (n == u"B5") // Japanese B5 (182 x 257 mm)
        *id = QPageSize::JisB5;
    else
        return false;
    return true;
}

QList<TextPiece> splitPlaceholders(const QString& text)
{
    QList<TextPiece> out;
    QString lit;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text.at(i + 1) == c) {
            lit += c;
            ++i;
            continue;
        }
        if (c == u'{') {
            const qsizetype close = text.indexOf(u'}', i + 1);
            if (close < 0) {
                lit += text.mid(i);
                break;
            }
            if (!lit.isEmpty())
                out.append({false, lit, {}});
            lit.clear();
            const QString inner = text.mid(i + 1, close - i - 1);
            const qsizetype bar = inner.indexOf(u'|');
            TextPiece p;
            p.placeholder = true;
            p.text = (bar < 0 ? inner : inner.left(bar)).trimmed();
            p.format = bar < 0 ? QString() : inner.mid(bar + 1);
            out.append(p);
            i = close;
            continue;
        }
        lit += c;
    }
    if (!lit.isEmpty())
        out.append({false, lit, {}});
    return out;
}

namespace {

struct Parser {
    QString error;

    bool fail(const QString& where, const QString& what)
    {
        error = QStringLiteral("%1: %2").arg(where, what);
        return false;
    }

    bool number(const QJsonObject& o, const char* key, const QString& where, double* v, bool required = true)
    {
        const QJsonValue j = o.value(QLatin1String(key));
        if (j.isUndefined()) {
            if (required)
                return fail(where, QStringLiteral("「%1」がありません。").arg(QLatin1String(key)));
            return true;
        }
        if (!j.isDouble())
            return fail(where, QStringLiteral("「%1」は数値でなければなりません。").arg(QLatin1String(key)));
        *v = j.toDouble();
        return true;
    }

    bool rect(const QJsonObject& o, const QString& where, QRectF* r)
    {
        double x = 0, y = 0, w = 0, h = 0;
        if (!number(o, "x", where, &x) || !number(o, "y", where, &y) || !number(o, "w", where, &w)
            || !number(o, "h", where, &h))
            return false;
        if (w < 0 || h < 0)
            return fail(where, QStringLiteral("幅と高さは負にできません。"));
        *r = QRectF(x, y, w, h);
        return true;
    }

    bool font(const QJsonObject& o, const QString& where, FontStyle* f)
    {
        if (o.contains(u"size")) {
            if (!number(o, "size", where, &f->size))
                return false;
            if (f->size <= 0 || f->size > 200)
                return fail(where, QStringLiteral("文字の大きさ %1 は使えません。").arg(f->size));
        }
        if (o.contains(u"bold"))
            f->bold = o.value(u"bold").toBool();
        if (o.contains(u"family")) {
            const QString fam = o.value(u"family").toString();
            if (fam == u"serif")
                f->serif = true;
            else if (fam == u"sans")
                f->serif = false;
            else
                return fail(where, QStringLiteral("書体「%1」は使えません（sans または serif）。").arg(fam));
        }
        return true;
    }

    bool pen(const QJsonObject& o, const QString& where, LayoutItem* it)
    {
        if (!number(o, "width", where, &it->penWidth, false))
            return false;
        const QString style = o.value(u"style").toString(QStringLiteral("solid"));
        if (style == u"solid")
            it->penStyle = Qt::SolidLine;
        else if (style == u"dash")
            it->penStyle = Qt::DashLine;
        else if (style == u"dot")
            it->penStyle = Qt::DotLine;
        else
            return fail(where, QStringLiteral("線の種類「%1」は使えません。").arg(style));
        if (o.contains(u"color") && !color(o.value(u"color"), where, &it->color))
            return false;
        if (o.contains(u"fill") && !color(o.value(u"fill"), where, &it->fill))
            return false;
        return true;
    }

    bool color(const QJsonValue& v, const QString& where, QColor* c)
    {
        const QColor parsed = QColor::fromString(v.toString());
        if (!parsed.isValid())
            return fail(where, QStringLiteral("色「%1」は使えません。").arg(v.toString()));
        *c = parsed;
        return true;
    }

    bool alignment(const QJsonObject& o, const QString& where, Qt::Alignment* a)
    {
        Qt::Alignment h = Qt::AlignLeft, v = Qt::AlignVCenter;
        const QString hs = o.value(u"align").toString(QStringLiteral("left"));
        const QString vs = o.value(u"valign").toString(QStringLiteral("middle"));
        if (hs == u"left")
            h = Qt::AlignLeft;
        else if (hs == u"center")
            h = Qt::AlignHCenter;
        else if (hs == u"right")
            h = Qt::AlignRight;
        else
            return fail(where, QStringLiteral("align「%1」は使えません。").arg(hs));
        if (vs == u"top")
            v = Qt::AlignTop;
        else if (vs == u"middle")
            v = Qt::AlignVCenter;
        else if (vs == u"bottom")
            v = Qt::AlignBottom;
        else
            return fail(where, QStringLiteral("valign「%1」は使えません。").arg(vs));
        *a = h | v;
        return true;
    }

    bool condition(const QJsonValue& v, const QString& where, Condition* c)
    {
        if (!v.isObject())
            return fail(where, QStringLiteral("条件はオブジェクトでなければなりません。"));
        const QJsonObject o = v.toObject();
        c->column = o.value(u"column").toString();
        if (c->column.isEmpty())
            return fail(where, QStringLiteral("条件に「column」がありません。"));
        auto texts = [](const QJsonValue& j) {
            QStringList l;
            if (j.isArray()) {
                for (const QJsonValue& e : j.toArray())
                    l.append(e.isDouble() ? QString::number(e.toDouble()) : e.toString());
            } else {
                l.append(j.isDouble() ? QString::number(j.toDouble()) : j.toString());
            }
            return l;
        };
        if (o.contains(u"equals")) {
            c->op = Condition::Op::Equals;
            c->values = texts(o.value(u"equals"));
        } else if (o.contains(u"notEquals")) {
            c->op = Condition::Op::NotEquals;
            c->values = texts(o.value(u"notEquals"));
        } else if (o.contains(u"in")) {
            c->op = Condition::Op::In;
            c->values = texts(o.value(u"in"));
        } else if (o.contains(u"notIn")) {
            c->op = Condition::Op::NotIn;
            c->values = texts(o.value(u"notIn"));
        } else if (o.value(u"empty").toBool()) {
            c->op = Condition::Op::Empty;
        } else if (o.value(u"notEmpty").toBool()) {
            c->op = Condition::Op::NotEmpty;
        } else {
            return fail(where,
                        QStringLiteral("条件の種類（equals、notEquals、in、notIn、empty、notEmpty）がありません。"));
        }
        return true;
    }

    bool items(const QJsonValue& v, const QString& where, const FontStyle& base, QList<LayoutItem>* out)
    {
        if (v.isUndefined())
            return true;
        if (!v.isArray())
            return fail(where, QStringLiteral("「items」は配列でなければなりません。"));
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QString w = QStringLiteral("%1[%2]").arg(where).arg(i);
            LayoutItem it;
            if (!item(a.at(i), w, base, &it))
                return false;
            out->append(it);
        }
        return true;
    }

    bool item(const QJsonValue& v, QString where, const FontStyle& base, LayoutItem* it)
    {
        if (!v.isObject())
            return fail(where, QStringLiteral("項目はオブジェクトでなければなりません。"));
        const QJsonObject o = v.toObject();
        const QString type = o.value(u"type").toString();
        it->name = o.value(u"name").toString();
        if (!it->name.isEmpty())
            where += QStringLiteral("「%1」").arg(it->name);
        it->font = base;
        it->mayOverlap = o.value(u"overlap").toBool();
        if (!font(o, where, &it->font) || !pen(o, where, it))
            return false;
        if (type == u"text") {
            it->kind = LayoutItem::Kind::Text;
            it->text = o.value(u"text").toString();
            it->fit = o.value(u"fit").toBool();
            return rect(o, where, &it->rect) && alignment(o, where, &it->align);
        }
        if (type == u"line") {
            it->kind = LayoutItem::Kind::Line;
            double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            if (!number(o, "x1", where, &x1) || !number(o, "y1", where, &y1) || !number(o, "x2", where, &x2)
                || !number(o, "y2", where, &y2))
                return false;
            it->line = QLineF(x1, y1, x2, y2);
            return true;
        }
        if (type == u"box") {
            it->kind = LayoutItem::Kind::Box;
            return rect(o, where, &it->rect);
        }
        if (type == u"mark") {
            it->kind = LayoutItem::Kind::Mark;
            it->column = o.value(u"column").toString();
            if (it->column.isEmpty())
                return fail(where, QStringLiteral("「column」がありません。"));
            const QString shape = o.value(u"shape").toString(QStringLiteral("circle"));
            if (shape == u"circle")
                it->shape = MarkShape::Circle;
            else if (shape == u"tick")
                it->shape = MarkShape::Tick;
            else
                return fail(where, QStringLiteral("印の形「%1」は使えません（circle または tick）。").arg(shape));
            it->boxes = o.value(u"boxes").toBool();
            if (!o.value(u"options").isArray() || o.value(u"options").toArray().isEmpty())
                return fail(where, QStringLiteral("「options」がありません。"));
            const QJsonArray opts = o.value(u"options").toArray();
            for (qsizetype i = 0; i < opts.size(); ++i) {
                const QString w = QStringLiteral("%1.options[%2]").arg(where).arg(i);
                const QJsonObject oo = opts.at(i).toObject();
                MarkOption mo;
                const QJsonValue val = oo.value(u"value");
                if (val.isUndefined())
                    return fail(w, QStringLiteral("「value」がありません。"));
                mo.value = val.isDouble() ? QString::number(val.toDouble()) : val.toString();
                mo.text = oo.value(u"text").toString();
                if (!rect(oo, w, &mo.rect))
                    return false;
                it->options.append(mo);
            }
            return true;
        }
        if (type == u"grid") {
            it->kind = LayoutItem::Kind::Grid;
            it->text = o.value(u"text").toString();
            it->cols = o.value(u"cols").toInt();
            it->rows = o.value(u"rows").toInt();
            it->ruled = o.value(u"ruled").toBool();
            if (it->cols < 1 || it->rows < 1 || it->cols > 500 || it->rows > 500)
                return fail(where, QStringLiteral("「cols」と「rows」は 1〜500 でなければなりません。"));
            return rect(o, where, &it->rect);
        }
        if (type == u"group") {
            it->kind = LayoutItem::Kind::Group;
            const QJsonValue when = o.value(u"when");
            if (when.isArray()) {
                for (const QJsonValue& c : when.toArray()) {
                    Condition cond;
                    if (!condition(c, where, &cond))
                        return false;
                    it->when.append(cond);
                }
            } else if (!when.isUndefined()) {
                Condition cond;
                if (!condition(when, where, &cond))
                    return false;
                it->when.append(cond);
            }
            return items(o.value(u"items"), where + QStringLiteral(".items"), it->font, &it->items);
        }
        if (type.isEmpty())
            return fail(where, QStringLiteral("「type」がありません。"));
        return fail(where, QStringLiteral("項目の種類「%1」は使えません。").arg(type));
    }
};

int lineOfOffset(const QByteArray& json, int offset) { return int(json.left(offset).count('\n')) + 1; }

void addColumns(const QString& text, QStringList* out)
{
    for (const TextPiece& p : splitPlaceholders(text))
        if (p.placeholder && !p.text.startsWith(u'@') && !out->contains(p.text))
            out->append(p.text);
}

void collect(const QList<LayoutItem>& items, QStringList* out)
{
    for (const LayoutItem& it : items) {
        for (const Condition& c : it.when)
            if (!c.column.startsWith(u'@') && !out->contains(c.column))
                out->append(c.column);
        if (!it.column.isEmpty() && !out->contains(it.column))
            out->append(it.column);
        addColumns(it.text, out);
        for (const MarkOption& o : it.options)
            addColumns(o.text, out);
        collect(it.items, out);
    }
}

} // namespace

bool parseLayoutObject(const QJsonObject& root, Layout* layout, QString* error)
{
    Parser p;
    Layout l;
    l.name = root.value(u"name").toString();
    l.dataName = root.value(u"data").toString();
    l.monthColumn = root.value(u"month").toString();
    for (const QJsonValue& c : root.value(u"columns").toArray())
        l.columns.append(c.toString());
    const QJsonObject page = root.value(u"page").toObject();
    if (!paperFromName(page.value(u"size").toString(QStringLiteral("A4")), &l.paper)) {
        *error = QStringLiteral("page: 用紙「%1」には対応していません。").arg(page.value(u"size").toString());
        return false;
    }
    const QString orient = page.value(u"orientation").toString(QStringLiteral("portrait"));
    if (orient != u"portrait" && orient != u"landscape") {
        *error = QStringLiteral("page: 向き「%1」は使えません。").arg(orient);
        return false;
    }
    l.landscape = orient == u"landscape";
    if (!p.font(root.value(u"font").toObject(), QStringLiteral("font"), &l.font)
        || !p.items(root.value(u"items"), QStringLiteral("items"), l.font, &l.items)) {
        *error = p.error;
        return false;
    }
    if (root.contains(u"detail")) {
        const QJsonObject d = root.value(u"detail").toObject();
        double x = 0, w = 0, top = 0, bottom = 0;
        const QString where = QStringLiteral("detail");
        if (!p.number(d, "x", where, &x) || !p.number(d, "w", where, &w) || !p.number(d, "top", where, &top)
            || !p.number(d, "bottom", where, &bottom) || !p.number(d, "height", where, &l.rowHeight)) {
            *error = p.error;
            return false;
        }
        if (l.rowHeight <= 0 || bottom - top < l.rowHeight) {
            *error = QStringLiteral("detail: 行の高さ %1 mm が明細の範囲（%2〜%3 mm）に収まりません。")
                         .arg(l.rowHeight)
                         .arg(top)
                         .arg(bottom);
            return false;
        }
        if (d.contains(u"stripe") && !p.color(d.value(u"stripe"), where, &l.stripe)) {
            *error = p.error;
            return false;
        }
        l.hasDetail = true;
        l.detailArea = QRectF(x, top, w, bottom - top);
        if (!p.items(d.value(u"items"), QStringLiteral("detail.items"), l.font, &l.detailItems)) {
            *error = p.error;
            return false;
        }
    }
    *layout = std::move(l);
    return true;
}

bool parseLayout(const QByteArray& json, Layout* layout, QString* error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError) {
        *error = QStringLiteral("JSON として読めません（%1 行目: %2）。")
                     .arg(lineOfOffset(json, pe.offset))
                     .arg(pe.errorString());
        return false;
    }
    if (!doc.isObject() || !doc.object().contains(u"wfd")) {
        *error = QStringLiteral("レイアウトファイルではありません（「wfd」がありません）。");
        return false;
    }
    return parseLayoutObject(doc.object(), layout, error);
}

QStringList referencedColumns(const Layout& layout)
{
    QStringList out;
    collect(layout.items, &out);
    collect(layout.detailItems, &out);
    return out;
}
