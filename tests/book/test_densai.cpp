// Electronic claims in the bill book: the 記録番号 rules, a split whose parts
// add up to the claim, the blackout before the due date around weekends and
// holidays, the restriction on transfer, and each step with its history.

#include "support/TestSupport.h"

#include "book/BillLife.h"
#include "book/Densai.h"
#include "book/DiscountBanks.h"
#include "book/History.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "book/Reports.h"
#include "book/Search.h"
#include "book/Totals.h"
#include "data/Calendar.h"
#include "payable/PayableLines.h"
#include "report/Exports.h"
#include "report/Forms.h"
#include "search/DueList.h"
#include "data/Engine.h"
#include "data/Schema.h"

#include "book/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;
namespace dn = sorvane::book::densai;

namespace {

const QDate kToday(2026, 12, 7);

void prepareParties(Database &db)
{
    db.execute(QStringLiteral("insert into T0(tc,tn) values('C1','得意先商事')"));
    db.execute(QStringLiteral("insert into S0(sc,sn) values('S1','仕入商会')"));
    db.execute(QStringLiteral("insert into 口座データ(kozano,口座種別,銀行名,支店名,口座番号) "
                              "values(1,'当座','北銀行','本店','1234567')"));
    book::DiscountBank b;
    b.コード = QStringLiteral("B1");
    b.銀行名 = QStringLiteral("東西銀行");
    b.支店名 = QStringLiteral("本店");
    b.割引枠 = 10000000;
    book::saveDiscountBank(db, b);
}

dn::Claim receivable(const QString &number, const QDate &due, qint64 amount = 300000)
{
    dn::Claim c;
    c.side = dn::Side::Receivable;
    c.記録番号 = number;
    c.電子記録日 = QDate(2026, 10, 1);
    c.支払期日 = due;
    c.金額 = amount;
    c.取引先コード = QStringLiteral("C1");
    c.債務者銀行 = QStringLiteral("南銀行");
    c.債務者支店 = QStringLiteral("駅前");
    c.債務者口座 = QStringLiteral("7654321");
    c.債権者銀行 = QStringLiteral("北銀行");
    c.債権者支店 = QStringLiteral("本店");
    c.債権者口座 = QStringLiteral("1234567");
    return c;
}

QString number(int n)
{
    return QStringLiteral("DN%1").arg(n, 18, 10, QLatin1Char('0'));
}

// A book with the parties prepared, and the bank calendar of its claims.
struct ClaimBook {
    AppFixture f;
    Database &db = f.db();
    BankCalendar calendar{f.folder.path(), *f.ctx->DataWorkspace};
    ClaimBook() { prepareParties(db); }
};

QStringList eventsOf(Database &db, qint64 id)
{
    QStringList out;
    for (const book::BillEvent &e : book::eventsOfBill(db, id))
        out << QStringLiteral("%1 %2 %3").arg(e.kind, QString::number(e.金額), e.後状態);
    return out;
}

} // namespace

class TestDensai : public QObject {
    Q_OBJECT
private slots:
    void recordNumberRules_data();
    void recordNumberRules();
    void splitPartsAddUp_data();
    void splitPartsAddUp();
    void statementBeforeASplit_data();
    void statementBeforeASplit();
    void statementAndTheGuarantee_data();
    void statementAndTheGuarantee();
    void blackoutBeforeTheDueDate_data();
    void blackoutBeforeTheDueDate();
    void restrictedClaimIsNotTransferred();
    void lifeOfAClaim_data();
    void lifeOfAClaim();
    void payableClaim();
    void paperWindowsDoNotOfferClaims();
    void mixedBookJournalBalancesPerKind();
    void mixedBookListsAndStatementsHoldBoth();
};

void TestDensai::recordNumberRules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::addColumn<QString>("refusal");
    QTest::newRow("twenty letters and digits")
        << QStringLiteral("AB12345678901234567Z") << QStringLiteral("AB12345678901234567Z") << QString();
    QTest::newRow("small letters are capitals")
        << QStringLiteral("ab12345678901234567z") << QStringLiteral("AB12345678901234567Z") << QString();
    QTest::newRow("full-width is half-width") << QStringLiteral("ＡＢ１２３４５６７８９０１２３４５６７Ｚ")
                                              << QStringLiteral("AB12345678901234567Z") << QString();
    QTest::newRow("nineteen") << QStringLiteral("AB1234567890123456Z") << QString() << QStringLiteral("入力は 19 桁");
    QTest::newRow("twenty-one") << QStringLiteral("AB123456789012345678Z") << QString()
                                << QStringLiteral("入力は 21 桁");
    QTest::newRow("hyphen") << QStringLiteral("AB-2345678901234567Z") << QString() << QStringLiteral("「-」");
    QTest::newRow("kana") << QStringLiteral("AB345678901234567アZ") << QString() << QStringLiteral("「ア」");
    QTest::newRow("empty") << QString() << QString() << QStringLiteral("記録番号を入力してください");
    QTest::newRow("taken") << QStringLiteral("TAKEN000000000000001") << QString()
                           << QStringLiteral("すでに登録されています");
}

void TestDensai::recordNumberRules()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, refusal);
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    dn::registerClaim(db, receivable(QStringLiteral("TAKEN000000000000001"), QDate(2026, 12, 25)), calendar);
    const int before = db.scalar(QStringLiteral("select count(*) from 手形履歴")).toInt();
    try {
        const qint64 id = dn::registerClaim(db, receivable(typed, QDate(2026, 12, 25)), calendar);
        QVERIFY2(refusal.isEmpty(), "taken");
        QCOMPARE(dn::claim(db, id)->記録番号, stored);
        // The number is the bill number every list and the journal show.
        QCOMPARE(book::billRow(db, id)->手形番号, stored);
        QCOMPARE(eventsOf(db, id), QStringList{QStringLiteral("受取 300000 手元")});
    } catch (const book::StepRefused &e) {
        QVERIFY2(!refusal.isEmpty(), qPrintable(e.description()));
        QVERIFY2(e.description().contains(refusal), qPrintable(e.description()));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from D_手形")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from 手形履歴")).toInt(), before);
    }
}

void TestDensai::splitPartsAddUp_data()
{
    QTest::addColumn<QList<qint64>>("parts"); // split off one after the other from the claim
    QTest::addColumn<int>("refusedAt");       // index of the split refused, -1 none
    QTest::newRow("one part") << QList<qint64>{100000} << -1;
    QTest::newRow("three parts") << QList<qint64>{100000, 50000, 1} << -1;
    QTest::newRow("all of it") << QList<qint64>{300000} << 0;
    QTest::newRow("more than all") << QList<qint64>{200000, 100000} << 1;
    QTest::newRow("nothing") << QList<qint64>{0} << 0;
}

void TestDensai::splitPartsAddUp()
{
    QFETCH(QList<qint64>, parts);
    QFETCH(int, refusedAt);
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    const QString parent = number(1);
    const qint64 id = dn::registerClaim(db, receivable(parent, QDate(2026, 12, 25)), calendar);
    for (int i = 0; i < parts.size(); ++i) {
        const int rows = db.scalar(QStringLiteral("select count(*) from D_手形")).toInt();
        try {
            const qint64 part =
                dn::splitClaim(db, {id, std::nullopt, kToday, kToday}, number(10 + i), parts.at(i), calendar);
            QVERIFY(i != refusedAt);
            const std::optional<dn::Claim> c = dn::claim(db, part);
            QCOMPARE(c->親記録番号, parent);
            QCOMPARE(c->記録番号, number(10 + i));
            QCOMPARE(c->金額, parts.at(i));
            QCOMPARE(c->支払期日, QDate(2026, 12, 25));
            QCOMPARE(eventsOf(db, part).last(), QStringLiteral("分割 %1 手元").arg(parts.at(i)));
        } catch (const book::StepRefused &) {
            QCOMPARE(i, refusedAt);
            QCOMPARE(db.scalar(QStringLiteral("select count(*) from D_手形")).toInt(), rows);
        }
        // The claim keeps its number; it and its parts always make the original.
        QCOMPARE(dn::claim(db, id)->記録番号, parent);
        QCOMPARE(
            db.scalar(QStringLiteral("select sum(金額) from D_手形 where 記録番号=? or 親記録番号=?"), {parent, parent})
                .toLongLong(),
            300000);
    }
    // A split claim keeps its amount and stays in the book.
    dn::Claim c = *dn::claim(db, id);
    if (c.金額 < 300000) {
        c.金額 += 1;
        QVERIFY_THROWS_EXCEPTION(book::StepRefused, dn::saveClaim(db, c, calendar, kToday));
        QVERIFY_THROWS_EXCEPTION(book::StepRefused, dn::deleteClaim(db, id, std::nullopt, kToday));
    }
}

// A statement of a day before a split shows the claim as it was then: whole,
// with no part that did not exist yet; splits of parts follow the same rule.
void TestDensai::statementBeforeASplit_data()
{
    QTest::addColumn<QDate>("asOf");
    QTest::addColumn<QStringList>("lines"); // amounts on the statement, in id order
    QTest::newRow("before both") << QDate(2026, 10, 31) << QStringList{QStringLiteral("300000")};
    QTest::newRow("between") << QDate(2026, 11, 30) << QStringList{QStringLiteral("200000"), QStringLiteral("100000")};
    QTest::newRow("after both") << kToday
                                << QStringList{QStringLiteral("200000"), QStringLiteral("60000"),
                                               QStringLiteral("40000")};
}

void TestDensai::statementBeforeASplit()
{
    QFETCH(QDate, asOf);
    QFETCH(QStringList, lines);
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    const qint64 id = dn::registerClaim(db, receivable(number(1), QDate(2026, 12, 25)), calendar);
    const qint64 part = dn::splitClaim(db, {id, std::nullopt, QDate(2026, 11, 2), kToday}, number(2), 100000, calendar);
    dn::splitClaim(db, {part, std::nullopt, QDate(2026, 12, 1), kToday}, number(3), 40000, calendar);
    QStringList amounts;
    qint64 total = 0;
    for (const book::StatementBill &b : book::statementBills(db, book::Side::Receivable, asOf)) {
        amounts << QString::number(b.amount);
        total += b.amount;
    }
    QCOMPARE(amounts, lines);
    QCOMPARE(total, 300000);
}

// A claim handed on with the guarantee stays on the statement (the company
// answers for it until paid, with the supplier in 摘要's place); without it,
// it is off the book from the day of the transfer.
void TestDensai::statementAndTheGuarantee_data()
{
    QTest::addColumn<bool>("guarantee");
    QTest::addColumn<QDate>("asOf");
    QTest::addColumn<QString>("listed"); // empty: not on the statement; else who holds it ("手元": we do)
    QTest::newRow("with, after") << true << kToday << QStringLiteral("仕入商会");
    QTest::newRow("without, after") << false << kToday << QString();
    QTest::newRow("without, before") << false << QDate(2026, 11, 30) << QStringLiteral("手元");
}

void TestDensai::statementAndTheGuarantee()
{
    QFETCH(bool, guarantee);
    QFETCH(QDate, asOf);
    QFETCH(QString, listed);
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    const qint64 id = dn::registerClaim(db, receivable(number(1), QDate(2026, 12, 25)), calendar);
    dn::transferClaim(db, {id, std::nullopt, QDate(2026, 12, 1), kToday}, QStringLiteral("S1"), guarantee, calendar);
    const QList<book::StatementBill> bills = book::statementBills(db, book::Side::Receivable, asOf);
    QCOMPARE(bills.size(), listed.isEmpty() ? 0 : 1);
    if (!listed.isEmpty()) {
        QCOMPARE(bills.front().handedOn, listed != u"手元");
        QCOMPARE(bills.front().receiver, listed == u"手元" ? QString() : listed);
    }
    // So it is in the balance sheet's note, as the claim it is: 電子記録債権譲渡高.
    const book::Reservations reserved = book::reservedBills(db, asOf);
    const bool noted = !listed.isEmpty() && listed != u"手元";
    QCOMPARE(reserved.handedOnCount, noted ? 1 : 0);
    QCOMPARE(reserved.claimsHandedOn, noted ? 300000 : 0);
    QCOMPARE(book::reservedNote(reserved, false),
             noted ? QStringLiteral("受取手形裏書譲渡高 0 円（0 件）　電子記録債権譲渡高 300,000 円（1 件）")
                   : QStringLiteral("受取手形裏書譲渡高 0 円（0 件）"));
    // Taken back, the claim is in hand again whatever the guarantee was.
    dn::cancelTransfer(db, {id, std::nullopt, kToday, kToday});
    QCOMPARE(book::statementBills(db, book::Side::Receivable, kToday).size(), 1);
}

void TestDensai::blackoutBeforeTheDueDate_data()
{
    QTest::addColumn<QDate>("due");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QDate>("on");
    QTest::addColumn<bool>("allowed");
    const QDate monday(2026, 12, 14);
    // Fri 11, Thu 10, Wed 9: the third business day before Monday the 14th.
    QTest::newRow("weekend: day before the blackout")
        << monday << 3 << QStringLiteral("譲渡") << QDate(2026, 12, 8) << true;
    QTest::newRow("weekend: first day of it") << monday << 3 << QStringLiteral("譲渡") << QDate(2026, 12, 9) << false;
    QTest::newRow("weekend: split inside") << monday << 3 << QStringLiteral("分割") << QDate(2026, 12, 11) << false;
    QTest::newRow("weekend: discount inside") << monday << 3 << QStringLiteral("割引") << QDate(2026, 12, 10) << false;
    QTest::newRow("on the due date") << monday << 3 << QStringLiteral("割引") << monday << false;
    QTest::newRow("after the due date") << monday << 3 << QStringLiteral("譲渡") << QDate(2026, 12, 15) << false;
    // Tue 24 Nov 2026 follows the holiday on Monday the 23rd and a weekend:
    // Fri 20, Thu 19, Wed 18.
    QTest::newRow("holiday: day before") << QDate(2026, 11, 24) << 3 << QStringLiteral("分割") << QDate(2026, 11, 17)
                                         << true;
    QTest::newRow("holiday: first day") << QDate(2026, 11, 24) << 3 << QStringLiteral("分割") << QDate(2026, 11, 18)
                                        << false;
    // Mon 4 Jan 2027: 1/1 to 1/3 and 12/31 are bank holidays: Wed 30, Tue 29, Mon 28.
    QTest::newRow("new year: day before")
        << QDate(2027, 1, 4) << 3 << QStringLiteral("割引") << QDate(2026, 12, 25) << true;
    QTest::newRow("new year: first day") << QDate(2027, 1, 4) << 3 << QStringLiteral("割引") << QDate(2026, 12, 28)
                                         << false;
    QTest::newRow("setting 0: the day before the due date")
        << monday << 0 << QStringLiteral("譲渡") << QDate(2026, 12, 11) << true;
    QTest::newRow("setting 5: a week before") << monday << 5 << QStringLiteral("譲渡") << QDate(2026, 12, 7) << false;
    QTest::newRow("setting 5: the day before") << monday << 5 << QStringLiteral("譲渡") << QDate(2026, 12, 4) << true;
}

void TestDensai::blackoutBeforeTheDueDate()
{
    QFETCH(QDate, due);
    QFETCH(int, days);
    QFETCH(QString, step);
    QFETCH(QDate, on);
    QFETCH(bool, allowed);
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    schema::writeDensaiBlackoutDays(db, days);
    dn::Claim c = receivable(number(1), due);
    c.電子記録日 = QDate(2026, 11, 1);
    const qint64 id = dn::registerClaim(db, c, calendar);
    const book::StepInput s{id, std::nullopt, on, on};
    const QMap<QString, QString> before = book::billSnapshot(db, id).values;
    try {
        if (step == u"譲渡")
            dn::transferClaim(db, s, QStringLiteral("S1"), true, calendar);
        else if (step == u"分割")
            dn::splitClaim(db, s, number(2), 1000, calendar);
        else
            dn::discountClaim(db, s, QStringLiteral("B1"), 500, calendar);
        QVERIFY2(allowed, "taken inside the blackout");
        QCOMPARE(eventsOf(db, id).size(), 2);
    } catch (const book::StepRefused &e) {
        QVERIFY2(!allowed, qPrintable(e.description()));
        QVERIFY2(e.description().contains(step), qPrintable(e.description()));
        QCOMPARE(book::billSnapshot(db, id).values, before);
        QCOMPARE(eventsOf(db, id).size(), 1);
    }
}

void TestDensai::restrictedClaimIsNotTransferred()
{
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    dn::Claim c = receivable(number(1), QDate(2026, 12, 25));
    c.譲渡制限 = true;
    const qint64 id = dn::registerClaim(db, c, calendar);
    try {
        dn::transferClaim(db, {id, std::nullopt, kToday, kToday}, QStringLiteral("S1"), true, calendar);
        QFAIL("a restricted claim was handed on");
    } catch (const book::StepRefused &e) {
        QVERIFY(e.description().contains(QStringLiteral("譲渡制限")));
    }
    QCOMPARE(book::billRow(db, id)->処理, 0);
    // A bank may still discount it.
    dn::discountClaim(db, {id, std::nullopt, kToday, kToday}, QStringLiteral("B1"), 800, calendar);
    QCOMPARE(book::billRow(db, id)->stateLabel(), QStringLiteral("割引"));
}

void TestDensai::lifeOfAClaim_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("state");
    QTest::newRow("paid on the due date")
        << QStringList{QStringLiteral("決済")}
        << QStringList{QStringLiteral("受取 300000 手元"), QStringLiteral("決済 300000 決済済")}
        << QStringLiteral("決済済");
    QTest::newRow("transferred, then paid to the supplier")
        << QStringList{QStringLiteral("譲渡"), QStringLiteral("決済")}
        << QStringList{QStringLiteral("受取 300000 手元"), QStringLiteral("譲渡 300000 譲渡"),
                       QStringLiteral("決済 300000 決済済")}
        << QStringLiteral("決済済");
    QTest::newRow("transferred and not paid: back to us")
        << QStringList{QStringLiteral("譲渡"), QStringLiteral("不渡")}
        << QStringList{QStringLiteral("受取 300000 手元"), QStringLiteral("譲渡 300000 譲渡"),
                       QStringLiteral("不渡 300000 不渡")}
        << QStringLiteral("不渡");
    QTest::newRow("transfer taken back") << QStringList{QStringLiteral("譲渡"), QStringLiteral("譲渡取消")}
                                         << QStringList{QStringLiteral("受取 300000 手元"),
                                                        QStringLiteral("譲渡 300000 譲渡"),
                                                        QStringLiteral("譲渡取消 300000 手元")}
                                         << QStringLiteral("手元");
    QTest::newRow("discounted, then paid")
        << QStringList{QStringLiteral("割引"), QStringLiteral("決済")}
        << QStringList{QStringLiteral("受取 300000 手元"), QStringLiteral("割引 300000 割引"),
                       QStringLiteral("決済 300000 決済済")}
        << QStringLiteral("決済済");
    QTest::newRow("a transferred claim is not transferred again")
        << QStringList{QStringLiteral("譲渡"), QStringLiteral("譲渡!")}
        << QStringList{QStringLiteral("受取 300000 手元"), QStringLiteral("譲渡 300000 譲渡")}
        << QStringLiteral("譲渡");
    QTest::newRow("a paid claim is not split")
        << QStringList{QStringLiteral("決済"), QStringLiteral("分割!")}
        << QStringList{QStringLiteral("受取 300000 手元"), QStringLiteral("決済 300000 決済済")}
        << QStringLiteral("決済済");
}

void TestDensai::lifeOfAClaim()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, events);
    QFETCH(QString, state);
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    // Collection days delay paper bills only: a claim is paid on its due date.
    schema::writeCollectionDays(db, 3);
    const QDate due(2026, 12, 4);
    const qint64 id = dn::registerClaim(db, receivable(number(1), due), calendar);
    QCOMPARE(book::settlementDate(*book::billRow(db, id), 3, calendar), due);
    for (QString step : steps) {
        const bool refused = step.endsWith(u'!');
        step.remove(u'!');
        const QDate on = step == u"決済" || step == u"不渡" || step == u"譲渡取消" ? due : QDate(2026, 11, 20);
        const book::StepInput s{id, std::nullopt, on, kToday};
        try {
            if (step == u"譲渡")
                dn::transferClaim(db, s, QStringLiteral("S1"), true, calendar);
            else if (step == u"譲渡取消")
                dn::cancelTransfer(db, s);
            else if (step == u"割引")
                dn::discountClaim(db, s, QStringLiteral("B1"), 1500, calendar);
            else if (step == u"分割")
                dn::splitClaim(db, s, number(2), 1000, calendar);
            else if (step == u"決済")
                book::settleBill(db, s);
            else if (step == u"不渡")
                book::dishonourBill(db, s, QStringLiteral("支払不能"));
            QVERIFY2(!refused, qPrintable(step));
        } catch (const book::StepRefused &e) {
            QVERIFY2(refused, qPrintable(e.description()));
        }
    }
    QCOMPARE(eventsOf(db, id), events);
    QCOMPARE(book::billRow(db, id)->stateLabel(), state);
    if (steps.first() == u"譲渡")
        QCOMPARE(book::eventsOfBill(db, id).at(1).事由, QStringLiteral("保証あり"));
}

void TestDensai::payableClaim()
{
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    dn::Claim c;
    c.side = dn::Side::Payable;
    c.記録番号 = number(5);
    c.電子記録日 = QDate(2026, 10, 1);
    c.支払期日 = QDate(2026, 12, 4);
    c.金額 = 120000;
    c.取引先コード = QStringLiteral("S1");
    c.kozano = 1;
    const qint64 id = dn::registerClaim(db, c, calendar);
    const dn::Claim stored = *dn::claim(db, id);
    // The debtor's bank is our account's.
    QCOMPARE(stored.債務者銀行, QStringLiteral("北銀行"));
    QCOMPARE(stored.債務者口座, QStringLiteral("1234567"));
    QCOMPARE(stored.取引先, QStringLiteral("仕入商会"));
    QCOMPARE(stored.状態, QStringLiteral("振出"));
    // Ours cannot be handed on, split or discounted.
    QVERIFY_THROWS_EXCEPTION(book::StepRefused, dn::transferClaim(db, {id, std::nullopt, QDate(2026, 11, 2), kToday},
                                                                  QStringLiteral("S1"), true, calendar));
    // A due date the banks are closed on is refused.
    c.記録番号 = number(6);
    c.支払期日 = QDate(2026, 12, 5);
    QVERIFY_THROWS_EXCEPTION(book::StepRefused, dn::registerClaim(db, c, calendar));
    book::settleBill(db, {id, std::nullopt, QDate(2026, 12, 4), kToday});
    QCOMPARE(eventsOf(db, id), (QStringList{QStringLiteral("振出 120000 振出"), QStringLiteral("決済 120000 決済済")}));
    QCOMPARE(dn::claims(db, dn::Side::Payable).size(), size_t(0));
    QCOMPARE(dn::claims(db, dn::Side::Payable, true).size(), size_t(1));
}

void TestDensai::paperWindowsDoNotOfferClaims()
{
    ClaimBook fixture;
    auto &[f, db, calendar] = fixture;
    const qint64 id = dn::registerClaim(db, receivable(number(1), QDate(2026, 12, 25)), calendar);
    for (const book::BillRow &b : book::discountCandidates(db))
        QVERIFY(b.id != id);
    // The paper discount would skip the blackout: it sends the clerk to the claim's own.
    QVERIFY_THROWS_EXCEPTION(book::StepRefused,
                             book::discountBill(db, {id, std::nullopt, kToday, kToday}, QStringLiteral("B1"), 100));
    QCOMPARE(book::billRow(db, id)->stateLabel(), QStringLiteral("手元"));
}

namespace {

// A book of both kinds, with every step of a claim's life.
struct MixedBook {
    qint64 paperIn = 0, paperOut = 0, claimOpen = 0, claimOursOpen = 0;
    explicit MixedBook(AppFixture &f)
    {
        Database &db = f.db();
        prepareParties(db);
        BankCalendar calendar(f.folder.path(), *f.ctx->DataWorkspace);
        book::ReceivableBill paper;
        paper.日付 = QDate(2026, 10, 1);
        paper.手形番号 = QStringLiteral("P001");
        paper.取引先コード = QStringLiteral("C1");
        paper.取引先 = QStringLiteral("得意先商事");
        paper.振出人 = QStringLiteral("得意先商事");
        paper.振出日 = QDate(2026, 10, 1);
        paper.手形期日 = QDate(2027, 1, 29);
        paper.金額 = 100000;
        paper.支払場所 = QStringLiteral("南銀行");
        paperIn = book::registerReceivableBill(db, paper, std::nullopt);
        book::Issue issue;
        issue.accountId = db.scalar(QStringLiteral("select id from 口座データ where kozano=1")).toLongLong();
        issue.日付 = QDate(2026, 10, 2);
        issue.手形番号 = QStringLiteral("Q001");
        issue.取引先コード = QStringLiteral("S1");
        issue.取引先 = QStringLiteral("仕入商会");
        issue.振出日 = QDate(2026, 10, 2);
        issue.手形期日 = QDate(2027, 1, 29);
        issue.金額 = 70000;
        paperOut = book::issueBill(db, issue);

        const QDate due(2026, 12, 4);
        const qint64 a = dn::registerClaim(db, receivable(number(1), due, 300000), calendar);
        const qint64 b = dn::splitClaim(db, {a, std::nullopt, QDate(2026, 11, 2), kToday}, number(2), 100000, calendar);
        dn::transferClaim(db, {b, std::nullopt, QDate(2026, 11, 3), kToday}, QStringLiteral("S1"), true, calendar);
        book::settleBill(db, {a, std::nullopt, due, kToday});
        book::settleBill(db, {b, std::nullopt, due, kToday});
        const qint64 c = dn::registerClaim(db, receivable(number(3), due, 50000), calendar);
        dn::discountClaim(db, {c, std::nullopt, QDate(2026, 11, 4), kToday}, QStringLiteral("B1"), 500, calendar);
        book::settleBill(db, {c, std::nullopt, due, kToday});
        claimOpen = dn::registerClaim(db, receivable(number(4), QDate(2026, 12, 25), 80000), calendar);

        dn::Claim ours;
        ours.side = dn::Side::Payable;
        ours.記録番号 = number(5);
        ours.電子記録日 = QDate(2026, 10, 5);
        ours.支払期日 = due;
        ours.金額 = 120000;
        ours.取引先コード = QStringLiteral("S1");
        ours.kozano = 1;
        const qint64 d = dn::registerClaim(db, ours, calendar);
        book::settleBill(db, {d, std::nullopt, due, kToday});
        ours.記録番号 = number(6);
        ours.支払期日 = QDate(2026, 12, 25);
        ours.金額 = 40000;
        claimOursOpen = dn::registerClaim(db, ours, calendar);
    }
};

} // namespace

void TestDensai::mixedBookJournalBalancesPerKind()
{
    AppFixture f;
    MixedBook book(f);
    const QList<book::JournalEntry> entries = book::journalEntries(f.db(), QDate(2026, 1, 1), QDate(2026, 12, 31));
    QMap<QString, qint64> balance; // debit minus credit
    QStringList claimLines;
    for (const book::JournalEntry &e : entries) {
        balance[e.debit] += e.amount;
        balance[e.credit] -= e.amount;
        if (e.number.startsWith(u"DN"))
            claimLines << QStringLiteral("%1/%2 %3").arg(e.debit, e.credit).arg(e.amount);
    }
    // Each kind's account holds exactly what is still open of that kind.
    QCOMPARE(balance.value(QStringLiteral("受取手形")), 100000);
    QCOMPARE(balance.value(QStringLiteral("支払手形")), -70000);
    QCOMPARE(balance.value(QStringLiteral("電子記録債権")), 80000);
    QCOMPARE(balance.value(QStringLiteral("電子記録債務")), -40000);
    qint64 all = 0;
    for (qint64 v : std::as_const(balance))
        all += v;
    QCOMPARE(all, 0);
    claimLines.sort();
    QStringList expected{QStringLiteral("電子記録債権/売掛金 300000"),   QStringLiteral("買掛金/電子記録債権 100000"),
                         QStringLiteral("当座預金/電子記録債権 200000"), QStringLiteral("電子記録債権/売掛金 50000"),
                         QStringLiteral("当座預金/電子記録債権 49500"),  QStringLiteral("手形売却損/電子記録債権 500"),
                         QStringLiteral("電子記録債権/売掛金 80000"),    QStringLiteral("買掛金/電子記録債務 120000"),
                         QStringLiteral("電子記録債務/当座預金 120000"), QStringLiteral("買掛金/電子記録債務 40000")};
    expected.sort();
    QCOMPARE(claimLines, expected);
}

void TestDensai::mixedBookListsAndStatementsHoldBoth()
{
    AppFixture f;
    MixedBook book(f);
    Database &db = f.db();

    // One list of what falls due: the paper bill and the claim, the claim marked.
    QStringList due;
    for (const book::DueBill &b : book::billsDue(db, book::DueList::InHand, kToday, QDate(2027, 1, 31)))
        due << dueListLine(book::DueList::InHand, b);
    QCOMPARE(due.size(), 2);
    QVERIFY2(due.at(0).startsWith(QStringLiteral("12/25  電") + number(4)), qPrintable(due.at(0)));
    QVERIFY2(due.at(1).startsWith(QStringLiteral("01/29  P001")), qPrintable(due.at(1)));

    // The search: a number pattern finds claims by their 記録番号.
    book::SearchCriteria c;
    c.kind = book::BillKind::Payable;
    c.side = book::DueSide::Both;
    c.number = QStringLiteral("*");
    // Q001, both of ours and the part handed on to the supplier.
    QCOMPARE(book::searchBills(db, c, kToday), 4);
    QStringList lines;
    for (const book::PayableLine &l : book::payableResultLines(db))
        lines << payable::payableLine(l);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.contains(QStringLiteral("電") + number(6) + QStringLiteral("  12/25       40,000  仕入商会")),
             qPrintable(lines.join(u'|')));
    c.kind = book::BillKind::Receivable;
    c.number = QStringLiteral("DN*4");
    QCOMPARE(book::searchBills(db, c, kToday), 1);

    // The paper windows keep to paper; the claims' ledger to claims.
    for (const book::ReceivableRow &r : book::receivableList(db))
        QCOMPARE(r.id, book.paperIn);
    QCOMPARE(book::readLedger(db, book::Side::Receivable, QDate(2026, 1, 1), QDate(2026, 12, 31)).size(), 1);
    const QList<book::LedgerRow> claims = book::readLedger(db, book::Side::Receivable, QDate(2026, 1, 1),
                                                           QDate(2026, 12, 31), book::LedgerKind::Electronic);
    QCOMPARE(claims.size(), 4);
    QCOMPARE(claims.first().kind, QStringLiteral("電子"));
    QVERIFY2(claims.at(1).outcome.startsWith(QStringLiteral("譲渡")), qPrintable(claims.at(1).outcome));
    const report::Document ledger = report::ledgerDocument(
        book::Side::Payable,
        book::readLedger(db, book::Side::Payable, QDate(2026, 1, 1), QDate(2026, 12, 31), book::LedgerKind::Electronic),
        QDate(2026, 1, 1), QDate(2026, 12, 31), report::DateStyle::Gregorian, book::LedgerKind::Electronic);
    QCOMPARE(ledger.title, QStringLiteral("電子記録債務記入帳"));
    QCOMPARE(ledger.rows.size(), 2);

    // The statements hold both, a claim marked in 摘要, in the PDF's form and the CSV.
    const QDate yearEnd = kToday;
    for (const book::Side side : {book::Side::Receivable, book::Side::Payable}) {
        const QList<book::StatementLine> lines = book::statementLines(book::statementBills(db, side, yearEnd));
        QStringList notes;
        for (const book::StatementLine &l : lines)
            if (l.kind == book::StatementLine::Kind::Bill)
                notes << l.note;
        notes.sort();
        QCOMPARE(notes, (QStringList{QString(), side == book::Side::Receivable ? QStringLiteral("電子記録債権")
                                                                               : QStringLiteral("電子記録債務")}));
    }
    bool marked = false;
    for (const report::Document &d : report::statements(db, yearEnd))
        for (const QStringList &row : d.rows)
            marked = marked || row.contains(QStringLiteral("電子記録債権"));
    QVERIFY(marked);
    QTemporaryDir out;
    report::statementFiles(db, yearEnd, {}, out.path());
    for (const QString &name : QDir(out.path()).entryList(QDir::Files)) {
        QFile file(out.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString text = *book::fromShiftJis(bytes);
        QVERIFY2(
            text.contains(name.contains(u"受取") ? QStringLiteral("電子記録債権") : QStringLiteral("電子記録債務")),
            qPrintable(text));
    }
    QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);

    // The balance sheet's notes on a day both claims were out: the claims
    // apart from the paper bills, in the window's lines and its table.
    const book::Reservations reserved = book::reservedBills(db, QDate(2026, 11, 30));
    QCOMPARE(book::reservedNote(reserved, true),
             QStringLiteral("受取手形割引高 0 円（0 件）　電子記録債権割引高 50,000 円（1 件）"));
    QCOMPARE(book::reservedNote(reserved, false),
             QStringLiteral("受取手形裏書譲渡高 0 円（0 件）　電子記録債権譲渡高 100,000 円（1 件）"));
    QStringList notes;
    for (const QStringList &row : book::reservedSheet(reserved).rows)
        if (row.first().isEmpty() && row.at(1).endsWith(u'高'))
            notes << row.at(1) + u' ' + row.last();
    QCOMPARE(notes,
             (QStringList{QStringLiteral("受取手形割引高 0"), QStringLiteral("電子記録債権割引高 50,000"),
                          QStringLiteral("受取手形裏書譲渡高 0"), QStringLiteral("電子記録債権譲渡高 100,000")}));
}

QTEST_MAIN(TestDensai)
#include "test_densai.moc"
