#pragma once
// Runs a copy of a real program binary in a test installation, in scripted mode, offscreen.
#include "test_install.h"

#include <QStringList>

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString folder;      // the program folder the copy ran in
    QStringList stderrLines;
    QString stdoutText;
    // The standard error lines that start with the prefix (MSGBOX, START, OPEN).
    QStringList lines(const QString& prefix) const;
};

// Copies the binary into the installation's folder and runs it with the arguments, the
// environment additions ("NAME=value") and MONTHLY_RECORDS_SCRIPTED=1, QT_QPA_PLATFORM=offscreen.
ProgramRun runInstalledProgram(const TestInstall& inst, const QString& binary, const QStringList& args,
                               const QStringList& env = {}, int timeoutMs = 60000);
