#pragma once
// Program-wide values fixed at start-up. Tests set them explicitly.
#include <QString>

inline QString gAppPath;    // program folder, no trailing separator
inline short gKyotenCd = 0; // branch code (BASEID characters 1-2)
inline short gKyotenEb = 0; // branch sub-number (BASEID characters 3-4)
inline short gTZSVer = 0;   // 1 when KovaniTZSVer.ini exists in the program folder
