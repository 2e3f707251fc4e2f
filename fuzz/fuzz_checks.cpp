#include "fuzz_checks.h"

#include "base/ini_file.h"
#include "base/text_file.h"
#include "command_file.h"
#include "csv_reader.h"
#include "db/connection_string.h"
#include "db/tsql_rewriter.h"
#include "db/tsql_tokenizer.h"
#include "layout.h"
#include "page_compose.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <utility>

namespace fuzzcheck {

namespace {

// Splits the input at its first LF-terminated lines: the fields of a check, then the body.
bool takeLines(const QByteArray& data, int count, QList<QByteArray>* head, QByteArray* body)
{
    qsizetype pos = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype nl = data.indexOf('\n', pos);
        if (nl < 0)
            return false;
        head->append(data.mid(pos, nl - pos));
        pos = nl + 1;
    }
    *body = data.mid(pos);
    return true;
}

// ------------------------------------------------------------------ INI
struct RawLine {
    QByteArray raw, ending;
};

// The file's lines as stored, split on its code units (an oracle written apart from the reader).
QList<RawLine> rawLines(const QByteArray& file, QByteArray* lineEnd)
{
    const TextEncoding e = detectEncoding(file);
    const bool utf16 = e == TextEncoding::Utf16LeBom || e == TextEncoding::Utf16BeBom;
    const int bom = e == TextEncoding::Utf8Bom ? 3 : utf16 ? 2 : 0;
    const int unit = utf16 ? 2 : 1;
    *lineEnd = utf16 ? encodeText(QStringLiteral("\r\n"), e).mid(2) : QByteArray("\r\n");
    auto code = [&](qsizetype i) -> int {
        if (!utf16)
            return static_cast<uchar>(file.at(i));
        const int a = static_cast<uchar>(file.at(i)), b = static_cast<uchar>(file.at(i + 1));
        return e == TextEncoding::Utf16LeBom ? a | b << 8 : b | a << 8;
    };
    QList<RawLine> lines;
    const qsizetype end = file.size() - (file.size() - bom) % unit;
    qsizetype start = bom;
    for (qsizetype i = bom; i < end; i += unit) {
        const int c = code(i);
        if (c != '\r' && c != '\n')
            continue;
        const int len = (c == '\r' && i + unit < end && code(i + unit) == '\n') ? 2 * unit : unit;
        lines.append({file.mid(start, i - start), file.mid(i, len)});
        i += len - unit;
        start = i + unit;
    }
    if (start < end)
        lines.append({file.mid(start, end - start), {}});
    return lines;
}

bool isTrimChar(QChar c) { return (c.unicode() >= 0x09 && c.unicode() <= 0x0D) || c == u' ' || c == u'\x1A'; }

// A name or value the file can hold and give back as written.
bool storable(const QString& s, TextEncoding e)
{
    if (s.contains(u'\r') || s.contains(u'\n') || s.contains(QChar(0)))
        return false;
    if (!s.isEmpty() && (isTrimChar(s.front()) || isTrimChar(s.back())))
        return false;
    return e != TextEncoding::Cp932 || fitsCp932(s);
}

} // namespace

// How many lines a write removed and added between the lines it kept at the start and the
// end; the last line may gain a line end once.
std::pair<qsizetype, qsizetype> changedLines(const QByteArray& file, const QByteArray& out)
{
    QByteArray lineEnd;
    const QList<RawLine> before = rawLines(file, &lineEnd);
    QByteArray outLineEnd;
    const QList<RawLine> after = rawLines(out, &outLineEnd);
    int loosened = 0;
    auto same = [&](const RawLine& a, const RawLine& b) {
        if (a.raw != b.raw)
            return false;
        if (a.ending == b.ending)
            return true;
        if (a.ending.isEmpty() && b.ending == lineEnd && loosened == 0) {
            ++loosened;
            return true;
        }
        return false;
    };
    qsizetype p = 0;
    while (p < before.size() && p < after.size() && same(before[p], after[p]))
        ++p;
    qsizetype q = 0;
    while (q < before.size() - p && q < after.size() - p
           && same(before[before.size() - 1 - q], after[after.size() - 1 - q]))
        ++q;
    return {before.size() - p - q, after.size() - p - q};
}

// Section, key and value on three lines ("\x01" alone: none), then the file. Reading never
// fails on any file; a write changes only its own line (or adds one or two), and reading
// the result gives the value written.
QString ini(const QByteArray& data)
{
    QList<QByteArray> head;
    QByteArray file;
    if (!takeLines(data, 3, &head, &file))
        return {};
    const QString section = QString::fromUtf8(head[0]);
    auto optional = [](const QByteArray& b) -> std::optional<QString> {
        return b == "\x01" ? std::nullopt : std::optional<QString>(QString::fromUtf8(b));
    };
    const std::optional<QString> key = optional(head[1]);
    const std::optional<QString> value = optional(head[2]);
    profile::findValue(file, section, key.value_or(QStringLiteral("k")));
    const QByteArray out = profile::applyWrite(file, section, key, value);

    const TextEncoding e = detectEncoding(file);
    const int bomSize = e == TextEncoding::Utf8Bom ? 3 : e == TextEncoding::Cp932 ? 0 : 2;
    if (!out.startsWith(file.left(bomSize)))
        return QStringLiteral("the byte-order mark was lost");
    const auto [removed, added] = changedLines(file, out);

    if (section.isEmpty()) {
        if (out != file)
            return QStringLiteral("a write without a section changed the file");
        return {};
    }
    if (!key || !value) {
        if (added != 0)
            return QStringLiteral("a deletion added %1 lines").arg(added);
        return {};
    }
    const bool wellFormed = storable(section, e) && storable(*key, e) && storable(*value, e) && !key->isEmpty()
        && !key->contains(u'=') && !key->startsWith(u';') && !key->startsWith(u'[') && !section.contains(u']');
    if (!wellFormed)
        return {};
    // (A key that already holds the value keeps its line: nothing changes.)
    if (removed > 1 || added > 2 || added < removed)
        return QStringLiteral("the write changed %1 lines into %2").arg(removed).arg(added);
    const auto back = profile::findValue(out, section, *key);
    if (!back || *back != *value)
        return QStringLiteral("the value written reads back as \"%1\"").arg(back.value_or(QStringLiteral("(none)")));
    return {};
}

// ------------------------------------------------------------------ CP932
QString cp932(const QByteArray& data)
{
    // Bytes: whatever decodes reads back the same after encoding (an invalid sequence
    // became U+FFFD, written as "?"), and no ASCII byte below 0x40 (never a trail byte,
    // so CR, LF, comma, quote...) is swallowed into another character.
    const QString text = decodeCp932(data);
    QString expected = text;
    expected.replace(QChar(0xFFFD), u'?');
    if (decodeCp932(encodeCp932(text)) != expected)
        return QStringLiteral("decoded text does not survive encoding");
    for (char c = 0; c < 0x40; ++c) {
        if (data.count(c) != text.count(QChar(c)))
            return QStringLiteral("byte 0x%1 was merged into another character").arg(int(c), 2, 16, QChar(u'0'));
    }
    // Text (the bytes as UTF-16): each character is written as itself, its best-fit
    // replacement, or "?".
    const QString utf16(reinterpret_cast<const QChar*>(data.constData()), data.size() / 2);
    for (qsizetype i = 0; i < utf16.size(); ++i) {
        const qsizetype n =
            utf16.at(i).isHighSurrogate() && i + 1 < utf16.size() && utf16.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString ch = utf16.mid(i, n);
        const QString back = decodeCp932(encodeCp932(ch));
        static const QString bestFitFrom = QString::fromUtf16(u"\u301C\u2212\u2016\u00A2\u00A3\u00AC\u2014");
        static const QString bestFitTo = QString::fromUtf16(u"\uFF5E\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015");
        const qsizetype fit = n == 1 ? bestFitFrom.indexOf(ch.at(0)) : -1;
        const bool ok = back == ch || back == u"?" || (fit >= 0 && back == QString(bestFitTo.at(fit)));
        if (!ok)
            return QStringLiteral("U+%1 came back as \"%2\"").arg(ch.at(0).unicode(), 4, 16, QChar(u'0')).arg(back);
        if (fitsCp932(ch) != (back == ch))
            return QStringLiteral("fitsCp932 disagrees with the round trip of U+%1")
                .arg(ch.at(0).unicode(), 4, 16, QChar(u'0'));
        i += n - 1;
    }
    return {};
}

// ------------------------------------------------------------------ viewer inputs
QString commandFile(const QByteArray& data)
{
    const CommandFile c = parseCommandText(decodeText(data));
    if (c.zoomPercent < 10 || c.zoomPercent > 400)
        return QStringLiteral("zoom %1 outside 10..400").arg(c.zoomPercent);
    for (const QString& line : splitLines(decodeText(data)))
        splitCommandLine(line);
    return {};
}

// First byte: bit 0 header line, bit 1 semicolon delimiter, bit 2 single quote; then the CSV.
QString csv(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    const auto flags = static_cast<uchar>(data.at(0));
    CsvOptions options;
    if (flags & 2)
        options.delimiter = u';';
    if (flags & 4)
        options.quote = u'\'';
    const QString text = decodeText(data.mid(1));
    QList<CsvRecord> records;
    QString error;
    if (parseCsvRecords(text, options, &records, &error)) {
        int line = 0;
        for (const CsvRecord& r : records) {
            if (r.line < 1 || r.line < line)
                return QStringLiteral("record line numbers out of order");
            line = r.line;
        }
    } else if (error.isEmpty()) {
        return QStringLiteral("a failed parse gave no message");
    }
    CsvTable table;
    error.clear();
    const QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    if (buildCsvTable(text, options, flags & 1, names, &table, &error)) {
        for (int r = 0; r < table.records.size(); ++r) {
            if (table.records[r].fields.size() != table.columns.size())
                return QStringLiteral("record %1 has %2 fields for %3 columns")
                    .arg(r)
                    .arg(table.records[r].fields.size())
                    .arg(table.columns.size());
            table.value(r, QStringLiteral("a"));
            table.value(r, QStringLiteral("none"));
        }
    } else if (error.isEmpty()) {
        return QStringLiteral("a rejected table gave no message");
    }
    return {};
}

// A layout; when usable, every page of it is composed over a few records.
QString layout(const QByteArray& data)
{
    Layout l;
    QString error;
    if (!parseLayout(data, &l, &error))
        return error.isEmpty() ? QStringLiteral("a rejected layout gave no message") : QString();
    Report report;
    report.layout = l;
    report.data.columns = l.columns;
    for (const QString& c : referencedColumns(l))
        if (!report.data.columns.contains(c))
            report.data.columns << c;
    const QStringList values{QStringLiteral("1"), QString(), QStringLiteral("2024/05/01"),
                             QStringLiteral("長い理由の文章\r\n二行目"), QStringLiteral("-0.5e9")};
    for (int r = 0; r < 7; ++r) {
        CsvRecord rec;
        for (int c = 0; c < report.data.columns.size(); ++c)
            rec.fields << values.at((r + c) % values.size());
        report.data.records << rec;
    }
    report.hasData = true;
    report.repeatStart = 2;
    const int pages = report.pageCount();
    if (pages < 1 || pages > 7 + 1)
        return QStringLiteral("%1 pages for 7 records").arg(pages);
    for (int p = 0; p < pages; ++p)
        report.composePage(p);
    return {};
}

// ------------------------------------------------------------------ T-SQL
namespace {

// A statement without any T-SQL construct, built from the input: it must pass unchanged.
QString plainStatement(const QByteArray& data)
{
    static const char* const names[] = {"a", "b", "nIDNo", "利用者", "c_1", "t.x", "s.名前"};
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">="};
    static const char* const tables[] = {"RIYOUSHA", "STAFF AS s", "OVER16COUNT t"};
    qsizetype pos = 0;
    auto next = [&]() -> uchar { return pos < data.size() ? static_cast<uchar>(data.at(pos++)) : 0; };
    auto literal = [&]() -> QString {
        switch (next() % 3) {
        case 0: return QString::number(next() * 37);
        case 1: {
            const int len = next() % 12;
            QString s;
            for (int i = 0; i < len; ++i)
                s += QChar(u"'%_[;-/*\" xあ"[next() % 12]);
            return tsql::quoteString(u'x' + s); // never a number or a date
        }
        default: return QString::fromUtf8(names[next() % 7]);
        }
    };
    QString sql = QStringLiteral("SELECT ") + QString::fromUtf8(names[next() % 7]);
    for (int n = next() % 3; n > 0; --n)
        sql += QStringLiteral(", ") + QString::fromUtf8(names[next() % 7]);
    sql += QStringLiteral(" FROM ") + QString::fromUtf8(tables[next() % 3]);
    const int conditions = next() % 4;
    for (int i = 0; i < conditions; ++i) {
        sql += i == 0 ? QStringLiteral(" WHERE ") : (next() % 2 ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
        sql += QString::fromUtf8(names[next() % 7]) + u' ' + QString::fromUtf8(ops[next() % 6]) + u' ' + literal();
    }
    if (next() % 2)
        sql += QStringLiteral(" ORDER BY ") + QString::fromUtf8(names[next() % 7]);
    return sql;
}

} // namespace

QString tsql(const QByteArray& data)
{
    const QString text = QString::fromUtf8(data);
    QString joined;
    for (const tsql::Token& t : tsql::tokenize(text))
        joined += t.text;
    if (joined != text)
        return QStringLiteral("the tokens do not give back the text");
    tsql::CatalogData catalog;
    catalog.tables.insert(QStringLiteral("over16count"),
                          {{QStringLiteral("tDay"), QStringLiteral("datetime")},
                           {QStringLiteral("nIDNo"), QStringLiteral("int")},
                           {QStringLiteral("cRiyuu"), QStringLiteral("nvarchar(1000)")}});
    tsql::toSqlite(text, catalog);
    const auto getter = [&catalog]() -> const tsql::CatalogData& { return catalog; };
    for (const auto& batch : tsql::splitGoBatches(tsql::tokenize(text))) {
        QString error;
        for (const tsql::Statement& st : tsql::parseBatch(batch, &error)) {
            if (st.kind == tsql::Statement::Kind::If)
                tsql::translateCondition(st.tokens, getter);
        }
    }
    const QString plain = plainStatement(data);
    const QString rewritten = tsql::toSqlite(plain);
    if (rewritten != plain)
        return QStringLiteral("a plain statement was rewritten: %1 -> %2").arg(plain, rewritten);
    return {};
}

// ------------------------------------------------------------------ connection strings
namespace {

// key=value pairs as an ODBC driver manager reads them (only braces quote).
QList<QPair<QString, QString>> odbcPairs(const QString& s)
{
    QList<QPair<QString, QString>> out;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(u'=', i);
        if (eq < 0)
            break;
        const QString key = s.mid(i, eq - i);
        i = eq + 1;
        QString value;
        if (i < s.size() && s.at(i) == u'{') {
            for (++i; i < s.size(); ++i) {
                if (s.at(i) == u'}') {
                    if (i + 1 < s.size() && s.at(i + 1) == u'}') {
                        value += u'}';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s.at(i);
            }
            if (i < s.size() && s.at(i) != u';')
                return {}; // text after a closing brace
            ++i;
        } else {
            const qsizetype semi = s.indexOf(u';', i);
            value = s.mid(i, (semi < 0 ? s.size() : semi) - i);
            i = semi < 0 ? s.size() : semi + 1;
        }
        out.append({key, value});
    }
    return out;
}

} // namespace

QString connectionString(const QByteArray& data)
{
    const QString text = QString::fromUtf8(data);
    for (const auto& [k, v] : splitConnectionString(text)) {
        if (k.isEmpty() || k != k.trimmed())
            return QStringLiteral("key \"%1\" is empty or untrimmed").arg(k);
    }
    const ConnectionTarget t = parseConnectionString(text, QStringLiteral("/opt/suite/bin/"));
    switch (t.kind) {
    case ConnectionTarget::Kind::Invalid:
        if (t.error.isEmpty())
            return QStringLiteral("an unusable string gave no message");
        break;
    case ConnectionTarget::Kind::Sqlite:
        if (!t.sqlitePath.startsWith(u'/'))
            return QStringLiteral("database path \"%1\" is not absolute").arg(t.sqlitePath);
        break;
    case ConnectionTarget::Kind::Odbc:
        if (t.mappedFromOleDb) {
            // Typed values must not add or change keywords of the mapped string.
            QStringList keys;
            for (const auto& [k, v] : odbcPairs(t.odbcString))
                keys << k;
            const QStringList allowed{
                QStringLiteral("Driver"),   QStringLiteral("Server"),      QStringLiteral("Port"),
                QStringLiteral("Database"), QStringLiteral("UID"),         QStringLiteral("PWD"),
                QStringLiteral("APP"),      QStringLiteral("TDS_Version"), QStringLiteral("ClientCharset")};
            for (const QString& k : keys)
                if (!allowed.contains(k) || keys.count(k) > 1)
                    return QStringLiteral("mapped string %1 has keyword \"%2\"").arg(t.odbcString, k);
            if (!keys.contains(QStringLiteral("Server")))
                return QStringLiteral("mapped string %1 has no server").arg(t.odbcString);
        }
        break;
    }
    return {};
}

const std::vector<Target>& targets()
{
    static const std::vector<Target> all{
        {"ini", &ini},       {"cp932", &cp932}, {"command_file", &commandFile},           {"csv", &csv},
        {"layout", &layout}, {"tsql", &tsql},   {"connection_string", &connectionString},
    };
    return all;
}

} // namespace fuzzcheck
