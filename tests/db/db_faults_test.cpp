// Database faults against the program's routines on both drivers: each routine answers with
// its own message and result, nothing is half-written, no lock or journal is left behind,
// and the same routine works again once the fault is gone.
#include "db_test_util.h"

#include "continuation/over16_record.h"
#include "mainwindow/target_list.h"
#include "support/file_faults.h"
#include "support/list_fixture.h"
#include "widgets/bounded_text.h"
#include "widgets/date_input.h"
#include "windows/input_meisai.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace {

const QString kMay = QStringLiteral("2024/05/01");

// A message box as "title|icon|text".
QString box(const QString& title, MsgIcon icon, const QString& text)
{
    return title + u'|' + QString::number(int(icon)) + u'|' + text;
}
QString critical(const char* routine)
{
    return box(QString(), MsgIcon::Critical,
               QString::fromLatin1(routine) + QStringLiteral("() でエラー\r\n(-2147467259)"));
}

// What a routine did: its result ("row" where a read found its row) and the messages shown.
struct Outcome {
    QString result;
    QStringList messages;
};

// A routine's answer to a fault at one stage: its result, how many messages it shows and how
// each starts (the fault's detail follows).
struct Answer {
    QString result;
    int messages = 0;
    QString head{};
};

// How a fault shows: at the connection, at a write, at the commit, or wherever a statement
// reaches a damaged part of the file (Any: success or one of the routine's failures).
enum class Stage { Connect, Write, Commit, Any };

struct Routine {
    const char* name;
    std::function<Outcome()> run;
    QString ok; // the result without a fault
    Answer connect, write, commit;
    QStringList damaged;                                      // the results a damaged file may give
    std::function<void()> prepare = [] {};                    // before the fault is made
    std::function<QString()> kept = [] { return QString(); }; // after a failure: what was lost, if anything
};

struct Fault {
    const char* name;
    std::function<bool(OtherConnection&)> apply; // false: cannot be made here
    std::function<void(OtherConnection&)> remove;
    Stage stage;
    // The detail after the routine's head on each driver (%1 the file); for Any what every message holds.
    const char* embedded;
    const char* odbc = nullptr; // none: as embedded
};

Over16Entry entry(const QString& reason)
{
    Over16Entry v;
    v.iNegaeri = 1;
    v.iNRS = 4;
    v.cRiyuu = reason;
    v.nStaffID = 5;
    return v;
}

Over16Stored savedRow; // the row the fixture saved, as the save read it back

class DbFaults : public ListFixtureVia {
protected:
    void SetUp() override
    {
        ListFixtureVia::SetUp();
        addStaff(5, QStringLiteral("佐藤　一郎"));
        addUser({10101, QStringLiteral("山田　太郎"), QStringLiteral("ヤマダ"), 0, QStringLiteral("1940-04-01"),
                 QStringLiteral("2020-01-10"), 5});
        addMonth(10101, 2024, 5, 18);
        Over16Stored seen;
        ASSERT_EQ(saveOver16Entry(10101, kMay, entry(QStringLiteral("保存済みの理由")), seen).status, 0);
        savedRow = seen;
        sound = fileBytes(db);
        rec.clear();
    }

    QStringList shown() const
    {
        QStringList out;
        for (const auto& m : rec.messages)
            out << box(m.title, m.icon, m.text);
        return out;
    }
    // No transaction or lock of ours is left: another connection gets the file for itself at once.
    bool fileIsFree() const
    {
        OtherConnection other;
        return other.open(db, "BEGIN EXCLUSIVE") && !QFile::exists(db + QStringLiteral("-journal"));
    }
    void restore() const
    {
        QDir(db).removeRecursively();
        QFile::remove(db);
        inst.writeBytes(QStringLiteral("suite.db"), sound);
    }
    bool write(const QByteArray& bytes) const
    {
        QFile::remove(db);
        QFile f(db);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    std::vector<Fault> faults() const
    {
        const QString path = db;
        const auto restored = [this](OtherConnection&) { restore(); };
        const auto closed = [](OtherConnection& o) { o.close(); };
        // Another connection holding the file after sql, or gone again once sql ran.
        const auto held = [path](const char* sql) {
            return [path, sql](OtherConnection& o) { return o.open(path, sql); };
        };
        const auto once = [path](const char* sql) {
            return [path, sql](OtherConnection& o) {
                const bool done = o.open(path, sql);
                o.close();
                return done;
            };
        };
        return {
            {"missing", [path](OtherConnection&) { return QFile::remove(path); }, restored, Stage::Connect,
             "データベースファイルが見つかりません。(%1)"},
            {"a folder", [path](OtherConnection&) { return QFile::remove(path) && QDir().mkpath(path); }, restored,
             Stage::Connect, "データベースファイルではありません。(%1)"},
            {"not a database",
             [this](OtherConnection&) { return write(QByteArray("not a database\r\n").repeated(300)); }, restored,
             Stage::Connect, "file is not a database (%1)", "[SQLite]file is not a database (26)"},
            {"truncated", [this](OtherConnection&) { return write(sound.left(sound.size() / 2)); }, restored,
             Stage::Any, "database disk image is malformed"},
            {"read-only", [path](OtherConnection&) { return makeReadOnly(path); },
             [path](OtherConnection&) { undoReadOnly(path); }, Stage::Write,
             "attempt to write a readonly database (%1)", "[SQLite]attempt to write a readonly database (8)"},
            {"locked by a writer", held("BEGIN EXCLUSIVE"), closed, Stage::Connect, "database is locked (%1)",
             "[SQLite]database is locked (5)"},
            {"a writer's reservation", held("BEGIN IMMEDIATE"), closed, Stage::Write, "database is locked (%1)",
             "[SQLite]database is locked (5)"},
            {"a reader during the commit", held("BEGIN; SELECT count(*) FROM OVER16COUNT;"), closed, Stage::Commit,
             "database is locked", "[SQLite]database is locked"},
            {"a trigger failing the insert",
             once("CREATE TRIGGER t BEFORE INSERT ON OVER16COUNT BEGIN SELECT RAISE(ABORT, 'no insert'); END"),
             once("DROP TRIGGER t"), Stage::Write, "no insert", "[SQLite]no insert (19)"},
        };
    }

    std::vector<Routine> routines()
    {
        auto checks = [] { return Outcome{runTableChecks(), {}}; };
        auto list = [] {
            ListConditions c;
            c.month = QDate(2024, 5, 1);
            c.condition = 4;
            return Outcome{QString::number(iDataLoad(c).status), {}};
        };
        auto read = [] {
            const Over16Read r = readMonthEntry(10101, kMay);
            return Outcome{r.row ? QStringLiteral("row") : QString::number(r.status), {}};
        };
        auto save = [] {
            Over16Stored seen = savedRow;
            const Over16SaveResult r = saveOver16Entry(10101, kMay, entry(QStringLiteral("新しい理由")), seen);
            return Outcome{QString::number(r.status),
                           r.unshownError.isEmpty() ? QStringList{} : QStringList{box("unshown", {}, r.unshownError)}};
        };
        // The detail entry window: an entry typed, then saved while the fault is there. A failed
        // save keeps the window open with everything that was entered.
        auto saveWindow = [this] {
            window->btnRegist->click();
            return Outcome{window->isVisible() ? QStringLiteral("-1") : QStringLiteral("0"), {}};
        };
        auto typeEntry = [this] {
            window = std::make_unique<frmInputMeisai>();
            ASSERT_EQ(window->iInit(10101, kMay), 0) << shown().join(u'\n').toStdString();
            window->show();
            window->optNegaeri[2]->click();
            window->optOkiagari[1]->click();
            window->OptRitsui[2]->click();
            window->optZenkaiUmu[0]->click();
            window->cmbZenkaiHenka[0]->setCurrentIndex(3);
            window->imHyoukaDay[0]->setDate(QDate(2024, 5, 20));
            window->imSyoumeiDay->setDate(QDate(2024, 5, 31));
            window->txtRiyuu->setStoredText(QStringLiteral("入力中の理由\r\n二行目"));
            entered = over16InsertStatement(10101, kMay, window->entryValues());
        };
        auto entryKept = [this] {
            if (!window->isVisible())
                return QStringLiteral("the window closed");
            return over16InsertStatement(10101, kMay, window->entryValues()) == entered
                ? QString()
                : QStringLiteral("the entry changed");
        };
        const QString passed = QStringLiteral("0 0 0 0 0"), failed = QStringLiteral("-1 -1 -1 -1 -1");
        const Answer unhurt{"0"}, readFailed{"0", 1, critical("iDataLoad")}, saveFailed{"-1", 1, critical("iDataLoad")},
            execFailed{"-1", 1, box("確認", MsgIcon::None, "ERR:iExecSQL (-2147467259)")},
            commitUnshown{"-1", 1, box("unshown", {}, "ERR:CommitTrans (-2147467259)")},
            commitShown{"-1", 1,
                        box("確認", MsgIcon::Exclamation, "保存できませんでした。\r\nERR:CommitTrans (-2147467259)")};
        // routine, ok, at the connection, at a write, at the commit, the results on a damaged file
        return {
            {"start-up checks", checks, passed, {failed, 5, critical("csInpKey_Isi")}, {passed}, {passed}, {failed}},
            {"list", list, "0", readFailed, unhurt, unhurt, {"0", "1"}},
            {"month entry", read, "row", readFailed, {"row"}, {"row"}, {"0", "1"}},
            {"save", save, "0", saveFailed, execFailed, commitUnshown, {"-1"}},
            {"entry window", saveWindow, "0", saveFailed, execFailed, commitShown, {"-1"}, typeEntry, entryKept},
        };
    }

    ScopedEnv timeout{"MONTHLY_RECORDS_DB_TIMEOUT_MS", "200"};
    QByteArray sound; // the database before any fault
    std::unique_ptr<frmInputMeisai> window;
    QString entered; // the entry typed into the window, as its save would insert it
};

TEST_P(DbFaults, EveryRoutineAnswersEveryFaultAndRecovers)
{
    const bool odbc = GetParam() == Via::Odbc;
    int tried = 0;
    for (const Fault& fault : faults()) {
        const QString detail = QString::fromUtf8(odbc && fault.odbc ? fault.odbc : fault.embedded).arg(db);
        for (const Routine& routine : routines()) {
            SCOPED_TRACE(std::string(fault.name) + " / " + routine.name);
            OtherConnection other;
            restore();
            routine.prepare();
            if (!fault.apply(other)) {
                fault.remove(other);
                continue; // e.g. no way to make a file read-only for root here
            }
            const QByteArray before = fileBytes(db);
            rec.clear();
            Outcome o = routine.run();
            o.messages = shown() + o.messages;
            ++tried;
            // A lock is let go before the file is looked at (reading it would drop the lock).
            const bool lockFault = other.isOpen();
            if (lockFault)
                fault.remove(other);

            // The designed answer: at the connection the whole message, else its first line.
            if (fault.stage == Stage::Any) {
                for (const QString& m : o.messages)
                    EXPECT_TRUE(m.contains(detail)) << m.toStdString();
                if (!o.messages.isEmpty()) {
                    EXPECT_TRUE(routine.damaged.contains(o.result)) << o.result.toStdString();
                }
            } else {
                const Answer& want = fault.stage == Stage::Connect ? routine.connect
                    : fault.stage == Stage::Write                  ? routine.write
                                                                   : routine.commit;
                EXPECT_EQ(o.result, want.result);
                EXPECT_EQ(o.messages.size(), want.messages) << o.messages.join(u'\n').toStdString();
                for (const QString& m : o.messages)
                    EXPECT_TRUE(fault.stage == Stage::Connect ? m == want.head + detail
                                                              : m.startsWith(want.head + detail + u'\r'))
                        << m.toStdString();
            }

            if (o.result != routine.ok) {
                EXPECT_EQ(routine.kept(), QString());
            }
            // Nothing half-written; a missing file stays missing.
            EXPECT_TRUE(fileBytes(db) == before) << "the database changed";
            EXPECT_EQ(QFileInfo::exists(db), fault.name != std::string("missing")) << "the file appeared or went";
            if (!lockFault)
                fault.remove(other);
            restore();
            // No transaction or lock is left open, and the stored row is the one saved before.
            EXPECT_TRUE(fileIsFree());
            EXPECT_EQ(
                queryFile(db, "SELECT cRiyuu FROM OVER16COUNT WHERE nKanjaID = 10101 AND iYear = 2024 AND iMonth = 5"),
                QStringList{"保存済みの理由"});

            // Once the fault is gone the same routine works.
            rec.clear();
            const Outcome again = routine.run();
            EXPECT_EQ(shown(), QStringList{});
            EXPECT_EQ(again.result, routine.ok);
            EXPECT_TRUE(fileIsFree());
        }
    }
    EXPECT_GE(tried, 30);
    RecordProperty("faults_tried", tried);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DbFaults, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
