// The search window: its pick lists, the kind switch, the code check that
// keeps the focus, and the search that opens the result window of its kind.

#include "search/SearchTest.h"

#include "master/MasterTest.h"
#include "search/BillSearch.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void addRegisters(Database &db)
{
    for (const char16_t *c : {u"C2", u"C1"})
        db.execute(u"insert into T0(tc,tn) values(?,?)"_qs,
                   {QString::fromUtf16(c), QString::fromUtf16(c) + u"商事"_qs});
    db.execute(u"insert into S0(sc,sn) values('S1','一仕入')"_qs);
    for (const char16_t *p : {u"金庫", u"A銀行"})
        db.execute(u"insert into 保管場所(保管場所) values(?)"_qs, {QString::fromUtf16(p)});
}

void addBills(Database &db)
{
    const qint64 b = addBill(
        db,
        {.number = u"123"_qs, .due = kToday.addDays(-5), .code = u"C1"_qs, .drawer = u"乙社"_qs, .place = u"金庫"_qs});
    addBill(db, {.number = u"124"_qs, .due = kToday, .code = u"C2"_qs, .drawer = u"甲社"_qs});
    addBill(db, {.number = u"125"_qs, .due = kToday, .code = u"C2"_qs, .drawer = u"乙社"_qs});
    addBill(db, {.number = u"126"_qs, .due = kToday, .code = u"C2"_qs}); // no drawer
    addBill(db, {.kind = 1, .number = u"P1"_qs, .due = kToday.addDays(3), .code = u"S1"_qs, .drawer = u"支払だけ"_qs});
    addBill(db, {.kind = 2,
                 .state = -2,
                 .number = u"H1"_qs,
                 .due = kToday.addDays(-1),
                 .code = u"C1"_qs,
                 .drawer = u"譲渡済"_qs,
                 .receiverCode = u"S1"_qs,
                 .receiver = u"一仕入"_qs});
    addEndorser(db, b, 1, u"山田"_qs);
    addEndorser(db, b, 2, u"佐藤"_qs);
    addEndorser(db, b, 3, u"山田"_qs);
}

// The result windows are others' work: plain dialogs with their names stand in.
void fakeResultWindows(WindowFixture &f)
{
    f.kit.receivableResults = [](QWidget *parent) -> QDialog * {
        auto *d = new QDialog(parent);
        d->setObjectName(u"受取結果表示"_qs);
        return d;
    };
    f.kit.payableResults = [](QWidget *parent) -> QDialog * {
        auto *d = new QDialog(parent);
        d->setObjectName(u"支払結果表示"_qs);
        return d;
    };
}

struct Controls {
    explicit Controls(QWidget *w)
        : receivable(child<QRadioButton>(w, u"Option1"_qs)), payable(child<QRadioButton>(w, u"Option2"_qs)),
          number(child<QLineEdit>(w, u"手形番号"_qs)), tcode(child<QComboBox>(w, u"Tcode"_qs)),
          scode(child<QComboBox>(w, u"Scode"_qs)), place(child<QComboBox>(w, u"保管場所"_qs)),
          drawer(child<QComboBox>(w, u"振出人"_qs)), endorser(child<QComboBox>(w, u"裏書"_qs)),
          tname(child<QLabel>(w, u"TNAME"_qs)), sname(child<QLabel>(w, u"SNAME"_qs)),
          search(child<QPushButton>(w, u"検索ボタン"_qs))
    {
    }
    QRadioButton *receivable, *payable;
    QLineEdit *number;
    QComboBox *tcode, *scode, *place, *drawer, *endorser;
    QLabel *tname, *sname;
    QPushButton *search;
};

} // namespace

class TestBillSearch : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void opensWithPickLists();
    void kindSwitch_data();
    void kindSwitch();
    void codeCheck_data();
    void codeCheck();
    void search_data();
    void search();
    void unregisteredCodeIsNotSearched();
    void withoutResultWindowNothingOpens();
};

void TestBillSearch::opensWithPickLists()
{
    WindowFixture f;
    addRegisters(f.db());
    addBills(f.db());
    BillSearchWindow w(*f.ctx, f.ui, f.kit);
    Controls c(&w);
    QCOMPARE(w.objectName(), u"手形検索"_qs);
    QCOMPARE(w.windowTitle(), u"手形検索"_qs);
    QVERIFY(c.receivable->isChecked());
    QVERIFY(child<QRadioButton>(&w, u"Option3"_qs)->isChecked());
    QCOMPARE(child<QRadioButton>(&w, u"Option5"_qs)->text(), u"両　方"_qs);
    QCOMPARE(c.search->text(), u"検　索"_qs);

    QCOMPARE(itemsOf(c.tcode), (QStringList{u"C1"_qs, u"C2"_qs}));
    QCOMPARE(itemsOf(c.scode), QStringList{u"S1"_qs});
    QCOMPARE(itemsOf(c.place), (QStringList{u"A銀行"_qs, u"金庫"_qs}));
    // Drawers of received bills only, each once, none empty.
    QCOMPARE(itemsOf(c.drawer), (QStringList{u"乙社"_qs, u"甲社"_qs}));
    QCOMPARE(itemsOf(c.endorser), (QStringList{u"佐藤"_qs, u"山田"_qs}));
    // Filling the lists picks nothing.
    for (QComboBox *box : {c.tcode, c.scode, c.place, c.drawer, c.endorser})
        QVERIFY2(box->currentText().isEmpty(), qPrintable(box->objectName()));
    QVERIFY(c.number->text().isEmpty());
    QVERIFY(c.tcode->isEnabled());
    QVERIFY(!c.scode->isEnabled());
    QVERIFY(!c.sname->isEnabled());
}

void TestBillSearch::kindSwitch_data()
{
    QTest::addColumn<bool>("toggled");
    QTest::newRow("clicked") << false;
    // A screen reader or test tool toggles the button: the same switch.
    QTest::newRow("toggled through the accessibility layer") << true;
}

void TestBillSearch::kindSwitch()
{
    QFETCH(bool, toggled);
    const auto press = [toggled](QRadioButton *button) {
        if (toggled)
            QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
                QAccessibleActionInterface::toggleAction());
        else
            QTest::mouseClick(button, Qt::LeftButton);
    };
    WindowFixture f;
    addRegisters(f.db());
    addBills(f.db());
    BillSearchWindow w(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&w));
    Controls c(&w);
    const QStringList receivableSide{u"Label3"_qs, u"Tcode"_qs, u"TNAME"_qs, u"Label5"_qs, u"保管場所"_qs};
    const QStringList payableSide{u"Label4"_qs, u"Scode"_qs, u"SNAME"_qs};
    const auto enabled = [&w](const QStringList &names, bool on) {
        for (const QString &n : names)
            if (child<QWidget>(&w, n)->isEnabled() != on)
                return false;
        return true;
    };

    c.tcode->setEditText(u"C1"_qs);
    c.drawer->setEditText(u"乙社"_qs);
    c.endorser->setEditText(u"山田"_qs);
    press(c.payable);
    QVERIFY(c.payable->isChecked());
    QVERIFY(enabled(receivableSide, false));
    QVERIFY(enabled(payableSide, true));
    QCOMPARE(c.drawer->count(), 0);
    QVERIFY(c.drawer->currentText().isEmpty());
    // The other boxes keep what was typed; a disabled one takes no part.
    QCOMPARE(c.tcode->currentText(), u"C1"_qs);
    QCOMPARE(c.endorser->currentText(), u"山田"_qs);

    press(c.receivable);
    QVERIFY(c.receivable->isChecked());
    QVERIFY(enabled(receivableSide, true));
    QVERIFY(enabled(payableSide, false));
    QCOMPARE(itemsOf(c.drawer), (QStringList{u"乙社"_qs, u"甲社"_qs}));
    QVERIFY(c.drawer->currentText().isEmpty());
    QVERIFY(f.ui.shown.isEmpty());
}

void TestBillSearch::codeCheck_data()
{
    QTest::addColumn<bool>("payable");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("focusStays");
    QTest::newRow("registered customer") << false << u"C1"_qs << u"C1商事"_qs << false;
    QTest::newRow("full-width, other case") << false << u"ｃ２"_qs << u"C2商事"_qs << false;
    QTest::newRow("unregistered customer") << false << u"ZZ"_qs << QString() << true;
    QTest::newRow("supplier code is no customer") << false << u"S1"_qs << QString() << true;
    QTest::newRow("empty lets the focus go") << false << QString() << QString() << false;
    QTest::newRow("registered supplier") << true << u"S1"_qs << u"一仕入"_qs << false;
    QTest::newRow("unregistered supplier") << true << u"C1"_qs << QString() << true;
}

void TestBillSearch::codeCheck()
{
    QFETCH(bool, payable);
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(bool, focusStays);

    WindowFixture f;
    addRegisters(f.db());
    BillSearchWindow w(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&w));
    Controls c(&w);
    if (payable)
        QTest::mouseClick(c.payable, Qt::LeftButton);
    QComboBox *code = payable ? c.scode : c.tcode;
    QLabel *shown = payable ? c.sname : c.tname;
    shown->setText(u"前の名前"_qs);
    code->setEditText(typed);
    enterAndLeave(code, c.number);
    QCoreApplication::processEvents();
    QCOMPARE(shown->text(), name);
    QCOMPARE(QApplication::focusWidget() == code, focusStays);
    QVERIFY(f.ui.shown.isEmpty());

    if (focusStays) {
        // Still refused on the next try; emptying the box lets the focus go.
        enterAndLeave(code, c.place);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), code);
        code->clearEditText();
        enterAndLeave(code, c.endorser);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), c.endorser);
    }
}

void TestBillSearch::search_data()
{
    QTest::addColumn<bool>("payable");
    QTest::addColumn<QString>("side");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("endorser");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("12* past due") << false << u"Option4"_qs << u"12*"_qs << QString() << QString() << u"受取結果表示"_qs
                                  << QStringList{u"123"_qs};
    QTest::newRow("exact number whatever the side") << false << u"Option3"_qs << u"123"_qs << QString() << QString()
                                                    << u"受取結果表示"_qs << QStringList{u"123"_qs};
    QTest::newRow("payable, both") << true << u"Option5"_qs << QString() << QString() << QString() << u"支払結果表示"_qs
                                   << QStringList{u"H1"_qs, u"P1"_qs};
    QTest::newRow("payable by supplier code")
        << true << u"Option3"_qs << QString() << u"S1"_qs << QString() << u"支払結果表示"_qs << QStringList{u"P1"_qs};
    QTest::newRow("payable by supplier code, the bills handed on to it too")
        << true << u"Option5"_qs << QString() << u"S1"_qs << QString() << u"支払結果表示"_qs
        << QStringList{u"H1"_qs, u"P1"_qs};
    QTest::newRow("endorser on two positions, found once")
        << false << u"Option5"_qs << QString() << QString() << u"山田"_qs << u"受取結果表示"_qs
        << QStringList{u"123"_qs};
    QTest::newRow("endorsed bill misses the date side")
        << false << u"Option3"_qs << QString() << QString() << u"山田"_qs << QString() << QStringList{};
    QTest::newRow("endorser of no bill") << false << u"Option5"_qs << QString() << QString() << u"鈴木"_qs << QString()
                                         << QStringList{};
}

void TestBillSearch::search()
{
    QFETCH(bool, payable);
    QFETCH(QString, side);
    QFETCH(QString, number);
    QFETCH(QString, code);
    QFETCH(QString, endorser);
    QFETCH(QString, window);
    QFETCH(QStringList, found);

    WindowFixture f;
    addRegisters(f.db());
    addBills(f.db());
    fakeResultWindows(f);
    BillSearchWindow w(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&w));
    Controls c(&w);
    if (payable)
        QTest::mouseClick(c.payable, Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>(&w, side), Qt::LeftButton);
    c.number->setText(number);
    (payable ? c.scode : c.tcode)->setEditText(code);
    c.endorser->setEditText(endorser);

    QStringList whileOpen;
    QWidget *parentOfResults = nullptr;
    f.ui.onModal(window, [&](QDialog *d) {
        whileOpen = foundNumbers(f.db());
        parentOfResults = d->parentWidget();
    });
    QTest::mouseClick(c.search, Qt::LeftButton);

    if (window.isEmpty()) {
        QCOMPARE(f.ui.texts(), QStringList{u"該当する手形はありません"_qs});
        QVERIFY(f.ui.modalWindows.isEmpty());
        QCOMPARE(foundNumbers(f.db()), QStringList{});
    } else {
        QVERIFY(f.ui.shown.isEmpty());
        QCOMPARE(f.ui.modalWindows, QStringList{window});
        QCOMPARE(whileOpen, found);
        QCOMPARE(parentOfResults, &w);
    }
    // The criteria stay for the next search.
    QVERIFY(w.isVisible());
    QCOMPARE(c.number->text(), number);
    QCOMPARE(c.endorser->currentText(), endorser);
}

void TestBillSearch::unregisteredCodeIsNotSearched()
{
    WindowFixture f;
    addRegisters(f.db());
    addBills(f.db());
    fakeResultWindows(f);
    BillSearchWindow w(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&w));
    Controls c(&w);
    QTest::mouseClick(child<QRadioButton>(&w, u"Option5"_qs), Qt::LeftButton);
    QTest::mouseClick(c.search, Qt::LeftButton);
    QCOMPARE(f.ui.modalWindows, QStringList{u"受取結果表示"_qs});
    const QStringList before = foundNumbers(f.db());
    QCOMPARE(before.size(), 4);

    f.ui.clear();
    c.tcode->setEditText(u"ZZ"_qs);
    c.tcode->setFocus();
    QTest::mouseClick(c.search, Qt::LeftButton);
    QCoreApplication::processEvents();
    // As when leaving the box: the focus stays there, without a message.
    QCOMPARE(f.ui.texts(), QStringList());
    QVERIFY(f.ui.modalWindows.isEmpty());
    QCOMPARE(foundNumbers(f.db()), before);
    QCOMPARE(QApplication::focusWidget(), c.tcode);
}

void TestBillSearch::withoutResultWindowNothingOpens()
{
    WindowFixture f;
    addBills(f.db());
    f.kit.receivableResults = nullptr;
    BillSearchWindow w(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&w));
    QTest::mouseClick(child<QRadioButton>(&w, u"Option5"_qs), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&w, u"検索ボタン"_qs), Qt::LeftButton);
    QVERIFY(f.ui.shown.isEmpty());
    QVERIFY(f.ui.modalWindows.isEmpty());
    QCOMPARE(foundNumbers(f.db()).size(), 4);
    QTest::mouseClick(child<QPushButton>(&w, u"終了ボタン"_qs), Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(TestBillSearch)
#include "test_bill_search.moc"
