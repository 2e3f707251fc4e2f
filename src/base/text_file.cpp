#include "text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>

namespace {

// Characters Windows maps by best fit before converting to CP932.
char16_t bestFit(char16_t c)
{
    switch (c) {
    case 0x301C: return 0xFF5E; // WAVE DASH -> FULLWIDTH TILDE
    case 0x2212: return 0xFF0D; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x2016: return 0x2225; // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x00A2: return 0xFFE0;
    case 0x00A3: return 0xFFE1;
    case 0x00AC: return 0xFFE2;
    case 0x2014: return 0x2015;
    default: return c;
    }
}

// One converter per thread: looking ICU's up by name costs far more than a short conversion.
QByteArray encodeRaw(const QString& s)
{
    thread_local QStringEncoder enc("windows-31j");
    enc.resetState();
    return QByteArray(enc.encode(s));
}

// A lead byte at the very end would be held back for more input and lost: the blank after
// it (never a trail byte) makes the decoder mark it invalid, and is dropped again.
QString decodeRaw(const QByteArray& b)
{
    thread_local QStringDecoder dec("windows-31j");
    dec.resetState();
    QString text = dec.decode(b + ' ');
    text.chop(1);
    return text;
}

// ICU's windows-31j exchanges the control codes 0x1A, 0x1C and 0x7F (IBM's order) and puts
// U+001A for an invalid sequence; Windows maps each of the three to itself. None of them is
// ever a trail byte, so text is converted in runs between them and they are mapped here.
bool isExchangedControl(char16_t c) { return c == 0x1A || c == 0x1C || c == 0x7F; }

QByteArray encodeRun(const QString& run)
{
    // U+FFFD is what ICU decodes its own substitution bytes to: never take it as held.
    const QChar invalid(QChar::ReplacementCharacter);
    QByteArray whole = encodeRaw(run);
    if (!run.contains(invalid) && decodeRaw(whole) == run)
        return whole;
    // Decide character by character which ones CP932 cannot hold.
    QByteArray out;
    out.reserve(whole.size());
    for (qsizetype i = 0; i < run.size();) {
        const qsizetype n = (run.at(i).isHighSurrogate() && i + 1 < run.size()) ? 2 : 1;
        const QString ch = run.mid(i, n);
        const QByteArray b = encodeRaw(ch);
        out += (ch != invalid && decodeRaw(b) == ch) ? b : QByteArray("?");
        i += n;
    }
    return out;
}

} // namespace

QByteArray encodeCp932(const QString& text)
{
    QString mapped = text;
    for (QChar& c : mapped)
        c = QChar(bestFit(c.unicode()));
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        const char16_t c = mapped.at(i).unicode();
        if (isExchangedControl(c)) {
            out += encodeRun(mapped.mid(start, i - start));
            out += char(c);
            start = i + 1;
        }
    }
    return out + encodeRun(mapped.mid(start));
}

QString decodeCp932(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype start = 0;
    auto run = [&](qsizetype end) {
        QString text = decodeRaw(bytes.mid(start, end - start));
        out += text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uchar>(bytes.at(i));
        if (isExchangedControl(b)) {
            run(i);
            out += QChar(b);
            start = i + 1;
        }
    }
    run(bytes.size());
    return out;
}

bool fitsCp932(const QString& text) { return decodeCp932(encodeCp932(text)) == text; }

TextEncoding detectEncoding(const QByteArray& b)
{
    if (b.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8Bom;
    if (b.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16LeBom;
    if (b.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16BeBom;
    return TextEncoding::Cp932;
}

QString decodeText(const QByteArray& b, TextEncoding* encoding)
{
    TextEncoding e = detectEncoding(b);
    if (encoding)
        *encoding = e;
    switch (e) {
    case TextEncoding::Utf8Bom: return QString::fromUtf8(b.mid(3));
    case TextEncoding::Utf16LeBom: {
        QStringDecoder d(QStringDecoder::Utf16LE);
        return QString(d.decode(b.mid(2)));
    }
    case TextEncoding::Utf16BeBom: {
        QStringDecoder d(QStringDecoder::Utf16BE);
        return QString(d.decode(b.mid(2)));
    }
    case TextEncoding::Cp932: break;
    }
    return decodeCp932(b);
}

QByteArray encodeText(const QString& text, TextEncoding e)
{
    switch (e) {
    case TextEncoding::Utf8Bom: return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf16LeBom: {
        QStringEncoder enc(QStringEncoder::Utf16LE);
        return QByteArray("\xFF\xFE") + QByteArray(enc.encode(text));
    }
    case TextEncoding::Utf16BeBom: {
        QStringEncoder enc(QStringEncoder::Utf16BE);
        return QByteArray("\xFE\xFF") + QByteArray(enc.encode(text));
    }
    case TextEncoding::Cp932: break;
    }
    return encodeCp932(text);
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

static VbError errorForFile(const QString& path, QFileDevice::FileError fe, bool writing)
{
    QFileInfo fi(path);
    if (!fi.absoluteDir().exists())
        return vberr::pathNotFound();
    if (fe == QFileDevice::ResourceError)
        return vberr::diskFull();
    if (writing)
        return vberr::permissionDenied();
    if (!fi.exists())
        return vberr::fileNotFound();
    return vberr::permissionDenied();
}

bool readWholeFile(const QString& path, QByteArray* bytes, VbError* error)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = errorForFile(path, f.error(), false);
        return false;
    }
    *bytes = f.readAll();
    return true;
}

bool writeFileReplacing(const QString& path, const QByteArray& bytes, VbError* error)
{
    QFileInfo fi(path);
    if (fi.fileName().isEmpty()) {
        if (error)
            *error = vberr::badFileName();
        return false;
    }
    if (fi.exists() && (!fi.isFile() || !fi.isWritable())) {
        if (error)
            *error = vberr::permissionDenied();
        return false;
    }
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    // commit() does not notice that the buffered bytes could not be written (a full disk) and
    // would put a short file in place of the old one: flush first, and keep the old file.
    errno = 0;
    const bool written = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
    const int sysError = errno;
    if (!written || !f.commit()) {
        if (error)
            *error = (sysError == ENOSPC || sysError == EFBIG || sysError == EDQUOT)
                ? vberr::diskFull()
                : errorForFile(path, f.error(), true);
        return false;
    }
    return true;
}

QByteArray cp932Lines(const QStringList& lines)
{
    QString all;
    for (const QString& l : lines) {
        all += l;
        all += QStringLiteral("\r\n");
    }
    return encodeCp932(all);
}
