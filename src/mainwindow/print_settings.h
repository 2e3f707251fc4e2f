#pragma once
// 印刷設定.ini, section 利用者別月間実績表: the operator's choices kept between runs.
#include <QString>

struct PrintSettings {
    bool tuuinDisp = false; // chkTuuinDisp
    int sortIndex = 0;      // optSort
    int printType = 0;      // optPrintType
    int sejutuKaisuCnt = 0; // the ticked item of mnSejutuKaisuCnt
    int riyusyoType = 1;    // the ticked item of mnRiyusyoTypeSel
    short pastMonths = 0;   // the window's past-months flag
    short threshold = 0;    // imnHinkaiKaisu
};

QString printSettingsPath();

// Applies the file's keys to the state; a missing file leaves it as it is. Returns 0.
short vLoadPrintSettings(PrintSettings& s);
// Writes every key; nothing when the file is missing. A failed write shows "Error:" and
// the INI object's error text and stops.
void vSavePrintSettings(const PrintSettings& s);
