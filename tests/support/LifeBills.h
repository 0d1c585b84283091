#pragma once

// Bills booked through the book's own steps, as the windows book them, for
// the tests that follow bills through their life.

#include "book/BillLife.h"
#include "book/DiscountBanks.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Engine.h"

#include <QDate>
#include <QString>

namespace sorvane::test {

inline qint64 receive(Database &db, const QString &number, const QDate &booked, const QDate &due, qint64 amount)
{
    book::ReceivableBill b;
    b.日付 = booked;
    b.手形番号 = number;
    b.取引先コード = QStringLiteral("C1");
    b.取引先 = QStringLiteral("得意先商事");
    b.振出人 = QStringLiteral("振出工業");
    b.手形期日 = due;
    b.金額 = amount;
    return book::registerReceivableBill(db, b, std::nullopt);
}

inline qint64 issue(Database &db, const QString &number, const QDate &booked, const QDate &due, qint64 amount)
{
    QVariant account = db.scalar(QStringLiteral("select id from 口座データ where kozano = 1"));
    if (account.isNull()) {
        db.execute(QStringLiteral("insert into 口座データ(kozano,口座種別,銀行名) values(1,'当座','北銀行')"));
        account = db.lastInsertId();
    }
    book::Issue i;
    i.accountId = account.toLongLong();
    i.日付 = booked;
    i.手形番号 = number;
    i.取引先コード = QStringLiteral("S1");
    i.取引先 = QStringLiteral("仕入商会");
    i.手形期日 = due;
    i.金額 = amount;
    return book::issueBill(db, i);
}

inline void addBank(Database &db)
{
    book::DiscountBank b;
    b.コード = QStringLiteral("B1");
    b.銀行名 = QStringLiteral("東西銀行");
    b.支店名 = QStringLiteral("本店");
    b.割引枠 = 100000000;
    book::saveDiscountBank(db, b);
}

// A step on the date, taken on `today`.
inline book::StepInput stepOn(qint64 id, const QDate &date, const QDate &today)
{
    return {id, std::nullopt, date, today};
}

} // namespace sorvane::test
