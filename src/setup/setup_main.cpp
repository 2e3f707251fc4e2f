// monthly-records-setup DIR [--from OFFICE] [--demo] [--update] [--desktop]: lays out an
// installation folder from the installed program (see installation.h) and says what it did.
#include "setup/installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <pwd.h>
#include <unistd.h>

namespace {

const char* const kUsage =
    "使い方: monthly-records-setup フォルダ [--from 事務所のフォルダ] [--demo] [--update] [--desktop]\n"
    "  フォルダに、プログラム、ビューア、設定ファイル（Massage.ini、adodb.ini）、\n"
    "  TMP / SYS / DATA / ICON の各フォルダとレイアウトを用意します。ある設定ファイルや\n"
    "  データベースは書き換えません。\n"
    "  --from     事務所のフォルダの設定（Massage.ini、adodb.ini、印刷設定.ini、帳票Format.ini、\n"
    "             レイアウトなど）をそのまま写して、利用者ごとのフォルダを作ります\n"
    "  --demo     デモ用の組み込みデータベースを作り、adodb.ini をそれに向けます（adodb.ini がないとき）\n"
    "  --update   インストール版と異なるプログラム、ビューア、レイアウトを置き換えます\n"
    "  --desktop  このフォルダのプログラムを起動するデスクトップエントリを作ります\n"
    "  sudo から実行すると、--from のフォルダとデスクトップエントリは sudo を実行した利用者のものになります。\n";

// The user who ran sudo, when this runs as root under sudo.
std::optional<FileOwner> sudoUser()
{
    if (::geteuid() != 0)
        return std::nullopt;
    bool uidOk = false, gidOk = false;
    const uint uid = qEnvironmentVariable("SUDO_UID").toUInt(&uidOk);
    const uint gid = qEnvironmentVariable("SUDO_GID").toUInt(&gidOk);
    if (!uidOk || !gidOk || uid == 0)
        return std::nullopt;
    return FileOwner{static_cast<uid_t>(uid), static_cast<gid_t>(gid)};
}

QString applicationsFolder(const std::optional<FileOwner>& user)
{
    QString data;
    if (user) {
        // Root's environment says nothing of the invoking user's: their home's usual place.
        if (const passwd* pw = ::getpwuid(user->uid); pw && pw->pw_dir)
            data = QDir(QFile::decodeName(pw->pw_dir)).filePath(QStringLiteral(".local/share"));
    } else {
        data = qEnvironmentVariable("XDG_DATA_HOME");
    }
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(data).filePath(QStringLiteral("applications"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    SetupOptions options;
    const QStringList args = app.arguments().mid(1);
    auto refuse = [&](const QString& a) {
        err << "monthly-records-setup: 引数「" << a << "」は使えません。\n" << kUsage;
        return 2;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == u"--demo") {
            options.demo = true;
        } else if (a == u"--update") {
            options.update = true;
        } else if (a == u"--desktop") {
            options.desktopEntry = true;
        } else if (a == u"--from" || a.startsWith(u"--from=")) {
            const QString value = a == u"--from" ? args.value(++i) : a.mid(7);
            if (value.isEmpty() || !options.from.isEmpty())
                return refuse(a);
            options.from = value;
        } else if (a == u"--help" || a == u"-h") {
            out << kUsage;
            return 0;
        } else if (a.startsWith(u'-') || !options.target.isEmpty()) {
            return refuse(a);
        } else {
            options.target = a;
        }
    }
    if (options.target.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const std::optional<FileOwner> invoking = sudoUser();
    if (!options.from.isEmpty())
        options.folderOwner = invoking;
    options.entryOwner = invoking;
    options.applicationsDir = applicationsFolder(invoking);

    SetupReport report;
    const bool ok = setUpInstallation(installedSources(QCoreApplication::applicationDirPath()), options, &report);
    if (!options.from.isEmpty() && ::geteuid() == 0 && !invoking
        && !(report.created.isEmpty() && report.copied.isEmpty()))
        report.notes.append(QStringLiteral("root として実行したため、このフォルダの持ち主は root です。"
                                           "利用者のフォルダは、その利用者として（または sudo から）作ってください。"));
    for (const QString& line : reportLines(report))
        out << line << '\n';
    out.flush();
    if (!ok) {
        err << "monthly-records-setup: " << report.error << '\n';
        return 1;
    }
    return 0;
}
