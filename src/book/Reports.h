#pragma once

// What the book hands to the accountant: the two bill ledgers for a period
// of booking dates, the year-end statements of the bills still running, and
// the journal entries of the bookings. Read straight from the bill table, in
// one query each (plus one for the endorsers), however many bills there are.

#include <QDate>
#include <QList>
#include <QString>

namespace sorvane {

class Database;

namespace book {

enum class Side { Receivable, Payable };

// One line of 受取手形記入帳 or 支払手形記入帳.
struct LedgerRow {
    qint64 id = 0;
    QDate date;        // the booking: receipt or issue, or the hand-on in the payable ledger
    QString kind;      // 手形種類: "約手"
    QString number;    // 手形番号
    QString summary;   // 摘要: the customer, or the supplier / receiver
    QString party;     // 支払人 (receivable) or 受取人 (payable)
    QString drawer;    // 振出人または裏書人 (drawer, then the endorsers) / 振出人 ("自社" or the drawer)
    QDate issued;      // 振出日
    QDate due;         // 満期日
    QString place;     // 支払場所: bank and branch
    qint64 amount = 0; // 手形金額
    QDate outcomeDate; // てん末 月・日
    QString outcome;   // てん末 摘要: "譲渡 <receiver>", "不渡", "決済"; empty while in hand
};

// Receivable: every received bill (in hand, dishonoured, handed on,
// finished) booked within the period. Payable: every issued bill booked
// within the period and every received bill handed on within it. Ordered by
// date, then as entered. An invalid from or to throws DbError.
QList<LedgerRow> readLedger(Database &db, Side side, const QDate &from, const QDate &to);

// A bill on the year-end statement.
struct StatementBill {
    qint64 id = 0;
    QString party; // 振出人 (the drawer, or the customer when none was written) / 支払先
    QDate issued;
    QDate due;
    QString bank;   // 支払銀行名
    QString branch; // 支払銀行支店名
    qint64 amount = 0;
    QString receiver; // a bill handed on by the date: who holds it now (割引銀行名及び支店名等)
};

// The bills still running on the date: received bills in hand or handed on
// (not dishonoured, not finished), or issued bills (not finished), booked on
// or before it and due on it or later. A bill handed on after the date was
// still in hand on it and shows no receiver. Ordered by party, due date, id.
QList<StatementBill> statementBills(Database &db, Side side, const QDate &asOf);

// One line of a statement: a bill of its own, the rest of one party's bills
// in one sum, or the total at the end.
struct StatementLine {
    enum class Kind { Bill, Sum, Total } kind = Kind::Bill;
    int count = 1; // bills in the line
    QString party;
    QDate issued; // Bill lines only
    QDate due;
    QString bank;
    QString branch;
    qint64 amount = 0;
    QString receiver;
    QString note; // 摘要
};

// Bills of 1,000,000 yen or more each on a line of their own (the five
// largest when fewer than five reach it), the rest one line per party (and
// per receiver, so a sum never hides who holds the bills); a party's own
// lines first, its sum after them; the total last. No bills: no lines.
constexpr qint64 kStatementSingleAmount = 1'000'000;
constexpr int kStatementMinSingles = 5;
QList<StatementLine> statementLines(const QList<StatementBill> &bills);

// The journal.
enum class Booking { Receipt, Issue, HandOn };

struct JournalEntry {
    int slip = 0; // 伝票No, from 1 in the order of the entries
    QDate date;
    Booking booking = Booking::Receipt;
    QString debit;
    QString debitSub;
    QString credit;
    QString creditSub;
    qint64 amount = 0;
    QString summary; // 摘要: what happened, the party and the bill number
    QString number;  // 手形番号
    QDate due;       // 手形期日
    QString party;
    qint64 billId = 0;
};

// The account names of the company's accounting software, by role
// (受取手形, 売掛金, 支払手形, 買掛金), kept in 仕訳科目.
struct JournalAccount {
    QString role;
    QString account;
    QString sub;
};
QList<JournalAccount> journalAccounts(Database &db);
// Sets the account of a role; an unknown role or an empty account throws DbError.
void setJournalAccount(Database &db, const QString &role, const QString &account, const QString &sub);

// One entry per booking in the period: a receipt (受取手形 / 売掛金) for each
// received bill booked in it, an issue (買掛金 / 支払手形) for each issued
// bill, a hand-on (買掛金 / 受取手形) for each bill handed on in it. Ordered
// by date, then receipts, issues and hand-ons, then as entered.
QList<JournalEntry> journalEntries(Database &db, const QDate &from, const QDate &to);

// The Japanese refusal of a period, or an empty text when it is one:
// both dates valid and from not after to.
QString periodProblem(const QDate &from, const QDate &to);

} // namespace book
} // namespace sorvane
