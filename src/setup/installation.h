#pragma once
// Installation folders. The program reads its settings from its own folder and writes its
// temporary files there, so each office (or user) runs its own copy of the program in a
// folder laid out like the suite's: the program and the viewer with its three old names,
// Massage.ini, adodb.ini, the folders Massage.ini names (TMP, SYS, DATA, ICON), the layouts
// in SYS, the print settings in DATA. Nothing that exists is overwritten: a folder of the
// suite that already holds settings gains only what it lacks. Names are matched as on
// Windows: a file or folder that exists in another case is the one used.
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

// Where the files of a set-up come from.
struct SetupSources {
    QString program;       // monthly-records
    QString viewer;        // report-viewer
    QString layoutsDir;    // *.wfd
    QString wallpaper;     // wallpaper.png
    QString templatesDir;  // settings files in UTF-8 (converted when written)
    QString demoGenerator; // monthly-demo-data
    QString icon;          // the desktop entry's icon
};
// The sources of an installed tree: the setup command's own folder (program, viewer, SYS,
// ICON, the generator) and <folder>/../share/monthly-records (templates, icon).
SetupSources installedSources(const QString& setupFolder);

struct FileOwner {
    uid_t uid = 0;
    gid_t gid = 0;
};

struct SetupOptions {
    QString target;            // the installation folder
    QString from;              // an office's folder whose settings and layouts are copied (--from)
    bool demo = false;         // an embedded database with generated data
    bool update = false;       // replace a program, viewer or layout that differs from the sources
    bool desktopEntry = false; // write a desktop entry for the folder
    QString applicationsDir;   // where the desktop entry goes
    // Who gets what the run makes (the invoking user of sudo): in the folder, and for the entry.
    std::optional<FileOwner> folderOwner;
    std::optional<FileOwner> entryOwner;
};

struct SetupReport {
    QStringList created;  // paths
    QStringList copied;   // paths copied byte for byte from the office's folder (--from)
    QStringList replaced; // paths (--update)
    QStringList differs;  // paths kept although they differ from the sources
    QStringList notes;    // what the operator should know or do
    QString desktopEntry; // the entry's path (--desktop)
    QString error;        // not empty: the set-up stopped here
};

// Lays out the folder. False with report->error set when something could not be created;
// what was created before stays (and is listed).
bool setUpInstallation(const SetupSources& sources, const SetupOptions& options, SetupReport* report);

// The text of a desktop entry that starts the folder's program with processing mode 1.
QString desktopEntryText(const QString& programFolder, const QString& iconPath);
// The file name of that entry in an applications folder: one per installation folder.
QString desktopEntryFileName(const QString& programFolder);

// The lines the command prints for a report.
QStringList reportLines(const SetupReport& report);
