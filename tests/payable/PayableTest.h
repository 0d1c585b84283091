#pragma once

// Rows the payable tests start from: accounts, suppliers and received bills
// put straight into the tables, and whole bill rows to compare.

#include "master/MasterTest.h"

#include "data/Engine.h"
#include "ui/LineList.h"

#include <QComboBox>
#include <QMap>
#include <QVariant>

// Rows are written with designated initializers; the members left out keep
// their defaults on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace sorvane::test {

struct AccountRow {
    qint64 kozano = 1;
    QString kind = QStringLiteral("当座");
    QString last;
    int term = 90;
    QString bank = QStringLiteral("東西銀行");
    QString branch = QStringLiteral("本店");
    QString number = QStringLiteral("1234567");
    QString holder = QStringLiteral("株式会社ソルヴァン");
};

// Returns the account's id.
inline qint64 addAccount(Database &db, const AccountRow &a)
{
    db.execute(QStringLiteral("insert into 口座データ(kozano,口座名義,銀行コード,銀行名,支店コード,支店名,口座番号,"
                              "口座種別,支払県,支払市,手形期間,最終手形番号) values(?,?,?,?,?,?,?,?,?,?,?,?)"),
               {a.kozano, a.holder, QStringLiteral("0%1").arg(a.kozano), a.bank, QStringLiteral("1%1").arg(a.kozano),
                a.branch, a.number, a.kind, QStringLiteral("東京都"), QStringLiteral("千代田区"), a.term, a.last});
    return db.lastInsertId();
}

inline void addSupplier(Database &db, const QString &code, const QString &name)
{
    db.execute(QStringLiteral("insert into S0(sc,sn) values(?,?)"), {code, name});
}

struct ReceivedRow {
    QString number = QStringLiteral("R001");
    QString drawer = QStringLiteral("振出商事");
    QDate issue = QDate(2004, 8, 2);
    QDate due = QDate(2004, 10, 31);
    qint64 amount = 10000;
    int state = 0;
    bool reserved = false;
    bool finished = false;
    int kind = 0; // 処理
};

// A received bill with every column of its own filled; returns its id.
inline qint64 addReceived(Database &db, const ReceivedRow &r)
{
    db.execute(QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,取引先コード,取引先,振出人,振出地,振出日,"
                              "手形期日,手形期間,金額,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,"
                              "支払場所支店,保管場所,注意フラグ,予約フラグ,終了フラグ) "
                              "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,1,?,?)"),
               {r.kind,
                r.state,
                QDate(2004, 8, 3),
                r.number,
                QStringLiteral("C1"),
                QStringLiteral("得意先商事"),
                r.drawer,
                QStringLiteral("大阪市"),
                r.issue,
                r.due,
                r.issue.isValid() ? r.issue.daysTo(r.due) : 0,
                r.amount,
                QStringLiteral("大阪府"),
                QStringLiteral("大阪市"),
                QStringLiteral("0005"),
                QStringLiteral("南北銀行"),
                QStringLiteral("201"),
                QStringLiteral("難波支店"),
                QStringLiteral("金庫"),
                r.reserved ? 1 : 0,
                r.finished ? 1 : 0});
    return db.lastInsertId();
}

// Every column of the bill, by name; empty when there is no such bill.
inline QMap<QString, QString> billRow(Database &db, qint64 id)
{
    Recordset rs = db.openRecordset(QStringLiteral("select * from D_手形 where id=?"), {id});
    QMap<QString, QString> row;
    if (rs.eof())
        return row;
    for (const QString &c : rs.columns())
        row.insert(c, rs.isNull(c) ? QStringLiteral("<null>") : rs.text(c));
    return row;
}

inline int countOf(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toInt();
}

// A user's click on a line of a long list.
inline void clickRow(ui::LineList *list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

// Picks the line of a combo box with the keyboard, as a user stepping down
// the list does.
inline void pickLine(QComboBox *combo, int line)
{
    {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(line - 1);
    }
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
}

inline QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace sorvane::test
