#pragma once
// Scripted mode (MONTHLY_RECORDS_SCRIPTED=1): message boxes and program starts are written
// to standard error and answered with their default button; starts are still carried out.
#include "platform.h"

class ScriptedPlatform : public PlatformServices {
public:
    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                         MsgDefault byDefault) override;
    void setBusy(bool) override { }
    void setBusyText(const QString&) override { }
    void beep() override { }
    bool startProgram(const QString& program, const QStringList& args, WindowStyle style, VbError* error) override;
    void openUrl(const QString& address) override;
    QString computerName() override;
};

// True when MONTHLY_RECORDS_SCRIPTED is set to a non-empty value other than 0.
bool scriptedModeRequested();
// The line written for a message box (without the line end).
QString scriptedMessageLine(const QString& text, MsgIcon icon, const QString& title);
