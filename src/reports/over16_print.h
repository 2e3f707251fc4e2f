#pragma once
// modPrintOver16Count: the continuation reason/state form (継続理由・状況記入書, older and R03
// layouts) and the treatment plan (施術計画書) for the users ticked in the main window. Both
// share the print conditions, the print record and the per-user lookups (consent record,
// treatment count from a day, areas and kinds of the month).
#include "main_window_view.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class CsvRow;

namespace modPrintOver16Count {

// One user's print record; every number 0 and every text empty when new.
struct Over16PrintRec {
    short iKyotenCd = 0;
    short iKyotenEb = 0;
    long userId = 0;
    short year = 0;
    short month = 0;
    QString userName;
    QString monthStart; // "yyyy/mm/01"
    short iSejutsuKubun = 0;
    short count = 0;        // 施術回数
    QString birthday;       // "yyyy/mm/dd"
    QString firstTreatment; // "yyyy/mm/dd"
    short iMahi = 0;
    short iKoushuku = 0;
    short iSyoujouSonota = 0;
    QString cSyoujouSonota;
    short iNegaeri = 0;
    short iOkiagari = 0;
    short iZai = 0;
    short iTachiagari = 0;
    short iRitsui = 0;
    short iNRS = 0;
    short iZenkaiHyoukaUmu = 0;
    short iZenkaiHyoukaHenaka = 0;
    QString cRiyuu;
    QString evaluationDay; // "yyyy/mm/dd" or empty
    QString staffCode;     // nStaffID in decimal
    QString staffName;
    QString certificationDay; // "yyyy/mm/dd" or empty
    QString massageInjury;
    std::array<short, 5> iSejutuBui{};
    short iHariUmu = 0;
    short iKyuuUmu = 0;
    short iDenkiHariKyuuUmu = 0;
    std::array<short, 7> acupunctureFlags{}; // 鍼灸傷病名01-07
    QString acupunctureInjury;
    short birthdayEra = 0;
    short firstTreatmentEra = 0;
};

// Module state: the print conditions and the records, kept from one run to the next.
struct PrintConditions {
    short year = 0;
    short month = 0;
    long selectedCount = 0;
    std::vector<long> selectedIds;
    QString idListText;    // "101,205,311"; empty when nobody is ticked
    short countOption = 0; // 1: mnSejutuKaisuCnt(1) ticked
    std::vector<Over16PrintRec> records;
    short formatOutput = 0; // non-zero: the evaluation part blank, every ticked user
    short pastMonths = 0;   // 1: fill 過去16回以上施術月1-5
    short newStyle = 0;     // non-zero: the R03 layout
};
const PrintConditions& printConditions();
// Back to the state of a program that has printed nothing yet (tests).
void resetPrintConditions();

// The continuation form. outputMode 0 previews, anything else prints through the dialog.
void vPrintKeizokuRiyuu(short outputMode, short pastMonths, short newStyle, const MainWindowView& window,
                        short formatOutput);
short iGetPrintJouken(const MainWindowView& window);
short iPrintKeizokuRiyuu(short outputMode); // -1 failed, 0 done, 1 nothing to print
short iGetJissekiData();                    // -1 error, 0 loaded (maybe nothing), 1 nothing queried
int iOutputKeizokuCsv();                    // data lines, or -1

// The treatment plan.
void vPrintKeikakusyo(short outputMode, const MainWindowView& window, short formatOutput);
short iPrintKeikakusyo(short outputMode);
short iGetKeikakuData();
int iOutputKeikakuCsv();

// The per-user lookups.
short getDouiRecord(long userId, const QString& monthStart, Over16PrintRec& rec); // 0 found, -1 none / failed
short iGetKaisuAfterDay(long userId, const QString& fromDate);                    // count; 1 after a failure
short iGetSejutuBui(long userId, const QString& monthStart, Over16PrintRec& rec); // 0 done, 1 failed

// The loaders' queries for the current conditions.
QString keizokuQuery();
QString keikakuQuery();

// The months of 16 or more treatments of a user, newest first, "yyyy/mm" (at most five), from
// the frequency table; all empty when the table was built for another month than the
// conditions' or holds no entry for the user.
std::array<QString, 5> pastFrequentMonths(long userId);

// The CSV column names: 54 for the form, 41 for the plan.
QStringList keizokuCsvHeader();
QStringList keikakuCsvHeader();

// The layout of the form under the new-style flag.
QString keizokuLayout(short newStyle);

} // namespace modPrintOver16Count
