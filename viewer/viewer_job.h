#pragma once
// What one start of the viewer does, apart from windows: read the command line, read the
// command file and every file it names into memory, write merged documents and PDF files.
#include "command_file.h"
#include "page_compose.h"

#include <QString>
#include <QStringList>

class QTextStream;

enum ViewerExit {
    ExitOk = 0,
    ExitOutputFailed = 1,   // the PDF or the printer could not be written
    ExitBadInput = 2,       // unreadable files, unusable layout or data: nothing was output
    ExitUnknownCommand = 3, // the document was output, but the command file had lines not understood
};

struct ViewerArguments {
    QString commandFile; // after /c
    QString mergeOutput; // the merge program's first argument (tmp.wfd)
    QString pdfFile;     // --pdf FILE
    QString error;       // not empty: the command line is unusable
};
ViewerArguments parseViewerArguments(const QStringList& arguments); // without the program name

struct ViewerJob {
    CommandFile commands;
    Document document;
    QStringList warnings; // shown, but the document is still output
};

// Reads the command file and everything it names. False with *error set when any file is
// missing or unreadable, a layout is unusable or the data do not fit the layout.
bool loadViewerJob(const QString& commandFile, ViewerJob* job, QString* error);
// The same from an already parsed command file (files still read here).
bool buildDocument(const CommandFile& commands, Document* document, QStringList* warnings, QString* error);

// Writes the merged document of a merge command file (layouts and data embedded, so that a
// later FileName needs nothing else). False with *error set.
bool writeMergedDocument(const CommandFile& commands, const QString& path, QString* error);

// Renders pages [from, to] (0-based) as PDF.
bool renderDocumentPdf(const Document& document, int from, int to, QByteArray* bytes, QString* error);
// Renders every page into a PDF file, written under a temporary name and renamed into place.
bool writeDocumentPdf(const Document& document, const QString& path, QString* error);

// "<title>.pdf" with characters that file names cannot hold replaced by "_".
QString pdfFileNameForTitle(const QString& title);

// The PDF path of a windowless run: --pdf, or REPORT_VIEWER_PDF_DIR and the title; empty
// when the run should show windows.
QString headlessPdfPath(const ViewerArguments& args, const QString& title);
bool runsWithoutWindow(const ViewerArguments& args);

// Where a merge command file writes its merged document: the merge program's first
// argument, or tmp.wfd beside the command file.
QString mergeOutputPath(const ViewerArguments& args);
// Writes the merged document of a merge command file; the exit code (problems: 3).
int runMerge(const ViewerArguments& args, const CommandFile& commands, QStringList* messages);

// The whole run without any window: merge, or the document as PDF. Messages go to err.
int runWithoutWindow(const ViewerArguments& args, QTextStream& err);
