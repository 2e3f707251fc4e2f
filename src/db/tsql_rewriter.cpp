#include "tsql_rewriter.h"

#include "tsql_rewrite_p.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QTime>

#include <algorithm>

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
    return t == u"datetime" || t == u"date" || t == u"smalldatetime" || t == u"datetime2" || t == u"datetimeoffset";
}

std::optional<QString> normalizeDateLiteral(const QString& text)
{
    static const QString timePart = QStringLiteral("(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,7}))?)?)?");
    static const QRegularExpression ymd(QStringLiteral("^(\\d{4})[/\\-.](\\d{1,2})[/\\-.](\\d{1,2})") + timePart
                                        + u'$');
    static const QRegularExpression mdy(QStringLiteral("^(\\d{1,2})[/\\-.](\\d{1,2})[/\\-.](\\d{4})") + timePart
                                        + u'$');
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

namespace rewrite {

bool isNumericText(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)\\s*$"));
    return re.match(s).hasMatch();
}

const QSet<QString>& boundaryWords()
{
    static const QSet<QString> words = wordSet({
        "AND",  "OR",     "NOT",   "WHERE",  "ON",        "HAVING",   "WHEN",  "THEN",    "ELSE",  "END",
        "CASE", "SELECT", "SET",   "BY",     "IS",        "IN",       "LIKE",  "BETWEEN", "AS",    "FROM",
        "JOIN", "ORDER",  "GROUP", "UNION",  "VALUES",    "DISTINCT", "TOP",   "EXISTS",  "LIMIT", "ESCAPE",
        "INTO", "RETURN", "IF",    "BEGIN",  "LEFT",      "RIGHT",    "INNER", "OUTER",   "CROSS", "FULL",
        "ALL",  "ANY",    "SOME",  "EXCEPT", "INTERSECT", "ASC",      "DESC",  "WITH",
    });
    return words;
}

bool isComparison(const Token& t)
{
    if (t.kind != TokenKind::Symbol)
        return false;
    static const QSet<QString> ops = {QStringLiteral("="),  QStringLiteral("<>"), QStringLiteral("!="),
                                      QStringLiteral("<"),  QStringLiteral("<="), QStringLiteral(">"),
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
    " FROM (SELECT m.rowid AS object_id, p.name COLLATE NOCASE AS name, p.cid + 1 AS column_id,"
    " lower(trim(p.type)) AS t,"
    " CASE WHEN p.\"notnull\" THEN 0 ELSE 1 END AS is_nullable"
    " FROM sqlite_schema AS m, pragma_table_info(m.name) AS p WHERE m.type IN ('table', 'view')) AS c)";

QString sysView(const QString& lowerName)
{
    if (lowerName == u"columns")
        return QString::fromLatin1(kSysColumns);
    if (lowerName == u"tables")
        return QStringLiteral(
            "(SELECT rowid AS object_id, name COLLATE NOCASE AS name FROM sqlite_schema WHERE type = 'table')");
    if (lowerName == u"views")
        return QStringLiteral(
            "(SELECT rowid AS object_id, name COLLATE NOCASE AS name FROM sqlite_schema WHERE type = 'view')");
    if (lowerName == u"objects")
        return QStringLiteral(
            "(SELECT rowid AS object_id, name COLLATE NOCASE AS name, CASE type WHEN 'table' THEN 'U' ELSE 'V' END"
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

} // namespace rewrite

using rewrite::Rewriter;

namespace {

bool isAnyWord(const Token& t, std::initializer_list<const char*> upperWords)
{
    return std::any_of(upperWords.begin(), upperWords.end(), [&t](const char* word) { return t.isWord(word); });
}

Translation nothing()
{
    Translation tr;
    tr.kind = Translation::Kind::Nothing;
    return tr;
}

// Session options SQLite has no use for, and PRINT.
bool isIgnored(const Rewriter& statement)
{
    const Token& first = statement.tokenAt(0);
    return (first.isWord("SET")
            && isAnyWord(statement.tokenAt(1),
                         {"NOCOUNT", "ANSI_NULLS", "QUOTED_IDENTIFIER", "ANSI_PADDING", "DATEFORMAT", "XACT_ABORT"}))
        || first.isWord("PRINT");
}

// BEGIN, COMMIT or ROLLBACK [TRAN ...]: SQLite's own statement.
std::optional<QString> transactionStatement(const Rewriter& statement)
{
    const Token& first = statement.tokenAt(0);
    if (!isAnyWord(first, {"BEGIN", "COMMIT", "ROLLBACK"})
        || (statement.significantCount() > 1 && !isTranWord(statement.tokenAt(1))))
        return std::nullopt;
    return first.isWord("BEGIN") ? QStringLiteral("BEGIN") : first.text.toUpper();
}

// ALTER TABLE t ALTER COLUMN c <type> [[NOT] NULL]: carried out by the session as a table rebuild.
Translation alterColumn(Rewriter& statement)
{
    Translation tr;
    tr.kind = Translation::Kind::AlterColumn;
    tr.table = statement.tokenAt(2).value;
    tr.column = statement.tokenAt(5).value;
    statement.commonPasses();
    int end = statement.significantCount() - 1;
    while (end > 5 && statement.tokenAt(end).isSymbol(";"))
        --end;
    if (statement.tokenAt(end).isWord("NULL")) {
        tr.notNull = statement.tokenAt(end - 1).isWord("NOT");
        end -= tr.notNull ? 2 : 1;
    }
    for (int j = 6; j <= end; ++j) {
        if (statement.tokenAt(j).isWord("COLLATE") && j + 1 <= end) {
            statement.removeTokens(j, j + 1);
            ++j;
        }
    }
    tr.columnType = statement.renderRange(6, end);
    return tr;
}

// ALTER TABLE t ADD c1 ..., c2 ...: one ADD COLUMN statement a column.
Translation addColumns(Rewriter& statement)
{
    statement.commonPasses();
    const QString table = sqliteIdentifier(statement.tokenAt(2).value);
    Translation tr;
    for (const auto& [first, last] :
         statement.listItems(statement.tokenAt(4).isWord("COLUMN") ? 5 : 4, statement.significantCount() - 1, true)) {
        if (first <= last)
            tr.sql << QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD COLUMN ")
                    + statement.renderRange(first, last);
    }
    return tr;
}

Translation plainStatement(Rewriter& statement)
{
    const Token& first = statement.tokenAt(0);
    if (first.isWord("CREATE")) {
        if (statement.tokenAt(1).isWord("TABLE"))
            statement.createTable();
        else if (statement.tokenAt(1).isWord("INDEX") || statement.tokenAt(2).isWord("INDEX")
                 || statement.tokenAt(3).isWord("INDEX"))
            statement.createIndex();
    }
    statement.commonPasses();
    QString sql = statement.render();
    while (sql.endsWith(u';'))
        sql.chop(1);
    Translation tr;
    tr.sql << sql.trimmed();
    tr.returnsRows = isAnyWord(first, {"SELECT", "WITH", "VALUES", "PRAGMA"}) || first.isSymbol("(");
    return tr;
}

const QSet<QString>& columnConstraintWords()
{
    static const QSet<QString> words = wordSet({"CONSTRAINT", "PRIMARY", "NOT", "NULL", "UNIQUE", "CHECK", "DEFAULT",
                                                "COLLATE", "REFERENCES", "GENERATED", "AS"});
    return words;
}

// The column definition at [first, last] gets the given type and nullability after its name;
// its other constraints stay.
void retypeColumn(Rewriter& statement, int first, int last, const QString& typeAndNullability)
{
    int constraints = first + 1, depth = 0;
    for (; constraints <= last; ++constraints) {
        if (statement.tokenAt(constraints).isSymbol("("))
            ++depth;
        else if (statement.tokenAt(constraints).isSymbol(")"))
            --depth;
        else if (depth == 0 && statement.tokenAt(constraints).isWordIn(columnConstraintWords()))
            break;
    }
    statement.removeTokens(first + 1, constraints - 1);
    for (int j = constraints; j <= last; ++j) {
        if (statement.tokenAt(j).isWord("NOT") && statement.tokenAt(j + 1).isWord("NULL")) {
            statement.removeTokens(j, j + 1);
            ++j;
        } else if (statement.tokenAt(j).isWord("NULL") && !statement.tokenAt(j - 1).isWord("DEFAULT")) {
            statement.removeToken(j);
        }
    }
    statement.appendAfter(first, u' ' + typeAndNullability);
}

} // namespace

// ---------------------------------------------------------------- public entry points
Translation translateStatement(const std::vector<Token>& tokens, const CatalogGetter& catalog)
{
    Rewriter statement(tokens, &catalog);
    if (statement.significantCount() == 0 || isIgnored(statement))
        return nothing();
    if (const auto sqlite = transactionStatement(statement)) {
        Translation tr;
        tr.sql << *sqlite;
        return tr;
    }
    if (statement.tokenAt(0).isWord("ALTER") && statement.tokenAt(1).isWord("TABLE") && statement.tokenAt(2).isName()) {
        if (statement.tokenAt(3).isWord("ALTER") && statement.tokenAt(4).isWord("COLUMN")
            && statement.tokenAt(5).isName())
            return alterColumn(statement);
        if (statement.tokenAt(3).isWord("ADD")
            && !isAnyWord(statement.tokenAt(4), {"CONSTRAINT", "PRIMARY", "UNIQUE", "FOREIGN", "CHECK"}))
            return addColumns(statement);
    }
    return plainStatement(statement);
}

QString translateCondition(const std::vector<Token>& tokens, const CatalogGetter& catalog)
{
    Rewriter statement(tokens, &catalog);
    statement.commonPasses();
    return QStringLiteral("SELECT CASE WHEN ") + statement.render() + QStringLiteral(" THEN 1 ELSE 0 END");
}

QString replaceColumnDefinition(const QString& createSql, const QString& column, const QString& columnType,
                                bool notNull, QString* error)
{
    Rewriter statement(tokenize(createSql), nullptr);
    const int open = statement.nextSymbol(0, "(");
    if (statement.closingParenthesis(open) < 0) {
        *error = QStringLiteral("The table definition cannot be read.");
        return QString();
    }
    for (const auto& [first, last] : statement.arguments(open)) {
        const Token& name = statement.tokenAt(first);
        if (first > last || !name.isName() || name.value.compare(column, Qt::CaseInsensitive) != 0
            || name.isWordIn(columnConstraintWords()))
            continue;
        retypeColumn(statement, first, last,
                     columnType + (notNull ? QStringLiteral(" NOT NULL") : QStringLiteral(" NULL")));
        return statement.render();
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
                           .arg(tr.table, tr.column, tr.columnType,
                                tr.notNull ? QStringLiteral(" NOT NULL") : QString());
            else
                out << tr.sql;
        }
    }
    return out.join(QStringLiteral(";\n"));
}

} // namespace tsql
