// Times the report viewer on large documents: a 2,000-line monthly table and 500
// continuation forms, each read from CP932 files and rendered to PDF.
//   viewer_bench [--keep FOLDER]
#include "page_paint.h"
#include "viewer_job.h"

#include "base/text_file.h"
#include "reports/monthly_actual_table.h"
#include "reports/over16_print.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString q(const QString& s) { return u'"' + s + u'"'; }

// The program's CSV column names, each between double quotes.
QString quotedHeader(const QStringList& names)
{
    QStringList quoted;
    for (const QString& n : names)
        quoted << q(n);
    return quoted.join(u',');
}

void writeLines(const QString& path, const QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    f.write(cp932Lines(lines));
}

QStringList monthlyTable(int users)
{
    QStringList lines{quotedHeader(modPrint利用者別月間実績表::tableCsvHeader())};
    const QStringList staff{QStringLiteral("山田"), QStringLiteral("佐々木"), QStringLiteral("ｽﾐｽ"),
                            QStringLiteral("森")};
    for (int i = 0; i < users; ++i) {
        QStringList f{q("ほっと訪問マッサージ～東京"),
                      q("2024/04"),
                      q("2024/05/02"),
                      q("9:5:7"),
                      QString::number(10101 + i * 100),
                      q(QStringLiteral("利用者　%1番").arg(i + 1)),
                      QString::number(i % 2),
                      QString::number(i % 3)};
        int count = 0;
        for (int d = 1; d <= 31; ++d) {
            const bool on = d <= 30 && (d + i) % 3 != 0;
            count += on;
            f << q(on ? staff.at((d + i) % staff.size()) : QString());
        }
        for (int d = 1; d <= 31; ++d)
            f << QStringLiteral("0");
        f << QString::number(count);
        lines << f.join(u',');
    }
    return lines;
}

// One user's line of the continuation form: the head, evaluation and tail columns.
QString continuationLine(int i, const QString& reason)
{
    const QString head = QStringLiteral("1,1,3,%1,2024,4,\"2024/04/01\",%2,18,\"利用者　%3番\",\"1940/05/10\",3,"
                                        "\"2022/03/15\",5,1,0,1,\"しびれ\"")
                             .arg(10101 + i * 100)
                             .arg(i % 2)
                             .arg(i + 1);
    const QString evaluation = QStringLiteral("0,1,2,1,0,7,0,3,") + q(reason)
        + QStringLiteral(",\"2024/04/25\",\"7\",\"山田　太郎\",\"2024/04/30\"");
    const QString tail = QStringLiteral("\"脳梗塞後遺症\",1,0,1,0,1,1,1,0,0,0,0,0,1,0,1,\"坐骨神経痛\",0,"
                                        "\"2024/04\",\"2024/02\",\"\",\"\",\"\"");
    return head + u',' + evaluation + u',' + tail;
}

QStringList continuationForms(int users)
{
    QStringList lines{quotedHeader(modPrintOver16Count::keizokuCsvHeader())};
    // A reason that fills the 41 x 10 box.
    QString reason;
    for (int l = 0; l < 10; ++l)
        reason += QStringLiteral("関節の拘縮が進み歩行が不安定なため、週四回以上の施術で可動域を保つ必要がある。\r\n");
    for (int i = 0; i < users; ++i)
        lines << continuationLine(i, reason);
    return lines;
}

void run(const QString& dir, const QString& label, const QString& layout, const QString& dataName,
         const QStringList& csv)
{
    const QString csvPath = QDir(dir).filePath(dataName + QStringLiteral(".csv"));
    const QString comPath = QDir(dir).filePath(dataName + QStringLiteral(".dat"));
    writeLines(csvPath, csv);
    writeLines(comPath,
               {QStringLiteral("FileName,\"%1\"").arg(QStringLiteral(MONTHLY_SOURCE_DIR "/layouts/") + layout),
                QStringLiteral("Title,\"%1\"").arg(dataName),
                QStringLiteral("SetDataText,\"%1\",\"%2\"").arg(dataName, csvPath), QStringLiteral("PrintPaper, A4"),
                QStringLiteral("ShowWindow,2")});
    QElapsedTimer t;
    t.start();
    ViewerJob job;
    QString error;
    if (!loadViewerJob(comPath, &job, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return;
    }
    const double load = t.nsecsElapsed() / 1e6;
    t.restart();
    const QString pdf = QDir(dir).filePath(dataName + QStringLiteral(".pdf"));
    if (!writeDocumentPdf(job.document, pdf, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return;
    }
    const double render = t.nsecsElapsed() / 1e6;
    t.restart();
    const qsizetype cuts = cutNotes(job.document).size(); // what a run checks before it prints
    const double check = t.nsecsElapsed() / 1e6;
    std::printf("%-34s %5lld records  %4d pages  read+parse %7.1f ms  PDF %8.1f ms (%.2f ms/page, %.1f MB)  "
                "cut check %6.1f ms (%lld cut)\n",
                qPrintable(label), qlonglong(job.document.reports.first().data.records.size()),
                job.document.pageCount(), load, render, render / job.document.pageCount(),
                QFile(pdf).size() / 1048576.0, check, qlonglong(cuts));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir tmp;
    QString dir = tmp.path();
    const QStringList args = QGuiApplication::arguments();
    if (args.size() > 2 && args.at(1) == u"--keep") {
        dir = args.at(2);
        QDir().mkpath(dir);
    }
    run(dir, QStringLiteral("monthly table (2,000 users)"), QStringLiteral("利用者別月間実績チェック表.wfd"),
        QStringLiteral("利用者別月間実績"), monthlyTable(2000));
    run(dir, QStringLiteral("continuation forms R03 (500)"), QStringLiteral("継続理由・状況記入書_R03.wfd"),
        QStringLiteral("継続理由・状況記入書"), continuationForms(500));
    return 0;
}
