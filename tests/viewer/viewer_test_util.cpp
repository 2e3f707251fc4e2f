#include "viewer_test_util.h"

#include "base/text_file.h"
#include "support/test_install.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

QString layoutsDir() { return QStringLiteral(MONTHLY_SOURCE_DIR "/layouts/"); }
QString viewerDataDir() { return QStringLiteral(MONTHLY_SOURCE_DIR "/tests/viewer/data/"); }

Report reportOf(const QByteArray& json, const QString& csv)
{
    Report r;
    QString error;
    EXPECT_TRUE(parseLayout(json, &r.layout, &error)) << error.toStdString();
    EXPECT_TRUE(buildCsvTable(csv, CsvOptions(), true, {}, &r.data, &error)) << error.toStdString();
    r.hasData = true;
    return r;
}

Report sampleReport(const QString& layout, const QString& csv)
{
    return reportOf(fileBytes(layoutsDir() + layout), decodeText(fileBytes(viewerDataDir() + csv)));
}

void writeCp932Lines(const QString& path, const QStringList& lines)
{
    ASSERT_TRUE(writeFileReplacing(path, cp932Lines(lines))) << path.toStdString();
}

QStringList previewCommands(const QString& layoutPath, const QString& title, const QString& dataName,
                            const QString& csvPath)
{
    return {QStringLiteral("FileName,\"%1\"").arg(layoutPath), QStringLiteral("Title,\"%1\"").arg(title),
            QStringLiteral("SetDataText,\"%1\",\"%2\"").arg(dataName, csvPath), QStringLiteral("PrintPaper, A4"),
            QStringLiteral("ShowWindow,2")};
}

QString normalised(const QString& text)
{
    QString t = text;
    t.replace(QChar(0x2027), QChar(0x30FB));
    t.replace(QChar(0x301C), QChar(0xFF5E));
    // Radicals-supplement look-alikes that NFKC leaves alone (長 comes out as U+2ED1).
    static const std::pair<char16_t, char16_t> radicals[] = {{0x2ED1, u'長'}, {0x2EC4, u'西'}, {0x2ED8, u'青'},
                                                             {0x2EE9, u'黄'}, {0x2EF2, u'亀'}, {0x2EDD, u'食'}};
    for (const auto& [from, to] : radicals)
        t.replace(QChar(from), QChar(to));
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    return t.normalized(QString::NormalizationForm_KC).replace(blanks, QStringLiteral(" "));
}

QString squeezed(const QString& text)
{
    static const QRegularExpression space(QStringLiteral("\\s"));
    return normalised(text).remove(space);
}

QString toolOutput(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString& pdf, int page)
{
    QStringList args{QStringLiteral("-layout"), pdf, QStringLiteral("-")};
    if (page > 0)
        args = QStringList{"-f", QString::number(page), "-l", QString::number(page)} + args;
    return normalised(toolOutput(QStringLiteral("pdftotext"), args));
}

int pdfPageCount(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = pages.match(toolOutput(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
