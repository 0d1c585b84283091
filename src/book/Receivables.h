#pragma once

// The received bills (処理 = 0) as the receivable windows read and write them:
// registering a new bill with its templates advanced and its endorsers,
// saving a corrected bill, deleting one, the working list, and the
// receivable rows of the last search.

#include "book/Endorsers.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sorvane {

class Database;
class MessageService;

namespace book {

// One received bill as it is stored.
struct ReceivableBill {
    qint64 id = 0;
    QDate 日付;
    QString 手形番号;
    QString 取引先コード;
    QString 取引先;
    QString 振出地;
    QString 振出人;
    QString 支払県;
    QString 支払市;
    QString 支払場所コード;
    QString 支払場所;
    QString 支払場所支店コード;
    QString 支払場所支店;
    QDate 振出日;   // invalid: none
    QDate 手形期日; // invalid: none
    qint64 手形期間 = 0;
    qint64 金額 = 0;
    QString 保管場所;
    bool 注意フラグ = false;
    // The row version the bill was read with; when set, a save or a delete
    // is refused with ConflictError if another clerk changed the bill since.
    std::optional<qint64> 更新回数;
};

// The fields of a bill window as the user typed them.
struct TypedBill {
    QString 日付;
    QString 手形番号;
    QString 取引先コード;
    QString 取引先;
    QString 振出地;
    QString 振出人;
    QString 支払県;
    QString 支払市;
    QString 支払場所コード;
    QString 支払場所;
    QString 支払場所支店コード;
    QString 支払場所支店;
    QString 振出日;
    QString 手形期日;
    QString 金額;
    QString 保管場所;
    bool 注意フラグ = false;
};

// Reads the typed fields the way registering and saving do. Refused with a
// message, before anything is asked: an amount that is not a whole number
// of yen from 0 to 2,147,483,647, a date typed but not readable (日付,
// 振出日, 手形期日), a due date before the issue date. Then the requisites
// of a bill (amount, due date, issue date, place of issue, drawer) are
// asked about in that order, each under the title "手形要件の欠落"; an empty
// booking date is refused with "日付がありません". Nothing when the user
// cancelled or was refused; then *problemField (when given) names the field
// the refusal is about. The drawer is cut at its first ":", the code and
// the bill number read in half-width, the term counted from the two dates,
// a date "m/d" read in the year of `today`.
std::optional<ReceivableBill> readTypedBill(const TypedBill &typed, const QDate &today, MessageService &messages,
                                            QString *problemField = nullptr);

struct Customer {
    qint64 id = 0;
    QString name;
};
std::optional<Customer> findCustomer(Database &db, const QString &code);

// Stores a new received bill; in one transaction with it, every template of
// its customer with the same bank and branch gets its number as the last
// one (only forward: see BillNumberAfter), and the endorsers (when given) are written to the new bill; its
// receipt (受取) is written to its history. Returns the new bill's id. Throws DbError; nothing is stored then.
qint64 registerReceivableBill(Database &db, const ReceivableBill &bill, const std::optional<EndorserSlots> &endorsers);

// Writes the bill over the row bill.id; when endorsers are given they
// replace the bill's endorser rows, in the same transaction. Throws DbError
// (NotChangeableError when the bill is gone or no longer a received bill in
// hand: handed on, reserved or finished; ConflictError when bill.更新回数 is
// set and another clerk changed the bill since); nothing changes then.
// The correction is recorded in the bill's history on `on` (invalid: today).
void saveReceivableBill(Database &db, const ReceivableBill &bill, const std::optional<EndorserSlots> &endorsers,
                        const QDate &on = {});

// Deletes the bill; its endorser rows stay, so the search still offers the
// names. Throws NotChangeableError when the bill is gone or no longer a
// received bill in hand, ConflictError when a version is given and another
// clerk changed the bill since.
// The whole row is kept in the history, dated `on` (invalid: today).
void deleteReceivableBill(Database &db, qint64 id, std::optional<qint64> version = std::nullopt, const QDate &on = {});

std::optional<ReceivableBill> receivableBill(Database &db, qint64 id);

// One line of a receivable list: the bill's key and what the line shows.
struct ReceivableRow {
    qint64 id = 0; // D_手形.id
    QString 手形番号;
    QDate 手形期日;
    qint64 金額 = 0;
    QString 取引先;
};

// Received bills still to handle: neither handed on, reserved nor finished
// (dishonoured ones included), by due date with the bills without one first.
std::vector<ReceivableRow> receivableList(Database &db);

// The receivable rows of the last search, in the same order; the key of a
// row is the found bill's id.
std::vector<ReceivableRow> receivableResultRows(Database &db);
// The copy the search made of that bill (no place of issue is copied).
std::optional<ReceivableBill> receivableResult(Database &db, qint64 billId);

// The same lists for windows that read only the lines they show: the keys
// in list order, from the index alone, and the lines of some keys (a key
// whose row is gone is left out; the order of the rows is not the keys').
QList<qint64> receivableListIds(Database &db);
std::vector<ReceivableRow> receivableRowsOf(Database &db, const QList<qint64> &ids);
QList<qint64> receivableResultIds(Database &db);
std::vector<ReceivableRow> receivableResultRowsOf(Database &db, const QList<qint64> &billIds);

// The two layouts of the receivable list lines: the list as the window
// opens it, and as it is rebuilt after a save or a deletion.
enum class ListLayout { AtLoad, AfterChange };

// Bill number, two spaces, the due date ("yyyy/mm/dd" or "mm/dd"), a space,
// the amount "#,##0" right-aligned in 14 or 12 characters (a wider amount is
// kept whole), two spaces, the customer.
QString ReceivableListLine(const ReceivableRow &row, ListLayout layout);

} // namespace book
} // namespace sorvane
