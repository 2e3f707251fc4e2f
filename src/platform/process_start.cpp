#include "process_start.h"

#include "base/globals.h"
#include "base/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString findProgram(const QString& program)
{
    const QString p = nativePath(program);
    if (p.contains(u'/')) {
        QFileInfo fi(p);
        return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
    }
    const QString folder = gAppPath.isEmpty() ? programFolder() : nativePath(gAppPath);
    QFileInfo local(QDir(folder).filePath(p));
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(p);
}

bool startDetachedProgram(const QString& program, const QStringList& args, VbError* error)
{
    const QString path = findProgram(program);
    if (path.isEmpty()) {
        if (error)
            *error = vberr::fileNotFound();
        return false;
    }
    QProcess proc;
    proc.setProgram(path);
    proc.setArguments(args);
    proc.setStandardInputFile(QProcess::nullDevice());
    proc.setStandardOutputFile(QProcess::nullDevice());
    proc.setStandardErrorFile(QProcess::nullDevice());
    if (!proc.startDetached()) {
        if (error)
            *error = vberr::fileNotFound();
        return false;
    }
    return true;
}

QString commandLineText(const QString& program, const QStringList& args)
{
    QStringList parts{nativePath(program)};
    parts += args;
    return parts.join(u' ');
}
