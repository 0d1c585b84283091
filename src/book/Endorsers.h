#pragma once

// The endorsers (裏書人) of a received bill: up to four, each at its position
// on the back of the bill.

#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane {

class Database;

namespace book {

struct Endorser {
    QString name;
    QString address;
};

// The four slots of the endorsement dialog, slot 1 first.
using EndorserSlots = QList<Endorser>;

// The bill's endorsers in position order (all of them, even beyond four).
QList<Endorser> endorsersOf(Database &db, qint64 billId);
// Their names alone, in position order.
QStringList endorserNames(Database &db, qint64 billId);

// Writes one row per slot with a name, at the slot's number (1 to 4); a slot
// with an address but no name is not written. One transaction: either every
// row is written or none.
void writeEndorsers(Database &db, qint64 billId, const EndorserSlots &given);

// Replaces the bill's rows with the slots, in one transaction: when anything
// fails the old rows stay.
void replaceEndorsers(Database &db, qint64 billId, const EndorserSlots &given);

// The endorsers' rows written inside a transaction the caller already holds.
void insertEndorserRows(Database &db, qint64 billId, const EndorserSlots &given);

} // namespace book
} // namespace sorvane
