// monthly-demo-data: writes a demo database of the suite with realistic, deterministic data:
// treatment records and totals for --months months up to the end of today's month, schedules
// for today's month and the next.
//   monthly-demo-data --out FILE [--users N] [--months N] [--seed N] [--today yyyy-mm-dd] [--force]
// Branch 1-3 (BASEID 0103) is the demo installation's; branch 1-4 holds rows that must never show.
#include "db/adodb.h"
#include "db/suite_schema.h"
#include "db/table_checks.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <random>

namespace {

struct Options {
    QString out;
    int users = 40;
    int months = 36;
    quint32 seed = 1;
    QDate today = QDate::currentDate();
    bool force = false;
};

class Random {
public:
    explicit Random(quint32 seed) : m_engine(seed) { }
    // Uniform in [lo, hi]; built on the engine's raw output so every platform draws the same.
    int between(int lo, int hi) { return lo + static_cast<int>(m_engine() % static_cast<quint32>(hi - lo + 1)); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename T> const T& pick(const QList<T>& list)
    {
        return list.at(between(0, static_cast<int>(list.size()) - 1));
    }

private:
    std::mt19937 m_engine;
};

struct Name {
    QString kanji, kana;
};

const QList<Name> kFamily = {
    {QStringLiteral("青木"), QStringLiteral("アオキ")},   {QStringLiteral("井上"), QStringLiteral("イノウエ")},
    {QStringLiteral("上田"), QStringLiteral("ウエダ")},   {QStringLiteral("遠藤"), QStringLiteral("エンドウ")},
    {QStringLiteral("岡本"), QStringLiteral("オカモト")}, {QStringLiteral("加藤"), QStringLiteral("カトウ")},
    {QStringLiteral("木村"), QStringLiteral("キムラ")},   {QStringLiteral("工藤"), QStringLiteral("クドウ")},
    {QStringLiteral("小林"), QStringLiteral("コバヤシ")}, {QStringLiteral("斎藤"), QStringLiteral("サイトウ")},
    {QStringLiteral("清水"), QStringLiteral("シミズ")},   {QStringLiteral("鈴木"), QStringLiteral("スズキ")},
    {QStringLiteral("高橋"), QStringLiteral("タカハシ")}, {QStringLiteral("田中"), QStringLiteral("タナカ")},
    {QStringLiteral("中村"), QStringLiteral("ナカムラ")}, {QStringLiteral("野口"), QStringLiteral("ノグチ")},
    {QStringLiteral("橋本"), QStringLiteral("ハシモト")}, {QStringLiteral("藤田"), QStringLiteral("フジタ")},
    {QStringLiteral("松本"), QStringLiteral("マツモト")}, {QStringLiteral("森"), QStringLiteral("モリ")},
    {QStringLiteral("山本"), QStringLiteral("ヤマモト")}, {QStringLiteral("渡辺"), QStringLiteral("ワタナベ")},
    {QStringLiteral("髙田"), QStringLiteral("タカダ")},   {QStringLiteral("長谷川"), QStringLiteral("ハセガワ")},
};
const QList<Name> kGiven = {
    {QStringLiteral("一郎"), QStringLiteral("イチロウ")}, {QStringLiteral("二郎"), QStringLiteral("ジロウ")},
    {QStringLiteral("三郎"), QStringLiteral("サブロウ")}, {QStringLiteral("勇"), QStringLiteral("イサム")},
    {QStringLiteral("清"), QStringLiteral("キヨシ")},     {QStringLiteral("茂"), QStringLiteral("シゲル")},
    {QStringLiteral("花子"), QStringLiteral("ハナコ")},   {QStringLiteral("幸子"), QStringLiteral("サチコ")},
    {QStringLiteral("和子"), QStringLiteral("カズコ")},   {QStringLiteral("節子"), QStringLiteral("セツコ")},
    {QStringLiteral("芳江"), QStringLiteral("ヨシエ")},   {QStringLiteral("トメ"), QStringLiteral("トメ")},
    {QStringLiteral("ハル"), QStringLiteral("ハル")},     {QStringLiteral("正男"), QStringLiteral("マサオ")},
};
const QStringList kMassageDiseases = {QStringLiteral("脳梗塞後遺症"), QStringLiteral("パーキンソン病"),
                                      QStringLiteral("廃用性症候群"), QStringLiteral("変形性膝関節症"),
                                      QStringLiteral("脳出血後遺症"), QStringLiteral("脊柱管狭窄症")};
const QStringList kReasons = {
    QStringLiteral("関節の拘縮が進行しており、可動域の維持のため継続した施術が必要である。"),
    QStringLiteral("筋力の低下が著しく、寝返り・起き上がりの動作維持のため頻回な施術を要する。\r\n"
                   "家族の介護負担の軽減にもつながっている。"),
    QStringLiteral("疼痛の訴えが強く、施術後は痛みが和らぐため、週４回以上の施術が必要。"),
};

QString sqlText(const QString& s)
{
    return QStringLiteral("N'") + QString(s).replace(u'\'', QStringLiteral("''")) + u'\'';
}
QString sqlDate(const QDate& d)
{
    return d.isValid() ? u'\'' + d.toString(QStringLiteral("yyyy/MM/dd")) + u'\'' : QStringLiteral("NULL");
}
QString sqlDateTime(const QDateTime& d) { return u'\'' + d.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + u'\''; }
QString num(qint64 n) { return QString::number(n); }

// Rows of one table, written as multi-row INSERT statements.
class Inserts {
public:
    Inserts(QString head, QStringList* out) : m_head(std::move(head)), m_out(out) { }
    ~Inserts() { flush(); }
    void add(const QStringList& values)
    {
        m_rows << u'(' + values.join(QStringLiteral(", ")) + u')';
        ++count;
        if (m_rows.size() >= 200)
            flush();
    }
    void flush()
    {
        if (!m_rows.isEmpty())
            *m_out << m_head + QStringLiteral(" values ") + m_rows.join(QStringLiteral(", "));
        m_rows.clear();
    }
    int count = 0;

private:
    QString m_head;
    QStringList m_rows;
    QStringList* m_out;
};

struct Staff {
    int id;
    bool active;
};

struct User {
    int id = 0;
    int kind = 0;         // 0 massage, 1 acupuncture
    QDate firstTreatment; // invalid: none recorded
    int tantou = 1;
    int baseVisits = 8;    // visits in an ordinary month
    bool frequent = false; // 16 or more in many months
};

class Generator {
public:
    Generator(const Options& o) : opt(o), rnd(o.seed), current(o.today.year(), o.today.month(), 1) { }

    QStringList statements;
    int jisseki = 0, schedules = 0, over16 = 0, usersWritten = 0;

    void run()
    {
        corp();
        branch(1, 3, opt.users, 8);
        branch(1, 4, qMax(2, opt.users / 4), 4);
    }

private:
    void corp()
    {
        Inserts c(QStringLiteral("insert into CORP (iKyotenCd, iKyotenEb, iType, cShamei1, cShamei2, cTel)"),
                  &statements);
        c.add({num(1), num(3), num(0), sqlText(QStringLiteral("株式会社さくら訪問マッサージ")),
               sqlText(QStringLiteral("さくら治療院")), sqlText(QStringLiteral("03-1234-5678"))});
        c.add({num(1), num(3), num(1), sqlText(QStringLiteral("さくら介護サービス")), QStringLiteral("NULL"),
               QStringLiteral("NULL")});
        c.add({num(1), num(4), num(0), sqlText(QStringLiteral("株式会社さくら訪問マッサージ　北支店")),
               QStringLiteral("NULL"), QStringLiteral("NULL")});
    }

    QList<Staff> staff(int cd, int eb, int count)
    {
        static const QList<Name> staffFamily = {
            {QStringLiteral("山田"), QStringLiteral("ヤマダ")},   {QStringLiteral("佐藤"), QStringLiteral("サトウ")},
            {QStringLiteral("伊藤"), QStringLiteral("イトウ")},   {QStringLiteral("吉田"), QStringLiteral("ヨシダ")},
            {QStringLiteral("山口"), QStringLiteral("ヤマグチ")}, {QStringLiteral("松田"), QStringLiteral("マツダ")}};
        Inserts s(
            QStringLiteral("insert into STAFF (iKyotenCd, iKyotenEb, nIDNo, cName, cNameRyaku, cNameKana, iChusiFlg)"),
            &statements);
        QList<Staff> r;
        for (int i = 1; i <= count; ++i) {
            const Name f = rnd.pick(staffFamily);
            const Name g = rnd.pick(kGiven);
            const bool ended = i == count || i == count - 3; // some practitioners left
            QString name = f.kanji + QStringLiteral("　") + g.kanji;
            if (i == 2)
                name = QStringLiteral("Abcdefgh Taro"); // a name written in Latin letters
            s.add({num(cd), num(eb), num(i), sqlText(name), sqlText(f.kanji),
                   sqlText(f.kana + QStringLiteral("　") + g.kana),
                   ended ? num(1) : (i % 3 == 0 ? QStringLiteral("NULL") : num(0))});
            r.append({i, !ended});
        }
        return r;
    }

    QDate birthday(int index)
    {
        // Some right around the era boundaries, the others spread over the 1930s to 1950s.
        static const QList<QDate> boundaries = {QDate(1926, 12, 24), QDate(1926, 12, 25), QDate(1989, 1, 7),
                                                QDate(1989, 1, 8),   QDate(1912, 7, 29),  QDate(1912, 7, 30)};
        if (index < boundaries.size() && index % 2 == 0)
            return boundaries.at(index / 2 % boundaries.size());
        return QDate(rnd.between(1928, 1956), rnd.between(1, 12), rnd.between(1, 28));
    }

    QDate firstTreatment(int index, const QDate& start)
    {
        if (index % 17 == 16)
            return QDate();   // never recorded
        if (index % 9 == 3) { // the first year completes this month
            const QDate a = current.addYears(-1);
            return QDate(a.year(), a.month(), qMin(rnd.between(2, 25), a.daysInMonth()));
        }
        if (index == 5)
            return QDate(2020, 2, 29);
        const int back = rnd.between(1, 8 * 12);
        const QDate m = current.addMonths(-back);
        QDate d(m.year(), m.month(), rnd.between(1, m.daysInMonth()));
        return d < start.addYears(-8) ? start : d;
    }

    // A person's users: the first sub-number, and for some persons a second one with records of its own.
    QList<User> makeUsers(int count, const QList<int>& active, const QDate& first)
    {
        QList<User> users;
        for (int i = 0; i < count; ++i) {
            const int person = 101 + i;
            User u;
            u.id = person * 100 + 1;
            u.kind = rnd.chance(40) ? 1 : 0;
            u.firstTreatment = firstTreatment(i, first);
            u.tantou = rnd.pick(active);
            u.frequent = i % 4 == 1;
            u.baseVisits = u.frequent ? rnd.between(16, 22) : rnd.between(4, 13);
            users << u;
            if (i % 7 == 2) {
                User second = u;
                second.id = person * 100 + 2;
                second.kind = 1 - u.kind;
                second.frequent = !u.frequent;
                second.baseVisits = second.frequent ? 17 : 6;
                users << second;
            }
        }
        return users;
    }

    // The statements of one branch, each table's rows in batches.
    struct BranchRows {
        int cd = 0, eb = 0;
        QList<int> active; // the practitioners still working
        QDate first;       // the first month generated
        Inserts users, subs, consents, totals, records, schedules, entries;
        int recordNo = 0, scheduleNo = 0;
    };

    // What a user's later rows repeat from the user's own row.
    struct UserFacts {
        int code = 0; // nHKSyobyouCd
        int hoseUmu = 0, lenFix = 0;
        QStringList flags; // iHKSyobyou01Flg..07Flg
    };

    void branch(int cd, int eb, int count, int staffCount)
    {
        const QList<Staff> practitioners = staff(cd, eb, staffCount);
        QList<int> active;
        for (const Staff& s : practitioners)
            if (s.active)
                active << s.id;
        const QDate first = current.addMonths(-(opt.months - 1));
        const QList<User> users = makeUsers(count, active, first);
        BranchRows b{
            cd,
            eb,
            active,
            first,
            Inserts(QStringLiteral(
                        "insert into RIYOUSHA (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iSex, tBirthDay, "
                        "tSyoryoDay, iSejutsuKubun, iKaigoLv, nTantou, iHinkaiKeikaku, cHinkaiKeikakuYM, cByoumei, "
                        "nHKSyobyouCd, cHKSyobyouName, iMahi, iKoushuku, iHoseUmu, nLenFix)"),
                    &statements),
            Inserts(QStringLiteral(
                        "insert into RIYOUSHA_SUB (iKyotenCd, iKyotenEb, nIDNo, iHKSyobyou01Flg, iHKSyobyou02Flg, "
                        "iHKSyobyou03Flg, iHKSyobyou04Flg, iHKSyobyou05Flg, iHKSyobyou06Flg, iHKSyobyou07Flg, "
                        "iSyoujouSonota, cSyoujouSonota)"),
                    &statements),
            Inserts(QStringLiteral(
                        "insert into RIYOUSHA_DOUI_REC (iKyotenCd, iKyotenEb, nIDNo, nDate, tDouiKaryoS, tDouiKaryoE, "
                        "iHenkeiFlg, cByoumeiM, iHKSyobyou01Flg, iHKSyobyou02Flg, iHKSyobyou03Flg, iHKSyobyou04Flg, "
                        "iHKSyobyou05Flg, iHKSyobyou06Flg, iHKSyobyou07Flg, cByoumeiH)"),
                    &statements),
            Inserts(QStringLiteral("insert into 月間実績 (iKyotenCd, iKyotenEb, 患者IDNo, 実績年, 実績月, 施術回数)"),
                    &statements),
            Inserts(
                QStringLiteral("insert into JISSEKI (iKyotenCd, iKyotenEb, nJissekiNo, nRiyoushaIDNo, nStaffIDNo, "
                               "tServicyDayStart, tServicyDayEnd, iSeikyuKbn, iSejutuBui1, iSejutuBui2, iSejutuBui3, "
                               "iSejutuBui4, iSejutuBui5, iHariUmu, iKyuuUmu, iDenkiHariKyuuUmu, iHoseUmu, nLenFix, "
                               "iDelFlg_Henrei)"),
                &statements),
            Inserts(QStringLiteral(
                        "insert into SCHEDULE (iKyotenCd, iKyotenEb, nScheduleNo, nIDRiyoushaNo, nIDStaffNo, nDate, "
                        "iSeikyuKbn, iHoseUmu, nLenFix)"),
                    &statements),
            Inserts(QStringLiteral("insert into OVER16COUNT (iKyotenCd, iKyotenEb, nKanjaID, iYear, iMonth, iNegaeri, "
                                   "iOkiagari, iZai, iTachiagari, iRitsui, iNRS, iZenkaiHyoukaUmu, "
                                   "iZenkaiHyoukaHenaka, cRiyuu, cHyoukaDay, nStaffID, cSyoumeiDay)"),
                    &statements),
            cd * 1000000 + eb * 100000,
            cd * 1000000 + eb * 100000,
        };
        for (int i = 0; i < users.size(); ++i) {
            const User& u = users[i];
            const UserFacts facts = writeUser(b, i, u);
            writeConsents(b, u, facts);
            // Treatment records and the month's totals that agree with them.
            const QDate from = u.firstTreatment.isValid()
                ? qMax(first, QDate(u.firstTreatment.year(), u.firstTreatment.month(), 1))
                : first;
            for (QDate m = from; m <= current; m = m.addMonths(1))
                writeMonth(b, i, u, facts, m);
            // Schedules of the current and the next month.
            for (int k = 0; k < 2; ++k)
                writeSchedules(b, u, facts, current.addMonths(k));
        }
    }

    UserFacts writeUser(BranchRows& b, int i, const User& u)
    {
        const Name f = rnd.pick(kFamily), g = rnd.pick(kGiven);
        UserFacts facts;
        facts.code = u.kind == 1 ? rnd.between(1, 7) : 0;
        const int code = facts.code;
        const bool plan = u.frequent && i % 3 == 0;
        facts.hoseUmu = rnd.between(0, 1);
        facts.lenFix = rnd.between(0, 8);
        b.users.add({num(b.cd),
                     num(b.eb),
                     num(u.id),
                     sqlText(f.kanji + QStringLiteral("　") + g.kanji),
                     sqlText(f.kana + QStringLiteral("　") + g.kana),
                     num(rnd.between(1, 2)),
                     sqlDate(birthday(i)),
                     sqlDate(u.firstTreatment),
                     num(u.kind),
                     num(rnd.between(0, 5)),
                     num(u.tantou),
                     num(plan ? 1 : 0),
                     plan ? sqlText(current.addMonths(-2).toString(QStringLiteral("yyyy/MM"))) : QStringLiteral("NULL"),
                     u.kind == 0 ? sqlText(rnd.pick(kMassageDiseases)) : QStringLiteral("NULL"),
                     num(code),
                     code == 1 ? sqlText(QStringLiteral("坐骨神経痛")) : QStringLiteral("NULL"),
                     num(rnd.chance(30)),
                     num(rnd.chance(40)),
                     num(facts.hoseUmu),
                     num(facts.lenFix)});
        ++usersWritten;
        for (int k = 1; k <= 7; ++k)
            facts.flags << num(u.kind == 1 && (k == code - 1 || (code == 1 && k == 7) || (k == 5 && i % 2 == 0)) ? 1
                                                                                                                 : 0);
        b.subs.add(
            QStringList{num(b.cd), num(b.eb), num(u.id)} + facts.flags
            + QStringList{num(i % 5 == 0), i % 5 == 0 ? sqlText(QStringLiteral("しびれ")) : QStringLiteral("NULL")});
        return facts;
    }

    // Consent records every six months from the first treatment.
    void writeConsents(BranchRows& b, const User& u, const UserFacts& facts)
    {
        if (!u.firstTreatment.isValid())
            return;
        for (QDate d = u.firstTreatment; d <= opt.today; d = d.addMonths(6)) {
            if (d < b.first.addMonths(-6))
                continue;
            const bool changed = rnd.chance(10);
            b.consents.add(
                QStringList{num(b.cd), num(b.eb), num(u.id), num(d.year() * 10000 + d.month() * 100 + d.day()),
                            sqlDate(d), sqlDate(d.addMonths(6).addDays(-1)), num(changed ? 1 : 0),
                            u.kind == 0 ? sqlText(rnd.pick(kMassageDiseases)) : QStringLiteral("NULL")}
                + facts.flags
                + QStringList{facts.code == 1 ? sqlText(QStringLiteral("坐骨神経痛")) : QStringLiteral("NULL")});
        }
    }

    // The days of a month a visit falls on, at random, in order.
    QList<int> visitDays(QList<int> days, int visits)
    {
        for (int k = 0; k < days.size(); ++k)
            days.swapItemsAt(k, rnd.between(k, static_cast<int>(days.size()) - 1));
        days = days.mid(0, qMin<qsizetype>(visits, days.size()));
        std::sort(days.begin(), days.end());
        return days;
    }

    // A month's treatment records, its total and, for months of 16 or more after the first year, an entry.
    void writeMonth(BranchRows& b, int i, const User& u, const UserFacts& facts, const QDate& m)
    {
        // The current month is written whole, as an office that has entered the month's records.
        const bool thisMonth = m == current;
        const int visits =
            u.frequent && rnd.chance(75) ? rnd.between(16, 22) : qMax(1, u.baseVisits + rnd.between(-3, 3));
        QList<int> days;
        for (int d = 1; d <= m.daysInMonth(); ++d)
            if (!u.firstTreatment.isValid() || QDate(m.year(), m.month(), d) >= u.firstTreatment)
                days << d;
        int counted = 0;
        for (int d : visitDays(days, visits)) {
            const QDateTime start(QDate(m.year(), m.month(), d), QTime(rnd.between(9, 16), rnd.chance(50) ? 0 : 30));
            const int billing = rnd.chance(3) ? 1 : 0;
            const bool returned = billing == 0 && rnd.chance(2);
            if (billing == 0 && !returned)
                ++counted;
            const bool acu = u.kind == 1;
            b.records.add({num(b.cd), num(b.eb), num(++b.recordNo), num(u.id),
                           num(rnd.chance(85) ? u.tantou : rnd.pick(b.active)), sqlDateTime(start),
                           sqlDateTime(start.addSecs(30 * 60)), num(billing), num(acu ? 0 : rnd.between(0, 1)),
                           num(acu ? 0 : rnd.between(0, 1)), num(acu ? 0 : rnd.between(0, 2)),
                           num(acu ? 0 : rnd.between(0, 2)), num(acu ? 0 : rnd.between(0, 1)), num(acu ? 1 : 0),
                           num(acu ? rnd.between(0, 1) : 0), num(acu ? rnd.between(0, 1) : 0), num(facts.hoseUmu),
                           num(facts.lenFix), returned ? num(1) : (rnd.chance(20) ? QStringLiteral("NULL") : num(0))});
            ++jisseki;
        }
        if (counted > 0)
            b.totals.add({num(b.cd), num(b.eb), num(u.id), num(m.year()), num(m.month()), num(counted)});
        const bool eligible = u.firstTreatment.isValid() && m >= u.firstTreatment.addYears(1).addDays(-31);
        if (counted >= 16 && eligible && (thisMonth ? i % 2 == 0 : rnd.chance(60))) {
            const QDate evaluated(m.year(), m.month(), qMin(20, m.daysInMonth()));
            b.entries.add({num(b.cd), num(b.eb), num(u.id), num(m.year()), num(m.month()), num(rnd.between(0, 2)),
                           num(rnd.between(0, 2)), num(rnd.between(0, 2)), num(rnd.between(0, 2)),
                           num(rnd.between(0, 2)), num(rnd.between(0, 10)), num(rnd.between(0, 1)),
                           num(rnd.between(0, 5)), sqlText(rnd.pick(kReasons)),
                           sqlText(evaluated.toString(QStringLiteral("yyyy/MM/dd"))), num(rnd.pick(b.active)),
                           sqlText(evaluated.addDays(3).toString(QStringLiteral("yyyy/MM/dd")))});
            ++over16;
        }
    }

    void writeSchedules(BranchRows& b, const User& u, const UserFacts& facts, const QDate& m)
    {
        const int planned = u.frequent ? rnd.between(16, 22) : u.baseVisits;
        QList<int> days;
        for (int d = 1; d <= m.daysInMonth(); ++d)
            days << d;
        for (int d : visitDays(days, planned)) {
            b.schedules.add({num(b.cd), num(b.eb), num(++b.scheduleNo), num(u.id),
                             num(rnd.chance(85) ? u.tantou : rnd.pick(b.active)),
                             num(m.year() * 10000 + m.month() * 100 + d), num(rnd.chance(3) ? 1 : 0),
                             num(facts.hoseUmu), num(facts.lenFix)});
            ++schedules;
        }
    }

    Options opt;
    Random rnd;
    QDate current;
};

int usage(const QString& why)
{
    QTextStream(stderr) << why
                        << "\nusage: monthly-demo-data --out FILE [--users N] [--months N] [--seed N] "
                           "[--today yyyy-mm-dd] [--force]\n";
    return 2;
}

} // namespace

// The command line into the options; a usage text on standard error and 2 when it is wrong.
static int parseOptions(const QStringList& args, Options* options)
{
    Options& opt = *options;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&]() { return i + 1 < args.size() ? args[++i] : QString(); };
        bool ok = true;
        if (a == u"--out")
            opt.out = value();
        else if (a == u"--users")
            opt.users = value().toInt(&ok);
        else if (a == u"--months")
            opt.months = value().toInt(&ok);
        else if (a == u"--seed")
            opt.seed = value().toUInt(&ok);
        else if (a == u"--today")
            ok = (opt.today = QDate::fromString(value(), QStringLiteral("yyyy-MM-dd"))).isValid();
        else if (a == u"--force")
            opt.force = true;
        else
            return usage(QStringLiteral("unknown option: ") + a);
        if (!ok)
            return usage(QStringLiteral("bad value for ") + a);
    }
    if (opt.out.isEmpty())
        return usage(QStringLiteral("--out is required"));
    if (opt.users < 1 || opt.users > 5000 || opt.months < 1 || opt.months > 240)
        return usage(QStringLiteral("--users must be 1-5000 and --months 1-240"));
    if (QFileInfo::exists(opt.out)) {
        if (!opt.force)
            return usage(QStringLiteral("the file exists (use --force to replace it): ") + opt.out);
        QFile::remove(opt.out);
    }

    return 0;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options opt;
    if (const int bad = parseOptions(app.arguments().mid(1), &opt))
        return bad;
    QString error;
    if (!createSuiteDatabaseFile(opt.out, SuiteLayout::Current, &error)) {
        QTextStream(stderr) << error << '\n';
        return 1;
    }
    Generator gen(opt);
    gen.run();
    cT_ADODB db;
    db.iInit(sqliteConnectionString(QFileInfo(opt.out).absoluteFilePath()));
    bool ok = db.iConnect() == 0;
    // OVER16COUNT is the program's own table: made by its start-up statements, as at a real site.
    for (const QString& sql : over16CountStatements())
        ok = ok && db.iExecSQL(sql) == 0;
    ok = ok && db.iBeginTrans() == 0;
    for (const QString& sql : gen.statements) {
        if (!ok)
            break;
        ok = db.iExecSQL(sql) == 0;
    }
    ok = ok && db.iCommitTrans() == 0;
    if (!ok) {
        QTextStream(stderr) << db.sErrMsg().replace(u'\r', u'\n') << '\n';
        db.iDisConnect();
        QFile::remove(opt.out);
        return 1;
    }
    db.iDisConnect();
    QTextStream(stdout) << "wrote " << opt.out << ": " << gen.usersWritten << " users, " << gen.jisseki
                        << " treatment records, " << gen.schedules << " schedules, " << gen.over16
                        << " continuation entries (today " << opt.today.toString(QStringLiteral("yyyy-MM-dd")) << ")\n";
    return 0;
}
