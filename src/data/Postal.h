#pragma once

// yubin.mdb: the prefectures, and per prefecture its towns with a postal code.

#include <QString>
#include <QStringList>

namespace sorvane {

class Database;

namespace postal {

// Builds yubin.mdb from the postal data the program carries. The file is
// written beside the target and moved into place when complete.
void buildPostalDatabase(const QString &fileName);

// The prefecture names in their list order.
QStringList prefectures(Database &yubin);

// The towns of a prefecture in postal-code order (one entry per row). The
// name is used as a table name only when table 県 lists it; any other text
// is refused with a DbError that says so.
QStringList towns(Database &yubin, const QString &prefecture);

} // namespace postal
} // namespace sorvane
