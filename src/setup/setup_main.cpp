// monthly-records-setup DIR [--demo] [--update] [--desktop]: lays out an installation folder
// from the installed program (see installation.h) and says what it created.
#include "setup/installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

const char* const kUsage =
    "使い方: monthly-records-setup フォルダ [--demo] [--update] [--desktop]\n"
    "  フォルダに、プログラム、ビューア、設定ファイル（Massage.ini、adodb.ini）、\n"
    "  TMP / SYS / DATA / ICON の各フォルダとレイアウトを用意します。ある設定ファイルや\n"
    "  データベースは書き換えません。\n"
    "  --demo     デモ用の組み込みデータベースを作り、adodb.ini をそれに向けます（adodb.ini がないとき）\n"
    "  --update   インストール版と異なるプログラム、ビューア、レイアウトを置き換えます\n"
    "  --desktop  このフォルダのプログラムを起動するデスクトップエントリを作ります\n";

QString applicationsFolder()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
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
    for (const QString& a : app.arguments().mid(1)) {
        if (a == u"--demo") {
            options.demo = true;
        } else if (a == u"--update") {
            options.update = true;
        } else if (a == u"--desktop") {
            options.desktopEntry = true;
        } else if (a == u"--help" || a == u"-h") {
            out << kUsage;
            return 0;
        } else if (a.startsWith(u'-') || !options.target.isEmpty()) {
            err << "monthly-records-setup: 引数「" << a << "」は使えません。\n" << kUsage;
            return 2;
        } else {
            options.target = a;
        }
    }
    if (options.target.isEmpty()) {
        err << kUsage;
        return 2;
    }
    options.applicationsDir = applicationsFolder();

    SetupReport report;
    const bool ok = setUpInstallation(installedSources(QCoreApplication::applicationDirPath()), options, &report);
    for (const QString& line : reportLines(report))
        out << line << '\n';
    out.flush();
    if (!ok) {
        err << "monthly-records-setup: " << report.error << '\n';
        return 1;
    }
    return 0;
}
