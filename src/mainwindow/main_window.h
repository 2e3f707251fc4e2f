#pragma once
#include <QEventLoop>
#include <QMainWindow>

// frmPrint利用者別月間実績表: the main window.
class frmPrint利用者別月間実績表 : public QMainWindow {
    // No Q_OBJECT: moc cannot read the Japanese class name; connections use lambdas.
public:
    explicit frmPrint利用者別月間実績表(QWidget* parent = nullptr);
    ~frmPrint利用者別月間実績表() override;

    // The window's load (checks, edition marker, settings, screen).
    void load();
    // Loads, shows the window modally and returns when it has unloaded.
    void showModal();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void unload();
    QEventLoop m_loop;
    bool m_unloaded = false;
};
