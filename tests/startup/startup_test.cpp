// The real binary in scripted mode, the branch key rule, the background window's load.
#include "common/globals.h"
#include "common/program_end.h"
#include "common/text_file.h"
#include "startup/back_window.h"
#include "startup/start_values.h"
#include "support/program_run.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
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
    // Any text is a mode, also one that looks like an option of the window system.
    const QStringList modes[] = {{QStringLiteral("1")}, {QStringLiteral("-reverse")}, {QStringLiteral("-title"), QStringLiteral("x")},
                                 {QStringLiteral("-style"), QStringLiteral("fusion")}};
    for (const QStringList& mode : modes) {
        const ProgramRun r = run(mode, {QStringLiteral("MONTHLY_RECORDS_QUIT_AFTER_LOAD=1")});
        EXPECT_EQ(r.exitCode, 0) << mode.join(u' ').toStdString();
        EXPECT_FALSE(r.stderrLines.join(u'\n').contains(QStringLiteral("処理モード"))) << mode.join(u' ').toStdString();
        EXPECT_EQ(r.lines(QStringLiteral("START")),
                  QStringList{QStringLiteral("START\t") + r.folder + QStringLiteral("/Main.exe 2")})
            << mode.join(u' ').toStdString();
    }
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

namespace {

struct ProgramEnded {};

// The background window's load in this process: the program-wide values and the wallpaper.
struct BackWindowFixture : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    const QString cwd = QDir::currentPath();
    void SetUp() override { setEndProgramHandler([] { throw ProgramEnded{}; }); }
    void TearDown() override
    {
        setEndProgramHandler(nullptr);
        QDir::setCurrent(cwd);
    }
    void massage(const QStringList& lines) { inst.writeBytes(QStringLiteral("Massage.ini"), cp932Lines(lines)); }
    QStringList said() const
    {
        QStringList t;
        for (const auto& m : rec.messages)
            t << m.text;
        return t;
    }
};

TEST_F(BackWindowFixture, WallpaperStretchedOverTheWindowAndTheBranchKey)
{
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(QColor(0x20, 0x60, 0xa0));
    ASSERT_TRUE(picture.save(inst.file(QStringLiteral("ICON/wall.png"))));
    massage({QStringLiteral("[SYSTEM]"), QStringLiteral("SYSTEM_ICON=\\ICON"), QStringLiteral("WALLPAPER=wall.png"),
             QStringLiteral("BASEID=0203"), QStringLiteral("[OTHER]"), QStringLiteral("BASEID=0501")});
    gKyotenCd = gKyotenEb = 0;
    frmBack back;
    back.load(inst.path());
    EXPECT_TRUE(rec.messages.isEmpty()) << said().join(u'|').toStdString();
    EXPECT_EQ(gAppPath, QDir(inst.path()).canonicalPath());
    EXPECT_EQ(std::pair(gKyotenCd, gKyotenEb), (std::pair<short, short>(2, 3))); // the first BASEID in the file
    ASSERT_FALSE(back.ImgWall->pixmap().isNull());
    back.resize(320, 200);
    back.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(back.ImgWall->geometry(), back.rect());
    const QImage shown = back.grab().toImage();
    for (const QPoint p : {QPoint(1, 1), QPoint(318, 1), QPoint(160, 100), QPoint(1, 198), QPoint(318, 198)})
        EXPECT_EQ(shown.pixelColor(p), QColor(0x20, 0x60, 0xa0)) << p.x() << "," << p.y();
}

TEST_F(BackWindowFixture, MissingWallpaperLeavesThePlainBackground)
{
    // A named file that is not there: plain and silent. Neither entry there: both messages,
    // the icon folder's first, and start-up goes on.
    frmBack back;
    back.load(inst.path()); // WALLPAPER=wall.png, no such file
    EXPECT_TRUE(rec.messages.isEmpty()) << said().join(u'|').toStdString();
    EXPECT_TRUE(back.ImgWall->pixmap().isNull());

    massage({QStringLiteral("BASEID=0103")});
    frmBack bare;
    bare.load(inst.path());
    EXPECT_EQ(said(), (QStringList{QStringLiteral("システム設定ファイルに、指定の項目が見つかりません。\r[SYSTEM_ICON]"),
                                   QStringLiteral("システム設定ファイルに、指定の項目が見つかりません。\r[WALLPAPER]")}));
    EXPECT_TRUE(bare.ImgWall->pixmap().isNull());
    EXPECT_EQ(std::pair(gKyotenCd, gKyotenEb), (std::pair<short, short>(1, 3)));
}

} // namespace
