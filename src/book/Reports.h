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
// The paper bills' ledgers (受取手形記入帳, 支払手形記入帳) or the electronic
// claims' ones (電子記録債権記入帳, 電子記録債務記入帳), in the same layout.
enum class LedgerKind { Paper, Electronic };

// One line of 受取手形記入帳 or 支払手形記入帳.
struct LedgerRow {
    qint64 id = 0;
    QDate date;        // the booking: receipt or issue
    QString kind;      // 手形種類: "約手"
    QString number;    // 手形番号
    QString summary;   // 摘要: the counter account (売掛金 / 買掛金) as the journal books it
    QString party;     // 支払人: who pays the note (its drawer, else the customer) / 受取人: the supplier
    QString drawer;    // 振出人または裏書人: whom we had it from (the last endorser, else the drawer,
                       // else the customer) / 振出人: "自社"
    QDate issued;      // 振出日
    QDate due;         // 満期日
    QString place;     // 支払場所: bank and branch
    qint64 amount = 0; // 手形金額
    QDate outcomeDate; // てん末 月・日
    QString outcome;   // てん末 摘要: "譲渡 <receiver>", "不渡", "決済"; empty while in hand
};

// Receivable: every received bill (in hand, dishonoured, handed on,
// finished) booked within the period. Payable: every bill the company
// issued within the period; a received bill handed on is no payable bill
// (the receivable ledger's てん末 records it). Ordered by date, then as
// entered. An invalid from or to throws DbError.
QList<LedgerRow> readLedger(Database &db, Side side, const QDate &from, const QDate &to,
                            LedgerKind kind = LedgerKind::Paper);

// A bill on the year-end statement.
struct StatementBill {
    qint64 id = 0;
    QString party;  // 振出人 (the drawer, or the customer when none was written) / 支払先
    QString number; // the party's 登録番号 ("T" and 13 digits) or 法人番号 (13 digits); empty: not known
    QDate issued;
    QDate due;
    QString bank;   // 支払銀行名
    QString branch; // 支払銀行支店名
    qint64 amount = 0;
    bool handedOn = false;   // handed on by the date
    QString receiver;        // then who holds it now (割引銀行名及び支店名等)
    bool electronic = false; // an electronic claim: its own line, 摘要 電子記録債権 / 電子記録債務
    bool payable = false;
};

// The bills still running on the date: received bills in hand or handed on
// (not dishonoured, not finished; a claim handed on without the guarantee
// is off the book), or issued bills (not finished), booked on or before it
// and due on it or later. A bill handed on after the date was still in hand
// on it and shows no receiver; a claim split after it is listed whole. Ordered by party, due date, id.
// The number of a received bill's party is its customer's when the party is
// the customer (no drawer written, or the drawer under the customer's name),
// else that of the one customer registered under the drawer's name.
QList<StatementBill> statementBills(Database &db, Side side, const QDate &asOf);

// One line of a statement: a bill of its own, the rest of the bills in one
// line "その他", or the total at the end.
struct StatementLine {
    enum class Kind { Bill, Sum, Total } kind = Kind::Bill;
    int count = 1; // bills in the line
    QString party;
    QString number; // Bill lines only
    QDate issued;
    QDate due;
    QString bank;
    QString branch;
    qint64 amount = 0;
    QString receiver;
    QString note; // 摘要
};

// The rule printed on the forms: the bills of a party whose bills together
// reach 1,000,000 yen are listed bill by bill; when fewer than five parties
// reach it, the largest parties up to five are; every bill handed on stands
// on its own line with its receiver. Everything else is one line "その他"
// with its count (a single bill left over keeps its own line). Lines in the
// order of the bills (by party), "その他" after them, the total last. No
// bills: no lines.
constexpr qint64 kStatementSingleAmount = 1'000'000;
constexpr int kStatementMinParties = 5;
QList<StatementLine> statementLines(const QList<StatementBill> &bills);

// The journal: what each event of a bill's history books.
enum class Booking {
    Receipt,
    Issue,
    HandOn,
    HandOnCancel,
    Discount,
    DiscountCancel,
    Settlement,
    SettlementCancel,
    Dishonour,
    DishonourCancel,
    Correction,
    Deletion
};

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
// (受取手形, 売掛金, 支払手形, 買掛金, 当座預金, 手形売却損, 不渡手形, 貸倒損失),
// kept in 仕訳科目.
struct JournalAccount {
    QString role;
    QString account;
    QString sub;
};
QList<JournalAccount> journalAccounts(Database &db);
// Sets the account of a role; an unknown role or an empty account throws DbError.
void setJournalAccount(Database &db, const QString &role, const QString &account, const QString &sub);

// The entries of the events of the bills' history dated in the period:
//   受取 受取手形 / 売掛金        振出 買掛金 / 支払手形       譲渡 買掛金 / 受取手形
//   割引 当座預金 (amount − fee) and 手形売却損 (fee) / 受取手形
//   決済 of a bill in hand 当座預金 / 受取手形; of an issued bill 支払手形 / 当座預金;
//        of a discounted or handed-on bill nothing (it left the books before)
//   不渡 of a bill in hand 不渡手形 / 受取手形; discounted (bought back)
//        不渡手形 / 当座預金; handed on (owed to the supplier again) 不渡手形 / 買掛金
//   不渡取消 as recovered: 当座預金 / 不渡手形, the rest 貸倒損失 / 不渡手形
//   割引取消 as bought back: 受取手形 / 当座預金 (the whole amount)
//   修正 the change of the amount against the account the bill sits under;
//   削除 the bill out of the account it sits under, against 売掛金 / 買掛金.
// Every other 取消 books its event's entries the other way round on its
// own day. Ordered by date, then receipts, issues and hand-ons before the
// rest, then as recorded.
QList<JournalEntry> journalEntries(Database &db, const QDate &from, const QDate &to);

// The Japanese refusal of a period, or an empty text when it is one:
// both dates valid and from not after to.
QString periodProblem(const QDate &from, const QDate &to);

} // namespace book
} // namespace sorvane
