// The command file WfdCom.dat and the CSV files as the program writes them.
#include "command_file.h"
#include "csv_reader.h"

#include <gtest/gtest.h>

TEST(ViewerCommandLine, SplitsAtCommasOutsideQuotes)
{
    const std::pair<QString, QStringList> cases[] = {
        {"FileName,\"C:\\Suite\\SYS\\利用者別月間実績チェック表.wfd\"",
         {"FileName", "C:\\Suite\\SYS\\利用者別月間実績チェック表.wfd"}},
        {"PrintOffsetX, 15", {"PrintOffsetX", "15"}},
        {"PrintOut", {"PrintOut"}},
        {"Title,\"a, b\"", {"Title", "a, b"}},
        {"Title,\"say \"\"hi\"\"\"", {"Title", "say \"hi\""}},
        {"Title,\"  blanks kept inside  \"", {"Title", "  blanks kept inside  "}},
        {"SetDataText,\"名\",\"x.csv\",,,1", {"SetDataText", "名", "x.csv", "", "", "1"}},
        // The merge form: a comma in quotes, a quote written as four quotes, True.
        {"SetDataText,\"名\",\"x.csv\",\",\", \"\"\"\", True", {"SetDataText", "名", "x.csv", ",", "\"", "True"}},
    };
    for (const auto& [line, args] : cases)
        EXPECT_EQ(splitCommandLine(line), args) << line.toStdString();
}

TEST(ViewerCommandFile, EveryCommandTakesEffect)
{
    const CommandFile c = parseCommandText(
        "FileName,\"/x/a.wfd\"\r\nSetDataText,\"d\",\"/x/d.csv\",,,1\r\nPrintOffsetX, 25\r\nPrintOffsetY, -10\r\n"
        "PrintZoom, 90\r\nSectionRepeatStart, 3\r\nPrintPaper, B5\r\nSetItemValue,\"A.B.C\",\"値\"\r\n"
        "printoutfromdialog\r\n");
    EXPECT_TRUE(c.problems.isEmpty());
    ASSERT_EQ(c.items.size(), 1);
    EXPECT_EQ(std::tuple(c.data.at(0).hasHeader, c.offsetXmm, c.offsetYmm, c.zoomPercent, c.repeatStart, c.paper,
                         c.items[0].name, c.items[0].value, c.action),
              std::tuple(false, 2.5, -1.0, 90, 3, "B5", "A.B.C", "値", ViewerAction::PrintDialog));
    EXPECT_EQ(parseCommandText("PrintOut\r\n").action, ViewerAction::PrintOut);

    // Lines not understood are reported with their line; the rest still counts.
    const CommandFile bad = parseCommandText("FileName,\"/x/a.wfd\"\r\nPrintColor, 1\r\nPrintZoom, abc\r\n"
                                             "PrintPaper, Letter\r\nFileName\r\nShowWindow,2\r\n");
    const QStringList expected{"2 行目: 不明なコマンド「PrintColor」", "3 行目: 「PrintZoom」の値「abc」",
                               "4 行目: 用紙「Letter」", "5 行目: 「FileName」の引数が足りません"};
    ASSERT_EQ(bad.problems.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(bad.problems[i].contains(expected[i])) << bad.problems[i].toStdString();
    EXPECT_EQ(std::tuple(bad.layoutPath, bad.zoomPercent, bad.action),
              std::tuple("/x/a.wfd", 100, ViewerAction::Preview));
}

TEST(ViewerCommandFile, MergeCommandsCollectReports)
{
    const CommandFile c =
        parseCommandText("setTitle,\"まとめ\"\r\n"
                         "SetDataText,\"利用者別月間実績\",\"C:\\T\\a.csv\",\",\", \"\"\"\", True\r\n"
                         "setreport,\"C:\\S\\a.wfd\"\r\nAddReport\r\n"
                         "SetDataText,\"利用者別月間予定\",\"C:\\T\\b.csv\",\",\", \"\"\"\", False\r\n"
                         "setreport,\"C:\\S\\b.wfd\"\r\n");
    EXPECT_EQ(std::tuple(c.merge, c.mergeTitle), std::tuple(true, "まとめ"));
    ASSERT_EQ(c.reports.size(), 2);
    ASSERT_EQ(c.reports[0].data.size(), 1);
    EXPECT_EQ(std::tuple(c.reports[0].layoutPath, c.reports[0].data[0].hasHeader), std::tuple("C:/S/a.wfd", false));
    EXPECT_EQ(std::tuple(c.reports[1].layoutPath, c.reports[1].data[0].name, c.reports[1].data[0].hasHeader),
              std::tuple("C:/S/b.wfd", "利用者別月間予定", true));
}

// CSV texts are quoted, but their inner quotes are not doubled.
TEST(ViewerCsv, FieldsAsTheProgramWritesThem)
{
    const std::pair<QString, QList<QStringList>> cases[] = {
        {"\"a\",1,\"\",,\"2024/04\"\r\n", {{"a", "1", "", "", "2024/04"}}},
        // An inner quote that is not followed by a comma or a line end is text.
        {"\"歩行時に\"ふらつき\"がある\",2\r\n", {{"歩行時に\"ふらつき\"がある", "2"}}},
        {"\"\"\"引用\"\"\",3\r\n", {{"\"\"引用\"\"", "3"}}},
        // CR and LF inside quotes belong to the text.
        {"\"1行目\r\n2行目\rその後\",4\r\n\"次\",5\r\n", {{"1行目\r\n2行目\rその後", "4"}, {"次", "5"}}},
        // Empty lines are skipped; the last line needs no line end; LF and CR alone end lines too.
        {"1,2\r\n\r\n3,4\n5,6\r7,8", {{"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}}},
        {"1,\"末尾\"", {{"1", "末尾"}}},
    };
    for (const auto& [text, expected] : cases) {
        QList<CsvRecord> recs;
        QString error;
        ASSERT_TRUE(parseCsvRecords(text, CsvOptions(), &recs, &error)) << error.toStdString();
        QList<QStringList> fields;
        for (const CsvRecord& r : recs)
            fields.append(r.fields);
        EXPECT_EQ(fields, expected) << text.toStdString();
    }
    // Records know the line they start on.
    QList<CsvRecord> recs;
    QString error;
    ASSERT_TRUE(parseCsvRecords("\"h\"\r\n\"a\r\nb\r\nc\"\r\n\r\n\"d\"\r\n", CsvOptions(), &recs, &error));
    ASSERT_EQ(recs.size(), 3);
    EXPECT_EQ(std::pair(recs[1].line, recs[2].line), std::pair(2, 6));
    // An unclosed quote is an error naming its line.
    EXPECT_FALSE(parseCsvRecords("\"h\",\"i\"\r\n1,\"never closed\r\n", CsvOptions(), &recs, &error));
    EXPECT_TRUE(error.contains("2 行目")) << error.toStdString();
}

TEST(ViewerCsv, ColumnsByHeaderOrByPosition)
{
    CsvTable t;
    QString error;
    ASSERT_TRUE(
        buildCsvTable("\"利用者コード\",\"利用者名\"\r\n10101,\"佐藤　一郎\"\r\n", CsvOptions(), true, {}, &t, &error));
    EXPECT_EQ(t.columns, (QStringList{"利用者コード", "利用者名"}));
    EXPECT_EQ(std::tuple(t.records.size(), t.value(0, "利用者名"), t.value(0, "無い列")),
              std::tuple(1, "佐藤　一郎", ""));
    // (A record with another number of fields: the viewer's bad-input rows in render_test.)

    // Without a header the layout's names bind by position; a first line that repeats them is a header after all.
    const QStringList names{"a", "b"};
    ASSERT_TRUE(buildCsvTable("1,\"x\"\r\n2,\"y\"\r\n", CsvOptions(), false, names, &t, &error));
    EXPECT_EQ(std::tuple(t.records.size(), t.value(1, "b")), std::tuple(2, "y"));
    ASSERT_TRUE(buildCsvTable("\"a\",\"b\"\r\n1,\"x\"\r\n", CsvOptions(), false, names, &t, &error));
    EXPECT_EQ(t.records.size(), 1);
    // Without names the columns are numbered.
    ASSERT_TRUE(buildCsvTable("1,\"x\"\r\n", CsvOptions(), false, {}, &t, &error));
    EXPECT_EQ(t.value(0, "2"), "x");
}
