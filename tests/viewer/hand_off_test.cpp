// The program's hand-off, end to end: the monthly table module writes its CSV and WfdCom.dat
// from a fixture database, and the viewer, started with the recorded program name and
// arguments, renders what the program wrote.
#include "reports/csv_writer.h"
#include "reports/monthly_actual_table.h"
#include "viewer_test_util.h"

#include "db/table_checks.h"
#include "support/program_run.h"
#include "support/suite_db.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct Window : MainWindowView {
    QDate monthValue() const override { return QDate(2024, 4, 1); }
    int gridMaxRows() const override { return 2; }
    QVariant gridValue(int row, int col) const override { return col == 2 ? QVariant(row == 1 ? 10101 : 10201) : 0; }
    int selectedCondition() const override { return 4; } // everyone
    bool countWholeAnniversaryMonth() const override { return false; }
};

} // namespace

TEST(ViewerHandOff, MonthlyTableFromTheProgramToPdf)
{
    TestInstall inst;
    ScopedRecordingPlatform rec; // records the viewer start instead of carrying it out
    ScopedFixedReportClock clock{QDateTime(QDate(2024, 5, 7), QTime(9, 5, 3))};
    const QString db = inst.useSqliteDatabase();
    QString error;
    ASSERT_TRUE(createSuiteDatabase(db, SchemaVariant::Current, &error)) << error.toStdString();
    iHasJissekiHoseUmu = 1;
    QStringList sql{"INSERT INTO CORP (iKyotenCd, iKyotenEb, iType, cShamei1) VALUES (1, 3, 0, 'やすらぎ治療院')",
                    "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName) VALUES (1, 3, 1, '長谷川　花子')"};
    for (const char* user : {"10101, '山田\"花子', 'ヤマダ', 0, 2", "10201, '髙橋　一郎', 'タカハシ', 1, 0"})
        sql << QStringLiteral("INSERT INTO RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSejutsuKubun, "
                              "iKaigoLv) VALUES (1, 3, %1)").arg(user);
    for (int d = 1; d <= 3; ++d)
        sql << QStringLiteral("INSERT INTO JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, "
                              "tServicyDayStart, tServicyDayEnd) VALUES (1, 3, %1, %2, 1, '2024-04-0%1 10:00:00', "
                              "'2024-04-0%1 10:30:00')").arg(d).arg(d == 3 ? 10201 : 10101);
    execSuiteSql(db, sql);
    for (const QString& f : QDir(layoutsDir()).entryList({"*.wfd"}))
        QFile::copy(layoutsDir() + f, inst.file("SYS/" + f));

    modPrint利用者別月間実績表::vPrintJissekiHyo(0, Window());
    ASSERT_TRUE(rec.messages.isEmpty()) << rec.messages.value(0).text.toStdString();
    ASSERT_EQ(rec.starts.size(), 1);
    EXPECT_EQ(rec.starts[0].program, "wfrfv10.exe");

    const ProgramRun viewer =
        runInstalledProgram(inst, QFileInfo(QStringLiteral(REPORT_VIEWER_BIN)).dir().filePath(rec.starts[0].program),
                            rec.starts[0].args, {"REPORT_VIEWER_PDF_DIR=" + inst.path()});
    EXPECT_EQ(viewer.exitCode, 0) << viewer.stderrLines.join(u'\n').toStdString();
    const QString pdf = inst.file("利用者別月間実績表印刷.pdf");
    ASSERT_EQ(pdfPageCount(pdf), 1);
    const QString text = pdfText(pdf);
    for (const char* s : {"利用者別月間実績チェック表", "拠点名:やすらぎ治療院", "対象年月:令和6年4月分", "出力日時:2024/05/07 9:05",
                          "10101 山田\"花子 マッサ 2", "10201 髙橋 一郎 鍼灸 0", "長谷"}) // 長谷川 wraps in its day cell
        EXPECT_TRUE(text.contains(s)) << s << "\n" << text.toStdString();
}
