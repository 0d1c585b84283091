#pragma once

// Several clerks on one book: a change made on an older reading of a bill is
// refused, never written over what another clerk saved in between, and a
// window only ever changes the bills it lists.

#include "data/Engine.h"

#include <optional>

namespace sorvane::book {

// Another clerk changed (or handed on) the bill since this window read it.
class ConflictError : public DbError {
public:
    ConflictError();
};

// The bills a window may change; each write checks, in its own transaction,
// that the bill is still one of them.
enum class Reach {
    InHand,    // 受取手形一覧: received, not handed on, reserved or finished (dishonoured ones too)
    Candidate, // a hand-on: received, in hand, not reserved or finished
    Issued,    // 支払手形一覧: issued by the company, not finished
    HandedOn,  // 支払手形一覧 taking a hand-on back: handed on, not finished
};

// The kind and state of a bill as stored.
struct BillState {
    int 処理 = 0;
    int 状態 = 0;
    bool 予約フラグ = false;
    bool 終了フラグ = false;
    qint64 更新回数 = 0;
    QString 譲渡先;
};

// The bill's state, read under a lock until the transaction ends; nothing
// when the bill is gone.
std::optional<BillState> lockedState(Database &db, qint64 billId);
// The bill's state without a lock, to tell a clerk what became of it.
std::optional<BillState> billState(Database &db, qint64 billId);
bool inReach(const BillState &state, Reach reach);

// The bill left the window's reach since the window read it: another clerk
// deleted it, handed it on, reserved it, finished it or took its hand-on
// back. The text says which, under the first line of a ConflictError.
class NotChangeableError : public DbError {
public:
    NotChangeableError(const std::optional<BillState> &now, Reach reach);
};
// The same text, for a write that reports the refusal by its result.
QString notChangeableText(const std::optional<BillState> &now, Reach reach);

// Locks the bill for the transaction and returns its row version; throws
// NotChangeableError when it is gone or out of the window's reach.
qint64 lockInReach(Database &db, qint64 billId, Reach reach);

// The same for a write that reports a bill out of reach by its result:
// false when the bill is gone or out of the window's reach; ConflictError
// when it is within reach but its version is not the one expected.
bool lockForChange(Database &db, qint64 billId, Reach reach, const std::optional<qint64> &version);

// Throws ConflictError when a version is expected and the stored one differs.
void checkVersion(const std::optional<qint64> &expected, qint64 stored);

} // namespace sorvane::book
