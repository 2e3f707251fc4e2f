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

// gAppPath + value + separator, as a native path ending in "/".
QString csGetSysFolder();
QString csGetTmpFolder();
QString csGetIconFolder();
QString csGetDataFolder();

// Makes the folder the current directory; returns the current directory as then reported.
QString csSetCurDir(const QString& folder);

// gAppPath followed by a file name, as a native path.
QString appFile(const QString& fileName);
