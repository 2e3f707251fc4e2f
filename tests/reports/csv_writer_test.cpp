// The CSV rules shared by the reports and the layout lookup.
#include "reports/csv_writer.h"

#include "common/text_file.h"
#include "report_test_util.h"
#include "support/test_install.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportCsv, QuotingNumbersHeaderAndCp932)
{
    TestInstall inst;
    const QString path = inst.file(QStringLiteral("TMP/x.csv"));
    CsvWriter w;
    ASSERT_TRUE(w.open(path));
    w.header({QStringLiteral("名"), QStringLiteral("n")});
    w.row(CsvRow().text(QStringLiteral("a\"b")).number(-12));
    w.row(CsvRow().text(QStringLiteral("髙橋😀")).number(0));
    w.row(CsvRow().text(QString()).text(QStringLiteral("表")));
    EXPECT_EQ(w.rowCount(), 3);
    ASSERT_TRUE(w.close());
    const QByteArray expected = "\"" + hexBytes("96bc") + "\",\"n\"\r\n"
        "\"a\"b\",-12\r\n"
        "\"" + hexBytes("fbfc8bb4") + "?\",0\r\n"
        "\"\",\"" + hexBytes("955c") + "\"\r\n";
    EXPECT_EQ(fileBytes(path), expected);
}

TEST(ReportCsv, OpeningDeletesTheOldFileAndFailuresAreRunTimeErrors)
{
    TestInstall inst;
    const QString path = inst.file(QStringLiteral("TMP/x.csv"));
    inst.writeBytes(QStringLiteral("TMP/x.csv"), "old");
    CsvWriter w;
    ASSERT_TRUE(w.open(path));
    EXPECT_FALSE(QFileInfo::exists(path));

    VbError err;
    CsvWriter missing;
    ASSERT_TRUE(missing.open(inst.file(QStringLiteral("NOFOLDER/x.csv"))));
    missing.header({QStringLiteral("a")});
    EXPECT_FALSE(missing.close(&err));
    EXPECT_EQ(err.parenText(), QStringLiteral("(76)パスが見つかりません。"));
}

TEST(ReportLayoutLookup, ValueCutAtNulAndTrimmedOrEmpty)
{
    TestInstall inst;
    ScopedRecordingPlatform rec;
    const QString section = QStringLiteral("利用者別月間実績表");
    const QString key = QStringLiteral("利用者別月間実績チェック表");
    EXPECT_EQ(csGetReportLayout(section, key), QString()); // no 帳票Format.ini
    inst.writeBytes(QStringLiteral("DATA/帳票Format.ini"),
                    cp932Lines({QStringLiteral("[利用者別月間実績表]"), key + QStringLiteral("=自社様式.wfd   "),
                                QStringLiteral("[利用者別月間予定表]"), QStringLiteral("利用者別月間予定チェック表=  ")}));
    EXPECT_EQ(csGetReportLayout(section, key), QStringLiteral("自社様式.wfd"));
    EXPECT_EQ(csGetReportLayout(QStringLiteral("利用者別月間予定表"), QStringLiteral("利用者別月間予定チェック表")),
              QString());
    EXPECT_EQ(csGetReportLayout(section, QStringLiteral("other")), QString());
    EXPECT_TRUE(rec.messages.isEmpty());
}

} // namespace
