// What follows the events of a bill's life downstream: the journal of a
// year with every kind of event balances and leaves 受取手形, 支払手形 and
// 不渡手形 at the bills still open; the ledgers' てん末, the year-end
// statements, the search and the approaching-due list follow the history.

#include "support/LifeBills.h"
#include "support/TestSupport.h"

#include "book/BillLife.h"
#include "book/DiscountBanks.h"
#include "book/History.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "book/Reports.h"
#include "book/Search.h"
#include "data/Engine.h"
#include "report/Exports.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// Every step is dated by its own day; "today" is after all of them.
const QDate kToday(2027, 3, 31);

book::StepInput on(qint64 id, const QDate &date)
{
    return stepOn(id, date, kToday);
}

// The role's balance, debit positive, read through the account names the
// journal was given.
qint64 balanceOf(const QList<book::JournalEntry> &entries, const QString &account)
{
    qint64 sum = 0;
    for (const book::JournalEntry &e : entries) {
        if (e.debit == account)
            sum += e.amount;
        if (e.credit == account)
            sum -= e.amount;
    }
    return sum;
}

// The sum of the bills in the state now.
qint64 openAmount(Database &db, const QString &state)
{
    QList<qint64> ids;
    db.forEachRow(QStringLiteral("select id from D_手形"), {}, [&](const RowView &r) { ids << r.number(0); });
    qint64 sum = 0;
    for (const qint64 id : ids)
        if (const std::optional<book::BillRow> b = book::billRow(db, id); b && b->stateLabel() == state)
            sum += b->金額;
    return sum;
}

} // namespace

class TestBillDownstream : public QObject {
    Q_OBJECT
private slots:
    void journalOfAYearBalances_data();
    void journalOfAYearBalances();
    void entriesOfEachEvent_data();
    void entriesOfEachEvent();
    void ledgerOutcomes_data();
    void ledgerOutcomes();
    void statementsAtTheYearEnd_data();
    void statementsAtTheYearEnd();
    void searchAndDueListLeaveFinishedOut();
    void journalOutputIsNoted();
};

void TestBillDownstream::journalOfAYearBalances_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::newRow("the roles' own names") << false;
    QTest::newRow("the accountant's names") << true;
}

void TestBillDownstream::journalOfAYearBalances()
{
    QFETCH(bool, renamed);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    QHash<QString, QString> name; // role -> the account the journal books to
    for (const QString &role : {QStringLiteral("受取手形"), QStringLiteral("支払手形"), QStringLiteral("不渡手形"),
                                QStringLiteral("当座預金"), QStringLiteral("売掛金"), QStringLiteral("買掛金"),
                                QStringLiteral("手形売却損"), QStringLiteral("貸倒損失")}) {
        name.insert(role, renamed ? role + QStringLiteral("（科目）") : role);
        if (renamed)
            book::setJournalAccount(db, role, name.value(role), QStringLiteral("補助"));
    }
    const QDate jan(2026, 1, 15);

    // Every kind of event, and each taken back, within the year.
    const qint64 inHand = receive(db, QStringLiteral("R-keep"), jan, QDate(2027, 2, 26), 110000);
    const qint64 settled = receive(db, QStringLiteral("R-paid"), jan, QDate(2026, 3, 31), 120000);
    book::settleBill(db, on(settled, QDate(2026, 4, 1)));
    const qint64 settleUndone = receive(db, QStringLiteral("R-unpaid"), jan, QDate(2026, 3, 31), 130000);
    book::settleBill(db, on(settleUndone, QDate(2026, 3, 31)));
    book::cancelSettlement(db, on(settleUndone, QDate(2026, 4, 10)));
    const qint64 discounted = receive(db, QStringLiteral("R-disc"), jan, QDate(2027, 1, 29), 140000);
    book::discountBill(db, on(discounted, QDate(2026, 2, 2)), QStringLiteral("B1"), 2100);
    const qint64 discountEnded = receive(db, QStringLiteral("R-disc-end"), jan, QDate(2026, 6, 30), 150000);
    book::discountBill(db, on(discountEnded, QDate(2026, 2, 2)), QStringLiteral("B1"), 900);
    book::settleBill(db, on(discountEnded, QDate(2026, 6, 30)));
    const qint64 discountMistake = receive(db, QStringLiteral("R-disc-x"), jan, QDate(2026, 9, 30), 160000);
    book::discountBill(db, on(discountMistake, QDate(2026, 2, 3)), QStringLiteral("B1"), 700);
    book::cancelDiscount(db, on(discountMistake, QDate(2026, 2, 4)), book::DiscountUndo::Mistake);
    const qint64 boughtBack = receive(db, QStringLiteral("R-buyback"), jan, QDate(2027, 3, 31), 170000);
    book::discountBill(db, on(boughtBack, QDate(2026, 2, 3)), QStringLiteral("B1"), 500);
    book::cancelDiscount(db, on(boughtBack, QDate(2026, 5, 6)), book::DiscountUndo::BuyBack);
    const qint64 handedOn = receive(db, QStringLiteral("R-hand"), jan, QDate(2027, 1, 29), 180000);
    QVERIFY(book::handOnBill(db, handedOn, QDate(2026, 2, 10), QStringLiteral("S1"), QStringLiteral("仕入商会")));
    const qint64 handBack = receive(db, QStringLiteral("R-hand-x"), jan, QDate(2027, 1, 29), 190000);
    QVERIFY(book::handOnBill(db, handBack, QDate(2026, 2, 10), QStringLiteral("S1"), QStringLiteral("仕入商会")));
    QVERIFY(book::cancelHandOn(db, handBack, std::nullopt, QDate(2026, 2, 20)));
    const qint64 handEnded = receive(db, QStringLiteral("R-hand-end"), jan, QDate(2026, 5, 29), 200000);
    QVERIFY(book::handOnBill(db, handEnded, QDate(2026, 2, 10), QStringLiteral("S1"), QStringLiteral("仕入商会")));
    book::settleBill(db, on(handEnded, QDate(2026, 5, 29)));
    const qint64 bounced = receive(db, QStringLiteral("R-bounce"), jan, QDate(2026, 4, 30), 210000);
    book::dishonourBill(db, on(bounced, QDate(2026, 5, 1)), QStringLiteral("資金不足"));
    const qint64 bouncedDisc = receive(db, QStringLiteral("R-bounce-disc"), jan, QDate(2026, 4, 30), 220000);
    book::discountBill(db, on(bouncedDisc, QDate(2026, 2, 5)), QStringLiteral("B1"), 1100);
    book::dishonourBill(db, on(bouncedDisc, QDate(2026, 5, 1)), QStringLiteral("資金不足"));
    const qint64 bouncedHand = receive(db, QStringLiteral("R-bounce-hand"), jan, QDate(2026, 4, 30), 230000);
    QVERIFY(book::handOnBill(db, bouncedHand, QDate(2026, 2, 11), QStringLiteral("S1"), QStringLiteral("仕入商会")));
    book::dishonourBill(db, on(bouncedHand, QDate(2026, 5, 1)), QStringLiteral("取引なし"));
    const qint64 bounceMistake = receive(db, QStringLiteral("R-bounce-x"), jan, QDate(2026, 4, 30), 240000);
    book::discountBill(db, on(bounceMistake, QDate(2026, 2, 5)), QStringLiteral("B1"), 300);
    book::dishonourBill(db, on(bounceMistake, QDate(2026, 5, 1)), QStringLiteral("資金不足"));
    book::cancelDishonour(db, on(bounceMistake, QDate(2026, 5, 2)), book::DishonourUndo::Mistake);
    const qint64 recovered = receive(db, QStringLiteral("R-recover"), jan, QDate(2026, 4, 30), 250000);
    book::dishonourBill(db, on(recovered, QDate(2026, 5, 1)), QStringLiteral("資金不足"));
    book::cancelDishonour(db, on(recovered, QDate(2026, 8, 3)), book::DishonourUndo::Recovered, 200000);
    const qint64 corrected = receive(db, QStringLiteral("R-corr"), jan, QDate(2027, 1, 29), 260000);
    book::ReceivableBill c = *book::receivableBill(db, corrected);
    c.金額 = 255000;
    book::saveReceivableBill(db, c, std::nullopt, QDate(2026, 3, 3));
    const qint64 deleted = receive(db, QStringLiteral("R-del"), jan, QDate(2027, 1, 29), 270000);
    book::deleteReceivableBill(db, deleted, std::nullopt, QDate(2026, 3, 4));
    const qint64 deletedBounced = receive(db, QStringLiteral("R-del-bounce"), jan, QDate(2026, 4, 30), 280000);
    book::dishonourBill(db, on(deletedBounced, QDate(2026, 5, 1)), QStringLiteral("資金不足"));
    book::deleteReceivableBill(db, deletedBounced, std::nullopt, QDate(2026, 6, 1));

    const qint64 issued = issue(db, QStringLiteral("P-keep"), jan, QDate(2027, 1, 29), 310000);
    const qint64 paid = issue(db, QStringLiteral("P-paid"), jan, QDate(2026, 4, 30), 320000);
    book::settleBill(db, on(paid, QDate(2026, 4, 30)));
    const qint64 issuedCorrected = issue(db, QStringLiteral("P-corr"), jan, QDate(2027, 1, 29), 330000);
    book::IssuedCorrection ic;
    ic.billId = issuedCorrected;
    ic.accountId = db.scalar(QStringLiteral("select id from 口座データ where kozano = 1")).toLongLong();
    ic.手形番号 = QStringLiteral("P-corr");
    ic.取引先コード = QStringLiteral("S1");
    ic.取引先 = QStringLiteral("仕入商会");
    ic.日付 = jan;
    ic.手形期日 = QDate(2027, 1, 29);
    ic.金額 = 340000;
    ic.on = QDate(2026, 7, 1);
    QVERIFY(book::correctIssuedBill(db, ic));
    const qint64 issuedDeleted = issue(db, QStringLiteral("P-del"), jan, QDate(2027, 1, 29), 350000);
    QVERIFY(book::deleteIssuedBill(db, issuedDeleted, std::nullopt, QDate(2026, 7, 2)));

    // What is open at the year end.
    const qint64 receivable = openAmount(db, QStringLiteral("手元"));
    const qint64 payable = openAmount(db, QStringLiteral("振出"));
    const qint64 dishonoured = openAmount(db, QStringLiteral("不渡"));
    QCOMPARE(receivable, 110000 + 130000 + 160000 + 170000 + 190000 + 255000);
    QCOMPARE(payable, 310000 + 340000);
    QCOMPARE(dishonoured, 210000 + 220000 + 230000);

    // Steps of the next year stay out of this year's journal.
    book::settleBill(db, on(inHand, QDate(2027, 2, 26)));
    book::settleBill(db, on(issued, QDate(2027, 1, 29)));
    book::cancelDishonour(db, on(bounced, QDate(2027, 1, 5)), book::DishonourUndo::Recovered, 210000);

    const QList<book::JournalEntry> year = book::journalEntries(db, QDate(2026, 1, 1), QDate(2026, 12, 31));
    // Every entry balances, and so the year does: the balances of all the
    // accounts add up to nothing.
    qint64 all = 0;
    for (const QString &account : name)
        all += balanceOf(year, account);
    QCOMPARE(all, 0);
    for (const book::JournalEntry &e : year) {
        QVERIFY2(name.values().contains(e.debit) && name.values().contains(e.credit), qPrintable(e.summary));
        QVERIFY(e.date.year() == 2026);
        QVERIFY(e.amount >= 0);
        QCOMPARE(e.debitSub, renamed ? QStringLiteral("補助") : QString());
    }
    QCOMPARE(balanceOf(year, name.value(QStringLiteral("受取手形"))), receivable);
    QCOMPARE(balanceOf(year, name.value(QStringLiteral("支払手形"))), -payable);
    QCOMPARE(balanceOf(year, name.value(QStringLiteral("不渡手形"))), dishonoured);
    // The fees of the discounts standing at the year end are the cost, the
    // part not recovered the loss.
    QCOMPARE(balanceOf(year, name.value(QStringLiteral("手形売却損"))), 2100 + 900 + 500 + 1100 + 300);
    QCOMPARE(balanceOf(year, name.value(QStringLiteral("貸倒損失"))), 50000);

    // The next year's journal starts from there and books the late steps.
    const QList<book::JournalEntry> next = book::journalEntries(db, QDate(2027, 1, 1), QDate(2027, 12, 31));
    QCOMPARE(balanceOf(year + next, name.value(QStringLiteral("受取手形"))), receivable - 110000);
    QCOMPARE(balanceOf(year + next, name.value(QStringLiteral("支払手形"))), -(payable - 310000));
    QCOMPARE(balanceOf(year + next, name.value(QStringLiteral("不渡手形"))), dishonoured - 210000);
    Q_UNUSED(handedOn);
    Q_UNUSED(discounted);
}

void TestBillDownstream::entriesOfEachEvent_data()
{
    QTest::addColumn<QString>("story");
    QTest::addColumn<QStringList>("entries"); // "debit/credit amount words" of the last day's entries
    QTest::newRow("discount with a fee") << QStringLiteral("discount")
                                         << QStringList{
                                                QStringLiteral("当座預金/受取手形 98000 手形割引 東西銀行 本店"),
                                                QStringLiteral("手形売却損/受取手形 2000 手形割引料 東西銀行 本店")};
    QTest::newRow("a mistaken discount taken back")
        << QStringLiteral("discount mistake")
        << QStringList{QStringLiteral("受取手形/当座預金 98000 手形割引取消 東西銀行 本店"),
                       QStringLiteral("受取手形/手形売却損 2000 手形割引料取消 東西銀行 本店")};
    QTest::newRow("bought back") << QStringLiteral("buy back")
                                 << QStringList{
                                        QStringLiteral("受取手形/当座預金 100000 割引手形買戻し 東西銀行 本店")};
    QTest::newRow("settled in hand") << QStringLiteral("settle")
                                     << QStringList{QStringLiteral("当座預金/受取手形 100000 手形決済 得意先商事")};
    QTest::newRow("settlement taken back")
        << QStringLiteral("settle cancel")
        << QStringList{QStringLiteral("受取手形/当座預金 100000 手形決済取消 得意先商事")};
    QTest::newRow("issued bill paid") << QStringLiteral("pay")
                                      << QStringList{QStringLiteral("支払手形/当座預金 100000 手形決済 仕入商会")};
    QTest::newRow("discounted bill ends") << QStringLiteral("discount ends") << QStringList{};
    QTest::newRow("dishonoured in hand") << QStringLiteral("dishonour")
                                         << QStringList{QStringLiteral("不渡手形/受取手形 100000 手形不渡 得意先商事")};
    QTest::newRow("dishonoured, bought back from the bank")
        << QStringLiteral("dishonour discounted")
        << QStringList{QStringLiteral("不渡手形/当座預金 100000 手形不渡 東西銀行 本店")};
    QTest::newRow("dishonoured, owed to the supplier again")
        << QStringLiteral("dishonour handed on")
        << QStringList{QStringLiteral("不渡手形/買掛金 100000 手形不渡 仕入商会")};
    QTest::newRow("dishonour a mistake") << QStringLiteral("dishonour mistake")
                                         << QStringList{
                                                QStringLiteral("当座預金/不渡手形 100000 手形不渡取消 東西銀行 本店")};
    QTest::newRow("recovered in part") << QStringLiteral("recover")
                                       << QStringList{
                                              QStringLiteral("当座預金/不渡手形 60000 不渡手形回収 得意先商事"),
                                              QStringLiteral("貸倒損失/不渡手形 40000 不渡手形貸倒 得意先商事")};
    QTest::newRow("amount lowered") << QStringLiteral("correct")
                                    << QStringList{QStringLiteral("売掛金/受取手形 10000 手形金額修正 得意先商事")};
    QTest::newRow("hand-on taken back") << QStringLiteral("hand back")
                                        << QStringList{QStringLiteral("受取手形/買掛金 100000 手形譲渡取消 仕入商会")};
    QTest::newRow("deleted") << QStringLiteral("delete")
                             << QStringList{QStringLiteral("売掛金/受取手形 100000 手形削除 得意先商事")};
}

void TestBillDownstream::entriesOfEachEvent()
{
    QFETCH(QString, story);
    QFETCH(QStringList, entries);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const QDate last(2026, 6, 30);
    const QDate due(2026, 6, 30);
    const qint64 id = story == u"pay" ? issue(db, QStringLiteral("P1"), QDate(2026, 4, 1), due, 100000)
                                      : receive(db, QStringLiteral("R1"), QDate(2026, 4, 1), due, 100000);
    const QDate before(2026, 5, 1);
    if (story.startsWith(u"discount") || story == u"buy back" || story == u"dishonour discounted" ||
        story == u"dishonour mistake")
        book::discountBill(db, on(id, story == u"discount" ? last : before), QStringLiteral("B1"), 2000);
    if (story == u"discount mistake")
        book::cancelDiscount(db, on(id, last), book::DiscountUndo::Mistake);
    if (story == u"buy back")
        book::cancelDiscount(db, on(id, last), book::DiscountUndo::BuyBack);
    if (story == u"settle" || story == u"pay" || story == u"discount ends")
        book::settleBill(db, on(id, last));
    if (story == u"settle cancel") {
        book::settleBill(db, on(id, due));
        book::cancelSettlement(db, on(id, last));
    }
    if (story == u"dishonour handed on" || story == u"hand back")
        QVERIFY(book::handOnBill(db, id, before, QStringLiteral("S1"), QStringLiteral("仕入商会")));
    if (story == u"hand back")
        QVERIFY(book::cancelHandOn(db, id, std::nullopt, last));
    if (story.startsWith(u"dishonour") || story == u"recover")
        book::dishonourBill(db, on(id, story == u"dishonour mistake" || story == u"recover" ? before : last),
                            QStringLiteral("資金不足"));
    if (story == u"dishonour mistake")
        book::cancelDishonour(db, on(id, last), book::DishonourUndo::Mistake);
    if (story == u"recover")
        book::cancelDishonour(db, on(id, last), book::DishonourUndo::Recovered, 60000);
    if (story == u"correct") {
        book::ReceivableBill b = *book::receivableBill(db, id);
        b.金額 = 90000;
        book::saveReceivableBill(db, b, std::nullopt, last);
    }
    if (story == u"delete")
        book::deleteReceivableBill(db, id, std::nullopt, last);

    QStringList got;
    for (const book::JournalEntry &e : book::journalEntries(db, last, last))
        got << QStringLiteral("%1/%2 %3 %4")
                   .arg(e.debit, e.credit)
                   .arg(e.amount)
                   .arg(e.summary.section(QStringLiteral(" No."), 0, 0));
    // The settlement and its cancel on the same day both show; the cancel is the last.
    if (story == u"settle cancel")
        got = got.mid(got.size() - 1);
    QCOMPARE(got, entries);
}

void TestBillDownstream::ledgerOutcomes_data()
{
    QTest::addColumn<QString>("story");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QDate>("date");
    QTest::newRow("in hand") << QString() << QString() << QDate();
    QTest::newRow("settled") << QStringLiteral("settle") << QStringLiteral("決済") << QDate(2026, 6, 30);
    QTest::newRow("settlement taken back") << QStringLiteral("settle,cancel settle") << QString() << QDate();
    QTest::newRow("discounted") << QStringLiteral("discount") << QStringLiteral("割引 東西銀行 本店")
                                << QDate(2026, 5, 1);
    QTest::newRow("discounted, ended at its due date")
        << QStringLiteral("discount,settle") << QStringLiteral("割引 東西銀行 本店") << QDate(2026, 5, 1);
    QTest::newRow("discount taken back") << QStringLiteral("discount,cancel discount") << QString() << QDate();
    QTest::newRow("handed on") << QStringLiteral("hand on") << QStringLiteral("譲渡 仕入商会") << QDate(2026, 5, 2);
    QTest::newRow("dishonoured after a hand-on")
        << QStringLiteral("hand on,dishonour") << QStringLiteral("不渡") << QDate(2026, 7, 1);
    QTest::newRow("dishonour a mistake") << QStringLiteral("hand on,dishonour,cancel dishonour")
                                         << QStringLiteral("譲渡 仕入商会") << QDate(2026, 5, 2);
    QTest::newRow("dishonoured and recovered")
        << QStringLiteral("dishonour,recover") << QStringLiteral("不渡") << QDate(2026, 7, 1);
}

void TestBillDownstream::ledgerOutcomes()
{
    QFETCH(QString, story);
    QFETCH(QString, outcome);
    QFETCH(QDate, date);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const qint64 id = receive(db, QStringLiteral("R1"), QDate(2026, 4, 1), QDate(2026, 6, 30), 100000);
    for (const QString &step : story.split(u',', Qt::SkipEmptyParts)) {
        if (step == u"settle")
            book::settleBill(db, on(id, QDate(2026, 6, 30)));
        else if (step == u"cancel settle")
            book::cancelSettlement(db, on(id, QDate(2026, 7, 2)));
        else if (step == u"discount")
            book::discountBill(db, on(id, QDate(2026, 5, 1)), QStringLiteral("B1"), 0);
        else if (step == u"cancel discount")
            book::cancelDiscount(db, on(id, QDate(2026, 5, 3)), book::DiscountUndo::Mistake);
        else if (step == u"hand on")
            QVERIFY(book::handOnBill(db, id, QDate(2026, 5, 2), QStringLiteral("S1"), QStringLiteral("仕入商会")));
        else if (step == u"dishonour")
            book::dishonourBill(db, on(id, QDate(2026, 7, 1)), QStringLiteral("資金不足"));
        else if (step == u"cancel dishonour")
            book::cancelDishonour(db, on(id, QDate(2026, 7, 3)), book::DishonourUndo::Mistake);
        else if (step == u"recover")
            book::cancelDishonour(db, on(id, QDate(2026, 8, 3)), book::DishonourUndo::Recovered, 100000);
    }
    const QList<book::LedgerRow> rows =
        book::readLedger(db, book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().outcome, outcome);
    QCOMPARE(rows.first().outcomeDate, date);
}

void TestBillDownstream::statementsAtTheYearEnd_data()
{
    QTest::addColumn<QString>("story");
    QTest::addColumn<QString>("receivable"); // "receiver" of the one line, "-" for no line
    QTest::addColumn<QString>("payable");
    QTest::newRow("discounted before the year end")
        << QStringLiteral("discount 3/10") << QStringLiteral("東西銀行 本店") << QStringLiteral("-");
    QTest::newRow("discounted after it") << QStringLiteral("discount 4/10") << QString() << QStringLiteral("-");
    QTest::newRow("bought back before it")
        << QStringLiteral("discount 3/10,buy back 3/20") << QString() << QStringLiteral("-");
    QTest::newRow("dishonoured after it") << QStringLiteral("dishonour 4/2") << QString() << QStringLiteral("-");
    QTest::newRow("dishonoured before it")
        << QStringLiteral("dishonour 3/30") << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("issued, paid after it") << QStringLiteral("issue,pay 4/30") << QStringLiteral("-") << QString();
    QTest::newRow("received, collected after it") << QStringLiteral("settle 4/30") << QString() << QStringLiteral("-");
}

void TestBillDownstream::statementsAtTheYearEnd()
{
    QFETCH(QString, story);
    QFETCH(QString, receivable);
    QFETCH(QString, payable);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const QDate yearEnd(2026, 3, 31);
    const bool issued = story.startsWith(u"issue");
    const qint64 id = issued ? issue(db, QStringLiteral("P1"), QDate(2026, 1, 5), QDate(2026, 4, 30), 100000)
                             : receive(db, QStringLiteral("R1"), QDate(2026, 1, 5), QDate(2026, 4, 30), 100000);
    for (const QString &step : story.split(u',', Qt::SkipEmptyParts)) {
        const QDate d = QDate::fromString(QStringLiteral("2026/") + step.section(u' ', -1), QStringLiteral("yyyy/M/d"));
        if (step.startsWith(u"discount"))
            book::discountBill(db, on(id, d), QStringLiteral("B1"), 0);
        else if (step.startsWith(u"buy back"))
            book::cancelDiscount(db, on(id, d), book::DiscountUndo::BuyBack);
        else if (step.startsWith(u"dishonour"))
            book::dishonourBill(db, on(id, d), QStringLiteral("資金不足"));
        else if (step.startsWith(u"pay") || step.startsWith(u"settle"))
            book::settleBill(db, on(id, d));
    }
    const auto line = [&](book::Side side) {
        const QList<book::StatementBill> bills = book::statementBills(db, side, yearEnd);
        if (bills.isEmpty())
            return QStringLiteral("-");
        return bills.first().receiver;
    };
    QCOMPARE(line(book::Side::Receivable), receivable);
    QCOMPARE(line(book::Side::Payable), payable);
    // A discounted bill stands on a line of its own with its bank.
    if (!receivable.isEmpty() && receivable != u"-") {
        const QList<book::StatementLine> lines =
            book::statementLines(book::statementBills(db, book::Side::Receivable, yearEnd));
        QCOMPARE(lines.first().receiver, receivable);
        QCOMPARE(lines.first().kind, book::StatementLine::Kind::Bill);
    }
}

void TestBillDownstream::searchAndDueListLeaveFinishedOut()
{
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const QDate today(2026, 12, 7);
    const qint64 open = receive(db, QStringLiteral("S-1"), QDate(2026, 10, 1), QDate(2026, 12, 10), 1000);
    const qint64 finished = receive(db, QStringLiteral("S-2"), QDate(2026, 10, 1), QDate(2026, 12, 7), 2000);
    book::settleBill(db, {finished, std::nullopt, today, today});
    const qint64 discounted = receive(db, QStringLiteral("S-3"), QDate(2026, 10, 1), QDate(2026, 12, 10), 3000);
    book::discountBill(db, {discounted, std::nullopt, today, today}, QStringLiteral("B1"), 0);
    const qint64 bounced = receive(db, QStringLiteral("S-4"), QDate(2026, 10, 1), QDate(2026, 12, 7), 4000);
    book::dishonourBill(db, {bounced, std::nullopt, today, today}, QStringLiteral("資金不足"));
    const qint64 recovered = receive(db, QStringLiteral("S-5"), QDate(2026, 10, 1), QDate(2026, 12, 7), 5000);
    book::dishonourBill(db, {recovered, std::nullopt, today, today}, QStringLiteral("資金不足"));
    book::cancelDishonour(db, {recovered, std::nullopt, today, today}, book::DishonourUndo::Recovered, 5000);
    const qint64 paid = issue(db, QStringLiteral("S-6"), QDate(2026, 10, 1), QDate(2026, 12, 7), 6000);
    book::settleBill(db, {paid, std::nullopt, today, today});
    const qint64 unpaid = issue(db, QStringLiteral("S-7"), QDate(2026, 10, 1), QDate(2026, 12, 8), 7000);

    // The search finds every bill of the pattern; the result views show
    // only those still to handle.
    book::SearchCriteria c;
    c.number = QStringLiteral("S-*");
    c.side = book::DueSide::Both;
    QCOMPARE(book::searchBills(db, c, today), 5);
    QCOMPARE(book::receivableResultIds(db), (QList<qint64>{bounced, open}));
    c.kind = book::BillKind::Payable;
    QCOMPARE(book::searchBills(db, c, today), 2);
    QCOMPARE(book::payableResultIds(db), QList<qint64>{unpaid});

    QList<qint64> due;
    for (const book::DueList list : {book::DueList::InHand, book::DueList::Issued, book::DueList::Dishonoured})
        due << book::dueBillIds(db, list, today, today.addDays(14));
    QCOMPARE(due, (QList<qint64>{open, unpaid, bounced}));
    Q_UNUSED(paid);
}

void TestBillDownstream::journalOutputIsNoted()
{
    AppFixture f;
    Database &db = f.db();
    receive(db, QStringLiteral("R1"), QDate(2026, 4, 1), QDate(2026, 6, 30), 1000);
    QTemporaryDir out;
    QCOMPARE(book::journalExportedThrough(db), QDate());
    report::journalFile(db, QDate(2026, 4, 1), QDate(2026, 4, 30), *book::journalLayout(QStringLiteral("mf")),
                        out.filePath(QStringLiteral("a.csv")));
    QCOMPARE(book::journalExportedThrough(db), QDate(2026, 4, 30));
    // An earlier period written again does not take the mark back.
    report::journalFile(db, QDate(2026, 4, 1), QDate(2026, 4, 10), *book::journalLayout(QStringLiteral("mf")),
                        out.filePath(QStringLiteral("b.csv")));
    QCOMPARE(book::journalExportedThrough(db), QDate(2026, 4, 30));
}

QTEST_MAIN(TestBillDownstream)
#include "test_bill_downstream.moc"
