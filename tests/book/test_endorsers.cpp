// Endorser rows of a bill: written at their slot's position, replaced as a
// block, and never half-written when a statement fails.

#include "support/PrivateServer.h"
#include "support/TestSupport.h"

#include "book/Endorsers.h"
#include "data/Engine.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QStringList rows(Database &db, qint64 bill)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select 表示順,裏書人,裏書人住所 from 裏書人 where 手形id=? order by 表示順"), {bill});
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << QStringLiteral("%1|%2|%3")
                   .arg(rs.number(QStringLiteral("表示順")))
                   .arg(rs.text(QStringLiteral("裏書人")), rs.text(QStringLiteral("裏書人住所")));
    return out;
}

// Makes every insert of the given endorser name fail, as a full disk or a
// locked file would fail the statement.
void failOn(Database &db, const QString &name)
{
    test::failWhen(db, QStringLiteral("fail_endorser"), QStringLiteral("before insert on 裏書人"),
                   QStringLiteral("new.裏書人 = '%1'").arg(name));
}

book::EndorserSlots slotsOf(std::initializer_list<std::pair<const char16_t *, const char16_t *>> given)
{
    book::EndorserSlots s;
    for (const auto &[name, address] : given)
        s.append({QString::fromUtf16(name), QString::fromUtf16(address)});
    return s;
}

} // namespace

class TestEndorsers : public QObject {
    Q_OBJECT
private slots:
    void write_data();
    void write();
    void failureWritesNothing_data();
    void failureWritesNothing();
    void readBackInPositionOrder();
};

void TestEndorsers::write_data()
{
    QTest::addColumn<book::EndorserSlots>("given");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("slots 1 and 3 keep their positions")
        << slotsOf({{u"甲", u"東京"}, {u"", u""}, {u"丙", u""}, {u"", u""}})
        << QStringList{u"1|甲|東京"_qs, u"3|丙|"_qs};
    QTest::newRow("an address without a name is not written")
        << slotsOf({{u"", u"大阪"}, {u"乙", u"京都"}}) << QStringList{u"2|乙|京都"_qs};
    QTest::newRow("apostrophes are stored as typed")
        << slotsOf({{u"O'Hara", u"1 King's Rd"}}) << QStringList{u"1|O'Hara|1 King's Rd"_qs};
    QTest::newRow("a fifth slot is never written")
        << slotsOf({{u"1", u""}, {u"2", u""}, {u"3", u""}, {u"4", u""}, {u"5", u""}})
        << QStringList{u"1|1|"_qs, u"2|2|"_qs, u"3|3|"_qs, u"4|4|"_qs};
}

void TestEndorsers::write()
{
    QFETCH(book::EndorserSlots, given);
    QFETCH(QStringList, stored);
    AppFixture f;
    book::writeEndorsers(f.db(), 7, given);
    QCOMPARE(rows(f.db(), 7), stored);
    // Replacing with the same slots gives the same rows, not twice as many.
    book::replaceEndorsers(f.db(), 7, given);
    QCOMPARE(rows(f.db(), 7), stored);
    QCOMPARE(rows(f.db(), 8), QStringList());
}

void TestEndorsers::failureWritesNothing_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("new bill") << false;
    QTest::newRow("replacing a bill's rows") << true;
}

void TestEndorsers::failureWritesNothing()
{
    QFETCH(bool, replace);
    AppFixture f;
    book::writeEndorsers(f.db(), 3, slotsOf({{u"旧一", u""}, {u"旧二", u"旧住所"}}));
    const QStringList before = rows(f.db(), 3);
    failOn(f.db(), QStringLiteral("壊"));

    const book::EndorserSlots given = slotsOf({{u"新一", u""}, {u"新二", u""}, {u"壊", u""}});
    QVERIFY_THROWS_EXCEPTION(DbError, replace ? book::replaceEndorsers(f.db(), 3, given)
                                              : book::writeEndorsers(f.db(), 4, given));
    // The first two inserts ran before the failure: none of them may stay.
    QCOMPARE(rows(f.db(), 3), before);
    QCOMPARE(rows(f.db(), 4), QStringList());
    QVERIFY(!f.db().inTransaction());
    // The database goes on working afterwards.
    book::writeEndorsers(f.db(), 4, slotsOf({{u"後", u""}}));
    QCOMPARE(rows(f.db(), 4), QStringList{u"1|後|"_qs});
}

void TestEndorsers::readBackInPositionOrder()
{
    AppFixture f;
    // Rows as another program might have left them: out of order, with gaps.
    for (const auto &[pos, name] : std::initializer_list<std::pair<int, const char16_t *>>{
             {4, u"丁"}, {1, u"甲"}, {3, u"丙"}})
        f.db().execute(QStringLiteral("insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(9,?,?,?)"),
                       {pos, QString::fromUtf16(name), QStringLiteral("住所") + QString::fromUtf16(name)});
    QCOMPARE(book::endorserNames(f.db(), 9), (QStringList{u"甲"_qs, u"丙"_qs, u"丁"_qs}));
    const QList<book::Endorser> all = book::endorsersOf(f.db(), 9);
    QCOMPARE(all.size(), 3);
    QCOMPARE(all.at(1).address, u"住所丙"_qs);
}

QTEST_GUILESS_MAIN(TestEndorsers)
#include "test_endorsers.moc"
