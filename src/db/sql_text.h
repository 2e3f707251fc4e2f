#pragma once
// Typed text placed into SQL statements.
#include <QString>

// A LIKE pattern that matches the typed text anywhere, literally, on both engines:
// '%…%' ESCAPE '!' with !, %, _ and [ escaped and quotes doubled. The text is taken as CP932
// holds it ("?" for what it lacks) and ends at a NUL.
QString likeContains(const QString& typed);

// A string literal: the text between single quotes, inner quotes doubled.
QString sqlQuote(const QString& text);
