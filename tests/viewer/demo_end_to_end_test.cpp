// The demo installation end to end: a generated database, the main window's extraction and
// preview, the viewer started under its old name, a PDF that lists the users of the list.
#include "common/globals.h"
#include "db/table_checks.h"
#include "mainwindow/main_window.h"
#include "mainwindow/month_edit.h"
#include "platform/spread_grid.h"
#include "support/test_install.h"
#include "viewer_test_util.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(ViewerDemoEndToEnd, PreviewFromTheMainWindowWritesAPdfOfTheListedUsers)
{
    TestInstall inst;
    ScopedRecordingPlatform rec;
    rec.reallyStart = true;
    ASSERT_TRUE(QFile::copy(QStringLiteral(REPORT_VIEWER_BIN), inst.file(QStringLiteral("wfrfv10.exe"))));
    for (const QString& f : QDir(layoutsDir()).entryList({QStringLiteral("*.wfd")}))
        QFile::copy(QDir(layoutsDir()).filePath(f), inst.file(QStringLiteral("SYS/") + f));
    const QString db = inst.useSqliteDatabase();
    ASSERT_EQ(QProcess::execute(QStringLiteral(DEMO_DATA_BIN),
                                {QStringLiteral("--out"), db, QStringLiteral("--users"), QStringLiteral("20"),
                                 QStringLiteral("--today"), QStringLiteral("2024-06-15")}),
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

    const QString pdf = pdfDir.filePath(QStringLiteral("利用者別月間実績表印刷.pdf"));
    QElapsedTimer t;
    t.start();
    qint64 lastSize = -1;
    while (t.elapsed() < 30000) { // the viewer runs detached
        const qint64 size = QFileInfo(pdf).size();
        if (size > 0 && size == lastSize)
            break;
        lastSize = size;
        QThread::msleep(200);
    }
    ASSERT_TRUE(QFile::exists(pdf));
    const QString text = squeezed(pdfText(pdf));
    int listed = 0;
    for (int r = 1; r <= w.grdData->MaxRows(); ++r)
        if (text.contains(squeezed(w.grdData->text(r, 3))))
            ++listed;
    EXPECT_GE(listed, 3); // users with treatment records in the month are on the table
}

} // namespace
