#pragma once

// The life of a bill after it entered the book: discounting at a bank,
// settlement on or after its due date, dishonour, and taking each of them
// back. Each step is one transaction: it reads the bill under a lock,
// refuses (with a Japanese message saying why, nothing changed) a bill in
// the wrong state or one another clerk changed since it was read, changes
// the row and writes the step's event into the history.
//
// The states, in the columns the lists already read:
//   in hand      処理 0, 状態 0, 予約フラグ 0
//   discounted   処理 0, 状態 1, 予約フラグ 1, 予約処理 2, 予約日 the discount date
//   handed on    処理 2, 状態 -2, 予約フラグ 1, 予約処理 1
//   dishonoured  処理 0, 状態 2 (a discounted or handed-on bill comes back: 予約 cleared)
//   issued       処理 1
// A finished bill (settled, or a dishonoured one recovered) has 終了フラグ 1
// and keeps the columns of the state it finished in.

#include "book/History.h"
#include "data/Engine.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace sorvane {

class BankCalendar;

namespace book {

// A step refused because of the bill's state or the values given; the
// message says why. Nothing was changed.
class StepRefused : public DbError {
public:
    using DbError::DbError;
};

enum class Position { InHand, Reserved, Discounted, HandedOn, Dishonoured, Issued, Unknown };

// The columns of a bill its life reads.
struct BillRow {
    qint64 id = 0;
    int 処理 = 0;
    int 状態 = 0;
    bool 予約フラグ = false;
    int 予約処理 = 0;
    QDate 予約日;
    bool 終了フラグ = false;
    QDate 日付;
    QString 手形番号;
    QString 取引先コード;
    QString 取引先;
    QString 振出人;
    QDate 手形期日;
    qint64 金額 = 0;
    QString 譲渡先コード;
    QString 譲渡先;
    qint64 更新回数 = 0;
    int 種類 = 0; // 0 約束手形, 1 為替手形, 2 electronic claim
    QString 記録番号;

    bool electronic() const { return 種類 == 2; }
    Position position() const;
    // 手元, 割引, 譲渡, 不渡, 振出, 予約; 決済済 or 回収済 once finished.
    QString stateLabel() const;
};

// The bill as stored, or nothing when it is gone.
std::optional<BillRow> billRow(Database &db, qint64 id);

// What every step is given: the bill, the row version it was read with
// (when set, a bill changed since is refused with ConflictError), the date
// of the step and today's date (no step is dated after today).
struct StepInput {
    qint64 billId = 0;
    std::optional<qint64> version;
    QDate date;
    QDate today;
};

// Refuses (StepRefused) a step's date that is missing or after today; `what`
// names the date in the message (決済日, 割引日, …).
void checkStepDate(const StepInput &s, const QString &what);

// The event a step writes, filled with the bill's own columns.
BillEvent eventFor(const BillRow &bill, const QString &kind, const QDate &date);

// 割引: a bill in hand, discounted at the bank of 割引先 `bankCode` for the
// fee (割引料, 0 up to less than the amount). Returns the event's id.
// An electronic claim is refused unless the caller already checked the
// network's rules (the blackout before the due date) in its transaction.
qint64 discountBill(Database &db, const StepInput &step, const QString &bankCode, qint64 fee,
                    bool claimRulesChecked = false);

// 割引取消: the discounted bill back in hand, the discount a mistake (誤り)
// or the bill bought back from the bank (買戻し).
enum class DiscountUndo { Mistake, BuyBack };
qint64 cancelDiscount(Database &db, const StepInput &step, DiscountUndo how);

// 決済: a bill in hand, issued, discounted or handed on is finished, on or
// after its due date and not after today. A received bill in hand is
// collected; an issued bill paid; for a discounted or handed-on bill the
// company's liability ends (nothing is collected).
qint64 settleBill(Database &db, const StepInput &step);

// 決済取消: the finished bill back in its state before the settlement.
qint64 cancelSettlement(Database &db, const StepInput &step);

// 不渡: a received bill in hand, discounted or handed on becomes
// dishonoured (状態 2) on the date for the reason given. A discounted or
// handed-on bill comes back to the company, which buys it back from the
// bank or repays the supplier.
qint64 dishonourBill(Database &db, const StepInput &step, const QString &reason);

// 不渡取消: a mistake taken back (the bill returns to the state it had), or
// the amount recovered (回収, 1 up to the bill's amount), which finishes it.
enum class DishonourUndo { Mistake, Recovered };
qint64 cancelDishonour(Database &db, const StepInput &step, DishonourUndo how, qint64 recovered = 0);

// ---------------------------------------------------------------- the windows' own steps

// For a correction or deletion from the receivable list: the bill (read
// inside the caller's transaction) must be a received bill in hand or
// dishonoured, not finished; StepRefused names its state otherwise.
BillRow requireReceivableEditable(Database &db, qint64 id, const QString &step);
// The same for an issued bill, not yet settled.
BillRow requireIssuedEditable(Database &db, qint64 id, const QString &step);
// Writes 修正 with the fields that changed since `before` (nothing when
// none did), dated `on` (invalid: today).
void recordCorrection(Database &db, const BillRow &was, const RowSnapshot &before, const QDate &on);
// Writes 削除 with the whole row, before the row is deleted.
void recordDeletion(Database &db, const BillRow &was, const QDate &on);

// ---------------------------------------------------------------- lists

// A bill that can be settled by a date, with the date it settles on: a
// received bill in hand on its due date plus the collection days, moved to
// the next day the banks are open; any other bill on its due date.
struct SettlementDue {
    BillRow bill;
    QDate settleOn;
};
// Bills without due date are never due. Earliest first.
std::vector<SettlementDue> billsToSettle(Database &db, const QDate &through, BankCalendar &calendar);
// The date the bill settles on (invalid without due date).
QDate settlementDate(const BillRow &bill, int collectionDays, BankCalendar &calendar);

// Settles the bills in one transaction, each on its own date; a refusal of
// one (its number named) refuses them all. Returns how many were settled.
struct SettleOrder {
    qint64 billId = 0;
    std::optional<qint64> version;
    QDate date;
};
int settleBills(Database &db, const QList<SettleOrder> &orders, const QDate &today);

// A finished bill with its standing settlement.
struct FinishedBill {
    BillRow bill;
    BillEvent settlement;
};
// Bills whose settlement (not taken back) is dated within the period.
std::vector<FinishedBill> finishedBills(Database &db, const QDate &from, const QDate &to);

// A discounted bill with its standing discount (bank in 相手先コード/相手先,
// date, fee).
struct DiscountedBill {
    BillRow bill;
    BillEvent discount;
};
// Discounted bills not finished; with `dueFrom` valid, only those due on or
// after it (or without due date). By bank, then due date.
std::vector<DiscountedBill> discountedBills(Database &db, const QDate &dueFrom = {});

// A dishonoured bill with its standing dishonour (date, 事由).
struct DishonouredBill {
    BillRow bill;
    BillEvent dishonour;
};
// Dishonoured bills not yet recovered, by date of dishonour.
std::vector<DishonouredBill> dishonouredBills(Database &db);

// Bills that can be discounted: the candidates of a hand-on (received, in
// hand, not reserved, not finished); by due date, those without one first.
std::vector<BillRow> discountCandidates(Database &db);

// Bills that can be dishonoured: received bills in hand, discounted or
// handed on, not finished; by due date.
std::vector<BillRow> dishonourCandidates(Database &db);

// The date up to which the journal was last written out (invalid: never),
// and the note of a new output through `to` (the later date is kept).
QDate journalExportedThrough(Database &db);
void noteJournalExported(Database &db, const QDate &to);

} // namespace book
} // namespace sorvane
