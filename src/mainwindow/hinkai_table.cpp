#include "hinkai_table.h"

int findHinkaiEntry(long userNo)
{
    for (int i = 0; i < gHinkaiCount && i < static_cast<int>(gHinkaiList.size()); ++i)
        if (gHinkaiList[static_cast<size_t>(i)].userNo == userNo)
            return i;
    return -1;
}
