#pragma once
#include "base/vb_error.h"

#include <QString>
#include <QStringList>

// Finds a program: a name with a folder is taken as it is (converted to a native path);
// a bare name is looked for in the program folder first, then on PATH. Empty when not found.
QString findProgram(const QString& program);

// Starts the program detached with standard input, output and error on the null device.
bool startDetachedProgram(const QString& program, const QStringList& args, VbError* error);

// The program and arguments as one line for logs.
QString commandLineText(const QString& program, const QStringList& args);
