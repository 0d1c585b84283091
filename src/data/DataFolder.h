#pragma once

// Preparing the data folder: the initial database, the main database when
// it is missing, the postal database and the holiday files.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace sorvane::datafolder {

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
