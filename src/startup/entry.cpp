#include "entry.h"

#include "base/paths.h"
#include "base/program_end.h"
#include "platform/platform.h"
#include "startup/back_window.h"
#include "windows/main_window.h"

#include <QApplication>
#include <QScreen>

int runEntryProcedure(const QStringList& args)
{
    frmBack back;
    back.load(programFolder());
    // The background covers the whole screen, as the suite's windows always did.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        back.setGeometry(screen->availableGeometry());
    back.showMaximized();

    const QString mode = args.join(u' ');
    if (mode.isEmpty()) {
        const QString title = QStringLiteral("\u3000エラー！！");
        platform().messageBox(QStringLiteral("処理モードが設定されていません。"), MsgButtons::Ok, MsgIcon::Exclamation,
                              title);
        platform().messageBox(QStringLiteral("起動できません！"), MsgButtons::Ok, MsgIcon::Critical, title);
        endProgramNow();
    }

    frmPrint利用者別月間実績表 main(&back);
    main.showModal();
    return 0;
}
