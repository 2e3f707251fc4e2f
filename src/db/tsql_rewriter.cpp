#include "tsql_rewriter.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QTime>

namespace tsql {

// ---------------------------------------------------------------- catalogue and literals

const QVector<CatalogData::Column>* CatalogData::table(const QString& name) const
{
    const auto it = tables.constFind(name.toLower());
    return it == tables.constEnd() ? nullptr : &it.value();
}

QString CatalogData::columnType(const QString& tableName, const QString& column) const
{
    if (const auto* cols = table(tableName)) {
        for (const Column& c : *cols) {
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                return c.type;
        }
    }
    return QString();
}

bool isDateType(const QString& declaredType)
{
    QString t = declaredType.trimmed().toLower();
    t.remove(u'[').remove(u']');
    const qsizetype paren = t.indexOf(u'(');
    if (paren >= 0)
        t = t.left(paren).trimmed();
    return t == u"datetime" || t == u"date" || t == u"smalldatetime" || t == u"datetime2"
        || t == u"datetimeoffset";
}

std::optional<QString> normalizeDateLiteral(const QString& text)
{
    static const QString timePart = QStringLiteral("(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,7}))?)?)?");
    static const QRegularExpression ymd(QStringLiteral("^(\\d{4})[/\\-.](\\d{1,2})[/\\-.](\\d{1,2})") + timePart + u'$');
    static const QRegularExpression mdy(QStringLiteral("^(\\d{1,2})[/\\-.](\\d{1,2})[/\\-.](\\d{4})") + timePart + u'$');
    static const QRegularExpression compact(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})") + timePart + u'$');
    const QString s = text.trimmed();
    int y = 0, m = 0, d = 0;
    QRegularExpressionMatch match;
    if ((match = ymd.match(s)).hasMatch() || (match = compact.match(s)).hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else if ((match = mdy.match(s)).hasMatch()) {
        m = match.captured(1).toInt();
        d = match.captured(2).toInt();
        y = match.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(y, m, d);
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    QString r = date.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + time.toString(QStringLiteral("HH:mm:ss"));
    const QString fraction = match.captured(7);
    if (!fraction.isEmpty() && fraction.toInt() != 0)
        r += u'.' + (fraction + QStringLiteral("00")).left(3);
    return r;
}

namespace {

bool isNumericText(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)\\s*$"));
    return re.match(s).hasMatch();
}

const QSet<QString>& boundaryWords()
{
    static const QSet<QString> s = {
        QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("WHERE"),
        QStringLiteral("ON"), QStringLiteral("HAVING"), QStringLiteral("WHEN"), QStringLiteral("THEN"),
        QStringLiteral("ELSE"), QStringLiteral("END"), QStringLiteral("CASE"), QStringLiteral("SELECT"),
        QStringLiteral("SET"), QStringLiteral("BY"), QStringLiteral("IS"), QStringLiteral("IN"),
        QStringLiteral("LIKE"), QStringLiteral("BETWEEN"), QStringLiteral("AS"), QStringLiteral("FROM"),
        QStringLiteral("JOIN"), QStringLiteral("ORDER"), QStringLiteral("GROUP"), QStringLiteral("UNION"),
        QStringLiteral("VALUES"), QStringLiteral("DISTINCT"), QStringLiteral("TOP"), QStringLiteral("EXISTS"),
        QStringLiteral("LIMIT"), QStringLiteral("ESCAPE"), QStringLiteral("INTO"), QStringLiteral("RETURN"),
        QStringLiteral("IF"), QStringLiteral("BEGIN"), QStringLiteral("LEFT"), QStringLiteral("RIGHT"),
        QStringLiteral("INNER"), QStringLiteral("OUTER"), QStringLiteral("CROSS"), QStringLiteral("FULL"),
        QStringLiteral("ALL"), QStringLiteral("ANY"), QStringLiteral("SOME"), QStringLiteral("EXCEPT"),
        QStringLiteral("INTERSECT"), QStringLiteral("ASC"), QStringLiteral("DESC"), QStringLiteral("WITH"),
    };
    return s;
}

bool isComparison(const Token& t)
{
    if (t.kind != TokenKind::Symbol)
        return false;
    static const QSet<QString> ops = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="),
                                      QStringLiteral("<"), QStringLiteral("<="), QStringLiteral(">"),
                                      QStringLiteral(">="), QStringLiteral("!<"), QStringLiteral("!>")};
    return ops.contains(t.text);
}

bool isArithmetic(const Token& t)
{
    return t.kind == TokenKind::Symbol
        && (t.text == u"+" || t.text == u"-" || t.text == u"*" || t.text == u"/" || t.text == u"%" || t.text == u"||");
}

QString renderDefault(const Token& t)
{
    switch (t.kind) {
    case TokenKind::QuotedIdent: return sqliteIdentifier(t.value);
    case TokenKind::String: return t.national ? quoteString(t.value) : t.text;
    case TokenKind::Symbol:
        if (t.text == u"!<")
            return QStringLiteral(">=");
        if (t.text == u"!>")
            return QStringLiteral("<=");
        return t.text;
    default: return t.text;
    }
}

// The catalogue views. Names compare case-insensitively, as under the suite's collation.
const char* const kSysColumns =
    "(SELECT c.object_id AS object_id, c.name AS name, c.column_id AS column_id,"
    " CASE WHEN instr(c.t, '(') > 0 THEN"
    " CASE WHEN substr(c.t, instr(c.t, '(') + 1, 3) = 'max' THEN -1"
    " WHEN substr(c.t, 1, 8) = 'nvarchar' OR substr(c.t, 1, 5) = 'nchar'"
    " THEN 2 * CAST(substr(c.t, instr(c.t, '(') + 1) AS INTEGER)"
    " WHEN substr(c.t, 1, 7) IN ('decimal', 'numeric') THEN"
    " CASE WHEN CAST(substr(c.t, instr(c.t, '(') + 1) AS INTEGER) <= 9 THEN 5"
    " WHEN CAST(substr(c.t, instr(c.t, '(') + 1) AS INTEGER) <= 19 THEN 9"
    " WHEN CAST(substr(c.t, instr(c.t, '(') + 1) AS INTEGER) <= 28 THEN 13 ELSE 17 END"
    " ELSE CAST(substr(c.t, instr(c.t, '(') + 1) AS INTEGER) END"
    " WHEN c.t IN ('int', 'integer', 'real', 'smalldatetime', 'smallmoney') THEN 4"
    " WHEN c.t IN ('bigint', 'datetime', 'datetime2', 'float', 'money') THEN 8"
    " WHEN c.t = 'smallint' THEN 2 WHEN c.t IN ('tinyint', 'bit') THEN 1 WHEN c.t = 'date' THEN 3"
    " WHEN c.t IN ('decimal', 'numeric') THEN 9 WHEN c.t IN ('text', 'ntext', 'image') THEN 16"
    " WHEN c.t IN ('varchar', 'char', 'binary', 'varbinary') THEN 1 WHEN c.t IN ('nvarchar', 'nchar') THEN 2"
    " ELSE 0 END AS max_length, c.is_nullable AS is_nullable"
    " FROM (SELECT m.rowid AS object_id, p.name COLLATE NOCASE AS name, p.cid + 1 AS column_id, lower(trim(p.type)) AS t,"
    " CASE WHEN p.\"notnull\" THEN 0 ELSE 1 END AS is_nullable"
    " FROM sqlite_schema AS m, pragma_table_info(m.name) AS p WHERE m.type IN ('table', 'view')) AS c)";

QString sysView(const QString& lowerName)
{
    if (lowerName == u"columns")
        return QString::fromLatin1(kSysColumns);
    if (lowerName == u"tables")
        return QStringLiteral("(SELECT rowid AS object_id, name COLLATE NOCASE AS name FROM sqlite_schema WHERE type = 'table')");
    if (lowerName == u"views")
        return QStringLiteral("(SELECT rowid AS object_id, name COLLATE NOCASE AS name FROM sqlite_schema WHERE type = 'view')");
    if (lowerName == u"objects")
        return QStringLiteral("(SELECT rowid AS object_id, name COLLATE NOCASE AS name, CASE type WHEN 'table' THEN 'U' ELSE 'V' END"
                              " AS type FROM sqlite_schema WHERE type IN ('table', 'view'))");
    return QString();
}

// The object name of an OBJECT_ID argument: "[dbo].[X]", "dbo.X", "X".
QString objectNameOf(const QString& arg)
{
    const std::vector<Token> parts = tokenize(arg.trimmed());
    QString last;
    for (const Token& t : parts) {
        if (t.isName())
            last = t.value;
    }
    return last;
}

// Drops "dbo." before names (the schema prefix SQLite does not know).
std::vector<Token> withoutDbo(const std::vector<Token>& in)
{
    std::vector<Token> out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const Token& t = in[i];
        if (t.isName() && t.value.compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0 && i + 2 < in.size()
            && in[i + 1].isSymbol(".") && in[i + 2].isName()) {
            ++i; // skip the dot as well
            continue;
        }
        out.push_back(t);
    }
    return out;
}

class Rewriter {
public:
    Rewriter(const std::vector<Token>& tokens, const CatalogGetter* catalog)
        : t(withoutDbo(tokens)), out(t.size()), prefix(t.size()), suffix(t.size()), gone(t.size(), false),
          cat(catalog)
    {
        for (int i = 0; i < static_cast<int>(t.size()); ++i) {
            if (t[i].isSignificant())
                s.push_back(i);
        }
    }

    int n() const { return static_cast<int>(s.size()); }
    bool has(int k) const { return k >= 0 && k < n(); }
    const Token& T(int k) const
    {
        static const Token none;
        return has(k) ? t[s[k]] : none;
    }
    void set(int k, const QString& x) { out[s[k]] = x; }
    void remove(int k) { gone[s[k]] = true; }
    void removeRange(int a, int b)
    {
        for (int k = a; k <= b; ++k)
            remove(k);
    }
    void append(int k, const QString& x) { suffix[s[k]] += x; }
    void prepend(int k, const QString& x) { prefix[s[k]] += x; }

    int matching(int k) const
    {
        int depth = 0;
        for (int j = k; j < n(); ++j) {
            if (T(j).isSymbol("("))
                ++depth;
            else if (T(j).isSymbol(")") && --depth == 0)
                return j;
        }
        return -1;
    }

    QString renderTokens(int from, int to) const // raw token indexes, inclusive
    {
        // Blanks that only separated removed tokens are dropped, so no double blanks are left.
        QString r;
        bool afterRemoved = false;
        for (int i = from; i <= to; ++i) {
            r += prefix[i];
            if (gone[i]) {
                afterRemoved = true;
            } else if (t[i].kind == TokenKind::Space && afterRemoved && !out[i] && (r.isEmpty() || r.back().isSpace())) {
                // skipped
            } else {
                r += out[i] ? *out[i] : renderDefault(t[i]);
                if (t[i].kind != TokenKind::Space)
                    afterRemoved = false;
            }
            r += suffix[i];
        }
        return r;
    }
    QString render() const { return t.empty() ? QString() : renderTokens(0, static_cast<int>(t.size()) - 1).trimmed(); }
    QString render(int a, int b) const { return a > b ? QString() : renderTokens(s[a], s[b]).trimmed(); }

    // ---- structure helpers
    std::pair<int, int> leftOperand(int k) const
    {
        int depth = 0, j = k - 1;
        for (; j >= 0; --j) {
            const Token& x = T(j);
            if (x.isSymbol(")"))
                ++depth;
            else if (x.isSymbol("(")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && isBoundary(x))
                break;
        }
        return {j + 1, k - 1};
    }
    std::pair<int, int> rightOperand(int k) const
    {
        int depth = 0, j = k + 1;
        for (; j < n(); ++j) {
            const Token& x = T(j);
            if (x.isSymbol("("))
                ++depth;
            else if (x.isSymbol(")")) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && isBoundary(x))
                break;
        }
        return {k + 1, j - 1};
    }
    static bool isBoundary(const Token& x)
    {
        return x.isSymbol(",") || x.isSymbol(";") || isComparison(x) || x.isWordIn(boundaryWords());
    }
    // Argument ranges of the parenthesis at k (split at top-level commas).
    std::vector<std::pair<int, int>> arguments(int k) const
    {
        std::vector<std::pair<int, int>> r;
        const int close = matching(k);
        if (close < 0)
            return r;
        int depth = 0, start = k + 1;
        for (int j = k + 1; j < close; ++j) {
            if (T(j).isSymbol("("))
                ++depth;
            else if (T(j).isSymbol(")"))
                --depth;
            else if (depth == 0 && T(j).isSymbol(",")) {
                r.emplace_back(start, j - 1);
                start = j + 1;
            }
        }
        if (close > k + 1)
            r.emplace_back(start, close - 1);
        return r;
    }
    bool isColumnRef(int a, int b, QString* qual, QString* col) const
    {
        if (a == b && T(a).isName() && !T(a).isWordIn(boundaryWords())) {
            *qual = QString();
            *col = T(a).value;
            return true;
        }
        if (b == a + 2 && T(a).isName() && T(a + 1).isSymbol(".") && T(b).isName()) {
            *qual = T(a).value;
            *col = T(b).value;
            return true;
        }
        return false;
    }
    bool isExpression(int a, int b) const
    {
        if (a >= b)
            return false;
        for (int j = a; j <= b; ++j) {
            if (isArithmetic(T(j)))
                return true;
        }
        return false;
    }

    // ---- column types
    const CatalogData& catalog()
    {
        static const CatalogData empty;
        return cat && *cat ? (*cat)() : empty;
    }
    void buildScope()
    {
        if (scopeBuilt)
            return;
        scopeBuilt = true;
        static const QSet<QString> notAlias = [] {
            QSet<QString> w = boundaryWords();
            for (const char* x : {"OFFSET", "FETCH", "WHERE", "LEFT", "RIGHT", "INNER", "OUTER", "FULL", "CROSS"})
                w.insert(QString::fromLatin1(x));
            return w;
        }();
        const CatalogData& c = catalog();
        for (int k = 0; k < n(); ++k) {
            const Token& x = T(k);
            if (!x.isName() || T(k - 1).isSymbol(".") || T(k + 1).isSymbol(".") || T(k + 1).isSymbol("("))
                continue;
            if (!c.table(x.value))
                continue;
            const QString table = x.value.toLower();
            if (!scopeTables.contains(table))
                scopeTables.append(table);
            int j = k + 1;
            if (T(j).isWord("AS"))
                ++j;
            if (T(j).isName() && !T(j).isWordIn(notAlias) && !T(j + 1).isSymbol(".") && !T(j + 1).isSymbol("("))
                aliases.insert(T(j).value.toLower(), table);
        }
    }
    QString columnType(const QString& qual, const QString& col)
    {
        buildScope();
        const CatalogData& c = catalog();
        if (!qual.isEmpty())
            return c.columnType(aliases.value(qual.toLower(), qual), col);
        for (const QString& table : scopeTables) {
            const QString type = c.columnType(table, col);
            if (!type.isEmpty())
                return type;
        }
        return QString();
    }
    // Declared type of an operand: a column, or ISNULL/COALESCE/MAX/MIN over one.
    QString typeOf(int a, int b)
    {
        QString qual, col;
        if (a > b)
            return QString();
        if (isColumnRef(a, b, &qual, &col))
            return columnType(qual, col);
        if (T(a).isSymbol("(") && matching(a) == b)
            return typeOf(a + 1, b - 1);
        static const QSet<QString> passThrough = {QStringLiteral("ISNULL"), QStringLiteral("IFNULL"),
                                                  QStringLiteral("COALESCE"), QStringLiteral("MAX"),
                                                  QStringLiteral("MIN")};
        if (T(a).isWordIn(passThrough) && T(a + 1).isSymbol("(") && matching(a + 1) == b) {
            const auto args = arguments(a + 1);
            if (!args.empty())
                return typeOf(args.front().first, args.front().second);
        }
        return QString();
    }

    // ---- passes
    void general()
    {
        for (int k = 0; k < n(); ++k) {
            const Token& x = T(k);
            if (x.isName() && x.value.compare(QLatin1String("sys"), Qt::CaseInsensitive) == 0
                && T(k + 1).isSymbol(".") && T(k + 2).isName() && !T(k - 1).isSymbol(".")) {
                const QString view = sysView(T(k + 2).value.toLower());
                if (!view.isEmpty()) {
                    const Token& after = T(k + 3);
                    const bool aliased = after.isWord("AS")
                        || (after.isName() && !after.isWordIn(boundaryWords()) && !after.isWord("WHERE")
                            && !after.isWord("LEFT") && !after.isWord("INNER"));
                    set(k, view + (aliased ? QString() : QStringLiteral(" AS ") + sqliteIdentifier(T(k + 2).value)));
                    remove(k + 1);
                    remove(k + 2);
                    k += 2;
                    continue;
                }
            }
            if (x.kind == TokenKind::Word && T(k + 1).isSymbol("(")) {
                const QString name = x.text.toUpper();
                if (name == u"OBJECT_ID")
                    objectId(k);
                else if (name == u"ISNULL")
                    isnull(k);
                else if (name == u"GETDATE" && T(k + 2).isSymbol(")")) {
                    set(k, QStringLiteral("datetime('now', 'localtime')"));
                    remove(k + 1);
                    remove(k + 2);
                } else if (name == u"LEN")
                    set(k, QStringLiteral("length"));
            }
        }
        top();
        comparisons();
        insertValues();
    }

    void objectId(int k)
    {
        const auto args = arguments(k + 1);
        if (args.empty() || args[0].first != args[0].second || T(args[0].first).kind != TokenKind::String)
            return;
        const QString name = objectNameOf(T(args[0].first).value);
        QString types = QStringLiteral("'table', 'view'");
        if (args.size() > 1 && T(args[1].first).kind == TokenKind::String) {
            const QString kind = T(args[1].first).value.trimmed().toUpper();
            if (kind == u"U")
                types = QStringLiteral("'table'");
            else if (kind == u"V")
                types = QStringLiteral("'view'");
        }
        set(k, QStringLiteral("(SELECT rowid FROM sqlite_schema WHERE type IN (") + types
                   + QStringLiteral(") AND name = ") + quoteString(name) + QStringLiteral(" COLLATE NOCASE)"));
        removeRange(k + 1, matching(k + 1));
    }

    // ISNULL(a, b) is IFNULL on SQLite; over a date column the replacement takes the date
    // type as SQL Server does: 0 is 1900-01-01 00:00:00, n is n days after it.
    void isnull(int k)
    {
        set(k, QStringLiteral("ifnull"));
        const auto args = arguments(k + 1);
        if (args.size() != 2 || args[1].first != args[1].second)
            return;
        const Token& b = T(args[1].first);
        const bool number = b.kind == TokenKind::Number && isNumericText(b.text);
        const bool dateText = b.kind == TokenKind::String && normalizeDateLiteral(b.value).has_value();
        if (!number && !dateText)
            return;
        if (!isDateType(typeOf(args[0].first, args[0].second)))
            return;
        QString value;
        if (number) {
            const QDateTime base(QDate(1900, 1, 1), QTime(0, 0));
            const double days = b.text.toDouble();
            value = base.addMSecs(static_cast<qint64>(days * 86400000.0)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        } else {
            value = *normalizeDateLiteral(b.value);
        }
        set(args[1].first, quoteString(value));
    }

    void top()
    {
        for (int k = 0; k < n(); ++k) {
            if (!T(k).isWord("SELECT"))
                continue;
            int j = k + 1;
            if (T(j).isWord("DISTINCT") || T(j).isWord("ALL"))
                ++j;
            if (!T(j).isWord("TOP"))
                continue;
            QString count;
            int after = 0;
            if (T(j + 1).kind == TokenKind::Number) {
                count = T(j + 1).text;
                after = j + 2;
            } else if (T(j + 1).isSymbol("(") && T(j + 2).kind == TokenKind::Number && T(j + 3).isSymbol(")")) {
                count = T(j + 2).text;
                after = j + 4;
            } else {
                continue;
            }
            if (T(after).isWord("PERCENT") || (T(after).isWord("WITH") && T(after + 1).isWord("TIES")))
                continue; // no SQLite form; left for SQLite to reject
            removeRange(j, after - 1);
            int e = k + 1, depth = 0;
            for (; e < n(); ++e) {
                if (T(e).isSymbol("("))
                    ++depth;
                else if (T(e).isSymbol(")")) {
                    if (depth == 0)
                        break;
                    --depth;
                } else if (depth == 0 && T(e).isSymbol(";"))
                    break;
            }
            append(e - 1, QStringLiteral(" LIMIT ") + count);
        }
    }

    // A quoted literal compared with something else: a number compared with an arithmetic
    // expression loses its quotes (SQL Server converts the text to a number; SQLite would
    // compare number < text); a date compared with a date column is written as stored.
    void literalAgainst(int lit, int a, int b)
    {
        const Token& l = T(lit);
        if (l.kind != TokenKind::String)
            return;
        if (isNumericText(l.value) && isExpression(a, b)) {
            set(lit, l.value.trimmed());
            return;
        }
        if (const auto d = normalizeDateLiteral(l.value)) {
            if (isDateType(typeOf(a, b)))
                set(lit, quoteString(*d));
        }
    }

    void comparisons()
    {
        for (int k = 0; k < n(); ++k) {
            if (isComparison(T(k))) {
                const auto [la, lb] = leftOperand(k);
                const auto [ra, rb] = rightOperand(k);
                if (la > lb || ra > rb)
                    continue;
                if (ra == rb)
                    literalAgainst(ra, la, lb);
                if (la == lb)
                    literalAgainst(la, ra, rb);
            } else if (T(k).isWord("BETWEEN") && T(k + 2).isWord("AND")) {
                int a = leftOperand(k).first;
                if (T(k - 1).isWord("NOT"))
                    a = leftOperand(k - 1).first;
                const int b = T(k - 1).isWord("NOT") ? k - 2 : k - 1;
                if (a > b)
                    continue;
                literalAgainst(k + 1, a, b);
                if (has(k + 3))
                    literalAgainst(k + 3, a, b);
            }
        }
    }

    void insertValues()
    {
        if (!T(0).isWord("INSERT"))
            return;
        int j = 1;
        if (T(j).isWord("INTO"))
            ++j;
        if (!T(j).isName())
            return;
        const QString table = T(j).value;
        ++j;
        QStringList columns;
        bool listed = false;
        if (T(j).isSymbol("(")) {
            const int close = matching(j);
            if (close < 0)
                return;
            for (const auto& [a, b] : arguments(j)) {
                if (a == b && T(a).isName())
                    columns << T(a).value;
                else
                    return;
            }
            listed = true;
            j = close + 1;
        }
        if (!T(j).isWord("VALUES"))
            return;
        ++j;
        bool catalogRead = false;
        while (T(j).isSymbol("(")) {
            const int close = matching(j);
            if (close < 0)
                return;
            const auto args = arguments(j);
            for (size_t i = 0; i < args.size(); ++i) {
                const auto [a, b] = args[i];
                if (a != b || T(a).kind != TokenKind::String)
                    continue;
                const auto d = normalizeDateLiteral(T(a).value);
                if (!d)
                    continue;
                if (!listed && !catalogRead) {
                    catalogRead = true;
                    if (const auto* cols = catalog().table(table)) {
                        for (const auto& c : *cols)
                            columns << c.name;
                    }
                }
                if (i < static_cast<size_t>(columns.size())
                    && isDateType(catalog().columnType(table, columns[static_cast<int>(i)])))
                    set(a, quoteString(*d));
            }
            j = close + 1;
            if (!T(j).isSymbol(","))
                break;
            ++j;
        }
    }

    // CREATE TABLE as SQL Server writes it: bracketed names and types, CLUSTERED, WITH (...)
    // index options, ON [filegroup], a CONSTRAINT without a comma before it, IDENTITY.
    void createTable()
    {
        int p = 2;
        while (has(p) && !T(p).isSymbol("("))
            ++p;
        const int q = matching(p);
        if (q < 0)
            return;
        int depth = 0;
        for (int j = p + 1; j < q; ++j) {
            const Token& x = T(j);
            if (x.isSymbol("(")) {
                ++depth;
            } else if (x.isSymbol(")")) {
                --depth;
            } else if (x.isWord("CLUSTERED") || x.isWord("NONCLUSTERED")) {
                remove(j);
            } else if (x.isWord("WITH") && T(j + 1).isSymbol("(")) {
                const int m = matching(j + 1);
                if (m < 0 || m >= q)
                    continue;
                removeRange(j, m);
                j = m;
            } else if (x.isWord("ON") && T(j - 1).isSymbol(")") && T(j + 1).isName() && !T(j + 1).isWord("DELETE")
                       && !T(j + 1).isWord("UPDATE") && !T(j + 1).isWord("CONFLICT")) {
                removeRange(j, j + 1);
                ++j;
            } else if (x.isWord("IDENTITY")) {
                remove(j);
                if (T(j + 1).isSymbol("(")) {
                    const int m = matching(j + 1);
                    removeRange(j + 1, m);
                    j = m;
                }
            } else if (depth == 0 && x.isWord("CONSTRAINT")) {
                int prev = j - 1;
                while (prev > p && gone[s[prev]])
                    --prev;
                if (!T(prev).isSymbol(",") && !T(prev).isSymbol("("))
                    prepend(j, QStringLiteral(", "));
            }
        }
        trailingOptions(q + 1);
    }

    void createIndex()
    {
        int j = 1;
        if (T(j).isWord("UNIQUE"))
            ++j;
        if (T(j).isWord("CLUSTERED") || T(j).isWord("NONCLUSTERED"))
            remove(j);
        int p = j;
        while (has(p) && !T(p).isSymbol("("))
            ++p;
        const int q = matching(p);
        if (q >= 0)
            trailingOptions(q + 1);
    }

    void trailingOptions(int from)
    {
        for (int j = from; j < n(); ++j) {
            if ((T(j).isWord("ON") || T(j).isWord("TEXTIMAGE_ON")) && T(j + 1).isName()) {
                removeRange(j, j + 1);
                ++j;
            } else if ((T(j).isWord("WITH") || T(j).isWord("INCLUDE")) && T(j + 1).isSymbol("(")) {
                const int m = matching(j + 1);
                if (m < 0)
                    return;
                removeRange(j, m);
                j = m;
            }
        }
    }

    std::vector<Token> t;
    std::vector<int> s;
    std::vector<std::optional<QString>> out;
    std::vector<QString> prefix, suffix;
    std::vector<bool> gone;
    const CatalogGetter* cat;
    bool scopeBuilt = false;
    QStringList scopeTables;
    QHash<QString, QString> aliases;
};

} // namespace

// ---------------------------------------------------------------- public entry points
Translation translateStatement(const std::vector<Token>& tokens, const CatalogGetter& catalog)
{
    Translation tr;
    Rewriter r(tokens, &catalog);
    if (r.n() == 0) {
        tr.kind = Translation::Kind::Nothing;
        return tr;
    }
    const Token& first = r.T(0);
    if (first.isWord("SET") && (r.T(1).isWord("NOCOUNT") || r.T(1).isWord("ANSI_NULLS")
                                || r.T(1).isWord("QUOTED_IDENTIFIER") || r.T(1).isWord("ANSI_PADDING")
                                || r.T(1).isWord("DATEFORMAT") || r.T(1).isWord("XACT_ABORT"))) {
        tr.kind = Translation::Kind::Nothing;
        return tr;
    }
    if (first.isWord("PRINT")) {
        tr.kind = Translation::Kind::Nothing;
        return tr;
    }
    if ((first.isWord("BEGIN") || first.isWord("COMMIT") || first.isWord("ROLLBACK"))
        && (r.n() == 1 || isTranWord(r.T(1)))) {
        tr.sql << (first.isWord("BEGIN") ? QStringLiteral("BEGIN") : first.text.toUpper());
        return tr;
    }
    if (first.isWord("ALTER") && r.T(1).isWord("TABLE") && r.T(2).isName()) {
        const QString table = r.T(2).value;
        if (r.T(3).isWord("ALTER") && r.T(4).isWord("COLUMN") && r.T(5).isName()) {
            r.general();
            int end = r.n() - 1;
            while (end > 5 && r.T(end).isSymbol(";"))
                --end;
            if (r.T(end).isWord("NULL")) {
                tr.notNull = r.T(end - 1).isWord("NOT");
                end -= tr.notNull ? 2 : 1;
            }
            for (int j = 6; j <= end; ++j) {
                if (r.T(j).isWord("COLLATE") && j + 1 <= end) {
                    r.removeRange(j, j + 1);
                    ++j;
                }
            }
            tr.kind = Translation::Kind::AlterColumn;
            tr.table = table;
            tr.column = r.T(5).value;
            tr.columnType = r.render(6, end);
            return tr;
        }
        if (r.T(3).isWord("ADD") && !r.T(4).isWord("CONSTRAINT") && !r.T(4).isWord("PRIMARY")
            && !r.T(4).isWord("UNIQUE") && !r.T(4).isWord("FOREIGN") && !r.T(4).isWord("CHECK")) {
            r.general();
            int start = r.T(4).isWord("COLUMN") ? 5 : 4;
            int depth = 0;
            for (int j = start; j <= r.n(); ++j) {
                const bool atEnd = j == r.n() || (depth == 0 && (r.T(j).isSymbol(",") || r.T(j).isSymbol(";")));
                if (j < r.n() && r.T(j).isSymbol("("))
                    ++depth;
                else if (j < r.n() && r.T(j).isSymbol(")"))
                    --depth;
                if (atEnd) {
                    if (j > start)
                        tr.sql << QStringLiteral("ALTER TABLE ") + sqliteIdentifier(table) + QStringLiteral(" ADD COLUMN ")
                                      + r.render(start, j - 1);
                    start = j + 1;
                }
            }
            return tr;
        }
    }
    if (first.isWord("CREATE")) {
        if (r.T(1).isWord("TABLE"))
            r.createTable();
        else if (r.T(1).isWord("INDEX") || r.T(2).isWord("INDEX") || r.T(3).isWord("INDEX"))
            r.createIndex();
    }
    r.general();
    QString sql = r.render();
    while (sql.endsWith(u';'))
        sql.chop(1);
    tr.sql << sql.trimmed();
    tr.returnsRows = first.isWord("SELECT") || first.isWord("WITH") || first.isWord("VALUES")
        || first.isWord("PRAGMA") || first.isSymbol("(");
    return tr;
}

QString translateCondition(const std::vector<Token>& tokens, const CatalogGetter& catalog)
{
    Rewriter r(tokens, &catalog);
    r.general();
    return QStringLiteral("SELECT CASE WHEN ") + r.render() + QStringLiteral(" THEN 1 ELSE 0 END");
}

QString replaceColumnDefinition(const QString& createSql, const QString& column, const QString& columnType,
                                bool notNull, QString* error)
{
    Rewriter r(tokenize(createSql), nullptr);
    int p = 0;
    while (r.has(p) && !r.T(p).isSymbol("("))
        ++p;
    const int q = r.matching(p);
    if (q < 0) {
        *error = QStringLiteral("The table definition cannot be read.");
        return QString();
    }
    static const QSet<QString> constraintWords = {
        QStringLiteral("CONSTRAINT"), QStringLiteral("PRIMARY"), QStringLiteral("NOT"), QStringLiteral("NULL"),
        QStringLiteral("UNIQUE"), QStringLiteral("CHECK"), QStringLiteral("DEFAULT"), QStringLiteral("COLLATE"),
        QStringLiteral("REFERENCES"), QStringLiteral("GENERATED"), QStringLiteral("AS")};
    int itemStart = p + 1, depth = 0;
    for (int j = p + 1; j <= q; ++j) {
        const bool itemEnd = j == q || (depth == 0 && r.T(j).isSymbol(","));
        if (!itemEnd) {
            if (r.T(j).isSymbol("("))
                ++depth;
            else if (r.T(j).isSymbol(")"))
                --depth;
            continue;
        }
        const int a = itemStart, b = j - 1;
        itemStart = j + 1;
        if (a > b || !r.T(a).isName() || r.T(a).value.compare(column, Qt::CaseInsensitive) != 0
            || r.T(a).isWordIn(constraintWords))
            continue;
        int c = a + 1, d = 0;
        for (; c <= b; ++c) {
            if (r.T(c).isSymbol("("))
                ++d;
            else if (r.T(c).isSymbol(")"))
                --d;
            else if (d == 0 && r.T(c).isWordIn(constraintWords))
                break;
        }
        r.removeRange(a + 1, c - 1);
        for (int x = c; x <= b; ++x) {
            if (r.T(x).isWord("NOT") && r.T(x + 1).isWord("NULL")) {
                r.removeRange(x, x + 1);
                ++x;
            } else if (r.T(x).isWord("NULL") && !r.T(x - 1).isWord("DEFAULT")) {
                r.remove(x);
            }
        }
        r.append(a, QStringLiteral(" ") + columnType + (notNull ? QStringLiteral(" NOT NULL") : QStringLiteral(" NULL")));
        return r.render();
    }
    *error = QStringLiteral("Column '%1' does not exist.").arg(column);
    return QString();
}

QString toSqlite(const QString& tsql, const CatalogData& catalog)
{
    const CatalogGetter getter = [&catalog]() -> const CatalogData& { return catalog; };
    QStringList out;
    for (const auto& batch : splitGoBatches(tokenize(tsql))) {
        QString error;
        for (const Statement& st : parseBatch(batch, &error)) {
            if (st.kind != Statement::Kind::Plain) {
                out << QStringLiteral("/* IF */");
                continue;
            }
            const Translation tr = translateStatement(st.tokens, getter);
            if (tr.kind == Translation::Kind::AlterColumn)
                out << QStringLiteral("/* ALTER COLUMN %1.%2 %3%4 */")
                           .arg(tr.table, tr.column, tr.columnType, tr.notNull ? QStringLiteral(" NOT NULL") : QString());
            else
                out << tr.sql;
        }
    }
    return out.join(QStringLiteral(";\n"));
}

} // namespace tsql
