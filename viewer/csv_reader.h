#pragma once
// Reader for the CSV files the program hands to the viewer: comma-separated, texts in
// double quotes whose inner quotes are NOT doubled. A quoted field therefore ends only at
// a quote followed by the delimiter, a line end or the end of the text; CR and LF inside
// quotes are part of the text.
#include <QList>
#include <QString>
#include <QStringList>

struct CsvOptions {
    QChar delimiter = u',';
    QChar quote = u'"';
};

struct CsvRecord {
    QStringList fields;
    int line = 0; // 1-based line of the file on which the record starts
};

// Splits the whole text into records. Empty lines between records are skipped. False with
// *error set when a quoted field is never closed.
bool parseCsvRecords(const QString& text, const CsvOptions& options, QList<CsvRecord>* records, QString* error);

// A CSV file bound to column names: from its header line, or by position from the names
// the layout declares.
struct CsvTable {
    QStringList columns;
    QList<CsvRecord> records;

    int columnIndex(const QString& name) const { return columns.indexOf(name); }
    // The field of a record by column name; empty when the column does not exist.
    QString value(int record, const QString& name) const;
};

// hasHeader: the first record names the columns. Without it the columns are positionNames;
// a first record that repeats positionNames exactly is a header after all and is dropped;
// without names the columns are called "1", "2", ... by position.
// Every record must have as many fields as there are columns; otherwise false with *error
// naming the line.
bool buildCsvTable(const QString& text, const CsvOptions& options, bool hasHeader, const QStringList& positionNames,
                   CsvTable* table, QString* error);
