// VB date arithmetic, eras and formats, number conversions.
#include "base/vb.h"
#include "base/vb_error.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

QDate d(int y, int m, int day) { return QDate(y, m, day); }

TEST(VbDates, MonthArithmeticClampsAndCountsBoundaries)
{
    EXPECT_EQ(vb::dateAddMonths(d(2024, 1, 31), 1), d(2024, 2, 29));
    EXPECT_EQ(vb::dateAddMonths(d(2023, 3, 31), 12), d(2024, 3, 31));
    EXPECT_EQ(vb::dateAddMonths(d(2024, 2, 29), 12), d(2025, 2, 28));
    EXPECT_EQ(vb::dateAddMonths(d(2024, 3, 31), -1), d(2024, 2, 29));
    EXPECT_EQ(vb::dateAddMonths(d(2024, 5, 1), -23), d(2022, 6, 1));
    EXPECT_EQ(vb::dateDiffMonths(d(2023, 3, 31), d(2024, 3, 1)), 12);
    EXPECT_EQ(vb::dateDiffMonths(d(2024, 3, 1), d(2023, 3, 31)), -12);
    EXPECT_EQ(vb::dateDiffMonths(d(2024, 1, 31), d(2024, 2, 1)), 1);
}

TEST(VbDates, ErasAtTheirBoundaries)
{
    // date, era code, as written
    const std::tuple<QDate, int, const char*> cases[] = {
        {d(1912, 7, 29), 1, "明治45年07月29日"},  {d(1912, 7, 30), 2, "大正01年07月30日"},
        {d(1926, 12, 24), 2, "大正15年12月24日"}, {d(1926, 12, 25), 3, "昭和01年12月25日"},
        {d(1989, 1, 7), 3, "昭和64年01月07日"},   {d(1989, 1, 8), 4, "平成01年01月08日"},
        {d(2019, 4, 30), 4, "平成31年04月30日"},  {d(2019, 5, 1), 5, "令和01年05月01日"},
        {d(1868, 1, 1), 1, "明治01年01月01日"},
    };
    for (const auto& [date, code, full] : cases) {
        EXPECT_EQ(vb::eraCode(date), code) << full;
        EXPECT_EQ(vb::format(date, QStringLiteral("gggee年mm月dd日")), QString::fromUtf8(full));
    }
    EXPECT_EQ(vb::eraCode(d(1867, 12, 31)), 0);
    EXPECT_EQ(vb::eraCode(QDate()), 0);
    EXPECT_EQ(vb::eraCodeOfText(QStringLiteral("1989/01/07")), 3);
    EXPECT_EQ(vb::eraCodeOfText(QStringLiteral("1989/01/08")), 4);
    EXPECT_EQ(vb::eraCodeOfText(QString()), 0);
    EXPECT_EQ(vb::eraCodeOfText(QStringLiteral("2024/02/30")), 0);
}

TEST(VbFormat, PatternsTheProgramUses)
{
    const QDateTime t(d(2024, 5, 1), QTime(17, 4, 23));
    // pattern, text
    const std::pair<const char*, const char*> cases[] = {{"yyyy", "2024"},
                                                         {"m", "5"},
                                                         {"mm", "05"},
                                                         {"yyyy/mm", "2024/05"},
                                                         {"yyyy/mm/dd", "2024/05/01"},
                                                         {"yyyy/mm/01", "2024/05/01"},
                                                         {"yyyymm", "202405"},
                                                         {"h:m:s", "17:4:23"},
                                                         {"gggee年m月", "令和06年5月"},
                                                         {"gggee年mm月dd日", "令和06年05月01日"},
                                                         {"gggee年m月d日", "令和06年5月1日"},
                                                         {"gggee年", "令和06年"},
                                                         {"yyyy\\.mmdd", "2024.0501"},
                                                         {"g", "R"},
                                                         {"gg", "令"},
                                                         {"e", "6"},
                                                         {"hh:mm:ss", "17:04:23"}};
    for (const auto& [pattern, want] : cases)
        EXPECT_EQ(vb::format(t, QString::fromUtf8(pattern)), QString::fromUtf8(want)) << pattern;
}

TEST(VbDates, ReadsTheDateTextsTheProgramMeets)
{
    EXPECT_EQ(vb::toDate(QStringLiteral("2024/03/10"))->date(), d(2024, 3, 10));
    EXPECT_EQ(vb::toDate(QStringLiteral("2024/3/1"))->date(), d(2024, 3, 1));
    EXPECT_EQ(*vb::toDate(QStringLiteral("2024/03/10 9:05:00")), QDateTime(d(2024, 3, 10), QTime(9, 5)));
    EXPECT_EQ(*vb::toDate(QStringLiteral("2024-03-10 09:05:00")), QDateTime(d(2024, 3, 10), QTime(9, 5)));
    EXPECT_EQ(*vb::toDate(QStringLiteral("2024-03-10T09:05:00")), QDateTime(d(2024, 3, 10), QTime(9, 5)));
    EXPECT_EQ(vb::toDate(QVariant(QDateTime(d(2020, 2, 29), QTime(0, 0))))->date(), d(2020, 2, 29));
    EXPECT_FALSE(vb::toDate(QStringLiteral("")).has_value());
    EXPECT_FALSE(vb::toDate(QStringLiteral("2024/02/30")).has_value());
    EXPECT_FALSE(vb::toDate(QVariant()).has_value());
    EXPECT_EQ(vb::formatValue(QStringLiteral("2020/2/9"), QStringLiteral("yyyy/mm/dd")), QStringLiteral("2020/02/09"));
}

TEST(VbNumbers, ConversionsRoundToEvenAndRaise)
{
    EXPECT_EQ(vb::cint(0.5), 0);
    EXPECT_EQ(vb::cint(1.5), 2);
    EXPECT_EQ(vb::cint(2.5), 2);
    EXPECT_EQ(vb::cint(-2.5), -2);
    EXPECT_EQ(vb::cint(QStringLiteral(" 12 ")), 12);
    EXPECT_EQ(vb::clng(QStringLiteral("2147483647")), 2147483647L);
    try {
        vb::cint(QStringLiteral("abc"));
        FAIL();
    } catch (const VbRuntimeError& e) {
        EXPECT_EQ(e.err.parenText(), QStringLiteral("(13)型が一致しません。"));
    }
    EXPECT_THROW(vb::cint(QString()), VbRuntimeError);
    try {
        vb::cint(40000);
        FAIL();
    } catch (const VbRuntimeError& e) {
        EXPECT_EQ(e.err.number, 6);
    }
    EXPECT_TRUE(vb::isNumeric(QStringLiteral(" 5 ")));
    EXPECT_FALSE(vb::isNumeric(QStringLiteral("5x")));
    EXPECT_FALSE(vb::isNumeric(QString()));
    EXPECT_EQ(vb::val(QStringLiteral("12abc")), 12);
    EXPECT_EQ(vb::val(QStringLiteral(" 1 2 3")), 123);
    EXPECT_EQ(vb::val(QStringLiteral("&H1F")), 31);
    EXPECT_EQ(vb::val(QStringLiteral("x")), 0);
    EXPECT_EQ(vb::rtrim(QStringLiteral(" a　 ")), QStringLiteral(" a　"));
}

} // namespace
