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
