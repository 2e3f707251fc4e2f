// The preview window (offscreen) and the messages of the windowed run.
#include "preview_window.h"
#include "viewer_job.h"
#include "viewer_test_util.h"

#include "platform/recording_platform.h"
#include "support/modal.h"

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <algorithm>
#include <gtest/gtest.h>

TEST(ViewerPreview, PagesZoomFitWidthAndWarnings)
{
    const Document doc =
        documentOf(sampleReport("利用者別月間実績チェック表.wfd", "利用者別月間実績.csv"), "利用者別月間実績表印刷");
    // The page as an image: landscape, and painted.
    const QImage img = renderPageImage(doc, 0, 0.5);
    EXPECT_GT(img.width(), img.height());
    int dark = 0;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            dark += qGray(img.pixel(x, y)) < 128;
    EXPECT_GT(dark, 500);

    PreviewWindow w(doc, {"WfdCom.dat 4 行目: 不明なコマンド「PrintColor」です。"});
    w.show();
    EXPECT_EQ(w.windowTitle(), "利用者別月間実績表印刷");
    const QLabel* note = w.findChild<QLabel*>("warnings");
    EXPECT_TRUE(note && note->text().contains("PrintColor"));

    QHash<QString, QAction*> actions;
    for (QAction* a : w.findChildren<QAction*>())
        actions.insert(a->text(), a);
    QAction *next = actions.value("次のページ"), *prev = actions.value("前のページ"), *zoomIn = actions.value("拡大"),
            *fit = actions.value("幅に合わせる");
    ASSERT_TRUE(next && prev && zoomIn && fit);
    EXPECT_FALSE(prev->isEnabled());
    next->trigger();
    EXPECT_EQ(std::tuple(w.currentPage(), next->isEnabled(), prev->isEnabled()), std::tuple(1, false, true));
    const QList<QLabel*> labels = w.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return l->text() == "2 / 2 ページ"; }));

    EXPECT_TRUE(w.fitsWidth());
    const double fitted = w.zoom();
    zoomIn->trigger();
    EXPECT_FALSE(w.fitsWidth());
    EXPECT_NEAR(w.zoom(), fitted * 1.25, 1e-9);
    w.resize(w.width() + 200, w.height());
    EXPECT_NEAR(w.zoom(), fitted * 1.25, 1e-9); // a chosen zoom stays
    fit->trigger();
    EXPECT_TRUE(w.fitsWidth());
    EXPECT_GT(w.zoom(), fitted); // the window is wider now
}

TEST(ViewerPreview, FailuresOfTheWindowedRunAreMessageBoxes)
{
    QTemporaryDir dir;
    ScopedRecordingPlatform rec;
    EXPECT_EQ(runViewerWithWindow(parseViewerArguments({"/c", dir.filePath("none.dat")})), ExitBadInput);
    writeCp932Lines(dir.filePath("WfdCom.dat"),
                    previewCommands(dir.filePath("none.wfd"), "題", "d", dir.filePath("d.csv")));
    EXPECT_EQ(runViewerWithWindow(parseViewerArguments({"/c", dir.filePath("WfdCom.dat")})), ExitBadInput);
    ASSERT_EQ(rec.messages.size(), 2);
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(rec.messages[0].text.contains(dir.filePath("none.dat") + " が見つかりません"));
    EXPECT_TRUE(rec.messages[1].text.contains(dir.filePath("none.wfd") + " が見つかりません"));
}

TEST(ViewerPreview, ACutTextIsSaidBeforeThePrintDialog)
{
    const Document doc = documentOf(reportOf(R"({"wfd":1,"label":"{id}","items":[{"type":"grid","x":10,"y":10,
                                                 "w":20,"h":10,"cols":2,"rows":2,"text":"{r}"}]})",
                                             "\"id\",\"r\"\r\n\"10101\",\"あいうえお\"\r\n"),
                                    "題");
    PreviewWindow w(doc, doc.overflowNotes());
    ScopedRecordingPlatform rec;
    qsizetype saidBeforeDialog = -1;
    whenModal<QPrintDialog>([&](QPrintDialog* dialog) {
        saidBeforeDialog = rec.messages.size();
        dialog->reject();
    });
    for (QAction* a : w.findChildren<QAction*>())
        if (a->text() == "印刷...")
            a->trigger();
    ASSERT_EQ(saidBeforeDialog, 1);
    EXPECT_EQ(rec.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(rec.messages[0].text.startsWith("1 ページ（10101）: 文字を 7 ポイントまで小さくしても"))
        << rec.messages[0].text.toStdString();
}
