#include "print_settings.h"

#include "base/ini_file.h"
#include "base/paths.h"
#include "base/vb.h"
#include "common/sys_settings.h"
#include "platform/platform.h"

#include <optional>

namespace {

const QString kSection = QStringLiteral("利用者別月間実績表");

// The text as a whole reads as a number.
std::optional<double> numeric(const QString& v) { return vb::isNumeric(v) ? vb::toNumber(v) : std::nullopt; }

} // namespace

QString printSettingsPath() { return pathInFolder(csGetDataFolder(), QStringLiteral("印刷設定.ini")); }

short vLoadPrintSettings(PrintSettings& s)
{
    clsOplIniFile ini;
    if (ini.iInit(printSettingsPath()) != 0)
        return 0;
    auto get = [&](const char* key) { return ini.csGetProfileString(kSection, QString::fromUtf8(key)); };

    s.tuuinDisp = vb::val(get("通院の表示")) != 0;

    const auto sort = numeric(get("並び順"));
    s.sortIndex = (sort && *sort >= 0 && *sort < 2) ? static_cast<int>(*sort) : 0;

    s.printType = vb::val(get("出力帳票")) != 0 ? 1 : 0;

    const auto cnt = numeric(get("初療日月の施術回数"));
    s.sejutuKaisuCnt = (cnt && *cnt > 0) ? 1 : 0;

    const auto style = numeric(get("継続理由書様式"));
    s.riyusyoType = style ? (*style > 0 ? 1 : 0) : 1;

    const auto past = numeric(get("過去頻回実績月表示"));
    s.pastMonths = (past && *past > 0) ? 1 : 0;

    const auto th = numeric(get("抽出頻回回数"));
    s.threshold = (th && *th >= -32768 && *th <= 32767) ? vb::cint(*th) : 0;
    return 0;
}

void vSavePrintSettings(const PrintSettings& s)
{
    clsOplIniFile ini;
    if (ini.iInit(printSettingsPath()) != 0)
        return;
    const std::pair<const char*, QString> values[] = {
        {"通院の表示", s.tuuinDisp ? QStringLiteral("1") : QStringLiteral("0")},
        {"並び順", QString::number(s.sortIndex)},
        {"出力帳票", s.printType == 0 ? QStringLiteral("0") : QStringLiteral("1")},
        {"初療日月の施術回数", s.sejutuKaisuCnt == 1 ? QStringLiteral("1") : QStringLiteral("0")},
        {"継続理由書様式", s.riyusyoType == 1 ? QStringLiteral("1") : QStringLiteral("0")},
        {"過去頻回実績月表示", QString::number(s.pastMonths)},
        {"抽出頻回回数", QString::number(s.threshold)},
    };
    for (const auto& [key, value] : values) {
        if (ini.iWriteProfileString(kSection, QString::fromUtf8(key), value) == 0) {
            platform().messageBox(QStringLiteral("Error:") + ini.CsErrStr(), MsgButtons::Ok, MsgIcon::None);
            return;
        }
    }
}
