#pragma once
// The practitioner search: cls施術者検索 runs the modal window frm施術者検索, in which the
// operator finds a practitioner of the branch by name, reading or ID and confirms one.
#include "continuation/staff_search_data.h"

#include <QDialog>
#include <QString>
#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class NumberInput;
class SpreadGrid;

class frm施術者検索 : public QDialog {
    // No Q_OBJECT: moc cannot read the Japanese class name; connections use lambdas.
public:
    explicit frm施術者検索(QWidget* parent = nullptr);
    ~frm施術者検索() override;

    // Stores the marked code and the consultant ID and sets the conditions: name and reading
    // empty, show-ended from the argument, ID 0. Returns 0.
    short iInit(long code, short showEnded, long consultantId);
    QString CsErrStr() const { return m_errStr; }
    void vGetSeledInf(long* code, QString* name) const;
    short selectedFlag() const { return m_seled; }

    // Commands (the operator's actions call these; each is dropped while the window is busy).
    void search();                   // but_Read, mnF04
    void vWhenSeledOK(int row = -1); // but_Act(0), mnF05 (the active row); a data row's double click
    void closeWithoutChoice();       // but_Act(1), mnF12, F12
    void dispHelp();                 // mnDispHelp
    bool isBusy() const { return m_busy; }
    // The opening steps have run.
    bool opened() const { return m_opened; }

    QGroupBox* fraJyoken = nullptr;
    QLineEdit* txt_SiboriName = nullptr;
    QLineEdit* txt_SiboriKana = nullptr;
    NumberInput* in_SiboriID = nullptr;
    QCheckBox* chkEndSejutsuha = nullptr;
    QCheckBox* chkEndKanja = nullptr;
    QPushButton* but_Read = nullptr;
    std::array<QPushButton*, 2> but_Act{};
    SpreadGrid* spr_1ran = nullptr;
    QAction* mnF04 = nullptr;
    QAction* mnF05 = nullptr;
    QAction* mnF12 = nullptr;
    QAction* mnDispHelp = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    void firstActivation();
    void searchBody();
    void showConditions();
    void showSystemError();
    bool takeBusy();
    void releaseBusy() { m_busy = false; }
    void releaseLoadHourglass();

    long m_code = 0;
    long m_consultantId = -1;
    StaffSearchConditions m_cond;
    long m_seledCode = 0;
    QString m_seledName;
    QString m_errStr;
    short m_seled = 0;
    bool m_firstActivate = true;
    bool m_opened = false;
    bool m_busy = false;
    bool m_loadHourglass = false;
    bool m_keyPreview = false;
};

class cls施術者検索 {
public:
    explicit cls施術者検索(QWidget* parent = nullptr) : m_parent(parent) { }

    QString CsErrStr() const { return m_errStr; }
    // The chosen practitioner's code; a value above 0 on entry marks that practitioner.
    long nSeledCD = 0;
    QString csSeledName() const { return m_seledName; }

    // Shows the search modally: 0 a practitioner was confirmed (nSeledCD, csSeledName),
    // 1 closed without a choice, -1 the window cannot be prepared (CsErrStr).
    short iDspStart(short showEnded, long consultantId);

private:
    QWidget* m_parent;
    QString m_errStr;
    QString m_seledName;
};
