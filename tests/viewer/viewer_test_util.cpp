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

Document documentOf(const Report& report, const QString& title)
{
    Document doc;
    doc.title = title;
    doc.reports.append(report);
    doc.finish();
    return doc;
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

// NFKC (full-width letters and digits as ASCII); runs of blanks become one.
static QString normalised(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    return text.normalized(QString::NormalizationForm_KC).replace(blanks, QStringLiteral(" "));
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
    const QString raw = toolOutput(QStringLiteral("pdftotext"), args);
    // The text layer holds the characters printed: no radical or other look-alike code point
    // stands in for them (⽉ U+2F49 for 月, ‧ U+2027 for ・, 〜 U+301C for ～).
    for (const QChar c : raw) {
        const char16_t u = c.unicode();
        EXPECT_FALSE((u >= 0x2E80 && u <= 0x2FDF) || u == 0x2027 || u == 0x301C)
            << pdf.toStdString() << ": U+" << QString::number(u, 16).toUpper().toStdString();
    }
    return normalised(raw);
}

QList<double> pdfTextSizes(const QString& pdf)
{
    // Content streams as Qt writes them: one "sx 0 0 -sy 0 h cm" to points, then "/Fn size Tf".
    static const QRegularExpression stream(QStringLiteral("stream\\r?\\n"));
    static const QRegularExpression toPoints(QStringLiteral("^([\\d.]+) 0 0 -?[\\d.]+ [\\d.]+ [\\d.]+ cm$"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression size(QStringLiteral("([\\d.]+) Tf"));
    const QByteArray bytes = fileBytes(pdf);
    const QString latin = QString::fromLatin1(bytes);
    QList<double> sizes;
    for (auto it = stream.globalMatch(latin); it.hasNext();) {
        const auto m = it.next();
        const qsizetype end = bytes.indexOf("endstream", m.capturedEnd());
        QByteArray packed = bytes.mid(m.capturedEnd(), end - m.capturedEnd());
        packed.prepend(QByteArray::fromHex("00100000")); // qUncompress wants a size hint first
        const QString content = QString::fromLatin1(qUncompress(packed));
        const auto scale = toPoints.match(content);
        if (!scale.hasMatch())
            continue;
        for (auto s = size.globalMatch(content); s.hasNext();)
            sizes.append(s.next().captured(1).toDouble() * scale.captured(1).toDouble());
    }
    return sizes;
}

QImage pdfPageImage(const QString& pdf, int page, double dpi)
{
    const QString png = pdf + QStringLiteral("-page");
    toolOutput(QStringLiteral("pdftoppm"),
               {"-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page), "-gray", "-png",
                "-singlefile", pdf, png});
    return QImage(png + QStringLiteral(".png"));
}

int pdfPageCount(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = pages.match(toolOutput(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
