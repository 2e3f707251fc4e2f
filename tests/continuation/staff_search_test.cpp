// The practitioner search offscreen on fixture databases: the opening search, conditions
// matched literally, confirming and closing by buttons, keys (Enter too) and double clicks, failures.
#include "windows/staff_search.h"

#include "support/list_fixture.h"
#include "support/modal.h"
#include "support/recorded_messages.h"
#include "widgets/number_input.h"
#include "widgets/spread_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class StaffSearch : public ListFixtureVia {
protected:
    void SetUp() override
    {
        ListFixtureVia::SetUp();
        staff(3, "鈴木　三郎", "スズキ　サブロウ", "0");
        staff(1, "佐藤　一郎", "サトウ　イチロウ", "1"); // management ended
        staff(2, "高橋　二郎", "タカハシ　ジロウ", "NULL");
        staff(4, "他拠点　四郎", "タキョテン", "0", 4);
    }
    void staff(int id, const char* name, const char* kana, const char* ended, int kyotenEb = 3) const
    {
        sql({QStringLiteral(
                 "INSERT INTO STAFF (iKyotenCd, iKyotenEb, nIDNo, cName, cNameKana, iChusiFlg) VALUES (1, %1, %2, %3, "
                 "%4, %5)")
                 .arg(kyotenEb)
                 .arg(id)
                 .arg(u'\'' + QString::fromUtf8(name).replace(u'\'', QStringLiteral("''")) + u'\'',
                      u'\'' + QString::fromUtf8(kana) + u'\'', QString::fromLatin1(ended))});
    }
    // Shows the window (not modally) and waits for its opening search.
    void open(long code = 0)
    {
        w = std::make_unique<frm施術者検索>();
        ASSERT_EQ(w->iInit(code, 0, -1), 0);
        w->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->opened(); }, 5000));
    }
    QList<long> codes() const
    {
        QList<long> out;
        for (int r = 1; r <= w->spr_1ran->MaxRows(); ++r)
            out << static_cast<long>(w->spr_1ran->value(r, 1).toLongLong());
        return out;
    }
    std::unique_ptr<frm施術者検索> w;
};

TEST_P(StaffSearch, OpeningListsTheBranchsActivePractitionersAndEndedOnesOnRequest)
{
    open();
    EXPECT_EQ(codes(), (QList<long>{2, 3}));
    EXPECT_EQ(w->spr_1ran->text(2, 2) + u'|' + w->spr_1ran->text(2, 3), QStringLiteral("鈴木　三郎|スズキ　サブロウ"));
    EXPECT_EQ(QApplication::focusWidget(), w->in_SiboriID);
    EXPECT_EQ(rec.busyDepth, 0); // the load's hourglass is back
    EXPECT_TRUE(rec.messages.isEmpty());

    w->chkEndSejutsuha->setChecked(true);
    QTest::mouseClick(w->but_Read, Qt::LeftButton);
    EXPECT_EQ(codes(), (QList<long>{1, 2, 3}));
    QTest::keyClicks(w->in_SiboriID, QStringLiteral("3"));
    QTest::keyClick(w->in_SiboriID, Qt::Key_F4);
    EXPECT_EQ(codes(), (QList<long>{3}));
    w->in_SiboriID->setText(QStringLiteral("0"));
    w->search();
    EXPECT_EQ(codes(), (QList<long>{1, 2, 3})); // ID 0 or empty: no ID condition
    EXPECT_EQ(rec.busyDepth, 0);
}

TEST_P(StaffSearch, TypedConditionsMatchLiterallyAndTrailingBlanksCount)
{
    int id = 10;
    for (const char* name : {"50%割", "50円", "a_b", "axb", "[特]", "特"})
        staff(id++, name, "", "0");
    staff(16, "O'Neil", "オニール", "0");
    staff(17, "山田 花子", "ヤマダ　ハナコ", "0");
    staff(18, "山田花子", "ヤマダハナコ", "0");
    open();
    // Name and kana typed, the codes found, the name input after the search.
    using Case = std::tuple<const char*, const char*, QList<long>, const char*>;
    for (const auto& [name, kana, expected, shownName] :
         {Case{"%", "", {10}, "%"}, Case{"_", "", {12}, "_"}, Case{"[", "", {14}, "["}, Case{"'", "", {16}, "'"},
          Case{"O'Neil", "オニ", {16}, "O'Neil"}, Case{"' OR 1=1 --", "", {}, "' OR 1=1 --"},
          Case{"山田 ", "", {17}, "山田"}, Case{"山田", "ダハ", {18}, "山田"}, Case{"", "ヤマダ", {17, 18}, ""}}) {
        rec.clear();
        w->txt_SiboriName->setText(QString::fromUtf8(name));
        w->txt_SiboriKana->setText(QString::fromUtf8(kana));
        QTest::mouseClick(w->but_Read, Qt::LeftButton);
        EXPECT_EQ(codes(), expected) << name;
        EXPECT_EQ(w->txt_SiboriName->text(), QString::fromUtf8(shownName));
        EXPECT_EQ(w->but_Act[0]->isEnabled(), !expected.isEmpty());
        expectSaid(rec,
                   expected.isEmpty() ? QList<Said>{{"該当する施術者データがありません。", MsgIcon::Information, ""}}
                                      : QList<Said>{});
    }
}

TEST_P(StaffSearch, ConfirmingByKeyButtonOrDoubleClickAndClosingWithoutAChoice)
{
    // A code given on entry marks its row; F12 closes without a choice and keeps the code.
    cls施術者検索 search;
    search.nSeledCD = 3;
    whenModal<frm施術者検索>(
        [](frm施術者検索* d) {
            EXPECT_EQ(d->spr_1ran->activeRow(), 2);
            QTest::keyClick(d->spr_1ran, Qt::Key_F12);
        },
        [](frm施術者検索* d) { return d->opened(); });
    EXPECT_EQ(search.iDspStart(0, -1), 1);
    EXPECT_EQ(search.nSeledCD, 3);

    // F5 on the list, Enter on 確 定 or on a row confirm the active row.
    using Target = QWidget* (*)(frm施術者検索*);
    const std::pair<Qt::Key, Target> keys[] = {
        {Qt::Key_F5, [](frm施術者検索* d) -> QWidget* { return d->spr_1ran; }},
        {Qt::Key_Return, [](frm施術者検索* d) -> QWidget* { return d->but_Act[0]; }},
        {Qt::Key_Return, [](frm施術者検索* d) -> QWidget* { return d->spr_1ran; }}};
    for (const auto& [key, target] : keys) {
        cls施術者検索 byKey;
        whenModal<frm施術者検索>(
            [&](frm施術者検索* d) {
                d->spr_1ran->setActiveRow(2);
                target(d)->setFocus();
                QTest::keyClick(target(d), key);
                QTimer::singleShot(200, d, [d] { d->closeWithoutChoice(); }); // the key did nothing
            },
            [](frm施術者検索* d) { return d->opened(); });
        EXPECT_EQ(byKey.iDspStart(0, -1), 0) << key;
        EXPECT_EQ(std::pair(byKey.nSeledCD, byKey.csSeledName()), std::pair(3L, QStringLiteral("鈴木　三郎"))) << key;
    }

    // A heading double click does nothing; a row's confirms it.
    open();
    w->spr_1ran->onDoubleClick(0, 2);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->selectedFlag(), 0);
    // No active row: a beep and the warning; the window stays.
    w->spr_1ran->setCurrentCell(-1, -1);
    rec.clear();
    QTest::mouseClick(w->but_Act[0], Qt::LeftButton);
    expectSaid(rec, {{"有効な行が選択されていません！", MsgIcon::Exclamation, ""}});
    EXPECT_GE(rec.beeps, 1);
    EXPECT_TRUE(w->isVisible());
    w->spr_1ran->onDoubleClick(1, 2);
    EXPECT_FALSE(w->isVisible());
    long code = 0;
    QString name;
    w->vGetSeledInf(&code, &name);
    EXPECT_EQ(std::tuple(w->selectedFlag(), code, name), std::tuple(1, 2L, QStringLiteral("高橋　二郎")));
}

TEST_P(StaffSearch, EnterMovesOnFromInputsOnlyAndAFailedReadIsASystemError)
{
    open();
    // Help: the online help of topic 1, with the hourglass meanwhile.
    inst.writeBytes(QStringLiteral("Kovani.Ver"), "[OnlineHelp]\r\nADDRESS=https://help.example/\r\n");
    rec.maxBusyDepth = 0;
    w->mnDispHelp->trigger();
    EXPECT_EQ(rec.opened, QStringList{QStringLiteral("https://help.example/")});
    EXPECT_EQ(rec.maxBusyDepth, 1);
    EXPECT_EQ(rec.busyDepth, 0);

    w->txt_SiboriName->setFocus();
    QTest::keyClick(w->txt_SiboriName, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w->txt_SiboriKana);
    QTest::keyClick(w->txt_SiboriKana, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w->in_SiboriID);
    w->but_Read->setFocus();
    QTest::keyClick(w->but_Read, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w->but_Read);
    EXPECT_TRUE(w->isVisible());

    QFile::remove(inst.file(QStringLiteral("adodb.ini")));
    rec.clear();
    rec.beeps = 0;
    w->search();
    EXPECT_EQ(w->spr_1ran->MaxRows(), 0);
    EXPECT_FALSE(w->but_Act[0]->isEnabled());
    expectSaid(rec, {{"iDsp1ranSub() でエラー\r\n…"}, {"システムエラーが発生しました！\r\r…", MsgIcon::Critical}});
    EXPECT_EQ(rec.beeps, 3);
    EXPECT_EQ(rec.busyDepth, 0);
    EXPECT_TRUE(w->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Drivers, StaffSearch, ::testing::Values(Via::Embedded, Via::Odbc), viaName);

} // namespace
