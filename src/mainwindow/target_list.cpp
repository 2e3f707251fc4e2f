#include "target_list.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/error_message.h"
#include "db/connection_recipe.h"
#include "db/sql_text.h"
#include "db/table_checks.h"
#include "db/treatment_queries.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace {

QString num(long v) { return QString::number(v); }

// The list query's conditions on the month and the branch (the one-row refresh shares them).
QString monthAndBranch(const QDate& month)
{
    return QStringLiteral(" WHERE 実績年 = ") + vb::format(month, QStringLiteral("yyyy"))
        + QStringLiteral(" AND   実績月 = ") + vb::format(month, QStringLiteral("m"))
        + QStringLiteral(" and   月間実績.iKyotenCd = ") + num(gKyotenCd)
        + QStringLiteral(" and   月間実績.iKyotenEb = ") + num(gKyotenEb);
}

QString keizokuText(const QVariant& kanjaId)
{
    return nNullToLong(kanjaId) == 0 ? QStringLiteral("なし") : QStringLiteral("あり");
}

QString eraDate(const QVariant& v)
{
    if (vb::trim(csNullToStr(v)).isEmpty())
        return QString();
    return vb::formatValue(v, QStringLiteral("gggee年mm月dd日"));
}

// The "###ヶ月" format of the elapsed months.
QString elapsedText(int e) { return (e == 0 ? QString() : QString::number(e)) + QStringLiteral("ヶ月"); }

} // namespace

QString listTitle(const QDate& month)
{
    return QStringLiteral("施術継続理由・状態記入を必要とする対象者一覧（")
        + vb::format(month, QStringLiteral("gggee年m月")) + QStringLiteral("分）");
}

QString buildListQuery(const ListConditions& c)
{
    QString sql;
    sql += QStringLiteral(
        "SELECT 月間実績.患者IDNo, RIYOUSHA.cName, RIYOUSHA.iSejutsuKubun, RIYOUSHA.tBirthDay, tSyoryoDay, 月間実績.施術回数, "
        "cByoumei,OVER16COUNT.nKanjaID ");
    sql += diagnosisColumns(iHasHKSyobyou07Flg != 0);
    sql += QStringLiteral(" ,STAFF.cName as cStaffName ");
    sql += QStringLiteral(" ,SYOUMEISHA.cName as cSyoumeiStaffName ");
    sql += monthTotalsWithUserJoins();
    sql += over16EntryJoin();
    sql += QStringLiteral(" LEFT JOIN STAFF ");
    sql += QStringLiteral(" ON RIYOUSHA.iKyotenCd = STAFF.iKyotenCd ");
    sql += QStringLiteral(" AND RIYOUSHA.iKyotenEb = STAFF.iKyotenEb ");
    sql += QStringLiteral(" AND RIYOUSHA.nTantou = STAFF.nIDNo ");
    sql += certifierJoin(QStringLiteral("SYOUMEISHA"));
    sql += monthAndBranch(c.month);
    if (c.condition == 3)
        sql += QStringLiteral(" AND   施術回数 >= 16");
    if (!c.searchNo.isEmpty())
        sql += QStringLiteral(" AND   患者IDno = ") + num(nNullToLong(c.searchNo));
    if (!c.searchName.isEmpty())
        sql += QStringLiteral(" AND   RIYOUSHA.cName LIKE ") + likeContains(c.searchName);
    if (!c.searchKana.isEmpty())
        sql += QStringLiteral(" AND   RIYOUSHA.cNamekana LIKE ") + likeContains(c.searchKana);
    sql += QStringLiteral(" order by 月間実績.患者IDNo");
    return sql;
}

QString diseaseText(const QVariant& kubun, const QVariant& byoumei, bool flagColumns,
                    const std::array<QVariant, 7>& flags, const QVariant& code, const QVariant& otherName)
{
    if (nNullToLong(kubun) == 0)
        return csNullToStr(byoumei);
    if (flagColumns) {
        static const char* const names[6] = {"神経痛", "リウマチ", "頸腕症候群", "五十肩", "腰痛症", "頸椎捻挫後遺症"};
        QStringList parts;
        for (int i = 0; i < 6; ++i)
            if (nNullToLong(flags[static_cast<size_t>(i)]) == 1)
                parts.append(QString::fromUtf8(names[i]));
        const QString other = csNullToStr(otherName);
        if (nNullToLong(flags[6]) == 1 && !other.isEmpty())
            parts.append(other);
        return parts.join(u',');
    }
    switch (nNullToLong(code)) {
    case 1: return csNullToStr(otherName);
    case 2: return QStringLiteral("神経痛");
    case 3: return QStringLiteral("リウマチ");
    case 4: return QStringLiteral("頸腕症候群");
    case 5: return QStringLiteral("五十肩");
    case 6: return QStringLiteral("腰痛症");
    case 7: return QStringLiteral("頸推捻挫後遺症");
    default: return QString();
    }
}

namespace {

const QString kCountRoutine = QStringLiteral("csInpKey_Isi");

// The column of a field name, as AdoRecordset::field(name) finds it.
int columnOf(const AdoRecordset& rs, const QString& name)
{
    for (int i = 0; i < rs.fieldCount(); ++i)
        if (rs.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// The 24 months ending with a listed month.
struct HinkaiWindow {
    explicit HinkaiWindow(const QDate& lastMonth) : first(vb::dateAddMonths(lastMonth, -23)), last(lastMonth)
    {
        for (int k = 0; k < 24; ++k) {
            const QDate m = vb::dateAddMonths(first, k);
            months[static_cast<size_t>(k)] = vb::format(m, QStringLiteral("yyyymm"));
            numbers[static_cast<size_t>(k)] = m.year() * 100L + m.month();
        }
    }
    QDate first, last;
    std::array<QString, 25> months; // index 24 stays empty
    std::array<long, 24> numbers{};
};

// What iGetHinkaiCount reads over the window, for the hundreds group of one user or for every
// user of the branch at once: each number's totals per month, and each number's name, kind
// and plan. Together they are the rows of the grouped join of 月間実績 and RIYOUSHA (one
// RIYOUSHA row per number, by its key): a number counts only where RIYOUSHA has it.
struct HinkaiQueries {
    QString months;
    QString users;
};

HinkaiQueries hinkaiQueries(const HinkaiWindow& w, std::optional<long> userNo)
{
    // The numbers of a hundreds group (患者IDNo/100 = N, division truncating) as a range the
    // keys of 月間実績 and RIYOUSHA can seek.
    QString group;
    if (userNo) {
        const long n = *userNo / 100;
        const long low = n > 0 ? n * 100 : n * 100 - 99;
        const long high = n < 0 ? n * 100 : n * 100 + 99;
        group =
            QStringLiteral(" BETWEEN ") + num(low) + QStringLiteral(" AND ") + num(high) + QStringLiteral("   AND ");
    }
    HinkaiQueries q;
    q.months = QStringLiteral("SELECT 患者IDNo, 実績年 * 100 + 実績月 AS JissekiYM ");
    q.months += QStringLiteral(" , SUM(施術回数) AS 施術回数");
    q.months += QStringLiteral(" FROM 月間実績");
    q.months += QStringLiteral(" WHERE ") + (userNo ? QStringLiteral("患者IDNo") + group : QString());
    q.months += QStringLiteral("月間実績.iKyotenCd = ") + num(gKyotenCd);
    q.months += QStringLiteral("   AND 月間実績.iKyotenEb = ") + num(gKyotenEb);
    q.months += QStringLiteral("   AND 実績年 * 100 + 実績月 >= '") + w.months[0] + u'\'';
    q.months += QStringLiteral("   AND 実績年 * 100 + 実績月 <= '") + w.months[23] + u'\'';
    q.months += QStringLiteral(" GROUP BY ");
    q.months += QStringLiteral("   月間実績.iKyotenCd, 月間実績.iKyotenEb, 月間実績.患者IDNo, 実績年 * 100 + 実績月 ");
    q.users = QStringLiteral("SELECT nIDNo, cName, iSejutsuKubun, iHinkaiKeikaku, cHinkaiKeikakuYM");
    q.users += QStringLiteral(" FROM RIYOUSHA");
    q.users += QStringLiteral(" WHERE ") + (userNo ? QStringLiteral("nIDNo") + group : QString());
    q.users += QStringLiteral("iKyotenCd = ") + num(gKyotenCd);
    q.users += QStringLiteral("   AND iKyotenEb = ") + num(gKyotenEb);
    return q;
}

// One row of the frequency count: a number's total of a month with the number's RIYOUSHA data.
struct HinkaiRow {
    long userNo = 0;
    long ym = 0;
    long count = 0;
    QString name;
    short kind = 0;
    short plan = 0;
    QString planMonth;
};

std::optional<std::vector<HinkaiRow>> readHinkaiRows(const HinkaiQueries& q)
{
    auto months = recipeQuery(q.months, kCountRoutine);
    if (!months)
        return std::nullopt;
    auto users = recipeQuery(q.users, kCountRoutine);
    if (!users)
        return std::nullopt;
    QHash<long, HinkaiRow> byNumber;
    {
        const int id = columnOf(*users, QStringLiteral("nIDNo")), name = columnOf(*users, QStringLiteral("cName")),
                  kind = columnOf(*users, QStringLiteral("iSejutsuKubun")),
                  plan = columnOf(*users, QStringLiteral("iHinkaiKeikaku")),
                  planMonth = columnOf(*users, QStringLiteral("cHinkaiKeikakuYM"));
        for (; !users->EOF_(); users->MoveNext()) {
            HinkaiRow r;
            r.name = csNullToStr(users->field(name));
            r.kind = static_cast<short>(nNullToLong(users->field(kind)));
            r.plan = static_cast<short>(nNullToLong(users->field(plan)));
            r.planMonth = csNullToStr(users->field(planMonth));
            byNumber.insert(nNullToLong(users->field(id)), r);
        }
    }
    const int id = columnOf(*months, QStringLiteral("患者IDNo")), ym = columnOf(*months, QStringLiteral("JissekiYM")),
              count = columnOf(*months, QStringLiteral("施術回数"));
    std::vector<HinkaiRow> rows;
    rows.reserve(static_cast<size_t>(months->rowCount()));
    for (; !months->EOF_(); months->MoveNext()) {
        const long userNo = nNullToLong(months->field(id));
        const auto user = byNumber.constFind(userNo);
        if (user == byNumber.constEnd())
            continue;
        HinkaiRow r = *user;
        r.userNo = userNo;
        r.ym = nNullToLong(months->field(ym));
        r.count = nNullToLong(months->field(count));
        rows.push_back(std::move(r));
    }
    return rows;
}

// Steps 3-5 of the frequency count for a user from the rows of its hundreds group. The rows
// are taken in one fixed order whatever the engine returned: the group's other numbers first,
// the user's own last, so the name, kind, plan and a month both numbers hold come from the
// user's own rows where it has any.
void fillHinkaiEntry(HinkaiRecord& e, long userNo, const HinkaiWindow& w, std::vector<const HinkaiRow*> rows)
{
    auto key = [userNo](const HinkaiRow* r) {
        return std::make_tuple(r->userNo == userNo, r->userNo, r->ym, r->count);
    };
    std::sort(rows.begin(), rows.end(), [&key](const HinkaiRow* a, const HinkaiRow* b) { return key(a) < key(b); });
    e = HinkaiRecord{};
    e.userNo = userNo;
    e.months = w.months;
    short f = 0;
    for (const HinkaiRow* r : rows) {
        e.name = r->name;
        e.kind = r->kind;
        e.planFlag = r->plan;
        e.planMonth = r->planMonth;
        size_t k = 0;
        for (size_t i = 0; i < 24; ++i)
            if (w.numbers[i] == r->ym) {
                k = i;
                break;
            }
        e.counts[k] = static_cast<short>(qBound(-32768L, r->count, 32767L));
        if (r->count >= 16)
            ++f;
    }
    e.frequency = f;
}

// The next entry of the frequency table; gHinkaiCount counts it once it is filled.
HinkaiRecord& nextHinkaiEntry()
{
    if (gHinkaiList.size() < static_cast<size_t>(gHinkaiCount) + 1)
        gHinkaiList.resize(static_cast<size_t>(gHinkaiCount) + 1);
    return gHinkaiList[static_cast<size_t>(gHinkaiCount)];
}

} // namespace

short iCountJisseki(long userNo, const QString& startDate)
{
    try {
        const auto rs = recipeQuery(jissekiFromDayQuery(userNo, startDate, JissekiColumns::Count), kCountRoutine);
        if (!rs || rs->EOF_())
            return 0;
        return static_cast<short>(nNullToLong(rs->field(QStringLiteral("cnt"))));
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return 0;
    }
}

short iGetHinkaiCount(long userNo, const QString& month, short* frequency, short* planFlag)
{
    const auto m = vb::toDate(month + QStringLiteral("/01"));
    if (!m)
        return 1;
    const HinkaiWindow w(m->date());
    const auto rows = readHinkaiRows(hinkaiQueries(w, userNo));
    if (!rows)
        return 1;
    std::vector<const HinkaiRow*> group;
    for (const HinkaiRow& r : *rows)
        group.push_back(&r);
    HinkaiRecord& e = nextHinkaiEntry();
    fillHinkaiEntry(e, userNo, w, std::move(group));
    if (frequency)
        *frequency = e.frequency;
    if (planFlag)
        *planFlag = e.planFlag;
    ++gHinkaiCount;
    return 0;
}

namespace {

// The dates of a row's rules: first treatment S, anniversary A (S + 12 months), elapsed
// months E up to the listed month M.
struct RowDates {
    bool listable = false; // S is not empty
    QDate anniversary;
    int relation = 0; // M against A's month: -1 before, 0 the same, 1 after
    int elapsed = 0;
};

RowDates rowDates(const QVariant& syoryo, const QString& monthYM, const QDate& monthFirst)
{
    RowDates d;
    const QString s = vb::trim(csNullToStr(syoryo));
    if (s.isEmpty())
        return d;
    const auto start = vb::toDate(syoryo.typeId() == QMetaType::QString ? QVariant(s) : syoryo);
    if (!start)
        vbRaise(vberr::typeMismatch());
    d.listable = true;
    d.anniversary = vb::dateAddMonths(start->date(), 12);
    const QString annivYM = vb::format(d.anniversary, QStringLiteral("yyyy/mm"));
    d.relation = monthYM == annivYM ? 0 : monthYM < annivYM ? -1 : 1;
    d.elapsed = vb::dateDiffMonths(start->date(), monthFirst) + 1;
    return d;
}

// iCountJisseki for users in their anniversary month, in one query: the month's records of
// those users, each counted from its anniversary day. std::nullopt after a failure (its
// message shown once).
using AnniversaryKey = std::pair<long, QDate>; // user number, anniversary day
std::optional<std::map<AnniversaryKey, short>> anniversaryCounts(const std::set<AnniversaryKey>& wanted,
                                                                 const QDate& monthFirst)
{
    std::map<AnniversaryKey, short> counts;
    if (wanted.empty())
        return counts;
    QStringList users;
    for (const auto& [user, day] : wanted)
        if (users.isEmpty() || users.last() != num(user))
            users << num(user);
    auto rs =
        recipeQuery(jissekiRecordsFromDayQuery(users.join(u','), vb::format(monthFirst, QStringLiteral("yyyy/mm/dd"))),
                    kCountRoutine);
    if (!rs)
        return std::nullopt;
    const int user = columnOf(*rs, QStringLiteral("nRiyoushaIDNo"));
    const int start = columnOf(*rs, QStringLiteral("tServicyDayStart"));
    for (; !rs->EOF_(); rs->MoveNext()) {
        const long u = nNullToLong(rs->field(user));
        const auto t = vb::toDate(rs->field(start));
        for (auto it = wanted.lower_bound({u, QDate()}); t && it != wanted.end() && it->first == u; ++it)
            if (*t >= QDateTime(it->second, QTime(0, 0)))
                ++counts[*it];
    }
    return counts;
}

std::vector<const HinkaiRow*> groupOf(const QHash<long, std::vector<HinkaiRow>>& groups, long userNo)
{
    std::vector<const HinkaiRow*> rows;
    const auto it = groups.constFind(userNo / 100);
    if (it != groups.constEnd())
        for (const HinkaiRow& r : *it)
            rows.push_back(&r);
    return rows;
}

// What the rows of one extraction share: the listed month and the counts its rules need,
// each read in one query for the whole list rather than a query and connection per row.
struct ListContext {
    explicit ListContext(const QDate& month)
        : monthYM(vb::format(month, QStringLiteral("yyyy/mm"))), monthFirst(month.year(), month.month(), 1),
          window(monthFirst)
    { }
    QString monthYM;
    QDate monthFirst;
    bool flagColumns = iHasHKSyobyou07Flg != 0;
    HinkaiWindow window;
    // Empty after a failed read (its message shown once; the rows then fare as after a failed count)
    // and, for the frequency counts, when no row has 24 months.
    std::optional<std::map<AnniversaryKey, short>> anniversaryCounts;
    std::optional<QHash<long, std::vector<HinkaiRow>>> hinkaiGroups; // by user number / 100
};

// The first pass: which anniversary counts the rows ask for and whether any row has 24 months
// or more; then both are read. The recordset is back at its first row afterwards.
void readListCounts(AdoRecordset& rs, ListContext& ctx)
{
    std::set<AnniversaryKey> wanted;
    bool needHinkai = false;
    try {
        for (; !rs.EOF_(); rs.MoveNext()) {
            const RowDates d = rowDates(rs[QStringLiteral("tSyoryoDay")], ctx.monthYM, ctx.monthFirst);
            if (d.listable && d.relation == 0)
                wanted.insert({nNullToLong(rs[QStringLiteral("患者IDNo")]), d.anniversary});
            needHinkai = needHinkai || (d.listable && d.elapsed >= 24);
        }
    } catch (const VbRuntimeError&) {
        // Rows end here: the second pass reports the error when it reaches this row.
    }
    rs.MoveFirst();
    ctx.anniversaryCounts = anniversaryCounts(wanted, ctx.monthFirst);
    if (!needHinkai)
        return;
    if (auto rows = readHinkaiRows(hinkaiQueries(ctx.window, std::nullopt))) {
        ctx.hinkaiGroups.emplace();
        for (HinkaiRow& r : *rows)
            (*ctx.hinkaiGroups)[r.userNo / 100].push_back(std::move(r));
    }
}

// The frequency-table entry of a row with 24 months or more; gHinkaiCount counts it.
const HinkaiRecord& addHinkaiEntry(long userNo, const ListContext& ctx)
{
    HinkaiRecord& e = nextHinkaiEntry();
    fillHinkaiEntry(e, userNo, ctx.window, groupOf(*ctx.hinkaiGroups, userNo));
    ++gHinkaiCount;
    return e;
}

// Column 10's own count gives the table a second entry of the same content.
void repeatLastHinkaiEntry()
{
    HinkaiRecord copy = gHinkaiList[static_cast<size_t>(gHinkaiCount) - 1];
    nextHinkaiEntry() = std::move(copy);
    ++gHinkaiCount;
}

// What the condition rules decide for a row with a first treatment.
struct RowVerdict {
    bool listed = false;
    bool countComputed = false; // the anniversary month: column 9 may show the anniversary count
    short annivCount = 0;
    bool hinkaiKnown = false; // 24 months or more and the frequency counts were read
    short frequency = 0;
    short plan = 0;
};

// The condition rules of a row. A row of 24 months or more adds its frequency-table entry
// whether or not the rules then list it.
RowVerdict conditionRules(const ListConditions& c, const RowDates& d, long userNo, const ListContext& ctx)
{
    RowVerdict v;
    if (d.relation == 0) {
        if (ctx.anniversaryCounts) {
            const auto it = ctx.anniversaryCounts->find({userNo, d.anniversary});
            v.annivCount = it == ctx.anniversaryCounts->end() ? short(0) : it->second;
        }
        v.countComputed = true;
        if (c.condition == 3 && v.annivCount < 16)
            return v;
    } else if (d.relation < 0 && c.condition == 3) {
        return v;
    }
    if (d.elapsed < 24) {
        v.listed = c.condition != 2;
        return v;
    }
    v.hinkaiKnown = ctx.hinkaiGroups.has_value();
    if (v.hinkaiKnown) {
        const HinkaiRecord& e = addHinkaiEntry(userNo, ctx);
        v.frequency = e.frequency;
        v.plan = e.planFlag;
    }
    v.listed = c.condition != 2 || (v.hinkaiKnown && v.frequency >= c.threshold);
    return v;
}

// The 16 columns of a listed row.
ListRow listRow(const AdoRecordset& rs, const ListConditions& c, const RowDates& d, const RowVerdict& v,
                bool flagColumns)
{
    ListRow row;
    row[colSel] = 0;
    row[colIDNo] = static_cast<qlonglong>(nNullToLong(rs[QStringLiteral("患者IDNo")]));
    row[colName] = csNullToStr(rs[QStringLiteral("cName")]);
    row[colKubun] =
        nNullToLong(rs[QStringLiteral("iSejutsuKubun")]) == 0 ? QStringLiteral("マッサ") : QStringLiteral("鍼灸");
    row[colBirthDay] = eraDate(rs[QStringLiteral("tBirthDay")]);
    row[colKeizoku] = keizokuText(rs[QStringLiteral("nKanjaID")]);
    row[colSyoryo] = eraDate(rs[QStringLiteral("tSyoryoDay")]);
    row[colElapsed] = elapsedText(d.elapsed);
    const long monthCount = nNullToLong(rs[QStringLiteral("施術回数")]);
    row[colCount] = static_cast<qlonglong>((c.countWholeMonth || !v.countComputed) ? monthCount : v.annivCount);
    if (d.elapsed < 24)
        row[colHinkai] = QStringLiteral("-");
    else if (v.hinkaiKnown)
        row[colHinkai] =
            v.plan >= 1 ? QVariant(QStringLiteral("計画済")) : QVariant(static_cast<qlonglong>(v.frequency));
    else
        row[colHinkai] = QString(); // unknown: the failure was reported
    row[colHinkaiButton] = QStringLiteral("頻回確認");
    row[colStaff] = csNullToStr(rs[QStringLiteral("cStaffName")]);
    row[colSyoumei] = csNullToStr(rs[QStringLiteral("cSyoumeiStaffName")]);
    std::array<QVariant, 7> flags;
    if (flagColumns)
        for (int i = 0; i < 7; ++i)
            flags[static_cast<size_t>(i)] = rs[QStringLiteral("iHKSyobyou0%1Flg").arg(i + 1)];
    row[colByoumei] = diseaseText(rs[QStringLiteral("iSejutsuKubun")], rs[QStringLiteral("cByoumei")], flagColumns,
                                  flags, rs[QStringLiteral("nHKSyobyouCd")], rs[QStringLiteral("cHKSyobyouName")]);
    row[colKoushin] = QString();
    row[colYMD] = vb::format(c.month, QStringLiteral("yyyy/mm/01"));
    return row;
}

// The second pass: the rows the rules list. A run-time error ends the list at its row.
void listRows(AdoRecordset& rs, const ListConditions& c, const ListContext& ctx, std::vector<ListRow>& rows)
{
    try {
        for (; !rs.EOF_(); rs.MoveNext()) {
            const RowDates d = rowDates(rs[QStringLiteral("tSyoryoDay")], ctx.monthYM, ctx.monthFirst);
            if (!d.listable)
                continue;
            const RowVerdict v = conditionRules(c, d, nNullToLong(rs[QStringLiteral("患者IDNo")]), ctx);
            if (!v.listed)
                continue;
            if (v.hinkaiKnown)
                repeatLastHinkaiEntry();
            rows.push_back(listRow(rs, c, d, v, ctx.flagColumns));
        }
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
    }
}

} // namespace

ListLoad iDataLoad(const ListConditions& c)
{
    ListLoad out;
    const QString routine = QStringLiteral("iDataLoad");
    auto db = openRecipeConnection(routine);
    if (!db)
        return out;
    AdoRecordset rs;
    if (!openRecipeQuery(*db, rs, buildListQuery(c), routine)) {
        out.status = 1;
        return out;
    }
    out.replaced = true;
    gHinkaiCount = 0;
    gHinkaiList.assign(1, HinkaiRecord{});
    ListContext ctx(c.month);
    readListCounts(rs, ctx);
    listRows(rs, c, ctx, out.rows);
    rs.Close();
    db->iDisConnect();
    return out;
}

RowRefresh iDataLoad_16OVER_UMU(long userNo, const QDate& month)
{
    RowRefresh out;
    const QString routine = QStringLiteral("iDataLoad_16OVER_UMU");
    QString sql = QStringLiteral("SELECT 月間実績.患者IDNo ,OVER16COUNT.nKanjaID");
    sql += QStringLiteral(" ,SYOUMEISHA.cName as cSyoumeiStaffName ");
    sql += QStringLiteral(" FROM 月間実績 ");
    sql += over16EntryJoin();
    sql += certifierJoin(QStringLiteral("SYOUMEISHA"));
    sql += monthAndBranch(month);
    sql += QStringLiteral(" AND   患者IDno = ") + num(userNo);
    sql += QStringLiteral(" order by 月間実績.患者IDNo");
    auto db = openRecipeConnection(routine);
    if (!db)
        return out;
    AdoRecordset rs;
    if (!openRecipeQuery(*db, rs, sql, routine)) {
        out.status = 1;
        return out;
    }
    db->iDisConnect();
    for (; !rs.EOF_(); rs.MoveNext()) {
        out.found = true;
        out.keizoku = keizokuText(rs[QStringLiteral("nKanjaID")]);
        out.syoumei = csNullToStr(rs[QStringLiteral("cSyoumeiStaffName")]);
    }
    return out;
}
