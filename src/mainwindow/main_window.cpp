#include "main_window.h"

#include "common/globals.h"
#include "platform/platform.h"

#include <QCloseEvent>
#include <QTimer>
#include <cstdio>

frmPrint利用者別月間実績表::frmPrint利用者別月間実績表(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmPrint利用者別月間実績表"));
    setWindowTitle(QStringLiteral("施術継続理由書／頻回施術計画書"));
    resize(1100, 700);
}

frmPrint利用者別月間実績表::~frmPrint利用者別月間実績表() = default;

void frmPrint利用者別月間実績表::load()
{
    if (qEnvironmentVariableIntValue("MONTHLY_RECORDS_QUIT_AFTER_LOAD") == 1)
        QTimer::singleShot(0, this, &QWidget::close);
}

void frmPrint利用者別月間実績表::showModal()
{
    load();
    setWindowModality(Qt::ApplicationModal);
    show();
    if (!m_unloaded)
        m_loop.exec();
}

void frmPrint利用者別月間実績表::closeEvent(QCloseEvent* e)
{
    unload();
    e->accept();
}

void frmPrint利用者別月間実績表::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // The suite's menu program; its failure is not reported to the operator.
    VbError err;
    if (!platform().startProgram(gAppPath + QStringLiteral("\\Main.exe"), {QStringLiteral("2")},
                                 WindowStyle::NormalFocus, &err))
        std::fprintf(stderr, "Main.exe could not be started: %s\n", qPrintable(err.description));
    m_loop.quit();
}
