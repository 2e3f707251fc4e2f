// The real program in scripted mode over damaged settings files and databases: each row gives
// the exact message lines, the exit code, and the user's files afterwards (byte for byte).
#include "common/text_file.h"
#include "db/table_checks.h"
#include "support/file_faults.h"
#include "support/program_run.h"
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString msgbox(const QString& title, const char* icon, QString text)
{
    text.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return QStringLiteral("MSGBOX\t") + title + u'\t' + QString::fromLatin1(icon) + u'\t' + text;
}

QString missingEntry(const char* key)
{
    return msgbox(QStringLiteral("警告！"), "critical",
                  QStringLiteral("システム設定ファイルに、指定の項目が見つかりません。\r[") + QString::fromLatin1(key) + u']');
}

QString badBaseId(const QString& value)
{
    return msgbox(QStringLiteral("警告！"), "critical",
                  QStringLiteral("システム設定ファイルの拠点番号（BASEID）が正しくありません。\r[BASEID=") + value
                      + QStringLiteral("]\r拠点番号2桁と拠点枝番2桁の4桁の数字を設定してください。"));
}

// The five start-up checks, each failing to connect with the same detail.
QStringList everyCheckFails(const QString& detail)
{
    QStringList lines;
    for (int n = 1; n <= 5; ++n) {
        lines << msgbox(QString(), "critical", QStringLiteral("csInpKey_Isi() でエラー\r\n") + detail)
              << msgbox(QStringLiteral("確認"), "none",
                        QStringLiteral("バージョンチェックに失敗しました。(%1)\nKovaniのバージョンと更新プログラムのバージョンを確認してください。")
                            .arg(n));
    }
    return lines;
}

// Every file of the installation but the program itself.
QMap<QString, QByteArray> userFiles(const TestInstall& inst)
{
    QMap<QString, QByteArray> files = folderSnapshot(inst.path());
    files.remove(QStringLiteral("monthly-records"));
    return files;
}

QByteArray cp932(const QString& s) { return encodeCp932(s); }

QByteArray massageWith(const char* separator, const QStringList& lines = TestInstall::defaultMassageLines())
{
    return cp932(lines.join(QString::fromLatin1(separator)) + QString::fromLatin1(separator));
}

struct Row {
    const char* name;
    std::function<void(TestInstall&, const QString& db)> damage;
    std::function<QStringList(const QString& app, const QString& db)> messages;
    bool mainWindowOpens = true;
    std::function<void(TestInstall&, const QString& db)> undo = nullptr;
    // Taken after the files are read for the comparison: reading a file releases every
    // POSIX lock this process holds on it.
    std::function<void(const QString& db)> hold = nullptr;
};

TEST(BadInput, EveryRowGivesItsMessagesAndLeavesTheFilesAsTheyWere)
{
    const QStringList none;
    OtherConnection lock;
    const Row rows[] = {
        {"nothing damaged", [](TestInstall&, const QString&) {}, [&](const QString&, const QString&) { return none; }},
        // Massage.ini
        {"Massage.ini empty", [](TestInstall& i, const QString&) { i.writeBytes(QStringLiteral("Massage.ini"), {}); },
         [](const QString&, const QString&) {
             return QStringList{missingEntry("SYSTEM_ICON"), missingEntry("WALLPAPER"), badBaseId(QString())};
         },
         false},
        {"Massage.ini binary",
         [](TestInstall& i, const QString&) {
             QByteArray junk;
             for (int b = 0; b < 256; ++b)
                 if (b != '=')
                     junk += char(b);
             i.writeBytes(QStringLiteral("Massage.ini"), junk.repeated(40));
         },
         [](const QString&, const QString&) {
             return QStringList{missingEntry("SYSTEM_ICON"), missingEntry("WALLPAPER"), badBaseId(QString())};
         },
         false},
        {"Massage.ini a folder",
         [](TestInstall& i, const QString&) {
             QFile::remove(i.file(QStringLiteral("Massage.ini")));
             QDir().mkpath(i.file(QStringLiteral("Massage.ini")));
         },
         [](const QString&, const QString&) {
             return QStringList{msgbox(QStringLiteral("警告！"), "critical", QStringLiteral("システム設定ファイルが見つかりません。"))};
         },
         false},
        {"Massage.ini of 10 MB, the keys at its end",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("Massage.ini"),
                          QByteArray("; filler line of a settings file that grew\r\n").repeated(10 * 1024 * 1024 / 44)
                              + massageWith("\r\n"));
         },
         [&](const QString&, const QString&) { return none; }},
        {"Massage.ini with lone CR line ends",
         [](TestInstall& i, const QString&) { i.writeBytes(QStringLiteral("Massage.ini"), massageWith("\r")); },
         [&](const QString&, const QString&) { return none; }},
        {"Massage.ini with mixed line ends",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("Massage.ini"),
                          "SYSTEM_SYS=\\SYS\nSYSTEM_TMP=\\TMP\r\nSYSTEM_ICON=\\ICON\rSYSTEM_DATA=\\DATA\n\rWALLPAPER=wall.png\r\r\nBASEID=0103");
         },
         [&](const QString&, const QString&) { return none; }},
        {"Massage.ini with a UTF-8 byte-order mark",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("Massage.ini"),
                          "\xEF\xBB\xBFSYSTEM_ICON=\\ICON\r\nWALLPAPER=wall.png\r\nBASEID=0103\r\nSYSTEM_DATA=\\DATA\r\n");
         },
         [&](const QString&, const QString&) { return none; }},
        {"Massage.ini in UTF-16 with its byte-order mark",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("Massage.ini"),
                          encodeText(QStringLiteral("SYSTEM_ICON=\\ICON\r\nWALLPAPER=壁紙.png\r\nBASEID=0103\r\nSYSTEM_DATA=\\DATA\r\n"),
                                     TextEncoding::Utf16LeBom));
         },
         [&](const QString&, const QString&) { return none; }},
        {"Massage.ini with invalid CP932 right before a key",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("Massage.ini"),
                          "SYSTEM_ICON=\\ICON\r\nNOTE=\x81\r\nWALLPAPER=wall.png\r\nX=\x82\nBASEID=0103\r\nSYSTEM_DATA=\\DATA\xFF\xFD\r\n");
         },
         [&](const QString&, const QString&) { return none; }},
        {"Massage.ini with keys and sections repeated",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("Massage.ini"),
                          massageWith("\r\n") + massageWith("\r\n", {QStringLiteral("[SYSTEM]"), QStringLiteral("BASEID=x"),
                                                                     QStringLiteral("WALLPAPER=")}));
         },
         [&](const QString&, const QString&) { return none; }},
        // adodb.ini
        {"adodb.ini missing", [](TestInstall& i, const QString&) { QFile::remove(i.file(QStringLiteral("adodb.ini"))); },
         [](const QString& app, const QString&) {
             return everyCheckFails(QStringLiteral("指定されたIni（") + app + QStringLiteral("/adodb.ini）ファイルが見つかりません。"));
         }},
        {"adodb.ini a folder",
         [](TestInstall& i, const QString&) {
             QFile::remove(i.file(QStringLiteral("adodb.ini")));
             QDir().mkpath(i.file(QStringLiteral("adodb.ini")));
         },
         [](const QString& app, const QString&) {
             return everyCheckFails(QStringLiteral("指定されたIni（") + app + QStringLiteral("/adodb.ini）ファイルが見つかりません。"));
         }},
        {"adodb.ini empty", [](TestInstall& i, const QString&) { i.writeBytes(QStringLiteral("adodb.ini"), {}); },
         [](const QString&, const QString&) { return everyCheckFails(QStringLiteral("接続文字列取得できません。")); }},
        {"adodb.ini binary",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("adodb.ini"), QByteArray("\x00\x01[\x8F\xFE\xFF]\x00=\x1A\x81", 12).repeated(100));
         },
         [](const QString&, const QString&) { return everyCheckFails(QStringLiteral("接続文字列取得できません。")); }},
        {"adodb.ini in UTF-16 with its byte-order mark",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("adodb.ini"),
                          encodeText(QStringLiteral("[接続情報]\r\n接続情報=Provider=SQLite;Data Source=suite.db\r\n"),
                                     TextEncoding::Utf16BeBom));
         },
         [&](const QString&, const QString&) { return none; }},
        {"adodb.ini of 10 MB with lone CRs",
         [](TestInstall& i, const QString&) {
             i.writeBytes(QStringLiteral("adodb.ini"), QByteArray("[other]\r").repeated(10 * 1024 * 1024 / 8)
                                                           + cp932(QStringLiteral("[接続情報]\r接続情報=Provider=SQLite;Data Source=suite.db\r")));
         },
         [&](const QString&, const QString&) { return none; }},
        // the database
        {"database missing", [](TestInstall&, const QString& db) { QFile::remove(db); },
         [](const QString&, const QString& db) {
             return everyCheckFails(QStringLiteral("(-2147467259)データベースファイルが見つかりません。(") + db + u')');
         }},
        {"database a folder",
         [](TestInstall&, const QString& db) {
             QFile::remove(db);
             QDir().mkpath(db);
         },
         [](const QString&, const QString& db) {
             return everyCheckFails(QStringLiteral("(-2147467259)データベースファイルではありません。(") + db + u')');
         }},
        {"database not a database",
         [](TestInstall& i, const QString&) { i.writeBytes(QStringLiteral("suite.db"), QByteArray("SQLite? no.\r\n").repeated(500)); },
         [](const QString&, const QString& db) {
             return everyCheckFails(QStringLiteral("(-2147467259)file is not a database (") + db + u')');
         }},
        {"database locked by a writer", [](TestInstall&, const QString&) {},
         [](const QString&, const QString& db) {
             return everyCheckFails(QStringLiteral("(-2147467259)database is locked (") + db + u')');
         },
         true, [&](TestInstall&, const QString&) { lock.close(); }, [&](const QString& db) { ASSERT_TRUE(lock.open(db, "BEGIN EXCLUSIVE")); }},
        {"database read-only with a current schema",
         [](TestInstall&, const QString& db) { makeReadOnly(db); },
         [&](const QString&, const QString&) { return none; }, true,
         [](TestInstall&, const QString& db) { undoReadOnly(db); }},
    };
    int tried = 0;
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
        inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"),
                        cp932(QStringLiteral("[他のプログラム]\r\nx=1\r\n[利用者別月間実績表]\r\n並び順=1\r\n")));
        row.damage(inst, db);
        const QMap<QString, QByteArray> before = userFiles(inst);
        if (row.hold)
            row.hold(db);
        const ProgramRun r = runInstalledProgram(inst, QStringLiteral(MONTHLY_RECORDS_BINARY), {QStringLiteral("1")},
                                                 {QStringLiteral("MONTHLY_RECORDS_QUIT_AFTER_LOAD=1"),
                                                  QStringLiteral("MONTHLY_RECORDS_DB_TIMEOUT_MS=300")});
        if (row.undo)
            row.undo(inst, db);
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.lines(QStringLiteral("MSGBOX")).join(u'\n').toStdString(), row.messages(app, db).join(u'\n').toStdString());
        EXPECT_EQ(r.lines(QStringLiteral("START")),
                  row.mainWindowOpens ? QStringList{QStringLiteral("START\t") + app + QStringLiteral("/Main.exe 2")} : QStringList{});
        const QMap<QString, QByteArray> after = userFiles(inst);
        EXPECT_EQ(after.keys(), before.keys());
        for (auto it = before.begin(); it != before.end(); ++it)
            EXPECT_TRUE(after.value(it.key()) == it.value()) << it.key().toStdString() << " changed";
        ++tried;
    }
    RecordProperty("rows", tried);
}

} // namespace
