#include "print_archive.h"

#include "page_compose.h"
#include "viewer_job.h"

#include "base/ini_file.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/vb_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <filesystem>

namespace {

VbError errorOfErrno(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return vberr::diskFull();
    case ENOENT:
    case ENOTDIR: return vberr::pathNotFound();
    case ENAMETOOLONG: return vberr::badFileName();
    default: return vberr::permissionDenied();
    }
}

// "yyyymm" of a date text, or empty.
QString monthOf(const QString& value)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{4})[/\\-.]?(\\d{1,2})(?:\\D|$)"));
    const QRegularExpressionMatch match = re.match(value);
    if (!match.hasMatch())
        return QString();
    const int month = match.captured(2).toInt();
    if (month < 1 || month > 12)
        return QString();
    return match.captured(1) + QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
}

// Why a folder cannot be made: a file standing where a folder should be, or what the
// system said.
QString whyNoFolder(const QString& path, const std::error_code& failure)
{
    for (QFileInfo at(path); !at.filePath().isEmpty() && at.filePath() != at.path(); at.setFile(at.path())) {
        if (at.exists() && !at.isDir())
            return QStringLiteral("%1 はフォルダではなくファイルです。").arg(QDir::toNativeSeparators(at.filePath()));
        if (at.exists())
            break;
    }
    return errorOfErrno(failure.value()).parenText();
}

bool makeFolder(const QString& path, QString* error)
{
    std::error_code failure;
    std::filesystem::create_directories(std::filesystem::path(path.toStdU16String()), failure);
    if (!failure && QFileInfo(path).isDir())
        return true;
    if (!failure)
        failure = std::make_error_code(std::errc::not_a_directory);
    *error = QStringLiteral("控えのフォルダ %1 を作れません。%2")
                 .arg(QDir::toNativeSeparators(path), whyNoFolder(path, failure));
    return false;
}

// A new file under a hidden name, made as any file is (0666 less the umask): a temporary
// file would be 0600, unreadable to the colleagues who share the archive.
bool createPartFile(const QDir& folder, QFile* part)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        part->setFileName(folder.filePath(QStringLiteral(".archive-%1-%2.part")
                                              .arg(QCoreApplication::applicationPid())
                                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        errno = 0;
        if (part->open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// The settings file as an ordinary editor leaves it: a byte-order mark says the encoding,
// text without one is UTF-8 when it is valid UTF-8 and CP932 otherwise.
QByteArray settingsBytes(const QString& path)
{
    QByteArray bytes;
    if (!readWholeFile(path, &bytes) || detectEncoding(bytes) != TextEncoding::Cp932)
        return bytes;
    // Invalid UTF-8 comes back as U+FFFD and so does not survive the round trip.
    const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    return utf8 ? QByteArray("\xEF\xBB\xBF") + bytes : bytes;
}

} // namespace

QString viewerSettingsPath(const QString& viewerFolder)
{
    return QDir(viewerFolder).filePath(QStringLiteral("report-viewer.ini"));
}

QString archiveFolderSetting(const QString& viewerFolder)
{
    const std::optional<QString> stored = profile::findValue(settingsBytes(viewerSettingsPath(viewerFolder)),
                                                             QStringLiteral("Archive"), QStringLiteral("Folder"));
    QString value = stored.value_or(QString()).trimmed();
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        value = value.mid(1, value.size() - 2).trimmed();
    if (value.isEmpty())
        return QString();
    const QString folder = nativePath(value);
    return QDir::cleanPath(QDir(viewerFolder).absoluteFilePath(folder));
}

QString documentMonth(const Document& doc, const QDate& fallback)
{
    for (const Report& report : doc.reports) {
        if (report.layout.monthColumn.isEmpty() || !report.hasData)
            continue;
        const QString month = monthOf(report.data.value(0, report.layout.monthColumn));
        if (!month.isEmpty())
            return month;
    }
    return fallback.toString(QStringLiteral("yyyyMM"));
}

QString documentLayoutName(const Document& doc)
{
    const QString file =
        doc.reports.isEmpty() ? QString() : QFileInfo(doc.reports.first().layoutFile).completeBaseName();
    if (!file.isEmpty())
        return file;
    return doc.reports.isEmpty() || doc.reports.first().layout.name.isEmpty() ? doc.title
                                                                              : doc.reports.first().layout.name;
}

bool archivePrintedDocument(const Document& doc, const QString& folder, const QDateTime& printedAt, int from, int to,
                            QString* path, QString* error)
{
    const QDir month(QDir(folder).filePath(documentMonth(doc, printedAt.date())));
    if (!makeFolder(month.path(), error))
        return false;
    QByteArray bytes;
    if (!renderDocumentPdf(doc, from, to, &bytes, error))
        return false;

    // Written completely under a temporary name first, so the archive never holds half a file.
    QFile part;
    if (!createPartFile(month, &part)) {
        *error = QStringLiteral("控えのフォルダ %1 に書き込めません。%2")
                     .arg(QDir::toNativeSeparators(month.path()), errorOfErrno(errno).parenText());
        return false;
    }
    errno = 0;
    if (part.write(bytes) != bytes.size() || !part.flush()) {
        part.remove();
        *error = QStringLiteral("控えの PDF を %1 に書き込めません。%2")
                     .arg(QDir::toNativeSeparators(month.path()), errorOfErrno(errno).parenText());
        return false;
    }
    part.close();

    const QString stem = pdfFileNameForTitle(documentLayoutName(doc)).chopped(4) + u'_'
        + printedAt.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString target =
            month.filePath(n == 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1_%2.pdf").arg(stem).arg(n));
        if (QFileInfo::exists(target))
            continue;
        // QFile::rename never replaces an existing file (an exclusive rename or a link
        // underneath), so a print of another viewer in the same second keeps its copy.
        if (QFile::rename(part.fileName(), target)) {
            *path = target;
            return true;
        }
        if (!QFileInfo::exists(target)) {
            part.remove();
            *error = QStringLiteral("控えの PDF %1 を作れません。").arg(QDir::toNativeSeparators(target));
            return false;
        }
    }
    part.remove();
    *error =
        QStringLiteral("控えのフォルダ %1 に同じ時刻の PDF が多すぎます。").arg(QDir::toNativeSeparators(month.path()));
    return false;
}

QString archiveFailureMessage(const QString& error)
{
    return QStringLiteral("印刷しましたが、控えの PDF を保存できませんでした。\n%1").arg(error);
}
