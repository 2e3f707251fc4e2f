// The rewriting passes over one statement: T-SQL functions, TOP, date comparisons, INSERT
// values, CREATE TABLE and CREATE INDEX options.
#include "tsql_rewrite_p.h"

#include <QDateTime>

namespace tsql::rewrite {

void Rewriter::commonPasses()
{
    for (int k = 0; k < significantCount(); ++k) {
        const Token& x = tokenAt(k);
        if (x.isName() && x.value.compare(QLatin1String("sys"), Qt::CaseInsensitive) == 0
            && tokenAt(k + 1).isSymbol(".") && tokenAt(k + 2).isName() && !tokenAt(k - 1).isSymbol(".")) {
            const QString view = sysView(tokenAt(k + 2).value.toLower());
            if (!view.isEmpty()) {
                const Token& after = tokenAt(k + 3);
                const bool aliased = after.isWord("AS")
                    || (after.isName() && !after.isWordIn(boundaryWords()) && !after.isWord("WHERE")
                        && !after.isWord("LEFT") && !after.isWord("INNER"));
                replaceToken(
                    k, view + (aliased ? QString() : QStringLiteral(" AS ") + sqliteIdentifier(tokenAt(k + 2).value)));
                removeToken(k + 1);
                removeToken(k + 2);
                k += 2;
                continue;
            }
        }
        if (x.kind == TokenKind::Word && tokenAt(k + 1).isSymbol("(")) {
            const QString name = x.text.toUpper();
            if (name == u"OBJECT_ID")
                objectId(k);
            else if (name == u"ISNULL")
                isnull(k);
            else if (name == u"GETDATE" && tokenAt(k + 2).isSymbol(")")) {
                replaceToken(k, QStringLiteral("datetime('now', 'localtime')"));
                removeToken(k + 1);
                removeToken(k + 2);
            } else if (name == u"LEN")
                replaceToken(k, QStringLiteral("length"));
        }
    }
    top();
    comparisons();
    insertValues();
}

void Rewriter::objectId(int nameSig)
{
    const auto args = arguments(nameSig + 1);
    if (args.empty() || args[0].first != args[0].last || tokenAt(args[0].first).kind != TokenKind::String)
        return;
    const QString name = objectNameOf(tokenAt(args[0].first).value);
    QString types = QStringLiteral("'table', 'view'");
    if (args.size() > 1 && tokenAt(args[1].first).kind == TokenKind::String) {
        const QString kind = tokenAt(args[1].first).value.trimmed().toUpper();
        if (kind == u"U")
            types = QStringLiteral("'table'");
        else if (kind == u"V")
            types = QStringLiteral("'view'");
    }
    replaceToken(nameSig,
                 QStringLiteral("(SELECT rowid FROM sqlite_schema WHERE type IN (") + types
                     + QStringLiteral(") AND name = ") + quoteString(name) + QStringLiteral(" COLLATE NOCASE)"));
    removeTokens(nameSig + 1, closingParenthesis(nameSig + 1));
}

void Rewriter::isnull(int nameSig)
{
    replaceToken(nameSig, QStringLiteral("ifnull"));
    const auto args = arguments(nameSig + 1);
    if (args.size() != 2 || args[1].first != args[1].last)
        return;
    const Token& fallback = tokenAt(args[1].first);
    const bool number = fallback.kind == TokenKind::Number && isNumericText(fallback.text);
    const bool dateText = fallback.kind == TokenKind::String && normalizeDateLiteral(fallback.value).has_value();
    if (!number && !dateText)
        return;
    if (!isDateType(typeOf(args[0].first, args[0].last)))
        return;
    QString value;
    if (number) {
        const QDateTime base(QDate(1900, 1, 1), QTime(0, 0));
        const double days = fallback.text.toDouble();
        value = base.addMSecs(static_cast<qint64>(days * 86400000.0)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    } else {
        value = *normalizeDateLiteral(fallback.value);
    }
    replaceToken(args[1].first, quoteString(value));
}

void Rewriter::top()
{
    for (int k = 0; k < significantCount(); ++k) {
        if (!tokenAt(k).isWord("SELECT"))
            continue;
        int j = k + 1;
        if (tokenAt(j).isWord("DISTINCT") || tokenAt(j).isWord("ALL"))
            ++j;
        if (!tokenAt(j).isWord("TOP"))
            continue;
        QString count;
        int after = 0;
        if (tokenAt(j + 1).kind == TokenKind::Number) {
            count = tokenAt(j + 1).text;
            after = j + 2;
        } else if (tokenAt(j + 1).isSymbol("(") && tokenAt(j + 2).kind == TokenKind::Number
                   && tokenAt(j + 3).isSymbol(")")) {
            count = tokenAt(j + 2).text;
            after = j + 4;
        } else {
            continue;
        }
        if (tokenAt(after).isWord("PERCENT") || (tokenAt(after).isWord("WITH") && tokenAt(after + 1).isWord("TIES")))
            continue; // no SQLite form; left for SQLite to reject
        removeTokens(j, after - 1);
        // The SELECT ends at an unmatched ")" or a ";".
        int end = k + 1, depth = 0;
        for (; end < significantCount(); ++end) {
            if (tokenAt(end).isSymbol("("))
                ++depth;
            else if (tokenAt(end).isSymbol(")")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && tokenAt(end).isSymbol(";"))
                break;
        }
        appendAfter(end - 1, QStringLiteral(" LIMIT ") + count);
    }
}

void Rewriter::literalAgainst(int literalSig, int firstSig, int lastSig)
{
    const Token& literal = tokenAt(literalSig);
    if (literal.kind != TokenKind::String)
        return;
    if (isNumericText(literal.value) && isExpression(firstSig, lastSig)) {
        replaceToken(literalSig, literal.value.trimmed());
        return;
    }
    if (const auto date = normalizeDateLiteral(literal.value)) {
        if (isDateType(typeOf(firstSig, lastSig)))
            replaceToken(literalSig, quoteString(*date));
    }
}

void Rewriter::comparisons()
{
    for (int k = 0; k < significantCount(); ++k) {
        if (isComparison(tokenAt(k))) {
            const SigRange left = leftOperand(k);
            const SigRange right = rightOperand(k);
            if (left.first > left.last || right.first > right.last)
                continue;
            if (right.first == right.last)
                literalAgainst(right.first, left.first, left.last);
            if (left.first == left.last)
                literalAgainst(left.first, right.first, right.last);
        } else if (tokenAt(k).isWord("BETWEEN") && tokenAt(k + 2).isWord("AND")) {
            const bool negated = tokenAt(k - 1).isWord("NOT");
            const int first = leftOperand(negated ? k - 1 : k).first;
            const int last = negated ? k - 2 : k - 1;
            if (first > last)
                continue;
            literalAgainst(k + 1, first, last);
            if (hasTokenAt(k + 3))
                literalAgainst(k + 3, first, last);
        }
    }
}

// INSERT [INTO] t [(columns)] VALUES (...), ...: date literals bound for date columns.
void Rewriter::insertValues()
{
    if (!tokenAt(0).isWord("INSERT"))
        return;
    int j = tokenAt(1).isWord("INTO") ? 2 : 1;
    if (!tokenAt(j).isName())
        return;
    const QString table = tokenAt(j).value;
    ++j;
    std::optional<QStringList> columns; // none named: the catalogue's, read when first needed
    if (tokenAt(j).isSymbol("(")) {
        const int close = closingParenthesis(j);
        if (close < 0)
            return;
        columns = namedColumns(j);
        if (!columns)
            return;
        j = close + 1;
    }
    if (!tokenAt(j).isWord("VALUES"))
        return;
    ++j;
    while (tokenAt(j).isSymbol("(")) {
        const int close = closingParenthesis(j);
        if (close < 0)
            return;
        writeDateValues(table, arguments(j), columns);
        if (!tokenAt(close + 1).isSymbol(","))
            break;
        j = close + 2;
    }
}

// The column list at openSig; none when an item is more than a name.
std::optional<QStringList> Rewriter::namedColumns(int openSig) const
{
    QStringList columns;
    for (const auto& [first, last] : arguments(openSig)) {
        if (first != last || !tokenAt(first).isName())
            return std::nullopt;
        columns << tokenAt(first).value;
    }
    return columns;
}

void Rewriter::writeDateValues(const QString& table, const std::vector<SigRange>& values,
                               std::optional<QStringList>& columns)
{
    for (size_t i = 0; i < values.size(); ++i) {
        const auto [first, last] = values[i];
        if (first != last || tokenAt(first).kind != TokenKind::String)
            continue;
        const auto date = normalizeDateLiteral(tokenAt(first).value);
        if (!date)
            continue;
        if (!columns) {
            columns.emplace();
            if (const auto* known = catalog().table(table)) {
                for (const auto& c : *known)
                    *columns << c.name;
            }
        }
        if (i < static_cast<size_t>(columns->size())
            && isDateType(catalog().columnType(table, columns->at(static_cast<int>(i)))))
            replaceToken(first, quoteString(*date));
    }
}

void Rewriter::createTable()
{
    const int open = nextSymbol(2, "(");
    const int close = closingParenthesis(open);
    if (close < 0)
        return;
    int depth = 0;
    for (int j = open + 1; j < close; ++j) {
        const Token& x = tokenAt(j);
        const Token& next = tokenAt(j + 1);
        if (x.isSymbol("(")) {
            ++depth;
        } else if (x.isSymbol(")")) {
            --depth;
        } else if (x.isWord("CLUSTERED") || x.isWord("NONCLUSTERED")) {
            removeToken(j);
        } else if (x.isWord("WITH") && next.isSymbol("(")) {
            const int optionsClose = closingParenthesis(j + 1);
            if (optionsClose < 0 || optionsClose >= close)
                continue;
            removeTokens(j, optionsClose);
            j = optionsClose;
        } else if (x.isWord("ON") && tokenAt(j - 1).isSymbol(")") && next.isName() && !next.isWord("DELETE")
                   && !next.isWord("UPDATE") && !next.isWord("CONFLICT")) {
            removeTokens(j, j + 1);
            ++j;
        } else if (x.isWord("IDENTITY")) {
            removeToken(j);
            if (next.isSymbol("(")) {
                const int seedClose = closingParenthesis(j + 1);
                removeTokens(j + 1, seedClose);
                j = seedClose;
            }
        } else if (depth == 0 && x.isWord("CONSTRAINT")) {
            int prev = j - 1;
            while (prev > open && isRemoved(prev))
                --prev;
            if (!tokenAt(prev).isSymbol(",") && !tokenAt(prev).isSymbol("("))
                insertBefore(j, QStringLiteral(", "));
        }
    }
    trailingOptions(close + 1);
}

void Rewriter::createIndex()
{
    int j = 1;
    if (tokenAt(j).isWord("UNIQUE"))
        ++j;
    if (tokenAt(j).isWord("CLUSTERED") || tokenAt(j).isWord("NONCLUSTERED"))
        removeToken(j);
    const int close = closingParenthesis(nextSymbol(j, "("));
    if (close >= 0)
        trailingOptions(close + 1);
}

void Rewriter::trailingOptions(int fromSig)
{
    for (int j = fromSig; j < significantCount(); ++j) {
        if ((tokenAt(j).isWord("ON") || tokenAt(j).isWord("TEXTIMAGE_ON")) && tokenAt(j + 1).isName()) {
            removeTokens(j, j + 1);
            ++j;
        } else if ((tokenAt(j).isWord("WITH") || tokenAt(j).isWord("INCLUDE")) && tokenAt(j + 1).isSymbol("(")) {
            const int close = closingParenthesis(j + 1);
            if (close < 0)
                return;
            removeTokens(j, close);
            j = close;
        }
    }
}

} // namespace tsql::rewrite
