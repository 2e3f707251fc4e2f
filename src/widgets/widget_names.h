#pragma once
// How every control of the program is found by screen readers and automated checks: the
// accessible name is the label as the operator sees it, the accessible description and the
// object name are the control's own name (grdData, optSerchSel(2), picDamage(7)…).
#include <QLineEdit>
#include <QPushButton>
#include <QString>

template <class W> W* named(W* w, const QString& label, const QString& controlName)
{
    w->setObjectName(controlName);
    w->setAccessibleName(label);
    w->setAccessibleDescription(controlName);
    return w;
}

// A push button named by its caption, with an optional tool tip.
inline QPushButton* namedButton(const QString& caption, const QString& controlName, const QString& tip = QString())
{
    auto* b = named(new QPushButton(caption), caption, controlName);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    b->setMinimumHeight(30);
    return b;
}

// A read-only text box that shows a value the program fills.
inline QLineEdit* namedDisplay(const QString& label, const QString& controlName)
{
    auto* e = named(new QLineEdit, label, controlName);
    e->setReadOnly(true);
    return e;
}
