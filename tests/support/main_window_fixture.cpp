#include "main_window_fixture.h"

#include "mainwindow/month_edit.h"
#include "platform/spread_grid.h"

#include <QRadioButton>
#include <algorithm>

std::unique_ptr<MainWindow> loadedMainWindow(const QDate& month)
{
    auto w = std::make_unique<MainWindow>();
    for (auto& check : w->startupChecks)
        check = [] { return short(0); };
    w->load();
    w->imD_Out->setMonth(month);
    return w;
}

void extractEveryone(MainWindow& w)
{
    w.optSerchSel[4]->click();
    w.extract();
}

int rowOfUser(const MainWindow& w, long userNo)
{
    for (int r = 1; r <= w.grdData->MaxRows(); ++r)
        if (w.grdData->value(r, colIDNo).toLongLong() == userNo)
            return r;
    return 0;
}

void tickUsers(MainWindow& w, std::initializer_list<long> userNos)
{
    for (int r = 1; r <= w.grdData->MaxRows(); ++r) {
        const long id = static_cast<long>(w.grdData->value(r, colIDNo).toLongLong());
        w.grdData->setValue(r, colSel, std::find(userNos.begin(), userNos.end(), id) != userNos.end() ? 1 : 0);
    }
}
