#pragma once
// Text inputs that refuse what the database column cannot hold. The limit counts UTF-16
// code units (as nvarchar does) and a line break as CR LF, the form the text is stored in.
// Typing, pasting, dropping and input-method commits are all held to it; a text the program
// sets (a stored value) stays whole even when it is longer.
#include <QLineEdit>
#include <QPlainTextEdit>

// Length of a text once stored: every line break (LF, CR LF, CR, U+2028, U+2029) as two units.
int storedTextLength(const QString& text);

class BoundedTextEdit : public QPlainTextEdit {
public:
    explicit BoundedTextEdit(int limit, QWidget* parent = nullptr);

    int limit() const { return m_limit; }
    // The text with CR LF line breaks, exactly as typed otherwise.
    QString storedText() const;
    // Sets a stored text (not limited, undo history cleared).
    void setStoredText(const QString& text);
    // Replaces the whole text as one edit the operator can undo (Ctrl+Z).
    void replaceStoredText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    int room() const;
    QString fitted(const QString& text) const;
    void refused();
    int m_limit;
};

class BoundedLineEdit : public QLineEdit {
public:
    explicit BoundedLineEdit(int limit, QWidget* parent = nullptr);
    int limit() const { return m_limit; }
    // Sets a stored text (not limited); the operator can shorten it, not lengthen it.
    void setStoredText(const QString& text);

private:
    int m_limit;
    int m_lastLength = 0;
};
