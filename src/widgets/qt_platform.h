#pragma once
// Platform services for the desktop: Qt message boxes, override cursor, real program starts.
#include "platform/platform.h"

#include <QLabel>
#include <QPointer>

class QtPlatform : public PlatformServices {
public:
    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                         MsgDefault byDefault) override;
    void setBusy(bool on) override;
    void setBusyText(const QString& text) override;
    void beep() override;
    bool startProgram(const QString& program, const QStringList& args, WindowStyle style, VbError* error) override;
    void openUrl(const QString& address) override;
    QString computerName() override;

private:
    int m_busy = 0;
    QPointer<QLabel> m_busyNote;
};

// The Japanese locale (calendars, dates), Japanese captions of Qt's standard buttons and the
// CJK font, for every window of the suite; before the first window is made.
void installJapaneseUi();

// CR, LF and CRLF all become line breaks in a message box.
QString messageBoxText(const QString& text);
