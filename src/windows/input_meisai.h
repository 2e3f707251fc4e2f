#pragma once
// frmInputMeisai: the detail entry window in which the operator records, for one user and
// month, the state evaluation, the reason for frequent treatment and the certifying
// practitioner, stored as the OVER16COUNT row. Values the program sets (the load, the copy of
// the previous entry) never run the window's commands. Closing with changes that were not
// saved asks first.
#include "continuation/over16_record.h"

#include <QDate>
#include <QDialog>
#include <QPixmap>
#include <array>

class BoundedLineEdit;
class BoundedTextEdit;
class DateInput;
class NumberInput;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStackedWidget;
class QToolButton;
struct EntryDiagnoses;
struct EntryEvaluation;
struct EntryStaff;
struct EntrySymptoms;
struct MonthEntryData;
struct SejutuBui;

class frmInputMeisai : public QDialog {
public:
    explicit frmInputMeisai(QWidget* parent = nullptr);
    ~frmInputMeisai() override;

    // Stores the user and the month ("yyyy/mm/01"), prepares the controls and loads the
    // data: 0 ready, -1 failed (every failure has been shown; the window must not open).
    short iInit(long userId, const QString& month);
    // Marks the pain scale box of the index; a negative index (or one off the scale) marks none.
    void iSetNRS(short index);

    short iControlInit();
    short iDataLoad();
    short iDataLoad_Zenkai();
    short iInpDataCheck();
    short iDataSave();
    short iAgeCalc(const QString& birthday);
    void vStaffSelect();
    void lookUpStaff(); // imTantou: Enter, and leaving it for another control of the window

    // The operator's commands.
    void regist();              // btnRegist and Ctrl+S: save, close when saved
    void cancel();              // btnCancel and the close box: close, asking first when changes are unsaved
    void pickPain(short index); // picDamage click
    void reject() override { cancel(); }
    // Something differs from what was loaded or last saved.
    bool hasUnsavedChanges() const;

    long userId() const { return m_userId; }
    QString month() const { return m_month; }
    short kind() const { return m_kind; }
    short painValue() const { return m_pain; }
    QString lastError() const { return m_lastError; }
    // What a save writes, collected from the controls.
    Over16Entry entryValues() const;
    // The screen in use: 0 massage, 1 acupuncture.
    int activeScreen() const { return m_kind == 0 ? 0 : 1; }
    const QPixmap& picDefault(int i) const { return m_picDefault[static_cast<size_t>(i)]; }

    // Header.
    QLineEdit* txtSejutsuMonth = nullptr;
    QLineEdit* txtSejutsuKbn = nullptr;
    NumberInput* numKaisu = nullptr;
    NumberInput* numIDNo = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtKana = nullptr;
    QLineEdit* txtSex = nullptr;
    QLineEdit* txtBirthday = nullptr;
    NumberInput* numAge = nullptr;
    std::array<QLineEdit*, 2> txtStaffName{};

    // The two evaluation screens (one place), the reason and the certifier.
    std::array<QGroupBox*, 4> fraMeisai{};
    QStackedWidget* screens = nullptr;
    std::array<QLineEdit*, 2> txtSyoryoDay{};
    std::array<QLineEdit*, 3> txtSyobyo{}; // (2) is a BoundedLineEdit
    std::array<QCheckBox*, 4> chkKoushukuMahi{};
    std::array<QCheckBox*, 6> chkBui1{};
    std::array<QCheckBox*, 4> chkBui2{};
    std::array<QCheckBox*, 3> chkHarikyu2{};
    std::array<QCheckBox*, 7> chkSyouByo{};
    std::array<QRadioButton*, 3> optNegaeri{};
    std::array<QRadioButton*, 3> optOkiagari{};
    std::array<QRadioButton*, 3> optZai{};
    std::array<QRadioButton*, 3> optTachiagari{};
    std::array<QRadioButton*, 3> OptRitsui{};
    std::array<QRadioButton*, 2> optZenkaiUmu{};
    std::array<QRadioButton*, 2> optZenkaiUmuHK{};
    std::array<QComboBox*, 2> cmbZenkaiHenka{};
    std::array<DateInput*, 2> imHyoukaDay{};
    std::array<DateInput*, 2> imLastJissekiDay{};
    std::array<QToolButton*, 11> picDamage{};
    BoundedTextEdit* txtRiyuu = nullptr;
    NumberInput* imTantou = nullptr;
    QLineEdit* txtTantou = nullptr;
    QPushButton* btnStaffSelect = nullptr;
    DateInput* imSyoumeiDay = nullptr;
    QPushButton* btnGetZenkai = nullptr;
    QPushButton* btnRegist = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildUi();
    QWidget* buildHeader();
    QGroupBox* buildMassageScreen();
    QGroupBox* buildAcupunctureScreen();
    QGroupBox* buildReason();
    QGroupBox* buildCertifier();
    void makePictures();
    void setTabChain();

    void clearControls();
    void setInputStates();
    void applyMonthEntry(const MonthEntryData& d);
    void applyAreas(const SejutuBui& bui);
    void applyEvaluation(const EntryEvaluation& e);
    void applySymptoms(const EntrySymptoms& s);
    void applyDiagnoses(const EntryDiagnoses& d);
    void applyCertifier(const EntryStaff& staff);
    void setHenka(int index, long value);
    void setUmu(long value);
    bool requireNothingUnprintable(QWidget* field, const QString& text);
    short refuse(const QString& message, QWidget* focus);
    void storeError(const QString& routine, long number, const QString& description);
    QStringList typedTexts() const; // inputs whose half-typed text the values do not show
    void markSaved();
    short showLastError();                // m_lastError in a message box; -1
    BoundedLineEdit* symptomText() const; // txtSyobyo(2)
    std::array<std::array<QRadioButton*, 3>*, 5> movements();
    std::array<const std::array<QRadioButton*, 3>*, 5> movements() const;

    long m_userId = 0;
    QString m_month;
    QDate m_monthDate;
    short m_kind = 0;
    short m_pain = 0;
    std::array<long, 2> m_unlistedHenka{}; // a stored change value the list does not hold
    QString m_lastError;
    Over16Stored m_seen; // the stored row as last read or written
    Over16Entry m_savedValues;
    QStringList m_savedTexts;
    std::array<QPixmap, 2> m_picDefault;
    QButtonGroup* m_painGroup = nullptr;
    QScrollArea* m_scroll = nullptr;
    QMetaObject::Connection m_focusWatch;
};
