#include "date_input.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QShortcut>

DateInput::DateInput(QWidget* parent) : QLineEdit(parent)
{
    setInputMask(QStringLiteral("9999/99/99;_"));
    // Digits only: an input method would hand over full-width characters the mask refuses.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly);
    const QFontMetrics fm(font());
    setMinimumWidth(fm.horizontalAdvance(QStringLiteral("0000/00/00")) + 24);
    setMaximumWidth(fm.horizontalAdvance(QStringLiteral("0000/00/00")) + 40);
}

std::optional<QDate> DateInput::date() const
{
    // The display keeps every position: "2024/05/2_" is half-typed.
    const QString t = displayText();
    const QString y = t.mid(0, 4), m = t.mid(5, 2), d = t.mid(8, 2);
    bool okY = false, okM = false, okD = false;
    const int yy = y.toInt(&okY), mm = m.toInt(&okM), dd = d.toInt(&okD);
    if (!okY || !okM || !okD || y.size() != 4 || m.size() != 2 || d.size() != 2 || yy < 100)
        return std::nullopt;
    const QDate out(yy, mm, dd);
    return out.isValid() ? std::optional(out) : std::nullopt;
}

bool DateInput::isBlank() const
{
    for (const QChar c : displayText())
        if (c.isDigit())
            return false;
    return true;
}

QString DateInput::dateText() const
{
    const auto d = date();
    return d ? d->toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

void DateInput::setDate(const QDate& d)
{
    if (!d.isValid() || d.year() < 100 || d.year() > 9999) {
        clearDate();
        return;
    }
    setText(d.toString(QStringLiteral("yyyy/MM/dd")));
}

void DateInput::clearDate()
{
    setText(QString());
    setCursorPosition(0);
}

// Typing into a blank input starts at the year, wherever the cursor was put.
void DateInput::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    if (isBlank())
        setCursorPosition(0);
}

void DateInput::mousePressEvent(QMouseEvent* e)
{
    QLineEdit::mousePressEvent(e);
    if (isBlank())
        setCursorPosition(0);
}

void DateInput::keyPressEvent(QKeyEvent* e)
{
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    if (!isReadOnly()
        && ((e->key() == Qt::Key_F4 && mods == Qt::NoModifier)
            || (e->key() == Qt::Key_Down && mods == Qt::AltModifier))) {
        showCalendar();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

QCalendarWidget* DateInput::calendar() const { return m_calendar; }

void DateInput::showCalendar()
{
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setWindowFlags(Qt::Popup);
        m_calendar->setAccessibleName(accessibleName());
        m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate d) { pick(d); });
        connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate d) { pick(d); });
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_calendar);
        connect(escape, &QShortcut::activated, m_calendar, &QWidget::close);
    }
    m_calendar->setSelectedDate(date().value_or(QDate::currentDate()));
    m_calendar->adjustSize();
    m_calendar->move(mapToGlobal(rect().bottomLeft()));
    m_calendar->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DateInput::pick(const QDate& d)
{
    m_calendar->close();
    setDate(d);
    setFocus(Qt::PopupFocusReason);
}
