// The structure of a statement's tokens: operands, arguments, column references and their types.
#include "tsql_rewrite_p.h"

namespace tsql::rewrite {

int Rewriter::closingParenthesis(int openSig) const
{
    int depth = 0;
    for (int j = openSig; j < significantCount(); ++j) {
        if (tokenAt(j).isSymbol("("))
            ++depth;
        else if (tokenAt(j).isSymbol(")") && --depth == 0)
            return j;
    }
    return -1;
}

QString Rewriter::renderRaw(int firstRaw, int lastRaw) const
{
    // Blanks that only separated removed tokens are dropped, so no double blanks are left.
    QString r;
    bool afterRemoved = false;
    for (int i = firstRaw; i <= lastRaw; ++i) {
        const Token& token = m_tokens[i];
        const Edit& edit = m_edits[i];
        r += edit.before;
        if (edit.removed) {
            afterRemoved = true;
        } else if (token.kind == TokenKind::Space && afterRemoved && !edit.replacement
                   && (r.isEmpty() || r.back().isSpace())) {
            // skipped
        } else {
            r += edit.replacement ? *edit.replacement : renderDefault(token);
            if (token.kind != TokenKind::Space)
                afterRemoved = false;
        }
        r += edit.after;
    }
    return r;
}

int Rewriter::nextSymbol(int fromSig, const char* symbol) const
{
    int j = fromSig;
    while (hasTokenAt(j) && !tokenAt(j).isSymbol(symbol))
        ++j;
    return j;
}

// The far end of the operand that runs from the operator towards step (-1: left, 1: right), up
// to a boundary or an unmatched parenthesis.
int Rewriter::operandEnd(int operatorSig, int step) const
{
    const char* const inward = step > 0 ? "(" : ")";
    const char* const outward = step > 0 ? ")" : "(";
    int depth = 0, j = operatorSig + step;
    for (; hasTokenAt(j); j += step) {
        const Token& x = tokenAt(j);
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

SigRange Rewriter::leftOperand(int operatorSig) const { return {operandEnd(operatorSig, -1), operatorSig - 1}; }

SigRange Rewriter::rightOperand(int operatorSig) const { return {operatorSig + 1, operandEnd(operatorSig, 1)}; }

bool Rewriter::isBoundary(const Token& token)
{
    return token.isSymbol(",") || token.isSymbol(";") || isComparison(token) || token.isWordIn(boundaryWords());
}

std::vector<SigRange> Rewriter::listItems(int firstSig, int lastSig, bool atSemicolons) const
{
    std::vector<SigRange> items;
    int depth = 0, start = firstSig;
    for (int j = firstSig; j <= lastSig; ++j) {
        const Token& x = tokenAt(j);
        if (x.isSymbol("("))
            ++depth;
        else if (x.isSymbol(")"))
            --depth;
        else if (depth == 0 && (x.isSymbol(",") || (atSemicolons && x.isSymbol(";")))) {
            items.push_back({start, j - 1});
            start = j + 1;
        }
    }
    items.push_back({start, lastSig});
    return items;
}

std::vector<SigRange> Rewriter::arguments(int openSig) const
{
    const int close = closingParenthesis(openSig);
    if (close <= openSig + 1)
        return {};
    return listItems(openSig + 1, close - 1, false);
}

bool Rewriter::isColumnRef(int firstSig, int lastSig, QString* qualifier, QString* column) const
{
    const Token& first = tokenAt(firstSig);
    if (firstSig == lastSig && first.isName() && !first.isWordIn(boundaryWords())) {
        *qualifier = QString();
        *column = first.value;
        return true;
    }
    if (lastSig == firstSig + 2 && first.isName() && tokenAt(firstSig + 1).isSymbol(".") && tokenAt(lastSig).isName()) {
        *qualifier = first.value;
        *column = tokenAt(lastSig).value;
        return true;
    }
    return false;
}

bool Rewriter::isExpression(int firstSig, int lastSig) const
{
    if (firstSig >= lastSig)
        return false;
    for (int j = firstSig; j <= lastSig; ++j) {
        if (isArithmetic(tokenAt(j)))
            return true;
    }
    return false;
}

const CatalogData& Rewriter::catalog()
{
    static const CatalogData empty;
    return m_catalogGetter && *m_catalogGetter ? (*m_catalogGetter)() : empty;
}

// The tables the statement names (a name that is a table of the catalogue, not part of a dotted
// name or a call) and the aliases given to them.
void Rewriter::buildScope()
{
    if (m_scopeBuilt)
        return;
    m_scopeBuilt = true;
    static const QSet<QString> notAlias =
        boundaryWords() + wordSet({"OFFSET", "FETCH", "WHERE", "LEFT", "RIGHT", "INNER", "OUTER", "FULL", "CROSS"});
    const CatalogData& c = catalog();
    for (int k = 0; k < significantCount(); ++k) {
        const Token& x = tokenAt(k);
        if (!x.isName() || tokenAt(k - 1).isSymbol(".") || tokenAt(k + 1).isSymbol(".") || tokenAt(k + 1).isSymbol("("))
            continue;
        if (!c.table(x.value))
            continue;
        const QString table = x.value.toLower();
        if (!m_scopeTables.contains(table))
            m_scopeTables.append(table);
        int alias = k + 1;
        if (tokenAt(alias).isWord("AS"))
            ++alias;
        const Token& a = tokenAt(alias);
        if (a.isName() && !a.isWordIn(notAlias) && !tokenAt(alias + 1).isSymbol(".")
            && !tokenAt(alias + 1).isSymbol("("))
            m_aliases.insert(a.value.toLower(), table);
    }
}

QString Rewriter::columnType(const QString& qualifier, const QString& column)
{
    buildScope();
    const CatalogData& c = catalog();
    if (!qualifier.isEmpty())
        return c.columnType(m_aliases.value(qualifier.toLower(), qualifier), column);
    for (const QString& table : m_scopeTables) {
        const QString type = c.columnType(table, column);
        if (!type.isEmpty())
            return type;
    }
    return QString();
}

QString Rewriter::typeOf(int firstSig, int lastSig)
{
    QString qualifier, column;
    if (firstSig > lastSig)
        return QString();
    if (isColumnRef(firstSig, lastSig, &qualifier, &column))
        return columnType(qualifier, column);
    if (tokenAt(firstSig).isSymbol("(") && closingParenthesis(firstSig) == lastSig)
        return typeOf(firstSig + 1, lastSig - 1);
    static const QSet<QString> passThrough = wordSet({"ISNULL", "IFNULL", "COALESCE", "MAX", "MIN"});
    if (tokenAt(firstSig).isWordIn(passThrough) && tokenAt(firstSig + 1).isSymbol("(")
        && closingParenthesis(firstSig + 1) == lastSig) {
        const auto args = arguments(firstSig + 1);
        if (!args.empty())
            return typeOf(args.front().first, args.front().last);
    }
    return QString();
}

} // namespace tsql::rewrite
