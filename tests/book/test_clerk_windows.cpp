// Two clerks on one book, each with windows of their own on a connection of
// their own, as two programs would be: a bill the other clerk handed on or
// deleted leaves the list and the form after the refusal and cannot be
// turned back or deleted; a refusal reads the list again; one number is
// issued once on an account.

#include "receivable/ReceivableTest.h"

#include "book/Payables.h"
#include "payable/PayableEntry.h"
#include "payable/PayableList.h"
#include "receivable/ReceivableList.h"

#include <QComboBox>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QString kChanged = QStringLiteral("他の担当者が先にこの手形を変更しました\n");

QMap<QString, QString> billRow(Database &db, qint64 id)
{
    Recordset rs = db.openRecordset(QStringLiteral("select * from D_手形 where id=?"), {id});
    QMap<QString, QString> row;
    for (const QString &c : rs.eof() ? QStringList() : rs.columns())
        row.insert(c.toLower(), rs.text(c));
    return row;
}

// Hands the bill of the candidate line on to the supplier through the
// payable entry window, as a clerk does.
void handOn(WindowFixture &f, int line, const QString &supplier)
{
    PayableEntryWindow w(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&w));
    child<QCheckBox>(&w, u"Check1"_qs)->click();
    auto *candidates = child<ui::LineList>(&w, u"手形一覧"_qs);
    const QModelIndex index = candidates->model()->index(line, 0);
    QTest::mouseClick(candidates->viewport(), Qt::LeftButton, {}, candidates->visualRect(index).center());
    auto *code = child<QComboBox>(&w, u"Scode"_qs);
    code->setFocus();
    code->setEditText(supplier);
    child<QLineEdit>(&w, u"振出人"_qs)->setFocus();
    QApplication::processEvents();
    press(&w, u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());
}

} // namespace

class TestClerkWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }
    void billGoneElsewhere_data();
    void billGoneElsewhere();
    void refusalReadsTheListAgain();
    void payableBillGoneElsewhere_data();
    void payableBillGoneElsewhere();
    void oneNumberTwoEntryWindows();
};

void TestClerkWindows::billGoneElsewhere_data()
{
    QTest::addColumn<QString>("byA");    // what clerk A did to the bill B has on screen
    QTest::addColumn<QString>("button"); // what B presses then, twice
    QTest::addColumn<QString>("said");
    for (const QString &button : {u"登録ボタン"_qs, u"削除ボタン"_qs}) {
        QTest::addRow("handed on, then %s", qPrintable(button))
            << u"hand on"_qs << button << u"この手形は「仕入商事」に譲渡されています。一覧を読み直しました"_qs;
        QTest::addRow("deleted, then %s", qPrintable(button))
            << u"delete"_qs << button << u"この手形は削除されています。一覧を読み直しました"_qs;
        QTest::addRow("reserved, then %s", qPrintable(button))
            << u"reserve"_qs << button << u"この手形は割引などの予約が入っています。一覧を読み直しました"_qs;
    }
}

void TestClerkWindows::billGoneElsewhere()
{
    QFETCH(QString, byA);
    QFETCH(QString, button);
    QFETCH(QString, said);
    WindowFixture a;
    SecondClerk b(a);
    addCustomer(a.db(), u"C1"_qs, u"顧客"_qs);
    a.db().execute(u"insert into S0(sc,sn) values('S1','仕入商事')"_qs);
    const qint64 taken = addBill(a.db(), u"R1"_qs, QDate(2027, 1, 29), 5000);
    addBill(a.db(), u"R2"_qs, QDate(2027, 2, 26), 6000);

    // B picks R1 in the receivable list and changes its amount.
    ReceivableListWindow list(b.ctx, b.ui, b.kit);
    QVERIFY(showActive(&list));
    QCOMPARE(billList(&list)->count(), 2);
    clickBill(&list, 0);
    QCOMPARE(textOf(&list, u"手形番号"_qs), u"R1"_qs);
    type(&list, u"金額"_qs, u"5,500"_qs);

    // Meanwhile A, in windows of A's own.
    if (byA == u"hand on") {
        handOn(a, 0, u"S1"_qs);
    } else if (byA == u"delete") {
        ReceivableListWindow mine(*a.ctx, a.ui, a.kit);
        QVERIFY(showActive(&mine));
        clickBill(&mine, 0);
        a.ui.answer(true);
        press(&mine, u"削除ボタン"_qs);
        QCOMPARE(a.ui.texts().last(), u"削除しました"_qs);
    } else {
        a.db().execute(u"update D_手形 set 予約フラグ=1,予約処理=2,状態=1,更新回数=更新回数+1 where id=?"_qs, {taken});
    }
    const auto afterA = billRow(a.db(), taken);

    QVERIFY(showActive(&list));
    b.ui.answer(true);
    press(&list, button);
    QVERIFY2(!b.ui.texts().isEmpty() && b.ui.texts().last() == kChanged + said, qPrintable(b.ui.texts().join(u'|')));
    // The bill left the list and the form: only R2 is there, nothing picked.
    QCOMPARE(billList(&list)->count(), 1);
    QVERIFY(billList(&list)->lineText(0).startsWith(u"R2  "_qs));
    QCOMPARE(billList(&list)->selectedRow(), -1);
    QCOMPARE(textOf(&list, u"手形番号"_qs), QString());
    QCOMPARE(textOf(&list, u"金額"_qs), u"0"_qs);

    // A second press reaches no bill.
    b.ui.clear();
    b.ui.answer(true);
    press(&list, button);
    QCOMPARE(b.ui.texts(), QStringList{button == u"登録ボタン" ? u"ここでは修正登録のみ可能です"_qs
                                                               : u"ここでは削除のみ可能です"_qs});
    QCOMPARE(billRow(b.ctx.db(), taken), afterA);
}

void TestClerkWindows::payableBillGoneElsewhere_data()
{
    QTest::addColumn<bool>("handedOn"); // the bill B picks: handed on, else issued
    QTest::addColumn<QString>("byA");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("said");
    const QString deleted = u"この手形は削除されています。一覧を読み直しました"_qs;
    const QString finished = u"この手形は決済などで終わっています。一覧を読み直しました"_qs;
    QTest::newRow("issued, deleted, then saved") << false << u"delete"_qs << u"登録ボタン"_qs << deleted;
    QTest::newRow("issued, paid, then saved") << false << u"finish"_qs << u"登録ボタン"_qs << finished;
    QTest::newRow("issued, deleted, then deleted") << false << u"delete"_qs << u"削除ボタン"_qs << deleted;
    QTest::newRow("issued, paid, then deleted") << false << u"finish"_qs << u"削除ボタン"_qs << finished;
    QTest::newRow("handed on, taken back, then taken back")
        << true << u"take back"_qs << u"登録ボタン"_qs
        << u"この手形は譲渡が取り消され、受取手形に戻っています。一覧を読み直しました"_qs;
    QTest::newRow("handed on, paid, then taken back") << true << u"finish"_qs << u"登録ボタン"_qs << finished;
}

// 支払手形一覧 of clerk B has a bill on screen that clerk A deleted, marked
// paid or took back: B's save, delete or taking back is refused with what
// became of it, and the bill leaves the list.
void TestClerkWindows::payableBillGoneElsewhere()
{
    QFETCH(bool, handedOn);
    QFETCH(QString, byA);
    QFETCH(QString, button);
    QFETCH(QString, said);
    WindowFixture a;
    SecondClerk b(a);
    a.db().execute(u"insert into S0(sc,sn) values('S1','仕入商事')"_qs);
    a.db().execute(u"insert into 口座データ(kozano,口座種別,銀行名,支店名,口座番号,最終手形番号) "
                   "values(1,'当座','東西銀行','本店','1234567','T0100')"_qs);
    book::Issue issue;
    issue.accountId = a.db().lastInsertId();
    issue.日付 = QDate(2026, 12, 7);
    issue.手形番号 = u"T0101"_qs;
    issue.取引先コード = u"S1"_qs;
    issue.取引先 = u"仕入商事"_qs;
    issue.振出日 = QDate(2026, 12, 7);
    issue.手形期日 = QDate(2027, 3, 8);
    issue.金額 = 1000;
    qint64 bill = book::issueBill(a.db(), issue);
    const qint64 other = book::issueBill(a.db(), [&] {
        book::Issue next = issue;
        next.手形番号 = u"T0102"_qs;
        next.手形期日 = QDate(2027, 4, 8);
        return next;
    }());
    if (handedOn) {
        a.db().execute(u"delete from D_手形 where id=?"_qs, {bill});
        bill = addBill(a.db(), u"R1"_qs, QDate(2027, 1, 29), 5000);
        QVERIFY(book::handOnBill(a.db(), bill, QDate(2026, 12, 7), u"S1"_qs, u"仕入商事"_qs));
    }

    PayableListWindow list(b.ctx, b.ui, b.kit);
    QVERIFY(showActive(&list));
    QCOMPARE(billList(&list)->count(), 2);
    clickBill(&list, 0);
    QCOMPARE(textOf(&list, u"手形番号"_qs), handedOn ? u"R1"_qs : u"T0101"_qs);
    if (handedOn)
        child<QCheckBox>(&list, u"Check2"_qs)->click();
    else
        type(&list, u"金額"_qs, u"1,500"_qs);

    if (byA == u"take back")
        QVERIFY(book::cancelHandOn(a.db(), bill));
    else if (byA == u"delete")
        a.db().execute(u"delete from D_手形 where id=?"_qs, {bill});
    else
        a.db().execute(u"update D_手形 set 終了フラグ=1,更新回数=更新回数+1 where id=?"_qs, {bill});
    const auto afterA = billRow(a.db(), bill);

    b.ui.answer(true);
    press(&list, button);
    QVERIFY2(b.ui.texts().last() == kChanged + said, qPrintable(b.ui.texts().join(u'|')));
    QCOMPARE(billList(&list)->count(), 1);
    QVERIFY(billList(&list)->lineText(0).contains(u"T0102"_qs));
    QCOMPARE(textOf(&list, u"手形番号"_qs), QString());
    QCOMPARE(billRow(b.ctx.db(), bill), afterA);
    QCOMPARE(billRow(b.ctx.db(), other).value(u"金額"_qs), u"1000"_qs);
}

// Clerk A corrected the bill B has on screen and booked a new one: B's save
// is refused, and B sees the bill as A left it in a list read again.
void TestClerkWindows::refusalReadsTheListAgain()
{
    WindowFixture a;
    SecondClerk b(a);
    addCustomer(a.db(), u"C1"_qs, u"顧客"_qs);
    const qint64 bill = addBill(a.db(), u"R1"_qs, QDate(2027, 1, 29), 5000);
    addBill(a.db(), u"R2"_qs, QDate(2027, 2, 26), 6000);

    ReceivableListWindow list(b.ctx, b.ui, b.kit);
    QVERIFY(showActive(&list));
    clickBill(&list, 1);
    QCOMPARE(textOf(&list, u"手形番号"_qs), u"R2"_qs);
    clickBill(&list, 0);
    type(&list, u"金額"_qs, u"5,500"_qs);

    book::ReceivableBill byA = *book::receivableBill(a.db(), bill);
    byA.金額 = 7777;
    book::saveReceivableBill(a.db(), byA, std::nullopt);
    addBill(a.db(), u"R0"_qs, QDate(2027, 1, 4), 1000);

    press(&list, u"登録ボタン"_qs);
    QVERIFY2(b.ui.texts().last().startsWith(kChanged + u"今の内容を読み込み直しました"_qs),
             qPrintable(b.ui.texts().join(u'|')));
    const QStringList lines = billList(&list)->lines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith(u"R0  01/04"_qs));
    QVERIFY(lines.at(1).contains(u"7,777"_qs));
    QCOMPARE(billList(&list)->selectedRow(), 1);
    QCOMPARE(textOf(&list, u"金額"_qs), u"7,777"_qs);
    QCOMPARE(a.db().scalar(u"select 金額 from D_手形 where id=?"_qs, {bill}).toLongLong(), 7777);

    // Read again, B's change goes through.
    type(&list, u"金額"_qs, u"8,000"_qs);
    b.ui.clear();
    press(&list, u"登録ボタン"_qs);
    QCOMPARE(b.ui.texts(), QStringList());
    QCOMPARE(a.db().scalar(u"select 金額 from D_手形 where id=?"_qs, {bill}).toLongLong(), 8000);
}

// Both clerks are proposed the same next number on one account; the second
// to register is refused with the bill that holds it and gets the next free
// number in its place, the rest of the bill as typed.
void TestClerkWindows::oneNumberTwoEntryWindows()
{
    WindowFixture a;
    SecondClerk b(a);
    a.db().execute(u"insert into S0(sc,sn) values('S1','仕入商事'),('S2','二番商事')"_qs);
    a.db().execute(u"insert into 口座データ(kozano,口座種別,銀行名,支店名,口座番号,手形期間,最終手形番号) "
                   "values(1,'当座','東西銀行','本店','1234567',90,'T0100')"_qs);

    std::unique_ptr<PayableEntryWindow> windows[2] = {std::make_unique<PayableEntryWindow>(*a.ctx, a.ui, a.kit),
                                                      std::make_unique<PayableEntryWindow>(b.ctx, b.ui, b.kit)};
    const QString suppliers[2] = {u"S1"_qs, u"S2"_qs};
    for (int i = 0; i < 2; ++i) {
        PayableEntryWindow *w = windows[i].get();
        QVERIFY(showActive(w));
        QComboBox *account = child<QComboBox>(w, u"口座名"_qs);
        {
            const QSignalBlocker quiet(account);
            account->setCurrentIndex(-1);
        }
        account->setFocus();
        QTest::keyClick(account, Qt::Key_Down);
        QCOMPARE(textOf(w, u"手形番号"_qs), u"T0101"_qs);
        type(w, u"振出日"_qs, u"2026/12/7"_qs);
        type(w, u"手形期日"_qs, u"2027/3/8"_qs);
        type(w, u"金額"_qs, QString::number(1000 * (i + 1)));
        auto *code = child<QComboBox>(w, u"Scode"_qs);
        code->setFocus();
        code->setEditText(suppliers[i]);
        child<QLineEdit>(w, u"振出人"_qs)->setFocus();
        QApplication::processEvents();
    }
    press(windows[0].get(), u"登録ボタン"_qs);
    QCOMPARE(a.ui.texts(), QStringList());

    QVERIFY(showActive(windows[1].get()));
    press(windows[1].get(), u"登録ボタン"_qs);
    QCOMPARE(b.ui.texts(), QStringList{u"手形番号「T0101」は、口座 1 で振り出した別の手形にすでに使われています\n"
                                       "（支払先「仕入商事」、振出日 2026/12/07、金額 1,000円）\n"
                                       "空いている次の番号「T0102」を使ってください"_qs});
    QCOMPARE(rowsOf(a.db(), u"select 手形番号,取引先 from D_手形"_qs), QStringList{u"T0101|仕入商事"_qs});
    QCOMPARE(textOf(windows[1].get(), u"手形番号"_qs), u"T0102"_qs);
    QCOMPARE(textOf(windows[1].get(), u"金額"_qs), u"2000"_qs);

    b.ui.clear();
    press(windows[1].get(), u"登録ボタン"_qs);
    QCOMPARE(b.ui.texts(), QStringList());
    QCOMPARE(rowsOf(a.db(), u"select 手形番号,取引先,金額 from D_手形 order by id"_qs),
             (QStringList{u"T0101|仕入商事|1000"_qs, u"T0102|二番商事|2000"_qs}));
    QCOMPARE(a.db().scalar(u"select 最終手形番号 from 口座データ"_qs).toString(), u"T0102"_qs);
}

QTEST_MAIN(TestClerkWindows)
#include "test_clerk_windows.moc"
