// Installation folders: a new folder, a second run, a folder of the suite that already has
// its settings, failures, and the desktop entry.
#include "setup/installation.h"

#include "base/ini_file.h"
#include "base/text_file.h"
#include "support/program_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SetupSources buildTreeSources()
{
    SetupSources s;
    s.program = QStringLiteral(MONTHLY_RECORDS_BIN);
    s.viewer = QStringLiteral(REPORT_VIEWER_BIN);
    s.layoutsDir = QStringLiteral(MONTHLY_SOURCE_DIR "/layouts");
    s.wallpaper = QStringLiteral(MONTHLY_SOURCE_DIR "/demo/wallpaper.png");
    s.templatesDir = QStringLiteral(SETUP_TEMPLATES_DIR);
    s.demoGenerator = QStringLiteral(DEMO_DATA_BIN);
    s.icon = QStringLiteral(MONTHLY_SOURCE_DIR "/src/setup/templates/monthly-records.svg");
    return s;
}

// folderSnapshot with each file's modification time: a run that changes nothing touches nothing.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> out = folderSnapshot(root);
    for (auto it = out.begin(); it != out.end(); ++it)
        if (const QFileInfo fi(QDir(root).filePath(it.key())); fi.isFile() && !fi.isSymLink())
            it.value() += ' ' + QByteArray::number(fi.lastModified().toMSecsSinceEpoch());
    return out;
}

// Every entry of an earlier snapshot of the folder as it was, but for those named.
void expectKept(
    const QMap<QString, QByteArray>& before, const QString& folder,
    const std::function<bool(const QString&)>& replaced = [](const QString&) { return false; })
{
    const QMap<QString, QByteArray> now = folderSnapshot(folder);
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!replaced(it.key())) {
            EXPECT_EQ(now.value(it.key()), it.value()) << it.key().toStdString();
        }
}

void writeFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::Truncate)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | mode)) << path.toStdString();
    f.write(bytes);
}

class Setup : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    mode_t oldMask = ::umask(022);
    ~Setup() override { ::umask(oldMask); }

    // Sets the folder up (from an office's folder when one is named) as it is expected to end.
    SetupReport setUp(const QString& folder, bool demo, bool update = false, const QString& from = {},
                      bool succeeds = true)
    {
        SetupOptions o;
        o.target = folder;
        o.demo = demo;
        o.update = update;
        o.from = from;
        SetupReport r;
        EXPECT_EQ(setUpInstallation(buildTreeSources(), o, &r), succeeds) << r.error.toStdString();
        return r;
    }
};

// A user account made for one test with useradd (root only) and removed again; runs programs as
// that user through setpriv.
class ScratchUser {
public:
    explicit ScratchUser(const QString& home)
    {
        if (::geteuid() != 0) {
            why = "not running as root: no user account can be made for this test";
            return;
        }
        name = QStringLiteral("mr-test-%1").arg(QCoreApplication::applicationPid());
        const ProgramRun add = runProgram(
            "useradd", {"--no-create-home", "--home-dir", home, "--shell", "/usr/sbin/nologin", "--user-group", name});
        const passwd* pw = ::getpwnam(name.toLatin1().constData());
        if (add.exitCode != 0 || !pw) {
            why = "useradd failed: " + add.stderrLines.join(' ').toStdString();
            name.clear();
            return;
        }
        uid = pw->pw_uid;
        gid = pw->pw_gid;
        QDir().mkpath(home + "/.runtime");
        for (const QString& d : {home, home + "/.runtime"}) {
            EXPECT_EQ(::chown(QFile::encodeName(d).constData(), uid, gid), 0);
            QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        env = {"HOME=" + home,   "USER=" + name, "LOGNAME=" + name, "XDG_RUNTIME_DIR=" + home + "/.runtime",
               "XDG_DATA_HOME=", "SUDO_UID=",    "SUDO_GID="};
    }
    ~ScratchUser()
    {
        if (!name.isEmpty())
            runProgram("userdel", {name});
    }
    bool ready() const { return why.empty(); }
    ProgramRun run(const QString& program, const QStringList& args, const QStringList& more = {},
                   const QString& folder = {}) const
    {
        const QStringList asUser{"--reuid=" + QString::number(uid), "--regid=" + QString::number(gid), "--init-groups"};
        return runProgram("setpriv", asUser + QStringList{"--", program} + args, env + more, folder, 120000);
    }

    std::string why;
    QString name;
    uid_t uid = 0;
    gid_t gid = 0;
    QStringList env;
};

// The tree the package installs (bin/ with the layouts and the wallpaper, share/monthly-records/),
// made from this build; the setup command there takes its sources from it as installed.
QString installedTree(const QString& root)
{
    const QDir bin(root + "/bin");
    bin.mkpath("SYS");
    bin.mkpath("ICON");
    for (const char* program : {SETUP_BIN, MONTHLY_RECORDS_BIN, REPORT_VIEWER_BIN, DEMO_DATA_BIN})
        EXPECT_TRUE(QFile::copy(program, bin.filePath(QFileInfo(program).fileName()))) << program;
    for (const QString& name : QDir(MONTHLY_SOURCE_DIR "/layouts").entryList({"*.wfd"}))
        QFile::copy(MONTHLY_SOURCE_DIR "/layouts/" + name, bin.filePath("SYS/" + name));
    QFile::copy(MONTHLY_SOURCE_DIR "/demo/wallpaper.png", bin.filePath("ICON/wallpaper.png"));
    const QDir share(root + "/share/monthly-records");
    share.mkpath("templates");
    for (const QString& name : QDir(SETUP_TEMPLATES_DIR).entryList(QDir::Files))
        QFile::copy(SETUP_TEMPLATES_DIR "/" + name, share.filePath("templates/" + name));
    QFile::copy(MONTHLY_SOURCE_DIR "/src/setup/templates/monthly-records.svg", share.filePath("monthly-records.svg"));
    return bin.filePath("monthly-records-setup");
}

// Entries below a folder (and the folder) whose owner is not the user.
QStringList notOwnedBy(const QString& folder, uid_t uid)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    for (QString p = folder; !p.isEmpty(); p = it.hasNext() ? it.next() : QString()) {
        struct stat st { };
        if (::lstat(QFile::encodeName(p).constData(), &st) != 0 || st.st_uid != uid)
            out.append(p);
    }
    return out;
}

// The program started in a folder, in scripted mode, closing itself after the main window's load.
ProgramRun startAndClose(const QString& folder, const ScratchUser* user = nullptr)
{
    const QStringList scripted{"MONTHLY_RECORDS_SCRIPTED=1", "MONTHLY_RECORDS_QUIT_AFTER_LOAD=1",
                               "QT_QPA_PLATFORM=offscreen"};
    const QString program = QDir(folder).filePath("monthly-records");
    return user ? user->run(program, {"1"}, scripted, folder) : runProgram(program, {"1"}, scripted, folder);
}

QString demoDatabase(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_EQ(runProgram(DEMO_DATA_BIN, {"--out", path, "--users", "20", "--today", "2024-06-15"}).exitCode, 0);
    return path;
}

} // namespace

TEST_F(Setup, NewFolderThenASecondRunChangesNothing)
{
    const QString dir = tmp.filePath("事務所 A/bin");
    const QDir d(dir);
    const SetupReport first = setUp(dir, true);
    EXPECT_TRUE(first.differs.isEmpty() && first.replaced.isEmpty() && first.notes.isEmpty());
    EXPECT_EQ(first.created.mid(0, 2), (QStringList{tmp.filePath("事務所 A") + '/', dir + '/'})); // parents first
    const QString expected = ". monthly-records report-viewer wfrfv10.exe wfrimg10.exe WrVb6Viewer.exe Massage.ini "
                             "adodb.ini report-viewer.ini TMP SYS DATA ICON SYS/継続理由・状況記入書_R03.wfd "
                             "SYS/利用者別月間実績チェック表.wfd ICON/wallpaper.png DATA/印刷設定.ini "
                             "DATA/帳票Format.ini DATA/suite.db";
    for (const QString& name : expected.split(u' ')) {
        const QString path = QDir::cleanPath(d.filePath(name));
        EXPECT_TRUE(first.created.contains(path) || first.created.contains(path + u'/')) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(path)) << name.toStdString();
    }

    // The viewer's old names lead to the folder's own viewer; programs are executable copies.
    for (const char* name : {"wfrfv10.exe", "wfrimg10.exe", "WrVb6Viewer.exe"}) // empty for what is no link
        EXPECT_EQ(QFileInfo(d.filePath(name)).symLinkTarget(), d.filePath("report-viewer"));
    EXPECT_EQ(fileBytes(d.filePath("monthly-records")), fileBytes(MONTHLY_RECORDS_BIN));
    EXPECT_TRUE(QFileInfo(d.filePath("monthly-records")).isExecutable());

    // Settings in CP932 with CRLF, readable by the office (umask 022), not private to the installer.
    const QByteArray massage = fileBytes(d.filePath("Massage.ini"));
    EXPECT_TRUE(massage.startsWith("[SYSTEM]\r\nSYSTEM_SYS=\\SYS\r\nSYSTEM_TMP=\\TMP\r\n"));
    EXPECT_FALSE(QByteArray(massage).replace("\r\n", "").contains('\n'));
    EXPECT_EQ(profile::getString("SYSTEM", "施術者拠点間共有", "x", d.filePath("Massage.ini")), "0");
    EXPECT_TRUE(QFileInfo(d.filePath("Massage.ini")).permissions() & QFileDevice::ReadOther);
    EXPECT_EQ(profile::getString("接続情報", "接続情報", {}, d.filePath("adodb.ini")),
              "Provider=SQLite;Data Source=DATA\\suite.db");
    EXPECT_EQ(
        profile::getString("利用者別月間実績表", "利用者別月間実績チェック表", {}, d.filePath("DATA/帳票Format.ini")),
        "利用者別月間実績チェック表.wfd");
    // The viewer's own file: UTF-8 with its mark, archiving off.
    const QByteArray viewerIni = fileBytes(d.filePath("report-viewer.ini"));
    EXPECT_TRUE(viewerIni.startsWith("\xEF\xBB\xBF") && viewerIni.contains("[Archive]\r\n"));
    EXPECT_EQ(profile::getString("Archive", "Folder", "unset", d.filePath("report-viewer.ini")), "");

    // A second run: nothing written, nothing touched.
    const auto before = snapshot(tmp.path());
    const SetupReport second = setUp(dir, true);
    EXPECT_TRUE(second.created.isEmpty() && second.replaced.isEmpty() && second.differs.isEmpty());
    EXPECT_EQ(reportLines(second), QStringList{"変更はありません（必要なものはすべてそろっています）。"});
    EXPECT_EQ(snapshot(tmp.path()), before);
}

TEST_F(Setup, FolderOfTheSuiteKeepsItsFilesByteForByte)
{
    // A folder copied from a suite installation: its own folder names, SQL Server, an old layout
    // of the same name and the old viewer as a file.
    TestInstall suite;
    suite.writeBytes("Massage.ini",
                     "[SYSTEM]\r\nSYSTEM_SYS=\\SYSTEM\r\nSYSTEM_TMP=\\WORK\r\nSYSTEM_DATA=\\DATA\r\n"
                     "WALLPAPER=office.bmp\r\nBASEID=0201\r\n");
    suite.writeBytes("adodb.ini",
                     "[\x90\xda\x91\xb1\x8f\xee\x95\xf1]\r\n\x90\xda\x91\xb1\x8f\xee\x95\xf1="
                     "Provider=SQLOLEDB.1;Data Source=SRV\\SQLEXPRESS;Initial Catalog=SUITE;User ID=sa;Password=x\r\n");
    suite.writeBytes("DATA/印刷設定.ini", "[a]\r\nb=1\r\n");
    suite.writeBytes("SYSTEM/継続理由・状況記入書.wfd", QByteArray("WFD\x00\x01old", 8));
    suite.writeBytes("wfrfv10.exe", "MZ old viewer");
    suite.writeBytes("Main.exe", "MZ menu");
    const QString dir = suite.path();
    const QDir d(dir);
    // TestInstall lays out its own Massage.ini folders too: keep only what the suite has.
    for (const char* extra : {"TMP", "SYS", "ICON"})
        QDir(d.filePath(extra)).removeRecursively();
    const QMap<QString, QByteArray> bytes = folderSnapshot(dir);

    const SetupReport r = setUp(dir, true);
    expectKept(bytes, dir);
    // Run again: what differs is still listed, and not followed by "no changes".
    const QStringList again = reportLines(setUp(dir, true));
    EXPECT_EQ(again.filter("そのままにしました").size(), 2);
    EXPECT_FALSE(again.join('\n').contains("変更はありません"));
    // Only what it lacked: the folder Massage.ini names, the other layouts, the viewer's own file.
    for (const char* name : {"WORK/", "SYSTEM/施術計画書.wfd", "report-viewer.ini"})
        EXPECT_TRUE(r.created.contains(d.filePath(name))) << name;
    EXPECT_FALSE(d.exists("TMP") || d.exists("SYS") || d.exists("DATA/suite.db"));
    EXPECT_EQ(r.differs, (QStringList{d.filePath("wfrfv10.exe"), d.filePath("SYSTEM/継続理由・状況記入書.wfd")}));
    EXPECT_EQ(r.notes.size(), 2); // no SYSTEM_ICON; adodb.ini is not the embedded database
    EXPECT_TRUE(r.notes.join("\n").contains("SYSTEM_ICON"));
    EXPECT_TRUE(r.notes.join("\n").contains("デモデータベースは作りませんでした"));

    // --update brings the program's own files up to date and still no setting.
    const SetupReport u = setUp(dir, false, true);
    EXPECT_EQ(u.replaced, r.differs);
    EXPECT_EQ(QFileInfo(d.filePath("wfrfv10.exe")).symLinkTarget(), d.filePath("report-viewer"));
    EXPECT_EQ(fileBytes(d.filePath("SYSTEM/継続理由・状況記入書.wfd")),
              fileBytes(MONTHLY_SOURCE_DIR "/layouts/継続理由・状況記入書.wfd"));
    expectKept(bytes, dir, [](const QString& name) { return name.endsWith(".wfd") || name == "wfrfv10.exe"; });
}

TEST_F(Setup, FailuresAreClearAndLeaveNoHalfFiles)
{
    // A target below a file cannot be made, for root as well.
    QFile(tmp.filePath("file")).open(QIODevice::WriteOnly);
    SetupReport r = setUp(tmp.filePath("file/office"), false, false, {}, false);
    const QString cannot = "フォルダ " + tmp.filePath("file/office") + " を作れません（";
    EXPECT_EQ(r.error, cannot + "途中にフォルダでないファイルがあります）。");
    EXPECT_TRUE(r.created.isEmpty());

    // The command says so on standard error and fails.
    const ProgramRun cmd = runProgram(SETUP_BIN, {tmp.filePath("file/office"), "--demo"});
    EXPECT_EQ(cmd.exitCode, 1);
    EXPECT_TRUE(cmd.stderrLines.value(0).startsWith("monthly-records-setup: " + cannot))
        << cmd.stderrLines.join('\n').toStdString();
    EXPECT_EQ(runProgram(SETUP_BIN, {}).exitCode, 2);
    EXPECT_EQ(runProgram(SETUP_BIN, {"a", "b"}).exitCode, 2);

    // A full disk: the set-up stops with the reason, and no file is left half written.
    const QString full = tmp.filePath("full");
    {
        ScopedFullDisk disk;
        r = setUp(full, false, false, {}, false);
    }
    // The limit says "file too large" where a real disk says it is full: either, in Japanese.
    EXPECT_TRUE(r.error == full + "/monthly-records を作れません（ファイルが大きすぎます）。"
                || r.error == full + "/monthly-records を作れません（ディスクの空き容量が不足しています）。")
        << r.error.toStdString();
    EXPECT_EQ(QDir(full).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
}

TEST(DesktopEntry, StartsTheFoldersProgramAndPassesTheValidator)
{
    const QString folder = QStringLiteral("/srv/事務所 A/50% \"本店\" $HOME\\x");
    const QString text = desktopEntryText(folder, "/opt/monthly-records/share/monthly-records/monthly-records.svg");
    const QStringList lines = text.split(u'\n');
    EXPECT_TRUE(lines.contains("Exec=\"/srv/事務所 A/50%% \\\\\"本店\\\\\" \\\\$HOME\\\\\\\\x/monthly-records\" 1"))
        << text.toStdString();
    EXPECT_TRUE(lines.contains("Path=/srv/事務所 A/50% \"本店\" $HOME\\\\x"));
    EXPECT_TRUE(lines.contains("Name[ja]=利用者別月間実績表（50% \"本店\" $HOME\\\\x）"));
    EXPECT_TRUE(lines.contains("Icon=/opt/monthly-records/share/monthly-records/monthly-records.svg"));
    // A "bin" folder is named after its parent.
    EXPECT_TRUE(desktopEntryText("/srv/honten/bin", "i").contains("\nName[ja]=利用者別月間実績表（honten）\n"));

    QTemporaryDir tmp;
    SetupOptions o;
    o.target = tmp.filePath("50% \"本店\" $HOME\\x");
    o.desktopEntry = true;
    o.applicationsDir = tmp.filePath("applications");
    SetupSources s = buildTreeSources();
    SetupReport r;
    ASSERT_TRUE(setUpInstallation(s, o, &r)) << r.error.toStdString();
    const QString entry = QDir(o.applicationsDir).filePath(desktopEntryFileName(o.target));
    EXPECT_TRUE(QFileInfo(entry).fileName().startsWith("monthly-records-"));
    EXPECT_TRUE(r.created.contains(entry)) << r.created.join('\n').toStdString();
    EXPECT_EQ(QString::fromUtf8(fileBytes(entry)), desktopEntryText(o.target, s.icon));
    const ProgramRun validate = runProgram("desktop-file-validate", {entry});
    EXPECT_TRUE(validate.finished && validate.exitCode == 0);
    EXPECT_EQ((validate.stdoutText + validate.stderrLines.join('\n')).toStdString(), "");
    // Another folder gets an entry of its own.
    EXPECT_NE(desktopEntryFileName(o.target), desktopEntryFileName(tmp.filePath("支店")));
}

TEST_F(Setup, FolderCopiedFromWindowsKeepsItsNamesInAnyCase)
{
    // Massage.ini names \Sys, \Tmp, \Data, \Icon; the folder holds SYS, TMP, DATA, ICON and its
    // files in capitals, the layouts as the installed ones.
    TestInstall suite;
    const QString dir = suite.path();
    QFile::remove(suite.file("Massage.ini"));
    suite.writeBytes("MASSAGE.INI",
                     cp932Lines({"[SYSTEM]", "SYSTEM_SYS=\\Sys", "SYSTEM_TMP=\\Tmp", "SYSTEM_DATA=\\Data",
                                 "SYSTEM_ICON=\\Icon", "WALLPAPER=wallpaper.png", "BASEID=0103"}));
    suite.writeBytes("ADODB.INI", cp932Lines({"[接続情報]", "接続情報=Provider=SQLite;Data Source=DATA\\suite.db"}));
    demoDatabase(suite.file("DATA/suite.db"));
    suite.writeBytes("DATA/印刷設定.INI", cp932Lines({"[利用者別月間実績表]", "並び順=1"}));
    suite.writeBytes("DATA/帳票FORMAT.INI", fileBytes(SETUP_TEMPLATES_DIR "/report-format.ini"));
    for (const QString& name : QDir(MONTHLY_SOURCE_DIR "/layouts").entryList({"*.wfd"}))
        suite.writeBytes("SYS/" + name.chopped(4) + ".WFD", fileBytes(MONTHLY_SOURCE_DIR "/layouts/" + name));
    suite.writeBytes("ICON/WALLPAPER.PNG", fileBytes(MONTHLY_SOURCE_DIR "/demo/wallpaper.png"));
    const QMap<QString, QByteArray> before = folderSnapshot(dir);

    const SetupReport r = setUp(dir, true);
    // Only what the folder really lacks: the program, the viewer and its links, its own settings.
    QStringList made;
    for (const QString& p : r.created)
        made.append(QDir(dir).relativeFilePath(p));
    made.sort();
    EXPECT_EQ(made.join(' '),
              "WrVb6Viewer.exe monthly-records report-viewer report-viewer.ini wfrfv10.exe wfrimg10.exe");
    EXPECT_TRUE(r.differs.isEmpty() && r.notes.isEmpty()) << r.notes.join('\n').toStdString();
    expectKept(before, dir);

    // The program finds the folder's own files (ADODB.INI, the database in DATA): no message.
    const ProgramRun run = startAndClose(dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines("MSGBOX"), QStringList{}) << run.stderrLines.join('\n').toStdString();
    EXPECT_EQ(run.lines("START"), QStringList{"START\t" + dir + "/Main.exe 2"});
}

TEST_F(Setup, FromTheOfficeFolderCopiesItsSettingsByteForByteAndNeverOverwrites)
{
    // The office's folder: set up, then made its own (its branch, a layout of its own, a picture).
    const QString office = tmp.filePath("office");
    setUp(office, false);
    const QDir o(office);
    auto write = [&](const QString& name, const QByteArray& bytes) { writeFile(o.filePath(name), bytes); };
    write("Massage.ini",
          "[SYSTEM]\r\nSYSTEM_SYS=\\SYS\r\nSYSTEM_TMP=\\TMP\r\nSYSTEM_DATA=\\Data\r\n"
          "SYSTEM_ICON=\\ICON\r\nWALLPAPER=honten.png\r\nBASEID=0201\r\n");
    write("adodb.ini",
          "[\x90\xda\x91\xb1\x8f\xee\x95\xf1]\r\n\x90\xda\x91\xb1\x8f\xee\x95\xf1="
          "Provider=SQLOLEDB.1;Data Source=SRV\\SQLEXPRESS;Initial Catalog=SUITE;User ID=u;Password=p\r\n");
    write("DATA/印刷設定.ini", "[\x97\x98]\r\nx=1\r\n");
    write("DATA/帳票Format.ini", "[a]\r\nb=OFFICE.WFD\r\n");
    write("SYS/OFFICE.WFD", QByteArray("WFD\x00office", 10));
    write("SYS/施術計画書.wfd", "the office's own plan layout");
    write("ICON/honten.png", "picture");
    write("report-viewer.ini", "\xEF\xBB\xBF[Archive]\r\nFolder=/srv/office/printed\r\n");
    write("KovaniTZSVer.ini", "");
    QFile::remove(o.filePath("SYS/継続理由・状況記入書.wfd"));

    const QString mine = tmp.filePath("home/user/monthly-records");
    SetupReport r = setUp(mine, false, false, office);
    const QDir m(mine);
    // Massage.ini names \Data: the office's DATA is found, and the user's folder is made as named.
    for (const char* name : {"Massage.ini", "adodb.ini", "report-viewer.ini", "KovaniTZSVer.ini", "SYS/OFFICE.WFD",
                             "SYS/施術計画書.wfd", "ICON/honten.png"})
        EXPECT_EQ(fileBytes(m.filePath(name)), fileBytes(o.filePath(name))) << name;
    EXPECT_EQ(fileBytes(m.filePath("Data/印刷設定.ini")), fileBytes(o.filePath("DATA/印刷設定.ini")));
    EXPECT_EQ(fileBytes(m.filePath("Data/帳票Format.ini")), fileBytes(o.filePath("DATA/帳票Format.ini")));
    EXPECT_TRUE(r.copied.contains(m.filePath("Massage.ini")));
    EXPECT_TRUE(r.created.contains(tmp.filePath("home") + '/'))
        << r.created.join('\n').toStdString();                                   // parents are listed
    EXPECT_TRUE(r.created.contains(m.filePath("SYS/継続理由・状況記入書.wfd"))); // ours, for what the office lacks
    EXPECT_EQ(r.differs, QStringList{m.filePath("SYS/施術計画書.wfd")});         // the office's, kept
    EXPECT_TRUE(r.notes.isEmpty()) << r.notes.join('\n').toStdString();          // no placeholders to edit
    EXPECT_TRUE(reportLines(r).contains("事務所のフォルダから写しました: " + m.filePath("adodb.ini")));

    // A file the user's folder has is never overwritten, by a second run either.
    QFile::remove(m.filePath("Data/帳票Format.ini"));
    writeFile(m.filePath("Massage.ini"), "ANBUN_FLG=1\r\n", QIODevice::Append);
    const QByteArray edited = fileBytes(m.filePath("Massage.ini"));
    r = setUp(mine, false, false, office);
    EXPECT_EQ(fileBytes(m.filePath("Massage.ini")), edited);
    EXPECT_EQ(r.copied, QStringList{m.filePath("Data/帳票Format.ini")});

    // An office folder that is not one, or the folder itself: a clear refusal, nothing made.
    const QString other = tmp.filePath("other"), home = tmp.filePath("home"), nowhere = tmp.filePath("nowhere");
    EXPECT_EQ(setUp(other, false, false, home, false).error,
              "事務所のフォルダ " + home + " に Massage.ini がありません。");
    EXPECT_EQ(setUp(other, false, false, nowhere, false).error, "事務所のフォルダ " + nowhere + " がありません。");
    setUp(office, false, false, office + "/.", false);
    EXPECT_FALSE(QFileInfo::exists(other));

    // An office on the embedded database by a relative path: the user is told where it is.
    const QString demoOffice = tmp.filePath("demo-office");
    setUp(demoOffice, true);
    const QString demoUser = tmp.filePath("demo-user");
    EXPECT_EQ(setUp(demoUser, false, false, demoOffice).notes,
              QStringList{"adodb.ini の組み込みデータベース " + demoUser
                          + "/DATA/suite.db はこのフォルダにありません。事務所のデータベースを使うには、"
                            "adodb.ini の Data Source に "
                          + demoOffice + "/DATA/suite.db と書いてください。"});
}

// An office's folder set up by the administrator; an office user makes a folder of their own
// from it and previews and prints in it; a temporary folder they cannot write is told at once.
TEST_F(Setup, AnOfficeUserGetsAFolderOfTheirOwnAndPrintsInIt)
{
    QFile::setPermissions(tmp.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                              | QFile::ReadGroup | QFile::ExeGroup);
    const QString home = tmp.filePath("home");
    ScratchUser user(home);
    if (!user.ready())
        GTEST_SKIP() << user.why;

    // The administrator (root): the office's folder, its database shared by its full path, and a
    // first start that completes the database's tables.
    const QString office = tmp.filePath("srv/office/honten");
    const QString db = demoDatabase(tmp.filePath("srv/office/data/suite.db"));
    setUp(office, false);
    writeFile(QDir(office).filePath("adodb.ini"),
              cp932Lines({"[接続情報]", "接続情報=Provider=SQLite;Data Source=" + db}));
    const ProgramRun first = startAndClose(office);
    ASSERT_EQ(first.lines("MSGBOX"), QStringList{}) << first.stderrLines.join('\n').toStdString();

    // The user: a folder of their own, theirs alone.
    const QString mine = home + "/monthly-records";
    const ProgramRun setup = user.run(installedTree(tmp.filePath("opt")), {mine, "--from", office, "--desktop"});
    ASSERT_EQ(setup.exitCode, 0) << (setup.stdoutText + setup.stderrLines.join('\n')).toStdString();
    const QStringList out = setup.stdoutText.split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(out.contains("作成しました: " + mine + "/TMP/")) << setup.stdoutText.toStdString();
    const QString entry = home + "/.local/share/applications/" + desktopEntryFileName(mine);
    EXPECT_EQ(out.last(), "デスクトップエントリ: " + entry);
    EXPECT_EQ(notOwnedBy(mine, user.uid), QStringList{});

    // The administrator making a folder under sudo from the user's account: it is the user's,
    // and so is the desktop entry, which goes to the user's menu and says where it went.
    const QString viaSudo = home + "/by-sudo";
    const ProgramRun sudo =
        runProgram(tmp.filePath("opt/bin/monthly-records-setup"), {viaSudo, "--from", office, "--desktop"},
                   {"SUDO_UID=" + QString::number(user.uid), "SUDO_GID=" + QString::number(user.gid),
                    "XDG_DATA_HOME=/root/.local/share"});
    ASSERT_EQ(sudo.exitCode, 0) << sudo.stderrLines.join('\n').toStdString();
    EXPECT_EQ(notOwnedBy(viaSudo, user.uid), QStringList{});
    EXPECT_TRUE(sudo.stdoutText.endsWith("デスクトップエントリ: " + home + "/.local/share/applications/"
                                         + desktopEntryFileName(viaSudo) + "\n"))
        << sudo.stdoutText.toStdString();
    EXPECT_EQ(notOwnedBy(home + "/.local", user.uid), QStringList{}); // both desktop entries

    // In it the user previews and prints the month's table through the viewer the program starts.
    const QString pdfs = home + "/pdf";
    const ProgramRun work = user.run(USER_FOLDER_DRIVER_BIN, {mine, "2024-06", pdfs},
                                     {"QT_QPA_PLATFORM=offscreen", "MONTHLY_RECORDS_SCRIPTED=1"}, mine);
    EXPECT_EQ(work.exitCode, 0) << work.stderrLines.join('\n').toStdString();
    EXPECT_EQ(work.lines("MSGBOX"),
              QStringList{"MSGBOX\t\tquestion\t利用者別月間実績表の印刷を行います。よろしいですか？"});
    EXPECT_EQ(work.lines("START").size(), 2);
    for (const char* command : {"preview", "print"}) {
        EXPECT_EQ(QDir(pdfs + '/' + command).entryList({"*.pdf"}), QStringList{"利用者別月間実績表印刷.pdf"})
            << command;
        const ProgramRun info = runProgram("pdfinfo", {pdfs + '/' + command + "/利用者別月間実績表印刷.pdf"});
        EXPECT_TRUE(info.stdoutText.contains(QRegularExpression("\nPages: +[1-9]"))) << command;
    }
    // What the documents wrote is the user's, in the user's folder; the office's stays as it was.
    EXPECT_FALSE(QDir(mine + "/TMP").entryList({"*.csv"}).isEmpty());
    EXPECT_EQ(notOwnedBy(mine, user.uid), QStringList{});
    EXPECT_TRUE(QDir(office + "/TMP").entryList(QDir::Files).isEmpty());

    // The user's own program starts without a message; with a TMP it cannot write, it says so
    // once, right after the main window's load (before the unload starts the menu program).
    const ProgramRun clean = startAndClose(mine, &user);
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_EQ(clean.lines("MSGBOX"), QStringList{}) << clean.stderrLines.join('\n').toStdString();
    QFile::setPermissions(mine + "/TMP", QFile::ReadOwner | QFile::ExeOwner);
    const ProgramRun blocked = startAndClose(mine, &user);
    EXPECT_EQ(blocked.exitCode, 0);
    const QStringList seen = blocked.stderrLines.filter(QRegularExpression("^(MSGBOX|START)\t"));
    ASSERT_EQ(seen.size(), 2) << blocked.stderrLines.join('\n').toStdString();
    EXPECT_EQ(seen[0],
              "MSGBOX\t警告！\texclamation\t一時ファイルのフォルダに書き込めないため、帳票を出力できません。\\r\\n"
                  + mine
                  + "/TMP\\r\\n（アクセス権がありません）\\r\\nフォルダに書き込めるようにするか、"
                    "monthly-records-setup --from でこの利用者のフォルダを作ってください。");
    EXPECT_TRUE(seen[1].startsWith("START\t"));
}
