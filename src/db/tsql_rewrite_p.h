#pragma once
// Inside the T-SQL translation: a statement's tokens edited in place (a token replaced,
// removed, or given text before or after it) and rendered again. Only tsql_rewrite*.cpp
// and tsql_rewriter.cpp include this.
#include "tsql_rewriter.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>
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

// Significant positions [first, last], both included; empty when first > last.
struct SigRange {
    int first = 0;
    int last = -1;
};

// A statement's tokens with their edits. Two kinds of index: a significant position ("sig")
// counts only the tokens that are neither blank nor comment, and is what the passes work with;
// a raw index counts every token and appears only where a name says "Raw".
class Rewriter {
public:
    Rewriter(const std::vector<Token>& tokens, const CatalogGetter* catalog)
        : m_tokens(withoutDbo(tokens)), m_rawIndexOf(rawIndexesOfSignificant(m_tokens)), m_edits(m_tokens.size()),
          m_catalogGetter(catalog)
    { }

    int significantCount() const { return static_cast<int>(m_rawIndexOf.size()); }
    bool hasTokenAt(int sig) const { return sig >= 0 && sig < significantCount(); }
    // The token at a significant position; an empty Space token outside them.
    const Token& tokenAt(int sig) const
    {
        static const Token none;
        return hasTokenAt(sig) ? m_tokens[m_rawIndexOf[sig]] : none;
    }

    // ---- edits, by significant position
    void replaceToken(int sig, const QString& text) { m_edits[m_rawIndexOf[sig]].replacement = text; }
    void removeToken(int sig) { m_edits[m_rawIndexOf[sig]].removed = true; }
    void removeTokens(int firstSig, int lastSig)
    {
        for (int sig = firstSig; sig <= lastSig; ++sig)
            removeToken(sig);
    }
    bool isRemoved(int sig) const { return m_edits[m_rawIndexOf[sig]].removed; }
    void appendAfter(int sig, const QString& text) { m_edits[m_rawIndexOf[sig]].after += text; }
    void insertBefore(int sig, const QString& text) { m_edits[m_rawIndexOf[sig]].before += text; }

    // ---- the edited text
    QString render() const
    {
        return m_tokens.empty() ? QString() : renderRaw(0, static_cast<int>(m_tokens.size()) - 1).trimmed();
    }
    QString renderRange(int firstSig, int lastSig) const
    {
        return firstSig > lastSig ? QString() : renderRaw(m_rawIndexOf[firstSig], m_rawIndexOf[lastSig]).trimmed();
    }
    QString renderRaw(int firstRaw, int lastRaw) const;

    // ---- structure, by significant position
    // The ")" that closes the "(" at openSig; -1 when none does.
    int closingParenthesis(int openSig) const;
    // The first position from fromSig on that holds the symbol; significantCount() when none does.
    int nextSymbol(int fromSig, const char* symbol) const;
    SigRange leftOperand(int operatorSig) const;
    SigRange rightOperand(int operatorSig) const;
    static bool isBoundary(const Token& token);
    // The ranges between top-level commas (and, when asked, semicolons), empty ones included.
    std::vector<SigRange> listItems(int firstSig, int lastSig, bool atSemicolons) const;
    // The arguments of the parenthesis at openSig.
    std::vector<SigRange> arguments(int openSig) const;
    bool isColumnRef(int firstSig, int lastSig, QString* qualifier, QString* column) const;
    bool isExpression(int firstSig, int lastSig) const;

    // ---- column types
    const CatalogData& catalog();
    void buildScope();
    QString columnType(const QString& qualifier, const QString& column);
    // Declared type of an operand: a column, or ISNULL/COALESCE/MAX/MIN over one.
    QString typeOf(int firstSig, int lastSig);

    // ---- passes
    // What every statement gets: T-SQL functions and catalogue views, TOP, literals in
    // comparisons, INSERT values.
    void commonPasses();

    void objectId(int nameSig);

    // ISNULL(a, b) is IFNULL on SQLite; over a date column the replacement takes the date
    // type as SQL Server does: 0 is 1900-01-01 00:00:00, n is n days after it.
    void isnull(int nameSig);

    void top();

    // A quoted literal compared with something else: a number compared with an arithmetic
    // expression loses its quotes (SQL Server converts the text to a number; SQLite would
    // compare number < text); a date compared with a date column is written as stored.
    void literalAgainst(int literalSig, int firstSig, int lastSig);

    void comparisons();

    void insertValues();

    // CREATE TABLE as SQL Server writes it: bracketed names and types, CLUSTERED, WITH (...)
    // index options, ON [filegroup], a CONSTRAINT without a comma before it, IDENTITY.
    void createTable();

    void createIndex();

    void trailingOptions(int fromSig);

private:
    int operandEnd(int operatorSig, int step) const;
    std::optional<QStringList> namedColumns(int openSig) const;
    void writeDateValues(const QString& table, const std::vector<SigRange>& values,
                         std::optional<QStringList>& columns);

    // What the passes did to one token.
    struct Edit {
        std::optional<QString> replacement;
        QString before, after;
        bool removed = false;
    };

    std::vector<Token> m_tokens;   // by raw index
    std::vector<int> m_rawIndexOf; // by significant position
    std::vector<Edit> m_edits;     // by raw index
    const CatalogGetter* m_catalogGetter;
    bool m_scopeBuilt = false;
    QStringList m_scopeTables;
    QHash<QString, QString> m_aliases;
};

} // namespace tsql::rewrite
