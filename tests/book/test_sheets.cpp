// Sheets of figures as files and lists on paper: the CSV a spreadsheet
// opens (BOM, quoting, numbers without separators), written whole or not
// at all, and the two bill lists in their order with their totals.

#include "support/ReportBills.h"
#include "support/TestSupport.h"

#include "book/ListSheets.h"
#include "book/Sheet.h"
#include "data/Engine.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Bills are written with designated initializers; the members left out keep
// their defaults on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace sorvane;
using namespace sorvane::test;

namespace {

book::Sheet sample(const QList<QStringList> &rows, const QStringList &totals = {})
{
    book::Sheet s;
    s.title = u"試し"_qs;
    s.columns = {{u"月"_qs, {}, false, 10}, {u"件数"_qs, u"手元"_qs, true, 10}, {u"金額"_qs, u"手元"_qs, true, 10}};
    s.rows = rows;
    s.totals = totals;
    return s;
}

} // namespace

class TestSheets : public QObject {
    Q_OBJECT
private slots:
    void csv_data();
    void csv();
    void csvWrittenWholeOrNotAtAll();
    void billLists();
};

void TestSheets::csv_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QStringList>("totals");
    QTest::addColumn<QString>("text");

    const QString header = u"月,手元 件数,手元 金額\r\n"_qs;
    QTest::newRow("no rows: the header alone") << QList<QStringList>{} << QStringList{} << header;
    QTest::newRow("numbers lose their separators, signs stay")
        << QList<QStringList>{{u"2026/12"_qs, u"1,234"_qs, u"-1,234,567"_qs}} << QStringList{}
        << header + u"2026/12,1234,-1234567\r\n"_qs;
    QTest::newRow("commas, quotes and line breaks are quoted")
        << QList<QStringList>{{u"甲,乙"_qs, u"1"_qs, u"2"_qs}, {u"\"株\"\n本店"_qs, u"3"_qs, u"4"_qs}} << QStringList{}
        << header + u"\"甲,乙\",1,2\r\n\"\"\"株\"\"\n本店\",3,4\r\n"_qs;
    QTest::newRow("the totals come last")
        << QList<QStringList>{{u"2027/01"_qs, u"2"_qs, u"30,000"_qs}} << QStringList{u"合計"_qs, u"2"_qs, u"30,000"_qs}
        << header + u"2027/01,2,30000\r\n合計,2,30000\r\n"_qs;
}

void TestSheets::csv()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QStringList, totals);
    QFETCH(QString, text);
    const QByteArray bytes = book::sheetCsv(sample(rows, totals));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)), text);
}

void TestSheets::csvWrittenWholeOrNotAtAll()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"集計.csv"_qs);
    book::writeSheetCsv(sample({{u"a"_qs, u"1"_qs, u"2"_qs}}), file);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), book::sheetCsv(sample({{u"a"_qs, u"1"_qs, u"2"_qs}})));

    // A missing folder: a reason, and nothing written.
    const QString lost = dir.filePath(u"無い/集計.csv"_qs);
    try {
        book::writeSheetCsv(sample({}), lost);
        QFAIL("written into a missing folder");
    } catch (const DbError &e) {
        QVERIFY2(e.description().startsWith(u"保存先のフォルダーがありません"_qs), qPrintable(e.description()));
    }
    QVERIFY(!QFile::exists(lost));
}

void TestSheets::billLists()
{
    AppFixture f;
    Database &db = f.db();
    f.db().execute(QStringLiteral("insert into 口座データ(kozano,銀行名,支店名) values(1,'東西銀行','本店')"));
    const qint64 account = db.lastInsertId();
    const qint64 a = insertBill(db, {.処理 = 0,
                                     .番号 = u"A1"_qs,
                                     .取引先 = u"甲"_qs,
                                     .振出人 = u"甲工業"_qs,
                                     .振出日 = QDate(2026, 9, 1),
                                     .期日 = QDate(2027, 1, 5),
                                     .金額 = 120000,
                                     .銀行 = u"南銀行"_qs,
                                     .支店 = u"駅前"_qs});
    const qint64 d = insertBill(
        db, {.処理 = 0, .状態 = 2, .番号 = u"D1"_qs, .取引先 = u"乙"_qs, .期日 = QDate(2026, 12, 1), .金額 = 5000});
    const qint64 p = insertBill(db, {.処理 = 1,
                                     .番号 = u"P1"_qs,
                                     .取引先 = u"仕入"_qs,
                                     .期日 = QDate(2027, 2, 1),
                                     .金額 = 70000,
                                     .kozano = 1,
                                     .口座id = account});
    const qint64 h = insertBill(db, {.処理 = 2,
                                     .状態 = -2,
                                     .番号 = u"H1"_qs,
                                     .取引先 = u"丙"_qs,
                                     .振出人 = u"丙商店"_qs,
                                     .期日 = QDate(2027, 3, 1),
                                     .金額 = 9000,
                                     .銀行 = u"北銀行"_qs,
                                     .譲渡先 = u"材料屋"_qs});
    const QDate today(2026, 12, 7);

    // In the keys' order; a key whose bill is gone is left out.
    const book::Sheet r = book::receivableListSheet(db, {d, 999, a}, today);
    QCOMPARE(r.title, u"受取手形一覧"_qs);
    QCOMPARE(r.subtitle, u"2026/12/07 現在　2 件"_qs);
    QCOMPARE(r.rows, (QList<QStringList>{{u"2026/12/01"_qs, u"D1"_qs, u"乙"_qs, QString(), QString(), QString(),
                                          u"5,000"_qs, QString(), u"不渡"_qs},
                                         {u"2027/01/05"_qs, u"A1"_qs, u"甲"_qs, u"甲工業"_qs, u"南銀行 駅前"_qs,
                                          u"2026/09/01"_qs, u"120,000"_qs, QString(), QString()}}));
    QCOMPARE(r.totals.at(1), u"2 件"_qs);
    QCOMPARE(r.totals.at(6), u"125,000"_qs);

    const book::Sheet s = book::payableListSheet(db, {p, h}, today);
    QCOMPARE(s.rows, (QList<QStringList>{{u"振出"_qs, u"2027/02/01"_qs, u"P1"_qs, u"仕入"_qs, u"自社"_qs,
                                          u"東西銀行 本店"_qs, QString(), u"70,000"_qs},
                                         {u"譲渡"_qs, u"2027/03/01"_qs, u"H1"_qs, u"材料屋"_qs, u"丙商店"_qs,
                                          u"北銀行"_qs, QString(), u"9,000"_qs}}));
    QCOMPARE(s.totals, (QStringList{u"合計"_qs, u"2 件"_qs, QString(), u"振出 70,000"_qs, u"譲渡 9,000"_qs, QString(),
                                    QString(), u"79,000"_qs}));
}

QTEST_MAIN(TestSheets)
#include "test_sheets.moc"
