#pragma once
// The system settings file Massage.ini and the folder functions (module modSysFunc).
#include <QByteArray>
#include <QString>
#include <optional>

// Flat lookup ignoring sections; first match wins; case-sensitive on trimmed names.
// Massage.ini missing: message, then the program ends.
QString vGetMassageIni(const QString& key, bool reportMissing);
// The same lookup in the bytes of a Massage.ini; no value when no line carries the key.
std::optional<QString> massageIniValue(const QByteArray& fileBytes, const QString& key);

// gAppPath + value + separator, as a native path ending in "/". Names are matched as on Windows:
// an existing folder whose name differs only in case is the one returned.
QString csGetSysFolder();
QString csGetTmpFolder();
QString csGetIconFolder();
QString csGetDataFolder();

// When no file can be made in the temporary folder Massage.ini names (every document is written
// there first), says so once, with the folder and the reason. Says nothing without Massage.ini
// or its SYSTEM_TMP entry: the documents report those.
void vCheckTmpFolder();

// Makes the folder the current directory; returns the current directory as then reported.
QString csSetCurDir(const QString& folder);

// gAppPath followed by a file name, as a native path (an existing file in any case).
QString appFile(const QString& fileName);
