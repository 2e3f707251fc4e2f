#include "scripted_platform.h"

#include "process_start.h"

#include <QSysInfo>
#include <cstdio>

static void writeErr(const QString& line)
{
    const QByteArray b = line.toUtf8() + '\n';
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stderr);
    std::fflush(stderr);
}

bool scriptedModeRequested()
{
    const QByteArray v = qgetenv("MONTHLY_RECORDS_SCRIPTED");
    return !v.isEmpty() && v != "0";
}

QString scriptedMessageLine(const QString& text, MsgIcon icon, const QString& title)
{
    QString t = text;
    t.replace(u'\r', QStringLiteral("\\r"));
    t.replace(u'\n', QStringLiteral("\\n"));
    return QStringLiteral("MSGBOX\t") + title + u'\t' + iconName(icon) + u'\t' + t;
}

MsgResult ScriptedPlatform::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                                       MsgDefault byDefault)
{
    writeErr(scriptedMessageLine(text, icon, title));
    return defaultAnswer(buttons, byDefault);
}

bool ScriptedPlatform::startProgram(const QString& program, const QStringList& args, WindowStyle, VbError* error)
{
    writeErr(QStringLiteral("START\t") + commandLineText(program, args));
    return startDetachedProgram(program, args, error);
}

void ScriptedPlatform::openUrl(const QString& address) { writeErr(QStringLiteral("OPEN\t") + address); }

QString ScriptedPlatform::computerName() { return QSysInfo::machineHostName(); }
