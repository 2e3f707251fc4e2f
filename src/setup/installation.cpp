#include "installation.h"

#include "base/ini_file.h"
#include "base/paths.h"
#include "base/system_error.h"
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
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kViewerNames[] = {"wfrfv10.exe", "wfrimg10.exe", "WrVb6Viewer.exe"};
const char* const kFolderKeys[] = {"SYSTEM_TMP", "SYSTEM_SYS", "SYSTEM_DATA", "SYSTEM_ICON"};
// Files of the suite in the program folder that an office's folder lends a user's (--from),
// beyond Massage.ini and adodb.ini: the viewer's settings, the edition marker, the help's files.
const char* const kOfficeProgramFiles[] = {"report-viewer.ini", "KovaniTZSVer.ini", "Kovani.Ver", "EmapUser.ini"};

QString shown(const QString& path) { return QDir::toNativeSeparators(QDir::cleanPath(path)); }

bool present(const QString& path)
{
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

// What a new file gets when it is not a copy of a program: read and write as the umask allows
// (a temporary file alone would be private to its owner).
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
        if (!opt.from.isEmpty() && !openOffice())
            return false;
        if (!makeFolder(dir.path(), opt.folderOwner) || !placePrograms())
            return false;
        QByteArray massage;
        QHash<QString, QString> folders;
        if (!placeMassageIni(&massage) || !makeNamedFolders(massage, &folders))
            return false;
        if (folders.contains(QStringLiteral("SYSTEM_SYS"))
            && !placeLayouts(folders.value(QStringLiteral("SYSTEM_SYS"))))
            return false;
        if (folders.contains(QStringLiteral("SYSTEM_ICON"))
            && !placeWallpaper(massage, folders.value(QStringLiteral("SYSTEM_ICON"))))
            return false;
        if (folders.contains(QStringLiteral("SYSTEM_DATA"))
            && !placeDataSettings(folders.value(QStringLiteral("SYSTEM_DATA"))))
            return false;
        const QString adodb = inFolder(QStringLiteral("adodb.ini"));
        const bool newAdodb = !present(adodb);
        const QString officeAdodb = officeFile(office, QStringLiteral("adodb.ini"));
        if (!placeAdodbIni(adodb, newAdodb, officeAdodb) || !placeViewerSettings() || !copyOfficeProgramFiles())
            return false;
        if (opt.demo && !placeDemoDatabase(adodb))
            return false;
        if (!opt.demo && newAdodb && !officeAdodb.isEmpty())
            noteEmbeddedDatabase(adodb);
        return !opt.desktopEntry || placeDesktopEntry();
    }

private:
    // The program, the viewer and the viewer's old names.
    bool placePrograms()
    {
        if (!placeBinary(src.program, QStringLiteral("monthly-records"))
            || !placeBinary(src.viewer, QStringLiteral("report-viewer")))
            return false;
        for (const char* name : kViewerNames)
            if (!placeViewerLink(QString::fromLatin1(name)))
                return false;
        return true;
    }

    // Massage.ini (the office's, or the template), then its bytes as the folder now has them.
    bool placeMassageIni(QByteArray* massage)
    {
        const QString massagePath = inFolder(QStringLiteral("Massage.ini"));
        const bool newMassage = !present(massagePath);
        const QString officeMassagePath = officeFile(office, QStringLiteral("Massage.ini"));
        if (!placeSetting(QStringLiteral("Massage.ini"), massagePath, officeMassagePath))
            return false;
        if (newMassage && officeMassagePath.isEmpty() && !opt.demo)
            rep->notes.append(QStringLiteral(
                "Massage.ini の BASEID は見本の 0103 です。この事務所の拠点に合わせて書き換えてください。"));
        if (!readWholeFile(massagePath, massage))
            return fail(QStringLiteral("%1 が読めません。").arg(shown(massagePath)));
        return true;
    }

    // The folders Massage.ini names, found as the program finds them: the program folder followed by the value.
    bool makeNamedFolders(const QByteArray& massage, QHash<QString, QString>* folders)
    {
        for (const char* key : kFolderKeys) {
            const QString k = QString::fromLatin1(key);
            const std::optional<QString> value = massageIniValue(massage, k);
            if (!value || value->trimmed().isEmpty()) {
                rep->notes.append(
                    QStringLiteral("Massage.ini に %1 がないため、そのフォルダは作りませんでした。").arg(k));
                continue;
            }
            const QString folder = pathInFolder(dir.path(), *value + u'\\');
            if (!makeFolder(folder, opt.folderOwner))
                return false;
            folders->insert(k, folder);
        }
        return true;
    }

    // 印刷設定.ini and 帳票Format.ini in the data folder.
    bool placeDataSettings(const QString& data)
    {
        const QString officeData = officeFolder("SYSTEM_DATA");
        return placeSetting(QStringLiteral("print-settings.ini"), pathInFolder(data, QStringLiteral("印刷設定.ini")),
                            officeFile(officeData, QStringLiteral("印刷設定.ini")))
            && placeSetting(QStringLiteral("report-format.ini"), pathInFolder(data, QStringLiteral("帳票Format.ini")),
                            officeFile(officeData, QStringLiteral("帳票Format.ini")));
    }

    bool placeAdodbIni(const QString& adodb, bool isNew, const QString& officeAdodb)
    {
        if (!placeSetting(opt.demo ? QStringLiteral("adodb.ini") : QStringLiteral("adodb-sqlserver.ini"), adodb,
                          officeAdodb))
            return false;
        if (isNew && officeAdodb.isEmpty() && !opt.demo)
            rep->notes.append(
                QStringLiteral("adodb.ini の接続文字列を、この事務所の SQL Server に合わせて書き換えてください。"));
        return true;
    }

    // The office's other files of the program folder (the viewer's settings are placed on their own).
    bool copyOfficeProgramFiles()
    {
        for (const char* name : kOfficeProgramFiles) {
            const QString n = QString::fromLatin1(name);
            if (n != u"report-viewer.ini" && !copyFromOffice(officeFile(office, n), inFolder(n)))
                return false;
        }
        return true;
    }

    bool fail(const QString& message)
    {
        rep->error = message;
        return false;
    }

    // A file of the folder, in whatever case it exists.
    QString inFolder(const QString& name) const { return pathInFolder(dir.path(), u'/' + name); }

    // The office's folder (--from): there, with Massage.ini, and not the folder being set up.
    bool openOffice()
    {
        const QFileInfo fi(QDir::current().absoluteFilePath(opt.from));
        office = QDir::cleanPath(fi.absoluteFilePath());
        if (!fi.isDir())
            return fail(QStringLiteral("事務所のフォルダ %1 がありません。").arg(shown(office)));
        if (fi.canonicalFilePath() == QFileInfo(dir.path()).canonicalFilePath())
            return fail(QStringLiteral("事務所のフォルダと同じフォルダには作れません: %1").arg(shown(office)));
        const QString massage = officeFile(office, QStringLiteral("Massage.ini"));
        if (massage.isEmpty())
            return fail(QStringLiteral("事務所のフォルダ %1 に Massage.ini がありません。").arg(shown(office)));
        if (!readWholeFile(massage, &officeMassage))
            return fail(QStringLiteral("事務所のフォルダのファイル %1 が読めません。").arg(shown(massage)));
        return true;
    }

    // A file of the office's folder, in whatever case it exists there; empty without --from or file.
    QString officeFile(const QString& folder, const QString& name) const
    {
        if (opt.from.isEmpty() || folder.isEmpty())
            return QString();
        const QString path = pathInFolder(folder, u'/' + name);
        return QFileInfo(path).isFile() ? path : QString();
    }

    // A folder the office's Massage.ini names, as the program finds it there; empty when none.
    QString officeFolder(const char* key) const
    {
        if (opt.from.isEmpty())
            return QString();
        const std::optional<QString> value = massageIniValue(officeMassage, QString::fromLatin1(key));
        if (!value || value->trimmed().isEmpty())
            return QString();
        const QString folder = pathInFolder(office, *value + u'\\');
        return QFileInfo(folder).isDir() ? folder : QString();
    }

    // Gives what was made to its owner (sudo: the invoking user) and lists it.
    bool made(QStringList* list, const QString& path, const std::optional<FileOwner>& owner, bool folder = false)
    {
        if (owner && ::lchown(QFile::encodeName(path).constData(), owner->uid, owner->gid) != 0)
            return fail(QStringLiteral("%1 の持ち主を変えられません（%2）。").arg(shown(path), systemErrorText(errno)));
        list->append(shown(path) + (folder ? QStringLiteral("/") : QString()));
        return true;
    }

    // The folder and every missing folder above it, each listed.
    bool makeFolder(const QString& path, const std::optional<FileOwner>& owner)
    {
        QString p = QDir::cleanPath(QDir::current().absoluteFilePath(path));
        if (QFileInfo(p).isDir())
            return true;
        QStringList missing;
        for (; !present(p); p = QFileInfo(p).absolutePath())
            missing.prepend(p);
        if (!QFileInfo(p).isDir())
            return fail(QStringLiteral("フォルダ %1 を作れません（%2）。")
                            .arg(shown(path),
                                 p == QDir::cleanPath(QDir::current().absoluteFilePath(path))
                                     ? QStringLiteral("同じ名前のファイルがあります")
                                     : systemErrorText(ENOTDIR)));
        for (const QString& m : missing) {
            if (::mkdir(QFile::encodeName(m).constData(), 0777) != 0) {
                const int error = errno;
                if (error == EEXIST && QFileInfo(m).isDir()) // made meanwhile by someone else
                    continue;
                return fail(
                    QStringLiteral("フォルダ %1 を作れません（%2）。").arg(shown(path), systemErrorText(error)));
            }
            if (!made(&rep->created, m, owner, true))
                return false;
        }
        return true;
    }

    // A new file: written completely under a temporary name, then renamed to a name that
    // must not exist yet (QFile::rename never replaces). False: made meanwhile by someone else.
    bool createFile(const QString& path, const QByteArray& bytes, bool* createdNow, QFileDevice::Permissions perms = {})
    {
        *createdNow = false;
        QTemporaryFile part(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".setup-XXXXXX.part")));
        errno = 0;
        if (!part.open() || part.write(bytes) != bytes.size() || !part.flush())
            return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(path), systemErrorText(errno)));
        part.close();
        part.setPermissions(perms.toInt() != 0 ? perms : newFilePermissions());
        errno = 0;
        if (!QFile::rename(part.fileName(), path)) {
            if (present(path)) // theirs stays
                return true;
            return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(path), systemErrorText(errno)));
        }
        part.setAutoRemove(false);
        *createdNow = true;
        return true;
    }

    // A new file, listed (and given to its owner) when this run made it.
    bool placeFile(QStringList* list, const QString& path, const QByteArray& bytes,
                   const std::optional<FileOwner>& owner, QFileDevice::Permissions perms = {})
    {
        bool createdNow = false;
        if (!createFile(path, bytes, &createdNow, perms))
            return false;
        return !createdNow || made(list, path, owner);
    }

    bool replaceFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions perms,
                     const std::optional<FileOwner>& owner)
    {
        VbError e;
        if (!writeFileReplacing(path, bytes, &e))
            return fail(QStringLiteral("%1 を置き換えられません。%2").arg(shown(path), e.parenText()));
        QFile::setPermissions(path, perms);
        return made(&rep->replaced, path, owner);
    }

    bool readSource(const QString& path, QByteArray* bytes, bool office = false)
    {
        if (!readWholeFile(path, bytes))
            return fail((office ? QStringLiteral("事務所のフォルダのファイル %1 が読めません。")
                                : QStringLiteral("インストール元のファイル %1 が読めません。"))
                            .arg(shown(path)));
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
        if (!present(to))
            return placeFile(&rep->created, to, bytes, opt.folderOwner, perms);
        QByteArray old;
        if (target.isFile() && readWholeFile(to, &old) && old == bytes)
            return true;
        if (!opt.update) {
            rep->differs.append(shown(to));
            return true;
        }
        return replaceFile(to, bytes, perms, opt.folderOwner);
    }

    // A file of the office's folder, byte for byte, when it is there and the folder lacks it.
    bool copyFromOffice(const QString& from, const QString& to)
    {
        if (from.isEmpty() || present(to))
            return true;
        QByteArray bytes;
        return readSource(from, &bytes, true) && placeFile(&rep->copied, to, bytes, opt.folderOwner);
    }

    bool placeBinary(const QString& from, const QString& name) { return placeCopy(from, dir.filePath(name)); }

    // The names the program starts the viewer by: exact, as the program asks for them.
    bool placeViewerLink(const QString& name)
    {
        const QString path = dir.filePath(name);
        const QFileInfo fi(path);
        if (fi.isSymLink() && fi.symLinkTarget() == dir.filePath(QStringLiteral("report-viewer")))
            return true;
        const bool existed = present(path);
        if (existed) {
            if (!opt.update) {
                rep->differs.append(shown(path));
                return true;
            }
            errno = 0;
            if (!QFile::remove(path))
                return fail(QStringLiteral("%1 を置き換えられません（%2）。").arg(shown(path), systemErrorText(errno)));
        }
        errno = 0;
        if (!QFile::link(QStringLiteral("report-viewer"), path))
            return fail(QStringLiteral("リンク %1 を作れません（%2）。").arg(shown(path), systemErrorText(errno)));
        return made(existed ? &rep->replaced : &rep->created, path, opt.folderOwner);
    }

    // A settings file, only when missing: the office's bytes (--from), else from its UTF-8
    // template, written in CP932 with CRLF.
    bool placeSetting(const QString& templateName, const QString& path, const QString& officeSource = QString())
    {
        if (present(path))
            return true;
        if (!officeSource.isEmpty())
            return copyFromOffice(officeSource, path);
        QByteArray bytes;
        if (!readSource(QDir(src.templatesDir).filePath(templateName), &bytes))
            return false;
        return placeFile(&rep->created, path, cp932Lines(splitLines(QString::fromUtf8(bytes))), opt.folderOwner);
    }

    // The viewer's own file stays UTF-8 (with a byte-order mark, so the INI reader and the
    // operator's editor agree on it). The viewer reads it by this exact name.
    bool placeViewerSettings()
    {
        const QString path = dir.filePath(QStringLiteral("report-viewer.ini"));
        if (present(path))
            return true;
        const QString office = officeFile(this->office, QStringLiteral("report-viewer.ini"));
        if (!office.isEmpty())
            return copyFromOffice(office, path);
        QByteArray bytes;
        if (!readSource(QDir(src.templatesDir).filePath(QStringLiteral("report-viewer.ini")), &bytes))
            return false;
        const QString text = splitLines(QString::fromUtf8(bytes)).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        return placeFile(&rep->created, path, encodeText(text, TextEncoding::Utf8Bom), opt.folderOwner);
    }

    // The office's layouts first (--from), then ours for the names still missing.
    bool placeLayouts(const QString& sys)
    {
        if (const QString officeSys = officeFolder("SYSTEM_SYS"); !officeSys.isEmpty()) {
            for (const QString& name : QDir(officeSys).entryList(QDir::Files, QDir::Name))
                if (name.endsWith(QStringLiteral(".wfd"), Qt::CaseInsensitive)
                    && !copyFromOffice(QDir(officeSys).filePath(name), pathInFolder(sys, u'/' + name)))
                    return false;
        }
        const QStringList layouts = QDir(src.layoutsDir).entryList({QStringLiteral("*.wfd")}, QDir::Files, QDir::Name);
        if (layouts.isEmpty())
            return fail(
                QStringLiteral("インストール元 %1 にレイアウト（*.wfd）がありません。").arg(shown(src.layoutsDir)));
        for (const QString& name : layouts)
            if (!placeCopy(QDir(src.layoutsDir).filePath(name), pathInFolder(sys, u'/' + name)))
                return false;
        return true;
    }

    bool placeWallpaper(const QByteArray& massage, const QString& icon)
    {
        const QString name = massageIniValue(massage, QStringLiteral("WALLPAPER")).value_or(QString());
        if (name.trimmed().isEmpty())
            return true;
        // The icon folder followed directly by the value, as the program reads it.
        const QString path = pathInFolder(icon, name);
        if (present(path))
            return true;
        // The office's picture (--from); otherwise only ours, and only when the settings name it.
        if (const QString officeIcon = officeFolder("SYSTEM_ICON"); !officeIcon.isEmpty())
            if (const QString picture = pathInFolder(officeIcon, name); QFileInfo(picture).isFile())
                return copyFromOffice(picture, path);
        if (name != QFileInfo(src.wallpaper).fileName())
            return true;
        return placeCopy(src.wallpaper, path);
    }

    // A copied adodb.ini that names an embedded database by a path relative to the program
    // folder reaches a database of this folder, not the office's.
    void noteEmbeddedDatabase(const QString& adodb)
    {
        const QString connection =
            profile::getString(QStringLiteral("接続情報"), QStringLiteral("接続情報"), QString(), adodb);
        const ConnectionTarget t = parseConnectionString(connection, dir.path());
        if (t.kind != ConnectionTarget::Kind::Sqlite || present(t.sqlitePath))
            return;
        const ConnectionTarget theirs = parseConnectionString(connection, office);
        rep->notes.append(
            QStringLiteral("adodb.ini の組み込みデータベース %1 はこのフォルダにありません。"
                           "事務所のデータベースを使うには、adodb.ini の Data Source に %2 と書いてください。")
                .arg(shown(t.sqlitePath), shown(theirs.sqlitePath)));
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
        if (present(t.sqlitePath))
            return true;
        if (!makeFolder(QFileInfo(t.sqlitePath).absolutePath(), opt.folderOwner))
            return false;
        // Generated under a name of its own, then renamed: a failed run leaves nothing behind.
        QString part;
        {
            QTemporaryFile name(QFileInfo(t.sqlitePath).absoluteDir().filePath(QStringLiteral(".demo-XXXXXX.db")));
            errno = 0;
            if (!name.open())
                return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(t.sqlitePath), systemErrorText(errno)));
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
        errno = 0;
        if (!QFile::rename(part, t.sqlitePath)) {
            const int error = errno;
            QFile::remove(part);
            if (!present(t.sqlitePath))
                return fail(QStringLiteral("%1 を作れません（%2）。").arg(shown(t.sqlitePath), systemErrorText(error)));
            return true;
        }
        return made(&rep->created, t.sqlitePath, opt.folderOwner);
    }

    bool placeDesktopEntry()
    {
        if (!makeFolder(opt.applicationsDir, opt.entryOwner))
            return false;
        const QString path = QDir(opt.applicationsDir).filePath(desktopEntryFileName(dir.path()));
        rep->desktopEntry = shown(path);
        const QByteArray bytes = desktopEntryText(dir.path(), src.icon).toUtf8();
        QByteArray old;
        if (readWholeFile(path, &old) && old == bytes)
            return true;
        // The entry is ours and names this folder only: it is brought up to date.
        if (present(path))
            return replaceFile(path, bytes, QFileInfo(path).permissions(), opt.entryOwner);
        return placeFile(&rep->created, path, bytes, opt.entryOwner);
    }

    const SetupSources& src;
    const SetupOptions& opt;
    SetupReport* rep;
    QDir dir;
    QString office;           // --from, absolute
    QByteArray officeMassage; // its Massage.ini
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
    for (const QString& p : r.copied)
        out.append(QStringLiteral("事務所のフォルダから写しました: %1").arg(p));
    for (const QString& p : r.replaced)
        out.append(QStringLiteral("置き換えました: %1").arg(p));
    for (const QString& p : r.differs)
        out.append(
            QStringLiteral("そのままにしました（インストール版と異なります。置き換えるには --update）: %1").arg(p));
    for (const QString& n : r.notes)
        out.append(QStringLiteral("注意: %1").arg(n));
    if (!r.desktopEntry.isEmpty())
        out.append(QStringLiteral("デスクトップエントリ: %1").arg(r.desktopEntry));
    // Kept files that differ are a change the operator may still want (--update).
    if (r.error.isEmpty() && r.created.isEmpty() && r.copied.isEmpty() && r.replaced.isEmpty() && r.differs.isEmpty())
        out.append(QStringLiteral("変更はありません（必要なものはすべてそろっています）。"));
    return out;
}
