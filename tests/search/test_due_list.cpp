// The approaching-due list: which bills each list holds, the line layout,
// the title, printing the ticked lists, and how the main window opens it.

#include "search/SearchTest.h"

#include "app/MainMenu.h"
#include "master/MasterTest.h"
#include "search/DueList.h"
#include "ui/LineList.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);

void addBills(Database &db)
{
    addBill(db, {.number = u"A-4"_qs, .due = kToday.addDays(15), .party = u"丁"_qs, .amount = 4});
    addBill(db,
            {.number = u"A-2"_qs, .due = kToday.addDays(14), .party = u"乙"_qs, .place = QVariant(), .amount = 5000});
    addBill(db, {.number = u"A-1"_qs, .due = kToday, .party = u"甲商事"_qs, .place = u"金庫"_qs, .amount = 1234567});
    addBill(db, {.number = u"A-3"_qs, .due = kToday.addDays(-1), .party = u"戊"_qs, .amount = 3});
    addBill(
        db,
        {.number = u"J-1"_qs, .due = QDate(2027, 1, 5), .party = u"年明"_qs, .place = u"本社金庫室"_qs, .amount = 1});
    addBill(db, {.number = u"N-1"_qs, .party = u"日付なし"_qs, .amount = 9});
    addBill(db, {.state = 2, .number = u"D-1"_qs, .due = kToday.addDays(1), .party = u"丙"_qs, .amount = 100});
    addBill(db, {.kind = 1, .number = u"P-1"_qs, .due = kToday.addDays(2), .party = u"仕入"_qs, .amount = 20000});
    addBill(db, {.kind = 1, .state = 2, .number = u"P-2"_qs, .due = kToday, .party = u"仕入"_qs, .amount = 7});
    addBill(db, {.kind = 2, .state = -2, .number = u"H-1"_qs, .due = kToday, .party = u"譲渡"_qs, .amount = 8});
}

QStringList linesOf(QWidget *w, const QString &list)
{
    return child<ui::LineList>(w, list)->lines();
}

} // namespace

class TestDueList : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void lists_data();
    void lists();
    void print_data();
    void print();
    void opensModally_data();
    void opensModally();
    void menuOpensOneModelessList();
};

void TestDueList::lists_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("inHand");
    QTest::addColumn<QStringList>("issued");
    QTest::addColumn<QStringList>("dishonoured");

    const QString a1 = u"12/07  A-1          金庫甲商事  1,234,567"_qs;
    const QString a2 = u"12/21  A-2            乙  5,000"_qs; // no storage place: the same columns
    const QString p2 = u"12/07  P-2              7"_qs;
    const QString p1 = u"12/09  P-1              20,000"_qs;
    const QString d1 = u"12/08  D-1            丙  100"_qs;
    QTest::newRow("14 days, both ends included")
        << 14 << u"12/07 から 14日以内の手形"_qs << QStringList{a1, a2} << QStringList{p2, p1} << QStringList{d1};
    QTest::newRow("0 days: today only") << 0 << u"12/07 から 0日以内の手形"_qs << QStringList{a1} << QStringList{p2}
                                        << QStringList{};
    QTest::newRow("over the year end, in date order")
        << 30 << u"12/07 から 30日以内の手形"_qs
        << QStringList{a1, a2, u"12/22  A-4            丁  4"_qs, u"01/05  J-1       本社金庫室年明  1"_qs}
        << QStringList{p2, p1} << QStringList{d1};
}

void TestDueList::lists()
{
    QFETCH(int, days);
    QFETCH(QString, title);
    QFETCH(QStringList, inHand);
    QFETCH(QStringList, issued);
    QFETCH(QStringList, dishonoured);

    AppFixture f;
    addBills(f.db());
    f.ctx->DueWindowDays = days;
    DueListWindow w(*f.ctx, f.ui);
    QCOMPARE(w.objectName(), u"接近手形一覧"_qs);
    QCOMPARE(w.windowTitle(), u"手形一覧"_qs);
    QCOMPARE(child<QLabel>(&w, u"Title"_qs)->text(), title);
    QCOMPARE(linesOf(&w, u"List1"_qs), inHand);
    QCOMPARE(linesOf(&w, u"List2"_qs), issued);
    QCOMPARE(linesOf(&w, u"List4"_qs), dishonoured);
}

void TestDueList::print_data()
{
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QList<QStringList>>("totals");

    const QStringList a1{u"2026/12/07"_qs, u"A-1"_qs, u"金庫"_qs, u"甲商事"_qs, u"1,234,567"_qs};
    const QStringList a2{u"2026/12/21"_qs, u"A-2"_qs, QString(), u"乙"_qs, u"5,000"_qs};
    const QStringList p2{u"2026/12/07"_qs, u"P-2"_qs, u"仕入"_qs, u"7"_qs};
    const QStringList p1{u"2026/12/09"_qs, u"P-1"_qs, u"仕入"_qs, u"20,000"_qs};
    const QStringList d1{u"2026/12/08"_qs, u"D-1"_qs, QString(), u"丙"_qs, u"100"_qs};
    QTest::newRow("nothing ticked: nothing printed")
        << QStringList{} << false << QStringList{} << QList<QStringList>{} << QList<QStringList>{};
    QTest::newRow("all three, from the button")
        << QStringList{u"Check1"_qs, u"Check2"_qs, u"Check5"_qs} << false
        << QStringList{u"手形一覧"_qs, u"支払手形一覧"_qs, u"不渡手形一覧"_qs} << QList<QStringList>{a1, a2, p2, p1, d1}
        << QList<QStringList>{{u"合計"_qs, u"2 件"_qs, QString(), QString(), u"1,239,567"_qs},
                              {u"合計"_qs, u"2 件"_qs, QString(), u"20,007"_qs},
                              {u"合計"_qs, u"1 件"_qs, QString(), QString(), u"100"_qs}};
    QTest::newRow("the issued bills alone, from the menu")
        << QStringList{u"Check2"_qs} << true << QStringList{u"支払手形一覧"_qs} << QList<QStringList>{p2, p1}
        << QList<QStringList>{{u"合計"_qs, u"2 件"_qs, QString(), u"20,007"_qs}};
}

void TestDueList::print()
{
    QFETCH(QStringList, ticks);
    QFETCH(bool, viaMenu);
    QFETCH(QStringList, titles);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QList<QStringList>, totals);

    AppFixture f;
    addBills(f.db());
    DueListWindow w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    auto *print = child<QPushButton>(&w, u"印刷ボタン"_qs);
    QCOMPARE(print->text(), u"印刷"_qs);
    QVERIFY(print->isEnabled());
    for (const QString &box : ticks) {
        auto *check = child<QCheckBox>(&w, box);
        QCOMPARE(check->text(), u"印刷する"_qs);
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(check->isChecked());
    }
    int pages = 0;
    f.ui.onModal(u"印刷プレビュー"_qs, [&](QDialog *d) {
        if (auto *preview = d->findChild<QPrintPreviewWidget *>())
            pages = preview->pageCount();
    });
    const QStringList before = linesOf(&w, u"List1"_qs);
    if (viaMenu)
        child<QAction>(&w, u"MP1"_qs)->trigger();
    else
        QTest::mouseClick(print, Qt::LeftButton);

    if (ticks.isEmpty()) {
        QCOMPARE(f.ui.texts(), QStringList{u"印刷する一覧の「印刷する」に印を付けてください"_qs});
        QVERIFY(f.ui.modalWindows.isEmpty());
    } else {
        QVERIFY2(f.ui.shown.isEmpty(), qPrintable(f.ui.texts().join(u'|')));
        QCOMPARE(f.ui.modalWindows, QStringList{u"印刷プレビュー"_qs});
        QCOMPARE(pages, titles.size()); // one page per list, each starting its own
    }
    const QList<book::Sheet> sheets = w.ticked();
    QStringList gotTitles;
    QList<QStringList> gotRows, gotTotals;
    for (const book::Sheet &sheet : sheets) {
        gotTitles << sheet.title;
        QCOMPARE(sheet.subtitle, u"2026/12/07 から 14日以内の手形（2026/12/21 まで）"_qs);
        gotRows << sheet.rows;
        gotTotals << sheet.totals;
    }
    QCOMPARE(gotTitles, titles);
    QCOMPARE(gotRows, rows);
    QCOMPARE(gotTotals, totals);
    QCOMPARE(linesOf(&w, u"List1"_qs), before);
    QVERIFY(w.isVisible());
    child<QAction>(&w, u"ME1"_qs)->trigger();
    QVERIFY(!w.isVisible());
}

void TestDueList::opensModally_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    QTest::newRow("期日接近") << u"期日接近"_qs << u"接近手形一覧"_qs;
    QTest::newRow("検索ボタン") << u"検索ボタン"_qs << u"手形検索"_qs;
    QTest::newRow("M1手形検索") << u"M1手形検索"_qs << u"手形検索"_qs;
}

void TestDueList::opensModally()
{
    QFETCH(QString, control);
    QFETCH(QString, window);
    AppFixture f;
    addBills(f.db());
    MainMenu menu(*f.ctx, f.ui);
    bool filled = false;
    f.ui.onModal(window, [&](QDialog *d) {
        filled = window == u"接近手形一覧"_qs ? linesOf(d, u"List1"_qs).size() == 2
                                              : child<QComboBox>(d, u"振出人"_qs) != nullptr;
    });
    if (QPushButton *b = menu.button(control)) {
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
    } else {
        QVERIFY(menu.item(control)->isEnabled());
        menu.item(control)->trigger();
    }
    QCOMPARE(f.ui.modalWindows, QStringList{window});
    QVERIFY(filled);
    QVERIFY(f.ui.shown.isEmpty());
    QVERIFY(!menu.dueList());
}

void TestDueList::menuOpensOneModelessList()
{
    AppFixture f;
    addBills(f.db());
    MainMenu menu(*f.ctx, f.ui);
    QVERIFY(showActive(&menu));
    menu.item(u"M14満期"_qs)->trigger();
    QPointer<DueListWindow> list = menu.dueList();
    QVERIFY(list);
    QVERIFY(list->isVisible());
    QVERIFY(!list->isModal());
    QVERIFY(f.ui.modalWindows.isEmpty());
    QCOMPARE(linesOf(list, u"List1"_qs).size(), 2);

    // The main window stays usable while the list is open.
    QVERIFY(!QApplication::activeModalWidget());
    QTest::mouseClick(menu.button(u"保管場所登録"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.modalWindows, QStringList{u"保管場所"_qs});

    // Chosen again: the same window, read anew.
    addBill(f.db(), {.number = u"NEW"_qs, .due = kToday.addDays(1), .party = u"新"_qs, .amount = 1});
    menu.item(u"M14満期"_qs)->trigger();
    QCOMPARE(menu.dueList(), list.data());
    QCOMPARE(menu.findChildren<DueListWindow *>().size(), 1);
    QCOMPARE(linesOf(list, u"List1"_qs).size(), 3);

    // Closing it frees it.
    QTest::mouseClick(child<QPushButton>(list, u"終了ボタン"_qs), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!list);
    QVERIFY(!menu.dueList());
    menu.hide();
}

QTEST_MAIN(TestDueList)
#include "test_due_list.moc"
