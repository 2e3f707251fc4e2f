#pragma once
// The command file WfdCom.dat: one command per line, "Word,arg,arg…".
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Splits one command line at commas outside double quotes. Inside quotes "" is one quote;
// blanks after a comma (and around unquoted arguments) are dropped. The first element is
// the command word.
QStringList splitCommandLine(const QString& line);

enum class ViewerAction { None, Preview, PrintOut, PrintDialog };

struct DataSource {
    QString name;
    QString path;          // native path
    bool hasHeader = true; // false for the ",,,1" form
    QChar delimiter = u',';
    QChar quote = u'"';
};

struct ItemValue {
    QString name; // "A.B.C" as written
    QString value;
};

// One report of a merge command file: its data and its layout.
struct MergeReport {
    QList<DataSource> data;
    QString layoutPath;
};

struct CommandFile {
    QString layoutPath; // native path
    QString title;
    QList<DataSource> data;
    double offsetXmm = 0; // PrintOffsetX/Y are in 0.1 mm
    double offsetYmm = 0;
    int zoomPercent = 100;
    int repeatStart = 0; // first detail row slot on the first page (1-based); 0 none
    QString paper;       // "A4", "A5", "B5"; empty: the layout's own size
    QList<ItemValue> items;
    ViewerAction action = ViewerAction::None;

    // Merge commands (setTitle, setreport, AddReport).
    bool merge = false;
    QString mergeTitle;
    QList<MergeReport> reports;

    // One clear message per line that was not understood; the rest still takes effect.
    QStringList problems;
};

// Interprets the decoded text of a command file.
CommandFile parseCommandText(const QString& text);

// Reads a whole input file; *error says which file (what: "コマンドファイル", "レイアウト"…)
// and whether it is missing or unreadable.
bool readViewerFile(const QString& path, const QString& what, QByteArray* bytes, QString* error);

// Reads a command file (CP932 unless it has a byte-order mark). False with *error set
// when it cannot be read.
bool readCommandFile(const QString& path, CommandFile* out, QString* error);
