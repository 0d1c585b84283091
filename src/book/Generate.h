#pragma once

// A made-up book of realistic size and mix, for measuring the program on a
// large company's data: customers with their bill templates, suppliers,
// storage places, checking accounts, and bills received, issued, handed on,
// dishonoured and finished, with their endorsers. Everything is written
// through the book's own functions, as the windows would write it. The same
// seed and the same day give the same book.

#include <QDate>
#include <QString>

#include <functional>

namespace sorvane {

class Database;

namespace book {

struct GenerateSettings {
    qint64 bills = 0;
    quint64 seed = 1;
    // Due dates run over the five years up to half a year after this day.
    QDate today;
    // Bills written per transaction: one commit per batch keeps the run fast.
    int batch = 5000;
    // Told of the bills written after each batch.
    std::function<void(qint64 written)> progress;
};

// What was written.
struct GeneratedBook {
    qint64 inHand = 0;      // received, 状態 0
    qint64 issued = 0;      // 処理 1, open
    qint64 handedOn = 0;    // 処理 2
    qint64 dishonoured = 0; // received, 状態 2
    qint64 finished = 0;    // 終了フラグ set (received or issued)
    qint64 endorsers = 0;   // rows of 裏書人
    int customers = 0;
    int templates = 0;
    int suppliers = 0;
    int places = 0;
    int accounts = 0;
    qint64 bills() const { return inHand + issued + handedOn + dishonoured + finished; }
};

constexpr qint64 kMaxGeneratedBills = 10'000'000;

// Fills an empty main database. Refused with a DbError, nothing written,
// when it already holds bills, customers, suppliers, storage places or
// accounts, or when the count is not 1 to kMaxGeneratedBills. A failure
// midway keeps the batches committed before it.
GeneratedBook generateBook(Database &db, const GenerateSettings &settings);

// The name that endorses the most bills in a generated book (the heavy
// endorser the searches are measured with).
QString busiestGeneratedEndorser();

} // namespace book
} // namespace sorvane
