// The structure of a statement's tokens: operands, arguments, column references and their types.
#include "tsql_rewrite_p.h"

namespace tsql::rewrite {

int Rewriter::matching(int k) const
{
    int depth = 0;
    for (int j = k; j < n(); ++j) {
        if (T(j).isSymbol("("))
            ++depth;
        else if (T(j).isSymbol(")") && --depth == 0)
            return j;
    }
    return -1;
}

QString Rewriter::renderTokens(int from, int to) const
{
    // Blanks that only separated removed tokens are dropped, so no double blanks are left.
    QString r;
    bool afterRemoved = false;
    for (int i = from; i <= to; ++i) {
        r += prefix[i];
        if (gone[i]) {
            afterRemoved = true;
        } else if (t[i].kind == TokenKind::Space && afterRemoved && !out[i] && (r.isEmpty() || r.back().isSpace())) {
            // skipped
        } else {
            r += out[i] ? *out[i] : renderDefault(t[i]);
            if (t[i].kind != TokenKind::Space)
                afterRemoved = false;
        }
        r += suffix[i];
    }
    return r;
}

// The operand that runs from k + step towards step (-1: left, 1: right) up to a boundary or an
// unmatched parenthesis: its far end.
int Rewriter::operandEnd(int k, int step) const
{
    const char* const inward = step > 0 ? "(" : ")";
    const char* const outward = step > 0 ? ")" : "(";
    int depth = 0, j = k + step;
    for (; has(j); j += step) {
        const Token& x = T(j);
        if (x.isSymbol(inward)) {
            ++depth;
        } else if (x.isSymbol(outward)) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0 && isBoundary(x)) {
            break;
        }
    }
    return j - step;
}

std::pair<int, int> Rewriter::leftOperand(int k) const { return {operandEnd(k, -1), k - 1}; }

std::pair<int, int> Rewriter::rightOperand(int k) const { return {k + 1, operandEnd(k, 1)}; }

bool Rewriter::isBoundary(const Token& x)
{
    return x.isSymbol(",") || x.isSymbol(";") || isComparison(x) || x.isWordIn(boundaryWords());
}

std::vector<std::pair<int, int>> Rewriter::listItems(int from, int to, bool atSemicolons) const
{
    std::vector<std::pair<int, int>> r;
    int depth = 0, start = from;
    for (int j = from; j <= to; ++j) {
        if (T(j).isSymbol("("))
            ++depth;
        else if (T(j).isSymbol(")"))
            --depth;
        else if (depth == 0 && (T(j).isSymbol(",") || (atSemicolons && T(j).isSymbol(";")))) {
            r.emplace_back(start, j - 1);
            start = j + 1;
        }
    }
    r.emplace_back(start, to);
    return r;
}

std::vector<std::pair<int, int>> Rewriter::arguments(int k) const
{
    const int close = matching(k);
    if (close <= k + 1)
        return {};
    return listItems(k + 1, close - 1, false);
}

int Rewriter::nextSymbol(int from, const char* symbol) const
{
    int j = from;
    while (has(j) && !T(j).isSymbol(symbol))
        ++j;
    return j;
}

bool Rewriter::isColumnRef(int a, int b, QString* qual, QString* col) const
{
    if (a == b && T(a).isName() && !T(a).isWordIn(boundaryWords())) {
        *qual = QString();
        *col = T(a).value;
        return true;
    }
    if (b == a + 2 && T(a).isName() && T(a + 1).isSymbol(".") && T(b).isName()) {
        *qual = T(a).value;
        *col = T(b).value;
        return true;
    }
    return false;
}

bool Rewriter::isExpression(int a, int b) const
{
    if (a >= b)
        return false;
    for (int j = a; j <= b; ++j) {
        if (isArithmetic(T(j)))
            return true;
    }
    return false;
}

const CatalogData& Rewriter::catalog()
{
    static const CatalogData empty;
    return cat && *cat ? (*cat)() : empty;
}

void Rewriter::buildScope()
{
    if (scopeBuilt)
        return;
    scopeBuilt = true;
    static const QSet<QString> notAlias =
        boundaryWords() + wordSet({"OFFSET", "FETCH", "WHERE", "LEFT", "RIGHT", "INNER", "OUTER", "FULL", "CROSS"});
    const CatalogData& c = catalog();
    for (int k = 0; k < n(); ++k) {
        const Token& x = T(k);
        if (!x.isName() || T(k - 1).isSymbol(".") || T(k + 1).isSymbol(".") || T(k + 1).isSymbol("("))
            continue;
        if (!c.table(x.value))
            continue;
        const QString table = x.value.toLower();
        if (!scopeTables.contains(table))
            scopeTables.append(table);
        int j = k + 1;
        if (T(j).isWord("AS"))
            ++j;
        if (T(j).isName() && !T(j).isWordIn(notAlias) && !T(j + 1).isSymbol(".") && !T(j + 1).isSymbol("("))
            aliases.insert(T(j).value.toLower(), table);
    }
}

QString Rewriter::columnType(const QString& qual, const QString& col)
{
    buildScope();
    const CatalogData& c = catalog();
    if (!qual.isEmpty())
        return c.columnType(aliases.value(qual.toLower(), qual), col);
    for (const QString& table : scopeTables) {
        const QString type = c.columnType(table, col);
        if (!type.isEmpty())
            return type;
    }
    return QString();
}

QString Rewriter::typeOf(int a, int b)
{
    QString qual, col;
    if (a > b)
        return QString();
    if (isColumnRef(a, b, &qual, &col))
        return columnType(qual, col);
    if (T(a).isSymbol("(") && matching(a) == b)
        return typeOf(a + 1, b - 1);
    static const QSet<QString> passThrough = wordSet({"ISNULL", "IFNULL", "COALESCE", "MAX", "MIN"});
    if (T(a).isWordIn(passThrough) && T(a + 1).isSymbol("(") && matching(a + 1) == b) {
        const auto args = arguments(a + 1);
        if (!args.empty())
            return typeOf(args.front().first, args.front().second);
    }
    return QString();
}

} // namespace tsql::rewrite
