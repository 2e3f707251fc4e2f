#pragma once
// Shared pieces of the database tests: a temporary installation with a fixture database,
// reachable through either driver, and query results as text.
#include "support/list_fixture.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include "db/adodb.h"
#include "db/statement_log.h"
#include "db/table_checks.h"
#include "support/report_window.h"

#include <QDateTime>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(Via v, std::ostream* os) { *os << (v == Via::Odbc ? "QODBC" : "QSQLITE"); }

// A temporary installation whose adodb.ini points at a fresh suite database.
struct FixtureDb {
    explicit FixtureDb(Via kind = Via::Embedded, SchemaVariant v = SchemaVariant::Current)
        : connectionString(kind == Via::Odbc ? sqliteOdbcConnectionString(path)
                                             : QStringLiteral("Provider=SQLite;Data Source=suite.db"))
    {
        QString error;
        EXPECT_TRUE(createSuiteDatabase(path, v, &error)) << error.toStdString();
        install.writeAdodbIni(connectionString);
    }
    // A connected cT_ADODB over the fixture (fails the test when it cannot connect).
    std::unique_ptr<cT_ADODB> connect() const
    {
        auto db = std::make_unique<cT_ADODB>();
        db->iInit(connectionString);
        EXPECT_EQ(db->iConnect(), 0) << db->sErrMsg().toStdString();
        return db;
    }
    void exec(const QStringList& statements) const { execSuiteSql(path, statements); }

    TestInstall install;
    const QString path = install.file(QStringLiteral("suite.db"));
    const QString connectionString;
};

// The five start-up checks run in their order: their results, e.g. "0 0 0 0 0".
inline QString runTableChecks()
{
    QStringList results;
    for (auto check : {iChkOver16Count, iChkDouiRec, iChkHKSyobyou07Flg, iChkSyoujouSonota, iChkJissekiField})
        results << QString::number(check());
    return results.join(u' ');
}

// The statements a routine sent, in order.
inline QStringList sentBy(const std::function<void()>& routine)
{
    statementlog::Scope log;
    routine();
    return statementlog::texts();
}

// A value as text: Null as "NULL", dates "yyyy-MM-ddThh:mm:ss" (so a date read as text shows).
inline QString cellText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(Qt::ISODate);
    return v.typeId() == QMetaType::Double ? QString::number(v.toDouble()) : v.toString();
}

// All rows of a query as text lines "v1|v2|...".
inline QStringList queryRows(cT_ADODB& db, const QString& sql)
{
    AdoRecordset rs;
    EXPECT_EQ(db.iOpenRecSet(rs, sql), 0)
        << db.sErrMsg().toStdString(); // a recordset that failed to open is at its end
    QStringList rows;
    for (; !rs.EOF_(); rs.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells << cellText(rs.field(i));
        rows << cells.join(u'|');
    }
    return rows;
}
