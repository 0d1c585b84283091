// The receivable list window: which bills it lists and how, loading,
// saving and deleting a bill, its endorsers, and failures that must keep
// the stored bill as it was.

#include "ReceivableTest.h"

#include "receivable/ReceivableList.h"

#include <QAction>
#include <QMenu>
#include <QPrintPreviewWidget>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QString kAmount = QStringLiteral("金額が未記入です");
const QString kDue = QStringLiteral("満期が未記入です\n一覧払となります");
const QString kConfirmDelete = QStringLiteral("削除しますよ\n元に戻せません");

struct ListWindow {
    WindowFixture f;
    std::unique_ptr<ReceivableListWindow> w;
    void open()
    {
        w = std::make_unique<ReceivableListWindow>(*f.ctx, f.ui, f.kit);
        if (!showActive(w.get()))
            qWarning("list window not active");
    }
    QStringList lines() const { return billList(w.get())->lines(); }
    QStringList bill(qint64 id, const QString &columns) const
    {
        return rowsOf(f.db(), QStringLiteral("select %1 from D_手形 where id=?").arg(columns), {id});
    }
    QStringList endorsers() const
    {
        return rowsOf(f.db(), u"select 手形id,表示順,裏書人 from 裏書人 order by 手形id,表示順"_qs);
    }
    void trigger(const QString &menuItem) const { w->findChild<QAction *>(menuItem)->trigger(); }
};

} // namespace

class TestList : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void lines_data();
    void lines();
    void save_data();
    void save();
    void refusals_data();
    void refusals();
    void endorsers_data();
    void endorsers();
    void deleteBill_data();
    void deleteBill();
    void failureKeepsBill_data();
    void failureKeepsBill();
    void customerLookup_data();
    void customerLookup();
    void anotherClerkFirst_data();
    void anotherClerkFirst();
    void failedLoadIsNotSavedOverTheLine();
    void printFromFileMenu();
};

void TestList::lines_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("at load") << u"load"_qs
                             << QStringList{u"N0            1,000  無期日"_qs, u"D  2004/03/01 12,345,678,901  不渡"_qs,
                                            u"1234  2004/03/05          2,500  X"_qs,
                                            u"1235  2004/03/05    123,456,789  Y"_qs,
                                            u"W  2004/04/01 999,999,999,999,999  大"_qs};
    QTest::newRow("after a save") << u"save"_qs
                                  << QStringList{u"N0          1,000  無期日"_qs, u"D  03/01 12,345,678,901  不渡"_qs,
                                                 u"1234  03/05        2,500  X"_qs, u"1235  03/05  123,456,789  Y"_qs,
                                                 u"W  04/01 999,999,999,999,999  大"_qs};
    QTest::newRow("after a deletion") << u"delete"_qs
                                      << QStringList{
                                             u"N0          1,000  無期日"_qs, u"D  03/01 12,345,678,901  不渡"_qs,
                                             u"1235  03/05  123,456,789  Y"_qs, u"W  04/01 999,999,999,999,999  大"_qs};
}

void TestList::lines()
{
    QFETCH(QString, action);
    QFETCH(QStringList, expected);

    ListWindow l;
    Database &db = l.f.db();
    addBill(db, u"1234"_qs, u"2004-03-05"_qs, 2500, u"X"_qs);
    addBill(db, u"H"_qs, u"2004-01-01"_qs, 1, u"譲渡済"_qs, u"処理=2,状態=-2,予約フラグ=1"_qs);
    addBill(db, u"N0"_qs, null(), 1000, u"無期日"_qs);
    addBill(db, u"R"_qs, u"2004-01-01"_qs, 1, u"予約"_qs, u"予約フラグ=1"_qs);
    addBill(db, u"F"_qs, u"2004-01-01"_qs, 1, u"終了"_qs, u"終了フラグ=1"_qs);
    addBill(db, u"W"_qs, u"2004-04-01"_qs, 999999999999999, u"大"_qs);
    addBill(db, u"D"_qs, u"2004-03-01"_qs, 12345678901, u"不渡"_qs, u"状態=2,注意フラグ=1"_qs);
    addBill(db, u"P"_qs, u"2004-01-01"_qs, 1, u"支払"_qs, u"処理=1"_qs);
    addBill(db, u"1235"_qs, u"2004-03-05"_qs, 123456789, u"Y"_qs);
    addEndorser(db, 7, 2, u"乙"_qs);
    addEndorser(db, 7, 1, u"甲"_qs);
    l.open();
    QWidget *w = l.w.get();

    if (action == u"save") {
        clickBill(w, 2);
        type(w, u"振出人"_qs, u"新振出"_qs);
        // Issued before it falls due, or the save is refused.
        type(w, u"振出日"_qs, u"2004/01/05"_qs);
        press(w, u"登録ボタン"_qs);
        QCOMPARE(l.bill(1, u"振出人"_qs), QStringList{u"新振出"_qs});
    } else if (action == u"delete") {
        clickBill(w, 2);
        l.f.ui.answer(true);
        press(w, u"削除ボタン"_qs);
    }
    QCOMPARE(l.lines(), expected);
    QCOMPARE(billList(w)->selectedRow(), -1);

    // Each line leads to its own bill, after an amount wider than its column too.
    clickBill(w, 1);
    QStringList shown;
    for (const char16_t *n :
         {u"日付", u"手形番号", u"Tcode", u"TNAME", u"振出人", u"振出地", u"振出日", u"手形期日", u"金額", u"保管場所"})
        shown << textOf(w, QString::fromUtf16(n));
    QCOMPARE(shown.join(u'|'), u"2026/11/02|D|C1|不渡|振出|東京|2026/11/01|2004/03/01|12,345,678,901|金庫"_qs);
    QVERIFY(child<QCheckBox>(w, u"注意フラグ"_qs)->isChecked());
    QCOMPARE(linesOf(child<QListWidget>(w, u"List1"_qs)), (QStringList{u"甲"_qs, u"乙"_qs}));
    clickBill(w, expected.size() - 1);
    QCOMPARE(textOf(w, u"手形番号"_qs), u"W"_qs);
}

void TestList::save_data()
{
    QTest::addColumn<QStringList>("typed"); // "field=value"
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("stored"); // 振出人,振出地,振出日,手形期日,手形期間,金額

    const QString before = u"振出|東京|2026-11-01|2027-01-05|0|5000"_qs;
    QTest::newRow("unchanged fields, term computed")
        << QStringList() << false << QString() << QStringList() << u"振出|東京|2026-11-01|2027-01-05|65|5000"_qs;
    QTest::newRow("emptied due date stored as null")
        << QStringList{u"手形期日="_qs} << false << u"1"_qs << QStringList{kDue} << u"振出|東京|2026-11-01||0|5000"_qs;
    QTest::newRow("emptied issue date stored as null")
        << QStringList{u"振出日="_qs} << false << u"1"_qs << QStringList{u"振出日が未記入です\n白地手形となります"_qs}
        << u"振出|東京||2027-01-05|0|5000"_qs;
    QTest::newRow("separators and decimals") << QStringList{u"金額=1,234,567.5"_qs} << false << QString()
                                             << QStringList() << u"振出|東京|2026-11-01|2027-01-05|65|1234568"_qs;
    QTest::newRow("apostrophes and a drawer line")
        << QStringList{u"振出人=O'Hara:三井"_qs, u"振出地=大阪'北"_qs} << false << QString() << QStringList()
        << u"O'Hara|大阪'北|2026-11-01|2027-01-05|65|5000"_qs;
    QTest::newRow("Cancel keeps the bill")
        << QStringList{u"金額=0"_qs, u"振出人=新"_qs} << false << u"0"_qs << QStringList{kAmount} << before;
    QTest::newRow("menu save asks the same")
        << QStringList{u"金額=0"_qs, u"振出人=新"_qs} << true << u"0"_qs << QStringList{kAmount} << before;
    QTest::newRow("menu save stores") << QStringList{u"振出人=新"_qs} << true << QString() << QStringList()
                                      << u"新|東京|2026-11-01|2027-01-05|65|5000"_qs;
    QTest::newRow("amount not a number stores nothing")
        << QStringList{u"金額=五千"_qs, u"振出人=新"_qs} << false << QString()
        << QStringList{u"金額は数字で入力してください\n（例: 1,234,567）"_qs} << before;
    QTest::newRow("amount too large stores nothing")
        << QStringList{u"金額=3,000,000,000"_qs, u"振出人=新"_qs} << true << QString()
        << QStringList{u"金額が大きすぎます\n2,147,483,647円までの金額を入力してください"_qs} << before;
}

void TestList::save()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, viaMenu);
    QFETCH(QString, answers);
    QFETCH(QStringList, shown);
    QFETCH(QString, stored);

    ListWindow l;
    addBill(l.f.db(), u"A"_qs, u"2026-12-25"_qs, 100);
    const qint64 id = addBill(l.f.db(), u"B"_qs, u"2027-01-05"_qs, 5000);
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 1);
    for (const QString &p : typed)
        type(w, p.section(u'=', 0, 0), p.section(u'=', 1));
    for (QChar a : answers)
        l.f.ui.answer(a == u'1');
    if (viaMenu)
        l.trigger(u"MH1"_qs);
    else
        press(w, u"登録ボタン"_qs);

    QCOMPARE(l.f.ui.texts(), shown);
    QCOMPARE(l.bill(id, u"振出人,振出地,振出日,手形期日,手形期間,金額"_qs), QStringList{stored});
    QCOMPARE(l.bill(1, u"振出人,手形期日,金額"_qs), QStringList{u"振出|2026-12-25|100"_qs});
    const bool saved = shown.isEmpty() || answers.endsWith(u'1');
    // A saved bill leaves the fields empty and takes its place in the rebuilt list.
    QCOMPARE(textOf(w, u"手形番号"_qs), saved ? QString() : u"B"_qs);
    if (saved)
        QCOMPARE(l.lines().first().left(1), stored.section(u'|', 3, 3).isEmpty() ? u"B"_qs : u"A"_qs);
}

void TestList::refusals_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("selectThenClear");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("save") << u"登録ボタン"_qs << false << QStringList{u"ここでは修正登録のみ可能です"_qs};
    QTest::newRow("menu save") << u"MH1"_qs << false << QStringList{u"ここでは修正登録のみ可能です"_qs};
    QTest::newRow("delete") << u"削除ボタン"_qs << false << QStringList{u"ここでは削除のみ可能です"_qs};
    QTest::newRow("menu delete") << u"MS1"_qs << false << QStringList{u"ここでは削除のみ可能です"_qs};
    QTest::newRow("save after Clear") << u"登録ボタン"_qs << true
                                      << QStringList{kAmount,
                                                     kDue,
                                                     u"振出日が未記入です\n白地手形となります"_qs,
                                                     u"振出地が未記入です"_qs,
                                                     u"振出人が未記入です"_qs,
                                                     u"日付がありません"_qs};
}

void TestList::refusals()
{
    QFETCH(QString, command);
    QFETCH(bool, selectThenClear);
    QFETCH(QStringList, shown);

    ListWindow l;
    addBill(l.f.db(), u"A"_qs, u"2027-01-05"_qs, 100);
    l.open();
    QWidget *w = l.w.get();
    if (selectThenClear) {
        clickBill(w, 0);
        press(w, u"クリアボタン"_qs);
        l.f.ui.defaultAnswer = true;
    }
    if (command.startsWith(u'M'))
        l.trigger(command);
    else
        press(w, command);
    QCOMPARE(l.f.ui.texts(), shown);
    QCOMPARE(l.bill(1, u"手形番号,振出人,手形期日,金額"_qs), QStringList{u"A|振出|2027-01-05|100"_qs});
}

void TestList::endorsers_data()
{
    QTest::addColumn<int>("opens"); // uses of the dialog before saving
    QTest::addColumn<QString>("typedThird");
    QTest::addColumn<bool>("clickAgain"); // the line clicked again between the uses
    QTest::addColumn<QStringList>("seenLast");
    QTest::addColumn<QStringList>("rows");

    const QStringList stored{u"A/A住所"_qs, u"C/C住所"_qs, u"/"_qs, u"/"_qs};
    QTest::newRow("saved without the dialog keeps the rows")
        << 0 << QString() << false << QStringList() << QStringList{u"1|1|Z"_qs, u"2|1|A"_qs, u"2|3|C"_qs};
    QTest::newRow("gaps load into slots 1 and 2, saved as 1 and 2")
        << 1 << QString() << false << stored << QStringList{u"1|1|Z"_qs, u"2|1|A"_qs, u"2|2|C"_qs};
    QTest::newRow("typed, shown again, saved")
        << 2 << u"D"_qs << false << QStringList{u"A/A住所"_qs, u"C/C住所"_qs, u"D/"_qs, u"/"_qs}
        << QStringList{u"1|1|Z"_qs, u"2|1|A"_qs, u"2|2|C"_qs, u"2|3|D"_qs};
    QTest::newRow("clicking the line again reloads")
        << 2 << u"D"_qs << true << stored << QStringList{u"1|1|Z"_qs, u"2|1|A"_qs, u"2|3|C"_qs};
}

void TestList::endorsers()
{
    QFETCH(int, opens);
    QFETCH(QString, typedThird);
    QFETCH(bool, clickAgain);
    QFETCH(QStringList, seenLast);
    QFETCH(QStringList, rows);

    ListWindow l;
    Database &db = l.f.db();
    // Two bills with the same number and customer: each keeps its own endorsers.
    addEndorser(db, addBill(db, u"N1"_qs, u"2027-01-05"_qs, 100), 1, u"Z"_qs);
    const qint64 second = addBill(db, u"N1"_qs, u"2027-01-05"_qs, 100);
    addEndorser(db, second, 1, u"A"_qs);
    addEndorser(db, second, 3, u"C"_qs);
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 1);
    QCOMPARE(linesOf(child<QListWidget>(w, u"List1"_qs)), (QStringList{u"A"_qs, u"C"_qs}));
    QStringList seen;
    for (int i = 0; i < opens; ++i) {
        l.f.ui.onModal(u"手形裏書"_qs, [&seen, &typedThird, i](QDialog *d) {
            seen = slotsOf(d);
            QCOMPARE(textOf(d, u"手形番号"_qs), u"N1"_qs);
            if (i == 0)
                type(d, u"氏名3"_qs, typedThird);
        });
        press(w, u"裏書編集ボタン"_qs);
        if (clickAgain)
            clickBill(w, 1);
    }
    QCOMPARE(seen, seenLast);
    press(w, u"登録ボタン"_qs);
    QCOMPARE(l.f.ui.texts(), QStringList());
    QCOMPARE(l.endorsers(), rows);
}

void TestList::deleteBill_data()
{
    QTest::addColumn<bool>("clearFirst");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("bills");

    QTest::newRow("confirmed") << false << true << QStringList{kConfirmDelete, u"削除しました"_qs}
                               << QStringList{u"A"_qs};
    QTest::newRow("cancelled") << false << false << QStringList{kConfirmDelete} << QStringList{u"A"_qs, u"B"_qs};
    QTest::newRow("after Clear the line still deletes")
        << true << true << QStringList{kConfirmDelete, u"削除しました"_qs} << QStringList{u"A"_qs};
}

void TestList::deleteBill()
{
    QFETCH(bool, clearFirst);
    QFETCH(bool, confirm);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, bills);

    ListWindow l;
    addBill(l.f.db(), u"A"_qs, u"2027-01-05"_qs, 100);
    const qint64 b = addBill(l.f.db(), u"B"_qs, u"2027-02-05"_qs, 200);
    addEndorser(l.f.db(), b, 1, u"甲"_qs);
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 1);
    if (clearFirst) {
        l.trigger(u"MC1"_qs);
        QCOMPARE(textOf(w, u"手形番号"_qs), QString());
        QCOMPARE(billList(w)->selectedRow(), 1);
    }
    l.f.ui.answer(confirm);
    press(w, u"削除ボタン"_qs);

    QCOMPARE(l.f.ui.texts(), shown);
    QCOMPARE(l.f.ui.shown.first().title, u"削除の確認"_qs);
    // Enter on the question cancels: Enter, Enter never deletes.
    QCOMPARE(l.f.ui.shown.first().preset, MessageService::Default::Cancel);
    QCOMPARE(rowsOf(l.f.db(), u"select 手形番号 from D_手形 order by id"_qs), bills);
    // The endorser names stay for the search.
    QCOMPARE(l.endorsers(), QStringList{u"2|1|甲"_qs});
    QCOMPARE(l.lines().size(), bills.size());
}

void TestList::failureKeepsBill_data()
{
    QTest::addColumn<QString>("trigger");

    QTest::newRow("new endorser") << u"BEFORE INSERT ON 裏書人 WHEN NEW.裏書人='BAD'"_qs;
    QTest::newRow("removing the old endorsers") << u"BEFORE DELETE ON 裏書人"_qs;
    QTest::newRow("the bill") << u"BEFORE UPDATE ON D_手形"_qs;
}

void TestList::failureKeepsBill()
{
    QFETCH(QString, trigger);

    ListWindow l;
    Database &db = l.f.db();
    const qint64 id = addBill(db, u"A"_qs, u"2027-01-05"_qs, 100);
    addEndorser(db, id, 1, u"甲"_qs);
    addEndorser(db, id, 2, u"乙"_qs);
    db.execute(u"CREATE TRIGGER fail %1 BEGIN SELECT RAISE(ABORT, '書き込めません'); END"_qs.arg(trigger));
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 0);
    type(w, u"振出人"_qs, u"新"_qs);
    l.f.ui.onModal(u"手形裏書"_qs, [](QDialog *d) { type(d, u"氏名2"_qs, u"BAD"_qs); });
    press(w, u"裏書編集ボタン"_qs);
    press(w, u"登録ボタン"_qs);

    QCOMPARE(l.f.ui.texts().size(), 1);
    QVERIFY2(l.f.ui.texts().first().contains(u"書き込めません"_qs), qPrintable(l.f.ui.texts().first()));
    QCOMPARE(l.bill(id, u"振出人"_qs), QStringList{u"振出"_qs});
    QCOMPARE(l.endorsers(), (QStringList{u"1|1|甲"_qs, u"1|2|乙"_qs}));
    // The edits stay on screen for another try.
    QCOMPARE(textOf(w, u"振出人"_qs), u"新"_qs);
}

void TestList::customerLookup_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after"); // Tcode|TNAME

    QTest::newRow("unchanged code of a customer no longer registered") << u"C1"_qs << u"C1|顧客"_qs;
    QTest::newRow("unknown code empties both") << u"ZZ"_qs << u"|"_qs;
    QTest::newRow("registered code") << u"B2"_qs << u"B2|ベータ"_qs;
    QTest::newRow("full-width code") << u"Ｂ２"_qs << u"B2|ベータ"_qs;
    QTest::newRow("empty code") << QString() << u"|顧客"_qs;
}

void TestList::customerLookup()
{
    QFETCH(QString, typed);
    QFETCH(QString, after);

    ListWindow l;
    addCustomer(l.f.db(), u"B2"_qs, u"ベータ"_qs);
    const qint64 id = addBill(l.f.db(), u"A"_qs, u"2027-01-05"_qs, 100);
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 0);
    typeAndLeave(w, u"Tcode"_qs, typed, u"手形番号"_qs);
    QCOMPARE(textOf(w, u"Tcode"_qs) + u'|' + textOf(w, u"TNAME"_qs), after);
    press(w, u"登録ボタン"_qs);
    QCOMPARE(l.bill(id, u"取引先コード,取引先"_qs), QStringList{after});
}

void TestList::failedLoadIsNotSavedOverTheLine()
{
    ListWindow l;
    addBill(l.f.db(), u"A"_qs, u"2026-12-25"_qs, 100);
    const qint64 b = addBill(l.f.db(), u"B"_qs, u"2027-01-05"_qs, 5000);
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 0);
    type(w, u"振出人"_qs, u"Aの新しい振出人"_qs);

    // Another program holds the file while B's line is clicked: B cannot
    // be read, and the fields still show A.
    Workspace other(u"other"_qs, {}, {});
    Database *holder = other.openDatabase(l.f.folder.file(u"tegata.mdb"_qs));
    holder->execute(u"begin exclusive"_qs);
    clickBill(w, 1);
    holder->execute(u"rollback"_qs);
    other.releaseDatabase(holder);
    QCOMPARE(l.f.ui.texts().size(), 1);
    QCOMPARE(billList(w)->selectedRow(), 1);
    QCOMPARE(textOf(w, u"手形番号"_qs), u"A"_qs);

    // Saving them would write A over B: refused, both bills as they were.
    l.f.ui.clear();
    l.trigger(u"MH1"_qs);
    QCOMPARE(l.f.ui.texts(), QStringList{u"選んだ行の手形を読み込めていません\n行をもう一度選んでください"_qs});
    QCOMPARE(l.bill(b, u"手形番号,振出人,手形期日,金額"_qs), QStringList{u"B|振出|2027-01-05|5000"_qs});
    QCOMPARE(l.bill(1, u"手形番号,振出人,手形期日,金額"_qs), QStringList{u"A|振出|2026-12-25|100"_qs});

    // B picked again loads and saves as ever.
    l.f.ui.clear();
    clickBill(w, 1);
    type(w, u"振出人"_qs, u"Bの新しい振出人"_qs);
    press(w, u"登録ボタン"_qs);
    QCOMPARE(l.f.ui.texts(), QStringList());
    QCOMPARE(l.bill(b, u"手形番号,振出人,手形期日,金額"_qs), QStringList{u"B|Bの新しい振出人|2027-01-05|5000"_qs});
}

void TestList::printFromFileMenu()
{
    ListWindow l;
    addBill(l.f.db(), u"R2"_qs, QDate(2027, 1, 5), 300);
    addBill(l.f.db(), u"R1"_qs, QDate(2027, 1, 4), 200);
    l.open();
    // Printing comes after the items the menu always had.
    QStringList items;
    for (QAction *a : child<QMenu>(l.w.get(), u"MF"_qs)->actions())
        items << a->objectName() + u' ' + a->text();
    QCOMPARE(items, (QStringList{u"MH1 データ保存"_qs, u"MS1 削除"_qs, u"ME1 終了"_qs, u"MP1 印刷"_qs}));
    int pages = 0;
    l.f.ui.onModal(u"印刷プレビュー"_qs,
                   [&](QDialog *d) { pages = d->findChild<QPrintPreviewWidget *>()->pageCount(); });
    l.trigger(u"MP1"_qs);
    QCOMPARE(l.f.ui.modalWindows, QStringList{u"印刷プレビュー"_qs});
    QCOMPARE(pages, 1);
    QVERIFY(l.f.ui.shown.isEmpty());
    QCOMPARE(l.lines().size(), 2);
}

QTEST_MAIN(TestList)
void TestList::anotherClerkFirst_data()
{
    QTest::addColumn<bool>("deleting");
    QTest::newRow("saving over another clerk's correction") << false;
    QTest::newRow("deleting a bill another clerk corrected") << true;
}

// The bill on screen was corrected by another clerk in between: the save or
// delete is refused with a message and the other clerk's bill is shown.
void TestList::anotherClerkFirst()
{
    QFETCH(bool, deleting);
    ListWindow l;
    const qint64 id = addBill(l.f.db(), u"A"_qs, u"2027-01-05"_qs, 100);
    l.open();
    QWidget *w = l.w.get();
    clickBill(w, 0);
    QCOMPARE(textOf(w, u"金額"_qs), u"100"_qs);

    book::ReceivableBill other = *book::receivableBill(l.f.db(), id);
    other.金額 = 777;
    book::saveReceivableBill(l.f.db(), other, std::nullopt);

    type(w, u"金額"_qs, u"500"_qs);
    l.f.ui.answer(true);
    press(w, deleting ? u"削除ボタン"_qs : u"登録ボタン"_qs);
    QVERIFY2(l.f.ui.texts().last().startsWith(u"他の担当者が先にこの手形を変更しました"_qs),
             qPrintable(l.f.ui.texts().join(u'|')));
    QCOMPARE(l.bill(id, u"金額"_qs), QStringList{u"777"_qs});
    QCOMPARE(textOf(w, u"金額"_qs), u"777"_qs);
    // Read again, the clerk's change goes through.
    l.f.ui.clear();
    type(w, u"金額"_qs, u"500"_qs);
    l.f.ui.answer(true);
    press(w, deleting ? u"削除ボタン"_qs : u"登録ボタン"_qs);
    QCOMPARE(l.bill(id, u"金額"_qs), deleting ? QStringList() : QStringList{u"500"_qs});
}

#include "test_list.moc"
