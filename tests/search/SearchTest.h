#pragma once

// Bills written straight into the book for the search and due-list tests.

#include "support/TestSupport.h"

#include "data/Engine.h"

#include <QDate>
#include <QStringList>
#include <QVariant>

namespace sorvane::test {

struct BillRow {
    int kind = 0;  // 処理
    int state = 0; // 状態
    QString number{};
    QDate due{}; // invalid: no due date
    QString code{};
    QString party{};
    QString drawer{};
    QVariant place = QVariant(QStringLiteral("")); // empty text; a null QVariant stores NULL
    qint64 amount = 0;
    QString receiverCode{};
    QString receiver{};
};

inline qint64 addBill(Database &db, const BillRow &b)
{
    db.execute(QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,取引先コード,取引先,振出人,保管場所,"
                              "手形期日,金額,kozano,予約口座id,譲渡先コード,譲渡先,注意フラグ) "
                              "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               {b.kind, b.state, QDate(2026, 11, 2), b.number, b.code, b.party, b.drawer, b.place, b.due, b.amount,
                b.kind == 1 ? 3 : 0, b.kind == 1 ? 7 : 0, b.receiverCode, b.receiver, b.kind == 0 ? 1 : 0});
    return db.lastInsertId();
}

inline void addEndorser(Database &db, qint64 billId, int position, const QString &name)
{
    db.execute(QStringLiteral("insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(?,?,?,'')"),
               {billId, position, name});
}

// The bill numbers in 検索結果, each read through its 手形id from the bill
// itself, sorted.
inline QStringList foundNumbers(Database &db)
{
    Recordset rs = db.openRecordset(QStringLiteral(
        "select d.手形番号 as n from 検索結果 r left join D_手形 d on d.id = r.手形id order by d.手形番号, r.id"));
    QStringList numbers;
    for (; !rs.eof(); rs.moveNext())
        numbers << (rs.isNull(QStringLiteral("n")) ? QStringLiteral("<no bill>") : rs.text(QStringLiteral("n")));
    numbers.sort();
    return numbers;
}

} // namespace sorvane::test
