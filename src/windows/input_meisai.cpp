#include "input_meisai.h"

#include "base/globals.h"
#include "base/opl_string.h"
#include "base/text_file.h"
#include "base/vb.h"
#include "base/vb_error.h"
#include "common/error_message.h"
#include "continuation/entry_data.h"
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

void tickWhen(QCheckBox* c, bool tick)
{
    if (tick)
        c->setCheckState(Qt::Checked);
}

// The chosen option's index, or -1.
int chosen(const std::array<QRadioButton*, 3>& group)
{
    for (int i = 0; i < 3; ++i)
        if (group[static_cast<size_t>(i)]->isChecked())
            return i;
    return -1;
}

// A stored date text into a date input: a text that is no date leaves it empty.
void setDateText(DateInput* input, const QString& stored)
{
    const auto d = vb::toDate(vb::trim(stored));
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

short frmInputMeisai::showLastError()
{
    platform().messageBox(m_lastError, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("確認"));
    return -1;
}

short frmInputMeisai::iInit(long userId, const QString& month)
{
    try {
        m_userId = userId;
        m_month = month;
        const auto d = vb::toDate(month);
        m_monthDate = d ? d->date() : QDate();
        if (iControlInit() != 0)
            return showLastError();
        // Any failure of the load has been shown; an empty window must not be saved over
        // the stored row.
        if (iDataLoad() != 0)
            return -1;
        markSaved();
        // The operator starts at the first evaluation of the screen in use.
        if (activeScreen() == 0)
            optNegaeri[static_cast<size_t>(std::max(0, chosen(optNegaeri)))]->setFocus();
        else
            picDamage[static_cast<size_t>(m_pain >= 0 && m_pain <= 10 ? m_pain : 0)]->setFocus();
        return 0;
    } catch (const VbRuntimeError& e) {
        storeError(QStringLiteral("iInit"), e.err.number, e.err.description);
        return showLastError();
    }
}

short frmInputMeisai::iControlInit()
{
    try {
        clearControls();
        setInputStates();
        screens->setCurrentIndex(0);
        return 0;
    } catch (const VbRuntimeError& e) {
        storeError(QStringLiteral("iControlInit"), e.err.number, e.err.description);
        return -1;
    }
}

void frmInputMeisai::clearControls()
{
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
}

// Displays and controls that store nothing take no input; the symptoms are edited here only
// while the entry holds them.
void frmInputMeisai::setInputStates()
{
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
}

short frmInputMeisai::iDataLoad()
{
    try {
        const Over16Read r = readMonthEntry(m_userId, m_month);
        if (r.failed)
            return 1;
        m_seen = r.stored;
        if (!r.row)
            return 0;
        for (AdoRecordset rs = *r.row; !rs.EOF_(); rs.MoveNext())
            applyMonthEntry(monthEntryData(rs, m_userId, m_month));
        return 0;
    } catch (const VbRuntimeError& e) {
        showErrorDescription(e.err);
        return -1;
    }
}

void frmInputMeisai::applyMonthEntry(const MonthEntryData& d)
{
    txtSejutsuMonth->setText(vb::format(m_monthDate, QStringLiteral("gggee年m月")));
    m_kind = d.kind;
    txtSejutsuKbn->setText(m_kind == 0 ? QStringLiteral("マッサージ") : QStringLiteral("鍼灸"));
    screens->setCurrentIndex(activeScreen());
    numIDNo->setValue(d.userNo);
    applyAreas(d.areas);
    // A count that could not be read shows empty rather than a number never counted.
    if (d.count)
        numKaisu->setValue(*d.count);
    else
        numKaisu->clearValue();

    txtName->setText(d.name);
    txtKana->setText(d.kana);
    txtSex->setText(d.sex == 1 ? QStringLiteral("男性") : d.sex == 2 ? QStringLiteral("女性") : QString());
    if (!d.birthday.isEmpty()) {
        txtBirthday->setText(d.birthdayText);
        iAgeCalc(d.birthday);
    }
    if (!d.firstTreatmentText.isEmpty()) {
        for (QLineEdit* e : txtSyoryoDay)
            e->setText(d.firstTreatmentText);
    }
    applySymptoms(d.symptoms);
    symptomText()->setStoredText(d.symptoms.other);
    applyDiagnoses(d.diagnoses);
    if (txtSyobyo[0]->text().isEmpty() && !d.massageFallback.isEmpty())
        txtSyobyo[0]->setText(d.massageFallback);

    applyEvaluation(d.evaluation);
    if (d.zenkaiUmu)
        setUmu(*d.zenkaiUmu);
    setDateText(imHyoukaDay[0], d.evaluationDay);
    setDateText(imHyoukaDay[1], d.evaluationDay);
    txtRiyuu->setStoredText(d.reason);
    applyCertifier(d.certifier);
    setDateText(imSyoumeiDay, d.certificationDay);
    for (QLineEdit* e : txtStaffName)
        e->setText(d.tantouName);
}

void frmInputMeisai::applyAreas(const SejutuBui& bui)
{
    if (bui.status != 0)
        return;
    for (size_t i = 0; i < 5; ++i)
        tickWhen(chkBui1[i], bui.bui1[i]);
    for (size_t i = 0; i < 4; ++i)
        tickWhen(chkBui2[i], bui.bui2[i]);
    for (size_t i = 0; i < 3; ++i)
        if (bui.harikyu2[i] >= 1)
            setCheckValue(chkHarikyu2[i], bui.harikyu2[i]);
    if (!bui.lastDay.isEmpty()) {
        for (DateInput* d : imLastJissekiDay)
            setDateText(d, bui.lastDay);
    }
}

// The movements, both change lists and the pain scale of a stored row (the load and the copy).
void frmInputMeisai::applyEvaluation(const EntryEvaluation& e)
{
    const auto groups = movements();
    for (size_t i = 0; i < 5; ++i) {
        const long v = e.movements[i];
        if (v >= 0 && v <= 2)
            (*groups[i])[static_cast<size_t>(v)]->setChecked(true);
    }
    setHenka(0, e.henka);
    setHenka(1, e.henka);
    m_pain = e.nrs;
    iSetNRS(m_pain);
}

void frmInputMeisai::applySymptoms(const EntrySymptoms& s)
{
    tickWhen(chkKoushukuMahi[0], s.mahi);
    tickWhen(chkKoushukuMahi[1], s.koushuku);
    tickWhen(chkKoushukuMahi[3], s.otherTick);
}

void frmInputMeisai::applyDiagnoses(const EntryDiagnoses& d)
{
    if (d.massage)
        txtSyobyo[0]->setText(*d.massage);
    for (size_t i = 0; i < 7; ++i)
        if (d.acupuncture[i])
            setCheckValue(chkSyouByo[i], *d.acupuncture[i]);
    if (d.acupunctureOther)
        txtSyobyo[1]->setText(*d.acupunctureOther);
}

void frmInputMeisai::applyCertifier(const EntryStaff& staff)
{
    if (staff.id < 1)
        return;
    imTantou->setValue(staff.id);
    txtTantou->setText(staff.name);
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
        const PreviousEntryData d = previousEntryData(*r.row, m_userId, m_month);
        applyDiagnoses(d.diagnoses);
        applyEvaluation(d.evaluation);
        setUmu(d.zenkaiUmu);
        if (d.symptoms) {
            applySymptoms(*d.symptoms);
            replaceUndoable(symptomText(), d.symptoms->other);
        }
        txtRiyuu->replaceStoredText(d.reason);
        applyCertifier(d.certifier);
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
        Over16Field field = Over16Field::Riyuu;
        if (const QString problem = over16EntryProblem(v, &field); !problem.isEmpty())
            return refuse(problem, field == Over16Field::Riyuu ? static_cast<QWidget*>(txtRiyuu) : txtSyobyo[2]);
        if (!requireNothingUnprintable(txtRiyuu, v.cRiyuu))
            return 1;
        if (iHasSyoujouSonota != 1 && !requireNothingUnprintable(txtSyobyo[2], v.cSyoujouSonota))
            return 1;
        return 0;
    } catch (const VbRuntimeError& e) {
        storeError(QStringLiteral("iInpDataCheck"), e.err.number, e.err.description);
        return showLastError();
    }
}

short frmInputMeisai::iDataSave()
{
    const short check = iInpDataCheck();
    if (check != 0)
        return check;
    Over16SaveResult r;
    {
        BusyCursor busy;
        r = saveOver16Entry(m_userId, m_month, entryValues(), m_seen);
    }
    if (r.status == 0)
        markSaved();
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

void frmInputMeisai::cancel()
{
    if (!hasUnsavedChanges()) {
        done(QDialog::Rejected);
        return;
    }
    switch (platform().messageBox(QStringLiteral("入力内容が保存されていません。保存しますか？"),
                                  MsgButtons::YesNoCancel, MsgIcon::Question, QStringLiteral("確認"))) {
    case MsgResult::Yes:
        // A refused or failed save keeps the window open with the entry.
        regist();
        return;
    case MsgResult::No: done(QDialog::Rejected); return;
    default: return;
    }
}

QStringList frmInputMeisai::typedTexts() const
{
    return {imHyoukaDay[0]->displayText(), imHyoukaDay[1]->displayText(), imSyoumeiDay->displayText(),
            imTantou->text()};
}

void frmInputMeisai::markSaved()
{
    m_savedValues = entryValues();
    m_savedTexts = typedTexts();
}

bool frmInputMeisai::hasUnsavedChanges() const
{
    return entryValues() != m_savedValues || typedTexts() != m_savedTexts;
}

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
