// Printing through a real print system: a private cupsd with cups-pdf queues, one printing to
// the paper's edge and one with a printer's unprintable margins. The printed pages are the
// --pdf pages, placed in the printable area once; a print that never happens is said, fails a
// windowless run and is not filed. Needs root (cups-pdf runs as root and reads /etc/cups).
#include "page_compose.h"
#include "viewer_test_util.h"

#include "base/text_file.h"
#include "support/program_run.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
constexpr double kDpi = 50;
// The printer with margins: 6.35 mm left and right, 4.23 mm top and bottom (18 and 12 points).
const QMarginsF kMarginsMm(6.35, 4.23, 6.35, 4.23);

// A cupsd of its own: configuration, spool and socket in a temporary folder.
class PrivateCups {
public:
    PrivateCups()
    {
        if (geteuid() != 0 || QStandardPaths::findExecutable("cupsd", {"/usr/sbin"}).isEmpty()
            || !QFileInfo::exists("/usr/lib/cups/backend/cups-pdf") || !QFileInfo::exists(kPpd)) {
            skip = "needs root, cupsd and cups-pdf (scripts/deps)";
            return;
        }
        // The filters run as the user lp: the folder must be open to it.
        QFile::setPermissions(dir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                  | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
        for (const char* sub : {"spool", "cache", "state", "tmp", "log"})
            QDir(dir.path()).mkdir(sub);
        QFile::setPermissions(file("tmp"), QFileDevice::Permissions(0x7777));
        write("cupsd.conf",
              QStringLiteral("Listen %1\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n")
                  .arg(socket()));
        write("cups-files.conf",
              QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                             "StateDir %1/state\nTempDir %1/tmp\nErrorLog %1/log/error_log\n"
                             "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n")
                  .arg(dir.path()));
        start();
    }
    ~PrivateCups()
    {
        stop();
        for (const QString& conf : cupsPdfConfs)
            QFile::remove(conf);
    }

    QString file(const QString& name) const { return dir.filePath(name); }
    QString socket() const { return file("cups.sock"); }

    void start()
    {
        cupsd.start("/usr/sbin/cupsd", {"-f", "-c", file("cupsd.conf"), "-s", file("cups-files.conf")});
        cupsSetServer(socket().toLocal8Bit().constData());
        QElapsedTimer t;
        for (t.start(); t.elapsed() < 15000; QThread::msleep(50)) {
            if (http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 1000,
                                            nullptr)) {
                httpClose(http);
                return;
            }
        }
        ADD_FAILURE() << "cupsd did not start: " << fileBytes(file("log/error_log")).toStdString();
    }
    void stop()
    {
        cupsd.terminate();
        cupsd.waitForFinished(10000);
    }

    // A cups-pdf queue writing into <folder>/out-<name>; margins: the A4 printable area's.
    QString addQueue(const QString& name, const QMarginsF& marginsPt = {})
    {
        QString ppd = QString::fromLatin1(fileBytes(kPpd));
        ppd.replace(QRegularExpression(R"(\*ImageableArea A4/A4: "[^"]*")"),
                    QStringLiteral(R"(*ImageableArea A4/A4: "%1 %2 %3 %4")")
                        .arg(marginsPt.left())
                        .arg(marginsPt.bottom())
                        .arg(595 - marginsPt.right())
                        .arg(842 - marginsPt.top()));
        write(name + ".ppd", ppd);
        const QString queue = QStringLiteral("mr%1%2").arg(getpid()).arg(name);
        QDir(dir.path()).mkdir("out-" + name);
        cupsPdfConfs.append("/etc/cups/cups-pdf-" + queue + ".conf");
        write(cupsPdfConfs.last(), "Out " + file("out-" + name) + "\n");
        admin("lpadmin", {"-p", queue, "-E", "-v", "cups-pdf:/" + queue, "-P", file(name + ".ppd")});
        return queue;
    }
    void admin(const QString& command, const QStringList& args)
    {
        QProcess p;
        p.start(command, QStringList{"-h", socket()} + args);
        ASSERT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0)
            << command.toStdString() << ": " << p.readAllStandardError().toStdString();
    }
    // Waits until the queue has no job left.
    void waitIdle(const QString& queue)
    {
        QElapsedTimer t;
        for (t.start(); t.elapsed() < 120000; QThread::msleep(100)) {
            cups_job_t* jobs = nullptr;
            const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
            cupsFreeJobs(n, jobs);
            if (n == 0)
                return;
        }
        ADD_FAILURE() << queue.toStdString() << " never finished its jobs";
    }

    QString skip;

private:
    void write(const QString& path, const QString& text) const
    {
        ASSERT_TRUE(writeFileReplacing(QDir(dir.path()).filePath(path), text.toUtf8())) << path.toStdString();
    }
    QTemporaryDir dir;
    QProcess cupsd;
    QStringList cupsPdfConfs;
};

bool inkAt(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 160; }

// The share of a's ink with no ink of b within one pixel: 0 for the same drawing.
double inkMissing(const QImage& a, const QImage& b)
{
    long ink = 0, missing = 0;
    for (int y = 1; y + 1 < qMin(a.height(), b.height()); ++y)
        for (int x = 1; x + 1 < qMin(a.width(), b.width()); ++x) {
            if (!inkAt(a, x, y))
                continue;
            ++ink;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = inkAt(b, x + dx, y + dy);
            missing += !near;
        }
    return ink == 0 ? 1.0 : double(missing) / ink;
}

// The --pdf page as a printer with these margins should print it, scaled into its printable
// area once (rendered at the scaled resolution: resampling would thin out the lines).
QImage placed(const QString& pdf, int page, const QSize& paper, const QMarginsF& marginsMm)
{
    const double pxPerMm = kDpi / 25.4;
    const PrintFit fit = fitToPrintable(QSizeF(paper) / pxPerMm, marginsMm);
    QImage out(paper, QImage::Format_Grayscale8);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage((fit.offsetMm * pxPerMm).toPoint(), pdfPageImage(pdf, page, kDpi * fit.scale));
    return out;
}

// How far a printed page is from page `page` of the --pdf file: the printed page is turned to
// the PDF page's orientation first (a landscape page comes out on portrait paper).
double distance(const QImage& printed, const QString& pdf, int page, const QMarginsF& printerMarginsMm)
{
    const QSize pdfPage = pdfPageImage(pdf, page, kDpi).size();
    double best = 1.0;
    for (int turn : {0, 90, 270}) {
        const QImage turned = printed.transformed(QTransform().rotate(turn));
        if (qAbs(turned.width() - pdfPage.width()) > 1 || qAbs(turned.height() - pdfPage.height()) > 1)
            continue;
        // The margins as they lie on the turned paper (the queue's are symmetric).
        const QMarginsF m = turn == 0 ? printerMarginsMm
                                      : QMarginsF(printerMarginsMm.top(), printerMarginsMm.left(),
                                                  printerMarginsMm.bottom(), printerMarginsMm.right());
        const QImage expected = placed(pdf, page, turned.size(), m);
        best = qMin(best, qMax(inkMissing(turned, expected), inkMissing(expected, turned)));
    }
    return best;
}

// Dark pixels in the strips along the paper's edges the printer cannot print.
int inkOutsidePrintable(const QImage& printed, const QMarginsF& marginsMm)
{
    const double pxPerMm = kDpi / 25.4;
    const QRectF printable = QRectF(QPointF(), QSizeF(printed.size()))
                                 .marginsRemoved(marginsMm * pxPerMm)
                                 .adjusted(-1, -1, 1, 1); // the edge pixel holds both
    int ink = 0;
    for (int y = 0; y < printed.height(); ++y)
        for (int x = 0; x < printed.width(); ++x)
            ink += !printable.contains(x + 0.5, y + 0.5) && inkAt(printed, x, y);
    return ink;
}

struct Sample {
    QString layout, data;
};
const Sample kSamples[] = {{"利用者別月間実績チェック表", "利用者別月間実績"},
                           {"利用者別月間予定チェック表", "利用者別月間予定"},
                           {"施術計画書", "施術計画書"},
                           {"継続理由・状況記入書", "継続理由・状況記入書"},
                           {"継続理由・状況記入書_R03", "継続理由・状況記入書"}};

class PrintSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!cups.skip.isEmpty())
            GTEST_SKIP() << cups.skip.toStdString();
        umask(022);
    }

    // The viewer with the command file's last line as given, on the offscreen platform only
    // (not scripted): nothing may wait for a click.
    ProgramRun view(const Sample& s, const QString& output, const QString& printer, const QStringList& extra = {})
    {
        QStringList lines =
            previewCommands(layoutsDir() + s.layout + ".wfd", s.layout, s.data, viewerDataDir() + s.data + ".csv");
        lines.last() = output;
        writeCp932Lines(inst.file("WfdCom.dat"), lines);
        const QString copy = inst.file("report-viewer");
        if (!QFileInfo::exists(copy))
            QFile::copy(REPORT_VIEWER_BIN, copy);
        QStringList env{"QT_QPA_PLATFORM=offscreen", "MONTHLY_RECORDS_SCRIPTED=0", "CUPS_SERVER=" + cups.socket(),
                        "HOME=" + inst.path()};
        if (!printer.isEmpty())
            env += QStringList{"PRINTER=" + printer, "LPDEST=" + printer};
        return runProgram(copy, extra + QStringList{"/c", inst.file("WfdCom.dat")}, env, inst.path(), 120000);
    }

    QStringList filed() const
    {
        QStringList files;
        for (QDirIterator it(inst.file("控え"), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files.append(it.next());
        return files;
    }

    PrivateCups cups;
    TestInstall inst;
};

} // namespace

TEST_F(PrintSystem, EveryLayoutPrintsAsItsPdfInsideThePrintableArea)
{
    const QString edge = cups.addQueue("edge");
    const QString margins = cups.addQueue("margins", kMarginsMm / 25.4 * 72);
    for (const Sample& s : kSamples) {
        const ProgramRun pdf = view(s, "PrintOut", edge, {"--pdf", inst.file("ref.pdf")});
        ASSERT_EQ(pdf.exitCode, 0) << pdf.stderrLines.join("\n").toStdString();
        const int pages = pdfPageCount(inst.file("ref.pdf"));
        for (const auto& [queue, name, marginsMm] :
             {std::tuple(edge, QString("edge"), QMarginsF()), std::tuple(margins, QString("margins"), kMarginsMm)}) {
            SCOPED_TRACE((s.layout + " on " + name).toStdString());
            const QString out = cups.file("out-" + name);
            for (const QString& old : QDir(out).entryList(QDir::Files))
                QFile::remove(out + "/" + old);
            const ProgramRun run = view(s, "PrintOut", queue);
            ASSERT_EQ(run.exitCode, 0) << run.stderrLines.join("\n").toStdString();
            cups.waitIdle(queue);
            const QStringList pdfs = QDir(out).entryList({"*.pdf"}, QDir::Files);
            ASSERT_EQ(pdfs.size(), 1) << out.toStdString();
            const QString printed = QDir(out).filePath(pdfs.first());
            ASSERT_EQ(pdfPageCount(printed), pages);
            for (int page = 1; page <= pages; ++page) {
                const QImage paper = pdfPageImage(printed, page, kDpi);
                EXPECT_EQ(inkOutsidePrintable(paper, marginsMm), 0) << "page " << page;
                EXPECT_LT(distance(paper, inst.file("ref.pdf"), page, marginsMm), 0.03) << "page " << page;
            }
        }
    }
}

TEST_F(PrintSystem, APrintThatNeverHappensIsSaidFailsAndIsNotFiled)
{
    // A settings file as a Linux editor writes it: UTF-8 without a byte-order mark.
    inst.writeBytes("report-viewer.ini", "[Archive]\nFolder=控え\n");
    const Sample& s = kSamples[0];
    // The exit code; the text said once on standard error and once as a message box that did not wait.
    const auto expectSaid = [](const ProgramRun& run, int exitCode, const QString& text) {
        const QString said = QRegularExpression::escape(text), all = run.stderrLines.join(u'\n');
        EXPECT_TRUE(run.finished && run.exitCode == exitCode) << run.exitCode << all.toStdString();
        EXPECT_EQ(run.stderrLines.filter(QRegularExpression("^report-viewer: " + said)).size(), 1) << all.toStdString();
        EXPECT_EQ(run.stderrLines.filter(QRegularExpression("^MSGBOX\t.*\t" + said)).size(), 1) << all.toStdString();
    };
    expectSaid(view(s, "PrintOut", ""), 1, "プリンタが 1 台も設定されていません。");

    const QString queue = cups.addQueue("q");
    cups.admin("cupsdisable", {queue});
    expectSaid(view(s, "PrintOut", queue), 0, "プリンタ「" + queue + "」は一時停止中です。");
    ASSERT_EQ(filed().size(), 1); // accepted: it prints when the printer is resumed
    EXPECT_TRUE(filed().first().contains("/控え/202404/"));

    cups.admin("cupsenable", {queue});
    cups.admin("cupsreject", {queue});
    expectSaid(view(s, "PrintOut", queue), 1, "プリンタ「" + queue + "」は今、印刷を受け付けていません");

    cups.stop();
    for (const QString& printer : {queue, QString()})
        expectSaid(view(s, "PrintOut", printer), 1,
                   "印刷サービス（CUPS: " + cups.socket()
                       + "）に接続できません。印刷サービスが動いているか確かめてください。");
    EXPECT_EQ(filed().size(), 1);
}
