// sorvane-admin settle and history: the bills whose settlement day has come
// are settled (or only shown, changing nothing, with --dry-run), and the
// history comes out as CSV, filtered by date and bill number.

#include "support/TestSupport.h"

#include "book/BillLife.h"
#include "book/History.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Files.h"
#include "data/Schema.h"

#include "AdminRun.h"

#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// The tool settles up to its own today.
const QDate kToday = QDate::currentDate();

struct Book {
    DataFolder folder;
    Workspace ws{QStringLiteral("t"), {}, {}};
    Database *db = nullptr;
    Book() { db = ws.openDatabase(files::path(folder.path(), files::kMainDb)); }
    ~Book() { ws.releaseDatabase(db); }
    QStringList args(QStringList a) const { return a << QStringLiteral("--folder") << folder.path(); }
};

qint64 receive(Database &db, const QString &number, const QDate &due, qint64 amount = 1000)
{
    book::ReceivableBill b;
    b.日付 = kToday.addDays(-90);
    b.手形番号 = number;
    b.取引先コード = QStringLiteral("C1");
    b.取引先 = QStringLiteral("得意先,商事"); // a comma, quoted in the CSV
    b.手形期日 = due;
    b.金額 = amount;
    return book::registerReceivableBill(db, b, std::nullopt);
}

QStringList settled(Database &db)
{
    QStringList numbers;
    Recordset rs =
        db.openRecordset(QStringLiteral("select 手形番号 from D_手形 where 終了フラグ = 1 order by 手形番号"));
    for (; !rs.eof(); rs.moveNext())
        numbers << rs.text(QStringLiteral("手形番号"));
    return numbers;
}

// The first weekday on or before the date: due dates fall on business days.
QDate weekday(QDate d)
{
    while (d.dayOfWeek() > 5)
        d = d.addDays(-1);
    return d;
}

} // namespace

class TestAdminLife : public QObject {
    Q_OBJECT
private slots:
    void settleWhatIsDue_data();
    void settleWhatIsDue();
    void settleRefusals_data();
    void settleRefusals();
    void historyAsCsv();
};

void TestAdminLife::settleWhatIsDue_data()
{
    QTest::addColumn<bool>("dryRun");
    QTest::addColumn<int>("throughDaysAgo"); // -1: no --through
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("dry run") << true << -1 << QStringList{};
    QTest::newRow("up to today") << false << -1 << QStringList{QStringLiteral("OLD"), QStringLiteral("P1")};
    QTest::newRow("through a month ago") << false << 30 << QStringList{QStringLiteral("OLD")};
    QTest::newRow("dry run through a month ago") << true << 30 << QStringList{};
}

void TestAdminLife::settleWhatIsDue()
{
    QFETCH(bool, dryRun);
    QFETCH(int, throughDaysAgo);
    QFETCH(QStringList, expected);
    Book b;
    receive(*b.db, QStringLiteral("OLD"), weekday(kToday.addDays(-60)), 1000);
    receive(*b.db, QStringLiteral("NEXT"), kToday.addDays(40), 2000);
    // Due today plus the collection days: not yet.
    receive(*b.db, QStringLiteral("SOON"), kToday, 4000);
    schema::writeCollectionDays(*b.db, 3);
    b.db->execute(QStringLiteral("insert into 口座データ(kozano,口座種別) values(1,'当座')"));
    book::Issue i;
    i.accountId = b.db->lastInsertId();
    i.日付 = kToday.addDays(-90);
    i.手形番号 = QStringLiteral("P1");
    i.手形期日 = kToday;
    i.金額 = 8000;
    book::issueBill(*b.db, i);
    const int events = b.db->scalar(QStringLiteral("select count(*) from 手形履歴")).toInt();
    const auto before = snapshot(b.folder.path());

    QStringList a{QStringLiteral("settle")};
    if (dryRun)
        a << QStringLiteral("--dry-run");
    if (throughDaysAgo >= 0)
        a << QStringLiteral("--through") << kToday.addDays(-throughDaysAgo).toString(QStringLiteral("yyyy/M/d"));
    const AdminRun r = runAdmin(b.args(a));
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QStringLiteral("\tOLD\t")), qPrintable(r.out));
    QCOMPARE(r.out.contains(QStringLiteral("\tP1\t")), throughDaysAgo < 0);
    QVERIFY(!r.out.contains(QStringLiteral("NEXT")));
    QVERIFY(!r.out.contains(QStringLiteral("SOON")));
    if (dryRun) {
        QVERIFY(r.out.contains(QStringLiteral("--dry-run: 何も変えていません")));
        // Not a byte of the folder changed.
        QCOMPARE(snapshot(b.folder.path()), before);
        QCOMPARE(settled(*b.db), QStringList{});
        return;
    }
    QCOMPARE(settled(*b.db), expected);
    QCOMPARE(b.db->scalar(QStringLiteral("select count(*) from 手形履歴")).toInt(), events + int(expected.size()));
    // A second run finds nothing more to settle.
    const AdminRun again = runAdmin(b.args(a));
    QCOMPARE(again.code, 0);
    QVERIFY2(again.out.startsWith(QStringLiteral("0 件")), qPrintable(again.out));
}

void TestAdminLife::settleRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("a future date") << QStringList{QStringLiteral("settle"), QStringLiteral("--through"),
                                                  kToday.addDays(1).toString(Qt::ISODate)}
                                   << QStringLiteral("より後の日付までは決済できません");
    QTest::newRow("not a date") << QStringList{QStringLiteral("settle"), QStringLiteral("--through"),
                                               QStringLiteral("きのう")}
                                << QStringLiteral("--through の日付が正しくありません");
    QTest::newRow("extra argument") << QStringList{QStringLiteral("settle"), QStringLiteral("all")}
                                    << QStringLiteral("余分な引数");
    QTest::newRow("history: reversed period")
        << QStringList{QStringLiteral("history"), QStringLiteral("--from"), QStringLiteral("2026/12/2"),
                       QStringLiteral("--to"), QStringLiteral("2026/12/1")}
        << QStringLiteral("期間の始めが終わりより後");
    QTest::newRow("history: empty bill number")
        << QStringList{QStringLiteral("history"), QStringLiteral("--bill"), QString()}
        << QStringLiteral("--bill には手形番号");
}

void TestAdminLife::settleRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    Book b;
    receive(*b.db, QStringLiteral("OLD"), weekday(kToday.addDays(-60)));
    const auto before = snapshot(b.folder.path());
    const AdminRun r = runAdmin(b.args(args));
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(snapshot(b.folder.path()), before);
}

void TestAdminLife::historyAsCsv()
{
    Book b;
    const qint64 a = receive(*b.db, QStringLiteral("A1"), kToday.addDays(30), 1000);
    receive(*b.db, QStringLiteral("B1"), kToday.addDays(30), 2000);
    book::deleteReceivableBill(*b.db, a, std::nullopt, kToday);

    const AdminRun all = runAdmin(b.args({QStringLiteral("history")}));
    QCOMPARE(all.code, 0);
    const QStringList lines = all.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY(lines.first().startsWith(QStringLiteral("履歴id,手形id,種別,処理日,手形番号,")));
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines.at(1).contains(QStringLiteral(",受取,")));
    QVERIFY(lines.at(1).contains(QStringLiteral("\"得意先,商事\"")));
    QVERIFY(all.err.contains(QStringLiteral("履歴 3 件")));

    // The deleted bill's history, its whole row quoted in one field.
    const AdminRun one = runAdmin(b.args({QStringLiteral("history"), QStringLiteral("--bill"), QStringLiteral("A1")}));
    QCOMPARE(one.code, 0);
    QCOMPARE(one.out.count(QStringLiteral(",A1,")), 2);
    QVERIFY(one.out.contains(QStringLiteral(",削除,")));
    QVERIFY(one.out.contains(QStringLiteral("\"id: ")));
    QVERIFY(!one.out.contains(QStringLiteral(",B1,")));

    // By the date of the events: the deletion alone happened today.
    const QString today = kToday.toString(Qt::ISODate);
    const AdminRun period =
        runAdmin(b.args({QStringLiteral("history"), QStringLiteral("--from"), today, QStringLiteral("--to"), today}));
    QCOMPARE(period.code, 0);
    QCOMPARE(period.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 2);
    QVERIFY(period.out.contains(QStringLiteral(",削除,")));
}

QTEST_MAIN(TestAdminLife)
#include "test_admin_life.moc"
