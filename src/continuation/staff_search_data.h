#pragma once
// The practitioner search's statement and its read: the branch's STAFF rows by name,
// reading and ID. Typed texts match literally (%, _ and [ are no wildcards). No widgets.
#include <QString>
#include <vector>

struct StaffSearchConditions {
    QString name;        // part of cName, as typed
    QString kana;        // part of cNameKana, as typed
    short showEnded = 0; // 1: also practitioners whose management has ended (iChusiFlg)
    long id = 0;         // nIDNo; 0 any
};

// The condition text W and the whole statement.
QString staffSearchCondition(const StaffSearchConditions& c);
QString staffSearchQuery(const StaffSearchConditions& c);

struct StaffRow {
    long code = 0; // nIDNo
    QString name;  // cName without trailing blanks
    QString kana;  // cNameKana without trailing blanks
};
struct StaffList {
    bool failed = false; // the recipe failed (its message naming iDsp1ranSub was shown)
    std::vector<StaffRow> rows;
};
StaffList loadStaffList(const StaffSearchConditions& c);
