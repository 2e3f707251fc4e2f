#pragma once
// The target list: the extraction query, the eligibility rules, the frequency count over
// 24 months and the contents of every list column. No widgets: the window fills its grid
// from the rows returned here.
#include "db/sql_text.h"
#include "hinkai_table.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <array>
#include <vector>

// The conditions the window hands to the list.
struct ListConditions {
    QDate month;                  // imD_Out (any day of the month)
    int condition = 3;            // optSerchSel index: 2 frequent, 3 one year / 16 times, 4 all
    int threshold = 0;            // imnHinkaiKaisu
    bool countWholeMonth = false; // mnSejutuKaisuCnt(1) ticked
    QString searchNo;             // txt_SiboriNo
    QString searchName;           // txt_SiboriName
    QString searchKana;           // txt_SiboriKana
};

// List columns 1..16 (index 0 unused). Numbers are numbers, texts are texts.
enum ListColumn {
    colSel = 1,
    colIDNo,
    colName,
    colKubun,
    colBirthDay,
    colKeizoku,
    colSyoryo,
    colElapsed,
    colCount,
    colHinkai,
    colHinkaiButton,
    colStaff,
    colSyoumei,
    colByoumei,
    colKoushin,
    colYMD,
    listColumnCount = 16
};
using ListRow = std::array<QVariant, listColumnCount + 1>;

QString listTitle(const QDate& month); // lblMes text
QString buildListQuery(const ListConditions& c);

struct ListLoad {
    short status = 0;      // iDataLoad's result: 1 when the list query cannot be opened
    bool replaced = false; // the query opened: the grid is replaced by rows
    std::vector<ListRow> rows;
};
ListLoad iDataLoad(const ListConditions& c);

short iCountJisseki(long userNo, const QString& startDate);
short iGetHinkaiCount(long userNo, const QString& month, short* frequency, short* planFlag);

// One-row refresh: columns 6 and 13 of the row of a user.
struct RowRefresh {
    short status = 0;
    bool found = false;
    QString keizoku; // column 6
    QString syoumei; // column 13
};
RowRefresh iDataLoad_16OVER_UMU(long userNo, const QDate& month);

// Disease text of column 14 from a result row's values.
QString diseaseText(const QVariant& kubun, const QVariant& byoumei, bool flagColumns,
                    const std::array<QVariant, 7>& flags, const QVariant& code, const QVariant& otherName);
