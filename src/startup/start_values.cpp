#include "start_values.h"

#include "base/globals.h"
#include "base/paths.h"
#include "base/program_end.h"
#include "common/sys_settings.h"
#include "platform/platform.h"

std::optional<std::pair<short, short>> parseBaseId(const QString& baseId)
{
    if (baseId.size() < 4)
        return std::nullopt;
    for (int i = 0; i < 4; ++i)
        if (baseId.at(i) < u'0' || baseId.at(i) > u'9')
            return std::nullopt;
    return std::pair<short, short>(static_cast<short>(baseId.mid(0, 2).toShort()),
                                   static_cast<short>(baseId.mid(2, 2).toShort()));
}

QString loadStartValues(const QString& programFolder)
{
    BusyCursor busy;
    gAppPath = csSetCurDir(programFolder);
    // The icon folder first, then WALLPAPER: their missing-entry messages come in that order.
    const QString iconFolder = csGetIconFolder();
    const QString wallpaper = pathInFolder(iconFolder, vGetMassageIni(QStringLiteral("WALLPAPER"), true));
    const QString baseCd = vGetMassageIni(QStringLiteral("BASEID"), false);
    const QString baseEb = vGetMassageIni(QStringLiteral("BASEID"), false);
    const auto cd = parseBaseId(baseCd);
    const auto eb = parseBaseId(baseEb);
    if (!cd || !eb) {
        platform().messageBox(QStringLiteral("システム設定ファイルの拠点番号（BASEID）が正しくありません。\r[BASEID=")
                                  + baseCd
                                  + QStringLiteral("]\r拠点番号2桁と拠点枝番2桁の4桁の数字を設定してください。"),
                              MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("警告！"));
        endProgramNow();
    }
    gKyotenCd = cd->first;
    gKyotenEb = eb->second;
    return wallpaper;
}
