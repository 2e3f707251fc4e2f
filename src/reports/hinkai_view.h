#pragma once
// What the frequent-treatment sub-window shows for one user, from the frequency table built
// by the list: the six texts and the 3 × 12 month cells with their colours. No widgets.
#include <QColor>
#include <QDate>
#include <QString>
#include <array>

struct HinkaiCell {
    QString text; // the month's count, or empty
    QColor background;
};

struct HinkaiView {
    QString riyoushaId, riyoushaName, sejutsuKbn, hinkaiKaisuu, keikakusyo, keikakusyoYM;
    std::array<QString, 3> years;                    // column 1 of rows 1-3: "gggee年"
    std::array<std::array<HinkaiCell, 12>, 3> cells; // rows 1-3, columns 3-14 (January-December)
};

namespace hinkaiColors {
const QColor inWindow(255, 255, 255); // white: a month of the 24
const QColor outside(211, 211, 211);  // light grey
const QColor frequent(255, 192, 192); // light red: 16 or more
} // namespace hinkaiColors

// The frame for month M ("yyyy/mm/01" as a date): years of M, M − 1 year, M − 2 years; every
// cell empty, white inside the 24 months ending with M, grey outside.
HinkaiView hinkaiFrame(const QDate& month);

// Fills the texts and the 24 months of the first frequency-table entry of the user. False
// (nothing changed) when the table has none.
bool hinkaiFill(HinkaiView& view, long userNo, const QDate& month);
