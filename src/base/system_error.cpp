#include "system_error.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

QString systemErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("アクセス権がありません");
    case EROFS: return QStringLiteral("読み取り専用のファイルシステムです");
    case ENOENT: return QStringLiteral("ファイルまたはフォルダがありません");
    case ENOTDIR: return QStringLiteral("途中にフォルダでないファイルがあります");
    case EEXIST: return QStringLiteral("同じ名前のファイルがあります");
    case EISDIR: return QStringLiteral("同じ名前のフォルダがあります");
    case ENOSPC: return QStringLiteral("ディスクの空き容量が不足しています");
    case EDQUOT: return QStringLiteral("ディスクの使用量が上限に達しています");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます");
    case ENAMETOOLONG: return QStringLiteral("名前が長すぎます");
    case ELOOP: return QStringLiteral("シンボリックリンクが循環しています");
    case EIO: return QStringLiteral("入出力エラーが起きました");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("使用中です");
    case EMFILE:
    case ENFILE: return QStringLiteral("開いているファイルが多すぎます");
    case ENOMEM: return QStringLiteral("メモリが不足しています");
    default: break;
    }
    // Anything rarer: its number and the system's own words.
    return QStringLiteral("システムエラー %1: %2").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
}

QString folderWriteProblem(const QString& folder)
{
    QByteArray name = QFile::encodeName(QDir(nativePath(folder)).filePath(QStringLiteral(".write-check-XXXXXX")));
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return systemErrorText(errno);
    ::close(fd);
    ::unlink(name.constData());
    return QString();
}
