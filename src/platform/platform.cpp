#include "platform.h"

#include "scripted_platform.h"

QString iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QStringLiteral("none");
    case MsgIcon::Critical: return QStringLiteral("critical");
    case MsgIcon::Question: return QStringLiteral("question");
    case MsgIcon::Exclamation: return QStringLiteral("exclamation");
    case MsgIcon::Information: return QStringLiteral("information");
    }
    return QStringLiteral("none");
}

MsgResult defaultAnswer(MsgButtons buttons, MsgDefault byDefault)
{
    const int i = static_cast<int>(byDefault);
    switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::OkCancel: return i == 0 ? MsgResult::Ok : MsgResult::Cancel;
    case MsgButtons::YesNo: return i == 0 ? MsgResult::Yes : MsgResult::No;
    case MsgButtons::YesNoCancel: return i == 0 ? MsgResult::Yes : i == 1 ? MsgResult::No : MsgResult::Cancel;
    }
    return MsgResult::Ok;
}

namespace {
PlatformServices*& current()
{
    static PlatformServices* p = nullptr;
    return p;
}
} // namespace

PlatformServices& platform()
{
    if (!current()) {
        static ScriptedPlatform fallback;
        return fallback;
    }
    return *current();
}

void setPlatform(PlatformServices* services) { current() = services; }
