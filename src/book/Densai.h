#pragma once

// Electronically recorded claims (でんさい) in the bill book: a receivable
// claim (電子記録債権) a customer's record gives us, or a payable one
// (電子記録債務) recorded on our own account. They are rows of D_手形 with
// 種類 2 and live the life of a paper bill (BillLife): 発生 is the receipt or
// the issue, 譲渡 the hand-on, 割引 and 決済 and 不渡 as for paper; 分割 is
// their own. Their 記録番号 is also their bill number, so every list, the
// history and the journal name them by it.
//
// The network's rules, enforced here:
//   - 記録番号: 20 half-width letters and digits, unique in the book;
//   - 金額 1 yen or more; 支払期日 a bank business day, not before 電子記録日;
//   - no 譲渡, 分割 or 割引 from the configured number of bank business days
//     before the due date through the due date (schema::readDensaiBlackoutDays);
//   - a claim with 譲渡制限 is never handed on to a supplier.

#include "book/BillLife.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace sorvane {

class BankCalendar;
class Database;

namespace book::densai {

constexpr int kPromissoryNote = 0; // 約束手形 (paper)
constexpr int kBillOfExchange = 1; // 為替手形 (paper)
constexpr int kElectronic = 2;     // 電子記録債権・債務
constexpr int kRecordNumberLength = 20;

// The kind of a row as a clerk names it: 約束手形, 為替手形, 電子記録債権 or
// 電子記録債務 (the direction from 処理).
QString kindName(int 種類, int 処理);

// The number as stored: full-width letters and digits read as half-width,
// letters in capitals, surrounding spaces dropped.
QString normalizeRecordNumber(const QString &typed);
// Why the (normalized) number is not a 記録番号, in Japanese; empty when it is.
QString recordNumberProblem(const QString &number);

enum class Side { Receivable, Payable };

struct Claim {
    qint64 id = 0;
    Side side = Side::Receivable;
    QString 記録番号;
    QString 親記録番号;
    QDate 電子記録日;
    QDate 支払期日;
    qint64 金額 = 0;
    QString 取引先コード; // the customer (debtor) of a receivable claim, the supplier (creditor) of ours
    QString 取引先;
    qint64 kozano = 0; // ours: the account it is paid from
    QString 債務者銀行;
    QString 債務者支店;
    QString 債務者口座;
    QString 債権者銀行;
    QString 債権者支店;
    QString 債権者口座;
    bool 譲渡制限 = false;
    // Read only: where the claim stands.
    QString 状態; // BillRow::stateLabel()
    QString 譲渡先コード;
    QString 譲渡先;
    std::optional<qint64> 更新回数; // when set, a save is refused if the claim changed since
};

// 発生: stores the claim (in hand, or issued on account kozano), with its
// 受取 or 振出 event marked 発生記録. Refused with StepRefused naming the
// field: a bad or taken 記録番号, an amount under 1 yen, a missing or
// closed-bank due date, a due date before the record date, an unknown
// customer or supplier code, an account that is not registered. Returns the id.
qint64 registerClaim(Database &db, const Claim &claim, BankCalendar &calendar);

// Corrects a claim still in hand (receivable) or issued and open (ours);
// the correction is recorded on `on`. Same refusals as registerClaim; a
// claim changed by another clerk since it was read is refused with
// ConflictError; a claim that was split keeps its amount (the parts must
// add up) and its number.
void saveClaim(Database &db, const Claim &claim, BankCalendar &calendar, const QDate &on);

// Deletes a claim in hand or issued and open, keeping the whole row in the
// history. A claim that was split, or a part of one, is refused: the parts
// must keep adding up.
void deleteClaim(Database &db, qint64 id, std::optional<qint64> version, const QDate &on);

std::optional<Claim> claim(Database &db, qint64 id);
// The claims of a side: open ones (not finished; receivable: in hand,
// discounted, handed on or dishonoured) or, with `all`, every one. By due
// date, then 記録番号.
std::vector<Claim> claims(Database &db, Side side, bool all = false);

// The first day of the blackout before `due`: `days` bank business days
// before it (0: the due date itself).
QDate blackoutStart(const QDate &due, int days, BankCalendar &calendar);
// Why a 譲渡, 分割 or 割引 dated `on` is refused for a claim due on `due`
// (inside the blackout, or past the due date); empty when it may be taken.
QString blackoutProblem(const QString &step, const QDate &on, const QDate &due, int days, BankCalendar &calendar);

// 譲渡: a receivable claim in hand handed on to the supplier, with the
// guarantee (保証) of the network's rules unless `guarantee` is false. A
// claim with 譲渡制限, or one inside the blackout, is refused.
qint64 transferClaim(Database &db, const StepInput &step, const QString &supplierCode, bool guarantee,
                     BankCalendar &calendar);
// 譲渡取消: the transfer taken back (a mistake): the claim is in hand again.
qint64 cancelTransfer(Database &db, const StepInput &step);

// 分割: `amount` of a receivable claim in hand is split off under
// `newNumber`; the claim keeps its number and the rest, the part has the
// claim's number as 親記録番号 and the claim's other values. Both rows get a
// 分割 event. Refused inside the blackout, for an amount that leaves either
// part under 1 yen, a bad or taken number. Returns the part's id.
qint64 splitClaim(Database &db, const StepInput &step, const QString &newNumber, qint64 amount, BankCalendar &calendar);

// 割引: as BillLife's discountBill, refused inside the blackout.
qint64 discountClaim(Database &db, const StepInput &step, const QString &bankCode, qint64 fee, BankCalendar &calendar);

// ---------------------------------------------------------------- files

// The columns of the CSV file, by the book's own names.
QStringList csvColumns();
// The claims as CSV: a header line of csvColumns(), then one line per claim
// in id order (parents before their parts); UTF-8 without byte order mark.
QByteArray claimsCsv(Database &db);
// Registers the claims of a CSV file (UTF-8, with or without byte order
// mark, or Shift_JIS) whose first line names columns of csvColumns(), in
// one transaction: a bad line refuses the file with a DbError naming the
// line and why, and nothing is written. Returns how many were registered.
int importClaims(Database &db, const QByteArray &csv, const QDate &today, BankCalendar &calendar);

} // namespace book::densai
} // namespace sorvane
