#include "command_file.h"

#include "base/paths.h"
#include "base/text_file.h"

#include <QFileInfo>

QStringList splitCommandLine(const QString& line)
{
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (;;) {
        while (i < n && (line.at(i) == u' ' || line.at(i) == u'\t'))
            ++i;
        QString arg;
        if (i < n && line.at(i) == u'"') {
            ++i;
            while (i < n) {
                if (line.at(i) == u'"') {
                    if (i + 1 < n && line.at(i + 1) == u'"') {
                        arg += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                arg += line.at(i++);
            }
            // Anything between the closing quote and the next comma is dropped.
            while (i < n && line.at(i) != u',')
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && line.at(i) != u',')
                ++i;
            arg = line.mid(start, i - start).trimmed();
        }
        out.append(arg);
        if (i >= n)
            break;
        ++i; // the comma
    }
    return out;
}

namespace {

bool toInt(const QString& s, int* v)
{
    bool ok = false;
    const int x = s.trimmed().toInt(&ok);
    if (ok)
        *v = x;
    return ok;
}

bool isTrue(const QString& s)
{
    const QString t = s.trimmed();
    return t == u"1" || t.compare(u"True", Qt::CaseInsensitive) == 0 || t == u"-1";
}

DataSource dataSource(const QStringList& a)
{
    DataSource d;
    d.name = a.value(1);
    d.path = nativePath(a.value(2));
    if (!a.value(3).isEmpty())
        d.delimiter = a.value(3).at(0);
    if (!a.value(4).isEmpty())
        d.quote = a.value(4).at(0);
    // The fifth argument is the "no title line" flag: 1 in the ",,,1" form, True in merges.
    d.hasHeader = !isTrue(a.value(5));
    return d;
}

} // namespace

CommandFile parseCommandText(const QString& text)
{
    CommandFile c;
    const QStringList lines = splitLines(text);
    MergeReport current;
    auto problem = [&](int lineNo, const QString& msg) {
        c.problems.append(QStringLiteral("WfdCom.dat %1 行目: %2").arg(lineNo).arg(msg));
    };
    for (int ln = 0; ln < lines.size(); ++ln) {
        const QString raw = lines.at(ln).trimmed();
        if (raw.isEmpty())
            continue;
        const QStringList a = splitCommandLine(raw);
        const QString word = a.value(0).toLower();
        const int lineNo = ln + 1;
        auto needArgs = [&](int count) {
            if (a.size() > count && !a.value(count).isEmpty())
                return true;
            problem(lineNo, QStringLiteral("「%1」の引数が足りません。").arg(a.value(0)));
            return false;
        };
        auto number = [&](int* v) {
            if (!needArgs(1))
                return false;
            if (toInt(a.at(1), v))
                return true;
            problem(lineNo, QStringLiteral("「%1」の値「%2」は数値ではありません。").arg(a.value(0), a.at(1)));
            return false;
        };
        int v = 0;
        if (word == u"filename") {
            if (needArgs(1))
                c.layoutPath = nativePath(a.at(1));
        } else if (word == u"title") {
            c.title = a.value(1);
        } else if (word == u"settitle") {
            c.merge = true;
            c.mergeTitle = a.value(1);
        } else if (word == u"setdatatext") {
            if (needArgs(2)) {
                current.data.append(dataSource(a));
                c.data.append(dataSource(a));
            }
        } else if (word == u"setreport") {
            c.merge = true;
            if (needArgs(1))
                current.layoutPath = nativePath(a.at(1));
        } else if (word == u"addreport") {
            c.merge = true;
            c.reports.append(current);
            current = MergeReport();
        } else if (word == u"printoffsetx") {
            if (number(&v))
                c.offsetXmm = v / 10.0;
        } else if (word == u"printoffsety") {
            if (number(&v))
                c.offsetYmm = v / 10.0;
        } else if (word == u"printzoom") {
            if (number(&v)) {
                if (v >= 10 && v <= 400)
                    c.zoomPercent = v;
                else if (v > 400)
                    problem(lineNo, QStringLiteral("倍率 %1 は大きすぎます（10〜400）。").arg(v));
                // 2 and other small values mean "no zoom".
            }
        } else if (word == u"sectionrepeatstart") {
            if (number(&v))
                c.repeatStart = v > 0 ? v : 0;
        } else if (word == u"printpaper") {
            if (needArgs(1)) {
                const QString p = a.at(1).toUpper();
                if (p == u"A4" || p == u"A5" || p == u"B5")
                    c.paper = p;
                else
                    problem(lineNo, QStringLiteral("用紙「%1」には対応していません（A4、A5、B5）。").arg(a.at(1)));
            }
        } else if (word == u"setitemvalue") {
            if (needArgs(1))
                c.items.append({a.at(1), a.value(2)});
        } else if (word == u"showwindow") {
            c.action = ViewerAction::Preview;
        } else if (word == u"printout") {
            c.action = ViewerAction::PrintOut;
        } else if (word == u"printoutfromdialog") {
            c.action = ViewerAction::PrintDialog;
        } else {
            problem(lineNo, QStringLiteral("不明なコマンド「%1」です。").arg(a.value(0)));
        }
    }
    if (c.merge && (!current.layoutPath.isEmpty() || !current.data.isEmpty()))
        c.reports.append(current);
    return c;
}

bool readViewerFile(const QString& path, const QString& what, QByteArray* bytes, QString* error)
{
    if (readWholeFile(path, bytes))
        return true;
    const QFileInfo fi(path);
    if (path.isEmpty())
        *error = QStringLiteral("%1のファイル名がありません。").arg(what);
    else if (!fi.exists())
        *error = QStringLiteral("%1 %2 が見つかりません。").arg(what, path);
    else if (fi.isDir())
        *error = QStringLiteral("%1 %2 はフォルダです。").arg(what, path);
    else
        *error = QStringLiteral("%1 %2 を読み取れません。").arg(what, path);
    return false;
}

bool readCommandFile(const QString& path, CommandFile* out, QString* error)
{
    QByteArray bytes;
    if (!readViewerFile(path, QStringLiteral("コマンドファイル"), &bytes, error))
        return false;
    *out = parseCommandText(decodeText(bytes));
    return true;
}
