// Several clerks on one server book at the same time, each a process of its
// own: two register 5,000 bills with endorsers each while a third corrects
// and hands bills on. Nothing may be lost, doubled or silently overwritten.

#include "support/TestSupport.h"

#include "data/Engine.h"
#include "data/Schema.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

class TestConcurrency : public QObject {
    Q_OBJECT
private slots:
    void clerksAtOnce();
};

void TestConcurrency::clerksAtOnce()
{
    constexpr int kEach = 5000;
    constexpr int kRounds = 300;
    PrivateServer &server = PrivateServer::instance();
    server.createDatabase(QStringLiteral("clerks"));
    const ServerAddress address = server.address(QStringLiteral("clerks"));
    Database db(address);
    schema::createMainSchema(db);
    db.execute(u"insert into T0(tc,tn) values('C1','得意先')"_qs);
    const qint64 customer = db.lastInsertId();
    db.execute(
        u"insert into T1(idoft,振出人,支払場所,支払場所支店,最終手形番号) values(?,'振出商事','南北銀行','本店','N000000')"_qs,
        {customer});

    QTemporaryDir dir;
    const QString log = dir.filePath(u"corrections.log"_qs);
    const QString url = address.url();
    QList<QProcess *> clerks;
    for (const QStringList &args : {QStringList{u"register"_qs, url, u"1"_qs, u"2"_qs, QString::number(kEach)},
                                    QStringList{u"register"_qs, url, u"2"_qs, u"2"_qs, QString::number(kEach)},
                                    QStringList{u"correct"_qs, url, QString::number(kRounds), log}}) {
        auto *p = new QProcess(this);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(SORVANE_CLERK_EXE), args);
        QVERIFY(p->waitForStarted());
        clerks << p;
    }
    for (QProcess *p : clerks) {
        QVERIFY(p->waitForFinished(600000));
        QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0, p->readAll().constData());
    }

    // Every bill is there once, with exactly its own two endorsers.
    QCOMPARE(db.scalar(u"select count(*) from D_手形"_qs).toInt(), 2 * kEach);
    QCOMPARE(db.scalar(u"select count(distinct 手形番号) from D_手形"_qs).toInt(), 2 * kEach);
    QCOMPARE(db.scalar(u"select count(*) from 裏書人"_qs).toInt(), 4 * kEach);
    QCOMPARE(db.scalar(u"select count(*) from 裏書人 e join D_手形 d on d.id = e.手形id "
                       "where e.裏書人 = d.手形番号 || '-' || e.表示順"_qs)
                 .toInt(),
             4 * kEach);
    // The two registrars' numbers interleave; the proposal ends at the highest.
    QCOMPARE(db.scalar(u"select 最終手形番号 from T1"_qs).toString(), u"N010000"_qs);

    // Each correction the log calls saved is on the bill, unless a later one
    // or the hand-on changed it; every refused one was reported and never landed.
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QMap<qint64, QString> lastSaved;
    QSet<qint64> handedOn, refusedHandOn;
    int conflicts = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.value(0) == "saved")
            lastSaved[f.value(1).toLongLong()] = QString::fromUtf8(f.value(2));
        else if (f.value(0) == "conflict")
            ++conflicts;
        else if (f.value(0) == "handon")
            handedOn << f.value(1).toLongLong();
        else if (f.value(0) == "refused")
            refusedHandOn << f.value(1).toLongLong();
    }
    QCOMPARE(conflicts, kRounds);
    QCOMPARE(lastSaved.size(), kRounds);
    QCOMPARE(refusedHandOn, handedOn);
    QCOMPARE(handedOn.size(), (kRounds + 2) / 3);
    for (auto it = lastSaved.cbegin(); it != lastSaved.cend(); ++it) {
        Recordset rs =
            db.openRecordset(u"select 保管場所,処理,譲渡先コード,更新回数 from D_手形 where id=?"_qs, {it.key()});
        QVERIFY(!rs.eof());
        if (handedOn.contains(it.key())) {
            QCOMPARE(rs.number(u"処理"_qs), 2);
            QCOMPARE(rs.text(u"譲渡先コード"_qs), u"SA"_qs);
            QCOMPARE(rs.number(u"更新回数"_qs), 3);
        } else {
            QCOMPARE(rs.text(u"保管場所"_qs), it.value());
            QCOMPARE(rs.number(u"更新回数"_qs), 2);
        }
    }
    QCOMPARE(db.scalar(u"select count(*) from D_手形 where 保管場所 like 'X%' or 譲渡先コード = 'SB'"_qs).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestConcurrency)
#include "test_concurrency.moc"
