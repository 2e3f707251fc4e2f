// The standard connection recipe: its P messages for each way the data can be unreachable.
#include "db_test_util.h"

#include "db/connection_recipe.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Runs the recipe up to one query and returns the message it showed (empty when none).
QString recipeMessage(const QString& routine, const QString& sql = QStringLiteral("SELECT count(*) FROM STAFF"))
{
    ScopedRecordingPlatform rec;
    if (auto db = openRecipeConnection(routine)) {
        AdoRecordset rs;
        if (openRecipeQuery(*db, rs, sql, routine)) {
            EXPECT_TRUE(rec.messages.isEmpty());
            return QString();
        }
        EXPECT_EQ(db->connectionState(), adStateClosed); // a failed query disconnects
    }
    if (rec.messages.size() != 1) {
        ADD_FAILURE() << "messages shown: " << rec.messages.size();
        return QString();
    }
    EXPECT_EQ(rec.messages.front().icon, MsgIcon::Critical);
    EXPECT_EQ(rec.messages.front().buttons, MsgButtons::Ok);
    EXPECT_TRUE(rec.messages.front().title.isEmpty());
    return rec.messages.front().text;
}

} // namespace

TEST(DbRecipe, MessagesForUnreachableData)
{
    FixtureDb fx;
    const QString appPath = fx.install.path();
    EXPECT_EQ(recipeMessage(QStringLiteral("iDataLoad")), QString()); // reachable

    QFile::remove(fx.install.file(QStringLiteral("adodb.ini")));
    EXPECT_EQ(recipeMessage(QStringLiteral("iDataLoad")),
              QStringLiteral("iDataLoad() でエラー\r\n指定されたIni（") + appPath + QStringLiteral("\\adodb.ini）ファイルが見つかりません。"));

    fx.install.writeBytes(QStringLiteral("adodb.ini"), QByteArray("[other]\r\nx=1\r\n"));
    EXPECT_EQ(recipeMessage(QStringLiteral("csInpKey_Isi")), QStringLiteral("csInpKey_Isi() でエラー\r\n接続文字列取得できません。"));
    fx.install.writeAdodbIni(QStringLiteral("   "));
    EXPECT_EQ(recipeMessage(QStringLiteral("csInpKey_Isi")), QStringLiteral("csInpKey_Isi() でエラー\r\n接続文字列取得できません。"));

    fx.install.writeAdodbIni(QStringLiteral("Provider=SQLite;Data Source=DATA\\nosuch.db"));
    EXPECT_EQ(recipeMessage(QStringLiteral("iGetJissekiData00")),
              QStringLiteral("iGetJissekiData00() でエラー\r\n(-2147467259)データベースファイルが見つかりません。(") + appPath
                  + QStringLiteral("/DATA/nosuch.db)"));

    fx.install.writeBytes(QStringLiteral("DATA/text.db"), QByteArray("not a database at all, just some text\n").repeated(200));
    fx.install.writeAdodbIni(QStringLiteral("Provider=SQLite;Data Source=DATA\\text.db"));
    EXPECT_EQ(recipeMessage(QStringLiteral("iDataLoad")),
              QStringLiteral("iDataLoad() でエラー\r\n(-2147467259)file is not a database (") + appPath
                  + QStringLiteral("/DATA/text.db)"));

    fx.install.writeAdodbIni(QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                                            "Initial Catalog=SUITE;Data Source=HOST\\SQLEXPRESS"));
    EXPECT_TRUE(recipeMessage(QStringLiteral("iDataLoad"))
                    .startsWith(QStringLiteral("iDataLoad() でエラー\r\n(-2147467259)Windows 統合認証（Integrated Security）")));

    fx.install.writeAdodbIni(QStringLiteral("Driver={No Such Driver};Database=x"));
    const QString noDriver = recipeMessage(QStringLiteral("iDataLoad"));
    EXPECT_TRUE(noDriver.startsWith(QStringLiteral("iDataLoad() でエラー\r\n(-2147467259)[unixODBC][Driver Manager]")))
        << noDriver.toStdString();
    EXPECT_FALSE(noDriver.contains(u'\r', Qt::CaseSensitive) && noDriver.indexOf(u'\r') != noDriver.indexOf(QStringLiteral("\r\n")));

    // A query that cannot be opened: the message carries the SQL and the error lines.
    fx.install.writeAdodbIni(fx.connectionString());
    const QString failed = recipeMessage(QStringLiteral("getDouiRecord"), QStringLiteral("select * from NOSUCH"));
    EXPECT_TRUE(failed.startsWith(QStringLiteral("getDouiRecord() でエラー\r\n(-2147467259)no such table: NOSUCH\r"
                                                 "SQL=select * from NOSUCH\rConnection State=1\r")))
        << failed.toStdString();
}
