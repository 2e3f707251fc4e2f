#pragma once
// The month input: a date input showing year and month. It reports a change only when the
// operator commits a new month, never when the program sets the date. A commit is a day
// picked in the calendar pop-up (at once), a step (arrow keys, wheel), Enter, or leaving the
// input with another month. Leaving it for its commit button is no commit: the button's own
// command runs instead (markCommitted), so one action never extracts twice. F4 or Alt+Down
// opens the calendar from the keyboard.
#include <QDateEdit>
#include <QPointer>
#include <functional>

class QAbstractButton;

class MonthEdit : public QDateEdit {
public:
    explicit MonthEdit(QWidget* parent = nullptr);
    // Sets the date without reporting a change.
    void setMonth(const QDate& d);
    void stepBy(int steps) override;
    // The button whose command uses the month (the extraction button).
    void setCommitButton(QAbstractButton* button);
    // The current month has been used: a later commit of the same month reports nothing.
    void markCommitted() { m_committed = date(); }
    // Opens the calendar pop-up, as a click on the arrow does (F4 and Alt+Down do it too).
    void showCalendar();

    std::function<void()> onMonthCommitted;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void commitIfChanged();
    QDate m_committed;
    QPointer<QAbstractButton> m_button;
};
