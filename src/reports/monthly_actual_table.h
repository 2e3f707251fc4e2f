#pragma once
// modPrint利用者別月間実績表: the monthly actual-record table. One line per user with the
// practitioner of each day of the month, from the month's treatment records (JISSEKI), written
// to 利用者別月間実績.csv and handed to the report viewer. The per-user record, the CSV line and
// the short practitioner name are shared with the monthly schedule table.
#include "base/opl_string.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/sys_settings.h"
#include "csv_writer.h"
#include "db/connection_recipe.h"
#include "main_window_view.h"
#include "report_output.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class CsvRow;

namespace modPrint利用者別月間実績表 {

struct typJissekiUser {
    long userCode = 0;                  // RIYOUSHA.nIDNo
    QString userName;                   // RIYOUSHA.cName
    short treatmentCategory = 0;        // RIYOUSHA.iSejutsuKubun
    short careLevel = 0;                // RIYOUSHA.iKaigoLv
    std::array<QString, 32> staffOfDay; // element d-1: short practitioner name of day d
    std::array<short, 32> visitOfDay{}; // clinic-visit mark of day d (always 0)
    short count = 0;                    // treatments on days 1-31
    QString corpName;                   // CORP.cShamei1
};

// What both tables keep from one run to the next, overwritten by each run in the order
// conditions, records, CSV.
template <class Record> struct TableRun {
    QString targetMonth;     // "yyyy/mm"
    short selectionMode = 1; // 0 year+16 rule, 2 frequent users, 1 everyone
    QString layoutFile;
    std::vector<Record> records;
};

struct JissekiState : TableRun<typJissekiUser> {
    std::vector<long> userIds; // grdData column 2 of every row
    QString userIdText;        // the same joined by commas
};
const JissekiState& state();

void vPrintJissekiHyo(short outputKind, const MainWindowView& window); // 0 preview, 1 print
short iGetPrintJoukenJisseki(const MainWindowView& window);
short iPrintJissekiHyo(short outputKind); // 0 done, 1 nothing to print, -1 failure
short iGetJissekiData00();                // 0 loaded, 1 no rows, -1 failure
QString csStaffShortName(const QString& name);
int iOutputJissekiCsv(); // data lines written, or -1

// The loader's query for the current conditions and the given month start.
QString jissekiQuery(const QDate& monthStart);

// --- shared with the schedule table ---

// optSerchSel index 3 gives 0, index 2 gives 2, anything else 1.
short selectionModeOf(int condition);
// Sets user, company and, for day 1-31, the practitioner and count from one query row.
void applyTableRow(typJissekiUser& user, const AdoRecordset& rs, int day);
// The 71 column names and one data line of the CSV file.
QStringList tableCsvHeader();
CsvRow tableCsvRow(const typJissekiUser& user, const QString& targetMonth, const QDateTime& now);
// The month of imD_Out as "yyyy/mm" (raises on no date) and the layout named by
// 帳票Format.ini section / key, or key + ".wfd" when it names none.
void readMonthAndLayout(const MainWindowView& window, const QString& section, const QString& key, QString* targetMonth,
                        QString* layoutFile);
// The conditions both tables read: the month and layout (readMonthAndLayout), the selection
// mode, then what more() reads. 0, or -1 after the run-time error's message.
template <class Record, class More>
short readTableConditions(const MainWindowView& window, const QString& section, const QString& key,
                          TableRun<Record>& run, More more);
// The print driver of a table: the records cleared, then the loader, the CSV file dataName
// ".csv" and the hand-off; nothing to output is "出力対象データが存在しません。".
template <class Record>
short printTable(short outputKind, const QString& title, TableRun<Record>& run, const QString& dataName,
                 short (*load)(), int (*writeCsv)());
// printTable's part that does not depend on the record type.
short runTableDriver(short outputKind, const QString& title, const QString& layout, const QString& dataName,
                     short (*load)(), int (*writeCsv)());
// The loader both tables share: ANBUN_FLG, the month of the conditions, the query through the
// recipe (routine names its messages), one record per run of rows with the same nIDNo, each
// row applied by fill(record, row). 0 loaded, 1 no rows, -1 failure.
template <class Record, class Query, class Fill>
short loadTableRecords(TableRun<Record>& run, const QString& routine, Query query, Fill fill);
// The CSV writer both tables share: the file in the temporary folder, the 71-column header,
// one line per record for which write(record) holds. Lines written, or -1 after the message.
template <class Record, class Pred> int writeTableCsv(const QString& fileName, const TableRun<Record>& run, Pred write);
// ANBUN_FLG: read with the missing-item warning, not used.
void readAnbunFlg();

template <class Record, class More>
short readTableConditions(const MainWindowView& window, const QString& section, const QString& key,
                          TableRun<Record>& run, More more)
{
    try {
        readMonthAndLayout(window, section, key, &run.targetMonth, &run.layoutFile);
        run.selectionMode = selectionModeOf(window.selectedCondition());
        more();
        return 0;
    } catch (const VbRuntimeError& e) {
        showRunTimeError(e.err);
        return -1;
    }
}

template <class Record>
short printTable(short outputKind, const QString& title, TableRun<Record>& run, const QString& dataName,
                 short (*load)(), int (*writeCsv)())
{
    run.records.clear();
    return runTableDriver(outputKind, title, run.layoutFile, dataName, load, writeCsv);
}

template <class Record, class Query, class Fill>
short loadTableRecords(TableRun<Record>& run, const QString& routine, Query query, Fill fill)
{
    try {
        readAnbunFlg();
        const auto start = vb::toDate(run.targetMonth + QStringLiteral("/01"));
        if (!start)
            vbRaise(vberr::typeMismatch());
        auto rs = recipeQuery(query(start->date()), routine);
        if (!rs)
            return -1;
        if (rs->EOF_())
            return 1;
        run.records.clear();
        for (; !rs->EOF_(); rs->MoveNext()) {
            const long id = nNullToLong(rs->field(QStringLiteral("nIDNo")));
            if (run.records.empty() || run.records.back().userCode != id) {
                run.records.emplace_back();
                run.records.back().userCode = id;
            }
            fill(run.records.back(), *rs);
        }
        return 0;
    } catch (const VbRuntimeError& e) {
        showRunTimeError(e.err);
        return -1;
    }
}

template <class Record, class Pred> int writeTableCsv(const QString& fileName, const TableRun<Record>& run, Pred write)
{
    return writeReportCsv(fileName, tableCsvHeader(), [&](CsvWriter& csv) {
        for (const Record& r : run.records)
            if (write(r))
                csv.row(tableCsvRow(r, run.targetMonth, reportNow()));
    });
}

} // namespace modPrint利用者別月間実績表
