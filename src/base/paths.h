#pragma once
#include <QString>

// Turns a path text built the Windows way (backslashes, values such as "\TMP" from
// Massage.ini) into a native path: every backslash becomes "/", doubled separators
// collapse. Every file open / exists / delete / rename / program start goes through it.
QString nativePath(const QString& windowsStylePath);

// True when a normal file (not a folder) exists at the path (Windows-style text allowed).
bool bFileExists(const QString& path);

// The program folder: the folder of the running executable.
QString programFolder();
