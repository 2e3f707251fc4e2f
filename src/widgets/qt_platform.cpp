#include "qt_platform.h"

#include <cstdio>

#include "platform/process_start.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSysInfo>
#include <QTranslator>
#include <QUrl>

void installJapaneseUi()
{
    // Whatever the session's locale: calendars name months and weekdays in Japanese
    // (5月, 月 火 水…), as on the suite's Windows machines.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSize(10);
    QApplication::setFont(font);
}

QString messageBoxText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

MsgResult QtPlatform::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                                 MsgDefault byDefault)
{
    QMessageBox box(QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                      : QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    box.setText(messageBoxText(text));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    QList<QMessageBox::StandardButton> order;
    switch (buttons) {
    case MsgButtons::Ok: order = {QMessageBox::Ok}; break;
    case MsgButtons::OkCancel: order = {QMessageBox::Ok, QMessageBox::Cancel}; break;
    case MsgButtons::YesNo: order = {QMessageBox::Yes, QMessageBox::No}; break;
    case MsgButtons::YesNoCancel: order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}; break;
    }
    QMessageBox::StandardButtons all;
    for (const auto b : order)
        all |= b;
    box.setStandardButtons(all);
    box.setDefaultButton(order.value(static_cast<int>(byDefault), order.constFirst()));
    // The pointer is a normal arrow over a message box even inside a busy routine.
    const bool busy = m_busy > 0;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int r = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (r) {
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: break;
    }
    return buttons == MsgButtons::OkCancel && r != QMessageBox::Ok ? MsgResult::Cancel : MsgResult::Ok;
}

void QtPlatform::setBusy(bool on)
{
    if (on) {
        ++m_busy;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0) {
        --m_busy;
        QApplication::restoreOverrideCursor();
    }
}

void QtPlatform::setBusyText(const QString& text)
{
    if (text.isEmpty()) {
        delete m_busyNote;
        return;
    }
    QWidget* over =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    if (!over)
        return;
    if (!m_busyNote || m_busyNote->parentWidget() != over) {
        delete m_busyNote;
        m_busyNote = new QLabel(over);
        m_busyNote->setObjectName(QStringLiteral("busyNote"));
        m_busyNote->setFrameShape(QFrame::Box);
        m_busyNote->setMargin(12);
        m_busyNote->setAutoFillBackground(true);
        m_busyNote->setBackgroundRole(QPalette::ToolTipBase);
        m_busyNote->setForegroundRole(QPalette::ToolTipText);
    }
    m_busyNote->setText(text);
    m_busyNote->setAccessibleName(text);
    m_busyNote->adjustSize();
    m_busyNote->move(over->rect().center() - m_busyNote->rect().center());
    m_busyNote->raise();
    m_busyNote->show();
    // No event loop runs while the routine waits: paint now.
    m_busyNote->repaint();
    QAccessibleEvent alert(m_busyNote, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void QtPlatform::beep() { QApplication::beep(); }

bool QtPlatform::startProgram(const QString& program, const QStringList& args, WindowStyle, VbError* error)
{
    return startDetachedProgram(program, args, error);
}

void QtPlatform::openUrl(const QString& address)
{
    // The address arrives encoded (online_help): read strictly, so the browser gets exactly
    // this text, the one scripted mode writes as OPEN.
    const QUrl url = QUrl::fromEncoded(address.toUtf8(), QUrl::StrictMode);
    // The address may carry credentials: a failure is noted without it.
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        std::fprintf(stderr, "the online help could not be opened in a browser\n");
}

QString QtPlatform::computerName() { return QSysInfo::machineHostName(); }
