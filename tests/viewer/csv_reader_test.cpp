// The CSV files as the program writes them: quoted texts whose inner quotes are not doubled.
#include "csv_reader.h"

#include <gtest/gtest.h>

namespace {
QList<QStringList> rows(const QString& text)
{
    QList<CsvRecord> recs;
    QString error;
    EXPECT_TRUE(parseCsvRecords(text, CsvOptions(), &recs, &error)) << error.toStdString();
    QList<QStringList> out;
    for (const CsvRecord& r : recs)
        out.append(r.fields);
    return out;
}
} // namespace

TEST(ViewerCsv, FieldsAsTheProgramWritesThem)
{
    using L = QList<QStringList>;
    EXPECT_EQ(rows(QStringLiteral("\"a\",1,\"\",,\"2024/04\"\r\n")),
              (L{{"a", "1", "", "", "2024/04"}}));
    // An inner quote that is not followed by a comma or a line end is text.
    EXPECT_EQ(rows(QStringLiteral("\"歩行時に\"ふらつき\"がある\",2\r\n")),
              (L{{QStringLiteral("歩行時に\"ふらつき\"がある"), "2"}}));
    EXPECT_EQ(rows(QStringLiteral("\"\"\"引用\"\"\",3\r\n")), (L{{QStringLiteral("\"\"引用\"\""), "3"}}));
    // CR and LF inside quotes belong to the text.
    EXPECT_EQ(rows(QStringLiteral("\"1行目\r\n2行目\rその後\",4\r\n\"次\",5\r\n")),
              (L{{QStringLiteral("1行目\r\n2行目\rその後"), "4"}, {QStringLiteral("次"), "5"}}));
    // Empty lines are skipped; the last line needs no line end; LF and CR alone end lines too.
    EXPECT_EQ(rows(QStringLiteral("1,2\r\n\r\n3,4\n5,6\r7,8")), (L{{"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}}));
    // A quoted text at the end of the file.
    EXPECT_EQ(rows(QStringLiteral("1,\"末尾\"")), (L{{"1", QStringLiteral("末尾")}}));
}

TEST(ViewerCsv, RecordsKnowTheLineTheyStartOn)
{
    QList<CsvRecord> recs;
    QString error;
    ASSERT_TRUE(parseCsvRecords(QStringLiteral("\"h\"\r\n\"a\r\nb\r\nc\"\r\n\r\n\"d\"\r\n"), CsvOptions(), &recs, &error));
    ASSERT_EQ(recs.size(), 3);
    EXPECT_EQ(recs[0].line, 1);
    EXPECT_EQ(recs[1].line, 2);
    EXPECT_EQ(recs[2].line, 6);
}

TEST(ViewerCsv, UnclosedQuoteIsAnError)
{
    QList<CsvRecord> recs;
    QString error;
    EXPECT_FALSE(parseCsvRecords(QStringLiteral("\"h\",\"i\"\r\n1,\"never closed\r\n"), CsvOptions(), &recs, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("2 行目"))) << error.toStdString();
}

TEST(ViewerCsv, HeaderNamesTheColumns)
{
    CsvTable t;
    QString error;
    ASSERT_TRUE(buildCsvTable(QStringLiteral("\"利用者コード\",\"利用者名\"\r\n10101,\"佐藤　一郎\"\r\n"), CsvOptions(), true,
                              {}, &t, &error));
    EXPECT_EQ(t.columns, (QStringList{QStringLiteral("利用者コード"), QStringLiteral("利用者名")}));
    ASSERT_EQ(t.records.size(), 1);
    EXPECT_EQ(t.value(0, QStringLiteral("利用者名")), QStringLiteral("佐藤　一郎"));
    EXPECT_EQ(t.value(0, QStringLiteral("無い列")), QString());

    // A record with another number of fields is refused with its line.
    EXPECT_FALSE(buildCsvTable(QStringLiteral("\"a\",\"b\"\r\n1,2\r\n1,2,3\r\n"), CsvOptions(), true, {}, &t, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("3 行目"))) << error.toStdString();
}

TEST(ViewerCsv, WithoutHeaderColumnsAreBoundByPosition)
{
    CsvTable t;
    QString error;
    const QStringList names{QStringLiteral("a"), QStringLiteral("b")};
    ASSERT_TRUE(buildCsvTable(QStringLiteral("1,\"x\"\r\n2,\"y\"\r\n"), CsvOptions(), false, names, &t, &error));
    EXPECT_EQ(t.records.size(), 2);
    EXPECT_EQ(t.value(1, QStringLiteral("b")), QStringLiteral("y"));
    // A first line that repeats the names is a header after all.
    ASSERT_TRUE(buildCsvTable(QStringLiteral("\"a\",\"b\"\r\n1,\"x\"\r\n"), CsvOptions(), false, names, &t, &error));
    EXPECT_EQ(t.records.size(), 1);
    // Without names the columns are numbered.
    ASSERT_TRUE(buildCsvTable(QStringLiteral("1,\"x\"\r\n"), CsvOptions(), false, {}, &t, &error));
    EXPECT_EQ(t.value(0, QStringLiteral("2")), QStringLiteral("x"));
}
