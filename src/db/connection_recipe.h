#pragma once
// The standard connection recipe every data routine follows. P is the routine's name as its
// messages spell it; the P message is a critical message box: P "() でエラー" CR LF detail.
#include "adodb.h"

#include <memory>
#include <optional>

// Shows the P message with the detail.
void showRecipeMessage(const QString& routine, const QString& detail);

// Steps 1-5: reads adodb.ini (gAppPath + "\adodb.ini"), section and key 接続情報, creates
// and connects a cT_ADODB. On failure shows the P message and returns nullptr.
std::unique_ptr<cT_ADODB> openRecipeConnection(const QString& routine);

// Step 6: opens a query read-only and forward-only. On failure shows the P message with
// sErrMsg, disconnects and returns false.
bool openRecipeQuery(cT_ADODB& db, AdoRecordset& rs, const QString& sql, const QString& routine);

// The whole recipe for one query: its own connection, the query read front to back, the
// disconnect. The rows stay readable afterwards. std::nullopt after a failure (message shown).
std::optional<AdoRecordset> recipeQuery(const QString& sql, const QString& routine);
// The same where the connection's messages name one routine and the query's another.
std::optional<AdoRecordset> recipeQuery(const QString& sql, const QString& connectionRoutine,
                                        const QString& queryRoutine);
