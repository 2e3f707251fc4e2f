#pragma once
// Lossless tokenizer for T-SQL text: the concatenation of every token's text is the input.
#include <QSet>
#include <QString>
#include <initializer_list>
#include <vector>

namespace tsql {

enum class TokenKind {
    Space,       // blanks and line ends
    Comment,     // -- to the line end, or /* ... */ (nested as T-SQL nests them)
    Word,        // keyword or plain identifier (letters, digits, _, @, #, $, any non-ASCII)
    QuotedIdent, // [name] or "name"; value holds the name
    String,      // '...' or N'...'; value holds the content with quotes undoubled
    Number,      // 12, 1.5, 1e3, 0x1F
    Symbol,      // operators and punctuation; <=, >=, <>, !=, !<, !>, || are one token
};

struct Token {
    TokenKind kind = TokenKind::Space;
    QString text;          // exactly as in the input
    QString value;         // identifier name / string content; for other kinds the text
    bool national = false; // N'...'
    bool unterminated = false;

    bool isSignificant() const { return kind != TokenKind::Space && kind != TokenKind::Comment; }
    bool isWord(const char* upperWord) const; // case-insensitive keyword test
    // A plain word that is one of the given upper-case keywords.
    bool isWordIn(const QSet<QString>& upperWords) const
    {
        return kind == TokenKind::Word && upperWords.contains(text.toUpper());
    }
    bool isSymbol(const char* s) const { return kind == TokenKind::Symbol && text == QLatin1String(s); }
    // A name: a plain word or a quoted identifier.
    bool isName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedIdent; }
};

std::vector<Token> tokenize(const QString& sql);
// The index in tokens of each significant token (neither blank nor comment), in order.
std::vector<int> rawIndexesOfSignificant(const std::vector<Token>& tokens);

// A set of upper-case keywords for Token::isWordIn.
QSet<QString> wordSet(std::initializer_list<const char*> upperWords);

// SQL text for a string literal: quotes doubled.
QString quoteString(const QString& s);
// Identifier as SQLite should see it: bare when it is a plain name and no keyword,
// otherwise in double quotes.
QString sqliteIdentifier(const QString& name);

} // namespace tsql
