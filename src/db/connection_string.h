#pragma once
// The connection strings adodb.ini may hold: the embedded database
// ("Provider=SQLite;Data Source=DATA\suite.db", relative to the program folder), the
// suite's OLE DB form for SQL Server (mapped to the FreeTDS ODBC driver), and ODBC
// ("Driver=...;..." or "DSN=...", used as given).
#include <QList>
#include <QPair>
#include <QString>

struct ConnectionTarget {
    enum class Kind { Invalid, Sqlite, Odbc };
    Kind kind = Kind::Invalid;
    QString sqlitePath; // Sqlite: native path of the database file
    QString odbcString; // Odbc: the string handed to the ODBC driver manager
    bool mappedFromOleDb = false;
    // Odbc: the database file of an SQLite ODBC driver named in the string (native path).
    // That driver would create a missing file; the connection refuses it instead.
    QString sqliteFile;
    int loginTimeoutSeconds = 15; // ADO's default; "Connect Timeout" of the OLE DB form
    QString error;                // Invalid: why the string cannot be used here
};

// key=value pairs separated by ';' (values may be quoted with " or ' or braced with {});
// keys are trimmed, values trimmed and unquoted.
QList<QPair<QString, QString>> splitConnectionString(const QString& text);

// The driver name used for the OLE DB form: $MONTHLY_RECORDS_ODBC_DRIVER, else FreeTDS.
QString sqlServerOdbcDriver();

ConnectionTarget parseConnectionString(const QString& text, const QString& programFolder);
