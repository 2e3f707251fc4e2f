// Installation folders: a new folder, a second run, a folder of the suite that already has
// its settings, failures, and the desktop entry.
#include "setup/installation.h"

#include "base/ini_file.h"
#include "support/program_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

QString connectionOf(const QString& folder)
{
    return profile::getString("接続情報", "接続情報", {}, QDir(folder).filePath("adodb.ini"));
}

class Setup : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    mode_t oldMask = ::umask(022);
    ~Setup() override { ::umask(oldMask); }

    SetupReport setUp(const QString& folder, bool demo, bool update = false)
    {
        SetupOptions o;
        o.target = folder;
        o.demo = demo;
        o.update = update;
        SetupReport r;
        EXPECT_TRUE(setUpInstallation(buildTreeSources(), o, &r)) << r.error.toStdString();
        return r;
    }
};

} // namespace

TEST_F(Setup, NewFolderThenASecondRunChangesNothing)
{
    const QString dir = tmp.filePath("事務所 A/bin");
    const SetupReport first = setUp(dir, true);
    EXPECT_TRUE(first.differs.isEmpty() && first.replaced.isEmpty() && first.notes.isEmpty());
    const QStringList expected{"",
                               "monthly-records",
                               "report-viewer",
                               "wfrfv10.exe",
                               "wfrimg10.exe",
                               "WrVb6Viewer.exe",
                               "Massage.ini",
                               "adodb.ini",
                               "report-viewer.ini",
                               "TMP",
                               "SYS",
                               "DATA",
                               "ICON",
                               "SYS/継続理由・状況記入書_R03.wfd",
                               "SYS/利用者別月間実績チェック表.wfd",
                               "ICON/wallpaper.png",
                               "DATA/印刷設定.ini",
                               "DATA/帳票Format.ini",
                               "DATA/suite.db"};
    for (const QString& name : expected) {
        const QString path = QDir::cleanPath(QDir(dir).filePath(name));
        EXPECT_TRUE(first.created.contains(path) || first.created.contains(path + u'/')) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(path)) << name.toStdString();
    }

    // The viewer's old names lead to the folder's own viewer; programs are executable copies.
    for (const char* name : {"wfrfv10.exe", "wfrimg10.exe", "WrVb6Viewer.exe"}) {
        const QFileInfo link(QDir(dir).filePath(name));
        EXPECT_TRUE(link.isSymLink());
        EXPECT_EQ(link.symLinkTarget(), QDir(dir).filePath("report-viewer"));
    }
    EXPECT_EQ(fileBytes(QDir(dir).filePath("monthly-records")), fileBytes(MONTHLY_RECORDS_BIN));
    EXPECT_TRUE(QFileInfo(QDir(dir).filePath("monthly-records")).isExecutable());

    // Settings in CP932 with CRLF, readable by the office (umask 022), not private to the installer.
    const QByteArray massage = fileBytes(QDir(dir).filePath("Massage.ini"));
    EXPECT_TRUE(massage.startsWith("[SYSTEM]\r\nSYSTEM_SYS=\\SYS\r\nSYSTEM_TMP=\\TMP\r\n"));
    EXPECT_FALSE(QByteArray(massage).replace("\r\n", "").contains('\n'));
    EXPECT_EQ(profile::getString("SYSTEM", "施術者拠点間共有", "x", QDir(dir).filePath("Massage.ini")), "0");
    EXPECT_EQ(QFileInfo(QDir(dir).filePath("Massage.ini")).permissions() & QFileDevice::ReadOther,
              QFileDevice::ReadOther);
    EXPECT_EQ(connectionOf(dir), "Provider=SQLite;Data Source=DATA\\suite.db");
    EXPECT_EQ(profile::getString("利用者別月間実績表", "利用者別月間実績チェック表", {},
                                 QDir(dir).filePath("DATA/帳票Format.ini")),
              "利用者別月間実績チェック表.wfd");
    // The viewer's own file: UTF-8 with its mark, archiving off.
    const QByteArray viewerIni = fileBytes(QDir(dir).filePath("report-viewer.ini"));
    EXPECT_TRUE(viewerIni.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(viewerIni.contains("[Archive]\r\n"));
    EXPECT_EQ(profile::getString("Archive", "Folder", "unset", QDir(dir).filePath("report-viewer.ini")), "");

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
    // TestInstall lays out its own Massage.ini folders too: keep only what the suite has.
    for (const char* extra : {"TMP", "SYS", "ICON"})
        QDir(QDir(dir).filePath(extra)).removeRecursively();
    const QMap<QString, QByteArray> bytes = folderSnapshot(dir);
    // The suite's files and folders as they were, but for what is named.
    const auto kept = [&](const std::function<bool(const QString&)>& replaced) {
        const QMap<QString, QByteArray> now = folderSnapshot(dir);
        for (auto it = bytes.begin(); it != bytes.end(); ++it)
            if (!replaced(it.key())) {
                EXPECT_EQ(now.value(it.key()), it.value()) << it.key().toStdString();
            }
    };
    ASSERT_EQ(connectionOf(dir),
              "Provider=SQLOLEDB.1;Data Source=SRV\\SQLEXPRESS;Initial Catalog=SUITE;User ID=sa;Password=x");

    const SetupReport r = setUp(dir, true);
    kept([](const QString&) { return false; });
    // Only what it lacked: the folder Massage.ini names, the other layouts, the viewer's own file.
    EXPECT_TRUE(r.created.contains(QDir(dir).filePath("WORK/")));
    EXPECT_TRUE(r.created.contains(QDir(dir).filePath("SYSTEM/施術計画書.wfd")));
    EXPECT_TRUE(r.created.contains(QDir(dir).filePath("report-viewer.ini")));
    EXPECT_FALSE(QFileInfo::exists(QDir(dir).filePath("TMP")) || QFileInfo::exists(QDir(dir).filePath("SYS")));
    EXPECT_FALSE(QFileInfo::exists(QDir(dir).filePath("DATA/suite.db")));
    EXPECT_EQ(r.differs,
              (QStringList{QDir(dir).filePath("wfrfv10.exe"), QDir(dir).filePath("SYSTEM/継続理由・状況記入書.wfd")}));
    EXPECT_EQ(r.notes.size(), 2); // no SYSTEM_ICON; adodb.ini is not the embedded database
    EXPECT_TRUE(r.notes.join("\n").contains("SYSTEM_ICON"));
    EXPECT_TRUE(r.notes.join("\n").contains("デモデータベースは作りませんでした"));

    // --update brings the program's own files up to date and still no setting.
    const SetupReport u = setUp(dir, false, true);
    EXPECT_EQ(u.replaced, r.differs);
    EXPECT_EQ(QFileInfo(QDir(dir).filePath("wfrfv10.exe")).symLinkTarget(), QDir(dir).filePath("report-viewer"));
    EXPECT_EQ(fileBytes(QDir(dir).filePath("SYSTEM/継続理由・状況記入書.wfd")),
              fileBytes(MONTHLY_SOURCE_DIR "/layouts/継続理由・状況記入書.wfd"));
    kept([](const QString& name) { return name.endsWith(".wfd") || name == "wfrfv10.exe"; });
}

TEST_F(Setup, FailuresAreClearAndLeaveNoHalfFiles)
{
    // A target below a file cannot be made, for root as well.
    QFile(tmp.filePath("file")).open(QIODevice::WriteOnly);
    SetupOptions o;
    o.target = tmp.filePath("file/office");
    SetupReport r;
    EXPECT_FALSE(setUpInstallation(buildTreeSources(), o, &r));
    const QString cannot = "フォルダ " + tmp.filePath("file/office") + " を作れません（";
    EXPECT_TRUE(r.error.startsWith(cannot) && r.error.endsWith("）。")) << r.error.toStdString();
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
        o.target = full;
        EXPECT_FALSE(setUpInstallation(buildTreeSources(), o, &r));
    }
    EXPECT_TRUE(r.error.startsWith(full + "/monthly-records を作れません（")) << r.error.toStdString();
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
    EXPECT_TRUE(r.created.contains(entry));
    EXPECT_EQ(QString::fromUtf8(fileBytes(entry)), desktopEntryText(o.target, s.icon));
    const ProgramRun validate = runProgram("desktop-file-validate", {entry});
    EXPECT_TRUE(validate.finished);
    EXPECT_EQ(validate.exitCode, 0);
    EXPECT_EQ((validate.stdoutText + validate.stderrLines.join('\n')).toStdString(), "");
    // Another folder gets an entry of its own.
    EXPECT_NE(desktopEntryFileName(o.target), desktopEntryFileName(tmp.filePath("支店")));
}
