#include "ini_file.h"

#include "paths.h"
#include "text_file.h"
#include "vb.h"

#include <QFileInfo>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace {

bool isTrimByte(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x1A;
}

QString trimProfile(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isTrimByte(s.at(b)))
        ++b;
    while (e > b && isTrimByte(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

QString stripQuotes(const QString& v)
{
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

enum class LineKind { Blank, Comment, Section, Entry };

struct Line {
    QByteArray raw;    // the bytes of the line without its end
    QByteArray ending; // CR LF, LF or CR in the file's own units; empty at the end of the file
    LineKind kind = LineKind::Blank;
    QString name;  // section name or key name
    QString value; // value of an entry (raw, after the first '=')
    bool hasValue = false;
};

struct IniDoc {
    TextEncoding encoding = TextEncoding::Cp932;
    QByteArray bom;
    QList<Line> lines;
    QByteArray oddByte; // the last byte of a UTF-16 file cut in the middle of a unit

    bool utf16() const { return encoding == TextEncoding::Utf16LeBom || encoding == TextEncoding::Utf16BeBom; }
    // A line is decoded on its own: a U+FEFF at its start is text, not a byte-order mark.
    QString decode(const QByteArray& b) const
    {
        const auto keep = QStringConverter::Flag::ConvertInitialBom;
        switch (encoding) {
        case TextEncoding::Utf8Bom: return QStringDecoder(QStringDecoder::Utf8, keep).decode(b);
        case TextEncoding::Utf16LeBom: return QStringDecoder(QStringDecoder::Utf16LE, keep).decode(b);
        case TextEncoding::Utf16BeBom: return QStringDecoder(QStringDecoder::Utf16BE, keep).decode(b);
        case TextEncoding::Cp932: break;
        }
        return decodeCp932(b);
    }
    // Text in the file's encoding, without a byte-order mark.
    QByteArray encode(const QString& s) const
    {
        switch (encoding) {
        case TextEncoding::Utf8Bom: return s.toUtf8();
        case TextEncoding::Utf16LeBom: return QStringEncoder(QStringEncoder::Utf16LE).encode(s);
        case TextEncoding::Utf16BeBom: return QStringEncoder(QStringEncoder::Utf16BE).encode(s);
        case TextEncoding::Cp932: break;
        }
        return encodeCp932(s);
    }
};

void classify(Line& l, const QString& text)
{
    const QString t = trimProfile(text);
    if (t.isEmpty()) {
        l.kind = LineKind::Blank;
    } else if (t.startsWith(u';')) {
        l.kind = LineKind::Comment;
    } else if (t.startsWith(u'[') && t.lastIndexOf(u']') > 0) {
        l.kind = LineKind::Section;
        l.name = trimProfile(t.mid(1, t.lastIndexOf(u']') - 1));
    } else {
        l.kind = LineKind::Entry;
        const qsizetype eq = t.indexOf(u'=');
        if (eq < 0) {
            l.name = t;
        } else {
            l.name = trimProfile(t.left(eq));
            l.value = trimProfile(t.mid(eq + 1));
            l.hasValue = true;
        }
    }
}

// The document's encoding and byte-order mark; returns the body after the mark.
QByteArray begin(IniDoc& doc, const QByteArray& bytes)
{
    doc.encoding = detectEncoding(bytes);
    doc.bom = bytes.left(doc.encoding == TextEncoding::Utf8Bom ? 3 : doc.utf16() ? 2 : 0);
    return bytes.mid(doc.bom.size());
}

// Lines are split on the file's own code units (bytes, or 16-bit units of UTF-16; CR and
// LF never occur inside a CP932 or UTF-8 multi-byte character), so every line that is not
// edited keeps its bytes exactly, even where they do not decode cleanly. Calls
// line(start, end, endingSize) for each line until it returns false; returns where whole
// units end.
template <typename LineFn> qsizetype splitLines(const IniDoc& doc, const QByteArray& body, LineFn line)
{
    const qsizetype unit = doc.utf16() ? 2 : 1;
    const qsizetype n = body.size() - body.size() % unit;
    const char* p = body.constData();
    auto codeAt = [&](qsizetype i) -> char16_t {
        const auto b0 = static_cast<uchar>(p[i]);
        if (unit == 1)
            return b0;
        const auto b1 = static_cast<uchar>(p[i + 1]);
        return doc.encoding == TextEncoding::Utf16LeBom ? char16_t(b0 | b1 << 8) : char16_t(b1 | b0 << 8);
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; i += unit) {
        const char16_t c = codeAt(i);
        if (c != u'\r' && c != u'\n')
            continue;
        const qsizetype ending = c == u'\r' && i + unit < n && codeAt(i + unit) == u'\n' ? 2 * unit : unit;
        if (!line(start, i, ending))
            return n;
        start = i + ending;
        i = start - unit;
    }
    if (start < n)
        line(start, n, 0);
    return n;
}

IniDoc parse(const QByteArray& bytes)
{
    IniDoc doc;
    const QByteArray body = begin(doc, bytes);
    const qsizetype n = splitLines(doc, body, [&](qsizetype start, qsizetype end, qsizetype ending) {
        Line l;
        l.raw = body.mid(start, end - start);
        l.ending = body.mid(end, ending);
        classify(l, doc.decode(l.raw));
        doc.lines.append(l);
        return true;
    });
    doc.oddByte = body.mid(n); // a UTF-16 file cut in the middle of a unit keeps its last byte
    return doc;
}

// Whether the line's first character past the trimmed ones is '[': only such a line can be a
// section header. The trimmed characters are ASCII, never part of a double-byte character.
bool mayBeSection(const IniDoc& doc, const QByteArray& body, qsizetype start, qsizetype end)
{
    const qsizetype unit = doc.utf16() ? 2 : 1;
    const qsizetype low = doc.encoding == TextEncoding::Utf16BeBom ? 1 : 0; // the unit's ASCII byte
    for (qsizetype i = start; i < end; i += unit) {
        if (unit == 2 && body.at(i + 1 - low) != 0)
            return false;
        const QChar c = QLatin1Char(body.at(i + low));
        if (!isTrimByte(c))
            return c == u'[';
    }
    return false;
}

QByteArray serialize(const IniDoc& doc)
{
    QByteArray out = doc.bom;
    for (const Line& l : doc.lines)
        out += l.raw + l.ending;
    return out + doc.oddByte;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Index of the first section header with that name, or -1.
qsizetype findSection(const IniDoc& doc, const QString& section)
{
    for (qsizetype i = 0; i < doc.lines.size(); ++i)
        if (doc.lines[i].kind == LineKind::Section && sameName(doc.lines[i].name, section))
            return i;
    return -1;
}

// One past the last line of the section starting at header index h.
qsizetype sectionEnd(const IniDoc& doc, qsizetype h)
{
    qsizetype i = h + 1;
    while (i < doc.lines.size() && doc.lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

qsizetype findKey(const IniDoc& doc, qsizetype h, const QString& key)
{
    const qsizetype end = sectionEnd(doc, h);
    for (qsizetype i = h + 1; i < end; ++i)
        if (doc.lines[i].kind == LineKind::Entry && sameName(doc.lines[i].name, key))
            return i;
    return -1;
}

// Cuts a value to at most maxBytes CP932 bytes, never inside a double-byte character.
QString cutToBytes(const QString& v, int maxBytes)
{
    if (maxBytes <= 0)
        return QString();
    int bytes = 0;
    qsizetype i = 0;
    while (i < v.size()) {
        const qsizetype n = (v.at(i).isHighSurrogate() && i + 1 < v.size()) ? 2 : 1;
        const int b = encodeCp932(v.mid(i, n)).size();
        if (bytes + b > maxBytes)
            break;
        bytes += b;
        i += n;
    }
    return v.left(i);
}

} // namespace

namespace profile {

std::optional<QString> findValue(const QByteArray& fileBytes, const QString& section, const QString& key)
{
    if (section.isEmpty() || key.isEmpty())
        return std::nullopt;
    // A read decodes only the section headers and the lines of the section it looks in.
    IniDoc doc;
    const QByteArray body = begin(doc, fileBytes);
    bool inSection = false;
    std::optional<QString> found;
    splitLines(doc, body, [&](qsizetype start, qsizetype end, qsizetype) {
        if (!inSection && !mayBeSection(doc, body, start, end))
            return true;
        Line l;
        classify(l, doc.decode(body.mid(start, end - start)));
        if (l.kind == LineKind::Section) {
            if (inSection)
                return false;
            inSection = sameName(l.name, section);
        } else if (inSection && l.kind == LineKind::Entry && sameName(l.name, key)) {
            if (l.hasValue)
                found = l.value;
            return false;
        }
        return true;
    });
    return found;
}

QByteArray applyWrite(const QByteArray& fileBytes, const QString& section, const std::optional<QString>& key,
                      const std::optional<QString>& value)
{
    if (section.isEmpty())
        return fileBytes;
    IniDoc doc = parse(fileBytes);
    const QByteArray lineEnd = doc.encode(QStringLiteral("\r\n"));
    const qsizetype h = findSection(doc, section);
    const qsizetype k = h >= 0 && key ? findKey(doc, h, *key) : -1;
    if (!key) {
        if (h >= 0)
            doc.lines.remove(h, sectionEnd(doc, h) - h);
    } else if (!value) {
        if (k >= 0)
            doc.lines.removeAt(k);
    } else if (k >= 0) {
        Line& l = doc.lines[k];
        l.raw = doc.encode(l.name + u'=' + *value);
        l.value = *value;
        l.hasValue = true;
    } else {
        Line entry;
        entry.kind = LineKind::Entry;
        entry.name = *key;
        entry.value = *value;
        entry.hasValue = true;
        entry.raw = doc.encode(*key + u'=' + *value);
        entry.ending = lineEnd;
        // Only the line the new ones follow may gain a line end; every other line keeps its bytes.
        qsizetype at = doc.lines.size() - 1;
        if (h < 0) {
            Line header;
            header.kind = LineKind::Section;
            header.name = section;
            header.raw = doc.encode(u'[' + section + u']');
            header.ending = lineEnd;
            doc.lines.append(header);
            doc.lines.append(entry);
        } else {
            // After the last entry of the section (or its header).
            at = h;
            const qsizetype end = sectionEnd(doc, h);
            for (qsizetype i = h + 1; i < end; ++i)
                if (doc.lines[i].kind == LineKind::Entry)
                    at = i;
            doc.lines.insert(at + 1, entry);
        }
        if (at >= 0 && doc.lines[at].ending.isEmpty())
            doc.lines[at].ending = lineEnd;
    }
    return serialize(doc);
}

QString getString(const QString& section, const QString& key, const QString& defaultValue, const QString& path,
                  int bufferBytes)
{
    QString result = defaultValue;
    while (!result.isEmpty() && (result.back() == u' ' || result.back() == u'\t'))
        result.chop(1);
    QByteArray bytes;
    if (readWholeFile(nativePath(path), &bytes)) {
        if (const auto v = findValue(bytes, section, key))
            result = stripQuotes(*v);
    }
    return cutToBytes(result, bufferBytes - 1);
}

qint32 getInt(const QString& section, const QString& key, qint32 defaultValue, const QString& path)
{
    QByteArray bytes;
    if (!readWholeFile(nativePath(path), &bytes))
        return defaultValue;
    const auto value = findValue(bytes, section, key);
    if (!value || value->isEmpty())
        return defaultValue;
    // Like strtol with base 0, wrapping modulo 2^32.
    const QString s = stripQuotes(*value);
    qsizetype i = 0;
    while (i < s.size() && s.at(i).unicode() <= 0x20)
        ++i;
    bool negative = false;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    int base = 10;
    if (i + 1 < s.size() && s.at(i) == u'0') {
        const QChar p = s.at(i + 1).toLower();
        if (p == u'x') {
            base = 16;
            i += 2;
        } else if (p == u'o') {
            base = 8;
            i += 2;
        } else if (p == u'b') {
            base = 2;
            i += 2;
        }
    }
    quint32 v = 0;
    for (; i < s.size(); ++i) {
        const int d = QStringLiteral("0123456789abcdef").indexOf(s.at(i).toLower());
        if (d < 0 || d >= base)
            break;
        v = v * static_cast<quint32>(base) + static_cast<quint32>(d);
    }
    if (negative)
        v = 0u - v;
    return static_cast<qint32>(v);
}

bool writeString(const QString& section, const std::optional<QString>& key, const std::optional<QString>& value,
                 const QString& pathText)
{
    const QString path = nativePath(pathText);
    if (section.isEmpty())
        return false;
    QByteArray bytes;
    const bool exists = QFileInfo(path).exists();
    if (exists && !readWholeFile(path, &bytes))
        return false;
    const QByteArray written = applyWrite(bytes, section, key, value);
    if (!exists && written.isEmpty())
        return true;
    return writeFileReplacing(path, written);
}

} // namespace profile

short clsOplIniFile::iInit(const QString& iniPath)
{
    if (iniPath.isEmpty()) {
        m_err = QStringLiteral("Iniファイル名を指定してください。");
        return -1;
    }
    m_path = iniPath;
    if (!bFileExists(iniPath)) {
        m_err =
            QStringLiteral("指定されたIni（") + nativePath(iniPath) + QStringLiteral("）ファイルが見つかりません。");
        return -1;
    }
    return 0;
}

long clsOplIniFile::nGetProfileLong(const QString& section, const QString& key) const
{
    return profile::getInt(section, key, 0, m_path);
}

QString clsOplIniFile::csGetProfileString(const QString& section, const QString& key) const
{
    return vb::rtrim(profile::getString(section, key, QString(), m_path, 256));
}

short clsOplIniFile::iWriteProfileString(const QString& section, const QString& key, const QString& value)
{
    // Non-zero on success, 0 on failure (read-only file, vanished folder) with the reason kept.
    if (profile::writeString(section, key, value, m_path))
        return 1;
    m_err = QStringLiteral("Iniファイルの書込に失敗しました。");
    return 0;
}
