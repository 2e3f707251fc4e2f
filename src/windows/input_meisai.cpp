#include "input_meisai.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/error_message.h"
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
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// VB check values: 0 unticked, 1 ticked, 2 grey. Any other value set on a check box counts
// as ticked.
Qt::CheckState vbCheckState(long v)
{
    if (v == 0)
        return Qt::Unchecked;
    return v == 2 ? Qt::PartiallyChecked : Qt::Checked;
}

void setCheckValue(QCheckBox* c, long v)
{
    if (v == 2)
        c->setTristate(true);
    c->setCheckState(vbCheckState(v));
}

void tickWhenOne(QCheckBox* c, const QVariant& v)
{
    if (nNullToLong(v) == 1)
        c->setCheckState(Qt::Checked);
}

QString text(const AdoRecordset& rs, const char* name) { return csNullToStr(rs[QString::fromUtf8(name)]); }
long number(const AdoRecordset& rs, const char* name) { return nNullToLong(rs[QString::fromUtf8(name)]); }

// The chosen option's index, or -1.
int chosen(const std::array<QRadioButton*, 3>& group)
{
    for (int i = 0; i < 3; ++i)
        if (group[static_cast<size_t>(i)]->isChecked())
            return i;
    return -1;
}

// A stored date text into a date input: a text that is no date leaves it empty.
void setDateText(DateInput* input, const QVariant& stored)
{
    const auto d = vb::toDate(vb::trim(csNullToStr(stored)));
    if (d)
        input->setDate(d->date());
    else
        input->clearDate();
}

// Replaces the text as one edit the operator can undo; a stored text longer than the input
// takes is set whole.
void replaceUndoable(BoundedLineEdit* e, const QString& t)
{
    e->selectAll();
    e->insert(t);
    if (e->text() != t)
        e->setStoredText(t);
}

const char* const kHenka[] = {"", "悪化", "維持", "改善小", "改善中", "改善大"};

} // namespace

BoundedLineEdit* frmInputMeisai::symptomText() const { return static_cast<BoundedLineEdit*>(txtSyobyo[2]); }

void frmInputMeisai::storeError(const QString& routine, long number, const QString& description)
{
    m_lastError =
        routine + QStringLiteral("でエラー\r\n") + QString::number(number) + QStringLiteral("\r\n") + description;
}

short frmInputMeisai::iInit(long userId, const QString& month)
{
    try {
        m_userId = userId;
        m_month = month;
        const auto d = vb::toDate(month);
        m_monthDate = d ? d->date() : QDate();
        if (iControlInit() != 0) {
            platform().messageBox(m_lastError, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("確認"));
            return -1;
        }
        // Any failure of the load has been shown; an empty window must not be saved over
        // the stored row.
        if (iDataLoad() != 0)
            return -1;
        // The operator starts at the first evaluation of the screen in use.
        if (activeScreen() == 0)
            optNegaeri[static_cast<size_t>(std::max(0, chosen(optNegaeri)))]->setFocus();
        else
            picDamage[static_cast<size_t>(m_pain >= 0 && m_pain <= 10 ? m_pain : 0)]->setFocus();
        return 0;
    } catch (const VbRuntimeError& e) {
        storeError(QStringLiteral("iInit"), e.err.number, e.err.description);
        platform().messageBox(m_lastError, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("確認"));
        return -1;
    }
}

short frmInputMeisai::iControlInit()
{
    try {
        for (QLineEdit* e : {txtSejutsuMonth, txtSejutsuKbn, txtName, txtKana, txtSex, txtBirthday})
            e->clear();
        for (NumberInput* n : {numKaisu, numIDNo, numAge})
            n->setValue(0);
        for (QLineEdit* e : txtSyoryoDay)
            e->clear();
        txtSyobyo[0]->clear();
        txtSyobyo[1]->clear();
        symptomText()->setStoredText(QString());
        auto untick = [](auto& boxes) {
            for (QCheckBox* c : boxes) {
                c->setTristate(false);
                c->setCheckState(Qt::Unchecked);
            }
        };
        untick(chkKoushukuMahi);
        untick(chkBui1);
        untick(chkBui2);
        untick(chkHarikyu2);
        untick(chkSyouByo);
        for (auto* group : movements())
            (*group)[0]->setChecked(true);
        optZenkaiUmu[1]->setChecked(true);
        optZenkaiUmuHK[1]->setChecked(true);
        for (int i = 0; i < 2; ++i) {
            QComboBox* c = cmbZenkaiHenka[static_cast<size_t>(i)];
            c->clear();
            for (int k = 0; k < 6; ++k)
                c->addItem(QString::fromUtf8(kHenka[k]), k);
            c->setCurrentIndex(0);
            m_unlistedHenka[static_cast<size_t>(i)] = 0;
            imHyoukaDay[static_cast<size_t>(i)]->clearDate();
            imLastJissekiDay[static_cast<size_t>(i)]->clearDate();
            txtStaffName[static_cast<size_t>(i)]->clear();
        }
        txtRiyuu->setStoredText(QString());
        imTantou->clearValue();
        txtTantou->clear();
        imSyoumeiDay->clearDate();
        m_pain = 0;
        iSetNRS(0);

        // Displays and controls that store nothing take no input.
        auto disable = [](auto& boxes) {
            for (QCheckBox* c : boxes)
                c->setEnabled(false);
        };
        disable(chkBui1);
        disable(chkBui2);
        disable(chkHarikyu2);
        disable(chkSyouByo);
        chkKoushukuMahi[2]->setEnabled(false);

        QLineEdit* other = txtSyobyo[2];
        if (iHasSyoujouSonota == 1) {
            // The user master holds the symptoms; they are shown here, not edited.
            for (int i : {0, 1, 3})
                chkKoushukuMahi[static_cast<size_t>(i)]->setEnabled(false);
            other->setEnabled(false);
            other->setReadOnly(true);
            QPalette pal = other->palette();
            pal.setColor(QPalette::Base, QColor(0xF8, 0xF8, 0xF8));
            other->setPalette(pal);
        } else {
            chkKoushukuMahi[0]->setEnabled(gTZSVer == 1);
            chkKoushukuMahi[1]->setEnabled(gTZSVer == 1);
            chkKoushukuMahi[3]->setEnabled(true);
            other->setEnabled(true);
            other->setReadOnly(false);
            other->setPalette(QPalette());
        }
        screens->setCurrentIndex(0);
        return 0;
    } catch (const VbRuntimeError& e) {
        storeError(QStringLiteral("iControlInit"), e.err.number, e.err.description);
        return -1;
    }
}

short frmInputMeisai::iDataLoad()
{
    try {
        const Over16Read r = readMonthEntry(m_userId, m_month);
        if (r.failed)
            return 1;
        if (!r.row)
            return 0;
        for (AdoRecordset rs = *r.row; !rs.EOF_(); rs.MoveNext())
            applyMonthRow(rs);
        return 0;
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return -1;
    }
}

void frmInputMeisai::applyMonthRow(const AdoRecordset& rs)
{
    txtSejutsuMonth->setText(vb::format(m_monthDate, QStringLiteral("gggee年m月")));
    m_kind = static_cast<short>(number(rs, "iSejutsuKubun"));
    txtSejutsuKbn->setText(m_kind == 0 ? QStringLiteral("マッサージ") : QStringLiteral("鍼灸"));
    screens->setCurrentIndex(activeScreen());
    numIDNo->setValue(number(rs, "患者IDNo"));

    // In the anniversary month the count runs from the anniversary day.
    std::optional<short> count = static_cast<short>(number(rs, "施術回数"));
    const QString syoryo = vb::trim(text(rs, "tSyoryoDay"));
    if (const auto first = vb::toDate(syoryo); !syoryo.isEmpty() && first) {
        const QDate anniversary = vb::dateAddMonths(first->date(), 12);
        if (vb::format(m_monthDate, QStringLiteral("yyyy/mm")) == vb::format(anniversary, QStringLiteral("yyyy/mm")))
            count = iCountJissekiFromDay(m_userId, vb::format(anniversary, QStringLiteral("yyyy/mm/dd")));
    }
    const SejutuBui bui = iLoadSejutuBui(m_userId, vb::format(m_monthDate, QStringLiteral("yyyy/mm/dd")));
    if (bui.status == 0) {
        for (size_t i = 0; i < 5; ++i)
            if (bui.bui1[i])
                chkBui1[i]->setCheckState(Qt::Checked);
        for (size_t i = 0; i < 4; ++i)
            if (bui.bui2[i])
                chkBui2[i]->setCheckState(Qt::Checked);
        for (size_t i = 0; i < 3; ++i)
            if (bui.harikyu2[i] >= 1)
                setCheckValue(chkHarikyu2[i], bui.harikyu2[i]);
        if (!bui.lastDay.isEmpty()) {
            for (DateInput* d : imLastJissekiDay)
                setDateText(d, bui.lastDay);
        }
    }
    // A count that could not be read shows empty rather than a number never counted.
    if (count)
        numKaisu->setValue(*count);
    else
        numKaisu->clearValue();

    txtName->setText(text(rs, "cName"));
    txtKana->setText(text(rs, "cNameKana"));
    const long sex = number(rs, "iSex");
    txtSex->setText(sex == 1 ? QStringLiteral("男性") : sex == 2 ? QStringLiteral("女性") : QString());
    const QString birthday = vb::trim(text(rs, "tBirthDay"));
    if (!birthday.isEmpty()) {
        txtBirthday->setText(vb::formatValue(rs[QStringLiteral("tBirthDay")], QStringLiteral("gggee年m月d日")));
        iAgeCalc(birthday);
    }
    if (!syoryo.isEmpty()) {
        for (QLineEdit* e : txtSyoryoDay)
            e->setText(vb::formatValue(rs[QStringLiteral("tSyoryoDay")], QStringLiteral("gggee年m月d日")));
    }

    if (iHasSyoujouSonota == 1) {
        tickWhenOne(chkKoushukuMahi[0], rs[QStringLiteral("iMahi")]);
        tickWhenOne(chkKoushukuMahi[1], rs[QStringLiteral("iKoushuku")]);
        tickWhenOne(chkKoushukuMahi[3], rs[QStringLiteral("iSyoujouSonota")]);
        symptomText()->setStoredText(vb::trim(text(rs, "cSyoujouSonota")));
    } else {
        if (gTZSVer != 1) {
            tickWhenOne(chkKoushukuMahi[0], rs[QStringLiteral("iMahi")]);
            tickWhenOne(chkKoushukuMahi[1], rs[QStringLiteral("iKoushuku")]);
        }
        applySymptoms16(rs, gTZSVer == 1);
        symptomText()->setStoredText(vb::trim(text(rs, "cSyoujouSonota_16")));
    }

    const QString byoumei = vb::trim(text(rs, "cByoumei"));
    if (iHasDouiRec == 1) {
        applyDoui(getDouiRecord(m_userId, m_month));
        if (txtSyobyo[0]->text().isEmpty() && !byoumei.isEmpty())
            txtSyobyo[0]->setText(byoumei);
    } else {
        txtSyobyo[0]->setText(byoumei);
        if (iHasHKSyobyou07Flg == 1) {
            setCheckValue(chkSyouByo[0], number(rs, "iHKSyobyou07Flg"));
            for (int i = 1; i <= 6; ++i)
                setCheckValue(chkSyouByo[static_cast<size_t>(i)],
                              nNullToLong(rs[QStringLiteral("iHKSyobyou0%1Flg").arg(i)]));
            txtSyobyo[1]->setText(vb::trim(text(rs, "cHKSyobyouName")));
        } else {
            const long code = number(rs, "nHKSyobyouCd");
            if (code == 1) {
                chkSyouByo[0]->setCheckState(Qt::Checked);
                txtSyobyo[1]->setText(text(rs, "cHKSyobyouName"));
            } else if (code >= 2 && code <= 7) {
                chkSyouByo[static_cast<size_t>(code - 1)]->setCheckState(Qt::Checked);
            }
        }
    }

    applyEvaluation(rs);
    if (number(rs, "nKanjaID") >= 1)
        setUmu(number(rs, "iZenkaiHyoukaUmu"));
    setDateText(imHyoukaDay[0], rs[QStringLiteral("cHyoukaDay")]);
    setDateText(imHyoukaDay[1], rs[QStringLiteral("cHyoukaDay")]);
    txtRiyuu->setStoredText(text(rs, "cRiyuu"));
    if (const long staff = number(rs, "nStaffID"); staff >= 1) {
        imTantou->setValue(staff);
        txtTantou->setText(text(rs, "cSTAFFName"));
    }
    setDateText(imSyoumeiDay, rs[QStringLiteral("cSyoumeiDay")]);
    for (QLineEdit* e : txtStaffName)
        e->setText(text(rs, "cTANTOUName"));
}

// The movements, both change lists and the pain scale of a stored row (the load and the copy).
void frmInputMeisai::applyEvaluation(const AdoRecordset& rs)
{
    const char* const columns[] = {"iNegaeri", "iOkiagari", "iZai", "iTachiagari", "iRitsui"};
    const auto groups = movements();
    for (size_t i = 0; i < 5; ++i) {
        const long v = number(rs, columns[i]);
        if (v >= 0 && v <= 2)
            (*groups[i])[static_cast<size_t>(v)]->setChecked(true);
    }
    const long henka = number(rs, "iZenkaiHyoukaHenaka");
    setHenka(0, henka);
    setHenka(1, henka);
    m_pain = static_cast<short>(number(rs, "iNRS"));
    iSetNRS(m_pain);
}

void frmInputMeisai::applySymptoms16(const AdoRecordset& rs, bool withMahiKoushuku)
{
    if (withMahiKoushuku) {
        tickWhenOne(chkKoushukuMahi[0], rs[QStringLiteral("iMahi_16")]);
        tickWhenOne(chkKoushukuMahi[1], rs[QStringLiteral("iKoushuku_16")]);
    }
    tickWhenOne(chkKoushukuMahi[3], rs[QStringLiteral("iSyoujouSonota_16")]);
}

void frmInputMeisai::applyDoui(const DouiRecord& d)
{
    if (d.status != 0)
        return;
    txtSyobyo[0]->setText(d.byoumeiM);
    for (size_t i = 0; i < 7; ++i)
        setCheckValue(chkSyouByo[i], d.syouByo[i]);
    txtSyobyo[1]->setText(d.byoumeiH);
}

void frmInputMeisai::setHenka(int index, long value)
{
    QComboBox* c = cmbZenkaiHenka[static_cast<size_t>(index)];
    // A value the list does not hold shows no entry and is kept for the save.
    const bool listed = value >= 0 && value < c->count();
    c->setCurrentIndex(listed ? static_cast<int>(value) : -1);
    m_unlistedHenka[static_cast<size_t>(index)] = listed ? 0 : value;
}

void frmInputMeisai::setUmu(long value)
{
    if (value != 0 && value != 1)
        return;
    optZenkaiUmu[static_cast<size_t>(value)]->setChecked(true);
    optZenkaiUmuHK[static_cast<size_t>(value)]->setChecked(true);
}

short frmInputMeisai::iDataLoad_Zenkai()
{
    try {
        const Over16Read r = readPreviousEntry(m_userId, m_month);
        if (r.failed)
            return r.status == 1 ? 1 : -1;
        if (!r.row)
            return 0;
        const AdoRecordset& rs = *r.row;
        const QString m =
            QStringLiteral("%1/%2/01").arg(number(rs, "実績年")).arg(number(rs, "実績月"), 2, 10, QChar(u'0'));
        if (iHasDouiRec == 1)
            applyDoui(getDouiRecord(m_userId, m_month));
        applyEvaluation(rs);
        setUmu(number(rs, "iZenkaiHyoukaUmu"));
        if (iHasSyoujouSonota != 1) {
            applySymptoms16(rs, true);
            replaceUndoable(symptomText(), vb::trim(text(rs, "cSyoujouSonota_16")));
        }
        txtRiyuu->replaceStoredText(text(rs, "cRiyuu"));
        if (const long staff = number(rs, "nStaffID"); staff >= 1) {
            imTantou->setValue(staff);
            txtTantou->setText(text(rs, "cSTAFFName"));
        }
        if (m == vb::format(vb::dateAddMonths(m_monthDate, -1), QStringLiteral("yyyy/mm/01")))
            setUmu(0);
        return 0;
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return -1;
    }
}

void frmInputMeisai::iSetNRS(short index)
{
    m_painGroup->setExclusive(false);
    for (int i = 0; i <= 10; ++i) {
        QToolButton* b = picDamage[static_cast<size_t>(i)];
        const bool marked = i == index;
        b->setIcon(QIcon(m_picDefault[marked ? 1 : 0]));
        b->setChecked(marked);
    }
    m_painGroup->setExclusive(true);
}

void frmInputMeisai::pickPain(short index)
{
    m_pain = index;
    iSetNRS(index);
}

Over16Entry frmInputMeisai::entryValues() const
{
    Over16Entry v;
    const auto groups = movements();
    short* const values[] = {&v.iNegaeri, &v.iOkiagari, &v.iZai, &v.iTachiagari, &v.iRitsui};
    for (size_t i = 0; i < 5; ++i)
        *values[i] = static_cast<short>(std::max(0, chosen(*groups[i])));
    v.iNRS = m_pain;
    const size_t a = static_cast<size_t>(activeScreen());
    v.iZenkaiHyoukaUmu = (a == 0 ? optZenkaiUmu : optZenkaiUmuHK)[0]->isChecked() ? 0 : 1;
    const int henka = cmbZenkaiHenka[a]->currentIndex();
    v.iZenkaiHyoukaHenaka = static_cast<short>(henka >= 0 ? henka : m_unlistedHenka[a]);
    v.cRiyuu = txtRiyuu->storedText();
    v.cHyoukaDay = imHyoukaDay[a]->dateText();
    v.nStaffID = imTantou->value();
    v.cSyoumeiDay = imSyoumeiDay->dateText();
    v.iMahi = chkKoushukuMahi[0]->checkState() == Qt::Checked ? 1 : 0;
    v.iKoushuku = chkKoushukuMahi[1]->checkState() == Qt::Checked ? 1 : 0;
    v.iSyoujouSonota = chkKoushukuMahi[3]->checkState() == Qt::Checked ? 1 : 0;
    v.cSyoujouSonota = txtSyobyo[2]->text();
    return v;
}

short frmInputMeisai::refuse(const QString& message, QWidget* focus)
{
    platform().messageBox(message, MsgButtons::Ok, MsgIcon::Information, QStringLiteral("確認"));
    focus->setFocus();
    return 1;
}

// The form is printed through CP932: a character it lacks would print as "?".
bool frmInputMeisai::requireNothingUnprintable(QWidget* field, const QString& t)
{
    QStringList bad;
    for (const char32_t cp : t.toUcs4()) {
        const QString ch = QString::fromUcs4(&cp, 1);
        if (!fitsCp932(ch) && !bad.contains(ch))
            bad << ch;
    }
    if (bad.isEmpty())
        return true;
    refuse(QStringLiteral("次の文字は帳票に印刷できません。別の文字に置き換えてください。\r\n")
               + bad.join(QStringLiteral("　")),
           field);
    return false;
}

short frmInputMeisai::iInpDataCheck()
{
    try {
        const size_t a = static_cast<size_t>(activeScreen());
        const auto& umu = a == 0 ? optZenkaiUmu : optZenkaiUmuHK;
        if (umu[0]->isChecked() && cmbZenkaiHenka[a]->currentIndex() <= 0)
            return refuse(QStringLiteral("前月からの変化を設定してください。"), cmbZenkaiHenka[a]);
        if (imHyoukaDay[a]->holdsNoDate())
            return refuse(QStringLiteral("評価日を設定してください。"), imHyoukaDay[a]);
        if (txtRiyuu->storedText().isEmpty())
            return refuse(QStringLiteral("施術が必要な理由を入力してください。"), txtRiyuu);

        // Nothing typed may be dropped or altered on its way to the table and the form.
        if (!imSyoumeiDay->isBlank() && imSyoumeiDay->holdsNoDate())
            return refuse(QStringLiteral("証明日を正しく入力してください。"), imSyoumeiDay);
        const Over16Entry v = entryValues();
        if (const QString problem = over16EntryProblem(v); !problem.isEmpty())
            return refuse(problem, v.cRiyuu.size() > kRiyuuMaxLength ? static_cast<QWidget*>(txtRiyuu) : txtSyobyo[2]);
        if (!requireNothingUnprintable(txtRiyuu, v.cRiyuu))
            return 1;
        if (iHasSyoujouSonota != 1 && !requireNothingUnprintable(txtSyobyo[2], v.cSyoujouSonota))
            return 1;
        return 0;
    } catch (const VbRuntimeError& e) {
        storeError(QStringLiteral("iInpDataCheck"), e.err.number, e.err.description);
        platform().messageBox(m_lastError, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("確認"));
        return -1;
    }
}

short frmInputMeisai::iDataSave()
{
    const short check = iInpDataCheck();
    if (check != 0)
        return check;
    const Over16SaveResult r = saveOver16Entry(m_userId, m_month, entryValues());
    if (r.status != 0 && !r.unshownError.isEmpty()) {
        // The entry stays in the window; the operator must know it was not stored.
        m_lastError = r.unshownError;
        platform().messageBox(QStringLiteral("保存できませんでした。\r\n") + r.unshownError, MsgButtons::Ok,
                              MsgIcon::Exclamation, QStringLiteral("確認"));
    }
    return r.status;
}

short frmInputMeisai::iAgeCalc(const QString& birthday)
{
    const auto age = ageOn(birthday, QDate::currentDate());
    if (!age) {
        m_lastError = QStringLiteral("誕生日が不正です。");
        return -1;
    }
    numAge->setValue(*age);
    return 0;
}

void frmInputMeisai::lookUpStaff()
{
    try {
        txtTantou->setText(csInpKey_Staff(imTantou->value()));
    } catch (const VbRuntimeError& e) {
        platform().messageBox(QStringLiteral("numTantou_LostFocus()でエラー\r\n") + QString::number(e.err.number)
                                  + QStringLiteral("\r\n") + e.err.description,
                              MsgButtons::Ok, MsgIcon::Critical);
    }
}

void frmInputMeisai::vStaffSelect()
{
    cls施術者検索 search(this);
    const short r = search.iDspStart(0, -1);
    if (r == 0) {
        imTantou->setValue(search.nSeledCD);
        txtTantou->setText(search.csSeledName());
    } else if (r != 1) {
        platform().messageBox(QStringLiteral("施術者の検索に失敗しました") + search.CsErrStr(), MsgButtons::Ok,
                              MsgIcon::Critical);
    }
}

void frmInputMeisai::regist()
{
    if (iDataSave() == 0)
        done(QDialog::Accepted);
}

void frmInputMeisai::cancel() { done(QDialog::Rejected); }

void frmInputMeisai::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        // Esc never discards an entry.
        e->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // No default button: Enter presses only the button that has the focus.
        if (QWidget* f = focusWidget();
            f && f->isEnabled() && (qobject_cast<QPushButton*>(f) || qobject_cast<QToolButton*>(f)))
            static_cast<QAbstractButton*>(f)->click();
        e->accept();
        return;
    default: QDialog::keyPressEvent(e);
    }
}
