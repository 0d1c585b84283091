#pragma once

// Preparing the data folder: the initial database, the main database when
// it is missing, the postal database and the holiday files.

#include <QString>
#include <QStringList>

namespace sorvane::datafolder {

// Writes inidata.mdx, the main database in its initial state.
void writeInitialDatabase(const QString &fileName);

// Creates a new main database file in its initial state (the file must not exist).
void createMainDatabase(const QString &fileName);

struct InitResult {
    bool mainDbCreated = false;  // tegata.mdb was missing and is now a copy of inidata.mdx
    QStringList written;         // files written, for the tool's report
};

// Prepares a folder for the program: inidata.mdx, yubin.mdb and the holiday
// files 祝日2000.mdb to 祝日2060.mdb are written anew; tegata.mdb is created
// from inidata.mdx only when it is missing, so existing data are never
// overwritten. Throws DbError.
InitResult init(const QString &folder);

} // namespace sorvane::datafolder
