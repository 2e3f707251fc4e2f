#pragma once
// Inside the T-SQL translation: a statement's tokens edited in place (a token replaced,
// removed, or given text before or after it) and rendered again. Only tsql_rewrite*.cpp
// and tsql_rewriter.cpp include this.
#include "tsql_rewriter.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace tsql::rewrite {

bool isNumericText(const QString& s);
const QSet<QString>& boundaryWords();
bool isComparison(const Token& t);
bool isArithmetic(const Token& t);
QString renderDefault(const Token& t);
QString sysView(const QString& lowerName);
QString objectNameOf(const QString& arg);
std::vector<Token> withoutDbo(const std::vector<Token>& in);

class Rewriter {
public:
    Rewriter(const std::vector<Token>& tokens, const CatalogGetter* catalog)
        : t(withoutDbo(tokens)), out(t.size()), prefix(t.size()), suffix(t.size()), gone(t.size(), false), cat(catalog)
    {
        for (int i = 0; i < static_cast<int>(t.size()); ++i) {
            if (t[i].isSignificant())
                s.push_back(i);
        }
    }

    int n() const { return static_cast<int>(s.size()); }
    bool has(int k) const { return k >= 0 && k < n(); }
    const Token& T(int k) const
    {
        static const Token none;
        return has(k) ? t[s[k]] : none;
    }
    void set(int k, const QString& x) { out[s[k]] = x; }
    void remove(int k) { gone[s[k]] = true; }
    void removeRange(int a, int b)
    {
        for (int k = a; k <= b; ++k)
            remove(k);
    }
    void append(int k, const QString& x) { suffix[s[k]] += x; }
    void prepend(int k, const QString& x) { prefix[s[k]] += x; }

    int matching(int k) const;

    QString renderTokens(int from, int to) const; // raw token indexes, inclusive
    QString render() const { return t.empty() ? QString() : renderTokens(0, static_cast<int>(t.size()) - 1).trimmed(); }
    QString render(int a, int b) const { return a > b ? QString() : renderTokens(s[a], s[b]).trimmed(); }

    // ---- structure helpers
    std::pair<int, int> leftOperand(int k) const;
    std::pair<int, int> rightOperand(int k) const;
    int operandEnd(int k, int step) const;
    static bool isBoundary(const Token& x);
    // The ranges of [from, to] between top-level commas (and semicolons), empty ones included.
    std::vector<std::pair<int, int>> listItems(int from, int to, bool atSemicolons) const;
    // Argument ranges of the parenthesis at k (split at top-level commas).
    std::vector<std::pair<int, int>> arguments(int k) const;
    // The first position from `from` on that holds the symbol; n() when none does.
    int nextSymbol(int from, const char* symbol) const;
    bool isColumnRef(int a, int b, QString* qual, QString* col) const;
    bool isExpression(int a, int b) const;

    // ---- column types
    const CatalogData& catalog();
    void buildScope();
    QString columnType(const QString& qual, const QString& col);
    // Declared type of an operand: a column, or ISNULL/COALESCE/MAX/MIN over one.
    QString typeOf(int a, int b);

    // ---- passes
    void general();

    void objectId(int k);

    // ISNULL(a, b) is IFNULL on SQLite; over a date column the replacement takes the date
    // type as SQL Server does: 0 is 1900-01-01 00:00:00, n is n days after it.
    void isnull(int k);

    void top();

    // A quoted literal compared with something else: a number compared with an arithmetic
    // expression loses its quotes (SQL Server converts the text to a number; SQLite would
    // compare number < text); a date compared with a date column is written as stored.
    void literalAgainst(int lit, int a, int b);

    void comparisons();

    void insertValues();

    // CREATE TABLE as SQL Server writes it: bracketed names and types, CLUSTERED, WITH (...)
    // index options, ON [filegroup], a CONSTRAINT without a comma before it, IDENTITY.
    void createTable();

    void createIndex();

    void trailingOptions(int from);

    std::vector<Token> t;
    std::vector<int> s;
    std::vector<std::optional<QString>> out;
    std::vector<QString> prefix, suffix;
    std::vector<bool> gone;
    const CatalogGetter* cat;
    bool scopeBuilt = false;
    QStringList scopeTables;
    QHash<QString, QString> aliases;
};

} // namespace tsql::rewrite
