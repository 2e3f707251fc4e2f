// Hostile text in every typed field: every statement the program sends keeps, outside its
// string literals, exactly the tokens it has with a plain text, and nothing typed is lost
// or changes the database.
#include "db_test_util.h"

#include "continuation/over16_record.h"
#include "db/sql_text.h"
#include "db/tsql_tokenizer.h"
#include "mainwindow/target_list.h"
#include "support/typing.h"
#include "widgets/bounded_text.h"
#include "widgets/date_input.h"
#include "widgets/number_input.h"
#include "widgets/spread_grid.h"
#include "windows/input_meisai.h"
#include "windows/staff_search.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>

namespace {

QStringList hostileTexts()
{
    const QStringList plain{"'", "''",      "\"",   "%",           "_",
                            "[", "[a-z]%",  "!",    "' OR 1=1 --", "'; DELETE FROM OVER16COUNT; --",
                            ";", "/* x */", "N'x'", "表ソ能\\",    "\r\n"};
    return plain
        + QStringList{QString(QChar(0)) + u'a', QStringLiteral("a") + QChar(0), QString(5000, u'x'),
                      QStringLiteral("😀é") + QChar(0x301C), QString(QChar(0xD800))};
}

// The significant tokens of a statement, string literals and numbers reduced to their kind
// (a number input puts its number where the plain text's number was).
QStringList shape(const QString& sql)
{
    QStringList out;
    for (const tsql::Token& t : tsql::tokenize(sql)) {
        if (!t.isSignificant())
            continue;
        out << (t.kind == tsql::TokenKind::String       ? QStringLiteral("<string>")
                    : t.kind == tsql::TokenKind::Number ? QStringLiteral("<number>")
                                                        : t.text);
        if (t.unterminated)
            out << QStringLiteral("<unterminated>");
    }
    return out;
}

struct Field {
    const char* name;
    // Runs the routine with the typed text: the rows a search found, or for a save -1 when
    // it stored exactly what was typed and -2 when it refused before sending anything.
    std::function<int(const QString& typed)> use;
    bool writes = false;
    QString plain = QStringLiteral("あいう"); // the harmless text compared with
    bool narrows = true;        // a text no row holds finds nothing (not so for a number input left empty)
    bool olderDatabase = false; // typed only on a database without the newer columns
};

class HostileText : public ListFixtureVia {
protected:
    void SetUp() override
    {
        ListFixtureVia::SetUp();
        seedThreeUsers();
        sql({QStringLiteral("UPDATE STAFF SET cNameKana = 'サトウ　イチロウ'")});
    }
    // The stored reason and other symptom: "cRiyuu|cSyoujouSonota".
    QString stored() const
    {
        const QStringList r =
            queryFile(db, QStringLiteral("SELECT cRiyuu, cSyoujouSonota FROM OVER16COUNT WHERE nKanjaID = 10101"));
        return r.value(0);
    }
    mutable QString expectedStored; // what the entry window was saving, as stored() gives it
    void checkField(const Field& field, int* inputs);

    std::vector<Field> fields() const
    {
        auto list = [](void (*set)(ListConditions&, const QString&)) {
            return [set](const QString& typed) {
                ListConditions c;
                c.month = QDate(2024, 5, 1);
                c.condition = 4;
                set(c, typed);
                return int(iDataLoad(c).rows.size());
            };
        };
        const auto setText = [](QLineEdit* frm施術者検索::*field) {
            return [field](frm施術者検索& w, const QString& t) { (w.*field)->setText(t); };
        };
        // The practitioner search, its conditions typed into the window.
        auto staff = [](std::function<void(frm施術者検索&, const QString&)> set) {
            return [set](const QString& typed) {
                frm施術者検索 w;
                w.iInit(0, 0, -1);
                w.show();
                EXPECT_TRUE(QTest::qWaitFor([&] { return w.opened(); }, 5000));
                statementlog::clear(); // the opening search has no typed text
                set(w, typed);
                w.search();
                int rows = 0;
                for (int r = 1; r <= w.spr_1ran->MaxRows(); ++r)
                    rows += w.spr_1ran->value(r, 1).toLongLong() != 0;
                return rows;
            };
        };
        // The detail entry window, saved with the text typed in.
        auto entry = [this](std::function<void(frmInputMeisai&, const QString&)> set) {
            return [this, set](const QString& typed) {
                frmInputMeisai w;
                w.iInit(10101, QStringLiteral("2024/05/01"));
                w.show();
                w.optNegaeri[1]->click();
                w.optZenkaiUmu[0]->click();
                w.cmbZenkaiHenka[0]->setCurrentIndex(3);
                w.imHyoukaDay[0]->setDate(QDate(2024, 5, 20));
                w.imSyoumeiDay->setDate(QDate(2024, 5, 31));
                w.imTantou->setValue(1);
                w.txtRiyuu->setStoredText(QStringLiteral("理由"));
                statementlog::clear(); // the window's own reads come before anything is typed
                set(w, typed);
                const Over16Entry v = w.entryValues();
                expectedStored = v.cRiyuu + u'|' + (iHasSyoujouSonota == 1 ? QStringLiteral("NULL") : v.cSyoujouSonota);
                w.btnRegist->click();
                return w.isVisible() ? -2 : -1;
            };
        };
        return {
            {"txt_SiboriName", list([](ListConditions& c, const QString& t) { c.searchName = t; })},
            {"txt_SiboriKana", list([](ListConditions& c, const QString& t) { c.searchKana = t; })},
            {"txt_SiboriNo", list([](ListConditions& c, const QString& t) { c.searchNo = t; })},
            {"practitioner search txt_SiboriName", staff(setText(&frm施術者検索::txt_SiboriName))},
            {"practitioner search txt_SiboriKana", staff(setText(&frm施術者検索::txt_SiboriKana))},
            {"practitioner search in_SiboriID", staff([](frm施術者検索& w, const QString& t) {
                 w.in_SiboriID->clear();
                 typeText(w.in_SiboriID, t.left(50));
             }),
             false, QStringLiteral("1"), false},
            {"txtRiyuu", entry([](frmInputMeisai& w, const QString& t) { w.txtRiyuu->setStoredText(t); }), true},
            {"imTantou", entry([](frmInputMeisai& w, const QString& t) {
                 w.imTantou->clear();
                 w.imTantou->setFocus();
                 typeText(w.imTantou, t.left(50));
                 QTest::keyClick(w.imTantou, Qt::Key_Return);
             }),
             true, QStringLiteral("1")},
            // Typed only while RIYOUSHA_SUB has no column of its own for it.
            {"txtSyobyo(2)", entry([](frmInputMeisai& w, const QString& t) { w.txtSyobyo[2]->setText(t); }), true,
             QStringLiteral("あいう"), true, true},
        };
    }
};

void HostileText::checkField(const Field& field, int* inputs)
{
    statementlog::Scope log;
    // The shapes a harmless text gives, and those of an empty field (a design's own branch:
    // no condition for an empty search, no lookup for an empty number).
    QList<QStringList> plainShapes;
    for (const QString& harmless : {field.plain, QString()}) {
        statementlog::clear();
        field.use(harmless);
        for (const QString& p : statementlog::texts())
            plainShapes << shape(p);
    }
    ASSERT_FALSE(plainShapes.isEmpty()) << field.name;
    for (const QString& typed : hostileTexts()) {
        SCOPED_TRACE(std::string(field.name) + ": " + typed.left(30).toStdString());
        const QByteArray before = fileBytes(db);
        statementlog::clear();
        rec.clear();
        const int result = field.use(typed);
        ++*inputs;
        const QStringList sent = statementlog::texts();
        if (field.writes) {
            // Stored exactly as typed, or refused with a message before anything was sent.
            EXPECT_TRUE(result == -1 || (result == -2 && !rec.messages.isEmpty())) << result;
            if (result == -1) {
                EXPECT_TRUE(stored() == expectedStored) << "the stored text differs from the entry";
            }
        } else {
            // No name holds any of these: a text that widened the search would find rows.
            // (A search text ends at a NUL: one that starts with it searches for nothing.)
            if (field.narrows && !typed.startsWith(QChar(0))) {
                EXPECT_LE(result, 0);
            }
            EXPECT_TRUE(fileBytes(db) == before) << "a search changed the database";
        }
        // Every statement sent has the shape of one sent with a harmless text.
        for (const QString& sql : sent)
            EXPECT_TRUE(plainShapes.contains(shape(sql))) << sql.left(600).toStdString();
        for (const auto& m : rec.messages) // a clear message at most, never a driver's syntax error
            EXPECT_FALSE(m.text.contains(QStringLiteral("syntax error"))
                         || m.text.contains(QStringLiteral("unrecognized token")))
                << m.text.toStdString();
    }
}

TEST_P(HostileText, StatementsKeepTheirShapeWhateverIsTyped)
{
    int inputs = 0;
    for (const Field& field : fields())
        if (!field.olderDatabase)
            checkField(field, &inputs);
    // The other symptom, typed only on an older database.
    createDatabase(SchemaVariant::Old);
    ListFixtureVia::SetUp();
    seedThreeUsers();
    ASSERT_EQ(iHasSyoujouSonota, 0);
    for (const Field& field : fields())
        if (field.olderDatabase)
            checkField(field, &inputs);
    RecordProperty("inputs", inputs);
}

INSTANTIATE_TEST_SUITE_P(Drivers, HostileText, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

TEST(TypedText, SearchPatternsHoldWhatTheOldInputControlsHeld)
{
    EXPECT_EQ(likeContains(QStringLiteral("O'Neil 50%_[!]")), QStringLiteral("'%O''Neil 50!%!_![!!]%' ESCAPE '!'"));
    // The text ends at a NUL; what CP932 lacks is "?", best fit first.
    EXPECT_EQ(likeContains(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), QStringLiteral("'%a%' ESCAPE '!'"));
    EXPECT_EQ(likeContains(QStringLiteral("😀é") + QChar(0x301C) + QChar(0xD800)),
              QStringLiteral("'%??～?%' ESCAPE '!'"));
}

TEST(TypedText, AReasonWithANulIsRefusedBeforeAnythingIsSent)
{
    Over16Entry v;
    v.cRiyuu = QStringLiteral("前") + QChar(0) + QStringLiteral("後");
    EXPECT_EQ(
        over16EntryProblem(v),
        QStringLiteral("施術が必要な理由に使えない文字（NUL）が含まれています。取り除いてから保存してください。"));
}

} // namespace
