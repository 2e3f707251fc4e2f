// The entry window's controls: the header, both evaluation screens, the reason and the
// certifier, built with their captions, notes, tool tips and names.
#include "input_meisai.h"

#include "base/globals.h"
#include "base/grid_wrap.h"
#include "base/opl_string.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "continuation/entry_lookups.h"
#include "continuation/over16_record.h"
#include "db/table_checks.h"
#include "platform/platform.h"
#include "staff_search.h"
#include "widgets/bounded_text.h"
#include "widgets/date_input.h"
#include "widgets/number_input.h"
#include "widgets/widget_names.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Displays stay out of the Tab chain (screen readers still read them); a click still
// focuses one, so its text can be copied.
QLineEdit* display(const QString& label, const QString& designName, int minWidth = 0)
{
    auto* e = namedDisplay(label, designName);
    e->setFocusPolicy(Qt::ClickFocus);
    if (minWidth > 0)
        e->setMinimumWidth(minWidth);
    return e;
}

NumberInput* numberDisplay(const QString& label, const QString& designName, int width)
{
    auto* e = named(new NumberInput(-2147483647, 2147483647), label, designName);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    e->setFixedWidth(width);
    return e;
}

QLabel* caption(const QString& t, QWidget* buddy = nullptr)
{
    auto* l = new QLabel(t);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

// "name(index)", the name of a member of a control array.
QString arrayName(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

// No button of the window is a default one: Enter presses only the focused button.
QPushButton* button(const QString& captionText, const QString& designName, const QString& tip = QString())
{
    auto* b = namedButton(captionText, designName, tip);
    b->setAutoDefault(false);
    b->setMinimumSize(110, 32);
    return b;
}

// Creates members of a control array: name(index), captioned, known to assistive technology
// as "group caption", added to the row in the order given (and to an exclusive group).
template <class Button, size_t N>
void addMembers(std::array<Button*, N>& members, const char* design, const QString& group,
                std::initializer_list<std::pair<int, const char*>> items, QBoxLayout* row,
                QButtonGroup* exclusive = nullptr)
{
    for (const auto& [index, text] : items) {
        const QString t = QString::fromUtf8(text);
        auto* b = named(new Button(t), group + u' ' + t, arrayName(design, index));
        members[static_cast<size_t>(index)] = b;
        if (exclusive)
            exclusive->addButton(b, index);
        row->addWidget(b);
    }
}

// The group's Tab stop is its checked member (the first when none is): Tab enters a group
// where Space changes nothing, and the arrow keys move within it.
void keepTabStopOnChecked(QButtonGroup* group)
{
    auto update = [group] {
        const QList<QAbstractButton*> buttons = group->buttons();
        QAbstractButton* stop = buttons.value(0);
        for (QAbstractButton* b : buttons) {
            if (b->isChecked()) {
                stop = b;
                break;
            }
        }
        for (QAbstractButton* b : buttons)
            b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
    update();
}

// Asks for room for all of its content (a plain scroll area asks for a fixed share of it), so
// the window opens showing everything where the screen has room and scrolls where it has not.
class WholeContentScroll : public QScrollArea {
public:
    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        const int f = 2 * frameWidth();
        return widget()->sizeHint() + QSize(f + verticalScrollBar()->sizeHint().width(), f);
    }
};

} // namespace

frmInputMeisai::frmInputMeisai(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInputMeisai"));
    setAccessibleName(QStringLiteral("施術継続理由・状態記入書編集"));
    setAccessibleDescription(QStringLiteral("frmInputMeisai"));
    setWindowTitle(QStringLiteral("施術継続理由・状態記入書編集"));
    makePictures();
    buildUi();
    // imTantou looks its practitioner up when the operator leaves it for another control of
    // this window; focus lost to a message box or to the search window does not count.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == imTantou && now && now != imTantou && now->window() == this)
            lookUpStaff();
        if (now && m_scroll->widget()->isAncestorOf(now))
            m_scroll->ensureWidgetVisible(now);
    });
    // Opens showing everything where the screen has room; at most what a 1366 × 768 laptop
    // screen leaves beside its panel and the title bar.
    QSize most(1340, 680);
    if (const QScreen* s = screen())
        most = most.boundedTo(s->availableGeometry().size() - QSize(8, 40));
    resize(sizeHint().boundedTo(most));
}

// The controls are destroyed after this class's part of the object is gone; their focus
// changes must not reach it.
frmInputMeisai::~frmInputMeisai() { disconnect(m_focusWatch); }

void frmInputMeisai::makePictures()
{
    // picDefault(0): an empty box; (1): the box marked with a circle, as on the paper form.
    for (int i = 0; i < 2; ++i) {
        QPixmap pm(30, 30);
        pm.fill(Qt::white);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        p.drawRect(QRectF(0.5, 0.5, 29, 29));
        if (i == 1) {
            p.setPen(QPen(QColor(0xC0, 0x10, 0x10), 3));
            p.drawEllipse(QRectF(5, 5, 20, 20));
        }
        m_picDefault[static_cast<size_t>(i)] = pm;
    }
}

void frmInputMeisai::buildUi()
{
    auto* content = new QWidget;
    auto* root = new QVBoxLayout(content);
    root->setContentsMargins(10, 8, 10, 4);
    root->setSpacing(6);
    root->addWidget(buildHeader());

    screens = new QStackedWidget;
    screens->setObjectName(QStringLiteral("screens"));
    screens->addWidget(buildMassageScreen());
    screens->addWidget(buildAcupunctureScreen());
    root->addWidget(screens);

    auto* lower = new QHBoxLayout;
    lower->addWidget(buildReason(), 3);
    lower->addWidget(buildCertifier(), 2);
    root->addLayout(lower, 1);
    m_scroll = new WholeContentScroll;
    m_scroll->setObjectName(QStringLiteral("scroll"));
    m_scroll->setWidget(content);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);

    // The buttons stay in sight below the scrolling part.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 10);
    outer->setSpacing(6);
    outer->addWidget(m_scroll, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 0, 10, 0);
    btnGetZenkai = button(QStringLiteral("前回情報コピー"), QStringLiteral("btnGetZenkai"));
    btnRegist =
        button(QStringLiteral("保 存"), QStringLiteral("btnRegist"), QStringLiteral("データを登録します。（Ctrl+S）"));
    btnRegist->setAccessibleName(QStringLiteral("保存"));
    btnCancel = button(QStringLiteral("閉じる"), QStringLiteral("btnCancel"), QStringLiteral("前の処理に戻ります。"));
    buttons->addWidget(btnGetZenkai);
    buttons->addStretch(1);
    buttons->addWidget(btnRegist);
    buttons->addWidget(btnCancel);
    outer->addLayout(buttons);
    setTabChain();

    connect(btnGetZenkai, &QPushButton::clicked, this, [this] { iDataLoad_Zenkai(); });
    connect(btnRegist, &QPushButton::clicked, this, [this] { regist(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this), &QShortcut::activated, this, [this] { regist(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { cancel(); });
    connect(btnStaffSelect, &QPushButton::clicked, this, [this] { vStaffSelect(); });
    connect(imTantou, &QLineEdit::returnPressed, this, [this] { lookUpStaff(); });
}

QWidget* frmInputMeisai::buildHeader()
{
    auto* w = new QWidget;
    auto* g = new QGridLayout(w);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(6);
    txtSejutsuMonth = display(QStringLiteral("施術月"), QStringLiteral("txtSejutsuMonth"), 110);
    txtSejutsuKbn = display(QStringLiteral("施術区分"), QStringLiteral("txtSejutsuKbn"), 90);
    numKaisu = numberDisplay(QStringLiteral("施術回数"), QStringLiteral("numKaisu"), 50);
    numIDNo = numberDisplay(QStringLiteral("ID"), QStringLiteral("numIDNo"), 90);
    txtName = display(QStringLiteral("氏名"), QStringLiteral("txtName"), 170);
    txtKana = display(QStringLiteral("ﾌﾘｶﾞﾅ"), QStringLiteral("txtKana"), 170);
    txtSex = display(QStringLiteral("性別"), QStringLiteral("txtSex"), 50);
    txtBirthday = display(QStringLiteral("生年月日"), QStringLiteral("txtBirthday"), 150);
    numAge = numberDisplay(QStringLiteral("年齢"), QStringLiteral("numAge"), 50);
    txtStaffName[1] = display(QStringLiteral("主担当施術者"), arrayName("txtStaffName", 1), 150);

    g->addWidget(caption(QStringLiteral("施術月"), txtSejutsuMonth), 0, 0);
    g->addWidget(txtSejutsuMonth, 0, 1);
    g->addWidget(caption(QStringLiteral("施術区分"), txtSejutsuKbn), 0, 2);
    g->addWidget(txtSejutsuKbn, 0, 3);
    auto* count = new QHBoxLayout;
    count->addWidget(numKaisu);
    count->addWidget(new QLabel(QStringLiteral("回")));
    count->addStretch(1);
    g->addWidget(caption(QStringLiteral("施術回数"), numKaisu), 0, 4);
    g->addLayout(count, 0, 5);
    g->addWidget(caption(QStringLiteral("主担当施術者"), txtStaffName[1]), 0, 6);
    g->addWidget(txtStaffName[1], 0, 7);

    g->addWidget(caption(QStringLiteral("ID"), numIDNo), 1, 0);
    g->addWidget(numIDNo, 1, 1);
    g->addWidget(caption(QStringLiteral("氏名"), txtName), 1, 2);
    g->addWidget(txtName, 1, 3);
    g->addWidget(caption(QStringLiteral("ﾌﾘｶﾞﾅ"), txtKana), 1, 4);
    g->addWidget(txtKana, 1, 5);
    g->addWidget(caption(QStringLiteral("性別"), txtSex), 1, 6);
    g->addWidget(txtSex, 1, 7, Qt::AlignLeft);

    g->addWidget(caption(QStringLiteral("生年月日"), txtBirthday), 2, 0);
    g->addWidget(txtBirthday, 2, 1, 1, 3, Qt::AlignLeft);
    auto* age = new QHBoxLayout;
    age->addWidget(numAge);
    age->addWidget(new QLabel(QStringLiteral("歳")));
    age->addStretch(1);
    g->addWidget(caption(QStringLiteral("年齢"), numAge), 2, 4);
    g->addLayout(age, 2, 5);
    g->setColumnStretch(3, 1);
    g->setColumnStretch(5, 1);
    return w;
}

QGroupBox* frmInputMeisai::buildMassageScreen()
{
    auto* box = named(new QGroupBox(QStringLiteral("利用者の状態の評価（マッサージ）")),
                      QStringLiteral("利用者の状態の評価（マッサージ）"), arrayName("fraMeisai", 0));
    fraMeisai[0] = box;
    auto* cols = new QHBoxLayout(box);
    auto* left = new QGridLayout;
    left->setVerticalSpacing(4);

    txtSyoryoDay[0] = display(QStringLiteral("初療年月日"), arrayName("txtSyoryoDay", 0), 150);
    txtSyobyo[0] = display(QStringLiteral("傷病名"), arrayName("txtSyobyo", 0), 300);
    left->addWidget(caption(QStringLiteral("初療年月日"), txtSyoryoDay[0]), 0, 0);
    left->addWidget(txtSyoryoDay[0], 0, 1, Qt::AlignLeft);
    left->addWidget(caption(QStringLiteral("傷病名"), txtSyobyo[0]), 1, 0);
    left->addWidget(txtSyobyo[0], 1, 1);

    // Symptoms: (0) paralysis, (1) contracture, (2) atrophy (stores nothing), (3) other.
    auto* symptoms = new QHBoxLayout;
    addMembers(chkKoushukuMahi, "chkKoushukuMahi", QStringLiteral("症状"),
               {{0, "麻痺あり"}, {1, "拘縮あり"}, {2, "筋萎縮あり"}, {3, "その他"}}, symptoms);
    auto* other = named(new BoundedLineEdit(kSyoujouSonotaMaxLength), QStringLiteral("症状 その他の内容"),
                        arrayName("txtSyobyo", 2));
    other->setMinimumWidth(200);
    txtSyobyo[2] = other;
    symptoms->addWidget(other, 1);
    left->addWidget(caption(QStringLiteral("症状")), 2, 0);
    left->addLayout(symptoms, 2, 1);

    auto* areas = new QHBoxLayout;
    addMembers(chkBui1, "chkBui1", QStringLiteral("施術部位"),
               {{0, "左上肢"}, {1, "右上肢"}, {2, "左下肢"}, {3, "右下肢"}, {4, "躯幹"}}, areas);
    areas->addStretch(1);
    left->addWidget(caption(QStringLiteral("施術部位")), 3, 0);
    left->addLayout(areas, 3, 1);
    auto* deform = new QHBoxLayout;
    addMembers(chkBui2, "chkBui2", QStringLiteral("変形徒手"),
               {{0, "左上肢"}, {1, "右上肢"}, {2, "左下肢"}, {3, "右下肢"}}, deform);
    chkBui1[5] = named(new QCheckBox(QStringLiteral("変形徒手矯正術あり")), QStringLiteral("変形徒手矯正術あり"),
                       arrayName("chkBui1", 5));
    deform->addSpacing(12);
    deform->addWidget(chkBui1[5]);
    deform->addStretch(1);
    left->addWidget(caption(QStringLiteral("変形徒手")), 4, 0);
    left->addLayout(deform, 4, 1);

    // Comparison with the month before.
    auto* compare = new QGroupBox(QStringLiteral("前月との比較"));
    auto* cg = new QGridLayout(compare);
    auto* umuRow = new QHBoxLayout;
    umuRow->setSpacing(12);
    addMembers(optZenkaiUmu, "optZenkaiUmu", QStringLiteral("前月評価の有無"), {{0, "有り"}, {1, "無し"}}, umuRow,
               new QButtonGroup(box));
    umuRow->addStretch(1);
    cmbZenkaiHenka[0] = named(new QComboBox, QStringLiteral("前月からの変化"), arrayName("cmbZenkaiHenka", 0));
    cmbZenkaiHenka[0]->setMinimumWidth(110);
    imHyoukaDay[0] = named(new DateInput, QStringLiteral("評価日"), arrayName("imHyoukaDay", 0));
    cg->addWidget(caption(QStringLiteral("前月評価の有無")), 0, 0);
    cg->addLayout(umuRow, 0, 1);
    cg->addWidget(caption(QStringLiteral("前月からの変化"), cmbZenkaiHenka[0]), 0, 2);
    cg->addWidget(cmbZenkaiHenka[0], 0, 3);
    cg->addWidget(caption(QStringLiteral("評価日"), imHyoukaDay[0]), 0, 4);
    cg->addWidget(imHyoukaDay[0], 0, 5);
    left->addWidget(compare, 5, 0, 1, 2);

    imLastJissekiDay[0] = named(new DateInput, QStringLiteral("最終施術日"), arrayName("imLastJissekiDay", 0));
    imLastJissekiDay[0]->setReadOnly(true);
    imLastJissekiDay[0]->setFocusPolicy(Qt::ClickFocus);
    txtStaffName[0] = display(QStringLiteral("主担当施術者"), arrayName("txtStaffName", 0), 150);
    auto* last = new QHBoxLayout;
    last->addWidget(imLastJissekiDay[0]);
    last->addSpacing(16);
    last->addWidget(caption(QStringLiteral("主担当施術者"), txtStaffName[0]));
    last->addWidget(txtStaffName[0]);
    last->addStretch(1);
    left->addWidget(caption(QStringLiteral("最終施術日"), imLastJissekiDay[0]), 6, 0);
    left->addLayout(last, 6, 1);
    cols->addLayout(left, 3);

    // The five movements, each rated 自立 / 一部介助 / 全介助.
    auto* detail = new QGroupBox(QStringLiteral("詳細な状態"));
    auto* dg = new QGridLayout(detail);
    const char* const levels[] = {"自立", "一部介助", "全介助"};
    for (int c = 0; c < 3; ++c)
        dg->addWidget(new QLabel(QString::fromUtf8(levels[c])), 0, c + 1, Qt::AlignCenter);
    const struct {
        std::array<QRadioButton*, 3>* group;
        const char* name;
        const char* label;
    } items[] = {{&optNegaeri, "optNegaeri", "寝返り"},
                 {&optOkiagari, "optOkiagari", "起き上がり"},
                 {&optZai, "optZai", "座位"},
                 {&optTachiagari, "optTachiagari", "立ち上がり"},
                 {&OptRitsui, "OptRitsui", "立位"}};
    int row = 1;
    for (const auto& item : items) {
        const QString label = QString::fromUtf8(item.label);
        dg->addWidget(new QLabel(label), row, 0);
        auto* group = new QButtonGroup(detail);
        for (int c = 0; c < 3; ++c) {
            auto* rb = named(new QRadioButton, label + u' ' + QString::fromUtf8(levels[c]), arrayName(item.name, c));
            (*item.group)[static_cast<size_t>(c)] = rb;
            group->addButton(rb, c);
            dg->addWidget(rb, row, c + 1, Qt::AlignCenter);
        }
        ++row;
    }
    cols->addWidget(detail, 2, Qt::AlignTop);
    return box;
}

QGroupBox* frmInputMeisai::buildAcupunctureScreen()
{
    auto* box = named(new QGroupBox(QStringLiteral("利用者の状態の評価（はり・きゅう）")),
                      QStringLiteral("利用者の状態の評価（はり・きゅう）"), arrayName("fraMeisai", 1));
    fraMeisai[1] = box;
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(4);

    txtSyoryoDay[1] = display(QStringLiteral("初療年月日"), arrayName("txtSyoryoDay", 1), 150);
    g->addWidget(caption(QStringLiteral("初療年月日"), txtSyoryoDay[1]), 0, 0);
    g->addWidget(txtSyoryoDay[1], 0, 1, Qt::AlignLeft);

    auto* kinds = new QHBoxLayout;
    addMembers(chkHarikyu2, "chkHarikyu2", QStringLiteral("施術内容"), {{0, "はり"}, {1, "きゅう"}, {2, "電気を使用"}},
               kinds);
    kinds->addStretch(1);
    g->addWidget(caption(QStringLiteral("施術内容")), 1, 0);
    g->addLayout(kinds, 1, 1);

    // Diagnoses (1)-(6) and the other one (0) with its name.
    auto* diag = new QHBoxLayout;
    addMembers(chkSyouByo, "chkSyouByo", QStringLiteral("鍼灸（傷病名）"),
               {{1, "神経痛"},
                {2, "リウマチ"},
                {3, "頸腕症候群"},
                {4, "五十肩"},
                {5, "腰痛症"},
                {6, "頸椎捻挫後遺症"},
                {0, "その他"}},
               diag);
    txtSyobyo[1] = display(QStringLiteral("鍼灸（傷病名） その他の傷病名"), arrayName("txtSyobyo", 1), 160);
    diag->addWidget(txtSyobyo[1], 1);
    g->addWidget(caption(QStringLiteral("鍼灸（傷病名）")), 2, 0);
    g->addLayout(diag, 2, 1);

    // The pain scale: eleven boxes 0-10, each a checkable button showing picDefault.
    auto* pain = new QGroupBox(QStringLiteral("痛みの強さ"));
    auto* pv = new QVBoxLayout(pain);
    pv->setSpacing(2);
    pv->addWidget(
        new QLabel(QStringLiteral("NRS（Numerical Rating Scale：ニューメリカル　レーティングスケール）による評価")));
    auto* scale = new QGridLayout;
    scale->setHorizontalSpacing(10);
    m_painGroup = new QButtonGroup(pain);
    for (int i = 0; i <= 10; ++i) {
        auto* b = named(new QToolButton, QStringLiteral("痛みの強さ %1").arg(i), arrayName("picDamage", i));
        b->setCheckable(true);
        b->setIcon(QIcon(m_picDefault[0]));
        b->setIconSize(QSize(30, 30));
        b->setFocusPolicy(Qt::StrongFocus);
        m_painGroup->addButton(b, i);
        picDamage[static_cast<size_t>(i)] = b;
        scale->addWidget(b, 0, i, Qt::AlignCenter);
        scale->addWidget(new QLabel(QString::number(i)), 1, i, Qt::AlignCenter);
        connect(b, &QToolButton::clicked, this, [this, i] { pickPain(static_cast<short>(i)); });
    }
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addLayout(scale);
    scaleRow->addStretch(1);
    pv->addLayout(scaleRow);
    pv->addWidget(
        new QLabel(QStringLiteral("（注)全く痛みがない状態を「0」、自分が考え想像しうる最悪の痛みを「10」として、")));
    pv->addWidget(new QLabel(QStringLiteral("　　今感じている痛みの点数を患者に聞き、該当の点数に印をつけること。")));
    g->addWidget(pain, 3, 0, 1, 2);

    auto* compare = new QHBoxLayout;
    compare->addWidget(caption(QStringLiteral("前月評価の有無")));
    compare->addSpacing(8);
    addMembers(optZenkaiUmuHK, "optZenkaiUmuHK", QStringLiteral("前月評価の有無"), {{0, "有り"}, {1, "無し"}}, compare,
               new QButtonGroup(box));
    cmbZenkaiHenka[1] = named(new QComboBox, QStringLiteral("前月からの変化"), arrayName("cmbZenkaiHenka", 1));
    cmbZenkaiHenka[1]->setMinimumWidth(110);
    imHyoukaDay[1] = named(new DateInput, QStringLiteral("評価日"), arrayName("imHyoukaDay", 1));
    imLastJissekiDay[1] = named(new DateInput, QStringLiteral("最終施術日"), arrayName("imLastJissekiDay", 1));
    imLastJissekiDay[1]->setReadOnly(true);
    imLastJissekiDay[1]->setFocusPolicy(Qt::ClickFocus);
    compare->addSpacing(16);
    compare->addWidget(caption(QStringLiteral("前月からの変化"), cmbZenkaiHenka[1]));
    compare->addWidget(cmbZenkaiHenka[1]);
    compare->addSpacing(16);
    compare->addWidget(caption(QStringLiteral("評価日"), imHyoukaDay[1]));
    compare->addWidget(imHyoukaDay[1]);
    compare->addSpacing(16);
    compare->addWidget(caption(QStringLiteral("最終施術日"), imLastJissekiDay[1]));
    compare->addWidget(imLastJissekiDay[1]);
    compare->addStretch(1);
    g->addLayout(compare, 4, 0, 1, 2);
    g->setRowStretch(5, 1);
    return box;
}

QGroupBox* frmInputMeisai::buildReason()
{
    const QString title =
        QStringLiteral("（症状、経過及び初療の日から１年以上経過して、月１６回以上の施術が必要な理由）");
    auto* box = named(new QGroupBox(title), title, arrayName("fraMeisai", 2));
    fraMeisai[2] = box;
    auto* v = new QVBoxLayout(box);
    txtRiyuu =
        named(new BoundedTextEdit(kRiyuuMaxLength), QStringLiteral("施術が必要な理由"), QStringLiteral("txtRiyuu"));
    // Room for the printed box: 41 characters by 10 lines.
    const QFontMetrics fm(txtRiyuu->font());
    txtRiyuu->setMinimumSize(fm.horizontalAdvance(QString(41, QChar(0x3042))) + 30, fm.lineSpacing() * 10 + 14);
    v->addWidget(txtRiyuu, 1);
    v->addWidget(new QLabel(QStringLiteral("【レイアウトの最大は横41文字×縦10行までとなります】")));
    // Under it, how many of the printed box's lines the text takes at its normal size, wrapped as printed.
    auto* lines = new QLabel;
    lines->setObjectName(QStringLiteral("lblRiyuuLines"));
    lines->setAccessibleName(QStringLiteral("理由の行数"));
    v->addWidget(lines);
    auto count = [this, lines] {
        const int used = gridLineCount(txtRiyuu->toPlainText(), 41);
        lines->setText(used <= 10
                           ? QStringLiteral("%1 / 10 行").arg(used)
                           : QStringLiteral("%1 / 10 行（10 行を超えています。印刷では行や文字を詰めます）").arg(used));
    };
    connect(txtRiyuu, &QPlainTextEdit::textChanged, lines, count);
    count();
    return box;
}

QGroupBox* frmInputMeisai::buildCertifier()
{
    auto* box = named(new QGroupBox(QStringLiteral("証明者")), QStringLiteral("証明者"), arrayName("fraMeisai", 3));
    fraMeisai[3] = box;
    auto* g = new QGridLayout(box);
    imTantou = named(new NumberInput(0, 2147483647), QStringLiteral("施術者番号"), QStringLiteral("imTantou"));
    imTantou->setFixedWidth(110);
    btnStaffSelect = button(QStringLiteral("検索"), QStringLiteral("btnStaffSelect"));
    btnStaffSelect->setMinimumWidth(70);
    txtTantou = display(QStringLiteral("施術者名"), QStringLiteral("txtTantou"), 180);
    imSyoumeiDay = named(new DateInput, QStringLiteral("証明日"), QStringLiteral("imSyoumeiDay"));
    auto* staff = new QHBoxLayout;
    staff->addWidget(imTantou);
    staff->addWidget(btnStaffSelect);
    staff->addStretch(1);
    g->addWidget(caption(QStringLiteral("施術者"), imTantou), 0, 0);
    g->addLayout(staff, 0, 1);
    g->addWidget(caption(QStringLiteral("施術者名"), txtTantou), 1, 0);
    g->addWidget(txtTantou, 1, 1);
    g->addWidget(caption(QStringLiteral("証明日"), imSyoumeiDay), 2, 0);
    g->addWidget(imSyoumeiDay, 2, 1, Qt::AlignLeft);
    g->setRowStretch(3, 1);
    return box;
}

// Tab follows the printed form: the symptoms where they are entered here, the evaluation, the
// comparison with the month before, the reason, the certifier, then the buttons. The hidden
// screen's controls are passed over.
void frmInputMeisai::setTabChain()
{
    std::vector<QWidget*> chain{chkKoushukuMahi[0], chkKoushukuMahi[1], chkKoushukuMahi[3], txtSyobyo[2]};
    for (const auto* group : movements())
        chain.insert(chain.end(), group->begin(), group->end());
    chain.insert(chain.end(), {optZenkaiUmu[0], optZenkaiUmu[1], cmbZenkaiHenka[0], imHyoukaDay[0]});
    chain.insert(chain.end(), picDamage.begin(), picDamage.end());
    chain.insert(chain.end(),
                 {optZenkaiUmuHK[0], optZenkaiUmuHK[1], cmbZenkaiHenka[1], imHyoukaDay[1], txtRiyuu, imTantou,
                  btnStaffSelect, imSyoumeiDay, btnRegist, btnCancel, btnGetZenkai});
    for (size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    for (QButtonGroup* group : findChildren<QButtonGroup*>())
        keepTabStopOnChecked(group);
}

std::array<std::array<QRadioButton*, 3>*, 5> frmInputMeisai::movements()
{
    return {&optNegaeri, &optOkiagari, &optZai, &optTachiagari, &OptRitsui};
}

std::array<const std::array<QRadioButton*, 3>*, 5> frmInputMeisai::movements() const
{
    return {&optNegaeri, &optOkiagari, &optZai, &optTachiagari, &OptRitsui};
}
