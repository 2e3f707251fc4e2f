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

bool toInt(const QString& text, int* value)
{
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (ok)
        *value = parsed;
    return ok;
}

bool isTrue(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed == u"1" || trimmed.compare(u"True", Qt::CaseInsensitive) == 0 || trimmed == u"-1";
}

DataSource dataSource(const QStringList& args)
{
    DataSource source;
    source.name = args.value(1);
    source.path = nativePath(args.value(2));
    if (!args.value(3).isEmpty())
        source.delimiter = args.value(3).at(0);
    if (!args.value(4).isEmpty())
        source.quote = args.value(4).at(0);
    // The fifth argument is the "no title line" flag: 1 in the ",,,1" form, True in merges.
    source.hasHeader = !isTrue(args.value(5));
    return source;
}

// Applies the lines of a command file one by one; each command family has a routine that
// returns false for a word that is not its own.
class CommandReader {
public:
    void read(const QString& line, int lineNo)
    {
        m_args = splitCommandLine(line);
        m_lineNo = lineNo;
        const QString word = m_args.value(0).toLower();
        if (!fileCommand(word) && !mergeCommand(word) && !printCommand(word) && !actionCommand(word))
            problem(QStringLiteral("不明なコマンド「%1」です。").arg(m_args.value(0)));
    }

    CommandFile finish()
    {
        if (m_commands.merge && (!m_current.layoutPath.isEmpty() || !m_current.data.isEmpty()))
            m_commands.reports.append(m_current);
        return std::move(m_commands);
    }

private:
    void problem(const QString& message)
    {
        m_commands.problems.append(QStringLiteral("WfdCom.dat %1 行目: %2").arg(m_lineNo).arg(message));
    }

    bool needArgs(int count)
    {
        if (m_args.size() > count && !m_args.value(count).isEmpty())
            return true;
        problem(QStringLiteral("「%1」の引数が足りません。").arg(m_args.value(0)));
        return false;
    }

    bool number(int* value)
    {
        if (!needArgs(1))
            return false;
        if (toInt(m_args.at(1), value))
            return true;
        problem(QStringLiteral("「%1」の値「%2」は数値ではありません。").arg(m_args.value(0), m_args.at(1)));
        return false;
    }

    bool fileCommand(const QString& word)
    {
        if (word == u"filename") {
            if (needArgs(1))
                m_commands.layoutPath = nativePath(m_args.at(1));
        } else if (word == u"title") {
            m_commands.title = m_args.value(1);
        } else if (word == u"setdatatext") { // the data of the document and of the merge report being gathered
            if (needArgs(2)) {
                m_current.data.append(dataSource(m_args));
                m_commands.data.append(dataSource(m_args));
            }
        } else {
            return false;
        }
        return true;
    }

    bool mergeCommand(const QString& word)
    {
        if (word == u"settitle") {
            m_commands.mergeTitle = m_args.value(1);
        } else if (word == u"setreport") {
            if (needArgs(1))
                m_current.layoutPath = nativePath(m_args.at(1));
        } else if (word == u"addreport") {
            m_commands.reports.append(m_current);
            m_current = MergeReport();
        } else {
            return false;
        }
        m_commands.merge = true;
        return true;
    }

    bool printCommand(const QString& word)
    {
        int value = 0;
        if (word == u"printoffsetx") {
            if (number(&value))
                m_commands.offsetXmm = value / 10.0;
        } else if (word == u"printoffsety") {
            if (number(&value))
                m_commands.offsetYmm = value / 10.0;
        } else if (word == u"printzoom") {
            if (number(&value)) {
                if (value >= 10 && value <= 400)
                    m_commands.zoomPercent = value;
                else if (value > 400)
                    problem(QStringLiteral("倍率 %1 は大きすぎます（10〜400）。").arg(value));
                // 2 and other small values mean "no zoom".
            }
        } else if (word == u"sectionrepeatstart") {
            if (number(&value))
                m_commands.repeatStart = value > 0 ? value : 0;
        } else if (word == u"printpaper") {
            if (needArgs(1))
                paper(m_args.at(1));
        } else if (word == u"setitemvalue") {
            if (needArgs(1))
                m_commands.items.append({m_args.at(1), m_args.value(2)});
        } else {
            return false;
        }
        return true;
    }

    void paper(const QString& name)
    {
        const QString upper = name.toUpper();
        if (upper == u"A4" || upper == u"A5" || upper == u"B5")
            m_commands.paper = upper;
        else
            problem(QStringLiteral("用紙「%1」には対応していません（A4、A5、B5）。").arg(name));
    }

    bool actionCommand(const QString& word)
    {
        if (word == u"showwindow")
            m_commands.action = ViewerAction::Preview;
        else if (word == u"printout")
            m_commands.action = ViewerAction::PrintOut;
        else if (word == u"printoutfromdialog")
            m_commands.action = ViewerAction::PrintDialog;
        else
            return false;
        return true;
    }

    CommandFile m_commands;
    MergeReport m_current; // the merge report being gathered (up to AddReport)
    QStringList m_args;    // the line being read: its word, then its arguments
    int m_lineNo = 0;      // 1-based
};

} // namespace

CommandFile parseCommandText(const QString& text)
{
    CommandReader reader;
    const QStringList lines = splitLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (!line.isEmpty())
            reader.read(line, i + 1);
    }
    return reader.finish();
}

bool readViewerFile(const QString& path, const QString& what, QByteArray* bytes, QString* error)
{
    if (readWholeFile(path, bytes))
        return true;
    const QFileInfo info(path);
    if (path.isEmpty())
        *error = QStringLiteral("%1のファイル名がありません。").arg(what);
    else if (!info.exists())
        *error = QStringLiteral("%1 %2 が見つかりません。").arg(what, path);
    else if (info.isDir())
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
