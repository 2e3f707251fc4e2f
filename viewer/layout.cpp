#include "layout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

QSizeF Layout::pageSizeMm() const
{
    const QSizeF size = QPageSize(paper).size(QPageSize::Millimeter);
    return landscape ? size.transposed() : size;
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
    const QString upper = name.trimmed().toUpper();
    if (upper == u"A4")
        *id = QPageSize::A4;
    else if (upper == u"A5")
        *id = QPageSize::A5;
    else if (upper == u"B5") // Japanese B5 (182 x 257 mm)
        *id = QPageSize::JisB5;
    else
        return false;
    return true;
}

QList<TextPiece> splitPlaceholders(const QString& text)
{
    QList<TextPiece> out;
    QString literal;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text.at(i + 1) == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == u'{') {
            const qsizetype close = text.indexOf(u'}', i + 1);
            if (close < 0) {
                literal += text.mid(i);
                break;
            }
            if (!literal.isEmpty())
                out.append({false, literal, {}});
            literal.clear();
            const QString inner = text.mid(i + 1, close - i - 1);
            const qsizetype bar = inner.indexOf(u'|');
            TextPiece piece;
            piece.placeholder = true;
            piece.text = (bar < 0 ? inner : inner.left(bar)).trimmed();
            piece.format = bar < 0 ? QString() : inner.mid(bar + 1);
            out.append(piece);
            i = close;
            continue;
        }
        literal += c;
    }
    if (!literal.isEmpty())
        out.append({false, literal, {}});
    return out;
}

namespace {

// The value a keyword of the layout stands for; false for a keyword not in the table.
template <typename T>
bool keywordValue(const QString& keyword, std::initializer_list<std::pair<QStringView, T>> table, T* value)
{
    for (const auto& [name, meaning] : table) {
        if (keyword == name) {
            *value = meaning;
            return true;
        }
    }
    return false;
}

// A condition value or a list of them, as texts.
QStringList conditionTexts(const QJsonValue& value)
{
    auto text = [](const QJsonValue& one) { return one.isDouble() ? QString::number(one.toDouble()) : one.toString(); };
    QStringList texts;
    if (value.isArray()) {
        for (const QJsonValue& one : value.toArray())
            texts.append(text(one));
    } else {
        texts.append(text(value));
    }
    return texts;
}

struct Parser {
    QString error;

    bool fail(const QString& where, const QString& what)
    {
        error = QStringLiteral("%1: %2").arg(where, what);
        return false;
    }

    bool number(const QJsonObject& object, const char* key, const QString& where, double* value, bool required = true)
    {
        const QJsonValue json = object.value(QLatin1String(key));
        if (json.isUndefined()) {
            if (required)
                return fail(where, QStringLiteral("「%1」がありません。").arg(QLatin1String(key)));
            return true;
        }
        if (!json.isDouble())
            return fail(where, QStringLiteral("「%1」は数値でなければなりません。").arg(QLatin1String(key)));
        *value = json.toDouble();
        return true;
    }

    bool rect(const QJsonObject& object, const QString& where, QRectF* out)
    {
        double x = 0, y = 0, w = 0, h = 0;
        if (!number(object, "x", where, &x) || !number(object, "y", where, &y) || !number(object, "w", where, &w)
            || !number(object, "h", where, &h))
            return false;
        if (w < 0 || h < 0)
            return fail(where, QStringLiteral("幅と高さは負にできません。"));
        *out = QRectF(x, y, w, h);
        return true;
    }

    bool font(const QJsonObject& object, const QString& where, FontStyle* out)
    {
        if (object.contains(u"size")) {
            if (!number(object, "size", where, &out->size))
                return false;
            if (out->size <= 0 || out->size > 200)
                return fail(where, QStringLiteral("文字の大きさ %1 は使えません。").arg(out->size));
        }
        if (object.contains(u"bold"))
            out->bold = object.value(u"bold").toBool();
        if (object.contains(u"family")) {
            const QString family = object.value(u"family").toString();
            if (!keywordValue(family, {{u"serif", true}, {u"sans", false}}, &out->serif))
                return fail(where, QStringLiteral("書体「%1」は使えません（sans または serif）。").arg(family));
        }
        return true;
    }

    bool pen(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        if (!number(object, "width", where, &item->penWidth, false))
            return false;
        const QString style = object.value(u"style").toString(QStringLiteral("solid"));
        if (!keywordValue(style, {{u"solid", Qt::SolidLine}, {u"dash", Qt::DashLine}, {u"dot", Qt::DotLine}},
                          &item->penStyle))
            return fail(where, QStringLiteral("線の種類「%1」は使えません。").arg(style));
        if (object.contains(u"color") && !color(object.value(u"color"), where, &item->color))
            return false;
        if (object.contains(u"fill") && !color(object.value(u"fill"), where, &item->fill))
            return false;
        return true;
    }

    bool color(const QJsonValue& value, const QString& where, QColor* out)
    {
        const QColor parsed = QColor::fromString(value.toString());
        if (!parsed.isValid())
            return fail(where, QStringLiteral("色「%1」は使えません。").arg(value.toString()));
        *out = parsed;
        return true;
    }

    bool alignment(const QJsonObject& object, const QString& where, Qt::Alignment* out)
    {
        Qt::Alignment horizontal, vertical;
        const QString alignName = object.value(u"align").toString(QStringLiteral("left"));
        const QString valignName = object.value(u"valign").toString(QStringLiteral("middle"));
        if (!keywordValue<Qt::Alignment>(
                alignName, {{u"left", Qt::AlignLeft}, {u"center", Qt::AlignHCenter}, {u"right", Qt::AlignRight}},
                &horizontal))
            return fail(where, QStringLiteral("align「%1」は使えません。").arg(alignName));
        if (!keywordValue<Qt::Alignment>(
                valignName, {{u"top", Qt::AlignTop}, {u"middle", Qt::AlignVCenter}, {u"bottom", Qt::AlignBottom}},
                &vertical))
            return fail(where, QStringLiteral("valign「%1」は使えません。").arg(valignName));
        *out = horizontal | vertical;
        return true;
    }

    bool condition(const QJsonValue& value, const QString& where, Condition* out)
    {
        if (!value.isObject())
            return fail(where, QStringLiteral("条件はオブジェクトでなければなりません。"));
        const QJsonObject object = value.toObject();
        out->column = object.value(u"column").toString();
        if (out->column.isEmpty())
            return fail(where, QStringLiteral("条件に「column」がありません。"));
        static const std::pair<QStringView, Condition::Op> withValues[] = {{u"equals", Condition::Op::Equals},
                                                                           {u"notEquals", Condition::Op::NotEquals},
                                                                           {u"in", Condition::Op::In},
                                                                           {u"notIn", Condition::Op::NotIn}};
        for (const auto& [key, op] : withValues) {
            if (object.contains(key)) {
                out->op = op;
                out->values = conditionTexts(object.value(key));
                return true;
            }
        }
        if (object.value(u"empty").toBool()) {
            out->op = Condition::Op::Empty;
        } else if (object.value(u"notEmpty").toBool()) {
            out->op = Condition::Op::NotEmpty;
        } else {
            return fail(where,
                        QStringLiteral("条件の種類（equals、notEquals、in、notIn、empty、notEmpty）がありません。"));
        }
        return true;
    }

    // "when": one condition or a list of them.
    bool conditions(const QJsonValue& value, const QString& where, QList<Condition>* out)
    {
        if (value.isUndefined())
            return true;
        const QJsonArray list = value.isArray() ? value.toArray() : QJsonArray{value};
        for (const QJsonValue& one : list) {
            Condition parsed;
            if (!condition(one, where, &parsed))
                return false;
            out->append(parsed);
        }
        return true;
    }

    bool items(const QJsonValue& value, const QString& where, const FontStyle& base, QList<LayoutItem>* out)
    {
        if (value.isUndefined())
            return true;
        if (!value.isArray())
            return fail(where, QStringLiteral("「items」は配列でなければなりません。"));
        const QJsonArray list = value.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            LayoutItem parsed;
            if (!item(list.at(i), QStringLiteral("%1[%2]").arg(where).arg(i), base, &parsed))
                return false;
            out->append(parsed);
        }
        return true;
    }

    // What every item has (name, font, pen), then what its type adds.
    bool item(const QJsonValue& value, QString where, const FontStyle& base, LayoutItem* out)
    {
        if (!value.isObject())
            return fail(where, QStringLiteral("項目はオブジェクトでなければなりません。"));
        const QJsonObject object = value.toObject();
        const QString type = object.value(u"type").toString();
        out->name = object.value(u"name").toString();
        if (!out->name.isEmpty())
            where += QStringLiteral("「%1」").arg(out->name);
        out->font = base;
        out->mayOverlap = object.value(u"overlap").toBool();
        if (!font(object, where, &out->font) || !pen(object, where, out))
            return false;
        using ItemReader = bool (Parser::*)(const QJsonObject&, const QString&, LayoutItem*);
        ItemReader reader = nullptr;
        if (keywordValue<ItemReader>(type,
                                     {{u"text", &Parser::textItem},
                                      {u"line", &Parser::lineItem},
                                      {u"box", &Parser::boxItem},
                                      {u"mark", &Parser::markItem},
                                      {u"grid", &Parser::gridItem},
                                      {u"group", &Parser::groupItem}},
                                     &reader))
            return (this->*reader)(object, where, out);
        if (type.isEmpty())
            return fail(where, QStringLiteral("「type」がありません。"));
        return fail(where, QStringLiteral("項目の種類「%1」は使えません。").arg(type));
    }

    bool textItem(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        item->kind = LayoutItem::Kind::Text;
        item->text = object.value(u"text").toString();
        item->fit = object.value(u"fit").toBool();
        return rect(object, where, &item->rect) && alignment(object, where, &item->align);
    }

    bool boxItem(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        item->kind = LayoutItem::Kind::Box;
        return rect(object, where, &item->rect);
    }

    bool lineItem(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        item->kind = LayoutItem::Kind::Line;
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        if (!number(object, "x1", where, &x1) || !number(object, "y1", where, &y1) || !number(object, "x2", where, &x2)
            || !number(object, "y2", where, &y2))
            return false;
        item->line = QLineF(x1, y1, x2, y2);
        return true;
    }

    bool markItem(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        item->kind = LayoutItem::Kind::Mark;
        item->column = object.value(u"column").toString();
        if (item->column.isEmpty())
            return fail(where, QStringLiteral("「column」がありません。"));
        const QString shape = object.value(u"shape").toString(QStringLiteral("circle"));
        if (!keywordValue(shape, {{u"circle", MarkShape::Circle}, {u"tick", MarkShape::Tick}}, &item->shape))
            return fail(where, QStringLiteral("印の形「%1」は使えません（circle または tick）。").arg(shape));
        item->boxes = object.value(u"boxes").toBool();
        if (!object.value(u"options").isArray() || object.value(u"options").toArray().isEmpty())
            return fail(where, QStringLiteral("「options」がありません。"));
        const QJsonArray options = object.value(u"options").toArray();
        for (qsizetype i = 0; i < options.size(); ++i) {
            MarkOption option;
            if (!markOption(options.at(i).toObject(), QStringLiteral("%1.options[%2]").arg(where).arg(i), &option))
                return false;
            item->options.append(option);
        }
        return true;
    }

    bool markOption(const QJsonObject& object, const QString& where, MarkOption* option)
    {
        const QJsonValue value = object.value(u"value");
        if (value.isUndefined())
            return fail(where, QStringLiteral("「value」がありません。"));
        option->value = value.isDouble() ? QString::number(value.toDouble()) : value.toString();
        option->text = object.value(u"text").toString();
        return rect(object, where, &option->rect);
    }

    bool gridItem(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        item->kind = LayoutItem::Kind::Grid;
        item->text = object.value(u"text").toString();
        item->cols = object.value(u"cols").toInt();
        item->rows = object.value(u"rows").toInt();
        item->ruled = object.value(u"ruled").toBool();
        if (item->cols < 1 || item->rows < 1 || item->cols > 500 || item->rows > 500)
            return fail(where, QStringLiteral("「cols」と「rows」は 1〜500 でなければなりません。"));
        return rect(object, where, &item->rect);
    }

    bool groupItem(const QJsonObject& object, const QString& where, LayoutItem* item)
    {
        item->kind = LayoutItem::Kind::Group;
        return conditions(object.value(u"when"), where, &item->when)
            && items(object.value(u"items"), where + QStringLiteral(".items"), item->font, &item->items);
    }

    bool page(const QJsonObject& settings, Layout* layout)
    {
        const QString where = QStringLiteral("page");
        if (!paperFromName(settings.value(u"size").toString(QStringLiteral("A4")), &layout->paper))
            return fail(where,
                        QStringLiteral("用紙「%1」には対応していません。").arg(settings.value(u"size").toString()));
        const QString orientation = settings.value(u"orientation").toString(QStringLiteral("portrait"));
        if (orientation != u"portrait" && orientation != u"landscape")
            return fail(where, QStringLiteral("向き「%1」は使えません。").arg(orientation));
        layout->landscape = orientation == u"landscape";
        return true;
    }

    bool detail(const QJsonObject& band, Layout* layout)
    {
        const QString where = QStringLiteral("detail");
        double x = 0, w = 0, top = 0, bottom = 0;
        if (!number(band, "x", where, &x) || !number(band, "w", where, &w) || !number(band, "top", where, &top)
            || !number(band, "bottom", where, &bottom) || !number(band, "height", where, &layout->rowHeight))
            return false;
        if (layout->rowHeight <= 0 || bottom - top < layout->rowHeight)
            return fail(where,
                        QStringLiteral("行の高さ %1 mm が明細の範囲（%2〜%3 mm）に収まりません。")
                            .arg(layout->rowHeight)
                            .arg(top)
                            .arg(bottom));
        if (band.contains(u"stripe") && !color(band.value(u"stripe"), where, &layout->stripe))
            return false;
        layout->hasDetail = true;
        layout->detailArea = QRectF(x, top, w, bottom - top);
        return items(band.value(u"items"), QStringLiteral("detail.items"), layout->font, &layout->detailItems);
    }
};

int lineOfOffset(const QByteArray& json, int offset) { return int(json.left(offset).count('\n')) + 1; }

void addColumns(const QString& text, QStringList* out)
{
    for (const TextPiece& piece : splitPlaceholders(text))
        if (piece.placeholder && !piece.text.startsWith(u'@') && !out->contains(piece.text))
            out->append(piece.text);
}

void collect(const QList<LayoutItem>& items, QStringList* out)
{
    for (const LayoutItem& item : items) {
        for (const Condition& condition : item.when)
            if (!condition.column.startsWith(u'@') && !out->contains(condition.column))
                out->append(condition.column);
        if (!item.column.isEmpty() && !out->contains(item.column))
            out->append(item.column);
        addColumns(item.text, out);
        for (const MarkOption& option : item.options)
            addColumns(option.text, out);
        collect(item.items, out);
    }
}

} // namespace

bool parseLayoutObject(const QJsonObject& root, Layout* layout, QString* error)
{
    Parser parser;
    Layout parsed;
    parsed.name = root.value(u"name").toString();
    parsed.dataName = root.value(u"data").toString();
    parsed.monthColumn = root.value(u"month").toString();
    parsed.recordLabel = root.value(u"label").toString();
    for (const QJsonValue& column : root.value(u"columns").toArray())
        parsed.columns.append(column.toString());
    if (!parser.page(root.value(u"page").toObject(), &parsed)
        || !parser.font(root.value(u"font").toObject(), QStringLiteral("font"), &parsed.font)
        || !parser.items(root.value(u"items"), QStringLiteral("items"), parsed.font, &parsed.items)
        || (root.contains(u"detail") && !parser.detail(root.value(u"detail").toObject(), &parsed))) {
        *error = parser.error;
        return false;
    }
    *layout = std::move(parsed);
    return true;
}

bool parseLayout(const QByteArray& json, Layout* layout, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("JSON として読めません（%1 行目: %2）。")
                     .arg(lineOfOffset(json, parseError.offset))
                     .arg(parseError.errorString());
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
    addColumns(layout.recordLabel, &out);
    return out;
}
