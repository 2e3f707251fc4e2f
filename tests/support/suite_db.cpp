#include "suite_db.h"

#include "db/adodb.h"
#include "db/suite_schema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sqlite3.h>

bool createSuiteDatabase(const QString& path, SchemaVariant v, QString* error)
{
    return createSuiteDatabaseFile(path, v == SchemaVariant::Old ? SuiteLayout::Old : SuiteLayout::Current, error);
}

void execSuiteSql(const QString& path, const QStringList& statements)
{
    cT_ADODB db;
    db.iInit(embeddedConnectionString(path));
    if (db.iConnect() != 0) {
        ADD_FAILURE() << "cannot open " << path.toStdString() << ": " << db.sErrMsg().toStdString();
        return;
    }
    db.iBeginTrans();
    for (const QString& sql : statements) {
        if (db.iExecSQL(sql) != 0) {
            ADD_FAILURE() << db.sErrMsg().toStdString();
            db.iRollback();
            db.iDisConnect();
            return;
        }
    }
    if (db.iCommitTrans() != 0)
        ADD_FAILURE() << db.sErrMsg().toStdString();
    db.iDisConnect();
}

void execPlainSqlite(const QString& path, const QStringList& statements)
{
    const QString name = QStringLiteral("plain-sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            ADD_FAILURE() << "cannot open " << path.toStdString();
        } else {
            for (const QString& sql : statements) {
                QSqlQuery q(db);
                if (!q.exec(sql))
                    ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void whileReaderHoldsFile(const QString& path, const std::function<void()>& step)
{
    qputenv("MONTHLY_RECORDS_DB_TIMEOUT_MS", "200");
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &reader), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr), SQLITE_OK);
    step();
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    qunsetenv("MONTHLY_RECORDS_DB_TIMEOUT_MS");
}

QStringList queryFile(const QString& path, const QString& sql)
{
    cT_ADODB db;
    db.iInit(embeddedConnectionString(path));
    EXPECT_EQ(db.iConnect(), 0) << db.sErrMsg().toStdString();
    AdoRecordset rs;
    EXPECT_EQ(db.iOpenRecSet(rs, sql), 0) << db.sErrMsg().toStdString();
    QStringList rows;
    for (; !rs.EOF_(); rs.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells << (rs.field(i).isNull() ? QStringLiteral("NULL") : rs.field(i).toString());
        rows << cells.join(u'|');
    }
    db.iDisConnect();
    return rows;
}

QString embeddedConnectionString(const QString& path)
{
    return sqliteConnectionString(QFileInfo(path).absoluteFilePath());
}

QString sqliteOdbcConnectionString(const QString& path)
{
    return QStringLiteral("Driver=SQLite3;Database=") + QFileInfo(path).absoluteFilePath();
}
