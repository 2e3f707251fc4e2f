#pragma once
// The main window as the command tests use it: loaded on the fixture installation with the
// start-up checks passed, the month set, the list extracted for everyone.
#include "mainwindow/main_window.h"

#include <QDate>
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
