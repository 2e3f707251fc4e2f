#pragma once
// Runs a program, or a copy of a real program binary in a test installation in scripted mode,
// offscreen.
#include "test_install.h"

#include <QStringList>

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString folder; // the program folder the copy ran in
    QStringList stderrLines;
    QString stdoutText;
    // The standard error lines that start with the prefix (MSGBOX, START, OPEN).
    QStringList lines(const QString& prefix) const;
};

// Runs the program with the arguments and the environment additions ("NAME=value").
ProgramRun runProgram(const QString& program, const QStringList& args, const QStringList& env = {},
                      const QString& workingDir = {}, int timeoutMs = 60000);

// Copies the binary into the installation's folder and runs it with the arguments, the
// environment additions and MONTHLY_RECORDS_SCRIPTED=1, QT_QPA_PLATFORM=offscreen.
ProgramRun runInstalledProgram(const TestInstall& inst, const QString& binary, const QStringList& args,
                               const QStringList& env = {}, int timeoutMs = 60000);
