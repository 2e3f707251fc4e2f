#include "db_test_util.h"

#include <QDateTime>
#include <gtest/gtest.h>

FixtureDb::FixtureDb(DriverKind kind, SchemaVariant v) : m_kind(kind), m_path(install.file(QStringLiteral("suite.db")))
{
    QString error;
    if (!createSuiteDatabase(m_path, v, &error))
        ADD_FAILURE() << error.toStdString();
    install.writeAdodbIni(connectionString());
}

QString FixtureDb::connectionString() const
{
    return m_kind == DriverKind::Embedded ? QStringLiteral("Provider=SQLite;Data Source=suite.db")
                                          : sqliteOdbcConnectionString(m_path);
}

std::unique_ptr<cT_ADODB> FixtureDb::connect() const
{
    auto db = std::make_unique<cT_ADODB>();
    db->iInit(connectionString());
    EXPECT_EQ(db->iConnect(), 0) << db->sErrMsg().toStdString();
    return db;
}

QString cellText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble());
    return v.toString();
}

QStringList queryRows(cT_ADODB& db, const QString& sql)
{
    AdoRecordset rs;
    if (db.iOpenRecSet(rs, sql) != 0) {
        ADD_FAILURE() << db.sErrMsg().toStdString();
        return {QStringLiteral("<error>")};
    }
    QStringList rows;
    for (; !rs.EOF_(); rs.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i)
            cells << cellText(rs.field(i));
        rows << cells.join(u'|');
    }
    return rows;
}
