#include "print_archive.h"

#include "page_compose.h"
#include "viewer_job.h"

#include "base/ini_file.h"
#include "base/paths.h"
#include "base/vb_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>

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

} // namespace

QString viewerSettingsPath(const QString& viewerFolder)
{
    return QDir(viewerFolder).filePath(QStringLiteral("report-viewer.ini"));
}

QString archiveFolderSetting(const QString& viewerFolder)
{
    const QString value = profile::getString(QStringLiteral("Archive"), QStringLiteral("Folder"), QString(),
                                             viewerSettingsPath(viewerFolder), 1024)
                              .trimmed();
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
    if (!QDir().mkpath(month.path()) || !QFileInfo(month.path()).isDir()) {
        *error = QStringLiteral("控えのフォルダ %1 を作れません。").arg(QDir::toNativeSeparators(month.path()));
        return false;
    }
    QByteArray bytes;
    if (!renderDocumentPdf(doc, from, to, &bytes, error))
        return false;

    // Written completely under a temporary name first, so the archive never holds half a file.
    QTemporaryFile part(month.filePath(QStringLiteral(".archive-XXXXXX.part")));
    part.setAutoRemove(true);
    errno = 0;
    if (!part.open()) {
        *error = QStringLiteral("控えのフォルダ %1 に書き込めません。%2")
                     .arg(QDir::toNativeSeparators(month.path()), errorOfErrno(errno).parenText());
        return false;
    }
    errno = 0;
    if (part.write(bytes) != bytes.size() || !part.flush()) {
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
            part.setAutoRemove(false);
            *path = target;
            return true;
        }
        if (!QFileInfo::exists(target)) {
            *error = QStringLiteral("控えの PDF %1 を作れません。").arg(QDir::toNativeSeparators(target));
            return false;
        }
    }
    *error =
        QStringLiteral("控えのフォルダ %1 に同じ時刻の PDF が多すぎます。").arg(QDir::toNativeSeparators(month.path()));
    return false;
}

QString archiveFailureMessage(const QString& error)
{
    return QStringLiteral("印刷しましたが、控えの PDF を保存できませんでした。\n%1").arg(error);
}
