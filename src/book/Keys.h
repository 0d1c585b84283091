#pragma once

// The long lists read their keys first and the fields of a line only when it
// is shown: the two halves of that, shared by every list of the book.

#include "data/Engine.h"

#include <QList>

#include <functional>

namespace sorvane::book {

// The first column of every row, as ids, in the statement's order.
QList<qint64> idsOf(Database &db, const QString &sql, const QVariantList &values = {});

// Runs the row function for every row of a select whose "%1" stands for the
// list of keys ("… where id in (%1)"); the keys are bound, never written into
// the statement. No keys, no statement.
void forEachRowOfKeys(Database &db, const QString &select, const QList<qint64> &ids,
                      const std::function<void(const RowView &)> &row);

} // namespace sorvane::book
