#pragma once
// Runs T-SQL texts on SQLite through a backend that executes plain SQLite statements.
// IF conditions, atomic multi-statement translations and ALTER COLUMN table rebuilds are
// carried out here, so the backend only ever sees single plain statements.
#include "tsql_rewriter.h"

#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace tsql {

struct QueryResult {
    QStringList names;
    std::vector<std::vector<QVariant>> rows;
};

class Backend {
public:
    virtual ~Backend() = default;
    // One plain statement that returns no rows. False on failure (the backend keeps the
    // driver's diagnostics).
    virtual bool exec(const QString& sql, long* affected) = 0;
    // One plain query, every row read.
    virtual bool query(const QString& sql, QueryResult* result) = 0;
    // A failure of the layer itself (a construct it cannot carry out).
    virtual void layerError(const QString& text) = 0;
    // Identifies the database for the shared catalogue cache (file path or connection text).
    virtual QString cacheKey() const = 0;
};

class Session {
public:
    explicit Session(Backend& backend) : m_backend(backend) { }

    // iExecSQL: every statement of the text; *affected sums the rows of INSERT, UPDATE and
    // DELETE statements (-1 when the text had none).
    bool execute(const QString& tsql, long* affected = nullptr);
    // iOpenRecSet: the text's last statement is the query whose rows are returned.
    bool open(const QString& tsql, QueryResult* result);

    // The catalogue as of the database's current schema version (shared by connections to
    // the same database). An unreadable catalogue is empty.
    const CatalogData& catalog();

private:
    bool run(const std::vector<Statement>& statements, QueryResult* lastResult, long* affected);
    bool runPlain(const Statement& st, QueryResult* result, long* affected);
    bool runAtomic(const QStringList& sql, long* affected);
    bool alterColumn(const Translation& tr);
    bool execOne(const QString& sql, long* affected);

    Backend& m_backend;
    std::shared_ptr<const CatalogData> m_catalog;
    bool m_catalogChecked = false;
};

} // namespace tsql
