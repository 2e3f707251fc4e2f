#include "frm_hinkai_sub.h"

#include "reports/hinkai_view.h"

#include "base/vb.h"
#include "base/vb_error.h"
#include "platform/platform.h"
#include "widgets/spread_grid.h"
#include "widgets/widget_names.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QDate monthOf(const QString& month)
{
    const auto d = vb::toDate(month);
    if (!d)
        vbRaise(vberr::typeMismatch());
    return d->date();
}

void showError(const QString& routine, const VbError& e)
{
    platform().messageBox(routine + QStringLiteral("でエラー\r\n") + QString::number(e.number) + QStringLiteral("\r\n")
                              + e.description,
                          MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("エラー"));
}

// Each display after its label, in one row.
void addLabelledRow(QGridLayout* grid, std::initializer_list<QLineEdit*> displays)
{
    int col = 0;
    for (QLineEdit* e : displays) {
        auto* l = new QLabel(e->accessibleName());
        l->setBuddy(e);
        grid->addWidget(l, 0, col++);
        grid->addWidget(e, 0, col++);
    }
}

} // namespace

frmHinkaiSub::frmHinkaiSub(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHinkaiSub"));
    setWindowTitle(QStringLiteral("施術頻回内訳"));
    auto* root = new QVBoxLayout(this);

    auto* user = new QGridLayout;
    txtRiyoushaID = namedDisplay(QStringLiteral("利用者ID"), QStringLiteral("txtRiyoushaID"));
    txtRiyoushaName = namedDisplay(QStringLiteral("利用者名"), QStringLiteral("txtRiyoushaName"));
    txtSejutsuKbn = namedDisplay(QStringLiteral("施術区分"), QStringLiteral("txtSejutsuKbn"));
    addLabelledRow(user, {txtRiyoushaID, txtRiyoushaName, txtSejutsuKbn});
    txtRiyoushaID->setMaximumWidth(110);
    txtSejutsuKbn->setMaximumWidth(110);
    root->addLayout(user);

    Frame1 = named(new QGroupBox(QStringLiteral("施術頻回の対応")), QStringLiteral("施術頻回の対応"),
                   QStringLiteral("Frame1"));
    auto* frame = new QGridLayout(Frame1);
    txtHinkaiKaisuu = namedDisplay(QStringLiteral("施術頻回カウント"), QStringLiteral("txtHinkaiKaisuu"));
    txtKeikakusyo = namedDisplay(QStringLiteral("頻回施術計画書"), QStringLiteral("txtKeikakusyo"));
    txtKeikakusyoYM = namedDisplay(QStringLiteral("計画書提出月"), QStringLiteral("txtKeikakusyoYM"));
    addLabelledRow(frame, {txtHinkaiKaisuu, txtKeikakusyo, txtKeikakusyoYM});
    root->addWidget(Frame1);

    Label1 = named(new QLabel(QStringLiteral("施術頻回（直近2年）")), QStringLiteral("施術頻回（直近2年）"),
                   QStringLiteral("Label1"));
    root->addWidget(Label1);
    grdData = named(new SpreadGrid(14), QStringLiteral("施術頻回（直近2年）"), QStringLiteral("grdData"));
    grdData->setDisplayOnly();
    Label1->setBuddy(grdData);
    grdData->setHeaderText(1, QStringLiteral("施術年"));
    grdData->setHeaderText(2, QStringLiteral("施術頻回（直近２年）"));
    grdData->setHeaderText(3, QStringLiteral("1月"));
    static const char* const months[] = {"２月", "３月", "４月",   "５月",   "６月",  "７月",
                                         "８月", "９月", "１０月", "１１月", "１２月"};
    for (int m = 0; m < 11; ++m)
        grdData->setHeaderText(m + 4, QString::fromUtf8(months[m]));
    grdData->setColumnWidth(0, 96);
    grdData->setColumnWidth(1, 180);
    for (int c = 2; c < 14; ++c)
        grdData->setColumnWidth(c, 60);
    grdData->verticalHeader()->hide();
    grdData->setMinimumSize(96 + 180 + 12 * 60 + 6, 150);
    root->addWidget(grdData, 1);

    auto* buttons = new QHBoxLayout;
    btnExit = namedButton(QStringLiteral("戻る"), QStringLiteral("btnExit"));
    btnExit->setAutoDefault(false);
    btnExit->setMinimumWidth(96);
    buttons->addStretch(1);
    buttons->addWidget(btnExit);
    root->addLayout(buttons);
    connect(btnExit, &QPushButton::clicked, this, &QDialog::accept);
    setTabOrder(btnExit, grdData);
}

short frmHinkaiSub::iInit(long userNo, const QString& month)
{
    m_userNo = userNo;
    m_month = month;
    if (iControlInit() != 0)
        return -1;
    return iDataDisp() != 0 ? short(-1) : short(0);
}

short frmHinkaiSub::iControlInit()
{
    try {
        const HinkaiView v = hinkaiFrame(monthOf(m_month));
        for (QLineEdit* e :
             {txtRiyoushaID, txtRiyoushaName, txtSejutsuKbn, txtHinkaiKaisuu, txtKeikakusyo, txtKeikakusyoYM})
            e->clear();
        grdData->setMaxRows(3);
        for (int r = 1; r <= 3; ++r) {
            grdData->setValue(r, 1, v.years[static_cast<size_t>(r - 1)]);
            for (int c = 3; c <= 14; ++c) {
                const HinkaiCell& cell = v.cells[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 3)];
                grdData->setValue(r, c, QString());
                grdData->setCellBackground(r, c, cell.background);
            }
        }
        return 0;
    } catch (const VbRuntimeError& e) {
        showError(QStringLiteral("iControlInit"), e.err);
        return -1;
    }
}

short frmHinkaiSub::iDataDisp()
{
    try {
        const QDate month = monthOf(m_month);
        HinkaiView v = hinkaiFrame(month);
        if (!hinkaiFill(v, m_userNo, month)) {
            platform().messageBox(
                QStringLiteral("初療日から2年経過していないため、\r\n施術頻回の対象者ではありません。"), MsgButtons::Ok,
                MsgIcon::Information, QStringLiteral("情報"));
            return -1;
        }
        txtRiyoushaID->setText(v.riyoushaId);
        txtRiyoushaName->setText(v.riyoushaName);
        txtSejutsuKbn->setText(v.sejutsuKbn);
        txtHinkaiKaisuu->setText(v.hinkaiKaisuu);
        txtKeikakusyo->setText(v.keikakusyo);
        txtKeikakusyoYM->setText(v.keikakusyoYM);
        for (int r = 1; r <= 3; ++r)
            for (int c = 3; c <= 14; ++c) {
                const HinkaiCell& cell = v.cells[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 3)];
                if (!cell.text.isEmpty())
                    grdData->setValue(r, c, cell.text.toLongLong());
                grdData->setCellBackground(r, c, cell.background);
            }
        return 0;
    } catch (const VbRuntimeError& e) {
        showError(QStringLiteral("iDataDisp"), e.err);
        return -1;
    }
}

void frmHinkaiSub::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (focusWidget() == btnExit)
            btnExit->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
