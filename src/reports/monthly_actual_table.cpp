#include "monthly_actual_table.h"

#include "csv_writer.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/vb.h"
#include "common/sys_settings.h"
#include "db/connection_recipe.h"
#include "db/table_checks.h"

namespace modPrint利用者別月間実績表 {

namespace {

JissekiState actualTable;

const QString kTitle = QStringLiteral("利用者別月間実績表印刷");
const QString kRoutine = QStringLiteral("iGetJissekiData00");

// A 16-bit column: Null counts as 0, anything else as CInt.
short shortField(const QVariant& v) { return (v.isNull() || !v.isValid()) ? 0 : vb::cint(v); }

} // namespace

const JissekiState& state() { return actualTable; }

short selectionModeOf(int condition)
{
    if (condition == 3)
        return 0;
    if (condition == 2)
        return 2;
    return 1;
}

void readAnbunFlg()
{
    // The suite keeps this setting for other programs; these tables do not use it, so a
    // missing or non-numeric value only brings the usual missing-item warning.
    vGetMassageIni(QStringLiteral("ANBUN_FLG"), true);
}

void readMonthAndLayout(const MainWindowView& window, const QString& section, const QString& key, QString* targetMonth,
                        QString* layoutFile)
{
    const QDate month = window.monthValue();
    if (!month.isValid())
        vbRaise(vberr::typeMismatch());
    *targetMonth = vb::format(month, QStringLiteral("yyyy/mm"));
    *layoutFile = csGetReportLayout(section, key);
    if (layoutFile->isEmpty())
        *layoutFile = key + QStringLiteral(".wfd");
}

void vPrintJissekiHyo(short outputKind, const MainWindowView& window)
{
    runReportEntry(outputKind, window, kTitle, iGetPrintJoukenJisseki, iPrintJissekiHyo);
}

short iGetPrintJoukenJisseki(const MainWindowView& window)
{
    return readTableConditions(window, QStringLiteral("利用者別月間実績表"),
                               QStringLiteral("利用者別月間実績チェック表"), actualTable, [&] {
                                   actualTable.userIds.clear();
                                   actualTable.userIdText.clear();
                                   for (int row = 1; row <= window.gridMaxRows(); ++row) {
                                       const long id = nNullToLong(window.gridValue(row, 2));
                                       if (!actualTable.userIds.empty())
                                           actualTable.userIdText += u',';
                                       actualTable.userIds.push_back(id);
                                       actualTable.userIdText += QString::number(id);
                                   }
                               });
}

short iPrintJissekiHyo(short outputKind)
{
    return printTable(outputKind, kTitle, actualTable, QStringLiteral("利用者別月間実績"), iGetJissekiData00,
                      iOutputJissekiCsv);
}

short runTableDriver(short outputKind, const QString& title, const QString& layout, const QString& dataName,
                     short (*load)(), int (*writeCsv)())
{
    const QString nothing = QStringLiteral("出力対象データが存在しません。");
    return runReportDriver(outputKind, {title, layout, dataName, dataName + QStringLiteral(".csv"), nothing, nothing},
                           {load, [] { return true; }, writeCsv});
}

QString jissekiQuery(const QDate& monthStart)
{
    const QString K = QString::number(gKyotenCd);
    const QString E = QString::number(gKyotenEb);
    const QString S = vb::format(monthStart, QStringLiteral("mm-dd-yyyy"));
    const QString N = vb::format(vb::dateAddMonths(monthStart, 1), QStringLiteral("mm-dd-yyyy"));
    const QString& L = actualTable.userIdText;
    QString sql;
    sql += QStringLiteral(
        "SELECT RIYOUSHA.cName as RiyouName, RIYOUSHA.nIDNo, JISSEKI.tServicyDayStart, STAFF.cName as StaffNane ");
    sql += QStringLiteral(" ,RIYOUSHA.iSejutsuKubun, RIYOUSHA.iKaigoLv");
    if (iHasJissekiHoseUmu == 1)
        sql += QStringLiteral(" , JISSEKI.iHoseUmu, JISSEKI.nLenFix ");
    else
        sql += QStringLiteral(" , RIYOUSHA.iHoseUmu, RIYOUSHA.nLenFix ");
    sql += QStringLiteral(" , CORP.cShamei1 AS cCorpName ");
    sql += QStringLiteral(" FROM RIYOUSHA, JISSEKI, STAFF, CORP ");
    sql += QStringLiteral(" WHERE ");
    sql += QStringLiteral("       RIYOUSHA.iKyotenCd = ") + K;
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenEb = ") + E;
    sql += QStringLiteral("   AND JISSEKI.iKyotenCd = ") + K;
    sql += QStringLiteral("   AND JISSEKI.iKyotenEb = ") + E;
    sql += QStringLiteral("   AND JISSEKI.nRiyoushaIDNo = RIYOUSHA.nIDNo ");
    sql += QStringLiteral("   AND JISSEKI.tServicyDayEnd >= '") + S + QStringLiteral("' ");
    sql += QStringLiteral("   AND JISSEKI.tServicyDayEnd < '") + N + QStringLiteral("' ");
    sql += QStringLiteral("   AND STAFF.iKyotenCd = ") + K;
    sql += QStringLiteral("   AND STAFF.iKyotenEb = ") + E;
    sql += QStringLiteral("   AND JISSEKI.nStaffIDNo = STAFF.nIDNo ");
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenCd = CORP.iKyotenCd");
    sql += QStringLiteral("   AND RIYOUSHA.iKyotenEb = CORP.iKyotenEb");
    sql += QStringLiteral("   AND CORP.iType = 0");
    if (!L.isEmpty() && (actualTable.selectionMode == 0 || actualTable.selectionMode == 2))
        sql += QStringLiteral("   AND JISSEKI.nRiyoushaIDNo in (") + L + QStringLiteral(")");
    sql += QStringLiteral(" order by RIYOUSHA.cNameKana,  RIYOUSHA.nIDNo ");
    return sql;
}

void applyTableRow(typJissekiUser& user, const AdoRecordset& rs, int day)
{
    user.userCode = nNullToLong(rs["nIDNo"]);
    user.userName = csNullToStr(rs["RiyouName"]);
    user.treatmentCategory = shortField(rs["iSejutsuKubun"]);
    user.careLevel = shortField(rs["iKaigoLv"]);
    if (day >= 1 && day <= 31) {
        user.staffOfDay[day - 1] = csStaffShortName(csNullToStr(rs["StaffNane"]));
        user.visitOfDay[day - 1] = 0;
        ++user.count;
    }
    user.corpName = csNullToStr(rs["cCorpName"]);
}

short iGetJissekiData00()
{
    return loadTableRecords(actualTable, kRoutine, jissekiQuery, [](typJissekiUser& user, const AdoRecordset& rs) {
        // A row without a readable start time belongs to its user but to no day.
        const auto started = vb::toDate(rs["tServicyDayStart"]);
        applyTableRow(user, rs, started ? started->date().day() : 0);
    });
}

QString csStaffShortName(const QString& name)
{
    qsizetype cut = name.indexOf(QChar(0x3000));
    if (cut < 0)
        cut = name.indexOf(u' ');
    const QString part = cut < 0 ? name : name.left(cut);
    // Three characters; a character outside the BMP is one, not two halves.
    qsizetype n = 0;
    for (int chars = 0; n < part.size() && chars < 3; ++chars)
        n += (part.at(n).isHighSurrogate() && n + 1 < part.size()) ? 2 : 1;
    return part.left(n);
}

QStringList tableCsvHeader()
{
    QStringList h{QStringLiteral("拠点名"),   QStringLiteral("対象年月"),     QStringLiteral("出力日"),
                  QStringLiteral("出力時刻"), QStringLiteral("利用者コード"), QStringLiteral("利用者名"),
                  QStringLiteral("施術区分"), QStringLiteral("保険有無")};
    for (int d = 1; d <= 31; ++d)
        h << QString::number(d) + QStringLiteral("日施術師名");
    for (int d = 1; d <= 31; ++d)
        h << QString::number(d) + QStringLiteral("日通院");
    h << QStringLiteral("回数");
    return h;
}

CsvRow tableCsvRow(const typJissekiUser& user, const QString& targetMonth, const QDateTime& now)
{
    CsvRow r;
    r.text(user.corpName)
        .text(targetMonth)
        .text(vb::format(now, QStringLiteral("yyyy/mm/dd")))
        .text(vb::format(now, QStringLiteral("h:m:s")))
        .number(user.userCode)
        .text(user.userName)
        .number(user.treatmentCategory)
        .number(user.careLevel);
    for (int d = 0; d < 31; ++d)
        r.text(user.staffOfDay[d]);
    for (int d = 0; d < 31; ++d)
        r.number(user.visitOfDay[d]);
    r.number(user.count);
    return r;
}

int iOutputJissekiCsv()
{
    return writeTableCsv(QStringLiteral("利用者別月間実績.csv"), actualTable,
                         [](const typJissekiUser& u) { return actualTable.selectionMode != 0 || u.count >= 16; });
}

} // namespace modPrint利用者別月間実績表
