#pragma once
// The month input: a date input showing year and month. It reports a change only when the
// operator commits a new month (editing finished with another month, or a step), never when
// the program sets the date.
#include <QDateEdit>
#include <functional>

class MonthEdit : public QDateEdit {
public:
    explicit MonthEdit(QWidget* parent = nullptr);
    // Sets the date without reporting a change.
    void setMonth(const QDate& d);
    void stepBy(int steps) override;

    std::function<void()> onMonthCommitted;

private:
    void commitIfChanged();
    QDate m_committed;
};
