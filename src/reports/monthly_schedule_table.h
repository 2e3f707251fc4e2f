#pragma once
// modPrint利用者別月間予定表: the monthly schedule table. The counterpart of the actual-record
// table over the scheduled treatments (SCHEDULE, or the view SCHEDULE_JOIN when practitioners
// are shared between branches), written to 利用者別月間予定.csv. In selection mode 0 only users
// past their first year (or in the anniversary month with 16 schedules from the anniversary
// day on) are written.
#include "monthly_actual_table.h"

namespace modPrint利用者別月間予定表 {

struct typYoteiUser : modPrint利用者別月間実績表::typJissekiUser {
    QString firstTreatment; // RIYOUSHA.tSyoryoDay "yyyy/mm/dd"; empty when none
};

struct YoteiState : modPrint利用者別月間実績表::TableRun<typYoteiUser> {
    short branchSharing = 0; // 1: Massage.ini 施術者拠点間共有 is a non-zero number
};
const YoteiState& state();

void vPrintYoteiHyo(short outputKind, const MainWindowView& window); // 0 preview, 1 print
short iGetPrintJoukenYotei(const MainWindowView& window);
short iPrintYoteiHyo(short outputKind); // 0 done, 1 nothing to print, -1 failure
short iGetYoteiData00();                // 0 loaded, 1 no rows, -1 failure
int iOutputYoteiCsv();                  // data lines written, or -1

// The loader's query for the current conditions and the month (any day of it).
QString yoteiQuery(const QDate& month);

} // namespace modPrint利用者別月間予定表
