// Times the report viewer on large documents: a 2,000-line monthly table and 500
// continuation forms, each read from CP932 files and rendered to PDF.
//   viewer_bench [--keep FOLDER]
#include "viewer_job.h"

#include "base/text_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString q(const QString& s) { return u'"' + s + u'"'; }

void writeLines(const QString& path, const QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    f.write(cp932Lines(lines));
}

QStringList monthlyTable(int users)
{
    QStringList header{q("拠点名"),       q("対象年月"), q("出力日"),   q("出力時刻"),
                       q("利用者コード"), q("利用者名"), q("施術区分"), q("保険有無")};
    for (int d = 1; d <= 31; ++d)
        header << q(QStringLiteral("%1日施術師名").arg(d));
    for (int d = 1; d <= 31; ++d)
        header << q(QStringLiteral("%1日通院").arg(d));
    header << q("回数");
    QStringList lines{header.join(u',')};
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

QStringList continuationForms(int users)
{
    const QStringList names{"i枠線表示",
                            "拠点番号",
                            "拠点枝番",
                            "利用者コード",
                            "施術年",
                            "施術月",
                            "施術年月日",
                            "施術区分",
                            "施術回数",
                            "利用者名",
                            "生年月日",
                            "生年月日元号",
                            "初療年月日",
                            "初療年月日元号",
                            "麻痺",
                            "拘縮",
                            "症状その他",
                            "症状その他文章",
                            "寝返り",
                            "起き上がり",
                            "座位",
                            "立ち上がり",
                            "立位",
                            "NRS",
                            "前回評価有無",
                            "前回変化",
                            "理由",
                            "評価日",
                            "施術者コード",
                            "施術者名",
                            "証明日",
                            "マッサージ傷病名",
                            "施術部位1",
                            "施術部位2",
                            "施術部位3",
                            "施術部位4",
                            "施術部位5",
                            "はり",
                            "きゅう",
                            "はりきゅう電気",
                            "鍼灸傷病名01",
                            "鍼灸傷病名02",
                            "鍼灸傷病名03",
                            "鍼灸傷病名04",
                            "鍼灸傷病名05",
                            "鍼灸傷病名06",
                            "鍼灸傷病名07",
                            "鍼灸傷病名文章",
                            "フォーマット印刷",
                            "過去16回以上施術月1",
                            "過去16回以上施術月2",
                            "過去16回以上施術月3",
                            "過去16回以上施術月4",
                            "過去16回以上施術月5"};
    QStringList header;
    for (const QString& n : names)
        header << q(n);
    QStringList lines{header.join(u',')};
    // A reason that fills the 41 x 10 box.
    QString reason;
    for (int l = 0; l < 10; ++l)
        reason += QStringLiteral("関節の拘縮が進み歩行が不安定なため、週四回以上の施術で可動域を保つ必要がある。\r\n");
    for (int i = 0; i < users; ++i) {
        const int kind = i % 2;
        lines << QStringList{"1",
                             "1",
                             "3",
                             QString::number(10101 + i * 100),
                             "2024",
                             "4",
                             q("2024/04/01"),
                             QString::number(kind),
                             "18",
                             q(QStringLiteral("利用者　%1番").arg(i + 1)),
                             q("1940/05/10"),
                             "3",
                             q("2022/03/15"),
                             "5",
                             "1",
                             "0",
                             "1",
                             q("しびれ"),
                             "0",
                             "1",
                             "2",
                             "1",
                             "0",
                             "7",
                             "0",
                             "3",
                             q(reason),
                             q("2024/04/25"),
                             q("7"),
                             q("山田　太郎"),
                             q("2024/04/30"),
                             q("脳梗塞後遺症"),
                             "1",
                             "0",
                             "1",
                             "0",
                             "1",
                             "1",
                             "1",
                             "0",
                             "0",
                             "0",
                             "0",
                             "0",
                             "1",
                             "0",
                             "1",
                             q("坐骨神経痛"),
                             "0",
                             q("2024/04"),
                             q("2024/02"),
                             q(""),
                             q(""),
                             q("")}
                     .join(u',');
    }
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
    std::printf("%-34s %5lld records  %4d pages  read+parse %7.1f ms  PDF %8.1f ms (%.2f ms/page, %.1f MB)\n",
                qPrintable(label), qlonglong(job.document.reports.first().data.records.size()),
                job.document.pageCount(), load, render, render / job.document.pageCount(),
                QFile(pdf).size() / 1048576.0);
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
