#pragma once
// Platform services for tests: records everything, answers message boxes from a queue.
#include "platform.h"

#include <QList>
#include <deque>

class RecordingPlatform : public PlatformServices {
public:
    struct Message {
        QString text;
        MsgButtons buttons;
        MsgIcon icon;
        QString title;
        MsgDefault byDefault = MsgDefault::First;
    };
    struct Start {
        QString program;
        QStringList args;
        WindowStyle style;
    };

    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                         MsgDefault byDefault) override;
    void setBusy(bool on) override;
    void setBusyText(const QString& text) override { busyTexts.append({text, busyDepth > 0}); }
    void beep() override { ++beeps; }
    bool startProgram(const QString& program, const QStringList& args, WindowStyle style, VbError* error) override;
    void openUrl(const QString& address) override { opened.append(address); }
    QString computerName() override { return QStringLiteral("TESTPC"); }

    QList<Message> messages;
    QList<Start> starts;
    QStringList opened;
    std::deque<MsgResult> answers; // next answers; the default button when empty
    struct BusyText {
        QString text; // empty: taken away
        bool underHourglass;
    };
    QList<BusyText> busyTexts;
    int busyDepth = 0;
    int maxBusyDepth = 0;
    int busySpells = 0; // times the hourglass came up (one per command that shows it)
    int beeps = 0;
    bool reallyStart = false;  // carry starts out for real
    bool startSucceeds = true; // result of a recorded start when not carried out

    void clear()
    {
        messages.clear();
        starts.clear();
        opened.clear();
        busyTexts.clear();
    }
};

// Installs a RecordingPlatform for the lifetime of the object.
class ScopedRecordingPlatform : public RecordingPlatform {
public:
    ScopedRecordingPlatform() { setPlatform(this); }
    ~ScopedRecordingPlatform() override { setPlatform(nullptr); }
};
