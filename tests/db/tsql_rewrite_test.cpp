// The rewriter on its own: T-SQL in, SQLite SQL out, for each construct.
#include "db_test_util.h"

#include "db/tsql_rewriter.h"

#include <gtest/gtest.h>

using namespace tsql;

namespace {

CatalogData fixtureCatalog()
{
    CatalogData c;
    c.tables[QStringLiteral("jisseki")] = {{QStringLiteral("nRiyoushaIDNo"), QStringLiteral("int")},
                                           {QStringLiteral("tServicyDayStart"), QStringLiteral("datetime")},
                                           {QStringLiteral("tServicyDayEnd"), QStringLiteral("datetime")},
                                           {QStringLiteral("iHariUmu"), QStringLiteral("int")}};
    c.tables[QStringLiteral("over16count")] = {{QStringLiteral("cHyoukaDay"), QStringLiteral("nvarchar(10)")}};
    c.tables[QStringLiteral("riyousha_doui_rec")] = {{QStringLiteral("nIDNo"), QStringLiteral("int")},
                                                     {QStringLiteral("tDouiKaryoS"), QStringLiteral("datetime")}};
    return c;
}

struct Case {
    const char* name;
    const char* tsql;
    const char* sqlite;
};

} // namespace

TEST(TSqlRewrite, EachConstructBecomesPlainSqlite)
{
    const Case cases[] = {
        {"brackets and dbo", "SELECT [cName] FROM [dbo].[STAFF]", "SELECT cName FROM STAFF"},
        {"bracketed keyword stays quoted", "SELECT [order], [a b] FROM t", "SELECT \"order\", \"a b\" FROM t"},
        {"national string", "SELECT N'山田　太郎'", "SELECT '山田　太郎'"},
        {"isnull over a number", "SELECT MAX(isnull(iHariUmu,0)) as iHariUmu FROM JISSEKI",
         "SELECT MAX(ifnull(iHariUmu,0)) as iHariUmu FROM JISSEKI"},
        {"isnull over a datetime takes its type", "SELECT MAX(isnull(tServicyDayStart,0)) as t FROM JISSEKI",
         "SELECT MAX(ifnull(tServicyDayStart,'1900-01-01 00:00:00')) as t FROM JISSEKI"},
        {"isnull over a qualified datetime, day offset", "SELECT isnull(J.tServicyDayEnd, 1) FROM JISSEKI AS J",
         "SELECT ifnull(J.tServicyDayEnd, '1900-01-02 00:00:00') FROM JISSEKI AS J"},
        {"top with order by", "SELECT TOP 1 a, b FROM t ORDER BY a * 100 + b DESC",
         "SELECT a, b FROM t ORDER BY a * 100 + b DESC LIMIT 1"},
        {"top in a subquery", "SELECT x FROM (SELECT TOP (2) x FROM t ORDER BY x) AS s",
         "SELECT x FROM (SELECT x FROM t ORDER BY x LIMIT 2) AS s"},
        {"quoted number against an expression", "SELECT 1 FROM m WHERE 実績年 * 100 + 実績月 >= '202401'",
         "SELECT 1 FROM m WHERE 実績年 * 100 + 実績月 >= 202401"},
        {"quoted number on the left", "SELECT 1 FROM m WHERE '202412' >= 実績年 * 100 + 実績月",
         "SELECT 1 FROM m WHERE 202412 >= 実績年 * 100 + 実績月"},
        {"quoted number against a column stays", "select * from RIYOUSHA_DOUI_REC WHERE nIDNo = '10101'",
         "select * from RIYOUSHA_DOUI_REC WHERE nIDNo = '10101'"},
        {"date yyyy/mm/dd against a datetime column",
         "SELECT count(*) FROM JISSEKI WHERE tServicyDayStart >= '2021/03/10' AND tServicyDayStart < '2021/04/01'",
         "SELECT count(*) FROM JISSEKI WHERE tServicyDayStart >= '2021-03-10 00:00:00' AND tServicyDayStart < "
         "'2021-04-01 00:00:00'"},
        {"date mm-dd-yyyy against a qualified column", "SELECT 1 FROM JISSEKI WHERE JISSEKI.tServicyDayEnd < '04-01-2021' ",
         "SELECT 1 FROM JISSEKI WHERE JISSEKI.tServicyDayEnd < '2021-04-01 00:00:00'"},
        {"date text against a text column stays", "SELECT 1 FROM OVER16COUNT WHERE cHyoukaDay = '2021/03/10'",
         "SELECT 1 FROM OVER16COUNT WHERE cHyoukaDay = '2021/03/10'"},
        {"literals are never rewritten inside strings", "SELECT 'isnull(TOP 1 [x]) dbo.y' FROM JISSEKI",
         "SELECT 'isnull(TOP 1 [x]) dbo.y' FROM JISSEKI"},
        {"like with escape is left alone", "SELECT 1 FROM STAFF WHERE cName LIKE '%山!_田%' ESCAPE '!'",
         "SELECT 1 FROM STAFF WHERE cName LIKE '%山!_田%' ESCAPE '!'"},
        {"insert of a date into a datetime column",
         "insert into JISSEKI (nRiyoushaIDNo, tServicyDayStart) values (10101, '2021/3/5 9:30:00')",
         "insert into JISSEKI (nRiyoushaIDNo, tServicyDayStart) values (10101, '2021-03-05 09:30:00')"},
        {"getdate", "SELECT GETDATE()", "SELECT datetime('now', 'localtime')"},
        {"T-SQL only comparison operators", "SELECT 1 WHERE 2 !< 1", "SELECT 1 WHERE 2 >= 1"},
        {"create index options", "CREATE NONCLUSTERED INDEX [IX] ON [dbo].[T] ([a] ASC) WITH (PAD_INDEX = OFF) ON [PRIMARY]",
         "CREATE INDEX IX ON T (a ASC)"},
    };
    const CatalogData catalog = fixtureCatalog();
    for (const Case& c : cases)
        EXPECT_EQ(toSqlite(QString::fromUtf8(c.tsql), catalog), QString::fromUtf8(c.sqlite)) << c.name;
}

TEST(TSqlRewrite, CreateTableAsTheStartUpCheckSendsIt)
{
    const QString sql = toSqlite(QStringLiteral(
        "CREATE TABLE [dbo].[X]( [a] [int] NOT NULL, [c] [nvarchar](1000) NULL  CONSTRAINT [PK_X] PRIMARY KEY "
        "CLUSTERED ( [a] ASC, [c] Asc )WITH (PAD_INDEX  = OFF, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY] ) ON [PRIMARY]"));
    EXPECT_EQ(sql.simplified(),
              QStringLiteral("CREATE TABLE X( a int NOT NULL, c nvarchar(1000) NULL , CONSTRAINT PK_X PRIMARY KEY "
                             "( a ASC, c Asc ) )"));
}

TEST(TSqlRewrite, AlterTableForms)
{
    const CatalogGetter none = []() -> const CatalogData& { static CatalogData c; return c; };
    auto statement = [&](const char* text) {
        QString error;
        const auto st = parseBatch(tokenize(QString::fromUtf8(text)), &error);
        EXPECT_TRUE(error.isEmpty());
        EXPECT_EQ(st.size(), 1u);
        return translateStatement(st.front().tokens, none);
    };
    const Translation add = statement("ALTER TABLE [dbo].[OVER16COUNT] ADD iKoushuku int NULL\n"
                                      "        ,iMahi int NULL ,cSyoujouSonota nvarchar(24) NULL");
    EXPECT_EQ(add.kind, Translation::Kind::Statements);
    EXPECT_EQ(add.sql, QStringList({QStringLiteral("ALTER TABLE OVER16COUNT ADD COLUMN iKoushuku int NULL"),
                                    QStringLiteral("ALTER TABLE OVER16COUNT ADD COLUMN iMahi int NULL"),
                                    QStringLiteral("ALTER TABLE OVER16COUNT ADD COLUMN cSyoujouSonota nvarchar(24) NULL")}));

    const Translation alter = statement("ALTER TABLE [dbo].[OVER16COUNT] alter column cRiyuu varchar(2000)");
    EXPECT_EQ(alter.kind, Translation::Kind::AlterColumn);
    EXPECT_EQ(alter.table, QStringLiteral("OVER16COUNT"));
    EXPECT_EQ(alter.column, QStringLiteral("cRiyuu"));
    EXPECT_EQ(alter.columnType, QStringLiteral("varchar(2000)"));
    EXPECT_FALSE(alter.notNull);
    EXPECT_TRUE(statement("ALTER TABLE T ALTER COLUMN c [nvarchar](5) NOT NULL").notNull);

    QString error;
    EXPECT_EQ(replaceColumnDefinition(QStringLiteral("CREATE TABLE \"T\"(a int NOT NULL, cRiyuu nvarchar(1000) NULL, "
                                                     "b int, PRIMARY KEY (a))"),
                                      QStringLiteral("criyuu"), QStringLiteral("varchar(2000)"), false, &error)
                  .simplified()
                  .replace(QStringLiteral(" ,"), QStringLiteral(",")),
              QStringLiteral("CREATE TABLE T(a int NOT NULL, cRiyuu varchar(2000) NULL, b int, PRIMARY KEY (a))"));
    EXPECT_TRUE(replaceColumnDefinition(QStringLiteral("CREATE TABLE T(a int)"), QStringLiteral("zz"),
                                        QStringLiteral("int"), false, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(TSqlRewrite, BatchesSplitIntoStatementsAndConditions)
{
    QString error;
    // Statements without semicolons, an IF with a block and an ELSE, CASE ... END inside a statement.
    const auto st = parseBatch(
        tokenize(QStringLiteral("delete from T WHERE a = 1 insert into T (a) values (CASE WHEN 1 = 1 THEN 2 END)\n"
                                "IF NOT EXISTS (SELECT * From sys.Columns WHERE name = 'x') BEGIN ALTER TABLE T ADD x int "
                                "CREATE TABLE U(a int) End ELSE UPDATE T SET a = 3; SELECT 1")),
        &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(st.size(), 4u);
    EXPECT_EQ(st[0].kind, Statement::Kind::Plain);
    EXPECT_EQ(st[1].kind, Statement::Kind::Plain);
    ASSERT_EQ(st[2].kind, Statement::Kind::If);
    EXPECT_EQ(st[2].thenBody.size(), 2u);
    EXPECT_EQ(st[2].elseBody.size(), 1u);
    EXPECT_EQ(st[3].kind, Statement::Kind::Plain);

    parseBatch(tokenize(QStringLiteral("IF EXISTS (SELECT 1) BEGIN SELECT 1")), &error);
    EXPECT_FALSE(error.isEmpty());

    // GO alone on a line separates batches; GO inside a literal or a line does not.
    const auto batches = splitGoBatches(tokenize(QStringLiteral("CREATE VIEW v AS SELECT 'GO' AS g\nGO\n  go  \n"
                                                                "SELECT 1 -- GO\nGO")));
    ASSERT_EQ(batches.size(), 4u);
}

TEST(TSqlRewrite, TokenizerKeepsEveryCharacter)
{
    const QString text = QStringLiteral("SELECT [a]]b], 'it''s', N'x', \"q\"\"\" /* c /* n */ */ -- e\n1.5e3 <> 0x1F");
    QString joined;
    for (const Token& t : tokenize(text))
        joined += t.text;
    EXPECT_EQ(joined, text);
    const auto tokens = tokenize(text);
    EXPECT_EQ(tokens[2].value, QStringLiteral("a]b"));
    EXPECT_EQ(tokens[5].value, QStringLiteral("it's"));
}

TEST(TSqlRewrite, DateLiteralsAsSqlServerReadsThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2021/03/10", "2021-03-10 00:00:00"},   {"2021/3/1", "2021-03-01 00:00:00"},
        {"03-01-2021", "2021-03-01 00:00:00"},   {"20210310", "2021-03-10 00:00:00"},
        {"2021-03-10 9:05:07", "2021-03-10 09:05:07"}, {"2021/02/30", nullptr},
        {"2021/03", nullptr},                    {"abc", nullptr},
    };
    for (const auto& [in, out] : cases) {
        const auto r = normalizeDateLiteral(QString::fromLatin1(in));
        if (out)
            EXPECT_EQ(r.value_or(QString()), QString::fromLatin1(out)) << in;
        else
            EXPECT_FALSE(r.has_value()) << in;
    }
}
