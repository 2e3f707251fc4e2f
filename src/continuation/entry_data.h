#pragma once
// What the detail entry window shows of a stored row: the month's row with the lookups beside
// it (count, areas, consent record), and the previous entry the operator copies. No widgets:
// the window puts these values into its controls.
#include "entry_lookups.h"

#include <QString>
#include <array>
#include <optional>

class AdoRecordset;

// The evaluation of a stored row.
struct EntryEvaluation {
    std::array<long, 5> movements{}; // iNegaeri, iOkiagari, iZai, iTachiagari, iRitsui: 0-2 choose an option
    long henka = 0;                  // iZenkaiHyoukaHenaka
    short nrs = 0;                   // iNRS
};

// Symptom ticks (a tick is only ever added) and the other symptom's text.
struct EntrySymptoms {
    bool mahi = false;      // chkKoushukuMahi(0)
    bool koushuku = false;  // chkKoushukuMahi(1)
    bool otherTick = false; // chkKoushukuMahi(3)
    QString other;          // txtSyobyo(2), trimmed
};

// Diagnoses; a value left empty leaves its control as it is.
struct EntryDiagnoses {
    std::optional<QString> massage;                   // txtSyobyo(0)
    std::array<std::optional<long>, 7> acupuncture{}; // chkSyouByo(0) other, (1)-(6): VB check values
    std::optional<QString> acupunctureOther;          // txtSyobyo(1)
};

// The certifying practitioner; a number below 1 leaves the controls as they are.
struct EntryStaff {
    long id = 0;  // imTantou
    QString name; // txtTantou
};

struct MonthEntryData {
    short kind = 0;  // iSejutsuKubun: 0 massage, else acupuncture
    long userNo = 0; // 患者IDNo
    // 施術回数; in the anniversary month the count from the anniversary day, empty when that
    // could not be read.
    std::optional<short> count;
    SejutuBui areas;
    QString name;
    QString kana;
    long sex = 0;               // 1 male, 2 female
    QString birthday;           // tBirthDay as stored, trimmed; empty when none
    QString birthdayText;       // "gggee年m月d日"
    QString firstTreatmentText; // tSyoryoDay as "gggee年m月d日"; empty when none
    EntrySymptoms symptoms;
    EntryDiagnoses diagnoses;
    QString massageFallback; // cByoumei, for txtSyobyo(0) when the consent record leaves it empty
    EntryEvaluation evaluation;
    std::optional<long> zenkaiUmu; // iZenkaiHyoukaUmu where the month has an entry
    QString evaluationDay;         // cHyoukaDay, trimmed
    QString reason;                // cRiyuu
    EntryStaff certifier;          // nStaffID, cSTAFFName
    QString certificationDay;      // cSyoumeiDay, trimmed
    QString tantouName;            // cTANTOUName: the user's practitioner
};
// A row of readMonthEntry for the user and month ("yyyy/mm/01"); the lookups show their own
// failures.
MonthEntryData monthEntryData(const AdoRecordset& rs, long userId, const QString& month);

struct PreviousEntryData {
    EntryDiagnoses diagnoses; // the month's consent record, where the table exists
    EntryEvaluation evaluation;
    long zenkaiUmu = 0;                    // 0 (有り) when the entry is of the month before, else as stored
    std::optional<EntrySymptoms> symptoms; // where the entry holds them (no iSyoujouSonota in RIYOUSHA_SUB)
    QString reason;
    EntryStaff certifier;
};
// The row of readPreviousEntry for the user and month ("yyyy/mm/01").
PreviousEntryData previousEntryData(const AdoRecordset& rs, long userId, const QString& month);
