#pragma once
// modHelp: the suite's online help in the system's browser. The address comes from the
// version file Kovani.Ver (section OnlineHelp, key ADDRESS); the map-service account of
// EmapUser.ini, when present, goes into the query with the topic.
#include <QString>

// The help address of the last load (program-wide, replaced on every use).
inline QString gHelpAddress;

// Loads the help address: -1 when Kovani.Ver cannot be opened, else 0 (an ADDRESS that does
// not start with "http" gives an empty address).
short iLoadHelpAddress();

// Reads EmapUser.ini (CP932): the fields after "ZENRIN_USER=" and "ZENRIN_PWD=", the last of
// each kind winning. -1 when the file cannot be read.
short iReadHelpAccount(QString* user, QString* password);

// The address the browser is given: the address percent-encoded where it has to be (blanks,
// "|", non-ASCII), with the account's query for a topic before any "#fragment" (each value
// reversed and percent-encoded, "&lk=" the topic, 1 when below 1). Without an account the
// address alone; empty when the address cannot be made valid.
QString helpAddressWithQuery(const QString& address, bool haveAccount, const QString& user, const QString& password,
                             short topic);

// Opens the help of a topic in the browser; a missing version file is reported.
void vOnlineHelp(short topic);
