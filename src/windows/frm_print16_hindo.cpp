#include "frm_print16_hindo.h"

#include "widgets/widget_names.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

frmPrint16Hindo::frmPrint16Hindo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrint16Hindo"));
    setWindowTitle(QStringLiteral("印刷処理"));
    auto* root = new QVBoxLayout(this);
    Fre1 = named(new QGroupBox(QStringLiteral("出力帳票")), QStringLiteral("出力帳票"), QStringLiteral("Fre1"));
    auto* frame = new QVBoxLayout(Fre1);
    optPrintType[0] = named(new QRadioButton(QStringLiteral("施術継続理由・状態記入書")),
                            QStringLiteral("施術継続理由・状態記入書"), QStringLiteral("optPrintType(0)"));
    optPrintType[1] = named(new QRadioButton(QStringLiteral("頻回な施術を必要とした詳細な理由及び今後の施術計画書")),
                            QStringLiteral("頻回な施術を必要とした詳細な理由及び今後の施術計画書"),
                            QStringLiteral("optPrintType(1)"));
    Label1 = named(new QLabel(QStringLiteral("（施術頻回による指導を受けた場合に提出）")),
                   QStringLiteral("（施術頻回による指導を受けた場合に提出）"), QStringLiteral("Label1"));
    chkPrintKakoJisseki = named(new QCheckBox(QStringLiteral("過去の頻回施術月を表示する。")),
                                QStringLiteral("過去の頻回施術月を表示する。"), QStringLiteral("chkPrintKakoJisseki"));
    frame->addWidget(optPrintType[0]);
    auto* pastRow = new QHBoxLayout;
    pastRow->addSpacing(24);
    pastRow->addWidget(chkPrintKakoJisseki);
    pastRow->addStretch(1);
    frame->addLayout(pastRow);
    frame->addWidget(optPrintType[1]);
    auto* noteRow = new QHBoxLayout;
    noteRow->addSpacing(24);
    noteRow->addWidget(Label1);
    noteRow->addStretch(1);
    frame->addLayout(noteRow);
    root->addWidget(Fre1);

    auto* buttons = new QHBoxLayout;
    btnJisseki[0] = namedButton(QStringLiteral("印刷"), QStringLiteral("btnJisseki(0)"));
    btnJisseki[1] = namedButton(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), QStringLiteral("btnJisseki(1)"));
    btnCancel =
        namedButton(QStringLiteral("閉じる"), QStringLiteral("btnCancel"), QStringLiteral("前の処理に戻ります。"));
    buttons->addStretch(1);
    for (QPushButton* b : {btnJisseki[0], btnJisseki[1], btnCancel}) {
        // No button presses itself on an Enter meant for another control.
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(96);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    optPrintType[0]->setChecked(true);

    connect(btnJisseki[0], &QPushButton::clicked, this, [this] { btnJissekiClick(0); });
    connect(btnJisseki[1], &QPushButton::clicked, this, [this] { btnJissekiClick(1); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    setTabOrder(optPrintType[0], chkPrintKakoJisseki);
    setTabOrder(chkPrintKakoJisseki, optPrintType[1]);
    setTabOrder(optPrintType[1], btnJisseki[0]);
    setTabOrder(btnJisseki[0], btnJisseki[1]);
    setTabOrder(btnJisseki[1], btnCancel);
}

void frmPrint16Hindo::showEvent(QShowEvent* e)
{
    if (!m_loaded)
        formLoad();
    QDialog::showEvent(e);
}

void frmPrint16Hindo::formLoad()
{
    m_loaded = true;
    chkPrintKakoJisseki->setChecked(pastMonths == 1);
    chkPrintKakoJisseki->setEnabled(checkEnabling != 0);
}

void frmPrint16Hindo::btnJissekiClick(int index)
{
    action = index == 0 ? 0 : 1;
    if (optPrintType[1]->isChecked()) {
        document = 1;
        pastMonths = 0;
    } else {
        document = 0;
        pastMonths = chkPrintKakoJisseki->isChecked() ? 1 : 0;
    }
    accept();
}

void frmPrint16Hindo::btnCancelClick()
{
    action = -1;
    reject();
}

void frmPrint16Hindo::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto* b = qobject_cast<QPushButton*>(focusWidget()))
            b->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
