#pragma once
// Text files the suite shares: CP932 (Windows-31J) unless they start with a byte-order mark.
#include "vb_error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TextEncoding { Cp932, Utf8Bom, Utf16LeBom, Utf16BeBom };

// CP932 as Windows writes it: best-fit mapping first, then "?" for what CP932 cannot hold.
QByteArray encodeCp932(const QString& text);
QString decodeCp932(const QByteArray& bytes); // an invalid sequence becomes U+FFFD
// True when every character of the text survives CP932.
bool fitsCp932(const QString& text);

// Detects a byte-order mark; without one the bytes are CP932.
TextEncoding detectEncoding(const QByteArray& bytes);
QString decodeText(const QByteArray& bytes, TextEncoding* encoding = nullptr);
QByteArray encodeText(const QString& text, TextEncoding encoding); // BOM included

// Splits at CRLF, CR or LF; no line keeps its end. A final line end adds no empty line.
QStringList splitLines(const QString& text);

// Reads a whole file (native path). False when it cannot be read; *error says why.
bool readWholeFile(const QString& path, QByteArray* bytes, VbError* error = nullptr);

// Writes under a temporary name in the same folder, then renames it over the target, so
// a reader never sees half a file. *error receives the run-time error of the failure.
bool writeFileReplacing(const QString& path, const QByteArray& bytes, VbError* error = nullptr);

// Joins lines with CRLF after each one and encodes them in CP932.
QByteArray cp932Lines(const QStringList& lines);
