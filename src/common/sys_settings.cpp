#include "sys_settings.h"

#include "base/globals.h"
#include "base/paths.h"
#include "base/program_end.h"
#include "base/system_error.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

QString appFile(const QString& fileName) { return pathInFolder(gAppPath, u'\\' + fileName); }

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

// A folder a Massage.ini value names below the program folder, in whatever case it exists.
static QString folderOf(const QString& value) { return pathInFolder(gAppPath, value + u'\\'); }
static QString folderOf(const char* key) { return folderOf(vGetMassageIni(QString::fromLatin1(key), true)); }

QString csGetSysFolder() { return folderOf("SYSTEM_SYS"); }
QString csGetTmpFolder() { return folderOf("SYSTEM_TMP"); }
QString csGetIconFolder() { return folderOf("SYSTEM_ICON"); }
QString csGetDataFolder() { return folderOf("SYSTEM_DATA"); }

void vCheckTmpFolder()
{
    QByteArray bytes;
    if (!readWholeFile(appFile(QStringLiteral("Massage.ini")), &bytes))
        return;
    const std::optional<QString> value = massageIniValue(bytes, QStringLiteral("SYSTEM_TMP"));
    if (!value)
        return;
    const QString folder = folderOf(*value);
    const QString reason = folderWriteProblem(folder);
    if (reason.isEmpty())
        return;
    platform().messageBox(QStringLiteral("一時ファイルのフォルダに書き込めないため、帳票を出力できません。\r\n")
                              + QDir::toNativeSeparators(QDir::cleanPath(folder)) + QStringLiteral("\r\n（") + reason
                              + QStringLiteral("）\r\nフォルダに書き込めるようにするか、"
                                               "monthly-records-setup --from でこの利用者のフォルダを作ってください。"),
                          MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("警告！"));
}

QString csSetCurDir(const QString& folder)
{
    QDir::setCurrent(nativePath(folder));
    return QDir::currentPath();
}
