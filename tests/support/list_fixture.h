#pragma once
// A test installation with a fixture database of the suite (branch 1-3), the start-up checks
// run, and helpers that add users, month totals, treatment records and continuation rows.
#include "support/suite_db.h"
#include "support/test_install.h"

#include <QDate>
#include <utility>
#include <gtest/gtest.h>

struct FixtureUser {
    FixtureUser(long id_, QString name_, QString kana_ = {}, int kubun_ = 0, QString birth_ = {}, QString syoryo_ = {},
                int tantou_ = 0, int plan_ = 0, QString byoumei_ = {}, int kyotenCd_ = 1, int kyotenEb_ = 3)
        : id(id_), name(std::move(name_)), kana(std::move(kana_)), kubun(kubun_), birth(std::move(birth_)),
          syoryo(std::move(syoryo_)), tantou(tantou_), plan(plan_), byoumei(std::move(byoumei_)), kyotenCd(kyotenCd_),
          kyotenEb(kyotenEb_)
    {
    }
    long id;
    QString name;
    QString kana;
    int kubun;                  // iSejutsuKubun
    QString birth;              // "yyyy-mm-dd" or empty (Null)
    QString syoryo;             // first-treatment date "yyyy-mm-dd" or empty (Null)
    int tantou;                 // nTantou
    int plan;                   // iHinkaiKeikaku
    QString byoumei;
    int kyotenCd;
    int kyotenEb;
};

class ListFixture : public ::testing::Test {
protected:
    ListFixture();

    TestInstall inst;
    ScopedRecordingPlatform rec;
    QString db;

    void createDatabase(SchemaVariant v = SchemaVariant::Current);
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
