#include "sql_text.h"

#include "base/text_file.h"

QString likeContains(const QString& typed)
{
    // '!' escapes the wildcards and itself; '[' is escaped too because SQL Server reads it
    // as the start of a character class. Quotes are doubled for the literal. The text is what
    // the old ANSI input controls held: it ends at a NUL (where the engine would cut the
    // statement) and a character CP932 lacks is "?" (a lone surrogate or one outside the
    // BMP breaks the statement on an ODBC driver).
    const QString text = decodeCp932(encodeCp932(typed.left(typed.indexOf(QChar(0)))));
    QString esc;
    for (QChar c : text) {
        if (c == u'!' || c == u'%' || c == u'_' || c == u'[')
            esc += u'!';
        esc += c;
        if (c == u'\'')
            esc += u'\'';
    }
    return QStringLiteral("'%") + esc + QStringLiteral("%' ESCAPE '!'");
}

QString sqlQuote(const QString& text) { return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\''; }
