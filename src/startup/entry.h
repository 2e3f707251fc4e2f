#pragma once
#include <QStringList>

// The entry procedure (Sub Main): background window, processing mode, main window.
// args: the command-line arguments after the program name. Returns the exit code.
int runEntryProcedure(const QStringList& args);
