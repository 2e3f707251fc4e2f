// Database faults against the program's routines on both drivers: each routine answers with
// its own message and result, nothing is half-written, no lock or journal is left behind,
// and the same routine works again once the fault is gone.
#include "continuation/over16_record.h"
#include "db/table_checks.h"
#include "mainwindow/target_list.h"
#include "support/file_faults.h"
#include "support/list_fixture.h"
#include "widgets/bounded_text.h"
#include "widgets/date_input.h"
#include "windows/input_meisai.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace {

const QString kMay = QStringLiteral("2024/05/01");

// What a routine did: its result and the messages shown, "title|icon|text".
struct Outcome {
    short status = 0;
    QStringList messages;
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
        qputenv("MONTHLY_RECORDS_DB_TIMEOUT_MS", "200");
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
    void TearDown() override { qunsetenv("MONTHLY_RECORDS_DB_TIMEOUT_MS"); }

    QStringList shown() const
    {
        QStringList out;
        for (const auto& m : rec.messages)
            out << m.title + u'|' + QString::number(int(m.icon)) + u'|' + m.text;
        return out;
    }
    // The stored reason of the user's May row.
    QStringList storedReason() const
    {
        return queryFile(
            db,
            QStringLiteral("SELECT cRiyuu FROM OVER16COUNT WHERE nKanjaID = 10101 AND iYear = 2024 AND iMonth = 5"));
    }
    // No transaction or lock of ours is left: another connection gets the file for itself at once.
    bool fileIsFree() const
    {
        OtherConnection other;
        return other.open(db, "BEGIN EXCLUSIVE") && !QFile::exists(db + QStringLiteral("-journal"));
    }

    QByteArray sound; // the database before any fault
};

// The routines, each with the message a connection failure gives and its result then.
struct Routine {
    const char* name;
    std::function<Outcome()> run;
    QString routineName;                                      // P of its messages
    short connectFailed;                                      // result after a connection failure
    short queryFailed;                                        // result after a failed query or statement
    bool writes;                                              // writes to the database
    std::function<void()> prepare = [] {};                    // before the fault is made
    std::function<QString()> kept = [] { return QString(); }; // after a failure: what was lost, if anything
};

std::vector<Routine> routines()
{
    auto checks = [] {
        Outcome o;
        for (auto check : {iChkOver16Count, iChkDouiRec, iChkHKSyobyou07Flg, iChkSyoujouSonota, iChkJissekiField})
            o.status = short(o.status + (check() != 0 ? 1 : 0));
        return o;
    };
    auto list = [] {
        ListConditions c;
        c.month = QDate(2024, 5, 1);
        c.condition = 4;
        const ListLoad l = iDataLoad(c);
        return Outcome{l.status, {}};
    };
    auto read = [] {
        const Over16Read r = readMonthEntry(10101, kMay);
        return Outcome{r.row ? short(10) : r.status, {}}; // 10: a row came back
    };
    auto save = [] {
        Over16Stored seen = savedRow;
        const Over16SaveResult r = saveOver16Entry(10101, kMay, entry(QStringLiteral("新しい理由")), seen);
        return Outcome{r.status,
                       r.unshownError.isEmpty() ? QStringList{}
                                                : QStringList{QStringLiteral("unshown|") + r.unshownError}};
    };
    return {{"start-up checks", checks, QStringLiteral("csInpKey_Isi"), 5, 5, false},
            {"list", list, QStringLiteral("iDataLoad"), 0, 1, false},
            {"month entry", read, QStringLiteral("iDataLoad"), 0, 1, false},
            {"save", save, QStringLiteral("iDataLoad"), -1, -1, true}};
}

// How a fault shows: at the connection, at a query, at a write, at the commit, or wherever
// a statement reaches a damaged part of the file (Any: success or one of the designed failures).
enum class Stage { Connect, Query, Write, Commit, Any };

struct Fault {
    const char* name;
    std::function<bool(OtherConnection&)> apply; // false: cannot be made here
    std::function<void(OtherConnection&)> remove;
    Stage stage;
    const char* sqliteText; // the engine's text in the detail (both drivers pass it on)
};

TEST_P(DbFaults, EveryRoutineAnswersEveryFaultAndRecovers)
{
    const QString path = db;
    auto restore = [this, path](OtherConnection&) {
        QDir(path).removeRecursively();
        QFile::remove(path);
        inst.writeBytes(QStringLiteral("suite.db"), sound);
    };
    auto write = [path](const QByteArray& bytes) {
        QFile::remove(path);
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    const Fault faults[] = {
        {"missing", [path](OtherConnection&) { return QFile::remove(path); }, restore, Stage::Connect,
         "データベースファイルが見つかりません。("},
        {"a folder", [path](OtherConnection&) { return QFile::remove(path) && QDir().mkpath(path); }, restore,
         Stage::Connect, "データベースファイルではありません。("},
        {"not a database", [write](OtherConnection&) { return write(QByteArray("not a database\r\n").repeated(300)); },
         restore, Stage::Connect, "file is not a database ("},
        {"truncated", [this, write](OtherConnection&) { return write(sound.left(sound.size() / 2)); }, restore,
         Stage::Any, "database disk image is malformed"},
        {"read-only", [path](OtherConnection&) { return makeReadOnly(path); },
         [path](OtherConnection&) { undoReadOnly(path); }, Stage::Write, "attempt to write a readonly database"},
        {"locked by a writer", [path](OtherConnection& o) { return o.open(path, "BEGIN EXCLUSIVE"); },
         [](OtherConnection& o) { o.close(); }, Stage::Connect, "database is locked ("},
        {"a writer's reservation", [path](OtherConnection& o) { return o.open(path, "BEGIN IMMEDIATE"); },
         [](OtherConnection& o) { o.close(); }, Stage::Write, "database is locked"},
        {"a reader during the commit",
         [path](OtherConnection& o) { return o.open(path, "BEGIN; SELECT count(*) FROM OVER16COUNT;"); },
         [](OtherConnection& o) { o.close(); }, Stage::Commit, "database is locked"},
        {"a trigger failing the insert",
         [path](OtherConnection& o) {
             const bool made = o.open(
                 path, "CREATE TRIGGER t BEFORE INSERT ON OVER16COUNT BEGIN SELECT RAISE(ABORT, 'no insert'); END");
             o.close();
             return made;
         },
         [path](OtherConnection& o) {
             o.open(path, "DROP TRIGGER t");
             o.close();
         },
         Stage::Write, "no insert"},
    };

    // The detail entry window: an entry typed, then saved while the fault is there. A failed
    // save keeps the window open with everything that was entered.
    std::unique_ptr<frmInputMeisai> window;
    Over16Entry entered;
    std::vector<Routine> all = routines();
    all.push_back({"entry window",
                   [&] {
                       window->btnRegist->click();
                       return Outcome{short(window->isVisible() ? -1 : 0), {}};
                   },
                   QStringLiteral("iDataLoad"), -1, -1, true,
                   [&] {
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
                       entered = window->entryValues();
                   },
                   [&] {
                       const Over16Entry now = window->entryValues();
                       if (!window->isVisible())
                           return QStringLiteral("the window closed");
                       if (now.cRiyuu != entered.cRiyuu || now.iNegaeri != entered.iNegaeri
                           || now.iOkiagari != entered.iOkiagari || now.cHyoukaDay != entered.cHyoukaDay
                           || now.cSyoumeiDay != entered.cSyoumeiDay || now.nStaffID != entered.nStaffID)
                           return QStringLiteral("the entry changed");
                       return QString();
                   }});

    const bool odbc = GetParam() == Via::Odbc;
    int tried = 0;
    for (const Fault& fault : faults) {
        for (const Routine& routine : all) {
            SCOPED_TRACE(std::string(fault.name) + " / " + routine.name);
            OtherConnection other;
            restore(other);
            routine.prepare();
            if (!fault.apply(other)) {
                fault.remove(other);
                continue; // e.g. no way to make a file read-only for root here
            }
            const QByteArray before = QFileInfo(db).isFile() ? fileBytes(db) : QByteArray();
            rec.clear();
            Outcome o = routine.run();
            o.messages = shown() + o.messages;
            ++tried;
            // A lock is let go before the file is looked at (reading it would drop the lock).
            const bool lockFault = other.isOpen();
            if (lockFault)
                fault.remove(other);

            // The designed answer.
            const bool hits = fault.stage == Stage::Connect || fault.stage == Stage::Query
                || (routine.writes && (fault.stage == Stage::Write || fault.stage == Stage::Commit));
            const QString head = QStringLiteral("|%1|").arg(int(MsgIcon::Critical)) + routine.routineName
                + QStringLiteral("() でエラー\r\n(-2147467259)");
            if (fault.stage == Stage::Any) {
                for (const QString& m : o.messages)
                    EXPECT_TRUE(m.contains(QString::fromUtf8(fault.sqliteText))) << m.toStdString();
                if (!o.messages.isEmpty()) {
                    EXPECT_TRUE(o.status == routine.connectFailed || o.status == routine.queryFailed) << o.status;
                }
            } else if (!hits) {
                EXPECT_EQ(o.messages, QStringList{});
                EXPECT_EQ(o.status, routine.name == std::string("month entry") ? 10 : 0);
            } else if (fault.stage == Stage::Connect) {
                EXPECT_EQ(o.status, routine.connectFailed);
                ASSERT_EQ(o.messages.size(), routine.connectFailed == 5 ? 5 : 1)
                    << o.messages.join(u'\n').toStdString();
                EXPECT_TRUE(o.messages[0].startsWith(head)) << o.messages[0].toStdString();
                if (!odbc || fault.name == std::string("missing") || fault.name == std::string("a folder")) {
                    EXPECT_EQ(o.messages[0], head + QString::fromUtf8(fault.sqliteText) + db + u')');
                }
            } else if (fault.stage == Stage::Commit) {
                // The record leaves it to the window, which says the entry was not stored.
                EXPECT_EQ(o.status, -1);
                ASSERT_EQ(o.messages.size(), 1);
                EXPECT_TRUE(o.messages[0].startsWith(QStringLiteral("unshown|ERR:CommitTrans (-2147467259)"))
                            || o.messages[0].startsWith(
                                QStringLiteral("確認|%1|保存できませんでした。\r\nERR:CommitTrans (-2147467259)")
                                    .arg(int(MsgIcon::Exclamation))))
                    << o.messages[0].toStdString();
            } else if (routine.writes) {
                // A failed statement of the save: sErrMsg titled 確認, the transaction rolled back.
                EXPECT_EQ(o.status, -1);
                ASSERT_EQ(o.messages.size(), 1) << o.messages.join(u'\n').toStdString();
                EXPECT_TRUE(o.messages[0].startsWith(
                    QStringLiteral("確認|%1|ERR:iExecSQL (-2147467259)").arg(int(MsgIcon::None))))
                    << o.messages[0].toStdString();
                EXPECT_TRUE(o.messages[0].contains(QString::fromUtf8(fault.sqliteText))) << o.messages[0].toStdString();
                if (!odbc
                    && fault.name != std::string("a trigger failing the insert")) { // the engine's text names the file
                    EXPECT_TRUE(
                        o.messages[0].contains(QString::fromUtf8(fault.sqliteText) + QStringLiteral(" (") + db + u')'))
                        << o.messages[0].toStdString();
                }
            } else {
                EXPECT_EQ(o.status, routine.queryFailed);
                ASSERT_FALSE(o.messages.isEmpty());
                EXPECT_TRUE(o.messages[0].startsWith(head)) << o.messages[0].toStdString();
                EXPECT_TRUE(o.messages[0].contains(QString::fromUtf8(fault.sqliteText))) << o.messages[0].toStdString();
            }

            if (o.status != 0) {
                EXPECT_EQ(routine.kept(), QString());
            }
            // Nothing half-written; a missing file stays missing.
            if (QFileInfo(db).isFile()) {
                EXPECT_TRUE(fileBytes(db) == before) << "the database changed";
            }
            EXPECT_EQ(QFileInfo::exists(db), fault.name != std::string("missing")) << "the file appeared or went";
            if (!lockFault)
                fault.remove(other);
            restore(other);
            // No transaction or lock is left open, and the stored row is the one saved before.
            EXPECT_TRUE(fileIsFree());
            EXPECT_EQ(storedReason(), QStringList{QStringLiteral("保存済みの理由")});

            // Once the fault is gone the same routine works.
            rec.clear();
            const Outcome again = routine.run();
            EXPECT_EQ(shown(), QStringList{});
            EXPECT_EQ(again.status, routine.name == std::string("month entry") ? 10 : 0);
            EXPECT_TRUE(fileIsFree());
        }
    }
    EXPECT_GE(tried, 30);
    RecordProperty("faults_tried", tried);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DbFaults, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
