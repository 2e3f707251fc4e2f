#pragma once
// The facts the detail entry window looks up beside what the operator enters: the latest
// consent record's diagnoses, a practitioner's name, treatment counts, the month's treatment
// areas and kinds, the age. Each opens its own connection by the recipe and returns plain
// values; the window puts them into its controls. No widgets.
#include <QDate>
#include <QString>
#include <array>
#include <optional>

// getDouiRecord: the newest consent record (by nDate) whose period starts before the month
// after the given month. Connection failures name "iDataLoad", a failed query
// "getDouiRecord".
struct DouiRecord {
    short status = -1;             // 0 found; -1 no record or a failure (reported)
    QString byoumeiM;              // massage diagnosis (trimmed): txtSyobyo(0)
    std::array<long, 7> syouByo{}; // acupuncture diagnoses: chkSyouByo(0) other, (1)-(6)
    QString byoumeiH;              // the other acupuncture diagnosis (trimmed): txtSyobyo(1)
};
DouiRecord getDouiRecord(long userId, const QString& month);

// csInpKey_Staff: the name of practitioner number of the branch. 0 gives an empty name
// without reading; an unknown number "該当施術者なし"; a failure (reported) an empty name.
// *status: 0 found, -1 otherwise.
QString csInpKey_Staff(long staffNo, short* status = nullptr);

// iCountJissekiFromDay: the user's treatment records from fromDay ("yyyy/mm/dd") to the end
// of its month. Empty after a failure (reported), so no count is shown that was not read.
std::optional<short> iCountJissekiFromDay(long userId, const QString& fromDay);

// iLoadSejutuBui: the month's treatment areas, kinds and last treatment day, as what the
// window ticks and fills. Values the rules do not name leave their control untouched.
struct SejutuBui {
    short status = 0;               // 0 done; 1 failed (reported), nothing to apply
    std::array<bool, 5> bui1{};     // tick chkBui1(0)-(4): 左上肢, 右上肢, 左下肢, 右下肢, 躯幹
    std::array<bool, 4> bui2{};     // tick chkBui2(0)-(3): 変形徒手 of the same limbs
    std::array<long, 3> harikyu2{}; // chkHarikyu2(0)-(2) gets the value when 1 or more
    QString lastDay;                // imLastJissekiDay(0)/(1), "yyyy/mm/dd"; empty: untouched
};
SejutuBui iLoadSejutuBui(long userId, const QString& firstDay);

// iAgeCalc's arithmetic: whole years from the birthday text to today as the difference of
// "yyyy.mmdd" numbers; below 1 gives 0. Empty when the text is no date.
std::optional<short> ageOn(const QString& birthday, const QDate& today);
