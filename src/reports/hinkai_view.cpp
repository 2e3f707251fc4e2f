#include "hinkai_view.h"

#include "base/vb.h"
#include "mainwindow/hinkai_table.h"

HinkaiView hinkaiFrame(const QDate& month)
{
    HinkaiView v;
    const int last = month.year() * 100 + month.month();
    const QDate firstDate = vb::dateAddMonths(month, -23);
    const int first = firstDate.year() * 100 + firstDate.month();
    for (int r = 0; r < 3; ++r) {
        v.years[static_cast<size_t>(r)] = vb::format(vb::dateAddMonths(month, -12 * r), QStringLiteral("gggee年"));
        for (int c = 0; c < 12; ++c) {
            const int ym = (month.year() - r) * 100 + c + 1;
            v.cells[static_cast<size_t>(r)][static_cast<size_t>(c)].background =
                ym >= first && ym <= last ? hinkaiColors::inWindow : hinkaiColors::outside;
        }
    }
    return v;
}

bool hinkaiFill(HinkaiView& v, long userNo, const QDate& month)
{
    const int i = findHinkaiEntry(userNo);
    if (i < 0)
        return false;
    const HinkaiRecord& e = gHinkaiList[static_cast<size_t>(i)];
    v.riyoushaId = QString::number(e.userNo);
    v.riyoushaName = e.name;
    v.sejutsuKbn = e.kind == 0 ? QStringLiteral("マッサージ") : QStringLiteral("鍼灸");
    v.hinkaiKaisuu = QString::number(e.frequency) + QStringLiteral("回");
    v.keikakusyo = e.planFlag != 0 ? QStringLiteral("提出済") : QStringLiteral("-");
    const QString plan = vb::trim(e.planMonth);
    if (!plan.isEmpty()) {
        // A plan month that is no "yyyy/mm" is shown as stored rather than refusing the window.
        const auto d = vb::toDate(plan + QStringLiteral("/01"));
        v.keikakusyoYM = d ? vb::format(*d, QStringLiteral("gggee年mm月")) : plan;
    }
    const int year = month.year();
    for (size_t k = 0; k < 24; ++k) {
        const QString& ym = e.months[k];
        const auto d = vb::toDate(ym.left(4) + u'/' + ym.mid(4, 2) + QStringLiteral("/01"));
        if (!d)
            continue;
        const int y = d->date().year();
        const size_t row = y == year - 1 ? 1 : y == year - 2 ? 2 : 0;
        HinkaiCell& cell = v.cells[row][static_cast<size_t>(d->date().month() - 1)];
        cell.text = QString::number(e.counts[k]);
        cell.background = e.counts[k] >= 16 ? hinkaiColors::frequent : hinkaiColors::inWindow;
    }
    return true;
}
