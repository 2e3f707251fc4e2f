// Batches of T-SQL: GO lines, statements without semicolons, IF ... BEGIN ... END blocks.
#include "tsql_rewriter.h"

namespace tsql {

bool isTranWord(const Token& t)
{
    return t.isWord("TRAN") || t.isWord("TRANSACTION") || t.isWord("TRY") || t.isWord("CATCH")
        || t.isWord("DISTRIBUTED");
}

namespace {

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : m_tokens(tokens), m_rawIndexOf(rawIndexesOfSignificant(tokens))
    { }

    std::vector<Statement> parseList(bool untilEnd)
    {
        std::vector<Statement> r;
        while (true) {
            m_next = afterSemicolons(m_next);
            if (m_next >= significantCount()) {
                if (untilEnd)
                    fail(QStringLiteral("Incorrect syntax: BEGIN without END."));
                return r;
            }
            if (tokenAt(m_next).isWord("END")) {
                ++m_next;
                if (untilEnd)
                    return r;
                fail(QStringLiteral("Incorrect syntax near the keyword 'END'."));
                continue;
            }
            if (tokenAt(m_next).isWord("BEGIN") && !isTranWord(tokenAt(m_next + 1))) {
                ++m_next;
                for (Statement& st : parseList(true))
                    r.push_back(std::move(st));
                continue;
            }
            if (tokenAt(m_next).isWord("ELSE")) {
                fail(QStringLiteral("Incorrect syntax near the keyword 'ELSE'."));
                ++m_next;
                continue;
            }
            r.push_back(parseOne());
        }
    }

    QString error;

private:
    // Positions are significant positions: blanks and comments are not counted.
    int significantCount() const { return static_cast<int>(m_rawIndexOf.size()); }
    const Token& tokenAt(int sig) const
    {
        static const Token none;
        return sig >= 0 && sig < significantCount() ? m_tokens[m_rawIndexOf[sig]] : none;
    }
    int afterSemicolons(int sig) const
    {
        while (sig < significantCount() && tokenAt(sig).isSymbol(";"))
            ++sig;
        return sig;
    }
    void fail(const QString& e)
    {
        if (error.isEmpty())
            error = e;
    }
    // The tokens from firstSig up to endSig (excluded), with the blanks and comments between them.
    std::vector<Token> tokensBetween(int firstSig, int endSig) const
    {
        if (firstSig >= endSig)
            return {};
        return std::vector<Token>(m_tokens.begin() + m_rawIndexOf[firstSig],
                                  m_tokens.begin() + m_rawIndexOf[endSig - 1] + 1);
    }

    bool startsStatement(int j) const
    {
        static const QSet<QString> starters = wordSet({"CREATE", "ALTER", "DROP", "INSERT", "UPDATE", "DELETE", "IF",
                                                       "DECLARE", "PRINT", "TRUNCATE", "BEGIN", "COMMIT", "ROLLBACK"});
        const Token& x = tokenAt(j);
        if (!x.isWordIn(starters))
            return false;
        const Token& prev = tokenAt(j - 1);
        const Token& next = tokenAt(j + 1);
        if (prev.isWord("ON") || prev.isWord("OR"))
            return false;
        if (x.isWord("IF")) {
            static const QSet<QString> objects =
                wordSet({"TABLE", "VIEW", "INDEX", "TRIGGER", "PROCEDURE", "PROC", "FUNCTION", "SCHEMA", "DATABASE"});
            if (prev.isWordIn(objects))
                return false;
        }
        if ((x.isWord("ALTER") || x.isWord("DROP")) && (next.isWord("COLUMN") || next.isWord("CONSTRAINT")))
            return false;
        if ((x.isWord("INSERT") || x.isWord("UPDATE") || x.isWord("DELETE"))
            && (prev.isWord("OF") || prev.isWord("FOR") || prev.isWord("AFTER") || prev.isSymbol(",")))
            return false;
        return true;
    }

    Statement parseOne() { return tokenAt(m_next).isWord("IF") ? parseIf() : parsePlain(); }

    // IF <condition> <statement or block> [ELSE <statement or block>]
    Statement parseIf()
    {
        Statement st;
        st.kind = Statement::Kind::If;
        const int start = ++m_next;
        int depth = 0;
        while (m_next < significantCount()) {
            const Token& x = tokenAt(m_next);
            if (x.isSymbol("("))
                ++depth;
            else if (x.isSymbol(")"))
                --depth;
            else if (depth <= 0 && m_next > start
                     && (x.isSymbol(";") || (x.isWord("BEGIN")) || startsStatement(m_next) || x.isWord("SELECT")))
                break;
            ++m_next;
        }
        st.tokens = tokensBetween(start, m_next);
        if (st.tokens.empty())
            fail(QStringLiteral("Incorrect syntax near the keyword 'IF'."));
        st.thenBody = parseBody();
        const int look = afterSemicolons(m_next);
        if (tokenAt(look).isWord("ELSE")) {
            m_next = look + 1;
            st.elseBody = parseBody();
        }
        return st;
    }

    // A statement ends at ";", at END or ELSE outside a CASE, or where the next one starts.
    Statement parsePlain()
    {
        const int start = m_next;
        int depth = 0, caseDepth = 0;
        while (m_next < significantCount()) {
            const Token& x = tokenAt(m_next);
            if (m_next > start && depth <= 0 && caseDepth == 0
                && (x.isSymbol(";") || x.isWord("END") || x.isWord("ELSE") || startsStatement(m_next)))
                break;
            if (x.isSymbol("("))
                ++depth;
            else if (x.isSymbol(")"))
                --depth;
            else if (x.isWord("CASE"))
                ++caseDepth;
            else if (x.isWord("END") && caseDepth > 0)
                --caseDepth;
            ++m_next;
        }
        Statement st;
        st.tokens = tokensBetween(start, m_next);
        return st;
    }

    std::vector<Statement> parseBody()
    {
        m_next = afterSemicolons(m_next);
        if (m_next >= significantCount()) {
            fail(QStringLiteral("Incorrect syntax: a statement is missing after IF or ELSE."));
            return {};
        }
        if (tokenAt(m_next).isWord("BEGIN") && !isTranWord(tokenAt(m_next + 1))) {
            ++m_next;
            return parseList(true);
        }
        std::vector<Statement> one;
        one.push_back(parseOne());
        return one;
    }

    const std::vector<Token>& m_tokens;
    std::vector<int> m_rawIndexOf; // by significant position
    int m_next = 0;                // the significant position to parse next
};

} // namespace

std::vector<std::vector<Token>> splitGoBatches(const std::vector<Token>& tokens)
{
    std::vector<std::vector<Token>> batches(1);
    auto lineBreak = [](const Token& t) {
        return t.kind == TokenKind::Space && (t.text.contains(u'\n') || t.text.contains(u'\r'));
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.isWord("GO")) {
            const bool lineStart = i == 0 || lineBreak(tokens[i - 1]);
            const bool lineEnd = i + 1 == tokens.size() || lineBreak(tokens[i + 1])
                || (tokens[i + 1].kind == TokenKind::Space && i + 2 == tokens.size());
            if (lineStart && lineEnd) {
                batches.emplace_back();
                continue;
            }
        }
        batches.back().push_back(t);
    }
    return batches;
}

std::vector<Statement> parseBatch(const std::vector<Token>& tokens, QString* error)
{
    Parser p(tokens);
    std::vector<Statement> r = p.parseList(false);
    if (error)
        *error = p.error;
    return r;
}

} // namespace tsql
