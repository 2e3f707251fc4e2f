#include "sql_text.h"

QString likeContains(const QString& typed)
{
    // '!' escapes the wildcards and itself; '[' is escaped too because SQL Server reads it
    // as the start of a character class. Quotes are doubled for the literal.
    QString esc;
    for (QChar c : typed) {
        if (c == u'!' || c == u'%' || c == u'_' || c == u'[')
            esc += u'!';
        esc += c;
        if (c == u'\'')
            esc += u'\'';
    }
    return QStringLiteral("'%") + esc + QStringLiteral("%' ESCAPE '!'");
}

QString sqlQuote(const QString& text)
{
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}
