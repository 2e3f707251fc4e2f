#pragma once
// A test installation with a fixture database of the suite (branch 1-3), the start-up checks
// run, and helpers that add users, month totals, treatment records and continuation rows.
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QDate>
#include <gtest/gtest.h>
#include <string>

struct FixtureUser {
    long id = 0;
    QString name{};
    QString kana{};
    int kubun = 0;    // iSejutsuKubun
    QString birth{};  // "yyyy-mm-dd" or empty (Null)
    QString syoryo{}; // first-treatment date "yyyy-mm-dd" or empty (Null)
    int tantou = 0;   // nTantou
    int plan = 0;     // iHinkaiKeikaku
    QString byoumei{};
    int kyotenCd = 1;
    int kyotenEb = 3;
};

class ListFixture : public ::testing::Test {
protected:
    ListFixture();

    TestInstall inst;
    ScopedRecordingPlatform rec;
    QString db;

    void createDatabase(SchemaVariant v = SchemaVariant::Current);
    // The program reaches the same file through ODBC (the SQLite3 driver) instead.
    void connectThroughOdbc() const { inst.writeAdodbIni(sqliteOdbcConnectionString(db)); }
    void sql(const QStringList& statements) const { execSuiteSql(db, statements); }
    void addUser(const FixtureUser& u) const;
    void addStaff(int id, const QString& name, int kyotenCd = 1, int kyotenEb = 3) const;
    void addMonth(long id, int year, int month, int count, int kyotenCd = 1, int kyotenEb = 3) const;
    // Treatment records on the given day and time; startNo numbers them.
    void addJisseki(long id, const QDateTime& start, int staff, int seikyuKbn = 0) const;
    void addJissekiDays(long id, const QDate& from, int count, int staff = 1) const; // one a day
    void addOver16(long id, int year, int month, int staff = 0) const;
    // Three users 10101, 10201, 10301 with totals for 2024/05 (the demo of several tests).
    void seedThreeUsers() const;

private:
    mutable int m_jissekiNo = 1;
};

// The two ways the program reaches a fixture database, for tests run through both drivers.
enum class Via { Embedded, Odbc };
inline std::string viaName(const ::testing::TestParamInfo<Via>& info)
{
    return info.param == Via::Odbc ? "Odbc" : "Embedded";
}

// A ListFixture whose program connections go through the driver of the test's parameter.
class ListFixtureVia : public ListFixture, public ::testing::WithParamInterface<Via> {
protected:
    void SetUp() override { useDriver(); }
    // Again after createDatabase, which points adodb.ini at the embedded file.
    void useDriver() const
    {
        if (GetParam() == Via::Odbc)
            connectThroughOdbc();
    }
};
