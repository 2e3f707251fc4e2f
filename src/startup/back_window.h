#pragma once
#include <QLabel>
#include <QWidget>

// frmBack: the background window with the stretched wallpaper.
class frmBack : public QWidget {
    Q_OBJECT
public:
    explicit frmBack(QWidget* parent = nullptr);
    // The window's load: program-wide values and the wallpaper.
    void load(const QString& programFolder);

    QLabel* ImgWall = nullptr;

protected:
    void resizeEvent(QResizeEvent* e) override;
};
