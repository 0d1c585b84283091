// The payable list: its lines, correcting an issued bill, taking a hand-on
// back, and deleting with the account plan invalidated.

#include "PayableTest.h"

#include "book/Payables.h"
#include "payable/PayableEntry.h"
#include "payable/PayableList.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QPushButton>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

struct ListWindow {
    explicit ListWindow(WindowFixture &f) : w(std::make_unique<PayableListWindow>(*f.ctx, f.ui, f.kit)) {}
    std::unique_ptr<PayableListWindow> w;

    ui::LineList *list() const { return child<ui::LineList>(w.get(), u"List2"_qs); }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(w.get(), name); }
    QComboBox *combo(const QString &name) const { return child<QComboBox>(w.get(), name); }
    QCheckBox *check(const QString &name) const { return child<QCheckBox>(w.get(), name); }
    QString sname() const { return child<QLabel>(w.get(), u"SNAME"_qs)->text(); }
    QStringList endorsers() const { return linesOf(child<QListWidget>(w.get(), u"裏書"_qs)); }
    void click(const QString &button) const { QTest::mouseClick(child<QPushButton>(w.get(), button), Qt::LeftButton); }
};

// An issued bill on the account, to the supplier; returns its id.
qint64 addIssued(Database &db, const QString &number, qint64 accountId, qint64 kozano, const QDate &due, qint64 amount,
                 const QString &supplierCode = u"S1"_qs, const QString &supplier = u"仕入一"_qs)
{
    const qint64 id = addReceived(db, {.number = number, .due = due, .amount = amount, .kind = 1});
    db.execute(u"update D_手形 set 取引先コード=?,取引先=?,kozano=?,予約口座id=?,振出人=null,保管場所=null "
               "where id=?"_qs,
               {supplierCode, supplier, kozano, accountId, id});
    return id;
}

const QString kBillColumns = u"select 手形番号,取引先コード,取引先,kozano,予約口座id,金額,日付,手形期日,手形期間 "
                             "from D_手形 where id=?"_qs;

} // namespace

class TestPayableList : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void lines_data();
    void lines();
    void handOnTakenBack_data();
    void handOnTakenBack();
    void saveIssuedBill_data();
    void saveIssuedBill();
    void deleteBill_data();
    void deleteBill();
    void anotherClerkFirst_data();
    void anotherClerkFirst();
    void printFromFileMenu();
};

void TestPayableList::lines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QDate>("due");
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<QString>("line");
    QTest::newRow("issued") << 1 << u"A0100"_qs << QDate(2004, 10, 31) << qint64(2500)
                            << u" \u3000A0100  10/31        2,500  仕入一"_qs;
    QTest::newRow("handed on") << 2 << u"R1"_qs << QDate(2004, 11, 30) << qint64(10000)
                               << u"譲R1  11/30       10,000  仕入一"_qs;
    QTest::newRow("twelve characters fill the field")
        << 1 << u"B"_qs << QDate(2004, 1, 5) << qint64(999999999) << u" \u3000B  01/05  999,999,999  仕入一"_qs;
    QTest::newRow("a billion is not padded")
        << 1 << u"C"_qs << QDate(2004, 1, 5) << qint64(1000000000) << u" \u3000C  01/05 1,000,000,000  仕入一"_qs;
    QTest::newRow("beyond the 32-bit range of new bills")
        << 2 << u"D"_qs << QDate(2004, 1, 5) << qint64(12345678901) << u"譲D  01/05 12,345,678,901  仕入一"_qs;
    QTest::newRow("no due date") << 1 << u"E"_qs << QDate() << qint64(5)
                                 << u" \u3000E"_qs + QString(14, u' ') + u"5  仕入一"_qs;
}

void TestPayableList::lines()
{
    QFETCH(int, kind);
    QFETCH(QString, number);
    QFETCH(QDate, due);
    QFETCH(qint64, amount);
    QFETCH(QString, line);
    WindowFixture f;
    const qint64 id = addIssued(f.db(), number, 0, 0, due, amount);
    f.db().execute(u"update D_手形 set 処理=? where id=?"_qs, {kind, id});
    addReceived(f.db(), {});                                // a received bill is not listed
    addIssued(f.db(), u"F"_qs, 0, 0, QDate(2003, 1, 1), 1); // nor a finished one
    f.db().execute(u"update D_手形 set 終了フラグ=1 where 手形番号='F'"_qs);
    ListWindow l(f);
    QCOMPARE(l.list()->lines(), QStringList{line});
}

void TestPayableList::handOnTakenBack_data()
{
    QTest::addColumn<bool>("checkIssue"); // "振出し" checked before saving
    QTest::newRow("振出し takes the hand-on back") << true;
    QTest::newRow("譲渡 left checked writes nothing") << false;
}

void TestPayableList::handOnTakenBack()
{
    QFETCH(bool, checkIssue);
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入一"_qs);
    const qint64 id = addReceived(f.db(), {.number = u"R7"_qs, .drawer = u"振出商事"_qs});
    for (int n : {3, 1})
        f.db().execute(u"insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(?,?,?,'')"_qs,
                       {id, n, u"裏書%1"_qs.arg(n)});
    const auto received = billRow(f.db(), id);

    // Handed on in the entry window.
    {
        auto entry = std::make_unique<PayableEntryWindow>(*f.ctx, f.ui, f.kit);
        QVERIFY(showActive(entry.get()));
        child<QCheckBox>(entry.get(), u"Check1"_qs)->click();
        clickRow(child<ui::LineList>(entry.get(), u"手形一覧"_qs), 0);
        auto *scode = child<QComboBox>(entry.get(), u"Scode"_qs);
        scode->setFocus();
        scode->setEditText(u"S1"_qs);
        child<QLineEdit>(entry.get(), u"振出人"_qs)->setFocus();
        f.ui.answer(true); // past its due date: handed on all the same
        QTest::mouseClick(child<QPushButton>(entry.get(), u"登録ボタン"_qs), Qt::LeftButton);
        QCOMPARE(child<ui::LineList>(entry.get(), u"手形一覧"_qs)->count(), 0);
        QCOMPARE(f.ui.texts().size(), 1);
        f.ui.clear();
    }
    const auto handedOn = billRow(f.db(), id);
    QCOMPARE(handedOn.value(u"処理"_qs), u"2"_qs);

    ListWindow l(f);
    QVERIFY(showActive(l.w.get()));
    QCOMPARE(l.list()->lines(), QStringList{u"譲R7  10/31       10,000  得意先商事"_qs});
    clickRow(l.list(), 0);
    QVERIFY(l.check(u"Check1"_qs)->isChecked());
    QVERIFY(!l.check(u"Check2"_qs)->isChecked());
    QCOMPARE(l.combo(u"Scode"_qs)->currentText(), u"S1"_qs);
    QCOMPARE(l.sname(), u"仕入一"_qs);
    QCOMPARE(l.edit(u"振出人"_qs)->text(), u"振出商事"_qs);
    QCOMPARE(l.combo(u"口座名"_qs)->currentText(), QString());
    QCOMPARE(l.endorsers(), (QStringList{u"裏書1"_qs, u"裏書3"_qs}));
    for (QWidget *locked : std::initializer_list<QWidget *>{l.combo(u"Scode"_qs), l.edit(u"金額"_qs),
                                                            l.edit(u"手形期日"_qs), l.combo(u"手形番号"_qs)})
        QVERIFY2(!locked->isEnabled(), qPrintable(locked->objectName()));
    QVERIFY(l.check(u"Check2"_qs)->isEnabled());

    // The delete refuses a handed-on bill.
    l.click(u"削除ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList{u"譲渡した手形は削除できません\n先に譲渡を解除してください"_qs});
    f.ui.clear();

    if (checkIssue) {
        l.check(u"Check2"_qs)->click();
        QVERIFY(!l.check(u"Check1"_qs)->isChecked());
    }
    l.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());

    if (!checkIssue) {
        QCOMPARE(billRow(f.db(), id), handedOn);
        QCOMPARE(l.list()->count(), 1);
        return;
    }
    auto expected = received;
    expected[u"保管場所"_qs] = QString();
    expected[u"予約日"_qs] = u"<null>"_qs;
    expected[u"譲渡先コード"_qs] = u"<null>"_qs;
    expected[u"譲渡先"_qs] = u"<null>"_qs;
    expected[u"更新回数"_qs] = u"2"_qs; // handed on, then taken back
    QCOMPARE(billRow(f.db(), id), expected);
    QCOMPARE(l.list()->count(), 0);
    QVERIFY(l.check(u"Check2"_qs)->isChecked());
    QVERIFY(l.edit(u"金額"_qs)->isEnabled());

    // A candidate again.
    auto entry = std::make_unique<PayableEntryWindow>(*f.ctx, f.ui, f.kit);
    QCOMPARE(child<ui::LineList>(entry.get(), u"手形一覧"_qs)->count(), 1);
}

void TestPayableList::saveIssuedBill_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("row");       // the bill afterwards
    QTest::addColumn<QStringList>("lasts"); // 最終手形番号 of the accounts in kozano order
    QTest::addColumn<QString>("message");
    const QString unchanged = u"A0005|S1|仕入一|1|1|2500|2004-08-03|2004-10-31|90"_qs;
    const QStringList untouchedLasts = {u"A0009"_qs, u"X"_qs, u"B0041"_qs};
    QTest::newRow("saved as shown keeps the account's later number")
        << u"none"_qs << QString() << unchanged << untouchedLasts << QString();
    QTest::newRow("the last bill corrected moves the number")
        << u"number"_qs << u"A0009"_qs << u"A0010|S1|仕入一|1|1|2500|2004-08-03|2004-10-31|90"_qs
        << QStringList{u"A0010"_qs, u"X"_qs, u"B0041"_qs} << QString();
    QTest::newRow("another account proposes its next number")
        << u"account"_qs << u"3: 南北銀行/本店/1234567"_qs << u"B0042|S1|仕入一|3|3|3000|2004-08-03|2004-10-31|90"_qs
        << QStringList{u"A0009"_qs, u"X"_qs, u"B0042"_qs} << QString();
    QTest::newRow("the same account again proposes nothing")
        << u"account"_qs << u"1: 東西銀行/本店/1234567"_qs << u"A0005|S1|仕入一|1|1|3000|2004-08-03|2004-10-31|90"_qs
        << untouchedLasts << QString();
    QTest::newRow("supplier typed full-width")
        << u"supplier"_qs << u"ｓ２"_qs << u"A0005|S2|仕入二|1|1|2500|2004-08-03|2004-10-31|90"_qs << untouchedLasts
        << QString();
    QTest::newRow("a click into the supplier code keeps it")
        << u"supplier"_qs << u"S1"_qs << unchanged << untouchedLasts << QString();
    QTest::newRow("new dates and term") << u"dates"_qs << u"2004/12/1"_qs
                                        << u"A0005|S1|仕入一|1|1|2500|2004-08-03|2004-12-01|121"_qs << untouchedLasts
                                        << QString();
    QTest::newRow("no account") << u"accountText"_qs << QString() << unchanged << untouchedLasts
                                << u"口座が選ばれていません\n手形を振り出した口座を選んでください"_qs;
    QTest::newRow("account text without colon") << u"accountText"_qs << u"東西銀行"_qs << unchanged << untouchedLasts
                                                << u"口座が選ばれていません\n手形を振り出した口座を選んでください"_qs;
    QTest::newRow("account not registered")
        << u"accountText"_qs << u"9: 無い銀行"_qs << unchanged << untouchedLasts
        << u"口座「9: 無い銀行」は登録されていません\n一覧から口座を選んでください"_qs;
    QTest::newRow("due date not a date") << u"dates"_qs << u"2004/13/1"_qs << unchanged << untouchedLasts
                                         << u"手形期日「2004/13/1」は日付ではありません\n"
                                            "年/月/日の形で入力してください（例 2026/12/7）"_qs;
    QTest::newRow("amount not a number") << u"amount"_qs << u"三千"_qs << unchanged << untouchedLasts
                                         << u"金額は数字で入力してください\n（例: 1,234,567）"_qs;
    QTest::newRow("no line picked") << u"nothing picked"_qs << QString() << unchanged << untouchedLasts
                                    << u"ここでは修正のみ可能です"_qs;
    QTest::newRow("no line picked, from the menu")
        << u"nothing picked, menu"_qs << QString() << unchanged << untouchedLasts << u"ここでは修正のみ可能です"_qs;
}

void TestPayableList::saveIssuedBill()
{
    QFETCH(QString, action);
    QFETCH(QString, typed);
    QFETCH(QString, row);
    QFETCH(QStringList, lasts);
    QFETCH(QString, message);
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入一"_qs);
    addSupplier(f.db(), u"S2"_qs, u"仕入二"_qs);
    const qint64 a = addAccount(f.db(), {.kozano = 1, .last = u"A0009"_qs, .holder = u"名義一"_qs});
    addAccount(f.db(), {.kozano = 2, .kind = u"普通"_qs, .last = u"X"_qs});
    addAccount(f.db(), {.kozano = 3, .last = u"B0041"_qs, .bank = u"南北銀行"_qs, .holder = u"名義三"_qs});
    const qint64 id = addIssued(f.db(), u"A0005"_qs, a, 1, QDate(2004, 10, 31), 2500);
    if (action == u"number")
        f.db().execute(u"update D_手形 set 手形番号='A0009' where id=?"_qs, {id});

    ListWindow l(f);
    QVERIFY(showActive(l.w.get()));
    QCOMPARE(itemsOf(l.combo(u"口座名"_qs)),
             (QStringList{u"1: 東西銀行/本店/1234567"_qs, u"3: 南北銀行/本店/1234567"_qs}));
    if (!action.startsWith(u"nothing picked")) {
        clickRow(l.list(), 0);
        QVERIFY(l.check(u"Check2"_qs)->isChecked());
        QVERIFY(!l.check(u"Check2"_qs)->isEnabled());
        QCOMPARE(l.edit(u"振出人"_qs)->text(), u"自社"_qs);
        QCOMPARE(l.combo(u"口座名"_qs)->currentText(), u"1: 東西銀行/本店/1234567"_qs);
        QCOMPARE(l.edit(u"日付"_qs)->text(), u"2004/08/03"_qs);
        QCOMPARE(l.edit(u"金額"_qs)->text(), u"2,500"_qs);
    }
    if (action == u"number") {
        l.combo(u"手形番号"_qs)->setEditText(u"A0010"_qs);
    } else if (action == u"account") {
        QComboBox *accounts = l.combo(u"口座名"_qs);
        pickLine(accounts, accounts->findText(typed));
        l.edit(u"金額"_qs)->setText(u"3,000"_qs);
        if (typed.startsWith(u'3')) {
            QCOMPARE(l.combo(u"手形番号"_qs)->currentText(), u"B0042"_qs);
            QCOMPARE(l.edit(u"振出人"_qs)->text(), u"名義三"_qs);
            QCOMPARE(l.combo(u"支払場所"_qs)->currentText(), u"南北銀行"_qs);
        }
    } else if (action == u"supplier") {
        QComboBox *scode = l.combo(u"Scode"_qs);
        scode->setFocus();
        QApplication::processEvents();
        QCOMPARE(scode->currentText(), u"S1"_qs); // the click into the field keeps the code
        scode->setEditText(typed);
        l.edit(u"振出人"_qs)->setFocus();
        QApplication::processEvents();
    } else if (action == u"dates") {
        l.edit(u"手形期日"_qs)->setText(typed);
    } else if (action == u"accountText") {
        l.combo(u"口座名"_qs)->setEditText(typed);
    } else if (action == u"amount") {
        l.edit(u"金額"_qs)->setText(typed);
    }
    if (action.endsWith(u"menu"))
        child<QAction>(l.w.get(), u"MH1"_qs)->trigger();
    else
        l.click(u"登録ボタン"_qs);

    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(rowsOf(f.db(), kBillColumns, {id}), QStringList{row});
    QCOMPARE(rowsOf(f.db(), u"select 最終手形番号 from 口座データ order by kozano"_qs), lasts);
    if (message.isEmpty()) {
        // Saved: the form is cleared and the list read again.
        QCOMPARE(l.list()->selectedRow(), -1);
        QCOMPARE(l.combo(u"手形番号"_qs)->currentText(), QString());
        QCOMPARE(l.list()->count(), 1);
    }
}

void TestPayableList::deleteBill_data()
{
    QTest::addColumn<int>("picked"); // -1: none
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("deleted");
    const QString confirm = u"削除しますよ\n元に戻せません"_qs;
    QTest::newRow("OK deletes") << 1 << false << true << QStringList{confirm, u"削除しました"_qs} << true;
    QTest::newRow("OK from the menu") << 1 << true << true << QStringList{confirm, u"削除しました"_qs} << true;
    QTest::newRow("Cancel deletes nothing") << 1 << false << false << QStringList{confirm} << false;
    QTest::newRow("handed-on line") << 0 << false << true
                                    << QStringList{u"譲渡した手形は削除できません\n先に譲渡を解除してください"_qs}
                                    << false;
    QTest::newRow("no line picked") << -1 << true << true << QStringList{u"ここでは削除のみ可能です"_qs} << false;
}

void TestPayableList::deleteBill()
{
    QFETCH(int, picked);
    QFETCH(bool, viaMenu);
    QFETCH(bool, answer);
    QFETCH(QStringList, texts);
    QFETCH(bool, deleted);
    WindowFixture f;
    for (int k = 1; k <= 5; ++k)
        addAccount(f.db(), {.kozano = k});
    f.db().execute(u"update 口座データ set 計画済年月='2004-06-30'"_qs);
    for (const auto &[account, day] : {std::pair{4, "2004-11-30"}, std::pair{5, "2004-09-30"},
                                       std::pair{5, "2004-10-31"}, std::pair{5, "2004-12-31"}})
        f.db().execute(u"insert into 口座残高(口座id,月末日付) values(?,?)"_qs, {account, QString::fromLatin1(day)});
    const qint64 handed = addReceived(f.db(), {.due = QDate(2004, 9, 1), .kind = 2});
    const qint64 issued = addIssued(f.db(), u"P5"_qs, 5, 5, QDate(2004, 10, 31), 7000);
    const auto before = billRow(f.db(), issued);
    const auto handedBefore = billRow(f.db(), handed);

    ListWindow l(f);
    QVERIFY(showActive(l.w.get()));
    QCOMPARE(l.list()->count(), 2);
    if (picked >= 0)
        clickRow(l.list(), picked);
    f.ui.answer(answer);
    if (viaMenu)
        child<QAction>(l.w.get(), u"MS1"_qs)->trigger();
    else
        l.click(u"削除ボタン"_qs);

    QCOMPARE(f.ui.texts(), texts);
    if (texts.first().startsWith(u"削除しますよ")) {
        QCOMPARE(f.ui.shown.first().title, u"削除の確認"_qs);
        QCOMPARE(f.ui.shown.first().preset, MessageService::Default::Cancel);
    }
    QCOMPARE(billRow(f.db(), handed), handedBefore);
    const QMap<QString, QString> gone;
    QCOMPARE(billRow(f.db(), issued), deleted ? gone : before);
    QCOMPARE(rowsOf(f.db(), u"select kozano,計画済年月 from 口座データ where 計画済年月<>'2004-06-30'"_qs),
             deleted ? QStringList{u"5|2004-10-31"_qs} : QStringList());
    const QStringList kept = {u"4|2004-11-30"_qs, u"5|2004-09-30"_qs};
    const QStringList all = kept + QStringList{u"5|2004-10-31"_qs, u"5|2004-12-31"_qs};
    QCOMPARE(rowsOf(f.db(), u"select 口座id,月末日付 from 口座残高 order by 口座id,月末日付"_qs), deleted ? kept : all);
    QCOMPARE(l.list()->count(), deleted ? 1 : 2);
}

void TestPayableList::printFromFileMenu()
{
    WindowFixture f;
    addIssued(f.db(), u"P2"_qs, 0, 0, QDate(2004, 11, 30), 300);
    addIssued(f.db(), u"P1"_qs, 0, 0, QDate(2004, 10, 31), 200);
    ListWindow l(f);
    QVERIFY(showActive(l.w.get()));
    // Printing comes after the items the menu always had.
    auto *file = child<QMenu>(l.w.get(), u"MF"_qs);
    QStringList items;
    for (QAction *a : file->actions())
        items << a->objectName() + u' ' + a->text();
    QCOMPARE(items, (QStringList{u"MH1 保存"_qs, u"MS1 削除"_qs, u"ME1 終了"_qs, u"MP1 印刷"_qs}));
    int pages = 0;
    f.ui.onModal(u"印刷プレビュー"_qs, [&](QDialog *d) { pages = d->findChild<QPrintPreviewWidget *>()->pageCount(); });
    child<QAction>(l.w.get(), u"MP1"_qs)->trigger();
    QCOMPARE(f.ui.modalWindows, QStringList{u"印刷プレビュー"_qs});
    QCOMPARE(pages, 1);
    QVERIFY(f.ui.shown.isEmpty());
    QCOMPARE(l.list()->lines().size(), 2); // the list stays as it was
}

QTEST_MAIN(TestPayableList)
void TestPayableList::anotherClerkFirst_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::newRow("saving over another clerk's correction") << false;
    QTest::newRow("deleting a bill another clerk corrected") << true;
}

// Another clerk corrected the issued bill on screen: the save or delete is
// refused with a message, and the bill is shown as that clerk left it.
void TestPayableList::anotherClerkFirst()
{
    QFETCH(bool, deleting);
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入一"_qs);
    const qint64 a = addAccount(f.db(), {.kozano = 1, .last = u"A0009"_qs, .holder = u"名義一"_qs});
    const qint64 id = addIssued(f.db(), u"A0005"_qs, a, 1, QDate(2004, 10, 31), 2500);
    ListWindow l(f);
    QVERIFY(showActive(l.w.get()));
    clickRow(l.list(), 0);
    QCOMPARE(l.edit(u"金額"_qs)->text(), u"2,500"_qs);

    f.db().execute(u"update D_手形 set 金額=7777,更新回数=更新回数+1 where id=?"_qs, {id});
    l.edit(u"金額"_qs)->setText(u"3,000"_qs);
    f.ui.answer(true);
    l.click(deleting ? u"削除ボタン"_qs : u"登録ボタン"_qs);
    QVERIFY2(f.ui.texts().last().startsWith(u"他の担当者が先にこの手形を変更しました"_qs),
             qPrintable(f.ui.texts().join(u'|')));
    QCOMPARE(f.db().scalar(u"select 金額 from D_手形 where id=?"_qs, {id}).toLongLong(), 7777);
    QCOMPARE(l.edit(u"金額"_qs)->text(), u"7,777"_qs);
}

#include "test_list.moc"
