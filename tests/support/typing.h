#pragma once
// Typing into a widget as an operator does.
#include <QString>
#include <QTest>
#include <QWidget>

// Types text as key presses, one a character (QTest::keyClicks takes ASCII only); a number
// input drops what is no digit.
inline void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
