// The bill search as the book runs it: which bills land in 検索結果 for each
// criterion, what is copied, and what a failure leaves behind.

#include "search/SearchTest.h"

#include "book/Payables.h"
#include "book/Search.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;
using book::BillKind;
using book::DueSide;

Q_DECLARE_METATYPE(book::BillKind)
Q_DECLARE_METATYPE(book::DueSide)

namespace {

const QDate kToday(2026, 12, 7);

// Bills on both sides of today (2026-12-07), with numbers that hold the
// characters LIKE would otherwise take as wildcards.
void addBook(Database &db)
{
    const qint64 r123 = addBill(
        db,
        {.number = u"123"_qs, .due = QDate(2026, 11, 1), .code = u"C1"_qs, .drawer = u"甲社"_qs, .place = u"金庫"_qs});
    addBill(db, {.number = u"1245"_qs, .due = kToday, .code = u"C1"_qs, .drawer = u"乙社"_qs, .place = u"銀行"_qs});
    const qint64 r1299 =
        addBill(db, {.number = u"1299"_qs, .due = QDate(2026, 12, 20), .code = u"C2"_qs, .drawer = u"甲社"_qs});
    addBill(db, {.number = u"12"_qs, .due = kToday.addDays(-1), .code = u"C2"_qs});
    addBill(db, {.number = u"A12"_qs, .due = QDate(2027, 1, 10)});
    // A number an older program stored full-width, as it was typed.
    addBill(db, {.number = u"Ｆ－００１"_qs, .due = QDate(2027, 1, 10)});
    addBill(db, {.number = u"O'Hara-1"_qs, .code = u"C'1"_qs, .drawer = u"O'Hara"_qs});
    for (const char16_t *n : {u"50%", u"50X", u"5_1", u"5a1", u"7\\8", u"7x8"})
        addBill(db, {.number = QString::fromUtf16(n), .due = QDate(2027, 1, 1)});
    addBill(db, {.kind = 1, .number = u"123"_qs, .due = QDate(2026, 10, 1), .code = u"S1"_qs});
    addBill(db, {.kind = 1, .number = u"P-2"_qs, .due = QDate(2027, 2, 1), .code = u"S1"_qs});
    addBill(db, {.kind = 2,
                 .state = -2,
                 .number = u"1250"_qs,
                 .due = QDate(2027, 3, 1),
                 .code = u"C1"_qs,
                 .drawer = u"甲社"_qs,
                 .receiverCode = u"S2"_qs,
                 .receiver = u"受取商事"_qs});
    // 山田 endorsed the past-due 123 at two positions and the future 1299 once.
    addEndorser(db, r123, 1, u"山田"_qs);
    addEndorser(db, r123, 3, u"山田"_qs);
    addEndorser(db, r1299, 2, u"山田"_qs);
    addEndorser(db, r1299, 1, u"佐藤"_qs);
}

} // namespace

class TestSearchBook : public QObject {
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void copiedColumns();
    void newSearchReplacesOldResult();
    void failureKeepsPreviousResult();
    void dueLists_data();
    void dueLists();
};

void TestSearchBook::search_data()
{
    QTest::addColumn<BillKind>("kind");
    QTest::addColumn<DueSide>("side");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("drawer");
    QTest::addColumn<QString>("endorser");
    QTest::addColumn<QStringList>("found");

    const auto R = BillKind::Receivable;
    const auto P = BillKind::Payable;
    const auto before = DueSide::NotYetDue;
    const auto after = DueSide::PastDue;
    const auto both = DueSide::Both;
    const QString none;

    QTest::newRow("12* past due") << R << after << u"12*"_qs << none << none << none << none
                                  << QStringList{u"12"_qs, u"123"_qs};
    QTest::newRow("12* not yet due, today included")
        << R << before << u"12*"_qs << none << none << none << none << QStringList{u"1245"_qs, u"1299"_qs};
    QTest::newRow("exact 123 ignores not-yet-due")
        << R << before << u"123"_qs << none << none << none << none << QStringList{u"123"_qs};
    QTest::newRow("exact future number ignores past-due")
        << R << after << u"1299"_qs << none << none << none << none << QStringList{u"1299"_qs};
    QTest::newRow("exact number, letters in any case")
        << R << after << u"a12"_qs << none << none << none << none << QStringList{u"A12"_qs};
    QTest::newRow("exact number of the other kind is not found")
        << P << both << u"1245"_qs << none << none << none << none << QStringList{};
    QTest::newRow("due today counts as not yet due")
        << R << before << none << u"C1"_qs << none << none << none << QStringList{u"1245"_qs};
    QTest::newRow("due today is not past due")
        << R << after << none << u"C1"_qs << none << none << none << QStringList{u"123"_qs};
    QTest::newRow("every field empty, both: every receivable bill")
        << R << both << none << none << none << none << none
        << QStringList{u"12"_qs,  u"123"_qs,  u"1245"_qs, u"1299"_qs, u"50%"_qs,      u"50X"_qs,       u"5_1"_qs,
                       u"5a1"_qs, u"7\\8"_qs, u"7x8"_qs,  u"A12"_qs,  u"O'Hara-1"_qs, u"Ｆ－００１"_qs};
    QTest::newRow("every field empty, both: issued and handed-on bills")
        << P << both << none << none << none << none << none << QStringList{u"123"_qs, u"1250"_qs, u"P-2"_qs};
    QTest::newRow("no due date: only with both")
        << R << before << u"O*"_qs << none << none << none << none << QStringList{};
    QTest::newRow("? is one character") << R << both << u"12??"_qs << none << none << none << none
                                        << QStringList{u"1245"_qs, u"1299"_qs};
    QTest::newRow("* and ? together") << R << both << u"?1*"_qs << none << none << none << none
                                      << QStringList{u"A12"_qs};
    QTest::newRow("% typed matches itself")
        << R << both << u"5?%"_qs << none << none << none << none << QStringList{u"50%"_qs};
    QTest::newRow("% alone is no wildcard")
        << R << both << u"50%"_qs << none << none << none << none << QStringList{u"50%"_qs};
    QTest::newRow("_ typed matches itself")
        << R << both << u"5_*"_qs << none << none << none << none << QStringList{u"5_1"_qs};
    QTest::newRow("backslash typed matches itself")
        << R << both << u"7\\*"_qs << none << none << none << none << QStringList{u"7\\8"_qs};
    QTest::newRow("apostrophe in a pattern")
        << R << both << u"O'H*"_qs << none << none << none << none << QStringList{u"O'Hara-1"_qs};
    QTest::newRow("apostrophe in code and drawer")
        << R << both << none << u"C'1"_qs << none << u"O'Hara"_qs << none << QStringList{u"O'Hara-1"_qs};
    QTest::newRow("customer code") << R << both << none << u"C2"_qs << none << none << none
                                   << QStringList{u"12"_qs, u"1299"_qs};
    QTest::newRow("supplier code finds the bills handed on to the supplier")
        << P << both << none << u"S2"_qs << none << none << none << QStringList{u"1250"_qs};
    QTest::newRow("a customer's code is no supplier's in a payable search")
        << P << both << none << u"C1"_qs << none << none << none << QStringList{};
    QTest::newRow("number typed full-width")
        << R << both << u"Ａ１２"_qs << none << none << none << none << QStringList{u"A12"_qs};
    QTest::newRow("full-width number stored as typed before")
        << R << both << u"Ｆ－００１"_qs << none << none << none << none << QStringList{u"Ｆ－００１"_qs};
    QTest::newRow("full-width pattern stored as typed before")
        << R << both << u"Ｆ－*"_qs << none << none << none << none << QStringList{u"Ｆ－００１"_qs};
    QTest::newRow("payable pattern typed full-width")
        << P << both << u"Ｐ－＊"_qs << none << none << none << none << QStringList{u"P-2"_qs};
    QTest::newRow("storage place") << R << both << none << none << u"金庫"_qs << none << none << QStringList{u"123"_qs};
    QTest::newRow("storage place takes no part in a payable search")
        << P << both << none << u"S1"_qs << u"金庫"_qs << none << none << QStringList{u"123"_qs, u"P-2"_qs};
    QTest::newRow("drawer with pattern") << R << both << u"12*"_qs << none << none << u"甲社"_qs << none
                                         << QStringList{u"123"_qs, u"1299"_qs};
    QTest::newRow("payable drawer finds the handed-on bill")
        << P << both << none << none << none << u"甲社"_qs << none << QStringList{u"1250"_qs};
    QTest::newRow("endorser on two positions is found once")
        << R << both << none << none << none << none << u"山田"_qs << QStringList{u"123"_qs, u"1299"_qs};
    QTest::newRow("endorser and past due")
        << R << after << none << none << none << none << u"山田"_qs << QStringList{u"123"_qs};
    QTest::newRow("endorsed bills that miss the other criteria")
        << R << before << none << u"C1"_qs << none << none << u"山田"_qs << QStringList{};
    QTest::newRow("endorser who endorsed no bill")
        << R << both << none << none << none << none << u"鈴木"_qs << QStringList{};
    QTest::newRow("endorser of receivable bills in a payable search")
        << P << both << none << none << none << none << u"佐藤"_qs << QStringList{};
}

void TestSearchBook::search()
{
    QFETCH(BillKind, kind);
    QFETCH(DueSide, side);
    QFETCH(QString, number);
    QFETCH(QString, code);
    QFETCH(QString, place);
    QFETCH(QString, drawer);
    QFETCH(QString, endorser);
    QFETCH(QStringList, found);

    AppFixture f;
    addBook(f.db());
    const book::SearchCriteria c{kind, side, number, code, place, drawer, endorser};
    QCOMPARE(book::searchBills(f.db(), c, kToday), found.size());
    QCOMPARE(foundNumbers(f.db()), found);
    // Every row carries its bill's kind.
    const int wrongKind =
        f.db()
            .scalar(kind == BillKind::Receivable ? u"select count(*) from 検索結果 where 処理 <> 0"_qs
                                                 : u"select count(*) from 検索結果 where 処理 not in (1,2)"_qs)
            .toInt();
    QCOMPARE(wrongKind, 0);
}

void TestSearchBook::copiedColumns()
{
    AppFixture f;
    addBook(f.db());
    const auto row = [&f](const QString &columns) {
        Recordset rs = f.db().openRecordset(u"select "_qs + columns + u" from 検索結果 order by 手形番号"_qs);
        QStringList rows;
        for (; !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (const QString &c : rs.columns())
                cells << (rs.isNull(c) ? u"NULL"_qs : rs.text(c));
            rows << cells.join(u'|');
        }
        return rows;
    };

    book::searchBills(f.db(), {BillKind::Payable, DueSide::Both, u"*"_qs, {}, {}, {}, {}}, kToday);
    // A handed-on bill keeps its receiver; an issued one its account.
    QCOMPARE(row(u"手形番号,処理,kozano,予約口座id,譲渡先コード,譲渡先,手形期日,金額"_qs),
             (QStringList{u"123|1|3|7|NULL|NULL|2026-10-01|0"_qs, u"1250|2|0|0|S2|受取商事|2027-03-01|0"_qs,
                          u"P-2|1|3|7|NULL|NULL|2027-02-01|0"_qs}));

    // The result line of a handed-on bill names the supplier who received
    // it, not the customer it came from.
    QStringList parties;
    for (const book::PayableLine &l : book::payableResultLinesOf(f.db(), book::payableResultIds(f.db())))
        parties << l.手形番号 + u'|' + l.取引先;
    parties.sort();
    QCOMPARE(parties, (QStringList{u"123|"_qs, u"1250|受取商事"_qs, u"P-2|"_qs}));

    book::searchBills(f.db(), {BillKind::Receivable, DueSide::PastDue, u"12*"_qs, {}, {}, {}, {}}, kToday);
    QCOMPARE(row(u"手形番号,処理,取引先コード,振出人,保管場所,注意フラグ,日付"_qs),
             (QStringList{u"12|0|C2|NULL||1|2026-11-02"_qs, u"123|0|C1|甲社|金庫|1|2026-11-02"_qs}));
}

void TestSearchBook::newSearchReplacesOldResult()
{
    AppFixture f;
    addBook(f.db());
    QCOMPARE(book::searchBills(f.db(), {BillKind::Payable, DueSide::Both, {}, {}, {}, {}, {}}, kToday), 3);
    // A search that finds nothing still empties the table.
    QCOMPARE(book::searchBills(f.db(), {BillKind::Receivable, DueSide::Both, u"none"_qs, {}, {}, {}, {}}, kToday), 0);
    QCOMPARE(f.db().scalar(u"select count(*) from 検索結果"_qs).toInt(), 0);
}

void TestSearchBook::failureKeepsPreviousResult()
{
    AppFixture f;
    addBook(f.db());
    QCOMPARE(book::searchBills(f.db(), {BillKind::Receivable, DueSide::Both, u"12*"_qs, {}, {}, {}, {}}, kToday), 4);
    failWhen(f.db(), u"boom"_qs, u"before insert on 検索結果"_qs, u"new.手形番号 = 'A12'"_qs, u"disk full"_qs);
    bool failed = false;
    try {
        book::searchBills(f.db(), {BillKind::Receivable, DueSide::Both, u"*12"_qs, {}, {}, {}, {}}, kToday);
    } catch (const DbError &e) {
        failed = e.description().contains(u"disk full"_qs);
    }
    QVERIFY(failed);
    QCOMPARE(foundNumbers(f.db()), (QStringList{u"12"_qs, u"123"_qs, u"1245"_qs, u"1299"_qs}));
    QVERIFY(!f.db().inTransaction());
}

Q_DECLARE_METATYPE(book::DueList)

void TestSearchBook::dueLists_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<book::DueList>("list");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("in hand, 14 days") << 14 << book::DueList::InHand
                                      << QStringList{u"today"_qs, u"today+3"_qs, u"today+14"_qs};
    QTest::newRow("issued, 14 days") << 14 << book::DueList::Issued << QStringList{u"issued"_qs, u"issued2"_qs};
    QTest::newRow("dishonoured, 14 days") << 14 << book::DueList::Dishonoured << QStringList{u"dishonoured"_qs};
    QTest::newRow("in hand, 0 days") << 0 << book::DueList::InHand << QStringList{u"today"_qs};
    QTest::newRow("issued, 0 days") << 0 << book::DueList::Issued << QStringList{};
}

void TestSearchBook::dueLists()
{
    QFETCH(int, days);
    QFETCH(book::DueList, list);
    QFETCH(QStringList, numbers);
    AppFixture f;
    Database &db = f.db();
    addBill(db, {.number = u"today+14"_qs, .due = kToday.addDays(14)});
    addBill(db, {.number = u"today+3"_qs, .due = kToday.addDays(3)});
    addBill(db, {.number = u"today"_qs, .due = kToday});
    addBill(db, {.number = u"yesterday"_qs, .due = kToday.addDays(-1)});
    addBill(db, {.number = u"today+15"_qs, .due = kToday.addDays(15)});
    addBill(db, {.number = u"no date"_qs});
    addBill(db, {.state = 2, .number = u"dishonoured"_qs, .due = kToday.addDays(2)});
    addBill(db, {.kind = 2, .state = -2, .number = u"handed on"_qs, .due = kToday});
    addBill(db, {.kind = 1, .state = 2, .number = u"issued2"_qs, .due = kToday.addDays(5)});
    addBill(db, {.kind = 1, .number = u"issued"_qs, .due = kToday.addDays(1)});

    QStringList got;
    for (const book::DueBill &b : book::billsDue(db, list, kToday, kToday.addDays(days)))
        got << b.number;
    QCOMPARE(got, numbers);
}

QTEST_MAIN(TestSearchBook)
#include "test_search_book.moc"
