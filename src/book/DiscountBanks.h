#pragma once

// 割引先: the banks where the company discounts its received bills, each
// with the account the proceeds are credited to and the limit (割引枠) the
// bank grants.

#include <QList>
#include <QString>

#include <optional>

namespace sorvane {

class Database;

namespace book {

struct DiscountBank {
    qint64 id = 0;
    QString コード;
    QString 銀行名;
    QString 支店名;
    QString 入金口座;
    qint64 割引枠 = 0;
    // "bank branch", as events and lists name the bank.
    QString display() const;
};

// By code.
QList<DiscountBank> discountBanks(Database &db);
std::optional<DiscountBank> discountBank(Database &db, const QString &code);

// Stores the bank under its code (full-width letters read as half-width),
// a new one or over the one with that code. Refused with a DbError: an
// empty code or bank name, a code longer than 5 characters, a limit below 0.
void saveDiscountBank(Database &db, const DiscountBank &bank);

// Refused, with the count, while discounted bills not yet finished were
// discounted at the bank. False when there is no such bank.
bool deleteDiscountBank(Database &db, const QString &code);

// What the bank's limit is taken up by: the amounts of the bills discounted
// there and not yet finished, and how many they are.
struct LimitUse {
    qint64 used = 0;
    int bills = 0;
};
LimitUse discountLimitUse(Database &db, const QString &code);

} // namespace book
} // namespace sorvane
