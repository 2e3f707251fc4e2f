// The command file WfdCom.dat as the program writes it.
#include "command_file.h"

#include "common/text_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ViewerCommandLine, SplitsAtCommasOutsideQuotes)
{
    struct Case {
        QString line;
        QStringList args;
    } cases[] = {
        {QStringLiteral("FileName,\"C:\\Suite\\SYS\\利用者別月間実績チェック表.wfd\""),
         {QStringLiteral("FileName"), QStringLiteral("C:\\Suite\\SYS\\利用者別月間実績チェック表.wfd")}},
        {QStringLiteral("PrintOffsetX, 15"), {QStringLiteral("PrintOffsetX"), QStringLiteral("15")}},
        {QStringLiteral("ShowWindow,2"), {QStringLiteral("ShowWindow"), QStringLiteral("2")}},
        {QStringLiteral("PrintOut"), {QStringLiteral("PrintOut")}},
        {QStringLiteral("Title,\"a, b\""), {QStringLiteral("Title"), QStringLiteral("a, b")}},
        {QStringLiteral("Title,\"say \"\"hi\"\"\""), {QStringLiteral("Title"), QStringLiteral("say \"hi\"")}},
        {QStringLiteral("SetDataText,\"名\",\"x.csv\",,,1"),
         {QStringLiteral("SetDataText"), QStringLiteral("名"), QStringLiteral("x.csv"), QString(), QString(),
          QStringLiteral("1")}},
        // The merge form: a comma in quotes, a quote written as four quotes, True.
        {QStringLiteral("SetDataText,\"名\",\"x.csv\",\",\", \"\"\"\", True"),
         {QStringLiteral("SetDataText"), QStringLiteral("名"), QStringLiteral("x.csv"), QStringLiteral(","),
          QStringLiteral("\""), QStringLiteral("True")}},
        {QStringLiteral("Title,\"  blanks kept inside  \""),
         {QStringLiteral("Title"), QStringLiteral("  blanks kept inside  ")}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.args) << c.line.toStdString();
}

TEST(ViewerCommandFile, PreviewOfTheMonthlyTableAsTheProgramWritesIt)
{
    const CommandFile c = parseCommandText(QStringLiteral(
        "FileName,\"C:\\Suite\\SYS\\利用者別月間実績チェック表.wfd\"\r\n"
        "Title,\"利用者別月間実績表印刷\"\r\n"
        "SetDataText,\"利用者別月間実績\",\"C:\\Suite\\TMP\\利用者別月間実績.csv\"\r\n"
        "PrintPaper, A4\r\n"
        "ShowWindow,2\r\n"));
    EXPECT_TRUE(c.problems.isEmpty()) << c.problems.join(u'\n').toStdString();
    EXPECT_EQ(c.layoutPath, QStringLiteral("C:/Suite/SYS/利用者別月間実績チェック表.wfd"));
    EXPECT_EQ(c.title, QStringLiteral("利用者別月間実績表印刷"));
    ASSERT_EQ(c.data.size(), 1);
    EXPECT_EQ(c.data[0].name, QStringLiteral("利用者別月間実績"));
    EXPECT_EQ(c.data[0].path, QStringLiteral("C:/Suite/TMP/利用者別月間実績.csv"));
    EXPECT_TRUE(c.data[0].hasHeader);
    EXPECT_EQ(c.paper, QStringLiteral("A4"));
    EXPECT_EQ(c.action, ViewerAction::Preview);
    EXPECT_FALSE(c.merge);
}

TEST(ViewerCommandFile, EveryCommandTakesEffect)
{
    const CommandFile c = parseCommandText(QStringLiteral(
        "FileName,\"/x/a.wfd\"\r\nSetDataText,\"d\",\"/x/d.csv\",,,1\r\nPrintOffsetX, 25\r\nPrintOffsetY, -10\r\n"
        "PrintZoom, 90\r\nSectionRepeatStart, 3\r\nPrintPaper, B5\r\nSetItemValue,\"A.B.C\",\"値\"\r\n"
        "printoutfromdialog\r\n"));
    EXPECT_TRUE(c.problems.isEmpty());
    EXPECT_FALSE(c.data.at(0).hasHeader);
    EXPECT_DOUBLE_EQ(c.offsetXmm, 2.5);
    EXPECT_DOUBLE_EQ(c.offsetYmm, -1.0);
    EXPECT_EQ(c.zoomPercent, 90);
    EXPECT_EQ(c.repeatStart, 3);
    EXPECT_EQ(c.paper, QStringLiteral("B5"));
    ASSERT_EQ(c.items.size(), 1);
    EXPECT_EQ(c.items[0].name, QStringLiteral("A.B.C"));
    EXPECT_EQ(c.items[0].value, QStringLiteral("値"));
    EXPECT_EQ(c.action, ViewerAction::PrintDialog);
    EXPECT_EQ(parseCommandText(QStringLiteral("PrintOut\r\n")).action, ViewerAction::PrintOut);
}

TEST(ViewerCommandFile, LinesNotUnderstoodAreReportedAndTheRestStillCounts)
{
    const CommandFile c = parseCommandText(QStringLiteral(
        "FileName,\"/x/a.wfd\"\r\nPrintColor, 1\r\nPrintZoom, abc\r\nPrintPaper, Letter\r\nFileName\r\nShowWindow,2\r\n"));
    ASSERT_EQ(c.problems.size(), 4);
    EXPECT_TRUE(c.problems[0].contains(QStringLiteral("2 行目")));
    EXPECT_TRUE(c.problems[0].contains(QStringLiteral("PrintColor")));
    EXPECT_TRUE(c.problems[1].contains(QStringLiteral("abc")));
    EXPECT_TRUE(c.problems[2].contains(QStringLiteral("Letter")));
    EXPECT_TRUE(c.problems[3].contains(QStringLiteral("5 行目")));
    EXPECT_EQ(c.layoutPath, QStringLiteral("/x/a.wfd"));
    EXPECT_EQ(c.zoomPercent, 100);
    EXPECT_EQ(c.action, ViewerAction::Preview);
}

TEST(ViewerCommandFile, MergeCommandsCollectReports)
{
    const CommandFile c = parseCommandText(QStringLiteral(
        "setTitle,\"まとめ\"\r\n"
        "SetDataText,\"利用者別月間実績\",\"C:\\T\\a.csv\",\",\", \"\"\"\", True\r\n"
        "setreport,\"C:\\S\\a.wfd\"\r\nAddReport\r\n"
        "SetDataText,\"利用者別月間予定\",\"C:\\T\\b.csv\",\",\", \"\"\"\", False\r\n"
        "setreport,\"C:\\S\\b.wfd\"\r\n"));
    EXPECT_TRUE(c.merge);
    EXPECT_EQ(c.mergeTitle, QStringLiteral("まとめ"));
    ASSERT_EQ(c.reports.size(), 2);
    EXPECT_EQ(c.reports[0].layoutPath, QStringLiteral("C:/S/a.wfd"));
    ASSERT_EQ(c.reports[0].data.size(), 1);
    EXPECT_EQ(c.reports[0].data[0].delimiter, u',');
    EXPECT_EQ(c.reports[0].data[0].quote, u'"');
    EXPECT_FALSE(c.reports[0].data[0].hasHeader);
    EXPECT_TRUE(c.reports[1].data[0].hasHeader);
    EXPECT_EQ(c.reports[1].data[0].name, QStringLiteral("利用者別月間予定"));
}

TEST(ViewerCommandFile, Cp932FileIsDecodedBeforeItIsSplit)
{
    // 表 is 95 5C in CP932: its trail byte is a backslash.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("WfdCom.dat"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(cp932Lines({QStringLiteral("FileName,\"C:\\SYS\\予定表.wfd\""), QStringLiteral("Title,\"ソ表\""),
                        QStringLiteral("ShowWindow,2")}));
    f.close();
    CommandFile c;
    QString error;
    ASSERT_TRUE(readCommandFile(path, &c, &error)) << error.toStdString();
    EXPECT_EQ(c.layoutPath, QStringLiteral("C:/SYS/予定表.wfd"));
    EXPECT_EQ(c.title, QStringLiteral("ソ表"));

    EXPECT_FALSE(readCommandFile(dir.filePath(QStringLiteral("none.dat")), &c, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("none.dat"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("見つかりません")));
}
