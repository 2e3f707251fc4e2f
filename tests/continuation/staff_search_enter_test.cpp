// Enter in the practitioner search on 確 定 or on a row of the list confirms, as a click or a
// double click does.
#include "windows/staff_search.h"

#include "support/list_fixture.h"
#include "support/modal.h"
#include "widgets/spread_grid.h"

#include <QPushButton>
#include <QTest>

namespace {

class StaffSearchEnter : public ListFixture { };

TEST_F(StaffSearchEnter, OnTheConfirmButtonOrARowConfirmsTheActiveRow)
{
    addStaff(2, QStringLiteral("高橋　二郎"));
    addStaff(3, QStringLiteral("鈴木　三郎"));
    const std::pair<const char*, std::function<QWidget*(frm施術者検索*)>> targets[] = {
        {"確 定", [](frm施術者検索* d) { return d->but_Act[0]; }},
        {"a row", [](frm施術者検索* d) { return d->spr_1ran; }},
    };
    for (const auto& [where, target] : targets) {
        cls施術者検索 search;
        whenModal<frm施術者検索>(
            [&](frm施術者検索* d) {
                d->spr_1ran->setActiveRow(2);
                target(d)->setFocus();
                QTest::keyClick(target(d), Qt::Key_Return);
                QTimer::singleShot(200, d, [d] { d->closeWithoutChoice(); }); // Enter did nothing
            },
            [](frm施術者検索* d) { return d->opened(); });
        EXPECT_EQ(search.iDspStart(0, -1), 0) << where;
        EXPECT_EQ(search.nSeledCD, 3) << where;
        EXPECT_EQ(search.csSeledName(), QStringLiteral("鈴木　三郎")) << where;
    }
}

} // namespace
