// The program's hand-off, end to end: the monthly table writes its CSV and WfdCom.dat from a
// fixture database, and the viewer, started with the recorded program name and arguments (or
// really started from the main window), renders what the program wrote. (The continuation
// documents: their files byte for byte and their layouts' columns in over16_print_test, the
// layouts with such files in render_test.)
#include "reports/monthly_actual_table.h"
#include "viewer_test_util.h"

#include "support/list_fixture.h"
#include "support/program_run.h"
#include "support/report_window.h"
#include "widgets/month_edit.h"
#include "widgets/spread_grid.h"
#include "windows/main_window.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct HandOff : ListFixture {
    HandOff()
    {
        for (const QString& f : QDir(layoutsDir()).entryList({"*.wfd"}))
            QFile::copy(layoutsDir() + f, inst.file("SYS/" + f));
    }
};

} // namespace

TEST_F(HandOff, MonthlyTableFromTheProgramToPdf)
{
    ScopedFixedReportClock clock{QDateTime(QDate(2024, 5, 7), QTime(9, 5, 3))};
    QStringList rows{"INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, 'やすらぎ治療院')"};
    for (const char* user : {"10101, '山田\"花子', 'ヤマダ', 0, 2", "10201, '髙橋　一郎', 'タカハシ', 1, 0"})
        rows << QStringLiteral("INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSejutsuKubun, "
                               "iKaigoLv) VALUES (1, 3, %1)")
                    .arg(user);
    sql(rows);
    addStaff(1, QStringLiteral("長谷川　花子"));
    for (int d = 1; d <= 3; ++d)
        addJisseki(d == 3 ? 10201 : 10101, QDateTime(QDate(2024, 4, d), QTime(10, 0)), 1);

    modPrint利用者別月間実績表::vPrintJissekiHyo(0, ReportWindow(QDate(2024, 4, 1), 4, {10101, 10201}, 0));
    EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
    ASSERT_EQ(rec.starts.size(), 1);
    // The viewer run as the program started it.
    EXPECT_EQ(rec.starts[0].program, "wfrfv10.exe");
    const ProgramRun viewer =
        runInstalledProgram(inst, QFileInfo(QStringLiteral(REPORT_VIEWER_BIN)).dir().filePath(rec.starts[0].program),
                            rec.starts[0].args, {"REPORT_VIEWER_PDF_DIR=" + inst.path()});
    EXPECT_EQ(viewer.exitCode, 0) << viewer.stderrLines.join(u'\n').toStdString();
    const QString pdf = inst.file("利用者別月間実績表印刷.pdf");
    EXPECT_EQ(pdfPageCount(pdf), 1);
    const QString text = squeezed(pdfText(pdf));
    for (const char* s :
         {"利用者別月間実績チェック表", "拠点名:やすらぎ治療院", "対象年月:令和6年4月分", "出力日時:2024/05/07 9:05",
          "10101 山田\"花子 マッサ 2", "10201 髙橋 一郎 鍼灸 0", "長谷"}) // 長谷川 wraps in its day cell
        EXPECT_TRUE(text.contains(squeezed(QString::fromUtf8(s)))) << s << "\n" << text.toStdString();
}

// The demo installation: a generated database, the main window's extraction and preview, the
// viewer really started under its old name, a PDF that lists the users of the list.
TEST_F(HandOff, PreviewFromTheMainWindowOfTheDemoWritesAPdfOfTheListedUsers)
{
    rec.reallyStart = true;
    ASSERT_TRUE(QFile::copy(QStringLiteral(REPORT_VIEWER_BIN), inst.file("wfrfv10.exe")));
    QFile::remove(db);
    ASSERT_EQ(QProcess::execute(QStringLiteral(DEMO_DATA_BIN), {"--out", db, "--users", "20", "--today", "2024-06-15"}),
              0);
    QTemporaryDir pdfDir;
    qputenv("REPORT_VIEWER_PDF_DIR", pdfDir.path().toUtf8());

    frmPrint利用者別月間実績表 w;
    w.load();
    w.imD_Out->setMonth(QDate(2024, 6, 1));
    w.optSerchSel[4]->click();
    w.extract();
    ASSERT_GT(w.grdData->MaxRows(), 3);
    w.mnMenuPreview->trigger();
    qunsetenv("REPORT_VIEWER_PDF_DIR");
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_TRUE(rec.messages.isEmpty());

    const QString pdf = pdfDir.filePath("利用者別月間実績表印刷.pdf");
    QElapsedTimer t;
    t.start();
    for (qint64 lastSize = -1; t.elapsed() < 30000; QThread::msleep(200)) { // the viewer runs detached
        const qint64 size = QFileInfo(pdf).size();
        if (size > 0 && size == lastSize)
            break;
        lastSize = size;
    }
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = squeezed(pdfText(pdf));
    int listed = 0;
    for (int r = 1; r <= w.grdData->MaxRows(); ++r)
        listed += text.contains(squeezed(w.grdData->text(r, 3)));
    EXPECT_GE(listed, 3); // users with treatment records in the month are on the table
}
