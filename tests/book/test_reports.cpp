// The book's side of the ledgers, the year-end statements and the journal:
// which bills each holds, what it says about them, and the files handed to
// the tax office and the accounting software, byte for byte.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "book/ExportFiles.h"
#include "book/Reports.h"
#include "book/TextEncoding.h"
#include "report/Exports.h"
#include "report/Forms.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

// A year end after the forms gained the 登録番号 column: the grouping rule
// on both statements, numbers of customers and suppliers, a hand-on.
void invoiceScenario(Database &db)
{
    insertParty(db, u"T0"_qs, u"C1"_qs, u"大和商事"_qs, u"T7123456789012"_qs);
    insertParty(db, u"T0"_qs, u"C2"_qs, u"株式会社北斗"_qs, u"9234567890123"_qs);
    insertParty(db, u"T0"_qs, u"C3"_qs, u"青葉商事"_qs);
    insertParty(db, u"S0"_qs, u"S1"_qs, u"丸紅資材株式会社"_qs, u"1345678901234"_qs);
    insertParty(db, u"S0"_qs, u"S2"_qs, u"有限会社港運送"_qs, u"T9010401012345"_qs);

    const auto received = [&](const QString &code, const QString &customer, const QString &drawer, qint64 amount,
                              const QDate &issued, const QDate &due) {
        Bill b;
        b.日付 = issued;
        b.番号 = QStringLiteral("R%1").arg(amount);
        b.コード = code;
        b.取引先 = customer;
        b.振出人 = drawer;
        b.振出日 = issued;
        b.期日 = due;
        b.金額 = amount;
        b.銀行 = QStringLiteral("みずほ銀行");
        b.支店 = QStringLiteral("京橋支店");
        return b;
    };
    // One party whose three bills reach 1,000,000 yen together, written
    // without a drawer: the customer's own 登録番号.
    for (qint64 a : {300000, 350000, 400000})
        insertBill(db, received(u"C1"_qs, u"大和商事"_qs, {}, a, QDate(2024, 12, 2), QDate(2025, 4, 30)));
    // The drawer under the customer's name: its 法人番号.
    insertBill(
        db, received(u"C2"_qs, u"株式会社北斗"_qs, u"株式会社北斗"_qs, 2000000, QDate(2025, 1, 6), QDate(2025, 5, 1)));
    // A drawer who is no customer has no number, even on a customer's bill.
    insertBill(
        db, received(u"C1"_qs, u"大和商事"_qs, u"青葉物産株式会社"_qs, 1200000, QDate(2025, 1, 10), QDate(2025, 6, 2)));
    insertBill(db, received(u"C3"_qs, u"青葉商事"_qs, u"南海工業"_qs, 1500000, QDate(2025, 2, 3), QDate(2025, 6, 30)));
    insertBill(db, received(u"C3"_qs, u"青葉商事"_qs, u"東邦電機"_qs, 3000000, QDate(2025, 2, 3), QDate(2025, 7, 31)));
    // Six small parties: one line "その他".
    int n = 0;
    for (const QString &drawer :
         {u"一番商店"_qs, u"二葉屋"_qs, u"三河屋"_qs, u"四国物産"_qs, u"五十鈴商会"_qs, u"六甲工業"_qs})
        insertBill(db, received(u"C3"_qs, u"青葉商事"_qs, drawer, 10000 * ++n, QDate(2025, 3, 3), QDate(2025, 5, 30)));
    // A small bill handed on stands alone, its receiver beside it.
    Bill handed = received(u"C3"_qs, u"青葉商事"_qs, u"西部商店"_qs, 80000, QDate(2025, 2, 14), QDate(2025, 5, 15));
    handed.処理 = 2;
    handed.状態 = -2;
    handed.譲渡先 = QStringLiteral("丸紅資材株式会社");
    handed.予約日 = QDate(2025, 3, 10);
    insertBill(db, handed);

    const qint64 account = insertAccount(db, 1, QStringLiteral("りそな銀行"), QStringLiteral("大阪支店"));
    const auto issued = [&](const QString &code, const QString &supplier, qint64 amount, const QDate &due) {
        Bill b = issuedBill(QDate(2025, 2, 28), QStringLiteral("P%1").arg(amount), supplier, due, amount);
        b.コード = code;
        b.振出日 = b.日付;
        b.kozano = 1;
        b.口座id = account;
        insertBill(db, b);
    };
    issued(u"S1"_qs, u"丸紅資材株式会社"_qs, 600000, QDate(2025, 4, 30));
    issued(u"S1"_qs, u"丸紅資材株式会社"_qs, 500000, QDate(2025, 5, 30));
    issued(u"S2"_qs, u"有限会社港運送"_qs, 200000, QDate(2025, 4, 30));
    // Fewer than five suppliers reach 1,000,000 yen: the five largest stand alone.
    issued(u"S3"_qs, u"大洋鋼材"_qs, 150000, QDate(2025, 4, 30));
    issued(u"S4"_qs, u"中央紙業"_qs, 120000, QDate(2025, 4, 30));
    issued(u"S5"_qs, u"東西運輸"_qs, 100000, QDate(2025, 4, 30));
    issued(u"S6"_qs, u"北陸木材"_qs, 20000, QDate(2025, 4, 30));
    issued(u"S7"_qs, u"山陰産業"_qs, 10000, QDate(2025, 4, 30));
}

QList<QByteArray> recordsOf(const QByteArray &csv)
{
    QList<QByteArray> records = csv.split('\n');
    if (!records.isEmpty() && records.last().isEmpty())
        records.removeLast();
    return records;
}

// A field of a record, as text.
QString fieldOf(const QByteArray &record, int index)
{
    const QByteArray field = record.trimmed().split(',').value(index);
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {u"-f"_qs, u"SHIFT_JIS"_qs, u"-t"_qs, u"UTF-8"_qs});
    iconv.write(field);
    iconv.closeWriteChannel();
    iconv.waitForFinished();
    return QString::fromUtf8(iconv.readAllStandardOutput());
}

// True when iconv's strict Shift_JIS reads every byte.
bool strictShiftJis(const QByteArray &bytes)
{
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {u"-f"_qs, u"SHIFT_JIS"_qs, u"-t"_qs, u"UTF-8"_qs});
    iconv.write(bytes);
    iconv.closeWriteChannel();
    iconv.waitForFinished();
    return iconv.exitStatus() == QProcess::NormalExit && iconv.exitCode() == 0;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void receivableLedger_data();
    void receivableLedger();
    void receivableLedgerParties_data();
    void receivableLedgerParties();
    void payableLedgerHoldsIssuedBillsOnly();
    void ledgerPeriod_data();
    void ledgerPeriod();
    void statementSelection_data();
    void statementSelection();
    void grouping_data();
    void grouping();
    void etaxFilesByteForByte_data();
    void etaxFilesByteForByte();
    void etaxDates_data();
    void etaxDates();
    void layoutByYearEnd_data();
    void layoutByYearEnd();
    void etaxTexts_data();
    void etaxTexts();
    void printedPartyIsTheFilesParty();
    void nonJisCharacters_data();
    void nonJisCharacters();
    void journalAmountDigits_data();
    void journalAmountDigits();
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
    QCOMPARE(r.summary, QStringLiteral("売掛金"));
    QCOMPARE(r.party, QStringLiteral("青葉物産株式会社"));
    QCOMPARE(r.drawer, QStringLiteral("第三商店")); // the last endorser, gaps and blanks left out
    QCOMPARE(r.place, QStringLiteral("みずほ銀行 京橋支店"));
    QCOMPARE(r.amount, b.金額);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.outcomeDate, outcomeDate);
    // Endorsers belong to their own bill only.
    for (int i = 0; i < rows.size(); ++i)
        if (i != index)
            QCOMPARE(rows[i].drawer, QStringLiteral("青葉物産株式会社"));
}

void TestReports::receivableLedgerParties_data()
{
    QTest::addColumn<QString>("drawer");
    QTest::addColumn<QStringList>("endorsers"); // "order:name"
    QTest::addColumn<QString>("account");       // 売掛金's mapping; empty: as installed
    QTest::addColumn<QString>("payer");         // 支払人
    QTest::addColumn<QString>("from");          // 振出人または裏書人
    QTest::addColumn<QString>("summary");       // 摘要
    QTest::newRow("the drawer pays and handed it over")
        << u"青葉物産株式会社"_qs << QStringList{} << QString() << u"青葉物産株式会社"_qs << u"青葉物産株式会社"_qs
        << u"売掛金"_qs;
    QTest::newRow("no drawer written: the customer drew it")
        << QString() << QStringList{} << QString() << u"株式会社青葉商事"_qs << u"株式会社青葉商事"_qs << u"売掛金"_qs;
    QTest::newRow("received from the last endorser")
        << u"青葉物産株式会社"_qs << QStringList{u"2:第二商店"_qs, u"1:第一商店"_qs, u"4:第四商店"_qs} << QString()
        << u"青葉物産株式会社"_qs << u"第四商店"_qs << u"売掛金"_qs;
    QTest::newRow("the journal's name of the account")
        << u"青葉物産株式会社"_qs << QStringList{u"1:第一商店"_qs} << u"売掛金（本社）"_qs << u"青葉物産株式会社"_qs
        << u"第一商店"_qs << u"売掛金（本社）"_qs;
}

void TestReports::receivableLedgerParties()
{
    QFETCH(QString, drawer);
    QFETCH(QStringList, endorsers);
    QFETCH(QString, account);
    QFETCH(QString, payer);
    QFETCH(QString, from);
    QFETCH(QString, summary);
    AppFixture f;
    Bill b;
    b.日付 = QDate(2026, 4, 3);
    b.番号 = QStringLiteral("L1");
    b.取引先 = QStringLiteral("株式会社青葉商事");
    b.振出人 = drawer;
    b.金額 = 100;
    const qint64 id = insertBill(f.db(), b);
    for (const QString &e : endorsers)
        insertEndorser(f.db(), id, e.section(u':', 0, 0).toInt(), e.section(u':', 1));
    if (!account.isEmpty())
        book::setJournalAccount(f.db(), QStringLiteral("売掛金"), account, {});
    const QList<book::LedgerRow> rows =
        book::readLedger(f.db(), book::Side::Receivable, QDate(2026, 4, 1), QDate(2026, 4, 30));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].party, payer);
    QCOMPARE(rows[0].drawer, from);
    QCOMPARE(rows[0].summary, summary);
}

void TestReports::payableLedgerHoldsIssuedBillsOnly()
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

    // Received bills handed on in the period, one received before it: no payable bills.
    for (const QDate &received : {QDate(2026, 3, 1), QDate(2026, 4, 10)}) {
        Bill handed;
        handed.処理 = 2;
        handed.状態 = -2;
        handed.日付 = received;
        handed.番号 = QStringLiteral("H%1").arg(received.month());
        handed.取引先 = QStringLiteral("株式会社青葉商事");
        handed.振出人 = QStringLiteral("青葉物産株式会社");
        handed.金額 = 300000;
        handed.譲渡先 = QStringLiteral("丸紅資材株式会社");
        handed.予約日 = QDate(2026, 4, 20);
        insertBill(f.db(), handed);
    }

    Bill finished = issued;
    finished.番号 = QStringLiteral("P2");
    finished.日付 = QDate(2026, 4, 30);
    finished.金額 = 50000;
    finished.終了 = true;
    insertBill(f.db(), finished);

    Bill received; // in the receivable ledger only
    received.日付 = QDate(2026, 4, 3);
    received.番号 = QStringLiteral("R1");
    insertBill(f.db(), received);

    const QList<book::LedgerRow> rows =
        book::readLedger(f.db(), book::Side::Payable, QDate(2026, 4, 1), QDate(2026, 4, 30));
    QStringList numbers;
    for (const book::LedgerRow &r : rows)
        numbers << r.number;
    QCOMPARE(numbers, (QStringList{u"P1"_qs, u"P2"_qs}));
    QCOMPARE(rows[0].summary, QStringLiteral("買掛金"));
    QCOMPARE(rows[0].party, QStringLiteral("株式会社佐藤製作所"));
    QCOMPARE(rows[0].drawer, QStringLiteral("自社"));
    QCOMPARE(rows[0].place, QStringLiteral("りそな銀行 大阪支店"));
    QVERIFY(rows[0].outcome.isEmpty());
    QCOMPARE(rows[1].outcome, QStringLiteral("決済"));
    // The printed total is that of the issued bills.
    const report::Document doc = report::ledgerDocument(book::Side::Payable, rows, QDate(2026, 4, 1),
                                                        QDate(2026, 4, 30), report::DateStyle::Gregorian);
    QCOMPARE(doc.totals.value(4), QStringLiteral("合計 2 件"));
    QCOMPARE(doc.totals.value(10), QStringLiteral("750,000"));
    // The hand-ons stay in the receivable ledger's てん末.
    int handOns = 0;
    for (const book::LedgerRow &r :
         book::readLedger(f.db(), book::Side::Receivable, QDate(2026, 1, 1), QDate(2026, 4, 30)))
        handOns += r.outcome == u"譲渡 丸紅資材株式会社" ? 1 : 0;
    QCOMPARE(handOns, 2);
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
    // Bills as "party amount", "party amount >receiver" when handed on;
    // lines as "party amount", the sum as "その他 amount count".
    QTest::addColumn<QStringList>("bills");
    QTest::addColumn<QStringList>("lines");
    const QStringList fiveLarge{u"B 1000000"_qs, u"C 2000000"_qs, u"D 1500000"_qs, u"E 1200000"_qs};
    QTest::newRow("three bills reaching 1,000,000 together stand alone; six small parties in one line")
        << QStringList{u"A 300000"_qs, u"A 350000"_qs, u"A 400000"_qs} + fiveLarge +
               QStringList{u"F 10000"_qs, u"G 20000"_qs, u"H 30000"_qs, u"I 40000"_qs, u"J 50000"_qs, u"K 60000"_qs}
        << QStringList{u"A 300000"_qs, u"A 350000"_qs, u"A 400000"_qs} + fiveLarge + QStringList{u"その他 210000 6"_qs};
    QTest::newRow("fewer than five reach it: the largest parties up to five")
        << QStringList{u"A 2000000"_qs, u"B 400000"_qs, u"B 500000"_qs, u"C 30000"_qs,
                       u"D 40000"_qs,   u"E 20000"_qs,  u"F 10000"_qs,  u"G 5000"_qs}
        << QStringList{u"A 2000000"_qs, u"B 400000"_qs, u"B 500000"_qs,      u"C 30000"_qs,
                       u"D 40000"_qs,   u"E 20000"_qs,  u"その他 15000 2"_qs};
    QTest::newRow("five small parties stand alone")
        << QStringList{u"A 1"_qs, u"B 2"_qs, u"C 3"_qs, u"D 4"_qs, u"E 5"_qs}
        << QStringList{u"A 1"_qs, u"B 2"_qs, u"C 3"_qs, u"D 4"_qs, u"E 5"_qs};
    QTest::newRow("one bill left over keeps its line")
        << QStringList{u"A 1"_qs, u"B 2"_qs, u"C 3"_qs, u"D 4"_qs, u"E 5"_qs, u"F 6"_qs}
        << QStringList{u"A 1"_qs, u"B 2"_qs, u"C 3"_qs, u"D 4"_qs, u"E 5"_qs, u"F 6"_qs};
    QTest::newRow("bills handed on stand alone with their receiver")
        << QStringList{u"A 3000000"_qs} + fiveLarge +
               QStringList{u"X 100 >丸紅資材"_qs, u"Y 200"_qs, u"Y 250 >北斗"_qs, u"Z 300"_qs}
        << QStringList{u"A 3000000"_qs} + fiveLarge +
               QStringList{u"X 100 >丸紅資材"_qs, u"Y 250 >北斗"_qs, u"その他 500 2"_qs};
    QTest::newRow("just under 1,000,000 together is summed")
        << QStringList{u"A 3000000"_qs} + fiveLarge + QStringList{u"P 499999"_qs, u"P 500000"_qs, u"Q 10"_qs}
        << QStringList{u"A 3000000"_qs} + fiveLarge + QStringList{u"その他 1000009 3"_qs};
}

void TestReports::grouping()
{
    QFETCH(QStringList, bills);
    QFETCH(QStringList, lines);
    QList<book::StatementBill> in;
    qint64 total = 0;
    for (const QString &text : bills) {
        const QStringList parts = text.split(u' ');
        book::StatementBill b;
        b.party = parts.at(0);
        b.amount = parts.at(1).toLongLong();
        if (parts.size() > 2) {
            b.handedOn = true;
            b.receiver = parts.at(2).mid(1);
        }
        in << b;
        total += b.amount;
    }
    const QList<book::StatementLine> out = book::statementLines(in);
    QStringList got;
    qint64 sumOfLines = 0;
    int billsInLines = 0;
    for (const book::StatementLine &l : out.mid(0, out.size() - 1)) {
        sumOfLines += l.amount;
        billsInLines += l.count;
        if (l.kind == book::StatementLine::Kind::Sum) {
            QCOMPARE(l.note, QStringLiteral("%1件").arg(l.count));
            got << QStringLiteral("%1 %2 %3").arg(l.party).arg(l.amount).arg(l.count);
        } else {
            QCOMPARE(l.kind, book::StatementLine::Kind::Bill);
            got << (QStringLiteral("%1 %2").arg(l.party).arg(l.amount) +
                    (l.receiver.isEmpty() ? QString() : u" >"_qs + l.receiver));
        }
    }
    QCOMPARE(got, lines);
    QCOMPARE(out.last().kind, book::StatementLine::Kind::Total);
    QCOMPARE(out.last().amount, total);
    QCOMPARE(out.last().count, int(in.size()));
    QCOMPARE(sumOfLines, total); // no bill lost or counted twice
    QCOMPARE(billsInLines, int(in.size()));
    QVERIFY(book::statementLines({}).isEmpty());
}

void TestReports::etaxFilesByteForByte_data()
{
    QTest::addColumn<QDate>("yearEnd");
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("fields");
    QTest::addColumn<QByteArray>("format"); // フォーマット区分
    QTest::addColumn<int>("records");
    QTest::newRow("receivable, 2019: the change of era") << QDate(2019, 4, 30) << int(book::Side::Receivable)
                                                         << u"HOI020_3.0_受取手形.csv"_qs << 17 << QByteArray("2") << 4;
    QTest::newRow("payable, 2019") << QDate(2019, 4, 30) << int(book::Side::Payable) << u"HOI080_3.0_支払手形.csv"_qs
                                   << 15 << QByteArray("8") << 2;
    QTest::newRow("receivable, 2025: numbers and grouping")
        << QDate(2025, 3, 31) << int(book::Side::Receivable) << u"HOI020_4.0_受取手形.csv"_qs << 18 << QByteArray("2")
        << 10;
    QTest::newRow("payable, 2025") << QDate(2025, 3, 31) << int(book::Side::Payable) << u"HOI080_4.0_支払手形.csv"_qs
                                   << 17 << QByteArray("8") << 8;
}

void TestReports::etaxFilesByteForByte()
{
    QFETCH(QDate, yearEnd);
    QFETCH(int, side);
    QFETCH(QString, fileName);
    QFETCH(int, fields);
    QFETCH(QByteArray, format);
    QFETCH(int, records);
    AppFixture f;
    if (yearEnd.year() == 2019)
        eraScenario(f.db());
    else
        invoiceScenario(f.db());
    const book::EtaxLayout &layout = book::etaxLayout(book::Side(side), yearEnd);
    QCOMPARE(layout.fileName(), fileName);
    QCOMPARE(layout.fields.size(), fields);
    QStringList cuts;
    const QByteArray csv =
        book::etaxCsv(layout, book::statementLines(book::statementBills(f.db(), book::Side(side), yearEnd)), &cuts);
    QVERIFY(cuts.isEmpty());
    QCOMPARE(csv, golden(fileName));
    QVERIFY(strictShiftJis(csv));

    // The shape read independently of the golden file.
    const QList<QByteArray> lines = recordsOf(csv);
    QCOMPARE(lines.size(), records);
    for (const QByteArray &r : lines) {
        QVERIFY(r.endsWith('\r'));
        QCOMPARE(r.count(',') + 1, fields);
        QVERIFY(r.startsWith(format + ','));
    }
    QVERIFY(lines.last().startsWith(format + ",1,"));
}

void TestReports::etaxDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("the form's own example") << QDate(2016, 4, 1) << QStringList{u"4"_qs, u"28"_qs, u"04"_qs, u"01"_qs};
    QTest::newRow("last day of 平成") << QDate(2019, 4, 30) << QStringList{u"4"_qs, u"31"_qs, u"04"_qs, u"30"_qs};
    QTest::newRow("令和元年") << QDate(2019, 5, 1) << QStringList{u"5"_qs, u"01"_qs, u"05"_qs, u"01"_qs};
    QTest::newRow("last day of 昭和") << QDate(1989, 1, 7) << QStringList{u"3"_qs, u"64"_qs, u"01"_qs, u"07"_qs};
    QTest::newRow("no date") << QDate() << QStringList{QString(), QString(), QString(), QString()};
}

void TestReports::etaxDates()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, fields);
    QCOMPARE(book::etaxDate(date), fields);
}

void TestReports::layoutByYearEnd_data()
{
    QTest::addColumn<QDate>("yearEnd");
    QTest::addColumn<QString>("receivable");
    QTest::addColumn<QString>("payable");
    QTest::newRow("the day before the new forms")
        << QDate(2024, 2, 29) << u"HOI020_3.0_受取手形.csv"_qs << u"HOI080_3.0_支払手形.csv"_qs;
    QTest::newRow("the first day of the new forms")
        << QDate(2024, 3, 1) << u"HOI020_4.0_受取手形.csv"_qs << u"HOI080_4.0_支払手形.csv"_qs;
    QTest::newRow("later") << QDate(2027, 3, 31) << u"HOI020_4.0_受取手形.csv"_qs << u"HOI080_4.0_支払手形.csv"_qs;
    QTest::newRow("long before") << QDate(2001, 3, 31) << u"HOI020_3.0_受取手形.csv"_qs
                                 << u"HOI080_3.0_支払手形.csv"_qs;
}

void TestReports::layoutByYearEnd()
{
    QFETCH(QDate, yearEnd);
    QFETCH(QString, receivable);
    QFETCH(QString, payable);
    QCOMPARE(book::etaxLayout(book::Side::Receivable, yearEnd).fileName(), receivable);
    QCOMPARE(book::etaxLayout(book::Side::Payable, yearEnd).fileName(), payable);
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
        << u"ｱｵﾊﾞ (株) \"1\" O'Hara"_qs << u"アオバ　（株）　”１”　Ｏ’Ｈａｒａ"_qs << false << false;
    QTest::newRow("a line break in the name") << u"青葉\n商事"_qs << u"青葉　商事"_qs << false << false;
    QTest::newRow("stand-ins of code page 932 signs and kanji")
        << u"㈱髙橋﨑山＇Ａ＇"_qs << u"（株）高橋崎山’Ａ’"_qs << false << false;
    QTest::newRow("a stand-in counts where the cut falls")
        << QString(29, QChar(u'手')) + u"㈱"_qs << QString(29, QChar(u'手')) + u"（"_qs << true << false;
    QTest::newRow("character without JIS form") << u"𠮷野家"_qs << QString() << false << true;
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
    const book::EtaxLayout &layout = book::etaxLayout(book::Side::Receivable, QDate(2025, 3, 31));
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
    QCOMPARE(fieldOf(csv.split('\r').first(), 4), written);
    QVERIFY(strictShiftJis(csv));
}

// The paper and the file show the party cut at the same character.
void TestReports::printedPartyIsTheFilesParty()
{
    const QDate yearEnd(2025, 3, 31);
    book::StatementBill b;
    b.party = u"株式会社"_qs + QString(40, QChar(u'長'));
    b.number = u"T7123456789012"_qs;
    b.amount = 100;
    const QList<book::StatementLine> lines = book::statementLines({b});
    const report::Document doc = report::statementDocument(book::Side::Receivable, lines, yearEnd);
    QCOMPARE(doc.columns.first().title, QStringLiteral("登録番号（法人番号）"));
    QCOMPARE(doc.rows.first().first(), QStringLiteral("T7123456789012"));
    const QByteArray csv = book::etaxCsv(book::etaxLayout(book::Side::Receivable, yearEnd), lines, nullptr);
    QCOMPARE(doc.rows.first().at(1), fieldOf(csv.split('\r').first(), 4));
    QCOMPARE(doc.rows.first().at(1).size(), 30);
    // The forms before the column came have none, on paper or in the file.
    const QDate before(2024, 2, 29);
    const report::Document old = report::statementDocument(book::Side::Receivable, lines, before);
    QCOMPARE(old.columns.first().title, QStringLiteral("振出人"));
    QCOMPARE(old.columns.size(), doc.columns.size() - 1);
    QVERIFY(!book::etaxCsv(book::etaxLayout(book::Side::Receivable, before), lines, nullptr).contains("7123456789012"));
}

void TestReports::nonJisCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("statement"); // the party as the e-Tax CSV writes it; empty: refused
    QTest::addColumn<QString>("journal");   // the party in the 弥生 journal; empty: refused
    QTest::newRow("apostrophe") << u"O'Hara商店"_qs << u"Ｏ’Ｈａｒａ商店"_qs << u"O'Hara商店"_qs;
    QTest::newRow("full-width apostrophe") << u"Ｏ＇Ｈａｒａ商店"_qs << u"Ｏ’Ｈａｒａ商店"_qs << u"Ｏ’Ｈａｒａ商店"_qs;
    QTest::newRow("sign of a company") << u"㈱髙橋製作所"_qs << u"（株）高橋製作所"_qs << u"（株）高橋製作所"_qs;
    QTest::newRow("variant kanji") << u"山﨑商店"_qs << u"山崎商店"_qs << u"山崎商店"_qs;
    QTest::newRow("circled number") << u"第①工場"_qs << u"第１工場"_qs << u"第1工場"_qs;
    QTest::newRow("no stand-in: named, nothing written") << u"𠮷野😀商店"_qs << QString() << QString();
}

void TestReports::nonJisCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, statement);
    QFETCH(QString, journal);
    AppFixture f;
    Bill b;
    b.日付 = QDate(2026, 3, 2);
    b.番号 = QStringLiteral("J-1");
    b.取引先 = name;
    b.期日 = QDate(2026, 6, 30);
    b.金額 = 5000;
    insertBill(f.db(), b);
    QTemporaryDir out;

    // The statements of the year end.
    const auto written = [&] { return QDir(out.path()).entryList(QDir::Files); };
    try {
        report::statementFiles(f.db(), QDate(2026, 3, 31), {}, out.path());
        QVERIFY2(!statement.isEmpty(), "written anyway");
        const QStringList files = written();
        QCOMPARE(files, QStringList{u"HOI020_4.0_受取手形.csv"_qs});
        QFile file(QDir(out.path()).filePath(files.first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        QVERIFY(strictShiftJis(csv));
        QCOMPARE(fieldOf(recordsOf(csv).first(), 4), statement);
    } catch (const DbError &e) {
        QVERIFY2(statement.isEmpty(), qPrintable(e.description()));
        QVERIFY2(e.description().contains(u"「𠮷😀」"_qs), qPrintable(e.description()));
        QVERIFY(written().isEmpty());
    }

    // The journal of 弥生会計.
    const QString target = QDir(out.path()).filePath(u"j.csv"_qs);
    try {
        report::journalFile(f.db(), QDate(2026, 3, 1), QDate(2026, 3, 31), *book::journalLayout(u"yayoi"_qs), target);
        QVERIFY2(!journal.isEmpty(), "written anyway");
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        QVERIFY(strictShiftJis(csv));
        QVERIFY2(fieldOf(csv, 16).contains(journal), qPrintable(fieldOf(csv, 16)));
    } catch (const DbError &e) {
        QVERIFY2(journal.isEmpty(), qPrintable(e.description()));
        QVERIFY2(e.description().contains(u"「𠮷😀」"_qs), qPrintable(e.description()));
        QVERIFY(!QFile::exists(target));
    }
}

void TestReports::journalAmountDigits_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<bool>("written");
    QTest::newRow("nine digits") << u"yayoi"_qs << qint64(999999999) << true;
    QTest::newRow("ten digits are refused") << u"yayoi"_qs << qint64(1000000000) << false;
    QTest::newRow("the other layout has no such limit") << u"mf"_qs << qint64(1000000000) << true;
}

void TestReports::journalAmountDigits()
{
    QFETCH(QString, layout);
    QFETCH(qint64, amount);
    QFETCH(bool, written);
    AppFixture f;
    Bill small;
    small.日付 = QDate(2026, 4, 1);
    small.番号 = QStringLiteral("S-1");
    small.金額 = 1000;
    insertBill(f.db(), small);
    Bill big = small;
    big.番号 = QStringLiteral("BIG-7");
    big.取引先 = QStringLiteral("株式会社大口");
    big.金額 = amount;
    insertBill(f.db(), big);
    QTemporaryDir out;
    const QString target = QDir(out.path()).filePath(u"j.csv"_qs);
    try {
        const report::Outcome o =
            report::journalFile(f.db(), QDate(2026, 4, 1), QDate(2026, 4, 30), *book::journalLayout(layout), target);
        QVERIFY2(written, "written anyway");
        QCOMPARE(o.bills, 2);
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(QByteArray::number(amount)));
    } catch (const DbError &e) {
        QVERIFY2(!written, qPrintable(e.description()));
        QVERIFY2(e.description().contains(u"BIG-7"_qs) && e.description().contains(u"1,000,000,000"_qs) &&
                     e.description().contains(u"9 桁"_qs),
                 qPrintable(e.description()));
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
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
    QTest::newRow("sign of code page 932: its stand-in")
        << u"㈱"_qs << QByteArray("\x81\x69\x8a\x94\x81\x6a") << QString();
    QTest::newRow("apostrophe of code page 932's IBM rows") << u"＇"_qs << QByteArray("\x81\x66") << QString();
    QTest::newRow("kanji of the IBM rows") << u"髙"_qs << QByteArray("\x8d\x82") << QString();
    QTest::newRow("half-width katakana") << u"ｱ"_qs << QByteArray("\xb1") << QString();
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
