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
    explicit Parser(const std::vector<Token>& tokens) : t(tokens)
    {
        for (int i = 0; i < static_cast<int>(t.size()); ++i) {
            if (t[i].isSignificant())
                s.push_back(i);
        }
    }

    std::vector<Statement> parseList(bool untilEnd)
    {
        std::vector<Statement> r;
        while (true) {
            while (k < n() && T(k).isSymbol(";"))
                ++k;
            if (k >= n()) {
                if (untilEnd)
                    fail(QStringLiteral("Incorrect syntax: BEGIN without END."));
                return r;
            }
            if (T(k).isWord("END")) {
                ++k;
                if (untilEnd)
                    return r;
                fail(QStringLiteral("Incorrect syntax near the keyword 'END'."));
                continue;
            }
            if (T(k).isWord("BEGIN") && !isTranWord(T(k + 1))) {
                ++k;
                for (Statement& st : parseList(true))
                    r.push_back(std::move(st));
                continue;
            }
            if (T(k).isWord("ELSE")) {
                fail(QStringLiteral("Incorrect syntax near the keyword 'ELSE'."));
                ++k;
                continue;
            }
            r.push_back(parseOne());
        }
    }

    QString error;

private:
    int n() const { return static_cast<int>(s.size()); }
    const Token& T(int j) const
    {
        static const Token none;
        return j >= 0 && j < n() ? t[s[j]] : none;
    }
    void fail(const QString& e)
    {
        if (error.isEmpty())
            error = e;
    }
    std::vector<Token> slice(int from, int to) const // significant positions, end exclusive
    {
        if (from >= to)
            return {};
        return std::vector<Token>(t.begin() + s[from], t.begin() + s[to - 1] + 1);
    }

    bool startsStatement(int j) const
    {
        static const QSet<QString> starters = wordSet({"CREATE", "ALTER", "DROP", "INSERT", "UPDATE", "DELETE", "IF",
                                                       "DECLARE", "PRINT", "TRUNCATE", "BEGIN", "COMMIT", "ROLLBACK"});
        const Token& x = T(j);
        if (!x.isWordIn(starters))
            return false;
        const Token& prev = T(j - 1);
        const Token& next = T(j + 1);
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

    Statement parseOne()
    {
        Statement st;
        if (T(k).isWord("IF")) {
            st.kind = Statement::Kind::If;
            const int start = ++k;
            int depth = 0;
            while (k < n()) {
                const Token& x = T(k);
                if (x.isSymbol("("))
                    ++depth;
                else if (x.isSymbol(")"))
                    --depth;
                else if (depth <= 0 && k > start
                         && (x.isSymbol(";") || (x.isWord("BEGIN")) || startsStatement(k) || x.isWord("SELECT")))
                    break;
                ++k;
            }
            st.tokens = slice(start, k);
            if (st.tokens.empty())
                fail(QStringLiteral("Incorrect syntax near the keyword 'IF'."));
            st.thenBody = parseBody();
            int look = k;
            while (look < n() && T(look).isSymbol(";"))
                ++look;
            if (T(look).isWord("ELSE")) {
                k = look + 1;
                st.elseBody = parseBody();
            }
            return st;
        }
        const int start = k;
        int depth = 0, caseDepth = 0;
        while (k < n()) {
            const Token& x = T(k);
            if (k > start && depth <= 0 && caseDepth == 0
                && (x.isSymbol(";") || x.isWord("END") || x.isWord("ELSE") || startsStatement(k)))
                break;
            if (x.isSymbol("("))
                ++depth;
            else if (x.isSymbol(")"))
                --depth;
            else if (x.isWord("CASE"))
                ++caseDepth;
            else if (x.isWord("END") && caseDepth > 0)
                --caseDepth;
            ++k;
        }
        st.tokens = slice(start, k);
        return st;
    }

    std::vector<Statement> parseBody()
    {
        while (k < n() && T(k).isSymbol(";"))
            ++k;
        if (k >= n()) {
            fail(QStringLiteral("Incorrect syntax: a statement is missing after IF or ELSE."));
            return {};
        }
        if (T(k).isWord("BEGIN") && !isTranWord(T(k + 1))) {
            ++k;
            return parseList(true);
        }
        std::vector<Statement> one;
        one.push_back(parseOne());
        return one;
    }

    const std::vector<Token>& t;
    std::vector<int> s;
    int k = 0;
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
