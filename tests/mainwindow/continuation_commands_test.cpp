// The main window's continuation-form commands: the selection checks, the layout by the form
// menu, print or preview, the blank format, the window's past-months flag; no settings saved.
#include "common/text_file.h"
#include "mainwindow/main_window.h"
#include "mainwindow/month_edit.h"
#include "platform/spread_grid.h"
#include "support/list_fixture.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Window = frmPrint利用者別月間実績表;

struct ContinuationCommands : ListFixture {
    std::unique_ptr<Window> w = std::make_unique<Window>();

    void SetUp() override
    {
        seedThreeUsers();
        addOver16(10101, 2024, 5, 1);
        addOver16(10301, 2024, 5, 1);
        inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"), cp932Lines({"[利用者別月間実績表]", "過去頻回実績月表示=0"}));
        for (auto& c : w->startupChecks)
            c = [] { return short(0); };
        w->load();
        w->imD_Out->setMonth(QDate(2024, 5, 1));
        rec.clear();
    }
    void extractEveryone()
    {
        w->optSerchSel[4]->click();
        w->extract();
        rec.clear();
    }
    int rowOf(long id) const
    {
        for (int r = 1; r <= w->grdData->MaxRows(); ++r)
            if (w->grdData->value(r, colIDNo).toLongLong() == id)
                return r;
        return 0;
    }
    QString comFile() const { return decodeCp932(inst.readBytes(QStringLiteral("TMP/WfdCom.dat"))); }
    QStringList formLines() const
    {
        return splitLines(decodeCp932(inst.readBytes(QStringLiteral("TMP/継続理由・状況記入書.csv"))));
    }
};

TEST_F(ContinuationCommands, NobodyToPrintIsRefusedBeforeAnythingIsRead)
{
    // An empty list, then a list with nobody ticked: the same message, nothing written.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 3; ++i) {
            rec.clear();
            QTest::mouseClick(w->btnJisseki[static_cast<size_t>(i)], Qt::LeftButton);
            ASSERT_EQ(rec.messages.size(), 1) << pass << " " << i;
            EXPECT_EQ(rec.messages[0].text, QStringLiteral("利用者を選択してください。"));
            EXPECT_EQ(rec.messages[0].title, QStringLiteral("確認"));
            EXPECT_EQ(rec.messages[0].icon, MsgIcon::None);
            EXPECT_TRUE(rec.starts.isEmpty());
        }
        extractEveryone();
        ASSERT_GT(w->grdData->MaxRows(), 0);
    }
    EXPECT_FALSE(QFile::exists(inst.file(QStringLiteral("TMP/継続理由・状況記入書.csv"))));
}

TEST_F(ContinuationCommands, ButtonsPrintPreviewAndFormatWithTheChosenLayout)
{
    extractEveryone();
    w->grdData->setValue(rowOf(10101), colSel, 1);
    w->grdData->setValue(rowOf(10201), colSel, 1); // no entry for May: left out unless the blank format
    struct Case {
        int menu;       // mnRiyusyoTypeSel index ticked
        int button;     // btnJisseki index
        const char* layout;
        const char* last; // the command file's last line
        int lines;      // data lines of the CSV
        const char* format;
    };
    const Case cases[] = {{1, 1, "継続理由・状況記入書_R03.wfd", "ShowWindow,2", 1, "0"},
                          {0, 1, "継続理由・状況記入書.wfd", "ShowWindow,2", 1, "0"},
                          {0, 0, "継続理由・状況記入書.wfd", "PrintOutFromDialog", 1, "0"},
                          {1, 2, "継続理由・状況記入書_R03.wfd", "ShowWindow,2", 2, "1"}};
    for (const Case& c : cases) {
        w->mnRiyusyoTypeSel[static_cast<size_t>(c.menu)]->trigger();
        const QByteArray settings = inst.readBytes(QStringLiteral("DATA/印刷設定.ini"));
        rec.clear();
        QTest::mouseClick(w->btnJisseki[static_cast<size_t>(c.button)], Qt::LeftButton);
        EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
        ASSERT_EQ(rec.starts.size(), 1);
        EXPECT_EQ(rec.starts[0].program, QStringLiteral("wfrfv10.exe"));
        EXPECT_TRUE(comFile().startsWith(QStringLiteral("FileName,\"") + inst.path() + QStringLiteral("/SYS/")
                                         + QString::fromUtf8(c.layout) + u'"'))
            << comFile().toStdString();
        EXPECT_TRUE(comFile().endsWith(QString::fromUtf8(c.last) + QStringLiteral("\r\n")));
        const QStringList lines = formLines();
        ASSERT_EQ(lines.size(), 1 + c.lines);
        EXPECT_EQ(lines[1].section(u',', 3, 3), QStringLiteral("10101"));
        EXPECT_EQ(lines[1].section(u',', 48, 48), QString::fromUtf8(c.format));
        // The command saves no settings.
        EXPECT_EQ(inst.readBytes(QStringLiteral("DATA/印刷設定.ini")), settings);
    }
}

TEST_F(ContinuationCommands, ThePastMonthsFlagOfTheWindowReachesTheForm)
{
    // 10101 was first treated in January 2020: in May 2024 its 24 months are counted.
    for (int m = 1; m <= 12; ++m)
        addMonth(10101, 2023, m, m % 3 == 0 ? 16 : 10);
    extractEveryone();
    w->grdData->setValue(rowOf(10101), colSel, 1);
    w->setPastMonthsFlag(1);
    w->btnJisseki[1]->click();
    EXPECT_EQ(formLines().value(1).section(u',', 49), QStringLiteral("\"2024/05\",\"2023/12\",\"2023/09\",\"2023/06\",\"2023/03\""));
    w->setPastMonthsFlag(0);
    w->btnJisseki[1]->click();
    EXPECT_EQ(formLines().value(1).section(u',', 49), QStringLiteral("\"\",\"\",\"\",\"\",\"\""));
}

} // namespace
