// The rewriting passes over one statement: T-SQL functions, TOP, date comparisons, INSERT
// values, CREATE TABLE and CREATE INDEX options.
#include "tsql_rewrite_p.h"

#include <QDateTime>

namespace tsql::rewrite {

void Rewriter::general()
{
    for (int k = 0; k < n(); ++k) {
        const Token& x = T(k);
        if (x.isName() && x.value.compare(QLatin1String("sys"), Qt::CaseInsensitive) == 0 && T(k + 1).isSymbol(".")
            && T(k + 2).isName() && !T(k - 1).isSymbol(".")) {
            const QString view = sysView(T(k + 2).value.toLower());
            if (!view.isEmpty()) {
                const Token& after = T(k + 3);
                const bool aliased = after.isWord("AS")
                    || (after.isName() && !after.isWordIn(boundaryWords()) && !after.isWord("WHERE")
                        && !after.isWord("LEFT") && !after.isWord("INNER"));
                set(k, view + (aliased ? QString() : QStringLiteral(" AS ") + sqliteIdentifier(T(k + 2).value)));
                remove(k + 1);
                remove(k + 2);
                k += 2;
                continue;
            }
        }
        if (x.kind == TokenKind::Word && T(k + 1).isSymbol("(")) {
            const QString name = x.text.toUpper();
            if (name == u"OBJECT_ID")
                objectId(k);
            else if (name == u"ISNULL")
                isnull(k);
            else if (name == u"GETDATE" && T(k + 2).isSymbol(")")) {
                set(k, QStringLiteral("datetime('now', 'localtime')"));
                remove(k + 1);
                remove(k + 2);
            } else if (name == u"LEN")
                set(k, QStringLiteral("length"));
        }
    }
    top();
    comparisons();
    insertValues();
}

void Rewriter::objectId(int k)
{
    const auto args = arguments(k + 1);
    if (args.empty() || args[0].first != args[0].second || T(args[0].first).kind != TokenKind::String)
        return;
    const QString name = objectNameOf(T(args[0].first).value);
    QString types = QStringLiteral("'table', 'view'");
    if (args.size() > 1 && T(args[1].first).kind == TokenKind::String) {
        const QString kind = T(args[1].first).value.trimmed().toUpper();
        if (kind == u"U")
            types = QStringLiteral("'table'");
        else if (kind == u"V")
            types = QStringLiteral("'view'");
    }
    set(k,
        QStringLiteral("(SELECT rowid FROM sqlite_schema WHERE type IN (") + types + QStringLiteral(") AND name = ")
            + quoteString(name) + QStringLiteral(" COLLATE NOCASE)"));
    removeRange(k + 1, matching(k + 1));
}

void Rewriter::isnull(int k)
{
    set(k, QStringLiteral("ifnull"));
    const auto args = arguments(k + 1);
    if (args.size() != 2 || args[1].first != args[1].second)
        return;
    const Token& b = T(args[1].first);
    const bool number = b.kind == TokenKind::Number && isNumericText(b.text);
    const bool dateText = b.kind == TokenKind::String && normalizeDateLiteral(b.value).has_value();
    if (!number && !dateText)
        return;
    if (!isDateType(typeOf(args[0].first, args[0].second)))
        return;
    QString value;
    if (number) {
        const QDateTime base(QDate(1900, 1, 1), QTime(0, 0));
        const double days = b.text.toDouble();
        value = base.addMSecs(static_cast<qint64>(days * 86400000.0)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    } else {
        value = *normalizeDateLiteral(b.value);
    }
    set(args[1].first, quoteString(value));
}

void Rewriter::top()
{
    for (int k = 0; k < n(); ++k) {
        if (!T(k).isWord("SELECT"))
            continue;
        int j = k + 1;
        if (T(j).isWord("DISTINCT") || T(j).isWord("ALL"))
            ++j;
        if (!T(j).isWord("TOP"))
            continue;
        QString count;
        int after = 0;
        if (T(j + 1).kind == TokenKind::Number) {
            count = T(j + 1).text;
            after = j + 2;
        } else if (T(j + 1).isSymbol("(") && T(j + 2).kind == TokenKind::Number && T(j + 3).isSymbol(")")) {
            count = T(j + 2).text;
            after = j + 4;
        } else {
            continue;
        }
        if (T(after).isWord("PERCENT") || (T(after).isWord("WITH") && T(after + 1).isWord("TIES")))
            continue; // no SQLite form; left for SQLite to reject
        removeRange(j, after - 1);
        int e = k + 1, depth = 0;
        for (; e < n(); ++e) {
            if (T(e).isSymbol("("))
                ++depth;
            else if (T(e).isSymbol(")")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && T(e).isSymbol(";"))
                break;
        }
        append(e - 1, QStringLiteral(" LIMIT ") + count);
    }
}

void Rewriter::literalAgainst(int lit, int a, int b)
{
    const Token& l = T(lit);
    if (l.kind != TokenKind::String)
        return;
    if (isNumericText(l.value) && isExpression(a, b)) {
        set(lit, l.value.trimmed());
        return;
    }
    if (const auto d = normalizeDateLiteral(l.value)) {
        if (isDateType(typeOf(a, b)))
            set(lit, quoteString(*d));
    }
}

void Rewriter::comparisons()
{
    for (int k = 0; k < n(); ++k) {
        if (isComparison(T(k))) {
            const auto [la, lb] = leftOperand(k);
            const auto [ra, rb] = rightOperand(k);
            if (la > lb || ra > rb)
                continue;
            if (ra == rb)
                literalAgainst(ra, la, lb);
            if (la == lb)
                literalAgainst(la, ra, rb);
        } else if (T(k).isWord("BETWEEN") && T(k + 2).isWord("AND")) {
            int a = leftOperand(k).first;
            if (T(k - 1).isWord("NOT"))
                a = leftOperand(k - 1).first;
            const int b = T(k - 1).isWord("NOT") ? k - 2 : k - 1;
            if (a > b)
                continue;
            literalAgainst(k + 1, a, b);
            if (has(k + 3))
                literalAgainst(k + 3, a, b);
        }
    }
}

void Rewriter::insertValues()
{
    if (!T(0).isWord("INSERT"))
        return;
    int j = 1;
    if (T(j).isWord("INTO"))
        ++j;
    if (!T(j).isName())
        return;
    const QString table = T(j).value;
    ++j;
    QStringList columns;
    bool listed = false;
    if (T(j).isSymbol("(")) {
        const int close = matching(j);
        if (close < 0)
            return;
        for (const auto& [a, b] : arguments(j)) {
            if (a == b && T(a).isName())
                columns << T(a).value;
            else
                return;
        }
        listed = true;
        j = close + 1;
    }
    if (!T(j).isWord("VALUES"))
        return;
    ++j;
    bool catalogRead = false;
    while (T(j).isSymbol("(")) {
        const int close = matching(j);
        if (close < 0)
            return;
        const auto args = arguments(j);
        for (size_t i = 0; i < args.size(); ++i) {
            const auto [a, b] = args[i];
            if (a != b || T(a).kind != TokenKind::String)
                continue;
            const auto d = normalizeDateLiteral(T(a).value);
            if (!d)
                continue;
            if (!listed && !catalogRead) {
                catalogRead = true;
                if (const auto* cols = catalog().table(table)) {
                    for (const auto& c : *cols)
                        columns << c.name;
                }
            }
            if (i < static_cast<size_t>(columns.size())
                && isDateType(catalog().columnType(table, columns[static_cast<int>(i)])))
                set(a, quoteString(*d));
        }
        j = close + 1;
        if (!T(j).isSymbol(","))
            break;
        ++j;
    }
}

void Rewriter::createTable()
{
    const int p = nextSymbol(2, "(");
    const int q = matching(p);
    if (q < 0)
        return;
    int depth = 0;
    for (int j = p + 1; j < q; ++j) {
        const Token& x = T(j);
        if (x.isSymbol("(")) {
            ++depth;
        } else if (x.isSymbol(")")) {
            --depth;
        } else if (x.isWord("CLUSTERED") || x.isWord("NONCLUSTERED")) {
            remove(j);
        } else if (x.isWord("WITH") && T(j + 1).isSymbol("(")) {
            const int m = matching(j + 1);
            if (m < 0 || m >= q)
                continue;
            removeRange(j, m);
            j = m;
        } else if (x.isWord("ON") && T(j - 1).isSymbol(")") && T(j + 1).isName() && !T(j + 1).isWord("DELETE")
                   && !T(j + 1).isWord("UPDATE") && !T(j + 1).isWord("CONFLICT")) {
            removeRange(j, j + 1);
            ++j;
        } else if (x.isWord("IDENTITY")) {
            remove(j);
            if (T(j + 1).isSymbol("(")) {
                const int m = matching(j + 1);
                removeRange(j + 1, m);
                j = m;
            }
        } else if (depth == 0 && x.isWord("CONSTRAINT")) {
            int prev = j - 1;
            while (prev > p && gone[s[prev]])
                --prev;
            if (!T(prev).isSymbol(",") && !T(prev).isSymbol("("))
                prepend(j, QStringLiteral(", "));
        }
    }
    trailingOptions(q + 1);
}

void Rewriter::createIndex()
{
    int j = 1;
    if (T(j).isWord("UNIQUE"))
        ++j;
    if (T(j).isWord("CLUSTERED") || T(j).isWord("NONCLUSTERED"))
        remove(j);
    const int q = matching(nextSymbol(j, "("));
    if (q >= 0)
        trailingOptions(q + 1);
}

void Rewriter::trailingOptions(int from)
{
    for (int j = from; j < n(); ++j) {
        if ((T(j).isWord("ON") || T(j).isWord("TEXTIMAGE_ON")) && T(j + 1).isName()) {
            removeRange(j, j + 1);
            ++j;
        } else if ((T(j).isWord("WITH") || T(j).isWord("INCLUDE")) && T(j + 1).isSymbol("(")) {
            const int m = matching(j + 1);
            if (m < 0)
                return;
            removeRange(j, m);
            j = m;
        }
    }
}

} // namespace tsql::rewrite
