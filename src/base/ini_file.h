#pragma once
// Private-profile INI files with the Windows semantics (own implementation: QSettings
// escapes and reorders keys and is not compatible with the suite's files).
#include <QString>
#include <optional>

namespace profile {
// GetPrivateProfileStringA into a buffer of bufferBytes (CP932 bytes, NUL included).
QString getString(const QString& section, const QString& key, const QString& defaultValue, const QString& path,
                  int bufferBytes = 256);
// GetPrivateProfileIntA.
qint32 getInt(const QString& section, const QString& key, qint32 defaultValue, const QString& path);
// WritePrivateProfileStringA. No value deletes the key; no key deletes the section.
bool writeString(const QString& section, const std::optional<QString>& key, const std::optional<QString>& value,
                 const QString& path);

// The same on a file's bytes. findValue: the value as stored (trimmed, quotes kept), none
// when the section, the key or its "=" is missing. applyWrite: the file's bytes after the
// write; every line it does not edit keeps its bytes.
std::optional<QString> findValue(const QByteArray& fileBytes, const QString& section, const QString& key);
QByteArray applyWrite(const QByteArray& fileBytes, const QString& section, const std::optional<QString>& key,
                      const std::optional<QString>& value);
} // namespace profile

// One INI file of the program (adodb.ini, 印刷設定.ini, 帳票Format.ini, Kovani.Ver).
class clsOplIniFile {
public:
    QString CsErrStr() const { return m_err; }
    short iInit(const QString& iniPath);
    long nGetProfileLong(const QString& section, const QString& key) const;
    QString csGetProfileString(const QString& section, const QString& key) const;
    // Non-zero on success; 0 on failure, with the reason in CsErrStr.
    short iWriteProfileString(const QString& section, const QString& key, const QString& value);

private:
    QString m_path; // as given (Windows-style text)
    QString m_err;
};
