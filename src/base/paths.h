#pragma once
#include <QString>

// Turns a path text built the Windows way (backslashes, values such as "\TMP" from
// Massage.ini) into a native path: every backslash becomes "/", doubled separators
// collapse. Every file open / exists / delete / rename / program start goes through it.
QString nativePath(const QString& windowsStylePath);

// The native folder followed by nativePath(rest), joined as they are (no separator added, a doubled
// one collapsed), with Windows' case-insensitive
// names below the folder: a component that does not exist as written takes the name of an
// existing entry that differs from it only in case (the first by name if there are several).
// Components that match nothing stay as written, so the path of a file still to be made comes
// back unchanged; the folder's own components are never changed.
QString pathInFolder(const QString& folder, const QString& rest);

// True when a normal file (not a folder) exists at the path (Windows-style text allowed).
bool bFileExists(const QString& path);

// The program folder: the folder of the running executable.
QString programFolder();
