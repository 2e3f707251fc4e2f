#include "installation.h"

#include "base/ini_file.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "common/sys_settings.h"
#include "db/connection_string.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

const char* const kViewerNames[] = {"wfrfv10.exe", "wfrimg10.exe", "WrVb6Viewer.exe"};
const char* const kFolderKeys[] = {"SYSTEM_TMP", "SYSTEM_SYS", "SYSTEM_DATA", "SYSTEM_ICON"};

QString shown(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// What a new file gets when it is not a copy: read and write as the umask allows (a
// temporary file alone would be private to its owner).
QFileDevice::Permissions newFilePermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions p;
    if (mode & S_IRUSR)
        p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        p |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        p |= QFileDevice::WriteOther;
    return p;
}

class Setup {
public:
    Setup(const SetupSources& s, const SetupOptions& o, SetupReport* r)
        : src(s), opt(o), rep(r), dir(QDir(QDir::cleanPath(QDir::current().absoluteFilePath(o.target))))
    { }

    bool run()
    {
        if (!makeFolder(dir.path()))
            return false;
        if (!placeBinary(src.program, QStringLiteral("monthly-records"))
            || !placeBinary(src.viewer, QStringLiteral("report-viewer")))
            return false;
        for (const char* name : kViewerNames)
            if (!placeViewerLink(QString::fromLatin1(name)))
                return false;
        const bool newMassage = !QFileInfo::exists(dir.filePath(QStringLiteral("Massage.ini")));
        if (!placeSetting(QStringLiteral("Massage.ini"), dir.filePath(QStringLiteral("Massage.ini"))))
            return false;
        if (newMassage && !opt.demo)
            rep->notes.append(QStringLiteral(
                "Massage.ini の BASEID は見本の 0103 です。この事務所の拠点に合わせて書き換えてください。"));
        QByteArray massage;
        if (!readWholeFile(dir.filePath(QStringLiteral("Massage.ini")), &massage))
            return fail(QStringLiteral("%1 が読めません。").arg(shown(dir.filePath(QStringLiteral("Massage.ini")))));
        QHash<QString, QString> folders;
        for (const char* key : kFolderKeys) {
            const QString k = QString::fromLatin1(key);
            const std::optional<QString> value = massageIniValue(massage, k);
            if (!value || value->trimmed().isEmpty()) {
                rep->notes.append(
                    QStringLiteral("Massage.ini に %1 がないため、そのフォルダは作りませんでした。").arg(k));
                continue;
            }
            const QString folder = nativePath(dir.path() + u'\\' + *value + u'\\');
            if (!makeFolder(folder))
                return false;
            folders.insert(k, folder);
        }
        if (folders.contains(QStringLiteral("SYSTEM_SYS"))
            && !placeLayouts(folders.value(QStringLiteral("SYSTEM_SYS"))))
            return false;
        if (folders.contains(QStringLiteral("SYSTEM_ICON"))
            && !placeWallpaper(massage, folders.value(QStringLiteral("SYSTEM_ICON"))))
            return false;
        if (folders.contains(QStringLiteral("SYSTEM_DATA"))) {
            const QDir data(folders.value(QStringLiteral("SYSTEM_DATA")));
            if (!placeSetting(QStringLiteral("print-settings.ini"), data.filePath(QStringLiteral("印刷設定.ini")))
                || !placeSetting(QStringLiteral("report-format.ini"), data.filePath(QStringLiteral("帳票Format.ini"))))
                return false;
        }
        const QString adodb = dir.filePath(QStringLiteral("adodb.ini"));
        const bool newAdodb = !QFileInfo::exists(adodb);
        if (!placeSetting(opt.demo ? QStringLiteral("adodb.ini") : QStringLiteral("adodb-sqlserver.ini"), adodb))
            return false;
        if (newAdodb && !opt.demo)
            rep->notes.append(
                QStringLiteral("adodb.ini の接続文字列を、この事務所の SQL Server に合わせて書き換えてください。"));
        if (!placeViewerSettings())
            return false;
        if (opt.demo && !placeDemoDatabase(adodb))
            return false;
        if (opt.desktopEntry && !placeDesktopEntry())
            return false;
        return true;
    }

private:
    bool fail(const QString& message)
    {
        rep->error = message;
        return false;
    }

    bool makeFolder(const QString& path)
    {
        const QFileInfo fi(path);
        if (fi.isDir())
            return true;
        errno = 0;
        if (fi.exists() || !QDir().mkpath(path))
            return fail(
                QStringLiteral("フォルダ %1 を作れません（%2）。")
                    .arg(shown(path), fi.exists() ? QStringLiteral("同じ名前のファイルがあります") : systemReason()));
        rep->created.append(shown(path) + u'/');
        return true;
    }

    // A new file: written completely under a temporary name, then renamed to a name that
    // must not exist yet (QFile::rename never replaces).
    bool createFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions perms = {})
    {
        QTemporaryFile part(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".setup-XXXXXX.part")));
        errno = 0;
        if (!part.open() || part.write(bytes) != bytes.size() || !part.flush())
            return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(path), systemReason()));
        part.close();
        part.setPermissions(perms.toInt() != 0 ? perms : newFilePermissions());
        if (!QFile::rename(part.fileName(), path)) {
            if (QFileInfo::exists(path)) // made meanwhile by someone else: theirs stays
                return true;
            return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(path), systemReason()));
        }
        part.setAutoRemove(false);
        return true;
    }

    bool replaceFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions perms)
    {
        VbError e;
        if (!writeFileReplacing(path, bytes, &e))
            return fail(QStringLiteral("%1 を置き換えられません。%2").arg(shown(path), e.parenText()));
        QFile::setPermissions(path, perms);
        return true;
    }

    bool readSource(const QString& path, QByteArray* bytes)
    {
        if (!readWholeFile(path, bytes))
            return fail(QStringLiteral("インストール元のファイル %1 が読めません。").arg(shown(path)));
        return true;
    }

    // A file of ours (program, viewer, layout): copied when missing; one that differs is kept,
    // or replaced with --update.
    bool placeCopy(const QString& from, const QString& to)
    {
        const QFileInfo target(to);
        if (target.exists() && target.canonicalFilePath() == QFileInfo(from).canonicalFilePath())
            return true; // setting up the folder the sources are in
        QByteArray bytes;
        if (!readSource(from, &bytes))
            return false;
        const QFileDevice::Permissions perms = QFileInfo(from).permissions();
        if (!target.exists() && !target.isSymLink()) {
            if (!createFile(to, bytes, perms))
                return false;
            rep->created.append(shown(to));
            return true;
        }
        QByteArray old;
        if (target.isFile() && readWholeFile(to, &old) && old == bytes)
            return true;
        if (!opt.update) {
            rep->differs.append(shown(to));
            return true;
        }
        if (!replaceFile(to, bytes, perms))
            return false;
        rep->replaced.append(shown(to));
        return true;
    }

    bool placeBinary(const QString& from, const QString& name) { return placeCopy(from, dir.filePath(name)); }

    bool placeViewerLink(const QString& name)
    {
        const QString path = dir.filePath(name);
        const QFileInfo fi(path);
        if (fi.isSymLink() && fi.symLinkTarget() == dir.filePath(QStringLiteral("report-viewer")))
            return true;
        if (fi.exists() || fi.isSymLink()) {
            if (!opt.update) {
                rep->differs.append(shown(path));
                return true;
            }
            if (!QFile::remove(path))
                return fail(QStringLiteral("%1 を置き換えられません（%2）。").arg(shown(path), systemReason()));
        }
        if (!QFile::link(QStringLiteral("report-viewer"), path))
            return fail(QStringLiteral("リンク %1 を作れません（%2）。").arg(shown(path), systemReason()));
        (fi.exists() || fi.isSymLink() ? rep->replaced : rep->created).append(shown(path));
        return true;
    }

    // A settings file from its UTF-8 template, written in CP932 with CRLF, only when missing.
    bool placeSetting(const QString& templateName, const QString& path)
    {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return true;
        QByteArray bytes;
        if (!readSource(QDir(src.templatesDir).filePath(templateName), &bytes))
            return false;
        if (!createFile(path, cp932Lines(splitLines(QString::fromUtf8(bytes)))))
            return false;
        rep->created.append(shown(path));
        return true;
    }

    // The viewer's own file stays UTF-8 (with a byte-order mark, so the INI reader and the
    // operator's editor agree on it).
    bool placeViewerSettings()
    {
        const QString path = dir.filePath(QStringLiteral("report-viewer.ini"));
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return true;
        QByteArray bytes;
        if (!readSource(QDir(src.templatesDir).filePath(QStringLiteral("report-viewer.ini")), &bytes))
            return false;
        const QString text = splitLines(QString::fromUtf8(bytes)).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        if (!createFile(path, encodeText(text, TextEncoding::Utf8Bom)))
            return false;
        rep->created.append(shown(path));
        return true;
    }

    bool placeLayouts(const QString& sys)
    {
        const QStringList layouts = QDir(src.layoutsDir).entryList({QStringLiteral("*.wfd")}, QDir::Files, QDir::Name);
        if (layouts.isEmpty())
            return fail(
                QStringLiteral("インストール元 %1 にレイアウト（*.wfd）がありません。").arg(shown(src.layoutsDir)));
        for (const QString& name : layouts)
            if (!placeCopy(QDir(src.layoutsDir).filePath(name), QDir(sys).filePath(name)))
                return false;
        return true;
    }

    bool placeWallpaper(const QByteArray& massage, const QString& icon)
    {
        // Only the picture the settings name, and only ours.
        const QString name = massageIniValue(massage, QStringLiteral("WALLPAPER")).value_or(QString());
        if (name != QFileInfo(src.wallpaper).fileName())
            return true;
        const QString path = QDir(icon).filePath(name);
        if (QFileInfo::exists(path))
            return true;
        return placeCopy(src.wallpaper, path);
    }

    bool placeDemoDatabase(const QString& adodb)
    {
        const QString connection =
            profile::getString(QStringLiteral("接続情報"), QStringLiteral("接続情報"), QString(), adodb);
        const ConnectionTarget t = parseConnectionString(connection, dir.path());
        if (t.kind != ConnectionTarget::Kind::Sqlite) {
            rep->notes.append(QStringLiteral("adodb.ini が組み込みデータベース（Provider=SQLite）を指していないため、"
                                             "デモデータベースは作りませんでした。"));
            return true;
        }
        if (QFileInfo::exists(t.sqlitePath))
            return true;
        if (!makeFolder(QFileInfo(t.sqlitePath).absolutePath()))
            return false;
        // Generated under a name of its own, then renamed: a failed run leaves nothing behind.
        QString part;
        {
            QTemporaryFile name(QFileInfo(t.sqlitePath).absoluteDir().filePath(QStringLiteral(".demo-XXXXXX.db")));
            if (!name.open())
                return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(t.sqlitePath), name.errorString()));
            part = name.fileName();
        }
        QProcess gen;
        gen.setStandardOutputFile(QProcess::nullDevice());
        gen.start(src.demoGenerator, {QStringLiteral("--out"), part});
        const bool ran = gen.waitForFinished(600000);
        const QString why = QString::fromLocal8Bit(gen.readAllStandardError()).trimmed();
        if (!ran || gen.exitStatus() != QProcess::NormalExit || gen.exitCode() != 0) {
            QFile::remove(part);
            return fail(QStringLiteral("デモデータベース %1 を作れません（%2）。")
                            .arg(shown(t.sqlitePath), why.isEmpty() ? gen.errorString() : why));
        }
        if (!QFile::rename(part, t.sqlitePath)) {
            QFile::remove(part);
            if (!QFileInfo::exists(t.sqlitePath))
                return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(t.sqlitePath), systemReason()));
            return true;
        }
        rep->created.append(shown(t.sqlitePath));
        return true;
    }

    bool placeDesktopEntry()
    {
        if (!makeFolder(opt.applicationsDir))
            return false;
        const QString path = QDir(opt.applicationsDir).filePath(desktopEntryFileName(dir.path()));
        const QByteArray bytes = desktopEntryText(dir.path(), src.icon).toUtf8();
        QByteArray old;
        if (readWholeFile(path, &old) && old == bytes)
            return true;
        // The entry is ours and names this folder only: it is brought up to date.
        const bool existed = QFileInfo::exists(path);
        if (existed ? !replaceFile(path, bytes, QFileInfo(path).permissions()) : !createFile(path, bytes))
            return false;
        (existed ? rep->replaced : rep->created).append(shown(path));
        return true;
    }

    const SetupSources& src;
    const SetupOptions& opt;
    SetupReport* rep;
    QDir dir;
};

// A value of type string in a desktop entry.
QString entryString(const QString& s)
{
    QString out;
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out;
}

// One quoted argument of an Exec key, before the string escaping of the whole value.
QString execArgument(const QString& arg)
{
    QString out = QStringLiteral("\"");
    for (QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out.replace(u'%', QStringLiteral("%%"));
}

} // namespace

SetupSources installedSources(const QString& setupFolder)
{
    const QDir bin(setupFolder);
    const QDir share(bin.filePath(QStringLiteral("../share/monthly-records")));
    SetupSources s;
    s.program = bin.filePath(QStringLiteral("monthly-records"));
    s.viewer = bin.filePath(QStringLiteral("report-viewer"));
    s.layoutsDir = bin.filePath(QStringLiteral("SYS"));
    s.wallpaper = bin.filePath(QStringLiteral("ICON/wallpaper.png"));
    s.demoGenerator = bin.filePath(QStringLiteral("monthly-demo-data"));
    s.templatesDir = QDir::cleanPath(share.filePath(QStringLiteral("templates")));
    s.icon = QDir::cleanPath(share.filePath(QStringLiteral("monthly-records.svg")));
    return s;
}

bool setUpInstallation(const SetupSources& sources, const SetupOptions& options, SetupReport* report)
{
    *report = SetupReport();
    if (options.target.trimmed().isEmpty()) {
        report->error = QStringLiteral("インストールフォルダが指定されていません。");
        return false;
    }
    Setup setup(sources, options, report);
    return setup.run();
}

QString desktopEntryFileName(const QString& programFolder)
{
    const QByteArray key = QDir::cleanPath(QDir(programFolder).absolutePath()).toUtf8();
    return QStringLiteral("monthly-records-%1.desktop")
        .arg(QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(12)));
}

QString desktopEntryText(const QString& programFolder, const QString& iconPath)
{
    const QDir dir(QDir::cleanPath(QDir(programFolder).absolutePath()));
    // The menu tells installation folders apart by their name (the parent's, for a "bin").
    QString label = dir.dirName();
    if (label == u"bin" && !QFileInfo(dir.absolutePath()).dir().dirName().isEmpty())
        label = QFileInfo(dir.absolutePath()).dir().dirName();
    const QString program = dir.filePath(QStringLiteral("monthly-records"));
    QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Version=1.4"),
        QStringLiteral("Name=Monthly records (%1)").arg(entryString(label)),
        QStringLiteral("Name[ja]=利用者別月間実績表（%1）").arg(entryString(label)),
        QStringLiteral("GenericName=Treatment continuation forms and plans"),
        QStringLiteral("GenericName[ja]=施術継続理由書／頻回施術計画書"),
        QStringLiteral("Comment=The month's users, continuation forms, treatment plans and monthly tables of %1")
            .arg(entryString(QDir::toNativeSeparators(dir.path()))),
        QStringLiteral(
            "Comment[ja]=月間の利用者一覧から継続理由・状況記入書、施術計画書、月間実績表・予定表を印刷します（%1）")
            .arg(entryString(QDir::toNativeSeparators(dir.path()))),
        QStringLiteral("Exec=%1 1").arg(entryString(execArgument(program))),
        QStringLiteral("Path=%1").arg(entryString(dir.path())),
        QStringLiteral("Icon=%1").arg(entryString(iconPath)),
        QStringLiteral("Terminal=false"),
        QStringLiteral("Categories=Office;"),
        QStringLiteral("Keywords=massage;acupuncture;continuation;treatment plan;"),
        QStringLiteral("Keywords[ja]=マッサージ;鍼灸;継続理由;施術計画書;月間実績;"),
    };
    return lines.join(u'\n') + u'\n';
}

QStringList reportLines(const SetupReport& r)
{
    QStringList out;
    for (const QString& p : r.created)
        out.append(QStringLiteral("作成しました: %1").arg(p));
    for (const QString& p : r.replaced)
        out.append(QStringLiteral("置き換えました: %1").arg(p));
    for (const QString& p : r.differs)
        out.append(
            QStringLiteral("そのままにしました（インストール版と異なります。置き換えるには --update）: %1").arg(p));
    for (const QString& n : r.notes)
        out.append(QStringLiteral("注意: %1").arg(n));
    if (r.error.isEmpty() && r.created.isEmpty() && r.replaced.isEmpty())
        out.append(QStringLiteral("変更はありません（必要なものはすべてそろっています）。"));
    return out;
}
