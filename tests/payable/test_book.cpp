// The payable bills in the book, without a window: the hand-on and its
// cancelling, issuing, deleting with the account plan, and what each list reads.

#include "PayableTest.h"

#include "book/Payables.h"

using namespace sorvane;
using namespace sorvane::test;

namespace {

QList<qint64> candidateIds(Database &db)
{
    QList<qint64> ids;
    for (const book::Candidate &c : book::candidates(db))
        ids << c.id;
    return ids;
}

// Makes any statement that writes the value into the column fail.
void failOn(Database &db, const QString &table, const QString &event, const QString &condition)
{
    test::failWhen(db, QStringLiteral("fail_%1").arg(qHash(table + event + condition)),
                   QStringLiteral("before %1 on %2").arg(event, table), condition, QStringLiteral("書き込みに失敗しました"));
}

} // namespace

class TestPayables : public QObject {
    Q_OBJECT
private slots:
    void handOnOnlyOfCandidates_data();
    void handOnOnlyOfCandidates();
    void candidatesAndListsReadTheirRows();
    void issueWritesBillAndLastNumber();
    void issueIsOneTransaction_data();
    void issueIsOneTransaction();
    void deleteInvalidatesPlan_data();
    void deleteInvalidatesPlan();
    void previousIssueIsTheLatest();
};

void TestPayables::handOnOnlyOfCandidates_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("reserved");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<bool>("changes");
    QTest::newRow("in hand") << 0 << 0 << false << false << true;
    QTest::newRow("reserved") << 0 << 0 << true << false << false;
    QTest::newRow("dishonoured") << 0 << 2 << false << false << false;
    QTest::newRow("finished") << 0 << 0 << false << true << false;
    QTest::newRow("already handed on") << 2 << -2 << true << false << false;
    QTest::newRow("issued bill") << 1 << 0 << false << false << false;
}

void TestPayables::handOnOnlyOfCandidates()
{
    QFETCH(int, kind);
    QFETCH(int, state);
    QFETCH(bool, reserved);
    QFETCH(bool, finished);
    QFETCH(bool, changes);
    AppFixture f;
    const qint64 id = addReceived(f.db(), {.state = state, .reserved = reserved, .finished = finished, .kind = kind});
    const auto before = billRow(f.db(), id);
    QCOMPARE(candidateIds(f.db()).contains(id), changes);
    QCOMPARE(book::candidateBill(f.db(), id).has_value(), changes);
    QCOMPARE(book::handOnBill(f.db(), id, QDate(2026, 12, 7), QStringLiteral("S1"), QStringLiteral("仕入")), changes);
    QCOMPARE(billRow(f.db(), id) == before, !changes);
    // A bill that is gone is no candidate either.
    QVERIFY(!book::handOnBill(f.db(), id + 100, QDate(2026, 12, 7), QStringLiteral("S1"), QStringLiteral("仕入")));
}

void TestPayables::candidatesAndListsReadTheirRows()
{
    AppFixture f;
    const qint64 late = addReceived(f.db(), {.due = QDate(2005, 1, 10)});
    const qint64 noDue = addReceived(f.db(), {.due = QDate()});
    const qint64 early = addReceived(f.db(), {.due = QDate(2004, 9, 1)});
    addReceived(f.db(), {.reserved = true});
    addReceived(f.db(), {.finished = true});
    const qint64 handed = addReceived(f.db(), {.due = QDate(2004, 12, 1), .kind = 2});
    const qint64 issued = addReceived(f.db(), {.due = QDate(2004, 11, 1), .kind = 1});
    addReceived(f.db(), {.due = QDate(2004, 11, 2), .finished = true, .kind = 1});

    // A bill without due date comes first, then by due date.
    QCOMPARE(candidateIds(f.db()), (QList<qint64>{noDue, early, late}));
    QList<qint64> listed;
    for (const book::PayableLine &l : book::payableLines(f.db()))
        listed << l.id;
    QCOMPARE(listed, (QList<qint64>{issued, handed}));

    // The search's work table: only payable rows that are not finished, by the found bill's id.
    const QString insert =
        QStringLiteral("insert into 検索結果(手形id,処理,手形番号,手形期日,金額,取引先,終了フラグ,譲渡先コード,譲渡先) "
                       "values(?,?,?,?,?,?,?,?,?)");
    f.db().execute(insert, {501, 0, u"A"_qs, QDate(2004, 1, 1), 1, u"x"_qs, 0, QVariant(), QVariant()});
    f.db().execute(insert, {502, 2, u"B"_qs, QDate(2004, 3, 1), 2, u"y"_qs, 0, u"S9"_qs, u"受取人"_qs});
    f.db().execute(insert, {503, 1, u"C"_qs, QDate(2004, 2, 1), 3, u"z"_qs, 0, QVariant(), QVariant()});
    f.db().execute(insert, {504, 1, u"D"_qs, QDate(2004, 1, 2), 4, u"w"_qs, 1, QVariant(), QVariant()});
    QList<qint64> found;
    for (const book::PayableLine &l : book::payableResultLines(f.db()))
        found << l.id;
    QCOMPARE(found, (QList<qint64>{503, 502}));
    const auto handedOn = book::payableResult(f.db(), 502);
    QVERIFY(handedOn);
    QCOMPARE(handedOn->譲渡先コード, u"S9"_qs);
    QCOMPARE(handedOn->譲渡先, u"受取人"_qs);
}

void TestPayables::issueWritesBillAndLastNumber()
{
    AppFixture f;
    addAccount(f.db(), {.kozano = 1, .kind = u"普通"_qs, .last = u"X01"_qs});
    const qint64 account = addAccount(f.db(), {.kozano = 7, .last = u"A0099"_qs});
    f.db().execute(QStringLiteral("update 口座データ set 支払県='神奈川県',支払市='横浜市' where id=?"), {account});

    book::Issue issue;
    issue.accountId = account;
    issue.日付 = QDate(2026, 10, 5);
    issue.手形番号 = u"A0100"_qs;
    issue.取引先コード = u"S1"_qs;
    issue.取引先 = u"仕入商事"_qs;
    issue.支払場所コード = u"0007"_qs;
    issue.支払場所 = u"東西銀行"_qs;
    issue.支払場所支店コード = u"17"_qs;
    issue.支払場所支店 = u"本店"_qs;
    issue.振出日 = QDate(2026, 10, 5);
    issue.手形期日 = QDate(2027, 1, 4);
    issue.金額 = 2500;
    const qint64 id = book::issueBill(f.db(), issue);

    const auto row = billRow(f.db(), id);
    QCOMPARE(row.value(u"id"_qs), QString::number(id));
    const QStringList wanted = {u"処理=1"_qs,
                                u"状態=0"_qs,
                                u"日付=2026-10-05"_qs,
                                u"kozano=7"_qs,
                                u"手形番号=A0100"_qs,
                                u"取引先コード=S1"_qs,
                                u"取引先=仕入商事"_qs,
                                u"振出人=<null>"_qs,
                                u"支払県=神奈川県"_qs,
                                u"支払市=横浜市"_qs,
                                u"支払場所コード=0007"_qs,
                                u"支払場所=東西銀行"_qs,
                                u"支払場所支店コード=17"_qs,
                                u"支払場所支店=本店"_qs,
                                u"振出日=2026-10-05"_qs,
                                u"手形期日=2027-01-04"_qs,
                                u"手形期間=91"_qs,
                                u"金額=2500"_qs,
                                u"予約口座id=%1"_qs.arg(account),
                                u"予約フラグ=0"_qs,
                                u"終了フラグ=0"_qs};
    for (const QString &w : wanted) {
        const QString column = w.section(u'=', 0, 0);
        QCOMPARE(column + u'=' + row.value(column), w);
    }
    QCOMPARE(book::accountById(f.db(), account)->最終手形番号, u"A0100"_qs);
    QCOMPARE(book::accountByKozano(f.db(), 1)->最終手形番号, u"X01"_qs);
}

void TestPayables::issueIsOneTransaction_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("the account is gone") << u"gone"_qs;
    QTest::newRow("the last number cannot be written") << u"update"_qs;
}

void TestPayables::issueIsOneTransaction()
{
    QFETCH(QString, failure);
    AppFixture f;
    const qint64 account = addAccount(f.db(), {.kozano = 2, .last = u"10"_qs});
    if (failure == u"gone")
        f.db().execute(QStringLiteral("delete from 口座データ"));
    else
        failOn(f.db(), u"口座データ"_qs, u"update"_qs, u"new.最終手形番号='11'"_qs);
    book::Issue issue;
    issue.accountId = account;
    issue.手形番号 = u"11"_qs;
    issue.手形期日 = QDate(2027, 1, 4);
    QVERIFY_THROWS_EXCEPTION(DbError, book::issueBill(f.db(), issue));
    QCOMPARE(countOf(f.db(), u"select count(*) from D_手形"_qs), 0);
    QVERIFY(!f.db().inTransaction());
}

void TestPayables::deleteInvalidatesPlan_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("due");
    QTest::addColumn<bool>("failDelete");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("plan");         // 計画済年月 of account id 5 afterwards
    QTest::addColumn<QStringList>("balances"); // 口座残高 rows left, "口座id|月末日付"
    const QStringList all = {u"4|2004-11-30"_qs, u"5|2004-09-30"_qs, u"5|2004-10-31"_qs, u"5|2004-11-30"_qs};
    QTest::newRow("issued bill") << 1 << QDate(2004, 10, 31) << false << true << u"2004-10-31"_qs
                                 << QStringList{u"4|2004-11-30"_qs, u"5|2004-09-30"_qs};
    QTest::newRow("no due date") << 1 << QDate() << false << true << u"2004-06-30"_qs << all;
    QTest::newRow("handed-on bill is refused") << 2 << QDate(2004, 10, 31) << false << false << u"2004-06-30"_qs << all;
    QTest::newRow("failing delete keeps the plan")
        << 1 << QDate(2004, 10, 31) << true << false << u"2004-06-30"_qs << all;
}

void TestPayables::deleteInvalidatesPlan()
{
    QFETCH(int, kind);
    QFETCH(QDate, due);
    QFETCH(bool, failDelete);
    QFETCH(bool, deleted);
    QFETCH(QString, plan);
    QFETCH(QStringList, balances);
    AppFixture f;
    for (int k = 1; k <= 5; ++k)
        addAccount(f.db(), {.kozano = k * 10});
    f.db().execute(u"update 口座データ set 計画済年月='2004-06-30'"_qs);
    QCOMPARE(book::accountById(f.db(), 5)->kozano, 50);
    for (const auto &[account, day] : {std::pair{4, "2004-11-30"}, std::pair{5, "2004-09-30"},
                                       std::pair{5, "2004-10-31"}, std::pair{5, "2004-11-30"}})
        f.db().execute(u"insert into 口座残高(口座id,月末日付) values(?,?)"_qs, {account, QString::fromLatin1(day)});
    const qint64 id = addReceived(f.db(), {.due = due, .kind = kind});
    f.db().execute(u"update D_手形 set 予約口座id=5 where id=?"_qs, {id});
    if (failDelete)
        failOn(f.db(), u"D_手形"_qs, u"delete"_qs, u"1=1"_qs);

    if (failDelete)
        QVERIFY_THROWS_EXCEPTION(DbError, book::deleteIssuedBill(f.db(), id));
    else
        QCOMPARE(book::deleteIssuedBill(f.db(), id), deleted);
    QCOMPARE(billRow(f.db(), id).isEmpty(), deleted);
    QCOMPARE(rowsOf(f.db(), u"select 計画済年月 from 口座データ where id=5"_qs), QStringList{plan});
    QCOMPARE(rowsOf(f.db(), u"select 計画済年月 from 口座データ where id<>5 and 計画済年月<>'2004-06-30'"_qs),
             QStringList());
    QCOMPARE(rowsOf(f.db(), u"select 口座id,月末日付 from 口座残高 order by 口座id,月末日付"_qs), balances);
}

void TestPayables::previousIssueIsTheLatest()
{
    AppFixture f;
    auto issued = [&](const QString &number, const QString &supplier, const QDate &issue) {
        const qint64 id = addReceived(f.db(), {.number = number, .issue = issue, .kind = 1});
        f.db().execute(u"update D_手形 set 取引先コード=? where id=?"_qs, {supplier, id});
    };
    issued(u"N1"_qs, u"S1"_qs, QDate(2004, 5, 1));
    issued(u"N2"_qs, u"S1"_qs, QDate(2004, 7, 1));
    issued(u"N3"_qs, u"S1"_qs, QDate(2004, 7, 1)); // the same day, booked later
    issued(u"N4"_qs, u"S1"_qs, QDate());           // no issue date says nothing about recency
    issued(u"N5"_qs, u"S2"_qs, QDate(2005, 1, 1));
    addReceived(f.db(), {.number = u"N6"_qs, .issue = QDate(2006, 1, 1)}); // a received bill

    QCOMPARE(book::previousIssue(f.db(), u"S1"_qs)->手形番号, u"N3"_qs);
    QCOMPARE(book::previousIssue(f.db(), u"s2"_qs)->手形番号, u"N5"_qs);
    QVERIFY(!book::previousIssue(f.db(), u"C1"_qs));
}

QTEST_MAIN(TestPayables)
#include "test_book.moc"
