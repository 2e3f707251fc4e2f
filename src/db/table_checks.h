#pragma once
// modChkTableField: the start-up checks that bring the database and the program in line.
// Check 1 creates and widens OVER16COUNT; checks 2-5 record in presence flags whether
// newer tables and columns exist. Each returns 0, or -1 after showing its message.
#include <QStringList>

inline short iHasDouiRec = 0;        // RIYOUSHA_DOUI_REC exists
inline short iHasHKSyobyou07Flg = 0; // RIYOUSHA_SUB.iHKSyobyou07Flg exists
inline short iHasSyoujouSonota = 0;  // RIYOUSHA_SUB.iSyoujouSonota exists
inline short iHasDelFlgHenrei = 0;   // JISSEKI.iDelFlg_Henrei exists
inline short iHasJissekiHoseUmu = 0; // JISSEKI.iHoseUmu exists

short iChkOver16Count();
short iChkDouiRec();
short iChkHKSyobyou07Flg();
short iChkSyoujouSonota();
short iChkJissekiField();

// The three guarded statements of check 1, in their order (also used by the demo data).
QStringList over16CountStatements();
