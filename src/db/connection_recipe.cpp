#include "connection_recipe.h"

#include "base/globals.h"
#include "base/ini_file.h"
#include "base/opl_string.h"
#include "base/paths.h"
#include "base/vb.h"
#include "platform/platform.h"

void showRecipeMessage(const QString& routine, const QString& detail)
{
    platform().messageBox(routine + QStringLiteral("() でエラー\r\n") + detail, MsgButtons::Ok, MsgIcon::Critical);
}

std::unique_ptr<cT_ADODB> openRecipeConnection(const QString& routine)
{
    clsOplIniFile ini;
    if (ini.iInit(pathInFolder(gAppPath, QStringLiteral("\\adodb.ini"))) != 0) {
        showRecipeMessage(routine, ini.CsErrStr());
        return nullptr;
    }
    const QString key = QStringLiteral("接続情報");
    const QString connectionString = vb::rtrim(csCutNull(ini.csGetProfileString(key, key)));
    if (connectionString.isEmpty()) {
        showRecipeMessage(routine, QStringLiteral("接続文字列取得できません。"));
        return nullptr;
    }
    auto db = std::make_unique<cT_ADODB>();
    if (db->iInit(connectionString) != 0 || db->iConnect() != 0) {
        showRecipeMessage(routine, db->sErrMsg());
        return nullptr;
    }
    return db;
}

bool openRecipeQuery(cT_ADODB& db, AdoRecordset& rs, const QString& sql, const QString& routine)
{
    if (db.iOpenRecSet(rs, sql, adOpenForwardOnly, adLockReadOnly, adCmdText) != 0) {
        showRecipeMessage(routine, db.sErrMsg());
        db.iDisConnect();
        return false;
    }
    return true;
}

std::optional<AdoRecordset> recipeQuery(const QString& sql, const QString& routine)
{
    return recipeQuery(sql, routine, routine);
}

std::optional<AdoRecordset> recipeQuery(const QString& sql, const QString& connectionRoutine,
                                        const QString& queryRoutine)
{
    auto db = openRecipeConnection(connectionRoutine);
    if (!db)
        return std::nullopt;
    AdoRecordset rs;
    if (!openRecipeQuery(*db, rs, sql, queryRoutine))
        return std::nullopt;
    db->iDisConnect();
    return rs;
}
