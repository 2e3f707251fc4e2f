#pragma once
// VB-compatible date, number and format helpers (Japanese system).
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace vb {

// DateAdd("m", n, d): the day is clamped to the target month's last day.
QDate dateAddMonths(const QDate& d, int months);
QDateTime dateAddMonths(const QDateTime& d, int months);
// DateDiff("m", a, b): month boundaries from a to b; negative when a is later.
int dateDiffMonths(const QDate& a, const QDate& b);

// Japanese eras as Windows knows them.
struct Era {
    int code; // 1 Meiji .. 5 Reiwa
    QDate start;
    QString g, gg, ggg;
};
// The era a date falls in; nullptr before 1868-01-01.
const Era* eraOf(const QDate& d);
// Era code 1..5, 0 when the date is invalid or before the first era.
int eraCode(const QDate& d);
// Era code of a date text as the program reads it ("yyyy/mm/dd" and the like); 0 when invalid.
int eraCodeOfText(const QString& text);

// VB Format for the date patterns the program uses: yyyy, yy, m, mm, d, dd, h, hh, n, nn,
// s, ss (m after h means minutes), g/gg/ggg, e/ee, "\x" a literal x; other characters stand.
QString format(const QDateTime& dt, const QString& pattern);
QString format(const QDate& d, const QString& pattern);

// CDate of the values the program meets: a date value, "yyyy/mm/dd", "yyyy/m/d",
// "yyyy/mm/dd h:mm:ss", "yyyy-mm-dd hh:mm:ss", ISO with "T". Empty when not a date.
std::optional<QDateTime> toDate(const QVariant& v);
// Format(value, pattern) when the value reads as a date; otherwise the text as it stands
// (VB formats a text that is no date as itself).
QString formatValue(const QVariant& v, const QString& pattern);

// CInt / CLng: banker's rounding; raise 13 (type mismatch) or 6 (overflow).
short cint(const QVariant& v);
long clng(const QVariant& v);
// Conversion without raising.
std::optional<double> toNumber(const QVariant& v);
// IsNumeric: the whole text (blanks around allowed) is a number.
bool isNumeric(const QVariant& v);
// Val: the leading number of a text; blanks and tabs are ignored; 0 when none.
double val(const QString& s);

// Trim / RTrim / LTrim remove ASCII blanks only (U+3000 stays).
QString trim(const QString& s);
QString rtrim(const QString& s);
QString ltrim(const QString& s);

// CStr of a date on a Japanese system: yyyy/MM/dd, then " H:mm:ss" when not midnight.
QString cstrDate(const QDateTime& dt);

} // namespace vb
