// The generated book: the mix of bills and registers it promises, the same
// book again for the same seed, never written over existing data, and only
// whole batches kept when writing fails midway.

#include "support/TestSupport.h"

#include "book/Generate.h"
#include "data/Engine.h"

#include <QCryptographicHash>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);

qint64 count(Database &db, const QString &sql, const QVariantList &values = {})
{
    return db.scalar(sql, values).toLongLong();
}

book::GeneratedBook generate(Database &db, qint64 bills, quint64 seed, int batch = 5000,
                             std::function<void(qint64)> progress = {})
{
    book::GenerateSettings s;
    s.bills = bills;
    s.seed = seed;
    s.today = kToday;
    s.batch = batch;
    s.progress = std::move(progress);
    return book::generateBook(db, s);
}

// Every row of the tables a generated book fills, in key order.
QByteArray fingerprint(Database &db)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (const char16_t *table : {u"D_手形", u"裏書人", u"T0", u"T1", u"S0", u"保管場所", u"口座データ"}) {
        Recordset rs = db.openRecordset(QStringLiteral("select * from %1 order by id").arg(QString::fromUtf16(table)));
        for (; !rs.eof(); rs.moveNext())
            for (const QString &c : rs.columns())
                h.addData(rs.text(c).toUtf8() + '\x1f');
    }
    return h.result();
}

QList<qint64> tableCounts(Database &db)
{
    QList<qint64> n;
    for (const char16_t *table : {u"D_手形", u"裏書人", u"T0", u"T1", u"S0", u"保管場所", u"口座データ"})
        n << count(db, QStringLiteral("select count(*) from %1").arg(QString::fromUtf16(table)));
    return n;
}

} // namespace

class TestGenerate : public QObject {
    Q_OBJECT
private slots:
    void mixAndRegisters_data()
    {
        QTest::addColumn<qint64>("bills");
        QTest::addColumn<quint64>("seed");
        QTest::newRow("one bill") << qint64(1) << quint64(1);
        QTest::newRow("2,000 bills") << qint64(2000) << quint64(1);
        QTest::newRow("1,500 bills, another seed") << qint64(1500) << quint64(20261207);
    }

    void mixAndRegisters()
    {
        QFETCH(qint64, bills);
        QFETCH(quint64, seed);
        AppFixture f;
        Database &db = f.db();
        const book::GeneratedBook made = generate(db, bills, seed, 700);

        QCOMPARE(made.bills(), bills);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形")), bills);
        // What the summary says is what the file holds.
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 where 処理=0 and 状態=0 and 終了フラグ=0")),
                 made.inHand);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 where 処理=1 and 終了フラグ=0")), made.issued);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 where 処理=2 and 状態=-2")), made.handedOn);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 where 処理=0 and 状態=2")), made.dishonoured);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 where 終了フラグ=1")), made.finished);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 裏書人")), made.endorsers);
        if (bills >= 1000) {
            const auto share = [&](qint64 n) { return 100.0 * double(n) / double(bills); };
            QVERIFY2(qAbs(share(made.inHand) - 60) < 4, qPrintable(QString::number(share(made.inHand))));
            QVERIFY(qAbs(share(made.issued) - 20) < 3);
            QVERIFY(qAbs(share(made.handedOn) - 10) < 2);
            QVERIFY(qAbs(share(made.dishonoured) - 5) < 2);
            QVERIFY(qAbs(share(made.finished) - 5) < 2);
        }

        QCOMPARE(count(db, QStringLiteral("select count(*) from T0")), 2000);
        QCOMPARE(count(db, QStringLiteral("select count(*) from T0 where (select count(*) from T1 where idoft=T0.id) "
                                          "not between 1 and 3")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from S0")), 200);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 保管場所")), 20);
        QVERIFY(count(db, QStringLiteral("select count(*) from 口座データ where 口座種別='当座'")) >= 2);

        // Every bill names a registered party, by code and name.
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 b where 処理 in (0,2) and not exists "
                                          "(select 1 from T0 where tc=b.取引先コード and tn=b.取引先)")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 b where 処理=1 and not exists "
                                          "(select 1 from S0 where sc=b.取引先コード and sn=b.取引先)")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 b where 処理=2 and not exists "
                                          "(select 1 from S0 where sc=b.譲渡先コード and sn=b.譲渡先)")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 b where 処理=1 and not exists "
                                          "(select 1 from 口座データ where id=b.予約口座id and kozano=b.kozano)")),
                 0);
        // Endorsers only on received bills, 0 to 4 each, at positions 1.. without gaps.
        QCOMPARE(count(db, QStringLiteral("select count(*) from 裏書人 e join D_手形 b on b.id=e.手形id where 処理=1")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from (select 手形id, count(*) n, max(表示順) m from 裏書人 "
                                          "group by 手形id) as e where n > 4 or m <> n")),
                 0);
        // Five years of due dates, ending half a year after today; a bill is
        // dishonoured or finished only once it was due.
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形 where 手形期日 < ? or 手形期日 > ?"),
                       {kToday.addYears(-5), kToday.addDays(200)}),
                 0);
        QCOMPARE(count(db,
                       QStringLiteral("select count(*) from D_手形 where (状態=2 or 終了フラグ=1) and "
                                      "(手形期日 is null or 手形期日 >= ?)"),
                       {kToday}),
                 0);
        if (bills >= 1000) {
            QVERIFY(count(db, QStringLiteral("select count(*) from D_手形 where 手形期日 < ?"), {kToday.addYears(-4)}) >
                    0);
            QVERIFY(count(db, QStringLiteral("select count(*) from D_手形 where 手形期日 > ?"), {kToday.addDays(90)}) >
                    0);
        }
    }

    void sameSeedSameBook_data()
    {
        QTest::addColumn<quint64>("first");
        QTest::addColumn<quint64>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("same seed") << quint64(5) << quint64(5) << true;
        QTest::newRow("other seed") << quint64(5) << quint64(6) << false;
    }

    void sameSeedSameBook()
    {
        QFETCH(quint64, first);
        QFETCH(quint64, second);
        QFETCH(bool, same);
        // One book after the other: the batch size only decides how often
        // the work is committed.
        QByteArray one, two;
        {
            AppFixture a;
            generate(a.db(), 1500, first, 400);
            one = fingerprint(a.db());
        }
        {
            AppFixture b;
            generate(b.db(), 1500, second, 1000);
            two = fingerprint(b.db());
        }
        QCOMPARE(one == two, same);
    }

    void refusedOverExistingData_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<qint64>("bills");
        QTest::newRow("a bill") << QStringLiteral("insert into D_手形(処理,手形番号) values(0,'A1')") << qint64(10);
        QTest::newRow("endorsers of a deleted bill")
            << QStringLiteral("insert into 裏書人(手形id,表示順,裏書人) values(99,1,'残った裏書人')") << qint64(10);
        QTest::newRow("a customer") << QStringLiteral("insert into T0(tc,tn) values('1001','本物の得意先')")
                                    << qint64(10);
        QTest::newRow("a supplier") << QStringLiteral("insert into S0(sc,sn) values('1','本物の仕入先')") << qint64(10);
        QTest::newRow("a storage place") << QStringLiteral("insert into 保管場所(保管場所) values('金庫')")
                                         << qint64(10);
        QTest::newRow("an account") << QStringLiteral("insert into 口座データ(kozano,口座種別) values(1,'当座')")
                                    << qint64(10);
        QTest::newRow("no bills asked for") << QString() << qint64(0);
        QTest::newRow("more than the limit") << QString() << book::kMaxGeneratedBills + 1;
    }

    void refusedOverExistingData()
    {
        QFETCH(QString, existing);
        QFETCH(qint64, bills);
        AppFixture f;
        if (!existing.isEmpty())
            f.db().execute(existing);
        const QList<qint64> before = tableCounts(f.db());
        QVERIFY_THROWS_EXCEPTION(DbError, generate(f.db(), bills, 1));
        QCOMPARE(tableCounts(f.db()), before);
        QVERIFY(!f.db().inTransaction());
    }

    // A disk that fills up at the 250th bill: the batches written before
    // stay whole, the failing one leaves nothing behind.
    void failureKeepsWholeBatches()
    {
        AppFixture f;
        Database &db = f.db();
        failWhen(db, QStringLiteral("full_disk"), QStringLiteral("after insert on D_手形"),
                 QStringLiteral("new.id >= 250"));
        QList<qint64> reported;
        QVERIFY_THROWS_EXCEPTION(DbError, generate(db, 1000, 1, 100, [&](qint64 n) { reported << n; }));
        QCOMPARE(reported, (QList<qint64>{100, 200}));
        QCOMPARE(count(db, QStringLiteral("select count(*) from D_手形")), 200);
        QCOMPARE(count(db, QStringLiteral("select count(*) from 裏書人 where 手形id not in (select id from D_手形)")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from T0")), 2000);
        QVERIFY(!db.inTransaction());
    }
};

QTEST_MAIN(TestGenerate)
#include "test_generate.moc"
