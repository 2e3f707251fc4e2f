// The main window's detail entry commands offscreen on both drivers: cmdEdit's selection
// rule, the list's double click and Enter, and the whole round from the list through the entry window
// back to the refreshed row.
#include "continuation/over16_record.h"
#include "support/main_window_fixture.h"
#include "support/modal.h"
#include "support/recorded_messages.h"
#include "widgets/date_input.h"
#include "windows/input_meisai.h"

namespace {

class EntryCommands : public ListFixtureVia {
protected:
    void SetUp() override
    {
        ListFixtureVia::SetUp();
        gTZSVer = 0;
        seedThreeUsers();
        addStaff(5, "鈴木　五郎");
        addMonth(10101, 2024, 4, 17);
        sql({QStringLiteral(
            "INSERT INTO OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNegaeri, iNRS, "
            "iZenkaiHyoukaUmu, iZenkaiHyoukaHenaka, cRiyuu, nStaffID) VALUES (1, 3, 10101, 2024, 4, 2, 4, 1, 2, "
            "'先月の理由', 5)")});
        w = loadedMainWindow(QDate(2024, 5, 1));
        extractEveryone(*w);
        ASSERT_EQ(w->grdData->MaxRows(), 3);
    }
    int rowOf(long id) const { return rowOfUser(*w, id); }
    std::unique_ptr<MainWindow> w;
};

// Any entry window that opens when none should is recorded and closed, so the test ends.
struct UnexpectedEntry {
    UnexpectedEntry()
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* e = dynamic_cast<frmInputMeisai*>(QApplication::activeModalWidget())) {
                opened = true;
                e->cancel();
            }
        });
        timer.start();
    }
    QTimer timer;
    bool opened = false;
};

TEST_P(EntryCommands, TheEntryOpensForOneTickedRowADoubleClickOrEnter)
{
    QString month;
    const auto opened = [&](const std::function<void()>& action) {
        long user = 0;
        whenModal<frmInputMeisai>([&](frmInputMeisai* e) {
            user = e->userId();
            month = e->month();
            e->cancel();
        });
        action();
        return user;
    };
    UnexpectedEntry guard;
    QTest::mouseClick(w->cmdEdit, Qt::LeftButton); // none selected
    tickUsers(*w, {10101, 10201, 10301});
    QTest::mouseClick(w->cmdEdit, Qt::LeftButton);
    expectSaid(rec, {{"理由記載の場合は、該当利用者１人を選択してください。", MsgIcon::Information, "確認"}});
    EXPECT_FALSE(guard.opened);
    guard.timer.stop();

    tickUsers(*w, {10201});
    EXPECT_EQ(opened([&] { QTest::mouseClick(w->cmdEdit, Qt::LeftButton); }), 10201);
    EXPECT_EQ(month, "2024/05/01");
    EXPECT_EQ(rec.messages.size(), 1);
    // A double click on a data row, or Enter on a data cell, opens that row's entry.
    const int row = rowOf(10301);
    EXPECT_EQ(opened([&] { w->grdData->onDoubleClick(row, 5); }), 10301);
    w->grdData->setFocus();
    w->grdData->setCurrentCell(row - 1, colName - 1);
    EXPECT_EQ(opened([&] { QTest::keyClick(w->grdData, Qt::Key_Return); }), 10301);

    // An empty list: nothing at all.
    w->grdData->setMaxRows(0);
    rec.clear();
    UnexpectedEntry again;
    QTest::mouseClick(w->cmdEdit, Qt::LeftButton);
    w->gridDoubleClick(1, 2);
    EXPECT_TRUE(!again.opened && rec.messages.isEmpty());
}

TEST_P(EntryCommands, FromTheListThroughTheEntryBackToTheRefreshedRow)
{
    const int row = rowOf(10101);
    EXPECT_EQ(w->grdData->text(row, colKeizoku), "なし");
    tickUsers(*w, {10101});
    Over16Entry saved;
    whenModal<frmInputMeisai>([&](frmInputMeisai* e) {
        QTest::mouseClick(e->btnGetZenkai, Qt::LeftButton); // April, the month before
        e->imHyoukaDay[0]->setDate(QDate(2024, 5, 20));
        saved = e->entryValues();
        QTest::mouseClick(e->btnRegist, Qt::LeftButton);
    });
    QTest::mouseClick(w->cmdEdit, Qt::LeftButton);
    EXPECT_EQ(saved.iNegaeri, 2);
    EXPECT_EQ(saved.cRiyuu, "先月の理由");
    EXPECT_EQ(w->grdData->text(row, colKeizoku), "あり");
    EXPECT_EQ(w->grdData->text(row, colSyoumei), "鈴木　五郎");

    // The month input moved on without an extraction: the row keeps its own month.
    w->imD_Out->setMonth(QDate(2024, 6, 1));
    Over16Entry reopened;
    QString month;
    whenModal<frmInputMeisai>([&](frmInputMeisai* e) {
        month = e->month();
        reopened = e->entryValues();
        // A refresh that fails afterwards is reported.
        execPlainSqlite(db, {"ALTER TABLE STAFF RENAME TO STAFF_OLD"});
        e->cancel();
    });
    rec.clear();
    w->grdData->onDoubleClick(row, 2);
    execPlainSqlite(db, {"ALTER TABLE STAFF_OLD RENAME TO STAFF"});
    EXPECT_EQ(month, "2024/05/01");
    for (auto field : {&Over16Entry::iNegaeri, &Over16Entry::iNRS, &Over16Entry::iZenkaiHyoukaUmu,
                       &Over16Entry::iZenkaiHyoukaHenaka})
        EXPECT_EQ(reopened.*field, saved.*field);
    EXPECT_EQ(reopened.cRiyuu, saved.cRiyuu);
    EXPECT_EQ(reopened.cHyoukaDay, "2024/05/20");
    EXPECT_EQ(reopened.nStaffID, 5);
    expectFailedRefresh(rec);
}

INSTANTIATE_TEST_SUITE_P(Drivers, EntryCommands, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
