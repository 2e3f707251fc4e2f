#include "viewer_test_util.h"

#include "common/text_file.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

QString layoutsDir() { return QStringLiteral(MONTHLY_SOURCE_DIR "/layouts/"); }
QString viewerDataDir() { return QStringLiteral(MONTHLY_SOURCE_DIR "/tests/viewer/data/"); }

Layout repoLayout(const QString& fileName)
{
    QFile f(layoutsDir() + fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << fileName.toStdString();
    Layout l;
    QString error;
    EXPECT_TRUE(parseLayout(f.readAll(), &l, &error)) << error.toStdString();
    return l;
}

CsvTable sampleTable(const QString& fileName)
{
    QFile f(viewerDataDir() + fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << fileName.toStdString();
    CsvTable t;
    QString error;
    EXPECT_TRUE(buildCsvTable(decodeText(f.readAll()), CsvOptions(), true, {}, &t, &error)) << error.toStdString();
    return t;
}

void writeCp932Lines(const QString& path, const QStringList& lines)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(cp932Lines(lines));
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
    static const std::pair<char16_t, char16_t> radicals[] = {
        {0x2ED1, u'長'}, {0x2EC4, u'西'}, {0x2ED8, u'青'}, {0x2EE9, u'黄'}, {0x2EF2, u'亀'}, {0x2EDD, u'食'}};
    for (const auto& [from, to] : radicals)
        t.replace(QChar(from), QChar(to));
    t = t.normalized(QString::NormalizationForm_KC);
    // Blanks between words come out as runs of spaces.
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    return t.replace(blanks, QStringLiteral(" "));
}

QString squeezed(const QString& text)
{
    QString t = normalised(text);
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    return t;
}

QString pdfText(const QString& pdf, int page)
{
    QProcess p;
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << QStringLiteral("-layout") << pdf << QStringLiteral("-");
    p.start(QStringLiteral("pdftotext"), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return normalised(QString::fromUtf8(p.readAllStandardOutput()));
}

int pdfPageCount(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(p.waitForFinished(30000));
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QStringList circledTexts(const PageContent& page)
{
    QStringList out;
    for (const DrawOp& e : page.ops) {
        if (e.kind != DrawOp::Kind::Ellipse)
            continue;
        for (const DrawOp& t : page.ops)
            if (t.kind == DrawOp::Kind::Text && t.rect == e.rect)
                out.append(t.text);
    }
    return out;
}

int countOps(const PageContent& page, DrawOp::Kind kind)
{
    int n = 0;
    for (const DrawOp& op : page.ops)
        n += op.kind == kind;
    return n;
}

const DrawOp* namedOp(const PageContent& page, const QString& name)
{
    for (const DrawOp& op : page.ops)
        if (op.name == name)
            return &op;
    return nullptr;
}

bool hasText(const PageContent& page, const QString& text)
{
    for (const DrawOp& op : page.ops)
        if (op.kind == DrawOp::Kind::Text && op.text == text)
            return true;
    return false;
}
