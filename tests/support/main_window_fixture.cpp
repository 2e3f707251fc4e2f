#include "main_window_fixture.h"

#include "base/text_file.h"
#include "widgets/month_edit.h"
#include "widgets/spread_grid.h"

#include <QRadioButton>
#include <algorithm>

std::unique_ptr<MainWindow> loadedMainWindow(const QDate& month)
{
    auto w = std::make_unique<MainWindow>();
    for (auto& check : w->startupChecks)
        check = [] { return short(0); };
    w->load();
    w->imD_Out->setMonth(month);
    return w;
}

void extractEveryone(MainWindow& w)
{
    w.optSerchSel[4]->click();
    w.extract();
}

int rowOfUser(const MainWindow& w, long userNo)
{
    for (int r = 1; r <= w.grdData->MaxRows(); ++r)
        if (w.grdData->value(r, colIDNo).toLongLong() == userNo)
            return r;
    return 0;
}

void tickUsers(MainWindow& w, std::initializer_list<long> userNos)
{
    for (int r = 1; r <= w.grdData->MaxRows(); ++r) {
        const long id = static_cast<long>(w.grdData->value(r, colIDNo).toLongLong());
        w.grdData->setValue(r, colSel, std::find(userNos.begin(), userNos.end(), id) != userNos.end() ? 1 : 0);
    }
}

void MainWindowTest::load(const QDate& month, std::array<short, 5> checks)
{
    w = std::make_unique<MainWindow>();
    for (size_t i = 0; i < checks.size(); ++i)
        w->startupChecks[i] = [r = checks[i]] { return r; };
    w->load();
    if (month.isValid())
        w->imD_Out->setMonth(month);
}

void MainWindowTest::writeSettings(const QStringList& lines) const
{
    inst.writeBytes(QStringLiteral("DATA/印刷設定.ini"),
                    cp932Lines(QStringList{QStringLiteral("[利用者別月間実績表]")} + lines));
}

QString MainWindowTest::settings() const { return decodeCp932(settingsBytes()); }

QString MainWindowTest::comFile() const { return decodeCp932(inst.readBytes(QStringLiteral("TMP/WfdCom.dat"))); }

QStringList MainWindowTest::tmpLines(const QString& name) const
{
    return splitLines(decodeCp932(inst.readBytes(QStringLiteral("TMP/") + name)));
}

void expectFailedRefresh(const RecordingPlatform& rec)
{
    ASSERT_EQ(rec.messages.size(), 2);
    EXPECT_TRUE(rec.messages[0].text.startsWith(QStringLiteral("iDataLoad_16OVER_UMU() でエラー")));
    EXPECT_EQ(rec.messages[1].text, QStringLiteral("再表示に失敗しました。"));
    EXPECT_EQ(rec.messages[1].title, QStringLiteral("確認"));
    EXPECT_EQ(rec.messages[1].icon, MsgIcon::None);
}
