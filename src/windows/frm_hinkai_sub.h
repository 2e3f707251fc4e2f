#pragma once
// frmHinkaiSub "施術頻回内訳": one user's treatment counts of the last 24 months by year and
// month, the months of 16 or more marked, and the state of the frequent-treatment plan. It
// reads the frequency table of the list and opens no connection.
#include <QDate>
#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SpreadGrid;

class frmHinkaiSub : public QDialog {
public:
    explicit frmHinkaiSub(QWidget* parent = nullptr);

    // User number and month "yyyy/mm/01"; 0 ready, -1 failed (its message shown).
    short iInit(long userNo, const QString& month);
    short iControlInit();
    short iDataDisp();

    QLineEdit* txtRiyoushaID = nullptr;
    QLineEdit* txtRiyoushaName = nullptr;
    QLineEdit* txtSejutsuKbn = nullptr;
    QLineEdit* txtHinkaiKaisuu = nullptr;
    QLineEdit* txtKeikakusyo = nullptr;
    QLineEdit* txtKeikakusyoYM = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    SpreadGrid* grdData = nullptr;
    QPushButton* btnExit = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    long m_userNo = 0;
    QString m_month;
};
