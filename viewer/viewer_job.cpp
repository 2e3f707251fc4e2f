#include "viewer_job.h"

#include "page_paint.h"
#include "print_archive.h"

#include "base/paths.h"
#include "base/text_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QTextStream>

ViewerArguments parseViewerArguments(const QStringList& arguments)
{
    ViewerArguments a;
    const QString usage = QStringLiteral("使い方: report-viewer [--pdf FILE] [tmp.wfd] /c WfdCom.dat");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        auto next = [&](QString* into) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                a.error = QStringLiteral("「%1」の後にファイル名がありません。%2").arg(arg, usage);
                return;
            }
            *into = nativePath(arguments.at(++i));
        };
        if (arg == u"--pdf") {
            next(&a.pdfFile);
        } else if (arg.compare(u"/c", Qt::CaseInsensitive) == 0 || arg == u"-c") {
            next(&a.commandFile);
        } else if (arg.startsWith(u"/c ", Qt::CaseInsensitive)) {
            a.commandFile = nativePath(arg.mid(3).trimmed());
        } else if (a.mergeOutput.isEmpty() && !arg.isEmpty() && !arg.startsWith(u"--")) {
            a.mergeOutput = nativePath(arg);
        } else {
            a.error = QStringLiteral("引数「%1」は使えません。%2").arg(arg, usage);
        }
        if (!a.error.isEmpty())
            return a;
    }
    if (a.commandFile.isEmpty())
        a.error = QStringLiteral("コマンドファイルが指定されていません。%1").arg(usage);
    return a;
}

namespace {

// One report's layout and data, whether from files or from a merged document.
struct DataText {
    DataSource source;
    QString text;
};

bool bindReport(const Layout& layout, const QString& layoutName, const QList<DataText>& data, Report* report,
                QString* error)
{
    report->layout = layout;
    const DataText* chosen = nullptr;
    for (const DataText& d : data)
        if (d.source.name == layout.dataName)
            chosen = &d;
    if (!chosen && layout.dataName.isEmpty() && data.size() == 1)
        chosen = &data.first();
    if (!chosen) {
        if (layout.dataName.isEmpty())
            return true; // a layout without data: its fixed page
        QStringList names;
        for (const DataText& d : data)
            names.append(QStringLiteral("「%1」").arg(d.source.name));
        *error =
            QStringLiteral("レイアウト %1 はデータ「%2」を使いますが、渡されたデータは %3 です。")
                .arg(layoutName, layout.dataName, names.isEmpty() ? QStringLiteral("ありません") : names.join(u'、'));
        return false;
    }
    QString e;
    CsvOptions o;
    o.delimiter = chosen->source.delimiter;
    o.quote = chosen->source.quote;
    if (!buildCsvTable(chosen->text, o, chosen->source.hasHeader, layout.columns, &report->data, &e)) {
        *error = QStringLiteral("データ %1: %2").arg(chosen->source.path, e);
        return false;
    }
    QStringList missing;
    for (const QString& c : referencedColumns(layout))
        if (report->data.columnIndex(c) < 0)
            missing.append(QStringLiteral("「%1」").arg(c));
    if (!missing.isEmpty()) {
        *error = QStringLiteral("データ %1 の列がレイアウト %2 と合いません。列 %3 がありません。")
                     .arg(chosen->source.path, layoutName, missing.join(u'、'));
        return false;
    }
    report->hasData = true;
    return true;
}

bool readData(const DataSource& s, DataText* out, QString* error)
{
    QByteArray bytes;
    if (!readViewerFile(s.path, QStringLiteral("データ"), &bytes, error))
        return false;
    out->source = s;
    out->text = decodeText(bytes);
    return true;
}

DataSource sourceFromJson(const QJsonObject& o)
{
    DataSource s;
    s.name = o.value(u"name").toString();
    s.path = o.value(u"path").toString();
    s.hasHeader = o.value(u"header").toBool(true);
    const QString delim = o.value(u"delimiter").toString(QStringLiteral(","));
    const QString quote = o.value(u"quote").toString(QStringLiteral("\""));
    s.delimiter = delim.isEmpty() ? QChar(u',') : delim.at(0);
    s.quote = quote.isEmpty() ? QChar(u'"') : quote.at(0);
    return s;
}

} // namespace

bool buildDocument(const CommandFile& c, Document* doc, QStringList* warnings, QString* error)
{
    *warnings = c.problems;
    if (c.layoutPath.isEmpty()) {
        *error = QStringLiteral("コマンドファイルに FileName（レイアウト）がありません。");
        return false;
    }
    QByteArray layoutBytes;
    if (!readViewerFile(c.layoutPath, QStringLiteral("レイアウト"), &layoutBytes, error))
        return false;
    const QString layoutName = QFileInfo(c.layoutPath).fileName();

    // Read every data file first: nothing is read after this point.
    QList<DataText> data;
    for (const DataSource& s : c.data) {
        DataText d;
        if (!readData(s, &d, error))
            return false;
        data.append(d);
    }

    Document out;
    out.output.paper = c.paper;
    out.output.zoomPercent = c.zoomPercent;
    out.output.offsetMm = QPointF(c.offsetXmm, c.offsetYmm);
    QHash<QString, QString> items;
    for (const ItemValue& iv : c.items)
        items.insert(iv.name, iv.value);

    const QJsonDocument json = QJsonDocument::fromJson(layoutBytes);
    if (json.isObject() && json.object().contains(u"wfdMerged")) {
        const QJsonObject root = json.object();
        out.title = root.value(u"title").toString();
        const QJsonArray reps = root.value(u"reports").toArray();
        for (qsizetype i = 0; i < reps.size(); ++i) {
            const QJsonObject r = reps.at(i).toObject();
            const QString name = QStringLiteral("%1（%2 番目: %3）")
                                     .arg(layoutName)
                                     .arg(i + 1)
                                     .arg(QFileInfo(r.value(u"layoutPath").toString()).fileName());
            Layout layout;
            QString e;
            if (!parseLayoutObject(r.value(u"layout").toObject(), &layout, &e)) {
                *error = QStringLiteral("レイアウト %1 を使えません。%2").arg(name, e);
                return false;
            }
            QList<DataText> embedded;
            for (const QJsonValue& d : r.value(u"data").toArray())
                embedded.append({sourceFromJson(d.toObject()), d.toObject().value(u"text").toString()});
            Report rep;
            if (!bindReport(layout, name, embedded, &rep, error))
                return false;
            rep.layoutFile = r.value(u"layoutPath").toString();
            out.reports.append(rep);
        }
    } else {
        Layout layout;
        QString e;
        if (!parseLayout(layoutBytes, &layout, &e)) {
            *error = QStringLiteral("レイアウト %1 を使えません。%2").arg(c.layoutPath, e);
            return false;
        }
        Report rep;
        if (!bindReport(layout, c.layoutPath, data, &rep, error))
            return false;
        rep.layoutFile = c.layoutPath;
        out.reports.append(rep);
    }
    if (!c.title.isEmpty())
        out.title = c.title;
    if (out.title.isEmpty())
        out.title = QFileInfo(c.layoutPath).completeBaseName();
    for (Report& r : out.reports) {
        r.title = out.title;
        r.itemValues = items;
        r.repeatStart = c.repeatStart;
    }
    out.finish();
    if (out.pageCount() == 0) {
        *error = QStringLiteral("印刷するデータがありません（%1 に 0 件）。").arg(layoutName);
        return false;
    }
    *doc = std::move(out);
    return true;
}

bool loadViewerJob(const QString& commandFile, ViewerJob* job, QString* error)
{
    if (!readCommandFile(commandFile, &job->commands, error))
        return false;
    return buildDocument(job->commands, &job->document, &job->warnings, error);
}

bool writeMergedDocument(const CommandFile& c, const QString& path, QString* error)
{
    QJsonArray reports;
    for (const MergeReport& r : c.reports) {
        QByteArray bytes;
        if (!readViewerFile(r.layoutPath, QStringLiteral("レイアウト"), &bytes, error))
            return false;
        Layout check;
        QString e;
        if (!parseLayout(bytes, &check, &e)) {
            *error = QStringLiteral("レイアウト %1 を使えません。%2").arg(r.layoutPath, e);
            return false;
        }
        QJsonArray data;
        for (const DataSource& s : r.data) {
            DataText d;
            if (!readData(s, &d, error))
                return false;
            data.append(QJsonObject{{QStringLiteral("name"), s.name},
                                    {QStringLiteral("path"), s.path},
                                    {QStringLiteral("header"), s.hasHeader},
                                    {QStringLiteral("delimiter"), QString(s.delimiter)},
                                    {QStringLiteral("quote"), QString(s.quote)},
                                    {QStringLiteral("text"), d.text}});
        }
        reports.append(QJsonObject{{QStringLiteral("layoutPath"), r.layoutPath},
                                   {QStringLiteral("layout"), QJsonDocument::fromJson(bytes).object()},
                                   {QStringLiteral("data"), data}});
    }
    if (reports.isEmpty()) {
        *error = QStringLiteral("結合するレポート（setreport）がありません。");
        return false;
    }
    const QJsonObject root{{QStringLiteral("wfdMerged"), 1},
                           {QStringLiteral("title"), c.mergeTitle},
                           {QStringLiteral("reports"), reports}};
    VbError ve;
    if (!writeFileReplacing(path, QJsonDocument(root).toJson(QJsonDocument::Compact), &ve)) {
        *error = QStringLiteral("結合した文書 %1 を書けません。%2").arg(path, ve.parenText());
        return false;
    }
    return true;
}

bool renderDocumentPdf(const Document& doc, int from, int to, QByteArray* bytes, QString* error)
{
    from = qBound(0, from, doc.pageCount() - 1);
    to = qBound(from, to, doc.pageCount() - 1);
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    { // the writer finishes the file when it goes
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setTitle(doc.title);
        writer.setCreator(QStringLiteral("report-viewer"));
        writer.setPageLayout(doc.pageLayout(from));
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QStringLiteral("PDF を作れません。");
            return false;
        }
        paintDocumentPages(painter, writer, doc, from, to);
        painter.end();
    }
    return true;
}

bool writeDocumentPdf(const Document& doc, const QString& path, QString* error)
{
    QByteArray bytes;
    if (!renderDocumentPdf(doc, 0, doc.pageCount() - 1, &bytes, error))
        return false;
    VbError ve;
    if (!writeFileReplacing(path, bytes, &ve)) {
        *error = QStringLiteral("PDF %1 を書けません。%2").arg(path, ve.parenText());
        return false;
    }
    return true;
}

QString pdfFileNameForTitle(const QString& title)
{
    QString name = title.trimmed();
    for (QChar& ch : name)
        if (ch.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(ch))
            ch = u'_';
    if (name.isEmpty() || name == u"." || name == u"..")
        name = QStringLiteral("report");
    return name + QStringLiteral(".pdf");
}

bool runsWithoutWindow(const ViewerArguments& args)
{
    return !args.pdfFile.isEmpty() || !qEnvironmentVariableIsEmpty("REPORT_VIEWER_PDF_DIR");
}

QString headlessPdfPath(const ViewerArguments& args, const QString& title)
{
    if (!args.pdfFile.isEmpty())
        return args.pdfFile;
    const QString dir = qEnvironmentVariable("REPORT_VIEWER_PDF_DIR");
    if (dir.isEmpty())
        return QString();
    return QDir(nativePath(dir)).filePath(pdfFileNameForTitle(title));
}

QString mergeOutputPath(const ViewerArguments& args)
{
    if (!args.mergeOutput.isEmpty())
        return args.mergeOutput;
    return QFileInfo(args.commandFile).absoluteDir().filePath(QStringLiteral("tmp.wfd"));
}

int runMerge(const ViewerArguments& args, const CommandFile& commands, QStringList* messages)
{
    QString e;
    *messages = commands.problems;
    if (!writeMergedDocument(commands, mergeOutputPath(args), &e)) {
        messages->append(e);
        return ExitBadInput;
    }
    return commands.problems.isEmpty() ? ExitOk : ExitUnknownCommand;
}

int runWithoutWindow(const ViewerArguments& args, QTextStream& err)
{
    auto say = [&](const QString& m) { err << "report-viewer: " << m << Qt::endl; };
    if (!args.error.isEmpty()) {
        say(args.error);
        return ExitBadInput;
    }
    CommandFile commands;
    QString e;
    if (!readCommandFile(args.commandFile, &commands, &e)) {
        say(e);
        return ExitBadInput;
    }
    if (commands.merge) {
        QStringList messages;
        const int rc = runMerge(args, commands, &messages);
        for (const QString& m : messages)
            say(m);
        return rc;
    }
    Document doc;
    QStringList warnings;
    if (!buildDocument(commands, &doc, &warnings, &e)) {
        for (const QString& w : warnings)
            say(w);
        say(e);
        return ExitBadInput;
    }
    for (const QString& w : warnings + doc.overflowNotes())
        say(w);
    if (!writeDocumentPdf(doc, headlessPdfPath(args, doc.title), &e)) {
        say(e);
        return ExitOutputFailed;
    }
    // The PDF stands in for the printer here, so a print command is filed as a print is.
    if (commands.action == ViewerAction::PrintOut || commands.action == ViewerAction::PrintDialog) {
        const QString archive = archiveFolderSetting(QCoreApplication::applicationDirPath());
        QString filed;
        if (!archive.isEmpty()
            && !archivePrintedDocument(doc, archive, QDateTime::currentDateTime(), 0, doc.pageCount() - 1, &filed, &e))
            say(archiveFailureMessage(e));
    }
    return warnings.isEmpty() ? ExitOk : ExitUnknownCommand;
}
