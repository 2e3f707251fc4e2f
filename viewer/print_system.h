#pragma once
// What the print system (CUPS) says about a queue and about the job just handed to it: the
// print dialog and QPrinter report neither a refused job nor a print service that is gone.
#include <QString>

// A print queue as the print system reports it now.
struct QueueState {
    QString problem;     // why a job cannot go to it now; empty when it can
    bool paused = false; // it takes jobs but holds them until it is resumed
};
QueueState queueState(const QString& printerName);

// Why the job this thread last handed to the print system was refused; empty when it was
// accepted. Valid right after QPainter::end() on a QPrinter of the native format.
QString submissionProblem(const QString& printerName);

// Why no printer can be used: the print service does not answer, no printer is set up, or
// none is the default.
QString noPrinterReason();
