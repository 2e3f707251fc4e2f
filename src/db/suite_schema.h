#pragma once
// The suite's schema (demo/schema.sql and the older layout's demo/schema-old.sql, compiled in
// as resources) and the helpers that build an embedded database from it.
#include <QString>

class cT_ADODB;

enum class SuiteLayout { Current, Old };

// The T-SQL script of a layout (Old: schema.sql followed by schema-old.sql).
QString suiteSchemaScript(SuiteLayout layout);
// The embedded connection string for a database file given by its absolute path.
QString sqliteConnectionString(const QString& absolutePath);
// Creates a new SQLite database file with the suite's tables. Refuses to touch an existing
// file. False with *error set on failure.
bool createSuiteDatabaseFile(const QString& path, SuiteLayout layout, QString* error);
