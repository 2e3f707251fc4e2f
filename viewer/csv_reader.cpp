#include "csv_reader.h"

namespace {

bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

// Skips one line end (CRLF, CR or LF) at pos; returns the new position.
qsizetype skipLineEnd(const QString& t, qsizetype pos, int* line)
{
    if (pos < t.size() && t.at(pos) == u'\r') {
        ++pos;
        if (pos < t.size() && t.at(pos) == u'\n')
            ++pos;
        ++*line;
    } else if (pos < t.size() && t.at(pos) == u'\n') {
        ++pos;
        ++*line;
    }
    return pos;
}

// Counts the line ends inside a piece of text (for the line numbers of later records).
int lineEndsIn(const QString& t, qsizetype from, qsizetype to)
{
    int n = 0;
    for (qsizetype i = from; i < to; ++i) {
        if (t.at(i) == u'\n')
            ++n;
        else if (t.at(i) == u'\r' && !(i + 1 < to && t.at(i + 1) == u'\n'))
            ++n;
    }
    return n;
}

} // namespace

bool parseCsvRecords(const QString& t, const CsvOptions& o, QList<CsvRecord>* records, QString* error)
{
    records->clear();
    qsizetype pos = 0;
    int line = 1;
    const qsizetype n = t.size();
    while (pos < n) {
        if (isLineEnd(t.at(pos))) { // empty line
            pos = skipLineEnd(t, pos, &line);
            continue;
        }
        CsvRecord rec;
        rec.line = line;
        for (;;) {
            QString field;
            if (pos < n && t.at(pos) == o.quote) {
                const qsizetype start = pos + 1;
                qsizetype end = -1;
                for (qsizetype i = start; i < n; ++i) {
                    if (t.at(i) != o.quote)
                        continue;
                    if (i + 1 == n || t.at(i + 1) == o.delimiter || isLineEnd(t.at(i + 1))) {
                        end = i;
                        break;
                    }
                }
                if (end < 0) {
                    *error = QStringLiteral("%1 行目: 引用符で始まる項目が閉じられていません。").arg(line);
                    return false;
                }
                field = t.mid(start, end - start);
                line += lineEndsIn(t, start, end);
                pos = end + 1;
            } else {
                const qsizetype start = pos;
                while (pos < n && t.at(pos) != o.delimiter && !isLineEnd(t.at(pos)))
                    ++pos;
                field = t.mid(start, pos - start);
            }
            rec.fields.append(field);
            if (pos < n && t.at(pos) == o.delimiter) {
                ++pos;
                continue;
            }
            pos = skipLineEnd(t, pos, &line);
            break;
        }
        records->append(rec);
    }
    return true;
}

QString CsvTable::value(int record, const QString& name) const
{
    const int c = columnIndex(name);
    if (c < 0 || record < 0 || record >= records.size())
        return QString();
    return records.at(record).fields.value(c);
}

bool buildCsvTable(const QString& text, const CsvOptions& options, bool hasHeader, const QStringList& positionNames,
                   CsvTable* table, QString* error)
{
    QList<CsvRecord> recs;
    if (!parseCsvRecords(text, options, &recs, error))
        return false;
    table->columns.clear();
    table->records.clear();
    if (hasHeader) {
        if (recs.isEmpty()) {
            *error = QStringLiteral("見出し行がありません。");
            return false;
        }
        table->columns = recs.takeFirst().fields;
    } else {
        table->columns = positionNames;
        if (!recs.isEmpty() && !positionNames.isEmpty() && recs.first().fields == positionNames)
            recs.removeFirst();
        if (positionNames.isEmpty() && !recs.isEmpty()) // no names at all: "1", "2", ...
            for (qsizetype i = 1; i <= recs.first().fields.size(); ++i)
                table->columns.append(QString::number(i));
    }
    const qsizetype want = table->columns.size();
    for (const CsvRecord& r : recs) {
        if (r.fields.size() != want) {
            *error = QStringLiteral("%1 行目の項目数が %2 です（%3 項目のはずです）。")
                         .arg(r.line)
                         .arg(r.fields.size())
                         .arg(want);
            return false;
        }
    }
    table->records = std::move(recs);
    return true;
}
