#include "number_input.h"

#include "platform/platform.h"

#include <QToolTip>
#include <QValidator>

namespace {

class RangeValidator : public QValidator {
public:
    RangeValidator(long minimum, long maximum, QObject* parent) : QValidator(parent), m_min(minimum), m_max(maximum) { }

    State validate(QString& input, int&) const override
    {
        // Full-width digits (pasted from Japanese text) stand for their ASCII digits.
        for (QChar& c : input)
            if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
                c = QChar(u'0' + (c.unicode() - 0xFF10));
        if (input.isEmpty())
            return Acceptable;
        const bool negative = input.startsWith(u'-');
        if (negative && m_min >= 0)
            return Invalid;
        const QStringView digits = QStringView(input).mid(negative ? 1 : 0);
        if (digits.isEmpty())
            return Intermediate;
        for (const QChar c : digits)
            if (c < u'0' || c > u'9')
                return Invalid;
        bool ok = false;
        const qlonglong v = input.toLongLong(&ok);
        if (!ok || v > m_max || v < m_min)
            return Invalid;
        return Acceptable;
    }

private:
    long m_min;
    long m_max;
};

} // namespace

NumberInput::NumberInput(long minimum, long maximum, QWidget* parent)
    : QLineEdit(parent), m_min(minimum), m_max(maximum)
{
    setValidator(new RangeValidator(minimum, maximum, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Typed digits come straight from the keyboard, never through an input method.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly);
    connect(this, &QLineEdit::inputRejected, this, [this] {
        if (isReadOnly())
            return;
        platform().beep();
        QToolTip::showText(mapToGlobal(QPoint(0, height())),
                           QStringLiteral("数字（%1～%2）で入力してください。").arg(m_min).arg(m_max), this);
    });
}

long NumberInput::value() const
{
    bool ok = false;
    const long v = static_cast<long>(text().toLongLong(&ok));
    return ok ? v : 0;
}

void NumberInput::setValue(long v)
{
    if (v < m_min || v > m_max)
        clearValue();
    else
        setText(QString::number(v));
}
