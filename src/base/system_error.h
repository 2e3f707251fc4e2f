#pragma once
// System error numbers (errno) as the reasons the program's Japanese messages give.
#include <QString>

// A short reason without final punctuation, such as "アクセス権がありません".
QString systemErrorText(int error);

// Empty when a new file can be made in the folder (one is made and removed again); otherwise
// the reason it cannot, as systemErrorText gives it.
QString folderWriteProblem(const QString& folder);
