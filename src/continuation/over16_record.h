#pragma once
// The OVER16COUNT row of a user and month: the replacing save (delete and insert in one
// transaction) and the two reads the entry window fills itself from. No widgets.
#include "db/adodb.h"

#include <QString>
#include <optional>

// The values a save writes. The four symptom values are written only while RIYOUSHA_SUB has
// no iSyoujouSonota (iHasSyoujouSonota 0); otherwise the user master holds them.
struct Over16Entry {
    short iNegaeri = 0; // 0 自立, 1 一部介助, 2 全介助
    short iOkiagari = 0;
    short iZai = 0;
    short iTachiagari = 0;
    short iRitsui = 0;
    short iNRS = 0;                // 0-10
    short iZenkaiHyoukaUmu = 1;    // 0 有り, 1 無し
    short iZenkaiHyoukaHenaka = 0; // 0 blank, 1 悪化 … 5 改善大
    QString cRiyuu;                // as typed, line breaks CR LF
    QString cHyoukaDay;            // "yyyy/mm/dd" or empty
    long nStaffID = 0;
    QString cSyoumeiDay; // "yyyy/mm/dd" or empty
    short iKoushuku = 0;
    short iMahi = 0;
    short iSyoujouSonota = 0;
    QString cSyoujouSonota;
    bool operator==(const Over16Entry&) const = default;
};

// Longest texts the table holds (nvarchar(1000) / varchar(2000) and nvarchar(24)), counted in
// UTF-16 code units as SQL Server counts nvarchar.
constexpr int kRiyuuMaxLength = 1000;
constexpr int kSyoujouSonotaMaxLength = 24;

enum class Over16Field { Riyuu, SyoujouSonota };
// The operator's text for a value the table cannot hold, or empty when every value fits;
// *field (when given) tells whose value it is.
QString over16EntryProblem(const Over16Entry& v, Over16Field* field = nullptr);

// The two statements of a save. month is "yyyy/mm/01" (any date text of the month).
QString over16DeleteStatement(long userId, const QString& month);
QString over16InsertStatement(long userId, const QString& month, const Over16Entry& v);

// The stored row of a user and month, every column as text (Null told apart), as a window
// read it; empty when there was no row. A save compares it with the row it replaces.
using Over16Stored = std::optional<QStringList>;
QString over16RowQuery(long userId, const QString& month);

// What a save asks when another terminal changed the row since the window read it.
extern const QString kOver16ChangedQuestion;

struct Over16SaveResult {
    short status = 0; // 0 saved, 1 the operator kept the other terminal's row, -1 failed (nothing changed)
    // A failure nothing has shown yet (transaction start, commit, a value too long, an
    // unexpected error); the window shows it and keeps it as its last-error text.
    QString unshownError;
};
// Replaces the row of the user and month with v: connection by the recipe ("iDataLoad" in its
// messages), begin, delete, insert, commit. A failed delete or insert shows sErrMsg titled
// "確認"; every failure rolls back, so the stored row stays as it was. Before the delete the
// stored row is compared with `seen`; when it differs the operator is asked whether to
// overwrite it (no lock is held while the question waits). After a save `seen` is the row
// as written.
Over16SaveResult saveOver16Entry(long userId, const QString& month, const Over16Entry& v, Over16Stored& seen);

// The month's totals joined with the user master and the month's row (exact user ID).
QString monthEntryQuery(long userId, const QString& month);
// The latest earlier month with totals and a row of the user (by the edition rule: exact ID
// with the edition marker, otherwise any ID of the same hundred; the user's own ID first).
QString previousEntryQuery(long userId, const QString& month);

struct Over16Read {
    short status = 0;                // 0 read (also after a connection failure); 1 the query failed
    bool failed = false;             // a failure was reported (connection or query)
    std::optional<AdoRecordset> row; // at its first row; empty when there is none or on failure
    Over16Stored stored;             // readMonthEntry: the month's stored row, read just before
};
// Routine names in the recipe's messages: "iDataLoad" and "iDataLoad_Zenkai".
Over16Read readMonthEntry(long userId, const QString& month);
Over16Read readPreviousEntry(long userId, const QString& month);
