#pragma once

// Bills of every kind put straight into the tables, as the entry windows
// leave them, for the tests of the ledgers, statements and journal.

#include "book/History.h"
#include "data/Engine.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace sorvane::test {

struct Bill {
    int 処理 = 0; // 0 received, 1 issued, 2 handed on
    int 状態 = 0; // 0 in hand, 2 dishonoured, -2 handed on
    QDate 日付;
    QString 番号;
    QString コード = QStringLiteral("X1"); // 取引先コード
    QString 取引先;
    QString 振出人;
    QDate 振出日;
    QDate 期日;
    qint64 金額 = 0;
    QString 銀行;
    QString 支店;
    QString 譲渡先;
    QDate 予約日;
    bool 終了 = false;
    qint64 kozano = 0;
    qint64 口座id = 0;
};

inline QVariant orNull(const QDate &d)
{
    return d.isValid() ? QVariant(d) : QVariant(QMetaType::fromType<QString>());
}

inline qint64 insertBill(Database &db, const Bill &b)
{
    db.execute(QStringLiteral("insert into D_手形 (処理, 状態, 日付, 手形番号, 取引先コード, 取引先, 振出人, 振出日, "
                              "手形期日, 金額, 支払場所, 支払場所支店, 譲渡先コード, 譲渡先, 予約フラグ, 予約処理, "
                              "予約日, kozano, 予約口座id, 終了フラグ) "
                              "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {b.処理,
                b.状態,
                orNull(b.日付),
                b.番号,
                b.コード,
                b.取引先,
                b.振出人,
                orNull(b.振出日),
                orNull(b.期日),
                b.金額,
                b.銀行,
                b.支店,
                b.処理 == 2 ? QVariant(QStringLiteral("S1")) : QVariant(),
                b.処理 == 2 ? QVariant(b.譲渡先) : QVariant(),
                b.処理 == 2 ? 1 : 0,
                b.処理 == 2 ? 1 : 0,
                orNull(b.予約日),
                b.kozano,
                b.口座id,
                b.終了 ? 1 : 0});
    const qint64 id = db.lastInsertId();
    // The history the entry windows write with the bill: received or issued
    // on the booking date, handed on on the hand-on's date.
    book::BillEvent e;
    e.billId = id;
    e.kind = b.処理 == 1 ? book::kind::振出 : book::kind::受取;
    e.date = b.日付;
    e.処理 = b.処理 == 1 ? 1 : 0;
    e.手形番号 = b.番号;
    e.取引先コード = b.コード;
    e.取引先 = b.取引先;
    e.手形期日 = b.期日;
    e.金額 = b.金額;
    e.後状態 = b.処理 == 1 ? book::state::振出 : book::state::手元;
    book::recordEvent(db, e);
    if (b.処理 == 2) {
        e.kind = book::kind::譲渡;
        e.date = b.予約日;
        e.処理 = 2;
        e.相手先コード = QStringLiteral("S1");
        e.相手先 = b.譲渡先;
        e.前状態 = book::state::手元;
        e.後状態 = book::state::譲渡;
        book::recordEvent(db, e);
    }
    return id;
}

// A bill the company issued, booked on the day it was drawn.
inline Bill issuedBill(const QDate &date, const QString &number, const QString &supplier, const QDate &due,
                       qint64 amount)
{
    Bill b;
    b.処理 = 1;
    b.日付 = date;
    b.番号 = number;
    b.取引先 = supplier;
    b.期日 = due;
    b.金額 = amount;
    return b;
}

// A customer (T0) or supplier (S0) with its 登録番号 or 法人番号.
inline void insertParty(Database &db, const QString &table, const QString &code, const QString &name,
                        const QString &number = {})
{
    const bool customer = table == u"T0";
    db.execute(QStringLiteral("insert into %1 (%2, %3, 登録番号) values (?, ?, ?)")
                   .arg(table, customer ? QStringLiteral("tc") : QStringLiteral("sc"),
                        customer ? QStringLiteral("tn") : QStringLiteral("sn")),
               {code, name, number});
}

inline void insertEndorser(Database &db, qint64 bill, int order, const QString &name)
{
    db.execute(QStringLiteral("insert into 裏書人 (手形id, 表示順, 裏書人, 裏書人住所) values (?, ?, ?, '')"),
               {bill, order, name});
}

inline qint64 insertAccount(Database &db, qint64 kozano, const QString &bank, const QString &branch)
{
    db.execute(QStringLiteral("insert into 口座データ (kozano, 銀行名, 支店名, 口座種別) values (?, ?, ?, '当座')"),
               {kozano, bank, branch});
    return db.lastInsertId();
}

// A received bill of the given kind booked on the day, with its expected
// てん末 in the receivable ledger.
struct KindCase {
    QString kind;
    Bill bill;
    QString outcome;
};

inline QList<KindCase> billsOfEveryKind(const QDate &day, int n)
{
    QList<KindCase> out;
    for (int i = 0; i < n; ++i) {
        Bill b;
        b.日付 = day.addDays(i % 20);
        b.番号 = QStringLiteral("K%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        b.取引先 = QStringLiteral("株式会社青葉商事");
        b.振出人 = QStringLiteral("青葉物産株式会社");
        b.振出日 = b.日付.addDays(-5);
        b.期日 = b.日付.addDays(90);
        b.金額 = 100000 + i * 1000;
        b.銀行 = QStringLiteral("みずほ銀行");
        b.支店 = QStringLiteral("京橋支店");
        QString kind, outcome;
        switch (i % 4) {
        case 0:
            kind = QStringLiteral("in hand");
            break;
        case 1:
            kind = QStringLiteral("dishonoured");
            b.状態 = 2;
            outcome = QStringLiteral("不渡");
            break;
        case 2:
            kind = QStringLiteral("handed on");
            b.処理 = 2;
            b.状態 = -2;
            b.譲渡先 = QStringLiteral("丸紅資材株式会社");
            b.予約日 = b.日付.addDays(10);
            outcome = QStringLiteral("譲渡 丸紅資材株式会社");
            break;
        default:
            kind = QStringLiteral("finished");
            b.終了 = true;
            outcome = QStringLiteral("決済");
            break;
        }
        out << KindCase{kind, b, outcome};
    }
    return out;
}

} // namespace sorvane::test
