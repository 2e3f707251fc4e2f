// The standard connection recipe: its P messages for each way the data can be unreachable.
#include "db_test_util.h"

#include "db/connection_recipe.h"

#include <QFile>

namespace {

// Runs the recipe up to one query and returns the message it showed (empty when none).
QString recipeMessage(const QString& routine, const QString& sql)
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
    EXPECT_EQ(rec.messages.size(), 1);
    if (rec.messages.isEmpty())
        return QString();
    const auto& m = rec.messages.front();
    EXPECT_TRUE(m.icon == MsgIcon::Critical && m.buttons == MsgButtons::Ok && m.title.isEmpty());
    return m.text;
}

} // namespace

TEST(DbRecipe, MessagesForUnreachableData)
{
    FixtureDb fx;
    const QString app = fx.install.path(), db = QStringLiteral("(-2147467259)");
    // adodb.ini as written (empty: the fixture), the routine, the detail after "P() でエラー" CR LF
    // (exact, or its start when it ends in "…"), and the query. (A missing adodb.ini, a section
    // missing, a file that is no database: the start-up's bad input table.)
    const struct {
        const char *ini, *routine;
        QString detail;
        QString sql = QStringLiteral("SELECT count(*) FROM STAFF");
    } cases[] = {
        {"", "iDataLoad", QString()}, // reachable: no message
        // The section without its key: no connection is attempted (the file it names is never made).
        {"[\x90\xda\x91\xb1\x8f\xee\x95\xf1]\r\nDSN=Provider=SQLite;Data Source=DATA\\made.db\r\n", "csInpKey_Isi",
         QStringLiteral("接続文字列取得できません。")},
        {"   ", "csInpKey_Isi", QStringLiteral("接続文字列取得できません。")},
        {"Provider=SQLite;Data Source=DATA\\nosuch.db", "iGetJissekiData00",
         db + QStringLiteral("データベースファイルが見つかりません。(") + app + QStringLiteral("/DATA/nosuch.db)")},
        {"Driver={No Such Driver};Database=x", "iDataLoad", db + QStringLiteral("[unixODBC][Driver Manager]…")},
        // A query that cannot be opened: the message carries the SQL and the error lines.
        {"", "getDouiRecord",
         db + QStringLiteral("no such table: NOSUCH\rSQL=select * from NOSUCH\rConnection State=1\r…"),
         QStringLiteral("select * from NOSUCH")},
    };
    for (const auto& c : cases) {
        if (*c.ini == '[')
            fx.install.writeBytes(QStringLiteral("adodb.ini"), QByteArray(c.ini));
        else
            fx.install.writeAdodbIni(*c.ini ? QString::fromLatin1(c.ini) : fx.connectionString);
        const QString shown = recipeMessage(QString::fromLatin1(c.routine), c.sql);
        const QString expected = c.detail.isEmpty()
            ? QString()
            : QString::fromLatin1(c.routine) + QStringLiteral("() でエラー\r\n") + c.detail;
        if (expected.endsWith(u'…'))
            EXPECT_TRUE(shown.startsWith(expected.chopped(1))) << shown.toStdString();
        else
            EXPECT_EQ(shown, expected);
    }
    EXPECT_FALSE(QFile::exists(fx.install.file(QStringLiteral("DATA/made.db"))));
}
