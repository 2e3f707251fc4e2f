#pragma once
// T-SQL on SQLite: the statements the program sends are written for SQL Server. This unit
// parses a T-SQL text into statements and translates each into plain SQLite SQL (no custom
// functions, so the result also runs over the SQLite ODBC driver). Work is on tokens, so
// string literals and identifiers are never touched by mistake.
#include "tsql_tokenizer.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>
#include <vector>

namespace tsql {

// What the translation needs to know of the database: the declared types of columns.
struct CatalogData {
    struct Column {
        QString name;
        QString type; // declared type as stored ("int", "nvarchar(1000)", "datetime")
    };
    QHash<QString, QVector<Column>> tables; // key: table or view name in lower case

    const QVector<Column>* table(const QString& name) const;
    QString columnType(const QString& table, const QString& column) const; // empty when unknown
};
using CatalogGetter = std::function<const CatalogData&()>;

// True for the date types of SQL Server (datetime, date, smalldatetime, datetime2, ...).
bool isDateType(const QString& declaredType);
// A date literal as SQL Server reads it ('yyyy/mm/dd', 'yyyy-mm-dd', 'mm-dd-yyyy',
// 'yyyymmdd', each optionally with a time) in SQLite's stored form 'yyyy-mm-dd hh:mm:ss'.
std::optional<QString> normalizeDateLiteral(const QString& text);

// One T-SQL statement of a batch.
struct Statement {
    enum class Kind { Plain, If };
    Kind kind = Kind::Plain;
    std::vector<Token> tokens;       // Plain: the statement; If: the condition after IF
    std::vector<Statement> thenBody; // If
    std::vector<Statement> elseBody; // If
};

// The word after BEGIN / COMMIT / ROLLBACK that makes it a transaction statement, not a block.
bool isTranWord(const Token& t);

// Splits a text at lines that hold only GO.
std::vector<std::vector<Token>> splitGoBatches(const std::vector<Token>& tokens);
// Parses one batch: statements end at ";", at the start of the next statement
// (CREATE, ALTER, DROP, INSERT, UPDATE, DELETE, IF, ...) or at the END of their block.
// IF <condition> <statement or BEGIN ... END> [ELSE ...] becomes an If statement.
std::vector<Statement> parseBatch(const std::vector<Token>& tokens, QString* error);

// The SQLite form of one plain statement.
struct Translation {
    enum class Kind { Statements, AlterColumn, Nothing };
    Kind kind = Kind::Statements;
    QStringList sql;          // Statements: run in order; more than one run atomically
    bool returnsRows = false; // Statements: the last one is a query
    // AlterColumn: ALTER TABLE table ALTER COLUMN column <columnType> [NULL | NOT NULL]
    QString table, column, columnType;
    bool notNull = false;
};
Translation translateStatement(const std::vector<Token>& tokens, const CatalogGetter& catalog);
// An IF condition as a query giving 1 when it holds and 0 otherwise.
QString translateCondition(const std::vector<Token>& tokens, const CatalogGetter& catalog);
// The CREATE TABLE text of a table with one column's type and nullability replaced.
// Empty with *error set when the column is not there.
QString replaceColumnDefinition(const QString& createSql, const QString& column, const QString& columnType,
                                bool notNull, QString* error);

// Convenience for tests and tools: a whole text translated statement by statement (IF
// statements are not allowed here); statements joined by ";\n".
QString toSqlite(const QString& tsql, const CatalogData& catalog = {});

} // namespace tsql
