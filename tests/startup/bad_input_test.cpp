// The real program in scripted mode over command lines, damaged settings files and databases:
// each row gives the exact message lines, whether the menu program is started on leaving, the
// exit code, and the user's files afterwards (byte for byte).
#include "base/text_file.h"
#include "db/table_checks.h"
#include "support/file_faults.h"
#include "support/program_run.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <arpa/inet.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <numeric>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A message line of the scripted mode; {app} and {db} stand for the program folder and the database.
QString msgbox(const QString& title, const char* icon, QString text)
{
    text.replace(u'\r', "\\r").replace(u'\n', "\\n");
    return QStringLiteral("MSGBOX\t") + title + u'\t' + QString::fromLatin1(icon) + u'\t' + text;
}

QString warning(const QString& text) { return msgbox("警告！", "critical", text); }

QString missingEntry(const char* key)
{
    return warning(QStringLiteral("システム設定ファイルに、指定の項目が見つかりません。\r[") + QString::fromLatin1(key)
                   + u']');
}

QString badBaseId(const QString& value)
{
    return warning(QStringLiteral("システム設定ファイルの拠点番号（BASEID）が正しくありません。\r[BASEID=") + value
                   + QStringLiteral("]\r拠点番号2桁と拠点枝番2桁の4桁の数字を設定してください。"));
}

// The five start-up checks, each failing to connect with the same detail.
QStringList everyCheckFails(const QString& detail)
{
    const QString failed =
        "バージョンチェックに失敗しました。(%1)\nKovaniのバージョンと更新プログラムのバージョンを確認してください。";
    QStringList lines;
    for (int n = 1; n <= 5; ++n)
        lines << msgbox(QString(), "critical", "csInpKey_Isi() でエラー\r\n" + detail)
              << msgbox("確認", "none", failed.arg(n));
    return lines;
}

const QStringList unreadableMassage{missingEntry("SYSTEM_ICON"), missingEntry("WALLPAPER"), badBaseId(QString())};
const QStringList noMassage{warning("システム設定ファイルが見つかりません。")};
const QString noAdodb = "指定されたIni（{app}/adodb.ini）ファイルが見つかりません。";
const QString noConnection = "接続文字列取得できません。";

// Every file of the installation but the program itself.
QMap<QString, QByteArray> userFiles(const TestInstall& inst)
{
    QMap<QString, QByteArray> files = folderSnapshot(inst.path());
    files.remove("monthly-records");
    return files;
}

using Change = std::function<void(TestInstall&, const QString& db)>;

Change writes(const char* file, const QByteArray& bytes)
{
    return [=](TestInstall& i, const QString&) { i.writeBytes(QString::fromUtf8(file), bytes); };
}
Change removes(const char* file)
{
    return [=](TestInstall& i, const QString&) { QFile::remove(i.file(QString::fromUtf8(file))); };
}
Change folderAt(const char* file)
{
    return [=](TestInstall& i, const QString& db) {
        removes(file)(i, db);
        QDir().mkpath(i.file(QString::fromUtf8(file)));
    };
}

struct Row {
    const char* name;
    Change damage;
    QStringList messages;
    bool mainWindowOpens = true;
    QStringList args = {"1"};
    Change undo = nullptr;
    // Taken after the files are read for the comparison: reading a file releases every
    // POSIX lock this process holds on it.
    std::function<void(const QString& db)> hold = nullptr;
};

TEST(BadInput, EveryRowGivesItsMessagesAndLeavesTheFilesAsTheyWere)
{
    OtherConnection lock;
    QByteArray binary(256, '\0'); // every byte but '='
    std::iota(binary.begin(), binary.end(), char(0));
    binary.replace("=", "");
    const Change nothing = [](TestInstall&, const QString&) {};
    const Row rows[] = {
        {"nothing damaged; the wallpaper named is not there, which is silent", nothing, {}},
        // The command line: any text is a processing mode, also one that looks like an option of the window system.
        {"no processing mode",
         nothing,
         {msgbox("\u3000エラー！！", "exclamation", "処理モードが設定されていません。"),
          msgbox("\u3000エラー！！", "critical", "起動できません！")},
         false,
         {}},
        {"mode -reverse", nothing, {}, true, {"-reverse"}},
        {"mode -title x", nothing, {}, true, {"-title", "x"}},
        {"mode -style fusion", nothing, {}, true, {"-style", "fusion"}},
        // Massage.ini
        {"Massage.ini missing, before the mode is looked at", removes("Massage.ini"), noMassage, false, {}},
        {"Massage.ini empty", writes("Massage.ini", {}), unreadableMassage, false},
        {"Massage.ini binary", writes("Massage.ini", binary.repeated(40)), unreadableMassage, false},
        {"Massage.ini a folder", folderAt("Massage.ini"), noMassage, false},
        {"Massage.ini without SYSTEM_ICON and WALLPAPER: said, and start-up goes on",
         writes("Massage.ini", "[SYSTEM]\r\nSYSTEM_DATA=\\DATA\r\nSYSTEM_TMP=\\TMP\r\nBASEID=0103\r\n"),
         {missingEntry("SYSTEM_ICON"), missingEntry("WALLPAPER")}},
        {"Massage.ini with a BASEID of one digit",
         writes("Massage.ini", "SYSTEM_ICON=\\ICON\r\nWALLPAPER=w.png\r\nBASEID=1\r\n"),
         {badBaseId("1")},
         false},
        {"Massage.ini of 10 MB, the keys at its end",
         writes("Massage.ini",
                QByteArray("; filler line of a settings file that grew\r\n").repeated(10 * 1024 * 1024 / 44)
                    + encodeCp932(TestInstall::defaultMassageLines().join("\r\n") + "\r\n")),
         {}},
        {"Massage.ini with mixed line ends",
         writes("Massage.ini",
                "SYSTEM_SYS=\\SYS\nSYSTEM_TMP=\\TMP\r\nSYSTEM_ICON=\\ICON\rSYSTEM_DATA=\\DATA\n\r"
                "WALLPAPER=wall.png\r\r\nBASEID=0103"),
         {}},
        {"Massage.ini with a UTF-8 byte-order mark",
         writes("Massage.ini",
                "\xEF\xBB\xBFSYSTEM_ICON=\\ICON\r\nWALLPAPER=wall.png\r\nBASEID=0103\r\nSYSTEM_DATA=\\DATA\r\n"),
         {}},
        {"Massage.ini in UTF-16 with its byte-order mark",
         writes("Massage.ini",
                encodeText("SYSTEM_ICON=\\ICON\r\nWALLPAPER=壁紙.png\r\nBASEID=0103\r\nSYSTEM_DATA=\\DATA\r\n",
                           TextEncoding::Utf16LeBom)),
         {}},
        {"Massage.ini with invalid CP932 right before a key",
         writes("Massage.ini",
                "SYSTEM_ICON=\\ICON\r\nNOTE=\x81\r\nWALLPAPER=wall.png\r\nX=\x82\nBASEID=0103\r\n"
                "SYSTEM_DATA=\\DATA\xFF\xFD\r\n"),
         {}},
        // adodb.ini
        {"adodb.ini missing", removes("adodb.ini"), everyCheckFails(noAdodb)},
        {"adodb.ini a folder", folderAt("adodb.ini"), everyCheckFails(noAdodb)},
        {"adodb.ini empty", writes("adodb.ini", {}), everyCheckFails(noConnection)},
        {"adodb.ini binary", writes("adodb.ini", QByteArray("\x00\x01[\x8F\xFE\xFF]\x00=\x1A\x81", 12).repeated(100)),
         everyCheckFails(noConnection)},
        {"adodb.ini in UTF-16 with its byte-order mark",
         writes(
             "adodb.ini",
             encodeText("[接続情報]\r\n接続情報=Provider=SQLite;Data Source=suite.db\r\n", TextEncoding::Utf16BeBom)),
         {}},
        {"adodb.ini of 10 MB with lone CRs",
         writes("adodb.ini",
                QByteArray("[other]\r").repeated(10 * 1024 * 1024 / 8)
                    + encodeCp932("[接続情報]\r接続情報=Provider=SQLite;Data Source=suite.db\r")),
         {}},
        // the database
        {"database missing", removes("suite.db"),
         everyCheckFails("(-2147467259)データベースファイルが見つかりません。({db})")},
        {"database a folder", folderAt("suite.db"),
         everyCheckFails("(-2147467259)データベースファイルではありません。({db})")},
        {"database not a database", writes("suite.db", QByteArray("SQLite? no.\r\n").repeated(500)),
         everyCheckFails("(-2147467259)file is not a database ({db})")},
        {.name = "database locked by a writer",
         .damage = nothing,
         .messages = everyCheckFails("(-2147467259)database is locked ({db})"),
         .undo = [&](TestInstall&, const QString&) { lock.close(); },
         .hold = [&](const QString& db) { ASSERT_TRUE(lock.open(db, "BEGIN EXCLUSIVE")); }},
        {.name = "database read-only with a current schema",
         .damage = [](TestInstall&, const QString& db) { makeReadOnly(db); },
         .messages = {},
         .undo = [](TestInstall&, const QString& db) { undoReadOnly(db); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestInstall inst;
        const QString app = QDir(inst.path()).canonicalPath();
        const QString db = app + QStringLiteral("/suite.db");
        inst.useSqliteDatabase();
        QString err;
        ASSERT_TRUE(createSuiteDatabase(db, SchemaVariant::Current, &err)) << err.toStdString();
        {
            ScopedRecordingPlatform quiet; // the table as the first start leaves it
            ASSERT_EQ(iChkOver16Count(), 0);
        }
        inst.writeBytes("DATA/印刷設定.ini",
                        encodeCp932("[他のプログラム]\r\nx=1\r\n[利用者別月間実績表]\r\n並び順=1\r\n"));
        row.damage(inst, db);
        const QMap<QString, QByteArray> before = userFiles(inst);
        if (row.hold)
            row.hold(db);
        const ProgramRun r =
            runInstalledProgram(inst, QStringLiteral(MONTHLY_RECORDS_BINARY), row.args,
                                {"MONTHLY_RECORDS_QUIT_AFTER_LOAD=1", "MONTHLY_RECORDS_DB_TIMEOUT_MS=300"});
        if (row.undo)
            row.undo(inst, db);
        EXPECT_TRUE(r.finished && r.exitCode == 0) << r.exitCode;
        const QString want = row.messages.join(u'\n').replace("{app}", app).replace("{db}", db);
        EXPECT_EQ(r.lines("MSGBOX").join(u'\n').toStdString(), want.toStdString());
        EXPECT_EQ(r.lines("START"),
                  row.mainWindowOpens ? QStringList{QStringLiteral("START\t") + app + QStringLiteral("/Main.exe 2")}
                                      : QStringList{});
        EXPECT_TRUE(userFiles(inst) == before) << "the user's files changed";
    }
}

// A server that takes the connection and never answers: the first check waits out the login
// time-out, the other four fail at once with the same text, and only one connection is made.
TEST(BadInput, AServerThatNeverAnswersIsWaitedForOnce)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t len = sizeof a;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(fd, 16), 0);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    TestInstall inst;
    inst.writeBytes("adodb.ini",
                    encodeCp932(QStringLiteral("[接続情報]\r\n接続情報=Provider=SQLOLEDB.1;User ID=sa;Password=x;"
                                               "Initial Catalog=SUITE;Connect Timeout=2;Data Source=127.0.0.1,%1\r\n")
                                    .arg(ntohs(a.sin_port))));
    const ProgramRun r =
        runInstalledProgram(inst, QStringLiteral(MONTHLY_RECORDS_BINARY), {"1"}, {"MONTHLY_RECORDS_QUIT_AFTER_LOAD=1"});
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.lines("MSGBOX").join(u'\n').toStdString(),
              everyCheckFails("(-2147467259)[FreeTDS][SQL Server]Timeout expired").join(u'\n').toStdString());
    fcntl(fd, F_SETFL, O_NONBLOCK);
    int connections = 0;
    for (int c; (c = accept(fd, nullptr, nullptr)) >= 0; ++connections)
        close(c);
    close(fd);
    EXPECT_EQ(connections, 1);
}

} // namespace
