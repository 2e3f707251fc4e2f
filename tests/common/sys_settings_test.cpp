// Massage.ini lookup, folder functions and the Null-safe field functions.
#include "base/globals.h"
#include "base/opl_string.h"
#include "base/paths.h"
#include "base/program_end.h"
#include "base/text_file.h"
#include "common/sys_settings.h"
#include "support/recorded_messages.h"
#include "support/test_install.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

struct ProgramEnded { };

struct SettingsFixture : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    void SetUp() override
    {
        setEndProgramHandler([] { throw ProgramEnded{}; });
    }
    void TearDown() override { setEndProgramHandler(nullptr); }
    void massage(const QByteArray& bytes) { inst.writeBytes(QStringLiteral("Massage.ini"), bytes); }
};

TEST_F(SettingsFixture, LookupIsFlatCaseSensitiveAndUntrimmed)
{
    massage(encodeCp932(QStringLiteral("[A]\r\nWALLPAPER = wall.png\r\nwallpaper=lower.png\r\nno equals line\r\n"
                                       "EMPTY=\r\nX=a=b\r\n[B]\r\nBASEID=0203\r\nBASEID=9999\r\n施術者拠点間共有=1")));
    EXPECT_EQ(vGetMassageIni(QStringLiteral("WALLPAPER"), true), QStringLiteral(" wall.png"));
    EXPECT_EQ(vGetMassageIni(QStringLiteral(" wallpaper "), true), QStringLiteral("lower.png"));
    EXPECT_EQ(vGetMassageIni(QStringLiteral("BASEID"), false), QStringLiteral("0203"));
    EXPECT_EQ(vGetMassageIni(QStringLiteral("X"), false), QStringLiteral("a=b"));
    EXPECT_EQ(vGetMassageIni(QStringLiteral("施術者拠点間共有"), false), QStringLiteral("1"));
    EXPECT_EQ(vGetMassageIni(QStringLiteral("EMPTY"), true), QString());
    EXPECT_TRUE(rec.messages.isEmpty());

    EXPECT_EQ(vGetMassageIni(QStringLiteral("NOPE"), false), QString());
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(vGetMassageIni(QStringLiteral("Nope"), true), QString());
    expectSaid(rec, {{"システム設定ファイルに、指定の項目が見つかりません。\r[Nope]", MsgIcon::Critical, "警告！"}});
}

TEST_F(SettingsFixture, FolderFunctionsAreNativeWithATrailingSeparator)
{
    // (Each folder named in another case: the Windows names test.)
    massage("SYSTEM_SYS=\\SYS\r\n");
    EXPECT_EQ(csGetTmpFolder(), inst.path() + u'/'); // missing entry: the program folder
    EXPECT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(bFileExists(gAppPath + QStringLiteral("\\Massage.ini")));
    EXPECT_FALSE(bFileExists(gAppPath + QStringLiteral("\\TMP"))); // folders do not count
}

TEST(OplString, NullSafeConversions)
{
    EXPECT_EQ(csCutNull(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(csCutNull(QString(QChar(0)) + QStringLiteral("abc")), QString());
    EXPECT_EQ(csCutNull(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")), QStringLiteral("ab"));

    EXPECT_EQ(csNullToStr(QVariant()), QString());
    EXPECT_EQ(csNullToStr(QStringLiteral("山田　太郎   ")), QStringLiteral("山田　太郎"));
    EXPECT_EQ(csNullToStr(QStringLiteral("全角　")), QStringLiteral("全角　")); // U+3000 stays
    EXPECT_EQ(csNullToStr(qlonglong(42)), QStringLiteral("42"));
    EXPECT_EQ(csNullToStr(QDateTime(QDate(2024, 5, 1), QTime(0, 0))), QStringLiteral("2024/05/01"));
    EXPECT_EQ(csNullToStr(QDateTime(QDate(2024, 5, 1), QTime(9, 5, 3))), QStringLiteral("2024/05/01 9:05:03"));

    EXPECT_EQ(nNullToLong(QVariant()), 0);
    EXPECT_EQ(nNullToLong(QStringLiteral("abc")), 0);
    EXPECT_EQ(nNullToLong(QStringLiteral("12")), 12);
    EXPECT_EQ(nNullToLong(0.5), 0);
    EXPECT_EQ(nNullToLong(1.5), 2);
    EXPECT_EQ(nNullToLong(2.5), 2);
    EXPECT_EQ(nNullToLong(QStringLiteral("3000000000")), 0); // overflow
}

} // namespace
