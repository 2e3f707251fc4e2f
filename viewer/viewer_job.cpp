#include "viewer_job.h"

#include "page_paint.h"

#include "base/paths.h"
#include "base/text_file.h"

#include <QBuffer>
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
    ViewerArguments parsed;
    const QString usage = QStringLiteral("使い方: report-viewer [--pdf FILE] [tmp.wfd] /c WfdCom.dat");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        auto next = [&](QString* into) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                parsed.error = QStringLiteral("「%1」の後にファイル名がありません。%2").arg(arg, usage);
                return;
            }
            *into = nativePath(arguments.at(++i));
        };
        if (arg == u"--pdf") {
            next(&parsed.pdfFile);
        } else if (arg.compare(u"/c", Qt::CaseInsensitive) == 0 || arg == u"-c") {
            next(&parsed.commandFile);
        } else if (arg.startsWith(u"/c ", Qt::CaseInsensitive)) {
            parsed.commandFile = nativePath(arg.mid(3).trimmed());
        } else if (parsed.mergeOutput.isEmpty() && !arg.isEmpty() && !arg.startsWith(u"--")) {
            parsed.mergeOutput = nativePath(arg);
        } else {
            parsed.error = QStringLiteral("引数「%1」は使えません。%2").arg(arg, usage);
        }
        if (!parsed.error.isEmpty())
            return parsed;
    }
    if (parsed.commandFile.isEmpty())
        parsed.error = QStringLiteral("コマンドファイルが指定されていません。%1").arg(usage);
    return parsed;
}

namespace {

// One report's layout and data, whether from files or from a merged document.
struct DataText {
    DataSource source;
    QString text;
};

QString unusableLayout(const QString& layoutName, const QString& reason)
{
    return QStringLiteral("レイアウト %1 を使えません。%2").arg(layoutName, reason);
}

// The data a layout reads: the one its data name names, or the only one when it names none.
const DataText* dataOfLayout(const Layout& layout, const QList<DataText>& data)
{
    const DataText* chosen = nullptr;
    for (const DataText& candidate : data)
        if (candidate.source.name == layout.dataName)
            chosen = &candidate;
    if (!chosen && layout.dataName.isEmpty() && data.size() == 1)
        chosen = &data.first();
    return chosen;
}

bool bindReport(const Layout& layout, const QString& layoutName, const QList<DataText>& data, Report* report,
                QString* error)
{
    report->layout = layout;
    const DataText* chosen = dataOfLayout(layout, data);
    if (!chosen) {
        if (layout.dataName.isEmpty())
            return true; // a layout without data: its fixed page
        QStringList names;
        for (const DataText& given : data)
            names.append(QStringLiteral("「%1」").arg(given.source.name));
        *error =
            QStringLiteral("レイアウト %1 はデータ「%2」を使いますが、渡されたデータは %3 です。")
                .arg(layoutName, layout.dataName, names.isEmpty() ? QStringLiteral("ありません") : names.join(u'、'));
        return false;
    }
    QString reason;
    CsvOptions options;
    options.delimiter = chosen->source.delimiter;
    options.quote = chosen->source.quote;
    if (!buildCsvTable(chosen->text, options, chosen->source.hasHeader, layout.columns, &report->data, &reason)) {
        *error = QStringLiteral("データ %1: %2").arg(chosen->source.path, reason);
        return false;
    }
    QStringList missing;
    for (const QString& column : referencedColumns(layout))
        if (report->data.columnIndex(column) < 0)
            missing.append(QStringLiteral("「%1」").arg(column));
    if (!missing.isEmpty()) {
        *error = QStringLiteral("データ %1 の列がレイアウト %2 と合いません。列 %3 がありません。")
                     .arg(chosen->source.path, layoutName, missing.join(u'、'));
        return false;
    }
    report->hasData = true;
    return true;
}

bool readData(const DataSource& source, DataText* out, QString* error)
{
    QByteArray bytes;
    if (!readViewerFile(source.path, QStringLiteral("データ"), &bytes, error))
        return false;
    out->source = source;
    out->text = decodeText(bytes);
    return true;
}

bool readAllData(const QList<DataSource>& sources, QList<DataText>* out, QString* error)
{
    for (const DataSource& source : sources) {
        DataText data;
        if (!readData(source, &data, error))
            return false;
        out->append(data);
    }
    return true;
}

// A data file as a merged document embeds it, and back.
QJsonObject dataToJson(const DataText& data)
{
    const DataSource& source = data.source;
    return QJsonObject{{QStringLiteral("name"), source.name},
                       {QStringLiteral("path"), source.path},
                       {QStringLiteral("header"), source.hasHeader},
                       {QStringLiteral("delimiter"), QString(source.delimiter)},
                       {QStringLiteral("quote"), QString(source.quote)},
                       {QStringLiteral("text"), data.text}};
}

DataText dataFromJson(const QJsonObject& object)
{
    DataText data;
    DataSource& source = data.source;
    source.name = object.value(u"name").toString();
    source.path = object.value(u"path").toString();
    source.hasHeader = object.value(u"header").toBool(true);
    const QString delimiter = object.value(u"delimiter").toString(QStringLiteral(","));
    const QString quote = object.value(u"quote").toString(QStringLiteral("\""));
    source.delimiter = delimiter.isEmpty() ? QChar(u',') : delimiter.at(0);
    source.quote = quote.isEmpty() ? QChar(u'"') : quote.at(0);
    data.text = object.value(u"text").toString();
    return data;
}

// The reports of a merged document, each with its layout and data embedded.
bool mergedReports(const QJsonObject& root, const QString& fileName, QList<Report>* reports, QString* error)
{
    const QJsonArray entries = root.value(u"reports").toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        const QString layoutPath = entry.value(u"layoutPath").toString();
        const QString name =
            QStringLiteral("%1（%2 番目: %3）").arg(fileName).arg(i + 1).arg(QFileInfo(layoutPath).fileName());
        Layout layout;
        QString reason;
        if (!parseLayoutObject(entry.value(u"layout").toObject(), &layout, &reason)) {
            *error = unusableLayout(name, reason);
            return false;
        }
        QList<DataText> embedded;
        for (const QJsonValue& data : entry.value(u"data").toArray())
            embedded.append(dataFromJson(data.toObject()));
        Report report;
        if (!bindReport(layout, name, embedded, &report, error))
            return false;
        report.layoutFile = layoutPath;
        reports->append(report);
    }
    return true;
}

// The report of a layout file, with the data the command file names.
bool layoutFileReport(const QByteArray& bytes, const QString& path, const QList<DataText>& data, Report* report,
                      QString* error)
{
    Layout layout;
    QString reason;
    if (!parseLayout(bytes, &layout, &reason)) {
        *error = unusableLayout(path, reason);
        return false;
    }
    if (!bindReport(layout, path, data, report, error))
        return false;
    report->layoutFile = path;
    return true;
}

// What the command file sets for the whole document: output, title, item values, first row.
void applyCommands(const CommandFile& commands, Document* document)
{
    document->output.paper = commands.paper;
    document->output.zoomPercent = commands.zoomPercent;
    document->output.offsetMm = QPointF(commands.offsetXmm, commands.offsetYmm);
    if (!commands.title.isEmpty())
        document->title = commands.title;
    if (document->title.isEmpty())
        document->title = QFileInfo(commands.layoutPath).completeBaseName();
    QHash<QString, QString> items;
    for (const ItemValue& item : commands.items)
        items.insert(item.name, item.value);
    for (Report& report : document->reports) {
        report.title = document->title;
        report.itemValues = items;
        report.repeatStart = commands.repeatStart;
    }
}

} // namespace

bool buildDocument(const CommandFile& commands, Document* doc, QStringList* warnings, QString* error)
{
    *warnings = commands.problems;
    if (commands.layoutPath.isEmpty()) {
        *error = QStringLiteral("コマンドファイルに FileName（レイアウト）がありません。");
        return false;
    }
    QByteArray layoutBytes;
    if (!readViewerFile(commands.layoutPath, QStringLiteral("レイアウト"), &layoutBytes, error))
        return false;
    // Read every data file first: nothing is read after this point.
    QList<DataText> data;
    if (!readAllData(commands.data, &data, error))
        return false;

    Document document;
    const QString layoutName = QFileInfo(commands.layoutPath).fileName();
    const QJsonDocument json = QJsonDocument::fromJson(layoutBytes);
    if (json.isObject() && json.object().contains(u"wfdMerged")) {
        document.title = json.object().value(u"title").toString();
        if (!mergedReports(json.object(), layoutName, &document.reports, error))
            return false;
    } else {
        Report report;
        if (!layoutFileReport(layoutBytes, commands.layoutPath, data, &report, error))
            return false;
        document.reports.append(report);
    }
    applyCommands(commands, &document);
    document.finish();
    if (document.pageCount() == 0) {
        *error = QStringLiteral("印刷するデータがありません（%1 に 0 件）。").arg(layoutName);
        return false;
    }
    *doc = std::move(document);
    return true;
}

bool loadViewerJob(const QString& commandFile, ViewerJob* job, QString* error)
{
    if (!readCommandFile(commandFile, &job->commands, error))
        return false;
    return buildDocument(job->commands, &job->document, &job->warnings, error);
}

bool writeMergedDocument(const CommandFile& commands, const QString& path, QString* error)
{
    QJsonArray reports;
    for (const MergeReport& merged : commands.reports) {
        QByteArray bytes;
        if (!readViewerFile(merged.layoutPath, QStringLiteral("レイアウト"), &bytes, error))
            return false;
        Layout check;
        QString reason;
        if (!parseLayout(bytes, &check, &reason)) {
            *error = unusableLayout(merged.layoutPath, reason);
            return false;
        }
        QList<DataText> data;
        if (!readAllData(merged.data, &data, error))
            return false;
        QJsonArray embedded;
        for (const DataText& one : data)
            embedded.append(dataToJson(one));
        reports.append(QJsonObject{{QStringLiteral("layoutPath"), merged.layoutPath},
                                   {QStringLiteral("layout"), QJsonDocument::fromJson(bytes).object()},
                                   {QStringLiteral("data"), embedded}});
    }
    if (reports.isEmpty()) {
        *error = QStringLiteral("結合するレポート（setreport）がありません。");
        return false;
    }
    const QJsonObject root{{QStringLiteral("wfdMerged"), 1},
                           {QStringLiteral("title"), commands.mergeTitle},
                           {QStringLiteral("reports"), reports}};
    VbError writeError;
    if (!writeFileReplacing(path, QJsonDocument(root).toJson(QJsonDocument::Compact), &writeError)) {
        *error = QStringLiteral("結合した文書 %1 を書けません。%2").arg(path, writeError.parenText());
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
        writer.setResolution(720); // a tenth of a point is a whole pixel: sizes come out as designed
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
    VbError writeError;
    if (!writeFileReplacing(path, bytes, &writeError)) {
        *error = QStringLiteral("PDF %1 を書けません。%2").arg(path, writeError.parenText());
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
    QString error;
    *messages = commands.problems;
    if (!writeMergedDocument(commands, mergeOutputPath(args), &error)) {
        messages->append(error);
        return ExitBadInput;
    }
    return commands.problems.isEmpty() ? ExitOk : ExitUnknownCommand;
}

int runWithoutWindow(const ViewerArguments& args, QTextStream& err)
{
    auto say = [&](const QString& message) { err << "report-viewer: " << message << Qt::endl; };
    if (!args.error.isEmpty()) {
        say(args.error);
        return ExitBadInput;
    }
    CommandFile commands;
    QString error;
    if (!readCommandFile(args.commandFile, &commands, &error)) {
        say(error);
        return ExitBadInput;
    }
    if (commands.merge) {
        QStringList messages;
        const int rc = runMerge(args, commands, &messages);
        for (const QString& message : messages)
            say(message);
        return rc;
    }
    Document doc;
    QStringList warnings;
    if (!buildDocument(commands, &doc, &warnings, &error)) {
        for (const QString& warning : warnings)
            say(warning);
        say(error);
        return ExitBadInput;
    }
    for (const QString& warning : warnings + cutNotes(doc))
        say(warning);
    if (!writeDocumentPdf(doc, headlessPdfPath(args, doc.title), &error)) {
        say(error);
        return ExitOutputFailed;
    }
    return warnings.isEmpty() ? ExitOk : ExitUnknownCommand;
}
