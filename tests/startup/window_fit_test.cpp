// With the program's start-up settings (the Japanese locale and font): every window and dialog
// of the program and the viewer fits a 1366 × 768 laptop screen whose panel leaves 1366 × 720,
// title bar included, and the calendars name months and weekdays in Japanese.
#include "preview_window.h"
#include "viewer/viewer_test_util.h"

#include "platform/recording_platform.h"
#include "widgets/month_edit.h"
#include "widgets/qt_platform.h"
#include "windows/frm_hinkai_sub.h"
#include "windows/frm_print16_hindo.h"
#include "windows/input_meisai.h"
#include "windows/main_window.h"
#include "windows/staff_search.h"

#include <QCalendarWidget>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

// The client area that leaves room for a title bar and the frame's borders.
const QSize kFits(1366 - 8, 720 - 32);

class StartUpSettings : public ::testing::Test {
protected:
    static void SetUpTestSuite() { installJapaneseUi(); }
    ScopedRecordingPlatform rec;
};

TEST_F(StartUpSettings, EveryWindowFitsALaptopScreen)
{
    Document doc;
    doc.title = QStringLiteral("利用者別月間実績表印刷");
    doc.reports.append(
        sampleReport(QStringLiteral("利用者別月間実績チェック表.wfd"), QStringLiteral("利用者別月間実績.csv")));
    doc.finish();
    // The background window covers the screen's available area and the preview opens at 9/10 of
    // it, whatever their own sizes: only their least sizes count.
    const std::pair<std::shared_ptr<QWidget>, bool> windows[] = {
        {std::make_shared<frmPrint利用者別月間実績表>(), true},
        {std::make_shared<frmHinkaiSub>(), true},
        {std::make_shared<frmPrint16Hindo>(), true},
        {std::make_shared<frm施術者検索>(), true},
        {std::make_shared<frmInputMeisai>(), true},
        {std::make_shared<PreviewWindow>(doc, QStringList{}), false},
    };
    for (const auto& [w, ownSize] : windows) {
        w->ensurePolished();
        // The size it opens at (its own or its layout's) and the least it can shrink to.
        std::vector<QSize> sizes{w->minimumSizeHint()};
        if (ownSize)
            sizes.push_back(w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint());
        for (const QSize& s : sizes) {
            EXPECT_LE(s.width(), kFits.width()) << qPrintable(w->metaObject()->className());
            EXPECT_LE(s.height(), kFits.height()) << qPrintable(w->metaObject()->className());
        }
    }
}

TEST_F(StartUpSettings, CalendarsAreJapanese)
{
    MonthEdit month;
    month.setMonth(QDate(2024, 5, 1));
    const QCalendarWidget* calendar = month.calendarWidget();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->locale().standaloneMonthName(5), QStringLiteral("5月"));
    EXPECT_EQ(calendar->locale().dayName(1, QLocale::ShortFormat), QStringLiteral("月"));
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);
}

} // namespace
