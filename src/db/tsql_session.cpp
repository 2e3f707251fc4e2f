#include "tsql_session.h"

#include <QHash>
#include <QMutex>

namespace tsql {

namespace {

bool isDml(const QString& sql)
{
    const QString head = sql.trimmed().left(7).toUpper();
    return head.startsWith(QLatin1String("INSERT")) || head.startsWith(QLatin1String("UPDATE"))
        || head.startsWith(QLatin1String("DELETE")) || head.startsWith(QLatin1String("REPLACE"));
}

struct CatalogCache {
    QMutex mutex;
    QHash<QString, std::shared_ptr<const CatalogData>> byKey; // key + "#" + schema version
};

CatalogCache& cache()
{
    static CatalogCache c;
    return c;
}

} // namespace

const CatalogData& Session::catalog()
{
    static const CatalogData empty;
    if (m_catalogChecked && m_catalog)
        return *m_catalog;
    m_catalogChecked = true;
    QueryResult version;
    if (!m_backend.query(QStringLiteral("PRAGMA schema_version"), &version) || version.rows.empty()) {
        m_catalog.reset();
        return empty;
    }
    const QString key = m_backend.cacheKey() + u'#' + version.rows.front().front().toString();
    {
        QMutexLocker lock(&cache().mutex);
        if (auto it = cache().byKey.constFind(key); it != cache().byKey.constEnd()) {
            m_catalog = it.value();
            return *m_catalog;
        }
    }
    QueryResult cols;
    if (!m_backend.query(QStringLiteral("SELECT m.name, p.name, p.type FROM sqlite_schema AS m, "
                                        "pragma_table_info(m.name) AS p WHERE m.type IN ('table', 'view') "
                                        "ORDER BY m.name, p.cid"),
                         &cols)) {
        m_catalog.reset();
        return empty;
    }
    auto data = std::make_shared<CatalogData>();
    for (const auto& row : cols.rows)
        data->tables[row[0].toString().toLower()].append({row[1].toString(), row[2].toString()});
    QMutexLocker lock(&cache().mutex);
    cache().byKey.insert(key, data);
    m_catalog = data;
    return *m_catalog;
}

bool Session::execute(const QString& tsql, long* affected)
{
    long total = -1;
    bool ok = true;
    for (const auto& batch : splitGoBatches(tokenize(tsql))) {
        QString error;
        const std::vector<Statement> statements = parseBatch(batch, &error);
        if (!error.isEmpty()) {
            m_backend.layerError(error);
            ok = false;
            break;
        }
        if (!run(statements, nullptr, &total)) {
            ok = false;
            break;
        }
    }
    if (affected)
        *affected = total;
    return ok;
}

bool Session::open(const QString& tsql, QueryResult* result)
{
    const auto batches = splitGoBatches(tokenize(tsql));
    for (size_t b = 0; b < batches.size(); ++b) {
        QString error;
        std::vector<Statement> statements = parseBatch(batches[b], &error);
        if (!error.isEmpty()) {
            m_backend.layerError(error);
            return false;
        }
        const bool lastBatch = b + 1 == batches.size();
        if (lastBatch && !statements.empty() && statements.back().kind == Statement::Kind::Plain) {
            const Statement last = statements.back();
            statements.pop_back();
            long ignored = -1;
            return run(statements, nullptr, &ignored) && runPlain(last, result, &ignored);
        }
        long ignored = -1;
        if (!run(statements, nullptr, &ignored))
            return false;
    }
    return true;
}

bool Session::run(const std::vector<Statement>& statements, QueryResult* lastResult, long* affected)
{
    for (const Statement& st : statements) {
        if (st.kind == Statement::Kind::If) {
            m_catalogChecked = false;
            const CatalogGetter getter = [this]() -> const CatalogData& { return catalog(); };
            QueryResult cond;
            if (!m_backend.query(translateCondition(st.tokens, getter), &cond))
                return false;
            const bool holds = !cond.rows.empty() && cond.rows.front().front().toLongLong() != 0;
            if (!run(holds ? st.thenBody : st.elseBody, nullptr, affected))
                return false;
            continue;
        }
        if (!runPlain(st, lastResult, affected))
            return false;
    }
    return true;
}

bool Session::runPlain(const Statement& st, QueryResult* result, long* affected)
{
    m_catalogChecked = false;
    const CatalogGetter getter = [this]() -> const CatalogData& { return catalog(); };
    const Translation tr = translateStatement(st.tokens, getter);
    switch (tr.kind) {
    case Translation::Kind::Nothing: return true;
    case Translation::Kind::AlterColumn: return alterColumn(tr);
    case Translation::Kind::Statements: break;
    }
    if (tr.sql.size() > 1)
        return runAtomic(tr.sql, affected);
    if (result && tr.returnsRows)
        return m_backend.query(tr.sql.front(), result);
    return execOne(tr.sql.front(), affected);
}

bool Session::execOne(const QString& sql, long* affected)
{
    long n = 0;
    if (!m_backend.exec(sql, &n))
        return false;
    if (affected && isDml(sql))
        *affected = (*affected < 0 ? 0 : *affected) + n;
    return true;
}

// Several SQLite statements standing for one T-SQL statement succeed or fail together.
bool Session::runAtomic(const QStringList& sql, long* affected)
{
    if (!m_backend.exec(QStringLiteral("SAVEPOINT tsql_statement"), nullptr))
        return false;
    for (const QString& one : sql) {
        if (!execOne(one, affected)) {
            long ignored = 0;
            m_backend.exec(QStringLiteral("ROLLBACK TO tsql_statement"), &ignored);
            m_backend.exec(QStringLiteral("RELEASE tsql_statement"), &ignored);
            return false;
        }
    }
    return m_backend.exec(QStringLiteral("RELEASE tsql_statement"), nullptr);
}

// SQLite cannot change a column's type: the table is rebuilt with the new definition and
// every row copied back, together with its indexes and triggers.
bool Session::alterColumn(const Translation& tr)
{
    QueryResult def;
    if (!m_backend.query(QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'table' AND name = ")
                             + quoteString(tr.table) + QStringLiteral(" COLLATE NOCASE"),
                         &def))
        return false;
    if (def.rows.empty()) {
        m_backend.layerError(QStringLiteral("Cannot find the object \"%1\" because it does not exist.").arg(tr.table));
        return false;
    }
    const QString table = def.rows.front()[0].toString();
    QString error;
    const QString createSql =
        replaceColumnDefinition(def.rows.front()[1].toString(), tr.column, tr.columnType, tr.notNull, &error);
    if (createSql.isEmpty()) {
        m_backend.layerError(error);
        return false;
    }
    QueryResult extras;
    if (!m_backend.query(QStringLiteral("SELECT sql FROM sqlite_schema WHERE type IN ('index', 'trigger') "
                                        "AND sql IS NOT NULL AND tbl_name = ")
                             + quoteString(table),
                         &extras))
        return false;
    const QString name = sqliteIdentifier(table);
    QStringList steps = {
        QStringLiteral("DROP TABLE IF EXISTS temp.tsql_rebuild"),
        QStringLiteral("CREATE TEMP TABLE tsql_rebuild AS SELECT * FROM ") + name,
        QStringLiteral("DROP TABLE ") + name,
        createSql,
        QStringLiteral("INSERT INTO ") + name + QStringLiteral(" SELECT * FROM temp.tsql_rebuild"),
        QStringLiteral("DROP TABLE temp.tsql_rebuild"),
    };
    for (const auto& row : extras.rows)
        steps << row.front().toString();
    long ignored = -1;
    return runAtomic(steps, &ignored);
}

} // namespace tsql
