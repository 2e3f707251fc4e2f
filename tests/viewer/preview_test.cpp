// The preview window (offscreen) and the messages of the windowed run.
#include "preview_window.h"
#include "viewer_job.h"
#include "viewer_test_util.h"

#include "platform/recording_platform.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

Document sampleDocument(QTemporaryDir& dir)
{
    const QString csv = dir.filePath(QStringLiteral("a.csv"));
    QFile::copy(viewerDataDir() + QStringLiteral("利用者別月間実績.csv"), csv);
    writeCp932Lines(dir.filePath(QStringLiteral("WfdCom.dat")),
                    previewCommands(layoutsDir() + QStringLiteral("利用者別月間実績チェック表.wfd"),
                                    QStringLiteral("利用者別月間実績表印刷"), QStringLiteral("利用者別月間実績"), csv));
    ViewerJob job;
    QString error;
    EXPECT_TRUE(loadViewerJob(dir.filePath(QStringLiteral("WfdCom.dat")), &job, &error)) << error.toStdString();
    return job.document;
}

QAction* action(QWidget& w, const QString& text)
{
    for (QAction* a : w.findChildren<QAction*>())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

TEST(ViewerPreview, PagesZoomAndFitWidth)
{
    QTemporaryDir dir;
    PreviewWindow w(sampleDocument(dir), {});
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("利用者別月間実績表印刷"));
    EXPECT_EQ(w.document().pageCount(), 2);
    auto* label = w.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);

    QAction* next = action(w, QStringLiteral("次のページ"));
    QAction* prev = action(w, QStringLiteral("前のページ"));
    ASSERT_TRUE(next && prev);
    EXPECT_FALSE(prev->isEnabled());
    next->trigger();
    EXPECT_EQ(w.currentPage(), 1);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_TRUE(prev->isEnabled());
    bool labelled = false;
    for (QLabel* l : w.findChildren<QLabel*>())
        labelled = labelled || l->text() == QStringLiteral("2 / 2 ページ");
    EXPECT_TRUE(labelled);

    EXPECT_TRUE(w.fitsWidth());
    const double fitted = w.zoom();
    action(w, QStringLiteral("拡大"))->trigger();
    EXPECT_FALSE(w.fitsWidth());
    EXPECT_NEAR(w.zoom(), fitted * 1.25, 1e-9);
    w.resize(w.width() + 200, w.height());
    EXPECT_NEAR(w.zoom(), fitted * 1.25, 1e-9); // a chosen zoom stays
    action(w, QStringLiteral("幅に合わせる"))->trigger();
    EXPECT_TRUE(w.fitsWidth());
    EXPECT_GT(w.zoom(), fitted); // the window is wider now
}

TEST(ViewerPreview, PageImagesArePainted)
{
    QTemporaryDir dir;
    const Document doc = sampleDocument(dir);
    const QImage img = renderPageImage(doc, 0, 0.5);
    EXPECT_GT(img.width(), img.height()); // landscape
    int dark = 0;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            dark += qGray(img.pixel(x, y)) < 128;
    EXPECT_GT(dark, 500);
}

TEST(ViewerPreview, WarningsAreShownInTheWindow)
{
    QTemporaryDir dir;
    PreviewWindow w(sampleDocument(dir), {QStringLiteral("WfdCom.dat 4 行目: 不明なコマンド「PrintColor」です。")});
    auto* note = w.findChild<QLabel*>(QStringLiteral("warnings"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().contains(QStringLiteral("PrintColor")));
}

TEST(ViewerPreview, FailuresOfTheWindowedRunAreMessageBoxes)
{
    QTemporaryDir dir;
    ScopedRecordingPlatform rec;
    ViewerArguments a = parseViewerArguments({QStringLiteral("/c"), dir.filePath(QStringLiteral("none.dat"))});
    EXPECT_EQ(runViewerWithWindow(a), ExitBadInput);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(rec.messages[0].text.contains(QStringLiteral("none.dat")));

    rec.clear();
    writeCp932Lines(dir.filePath(QStringLiteral("WfdCom.dat")),
                    previewCommands(dir.filePath(QStringLiteral("none.wfd")), QStringLiteral("題"), QStringLiteral("d"),
                                    dir.filePath(QStringLiteral("d.csv"))));
    a = parseViewerArguments({QStringLiteral("/c"), dir.filePath(QStringLiteral("WfdCom.dat"))});
    EXPECT_EQ(runViewerWithWindow(a), ExitBadInput);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(rec.messages[0].text.contains(QStringLiteral("none.wfd")));
}
