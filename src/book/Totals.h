#pragma once

// What the company has outstanding: the received bills reserved (handed on
// or discounted) and not yet due on a date, as a balance sheet's notes
// need them; and the bills of each month by state, by due date or by
// booking date.

#include "book/Sheet.h"

#include <QDate>
#include <QList>
#include <QString>

#include <array>
#include <vector>

namespace sorvane {

class Database;

namespace book {

// ---------------------------------------------------------------- reserved bills

struct ReservedBill {
    qint64 billId = 0;
    bool discounted = false;  // else handed on
    QString counterpartyCode; // the bank's code or the supplier's
    QString counterparty;     // the bank or the supplier
    QDate reservedOn;         // the day of the discount or hand-on
    QString number;
    QString party;  // the customer the bill came from
    QString drawer; // 振出人
    QDate due;
    qint64 amount = 0;
    bool electronic = false; // an electronic claim
};

struct Reservations {
    QDate asOf;
    std::vector<ReservedBill> bills; // discounted first, then by counterparty, due date, number
    qint64 discounted = 0;           // 割引高, bills and claims
    qint64 handedOn = 0;             // 裏書譲渡高, bills and claims
    int discountedCount = 0;
    int handedOnCount = 0;
    // Of those, the electronic claims': the balance sheet notes them apart
    // from the paper bills (電子記録債権割引高, 電子記録債権譲渡高).
    qint64 claimsDiscounted = 0;
    qint64 claimsHandedOn = 0;
    int claimsDiscountedCount = 0;
    int claimsHandedOnCount = 0;
};

// The note of the balance sheet for the discounted (or the handed-on):
// "受取手形割引高 150,000 円（1 件）", with the claims' own beside it when
// there are any ("電子記録債権割引高 …").
QString reservedNote(const Reservations &r, bool discounted);

// The received bills that at the end of the day were discounted or handed
// on and due on it or later, by the history of each bill: a bill settled,
// dishonoured or taken back by that day is not reserved on it.
Reservations reservedBills(Database &db, const QDate &asOf);
// A line per bill, a subtotal after each bank and receiver, the two totals last.
Sheet reservedSheet(const Reservations &r);

// ---------------------------------------------------------------- totals by month

enum class TotalsBy { Due, Booking };

// Whose bills are counted.
struct PartyChoice {
    enum class Kind { All, Customer, Supplier } kind = Kind::All;
    QString code;
};

// "すべての取引先", then every customer and every supplier, as the window offers them.
struct PartyOption {
    QString label;
    PartyChoice choice;
};
QList<PartyOption> partyOptions(Database &db);

enum class ReceivedState { InHand, Discounted, HandedOn, Dishonoured, Settled };
constexpr int kStates = 5;
QString stateText(ReceivedState state);

struct Tally {
    int count = 0;
    qint64 amount = 0;
    void add(int n, qint64 a)
    {
        count += n;
        amount += a;
    }
    void add(const Tally &t) { add(t.count, t.amount); }
};

struct TotalsMonth {
    QDate month;
    std::array<Tally, kStates> received{}; // by state
    Tally receivedAll{};
    Tally issued{};
};

struct Totals {
    TotalsBy by = TotalsBy::Due;
    PartyChoice party;
    QList<TotalsMonth> months;
    TotalsMonth sum;
};

// Received bills by their state now and issued bills, per month of their
// due date or booking date, for the span; bills of the chosen party only
// (a customer's received bills; a supplier's issued bills and the received
// bills handed on to it).
Totals billTotals(Database &db, TotalsBy by, const QDate &firstMonth, int months, const PartyChoice &party);
Sheet totalsSheet(const Totals &totals, const QString &partyName);

} // namespace book
} // namespace sorvane
