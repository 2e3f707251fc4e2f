#include "month_edit.h"

MonthEdit::MonthEdit(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("yyyy/MM"));
    setCalendarPopup(true);
    setCurrentSection(QDateTimeEdit::MonthSection);
    connect(this, &QDateEdit::editingFinished, this, [this] { commitIfChanged(); });
}

void MonthEdit::setMonth(const QDate& d)
{
    QSignalBlocker block(this);
    setDate(d);
    m_committed = d;
}

void MonthEdit::stepBy(int steps)
{
    QDateEdit::stepBy(steps);
    commitIfChanged();
}

void MonthEdit::commitIfChanged()
{
    const QDate d = date();
    if (d.year() == m_committed.year() && d.month() == m_committed.month())
        return;
    m_committed = d;
    if (onMonthCommitted)
        onMonthCommitted();
}
