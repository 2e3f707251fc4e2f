#include "program_run.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

QStringList ProgramRun::lines(const QString& prefix) const
{
    QStringList out;
    for (const QString& l : stderrLines)
        if (l.startsWith(prefix + u'\t'))
            out.append(l);
    return out;
}

ProgramRun runProgram(const QString& program, const QStringList& args, const QStringList& env,
                      const QString& workingDir, int timeoutMs)
{
    ProgramRun run;
    run.folder = workingDir;
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env)
        e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(program, args);
    run.finished = p.waitForFinished(timeoutMs);
    if (!run.finished)
        p.kill();
    run.exitCode = p.exitCode();
    run.stdoutText = QString::fromUtf8(p.readAllStandardOutput());
    run.stderrLines = QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

ProgramRun runInstalledProgram(const TestInstall& inst, const QString& binary, const QStringList& args,
                               const QStringList& env, int timeoutMs)
{
    const QString copy = inst.file(QFileInfo(binary).fileName());
    if (!QFileInfo::exists(copy))
        QFile::copy(binary, copy);
    return runProgram(
        copy, args,
        QStringList{QStringLiteral("MONTHLY_RECORDS_SCRIPTED=1"), QStringLiteral("QT_QPA_PLATFORM=offscreen")} + env,
        inst.path(), timeoutMs);
}
