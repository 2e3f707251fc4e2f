#pragma once
// Helpers of the viewer tests: fixture files, command files, PDF text.
#include "command_file.h"
#include "page_compose.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

QString layoutsDir();    // the repository's layouts/
QString viewerDataDir(); // tests/viewer/data/
// A layout (JSON) with its data (CSV text with a header); fails the test when either is unusable.
Report reportOf(const QByteArray& json, const QString& csv);
// The same from a layout of the repository and a sample CSV of tests/viewer/data.
Report sampleReport(const QString& layout, const QString& csv);
// A finished document of one report.
Document documentOf(const Report& report, const QString& title = {});

// Writes lines as the program writes WfdCom.dat (CP932, CRLF).
void writeCp932Lines(const QString& path, const QStringList& lines);
// The five lines of a preview command file.
QStringList previewCommands(const QString& layoutPath, const QString& title, const QString& dataName,
                            const QString& csvPath);

// The standard output of a command-line tool (pdftotext, pdfinfo).
QString toolOutput(const QString& program, const QStringList& args);
// pdftotext -layout of the whole file or of one page (1-based), normalised for comparisons;
// fails the test when the text layer holds look-alike code points (radicals for ideographs).
QString pdfText(const QString& pdf, int page = 0);
int pdfPageCount(const QString& pdf);
// The size in points of every text the PDF draws.
QList<double> pdfTextSizes(const QString& pdf);
// One page (1-based) as pdftoppm renders it, in grey.
QImage pdfPageImage(const QString& pdf, int page, double dpi);
// NFKC (full-width letters and digits as ASCII) without any white space (texts drawn cell by
// cell come out spaced).
QString squeezed(const QString& text);
