#pragma once

// Preparing the data folder: the initial database, the main database when
// it is missing, the postal database and the holiday files.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace sorvane::datafolder {

// The environment variable that names a data folder, e.g. one shared by
// several clerks.
inline const QString kFolderVariable = QStringLiteral("SORVANE_DATA");

// Where the chosen folder came from, strongest first.
enum class FolderOrigin {
    CommandLine, // --folder DIR
    Environment, // SORVANE_DATA
    OwnFolder,   // the program's folder, which carries the marker file
    UserData,    // $XDG_DATA_HOME/Sorvane, for an installed program
};

// What the choice of the data folder rests on. processFacts reads them
// from the running process; tests write their own.
struct FolderFacts {
    QString typed;       // --folder as typed; empty when not given
    QString environment; // SORVANE_DATA; empty when not set
    QString programFolder;
    bool programFolderMarked = false; // the marker file lies in programFolder
    QString xdgDataHome;              // $XDG_DATA_HOME; empty when not set
    QString home;
};

struct FolderChoice {
    QString path; // absolute and clean
    FolderOrigin origin = FolderOrigin::UserData;
};

FolderFacts processFacts(const QString &programFolder, const QString &typed = {});

// The command line wins, then SORVANE_DATA, then the default: the
// program's folder when it is marked, else the user's data folder.
// Relative paths are taken from the current folder.
FolderChoice chooseFolder(const FolderFacts &facts);

// The command that prepares the chosen folder, to name when the book is
// missing: plain "sorvane-admin init" where the tool picks the same folder
// by itself, else with --folder.
QString prepareCommand(const FolderChoice &choice, const QString &programFolder);

// Creates the user's data folder with the folders above it (a new user
// may not even have ~/.local/share). Throws DbError saying why not.
void createWithParents(const QString &folder);

// Why the folder cannot be created, and what to do instead.
QString cannotCreateMessage(const QString &folder);

// Writes inidata.mdx, the main database in its initial state.
void writeInitialDatabase(const QString &fileName);

// Creates a new main database file in its initial state (the file must not exist).
void createMainDatabase(const QString &fileName);

struct InitResult {
    bool mainDbCreated = false; // tegata.mdb was missing and is now a copy of inidata.mdx
    QStringList written;        // files written, other than holiday files
    QStringList kept;           // files that were there and were left as they were
    QList<int> writtenHolidayYears;
    QList<int> keptHolidayYears;
    bool compactWorkFileLeft = false; // temp.mdb lies beside an existing tegata.mdb
};

// Whether the folder holds temp.mdb but no tegata.mdb: an interrupted
// compaction left the only copy of the data in temp.mdb.
bool dataOnlyInCompactWorkFile(const QString &folder);

// What to say when dataOnlyInCompactWorkFile holds.
QString compactWorkFileMessage(const QString &folder);

// Prepares a folder for the program. The folder itself is created when
// missing, but never the folders above it. inidata.mdx, yubin.mdb and the
// holiday files 祝日2000.mdb to 祝日2060.mdb are written when missing, and
// anew only with force (a company may have added its own closing days to a
// holiday file). tegata.mdb is created from inidata.mdx only when missing
// and is never rewritten. Refuses, changing nothing, when temp.mdb holds
// the only copy of the data. Throws DbError.
InitResult init(const QString &folder, bool force = false);

// Writes the holiday files of from..to into an existing folder, keeping
// the files that exist unless force; done is told of each year as it is
// finished. Throws DbError (the files finished before stay complete).
void prepareHolidayFiles(const QString &folder, int from, int to, bool force,
                         const std::function<void(int year, bool written)> &done);

} // namespace sorvane::datafolder
