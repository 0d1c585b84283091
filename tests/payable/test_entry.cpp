// The payable entry window: issuing a bill on an account, handing a received
// bill on, the two modes, the account and supplier look-ups, and what is
// refused with a message.

#include "PayableTest.h"

#include "app/MainMenu.h"
#include "book/Payables.h"
#include "payable/PayableEntry.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

struct Entry {
    explicit Entry(WindowFixture &f) : w(std::make_unique<PayableEntryWindow>(*f.ctx, f.ui, f.kit)) {}
    std::unique_ptr<PayableEntryWindow> w;

    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(w.get(), name); }
    QComboBox *combo(const QString &name) const { return child<QComboBox>(w.get(), name); }
    QCheckBox *check(const QString &name) const { return child<QCheckBox>(w.get(), name); }
    QString sname() const { return child<QLabel>(w.get(), u"SNAME"_qs)->text(); }
    ui::LineList *list() const { return child<ui::LineList>(w.get(), u"手形一覧"_qs); }
    void click(const QString &button) const { QTest::mouseClick(child<QPushButton>(w.get(), button), Qt::LeftButton); }
    // Types the supplier code and leaves the field.
    void supplier(const QString &code) const
    {
        combo(u"Scode"_qs)->setFocus();
        combo(u"Scode"_qs)->setEditText(code);
        edit(u"振出人"_qs)->setFocus();
        QApplication::processEvents();
    }
    // Types the field's text and leaves it.
    void type(const QString &name, const QString &text) const
    {
        edit(name)->setFocus();
        edit(name)->setText(text);
        edit(u"手形番号"_qs)->setFocus();
        QApplication::processEvents();
    }
};

const QString kNoPick = u"譲渡する手形が選ばれていません\n「使用する手形」の一覧から選んでください"_qs;
// What became of a picked bill another clerk changed first.
QString gone(const QString &fate)
{
    return u"他の担当者が先にこの手形を変更しました\n%1。一覧を読み直しました。手形を選び直してください"_qs.arg(fate);
}

int issuedCount(WindowFixture &f)
{
    return countOf(f.db(), u"select count(*) from D_手形 where 処理=1"_qs);
}

} // namespace

class TestPayableEntry : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void handOnChangesOnlyThePickedBill();
    void handOnOfABillPayableAtSight();
    void handOnRefused_data();
    void handOnRefused();
    void issueProposesTheNextNumber();
    void issueRefusesBadInput_data();
    void issueRefusesBadInput();
    void amountsAndCandidateLines_data();
    void amountsAndCandidateLines();
    void modes_data();
    void modes();
    void everyCheckingAccountIsOffered();
    void previousRecord_data();
    void previousRecord();
    void supplierCodeRefillFailureLeavesWindowUsable();
    void dueDateMovesOffClosedDays_data();
    void dueDateMovesOffClosedDays();
    void keyboardAlone();
    void opensSupplierRegisterAndFromMainWindow_data();
    void opensSupplierRegisterAndFromMainWindow();
};

void TestPayableEntry::handOnChangesOnlyThePickedBill()
{
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    const qint64 first = addReceived(f.db(), {.number = u"R1"_qs, .due = QDate(2004, 10, 31)});
    const qint64 picked = addReceived(f.db(), {.number = u"R2"_qs, .due = QDate(2004, 11, 30), .amount = 2500});
    const auto firstBefore = billRow(f.db(), first);
    const auto before = billRow(f.db(), picked);

    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    QVERIFY(!e.list()->isEnabled());
    e.check(u"Check1"_qs)->click();
    QVERIFY(e.list()->isEnabled());
    clickRow(e.list(), 1);
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), u"R2"_qs);
    QCOMPARE(e.edit(u"振出人"_qs)->text(), u"振出商事"_qs);
    QCOMPARE(e.edit(u"振出日"_qs)->text(), u"2004/8/2"_qs);
    QCOMPARE(e.edit(u"手形期日"_qs)->text(), u"2004/11/30"_qs);
    QCOMPARE(e.edit(u"金額"_qs)->text(), u"2,500"_qs);
    for (const QString &locked : {u"振出日"_qs, u"手形期日"_qs, u"金額"_qs})
        QVERIFY2(!e.edit(locked)->isEnabled(), qPrintable(locked));
    e.edit(u"日付"_qs)->setText(u"10/5"_qs);
    e.supplier(u"Ｓ１"_qs); // typed full-width
    QCOMPARE(e.combo(u"Scode"_qs)->currentText(), u"S1"_qs);
    QCOMPARE(e.sname(), u"仕入商事"_qs);
    // Long past its due date: handed on once the clerk says so.
    f.ui.answer(true);
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(),
             QStringList{u"この手形は手形期日（2004/11/30）を過ぎています\n譲渡してよろしいですか"_qs});

    auto expected = before;
    expected[u"処理"_qs] = u"2"_qs;
    expected[u"状態"_qs] = u"-2"_qs;
    expected[u"kozano"_qs] = u"0"_qs;
    expected[u"保管場所"_qs] = QString();
    expected[u"予約フラグ"_qs] = u"1"_qs;
    expected[u"予約処理"_qs] = u"1"_qs;
    expected[u"予約口座id"_qs] = u"0"_qs;
    expected[u"予約日"_qs] = u"2026-10-05"_qs;
    expected[u"譲渡先コード"_qs] = u"S1"_qs;
    expected[u"譲渡先"_qs] = u"仕入商事"_qs;
    expected[u"更新回数"_qs] = u"1"_qs; // a clerk who read the bill before cannot change it now
    QCOMPARE(billRow(f.db(), picked), expected);
    QCOMPARE(billRow(f.db(), first), firstBefore);

    // Back in the issue mode, with the bill gone from the candidates and the fields free again.
    QVERIFY(e.check(u"Check2"_qs)->isChecked());
    QVERIFY(!e.check(u"Check1"_qs)->isChecked());
    QCOMPARE(e.list()->count(), 1);
    QVERIFY(e.list()->lineText(0).endsWith(u"04/10/31  振出商事"_qs));
    QVERIFY(e.edit(u"金額"_qs)->isEnabled());
    QCOMPARE(e.edit(u"金額"_qs)->text(), u"0"_qs);
}

void TestPayableEntry::handOnOfABillPayableAtSight()
{
    // A received bill without a due date is handed on with its dates as they are.
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    const qint64 bill = addReceived(f.db(), {.number = u"R9"_qs, .due = QDate()});
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    e.check(u"Check1"_qs)->click();
    clickRow(e.list(), 0);
    QCOMPARE(e.edit(u"手形期日"_qs)->text(), QString());
    e.supplier(u"S1"_qs);
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());
    const auto row = billRow(f.db(), bill);
    QCOMPARE(row.value(u"処理"_qs), u"2"_qs);
    QCOMPARE(row.value(u"手形期日"_qs), u"<null>"_qs);
    QCOMPARE(row.value(u"譲渡先コード"_qs), u"S1"_qs);
    // An issue still needs its due date.
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList{u"手形期日が入っていません"_qs});
}

void TestPayableEntry::handOnRefused_data()
{
    QTest::addColumn<int>("bills");
    QTest::addColumn<int>("picked");        // -1: none clicked
    QTest::addColumn<QString>("meanwhile"); // what happens to the clicked bill elsewhere
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("linesAfter");
    QTest::newRow("no candidate clicked") << 2 << -1 << QString() << kNoPick << 2;
    QTest::newRow("empty candidate list") << 0 << -1 << QString() << kNoPick << 0;
    QTest::newRow("reserved since the list was read") << 2 << 0 << u"update D_手形 set 予約フラグ=1 where id=?"_qs
                                                      << gone(u"この手形は割引などの予約が入っています"_qs) << 1;
    QTest::newRow("handed on since the list was read")
        << 2 << 1 << u"update D_手形 set 処理=2,状態=-2,譲渡先='仕入乙' where id=?"_qs
        << gone(u"この手形は「仕入乙」に譲渡されています"_qs) << 1;
    QTest::newRow("deleted since the list was read")
        << 1 << 0 << u"delete from D_手形 where id=?"_qs << gone(u"この手形は削除されています"_qs) << 0;
    QTest::newRow("dishonoured since the list was read")
        << 2 << 1 << u"update D_手形 set 状態=2 where id=?"_qs << gone(u"この手形は不渡りになっています"_qs) << 1;
}

void TestPayableEntry::handOnRefused()
{
    QFETCH(int, bills);
    QFETCH(int, picked);
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    QFETCH(int, linesAfter);
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    QList<qint64> ids;
    for (int i = 0; i < bills; ++i)
        ids << addReceived(f.db(), {.number = u"R%1"_qs.arg(i), .due = QDate(2027, 10, 1 + i)});

    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    e.check(u"Check1"_qs)->click();
    if (picked >= 0)
        clickRow(e.list(), picked);
    if (!meanwhile.isEmpty())
        f.db().execute(meanwhile, {ids.at(picked)});
    QMap<qint64, QMap<QString, QString>> before;
    for (qint64 id : ids)
        before.insert(id, billRow(f.db(), id));
    e.supplier(u"S1"_qs);
    e.click(u"登録ボタン"_qs);

    QCOMPARE(f.ui.texts(), QStringList{message});
    for (qint64 id : ids)
        QCOMPARE(billRow(f.db(), id), before.value(id));
    QCOMPARE(countOf(f.db(), u"select count(*) from D_手形 where 処理<>0"_qs),
             meanwhile.contains(u"処理=2"_qs) ? 1 : 0);
    QCOMPARE(e.list()->count(), linesAfter);
    // The gone bill left the fields too; the supplier typed stays.
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), QString());
    QCOMPARE(e.edit(u"金額"_qs)->text(), u"0"_qs);
    QCOMPARE(e.sname(), u"仕入商事"_qs);
    // A second try without picking again is refused as well.
    f.ui.clear();
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList{kNoPick});
}

void TestPayableEntry::issueProposesTheNextNumber()
{
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    addAccount(f.db(), {.kozano = 1,
                        .kind = u"普通"_qs,
                        .last = u"X9"_qs,
                        .term = 30,
                        .bank = u"普通銀行"_qs,
                        .holder = u"普通の名義"_qs});
    const qint64 account = addAccount(f.db(), {.kozano = 2,
                                               .last = u"A0098"_qs,
                                               .term = 90,
                                               .bank = u"東西銀行"_qs,
                                               .branch = u"丸の内支店"_qs,
                                               .number = u"77"_qs,
                                               .holder = u"株式会社ソルヴァン"_qs});
    addAccount(f.db(), {.kozano = 3, .last = u"41"_qs, .holder = u"三番の名義"_qs});

    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    QComboBox *accounts = e.combo(u"口座名"_qs);
    QCOMPARE(itemsOf(accounts), (QStringList{u"2: 東西銀行/丸の内支店/77"_qs, u"3: 東西銀行/本店/1234567"_qs}));
    QCOMPARE(accounts->currentText(), QString());

    // The first line is the second account: its own data, not the first account's.
    pickLine(accounts, 0);
    QCOMPARE(e.edit(u"振出人"_qs)->text(), u"株式会社ソルヴァン"_qs);
    QCOMPARE(e.edit(u"支払場所コード"_qs)->text(), u"02"_qs);
    QCOMPARE(e.edit(u"支払場所"_qs)->text(), u"東西銀行"_qs);
    QCOMPARE(e.edit(u"支払場所支店コード"_qs)->text(), u"12"_qs);
    QCOMPARE(e.edit(u"支払場所支店"_qs)->text(), u"丸の内支店"_qs);
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), u"A0099"_qs);

    // Issue date + 90 days falls on Sunday 2027/3/7: the Monday.
    e.type(u"振出日"_qs, u"2026/12/7"_qs);
    QCOMPARE(e.edit(u"手形期日"_qs)->text(), u"2027/03/08"_qs);
    e.supplier(u"S1"_qs);
    e.edit(u"金額"_qs)->setText(u"2,500"_qs);
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());

    QCOMPARE(rowsOf(f.db(), u"select 処理,日付,kozano,予約口座id,手形番号,取引先コード,取引先,振出人,支払県,支払市,"
                            "支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額 "
                            "from D_手形"_qs),
             QStringList{u"1|2026-12-07|2|%1|A0099|S1|仕入商事||東京都|千代田区|02|東西銀行|12|丸の内支店|"
                         "2026-12-07|2027-03-08|91|2500"_qs.arg(account)});
    QCOMPARE(book::accountById(f.db(), account)->最終手形番号, u"A0099"_qs);

    // The form is cleared; the next pick of the account proposes the number after the one just issued.
    QCOMPARE(accounts->currentText(), QString());
    QCOMPARE(e.edit(u"振出人"_qs)->text(), u"自社"_qs);
    pickLine(accounts, 0);
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), u"A0100"_qs);
    pickLine(accounts, 1);
    QCOMPARE(e.edit(u"振出人"_qs)->text(), u"三番の名義"_qs);
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), u"42"_qs);
}

void TestPayableEntry::issueRefusesBadInput_data()
{
    QTest::addColumn<QString>("field"); // empty: no account picked
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::newRow("no account") << QString() << QString()
                                << u"口座が選ばれていません\n手形を振り出す口座を選んでください"_qs;
    QTest::newRow("empty due date") << u"手形期日"_qs << QString() << u"手形期日が入っていません"_qs;
    QTest::newRow("due date not a date")
        << u"手形期日"_qs << u"2027/2/30"_qs
        << u"手形期日「2027/2/30」は日付ではありません\n年/月/日の形で入力してください（例 2026/12/7）"_qs;
    QTest::newRow("empty issue date") << u"振出日"_qs << QString() << u"振出日が入っていません"_qs;
    QTest::newRow("issue date not a date")
        << u"振出日"_qs << u"12月"_qs
        << u"振出日「12月」は日付ではありません\n年/月/日の形で入力してください（例 2026/12/7）"_qs;
    QTest::newRow("booking date not a date")
        << u"日付"_qs << u"13/1"_qs << u"日付「13/1」が正しくありません\n月/日の形で入力してください（例 12/7）"_qs;
    QTest::newRow("amount not a number") << u"金額"_qs << u"12a"_qs
                                         << u"金額は数字で入力してください\n（例: 1,234,567）"_qs;
    QTest::newRow("amount beyond 32 bits")
        << u"金額"_qs << u"2,147,483,648"_qs << u"金額が大きすぎます\n2,147,483,647円までの金額を入力してください"_qs;
    QTest::newRow("amount far below") << u"金額"_qs << u"-9999999999"_qs
                                      << u"金額にマイナスは使えません\n0円以上の金額を入力してください"_qs;
    QTest::newRow("the database refuses the bill") << u"trigger"_qs << QString() << u"書き込みに失敗しました"_qs;
    QTest::newRow("largest amount is stored") << u"金額"_qs << u"2,147,483,647"_qs << QString();
    QTest::newRow("booking date in era form is stored") << u"日付"_qs << u"R8/10/5"_qs << QString();
}

void TestPayableEntry::issueRefusesBadInput()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    WindowFixture f;
    const qint64 account = addAccount(f.db(), {.kozano = 4, .last = u"100"_qs});
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    if (!field.isEmpty())
        pickLine(e.combo(u"口座名"_qs), 0);
    e.edit(u"振出日"_qs)->setText(u"2026/12/7"_qs);
    e.edit(u"手形期日"_qs)->setText(u"2027/03/08"_qs);
    e.edit(u"金額"_qs)->setText(u"2,500"_qs);
    if (field == u"trigger")
        f.db().execute(u"create trigger refuse before insert on D_手形 begin "
                       "select raise(abort,'書き込みに失敗しました'); end"_qs);
    else if (!field.isEmpty())
        e.edit(field)->setText(typed);
    e.click(u"登録ボタン"_qs);

    if (message.isEmpty()) {
        QCOMPARE(f.ui.texts(), QStringList());
        QCOMPARE(issuedCount(f), 1);
        QCOMPARE(book::accountById(f.db(), account)->最終手形番号, u"101"_qs);
        return;
    }
    QCOMPARE(f.ui.texts().size(), 1);
    QVERIFY2(f.ui.texts().first().endsWith(message), qPrintable(f.ui.texts().first()));
    QCOMPARE(issuedCount(f), 0);
    QCOMPARE(book::accountById(f.db(), account)->最終手形番号, u"100"_qs);
    // What was typed stays for the clerk to correct.
    QCOMPARE(e.edit(u"金額"_qs)->text(), field == u"金額" ? typed : u"2,500"_qs);
    if (!field.isEmpty() && field != u"trigger")
        QCOMPARE(e.edit(field)->text(), typed);
}

void TestPayableEntry::amountsAndCandidateLines_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<QDate>("due");
    QTest::addColumn<QString>("line"); // the candidate line of a received bill of the stored amount
    QTest::newRow("separators") << u"2,500"_qs << qint64(2500) << QDate(2004, 10, 31)
                                << u"         2,500  04/10/31  振出商事"_qs;
    QTest::newRow("half rounds to even, down")
        << u"2,500.5"_qs << qint64(2500) << QDate(2004, 10, 31) << u"         2,500  04/10/31  振出商事"_qs;
    QTest::newRow("half rounds to even, up")
        << u"2,501.5"_qs << qint64(2502) << QDate(2005, 1, 2) << u"         2,502  05/01/02  振出商事"_qs;
    QTest::newRow("full-width digits") << u"１２３４５"_qs << qint64(12345) << QDate(2004, 10, 31)
                                       << u"        12,345  04/10/31  振出商事"_qs;
    QTest::newRow("fourteen characters fill the field")
        << u"2,147,483,647"_qs << qint64(2147483647) << QDate(2004, 10, 31) << u" 2,147,483,647  04/10/31  振出商事"_qs;
    QTest::newRow("no due date keeps the drawer's column")
        << u"0"_qs << qint64(0) << QDate() << u"             0            振出商事"_qs;
}

void TestPayableEntry::amountsAndCandidateLines()
{
    QFETCH(QString, typed);
    QFETCH(qint64, stored);
    QFETCH(QDate, due);
    QFETCH(QString, line);
    WindowFixture f;
    addAccount(f.db(), {});
    addReceived(f.db(), {.due = due, .amount = stored});
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    QCOMPARE(e.list()->lines(), QStringList{line});

    pickLine(e.combo(u"口座名"_qs), 0);
    e.edit(u"手形期日"_qs)->setText(u"2027/03/08"_qs);
    e.edit(u"金額"_qs)->setText(typed);
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(rowsOf(f.db(), u"select 金額 from D_手形 where 処理=1"_qs), QStringList{QString::number(stored)});
}

void TestPayableEntry::modes_data()
{
    QTest::addColumn<QString>("first");  // box clicked to enter the hand-on mode
    QTest::addColumn<QString>("second"); // box clicked next, empty: none
    QTest::addColumn<QString>("drawer"); // typed before the first click
    QTest::addColumn<bool>("cleared");   // the form is back at its start
    QTest::addColumn<QString>("drawerAfter");
    QTest::addColumn<bool>("toggled"); // through the accessibility layer, as a screen reader or test tool does
    QTest::newRow("譲渡 keeps what was typed, empties 自社")
        << u"Check1"_qs << QString() << u"自社"_qs << false << QString() << false;
    QTest::newRow("unchecking 振出し is the hand-on mode")
        << u"Check2"_qs << QString() << u"自社"_qs << false << QString() << false;
    QTest::newRow("a drawer other than 自社 stays")
        << u"Check1"_qs << QString() << u"自社商事"_qs << false << u"自社商事"_qs << false;
    QTest::newRow("振出し clears everything")
        << u"Check1"_qs << u"Check2"_qs << u"山田"_qs << true << u"自社"_qs << false;
    QTest::newRow("unchecking 譲渡 clears everything")
        << u"Check1"_qs << u"Check1"_qs << u"山田"_qs << true << u"自社"_qs << false;
    QTest::newRow("toggled: unchecking 振出し is the hand-on mode")
        << u"Check2"_qs << QString() << u"自社"_qs << false << QString() << true;
    QTest::newRow("toggled: 譲渡, then 振出し clears everything")
        << u"Check1"_qs << u"Check2"_qs << u"山田"_qs << true << u"自社"_qs << true;
}

void TestPayableEntry::modes()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, drawer);
    QFETCH(bool, cleared);
    QFETCH(QString, drawerAfter);
    QFETCH(bool, toggled);
    const auto press = [toggled](QCheckBox *box) {
        if (toggled)
            QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
                QAccessibleActionInterface::toggleAction());
        else
            box->click();
    };
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    addAccount(f.db(), {});
    addReceived(f.db(), {});
    Entry e(f);
    QVERIFY(showActive(e.w.get()));

    pickLine(e.combo(u"口座名"_qs), 0);
    e.supplier(u"S1"_qs);
    e.edit(u"日付"_qs)->setText(u"10/5"_qs);
    e.edit(u"手形番号"_qs)->setText(u"X1"_qs);
    e.edit(u"振出人"_qs)->setText(drawer);
    e.edit(u"支払場所"_qs)->setText(u"南北銀行"_qs);
    e.edit(u"振出日"_qs)->setText(u"2026/11/1"_qs);
    e.edit(u"手形期日"_qs)->setText(u"2027/01/04"_qs);
    e.edit(u"金額"_qs)->setText(u"5,000"_qs);

    press(e.check(first));
    QVERIFY(e.check(u"Check1"_qs)->isChecked());
    QVERIFY(!e.check(u"Check2"_qs)->isChecked());
    QVERIFY(e.list()->isEnabled());
    if (!second.isEmpty()) {
        clickRow(e.list(), 0);
        QVERIFY(!e.edit(u"金額"_qs)->isEnabled());
        press(e.check(second));
    }
    QCOMPARE(e.check(u"Check2"_qs)->isChecked(), cleared);
    QCOMPARE(e.check(u"Check1"_qs)->isChecked(), !cleared);
    QCOMPARE(e.list()->isEnabled(), !cleared);
    QCOMPARE(e.edit(u"振出人"_qs)->text(), drawerAfter);
    const QStringList shown = {e.edit(u"日付"_qs)->text(),          e.combo(u"口座名"_qs)->currentText(),
                               e.combo(u"Scode"_qs)->currentText(), e.sname(),
                               e.edit(u"手形番号"_qs)->text(),      e.edit(u"支払場所"_qs)->text(),
                               e.edit(u"振出日"_qs)->text(),        e.edit(u"手形期日"_qs)->text(),
                               e.edit(u"金額"_qs)->text(),          e.edit(u"過去日付"_qs)->text()};
    if (cleared) {
        QCOMPARE(shown, (QStringList{u"12/7"_qs, QString(), QString(), QString(), QString(), QString(), u"2026/12/7"_qs,
                                     QString(), u"0"_qs, QString()}));
        for (const QString &name : {u"振出日"_qs, u"手形期日"_qs, u"金額"_qs})
            QVERIFY(e.edit(name)->isEnabled());
    } else {
        QCOMPARE(shown, (QStringList{u"10/5"_qs, u"1: 東西銀行/本店/1234567"_qs, u"S1"_qs, u"仕入商事"_qs, u"X1"_qs,
                                     u"南北銀行"_qs, u"2026/11/1"_qs, u"2027/01/04"_qs, u"5,000"_qs, u"なし"_qs}));
    }
    QCOMPARE(f.ui.texts(), QStringList());
}

void TestPayableEntry::everyCheckingAccountIsOffered()
{
    WindowFixture f;
    QStringList expected;
    for (int k = 1; k <= 28; ++k) {
        const bool checking = k % 9 != 0; // three savings accounts in between
        addAccount(f.db(), {.kozano = k,
                            .kind = checking ? u"当座"_qs : u"普通"_qs,
                            .last = u"N%1"_qs.arg(k),
                            .number = u"%1"_qs.arg(1000 + k),
                            .holder = u"名義%1"_qs.arg(k)});
        if (checking)
            expected << u"%1: 東西銀行/本店/%2"_qs.arg(k).arg(1000 + k);
    }
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    QCOMPARE(expected.size(), 25);
    QCOMPARE(itemsOf(e.combo(u"口座名"_qs)), expected);
    QCOMPARE(f.ctx->AccountCount, 28);
    pickLine(e.combo(u"口座名"_qs), 24);
    QCOMPARE(e.edit(u"振出人"_qs)->text(), u"名義28"_qs);
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), u"N29"_qs);
    QCOMPARE(f.ui.texts(), QStringList());
}

void TestPayableEntry::previousRecord_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("shown"); // 過去日付, 手形番号, 金額, 手形期日, 口座
    QTest::addColumn<QString>("kept");      // the code the field holds afterwards
    QTest::newRow("most recent issue") << u"S1"_qs
                                       << QStringList{u"2004/08/03"_qs, u"NEW"_qs, u"30,000"_qs, u"2004/12/01"_qs,
                                                      u"3: 東西銀行/本店/555"_qs}
                                       << u"S1"_qs;
    QTest::newRow("account of the bill not known")
        << u"S2"_qs << QStringList{u"2004/08/03"_qs, u"Z"_qs, u"10,000"_qs, u"2004/10/31"_qs, u"不明"_qs} << u"S2"_qs;
    QTest::newRow("account removed since")
        << u"S3"_qs << QStringList{u"2004/08/03"_qs, u"Y"_qs, u"10,000"_qs, u"2004/10/31"_qs, u"該当なし"_qs}
        << u"S3"_qs;
    QTest::newRow("no bill issued yet") << u"S4"_qs << QStringList{u"なし"_qs, {}, {}, {}, {}} << u"S4"_qs;
    // Emptied without a message, as leaving the field always does.
    QTest::newRow("unknown code") << u"S9"_qs << QStringList{u"なし"_qs, {}, {}, {}, {}} << QString();
}

void TestPayableEntry::previousRecord()
{
    QFETCH(QString, code);
    QFETCH(QStringList, shown);
    QFETCH(QString, kept);
    WindowFixture f;
    for (int i = 1; i <= 4; ++i)
        addSupplier(f.db(), u"S%1"_qs.arg(i), u"仕入%1"_qs.arg(i));
    addAccount(f.db(), {.kozano = 3, .number = u"555"_qs});
    auto issued = [&](const QString &number, const QString &supplier, const QDate &issue, qint64 amount, int kozano,
                      const QDate &due) {
        const qint64 id =
            addReceived(f.db(), {.number = number, .issue = issue, .due = due, .amount = amount, .kind = 1});
        f.db().execute(u"update D_手形 set 取引先コード=?,kozano=? where id=?"_qs, {supplier, kozano, id});
    };
    issued(u"OLD"_qs, u"S1"_qs, QDate(2004, 1, 5), 20000, 3, QDate(2004, 4, 5));
    issued(u"NEW"_qs, u"S1"_qs, QDate(2004, 9, 1), 30000, 3, QDate(2004, 12, 1));
    issued(u"MID"_qs, u"S1"_qs, QDate(2004, 6, 1), 40000, 3, QDate(2004, 9, 1));
    issued(u"Z"_qs, u"S2"_qs, QDate(2004, 6, 1), 10000, 0, QDate(2004, 10, 31));
    issued(u"Y"_qs, u"S3"_qs, QDate(2004, 6, 1), 10000, 8, QDate(2004, 10, 31));

    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    e.supplier(code);
    QCOMPARE(
        (QStringList{e.edit(u"過去日付"_qs)->text(), e.edit(u"過去手形番号"_qs)->text(), e.edit(u"過去金額"_qs)->text(),
                     e.edit(u"過去手形期日"_qs)->text(), e.edit(u"過去口座"_qs)->text()}),
        shown);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(e.combo(u"Scode"_qs)->currentText(), kept);
}

void TestPayableEntry::supplierCodeRefillFailureLeavesWindowUsable()
{
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    addSupplier(f.db(), u"A7"_qs, u"エー商店"_qs);
    addAccount(f.db(), {});
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    QComboBox *scode = e.combo(u"Scode"_qs);

    // Each visit reads the codes again and keeps what was typed.
    scode->setFocus();
    QApplication::processEvents();
    QCOMPARE(itemsOf(scode), (QStringList{u"A7"_qs, u"S1"_qs}));
    scode->setEditText(u"S1"_qs);
    e.edit(u"振出人"_qs)->setFocus();
    addSupplier(f.db(), u"B2"_qs, u"ビー"_qs);
    scode->setFocus();
    QApplication::processEvents();
    QCOMPARE(itemsOf(scode), (QStringList{u"A7"_qs, u"B2"_qs, u"S1"_qs}));
    QCOMPARE(scode->currentText(), u"S1"_qs);
    e.edit(u"振出人"_qs)->setFocus();

    f.db().execute(u"alter table S0 rename to S0_away"_qs);
    scode->setFocus();
    QApplication::processEvents();
    QCOMPARE(f.ui.shown.size(), 1);
    QVERIFY(f.ui.shown.first().text.contains(u"S0"_qs));
    QCOMPARE(scode->currentText(), u"S1"_qs);
    e.edit(u"振出人"_qs)->setFocus();
    QApplication::processEvents();

    // The window goes on: an issue is still stored.
    f.ui.clear();
    pickLine(e.combo(u"口座名"_qs), 0);
    e.edit(u"手形期日"_qs)->setText(u"2027/03/08"_qs);
    e.click(u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(rowsOf(f.db(), u"select 取引先コード,取引先 from D_手形"_qs), QStringList{u"S1|仕入商事"_qs});
}

void TestPayableEntry::dueDateMovesOffClosedDays_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("holidays");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("Sunday") << u"2027/3/7"_qs << true << u"2027/03/08"_qs << QStringList{u"手形期日が日曜日です"_qs};
    QTest::newRow("Saturday") << u"2027/3/6"_qs << true << u"2027/03/08"_qs << QStringList{u"手形期日が土曜日です"_qs};
    QTest::newRow("holidays in a row") << u"2027/5/3"_qs << true << u"2027/05/06"_qs << QStringList();
    QTest::newRow("no holiday data this year") << u"2027/5/3"_qs << false << u"2027/5/3"_qs << QStringList();
    QTest::newRow("not a date stays as typed") << u"5月三日"_qs << true << u"5月三日"_qs << QStringList();
}

void TestPayableEntry::dueDateMovesOffClosedDays()
{
    QFETCH(QString, typed);
    QFETCH(bool, holidays);
    QFETCH(QString, result);
    QFETCH(QStringList, messages);
    WindowFixture f;
    f.ctx->HolidayDataAvailable = holidays;
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    e.type(u"手形期日"_qs, typed);
    QCOMPARE(e.edit(u"手形期日"_qs)->text(), result);
    QCOMPARE(f.ui.texts(), messages);
}

void TestPayableEntry::keyboardAlone()
{
    WindowFixture f;
    addSupplier(f.db(), u"S1"_qs, u"仕入商事"_qs);
    const qint64 account = addAccount(f.db(), {.kozano = 5, .last = u"A0099"_qs, .term = 90});
    Entry e(f);
    QVERIFY(showActive(e.w.get()));
    auto focused = [] { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); };
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
        QApplication::processEvents();
    };
    auto typeOver = [&](const char *text) {
        key(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(text));
    };

    QCOMPARE(focused(), u"日付"_qs);
    typeOver("10/5");
    key(Qt::Key_Return);
    QCOMPARE(focused(), u"Check1"_qs);
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    QCOMPARE(focused(), u"口座名"_qs);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    QCOMPARE(focused(), u"手形番号"_qs);
    QCOMPARE(e.edit(u"手形番号"_qs)->text(), u"A0100"_qs);
    key(Qt::Key_Return);
    QCOMPARE(focused(), u"Scode"_qs);
    QTest::keyClicks(QApplication::focusWidget(), u"s1"_qs);
    key(Qt::Key_Return); // the register button is not on the way
    QCOMPARE(focused(), u"振出人"_qs);
    QCOMPARE(e.sname(), u"仕入商事"_qs);
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Return);
    QCOMPARE(focused(), u"振出日"_qs);
    typeOver("2026/12/7");
    key(Qt::Key_Return);
    QCOMPARE(e.edit(u"手形期日"_qs)->text(), u"2027/03/08"_qs);
    key(Qt::Key_Return);
    QCOMPARE(focused(), u"金額"_qs);
    typeOver("12,000");
    key(Qt::Key_Return); // the candidates are closed in the issue mode
    QCOMPARE(focused(), u"登録ボタン"_qs);
    key(Qt::Key_Return);

    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(rowsOf(f.db(), u"select 日付,手形番号,取引先コード,取引先,kozano,予約口座id,手形期日,金額 from D_手形"_qs),
             QStringList{u"2026-10-05|A0100|S1|仕入商事|5|%1|2027-03-08|12000"_qs.arg(account)});
}

void TestPayableEntry::opensSupplierRegisterAndFromMainWindow_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    QTest::newRow("編集 in the entry window") << u"得意先登録ボタン"_qs << u"仕入先情報"_qs;
    QTest::newRow("支払入力ボタン") << u"支払入力ボタン"_qs << u"支払手形入力"_qs;
    QTest::newRow("M01支払手形") << u"M01支払手形"_qs << u"支払手形入力"_qs;
    QTest::newRow("支払修正ボタン") << u"支払修正ボタン"_qs << u"支払手形一覧"_qs;
    QTest::newRow("M11支払手形") << u"M11支払手形"_qs << u"支払手形一覧"_qs;
}

void TestPayableEntry::opensSupplierRegisterAndFromMainWindow()
{
    QFETCH(QString, control);
    QFETCH(QString, window);
    WindowFixture f;
    addAccount(f.db(), {});
    addReceived(f.db(), {});
    bool seen = false;
    f.ui.onModal(window, [&](QDialog *d) {
        QVERIFY(d->isVisible());
        if (window == u"支払手形入力")
            seen = child<ui::LineList>(d, u"手形一覧"_qs)->count() == 1;
        else if (window == u"支払手形一覧")
            seen = child<ui::LineList>(d, u"List2"_qs)->count() == 0;
        else
            seen = child<QListWidget>(d, u"List1"_qs) != nullptr;
        QCOMPARE(d->findChild<QComboBox *>(u"口座名"_qs) != nullptr, window != u"仕入先情報");
    });
    if (control == u"得意先登録ボタン") {
        Entry e(f);
        QVERIFY(showActive(e.w.get()));
        e.click(control);
    } else {
        MainMenu menu(*f.ctx, f.ui);
        if (QPushButton *b = menu.button(control))
            QTest::mouseClick(b, Qt::LeftButton);
        else
            menu.item(control)->trigger();
    }
    QCOMPARE(f.ui.modalWindows, QStringList{window});
    QVERIFY(seen);
    QCOMPARE(f.ui.texts(), QStringList());
}

QTEST_MAIN(TestPayableEntry)
#include "test_entry.moc"
