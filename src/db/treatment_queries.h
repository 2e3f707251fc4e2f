#pragma once
// Queries on the suite's treatment and consent records that several routines share, each
// routine keeping its own messages and results.
#include <QString>

// What a read of one user's treatment records (JISSEKI) from a day to the end of that day's
// month selects besides count(*) as cnt.
enum class JissekiColumns {
    Count,               // cnt only
    CountAndAreas,       // cnt, MAX of iSejutuBui1-5, iHariUmu, iKyuuUmu, iDenkiHariKyuuUmu
    CountAreasAndLastDay // the same with MAX(tServicyDayStart) right after cnt
};

// The user's treatment records of billing category 0 from fromDate ("yyyy/mm/dd") up to the
// first day of the following month; returned ones (iDelFlg_Henrei) are left out where the
// column exists. Raises a type mismatch when fromDate is no date.
QString jissekiFromDayQuery(long userId, const QString& fromDate, JissekiColumns columns);

// The same for several users at once (ids: decimal numbers joined by commas), one row per
// user with records, grouped by nRiyoushaIDNo (selected first).
QString jissekiFromDayByUserQuery(const QString& ids, const QString& fromDate, JissekiColumns columns);

// The same records themselves (nRiyoushaIDNo, tServicyDayStart), for counts that start on a
// different day for each user.
QString jissekiRecordsFromDayQuery(const QString& ids, const QString& fromDate);

// The user's consent records (RIYOUSHA_DOUI_REC) whose period starts before the month after
// monthStart's month, not replaced (iHenkeiFlg 0), newest nDate first. Raises a type mismatch
// when monthStart is no date.
QString douiRecordQuery(long userId, const QString& monthStart);

// The same for several users at once, ordered by user (nIDNo) and then newest first.
QString douiRecordsByUserQuery(const QString& ids, const QString& monthStart);

// " FROM 月間実績 " with the user master (RIYOUSHA, RIYOUSHA_SUB) left-joined on branch and
// user number.
QString monthTotalsWithUserJoins();
// The month's continuation entry left-joined to 月間実績: by the exact user ID, or (exactId
// false) by any ID of the same hundred.
QString over16EntryJoin(bool exactId = true);
// The certifying practitioner of the entry: STAFF left-joined on OVER16COUNT.nStaffID, under
// an alias unless alias is "STAFF".
QString certifierJoin(const QString& alias = QStringLiteral("STAFF"));

// The acupuncture diagnosis columns of the user master: the seven flags and the other name where
// the flags exist (flagColumns), else the code and the other name.
QString diagnosisColumns(bool flagColumns);

// " and iKyotenCd = " gKyotenCd " and iKyotenEb = " gKyotenEb: the rows of the program's branch,
// after a first condition.
QString branchFilter();

// "yyyy/mm/dd" of the first day of the month after the month of a date text.
QString firstOfNextMonth(const QString& dateText);
