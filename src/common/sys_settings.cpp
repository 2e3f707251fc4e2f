#include "sys_settings.h"

#include "base/globals.h"
#include "base/paths.h"
#include "base/program_end.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

QString appFile(const QString& fileName) { return nativePath(gAppPath + u'\\' + fileName); }

QString vGetMassageIni(const QString& key, bool reportMissing)
{
    const QString path = appFile(QStringLiteral("Massage.ini"));
    if (!bFileExists(path)) {
        platform().messageBox(QStringLiteral("システム設定ファイルが見つかりません。"), MsgButtons::Ok,
                              MsgIcon::Critical, QStringLiteral("警告！"));
        endProgramNow();
    }
    QByteArray bytes;
    readWholeFile(path, &bytes);
    if (const std::optional<QString> value = massageIniValue(bytes, key))
        return *value;
    if (reportMissing) {
        platform().messageBox(QStringLiteral("システム設定ファイルに、指定の項目が見つかりません。\r[") + key + u']',
                              MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("警告！"));
    }
    return QString();
}

std::optional<QString> massageIniValue(const QByteArray& fileBytes, const QString& key)
{
    const QString wanted = vb::trim(key);
    for (const QString& line : splitLines(decodeText(fileBytes))) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (vb::trim(line.left(eq)) == wanted)
            return line.mid(eq + 1);
    }
    return std::nullopt;
}

static QString folderOf(const char* key)
{
    return nativePath(gAppPath + vGetMassageIni(QString::fromLatin1(key), true) + u'\\');
}

QString csGetSysFolder() { return folderOf("SYSTEM_SYS"); }
QString csGetTmpFolder() { return folderOf("SYSTEM_TMP"); }
QString csGetIconFolder() { return folderOf("SYSTEM_ICON"); }
QString csGetDataFolder() { return folderOf("SYSTEM_DATA"); }

QString csSetCurDir(const QString& folder)
{
    QDir::setCurrent(nativePath(folder));
    return QDir::currentPath();
}
