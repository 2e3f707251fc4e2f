#pragma once
#include "reports/main_window_view.h"

#include <QDate>
#include <QList>
#include <QVariant>

// The main window as the report modules read it: the month, the extraction condition and the
// users of the list (column 2), every row's tick (column 1) as given.
struct ReportWindow : MainWindowView {
    explicit ReportWindow(const QDate& month = {}, int condition = 4, const QList<QVariant>& listed = {}, int tick = 1)
        : month(month), condition(condition), listed(listed), tick(tick)
    { }
    QDate monthValue() const override { return month; }
    int gridMaxRows() const override { return int(listed.size()); }
    QVariant gridValue(int row, int col) const override { return col == 2 ? listed.value(row - 1) : QVariant(tick); }
    int selectedCondition() const override { return condition; }
    bool countWholeAnniversaryMonth() const override { return false; }

    QDate month;
    int condition;
    QList<QVariant> listed;
    int tick;
};
