#pragma once

// The bill search into the work table 検索結果, the pick lists of the search
// window, and the bills that fall due soon.

#include "book/Registers.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <vector>

namespace sorvane {

class Database;

namespace book {

enum class BillKind { Receivable, Payable };
// Which side of today's date the due date lies on; a bill due today is not yet due.
enum class DueSide { NotYetDue, PastDue, Both };

struct SearchCriteria {
    BillKind kind = BillKind::Receivable;
    DueSide side = DueSide::NotYetDue;
    // A number with * or ? is a pattern (any run, any one character) and
    // keeps the due side; without them it is the exact number, found
    // whatever its due date. Full-width letters and digits read as half-width.
    QString number;
    // Customer (receivable) or supplier (payable) code: a supplier's bills
    // are those issued to it and those handed on to it.
    QString partyCode;
    QString storagePlace; // receivable only
    QString drawer;
    QString endorser;
};

// Gives this connection its own 検索結果 on a server book, so that the
// searches of several clerks never empty each other's results. Nothing to
// do on a file book. Called once after the book is opened.
void prepareSearchTable(Database &db);

// Whether the text holds one of the two wildcards.
bool isNumberPattern(const QString &number);
// The number pattern as a LIKE pattern with '\' as escape character: * and ?
// become % and _, while a % , _ or \ that was typed matches itself.
QString likePattern(const QString &pattern);

// Empties 検索結果 and fills it with the bills that meet the criteria, in one
// transaction: on a failure the previous result stays. Empty criteria take
// no part. Returns the number of bills found.
int searchBills(Database &db, const SearchCriteria &criteria, const QDate &today);

QStringList storagePlaceNames(Database &db); // by name
QStringList receivableDrawers(Database &db); // distinct, without empty names
QStringList endorserNames(Database &db);     // distinct, without empty names

// The registered name of a customer or supplier code, or nothing.
std::optional<QString> partyName(Database &db, const PartyTable &table, const QString &code);

// The three lists of bills falling due soon.
enum class DueList {
    InHand,     // received bills in hand
    Issued,     // bills the company issued
    Dishonoured // received bills dishonoured
};

struct DueBill {
    qint64 id = 0; // D_手形.id
    QDate due;
    QString number;
    std::optional<QString> place; // nothing when the column is NULL
    qint64 amount = 0;
    QString party;
    bool electronic = false; // an electronic claim: its line is marked 電
};

// The bills of the list due from `from` to `to`, both days included,
// earliest first. Bills handed on to a supplier are in none of the lists.
QVector<DueBill> billsDue(Database &db, DueList list, const QDate &from, const QDate &to);
// The same for a list that reads only the lines it shows: the keys in list
// order, from the index alone, and the bills of some keys (a key whose bill
// is gone is left out; the order is not the keys').
QList<qint64> dueBillIds(Database &db, DueList list, const QDate &from, const QDate &to);
std::vector<DueBill> dueBillsOf(Database &db, const QList<qint64> &ids);

} // namespace book
} // namespace sorvane
