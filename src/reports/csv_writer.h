#pragma once
// CSV data files for the report viewer and the layout lookup in 帳票Format.ini.
//
// Rules: CP932, one record per line ended by CRLF, comma-separated; texts in double quotes
// with inner quotes written unchanged (not doubled; one right before a comma or a line end,
// which would end the field for the viewer, is written "＂"); numbers bare; a header line of quoted
// column names. The file is deleted when opened and written whole, under a temporary name
// renamed into place, when closed.
#include "base/vb_error.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The value of key in section of the data folder's 帳票Format.ini, cut at a NUL and without
// trailing blanks; empty when the file or key is missing.
QString csGetReportLayout(const QString& section, const QString& key);

// One CSV line, built field by field.
class CsvRow {
public:
    CsvRow& text(const QString& value);
    CsvRow& number(qint64 value);
    const QString& line() const { return m_line; }

private:
    void separate();
    QString m_line;
    bool m_empty = true;
};

class CsvWriter {
public:
    // Deletes an existing file at the path (native or Windows-style text). False with *error
    // when it cannot be deleted.
    bool open(const QString& path, VbError* error = nullptr);
    // The header line: each name quoted.
    void header(const QStringList& names);
    void row(const CsvRow& row);
    // Data lines added after the header.
    int rowCount() const { return m_rows; }
    // Writes the file. False with *error (folder missing, not writable, disk full).
    bool close(VbError* error = nullptr);

private:
    QString m_path;
    QStringList m_lines;
    int m_rows = 0;
};

// The time the output date and time columns show; tests fix it.
QDateTime reportNow();

class ScopedFixedReportClock {
public:
    explicit ScopedFixedReportClock(const QDateTime& at);
    ~ScopedFixedReportClock();
    ScopedFixedReportClock(const ScopedFixedReportClock&) = delete;
    ScopedFixedReportClock& operator=(const ScopedFixedReportClock&) = delete;

private:
    std::optional<QDateTime> m_previous;
};
