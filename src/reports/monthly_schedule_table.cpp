#include "monthly_schedule_table.h"

#include "csv_writer.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/vb.h"
#include "common/sys_settings.h"
#include "db/connection_recipe.h"
#include "db/table_checks.h"
#include "db/treatment_queries.h"

#include <map>
#include <optional>

namespace modPrint利用者別月間予定表 {

using namespace modPrint利用者別月間実績表;

namespace {

YoteiState scheduleTable;

const QString kTitle = QStringLiteral("利用者別月間予定表印刷");

// nDate holds yyyymmdd; 0 when it is no date.
int dayOfNumber(long yyyymmdd)
{
    if (yyyymmdd < 10000000 || yyyymmdd > 99999999)
        return 0;
    const QDate d(static_cast<int>(yyyymmdd / 10000), static_cast<int>(yyyymmdd / 100 % 100),
                  static_cast<int>(yyyymmdd % 100));
    return d.isValid() ? d.day() : 0;
}

long dateNumber(const QDate& d) { return d.year() * 10000L + d.month() * 100L + d.day(); }

} // namespace

const YoteiState& state() { return scheduleTable; }

void vPrintYoteiHyo(short outputKind, const MainWindowView& window)
{
    runReportEntry(outputKind, window, kTitle, iGetPrintJoukenYotei, iPrintYoteiHyo);
}

short iGetPrintJoukenYotei(const MainWindowView& window)
{
    return readTableConditions(window, QStringLiteral("利用者別月間予定表"),
                               QStringLiteral("利用者別月間予定チェック表"), scheduleTable, [] {
                                   // A missing item counts as 0; a value that is no number fails the conditions.
                                   const QString sharing = vGetMassageIni(QStringLiteral("施術者拠点間共有"), false);
                                   scheduleTable.branchSharing = (!sharing.isEmpty() && vb::cint(sharing) != 0) ? 1 : 0;
                               });
}

short iPrintYoteiHyo(short outputKind)
{
    return printTable(outputKind, kTitle, scheduleTable, QStringLiteral("利用者別月間予定"), iGetYoteiData00,
                      iOutputYoteiCsv);
}

QString yoteiQuery(const QDate& month)
{
    const QString K = QString::number(gKyotenCd);
    const QString E = QString::number(gKyotenEb);
    // December's upper bound yyyy1300 still lies above every day of the month.
    const QString B1 = QString::number(month.year() * 10000L + month.month() * 100L);
    const QString B2 = QString::number(month.year() * 10000L + (month.month() + 1) * 100L);
    QString sql;
    sql +=
        QStringLiteral("SELECT RIYOUSHA.cName as RiyouName, RIYOUSHA.nIDNo, SCHEDULE.nDate, STAFF.cName as StaffNane ");
    sql += QStringLiteral(" ,RIYOUSHA.iSejutsuKubun, RIYOUSHA.iKaigoLv");
    if (iHasJissekiHoseUmu == 1)
        sql += QStringLiteral(" , SCHEDULE.iHoseUmu, SCHEDULE.nLenFix ");
    else
        sql += QStringLiteral(" , RIYOUSHA.iHoseUmu, RIYOUSHA.nLenFix ");
    sql += QStringLiteral(" , CORP.cShamei1 AS cCorpName ");
    sql += QStringLiteral(" ,RIYOUSHA.tSyoryoDay");
    if (scheduleTable.branchSharing == 1)
        sql += QStringLiteral(" FROM RIYOUSHA, SCHEDULE_JOIN AS SCHEDULE, STAFF, CORP ");
    else
        sql += QStringLiteral(" FROM RIYOUSHA, SCHEDULE, STAFF, CORP ");
    sql += QStringLiteral(" WHERE ");
    sql += QStringLiteral("       RIYOUSHA.iKyotenCd = ") + K;
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenEb = ") + E;
    sql += QStringLiteral("   AND SCHEDULE.iKyotenCd = ") + K;
    sql += QStringLiteral("   AND SCHEDULE.iKyotenEb = ") + E;
    sql += QStringLiteral("   AND SCHEDULE.nIDRiyoushaNo = RIYOUSHA.nIDNo ");
    sql += QStringLiteral("   AND SCHEDULE.nDate >= ") + B1;
    sql += QStringLiteral("   AND SCHEDULE.nDate < ") + B2;
    sql += QStringLiteral("   AND STAFF.iKyotenCd = ") + K;
    sql += QStringLiteral("   AND STAFF.iKyotenEb = ") + E;
    sql += QStringLiteral("   AND SCHEDULE.nIDStaffNo = STAFF.nIDNo ");
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenCd = CORP.iKyotenCd");
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenEb = CORP.iKyotenEb");
    sql += QStringLiteral("   AND CORP.iType = 0");
    sql += QStringLiteral(" order by RIYOUSHA.cNameKana,  RIYOUSHA.nIDNo ");
    return sql;
}

short iGetYoteiData00()
{
    // The connection messages carry the actual-record loader's name, as the suite shows them.
    // A user's rows carry the same first-treatment date: it is formatted once per value.
    QVariant lastFirst;
    QString lastText;
    return loadTableRecords(
        scheduleTable, QStringLiteral("iGetJissekiData00"), yoteiQuery, [&](typYoteiUser& u, const AdoRecordset& rs) {
            applyTableRow(u, rs, dayOfNumber(nNullToLong(rs["nDate"])));
            const QVariant first = rs["tSyoryoDay"];
            if (first != lastFirst || first.typeId() != lastFirst.typeId()) {
                lastFirst = first;
                lastText =
                    csNullToStr(first).isEmpty() ? QString() : vb::formatValue(first, QStringLiteral("yyyy/mm/dd"));
            }
            u.firstTreatment = lastText;
        });
}

namespace {

const QString kCountRoutine = QStringLiteral("csInpKey_Isi");

// The schedules of billing category 0 of some users from a day to the end of its month
// (yyyymmdd numbers).
QString yoteiFromDayQuery(const QString& users, const QDate& from)
{
    const QDate nextMonth = vb::dateAddMonths(QDate(from.year(), from.month(), 1), 1);
    QString sql;
    sql += QStringLiteral("SELECT nIDRiyoushaNo, nDate ");
    sql += scheduleTable.branchSharing == 1 ? QStringLiteral(" FROM Schedule_Join") : QStringLiteral(" FROM Schedule");
    sql += QStringLiteral(" WHERE nIDRiyoushaNo IN (") + users + u')';
    sql += branchFilter();
    sql += QStringLiteral(" AND   nDate >= ") + QString::number(dateNumber(from));
    sql += QStringLiteral(" AND   nDate < ") + QString::number(dateNumber(nextMonth));
    sql += QStringLiteral(" and  iSeikyuKbn = 0");
    return sql;
}

// The anniversary day of a record whose first treatment falls a year before the target month.
std::optional<QDate> anniversaryInTargetMonth(const typYoteiUser& u)
{
    if (u.firstTreatment.isEmpty())
        return std::nullopt;
    const auto first = vb::toDate(u.firstTreatment);
    if (!first)
        return std::nullopt;
    const QDate anniversary = vb::dateAddMonths(first->date(), 12);
    if (vb::format(anniversary, QStringLiteral("yyyy/mm")) != scheduleTable.targetMonth)
        return std::nullopt;
    return anniversary;
}

// The anniversary counts of every record the one-year rule asks one of (a user's schedules
// of billing category 0 from its anniversary day to the month's end), in one query rather
// than one per record. A failure shows the routine's message once and counts 1 for each, so
// those records are left out and the file still written.
using AnniversaryKey = std::pair<long, QDate>; // user code, anniversary day
std::map<AnniversaryKey, short> anniversaryYoteiCounts(const std::vector<typYoteiUser>& records)
{
    std::map<AnniversaryKey, short> counts;
    for (const typYoteiUser& u : records)
        if (u.count >= 16)
            if (const auto day = anniversaryInTargetMonth(u))
                counts[{u.userCode, *day}] = 0;
    if (counts.empty())
        return counts;
    QStringList users;
    for (const auto& [key, count] : counts)
        if (users.isEmpty() || users.last() != QString::number(key.first))
            users << QString::number(key.first);
    const QDate monthStart = QDate(counts.begin()->first.second.year(), counts.begin()->first.second.month(), 1);
    auto rs = recipeQuery(yoteiFromDayQuery(users.join(u','), monthStart), kCountRoutine);
    if (!rs) {
        for (auto& [key, count] : counts)
            count = 1;
        return counts;
    }
    for (; !rs->EOF_(); rs->MoveNext()) {
        const long user = nNullToLong(rs->field(QStringLiteral("nIDRiyoushaNo")));
        const long day = nNullToLong(rs->field(QStringLiteral("nDate")));
        for (auto it = counts.lower_bound({user, QDate()}); it != counts.end() && it->first.first == user; ++it)
            if (day >= dateNumber(it->first.second))
                ++it->second;
    }
    return counts;
}

} // namespace

int iOutputYoteiCsv()
{
    // The anniversary-month counts are read once, when the first record needs one, rather
    // than one query (and connection) per record.
    std::optional<std::map<AnniversaryKey, short>> anniversaryCounts;
    return writeTableCsv(QStringLiteral("利用者別月間予定.csv"), scheduleTable, [&](const typYoteiUser& u) {
        if (scheduleTable.selectionMode != 0)
            return true;
        if (u.count < 16 || u.firstTreatment.isEmpty())
            return false;
        // One year after the first treatment: later months always, the anniversary month
        // itself only with 16 schedules from the anniversary day on.
        const auto first = vb::toDate(u.firstTreatment);
        if (!first)
            vbRaise(vberr::typeMismatch());
        const QDate anniversary = vb::dateAddMonths(first->date(), 12);
        const QString anniversaryMonth = vb::format(anniversary, QStringLiteral("yyyy/mm"));
        if (scheduleTable.targetMonth != anniversaryMonth)
            return scheduleTable.targetMonth > anniversaryMonth;
        if (!anniversaryCounts)
            anniversaryCounts = anniversaryYoteiCounts(scheduleTable.records);
        const auto it = anniversaryCounts->find({u.userCode, anniversary});
        return it != anniversaryCounts->end() && it->second >= 16;
    });
}

} // namespace modPrint利用者別月間予定表
