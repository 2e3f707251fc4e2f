#include "tsql_tokenizer.h"

#include <sqlite3.h>

namespace tsql {

namespace {

bool isWordStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == '@' || u == '#' || u > 0x7F;
}

bool isWordChar(QChar c)
{
    const char16_t u = c.unicode();
    return isWordStart(c) || (u >= '0' && u <= '9') || u == '$';
}

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\r' || u == '\n' || u == '\f' || u == '\v';
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return isDigit(c) || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// Cuts a text into tokens front to back.
class Lexer {
public:
    explicit Lexer(const QString& sql) : m_sql(sql) { }

    std::vector<Token> tokens()
    {
        while (!atEnd())
            scanToken();
        return std::move(m_tokens);
    }

private:
    bool atEnd() const { return m_pos >= m_sql.size(); }
    // The character that many places ahead; past the end a NUL, which continues no token.
    QChar peek(qsizetype ahead = 0) const
    {
        const qsizetype at = m_pos + ahead;
        return at < m_sql.size() ? m_sql.at(at) : QChar();
    }
    void skipWhile(bool (*accepts)(QChar))
    {
        while (!atEnd() && accepts(m_sql.at(m_pos)))
            ++m_pos;
    }
    Token& push(TokenKind kind, qsizetype start);

    void scanToken();
    void scanBlockComment();
    Token& scanQuoted(TokenKind kind, qsizetype start, qsizetype openLength, QChar close);
    void scanNumber();
    void scanSymbol();

    const QString& m_sql;
    qsizetype m_pos = 0;
    std::vector<Token> m_tokens;
};

Token& Lexer::push(TokenKind kind, qsizetype start)
{
    Token t;
    t.kind = kind;
    t.text = m_sql.mid(start, m_pos - start);
    t.value = t.text;
    m_tokens.push_back(std::move(t));
    return m_tokens.back();
}

void Lexer::scanToken()
{
    const qsizetype start = m_pos;
    const QChar c = peek();
    const QChar next = peek(1);
    if (isBlank(c)) {
        skipWhile(isBlank);
        push(TokenKind::Space, start);
    } else if (c == u'-' && next == u'-') {
        while (!atEnd() && peek() != u'\n' && peek() != u'\r')
            ++m_pos;
        push(TokenKind::Comment, start);
    } else if (c == u'/' && next == u'*') {
        scanBlockComment();
        push(TokenKind::Comment, start);
    } else if (c == u'\'' || ((c == u'N' || c == u'n') && next == u'\'')) {
        const bool national = c != u'\'';
        scanQuoted(TokenKind::String, start, national ? 2 : 1, u'\'').national = national;
    } else if (c == u'[' || c == u'"') {
        scanQuoted(TokenKind::QuotedIdent, start, 1, c == u'[' ? QChar(u']') : c);
    } else if (isDigit(c) || (c == u'.' && isDigit(next))) {
        scanNumber();
        push(TokenKind::Number, start);
    } else if (isWordStart(c)) {
        skipWhile(isWordChar);
        push(TokenKind::Word, start);
    } else {
        scanSymbol();
        push(TokenKind::Symbol, start);
    }
}

// Nested as T-SQL nests them; an unclosed comment runs to the end.
void Lexer::scanBlockComment()
{
    int depth = 0;
    while (!atEnd()) {
        if (peek() == u'/' && peek(1) == u'*') {
            ++depth;
            m_pos += 2;
        } else if (peek() == u'*' && peek(1) == u'/') {
            m_pos += 2;
            if (--depth == 0)
                return;
        } else {
            ++m_pos;
        }
    }
}

// A string or quoted name from start: its opening is openLength characters, a doubled closing
// quote stands for one, and the value is the content between the quotes.
Token& Lexer::scanQuoted(TokenKind kind, qsizetype start, qsizetype openLength, QChar close)
{
    m_pos = start + openLength;
    QString value;
    bool closed = false;
    while (!atEnd() && !closed) {
        const QChar c = m_sql.at(m_pos++);
        if (c != close) {
            value += c;
        } else if (peek() == close) {
            value += close;
            ++m_pos;
        } else {
            closed = true;
        }
    }
    Token& t = push(kind, start);
    t.value = value;
    t.unterminated = !closed;
    return t;
}

void Lexer::scanNumber()
{
    if (peek() == u'0' && (peek(1) == u'x' || peek(1) == u'X')) {
        m_pos += 2;
        skipWhile(isHexDigit);
        return;
    }
    skipWhile(isDigit);
    if (peek() == u'.') {
        ++m_pos;
        skipWhile(isDigit);
    }
    const QChar afterE = peek(1);
    if ((peek() == u'e' || peek() == u'E')
        && (isDigit(afterE) || ((afterE == u'+' || afterE == u'-') && isDigit(peek(2))))) {
        m_pos += 2;
        skipWhile(isDigit);
    }
}

// <=, >=, <>, !=, !<, !> and || are one token; any other character is one on its own.
void Lexer::scanSymbol()
{
    static const char* const twoChar[] = {"<=", ">=", "<>", "!=", "!<", "!>", "||"};
    const QStringView two = QStringView(m_sql).mid(m_pos, 2);
    for (const char* op : twoChar) {
        if (two == QLatin1String(op)) {
            m_pos += 2;
            return;
        }
    }
    ++m_pos;
}

} // namespace

bool Token::isWord(const char* upperWord) const
{
    return kind == TokenKind::Word && text.compare(QLatin1String(upperWord), Qt::CaseInsensitive) == 0;
}

std::vector<Token> tokenize(const QString& sql) { return Lexer(sql).tokens(); }

std::vector<int> rawIndexesOfSignificant(const std::vector<Token>& tokens)
{
    std::vector<int> raw;
    for (int i = 0; i < static_cast<int>(tokens.size()); ++i) {
        if (tokens[i].isSignificant())
            raw.push_back(i);
    }
    return raw;
}

QSet<QString> wordSet(std::initializer_list<const char*> upperWords)
{
    QSet<QString> set;
    for (const char* word : upperWords)
        set.insert(QString::fromLatin1(word));
    return set;
}

QString quoteString(const QString& s)
{
    QString r = s;
    r.replace(u'\'', QStringLiteral("''"));
    return u'\'' + r + u'\'';
}

QString sqliteIdentifier(const QString& name)
{
    bool plain = !name.isEmpty() && isWordStart(name.front()) && name.front() != u'@' && name.front() != u'#';
    for (QChar c : name) {
        if (!isWordChar(c) || c == u'$' || c == u'@' || c == u'#')
            plain = false;
    }
    if (plain) {
        const QByteArray utf8 = name.toUtf8();
        if (sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())))
            plain = false;
    }
    if (plain)
        return name;
    QString r = name;
    r.replace(u'"', QStringLiteral("\"\""));
    return u'"' + r + u'"';
}

} // namespace tsql
