#pragma once
// The number input: whole numbers within a range (32-bit IDs by default), right-aligned,
// able to hold no number. Anything else typed or pasted is refused with a beep and a note
// beside the field.
#include <QLineEdit>

class NumberInput : public QLineEdit {
public:
    explicit NumberInput(long minimum = 0, long maximum = 2147483647, QWidget* parent = nullptr);

    long minimum() const { return m_min; }
    long maximum() const { return m_max; }
    bool isEmpty() const { return text().isEmpty(); }
    // The number; an empty input counts as 0.
    long value() const;
    // A value outside the range empties the input.
    void setValue(long v);
    void clearValue() { setText(QString()); }

private:
    long m_min;
    long m_max;
};
