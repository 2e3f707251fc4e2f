#pragma once
// Names by which operators, screen readers and automated checks find a control: the
// accessible name is its label as the operator sees it, the accessible description and the
// object name its design name (txt_SiboriName, optNegaeri(1), picDamage(7)…).
#include <QString>
#include <QWidget>

template <class W>
W* named(W* w, const QString& label, const QString& designName)
{
    w->setObjectName(designName);
    w->setAccessibleName(label);
    w->setAccessibleDescription(designName);
    return w;
}

// "name(index)", the design name of a member of a control array.
inline QString arrayName(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}
