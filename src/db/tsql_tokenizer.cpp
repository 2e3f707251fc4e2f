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

} // namespace

bool Token::isWord(const char* upperWord) const
{
    return kind == TokenKind::Word && text.compare(QLatin1String(upperWord), Qt::CaseInsensitive) == 0;
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto push = [&](TokenKind k, qsizetype start, qsizetype end) {
        Token t;
        t.kind = k;
        t.text = sql.mid(start, end - start);
        t.value = t.text;
        out.push_back(std::move(t));
        return &out.back();
    };
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype start = i;
        if (isBlank(c)) {
            while (i < n && isBlank(sql.at(i)))
                ++i;
            push(TokenKind::Space, start, i);
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n' && sql.at(i) != u'\r')
                ++i;
            push(TokenKind::Comment, start, i);
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            int depth = 0;
            while (i < n) {
                if (sql.at(i) == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
                    ++depth;
                    i += 2;
                } else if (sql.at(i) == u'*' && i + 1 < n && sql.at(i + 1) == u'/') {
                    i += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++i;
                }
            }
            push(TokenKind::Comment, start, i);
        } else if (c == u'\'' || ((c == u'N' || c == u'n') && i + 1 < n && sql.at(i + 1) == u'\'')) {
            const bool national = c != u'\'';
            i += national ? 2 : 1;
            QString value;
            bool closed = false;
            while (i < n) {
                if (sql.at(i) == u'\'') {
                    if (i + 1 < n && sql.at(i + 1) == u'\'') {
                        value += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += sql.at(i++);
            }
            Token* t = push(TokenKind::String, start, i);
            t->value = value;
            t->national = national;
            t->unterminated = !closed;
        } else if (c == u'[' || c == u'"') {
            const QChar close = c == u'[' ? QChar(u']') : QChar(u'"');
            ++i;
            QString value;
            bool closed = false;
            while (i < n) {
                if (sql.at(i) == close) {
                    if (i + 1 < n && sql.at(i + 1) == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += sql.at(i++);
            }
            Token* t = push(TokenKind::QuotedIdent, start, i);
            t->value = value;
            t->unterminated = !closed;
        } else if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(sql.at(i + 1)))) {
            if (c == u'0' && i + 1 < n && (sql.at(i + 1) == u'x' || sql.at(i + 1) == u'X')) {
                i += 2;
                while (i < n && (isDigit(sql.at(i)) || QStringLiteral("abcdefABCDEF").contains(sql.at(i))))
                    ++i;
            } else {
                while (i < n && isDigit(sql.at(i)))
                    ++i;
                if (i < n && sql.at(i) == u'.') {
                    ++i;
                    while (i < n && isDigit(sql.at(i)))
                        ++i;
                }
                if (i + 1 < n && (sql.at(i) == u'e' || sql.at(i) == u'E')
                    && (isDigit(sql.at(i + 1))
                        || ((sql.at(i + 1) == u'+' || sql.at(i + 1) == u'-') && i + 2 < n && isDigit(sql.at(i + 2))))) {
                    i += 2;
                    while (i < n && isDigit(sql.at(i)))
                        ++i;
                }
            }
            push(TokenKind::Number, start, i);
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(sql.at(i)))
                ++i;
            push(TokenKind::Word, start, i);
        } else {
            static const char* const twoChar[] = {"<=", ">=", "<>", "!=", "!<", "!>", "||"};
            bool matched = false;
            if (i + 1 < n) {
                const QString two = sql.mid(i, 2);
                for (const char* op : twoChar) {
                    if (two == QLatin1String(op)) {
                        i += 2;
                        matched = true;
                        break;
                    }
                }
            }
            if (!matched)
                ++i;
            push(TokenKind::Symbol, start, i);
        }
    }
    return out;
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
