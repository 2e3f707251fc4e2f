#include "main_window.h"

#include "base/globals.h"
#include "base/paths.h"
#include "base/vb.h"
#include "common/sys_settings.h"
#include "db/table_checks.h"
#include "platform/platform.h"
#include "widgets/grid_sort.h"
#include "widgets/month_edit.h"
#include "widgets/spread_grid.h"
#include "widgets/widget_names.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

frmPrint利用者別月間実績表::frmPrint利用者別月間実績表(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmPrint利用者別月間実績表"));
    setWindowTitle(QStringLiteral("施術継続理由書／頻回施術計画書"));
    startupChecks = {iChkOver16Count, iChkDouiRec, iChkHKSyobyou07Flg, iChkSyoujouSonota, iChkJissekiField};
    buildUi();
    buildMenus();
    // Room for the title bar on a 1366 × 768 laptop screen with a panel.
    resize(1340, 680);
}

frmPrint利用者別月間実績表::~frmPrint利用者別月間実績表() = default;

void frmPrint利用者別月間実績表::buildUi()
{
    auto* central = new QWidget(this);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(10, 8, 10, 8);
    root->setSpacing(6);

    // Month, extraction and title.
    auto* top = new QHBoxLayout;
    auto* monthLabel = new QLabel(QStringLiteral("対象年月"));
    imD_Out = named(new MonthEdit, QStringLiteral("対象年月"), QStringLiteral("imD_Out"));
    imD_Out->setMinimumWidth(110);
    monthLabel->setBuddy(imD_Out);
    but_Read = namedButton(QStringLiteral("抽出"), QStringLiteral("but_Read"), QStringLiteral("検索を行います"));
    but_Read->setMinimumWidth(90);
    lblMes = named(new QLabel, QStringLiteral("一覧の見出し"), QStringLiteral("lblMes"));
    QFont titleFont = lblMes->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    titleFont.setBold(true);
    lblMes->setFont(titleFont);
    top->addWidget(monthLabel);
    top->addWidget(imD_Out);
    top->addWidget(but_Read);
    top->addSpacing(20);
    top->addWidget(lblMes, 1);
    root->addLayout(top);

    // Extraction condition and search texts.
    auto* condRow = new QHBoxLayout;
    fraJyoken = named(new QGroupBox(QStringLiteral("施術継続理由／頻回施術の対象者抽出")),
                      QStringLiteral("施術継続理由／頻回施術の対象者抽出"), QStringLiteral("fraJyoken"));
    auto* cond = new QGridLayout(fraJyoken);
    optSerchSel[3] = named(new QRadioButton(QStringLiteral("1年以上／月16回以上の施術がある利用者（施術継続理由書）")),
                           QStringLiteral("1年以上／月16回以上の施術がある利用者（施術継続理由書）"),
                           QStringLiteral("optSerchSel(3)"));
    optSerchSel[2] = named(new QRadioButton(QStringLiteral("頻回な施術の利用者（頻回施術計画書） ")),
                           QStringLiteral("頻回な施術の利用者（頻回施術計画書）"), QStringLiteral("optSerchSel(2)"));
    optSerchSel[4] = named(new QRadioButton(QStringLiteral("全利用者")), QStringLiteral("全利用者"),
                           QStringLiteral("optSerchSel(4)"));
    imnHinkaiKaisu = named(new QSpinBox, QStringLiteral("施術頻回カウント"), QStringLiteral("imnHinkaiKaisu"));
    // Whatever 抽出頻回回数 can hold (a 16-bit number): a count over several sub-numbers of a
    // user can pass 24, and a stored value must come back unchanged.
    imnHinkaiKaisu->setRange(-32768, 32767);
    imnHinkaiKaisu->setAlignment(Qt::AlignRight);
    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addSpacing(24);
    thresholdRow->addWidget(new QLabel(QStringLiteral("施術頻回カウントが")));
    thresholdRow->addWidget(imnHinkaiKaisu);
    thresholdRow->addWidget(new QLabel(QStringLiteral("回以上のみを抽出")));
    thresholdRow->addStretch(1);
    cond->addWidget(optSerchSel[3], 0, 0);
    cond->addWidget(optSerchSel[2], 1, 0);
    cond->addLayout(thresholdRow, 2, 0);
    cond->addWidget(optSerchSel[4], 3, 0);
    // Indexes 0 and 1 belong to an older frame the extraction ignores; kept but not shown.
    auto* oldFrame = new QGroupBox(central);
    optSerchSel[0] = named(new QRadioButton(QStringLiteral("経過年数 （1年以上／月16回以上）"), oldFrame),
                           QStringLiteral("経過年数 （1年以上／月16回以上）"), QStringLiteral("optSerchSel(0)"));
    optSerchSel[1] = named(new QRadioButton(QStringLiteral("全てを抽出"), oldFrame), QStringLiteral("全てを抽出"),
                           QStringLiteral("optSerchSel(1)"));
    oldFrame->hide();
    condRow->addWidget(fraJyoken, 3);

    auto* search = new QGroupBox(QStringLiteral("検索"));
    auto* sg = new QGridLayout(search);
    txt_SiboriNo = named(new QLineEdit, QStringLiteral("IDNo."), QStringLiteral("txt_SiboriNo"));
    txt_SiboriName = named(new QLineEdit, QStringLiteral("利用者名"), QStringLiteral("txt_SiboriName"));
    txt_SiboriKana = named(new QLineEdit, QStringLiteral("フリガナ"), QStringLiteral("txt_SiboriKana"));
    const std::pair<QString, QLineEdit*> searches[] = {{QStringLiteral("IDNo."), txt_SiboriNo},
                                                       {QStringLiteral("利用者名"), txt_SiboriName},
                                                       {QStringLiteral("フリガナ"), txt_SiboriKana}};
    int r = 0;
    for (const auto& [label, edit] : searches) {
        auto* l = new QLabel(label);
        l->setBuddy(edit);
        sg->addWidget(l, r, 0);
        sg->addWidget(edit, r, 1);
        connect(edit, &QLineEdit::returnPressed, this, [this] { extract(); });
        ++r;
    }
    txt_SiboriNo->setMaximumWidth(140);
    condRow->addWidget(search, 2);
    root->addLayout(condRow);

    // The list.
    grdData = named(new SpreadGrid(listColumnCount), QStringLiteral("対象者一覧"), QStringLiteral("grdData"));
    grdData->setCheckColumn(colSel);
    grdData->setButtonColumn(colHinkaiButton, QStringLiteral("頻回確認"));
    const char* const headers[] = {"選",
                                   "IDNo.",
                                   "利用者名",
                                   "区分",
                                   "生年月日",
                                   "継続理由",
                                   "初療日",
                                   "初療日からの経過月",
                                   "当月の施術回数",
                                   "施術頻回カウント",
                                   "",
                                   "主担当",
                                   "証明者",
                                   "傷病名",
                                   "更新日",
                                   "YMD"};
    const int widths[] = {34, 64, 130, 50, 132, 66, 132, 96, 96, 112, 84, 110, 110, 220, 80, 90};
    for (int c = 1; c <= listColumnCount; ++c) {
        grdData->setHeaderText(c, QString::fromUtf8(headers[c - 1]));
        grdData->setColumnWidth(c - 1, widths[c - 1]);
    }
    grdData->horizontalHeader()->setStretchLastSection(false);
    grdData->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grdData->horizontalHeader()->setMinimumHeight(40);
    grdData->horizontalHeader()->setSectionsClickable(true);
    root->addWidget(grdData, 1);

    // Commands.
    auto* cmds = new QHBoxLayout;
    cmdSelAll[0] = namedButton(QStringLiteral("全員選択"), QStringLiteral("cmdSelAll(0)"));
    cmdSelAll[1] = namedButton(QStringLiteral("全員解除"), QStringLiteral("cmdSelAll(1)"));
    cmdEdit = namedButton(QStringLiteral("施術理由記載"), QStringLiteral("cmdEdit"));
    cmds->addWidget(cmdSelAll[0]);
    cmds->addWidget(cmdSelAll[1]);
    cmds->addSpacing(12);
    cmds->addWidget(cmdEdit);

    auto* form = new QGroupBox(QStringLiteral("施術継続理由・状態記入書"));
    auto* fl = new QHBoxLayout(form);
    btnJisseki[0] = namedButton(QStringLiteral("印刷"), QStringLiteral("btnJisseki(0)"));
    btnJisseki[1] = namedButton(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), QStringLiteral("btnJisseki(1)"));
    btnJisseki[2] = namedButton(QStringLiteral("ﾌｫｰﾏｯﾄ出力"), QStringLiteral("btnJisseki(2)"));
    btnJissekiSelect[1] = namedButton(QStringLiteral("帳票出力"), QStringLiteral("btnJissekiSelect(1)"));
    for (auto* b : {btnJisseki[0], btnJisseki[1], btnJisseki[2], btnJissekiSelect[1]})
        fl->addWidget(b);
    cmds->addWidget(form);

    auto* tables = new QGroupBox(QStringLiteral("チェック表"));
    auto* tl = new QGridLayout(tables);
    optPrintType[0] = named(new QRadioButton(QStringLiteral("実績データ")), QStringLiteral("実績データ"),
                            QStringLiteral("optPrintType(0)"));
    optPrintType[1] = named(new QRadioButton(QStringLiteral("予定データ")), QStringLiteral("予定データ"),
                            QStringLiteral("optPrintType(1)"));
    btnYoteiJisseki[1] = namedButton(QStringLiteral("実績チェック表"), QStringLiteral("btnYoteiJisseki(1)"));
    btnYoteiJisseki[0] = namedButton(QStringLiteral("予定チェック"), QStringLiteral("btnYoteiJisseki(0)"));
    tl->addWidget(optPrintType[0], 0, 0);
    tl->addWidget(optPrintType[1], 1, 0);
    tl->addWidget(btnYoteiJisseki[1], 0, 1);
    tl->addWidget(btnYoteiJisseki[0], 1, 1);
    cmds->addWidget(tables);

    auto* sortBox = new QGroupBox(QStringLiteral("並び順"));
    auto* sl = new QVBoxLayout(sortBox);
    optSort[0] =
        named(new QRadioButton(QStringLiteral("ID番号")), QStringLiteral("ID番号"), QStringLiteral("optSort(0)"));
    optSort[1] =
        named(new QRadioButton(QStringLiteral("フリガナ")), QStringLiteral("フリガナ"), QStringLiteral("optSort(1)"));
    sl->addWidget(optSort[0]);
    sl->addWidget(optSort[1]);
    cmds->addWidget(sortBox);

    auto* tuuin = new QGroupBox(QStringLiteral("通院の表示"));
    auto* ul = new QVBoxLayout(tuuin);
    chkTuuinDisp = named(new QCheckBox(QStringLiteral("通院扱いのデータは○囲みで表記")),
                         QStringLiteral("通院扱いのデータは○囲みで表記"), QStringLiteral("chkTuuinDisp"));
    ul->addWidget(chkTuuinDisp);
    cmds->addWidget(tuuin);
    cmds->addStretch(1);
    btnExit = namedButton(QStringLiteral("戻る"), QStringLiteral("btnExit"), QStringLiteral("処理を終了します。"));
    btnExit->setMinimumWidth(90);
    cmds->addWidget(btnExit);
    root->addLayout(cmds);
    setCentralWidget(central);

    // Initial state (shown when the settings file is missing).
    optSerchSel[3]->setChecked(true);
    optPrintType[0]->setChecked(true);
    optSort[0]->setChecked(true);

    // Operator actions.
    connect(but_Read, &QPushButton::clicked, this, [this] { extract(); });
    imD_Out->onMonthCommitted = [this] { extract(); };
    imD_Out->setCommitButton(but_Read);
    for (int i : {2, 3, 4})
        connect(optSerchSel[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this] { conditionChanged(); });
    connect(cmdSelAll[0], &QPushButton::clicked, this, [this] { selectAll(0); });
    connect(cmdSelAll[1], &QPushButton::clicked, this, [this] { selectAll(1); });
    grdData->onButtonClicked = [this](int row, int col) {
        if (grdData->MaxRows() > 0 && row >= 1 && col == colHinkaiButton)
            openHinkaiSub(row);
    };
    grdData->onDoubleClick = [this](int row, int col) { gridDoubleClick(row, col); };
    connect(cmdEdit, &QPushButton::clicked, this, [this] { cmdEditCommand(); });

    setTabOrder(imD_Out, but_Read);
    setTabOrder(but_Read, optSerchSel[3]);
    setTabOrder(optSerchSel[3], optSerchSel[2]);
    setTabOrder(optSerchSel[2], imnHinkaiKaisu);
    setTabOrder(imnHinkaiKaisu, optSerchSel[4]);
    setTabOrder(optSerchSel[4], txt_SiboriNo);
    setTabOrder(txt_SiboriNo, txt_SiboriName);
    setTabOrder(txt_SiboriName, txt_SiboriKana);
    setTabOrder(txt_SiboriKana, grdData->horizontalHeader());
    setTabOrder(grdData->horizontalHeader(), grdData);
}

void frmPrint利用者別月間実績表::buildMenus()
{
    QMenu* mnMenu1 = menuBar()->addMenu(QStringLiteral("機能(&F)"));
    mnMenu1->setObjectName(QStringLiteral("mnMenu1"));
    mnMenuPrint = mnMenu1->addAction(QStringLiteral("印刷"));
    mnMenuPreview = mnMenu1->addAction(QStringLiteral("プレビュー"));
    mnMenu1->addSeparator()->setObjectName(QStringLiteral("mnMenuKugiri"));
    mnMenuExit = mnMenu1->addAction(QStringLiteral("戻る"));
    mnMenuPrint->setObjectName(QStringLiteral("mnMenuPrint"));
    mnMenuPreview->setObjectName(QStringLiteral("mnMenuPreview"));
    mnMenuExit->setObjectName(QStringLiteral("mnMenuExit"));

    QMenu* mnSettei = menuBar()->addMenu(QStringLiteral("設定(&E)"));
    mnSettei->setObjectName(QStringLiteral("mnSettei"));
    QMenu* mnSejutuKaisu = mnSettei->addMenu(QStringLiteral("初療年月日から１年後の月の施術回数"));
    mnSejutuKaisu->setObjectName(QStringLiteral("mnSejutuKaisu"));
    mnSejutuKaisuCnt[0] = mnSejutuKaisu->addAction(QStringLiteral("初療年月日の1年後の日より後の回数"));
    mnSejutuKaisuCnt[1] = mnSejutuKaisu->addAction(QStringLiteral("初療年月日の1年後の月の全施術回数"));
    QMenu* mnRiyusyoType = mnSettei->addMenu(QStringLiteral("施術継続理由・状態記入書の様式"));
    mnRiyusyoType->setObjectName(QStringLiteral("mnRiyusyoType"));
    mnRiyusyoTypeSel[0] = mnRiyusyoType->addAction(QStringLiteral("頻回月表示なし（令和3年6月以前の様式）"));
    mnRiyusyoTypeSel[1] = mnRiyusyoType->addAction(QStringLiteral("頻回月表示あり（令和3年7月以降の様式）"));
    for (int i = 0; i < 2; ++i) {
        mnSejutuKaisuCnt[static_cast<size_t>(i)]->setCheckable(true);
        mnSejutuKaisuCnt[static_cast<size_t>(i)]->setObjectName(QStringLiteral("mnSejutuKaisuCnt(%1)").arg(i));
        mnRiyusyoTypeSel[static_cast<size_t>(i)]->setCheckable(true);
        mnRiyusyoTypeSel[static_cast<size_t>(i)]->setObjectName(QStringLiteral("mnRiyusyoTypeSel(%1)").arg(i));
        connect(mnSejutuKaisuCnt[static_cast<size_t>(i)], &QAction::triggered, this,
                [this, i] { chooseSejutuKaisuCnt(i); });
        connect(mnRiyusyoTypeSel[static_cast<size_t>(i)], &QAction::triggered, this,
                [this, i] { chooseRiyusyoType(i); });
    }
    // Initial state: the default reading of each pair.
    mnSejutuKaisuCnt[0]->setChecked(true);
    mnRiyusyoTypeSel[1]->setChecked(true);

    QMenu* mnHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnHelp->setObjectName(QStringLiteral("mnHelp"));
    mnDispHelp = mnHelp->addAction(QStringLiteral("オンラインヘルプ(&M)"));
    mnDispHelp->setObjectName(QStringLiteral("mnDispHelp"));
    mnVer = mnHelp->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    mnVer->setObjectName(QStringLiteral("mnVer"));

    connect(mnMenuExit, &QAction::triggered, this, [this] { close(); });
    connect(mnMenuPreview, &QAction::triggered, this, [this] { menuPreview(); });
    connect(mnMenuPrint, &QAction::triggered, this, [this] { menuPrint(); });
    connect(btnYoteiJisseki[0], &QPushButton::clicked, this, [this] { yoteiJissekiButton(0); });
    for (int i = 0; i < 3; ++i)
        connect(btnJisseki[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] { btnJissekiClick(i); });
    connect(btnYoteiJisseki[1], &QPushButton::clicked, this, [this] { yoteiJissekiButton(1); });
    connect(btnExit, &QPushButton::clicked, mnMenuExit, &QAction::trigger);
    connect(btnJissekiSelect[1], &QPushButton::clicked, this, [this] { btnJissekiSelectClick(); });
    connect(mnDispHelp, &QAction::triggered, this, [this] { menuDispHelp(); });
}

void frmPrint利用者別月間実績表::load()
{
    for (int i = 0; i < 5; ++i) {
        if (startupChecks[static_cast<size_t>(i)]() != 0)
            platform().messageBox(
                QStringLiteral("バージョンチェックに失敗しました。(%1)").arg(i + 1) + u'\n'
                    + QStringLiteral("Kovaniのバージョンと更新プログラムのバージョンを確認してください。"),
                MsgButtons::Ok, MsgIcon::None, QStringLiteral("確認"));
    }
    gTZSVer = bFileExists(appFile(QStringLiteral("KovaniTZSVer.ini"))) ? 1 : 0;
    PrintSettings s = currentSettings();
    vLoadPrintSettings(s);
    applySettings(s);
    iInitScreen();
    vCheckTmpFolder();
    if (qEnvironmentVariableIntValue("MONTHLY_RECORDS_QUIT_AFTER_LOAD") == 1)
        QTimer::singleShot(0, this, &QWidget::close);
}

short frmPrint利用者別月間実績表::iInitScreen()
{
    grdData->setMaxRows(0);
    m_sort = std::make_unique<clsT_HanSpr>();
    m_sort->vInit(grdData);
    txt_SiboriNo->clear();
    txt_SiboriName->clear();
    txt_SiboriKana->clear();
    imD_Out->setMonth(QDate::currentDate());
    lblMes->setText(listTitle(imD_Out->date()));
    grdData->setColHidden(colKoushin, true);
    grdData->setColHidden(colYMD, true);
    imnHinkaiKaisu->setEnabled(optSerchSel[2]->isChecked());
    return 0;
}

PrintSettings frmPrint利用者別月間実績表::currentSettings() const
{
    PrintSettings s;
    s.tuuinDisp = chkTuuinDisp->isChecked();
    s.sortIndex = optSort[1]->isChecked() ? 1 : 0;
    s.printType = optPrintType[0]->isChecked() ? 0 : 1;
    s.sejutuKaisuCnt = mnSejutuKaisuCnt[1]->isChecked() ? 1 : 0;
    s.riyusyoType = mnRiyusyoTypeSel[1]->isChecked() ? 1 : 0;
    s.pastMonths = m_pastMonths;
    s.threshold = static_cast<short>(imnHinkaiKaisu->value());
    return s;
}

void frmPrint利用者別月間実績表::applySettings(const PrintSettings& s)
{
    chkTuuinDisp->setChecked(s.tuuinDisp);
    optSort[static_cast<size_t>(s.sortIndex == 1 ? 1 : 0)]->setChecked(true);
    optPrintType[static_cast<size_t>(s.printType == 0 ? 0 : 1)]->setChecked(true);
    mnSejutuKaisuCnt[0]->setChecked(s.sejutuKaisuCnt != 1);
    mnSejutuKaisuCnt[1]->setChecked(s.sejutuKaisuCnt == 1);
    mnRiyusyoTypeSel[0]->setChecked(s.riyusyoType != 1);
    mnRiyusyoTypeSel[1]->setChecked(s.riyusyoType == 1);
    m_pastMonths = s.pastMonths;
    imnHinkaiKaisu->setValue(qBound<int>(imnHinkaiKaisu->minimum(), s.threshold, imnHinkaiKaisu->maximum()));
}

bool frmPrint利用者別月間実績表::newStyleFlag() const { return !mnRiyusyoTypeSel[0]->isChecked(); }

bool frmPrint利用者別月間実績表::isRowSelected(int row) const { return grdData->value(row, colSel).toInt() == 1; }

void frmPrint利用者別月間実績表::extract()
{
    if (vb::format(imD_Out->date(), QStringLiteral("yyyymm")).size() != 6)
        return;
    imD_Out->markCommitted();
    if (iDataLoad() == 0)
        saveSettings();
}

short frmPrint利用者別月間実績表::iDataLoad()
{
    BusyCursor busy;
    lblMes->setText(listTitle(imD_Out->date()));
    ListConditions c;
    c.month = imD_Out->date();
    c.condition = selectedCondition();
    c.threshold = imnHinkaiKaisu->value();
    c.countWholeMonth = countWholeAnniversaryMonth();
    c.searchNo = txt_SiboriNo->text();
    c.searchName = txt_SiboriName->text();
    c.searchKana = txt_SiboriKana->text();
    const ListLoad load = ::iDataLoad(c);
    if (load.replaced)
        fillGrid(load.rows);
    return load.status;
}

void frmPrint利用者別月間実績表::fillGrid(const std::vector<ListRow>& rows)
{
    grdData->setRedraw(false);
    grdData->setMaxRows(0);
    grdData->setMaxRows(static_cast<int>(rows.size()));
    int r = 1;
    for (const ListRow& row : rows) {
        for (int c = 1; c <= listColumnCount; ++c)
            grdData->setValue(r, c, row[static_cast<size_t>(c)]);
        ++r;
    }
    if (grdData->MaxRows() >= 1)
        grdData->lockColumns(2, grdData->MaxCols());
    grdData->setRedraw(true);
}

short frmPrint利用者別月間実績表::refreshRow(int row)
{
    const long userNo = grdData->value(row, colIDNo).toLongLong();
    // The row's own month (column 16): after a failed extraction the month input shows
    // another month than the rows.
    const QDate month = QDate::fromString(grdData->text(row, colYMD), QStringLiteral("yyyy/MM/dd"));
    const RowRefresh r = iDataLoad_16OVER_UMU(userNo, month);
    if (r.found) {
        grdData->setValue(row, colKeizoku, r.keizoku);
        grdData->setValue(row, colSyoumei, r.syoumei);
        grdData->lockColumns(2, grdData->MaxCols());
    }
    return r.status;
}

void frmPrint利用者別月間実績表::conditionChanged() { imnHinkaiKaisu->setEnabled(optSerchSel[2]->isChecked()); }

void frmPrint利用者別月間実績表::selectAll(int index)
{
    const int rows = grdData->MaxRows();
    for (int r = 1; r <= rows; ++r)
        grdData->setValue(r, colSel, index == 0 ? 1 : 0);
}

void frmPrint利用者別月間実績表::vSortGrid(int column)
{
    if (column >= 0)
        m_sort->vSortLineASC2DSC(1, grdData->MaxRows(), column);
    else
        m_sort->vSortNoChange(1, grdData->MaxRows());
    grdData->setActiveRow(1);
}

void frmPrint利用者別月間実績表::chooseSejutuKaisuCnt(int index)
{
    mnSejutuKaisuCnt[static_cast<size_t>(index)]->setChecked(true);
    mnSejutuKaisuCnt[static_cast<size_t>(1 - index)]->setChecked(false);
    saveSettings();
}

void frmPrint利用者別月間実績表::chooseRiyusyoType(int index)
{
    mnRiyusyoTypeSel[static_cast<size_t>(index)]->setChecked(true);
    mnRiyusyoTypeSel[static_cast<size_t>(1 - index)]->setChecked(false);
    saveSettings();
}

QDate frmPrint利用者別月間実績表::monthValue() const { return imD_Out->date(); }
int frmPrint利用者別月間実績表::gridMaxRows() const { return grdData->MaxRows(); }
QVariant frmPrint利用者別月間実績表::gridValue(int row, int col) const { return grdData->value(row, col); }

int frmPrint利用者別月間実績表::selectedCondition() const
{
    for (int i : {2, 3, 4})
        if (optSerchSel[static_cast<size_t>(i)]->isChecked())
            return i;
    return 4;
}

bool frmPrint利用者別月間実績表::countWholeAnniversaryMonth() const { return mnSejutuKaisuCnt[1]->isChecked(); }

void frmPrint利用者別月間実績表::showModal()
{
    load();
    setWindowModality(Qt::ApplicationModal);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // The frame is not known before the window shows: leave room for a title bar.
        const QRect area = screen->availableGeometry();
        resize(qMin(width(), area.width() - 8), qMin(height(), area.height() - 40));
        move(area.center() - rect().center());
    }
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
    m_sort.reset();
    // The suite's menu program; its failure is not reported to the operator.
    VbError err;
    if (!platform().startProgram(gAppPath + QStringLiteral("\\Main.exe"), {QStringLiteral("2")},
                                 WindowStyle::NormalFocus, &err))
        std::fprintf(stderr, "Main.exe could not be started: %s\n", qPrintable(err.description));
    m_loop.quit();
}
