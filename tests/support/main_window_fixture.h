#pragma once
// The main window as the command tests use it: loaded on the fixture installation with the
// start-up checks passed, the month set, the list extracted for everyone.
#include "base/globals.h"
#include "base/text_file.h"
#include "support/list_fixture.h"
#include "widgets/grid_sort.h"
#include "widgets/month_edit.h"
#include "widgets/spread_grid.h"
#include "windows/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <array>
#include <memory>

using MainWindow = frmPrint利用者別月間実績表;

// A loaded window showing the month (nothing extracted yet).
std::unique_ptr<MainWindow> loadedMainWindow(const QDate& month);
// Chooses 全利用者 and extracts.
void extractEveryone(MainWindow& w);
// The grid row of a user number, 0 when not listed.
int rowOfUser(const MainWindow& w, long userNo);
// Ticks exactly the given users' rows.
void tickUsers(MainWindow& w, std::initializer_list<long> userNos);
// The two messages of a row refresh that failed, and nothing else.
void expectFailedRefresh(const RecordingPlatform& rec);

// The fixture installation with a main window and the files its commands write.
struct MainWindowTest : ListFixture {
    std::unique_ptr<MainWindow> w;

    // Loads a new window with the start-up checks' results; a valid month is then set.
    void load(const QDate& month = {}, std::array<short, 5> checks = {});
    // DATA/印刷設定.ini with the window's section and the lines.
    void writeSettings(const QStringList& lines = {}) const;
    QByteArray settingsBytes() const { return inst.readBytes(QStringLiteral("DATA/印刷設定.ini")); }
    QString settings() const;
    QString comFile() const; // TMP/WfdCom.dat
    QStringList tmpLines(const QString& name) const;
    int rowOf(long userNo) const { return rowOfUser(*w, userNo); }
};
