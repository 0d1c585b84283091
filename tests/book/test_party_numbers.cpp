// The 登録番号 and 法人番号 of customers and suppliers: what is taken as
// typed, and that a party keeps its number through the register's saves.

#include "support/TestSupport.h"

#include "book/Registers.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

class TestPartyNumbers : public QObject {
    Q_OBJECT
private slots:
    void typedNumbers_data();
    void typedNumbers();
    void partiesKeepTheirNumbers_data();
    void partiesKeepTheirNumbers();
};

void TestPartyNumbers::typedNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // empty with a problem: refused
    QTest::addColumn<QString>("problem"); // a part of the message
    QTest::newRow("登録番号") << u"T7123456789012"_qs << u"T7123456789012"_qs << QString();
    QTest::newRow("登録番号 typed full-width with a small t")
        << u"ｔ７１２３４５６７８９０１２"_qs << u"T7123456789012"_qs << QString();
    QTest::newRow("hyphens and spaces") << u" T-7123-4567-89012 "_qs << u"T7123456789012"_qs << QString();
    QTest::newRow("法人番号") << u"7000012050002"_qs << u"7000012050002"_qs << QString();
    QTest::newRow("法人番号 full-width") << u"７０００ ０１２０ ５０００２"_qs << u"7000012050002"_qs << QString();
    QTest::newRow("not known") << u"  "_qs << QString() << QString();
    QTest::newRow("法人番号 with a wrong check digit")
        << u"8000012050002"_qs << QString() << u"法人番号「8000012050002」は正しくありません"_qs;
    QTest::newRow("twelve digits") << u"700001205000"_qs << QString() << u"13 桁の数字"_qs;
    QTest::newRow("T and twelve digits") << u"T712345678901"_qs << QString() << u"T と 13 桁の数字"_qs;
    QTest::newRow("letters") << u"T71234567890AB"_qs << QString() << u"（入力されたもの「T71234567890AB」）"_qs;
    QTest::newRow("another letter") << u"X7123456789012"_qs << QString() << u"登録番号は T と 13 桁"_qs;
}

void TestPartyNumbers::typedNumbers()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, problem);
    QString why;
    const std::optional<QString> got = book::readPartyNumber(typed, &why);
    if (problem.isEmpty()) {
        QVERIFY2(got.has_value(), qPrintable(why));
        QCOMPARE(*got, stored);
    } else {
        QVERIFY(!got.has_value());
        QVERIFY2(why.contains(problem), qPrintable(why));
    }
}

void TestPartyNumbers::partiesKeepTheirNumbers_data()
{
    QTest::addColumn<bool>("customer");
    QTest::newRow("customers") << true;
    QTest::newRow("suppliers") << false;
}

void TestPartyNumbers::partiesKeepTheirNumbers()
{
    QFETCH(bool, customer);
    AppFixture f;
    const book::PartyTable &t = customer ? book::customerTable() : book::supplierTable();
    book::saveParty(f.db(), t, u"A1"_qs, u"青葉商事"_qs, false, u"T7123456789012"_qs);
    book::saveParty(f.db(), t, u"B2"_qs, u"北斗"_qs, false);
    const auto seen = [&] {
        QStringList out;
        for (const book::PartyRow &r : book::readParties(f.db(), t))
            out << r.code + u'|' + r.name + u'|' + r.number;
        return out;
    };
    QCOMPARE(seen(), (QStringList{u"A1|青葉商事|T7123456789012"_qs, u"B2|北斗|"_qs}));
    // A save of the register writes the number it shows.
    book::saveParty(f.db(), t, u"A1"_qs, u"青葉商事株式会社"_qs, true, u"7000012050002"_qs);
    QCOMPARE(book::setPartyNumber(f.db(), t, u"B2"_qs, u"T9010401012345"_qs), 1);
    QCOMPARE(seen(), (QStringList{u"A1|青葉商事株式会社|7000012050002"_qs, u"B2|北斗|T9010401012345"_qs}));
    QCOMPARE(book::setPartyNumber(f.db(), t, u"A1"_qs, QString()), 1);
    QCOMPARE(book::setPartyNumber(f.db(), t, u"ZZ"_qs, u"T9010401012345"_qs), 0);
    QCOMPARE(seen(), (QStringList{u"A1|青葉商事株式会社|"_qs, u"B2|北斗|T9010401012345"_qs}));
}

QTEST_MAIN(TestPartyNumbers)
#include "test_party_numbers.moc"
