// The main window's table commands: preview, print after the question, the check-table buttons.
#include "support/main_window_fixture.h"
#include "support/recorded_messages.h"

namespace {

struct TableCommandsFixture : MainWindowTest {
    void SetUp() override
    {
        seedThreeUsers();
        sql({QStringLiteral(
            "INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, '訪問治療院')")});
        addJissekiDays(10101, QDate(2024, 5, 1), 3);
        sql({QStringLiteral(
            "INSERT INTO SCHEDULE (iKyotenCd, iKyotenEb, nScheduleNo, nIDRiyoushaNo, nIDStaffNo, nDate, iSeikyuKbn) "
            "VALUES (1, 3, 1, 10101, 1, 20240502, 0)")});
        writeSettings();
        load(QDate(2024, 5, 1));
        extractEveryone(*w);
        rec.clear();
    }
};

TEST_F(TableCommandsFixture, PreviewWritesBothFilesAndStartsTheViewer)
{
    w->mnMenuPreview->trigger();
    ASSERT_EQ(rec.starts.size(), 1); // the viewer as started: hand_off_test runs it
    EXPECT_TRUE(comFile().endsWith("/TMP/利用者別月間実績.csv\"\r\nPrintPaper, A4\r\nShowWindow,2\r\n"));
    const QStringList csv = tmpLines("利用者別月間実績.csv");
    ASSERT_EQ(csv.size(), 2); // header and the one user with records
    EXPECT_TRUE(csv[1].startsWith("\"訪問治療院\",\"2024/05\","));
    EXPECT_TRUE(settings().contains("出力帳票=0\r\n"));
    EXPECT_TRUE(rec.messages.isEmpty());
}

TEST_F(TableCommandsFixture, PrintAsksFirstAndCancelDoesNothing)
{
    const QByteArray before = settingsBytes();
    w->optPrintType[1]->setChecked(true);
    rec.answers.push_back(MsgResult::Cancel);
    w->mnMenuPrint->trigger();
    expectSaid(rec, {{"利用者別月間実績表の印刷を行います。よろしいですか？", MsgIcon::Question, ""}});
    EXPECT_EQ(rec.messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_TRUE(rec.starts.isEmpty() && !QFile::exists(inst.file("TMP/WfdCom.dat")));
    EXPECT_EQ(settingsBytes(), before);

    w->mnMenuPrint->trigger(); // OK: the schedule table through the print dialog
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_TRUE(comFile().contains("/SYS/利用者別月間予定チェック表.wfd\"\r\n"));
    EXPECT_TRUE(comFile().endsWith("PrintPaper, A4\r\nPrintOutFromDialog\r\n"));
    EXPECT_TRUE(settings().contains("出力帳票=1\r\n"));
}

TEST_F(TableCommandsFixture, CheckTableButtonsChooseTheTable)
{
    QTest::mouseClick(w->btnYoteiJisseki[0], Qt::LeftButton);
    EXPECT_TRUE(w->optPrintType[1]->isChecked());
    EXPECT_TRUE(QFile::exists(inst.file("TMP/利用者別月間予定.csv")));
    EXPECT_TRUE(settings().contains("出力帳票=1\r\n"));
    QTest::mouseClick(w->btnYoteiJisseki[1], Qt::LeftButton);
    EXPECT_TRUE(w->optPrintType[0]->isChecked());
    EXPECT_TRUE(settings().contains("出力帳票=0\r\n"));
    EXPECT_EQ(rec.starts.size(), 2);
}

} // namespace
