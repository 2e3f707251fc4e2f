// The rewriter on its own: T-SQL in, SQLite SQL out, for each construct.
#include "db_test_util.h"

#include "db/tsql_rewriter.h"

#include <numeric>

using namespace tsql;

TEST(TSqlRewrite, EachConstructBecomesPlainSqlite)
{
    CatalogData catalog;
    auto column = [](const char* n, const char* t) {
        return CatalogData::Column{QString::fromLatin1(n), QString::fromLatin1(t)};
    };
    catalog.tables[QStringLiteral("jisseki")] = {column("nRiyoushaIDNo", "int"), column("tServicyDayStart", "datetime"),
                                                 column("tServicyDayEnd", "datetime"), column("iHariUmu", "int")};
    catalog.tables[QStringLiteral("over16count")] = {column("cHyoukaDay", "nvarchar(10)")};
    catalog.tables[QStringLiteral("riyousha_doui_rec")] = {column("nIDNo", "int"), column("tDouiKaryoS", "datetime")};
    const struct {
        const char *name, *tsql, *sqlite;
    } cases[] = {
        {"brackets and dbo", "SELECT [cName] FROM [dbo].[STAFF]", "SELECT cName FROM STAFF"},
        {"bracketed keyword stays quoted", "SELECT [order], [a b] FROM t", "SELECT \"order\", \"a b\" FROM t"},
        {"national string", "SELECT N'山田　太郎'", "SELECT '山田　太郎'"},
        {"isnull over a number", "SELECT MAX(isnull(iHariUmu,0)) FROM JISSEKI",
         "SELECT MAX(ifnull(iHariUmu,0)) FROM JISSEKI"},
        {"isnull over a datetime takes its type", "SELECT MAX(isnull(tServicyDayStart,0)) FROM JISSEKI",
         "SELECT MAX(ifnull(tServicyDayStart,'1900-01-01 00:00:00')) FROM JISSEKI"},
        {"isnull over a qualified datetime, day offset", "SELECT isnull(J.tServicyDayEnd, 1) FROM JISSEKI AS J",
         "SELECT ifnull(J.tServicyDayEnd, '1900-01-02 00:00:00') FROM JISSEKI AS J"},
        {"top with order by", "SELECT TOP 1 a, b FROM t ORDER BY a * 100 + b DESC",
         "SELECT a, b FROM t ORDER BY a * 100 + b DESC LIMIT 1"},
        {"top in a subquery", "SELECT x FROM (SELECT TOP (2) x FROM t ORDER BY x)",
         "SELECT x FROM (SELECT x FROM t ORDER BY x LIMIT 2)"},
        {"quoted number against an expression", "SELECT 1 WHERE 実績年 * 100 + 実績月 >= '202401'",
         "SELECT 1 WHERE 実績年 * 100 + 実績月 >= 202401"},
        {"quoted number on the left", "SELECT 1 WHERE '202412' >= 実績年 * 100 + 実績月",
         "SELECT 1 WHERE 202412 >= 実績年 * 100 + 実績月"},
        {"quoted number against a column stays", "select * from RIYOUSHA_DOUI_REC WHERE nIDNo = '10101'", nullptr},
        {"date yyyy/mm/dd against a datetime column", "SELECT 1 FROM JISSEKI WHERE tServicyDayStart >= '2021/03/10'",
         "SELECT 1 FROM JISSEKI WHERE tServicyDayStart >= '2021-03-10 00:00:00'"},
        {"date mm-dd-yyyy against a qualified column",
         "SELECT 1 FROM JISSEKI WHERE JISSEKI.tServicyDayEnd < '04-01-2021' ",
         "SELECT 1 FROM JISSEKI WHERE JISSEKI.tServicyDayEnd < '2021-04-01 00:00:00'"},
        {"date text against a text column stays", "SELECT 1 FROM OVER16COUNT WHERE cHyoukaDay = '2021/03/10'", nullptr},
        {"literals are never rewritten inside strings", "SELECT 'isnull(TOP 1 [x]) dbo.y' FROM JISSEKI", nullptr},
        {"like with escape is left alone", "SELECT 1 FROM STAFF WHERE cName LIKE '%山!_田%' ESCAPE '!'", nullptr},
        {"insert of a date into a datetime column",
         "insert into JISSEKI (nRiyoushaIDNo, tServicyDayStart) values (1, '2021/3/5 9:30:00')",
         "insert into JISSEKI (nRiyoushaIDNo, tServicyDayStart) values (1, '2021-03-05 09:30:00')"},
        {"getdate", "SELECT GETDATE()", "SELECT datetime('now', 'localtime')"},
        {"T-SQL only comparison operators", "SELECT 1 WHERE 2 !< 1", "SELECT 1 WHERE 2 >= 1"},
        {"create index options",
         "CREATE NONCLUSTERED INDEX [IX] ON [dbo].[T] ([a] ASC) WITH (PAD_INDEX = OFF) ON [PRIMARY]",
         "CREATE INDEX IX ON T (a ASC)"},
        {"create table as the start-up check sends it",
         "CREATE TABLE [dbo].[X]( [a] [int] NOT NULL, [c] [nvarchar](1000) NULL  CONSTRAINT [PK_X] PRIMARY KEY "
         "CLUSTERED "
         "( [a] ASC, [c] Asc )WITH (PAD_INDEX  = OFF, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY] ) ON [PRIMARY]",
         "CREATE TABLE X( a int NOT NULL, c nvarchar(1000) NULL  , CONSTRAINT PK_X PRIMARY KEY ( a ASC, c Asc ) )"},
        {"alter table adding several columns",
         "ALTER TABLE [dbo].[OVER16COUNT] ADD iKoushuku int NULL\n        ,iMahi int NULL ,cSyoujouSonota "
         "nvarchar(24) NULL",
         "ALTER TABLE OVER16COUNT ADD COLUMN iKoushuku int NULL;\nALTER TABLE OVER16COUNT ADD COLUMN iMahi int NULL;\n"
         "ALTER TABLE OVER16COUNT ADD COLUMN cSyoujouSonota nvarchar(24) NULL"},
        {"alter column", "ALTER TABLE [dbo].[OVER16COUNT] alter column cRiyuu varchar(2000)",
         "/* ALTER COLUMN OVER16COUNT.cRiyuu varchar(2000) */"},
        {"alter column not null", "ALTER TABLE T ALTER COLUMN c [nvarchar](5) NOT NULL",
         "/* ALTER COLUMN T.c nvarchar(5) NOT NULL */"},
    };
    for (const auto& c : cases) // no SQLite text: it comes back unchanged
        EXPECT_EQ(toSqlite(QString::fromUtf8(c.tsql), catalog), QString::fromUtf8(c.sqlite ? c.sqlite : c.tsql))
            << c.name;

    // ALTER COLUMN runs as a rebuild from the table's CREATE text with the column (any case) replaced.
    QString error;
    const QString create =
        QStringLiteral("CREATE TABLE \"T\"(a int NOT NULL, cRiyuu nvarchar(1000) NULL, b int, PRIMARY KEY (a))");
    EXPECT_EQ(replaceColumnDefinition(create, QStringLiteral("criyuu"), QStringLiteral("varchar(2000)"), false, &error),
              QStringLiteral("CREATE TABLE T(a int NOT NULL, cRiyuu varchar(2000) NULL , b int, PRIMARY KEY (a))"));
    EXPECT_TRUE(replaceColumnDefinition(create, QStringLiteral("zz"), QStringLiteral("int"), false, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(TSqlRewrite, TokensBatchesAndDateLiterals)
{
    // The tokenizer keeps every character; brackets and quotes are undone in the value.
    const QString text = QStringLiteral("SELECT [a]]b], 'it''s', N'x', \"q\"\"\" /* c /* n */ */ -- e\n1.5e3 <> 0x1F");
    const auto tokens = tokenize(text);
    EXPECT_EQ(
        std::accumulate(tokens.begin(), tokens.end(), QString(), [](QString s, const Token& t) { return s + t.text; }),
        text);
    EXPECT_EQ(tokens[2].value, QStringLiteral("a]b"));
    EXPECT_EQ(tokens[5].value, QStringLiteral("it's"));

    // Statements without semicolons, an IF with a block and an ELSE, CASE ... END inside a statement.
    QString error;
    const auto st =
        parseBatch(tokenize(QStringLiteral(
                       "delete from T WHERE a = 1 insert into T (a) values (CASE WHEN 1 = 1 THEN 2 END)\n"
                       "IF NOT EXISTS (SELECT * From sys.Columns WHERE name = 'x') BEGIN ALTER TABLE T ADD x int "
                       "CREATE TABLE U(a int) End ELSE UPDATE T SET a = 3; SELECT 1")),
                   &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(st.size(), 4u);
    for (size_t i : {0u, 1u, 3u})
        EXPECT_EQ(st[i].kind, Statement::Kind::Plain) << i;
    ASSERT_EQ(st[2].kind, Statement::Kind::If);
    EXPECT_EQ(st[2].thenBody.size(), 2u);
    EXPECT_EQ(st[2].elseBody.size(), 1u);
    parseBatch(tokenize(QStringLiteral("IF EXISTS (SELECT 1) BEGIN SELECT 1")), &error);
    EXPECT_FALSE(error.isEmpty());
    // GO alone on a line separates batches; GO inside a literal or a line does not.
    EXPECT_EQ(
        splitGoBatches(tokenize(QStringLiteral("CREATE VIEW v AS SELECT 'GO' AS g\nGO\n  go  \nSELECT 1 -- GO\nGO")))
            .size(),
        4u);

    // Date literals in the forms the program sends, in the stored form; impossible or partial dates are not dates.
    const std::pair<const char*, const char*> dates[] = {
        {"2021/03/10", "2021-03-10 00:00:00"},
        {"2021/3/1", "2021-03-01 00:00:00"},
        {"03-01-2021", "2021-03-01 00:00:00"},
        {"20210310", "2021-03-10 00:00:00"},
        {"2021-03-10 9:05:07", "2021-03-10 09:05:07"},
        {"2021/02/30", nullptr},
        {"2021/03", nullptr},
        {"abc", nullptr},
    };
    for (const auto& [in, out] : dates)
        EXPECT_EQ(normalizeDateLiteral(QString::fromLatin1(in)).value_or(QStringLiteral("<none>")),
                  QString::fromLatin1(out ? out : "<none>"))
            << in;
}
