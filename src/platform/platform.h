#pragma once
// Platform services: every message box, hourglass, beep, program start and browser open
// of the program goes through this interface, so logic runs in tests and scripted mode.
#include "base/vb_error.h"

#include <QString>
#include <QStringList>

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };
// The button Enter presses (VB's vbDefaultButton1-3); scripted mode answers with it.
enum class MsgDefault { First, Second, Third };
// VB window styles (vbHide 0, vbNormalFocus 1, vbMinimizedFocus 2, vbMaximizedFocus 3,
// vbNormalNoFocus 4, vbMinimizedNoFocus 6). Recorded; not applied on Linux.
enum class WindowStyle {
    Hide = 0,
    NormalFocus = 1,
    MinimizedFocus = 2,
    MaximizedFocus = 3,
    NormalNoFocus = 4,
    MinimizedNoFocus = 6
};

QString iconName(MsgIcon icon);
// The answer a message box gives when its default button is pressed.
MsgResult defaultAnswer(MsgButtons buttons, MsgDefault byDefault);

class PlatformServices {
public:
    virtual ~PlatformServices() = default;
    // title empty: the message box has no title of its own (the application's title shows).
    virtual MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                 const QString& title = QString(), MsgDefault byDefault = MsgDefault::First) = 0;
    // Hourglass pointer on/off; calls nest.
    virtual void setBusy(bool on) = 0;
    // A note shown over the active window while a routine waits (empty: none), painted at once
    // because the routine holds the user-interface thread.
    virtual void setBusyText(const QString& text) = 0;
    virtual void beep() = 0;
    // Starts a program detached (never waited for). A name without a folder is looked for in
    // the program folder first, then on PATH. False with *error set when it cannot start.
    virtual bool startProgram(const QString& program, const QStringList& args, WindowStyle style,
                              VbError* error = nullptr) = 0;
    virtual void openUrl(const QString& address) = 0;
    virtual QString computerName() = 0;
};

// The services installed for this process (a scripted or recording one until replaced).
PlatformServices& platform();
// Installs services; the caller keeps ownership. nullptr restores the default.
void setPlatform(PlatformServices* services);

// Hourglass for the lifetime of the object.
class BusyCursor {
public:
    BusyCursor() { platform().setBusy(true); }
    ~BusyCursor() { platform().setBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
