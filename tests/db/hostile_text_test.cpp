// Hostile text in every typed field: every statement the program sends keeps, outside its
// string literals, exactly the tokens it has with a plain text, and nothing typed is lost
// or changes the database.
#include "db/statement_log.h"
#include "db/tsql_tokenizer.h"
#include "mainwindow/target_list.h"
#include "support/list_fixture.h"

#include <QCryptographicHash>
#include <functional>

namespace {

enum class Via { Embedded, Odbc };

QStringList hostileTexts()
{
    return {QStringLiteral("'"),
            QStringLiteral("''"),
            QStringLiteral("\""),
            QStringLiteral("%"),
            QStringLiteral("_"),
            QStringLiteral("["),
            QStringLiteral("[a-z]%"),
            QStringLiteral("!"),
            QStringLiteral("' OR 1=1 --"),
            QStringLiteral("'; DELETE FROM OVER16COUNT; --"),
            QStringLiteral(";"),
            QStringLiteral("/* x */"),
            QStringLiteral("N'x'"),
            QString(QChar(0)) + QStringLiteral("a"),
            QStringLiteral("a") + QChar(0),
            QStringLiteral("表ソ能\\"),
            QStringLiteral("\r\n"),
            QStringLiteral("x").repeated(5000),
            QStringLiteral("😀é") + QChar(0x301C),
            QString(QChar(0xD800))};
}

// The significant tokens of a statement, string literals reduced to their kind.
QStringList shape(const QString& sql)
{
    QStringList out;
    for (const tsql::Token& t : tsql::tokenize(sql)) {
        if (!t.isSignificant())
            continue;
        out << (t.kind == tsql::TokenKind::String ? QStringLiteral("<string>") : t.text);
        if (t.unterminated)
            out << QStringLiteral("<unterminated>");
    }
    return out;
}

QByteArray digest(const QString& path)
{
    return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
}

struct Field {
    const char* name;
    // Runs the routine with the typed text; the rows it found (-1: not a search).
    std::function<int(const QString& typed)> use;
};

class HostileText : public ListFixture, public ::testing::WithParamInterface<Via> {
protected:
    void SetUp() override
    {
        if (GetParam() == Via::Odbc)
            connectThroughOdbc();
        seedThreeUsers();
    }

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
        return {
            {"txt_SiboriName", list([](ListConditions& c, const QString& t) { c.searchName = t; })},
            {"txt_SiboriKana", list([](ListConditions& c, const QString& t) { c.searchKana = t; })},
            {"txt_SiboriNo", list([](ListConditions& c, const QString& t) { c.searchNo = t; })},
        };
    }
};

TEST_P(HostileText, StatementsKeepTheirShapeWhateverIsTyped)
{
    int inputs = 0;
    for (const Field& field : fields()) {
        statementlog::Scope log;
        field.use(QStringLiteral("あいう"));
        const QStringList plain = statementlog::texts();
        ASSERT_FALSE(plain.isEmpty()) << field.name;
        for (const QString& typed : hostileTexts()) {
            SCOPED_TRACE(std::string(field.name) + ": " + typed.left(30).toStdString());
            const QByteArray before = digest(db);
            statementlog::clear();
            rec.clear();
            // No name holds any of these: a text that widened the search would find rows.
            EXPECT_LE(field.use(typed), 0);
            ++inputs;
            const QStringList sent = statementlog::texts();
            ASSERT_EQ(sent.size(), plain.size());
            for (int i = 0; i < sent.size(); ++i)
                EXPECT_EQ(shape(sent[i]), shape(plain[i])) << sent[i].left(400).toStdString();
            EXPECT_EQ(digest(db), before) << "a search changed the database";
            for (const auto& m : rec.messages) // a clear message at most, never a driver's syntax error
                EXPECT_FALSE(m.text.contains(QStringLiteral("syntax error")) || m.text.contains(QStringLiteral("unrecognized token")))
                    << m.text.toStdString();
        }
    }
    RecordProperty("inputs", inputs);
}

INSTANTIATE_TEST_SUITE_P(Drivers, HostileText, ::testing::Values(Via::Embedded, Via::Odbc),
                         [](const auto& info) { return info.param == Via::Odbc ? std::string("Odbc") : std::string("Embedded"); });

} // namespace
