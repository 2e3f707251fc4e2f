// The real binary in scripted mode, and the branch key rule.
#include "startup/start_values.h"
#include "support/program_run.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include <gtest/gtest.h>

namespace {

TEST(StartValues, BaseIdNeedsFourDigits)
{
    EXPECT_EQ(parseBaseId(QStringLiteral("0203")), (std::pair<short, short>(2, 3)));
    EXPECT_EQ(parseBaseId(QStringLiteral("0103 ")), (std::pair<short, short>(1, 3)));
    EXPECT_EQ(parseBaseId(QStringLiteral("1299")), (std::pair<short, short>(12, 99)));
    for (const char* bad : {"", "010", " 0103", "01a3", "abcd", "０１０３"})
        EXPECT_FALSE(parseBaseId(QString::fromUtf8(bad)).has_value()) << bad;
}

struct BinaryFixture : ::testing::Test {
    TestInstall inst;
    ProgramRun run(const QStringList& args, const QStringList& env = {})
    {
        return runInstalledProgram(inst, QStringLiteral(MONTHLY_RECORDS_BINARY), args, env);
    }
};

TEST_F(BinaryFixture, EmptyCommandLineShowsTwoMessagesAndEnds)
{
    const ProgramRun r = run({});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines(QStringLiteral("MSGBOX")),
              (QStringList{QStringLiteral("MSGBOX\t\u3000エラー！！\texclamation\t処理モードが設定されていません。"),
                           QStringLiteral("MSGBOX\t\u3000エラー！！\tcritical\t起動できません！")}));
    EXPECT_TRUE(r.lines(QStringLiteral("START")).isEmpty()); // the main window never opened
}

TEST_F(BinaryFixture, MissingSystemSettingsEndsBeforeTheModeIsLookedAt)
{
    QFile::remove(inst.file(QStringLiteral("Massage.ini")));
    const ProgramRun r = run({});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines(QStringLiteral("MSGBOX")),
              QStringList{QStringLiteral("MSGBOX\t警告！\tcritical\tシステム設定ファイルが見つかりません。")});
}

TEST_F(BinaryFixture, UnusableBaseIdRefusesToStart)
{
    inst.writeBytes(QStringLiteral("Massage.ini"), "SYSTEM_ICON=\\ICON\r\nWALLPAPER=w.png\r\nBASEID=1\r\n");
    const ProgramRun r = run({QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0);
    const QStringList msgs = r.lines(QStringLiteral("MSGBOX"));
    ASSERT_EQ(msgs.size(), 1);
    EXPECT_TRUE(msgs[0].startsWith(QStringLiteral("MSGBOX\t警告！\tcritical\tシステム設定ファイルの拠点番号（BASEID）が正しくありません。")));
    EXPECT_TRUE(r.lines(QStringLiteral("START")).isEmpty());
}

TEST_F(BinaryFixture, ProcessingModeOpensTheMainWindowAndStartsTheMenuOnClose)
{
    const ProgramRun r = run({QStringLiteral("1")}, {QStringLiteral("MONTHLY_RECORDS_QUIT_AFTER_LOAD=1")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines(QStringLiteral("START")), QStringList{QStringLiteral("START\t") + r.folder + QStringLiteral("/Main.exe 2")});
}

} // namespace

namespace {

TEST_F(BinaryFixture, LoadsOnASuiteDatabaseWithoutAnyMessage)
{
    const QString db = inst.useSqliteDatabase();
    QString err;
    ASSERT_TRUE(createSuiteDatabase(db, SchemaVariant::Current, &err)) << err.toStdString();
    const ProgramRun r = run({QStringLiteral("1")}, {QStringLiteral("MONTHLY_RECORDS_QUIT_AFTER_LOAD=1")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.lines(QStringLiteral("MSGBOX")).isEmpty()) << r.stderrLines.join(u'\n').toStdString();
    EXPECT_EQ(r.lines(QStringLiteral("START")).size(), 1);
}

} // namespace
