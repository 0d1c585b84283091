// Rules that keep several clerks on one book from losing each other's work:
// a change made on an older reading is refused and changes nothing, a window
// changes only the bills it may (a bill another clerk handed on, reserved,
// finished or deleted stays as it is), a last number only moves forward, a
// bill is handed on once, and one number is issued once on an account.

#include "support/TestSupport.h"

#include "book/Conflicts.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Engine.h"

#include "master/MasterTest.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QMap<QString, QString> rowOf(Database &db, qint64 id)
{
    Recordset rs = db.openRecordset(u"select * from D_手形 where id=?"_qs, {id});
    QMap<QString, QString> row;
    if (rs.eof())
        return row;
    for (const QString &c : rs.columns()) {
        const QVariant v = rs.value(c);
        row[c.toLower()] = v.isNull()                              ? u"<null>"_qs
                           : v.metaType().id() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                                                                   : v.toString();
    }
    return row;
}

book::ReceivableBill receivable(const QString &number)
{
    book::ReceivableBill b;
    b.日付 = QDate(2026, 12, 7);
    b.手形番号 = number;
    b.取引先コード = u"C1"_qs;
    b.取引先 = u"得意先"_qs;
    b.支払場所 = u"南北銀行"_qs;
    b.支払場所支店 = u"本店"_qs;
    b.手形期日 = QDate(2027, 3, 31);
    b.金額 = 5000;
    b.保管場所 = u"金庫"_qs;
    return b;
}

qint64 addAccount(Database &db, const QString &last)
{
    db.execute(u"insert into 口座データ(kozano,口座種別,銀行名,最終手形番号) values(?,'当座','北銀行',?)"_qs,
               {db.scalar(u"select count(*) from 口座データ"_qs).toInt() + 1, last});
    return db.lastInsertId();
}

book::Issue issue(qint64 account, const QString &number)
{
    book::Issue i;
    i.accountId = account;
    i.日付 = QDate(2026, 12, 7);
    i.手形番号 = number;
    i.取引先コード = u"S1"_qs;
    i.取引先 = u"仕入先"_qs;
    i.振出日 = QDate(2026, 12, 7);
    i.手形期日 = QDate(2027, 2, 26);
    i.金額 = 7000;
    return i;
}

book::IssuedCorrection correction(const book::PayableBill &b, qint64 account, const QString &number)
{
    book::IssuedCorrection c;
    c.billId = b.id;
    c.accountId = account;
    c.取引先コード = b.取引先コード;
    c.取引先 = b.取引先;
    c.日付 = b.日付;
    c.手形番号 = number;
    c.振出日 = b.振出日;
    c.手形期日 = b.手形期日;
    c.金額 = b.金額;
    c.更新回数 = b.更新回数;
    return c;
}

} // namespace

class TestClerks : public QObject {
    Q_OBJECT
private slots:
    void olderReadingIsRefused_data();
    void olderReadingIsRefused();
    void lastNumberOnlyMovesForward_data();
    void lastNumberOnlyMovesForward();
    void handedOnOnce();
    void outOfReachIsRefused_data();
    void outOfReachIsRefused();
    void issuedNumberOnce_data();
    void issuedNumberOnce();
};

void TestClerks::olderReadingIsRefused_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("correcting a received bill") << u"save"_qs;
    QTest::newRow("deleting a received bill") << u"delete"_qs;
    QTest::newRow("correcting an issued bill") << u"correct"_qs;
    QTest::newRow("deleting an issued bill") << u"delete issued"_qs;
    QTest::newRow("taking a hand-on back") << u"cancel hand-on"_qs;
    QTest::newRow("handing on a bill corrected since") << u"hand on"_qs;
}

// Clerk A reads a bill; clerk B changes it; A's change on the old reading is
// refused, the row stays as B left it; read again, A's change goes through.
void TestClerks::olderReadingIsRefused()
{
    QFETCH(QString, action);
    AppFixture f;
    Database &db = f.db();
    const qint64 account = addAccount(db, u"A0010"_qs);
    const bool issued = action == u"correct" || action == u"delete issued";
    qint64 id = issued ? book::issueBill(db, issue(account, u"A0011"_qs))
                       : book::registerReceivableBill(db, receivable(u"R1"_qs), std::nullopt);
    if (action == u"cancel hand-on")
        QVERIFY(book::handOnBill(db, id, QDate(2026, 12, 8), u"S1"_qs, u"仕入先"_qs));

    // What A read.
    const book::ReceivableBill readR = *book::receivableBill(db, id);
    const book::PayableBill readP = *book::payableBill(db, id);
    QCOMPARE(*readR.更新回数, readP.更新回数);

    // B's change, made on a fresh reading.
    if (issued) {
        QVERIFY(book::correctIssuedBill(db, correction(*book::payableBill(db, id), account, u"A0012"_qs)));
    } else if (action == u"cancel hand-on") {
        db.execute(u"update D_手形 set 譲渡先=?,更新回数=更新回数+1 where id=?"_qs, {u"別の仕入先"_qs, id});
    } else {
        book::ReceivableBill byB = *book::receivableBill(db, id);
        byB.保管場所 = u"B の金庫"_qs;
        book::saveReceivableBill(db, byB, std::nullopt);
    }
    const auto afterB = rowOf(db, id);
    QCOMPARE(afterB.value(u"更新回数"_qs).toLongLong(), *readR.更新回数 + 1);

    const auto byA = [&](const book::ReceivableBill &r, const book::PayableBill &p) {
        if (action == u"save") {
            book::ReceivableBill changed = r;
            changed.保管場所 = u"A の金庫"_qs;
            book::saveReceivableBill(db, changed, book::EndorserSlots{{u"A の裏書人"_qs, {}}});
        } else if (action == u"delete") {
            book::deleteReceivableBill(db, id, r.更新回数);
        } else if (action == u"correct") {
            QVERIFY(book::correctIssuedBill(db, correction(p, account, u"A0013"_qs)));
        } else if (action == u"delete issued") {
            QVERIFY(book::deleteIssuedBill(db, id, p.更新回数));
        } else if (action == u"hand on") {
            QVERIFY(book::handOnBill(db, id, QDate(2026, 12, 9), u"S1"_qs, u"仕入先"_qs, p.更新回数));
        } else {
            QVERIFY(book::cancelHandOn(db, id, p.更新回数));
        }
    };
    QVERIFY_THROWS_EXCEPTION(book::ConflictError, byA(readR, readP));
    QCOMPARE(rowOf(db, id), afterB);
    QCOMPARE(book::endorsersOf(db, id).size(), 0);
    QVERIFY(!db.inTransaction());

    // Read again, the same change is accepted.
    byA(*book::receivableBill(db, id), *book::payableBill(db, id));
    if (action.startsWith(u"delete"))
        QVERIFY(rowOf(db, id).isEmpty());
    else
        QCOMPARE(rowOf(db, id).value(u"更新回数"_qs).toLongLong(), *readR.更新回数 + 2);
}

void TestClerks::lastNumberOnlyMovesForward_data()
{
    QTest::addColumn<bool>("account"); // an account's number, else a template's
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("last");
    for (const bool account : {false, true}) {
        const char *kind = account ? "account: " : "template: ";
        QTest::addRow("%snext number", kind) << account << u"A0099"_qs << u"A0100"_qs << u"A0100"_qs;
        QTest::addRow("%sa lower number saved by another clerk", kind)
            << account << u"A0120"_qs << u"A0100"_qs << u"A0120"_qs;
        QTest::addRow("%sa new series", kind) << account << u"A0120"_qs << u"B0001"_qs << u"B0001"_qs;
        QTest::addRow("%snothing before", kind) << account << QString() << u"A0001"_qs << u"A0001"_qs;
    }
}

void TestClerks::lastNumberOnlyMovesForward()
{
    QFETCH(bool, account);
    QFETCH(QString, stored);
    QFETCH(QString, saved);
    QFETCH(QString, last);
    AppFixture f;
    Database &db = f.db();
    if (account) {
        const qint64 a = addAccount(db, stored);
        book::issueBill(db, issue(a, saved));
        QCOMPARE(db.scalar(u"select 最終手形番号 from 口座データ where id=?"_qs, {a}).toString(), last);
        return;
    }
    db.execute(u"insert into T0(tc,tn) values('C1','得意先')"_qs);
    const qint64 customer = db.lastInsertId();
    // Two templates of the same bank and branch, one of another bank.
    for (const QString &bank : {u"南北銀行"_qs, u"南北銀行"_qs, u"東西銀行"_qs})
        db.execute(u"insert into T1(idoft,支払場所,支払場所支店,最終手形番号) values(?,?,'本店',?)"_qs,
                   {customer, bank, stored});
    book::registerReceivableBill(db, receivable(saved), std::nullopt);
    Recordset rs = db.openRecordset(u"select 最終手形番号 from T1 order by id"_qs);
    QStringList numbers;
    for (; !rs.eof(); rs.moveNext())
        numbers << rs.text(u"最終手形番号"_qs);
    QCOMPARE(numbers, (QStringList{last, last, stored}));
}

void TestClerks::handedOnOnce()
{
    AppFixture f;
    Database &db = f.db();
    const qint64 id = book::registerReceivableBill(db, receivable(u"R9"_qs), std::nullopt);
    QVERIFY(book::handOnBill(db, id, QDate(2026, 12, 8), u"S1"_qs, u"一番目"_qs));
    const auto first = rowOf(db, id);
    QVERIFY(!book::handOnBill(db, id, QDate(2026, 12, 9), u"S2"_qs, u"二番目"_qs));
    QCOMPARE(rowOf(db, id), first);
    QCOMPARE(first.value(u"譲渡先"_qs), u"一番目"_qs);
}

void TestClerks::outOfReachIsRefused_data()
{
    QTest::addColumn<QString>("write");     // what clerk A does
    QTest::addColumn<QString>("meanwhile"); // what clerk B did first
    QTest::addColumn<QString>("said");      // what A is told became of the bill
    const QString handedOn = u"「仕入B」に譲渡されています"_qs;
    const QString reserved = u"割引などの予約が入っています"_qs;
    const QString finished = u"決済などで終わっています"_qs;
    const QString deleted = u"削除されています"_qs;
    for (const QString &write : {u"save"_qs, u"delete"_qs, u"hand on"_qs}) {
        QTest::addRow("%s after a hand-on", qPrintable(write)) << write << u"hand on"_qs << handedOn;
        QTest::addRow("%s after a reservation", qPrintable(write)) << write << u"reserve"_qs << reserved;
        QTest::addRow("%s after the end", qPrintable(write)) << write << u"finish"_qs << finished;
        QTest::addRow("%s after a deletion", qPrintable(write)) << write << u"delete"_qs << deleted;
    }
    QTest::newRow("hand on after dishonour") << u"hand on"_qs << u"dishonour"_qs << u"不渡りになっています"_qs;
    for (const QString &write : {u"correct issued"_qs, u"delete issued"_qs}) {
        QTest::addRow("%s after the end", qPrintable(write)) << write << u"finish"_qs << finished;
        QTest::addRow("%s after a deletion", qPrintable(write)) << write << u"delete"_qs << deleted;
    }
    QTest::newRow("taking back a hand-on taken back")
        << u"take back"_qs << u"take back"_qs << u"譲渡が取り消され、受取手形に戻っています"_qs;
    QTest::newRow("taking back after the end") << u"take back"_qs << u"finish"_qs << finished;
}

// Clerk A reads the bill as it is after clerk B's change (as a window that
// read it again after a refusal has it) and writes: refused, with what became
// of the bill, and the row stays as B left it.
void TestClerks::outOfReachIsRefused()
{
    QFETCH(QString, write);
    QFETCH(QString, meanwhile);
    QFETCH(QString, said);
    AppFixture f;
    SecondClerk b(f);
    Database &db = f.db();
    const qint64 account = addAccount(db, u"A0010"_qs);
    const bool issued = write.endsWith(u"issued");
    const qint64 id = issued ? book::issueBill(db, issue(account, u"A0011"_qs))
                             : book::registerReceivableBill(db, receivable(u"R1"_qs), std::nullopt);
    if (write == u"take back")
        QVERIFY(book::handOnBill(db, id, QDate(2026, 12, 8), u"S1"_qs, u"仕入A"_qs));

    if (meanwhile == u"hand on")
        QVERIFY(book::handOnBill(b.db(), id, QDate(2026, 12, 8), u"S2"_qs, u"仕入B"_qs));
    else if (meanwhile == u"take back")
        QVERIFY(book::cancelHandOn(b.db(), id));
    else if (meanwhile == u"delete")
        b.db().execute(u"delete from D_手形 where id=?"_qs, {id});
    else
        b.db().execute(u"update D_手形 set %1,更新回数=更新回数+1 where id=?"_qs.arg(
                           meanwhile == u"reserve"  ? u"予約フラグ=1,予約処理=2,状態=1"_qs
                           : meanwhile == u"finish" ? u"終了フラグ=1"_qs
                                                    : u"状態=2"_qs),
                       {id});
    const auto afterB = rowOf(db, id);
    const std::optional<qint64> version =
        afterB.isEmpty() ? std::nullopt : std::optional<qint64>(afterB.value(u"更新回数"_qs).toLongLong());

    QString told;
    try {
        bool done = true;
        if (write == u"save") {
            book::ReceivableBill changed = receivable(u"R1"_qs);
            changed.id = id;
            changed.保管場所 = u"A の金庫"_qs;
            changed.更新回数 = version;
            book::saveReceivableBill(db, changed, book::EndorserSlots{{u"A の裏書人"_qs, {}}});
        } else if (write == u"delete") {
            book::deleteReceivableBill(db, id, version);
        } else if (write == u"hand on") {
            done = book::handOnBill(db, id, QDate(2026, 12, 9), u"S1"_qs, u"仕入A"_qs, version);
            told = book::notChangeableText(book::billState(db, id), book::Reach::Candidate);
        } else if (write == u"correct issued") {
            book::PayableBill p;
            p.id = id;
            p.手形番号 = u"A0011"_qs;
            p.更新回数 = version.value_or(0);
            done = book::correctIssuedBill(db, correction(p, account, u"A0011"_qs));
            told = book::notChangeableText(book::billState(db, id), book::Reach::Issued);
        } else if (write == u"delete issued") {
            done = book::deleteIssuedBill(db, id, version);
            told = book::notChangeableText(book::billState(db, id), book::Reach::Issued);
        } else {
            done = book::cancelHandOn(db, id, version);
            told = book::notChangeableText(book::billState(db, id), book::Reach::HandedOn);
        }
        QVERIFY2(!done, "the write went through");
    } catch (const book::NotChangeableError &e) {
        told = e.description();
    }
    QVERIFY2(told.startsWith(u"他の担当者が先にこの手形を変更しました\n"_qs), qPrintable(told));
    QVERIFY2(told.contains(said), qPrintable(told));
    QCOMPARE(rowOf(db, id), afterB);
    QCOMPARE(book::endorsersOf(db, id).size(), 0);
    QVERIFY(!db.inTransaction());
}

void TestClerks::issuedNumberOnce_data()
{
    QTest::addColumn<QStringList>("before"); // bills on the first account: number[/finished][/account 2]
    QTest::addColumn<QString>("action");     // issue, received, correct, move
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("proposal"); // empty: accepted
    QTest::newRow("the number another clerk issued")
        << QStringList{u"T0101"_qs} << u"issue"_qs << u"T0101"_qs << u"T0102"_qs;
    QTest::newRow("typed in other letter case")
        << QStringList{u"T0101"_qs} << u"issue"_qs << u"t0101"_qs << u"t0102"_qs;
    QTest::newRow("the next numbers taken too")
        << QStringList{u"T0101"_qs, u"T0102"_qs, u"T0104"_qs} << u"issue"_qs << u"T0101"_qs << u"T0103"_qs;
    QTest::newRow("a paid bill keeps its number")
        << QStringList{u"T0101/finished"_qs} << u"issue"_qs << u"T0101"_qs << u"T0102"_qs;
    QTest::newRow("another account's number")
        << QStringList{u"T0101/account 2"_qs} << u"issue"_qs << u"T0101"_qs << QString();
    QTest::newRow("a received bill's number")
        << QStringList{u"T0101/received"_qs} << u"issue"_qs << u"T0101"_qs << QString();
    QTest::newRow("received bills may share one")
        << QStringList{u"T0101/received"_qs} << u"received"_qs << u"T0101"_qs << QString();
    // The bill's own number is free for it.
    QTest::newRow("a correction to a number in use")
        << QStringList{u"T0101"_qs, u"T0102"_qs} << u"correct"_qs << u"T0101"_qs << u"T0102"_qs;
    QTest::newRow("a correction keeping a number shared from before")
        << QStringList{u"T0101"_qs, u"T0101"_qs} << u"correct"_qs << u"T0101"_qs << QString();
    QTest::newRow("a correction moving the bill to an account using its number")
        << QStringList{u"T0101/account 2"_qs, u"T0101"_qs} << u"move"_qs << u"T0101"_qs << u"T0102"_qs;
}

// Clerk B issues (or corrects) after clerk A issued: a number already on the
// account is refused with the bill that holds it and the next free number;
// nothing is written then.
void TestClerks::issuedNumberOnce()
{
    QFETCH(QStringList, before);
    QFETCH(QString, action);
    QFETCH(QString, number);
    QFETCH(QString, proposal);
    AppFixture f;
    SecondClerk b(f);
    Database &db = f.db();
    const qint64 first = addAccount(db, u"T0100"_qs);
    const qint64 second = addAccount(db, u"T0100"_qs);
    qint64 last = 0;
    for (const QString &row : before) {
        const QString n = row.section(u'/', 0, 0);
        if (row.contains(u"received")) {
            last = book::registerReceivableBill(db, receivable(n), std::nullopt);
            continue;
        }
        book::Issue i = issue(row.contains(u"account 2") ? second : first, n);
        i.取引先 = u"仕入A"_qs;
        // Books from before may hold one number twice: put in as they are.
        db.execute(u"insert into D_手形(処理,日付,手形番号,取引先,振出日,金額,予約口座id,kozano,終了フラグ) "
                   "values(1,?,?,?,?,?,?,?,?)"_qs,
                   {i.日付, n, i.取引先, i.振出日, i.金額, i.accountId, i.accountId == first ? 1 : 2,
                    row.contains(u"finished") ? 1 : 0});
        last = db.lastInsertId();
    }
    const QStringList stored = rowsOf(db, u"select * from D_手形 order by id"_qs);
    const QStringList accounts = rowsOf(db, u"select * from 口座データ order by id"_qs);

    QString refused, proposed;
    try {
        if (action == u"issue") {
            book::issueBill(b.db(), issue(first, number));
        } else if (action == u"received") {
            book::registerReceivableBill(b.db(), receivable(number), std::nullopt);
        } else {
            const book::PayableBill p = *book::payableBill(b.db(), last);
            QVERIFY(book::correctIssuedBill(b.db(), correction(p, action == u"move" ? second : first, number)));
        }
    } catch (const book::DuplicateNumberError &e) {
        refused = e.description();
        proposed = e.proposal();
    }
    QCOMPARE(proposed, proposal);
    if (proposal.isEmpty()) {
        QVERIFY(refused.isEmpty());
        return;
    }
    QVERIFY2(refused.startsWith(u"手形番号「%1」は、口座 %2 で振り出した別の手形にすでに使われています\n"_qs.arg(
                 number, action == u"move" ? u"2"_qs : u"1"_qs)),
             qPrintable(refused));
    QVERIFY2(refused.contains(u"支払先「仕入A」、振出日 2026/12/07、金額 7,000円"_qs), qPrintable(refused));
    QVERIFY2(refused.endsWith(u"空いている次の番号「%1」を使ってください"_qs.arg(proposal)), qPrintable(refused));
    QCOMPARE(rowsOf(db, u"select * from D_手形 order by id"_qs), stored);
    QCOMPARE(rowsOf(db, u"select * from 口座データ order by id"_qs), accounts);
    QVERIFY(!b.db().inTransaction());
}

QTEST_MAIN(TestClerks)
#include "test_clerks.moc"
