#pragma once

// Reading and writing payable bills: bills the company issues on its own
// checking accounts (処理 1) and received bills handed on to a supplier
// (処理 2), with the account reads the payable windows need.

#include "book/Registers.h"
#include "data/Engine.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sorvane {

class Database;

namespace book {

// Kinds of a bill (処理) and states of a received bill (状態).
constexpr int kReceived = 0;
constexpr int kIssued = 1;
constexpr int kHandedOn = 2;
constexpr int kInHand = 0;
constexpr int kStateHandedOn = -2;

// A row of 口座データ as the payable windows read it.
struct Account {
    qint64 id = 0;
    qint64 kozano = 0;
    QString 口座名義;
    QString 銀行コード;
    QString 銀行名;
    QString 支店コード;
    QString 支店名;
    QString 口座番号;
    QString 口座種別;
    QString 支払県;
    QString 支払市;
    qint64 手形期間 = 0;
    QString 最終手形番号;
};

std::optional<Account> accountByKozano(Database &db, qint64 kozano);
std::optional<Account> accountById(Database &db, qint64 id);

// The pick line of an account: "kozano: bank/branch/number".
QString accountLine(qint64 kozano, const QString &bank, const QString &branch, const QString &number);
// The kind of account bills are drawn on.
extern const QString kCheckingAccount;

// A received bill still in hand that can be handed on.
struct Candidate {
    qint64 id = 0;
    qint64 金額 = 0;
    QDate 手形期日;
    QString 振出人;
};

// Received bills in hand, not reserved and not finished, earliest due date
// first (a bill without due date before all others). One query.
std::vector<Candidate> candidates(Database &db);

// The same for a list that reads only the lines it shows: the keys in list
// order, from the index alone, and the candidates of some keys (a key whose
// bill is gone is left out; the order is not the keys').
QList<qint64> candidateIds(Database &db);
std::vector<Candidate> candidatesOf(Database &db, const QList<qint64> &ids);

// The supplier with the code (letters in either case), as registered, or
// nothing when no supplier has it.
std::optional<PartyRow> findSupplier(Database &db, const QString &code);

// The most recent bill issued to the supplier: the latest issue date, and of
// bills issued on one day the one booked last.
struct PreviousIssue {
    QDate 日付;
    qint64 kozano = 0;
    qint64 金額 = 0;
    QString 手形番号;
    QDate 手形期日;
};
std::optional<PreviousIssue> previousIssue(Database &db, const QString &supplierCode);

// Every column of a bill the payable windows show.
struct PayableBill {
    qint64 id = 0;
    int 処理 = 0;
    QDate 日付;
    QString 手形番号;
    QString 取引先コード;
    QString 取引先;
    QString 振出人;
    QString 支払県;
    QString 支払市;
    QString 支払場所コード;
    QString 支払場所;
    QString 支払場所支店コード;
    QString 支払場所支店;
    QDate 振出日;
    QDate 手形期日;
    qint64 手形期間 = 0;
    qint64 金額 = 0;
    qint64 kozano = 0;
    qint64 予約口座id = 0;
    QString 譲渡先コード;
    QString 譲渡先;
    qint64 更新回数 = 0; // the row version it was read with
};

// A received bill that is still a candidate, or nothing.
std::optional<PayableBill> candidateBill(Database &db, qint64 id);

// A new bill drawn on an account.
struct Issue {
    qint64 accountId = 0;
    QDate 日付;
    QString 手形番号;
    QString 取引先コード;
    QString 取引先;
    QString 支払場所コード;
    QString 支払場所;
    QString 支払場所支店コード;
    QString 支払場所支店;
    QDate 振出日;
    QDate 手形期日;
    qint64 金額 = 0;
};

// The number of a bill being issued or corrected is already that of another
// bill issued on the same account. The text names that bill and proposes
// the next free number, which proposal() gives.
class DuplicateNumberError : public DbError {
public:
    DuplicateNumberError(const QString &text, QString proposal);
    const QString &proposal() const { return m_proposal; }

private:
    QString m_proposal;
};

// Inserts the bill (処理 1, the account's prefecture and city, the term from
// the two dates) and makes its number the account's last one (only forward:
// see BillNumberAfter), in one transaction, with the account row locked.
// Returns the new bill's id. A DbError when the account is gone,
// DuplicateNumberError when another bill issued on the account has the
// number (an empty number is never checked).
qint64 issueBill(Database &db, const Issue &issue);

// Hands the received bill on to the supplier, booked on the given day. Only a
// bill that is still a candidate changes; false (nothing written) otherwise.
// ConflictError when a version is given and another clerk changed the bill
// since (its amount or dates may differ from what the clerk saw).
bool handOnBill(Database &db, qint64 billId, const QDate &booked, const QString &supplierCode,
                const QString &supplierName, std::optional<qint64> version = std::nullopt);

// Turns a handed-on bill back into a received bill in hand. The storage place
// stays empty. False (nothing written) when the bill is not handed on (or is
// finished); ConflictError when a version is given and another clerk changed
// it since. The cancellation is recorded in the bill's history on `on`
// (invalid: today).
bool cancelHandOn(Database &db, qint64 billId, std::optional<qint64> version = std::nullopt, const QDate &on = {});

// The fields of an issued bill a correction rewrites.
struct IssuedCorrection {
    qint64 billId = 0;
    qint64 accountId = 0;
    QString 取引先コード;
    QString 取引先;
    QDate 日付;
    QString 手形番号;
    QString 支払県;
    QString 支払市;
    QString 支払場所コード;
    QString 支払場所;
    QString 支払場所支店コード;
    QString 支払場所支店;
    QDate 振出日;
    QDate 手形期日;
    qint64 金額 = 0;
    std::optional<qint64> 更新回数; // when set, refused with ConflictError if the bill changed since
    QDate on;                       // the day of the correction, for the history (invalid: today)
};

// Rewrites the issued bill, in one transaction. Its number becomes the
// account's last one when the bill moves to that account or was the last
// bill issued on it. False (nothing written) when the bill is no longer an
// open issued bill; a DbError when the account is gone; DuplicateNumberError
// when a new number, or the number on a new account, is already another
// bill's on that account.
bool correctIssuedBill(Database &db, const IssuedCorrection &c);

// Deletes the issued bill; when it is drawn on an account, that account's
// plan is invalidated from the due date on (計画済年月 and the 口座残高 rows
// from that day). One transaction. False (nothing written) when the bill is
// not an open issued bill; ConflictError when a version is given and another
// clerk changed the bill since.
// The whole row is kept in the history, dated `on` (invalid: today).
bool deleteIssuedBill(Database &db, qint64 billId, std::optional<qint64> version = std::nullopt, const QDate &on = {});

// A line of the payable list.
struct PayableLine {
    qint64 id = 0; // D_手形.id
    int 処理 = 0;
    QString 手形番号;
    QDate 手形期日;
    qint64 金額 = 0;
    QString 取引先;
};

// Open payable bills (issued and handed on, not finished), earliest due date
// first. One query.
std::vector<PayableLine> payableLines(Database &db);
std::optional<PayableBill> payableBill(Database &db, qint64 id);

// Keys in list order and the lines of some keys, as for the candidates.
QList<qint64> payableLineIds(Database &db);
std::vector<PayableLine> payableLinesOf(Database &db, const QList<qint64> &ids);

// The same from the search's work table 検索結果; the id is the found bill's,
// and the party of a handed-on bill is the supplier who received it.
std::vector<PayableLine> payableResultLines(Database &db);
std::optional<PayableBill> payableResult(Database &db, qint64 billId);
QList<qint64> payableResultIds(Database &db);
std::vector<PayableLine> payableResultLinesOf(Database &db, const QList<qint64> &billIds);

} // namespace book
} // namespace sorvane
