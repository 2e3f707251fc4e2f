#pragma once
// Helpers of the viewer tests: fixture files, command files, PDF text.
#include "command_file.h"
#include "page_compose.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

QString layoutsDir();     // the repository's layouts/
QString viewerDataDir();  // tests/viewer/data
// A layout of the repository, parsed; fails the test when it cannot be parsed.
Layout repoLayout(const QString& fileName);
// A sample CSV of tests/viewer/data as a table.
CsvTable sampleTable(const QString& fileName);

// Writes lines as the program writes WfdCom.dat (CP932, CRLF).
void writeCp932Lines(const QString& path, const QStringList& lines);
// The five lines of a preview command file.
QStringList previewCommands(const QString& layoutPath, const QString& title, const QString& dataName,
                            const QString& csvPath);

// pdftotext -layout of the whole file or of one page (1-based), normalised for comparisons.
QString pdfText(const QString& pdf, int page = 0);
int pdfPageCount(const QString& pdf);
// NFKC, plus the look-alike code points pdftotext returns (U+2027 for ・, U+301C for ～, a few
// radicals-supplement characters);
// runs of blanks become one.
QString normalised(const QString& text);
// The same without any white space (texts drawn cell by cell come out spaced).
QString squeezed(const QString& text);

// Texts of the options a page marks with a circle (the option text in the marked rect).
QStringList circledTexts(const PageContent& page);
int countOps(const PageContent& page, DrawOp::Kind kind);
const DrawOp* namedOp(const PageContent& page, const QString& name);
bool hasText(const PageContent& page, const QString& text);
