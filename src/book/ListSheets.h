#pragma once

// The bill lists of the windows on paper: every bill of the list in the
// list's order, with the columns a clerk checks the paper against.

#include "book/Sheet.h"

#include <QDate>
#include <QList>

namespace sorvane {

class Database;

namespace book {

// 受取手形一覧: the received bills of the list, by the keys in list order.
Sheet receivableListSheet(Database &db, const QList<qint64> &ids, const QDate &today);

// 支払手形一覧: issued and handed-on bills of the list, by the keys in list order.
Sheet payableListSheet(Database &db, const QList<qint64> &ids, const QDate &today);

} // namespace book
} // namespace sorvane
