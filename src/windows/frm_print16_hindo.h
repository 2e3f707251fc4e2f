#pragma once
// frmPrint16Hindo "印刷処理": the choice between the continuation form and the treatment plan,
// whether past frequent months are shown, print or preview. It only returns the choice.
#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class frmPrint16Hindo : public QDialog {
public:
    explicit frmPrint16Hindo(QWidget* parent = nullptr);

    // Exchanged with the main window.
    short action = -1;       // -1 closed without choice, 0 print, 1 preview
    short document = 0;      // 0 continuation form, 1 treatment plan
    short pastMonths = 0;    // in: the window's flag; out: ticked and the form chosen
    short checkEnabling = 1; // 0: chkPrintKakoJisseki shown disabled

    QGroupBox* Fre1 = nullptr;
    std::array<QRadioButton*, 2> optPrintType{};
    QLabel* Label1 = nullptr;
    QCheckBox* chkPrintKakoJisseki = nullptr;
    std::array<QPushButton*, 2> btnJisseki{};
    QPushButton* btnCancel = nullptr;

    // The load: the check box from the past-months flag and the enabling (also run when shown).
    void formLoad();
    void btnJissekiClick(int index);
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* e) override;
    // Enter presses the focused button only; on an option or the check box it does nothing.
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool m_loaded = false;
};
