#include "month_edit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

MonthEdit::MonthEdit(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("yyyy/MM"));
    setCalendarPopup(true);
    setCurrentSection(QDateTimeEdit::MonthSection);
    connect(this, &QDateEdit::editingFinished, this, [this] {
        // Focus that went to the commit button leaves the decision to its click.
        if (m_button && QApplication::focusWidget() == m_button)
            return;
        commitIfChanged();
    });
    // A day clicked or chosen with Enter in the pop-up is the operator's commit; it runs once
    // the pop-up has closed.
    auto picked = [this](QDate d) {
        QMetaObject::invokeMethod(
            this,
            [this, d] {
                if (d.isValid() && d != date())
                    setDate(d);
                commitIfChanged();
            },
            Qt::QueuedConnection);
    };
    connect(calendarWidget(), &QCalendarWidget::clicked, this, picked);
    connect(calendarWidget(), &QCalendarWidget::activated, this, picked);
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

void MonthEdit::setCommitButton(QAbstractButton* button)
{
    if (m_button)
        m_button->removeEventFilter(this);
    m_button = button;
    if (m_button)
        m_button->installEventFilter(this);
}

bool MonthEdit::eventFilter(QObject* watched, QEvent* e)
{
    // The button was left without being pressed: the month typed before counts now.
    if (watched == m_button && e->type() == QEvent::FocusOut && QApplication::focusWidget() != this) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason)
            commitIfChanged();
    }
    return QDateEdit::eventFilter(watched, e);
}

void MonthEdit::showCalendar()
{
    // The pop-up opens only on a press on its arrow: press there.
    QStyleOptionComboBox opt;
    opt.initFrom(this);
    opt.editable = true;
    opt.frame = true;
    opt.subControls = QStyle::SC_All;
    const QPointF arrow = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this).center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    mousePressEvent(&press);
    QMouseEvent release(QEvent::MouseButtonRelease, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    mouseReleaseEvent(&release);
}

void MonthEdit::keyPressEvent(QKeyEvent* e)
{
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    if ((e->key() == Qt::Key_F4 && mods == Qt::NoModifier) || (e->key() == Qt::Key_Down && mods == Qt::AltModifier)) {
        showCalendar();
        e->accept();
        return;
    }
    QDateEdit::keyPressEvent(e);
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
