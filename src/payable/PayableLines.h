#pragma once

// The fixed-width lines of the payable windows and the account pick list
// they share.

#include "book/Payables.h"

#include <QString>
#include <QVector>

class QComboBox;

namespace sorvane {

struct AccountSlot;

namespace payable {

// A candidate of the entry window: the amount right-aligned in 14, two
// spaces, the due date "yy/mm/dd", two spaces, the drawer.
QString candidateLine(const book::Candidate &c);

// A line of the payable list and of the payable search result: the marker
// (a half-width and an ideographic space for an issued bill, "譲" for a
// handed-on one), the number, two spaces, the due date "mm/dd" (empty when
// the bill has none), a space, the
// amount right-aligned in 12, two spaces, the party.
QString payableLine(const book::PayableLine &l);

// The marker that opens the line of a handed-on bill.
extern const QString kHandedOnMarker;
extern const QString kElectronicMarker; // a line of an electronic claim

// Fills the combo box with a line per checking account of the cache and
// returns, for each line, the position of its account in the cache.
QVector<int> fillAccountPicks(QComboBox *combo, const QVector<AccountSlot> &cache, int count);

} // namespace payable
} // namespace sorvane
