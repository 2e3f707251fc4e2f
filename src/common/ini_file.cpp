#include "ini_file.h"

#include "paths.h"
#include "sys_settings.h"
#include "text_file.h"
#include "vb.h"

#include <QFileInfo>
#include <QList>

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
    QByteArray raw;      // the bytes of the line without its end
    QByteArray ending;   // "\r\n", "\n", "\r" or empty at the end of the file
    LineKind kind = LineKind::Blank;
    QString name;        // section name or key name
    QString value;       // value of an entry (raw, after the first '=')
    bool hasValue = false;
};

struct IniDoc {
    TextEncoding encoding = TextEncoding::Cp932;
    QByteArray bom;
    QList<Line> lines;

    QString decode(const QByteArray& b) const
    {
        return encoding == TextEncoding::Utf8Bom ? QString::fromUtf8(b) : decodeCp932(b);
    }
    QByteArray encode(const QString& s) const
    {
        return encoding == TextEncoding::Utf8Bom ? s.toUtf8() : encodeCp932(s);
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

// UTF-16 files are decoded whole; CP932 and UTF-8 are split as bytes (CR and LF never
// occur inside their multi-byte characters), so every untouched line keeps its bytes.
IniDoc parse(const QByteArray& bytes)
{
    IniDoc doc;
    doc.encoding = detectEncoding(bytes);
    QByteArray body = bytes;
    if (doc.encoding == TextEncoding::Utf16LeBom || doc.encoding == TextEncoding::Utf16BeBom) {
        const QString text = decodeText(bytes);
        body = text.toUtf8();
        doc.bom = bytes.left(2);
    } else if (doc.encoding == TextEncoding::Utf8Bom) {
        doc.bom = bytes.left(3);
        body = bytes.mid(3);
    }
    const bool utf8Body = doc.encoding != TextEncoding::Cp932;
    qsizetype start = 0;
    const qsizetype n = body.size();
    auto push = [&](qsizetype end, QByteArray ending) {
        Line l;
        l.raw = body.mid(start, end - start);
        l.ending = std::move(ending);
        classify(l, utf8Body ? QString::fromUtf8(l.raw) : decodeCp932(l.raw));
        doc.lines.append(l);
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = body.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && body.at(i + 1) == '\n') {
                push(i, "\r\n");
                ++i;
            } else {
                push(i, QByteArray(1, c));
            }
            start = i + 1;
        }
    }
    if (start < n)
        push(n, QByteArray());
    return doc;
}

QByteArray serialize(const IniDoc& doc)
{
    const bool utf16 = doc.encoding == TextEncoding::Utf16LeBom || doc.encoding == TextEncoding::Utf16BeBom;
    QByteArray body;
    for (const Line& l : doc.lines)
        body += l.raw + l.ending;
    if (utf16)
        return encodeText(QString::fromUtf8(body), doc.encoding);
    return doc.bom + body;
}

QByteArray lineBytes(const IniDoc& doc, const QString& text)
{
    const bool utf16 = doc.encoding == TextEncoding::Utf16LeBom || doc.encoding == TextEncoding::Utf16BeBom;
    return utf16 ? text.toUtf8() : doc.encode(text);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

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

bool loadDoc(const QString& path, IniDoc* doc)
{
    QByteArray bytes;
    if (!readWholeFile(path, &bytes))
        return false;
    *doc = parse(bytes);
    return true;
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

QString getString(const QString& section, const QString& key, const QString& defaultValue,
                  const QString& path, int bufferBytes)
{
    QString def = defaultValue;
    while (!def.isEmpty() && (def.back() == u' ' || def.back() == u'\t'))
        def.chop(1);
    QString result = def;
    IniDoc doc;
    if (!section.isEmpty() && !key.isEmpty() && loadDoc(nativePath(path), &doc)) {
        const qsizetype h = findSection(doc, section);
        const qsizetype k = h >= 0 ? findKey(doc, h, key) : -1;
        if (k >= 0 && doc.lines[k].hasValue)
            result = stripQuotes(doc.lines[k].value);
    }
    return cutToBytes(result, bufferBytes - 1);
}

qint32 getInt(const QString& section, const QString& key, qint32 defaultValue, const QString& path)
{
    IniDoc doc;
    if (section.isEmpty() || key.isEmpty() || !loadDoc(nativePath(path), &doc))
        return defaultValue;
    const qsizetype h = findSection(doc, section);
    const qsizetype k = h >= 0 ? findKey(doc, h, key) : -1;
    if (k < 0 || !doc.lines[k].hasValue || doc.lines[k].value.isEmpty())
        return defaultValue;
    // Like strtol with base 0, wrapping modulo 2^32.
    const QString s = stripQuotes(doc.lines[k].value);
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
        if (p == u'x') { base = 16; i += 2; }
        else if (p == u'o') { base = 8; i += 2; }
        else if (p == u'b') { base = 2; i += 2; }
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

bool writeString(const QString& section, const std::optional<QString>& key,
                 const std::optional<QString>& value, const QString& pathText)
{
    const QString path = nativePath(pathText);
    if (section.isEmpty())
        return false;
    IniDoc doc;
    const bool exists = QFileInfo(path).exists();
    if (exists && !loadDoc(path, &doc))
        return false;
    qsizetype h = findSection(doc, section);
    if (!key) {
        if (h >= 0)
            doc.lines.remove(h, sectionEnd(doc, h) - h);
    } else if (!value) {
        const qsizetype k = h >= 0 ? findKey(doc, h, *key) : -1;
        if (k >= 0)
            doc.lines.removeAt(k);
    } else {
        const qsizetype k = h >= 0 ? findKey(doc, h, *key) : -1;
        if (k >= 0) {
            Line& l = doc.lines[k];
            l.raw = lineBytes(doc, l.name + u'=' + *value);
            l.value = *value;
            l.hasValue = true;
        } else {
            if (!doc.lines.isEmpty() && doc.lines.back().ending.isEmpty())
                doc.lines.back().ending = "\r\n";
            Line entry;
            entry.kind = LineKind::Entry;
            entry.name = *key;
            entry.value = *value;
            entry.hasValue = true;
            entry.raw = lineBytes(doc, *key + u'=' + *value);
            entry.ending = "\r\n";
            if (h < 0) {
                Line header;
                header.kind = LineKind::Section;
                header.name = section;
                header.raw = lineBytes(doc, u'[' + section + u']');
                header.ending = "\r\n";
                doc.lines.append(header);
                doc.lines.append(entry);
            } else {
                // After the last entry of the section (or its header).
                qsizetype at = h;
                const qsizetype end = sectionEnd(doc, h);
                for (qsizetype i = h + 1; i < end; ++i)
                    if (doc.lines[i].kind == LineKind::Entry)
                        at = i;
                if (doc.lines[at].ending.isEmpty())
                    doc.lines[at].ending = "\r\n";
                doc.lines.insert(at + 1, entry);
            }
        }
    }
    if (!exists && doc.lines.isEmpty())
        return true;
    return writeFileReplacing(path, serialize(doc));
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
        m_err = QStringLiteral("指定されたIni（") + nativePath(iniPath) + QStringLiteral("）ファイルが見つかりません。");
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
