#include "recording_platform.h"

#include "process_start.h"

MsgResult RecordingPlatform::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                                        MsgDefault byDefault)
{
    messages.append({text, buttons, icon, title, byDefault});
    if (!answers.empty()) {
        MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    return defaultAnswer(buttons, byDefault);
}

void RecordingPlatform::setBusy(bool on)
{
    busyDepth += on ? 1 : -1;
    if (on && busyDepth == 1)
        ++busySpells;
    if (busyDepth > maxBusyDepth)
        maxBusyDepth = busyDepth;
}

bool RecordingPlatform::startProgram(const QString& program, const QStringList& args, WindowStyle style, VbError* error)
{
    starts.append({program, args, style});
    if (reallyStart)
        return startDetachedProgram(program, args, error);
    if (!startSucceeds && error)
        *error = vberr::fileNotFound();
    return startSucceeds;
}
