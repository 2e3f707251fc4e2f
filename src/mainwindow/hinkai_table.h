#pragma once
// The frequency table: per listed user, the counts of the 24 months ending with the listed
// month. The list builds it; the continuation form, the plan and the frequency windows read it.
#include <QString>
#include <array>
#include <vector>

// One entry of the frequency table: a listed user's counts of the 24 months ending with
// the listed month.
struct HinkaiRecord {
    long userNo = 0;
    QString name;
    short kind = 0;                 // iSejutsuKubun
    short frequency = 0;            // F: months with 16 or more treatments
    short planFlag = 0;             // iHinkaiKeikaku
    QString planMonth;              // cHinkaiKeikakuYM
    std::array<QString, 25> months; // "yyyymm", index 0 = first month of the window
    std::array<short, 25> counts{};
};

// The frequency table (program-wide). gHinkaiCount counts the used entries.
inline std::vector<HinkaiRecord> gHinkaiList;
inline short gHinkaiCount = 0;

// Index of the first entry with the user number among the used ones, or -1.
int findHinkaiEntry(long userNo);
