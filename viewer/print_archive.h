#pragma once
// Copies of printed documents. When the viewer's settings file (report-viewer.ini in the
// viewer's own folder) names an archive folder, every print the print system accepts is also
// filed there as a PDF:
//
//   <folder>/<yyyymm of the document>/<layout name>_<yyyymmdd-hhmmss>.pdf
//
// written under a hidden name and renamed into place, never over an existing file (a
// second print in the same second becomes …_2.pdf), readable as any new file is. Previews,
// PDF files and prints that never reached a printer are not filed.
//
//   [Archive]
//   Folder=/srv/office/printed      (relative: from the viewer's folder; absent or empty: off)
//
// The settings file may be UTF-8 with or without a byte-order mark, or CP932.
#include <QDateTime>
#include <QString>

class Document;

QString viewerSettingsPath(const QString& viewerFolder);
// The archive folder the settings file names (native, absolute); empty when archiving is off.
QString archiveFolderSetting(const QString& viewerFolder);

// The month a document is about, "yyyymm": the first record of the first report whose layout
// names a "month" column holding a date ("yyyy/mm", "yyyy/mm/dd", "yyyymm"); otherwise the
// month of `fallback`.
QString documentMonth(const Document& doc, const QDate& fallback);
// The layout file's name without its extension ("継続理由・状況記入書_R03").
QString documentLayoutName(const Document& doc);

// Files pages [from, to] (0-based) of a printed document. False with *error set; the print
// itself is never affected. *path receives the file written.
bool archivePrintedDocument(const Document& doc, const QString& folder, const QDateTime& printedAt, int from, int to,
                            QString* path, QString* error);

// The message shown when a printed document could not be filed.
QString archiveFailureMessage(const QString& error);
