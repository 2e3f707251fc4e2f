// The branch key rule and the background window's load.
#include "base/globals.h"
#include "base/program_end.h"
#include "base/text_file.h"
#include "startup/back_window.h"
#include "startup/start_values.h"
#include "support/recorded_messages.h"
#include "support/test_install.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(StartValues, BaseIdNeedsFourDigits)
{
    for (const auto& [text, cd, eb] : {std::tuple{"0203", 2, 3}, std::tuple{"0103 ", 1, 3}, std::tuple{"1299", 12, 99}})
        EXPECT_EQ(parseBaseId(QString::fromLatin1(text)), (std::pair<short, short>(cd, eb))) << text;
    for (const char* bad : {"", "010", " 0103", "01a3", "abcd", "０１０３"})
        EXPECT_FALSE(parseBaseId(QString::fromUtf8(bad)).has_value()) << bad;
}

struct ProgramEnded { };

// The background window's load in this process: the program-wide values and the wallpaper.
struct BackWindowFixture : ::testing::Test {
    TestInstall inst;
    ScopedRecordingPlatform rec;
    const QString cwd = QDir::currentPath();
    void SetUp() override
    {
        setEndProgramHandler([] { throw ProgramEnded{}; });
    }
    void TearDown() override
    {
        setEndProgramHandler(nullptr);
        QDir::setCurrent(cwd);
    }
    void massage(const QStringList& lines) { inst.writeBytes("Massage.ini", cp932Lines(lines)); }
};

TEST_F(BackWindowFixture, WallpaperStretchedOverTheWindowAndTheBranchKey)
{
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(QColor(0x20, 0x60, 0xa0));
    ASSERT_TRUE(picture.save(inst.file("ICON/wall.png")));
    massage({"[SYSTEM]", "SYSTEM_ICON=\\ICON", "WALLPAPER=wall.png", "BASEID=0203", "[OTHER]", "BASEID=0501"});
    gKyotenCd = gKyotenEb = 0;
    frmBack back;
    back.load(inst.path());
    expectSaid(rec, {});
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

} // namespace
