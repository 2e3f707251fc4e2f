// The row refreshed after a sub-window closes is read for the row's own month, even when the
// month input shows another one after a failed extraction.
#include "support/main_window_fixture.h"
#include "support/modal.h"
#include "windows/frm_hinkai_sub.h"
#include "windows/input_meisai.h"

namespace {

// The parameter: the entry window, else the frequency window.
class RowRefresh : public ListFixture, public ::testing::WithParamInterface<bool> { };

TEST_P(RowRefresh, ReadsTheRowsOwnMonthAfterAFailedExtraction)
{
    seedThreeUsers();
    addStaff(7, "伊藤　正男");
    addOver16(10101, 2024, 5, 7);
    addMonth(10101, 2024, 6, 17); // June: a total, no continuation entry
    auto w = loadedMainWindow(QDate(2024, 5, 1));
    extractEveryone(*w);
    const int row = rowOfUser(*w, 10101);
    ASSERT_GE(row, 1);
    ASSERT_EQ(w->grdData->text(row, colKeizoku), "あり");

    // June's extraction fails: May's rows stay under a month input that shows June.
    execPlainSqlite(db, {"ALTER TABLE RIYOUSHA_SUB RENAME TO RIYOUSHA_SUB_OLD"});
    w->imD_Out->setMonth(QDate(2024, 6, 1));
    w->extract();
    execPlainSqlite(db, {"ALTER TABLE RIYOUSHA_SUB_OLD RENAME TO RIYOUSHA_SUB"});
    ASSERT_EQ(rowOfUser(*w, 10101), row);
    rec.clear();

    if (GetParam()) { // each opened for the row and closed at once
        whenModal<frmInputMeisai>([](frmInputMeisai* e) { e->cancel(); });
        w->gridDoubleClick(row, colName);
    } else {
        whenModal<frmHinkaiSub>([](frmHinkaiSub* s) { s->reject(); });
        w->openHinkaiSub(row);
    }
    EXPECT_TRUE(rec.messages.isEmpty());
    EXPECT_EQ(w->grdData->text(row, colKeizoku), "あり");
    EXPECT_EQ(w->grdData->text(row, colSyoumei), "伊藤　正男");
}

INSTANTIATE_TEST_SUITE_P(Windows, RowRefresh, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Entry" : "Frequency"); });

} // namespace
