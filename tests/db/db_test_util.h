#pragma once
// Shared pieces of the database tests: a temporary installation with a fixture database,
// reachable through either driver.
#include "support/suite_db.h"
#include "support/test_install.h"

#include "db/adodb.h"

#include <QVariant>
#include <memory>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

enum class DriverKind { Embedded, Odbc };

inline const char* driverName(DriverKind k) { return k == DriverKind::Embedded ? "Embedded" : "Odbc"; }

// A temporary installation whose adodb.ini points at a fresh suite database.
class FixtureDb {
public:
    explicit FixtureDb(DriverKind kind = DriverKind::Embedded, SchemaVariant v = SchemaVariant::Current);
    QString path() const { return m_path; }
    QString connectionString() const;
    // A connected cT_ADODB over the fixture (fails the test when it cannot connect).
    std::unique_ptr<cT_ADODB> connect() const;
    void exec(const QStringList& statements) const { execSuiteSql(m_path, statements); }
    TestInstall install;

private:
    DriverKind m_kind;
    QString m_path;
};

// All rows of a query as text lines "v1|v2|..." (Null as "NULL", dates "yyyy-MM-dd hh:mm:ss").
QStringList queryRows(cT_ADODB& db, const QString& sql);
QString cellText(const QVariant& v);
