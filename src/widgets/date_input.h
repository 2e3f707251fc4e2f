#pragma once
// The masked date input: "yyyy/mm/dd" typed digit by digit, able to hold no date. A
// half-typed or impossible date is told apart from a blank input, so no caller drops it
// silently. F4 or Alt+Down opens a calendar (not on a read-only input); a day picked there
// with Enter or a click fills the input, Escape leaves it as it was.
#include <QDate>
#include <QLineEdit>
#include <QPointer>
#include <optional>

class QCalendarWidget;

class DateInput : public QLineEdit {
public:
    explicit DateInput(QWidget* parent = nullptr);

    // The date typed; empty when the input holds no date (blank, half-typed or impossible).
    std::optional<QDate> date() const;
    bool holdsNoDate() const { return !date(); }
    // Not a digit typed.
    bool isBlank() const;
    // "yyyy/mm/dd", or empty when the input holds no date.
    QString dateText() const;
    // An invalid date empties the input.
    void setDate(const QDate& d);
    void clearDate();
    void showCalendar();
    // The calendar once opened, else null.
    QCalendarWidget* calendar() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void pick(const QDate& d);
    QPointer<QCalendarWidget> m_calendar;
};
