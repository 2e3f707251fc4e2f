#pragma once
// ODBC diagnostics and information read straight from the handles under Qt's QODBC driver.
#include "adodb.h"

#include <QVariant>
#include <vector>

namespace odbc {
// The SQLHANDLE a QODBC driver or result hands out through handle(); nullptr otherwise.
void* handleOf(const QVariant& v);
// SQLGetDiagRec over every record of a handle (type: SQL_HANDLE_STMT / SQL_HANDLE_DBC).
std::vector<AdoError> diagnostics(short handleType, void* handle, const QString& source);
// SQLGetInfo text (SQL_DBMS_NAME, SQL_DRIVER_NAME, SQL_DATABASE_NAME).
QString info(void* dbc, unsigned short what);
bool setQueryTimeout(void* stmt, int seconds);
// SQL_ATTR_CONNECTION_DEAD: true only when the driver says the link is gone.
bool connectionDead(void* dbc);
// The first record of a diagnostic text that Qt joined with blanks: records of one
// driver each start with the same bracketed vendor prefix ("[FreeTDS]...").
QString firstRecord(const QString& joined);
} // namespace odbc
