#pragma once
// frmPrint利用者別月間実績表: the main window. The list rules live in target_list; the
// window fills its grid from them and offers the month, the grid and the menu choices to the
// report modules through MainWindowView.
#include "mainwindow/print_settings.h"
#include "mainwindow/target_list.h"
#include "reports/main_window_view.h"

#include <QEventLoop>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class MonthEdit;
class SpreadGrid;
class clsT_HanSpr;

class frmPrint利用者別月間実績表 : public QMainWindow, public MainWindowView {
    // No Q_OBJECT: moc cannot read the Japanese class name; connections use lambdas.
public:
    explicit frmPrint利用者別月間実績表(QWidget* parent = nullptr);
    ~frmPrint利用者別月間実績表() override;

    // The window's load (checks, edition marker, settings, screen).
    void load();
    // Loads, shows the window modally and returns when it has unloaded.
    void showModal();

    // Commands of the window (the operator's actions call these).
    void extract();                       // but_Read, a committed month
    void conditionChanged();              // optSerchSel
    void selectAll(int index);            // cmdSelAll(0) / (1)
    void vSortGrid(int column);           // header sort
    void chooseSejutuKaisuCnt(int index); // menu pair
    void chooseRiyusyoType(int index);    // menu pair
    short iInitScreen();
    short iDataLoad();         // loads the list; 1 when the query cannot be opened
    short refreshRow(int row); // iDataLoad_16OVER_UMU for a grid row (its column 16 month)

    // Detail entry (entry_commands.cpp).
    void cmdEditCommand();                  // cmdEdit: the one selected row
    void gridDoubleClick(int row, int col); // data row: detail entry; header: sort
    void openDetailEntry(int row);

    // Document commands of the tables.
    void menuPreview();                 // mnMenuPreview
    void menuPrint();                   // mnMenuPrint (asks first)
    void yoteiJissekiButton(int index); // btnYoteiJisseki(0) schedule, (1) actual records
    // Continuation form: btnJisseki(0) print, (1) preview, (2) preview of the blank format.
    void btnJissekiClick(int index);
    // btnJissekiSelect(1): the document dialog, then the form or the plan; settings saved.
    void btnJissekiSelectClick();
    // The frequency sub-window for a row (the column-11 button cell), then the row's refresh.
    void openHinkaiSub(int row);
    // mnDispHelp: the online help, topic 1, with the hourglass.
    void menuDispHelp();
    // The rows whose tick box reads 1, top to bottom.
    std::vector<int> selectedRows() const;
    // "利用者を選択してください。" ("確認") when the list is empty or nobody is ticked; false then.
    bool checkUsersSelected();

    // State restored from and saved to the print settings file.
    PrintSettings currentSettings() const;
    void applySettings(const PrintSettings& s);
    void saveSettings() { vSavePrintSettings(currentSettings()); }
    short pastMonthsFlag() const { return m_pastMonths; }
    void setPastMonthsFlag(short v) { m_pastMonths = v; }
    bool newStyleFlag() const;
    bool isRowSelected(int row) const;
    const clsT_HanSpr* sorter() const { return m_sort.get(); }

    // The five start-up checks in their order (tests may replace them).
    std::array<std::function<short()>, 5> startupChecks;

    // MainWindowView
    QDate monthValue() const override;
    int gridMaxRows() const override;
    QVariant gridValue(int row, int col) const override;
    int selectedCondition() const override;
    bool countWholeAnniversaryMonth() const override;

    // Controls under their own names.
    MonthEdit* imD_Out = nullptr;
    QLabel* lblMes = nullptr;
    QLineEdit* txt_SiboriNo = nullptr;
    QLineEdit* txt_SiboriName = nullptr;
    QLineEdit* txt_SiboriKana = nullptr;
    QGroupBox* fraJyoken = nullptr;
    std::array<QRadioButton*, 5> optSerchSel{};
    QSpinBox* imnHinkaiKaisu = nullptr;
    SpreadGrid* grdData = nullptr;
    QPushButton* but_Read = nullptr;
    std::array<QPushButton*, 2> cmdSelAll{};
    std::array<QPushButton*, 3> btnJisseki{};
    std::array<QPushButton*, 2> btnJissekiSelect{};
    std::array<QPushButton*, 2> btnYoteiJisseki{};
    QPushButton* cmdEdit = nullptr;
    QPushButton* btnExit = nullptr;
    std::array<QRadioButton*, 2> optPrintType{};
    std::array<QRadioButton*, 2> optSort{};
    QCheckBox* chkTuuinDisp = nullptr;
    QAction* mnMenuPrint = nullptr;
    QAction* mnMenuPreview = nullptr;
    QAction* mnMenuExit = nullptr;
    std::array<QAction*, 2> mnSejutuKaisuCnt{};
    std::array<QAction*, 2> mnRiyusyoTypeSel{};
    QAction* mnDispHelp = nullptr;
    QAction* mnVer = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildUi();
    void buildMenus();
    void fillGrid(const std::vector<ListRow>& rows);
    void unload();

    std::unique_ptr<clsT_HanSpr> m_sort;
    short m_pastMonths = 0;
    QEventLoop m_loop;
    bool m_unloaded = false;
};
