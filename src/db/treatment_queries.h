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

// The user's consent records (RIYOUSHA_DOUI_REC) whose period starts before the month after
// monthStart's month, not replaced (iHenkeiFlg 0), newest nDate first. Raises a type mismatch
// when monthStart is no date.
QString douiRecordQuery(long userId, const QString& monthStart);

// "yyyy/mm/dd" of the first day of the month after the month of a date text.
QString firstOfNextMonth(const QString& dateText);
