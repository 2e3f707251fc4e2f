#pragma once
// Fixture databases: SQLite files with the suite's schema, filled with T-SQL test data.
#include <QString>
#include <QStringList>
#include <functional>

enum class SchemaVariant {
    Current,
    Old
}; // Old: no RIYOUSHA_DOUI_REC, RIYOUSHA_SUB without the flag/symptom
    // columns, JISSEKI without iHoseUmu/nLenFix/iDelFlg_Henrei,
    // an OVER16COUNT of the old layout
// Creates an SQLite database file with the suite's schema. False with *error set on failure.
bool createSuiteDatabase(const QString& path, SchemaVariant v = SchemaVariant::Current, QString* error = nullptr);
// Runs T-SQL statements through the T-SQL layer on that file (test data); fails the test on error.
void execSuiteSql(const QString& path, const QStringList& statements);

// Runs statements as plain SQLite on that file, outside the T-SQL layer (schema changes the
// suite's dialect has no words for, such as renaming a column); fails the test on error.
void execPlainSqlite(const QString& path, const QStringList& statements);

// Runs the step while another connection holds a read transaction on the file, so a commit
// there fails; the program's busy time-out is lowered meanwhile.
void whileReaderHoldsFile(const QString& path, const std::function<void()>& step);

// The rows of a query on the file as "v1|v2|…" (Null as "NULL"); fails the test on error.
QStringList queryFile(const QString& path, const QString& sql);

// Connection strings for a database file: the embedded form, and ODBC through the SQLite3 driver.
QString embeddedConnectionString(const QString& path);
QString sqliteOdbcConnectionString(const QString& path);
