// What the company has outstanding: the totals by month and state equal
// the sum of the bills they count (by due date and by booking date, for
// every party or one) and agree with the journal; the bills reserved on a
// date follow each bill's history, with the 割引高 and 裏書譲渡高 of that date.

#include "support/TestSupport.h"

#include "book/BillLife.h"
#include "book/DiscountBanks.h"
#include "book/Payables.h"
#include "book/Planning.h"
#include "book/Receivables.h"
#include "book/Reports.h"
#include "book/Totals.h"
#include "data/Engine.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2027, 3, 20);

// A bill made by the book's own steps, and where the test expects it.
struct Made {
    int kind = 0; // 0 received, 1 issued
    QDate booked;
    QDate due;
    qint64 amount = 0;
    book::ReceivedState state = book::ReceivedState::InHand;
    QString party; // customer or supplier code
    QString receiver;
};

struct Book {
    AppFixture f;
    QList<Made> made;
    qint64 account = 0;
    Database &db() { return f.db(); }

    Book()
    {
        account =
            book::addAccount(db(), {{u"kozano"_qs, 1}, {u"口座種別"_qs, u"当座"_qs}, {u"銀行名"_qs, u"東西銀行"_qs}});
        book::DiscountBank bank;
        bank.コード = u"D1"_qs;
        bank.銀行名 = u"東西銀行"_qs;
        bank.支店名 = u"本店"_qs;
        bank.割引枠 = 10'000'000;
        book::saveDiscountBank(db(), bank);
    }
    book::StepInput step(qint64 id, const QDate &date) { return {id, std::nullopt, date, kToday}; }

    qint64 receive(const QString &customer, const QDate &booked, const QDate &due, qint64 amount,
                   book::ReceivedState state, const QDate &stepOn = {}, const QString &receiver = {})
    {
        book::ReceivableBill r;
        r.日付 = booked;
        r.手形番号 = QStringLiteral("R%1").arg(made.size() + 1);
        r.取引先コード = customer;
        r.取引先 = customer + u"商事"_qs;
        r.振出人 = u"振出商事"_qs;
        r.振出日 = booked;
        r.手形期日 = due;
        r.金額 = amount;
        const qint64 id = book::registerReceivableBill(db(), r, std::nullopt);
        switch (state) {
        case book::ReceivedState::InHand:
            break;
        case book::ReceivedState::Discounted:
            book::discountBill(db(), step(id, stepOn), u"D1"_qs, 1'000);
            break;
        case book::ReceivedState::HandedOn:
            book::handOnBill(db(), id, stepOn, receiver, receiver + u"材料"_qs);
            break;
        case book::ReceivedState::Dishonoured:
            book::dishonourBill(db(), step(id, stepOn), u"資金不足"_qs);
            break;
        case book::ReceivedState::Settled:
            book::settleBill(db(), step(id, stepOn));
            break;
        }
        made << Made{0, booked, due, amount, state, customer, receiver};
        return id;
    }
    qint64 issue(const QString &supplier, const QDate &booked, const QDate &due, qint64 amount)
    {
        book::Issue i;
        i.accountId = account;
        i.日付 = booked;
        i.手形番号 = QStringLiteral("P%1").arg(made.size() + 1);
        i.取引先コード = supplier;
        i.取引先 = supplier + u"材料"_qs;
        i.振出日 = booked;
        i.手形期日 = due;
        i.金額 = amount;
        made << Made{1, booked, due, amount, book::ReceivedState::InHand, supplier, {}};
        return book::issueBill(db(), i);
    }

    void fill()
    {
        using S = book::ReceivedState;
        receive(u"C1"_qs, {2026, 10, 5}, {2027, 1, 15}, 100'000, S::InHand);
        receive(u"C1"_qs, {2026, 10, 20}, {2027, 1, 29}, 200'000, S::Discounted, {2026, 11, 2});
        receive(u"C2"_qs, {2026, 11, 4}, {2027, 1, 8}, 300'000, S::HandedOn, {2026, 11, 10}, u"S2"_qs);
        receive(u"C2"_qs, {2026, 11, 4}, {2026, 12, 4}, 40'000, S::Dishonoured, {2026, 12, 7});
        receive(u"C1"_qs, {2026, 11, 30}, {2026, 12, 25}, 50'000, S::Settled, {2026, 12, 28});
        receive(u"C3"_qs, {2026, 12, 1}, {2027, 2, 26}, 60'000, S::InHand);
        receive(u"C3"_qs, {2026, 12, 2}, {2027, 2, 5}, 70'000, S::HandedOn, {2026, 12, 20}, u"S1"_qs);
        receive(u"C2"_qs, {2026, 12, 10}, {2027, 2, 10}, 80'000, S::Discounted, {2027, 1, 5});
        issue(u"S1"_qs, {2026, 10, 31}, {2027, 1, 31}, 500'000);
        issue(u"S2"_qs, {2026, 11, 15}, {2027, 2, 15}, 600'000);
        issue(u"S2"_qs, {2026, 12, 1}, {2027, 2, 28}, 700'000);
    }

    // The expected totals, straight from the list of what was made.
    book::Totals expected(book::TotalsBy by, const QDate &first, int months, const book::PartyChoice &party) const
    {
        book::Totals t;
        for (int i = 0; i < months; ++i)
            t.months << book::TotalsMonth{first.addMonths(i)};
        for (const Made &m : made) {
            if (party.kind == book::PartyChoice::Kind::Customer && (m.kind != 0 || m.party != party.code))
                continue;
            if (party.kind == book::PartyChoice::Kind::Supplier &&
                !((m.kind == 1 && m.party == party.code) ||
                  (m.kind == 0 && m.state == book::ReceivedState::HandedOn && m.receiver == party.code)))
                continue;
            const QDate d = by == book::TotalsBy::Due ? m.due : m.booked;
            const int i = (d.year() - first.year()) * 12 + d.month() - first.month();
            if (i < 0 || i >= months)
                continue;
            book::TotalsMonth &row = t.months[i];
            if (m.kind == 1) {
                row.issued.add(1, m.amount);
                t.sum.issued.add(1, m.amount);
            } else {
                row.received[std::size_t(m.state)].add(1, m.amount);
                row.receivedAll.add(1, m.amount);
                t.sum.received[std::size_t(m.state)].add(1, m.amount);
                t.sum.receivedAll.add(1, m.amount);
            }
        }
        return t;
    }
};

QStringList text(const book::Totals &t)
{
    QStringList out;
    const auto line = [](const QString &head, const book::TotalsMonth &m) {
        QStringList cells{head};
        for (const book::Tally &x : m.received)
            cells << QStringLiteral("%1/%2").arg(x.count).arg(x.amount);
        cells << QStringLiteral("=%1/%2").arg(m.receivedAll.count).arg(m.receivedAll.amount);
        cells << QStringLiteral("P%1/%2").arg(m.issued.count).arg(m.issued.amount);
        return cells.join(u' ');
    };
    for (const book::TotalsMonth &m : t.months)
        out << line(book::monthText(m.month), m);
    out << line(u"合計"_qs, t.sum);
    return out;
}

} // namespace

class TestTotals : public QObject {
    Q_OBJECT
private slots:
    void totals_data();
    void totals();
    void bookingTotalsAgreeWithJournal();
    void reserved_data();
    void reserved();
    void reservedAfterCorrection();
};

void TestTotals::totals_data()
{
    QTest::addColumn<int>("by");
    QTest::addColumn<int>("partyKind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<int>("months");

    QTest::newRow("by due date, everyone") << int(book::TotalsBy::Due) << 0 << QString() << QDate(2026, 12, 1) << 3;
    QTest::newRow("by booking date, everyone")
        << int(book::TotalsBy::Booking) << 0 << QString() << QDate(2026, 10, 1) << 3;
    QTest::newRow("a customer") << int(book::TotalsBy::Due) << 1 << u"C2"_qs << QDate(2026, 12, 1) << 3;
    QTest::newRow("a supplier: its bills and those handed on to it")
        << int(book::TotalsBy::Booking) << 2 << u"S2"_qs << QDate(2026, 10, 1) << 3;
    QTest::newRow("a span that leaves bills out")
        << int(book::TotalsBy::Due) << 0 << QString() << QDate(2027, 1, 1) << 1;
}

void TestTotals::totals()
{
    QFETCH(int, by);
    QFETCH(int, partyKind);
    QFETCH(QString, code);
    QFETCH(QDate, first);
    QFETCH(int, months);
    Book b;
    b.fill();
    const book::PartyChoice party{book::PartyChoice::Kind(partyKind), code};
    const book::Totals got = book::billTotals(b.db(), book::TotalsBy(by), first, months, party);
    const book::Totals want = b.expected(book::TotalsBy(by), first, months, party);
    QCOMPARE(text(got), text(want));
    // Every state of the month adds up to the month's received bills.
    for (const book::TotalsMonth &m : got.months) {
        book::Tally states;
        for (const book::Tally &x : m.received)
            states.add(x);
        QCOMPARE(states.count, m.receivedAll.count);
        QCOMPARE(states.amount, m.receivedAll.amount);
    }
    // The sheet shows the same figures, the sum last.
    const book::Sheet sheet = book::totalsSheet(got, u"すべて"_qs);
    QCOMPARE(sheet.rows.size(), months);
    QCOMPARE(sheet.totals.value(11), QString::number(got.sum.receivedAll.count));
    QCOMPARE(book::plainNumber(sheet.totals.value(14)), QString::number(got.sum.issued.amount));
}

void TestTotals::bookingTotalsAgreeWithJournal()
{
    Book b;
    b.fill();
    const book::Totals t = book::billTotals(b.db(), book::TotalsBy::Booking, {2026, 10, 1}, 3, {});
    QVERIFY(t.sum.receivedAll.count == 8 && t.sum.issued.count == 3);
    for (const book::TotalsMonth &m : t.months) {
        qint64 received = 0, issued = 0;
        for (const book::JournalEntry &e : book::journalEntries(b.db(), m.month, book::monthEnd(m.month))) {
            if (e.booking == book::Booking::Receipt)
                received += e.amount;
            if (e.booking == book::Booking::Issue)
                issued += e.amount;
        }
        QCOMPARE(m.receivedAll.amount, received);
        QCOMPARE(m.issued.amount, issued);
    }
}

void TestTotals::reserved_data()
{
    QTest::addColumn<QDate>("asOf");
    QTest::addColumn<QStringList>("bills");
    QTest::addColumn<qint64>("discounted");
    QTest::addColumn<qint64>("handedOn");

    // R2 discounted 11/2 (due 1/29); R3 handed on 11/10 (due 1/8); R7 handed
    // on 12/20 (due 2/5); R8 discounted 1/5 (due 2/10).
    QTest::newRow("before any") << QDate(2026, 11, 1) << QStringList{} << qint64(0) << qint64(0);
    QTest::newRow("end of November") << QDate(2026, 11, 30) << QStringList{u"割引 R2"_qs, u"譲渡 R3"_qs}
                                     << qint64(200'000) << qint64(300'000);
    QTest::newRow("the year end") << QDate(2026, 12, 31) << QStringList{u"割引 R2"_qs, u"譲渡 R7"_qs, u"譲渡 R3"_qs}
                                  << qint64(200'000) << qint64(370'000);
    QTest::newRow("due that day counts as not yet due")
        << QDate(2027, 1, 8) << QStringList{u"割引 R2"_qs, u"割引 R8"_qs, u"譲渡 R7"_qs, u"譲渡 R3"_qs}
        << qint64(280'000) << qint64(370'000);
    QTest::newRow("a day after: R3 fell due")
        << QDate(2027, 1, 9) << QStringList{u"割引 R2"_qs, u"割引 R8"_qs, u"譲渡 R7"_qs} << qint64(280'000)
        << qint64(70'000);
    QTest::newRow("R2 settled on its due date")
        << QDate(2027, 1, 29) << QStringList{u"割引 R8"_qs, u"譲渡 R7"_qs} << qint64(80'000) << qint64(70'000);
}

void TestTotals::reserved()
{
    QFETCH(QDate, asOf);
    QFETCH(QStringList, bills);
    QFETCH(qint64, discounted);
    QFETCH(qint64, handedOn);
    Book b;
    b.fill();
    const qint64 r2 = b.db().scalar(u"select id from D_手形 where 手形番号='R2'"_qs).toLongLong();
    book::settleBill(b.db(), b.step(r2, {2027, 1, 29}));

    const book::Reservations r = book::reservedBills(b.db(), asOf);
    QStringList got;
    for (const book::ReservedBill &x : r.bills)
        got << (x.discounted ? u"割引 "_qs : u"譲渡 "_qs) + x.number;
    QCOMPARE(got, bills);
    QCOMPARE(r.discounted, discounted);
    QCOMPARE(r.handedOn, handedOn);
    // On paper: a subtotal after each bank and receiver, the two totals, then the sum.
    const book::Sheet sheet = book::reservedSheet(r);
    if (!bills.isEmpty()) {
        QVERIFY(sheet.rows.size() > bills.size());
        QCOMPARE(book::plainNumber(sheet.totals.last()), QString::number(discounted + handedOn));
    }
}

// A discounted bill dishonoured, its due date corrected, and the dishonour
// taken back as a mistake: discounted again, due on the corrected date,
// which its discount's copy does not know.
void TestTotals::reservedAfterCorrection()
{
    Book b;
    const qint64 id =
        b.receive(u"C1"_qs, {2026, 12, 1}, {2027, 1, 4}, 90'000, book::ReceivedState::Discounted, {2026, 12, 3});
    book::dishonourBill(b.db(), b.step(id, {2026, 12, 5}), u"資金不足"_qs);
    std::optional<book::ReceivableBill> bill = book::receivableBill(b.db(), id);
    QVERIFY(bill);
    bill->手形期日 = QDate(2027, 1, 20);
    book::saveReceivableBill(b.db(), *bill, std::nullopt, {2026, 12, 6});
    book::cancelDishonour(b.db(), b.step(id, {2026, 12, 7}), book::DishonourUndo::Mistake);

    for (const auto &[asOf, counts] :
         {std::pair{QDate(2026, 12, 4), true}, std::pair{QDate(2026, 12, 6), false}, std::pair{QDate(2027, 1, 8), true},
          std::pair{QDate(2027, 1, 20), true}, std::pair{QDate(2027, 1, 21), false}}) {
        const book::Reservations r = book::reservedBills(b.db(), asOf);
        QCOMPARE(r.discounted, counts ? 90'000 : 0);
        if (counts)
            QCOMPARE(r.bills.front().due, QDate(2027, 1, 20));
    }
}

QTEST_MAIN(TestTotals)
#include "test_totals.moc"
