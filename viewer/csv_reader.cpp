#include "csv_reader.h"

namespace {

bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

// Skips one line end (CRLF, CR or LF) at pos; returns the new position.
qsizetype skipLineEnd(const QString& text, qsizetype pos, int* line)
{
    if (pos < text.size() && text.at(pos) == u'\r') {
        ++pos;
        if (pos < text.size() && text.at(pos) == u'\n')
            ++pos;
        ++*line;
    } else if (pos < text.size() && text.at(pos) == u'\n') {
        ++pos;
        ++*line;
    }
    return pos;
}

// Counts the line ends inside a piece of text (for the line numbers of later records).
int lineEndsIn(const QString& text, qsizetype from, qsizetype to)
{
    int n = 0;
    for (qsizetype i = from; i < to; ++i) {
        if (text.at(i) == u'\n')
            ++n;
        else if (text.at(i) == u'\r' && !(i + 1 < to && text.at(i + 1) == u'\n'))
            ++n;
    }
    return n;
}

} // namespace

bool parseCsvRecords(const QString& text, const CsvOptions& options, QList<CsvRecord>* records, QString* error)
{
    records->clear();
    qsizetype pos = 0;
    int line = 1;
    const qsizetype n = text.size();
    while (pos < n) {
        if (isLineEnd(text.at(pos))) { // empty line
            pos = skipLineEnd(text, pos, &line);
            continue;
        }
        CsvRecord rec;
        rec.line = line;
        for (;;) {
            QString field;
            if (pos < n && text.at(pos) == options.quote) {
                const qsizetype start = pos + 1;
                qsizetype end = -1;
                for (qsizetype i = start; i < n; ++i) {
                    if (text.at(i) != options.quote)
                        continue;
                    if (i + 1 == n || text.at(i + 1) == options.delimiter || isLineEnd(text.at(i + 1))) {
                        end = i;
                        break;
                    }
                }
                if (end < 0) {
                    *error = QStringLiteral("%1 行目: 引用符で始まる項目が閉じられていません。").arg(line);
                    return false;
                }
                field = text.mid(start, end - start);
                line += lineEndsIn(text, start, end);
                pos = end + 1;
            } else {
                const qsizetype start = pos;
                while (pos < n && text.at(pos) != options.delimiter && !isLineEnd(text.at(pos)))
                    ++pos;
                field = text.mid(start, pos - start);
            }
            rec.fields.append(field);
            if (pos < n && text.at(pos) == options.delimiter) {
                ++pos;
                continue;
            }
            pos = skipLineEnd(text, pos, &line);
            break;
        }
        records->append(rec);
    }
    return true;
}

QString CsvTable::value(int record, const QString& name) const
{
    const int column = columnIndex(name);
    if (column < 0 || record < 0 || record >= records.size())
        return QString();
    return records.at(record).fields.value(column);
}

bool buildCsvTable(const QString& text, const CsvOptions& options, bool hasHeader, const QStringList& positionNames,
                   CsvTable* table, QString* error)
{
    QList<CsvRecord> parsed;
    if (!parseCsvRecords(text, options, &parsed, error))
        return false;
    table->columns.clear();
    table->records.clear();
    if (hasHeader) {
        if (parsed.isEmpty()) {
            *error = QStringLiteral("見出し行がありません。");
            return false;
        }
        table->columns = parsed.takeFirst().fields;
    } else {
        table->columns = positionNames;
        if (!parsed.isEmpty() && !positionNames.isEmpty() && parsed.first().fields == positionNames)
            parsed.removeFirst();
        if (positionNames.isEmpty() && !parsed.isEmpty()) // no names at all: "1", "2", ...
            for (qsizetype i = 1; i <= parsed.first().fields.size(); ++i)
                table->columns.append(QString::number(i));
    }
    const qsizetype want = table->columns.size();
    for (const CsvRecord& record : parsed) {
        if (record.fields.size() != want) {
            *error = QStringLiteral("%1 行目の項目数が %2 です（%3 項目のはずです）。")
                         .arg(record.line)
                         .arg(record.fields.size())
                         .arg(want);
            return false;
        }
    }
    table->records = std::move(parsed);
    return true;
}
