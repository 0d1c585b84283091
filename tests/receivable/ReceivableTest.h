#pragma once

// Shared pieces of the receivable window tests: bills, customers and
// templates put straight into the database, and fields typed by name.

#include "master/MasterTest.h"

#include "ui/LineList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace sorvane::test {

inline QVariant null()
{
    return QVariant(QMetaType::fromType<QString>());
}

inline qint64 addCustomer(Database &db, const QString &code, const QString &name)
{
    db.execute(QStringLiteral("insert into T0(tc,tn) values(?,?)"), {code, name});
    return db.lastInsertId();
}

inline qint64 addTemplate(Database &db, qint64 customer, const QString &drawer, const QString &bank,
                          const QString &branch, const QString &last, int term)
{
    db.execute(
        QStringLiteral("insert into T1(idoft,振出人,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,"
                       "支払場所支店,手形期間,最終手形番号) values(?,?,'東京都','千代田区','0001',?,'100',?,?,?)"),
        {customer, drawer, bank, branch, term, last});
    return db.lastInsertId();
}

// A received bill; `more` sets further columns, e.g. "処理=2".
inline qint64 addBill(Database &db, const QString &number, const QVariant &due, qint64 amount,
                      const QString &customer = QStringLiteral("顧客"), const QString &more = {})
{
    db.execute(QStringLiteral("insert into D_手形(処理,日付,手形番号,取引先コード,取引先,振出人,振出地,振出日,手形期日,"
                              "金額,保管場所) values(0,'2026-11-02',?,'C1',?,'振出','東京','2026-11-01',?,?,'金庫')"),
               {number, customer, due, amount});
    const qint64 id = db.lastInsertId();
    if (!more.isEmpty())
        db.execute(QStringLiteral("update D_手形 set %1 where id=?").arg(more), {id});
    return id;
}

inline void addEndorser(Database &db, qint64 bill, int position, const QString &name)
{
    db.execute(QStringLiteral("insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(?,?,?,?)"),
               {bill, position, name, name + QStringLiteral("住所")});
}

inline QWidget *field(QWidget *window, const QString &name)
{
    QWidget *w = window->findChild<QWidget *>(name);
    if (!w)
        qWarning("no field %s", qPrintable(name));
    return w;
}

inline void type(QWidget *window, const QString &name, const QString &text)
{
    QWidget *w = field(window, name);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(text);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setEditText(text);
}

inline QString textOf(QWidget *window, const QString &name)
{
    QWidget *w = field(window, name);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    return {};
}

// Types into the field and leaves it for the next one, as a user does.
inline void typeAndLeave(QWidget *window, const QString &name, const QString &text, const QString &next)
{
    type(window, name, text);
    enterAndLeave(field(window, name), field(window, next));
}

inline void press(QWidget *window, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

inline ui::LineList *billList(QWidget *window)
{
    return child<ui::LineList>(window, QStringLiteral("List2"));
}

// A user's click on a line of a bill list.
inline void clickBill(QWidget *window, int row)
{
    ui::LineList *list = billList(window);
    const QModelIndex i = list->model()->index(row, 0);
    list->scrollTo(i);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(i).center());
}

// The four name and address slots of the endorsement dialog.
inline QStringList slotsOf(QDialog *d)
{
    QStringList s;
    for (int i = 1; i <= 4; ++i)
        s << textOf(d, QStringLiteral("氏名%1").arg(i)) + u'/' + textOf(d, QStringLiteral("住所%1").arg(i));
    return s;
}

} // namespace sorvane::test
