#include "staff_search.h"

#include "base/vb.h"
#include "base/vb_error.h"
#include "common/online_help.h"
#include "platform/platform.h"
#include "widgets/number_input.h"
#include "widgets/spread_grid.h"
#include "widgets/widget_names.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

frm施術者検索::frm施術者検索(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmStaffSearch"));
    setAccessibleName(QStringLiteral("施術者検索"));
    setAccessibleDescription(QStringLiteral("frm施術者検索"));
    setWindowTitle(QStringLiteral("施術者検索"));
    buildUi();
    // The hourglass of the load; the opening search turns it back.
    platform().setBusy(true);
    m_loadHourglass = true;
}

frm施術者検索::~frm施術者検索()
{
    if (m_keyPreview)
        qApp->removeEventFilter(this);
    releaseLoadHourglass();
}

void frm施術者検索::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 6, 10, 10);

    auto* bar = new QMenuBar(this);
    QMenu* mnKinou = bar->addMenu(QStringLiteral("機能"));
    mnKinou->setObjectName(QStringLiteral("mnKinou"));
    mnF04 = mnKinou->addAction(QStringLiteral("抽出"));
    mnF05 = mnKinou->addAction(QStringLiteral("確定"));
    mnF12 = mnKinou->addAction(QStringLiteral("戻る"));
    QMenu* mnHelp = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnHelp->setObjectName(QStringLiteral("mnHelp"));
    mnDispHelp = mnHelp->addAction(QStringLiteral("オンラインヘルプ(&M)"));
    const std::pair<QAction*, const char*> actions[] = {
        {mnF04, "mnF04"}, {mnF05, "mnF05"}, {mnF12, "mnF12"}, {mnDispHelp, "mnDispHelp"}};
    for (const auto& [a, name] : actions)
        a->setObjectName(QString::fromLatin1(name));
    mnF04->setShortcut(Qt::Key_F4);
    mnF05->setShortcut(Qt::Key_F5);
    mnF12->setShortcut(Qt::Key_F12);
    addActions({mnF04, mnF05, mnF12});
    root->setMenuBar(bar);

    fraJyoken =
        named(new QGroupBox(QStringLiteral("抽出条件")), QStringLiteral("抽出条件"), QStringLiteral("fraJyoken"));
    auto* cond = new QGridLayout(fraJyoken);
    txt_SiboriName = named(new QLineEdit, QStringLiteral("名称"), QStringLiteral("txt_SiboriName"));
    txt_SiboriKana = named(new QLineEdit, QStringLiteral("カナ"), QStringLiteral("txt_SiboriKana"));
    in_SiboriID = named(new NumberInput(0, 2147483647), QStringLiteral("ＩＤ"), QStringLiteral("in_SiboriID"));
    in_SiboriID->setMaximumWidth(120);
    const std::pair<const char*, QWidget*> inputs[] = {
        {"名称", txt_SiboriName}, {"カナ", txt_SiboriKana}, {"ＩＤ", in_SiboriID}};
    int r = 0;
    for (const auto& [label, input] : inputs) {
        auto* l = new QLabel(QString::fromUtf8(label));
        l->setBuddy(input);
        cond->addWidget(l, r, 0);
        cond->addWidget(input, r, 1);
        ++r;
    }
    chkEndSejutsuha = named(new QCheckBox(QStringLiteral("管理を終了した施術者も表示する")),
                            QStringLiteral("管理を終了した施術者も表示する"), QStringLiteral("chkEndSejutsuha"));
    chkEndKanja = named(new QCheckBox(QStringLiteral("施術の終了した患者も表示する。")),
                        QStringLiteral("施術の終了した患者も表示する。"), QStringLiteral("chkEndKanja"));
    but_Read = named(new QPushButton(QStringLiteral("抽出")), QStringLiteral("抽出"), QStringLiteral("but_Read"));
    but_Read->setToolTip(QStringLiteral("施術者データを検索します"));
    cond->addWidget(chkEndSejutsuha, 3, 0, 1, 2);
    cond->addWidget(chkEndKanja, 4, 0, 1, 2);
    cond->addWidget(but_Read, 0, 2, 3, 1, Qt::AlignBottom);
    cond->setColumnStretch(1, 1);
    root->addWidget(fraJyoken);

    spr_1ran = named(new SpreadGrid(3), QStringLiteral("施術者一覧"), QStringLiteral("spr_1ran"));
    spr_1ran->setHeaderText(1, QStringLiteral("ＩＤ"));
    spr_1ran->setHeaderText(2, QStringLiteral("施術者名"));
    spr_1ran->setHeaderText(3, QStringLiteral("フリガナ"));
    spr_1ran->setColumnWidth(0, 80);
    spr_1ran->setColumnWidth(1, 190);
    spr_1ran->horizontalHeader()->setStretchLastSection(true);
    spr_1ran->setMinimumHeight(260);
    root->addWidget(spr_1ran, 1);

    auto* buttons = new QHBoxLayout;
    but_Act[0] = named(new QPushButton(QStringLiteral("確 定")), QStringLiteral("確定"), QStringLiteral("but_Act(0)"));
    but_Act[0]->setToolTip(QStringLiteral("施術者データを決定します"));
    but_Act[1] = named(new QPushButton(QStringLiteral("戻る")), QStringLiteral("戻る"), QStringLiteral("but_Act(1)"));
    but_Act[1]->setToolTip(QStringLiteral("処理を終了します"));
    buttons->addStretch(1);
    for (QPushButton* b : {but_Read, but_Act[0], but_Act[1]}) {
        b->setAutoDefault(false);
        b->setMinimumSize(96, 32);
    }
    buttons->addWidget(but_Act[0]);
    buttons->addWidget(but_Act[1]);
    root->addLayout(buttons);
    resize(560, 520);

    connect(but_Read, &QPushButton::clicked, this, [this] { search(); });
    connect(mnF04, &QAction::triggered, this, [this] { search(); });
    connect(but_Act[0], &QPushButton::clicked, this, [this] { vWhenSeledOK(); });
    connect(mnF05, &QAction::triggered, this, [this] { vWhenSeledOK(); });
    connect(but_Act[1], &QPushButton::clicked, this, [this] { closeWithoutChoice(); });
    connect(mnF12, &QAction::triggered, this, [this] { closeWithoutChoice(); });
    connect(mnDispHelp, &QAction::triggered, this, [this] { dispHelp(); });
    spr_1ran->onDoubleClick = [this](int row, int) {
        if (row >= 1)
            vWhenSeledOK(row);
    };
}

short frm施術者検索::iInit(long code, short showEnded, long consultantId)
{
    m_code = code;
    m_consultantId = consultantId;
    m_cond = StaffSearchConditions();
    m_cond.showEnded = showEnded;
    return 0;
}

void frm施術者検索::vGetSeledInf(long* code, QString* name) const
{
    *code = m_seledCode;
    *name = m_seledName;
}

void frm施術者検索::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!m_firstActivate)
        return;
    // Once, after the window shows: activation repeats after every message box and need
    // not come at all without a window manager.
    m_firstActivate = false;
    QTimer::singleShot(0, this, [this] { firstActivation(); });
}

void frm施術者検索::firstActivation()
{
    if (!takeBusy())
        return;
    try {
        qApp->installEventFilter(this);
        m_keyPreview = true;
        spr_1ran->setMaxRows(0);
        but_Act[0]->setEnabled(false);
        showConditions();
        in_SiboriID->setFocus();
        searchBody();
    } catch (const VbRuntimeError& e) {
        m_errStr = e.err.parenText();
        releaseBusy();
        releaseLoadHourglass();
        showSystemError();
        m_opened = true;
        done(QDialog::Rejected);
        return;
    }
    releaseBusy();
    releaseLoadHourglass();
    m_opened = true;
}

void frm施術者検索::showConditions()
{
    txt_SiboriName->setText(vb::rtrim(m_cond.name));
    txt_SiboriKana->setText(vb::rtrim(m_cond.kana));
    chkEndSejutsuha->setChecked(m_cond.showEnded == 1);
}

void frm施術者検索::search()
{
    if (!takeBusy())
        return;
    try {
        searchBody();
    } catch (const VbRuntimeError& e) {
        m_errStr = e.err.parenText();
        showSystemError();
    }
    releaseBusy();
}

void frm施術者検索::searchBody()
{
    m_cond.name = txt_SiboriName->text();
    m_cond.kana = txt_SiboriKana->text();
    m_cond.showEnded = chkEndSejutsuha->isChecked() ? 1 : 0;
    m_cond.id = in_SiboriID->value();

    BusyCursor busy;
    struct RedrawOff {
        SpreadGrid* grid;
        ~RedrawOff() { grid->setRedraw(true); }
    } redrawOff{spr_1ran};
    spr_1ran->setRedraw(false);
    spr_1ran->setMaxRows(0);
    but_Act[0]->setEnabled(false);
    showConditions();

    const StaffList list = loadStaffList(m_cond);
    if (list.failed) {
        m_errStr = QStringLiteral("iDsp1ranSub() でエラー");
        showSystemError();
        return;
    }
    if (list.rows.empty())
        platform().messageBox(QStringLiteral("該当する施術者データがありません。"), MsgButtons::Ok,
                              MsgIcon::Information);
    spr_1ran->setMaxRows(static_cast<int>(list.rows.size()));
    int r = 1;
    for (const StaffRow& row : list.rows) {
        spr_1ran->setValue(r, 1, static_cast<qlonglong>(row.code));
        spr_1ran->setValue(r, 2, row.name);
        spr_1ran->setValue(r, 3, row.kana);
        ++r;
    }
    but_Act[0]->setEnabled(spr_1ran->MaxRows() >= 1);
    // The grid's active cell starts on the first row, as the list control's did; a code
    // handed in moves it to that practitioner.
    int active = spr_1ran->MaxRows() >= 1 ? 1 : 0;
    if (m_code > 0) {
        for (int i = 1; i <= spr_1ran->MaxRows(); ++i) {
            if (spr_1ran->value(i, 1).toLongLong() == m_code) {
                active = i;
                break;
            }
        }
    }
    if (active >= 1) {
        spr_1ran->setActiveRow(active);
        spr_1ran->scrollToItem(spr_1ran->item(active - 1, 0));
    }
}

void frm施術者検索::vWhenSeledOK(int row)
{
    if (!takeBusy())
        return;
    if (row < 0)
        row = spr_1ran->activeRow();
    if (row < 1 || row > spr_1ran->MaxRows()) {
        platform().beep();
        platform().messageBox(QStringLiteral("有効な行が選択されていません！"), MsgButtons::Ok, MsgIcon::Exclamation);
        releaseBusy();
        return;
    }
    m_seledCode = static_cast<long>(spr_1ran->value(row, 1).toLongLong());
    m_seledName = spr_1ran->text(row, 2);
    m_seled = 1;
    releaseBusy();
    done(QDialog::Accepted);
}

void frm施術者検索::closeWithoutChoice()
{
    if (m_busy)
        return;
    m_seled = 0;
    done(QDialog::Rejected);
}

void frm施術者検索::dispHelp()
{
    if (m_busy)
        return;
    BusyCursor busy;
    vOnlineHelp(1);
}

void frm施術者検索::closeEvent(QCloseEvent* e)
{
    if (m_busy) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

bool frm施術者検索::takeBusy()
{
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

void frm施術者検索::releaseLoadHourglass()
{
    if (!m_loadHourglass)
        return;
    m_loadHourglass = false;
    platform().setBusy(false);
}

void frm施術者検索::showSystemError()
{
    for (int i = 0; i < 3; ++i)
        platform().beep();
    platform().messageBox(QStringLiteral("システムエラーが発生しました！\r\r") + m_errStr, MsgButtons::Ok,
                          MsgIcon::Critical);
}

bool frm施術者検索::eventFilter(QObject* watched, QEvent* e)
{
    // Key preview: the window sees every key stroke meant for one of its controls first.
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride)
        return QDialog::eventFilter(watched, e);
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this)
        return QDialog::eventFilter(watched, e);
    if (m_busy) {
        e->accept(); // no shortcut either
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride)
        return false;
    auto* key = static_cast<QKeyEvent*>(e);
    switch (key->key()) {
    case Qt::Key_F4: search(); return true;
    case Qt::Key_F5: vWhenSeledOK(); return true;
    case Qt::Key_F12: closeWithoutChoice(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // On 確 定 or on a row of the list it confirms, as a click or a double click does.
        if (target == but_Act[0] || target == spr_1ran) {
            vWhenSeledOK();
            return true;
        }
        if (qobject_cast<QLineEdit*>(target) || qobject_cast<QRadioButton*>(target) || qobject_cast<QCheckBox*>(target)
            || qobject_cast<QComboBox*>(target))
            focusNextChild();
        return true;
    default: return false;
    }
}

short cls施術者検索::iDspStart(short showEnded, long consultantId)
{
    frm施術者検索 w(m_parent);
    if (w.iInit(nSeledCD, showEnded, consultantId) != 0) {
        m_errStr = w.CsErrStr();
        return -1;
    }
    w.exec();
    if (w.selectedFlag() != 1)
        return 1;
    QString name;
    w.vGetSeledInf(&nSeledCD, &name);
    m_seledName = name;
    return 0;
}
