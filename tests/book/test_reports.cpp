// The book's side of the ledgers, the year-end statements and the journal:
// which bills each holds, what it says about them, and the files handed to
// the tax office and the accounting software, byte for byte.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "book/ExportFiles.h"
#include "book/Reports.h"
#include "book/TextEncoding.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QByteArray golden(const QString &name)
{
    // From the source folder itself: a compiler cache may rewrite __FILE__,
    // which QFINDTESTDATA relies on.
    QFile f(QStringLiteral(SORVANE_TEST_SOURCE_DIR "/book/golden/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("golden file missing: ") + name.toUtf8();
}

QString sjis(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes); // only for failure messages
}

// The year-end scenario around the change of era on 2019-05-01.
void eraScenario(Database &db)
{
    Bill in;
    in.日付 = QDate(2019, 1, 10);
    in.番号 = QStringLiteral("R1");
    in.取引先 = QStringLiteral("山田商会");
    in.振出人 = QStringLiteral("株式会社山田商会");
    in.振出日 = QDate(2019, 1, 10);
    in.期日 = QDate(2019, 4, 30); // due on the day itself
    in.金額 = 1500000;
    in.銀行 = QStringLiteral("みずほ銀行");
    in.支店 = QStringLiteral("京橋支店");
    insertBill(db, in);

    Bill handed = in;
    handed.番号 = QStringLiteral("R2");
    handed.振出人 = QStringLiteral("ABC,Co.");
    handed.振出日 = QDate(2019, 2, 1);
    handed.期日 = QDate(2019, 5, 1);
    handed.金額 = 800000;
    handed.銀行 = QStringLiteral("三菱UFJ銀行");
    handed.支店 = QStringLiteral("本店");
    handed.処理 = 2;
    handed.状態 = -2;
    handed.譲渡先 = QStringLiteral("丸紅資材");
    handed.予約日 = QDate(2019, 4, 10);
    insertBill(db, handed);

    Bill dueBefore = in;
    dueBefore.番号 = QStringLiteral("R3");
    dueBefore.期日 = QDate(2019, 4, 26);
    insertBill(db, dueBefore);

    // Handed on after the year end: still in hand on the day.
    Bill handedLater = in;
    handedLater.番号 = QStringLiteral("R4");
    handedLater.振出日 = QDate(2019, 4, 1);
    handedLater.期日 = QDate(2019, 6, 28);
    handedLater.金額 = 200000;
    handedLater.処理 = 2;
    handedLater.状態 = -2;
    handedLater.譲渡先 = QStringLiteral("後日の譲渡先");
    handedLater.予約日 = QDate(2019, 5, 8);
    insertBill(db, handedLater);

    Bill bookedLater = in;
    bookedLater.番号 = QStringLiteral("R5");
    bookedLater.日付 = QDate(2019, 5, 2);
    insertBill(db, bookedLater);

    Bill dishonoured = in;
    dishonoured.番号 = QStringLiteral("R6");
    dishonoured.状態 = 2;
    insertBill(db, dishonoured);

    Bill finished = in;
    finished.番号 = QStringLiteral("R7");
    finished.終了 = true;
    insertBill(db, finished);

    const qint64 account = insertAccount(db, 3, QStringLiteral("りそな銀行"), QStringLiteral("大阪支店"));
    Bill issued;
    issued.処理 = 1;
    issued.日付 = QDate(2019, 4, 25);
    issued.番号 = QStringLiteral("P1");
    issued.取引先 = QStringLiteral("株式会社佐藤製作所");
    issued.振出日 = QDate(2019, 4, 25);
    issued.期日 = QDate(2019, 5, 7);
    issued.金額 = 1000000;
    issued.kozano = 3;
    issued.口座id = account;
    insertBill(db, issued);
    Bill paid = issued;
    paid.番号 = QStringLiteral("P2");
    paid.期日 = QDate(2019, 4, 20);
    insertBill(db, paid);
}

// The journal scenario of April 2026.
void journalScenario(Database &db)
{
    Bill a;
    a.日付 = QDate(2026, 4, 3);
    a.番号 = QStringLiteral("A-101");
    a.取引先 = QStringLiteral("株式会社青葉商事");
    a.期日 = QDate(2026, 7, 31);
    a.金額 = 500000;
    insertBill(db, a);

    Bill issued;
    issued.処理 = 1;
    issued.日付 = QDate(2026, 4, 10);
    issued.番号 = QStringLiteral("P-7");
    issued.取引先 = QStringLiteral("有限会社北斗,工業");
    issued.期日 = QDate(2026, 8, 31);
    issued.金額 = 300000;
    insertBill(db, issued);

    // Received before the period, handed on within it.
    Bill handed = a;
    handed.日付 = QDate(2026, 3, 20);
    handed.番号 = QStringLiteral("B-5");
    handed.期日 = QDate(2026, 6, 30);
    handed.金額 = 200000;
    handed.処理 = 2;
    handed.状態 = -2;
    handed.譲渡先 = QStringLiteral("丸紅資材");
    handed.予約日 = QDate(2026, 4, 15);
    insertBill(db, handed);

    // Received within the period, handed on after it.
    Bill later = handed;
    later.日付 = QDate(2026, 4, 20);
    later.番号 = QStringLiteral("C-9");
    later.期日 = QDate(2026, 9, 30);
    later.金額 = 150000;
    later.予約日 = QDate(2026, 5, 2);
    insertBill(db, later);

    Bill after = a;
    after.日付 = QDate(2026, 5, 1);
    after.番号 = QStringLiteral("D-1");
    insertBill(db, after);
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void receivableLedger_data();
    void receivableLedger();
    void payableLedger();
    void ledgerPeriod_data();
    void ledgerPeriod();
    void statementSelection_data();
    void statementSelection();
    void grouping_data();
    void grouping();
    void etaxFilesByteForByte();
    void etaxTexts_data();
    void etaxTexts();
    void journalEntries();
    void journalLayouts_data();
    void journalLayouts();
    void journalRefusesWhatShiftJisCannotHold();
    void writingIsAllOrNothing();
    void shiftJis_data();
    void shiftJis();
};

void TestReports::receivableLedger_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QDate>("outcomeDate");
    const QDate day(2026, 4, 1);
    const QList<KindCase> cases = billsOfEveryKind(day, 4);
    for (int i = 0; i < cases.size(); ++i) {
        const Bill &b = cases[i].bill;
        const QDate date = b.処理 == 2 ? b.予約日 : (b.終了 ? b.期日 : QDate());
        QTest::newRow(qPrintable(cases[i].kind)) << i << cases[i].outcome << date;
    }
}

void TestReports::receivableLedger()
{
    QFETCH(int, index);
    QFETCH(QString, outcome);
    QFETCH(QDate, outcomeDate);
    AppFixture f;
    const QList<KindCase> cases = billsOfEveryKind(QDate(2026, 4, 1), 4);
    QList<qint64> ids;
    for (const KindCase &c : cases)
        ids << insertBill(f.db(), c.bill);
    // Endorsers in the order they stand on the bill, gaps and blanks left out.
    insertEndorser(f.db(), ids[index], 3, QStringLiteral("第三商店"));
    insertEndorser(f.db(), ids[index], 1, QStringLiteral("第一商店"));
    insertEndorser(f.db(), ids[index], 2, QStringLiteral(" "));
    // An issued bill never shows in the receivable ledger.
    Bill issued = cases[0].bill;
    issued.処理 = 1;
    issued.番号 = QStringLiteral("ISSUED");
    insertBill(f.db(), issued);

    const QList<book::LedgerRow> rows =
        book::readLedger(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30));
    QCOMPARE(rows.size(), 4);
    const book::LedgerRow &r = rows[index];
    const Bill &b = cases[index].bill;
    QCOMPARE(r.number, b.番号);
    QCOMPARE(r.kind, QStringLiteral("約手"));
    QCOMPARE(r.date, b.日付);
    QCOMPARE(r.summary, b.取引先);
    QCOMPARE(r.drawer, QStringLiteral("青葉物産株式会社、第一商店、第三商店"));
    QCOMPARE(r.place, QStringLiteral("みずほ銀行 京橋支店"));
    QCOMPARE(r.amount, b.金額);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.outcomeDate, outcomeDate);
    // Endorsers belong to their own bill only.
    for (int i = 0; i < rows.size(); ++i)
        if (i != index)
            QCOMPARE(rows[i].drawer, QStringLiteral("青葉物産株式会社"));
}

void TestReports::payableLedger()
{
    AppFixture f;
    const qint64 account = insertAccount(f.db(), 7, QStringLiteral("りそな銀行"), QStringLiteral("大阪支店"));
    Bill issued;
    issued.処理 = 1;
    issued.日付 = QDate(2026, 4, 5);
    issued.番号 = QStringLiteral("P1");
    issued.取引先 = QStringLiteral("株式会社佐藤製作所");
    issued.期日 = QDate(2026, 7, 5);
    issued.金額 = 700000;
    issued.kozano = 7;
    issued.口座id = account;
    insertBill(f.db(), issued);

    Bill handed;
    handed.処理 = 2;
    handed.状態 = -2;
    handed.日付 = QDate(2026, 3, 1); // received before the period
    handed.番号 = QStringLiteral("H1");
    handed.取引先 = QStringLiteral("株式会社青葉商事");
    handed.振出人 = QStringLiteral("青葉物産株式会社");
    handed.銀行 = QStringLiteral("みずほ銀行");
    handed.支店 = QStringLiteral("京橋支店");
    handed.金額 = 300000;
    handed.譲渡先 = QStringLiteral("丸紅資材株式会社");
    handed.予約日 = QDate(2026, 4, 2);
    insertBill(f.db(), handed);

    Bill finished = issued;
    finished.番号 = QStringLiteral("P2");
    finished.日付 = QDate(2026, 4, 30);
    finished.終了 = true;
    insertBill(f.db(), finished);

    Bill received; // in the receivable ledger only
    received.日付 = QDate(2026, 4, 3);
    received.番号 = QStringLiteral("R1");
    insertBill(f.db(), received);

    const QList<book::LedgerRow> rows =
        book::readLedger(f.db(), book::Side::Payable, QDate(2026, 4, 1), QDate(2026, 4, 30));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].number, QStringLiteral("H1"));
    QCOMPARE(rows[0].date, QDate(2026, 4, 2));
    QCOMPARE(rows[0].summary, QStringLiteral("丸紅資材株式会社"));
    QCOMPARE(rows[0].party, QStringLiteral("丸紅資材株式会社"));
    QCOMPARE(rows[0].drawer, QStringLiteral("青葉物産株式会社"));
    QCOMPARE(rows[0].place, QStringLiteral("みずほ銀行 京橋支店"));
    QCOMPARE(rows[1].number, QStringLiteral("P1"));
    QCOMPARE(rows[1].summary, QStringLiteral("株式会社佐藤製作所"));
    QCOMPARE(rows[1].drawer, QStringLiteral("自社"));
    QCOMPARE(rows[1].place, QStringLiteral("りそな銀行 大阪支店"));
    QVERIFY(rows[1].outcome.isEmpty());
    QCOMPARE(rows[2].outcome, QStringLiteral("決済"));
}

void TestReports::ledgerPeriod_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<bool>("refused");
    const QStringList all{u"B0331"_qs, u"B0401"_qs, u"B0430"_qs, u"B0501"_qs};
    QTest::newRow("both ends belong to the period")
        << QDate(2026, 4, 1) << QDate(2026, 4, 30) << QStringList{u"B0401"_qs, u"B0430"_qs} << false;
    QTest::newRow("one day") << QDate(2026, 4, 30) << QDate(2026, 4, 30) << QStringList{u"B0430"_qs} << false;
    QTest::newRow("no bill in it") << QDate(2025, 1, 1) << QDate(2025, 12, 31) << QStringList() << false;
    QTest::newRow("wide") << QDate(2000, 1, 1) << QDate(2099, 12, 31) << all << false;
    QTest::newRow("reversed") << QDate(2026, 4, 30) << QDate(2026, 4, 1) << QStringList() << true;
    QTest::newRow("not a date") << QDate() << QDate(2026, 4, 1) << QStringList() << true;
}

void TestReports::ledgerPeriod()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, numbers);
    QFETCH(bool, refused);
    AppFixture f;
    for (const QDate &d : {QDate(2026, 3, 31), QDate(2026, 4, 1), QDate(2026, 4, 30), QDate(2026, 5, 1)}) {
        Bill b;
        b.日付 = d;
        b.番号 = QStringLiteral("B%1").arg(d.toString(QStringLiteral("MMdd")));
        insertBill(f.db(), b);
    }
    Bill undated; // booked without a date: in no period
    undated.番号 = QStringLiteral("UNDATED");
    insertBill(f.db(), undated);

    if (refused) {
        QVERIFY_THROWS_EXCEPTION(DbError, book::readLedger(f.db(), book::Side::Receivable, from, to));
        QVERIFY_THROWS_EXCEPTION(DbError, book::journalEntries(f.db(), from, to));
        return;
    }
    QStringList got;
    for (const book::LedgerRow &r : book::readLedger(f.db(), book::Side::Receivable, from, to))
        got << r.number;
    QCOMPARE(got, numbers);
    QCOMPARE(book::journalEntries(f.db(), from, to).size(), numbers.size());
}

void TestReports::statementSelection_data()
{
    QTest::addColumn<QDate>("asOf");
    QTest::addColumn<QStringList>("receivable"); // amounts as "party:receiver" in order
    QTest::addColumn<QStringList>("payable");
    QTest::newRow("year end on the day R1 falls due")
        << QDate(2019, 4, 30) << QStringList{u"ABC,Co.:丸紅資材"_qs, u"株式会社山田商会:"_qs, u"株式会社山田商会:"_qs}
        << QStringList{u"株式会社佐藤製作所:"_qs};
    // On 2019-04-09 R2 was not yet handed on, R3 not yet due, P1 and P2 not yet issued.
    QTest::newRow("before the hand-on and the issue")
        << QDate(2019, 4, 9)
        << QStringList{u"ABC,Co.:"_qs, u"株式会社山田商会:"_qs, u"株式会社山田商会:"_qs, u"株式会社山田商会:"_qs}
        << QStringList{};
    QTest::newRow("after every due date") << QDate(2019, 12, 31) << QStringList() << QStringList();
}

void TestReports::statementSelection()
{
    QFETCH(QDate, asOf);
    QFETCH(QStringList, receivable);
    QFETCH(QStringList, payable);
    AppFixture f;
    eraScenario(f.db());
    const auto seen = [&](book::Side side) {
        QStringList out;
        for (const book::StatementBill &b : book::statementBills(f.db(), side, asOf))
            out << b.party + u':' + b.receiver;
        return out;
    };
    QCOMPARE(seen(book::Side::Receivable), receivable);
    QCOMPARE(seen(book::Side::Payable), payable);
}

void TestReports::grouping_data()
{
    QTest::addColumn<QList<qint64>>("amounts");       // bills of one customer, in hand
    QTest::addColumn<QList<qint64>>("handedAmounts"); // the same customer's bills handed on to one receiver
    QTest::addColumn<QList<qint64>>("singles");       // amounts on lines of their own, in order
    QTest::addColumn<QList<qint64>>("sums");          // the sum lines, in hand first
    QTest::addColumn<QList<int>>("sumCounts");
    QList<qint64> many;
    for (int i = 0; i < 12; ++i)
        many << 50000 + i;
    QList<qint64> six{1200000, 1000000, 3000000, 1500000, 2000000, 1100000};
    QTest::newRow("six large and many small")
        << six + many << QList<qint64>{} << six << QList<qint64>{50000 * 12 + 66} << QList<int>{12};
    QTest::newRow("fewer than five large: the five largest")
        << QList<qint64>{2000000, 10000, 999999, 1000000, 30000, 20000, 40000} << QList<qint64>{}
        << QList<qint64>{2000000, 999999, 1000000, 30000, 40000} << QList<qint64>{30000} << QList<int>{2};
    QTest::newRow("five small bills stand alone") << QList<qint64>{1, 2, 3, 4, 5} << QList<qint64>{}
                                                  << QList<qint64>{1, 2, 3, 4, 5} << QList<qint64>{} << QList<int>{};
    QTest::newRow("sums kept apart by receiver")
        << QList<qint64>{5000000, 4000000, 3000000, 2000000, 1000000, 10, 20} << QList<qint64>{30, 40, 50}
        << QList<qint64>{5000000, 4000000, 3000000, 2000000, 1000000} << QList<qint64>{30, 120} << QList<int>{2, 3};
}

void TestReports::grouping()
{
    QFETCH(QList<qint64>, amounts);
    QFETCH(QList<qint64>, handedAmounts);
    QFETCH(QList<qint64>, singles);
    QFETCH(QList<qint64>, sums);
    QFETCH(QList<int>, sumCounts);
    QList<book::StatementBill> bills;
    qint64 total = 0;
    for (qint64 a : amounts + handedAmounts) {
        book::StatementBill b;
        b.party = QStringLiteral("株式会社青葉商事");
        b.amount = a;
        b.receiver = bills.size() >= amounts.size() ? QStringLiteral("丸紅資材") : QString();
        bills << b;
        total += a;
    }
    const QList<book::StatementLine> lines = book::statementLines(bills);
    QList<qint64> gotSingles, gotSums;
    QList<int> gotCounts;
    qint64 sumOfLines = 0;
    for (const book::StatementLine &l : lines.mid(0, lines.size() - 1)) {
        QVERIFY(l.kind != book::StatementLine::Kind::Total);
        sumOfLines += l.amount;
        if (l.kind == book::StatementLine::Kind::Bill) {
            QVERIFY2(gotSums.isEmpty(), "a party's own lines come before its sums");
            gotSingles << l.amount;
        } else {
            gotSums << l.amount;
            gotCounts << l.count;
            QCOMPARE(l.note, QStringLiteral("その他 %1 件").arg(l.count));
        }
    }
    QCOMPARE(gotSingles, singles);
    QCOMPARE(gotSums, sums);
    QCOMPARE(gotCounts, sumCounts);
    QCOMPARE(lines.last().kind, book::StatementLine::Kind::Total);
    QCOMPARE(lines.last().amount, total);
    QCOMPARE(lines.last().count, int(bills.size()));
    QCOMPARE(sumOfLines, total); // no bill lost or counted twice
    QVERIFY(book::statementLines({}).isEmpty());
}

void TestReports::etaxFilesByteForByte()
{
    AppFixture f;
    eraScenario(f.db());
    const QDate yearEnd(2019, 4, 30);
    for (book::Side side : {book::Side::Receivable, book::Side::Payable}) {
        const book::EtaxLayout &layout = book::etaxLayout(side);
        QStringList cuts;
        const QByteArray csv =
            book::etaxCsv(layout, book::statementLines(book::statementBills(f.db(), side, yearEnd)), &cuts);
        QVERIFY(cuts.isEmpty());
        QCOMPARE(csv, golden(layout.fileName()));
    }
    QCOMPARE(book::etaxLayout(book::Side::Receivable).fileName(), QStringLiteral("HOI020_3.0_受取手形.csv"));

    // A few fields read independently of the golden file.
    const QByteArray csv = golden(book::etaxLayout(book::Side::Receivable).fileName());
    const QList<QByteArray> records = csv.split('\n');
    QCOMPARE(records.size(), 5); // four records and the empty rest after the last CRLF
    for (int i = 0; i < 4; ++i) {
        QVERIFY(records[i].endsWith('\r'));
        QCOMPARE(records[i].count(','), 10);
    }
    const QList<QByteArray> first = records[0].split(',');
    QCOMPARE(first[3], QByteArray("4310201")); // 平成31年2月1日
    QCOMPARE(first[4], QByteArray("5010501")); // 令和元年5月1日
    QCOMPARE(first[7], QByteArray("800000"));
    QCOMPARE(first[2], QByteArray("\x82\x60\x82\x61\x82\x62\x81\x43\x82\x62\x82\x8f\x81\x44")); // ＡＢＣ，Ｃｏ．
    QCOMPARE(records[1].split(',')[4], QByteArray("4310430"));                                  // 平成31年4月30日
    QCOMPARE(records[3].left(4), QByteArray("2,1,"));
    QCOMPARE(book::etaxDate(QDate(2019, 4, 30)), QStringLiteral("4310430"));
    QCOMPARE(book::etaxDate(QDate(2019, 5, 1)), QStringLiteral("5010501"));
    QCOMPARE(book::etaxDate(QDate(1989, 1, 7)), QStringLiteral("3640107"));
    QVERIFY(book::etaxDate(QDate()).isEmpty());
}

void TestReports::etaxTexts_data()
{
    QTest::addColumn<QString>("drawer");
    QTest::addColumn<QString>("written"); // the drawer field as written
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("refused");
    const QString thirty = QString(30, QChar(u'手'));
    QTest::newRow("thirty characters fit") << thirty << thirty << false << false;
    QTest::newRow("thirty-one are cut") << thirty + u"形"_qs << thirty << true << false;
    QTest::newRow("half-width becomes full-width")
        << u"ｱｵﾊﾞ (株) \"1\""_qs << u"アオバ　（株）　＂１＂"_qs << false << false;
    QTest::newRow("a line break in the name") << u"青葉\n商事"_qs << u"青葉　商事"_qs << false << false;
    QTest::newRow("character without Shift_JIS form") << u"𠮷野家"_qs << QString() << false << true;
}

void TestReports::etaxTexts()
{
    QFETCH(QString, drawer);
    QFETCH(QString, written);
    QFETCH(bool, cut);
    QFETCH(bool, refused);
    book::StatementBill b;
    b.party = drawer;
    b.amount = 100;
    const QList<book::StatementLine> lines = book::statementLines({b});
    const book::EtaxLayout &layout = book::etaxLayout(book::Side::Receivable);
    QStringList cuts;
    if (refused) {
        try {
            book::etaxCsv(layout, lines, &cuts);
            QFAIL("written anyway");
        } catch (const DbError &e) {
            QVERIFY2(e.description().contains(u"𠮷"_qs), qPrintable(e.description()));
        }
        return;
    }
    const QByteArray csv = book::etaxCsv(layout, lines, &cuts);
    QCOMPARE(cuts.size(), cut ? 1 : 0);
    if (cut)
        QVERIFY(cuts.first().contains(u"振出人"_qs) && cuts.first().contains(u"30 文字"_qs));
    QString bad;
    QCOMPARE(csv.split('\r').first().split(',').value(2), *book::toShiftJis(written, &bad));
}

void TestReports::journalEntries()
{
    AppFixture f;
    journalScenario(f.db());
    const QList<book::JournalEntry> entries = book::journalEntries(f.db(), QDate(2026, 4, 1), QDate(2026, 4, 30));
    QStringList seen;
    for (const book::JournalEntry &e : entries) {
        // Balanced: one amount on both sides, two different accounts.
        QVERIFY(e.amount > 0);
        QVERIFY(e.debit != e.credit);
        QVERIFY(e.date >= QDate(2026, 4, 1) && e.date <= QDate(2026, 4, 30));
        seen << QStringLiteral("%1 %2/%3 %4").arg(e.number, e.debit, e.credit).arg(e.slip);
    }
    QCOMPARE(seen, (QStringList{u"A-101 受取手形/売掛金 1"_qs, u"P-7 買掛金/支払手形 2"_qs, u"B-5 買掛金/受取手形 3"_qs,
                                u"C-9 受取手形/売掛金 4"_qs}));
    QCOMPARE(entries[2].party, QStringLiteral("丸紅資材"));
    QCOMPARE(entries[2].due, QDate(2026, 6, 30));

    // The hand-on of C-9 in May is May's entry.
    const QList<book::JournalEntry> may = book::journalEntries(f.db(), QDate(2026, 5, 1), QDate(2026, 5, 31));
    QCOMPARE(may.size(), 2);
    QCOMPARE(may[0].number, QStringLiteral("D-1"));
    QCOMPARE(may[1].booking, book::Booking::HandOn);
    QCOMPARE(may[1].number, QStringLiteral("C-9"));
}

void TestReports::journalLayouts_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("goldenFile");
    QTest::addColumn<int>("columns");
    QTest::newRow("yayoi") << u"yayoi"_qs << u"journal_yayoi.csv"_qs << 25;
    QTest::newRow("mf") << u"mf"_qs << u"journal_mf.csv"_qs << 27;
}

void TestReports::journalLayouts()
{
    QFETCH(QString, key);
    QFETCH(QString, goldenFile);
    QFETCH(int, columns);
    AppFixture f;
    journalScenario(f.db());
    const book::JournalLayout *layout = book::journalLayout(key);
    QVERIFY(layout);
    QCOMPARE(layout->columns.size(), columns);
    const QList<book::JournalEntry> entries = book::journalEntries(f.db(), QDate(2026, 4, 1), QDate(2026, 4, 30));
    QCOMPARE(book::journalCsv(*layout, entries), golden(goldenFile));

    // A changed mapping shows in the output, with its sub-account.
    book::setJournalAccount(f.db(), QStringLiteral("受取手形"), QStringLiteral("受取手形（約手）"),
                            QStringLiteral("青葉"));
    f.db().execute(QStringLiteral("update 仕訳科目 set 勘定科目 = '売掛金（本社）' where 用途 = '売掛金'"));
    const QByteArray changed =
        book::journalCsv(*layout, book::journalEntries(f.db(), QDate(2026, 4, 1), QDate(2026, 4, 3)));
    QString bad;
    const QByteArray expected =
        layout->shiftJis ? *book::toShiftJis(u"受取手形（約手）,青葉,,対象外,500000,0,売掛金（本社）,,"_qs, &bad)
                         : u"受取手形（約手）,青葉,,,対象外,,500000,,売掛金（本社）,,"_qs.toUtf8();
    QVERIFY2(changed.contains(expected), qPrintable(sjis(changed)));
    QVERIFY_THROWS_EXCEPTION(DbError, book::setJournalAccount(f.db(), QStringLiteral("現金"), u"x"_qs, {}));
    QVERIFY_THROWS_EXCEPTION(DbError, book::setJournalAccount(f.db(), QStringLiteral("売掛金"), u" "_qs, {}));
}

void TestReports::journalRefusesWhatShiftJisCannotHold()
{
    AppFixture f;
    Bill b;
    b.日付 = QDate(2026, 4, 3);
    b.番号 = QStringLiteral("E-1");
    b.取引先 = QStringLiteral("髙橋😀商店");
    b.金額 = 1;
    insertBill(f.db(), b);
    const QList<book::JournalEntry> entries = book::journalEntries(f.db(), QDate(2026, 4, 1), QDate(2026, 4, 30));
    try {
        book::journalCsv(*book::journalLayout(u"yayoi"_qs), entries);
        QFAIL("written anyway");
    } catch (const DbError &e) {
        QVERIFY2(e.description().contains(u"「😀」"_qs), qPrintable(e.description()));
    }
    // UTF-8 holds every character.
    QVERIFY(book::journalCsv(*book::journalLayout(u"mf"_qs), entries).contains(u"髙橋😀商店"_qs.toUtf8()));
}

void TestReports::writingIsAllOrNothing()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("a.csv"));
    QFile old(first);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    const QList<QPair<QString, QString>> bad{
        {dir.filePath(QStringLiteral("missing/b.csv")), u"フォルダーがありません"_qs},
        {dir.filePath(QStringLiteral("folder")), u"フォルダーです"_qs}};
    for (const auto &[path, reason] : bad) {
        try {
            book::writeOutputFiles({{first, "new"}, {path, "x"}});
            QFAIL("written anyway");
        } catch (const DbError &e) {
            QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
        }
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"a.csv"_qs});
    }
    book::writeOutputFiles({{first, "new"}});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("new"));
}

void TestReports::shiftJis_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("bad");
    QTest::newRow("ascii") << u"A,1"_qs << QByteArray("A,1") << QString();
    QTest::newRow("kana and kanji") << u"手形ア"_qs << QByteArray("\x8e\xe8\x8c\x60\x83\x41") << QString();
    QTest::newRow("wave dash as Windows writes it") << u"〜～"_qs << QByteArray("\x81\x60\x81\x60") << QString();
    QTest::newRow("minus sign") << u"−"_qs << QByteArray("\x81\x7c") << QString();
    QTest::newRow("sign of code page 932") << u"㈱"_qs << QByteArray("\x87\x8a") << QString();
    QTest::newRow("each missing character once") << u"😀a😀𠮷"_qs << QByteArray() << u"😀𠮷"_qs;
    QTest::newRow("Hangul") << u"한"_qs << QByteArray() << u"한"_qs;
}

void TestReports::shiftJis()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, bad);
    QString missing;
    const auto out = book::toShiftJis(text, &missing);
    QCOMPARE(out.has_value(), bad.isEmpty());
    if (out)
        QCOMPARE(*out, bytes);
    QCOMPARE(missing, bad);
}

QTEST_MAIN(TestReports)
#include "test_reports.moc"
