#include "suite_schema.h"

#include "adodb.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

static QString resourceText(const QString& name)
{
    QFile f(QStringLiteral(":/schema/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString suiteSchemaScript(SuiteLayout layout)
{
    QString script = resourceText(QStringLiteral("schema.sql"));
    if (layout == SuiteLayout::Old)
        script += QStringLiteral("\nGO\n") + resourceText(QStringLiteral("schema-old.sql"));
    return script;
}

QString sqliteConnectionString(const QString& absolutePath)
{
    QString p = absolutePath;
    return QStringLiteral("Provider=SQLite;Data Source=\"") + p.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool createSuiteDatabaseFile(const QString& path, SuiteLayout layout, QString* error)
{
    auto failed = [error](const QString& e) {
        if (error)
            *error = e;
        return false;
    };
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(absolute))
        return failed(QStringLiteral("The file already exists: ") + absolute);
    const QString script = suiteSchemaScript(layout);
    if (script.isEmpty())
        return failed(QStringLiteral("The schema resource is missing."));
    sqlite3* handle = nullptr;
    const int rc =
        sqlite3_open_v2(absolute.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const QString openError = rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_close(handle);
    if (rc != SQLITE_OK)
        return failed(openError + QStringLiteral(" (") + absolute + u')');

    cT_ADODB db;
    db.iInit(sqliteConnectionString(absolute));
    // One transaction: a database file is either complete or removed again.
    if (db.iConnect() != 0 || db.iBeginTrans() != 0 || db.iExecSQL(script) != 0 || db.iCommitTrans() != 0) {
        const QString e = db.sErrMsg();
        db.iDisConnect();
        QFile::remove(absolute);
        return failed(e);
    }
    db.iDisConnect();
    return true;
}
