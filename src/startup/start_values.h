#pragma once
// The program-wide values the background window's load fixes.
#include <QString>
#include <optional>
#include <utility>

// BASEID: characters 1-2 the branch code, 3-4 the sub-number. Only four digits at the start
// are accepted (a blank or a letter there would silently select another branch).
std::optional<std::pair<short, short>> parseBaseId(const QString& baseId);

// Background window load without the window: makes the program folder current and stores
// it in gAppPath, reads the wallpaper path and the branch key. An unusable BASEID shows a
// message and ends the program. Returns the wallpaper path (icon folder + WALLPAPER).
QString loadStartValues(const QString& programFolder);
