#include "recording_platform.h"

#include "process_start.h"

static MsgResult firstButton(MsgButtons b)
{
    return (b == MsgButtons::Ok || b == MsgButtons::OkCancel) ? MsgResult::Ok : MsgResult::Yes;
}

MsgResult RecordingPlatform::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    messages.append({text, buttons, icon, title});
    if (!answers.empty()) {
        MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    return firstButton(buttons);
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
