#pragma once

// The history of every bill: one row per event in table 手形履歴, written in
// the same transaction as the change it records and never changed or
// deleted afterwards (the tables refuse it on both engines). The ledgers'
// てん末, the journal and the audit search read it; no other record of the
// same events is kept.

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

#include <QStringList>

#include <optional>
#include <utility>

namespace sorvane {

class Database;
class RowView;

namespace book {

// The kinds of event, as stored in 種別.
namespace kind {
extern const QString 受取;
extern const QString 振出;
extern const QString 譲渡;
extern const QString 譲渡取消;
extern const QString 割引;
extern const QString 割引取消;
extern const QString 決済;
extern const QString 決済取消;
extern const QString 不渡;
extern const QString 不渡取消;
extern const QString 修正;
extern const QString 削除;
} // namespace kind

// The state of a bill before and after an event (前状態, 後状態).
namespace state {
extern const QString 手元;   // received, in hand
extern const QString 割引;   // discounted at a bank
extern const QString 譲渡;   // handed on to a supplier
extern const QString 不渡;   // dishonoured
extern const QString 振出;   // issued by the company
extern const QString 決済済; // finished at or after its due date
extern const QString 回収済; // dishonoured, and the amount recovered
extern const QString 予約;   // reserved for some other purpose
extern const QString 削除;   // deleted
} // namespace state

// Why a step was taken back (事由 of the 取消 events).
namespace reason {
extern const QString 誤り;   // the step was a mistake: as if it never happened
extern const QString 買戻し; // the company bought a discounted bill back from the bank
extern const QString 回収;   // the dishonoured amount was recovered
} // namespace reason

struct BillEvent {
    qint64 id = 0;
    qint64 billId = 0;
    QString kind;
    QDate date;   // 処理日: when the event happened
    int 処理 = 0; // the bill's kind after the event
    QString 手形番号;
    QString 取引先コード;
    QString 取引先;
    QDate 手形期日;
    qint64 金額 = 0;
    QString 相手先コード; // the supplier of a hand-on, the bank of a discount
    QString 相手先;
    qint64 手数料 = 0; // 割引料
    qint64 回収額 = 0; // what a dishonoured bill brought back
    QString 事由;
    QString 前状態;
    QString 後状態;
    qint64 取消元id = 0; // the event a 取消 takes back
    QString 変更前;      // 修正: the changed fields before; 削除: the whole row
    QString 変更後;      // 修正: the changed fields after
    QString 記録日時;    // when it was recorded, "yyyy-MM-dd HH:mm:ss"
    QString 記録者;      // who recorded it
};

// The columns of an event for a select, under the table's alias (none:
// bare), how many they are, and the event read from a row whose columns
// from `first` on are these.
QString eventColumns(const QString &alias = {});
int eventColumnCount();
BillEvent eventAt(const RowView &row, int first);

// Appends the event, stamped with the time and the recorder (the login
// name, or the server's user on a server book). Returns its id. To be
// called inside the transaction of the change it records.
qint64 recordEvent(Database &db, BillEvent event);

// A bill's events in the order they were recorded.
QList<BillEvent> eventsOfBill(Database &db, qint64 billId);
std::optional<BillEvent> eventById(Database &db, qint64 id);

// The latest event of the kind of a bill that no later 取消 took back, or
// nothing.
std::optional<BillEvent> standingEvent(Database &db, qint64 billId, const QString &kind);

// The audit search: events whose date and amount lie in the ranges and
// whose party (the bill's customer or supplier, or the event's bank or
// receiver, by code or by a part of the name) matches. Empty criteria
// take no part. In date order, then as recorded.
struct EventQuery {
    QDate from;
    QDate to;
    std::optional<qint64> minAmount;
    std::optional<qint64> maxAmount;
    QString party;
    QString number; // the bill number, exactly
    qint64 billId = 0;
    int limit = 0; // at most this many events (0: all)
};
QList<BillEvent> searchEvents(Database &db, const EventQuery &query);
// The Japanese refusal of the criteria (a reversed range), or empty.
QString eventQueryProblem(const EventQuery &query);

// A bill's row as it stands: its columns in the table's order (the row
// version left out) with their values as text. Empty when the bill is gone.
struct RowSnapshot {
    QStringList columns;
    QMap<QString, QString> values;
    bool exists() const { return !columns.isEmpty(); }
};
RowSnapshot billSnapshot(Database &db, qint64 billId);
// "column: value" lines, one per column: what 削除 keeps of a deleted bill.
QString fieldLines(const RowSnapshot &row);
// The columns whose values differ, as such lines of the before and of the
// after; both empty when nothing changed.
std::pair<QString, QString> changedFields(const RowSnapshot &before, const RowSnapshot &after);
// The lines read back, by column.
QMap<QString, QString> parseFieldLines(const QString &lines);

// The events as CSV (UTF-8, a header line, CRLF), for the tool.
QByteArray eventsCsv(const QList<BillEvent> &events);

} // namespace book
} // namespace sorvane
