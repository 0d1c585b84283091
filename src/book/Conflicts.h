#pragma once

// Several clerks on one book: a change made on an older reading of a bill is
// refused, never written over what another clerk saved in between.

#include "data/Engine.h"

#include <optional>

namespace sorvane::book {

// Another clerk changed (or handed on) the bill since this window read it.
class ConflictError : public DbError {
public:
    ConflictError();
};

// The row version of the bill, read under a lock until the transaction
// ends; nothing when the bill is gone.
std::optional<qint64> lockedVersion(Database &db, qint64 billId);

// Throws ConflictError when a version is expected and the stored one differs.
void checkVersion(const std::optional<qint64> &expected, qint64 stored);

} // namespace sorvane::book
