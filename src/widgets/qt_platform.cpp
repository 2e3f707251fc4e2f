#include "qt_platform.h"

#include <cstdio>

#include "platform/process_start.h"

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

MsgResult QtPlatform::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
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
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
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
