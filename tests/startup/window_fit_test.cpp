// With the program's start-up settings (the Japanese locale and font): every window and dialog
// of the program and the viewer fits a 1366 × 768 laptop screen whose panel leaves 1366 × 720,
// title bar included, every control is found by its label and its own name, and the
// calendars name months and weekdays in Japanese.
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

#include <QAbstractItemView>
#include <QAccessible>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

// The client area that leaves room for a title bar and the frame's borders.
const QSize kFits(1366 - 8, 720 - 32);

class StartUpSettings : public ::testing::Test {
protected:
    static void SetUpTestSuite() { installJapaneseUi(); }
    ScopedRecordingPlatform rec;
    frmPrint利用者別月間実績表 main;
    frmHinkaiSub sub;
    frmPrint16Hindo print;
    frm施術者検索 search;
    frmInputMeisai entry;
    PreviewWindow preview{
        documentOf(sampleReport("利用者別月間実績チェック表.wfd", "利用者別月間実績.csv"), "利用者別月間実績表印刷"),
        QStringList{}};
    const std::vector<QWidget*> windows{&main, &sub, &print, &search, &entry, &preview};
};

TEST_F(StartUpSettings, EveryWindowFitsALaptopScreen)
{
    for (QWidget* w : windows) {
        w->ensurePolished();
        // The size it opens at (its own or its layout's) and the least it can shrink to. The
        // background window covers the screen's available area and the preview opens at 9/10
        // of it, whatever their own sizes: only their least sizes count.
        std::vector<QSize> sizes{w->minimumSizeHint()};
        if (w != &preview)
            sizes.push_back(w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint());
        for (const QSize& s : sizes) {
            EXPECT_LE(s.width(), kFits.width()) << qPrintable(w->metaObject()->className());
            EXPECT_LE(s.height(), kFits.height()) << qPrintable(w->metaObject()->className());
        }
    }
}

// Inputs, options, check boxes, buttons, lists, spin boxes and named frames: the label as
// accessible name, the control's own name as object name and accessible description; a button named by
// its caption, an option or check box also by its group's label and its caption. The viewer's
// preview has no such names: its buttons are heard by their captions.
TEST_F(StartUpSettings, EveryControlHasItsLabelAndOwnName)
{
    for (QWidget* w : windows) {
        const bool ownNames = w != &preview;
        int walked = 0;
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (c->window() != w || c->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QHeaderView*>(c)
                || qobject_cast<QAbstractItemView*>(c->parentWidget())) // the parts of a list
                continue;
            auto* button = qobject_cast<QAbstractButton*>(c);
            if (!button && !qobject_cast<QLineEdit*>(c) && !qobject_cast<QPlainTextEdit*>(c)
                && !qobject_cast<QComboBox*>(c) && !qobject_cast<QAbstractSpinBox*>(c)
                && !qobject_cast<QAbstractItemView*>(c) && !(qobject_cast<QGroupBox*>(c) && !c->objectName().isEmpty()))
                continue;
            ++walked;
            const std::string what = w->metaObject()->className() + (' ' + c->objectName().toStdString());
            const QString name =
                ownNames ? c->accessibleName() : QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty()) << what << ' ' << c->metaObject()->className();
            EXPECT_NE(c->objectName().isEmpty(), ownNames) << what;
            EXPECT_EQ(c->accessibleDescription(), c->objectName()) << what;
            if (QString caption = button ? button->text().trimmed() : QString(); !caption.isEmpty()) {
                const bool grouped = !qobject_cast<QPushButton*>(c) && name.endsWith(u' ' + caption);
                EXPECT_TRUE(name == caption || name == caption.remove(u' ') || grouped) << what;
            }
        }
        EXPECT_GE(walked, 6) << w->metaObject()->className();
    }
    // Members of control arrays by their index.
    const std::tuple<QWidget*, const char*, const char*> members[] = {
        {entry.optNegaeri[1], "寝返り 一部介助", "optNegaeri(1)"},
        {entry.picDamage[7], "痛みの強さ 7", "picDamage(7)"},
        {entry.cmbZenkaiHenka[1], "前月からの変化", "cmbZenkaiHenka(1)"},
        {print.optPrintType[1], "頻回な施術を必要とした詳細な理由及び今後の施術計画書", "optPrintType(1)"},
        {main.optSerchSel[2], "頻回な施術の利用者（頻回施術計画書）", "optSerchSel(2)"},
    };
    for (const auto& [member, name, objectName] : members)
        EXPECT_EQ((std::pair{member->accessibleName(), member->objectName()}),
                  (std::pair{QString::fromUtf8(name), QString::fromUtf8(objectName)}));
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
