// The windows of a bill's life, opened for real on a fresh book: the main
// window opens each of them, and each does its step, asks what it must ask,
// refuses what it must refuse, and leaves the book as the step says.

#include "payable/PayableTest.h"

#include "app/MainMenu.h"
#include "book/BillLife.h"
#include "book/DiscountBanks.h"
#include "book/History.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "life/CollectionDays.h"
#include "life/DiscountBankRegister.h"
#include "life/DiscountWindows.h"
#include "life/DishonourWindows.h"
#include "life/HistoryWindow.h"
#include "life/SettlementWindow.h"
#include "receivable/ReceivableList.h"
#include "ui/LineList.h"
#include "ui/RowTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);

qint64 receive(Database &db, const QString &number, const QDate &due, qint64 amount = 100000)
{
    book::ReceivableBill b;
    b.日付 = QDate(2026, 10, 1);
    b.手形番号 = number;
    b.取引先コード = QStringLiteral("C1");
    b.取引先 = QStringLiteral("得意先商事");
    b.振出人 = QStringLiteral("振出工業");
    b.振出日 = QDate(2026, 10, 1);
    b.手形期日 = due;
    b.金額 = amount;
    return book::registerReceivableBill(db, b, std::nullopt);
}

void addBank(Database &db, const QString &code, qint64 limit)
{
    book::DiscountBank b;
    b.コード = code;
    b.銀行名 = QStringLiteral("東西銀行");
    b.支店名 = code == u"B1" ? QStringLiteral("本店") : QStringLiteral("駅前支店");
    b.割引枠 = limit;
    book::saveDiscountBank(db, b);
}

book::StepInput step(qint64 id, const QDate &date)
{
    return {id, std::nullopt, date, kToday};
}

QString stateOf(Database &db, qint64 id)
{
    const std::optional<book::BillRow> b = book::billRow(db, id);
    return b ? b->stateLabel() : QStringLiteral("削除");
}

void click(QWidget *w, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

ui::RowTable *table(QWidget *w, const QString &name = QStringLiteral("List1"))
{
    return child<ui::RowTable>(w, name);
}

// The row whose third cell (the bill number in most lists) or any cell is the text.
int rowOf(ui::RowTable *t, const QString &text)
{
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < 8; ++c)
            if (t->cell(r, c) == text)
                return r;
    return -1;
}

// A user's click on a row.
void pick(ui::RowTable *t, int row)
{
    const QModelIndex index = t->model()->index(row, 1);
    t->scrollTo(index);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualRect(index).center());
}

} // namespace

class TestLifeWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void mainWindowOpensThem_data();
    void mainWindowOpensThem();
    void collectionDays_data();
    void collectionDays();
    void discountBanks();
    void discountWithinAndOverTheLimit_data();
    void discountWithinAndOverTheLimit();
    void discountTakenBack_data();
    void discountTakenBack();
    void discountedListTotalsPerBank();
    void dishonourComesBack_data();
    void dishonourComesBack();
    void dishonourReleased_data();
    void dishonourReleased();
    void settleTheTickedBills();
    void settlementTakenBackWarnsOfTheJournal_data();
    void settlementTakenBackWarnsOfTheJournal();
    void historyOfABillAndTheSearch_data();
    void historyOfABillAndTheSearch();
    void historyFromTheReceivableList();
};

void TestLifeWindows::mainWindowOpensThem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    const char16_t *rows[][2] = {
        {u"割引手形指定", u"割引手形指定"}, {u"M02割引", u"割引手形指定"},
        {u"割引手形解除", u"割引手形解除"}, {u"M12割引手形", u"割引手形一覧"},
        {u"不渡手形指定", u"不渡手形指定"}, {u"M03不渡", u"不渡手形指定"},
        {u"不渡手形解除", u"不渡手形解除"}, {u"M13不渡手形", u"不渡手形一覧"},
        {u"処理済手形", u"処理済手形一覧"}, {u"M22処理済手形一覧表", u"処理済手形一覧"},
        {u"取立日数設定", u"取立日数設定"}, {u"M33処理日数", u"取立日数設定"},
        {u"割引先登録", u"割引先登録"},     {u"M33割引", u"割引先登録"},
        {u"M2手形履歴", u"手形履歴"},
    };
    for (const auto &r : rows)
        QTest::newRow(qPrintable(QString::fromUtf16(r[0]))) << QString::fromUtf16(r[0]) << QString::fromUtf16(r[1]);
}

void TestLifeWindows::mainWindowOpensThem()
{
    QFETCH(QString, control);
    QFETCH(QString, window);
    WindowFixture f;
    MainMenu menu(*f.ctx, f.ui);
    QStringList captions;
    f.ui.onModal(window, [&](QDialog *w) {
        // Every control is named for outside tools, and the window is Japanese.
        QCOMPARE(w->windowTitle(), window);
        for (QPushButton *b : w->findChildren<QPushButton *>())
            captions << b->accessibleDescription();
    });
    if (QPushButton *b = menu.button(control)) {
        QVERIFY(b->isEnabled());
        b->click();
    } else {
        QVERIFY(menu.item(control)->isEnabled());
        menu.item(control)->trigger();
    }
    QCOMPARE(f.ui.modalWindows, QStringList{window});
    QVERIFY(!captions.isEmpty());
    QVERIFY(!captions.contains(QString()));
    QVERIFY(captions.contains(QStringLiteral("終了ボタン")));
    QCOMPARE(f.ui.shown.size(), 0);
}

void TestLifeWindows::collectionDays_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("refused");
    QTest::newRow("three") << QStringLiteral("3") << 3 << false;
    QTest::newRow("full-width ten") << QStringLiteral("１０") << 10 << false;
    QTest::newRow("eleven") << QStringLiteral("11") << 0 << true;
    QTest::newRow("words") << QStringLiteral("三日") << 0 << true;
    QTest::newRow("empty") << QString() << 0 << true;
}

void TestLifeWindows::collectionDays()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    QFETCH(bool, refused);
    WindowFixture f;
    CollectionDaysWindow w(*f.ctx, f.ui);
    auto *days = child<QLineEdit>(&w, QStringLiteral("取立日数"));
    QCOMPARE(days->text(), QStringLiteral("0"));
    days->setText(typed);
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(schema::readCollectionDays(f.db()), stored);
    QCOMPARE(f.ui.texts(),
             refused ? QStringList{QStringLiteral("取立日数は 0〜10 の数字で入力してください")} : QStringList{});
    if (!refused) {
        CollectionDaysWindow again(*f.ctx, f.ui);
        QCOMPARE(child<QLineEdit>(&again, QStringLiteral("取立日数"))->text(), QString::number(stored));
    }
}

void TestLifeWindows::discountBanks()
{
    WindowFixture f;
    DiscountBankRegister w(*f.ctx, f.ui);
    child<QLineEdit>(&w, QStringLiteral("コード"))->setText(QStringLiteral("ｂ１"));
    child<QLineEdit>(&w, QStringLiteral("銀行名"))->setText(QStringLiteral("東西銀行"));
    child<QLineEdit>(&w, QStringLiteral("支店名"))->setText(QStringLiteral("本店"));
    child<QComboBox>(&w, QStringLiteral("入金口座"))->setEditText(QStringLiteral("当座 1234567"));
    child<QLineEdit>(&w, QStringLiteral("割引枠"))->setText(QStringLiteral("1,000,000"));
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(f.ui.texts(), QStringList{});
    QCOMPARE(table(&w)->rowTexts(),
             QStringList{QStringLiteral("b1 | 東西銀行 | 本店 | 当座 1234567 | 1,000,000 | 0 | 1,000,000")});
    // A bill discounted there takes part of the limit, and keeps the bank from being deleted.
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2027, 1, 29), 300000);
    book::discountBill(f.db(), step(id, kToday), QStringLiteral("B1"), 0);
    w.List1Requery();
    QCOMPARE(table(&w)->cell(0, 5), QStringLiteral("300,000"));
    QCOMPARE(table(&w)->cell(0, 6), QStringLiteral("700,000"));
    pick(table(&w), 0);
    QCOMPARE(child<QLineEdit>(&w, QStringLiteral("銀行名"))->text(), QStringLiteral("東西銀行"));
    f.ui.answer(true);
    click(&w, QStringLiteral("削除ボタン"));
    QCOMPARE(f.ui.texts().last(),
             QStringLiteral("この割引先で割引した手形が 1 件 (300,000 円) 残っているため、削除できません"));
    QCOMPARE(book::discountBanks(f.db()).size(), 1);
    // A limit that is no amount is refused before anything is stored.
    child<QLineEdit>(&w, QStringLiteral("割引枠"))->setText(QStringLiteral("たくさん"));
    click(&w, QStringLiteral("登録ボタン"));
    QVERIFY(f.ui.texts().last().startsWith(QStringLiteral("割引枠は 0 以上の金額")));
}

void TestLifeWindows::discountWithinAndOverTheLimit_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("after");
    QTest::newRow("within the limit") << qint64(500000) << false << false << QStringLiteral("割引");
    QTest::newRow("over, the clerk goes on") << qint64(50000) << true << true << QStringLiteral("割引");
    QTest::newRow("over, the clerk stops") << qint64(50000) << false << true << QStringLiteral("手元");
}

void TestLifeWindows::discountWithinAndOverTheLimit()
{
    QFETCH(qint64, limit);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(QString, after);
    WindowFixture f;
    addBank(f.db(), QStringLiteral("B1"), limit);
    const qint64 past = receive(f.db(), QStringLiteral("OLD"), QDate(2026, 11, 30));
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2027, 2, 26));
    DiscountEntryWindow w(*f.ctx, f.ui, f.kit);
    QCOMPARE(table(&w)->rowCount(), 2);
    // Nothing picked: a message, nothing discounted.
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("割引する手形を一覧から選んでください")});
    f.ui.clear();

    pick(table(&w), rowOf(table(&w), QStringLiteral("R1")));
    QVERIFY(child<QLabel>(&w, QStringLiteral("割引枠"))
                ->text()
                .contains(asked ? QStringLiteral("超過") : QStringLiteral("残り 400,000 円")));
    child<QLineEdit>(&w, QStringLiteral("割引日"))->setText(QStringLiteral("12/7"));
    child<QLineEdit>(&w, QStringLiteral("割引料"))->setText(QStringLiteral("1,500"));
    f.ui.answer(answer);
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(f.ui.shown.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(f.ui.shown.first().title, QStringLiteral("割引枠の超過"));
        QVERIFY(f.ui.shown.first().text.startsWith(QStringLiteral("割引枠を 50,000 円超えます")));
    }
    QCOMPARE(stateOf(f.db(), id), after);
    if (after == u"割引") {
        const book::BillEvent e = *book::standingEvent(f.db(), id, book::kind::割引);
        QCOMPARE(e.date, kToday);
        QCOMPARE(e.手数料, 1500);
        QCOMPARE(e.相手先, QStringLiteral("東西銀行 本店"));
        // The discounted bill left the candidates.
        QCOMPARE(rowOf(table(&w), QStringLiteral("R1")), -1);
    }
    // A bill past its due date is refused with the step's own words.
    f.ui.clear();
    pick(table(&w), rowOf(table(&w), QStringLiteral("OLD")));
    click(&w, QStringLiteral("登録ボタン"));
    QVERIFY2(f.ui.texts().last().contains(QStringLiteral("期日を過ぎた手形は割引できません")),
             qPrintable(f.ui.texts().join(u'|')));
    QCOMPARE(stateOf(f.db(), past), QStringLiteral("手元"));
}

void TestLifeWindows::discountTakenBack_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("reason");
    QTest::newRow("mistake") << QStringLiteral("Option1") << QStringLiteral("誤り");
    QTest::newRow("bought back") << QStringLiteral("Option2") << QStringLiteral("買戻し");
}

void TestLifeWindows::discountTakenBack()
{
    QFETCH(QString, option);
    QFETCH(QString, reason);
    WindowFixture f;
    addBank(f.db(), QStringLiteral("B1"), 1000000);
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2027, 2, 26));
    book::discountBill(f.db(), step(id, QDate(2026, 12, 1)), QStringLiteral("B1"), 900);
    DiscountReleaseWindow w(*f.ctx, f.ui, f.kit);
    QCOMPARE(table(&w)->rowTexts(),
             QStringList{QStringLiteral("2026/12/01 | 東西銀行 本店 | R1 | 振出工業 | 2027/02/26 | 100,000 | 900")});
    pick(table(&w), 0);
    child<QRadioButton>(&w, option)->setChecked(true);
    // Cancelled at the question: nothing changes.
    f.ui.answer(false);
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(stateOf(f.db(), id), QStringLiteral("割引"));
    f.ui.answer(true);
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(f.ui.shown.last().title, QStringLiteral("割引解除の確認"));
    QCOMPARE(stateOf(f.db(), id), QStringLiteral("手元"));
    QCOMPARE(book::eventsOfBill(f.db(), id).last().事由, reason);
    QCOMPARE(table(&w)->rowCount(), 0);
}

void TestLifeWindows::discountedListTotalsPerBank()
{
    WindowFixture f;
    addBank(f.db(), QStringLiteral("B1"), 1000000);
    addBank(f.db(), QStringLiteral("B2"), 500000);
    const qint64 a = receive(f.db(), QStringLiteral("A"), QDate(2027, 1, 29), 100000);
    const qint64 b = receive(f.db(), QStringLiteral("B"), QDate(2027, 2, 26), 200000);
    const qint64 c = receive(f.db(), QStringLiteral("C"), QDate(2027, 3, 31), 400000);
    const qint64 due = receive(f.db(), QStringLiteral("D"), QDate(2026, 12, 4), 800000);
    book::discountBill(f.db(), step(a, kToday), QStringLiteral("B1"), 0);
    book::discountBill(f.db(), step(b, kToday), QStringLiteral("B1"), 0);
    book::discountBill(f.db(), step(c, kToday), QStringLiteral("B2"), 0);
    book::discountBill(f.db(), step(due, QDate(2026, 12, 1)), QStringLiteral("B2"), 0);
    DiscountedListWindow w(*f.ctx, f.ui, f.kit);
    // The bill already due is no longer listed.
    QCOMPARE(table(&w)->rowCount(), 3);
    QCOMPARE(rowOf(table(&w), QStringLiteral("D")), -1);
    QCOMPARE(table(&w, QStringLiteral("List2"))->rowTexts(),
             (QStringList{QStringLiteral("東西銀行 本店 | 2 | 300,000 | 1,000,000 | 700,000"),
                          QStringLiteral("東西銀行 駅前支店 | 1 | 400,000 | 500,000 | -700,000")}));
    QCOMPARE(child<QLabel>(&w, QStringLiteral("合計"))->text(), QStringLiteral("合計 3 件　700,000 円"));
}

void TestLifeWindows::dishonourComesBack_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("question");
    QTest::newRow("in hand") << QStringLiteral("手元") << QString();
    QTest::newRow("discounted") << QStringLiteral("割引")
                                << QStringLiteral("割引した銀行（東西銀行 本店）から買い戻し");
    QTest::newRow("handed on") << QStringLiteral("譲渡") << QStringLiteral("譲渡先（仕入商会）に代金を支払い直し");
}

void TestLifeWindows::dishonourComesBack()
{
    QFETCH(QString, start);
    QFETCH(QString, question);
    WindowFixture f;
    addBank(f.db(), QStringLiteral("B1"), 1000000);
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2026, 12, 4), 250000);
    if (start == u"割引")
        book::discountBill(f.db(), step(id, QDate(2026, 11, 2)), QStringLiteral("B1"), 0);
    if (start == u"譲渡")
        QVERIFY(book::handOnBill(f.db(), id, QDate(2026, 11, 2), QStringLiteral("S1"), QStringLiteral("仕入商会")));
    DishonourEntryWindow w(*f.ctx, f.ui, f.kit);
    const int row = rowOf(table(&w), QStringLiteral("R1"));
    QVERIFY(row >= 0);
    pick(table(&w), row);
    // Without a reason: refused.
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("不渡の事由を入力してください")});
    f.ui.clear();
    child<QComboBox>(&w, QStringLiteral("事由"))->setEditText(QStringLiteral("資金不足"));
    child<QLineEdit>(&w, QStringLiteral("不渡日"))->setText(QStringLiteral("2026/12/5"));
    f.ui.answer(true);
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(f.ui.shown.size(), 1);
    QCOMPARE(f.ui.shown.first().title, QStringLiteral("不渡の確認"));
    if (!question.isEmpty())
        QVERIFY2(f.ui.shown.first().text.contains(question), qPrintable(f.ui.shown.first().text));
    QCOMPARE(stateOf(f.db(), id), QStringLiteral("不渡"));
    QCOMPARE(rowOf(table(&w), QStringLiteral("R1")), -1);
    // The list of dishonoured bills shows it, where it came from, and the total.
    DishonouredListWindow list(*f.ctx, f.ui, f.kit);
    QCOMPARE(table(&list)->rowCount(), 1);
    QVERIFY(table(&list)->cell(0, 7).startsWith(start));
    QCOMPARE(child<QLabel>(&list, QStringLiteral("合計"))->text(), QStringLiteral("合計 1 件　250,000 円"));
}

void TestLifeWindows::dishonourReleased_data()
{
    QTest::addColumn<bool>("recovered");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::newRow("mistake") << false << QString() << QStringLiteral("手元") << QString();
    QTest::newRow("recovered whole") << true << QStringLiteral("250,000") << QStringLiteral("回収済") << QString();
    QTest::newRow("recovered in part") << true << QStringLiteral("100000") << QStringLiteral("回収済") << QString();
    QTest::newRow("more than the bill") << true << QStringLiteral("250,001") << QStringLiteral("不渡")
                                        << QStringLiteral(
                                               "回収額は 1 円以上、手形金額 (250,000 円) までで入力してください");
}

void TestLifeWindows::dishonourReleased()
{
    QFETCH(bool, recovered);
    QFETCH(QString, amount);
    QFETCH(QString, after);
    QFETCH(QString, message);
    WindowFixture f;
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2026, 12, 4), 250000);
    book::dishonourBill(f.db(), step(id, QDate(2026, 12, 5)), QStringLiteral("資金不足"));
    DishonourReleaseWindow w(*f.ctx, f.ui, f.kit);
    pick(table(&w), 0);
    // The whole amount is proposed.
    QCOMPARE(child<QLineEdit>(&w, QStringLiteral("回収額"))->text(), QStringLiteral("250,000"));
    child<QRadioButton>(&w, recovered ? QStringLiteral("Option2") : QStringLiteral("Option1"))->setChecked(true);
    QCOMPARE(child<QLineEdit>(&w, QStringLiteral("回収額"))->isEnabled(), recovered);
    if (recovered)
        child<QLineEdit>(&w, QStringLiteral("回収額"))->setText(amount);
    f.ui.answer(true);
    click(&w, QStringLiteral("登録ボタン"));
    QCOMPARE(stateOf(f.db(), id), after);
    if (!message.isEmpty()) {
        QCOMPARE(f.ui.texts().last(), message);
        return;
    }
    const book::BillEvent e = book::eventsOfBill(f.db(), id).last();
    QCOMPARE(e.kind, book::kind::不渡取消);
    QCOMPARE(e.回収額, recovered ? fmt::parseAmount(amount).value() : 0);
}

void TestLifeWindows::settleTheTickedBills()
{
    WindowFixture f;
    schema::writeCollectionDays(f.db(), 1);
    // Due Friday 12/4 + 1 day: Saturday, so Monday 12/7, today.
    const qint64 a = receive(f.db(), QStringLiteral("A"), QDate(2026, 12, 4), 100000);
    // Due Monday 12/7 + 1 day: tomorrow, not yet.
    const qint64 b = receive(f.db(), QStringLiteral("B"), QDate(2026, 12, 7), 200000);
    const qint64 c = receive(f.db(), QStringLiteral("C"), QDate(2026, 11, 30), 400000);
    const qint64 d = receive(f.db(), QStringLiteral("D"), QDate(2026, 11, 2), 800000);
    SettlementWindow w(*f.ctx, f.ui, f.kit);
    QCOMPARE(table(&w)->rowTexts(),
             (QStringList{QStringLiteral("2026/11/04 | 受取 | D | 得意先商事 | 2026/11/02 | 800,000"),
                          QStringLiteral("2026/12/01 | 受取 | C | 得意先商事 | 2026/11/30 | 400,000"),
                          QStringLiteral("2026/12/07 | 受取 | A | 得意先商事 | 2026/12/04 | 100,000")}));
    QCOMPARE(child<QLabel>(&w, QStringLiteral("選択合計"))->text(),
             QStringLiteral("選んだ手形 3 件　1,300,000 円（全 3 件）"));
    // The clerk knows D bounced: its tick comes off.
    table(&w)->setChecked(0, false);
    QCOMPARE(child<QLabel>(&w, QStringLiteral("選択合計"))->text(),
             QStringLiteral("選んだ手形 2 件　500,000 円（全 3 件）"));
    f.ui.answer(false);
    click(&w, QStringLiteral("決済ボタン"));
    QCOMPARE(f.ui.shown.last().text, QStringLiteral("2 件、合計 500,000 円の手形を決済しますよ"));
    QCOMPARE(stateOf(f.db(), a), QStringLiteral("手元"));
    f.ui.answer(true);
    click(&w, QStringLiteral("決済ボタン"));
    QCOMPARE(stateOf(f.db(), a), QStringLiteral("決済済"));
    QCOMPARE(stateOf(f.db(), c), QStringLiteral("決済済"));
    QCOMPARE(stateOf(f.db(), d), QStringLiteral("手元"));
    QCOMPARE(stateOf(f.db(), b), QStringLiteral("手元"));
    // Each on its own settlement day.
    QCOMPARE(book::standingEvent(f.db(), c, book::kind::決済)->date, QDate(2026, 12, 1));
    QCOMPARE(book::standingEvent(f.db(), a, book::kind::決済)->date, QDate(2026, 12, 7));
    QCOMPARE(table(&w)->rowCount(), 1);
    QCOMPARE(table(&w, QStringLiteral("List2"))->rowCount(), 2);
    // Nothing ticked: a message.
    table(&w)->setAllChecked(false);
    f.ui.clear();
    click(&w, QStringLiteral("決済ボタン"));
    QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("決済する手形に ✓ を付けてください")});
    // Settled bills leave the receivable list.
    ReceivableListWindow list(*f.ctx, f.ui, f.kit);
    QCOMPARE(child<ui::LineList>(&list, QStringLiteral("List2"))->count(), 2);
}

void TestLifeWindows::settlementTakenBackWarnsOfTheJournal_data()
{
    QTest::addColumn<QDate>("exported");
    QTest::addColumn<bool>("warned");
    QTest::newRow("never exported") << QDate() << false;
    QTest::newRow("exported before") << QDate(2026, 11, 30) << false;
    QTest::newRow("exported over it") << QDate(2026, 12, 31) << true;
}

void TestLifeWindows::settlementTakenBackWarnsOfTheJournal()
{
    QFETCH(QDate, exported);
    QFETCH(bool, warned);
    WindowFixture f;
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2026, 12, 4));
    book::settleBill(f.db(), step(id, QDate(2026, 12, 4)));
    if (exported.isValid())
        book::noteJournalExported(f.db(), exported);
    SettlementWindow w(*f.ctx, f.ui, f.kit);
    QCOMPARE(table(&w, QStringLiteral("List2"))->rowCount(), 1);
    click(&w, QStringLiteral("決済取消ボタン"));
    QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("決済を取り消す手形を下の一覧から選んでください")});
    f.ui.clear();
    pick(table(&w, QStringLiteral("List2")), 0);
    f.ui.answer(true);
    click(&w, QStringLiteral("決済取消ボタン"));
    QCOMPARE(f.ui.shown.size(), 1);
    QCOMPARE(f.ui.shown.first().title, QStringLiteral("決済取消の確認"));
    QCOMPARE(f.ui.shown.first().text.contains(QStringLiteral("仕訳は出力済み")), warned);
    QCOMPARE(stateOf(f.db(), id), QStringLiteral("手元"));
    QCOMPARE(table(&w, QStringLiteral("List2"))->rowCount(), 0);
    // Back among the bills to settle.
    QCOMPARE(table(&w)->rowCount(), 1);
}

void TestLifeWindows::historyOfABillAndTheSearch_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("party");
    QTest::addColumn<QStringList>("found"); // kind and number of each event, or the message
    QTest::newRow("date range") << QStringLiteral("12/1") << QStringLiteral("12/6") << QString() << QString()
                                << QString() << QStringList{QStringLiteral("割引 B")};
    QTest::newRow("amount range") << QString() << QString() << QStringLiteral("150,000") << QStringLiteral("250000")
                                  << QString() << QStringList{QStringLiteral("受取 B"), QStringLiteral("割引 B")};
    QTest::newRow("party: the bank") << QString() << QString() << QString() << QString() << QStringLiteral("東西")
                                     << QStringList{QStringLiteral("割引 B")};
    QTest::newRow("party: the customer's code")
        << QString() << QString() << QString() << QString() << QStringLiteral("c2")
        << QStringList{QStringLiteral("受取 C"), QStringLiteral("削除 C")};
    QTest::newRow("combined") << QStringLiteral("2026/10/1") << QStringLiteral("2026/10/1") << QStringLiteral("1")
                              << QStringLiteral("100,000") << QStringLiteral("得意先")
                              << QStringList{QStringLiteral("受取 A")};
    QTest::newRow("reversed dates") << QStringLiteral("12/6") << QStringLiteral("12/1") << QString() << QString()
                                    << QString()
                                    << QStringList{QStringLiteral("期間の始めが終わりより後になっています")};
    QTest::newRow("no date") << QStringLiteral("いつか") << QString() << QString() << QString() << QString()
                             << QStringList{QStringLiteral("期間の始めを正しく入力してください\n"
                                                           "（例: 2026/12/7、12/7、令和8年12月7日）")};
}

void TestLifeWindows::historyOfABillAndTheSearch()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(QString, party);
    QFETCH(QStringList, found);
    WindowFixture f;
    addBank(f.db(), QStringLiteral("B1"), 1000000);
    const qint64 a = receive(f.db(), QStringLiteral("A"), QDate(2027, 1, 29), 100000);
    const qint64 b = receive(f.db(), QStringLiteral("B"), QDate(2027, 1, 29), 200000);
    book::ReceivableBill other;
    other.日付 = QDate(2026, 11, 1);
    other.手形番号 = QStringLiteral("C");
    other.取引先コード = QStringLiteral("C2");
    other.取引先 = QStringLiteral("別の会社");
    other.金額 = 300000;
    const qint64 c = book::registerReceivableBill(f.db(), other, std::nullopt);
    book::discountBill(f.db(), step(b, QDate(2026, 12, 3)), QStringLiteral("B1"), 2000);
    book::deleteReceivableBill(f.db(), c, std::nullopt, kToday);

    // The history of one bill, opened for it.
    {
        HistoryWindow w(*f.ctx, f.ui, f.kit, b);
        QCOMPARE(w.windowTitle(), QStringLiteral("手形履歴 — 手形番号 B"));
        QCOMPARE(table(&w)->rowCount(), 2);
        QCOMPARE(table(&w)->cell(1, 1), QStringLiteral("割引"));
        QCOMPARE(table(&w)->cell(1, 6), QStringLiteral("割引料 2,000"));
        QCOMPARE(table(&w)->cell(1, 7), QStringLiteral("手元→割引"));
        // "クリア" leaves the bill: the next search is over every bill.
        click(&w, QStringLiteral("クリアボタン"));
        click(&w, QStringLiteral("検索ボタン"));
        QCOMPARE(table(&w)->rowCount(), 5);
        QCOMPARE(rowOf(table(&w), QStringLiteral("A")) >= 0, true);
    }
    {
        // A deleted bill shows the row it was in the detail.
        HistoryWindow w(*f.ctx, f.ui, f.kit, c);
        pick(table(&w), 1);
        QVERIFY(child<QPlainTextEdit>(&w, QStringLiteral("詳細"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("【削除した手形】")));
        QVERIFY(child<QPlainTextEdit>(&w, QStringLiteral("詳細"))
                    ->toPlainText()
                    .contains(QStringLiteral("取引先: 別の会社")));
    }
    HistoryWindow w(*f.ctx, f.ui, f.kit, 0);
    QCOMPARE(table(&w)->rowCount(), 0);
    child<QLineEdit>(&w, QStringLiteral("開始日"))->setText(from);
    child<QLineEdit>(&w, QStringLiteral("終了日"))->setText(to);
    child<QLineEdit>(&w, QStringLiteral("金額下限"))->setText(min);
    child<QLineEdit>(&w, QStringLiteral("金額上限"))->setText(max);
    child<QLineEdit>(&w, QStringLiteral("相手"))->setText(party);
    click(&w, QStringLiteral("検索ボタン"));
    if (!f.ui.shown.isEmpty()) {
        QCOMPARE(f.ui.texts(), found);
        return;
    }
    QStringList events;
    for (int r = 0; r < table(&w)->rowCount(); ++r)
        events << table(&w)->cell(r, 1) + u' ' + table(&w)->cell(r, 2);
    QCOMPARE(events, found);
    QCOMPARE(child<QLabel>(&w, QStringLiteral("件数"))->text(), QStringLiteral("%1 件").arg(found.size()));
    Q_UNUSED(a);
}

void TestLifeWindows::historyFromTheReceivableList()
{
    WindowFixture f;
    const qint64 id = receive(f.db(), QStringLiteral("R1"), QDate(2027, 1, 29));
    receive(f.db(), QStringLiteral("R2"), QDate(2027, 2, 26));
    ReceivableListWindow list(*f.ctx, f.ui, f.kit);
    QStringList shown;
    f.ui.onModal(QStringLiteral("手形履歴"), [&](QDialog *w) {
        shown = table(w)->rowTexts();
        QCOMPARE(w->windowTitle(), QStringLiteral("手形履歴 — 手形番号 R1"));
    });
    QVERIFY(showActive(&list));
    clickRow(child<ui::LineList>(&list, QStringLiteral("List2")), 0);
    click(&list, QStringLiteral("履歴ボタン"));
    QCOMPARE(f.ui.modalWindows, QStringList{QStringLiteral("手形履歴")});
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().startsWith(QStringLiteral("2026/10/01 | 受取 | R1")));
    Q_UNUSED(id);
}

QTEST_MAIN(TestLifeWindows)
#include "test_life_windows.moc"
