// Rules that keep several clerks on one book from losing each other's work:
// a change made on an older reading is refused and changes nothing, a last
// number only moves forward, a bill is handed on once.

#include "support/TestSupport.h"

#include "book/Conflicts.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Engine.h"

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
};

void TestClerks::olderReadingIsRefused_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("correcting a received bill") << u"save"_qs;
    QTest::newRow("deleting a received bill") << u"delete"_qs;
    QTest::newRow("correcting an issued bill") << u"correct"_qs;
    QTest::newRow("deleting an issued bill") << u"delete issued"_qs;
    QTest::newRow("taking a hand-on back") << u"cancel hand-on"_qs;
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

QTEST_MAIN(TestClerks)
#include "test_clerks.moc"
