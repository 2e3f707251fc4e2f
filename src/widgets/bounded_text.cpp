#include "bounded_text.h"

#include "platform/platform.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolTip>
#include <QValidator>

namespace {

// Line breaks as one LF each, the way the text document takes them.
QString withLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

void showLimitNote(QWidget* w, const QString& note)
{
    platform().beep();
    QToolTip::showText(w->mapToGlobal(QPoint(0, w->height())), note, w);
}

// Refuses any edit that makes an over-long text longer; shortening always passes, so a
// longer stored value can be cut down by the operator.
class LengthValidator : public QValidator {
public:
    LengthValidator(int limit, const int* lastLength, QObject* parent)
        : QValidator(parent), m_limit(limit), m_lastLength(lastLength)
    { }
    State validate(QString& input, int&) const override
    {
        return input.size() > m_limit && input.size() > *m_lastLength ? Invalid : Acceptable;
    }

private:
    int m_limit;
    const int* m_lastLength;
};

} // namespace

int storedTextLength(const QString& text)
{
    const QString lf = withLf(text);
    int n = 0;
    for (const QChar c : lf)
        n += isLineBreak(c) ? 2 : 1;
    return n;
}

BoundedTextEdit::BoundedTextEdit(int limit, QWidget* parent) : QPlainTextEdit(parent), m_limit(limit)
{
    setTabChangesFocus(true);
}

QString BoundedTextEdit::storedText() const
{
    QString s = document()->toRawText();
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            out += QStringLiteral("\r\n");
        else
            out += c;
    }
    return out;
}

void BoundedTextEdit::setStoredText(const QString& text) { setPlainText(withLf(text)); }

void BoundedTextEdit::replaceStoredText(const QString& text)
{
    QTextCursor c(document());
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.insertText(withLf(text));
    c.endEditBlock();
    setTextCursor(c);
}

int BoundedTextEdit::room() const
{
    return m_limit - (storedTextLength(storedText()) - storedTextLength(textCursor().selectedText()));
}

QString BoundedTextEdit::fitted(const QString& text) const
{
    const QString lf = withLf(text);
    int left = room();
    qsizetype end = 0;
    while (end < lf.size()) {
        const QChar c = lf.at(end);
        const int units = isLineBreak(c) ? 2 : (c.isHighSurrogate() && end + 1 < lf.size() ? 2 : 1);
        const qsizetype chars = (c.isHighSurrogate() && end + 1 < lf.size()) ? 2 : 1;
        if (units > left)
            break;
        left -= units;
        end += chars;
    }
    return lf.left(end);
}

void BoundedTextEdit::refused()
{
    showLimitNote(this, QStringLiteral("これ以上入力できません（改行を含めて%1文字まで）。").arg(m_limit));
}

void BoundedTextEdit::keyPressEvent(QKeyEvent* e)
{
    if (!isReadOnly()) {
        QString typed;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            typed = QStringLiteral("\n");
        else if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !e->text().isEmpty()
                 && !e->text().at(0).isNull() && e->text().at(0).category() != QChar::Other_Control)
            typed = e->text();
        if (!typed.isEmpty() && storedTextLength(typed) > room()) {
            refused();
            e->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void BoundedTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = source->text();
    const QString fit = fitted(text);
    if (fit.size() < withLf(text).size())
        refused();
    if (!fit.isEmpty())
        textCursor().insertText(fit);
    ensureCursorVisible();
}

void BoundedTextEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString commit = e->commitString();
    if (isReadOnly() || commit.isEmpty()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    const QString fit = fitted(commit);
    if (fit.size() == withLf(commit).size()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    refused();
    QInputMethodEvent cut(e->preeditString(), e->attributes());
    cut.setCommitString(fit, e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
}

BoundedLineEdit::BoundedLineEdit(int limit, QWidget* parent) : QLineEdit(parent), m_limit(limit)
{
    setValidator(new LengthValidator(limit, &m_lastLength, this));
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_lastLength = static_cast<int>(t.size()); });
    connect(this, &QLineEdit::inputRejected, this, [this] {
        if (!isReadOnly())
            showLimitNote(this, QStringLiteral("これ以上入力できません（%1文字まで）。").arg(m_limit));
    });
}

void BoundedLineEdit::setStoredText(const QString& text)
{
    m_lastLength = static_cast<int>(text.size());
    setText(text);
}
