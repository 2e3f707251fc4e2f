// The program's hand-off, end to end: the report modules write their CSV and WfdCom.dat from a
// fixture database, and the viewer, started with the recorded program name and arguments (or
// really started from the main window), renders what the program wrote.
#include "reports/csv_writer.h"
#include "reports/monthly_actual_table.h"
#include "viewer_test_util.h"

#include "db/table_checks.h"
#include "mainwindow/target_list.h"
#include "reports/over16_print.h"
#include "support/list_fixture.h"
#include "support/program_run.h"
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

struct Window : MainWindowView {
    int month = 4;
    int condition = 4; // 4: everyone; 3: the ticked users
    QDate monthValue() const override { return QDate(2024, month, 1); }
    int gridMaxRows() const override { return condition == 4 ? 2 : 1; }
    QVariant gridValue(int row, int col) const override
    {
        return col == 2 ? QVariant(row == 1 ? 10101 : 10201) : QVariant(condition == 3 && col == 1 ? 1 : 0);
    }
    int selectedCondition() const override { return condition; }
    bool countWholeAnniversaryMonth() const override { return false; }
};

struct HandOff : ListFixture {
    HandOff()
    {
        for (const QString& f : QDir(layoutsDir()).entryList({"*.wfd"}))
            QFile::copy(layoutsDir() + f, inst.file("SYS/" + f));
    }
    // Runs the viewer as the program started it and returns the text of the PDF it wrote.
    QString render(const QString& pdfName)
    {
        EXPECT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
        if (rec.starts.isEmpty())
            return QString();
        EXPECT_EQ(rec.starts.last().program, "wfrfv10.exe");
        const ProgramRun viewer = runInstalledProgram(
            inst, QFileInfo(QStringLiteral(REPORT_VIEWER_BIN)).dir().filePath(rec.starts.last().program),
            rec.starts.last().args, {"REPORT_VIEWER_PDF_DIR=" + inst.path()});
        EXPECT_EQ(viewer.exitCode, 0) << viewer.stderrLines.join(u'\n').toStdString();
        const QString pdf = inst.file(pdfName);
        EXPECT_EQ(pdfPageCount(pdf), 1);
        const QString text = squeezed(pdfText(pdf));
        QFile::remove(pdf);
        rec.clear();
        return text;
    }
    // Every text is in the PDF text given (compared without white space).
    static void expectAll(const QString& text, std::initializer_list<const char*> parts)
    {
        for (const char* s : parts)
            EXPECT_TRUE(text.contains(squeezed(QString::fromUtf8(s)))) << s << "\n" << text.toStdString();
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

    modPrint利用者別月間実績表::vPrintJissekiHyo(0, Window());
    ASSERT_EQ(rec.starts.size(), 1);
    expectAll(render("利用者別月間実績表印刷.pdf"),
              {"利用者別月間実績チェック表", "拠点名:やすらぎ治療院", "対象年月:令和6年4月分",
               "出力日時:2024/05/07 9:05", "10101 山田\"花子 マッサ 2", "10201 髙橋 一郎 鍼灸 0",
               "長谷"}); // 長谷川 wraps in its day cell
}

TEST_F(HandOff, ContinuationFormsAndPlanShowTheEntry)
{
    addStaff(5, QStringLiteral("佐藤　一郎"));
    addUser({10101, QStringLiteral("山田　太郎"), QStringLiteral("ヤマダ"), 0, QStringLiteral("1940-04-01"),
             QStringLiteral("2020-01-10"), 5, 0, QStringLiteral("腰痛症")});
    addMonth(10101, 2024, 5, 18);
    sql({QStringLiteral(
        "INSERT INTO OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNRS, cRiyuu, nStaffID, "
        "cHyoukaDay, cSyoumeiDay) VALUES (1, 3, 10101, 2024, 5, 3, '歩行が不安定で転倒の危険がある。', 5, "
        "'2024/05/20', '2024/05/31')")});
    HinkaiRecord e;
    e.userNo = 10101;
    for (int k = 0; k < 24; ++k)
        e.months[static_cast<size_t>(k)] = QDate(2022, 6, 1).addMonths(k).toString(QStringLiteral("yyyyMM"));
    e.counts[23] = 18; // 2024/05
    e.counts[20] = 17; // 2024/02
    gHinkaiList = {e};
    gHinkaiCount = 1;
    Window ticked;
    ticked.month = 5;
    ticked.condition = 3;

    modPrintOver16Count::vPrintKeizokuRiyuu(0, 1, 1, ticked, 0);
    expectAll(render("継続理由・状況記入書.pdf"),
              {"山田太郎", "歩行が不安定で転倒の危険がある。", "腰痛症", "佐藤一郎", "令和6年5月", "令和6年2月"});

    // (The older form reads the same file: over16_print_test; its layout without past months: render_test.)
    modPrintOver16Count::vPrintKeikakusyo(0, ticked, 0);
    const QString plan = render("施術計画書.pdf");
    expectAll(plan, {"山田太郎", "腰痛症", "令和6年2月"});
    EXPECT_FALSE(plan.contains("歩行が不安定")); // the plan carries no continuation entry
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
    EXPECT_TRUE(rec.messages.isEmpty());
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
