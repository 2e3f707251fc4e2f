#include "back_window.h"

#include "base/paths.h"
#include "common/sys_settings.h"
#include "startup/start_values.h"

#include <QPixmap>
#include <QResizeEvent>

frmBack::frmBack(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBack"));
    setWindowTitle(QStringLiteral("訪問マッサージ・鍼灸 業務管理"));
    ImgWall = new QLabel(this);
    ImgWall->setObjectName(QStringLiteral("ImgWall"));
    ImgWall->setScaledContents(true);
    setStyleSheet(QStringLiteral("frmBack { background: #e8eef4; }"));
    resize(1024, 720);
}

void frmBack::load(const QString& programFolder)
{
    const QString wallpaper = loadStartValues(programFolder);
    if (bFileExists(wallpaper)) {
        QPixmap pm(nativePath(wallpaper));
        if (!pm.isNull())
            ImgWall->setPixmap(pm);
    }
}

void frmBack::resizeEvent(QResizeEvent* e)
{
    ImgWall->setGeometry(0, 0, e->size().width(), e->size().height());
    QWidget::resizeEvent(e);
}
