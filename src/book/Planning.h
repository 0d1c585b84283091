#pragma once

// The plan of each account, month by month: the balances the clerk enters,
// the money the bills bring in and take out, the projected balance and
// where it runs short; and the account's 支払手形 (issued, settled, what is
// still running). A month is closed by storing its figures: a closed month
// stays as it was, and whatever is booked into it later counts in the
// first open month.
//
// Where the money goes, by the events of each bill:
//   in   a received bill in hand, collected on its settlement day (its due
//        date plus the collection days, on a day the banks are open), into
//        its collection account (the bill's own, else the default of
//        取立日数設定); once settled, on the day of its settlement;
//        a discount, its amount less the fee, on the day of the discount,
//        into the account the discount bank credits (割引先.入金口座);
//        a dishonoured bill's recovered amount, into its collection account;
//   out  an issued bill on its due date, from the account it is drawn on;
//        a discounted bill bought back from the bank (割引取消 as 買戻し, or
//        dishonoured after the discount), from the account the bank credits.
// A step taken back as a mistake counts as never taken.

#include "book/Accounts.h"
#include "book/Sheet.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace sorvane {

class BankCalendar;
class Database;

namespace book {

// The first and the last day of the date's month.
QDate monthStart(const QDate &date);
QDate monthEnd(const QDate &date);
// "2026/12".
QString monthText(const QDate &month);
// Reads "2026/12", "2026/12/1", "R8/12" and the like as the month's first
// day; an invalid date when the text is no month.
QDate parseMonth(const QString &text, const QDate &today);

// ---------------------------------------------------------------- accounts

// The account by its key (口座データ.id); nothing when it is gone.
std::optional<AccountRecord> accountRecordById(Database &db, qint64 id);
// "1: みずほ銀行/本店/1234567", as the payable windows name an account.
QString accountLine(const AccountRecord &account);
// The key of the account named at the head of such a line ("1: …" or "1");
// 0 when it names none.
qint64 accountOfLine(Database &db, const QString &line);

// The account received bills are collected into unless a bill names its
// own (0: none chosen). Setting an account that does not exist throws.
qint64 defaultCollectionAccount(Database &db);
void setDefaultCollectionAccount(Database &db, qint64 accountId);

// 取立日数設定 as one action: the collection days and the default account.
void saveCollectionSettings(Database &db, int days, qint64 accountId);

// A received bill's own collection account (0: the default). The change is
// recorded in the bill's history as a correction, in one transaction; a
// version given and changed since throws ConflictError.
qint64 billCollectionAccount(Database &db, qint64 billId);
void setBillCollectionAccount(Database &db, qint64 billId, qint64 accountId, std::optional<qint64> version,
                              const QDate &on);

// ---------------------------------------------------------------- balances and closing

// The month-end balances the clerk entered, earliest first.
struct EnteredBalance {
    QDate monthEnd;
    qint64 amount = 0;
};
QList<EnteredBalance> enteredBalances(Database &db, qint64 accountId);

// Enters (or replaces) the balance at the end of the month, and moves the
// account's 計画済年月 to the last month entered. Refused (DbError) for a
// closed month.
void enterBalance(Database &db, qint64 accountId, const QDate &month, qint64 amount);
// Takes the month's entry away; refused for a closed month.
void clearBalance(Database &db, qint64 accountId, const QDate &month);

// The last closed month's end (invalid: none closed).
QDate closedThrough(Database &db, qint64 accountId);

// Closes every open month of the account through the month: stores each
// month's figures as they stand and sets 確定済年月. Refused for a month
// not yet ended on `today`. Returns the months closed.
int closeMonths(Database &db, qint64 accountId, const QDate &through, const QDate &today, BankCalendar &calendar);
// Opens the months from the month on again; returns how many were opened.
int reopenMonths(Database &db, qint64 accountId, const QDate &from);

// ---------------------------------------------------------------- cash

enum class FlowKind {
    Collected,  // 取立: a received bill settled
    Collecting, // 取立予定: a received bill in hand, not yet settled
    Discounted, // 割引: the proceeds of a discount
    Recovered,  // 回収: a dishonoured bill's amount recovered
    Paid,       // 支払: an issued bill falling due
    BoughtBack, // 買戻し: a discounted bill bought back
};
QString flowKindText(FlowKind kind);

struct CashFlow {
    QDate date;
    FlowKind kind = FlowKind::Paid;
    qint64 amount = 0; // in: positive, out: negative
    qint64 billId = 0;
    QString number;
    QString party;
    QDate due;
    bool electronic = false; // an electronic claim (でんさい), not a paper bill
};

// The money in and out of the account dated within the period, by date.
std::vector<CashFlow> cashFlows(Database &db, qint64 accountId, const QDate &from, const QDate &to,
                                BankCalendar &calendar);

struct CashMonth {
    QDate month;                   // its first day
    qint64 opening = 0;            // carried from the month before
    qint64 receipts = 0;           // money in, later bookings of closed months included
    qint64 payments = 0;           // money out, as a positive amount
    qint64 projected = 0;          // opening + receipts - payments
    std::optional<qint64> entered; // the month-end balance the clerk entered
    qint64 carried = 0;            // what the next month starts from: the entered balance, else the projected
    qint64 lowest = 0;             // the lowest balance at the end of a day in the month
    QDate lowestOn;
    bool closed = false;
    qint64 shortfall() const { return lowest < 0 ? -lowest : 0; }
};

struct CashPlan {
    AccountRecord account;
    bool defaultCollection = false; // the default collection account
    QDate closedThrough;
    QDate plannedThrough; // 計画済年月
    QList<CashMonth> months;
};

// The account's months from the first on. A month starts from the balance
// carried from the month before: the last entered balance, or a closed
// month's stored one, with every flow since; with neither, the flows from
// the beginning.
CashPlan cashPlan(Database &db, qint64 accountId, const QDate &firstMonth, int months, BankCalendar &calendar);
Sheet cashSheet(const CashPlan &plan);

// ---------------------------------------------------------------- 支払手形

struct TrialMonth {
    QDate month;
    qint64 opening = 0; // issued and not settled when the month began
    qint64 issued = 0;  // booked (日付) in the month
    qint64 settled = 0; // settled in the month
    qint64 closing = 0;
    int issuedCount = 0;
    int settledCount = 0;
    bool closed = false;
};

// The 支払手形 of the account (0: of every issued bill, those without an
// account too) month by month. Closed months as stored; later bookings in
// the first open month.
QList<TrialMonth> trialBalance(Database &db, qint64 accountId, const QDate &firstMonth, int months);
Sheet trialSheet(const QString &accountName, const QList<TrialMonth> &months);

// Spans the windows and the tool use: a first month and a number of months.
constexpr int kMaxMonths = 60;
// The Japanese refusal of a span, or empty.
QString spanProblem(const QDate &firstMonth, int months);

} // namespace book
} // namespace sorvane
