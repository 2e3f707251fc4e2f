#pragma once
// A record of the SQL texts handed to cT_ADODB (iOpenRecSet, iExecSQL), in order, as the
// program wrote them (before any translation). Off unless enabled; tests count and inspect
// what a routine sends.
#include <QString>
#include <QStringList>

namespace statementlog {

void setEnabled(bool on); // on: starts empty
bool enabled();
void record(const QString& sql);
QStringList texts();
void clear();

// Enabled for a scope, empty at its start; disabled again at its end.
struct Scope {
    Scope() { setEnabled(true); }
    ~Scope() { setEnabled(false); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

} // namespace statementlog
