// The life of a bill: every step from every state, allowed or refused, with
// the columns it leaves and the history it writes; the settlement dates
// around weekends, holidays and the collection days; a history that no
// statement can change or delete.

#include "support/TestSupport.h"

#include "book/BillLife.h"
#include "book/Conflicts.h"
#include "book/DiscountBanks.h"
#include "book/History.h"
#include "book/Maintenance.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Calendar.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "data/Schema.h"

#include <QFile>
#include <QTest>

#include <functional>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);
const QDate kDue(2026, 12, 4); // a Friday
const QDate kDiscountOn(2026, 12, 1);
const QDate kHandOnOn(2026, 12, 1);
const QDate kSettleOn(2026, 12, 4);
const QDate kDishonourOn(2026, 12, 5);

book::ReceivableBill received(const QString &number, const QDate &due = kDue)
{
    book::ReceivableBill b;
    b.日付 = QDate(2026, 10, 1);
    b.手形番号 = number;
    b.取引先コード = QStringLiteral("C1");
    b.取引先 = QStringLiteral("得意先商事");
    b.振出人 = QStringLiteral("振出商事");
    b.振出日 = QDate(2026, 10, 1);
    b.手形期日 = due;
    b.金額 = 100000;
    b.保管場所 = QStringLiteral("金庫");
    return b;
}

qint64 account(Database &db)
{
    const QVariant id = db.scalar(QStringLiteral("select id from 口座データ where kozano=1"));
    if (!id.isNull())
        return id.toLongLong();
    db.execute(QStringLiteral("insert into 口座データ(kozano,口座種別,銀行名,支店名,最終手形番号) "
                              "values(1,'当座','北銀行','本店','A100')"));
    return db.lastInsertId();
}

qint64 issued(Database &db, const QString &number, const QDate &due = kDue)
{
    book::Issue i;
    i.accountId = account(db);
    i.日付 = QDate(2026, 10, 1);
    i.手形番号 = number;
    i.取引先コード = QStringLiteral("S1");
    i.取引先 = QStringLiteral("仕入商会");
    i.振出日 = QDate(2026, 10, 1);
    i.手形期日 = due;
    i.金額 = 70000;
    return book::issueBill(db, i);
}

void addBank(Database &db)
{
    if (book::discountBank(db, QStringLiteral("B1")))
        return;
    book::DiscountBank b;
    b.コード = QStringLiteral("B1");
    b.銀行名 = QStringLiteral("東西銀行");
    b.支店名 = QStringLiteral("本店");
    b.割引枠 = 1000000;
    book::saveDiscountBank(db, b);
}

book::StepInput step(qint64 id, const QDate &date)
{
    return {id, std::nullopt, date, kToday};
}

// Each start state made by the book's own steps, so its history is what a
// clerk would have left.
qint64 makeBill(Database &db, const QString &start)
{
    if (start.startsWith(u"issued")) {
        const qint64 id = issued(db, start);
        if (start == u"issued settled")
            book::settleBill(db, step(id, kSettleOn));
        return id;
    }
    const qint64 id = book::registerReceivableBill(db, received(start), std::nullopt);
    if (start == u"reserved")
        db.execute(QStringLiteral("update D_手形 set 予約フラグ=1 where id=?"), {id});
    if (start.startsWith(u"discount")) {
        addBank(db);
        book::discountBill(db, step(id, kDiscountOn), QStringLiteral("B1"), 1200);
    }
    if (start.startsWith(u"handed on") || start.startsWith(u"hand-on"))
        book::handOnBill(db, id, kHandOnOn, QStringLiteral("S1"), QStringLiteral("仕入商会"));
    if (start == u"settled" || start == u"discount ended" || start == u"hand-on ended")
        book::settleBill(db, step(id, kSettleOn));
    if (start.startsWith(u"dishonoured") || start == u"recovered")
        book::dishonourBill(db, step(id, kDishonourOn), QStringLiteral("資金不足"));
    if (start == u"recovered")
        book::cancelDishonour(db, step(id, kToday), book::DishonourUndo::Recovered, 100000);
    return id;
}

// The columns the states differ in: 処理 状態 予約フラグ 予約処理 終了フラグ.
QString columnsOf(Database &db, qint64 id)
{
    const std::optional<book::BillRow> b = book::billRow(db, id);
    if (!b)
        return QStringLiteral("gone");
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(b->処理)
        .arg(b->状態)
        .arg(int(b->予約フラグ))
        .arg(b->予約処理)
        .arg(int(b->終了フラグ));
}

const QMap<QString, QString> &stateColumns()
{
    static const QMap<QString, QString> m{
        {QStringLiteral("in hand"), QStringLiteral("0 0 0 0 0")},
        {QStringLiteral("reserved"), QStringLiteral("0 0 1 0 0")},
        {QStringLiteral("discounted"), QStringLiteral("0 1 1 2 0")},
        {QStringLiteral("handed on"), QStringLiteral("2 -2 1 1 0")},
        {QStringLiteral("dishonoured"), QStringLiteral("0 2 0 0 0")},
        {QStringLiteral("issued"), QStringLiteral("1 0 0 0 0")},
        {QStringLiteral("settled"), QStringLiteral("0 0 0 0 1")},
        {QStringLiteral("discount ended"), QStringLiteral("0 1 1 2 1")},
        {QStringLiteral("hand-on ended"), QStringLiteral("2 -2 1 1 1")},
        {QStringLiteral("issued settled"), QStringLiteral("1 0 0 0 1")},
        {QStringLiteral("recovered"), QStringLiteral("0 2 0 0 1")},
        {QStringLiteral("gone"), QStringLiteral("gone")},
    };
    return m;
}

const QMap<QString, QString> &stateLabels()
{
    static const QMap<QString, QString> m{
        {QStringLiteral("in hand"), QStringLiteral("手元")},
        {QStringLiteral("reserved"), QStringLiteral("予約")},
        {QStringLiteral("discounted"), QStringLiteral("割引")},
        {QStringLiteral("handed on"), QStringLiteral("譲渡")},
        {QStringLiteral("dishonoured"), QStringLiteral("不渡")},
        {QStringLiteral("issued"), QStringLiteral("振出")},
        {QStringLiteral("settled"), QStringLiteral("決済済")},
        {QStringLiteral("discount ended"), QStringLiteral("決済済")},
        {QStringLiteral("hand-on ended"), QStringLiteral("決済済")},
        {QStringLiteral("issued settled"), QStringLiteral("決済済")},
        {QStringLiteral("recovered"), QStringLiteral("回収済")},
        {QStringLiteral("gone"), QStringLiteral("削除")},
    };
    return m;
}

// Runs the event on the bill; false when it was refused, whether by a
// message (StepRefused) or by the old functions' false.
bool runEvent(Database &db, const QString &event, qint64 id, QString *refusal)
{
    try {
        if (event == u"割引")
            return book::discountBill(db, step(id, kDiscountOn), QStringLiteral("B1"), 1200) > 0;
        if (event == u"割引取消 誤り")
            return book::cancelDiscount(db, step(id, kToday), book::DiscountUndo::Mistake) > 0;
        if (event == u"割引取消 買戻し")
            return book::cancelDiscount(db, step(id, kToday), book::DiscountUndo::BuyBack) > 0;
        if (event == u"決済")
            return book::settleBill(db, step(id, kSettleOn)) > 0;
        if (event == u"決済取消")
            return book::cancelSettlement(db, step(id, kToday)) > 0;
        if (event == u"不渡")
            return book::dishonourBill(db, step(id, kDishonourOn), QStringLiteral("取引なし")) > 0;
        if (event == u"不渡取消 誤り")
            return book::cancelDishonour(db, step(id, kToday), book::DishonourUndo::Mistake) > 0;
        if (event == u"不渡取消 回収")
            return book::cancelDishonour(db, step(id, kToday), book::DishonourUndo::Recovered, 90000) > 0;
        if (event == u"譲渡")
            return book::handOnBill(db, id, kHandOnOn, QStringLiteral("S2"), QStringLiteral("二番商店"));
        if (event == u"譲渡取消")
            return book::cancelHandOn(db, id, std::nullopt, kToday);
        if (event == u"修正 受取") {
            std::optional<book::ReceivableBill> b = book::receivableBill(db, id);
            if (!b)
                return false;
            b->金額 += 1;
            book::saveReceivableBill(db, *b, std::nullopt, kToday);
            return true;
        }
        if (event == u"修正 振出") {
            const std::optional<book::PayableBill> p = book::payableBill(db, id);
            if (!p)
                return false;
            book::IssuedCorrection c;
            c.billId = id;
            c.accountId = account(db);
            c.取引先コード = p->取引先コード;
            c.取引先 = p->取引先;
            c.日付 = p->日付;
            c.手形番号 = p->手形番号;
            c.振出日 = p->振出日;
            c.手形期日 = p->手形期日;
            c.金額 = p->金額 + 1;
            c.on = kToday;
            return book::correctIssuedBill(db, c);
        }
        if (event == u"削除 受取") {
            book::deleteReceivableBill(db, id, std::nullopt, kToday);
            return true;
        }
        if (event == u"削除 振出")
            return book::deleteIssuedBill(db, id, std::nullopt, kToday);
    } catch (const book::StepRefused &e) {
        *refusal = e.description();
        return false;
    } catch (const book::NotChangeableError &e) {
        // The list windows' own refusal: the bill left their reach.
        *refusal = e.description();
        return false;
    } catch (const DbError &e) {
        // Other database errors are failures of the test, not refusals.
        qWarning("%s", qPrintable(e.description()));
        throw;
    }
    qFatal("unknown event");
}

// Every column of the bill as text, as both engines give it.
QMap<QString, QString> rowText(Database &db, qint64 id)
{
    QMap<QString, QString> row = book::billSnapshot(db, id).values;
    if (const std::optional<book::BillRow> b = book::billRow(db, id))
        row.insert(QStringLiteral("更新回数"), QString::number(b->更新回数));
    return row;
}

int historyCount(Database &db)
{
    return db.scalar(QStringLiteral("select count(*) from 手形履歴")).toInt();
}

} // namespace

class TestBillLife : public QObject {
    Q_OBJECT
private slots:
    void everyEventFromEveryState_data();
    void everyEventFromEveryState();
    void mistakenDishonourRestoresTheBill_data();
    void mistakenDishonourRestoresTheBill();
    void staleVersionIsRefused_data();
    void staleVersionIsRefused();
    void datesOfSteps_data();
    void datesOfSteps();
    void settlementDates_data();
    void settlementDates();
    void settlingManyIsOneTransaction();
    void historyIsAppendOnly_data();
    void historyIsAppendOnly();
    void deletedBillKeepsItsHistory();
    void correctionRecordsTheFieldsThatChanged();
    void discountLimitAndBanks();
    void listsOfTheSteps();
    void upgradeWritesTheImpliedEvents();
    void eventIsWrittenWithTheChange_data();
    void eventIsWrittenWithTheChange();
    void resetKeepsTheCollectionDays();
};

void TestBillLife::everyEventFromEveryState_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("end"); // empty: refused

    const QStringList starts{
        QStringLiteral("in hand"),        QStringLiteral("reserved"),       QStringLiteral("discounted"),
        QStringLiteral("handed on"),      QStringLiteral("dishonoured"),    QStringLiteral("issued"),
        QStringLiteral("settled"),        QStringLiteral("discount ended"), QStringLiteral("hand-on ended"),
        QStringLiteral("issued settled"), QStringLiteral("recovered")};
    const QStringList events{
        QStringLiteral("割引"),          QStringLiteral("割引取消 誤り"), QStringLiteral("割引取消 買戻し"),
        QStringLiteral("決済"),          QStringLiteral("決済取消"),      QStringLiteral("不渡"),
        QStringLiteral("不渡取消 誤り"), QStringLiteral("不渡取消 回収"), QStringLiteral("譲渡"),
        QStringLiteral("譲渡取消"),      QStringLiteral("修正 受取"),     QStringLiteral("修正 振出"),
        QStringLiteral("削除 受取"),     QStringLiteral("削除 振出")};
    // Only these are allowed; every other pair is refused.
    const QMap<QString, QMap<QString, QString>> allowed{
        {QStringLiteral("in hand"),
         {{QStringLiteral("割引"), QStringLiteral("discounted")},
          {QStringLiteral("決済"), QStringLiteral("settled")},
          {QStringLiteral("不渡"), QStringLiteral("dishonoured")},
          {QStringLiteral("譲渡"), QStringLiteral("handed on")},
          {QStringLiteral("修正 受取"), QStringLiteral("in hand")},
          {QStringLiteral("削除 受取"), QStringLiteral("gone")}}},
        {QStringLiteral("discounted"),
         {{QStringLiteral("割引取消 誤り"), QStringLiteral("in hand")},
          {QStringLiteral("割引取消 買戻し"), QStringLiteral("in hand")},
          {QStringLiteral("決済"), QStringLiteral("discount ended")},
          {QStringLiteral("不渡"), QStringLiteral("dishonoured")}}},
        {QStringLiteral("handed on"),
         {{QStringLiteral("決済"), QStringLiteral("hand-on ended")},
          {QStringLiteral("不渡"), QStringLiteral("dishonoured")},
          {QStringLiteral("譲渡取消"), QStringLiteral("in hand")}}},
        {QStringLiteral("dishonoured"),
         {{QStringLiteral("不渡取消 誤り"), QStringLiteral("in hand")},
          {QStringLiteral("不渡取消 回収"), QStringLiteral("recovered")},
          {QStringLiteral("修正 受取"), QStringLiteral("dishonoured")},
          {QStringLiteral("削除 受取"), QStringLiteral("gone")}}},
        {QStringLiteral("issued"),
         {{QStringLiteral("決済"), QStringLiteral("issued settled")},
          {QStringLiteral("修正 振出"), QStringLiteral("issued")},
          {QStringLiteral("削除 振出"), QStringLiteral("gone")}}},
        {QStringLiteral("settled"), {{QStringLiteral("決済取消"), QStringLiteral("in hand")}}},
        {QStringLiteral("discount ended"), {{QStringLiteral("決済取消"), QStringLiteral("discounted")}}},
        {QStringLiteral("hand-on ended"), {{QStringLiteral("決済取消"), QStringLiteral("handed on")}}},
        {QStringLiteral("issued settled"), {{QStringLiteral("決済取消"), QStringLiteral("issued")}}},
    };
    for (const QString &s : starts)
        for (const QString &e : events)
            QTest::addRow("%s / %s", qPrintable(s), qPrintable(e)) << s << e << allowed.value(s).value(e);
}

void TestBillLife::everyEventFromEveryState()
{
    QFETCH(QString, start);
    QFETCH(QString, event);
    QFETCH(QString, end);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const qint64 id = makeBill(db, start);
    QCOMPARE(columnsOf(db, id), stateColumns().value(start));
    const QMap<QString, QString> before = rowText(db, id);
    const int eventsBefore = historyCount(db);

    QString refusal;
    const bool done = runEvent(db, event, id, &refusal);
    QVERIFY(!db.inTransaction());
    if (end.isEmpty()) {
        QVERIFY2(!done, qPrintable(columnsOf(db, id)));
        // Nothing changed, nothing recorded; a message says why, in Japanese.
        QCOMPARE(rowText(db, id), before);
        QCOMPARE(historyCount(db), eventsBefore);
        if (!refusal.isEmpty())
            QVERIFY2(refusal.contains(QStringLiteral("できません")) || refusal.contains(QStringLiteral("戻せません")) ||
                         refusal.contains(QStringLiteral("取り消せません")) ||
                         refusal.contains(QStringLiteral("一覧を読み直しました")),
                     qPrintable(refusal));
        return;
    }
    QVERIFY2(done, qPrintable(refusal));
    QCOMPARE(columnsOf(db, id), stateColumns().value(end));
    // One history row, of the event's kind, from the state before to the one after.
    QCOMPARE(historyCount(db), eventsBefore + 1);
    const QList<book::BillEvent> events = book::eventsOfBill(db, id);
    const book::BillEvent &last = events.last();
    QCOMPARE(last.kind, event.section(u' ', 0, 0));
    QCOMPARE(last.前状態, stateLabels().value(start));
    QCOMPARE(last.後状態, stateLabels().value(end));
    QVERIFY(!last.記録者.isEmpty());
    QCOMPARE(QDateTime::fromString(last.記録日時, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid(), true);
    QCOMPARE(last.手形番号, start);
    if (last.kind.endsWith(QStringLiteral("取消")))
        QVERIFY2(last.取消元id > 0, qPrintable(last.kind));
    if (last.kind == u"割引") {
        QCOMPARE(last.相手先コード, QStringLiteral("B1"));
        QCOMPARE(last.手数料, 1200);
    }
    if (end != u"gone") {
        // The row version moved on, so a window holding the old one is refused.
        QVERIFY(book::billRow(db, id)->更新回数 > before.value(QStringLiteral("更新回数")).toLongLong());
    }
}

void TestBillLife::mistakenDishonourRestoresTheBill_data()
{
    QTest::addColumn<QString>("start");
    QTest::newRow("discounted") << QStringLiteral("discounted");
    QTest::newRow("handed on") << QStringLiteral("handed on");
    QTest::newRow("in hand") << QStringLiteral("in hand");
}

void TestBillLife::mistakenDishonourRestoresTheBill()
{
    QFETCH(QString, start);
    AppFixture f;
    Database &db = f.db();
    const qint64 id = makeBill(db, start);
    const QMap<QString, QString> was = rowText(db, id);
    book::dishonourBill(db, step(id, kDishonourOn), QStringLiteral("資金不足"));
    // A discounted or handed-on bill came back to the company.
    QCOMPARE(columnsOf(db, id), stateColumns().value(QStringLiteral("dishonoured")));
    QCOMPARE(book::billRow(db, id)->譲渡先, QString());
    book::cancelDishonour(db, step(id, kToday), book::DishonourUndo::Mistake);
    QMap<QString, QString> now = rowText(db, id);
    now.remove(QStringLiteral("更新回数"));
    QMap<QString, QString> expected = was;
    expected.remove(QStringLiteral("更新回数"));
    QCOMPARE(now, expected);
    if (start == u"discounted")
        QCOMPARE(book::standingEvent(db, id, book::kind::割引)->相手先コード, QStringLiteral("B1"));
}

void TestBillLife::staleVersionIsRefused_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("event");
    QTest::newRow("discount") << QStringLiteral("in hand") << QStringLiteral("割引");
    QTest::newRow("settle") << QStringLiteral("in hand") << QStringLiteral("決済");
    QTest::newRow("dishonour") << QStringLiteral("in hand") << QStringLiteral("不渡");
    QTest::newRow("cancel discount") << QStringLiteral("discounted") << QStringLiteral("割引取消");
    QTest::newRow("cancel settlement") << QStringLiteral("settled") << QStringLiteral("決済取消");
    QTest::newRow("cancel dishonour") << QStringLiteral("dishonoured") << QStringLiteral("不渡取消");
}

void TestBillLife::staleVersionIsRefused()
{
    QFETCH(QString, start);
    QFETCH(QString, event);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const qint64 id = makeBill(db, start);
    const qint64 read = book::billRow(db, id)->更新回数;
    // Another clerk changes the bill after it was read.
    db.execute(QStringLiteral("update D_手形 set 保管場所='別の金庫',更新回数=更新回数+1 where id=?"), {id});
    const QMap<QString, QString> before = rowText(db, id);
    const int eventsBefore = historyCount(db);
    const book::StepInput s{id, read, kToday, kToday};
    const book::StepInput settleStep{id, read, kSettleOn, kToday};
    const book::StepInput discountStep{id, read, kDiscountOn, kToday};
    const std::function<void()> run = [&] {
        if (event == u"割引")
            book::discountBill(db, discountStep, QStringLiteral("B1"), 0);
        else if (event == u"決済")
            book::settleBill(db, settleStep);
        else if (event == u"不渡")
            book::dishonourBill(db, s, QStringLiteral("資金不足"));
        else if (event == u"割引取消")
            book::cancelDiscount(db, s, book::DiscountUndo::Mistake);
        else if (event == u"決済取消")
            book::cancelSettlement(db, s);
        else
            book::cancelDishonour(db, s, book::DishonourUndo::Mistake);
    };
    QVERIFY_THROWS_EXCEPTION(book::ConflictError, run());
    QCOMPARE(rowText(db, id), before);
    QCOMPARE(historyCount(db), eventsBefore);
}

void TestBillLife::datesOfSteps_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("refusal"); // part of the message; empty: allowed
    QTest::newRow("settle in the future")
        << QStringLiteral("in hand") << QStringLiteral("決済") << kToday.addDays(1) << QStringLiteral("今日");
    QTest::newRow("settle before due") << QStringLiteral("in hand") << QStringLiteral("決済") << kDue.addDays(-1)
                                       << QStringLiteral("期日前");
    QTest::newRow("settle on due") << QStringLiteral("in hand") << QStringLiteral("決済") << kDue << QString();
    QTest::newRow("settle today") << QStringLiteral("issued") << QStringLiteral("決済") << kToday << QString();
    QTest::newRow("discount after due") << QStringLiteral("in hand") << QStringLiteral("割引") << kDue.addDays(1)
                                        << QStringLiteral("期日を過ぎた");
    QTest::newRow("discount in the future")
        << QStringLiteral("in hand") << QStringLiteral("割引") << kToday.addDays(1) << QStringLiteral("今日");
    QTest::newRow("dishonour in the future")
        << QStringLiteral("in hand") << QStringLiteral("不渡") << kToday.addDays(3) << QStringLiteral("今日");
    QTest::newRow("no date") << QStringLiteral("in hand") << QStringLiteral("不渡") << QDate()
                             << QStringLiteral("不渡日");
    QTest::newRow("recovered before dishonour") << QStringLiteral("dishonoured") << QStringLiteral("回収")
                                                << kDishonourOn.addDays(-1) << QStringLiteral("不渡日");
}

void TestBillLife::datesOfSteps()
{
    QFETCH(QString, start);
    QFETCH(QString, event);
    QFETCH(QDate, date);
    QFETCH(QString, refusal);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const qint64 id = makeBill(db, start);
    const QMap<QString, QString> before = rowText(db, id);
    QString said;
    try {
        if (event == u"決済")
            book::settleBill(db, step(id, date));
        else if (event == u"割引")
            book::discountBill(db, step(id, date), QStringLiteral("B1"), 0);
        else if (event == u"不渡")
            book::dishonourBill(db, step(id, date), QStringLiteral("資金不足"));
        else
            book::cancelDishonour(db, step(id, date), book::DishonourUndo::Recovered, 1);
    } catch (const book::StepRefused &e) {
        said = e.description();
    }
    if (refusal.isEmpty()) {
        QCOMPARE(said, QString());
        return;
    }
    QVERIFY2(said.contains(refusal), qPrintable(said));
    QCOMPARE(rowText(db, id), before);
}

void TestBillLife::settlementDates_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QDate>("due");
    QTest::addColumn<int>("days");
    QTest::addColumn<QDate>("expected");
    // 2026-12-04 is a Friday; 12/31 and 1/2–1/3 are bank holidays.
    QTest::newRow("weekday, no days") << QStringLiteral("received") << QDate(2026, 12, 4) << 0 << QDate(2026, 12, 4);
    QTest::newRow("one day onto Saturday")
        << QStringLiteral("received") << QDate(2026, 12, 4) << 1 << QDate(2026, 12, 7);
    QTest::newRow("two days onto Sunday")
        << QStringLiteral("received") << QDate(2026, 12, 4) << 2 << QDate(2026, 12, 7);
    QTest::newRow("three days, Monday") << QStringLiteral("received") << QDate(2026, 12, 4) << 3 << QDate(2026, 12, 7);
    QTest::newRow("into the new year's bank holidays")
        << QStringLiteral("received") << QDate(2026, 12, 30) << 1 << QDate(2027, 1, 4);
    // 2026: 敬老の日 9/21, 国民の休日 9/22, 秋分の日 9/23.
    QTest::newRow("across the silver week")
        << QStringLiteral("received") << QDate(2026, 9, 18) << 3 << QDate(2026, 9, 24);
    QTest::newRow("on a holiday, no days")
        << QStringLiteral("received") << QDate(2026, 11, 3) << 0 << QDate(2026, 11, 4);
    QTest::newRow("most days") << QStringLiteral("received") << QDate(2026, 12, 1) << 10 << QDate(2026, 12, 11);
    // Without holiday file only the weekend moves it: 2061-01-03 is a Monday.
    QTest::newRow("year without holiday file")
        << QStringLiteral("received") << QDate(2061, 1, 1) << 0 << QDate(2061, 1, 3);
    QTest::newRow("issued: its due date") << QStringLiteral("issued") << QDate(2026, 12, 5) << 3 << QDate(2026, 12, 5);
    QTest::newRow("discounted: its due date")
        << QStringLiteral("discounted") << QDate(2026, 12, 30) << 1 << QDate(2026, 12, 30);
    QTest::newRow("handed on: its due date")
        << QStringLiteral("handed on") << QDate(2026, 12, 30) << 1 << QDate(2026, 12, 30);
}

void TestBillLife::settlementDates()
{
    QFETCH(QString, kind);
    QFETCH(QDate, due);
    QFETCH(int, days);
    QFETCH(QDate, expected);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    schema::writeCollectionDays(db, days);
    QCOMPARE(schema::readCollectionDays(db), days);
    qint64 id = 0;
    if (kind == u"issued") {
        id = issued(db, QStringLiteral("P1"), due);
    } else {
        id = book::registerReceivableBill(db, received(QStringLiteral("R1"), due), std::nullopt);
        if (kind == u"discounted")
            book::discountBill(db, step(id, kDiscountOn), QStringLiteral("B1"), 0);
        if (kind == u"handed on")
            QVERIFY(book::handOnBill(db, id, kHandOnOn, QStringLiteral("S1"), QStringLiteral("仕入")));
    }
    BankCalendar calendar(f.folder.path(), *f.ctx->DataWorkspace);
    QCOMPARE(book::settlementDate(*book::billRow(db, id), days, calendar), expected);
    // The list of bills to settle holds it from that day on, not the day before.
    const auto listed = [&](const QDate &through) {
        for (const book::SettlementDue &d : book::billsToSettle(db, through, calendar))
            if (d.bill.id == id)
                return d.settleOn;
        return QDate();
    };
    QCOMPARE(listed(expected), expected);
    QCOMPARE(listed(expected.addDays(-1)), QDate());
}

void TestBillLife::settlingManyIsOneTransaction()
{
    AppFixture f;
    Database &db = f.db();
    const qint64 a = book::registerReceivableBill(db, received(QStringLiteral("A")), std::nullopt);
    const qint64 b = book::registerReceivableBill(db, received(QStringLiteral("B")), std::nullopt);
    const qint64 c = issued(db, QStringLiteral("C"));
    // B was handed on meanwhile by another clerk: its version is stale.
    const qint64 stale = book::billRow(db, b)->更新回数;
    QVERIFY(book::handOnBill(db, b, kHandOnOn, QStringLiteral("S1"), QStringLiteral("仕入")));
    const int events = historyCount(db);
    try {
        book::settleBills(db, {{a, std::nullopt, kDue}, {b, stale, kDue}, {c, std::nullopt, kDue}}, kToday);
        QFAIL("settled a bill another clerk changed");
    } catch (const book::StepRefused &e) {
        QVERIFY2(e.description().contains(QStringLiteral("手形番号 B")), qPrintable(e.description()));
    }
    QCOMPARE(historyCount(db), events);
    QCOMPARE(columnsOf(db, a), stateColumns().value(QStringLiteral("in hand")));
    QCOMPARE(book::settleBills(db, {{a, std::nullopt, kDue}, {c, std::nullopt, kDue}}, kToday), 2);
    QCOMPARE(columnsOf(db, c), stateColumns().value(QStringLiteral("issued settled")));
    const std::vector<book::FinishedBill> finished = book::finishedBills(db, kDue, kDue);
    QCOMPARE(int(finished.size()), 2);
    // Taken back, a settlement leaves the list of finished bills.
    book::cancelSettlement(db, step(a, kToday));
    QCOMPARE(int(book::finishedBills(db, kDue, kDue).size()), 1);
}

void TestBillLife::historyIsAppendOnly_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("update") << QStringLiteral("update 手形履歴 set 金額 = 1");
    QTest::newRow("update one column of one row") << QStringLiteral("update 手形履歴 set 記録者 = 'x' where id = 1");
    QTest::newRow("delete") << QStringLiteral("delete from 手形履歴");
    QTest::newRow("delete one row") << QStringLiteral("delete from 手形履歴 where id = 1");
    if (testsOnServer())
        QTest::newRow("truncate") << QStringLiteral("truncate 手形履歴");
}

void TestBillLife::historyIsAppendOnly()
{
    QFETCH(QString, statement);
    AppFixture f;
    Database &db = f.db();
    const qint64 id = book::registerReceivableBill(db, received(QStringLiteral("R1")), std::nullopt);
    book::settleBill(db, step(id, kSettleOn));
    const QString before = QString::fromUtf8(book::eventsCsv(book::searchEvents(db, {})));
    QCOMPARE(historyCount(db), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, db.execute(statement));
    // Inside a transaction too, and the transaction is not left half done.
    {
        Transaction t(db);
        QVERIFY_THROWS_EXCEPTION(DbError, db.execute(statement));
    }
    QCOMPARE(QString::fromUtf8(book::eventsCsv(book::searchEvents(db, {}))), before);
    // Appending still works.
    book::cancelSettlement(db, step(id, kToday));
    QCOMPARE(historyCount(db), 3);
}

void TestBillLife::deletedBillKeepsItsHistory()
{
    AppFixture f;
    Database &db = f.db();
    const qint64 r = book::registerReceivableBill(db, received(QStringLiteral("R9")), std::nullopt);
    const qint64 p = issued(db, QStringLiteral("P9"));
    book::deleteReceivableBill(db, r, std::nullopt, kToday);
    QVERIFY(book::deleteIssuedBill(db, p, std::nullopt, kToday));
    QVERIFY(!book::billRow(db, r));
    for (const qint64 id : {r, p}) {
        const QList<book::BillEvent> events = book::eventsOfBill(db, id);
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.last().kind, book::kind::削除);
        QCOMPARE(events.last().date, kToday);
        // The whole row as it was.
        const QMap<QString, QString> row = book::parseFieldLines(events.last().変更前);
        QCOMPARE(row.value(QStringLiteral("手形番号")), id == r ? QStringLiteral("R9") : QStringLiteral("P9"));
        QCOMPARE(row.value(QStringLiteral("手形期日")), QStringLiteral("2026-12-04"));
        QVERIFY(row.contains(QStringLiteral("支払場所")));
    }
    // Found by the audit search, by number and by party.
    book::EventQuery q;
    q.number = QStringLiteral("R9");
    QCOMPARE(book::searchEvents(db, q).size(), 2);
    q = {};
    q.party = QStringLiteral("仕入");
    QCOMPARE(book::searchEvents(db, q).size(), 2);
}

void TestBillLife::correctionRecordsTheFieldsThatChanged()
{
    AppFixture f;
    Database &db = f.db();
    const qint64 id = book::registerReceivableBill(db, received(QStringLiteral("R1")), std::nullopt);
    book::ReceivableBill b = *book::receivableBill(db, id);
    // Saved unchanged: no event.
    book::saveReceivableBill(db, b, std::nullopt, kToday);
    QCOMPARE(book::eventsOfBill(db, id).size(), 1);
    b = *book::receivableBill(db, id);
    b.金額 = 120000;
    b.振出人 = QStringLiteral("改め商事\n二行目");
    book::EndorserSlots endorsers;
    endorsers.append({QStringLiteral("裏書一"), QStringLiteral("東京")});
    book::saveReceivableBill(db, b, endorsers, kToday);
    const book::BillEvent e = book::eventsOfBill(db, id).last();
    QCOMPARE(e.kind, book::kind::修正);
    QCOMPARE(e.金額, 120000);
    const QMap<QString, QString> was = book::parseFieldLines(e.変更前);
    const QMap<QString, QString> now = book::parseFieldLines(e.変更後);
    QCOMPARE(was.keys(), now.keys());
    QCOMPARE(was.value(QStringLiteral("金額")), QStringLiteral("100000"));
    QCOMPARE(now.value(QStringLiteral("金額")), QStringLiteral("120000"));
    QCOMPARE(now.value(QStringLiteral("振出人")), QStringLiteral("改め商事\n二行目"));
    QCOMPARE(now.value(QStringLiteral("裏書人1")), QStringLiteral("裏書一 / 東京"));
    QCOMPARE(was.value(QStringLiteral("裏書人1")), QString());
    QVERIFY(!was.contains(QStringLiteral("手形番号")));
}

void TestBillLife::discountLimitAndBanks()
{
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    book::DiscountBank other;
    other.コード = QStringLiteral("ｂ２");
    other.銀行名 = QStringLiteral("南北銀行");
    book::saveDiscountBank(db, other);
    QVERIFY(book::discountBank(db, QStringLiteral("B2")));
    const qint64 a = book::registerReceivableBill(db, received(QStringLiteral("A")), std::nullopt);
    const qint64 b = book::registerReceivableBill(db, received(QStringLiteral("B")), std::nullopt);
    book::discountBill(db, step(a, kDiscountOn), QStringLiteral("B1"), 500);
    book::discountBill(db, step(b, kDiscountOn), QStringLiteral("B1"), 500);
    QCOMPARE(book::discountLimitUse(db, QStringLiteral("B1")).used, 200000);
    QCOMPARE(book::discountLimitUse(db, QStringLiteral("B1")).bills, 2);
    // A bill bought back no longer uses the limit; one settled neither.
    book::cancelDiscount(db, step(a, kToday), book::DiscountUndo::BuyBack);
    book::settleBill(db, step(b, kSettleOn));
    QCOMPARE(book::discountLimitUse(db, QStringLiteral("B1")).used, 0);
    // A bank with open discounted bills cannot be deleted.
    book::discountBill(db, step(a, kDiscountOn), QStringLiteral("B2"), 0);
    QVERIFY_THROWS_EXCEPTION(DbError, book::deleteDiscountBank(db, QStringLiteral("B2")));
    QVERIFY(book::deleteDiscountBank(db, QStringLiteral("B1")));
    QCOMPARE(book::discountBanks(db).size(), 1);
    // Bad values are refused with a message.
    book::DiscountBank bad;
    bad.コード = QStringLiteral("TOOLONG");
    bad.銀行名 = QStringLiteral("x");
    QVERIFY_THROWS_EXCEPTION(DbError, book::saveDiscountBank(db, bad));
    bad.コード = QStringLiteral("B3");
    bad.割引枠 = -1;
    QVERIFY_THROWS_EXCEPTION(DbError, book::saveDiscountBank(db, bad));
    // An unknown bank and a fee as big as the bill are refused.
    const qint64 c = book::registerReceivableBill(db, received(QStringLiteral("C")), std::nullopt);
    QVERIFY_THROWS_EXCEPTION(book::StepRefused, book::discountBill(db, step(c, kDiscountOn), QStringLiteral("ZZ"), 0));
    QVERIFY_THROWS_EXCEPTION(book::StepRefused,
                             book::discountBill(db, step(c, kDiscountOn), QStringLiteral("B2"), 100000));
}

void TestBillLife::listsOfTheSteps()
{
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const qint64 inHand = makeBill(db, QStringLiteral("in hand"));
    const qint64 discounted = makeBill(db, QStringLiteral("discounted"));
    const qint64 handedOn = makeBill(db, QStringLiteral("handed on"));
    const qint64 dishonoured = makeBill(db, QStringLiteral("dishonoured"));
    const qint64 settled = makeBill(db, QStringLiteral("settled"));
    const qint64 recovered = makeBill(db, QStringLiteral("recovered"));
    makeBill(db, QStringLiteral("issued"));

    QList<qint64> ids;
    for (const book::BillRow &b : book::dishonourCandidates(db))
        ids << b.id;
    QCOMPARE(ids, (QList<qint64>{inHand, discounted, handedOn}));

    const std::vector<book::DiscountedBill> d = book::discountedBills(db);
    QCOMPARE(int(d.size()), 1);
    QCOMPARE(d.front().bill.id, discounted);
    QCOMPARE(d.front().discount.相手先, QStringLiteral("東西銀行 本店"));
    QCOMPARE(d.front().discount.date, kDiscountOn);
    // Not yet due: none is due after its due date.
    QCOMPARE(int(book::discountedBills(db, kDue.addDays(1)).size()), 0);

    const std::vector<book::DishonouredBill> x = book::dishonouredBills(db);
    QCOMPARE(int(x.size()), 1);
    QCOMPARE(x.front().bill.id, dishonoured);
    QCOMPARE(x.front().dishonour.事由, QStringLiteral("資金不足"));

    const std::vector<book::FinishedBill> fin = book::finishedBills(db, kDue, kToday);
    QCOMPARE(int(fin.size()), 1);
    QCOMPARE(fin.front().bill.id, settled);
    QVERIFY(book::billRow(db, recovered)->終了フラグ);
}

void TestBillLife::upgradeWritesTheImpliedEvents()
{
    AppFixture f;
    Database &db = f.db();
    // The book as version 5 left it, with a bill of each kind.
    for (const QString &sql :
         {QStringLiteral("drop table 手形履歴"), QStringLiteral("drop table 割引先"),
          QStringLiteral("alter table 設定 drop column 取立日数"),
          QStringLiteral("alter table 設定 drop column 仕訳出力済日"),
          QStringLiteral("delete from 仕訳科目 where 用途 not in ('受取手形','売掛金','支払手形','買掛金')"),
          // and without what version 8 added after it.
          QStringLiteral("drop table 年度移送"), QStringLiteral("drop table 年度締め"),
          QStringLiteral("drop table 年度繰越"), QStringLiteral("alter table 設定 drop column バックアップ先"),
          QStringLiteral("alter table 設定 drop column バックアップ世代"),
          QStringLiteral("alter table 設定 drop column 最終バックアップ"),
          QStringLiteral("alter table 設定 drop column 年度末月"),
          QStringLiteral("alter table 設定 drop column 過去データ年度"), db.dialect().writeVersion.arg(5)})
        db.execute(sql);
    db.execute(QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,取引先コード,取引先,手形期日,金額) "
                              "values(0,0,?,'R1','C1','得意先',?,1000)"),
               {QDate(2026, 4, 1), QDate(2026, 7, 31)});
    db.execute(QStringLiteral("insert into D_手形(処理,状態,日付,手形番号,取引先コード,取引先,手形期日,金額,予約フラグ,"
                              "予約処理,予約日,譲渡先コード,譲渡先) values(2,-2,?,'H1','C2','得意先二',?,3000,1,1,?,"
                              "'S2','仕入先二')"),
               {QDate(2026, 4, 3), QDate(2026, 9, 30), QDate(2026, 5, 10)});
    schema::prepareMainDatabase(db);
    QCOMPARE(schema::storedVersion(db), schema::kVersion);
    QStringList events;
    for (const book::BillEvent &e : book::searchEvents(db, {}))
        events << QStringLiteral("%1 %2 %3 %4 %5")
                      .arg(e.kind, e.date.toString(Qt::ISODate), e.手形番号, e.相手先, e.後状態);
    QCOMPARE(events,
             (QStringList{QStringLiteral("受取 2026-04-01 R1  手元"), QStringLiteral("受取 2026-04-03 H1  手元"),
                          QStringLiteral("譲渡 2026-05-10 H1 仕入先二 譲渡")}));
    QCOMPARE(book::journalExportedThrough(db), QDate());
    // The new tables work as in a new book, refusals included.
    QVERIFY_THROWS_EXCEPTION(DbError, db.execute(QStringLiteral("delete from 手形履歴")));
    addBank(db);
    QCOMPARE(book::discountBanks(db).size(), 1);
}

void TestBillLife::eventIsWrittenWithTheChange_data()
{
    QTest::addColumn<QString>("action");
    for (const char *a : {"register", "issue", "hand on", "cancel hand-on", "correct received", "correct issued",
                          "delete received", "delete issued", "discount", "settle", "dishonour"})
        QTest::newRow(a) << QString::fromLatin1(a);
}

// When the history row cannot be written the action changes nothing: the
// row and its event are one transaction.
void TestBillLife::eventIsWrittenWithTheChange()
{
    QFETCH(QString, action);
    AppFixture f;
    Database &db = f.db();
    addBank(db);
    const qint64 r = book::registerReceivableBill(db, received(QStringLiteral("R1")), std::nullopt);
    const qint64 p = issued(db, QStringLiteral("P1"));
    if (action == u"cancel hand-on")
        QVERIFY(book::handOnBill(db, r, kHandOnOn, QStringLiteral("S1"), QStringLiteral("仕入")));
    const QString before = book::fieldLines(book::billSnapshot(db, r)) + book::fieldLines(book::billSnapshot(db, p));
    const int bills = db.scalar(QStringLiteral("select count(*) from D_手形")).toInt();
    const int events = historyCount(db);
    test::failWhen(db, QStringLiteral("履歴書込失敗"), QStringLiteral("before insert on 手形履歴"),
                   QStringLiteral("1 = 1"), QStringLiteral("書き込みに失敗しました"));
    const std::function<void()> run = [&] {
        if (action == u"register") {
            book::registerReceivableBill(db, received(QStringLiteral("R2")), std::nullopt);
        } else if (action == u"issue") {
            issued(db, QStringLiteral("P2"));
        } else if (action == u"hand on") {
            book::handOnBill(db, r, kHandOnOn, QStringLiteral("S1"), QStringLiteral("仕入"));
        } else if (action == u"cancel hand-on") {
            book::cancelHandOn(db, r, std::nullopt, kToday);
        } else if (action == u"correct received") {
            book::ReceivableBill b = *book::receivableBill(db, r);
            b.金額 = 5;
            book::saveReceivableBill(db, b, std::nullopt, kToday);
        } else if (action == u"correct issued") {
            book::IssuedCorrection c;
            c.billId = p;
            c.accountId = account(db);
            c.金額 = 5;
            book::correctIssuedBill(db, c);
        } else if (action == u"delete received") {
            book::deleteReceivableBill(db, r, std::nullopt, kToday);
        } else if (action == u"delete issued") {
            book::deleteIssuedBill(db, p, std::nullopt, kToday);
        } else if (action == u"discount") {
            book::discountBill(db, step(r, kDiscountOn), QStringLiteral("B1"), 0);
        } else if (action == u"settle") {
            book::settleBill(db, step(p, kSettleOn));
        } else {
            book::dishonourBill(db, step(r, kDishonourOn), QStringLiteral("資金不足"));
        }
    };
    QString said;
    try {
        run();
    } catch (const DbError &e) {
        said = e.description();
    }
    // Refused by the history alone.
    QVERIFY2(said.contains(QStringLiteral("書き込みに失敗しました")), qPrintable(said));
    QVERIFY(!db.inTransaction());
    QCOMPARE(book::fieldLines(book::billSnapshot(db, r)) + book::fieldLines(book::billSnapshot(db, p)), before);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from D_手形")).toInt(), bills);
    QCOMPARE(historyCount(db), events);
}

// 初期化 empties the book but keeps its settings, the collection days
// among them; a server book keeps its history too (a file book keeps it
// in tegata.bak).
void TestBillLife::resetKeepsTheCollectionDays()
{
    AppFixture f;
    schema::writeCollectionDays(f.db(), 4);
    book::registerReceivableBill(f.db(), received(QStringLiteral("R1")), std::nullopt);
    QCOMPARE(book::resetData(*f.ctx), book::ToolResult::Done);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(schema::readCollectionDays(f.db()), 4);
    QCOMPARE(f.db().scalar(QStringLiteral("select count(*) from D_手形")).toInt(), 0);
    QCOMPARE(historyCount(f.db()), testsOnServer() ? 1 : 0);
}

QTEST_MAIN(TestBillLife)
#include "test_bill_life.moc"
