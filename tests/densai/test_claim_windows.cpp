// The windows of the electronic claims, opened for real on a fresh book:
// the main window's でんさい group opens each; a claim is booked, corrected,
// split, transferred and discounted through them, and the network's rules
// are refused with the reason shown.

#include "master/MasterTest.h"

#include "app/MainMenu.h"
#include "book/BillLife.h"
#include "book/Densai.h"
#include "book/DiscountBanks.h"
#include "data/Calendar.h"
#include "densai/ClaimWindows.h"
#include "ui/RowTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;
namespace dn = sorvane::book::densai;

namespace {

const QString kNumber = QStringLiteral("AB000000000000000001");

void prepare(Database &db)
{
    db.execute(QStringLiteral("insert into T0(tc,tn) values('C1','得意先商事')"));
    const qint64 customer = db.lastInsertId();
    db.execute(QStringLiteral("insert into T1(idoft,支払場所,支払場所支店) values(?,'南銀行','駅前支店')"), {customer});
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

void click(QWidget *w, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

void type(QWidget *w, const QString &field, const QString &text)
{
    child<QLineEdit>(w, field)->setText(text);
}

ui::RowTable *table(QWidget *w)
{
    return child<ui::RowTable>(w, QStringLiteral("List1"));
}

void pick(ui::RowTable *t, int row)
{
    const QModelIndex index = t->model()->index(row, 1);
    t->scrollTo(index);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualRect(index).center());
}

// Tabs on until the control named has the focus; fails after a full round.
bool tabTo(const QString &name)
{
    for (int i = 0; i < 40; ++i) {
        if (QApplication::focusWidget() && QApplication::focusWidget()->objectName() == name)
            return true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return false;
}

void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), k, m);
}

// The entry window's fields by keyboard: the record number, then each text
// in the next field by Tab.
void typeFields(const QStringList &texts)
{
    QTest::keyClicks(QApplication::focusWidget(), kNumber);
    for (const QString &text : texts) {
        key(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
}

qint64 claimOn(AppFixture &f, const QString &number, const QDate &due, bool restricted = false)
{
    dn::Claim c;
    c.記録番号 = number;
    c.電子記録日 = QDate(2026, 10, 1);
    c.支払期日 = due;
    c.金額 = 300000;
    c.取引先コード = QStringLiteral("C1");
    c.譲渡制限 = restricted;
    BankCalendar calendar(f.folder.path(), *f.ctx->DataWorkspace);
    return dn::registerClaim(f.db(), c, calendar);
}

} // namespace

class TestClaimWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void mainWindowOpensThem_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("window");
        const char16_t *rows[][2] = {
            {u"電子債権入力ボタン", u"電子記録債権入力"},
            {u"M70債権入力", u"電子記録債権入力"},
            {u"電子債権一覧ボタン", u"電子記録債権一覧"},
            {u"M71債権一覧", u"電子記録債権一覧"},
            {u"電子債務入力ボタン", u"電子記録債務入力"},
            {u"M72債務入力", u"電子記録債務入力"},
            {u"電子債務一覧ボタン", u"電子記録債務一覧"},
            {u"M73債務一覧", u"電子記録債務一覧"},
            {u"電子債権処理ボタン", u"電子記録債権の譲渡・分割・割引"},
            {u"M74処理", u"電子記録債権の譲渡・分割・割引"},
        };
        for (const auto &r : rows)
            QTest::newRow(qPrintable(QString::fromUtf16(r[0]))) << QString::fromUtf16(r[0]) << QString::fromUtf16(r[1]);
    }

    void mainWindowOpensThem()
    {
        QFETCH(QString, control);
        QFETCH(QString, window);
        WindowFixture f;
        MainMenu menu(*f.ctx, f.ui);
        QStringList names;
        f.ui.onModal(window, [&](QDialog *w) {
            QCOMPARE(w->windowTitle(), window);
            for (QWidget *c : w->findChildren<QWidget *>())
                if (c->isVisibleTo(w) && (qobject_cast<QLineEdit *>(c) || qobject_cast<QPushButton *>(c)))
                    names << c->accessibleDescription();
        });
        if (QPushButton *b = menu.button(control))
            b->click();
        else
            menu.item(control)->trigger();
        QCOMPARE(f.ui.modalWindows, QStringList{window});
        QVERIFY(names.contains(QStringLiteral("終了ボタン")));
        QVERIFY(!names.contains(QString()));
        QCOMPARE(f.ui.shown.size(), 0);
    }

    // The entry window books what was typed, with the customer's bank from
    // its template; a wrong field is refused with its reason, nothing stored.
    void entryBooksOrRefuses_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("due");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message"); // empty: booked
        QTest::newRow("booked") << QStringLiteral("ａｂ000000000000000001") << QStringLiteral("2027/1/29")
                                << QStringLiteral("300,000") << QString();
        QTest::newRow("short number") << QStringLiteral("AB1") << QStringLiteral("2027/1/29")
                                      << QStringLiteral("300,000")
                                      << QStringLiteral("記録番号は半角英数字 20 桁です (入力は 3 桁)");
        QTest::newRow("closed bank") << kNumber << QStringLiteral("2027/1/30") << QStringLiteral("300,000")
                                     << QStringLiteral("支払期日 2027/01/30 は銀行の休業日です");
        QTest::newRow("no amount") << kNumber << QStringLiteral("2027/1/29") << QStringLiteral("0")
                                   << QStringLiteral("金額は 1 円以上");
    }

    void entryBooksOrRefuses()
    {
        QFETCH(QString, number);
        QFETCH(QString, due);
        QFETCH(QString, amount);
        QFETCH(QString, message);
        WindowFixture f;
        prepare(f.db());
        ClaimEntryWindow w(*f.ctx, f.ui, f.kit, dn::Side::Receivable);
        QVERIFY(showActive(&w));
        type(&w, QStringLiteral("記録番号"), number);
        type(&w, QStringLiteral("電子記録日"), QStringLiteral("2026/10/1"));
        type(&w, QStringLiteral("支払期日"), due);
        type(&w, QStringLiteral("金額"), amount);
        auto *party = child<QLineEdit>(&w, QStringLiteral("取引先コード"));
        party->setFocus();
        party->setText(QStringLiteral("ｃ１"));
        child<QLineEdit>(&w, QStringLiteral("債権者口座"))->setFocus();
        QCOMPARE(child<QLabel>(&w, QStringLiteral("取引先"))->text(), QStringLiteral("得意先商事"));
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("債務者銀行"))->text(), QStringLiteral("南銀行"));
        click(&w, QStringLiteral("登録ボタン"));
        const std::vector<dn::Claim> stored = dn::claims(f.db(), dn::Side::Receivable);
        if (message.isEmpty()) {
            QCOMPARE(f.ui.texts(), QStringList{});
            QCOMPARE(stored.size(), size_t(1));
            QCOMPARE(stored.front().記録番号, kNumber);
            QCOMPARE(stored.front().債務者支店, QStringLiteral("駅前支店"));
            // The form is empty for the next claim.
            QCOMPARE(child<QLineEdit>(&w, QStringLiteral("記録番号"))->text(), QString());
        } else {
            QCOMPARE(f.ui.texts().size(), 1);
            QVERIFY2(f.ui.texts().first().contains(message), qPrintable(f.ui.texts().first()));
            QCOMPARE(stored.size(), size_t(0));
        }
        w.close();
    }

    // Our claim is paid from a checking account chosen in the window.
    void payableEntry()
    {
        WindowFixture f;
        prepare(f.db());
        ClaimEntryWindow w(*f.ctx, f.ui, f.kit, dn::Side::Payable);
        type(&w, QStringLiteral("記録番号"), kNumber);
        type(&w, QStringLiteral("電子記録日"), QStringLiteral("2026/10/1"));
        type(&w, QStringLiteral("支払期日"), QStringLiteral("2027/1/29"));
        type(&w, QStringLiteral("金額"), QStringLiteral("45000"));
        type(&w, QStringLiteral("取引先コード"), QStringLiteral("S1"));
        click(&w, QStringLiteral("登録ボタン"));
        QCOMPARE(f.ui.texts(), QStringList{QStringLiteral("支払口座を選んでください")});
        auto *account = child<QComboBox>(&w, QStringLiteral("口座"));
        QCOMPARE(account->count(), 1);
        account->setCurrentIndex(0);
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("債務者銀行"))->text(), QStringLiteral("北銀行"));
        click(&w, QStringLiteral("登録ボタン"));
        QCOMPARE(f.ui.texts().size(), 1);
        QCOMPARE(dn::claims(f.db(), dn::Side::Payable).size(), size_t(1));
    }

    // The list shows the open claims; a pick fills the form, 修正 saves it,
    // 削除 asks first (Enter is キャンセル) and then deletes.
    void listCorrectsAndDeletes()
    {
        WindowFixture f;
        prepare(f.db());
        for (int i = 1; i <= 12; ++i)
            claimOn(f, QStringLiteral("AB%1").arg(i, 18, 10, QLatin1Char('0')), QDate(2027, 1, 29));
        ClaimListWindow w(*f.ctx, f.ui, f.kit, dn::Side::Receivable);
        QCOMPARE(table(&w)->rowCount(), 12);
        pick(table(&w), 0);
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("記録番号"))->text(), kNumber);
        type(&w, QStringLiteral("金額"), QStringLiteral("310,000"));
        click(&w, QStringLiteral("修正ボタン"));
        QCOMPARE(f.ui.texts(), QStringList{});
        QCOMPARE(table(&w)->cell(0, 3), QStringLiteral("310,000"));
        pick(table(&w), 0);
        click(&w, QStringLiteral("削除ボタン"));
        QCOMPARE(f.ui.shown.last().preset, MessageService::Default::Cancel);
        QCOMPARE(table(&w)->rowCount(), 12);
        f.ui.answer(true);
        pick(table(&w), 0);
        click(&w, QStringLiteral("削除ボタン"));
        QCOMPARE(table(&w)->rowCount(), 11);
        QVERIFY(!dn::claim(f.db(), 1));

        // A claim handed on by mistake comes back; one in hand has nothing to take back.
        BankCalendar calendar(f.folder.path(), *f.ctx->DataWorkspace);
        dn::transferClaim(f.db(), {2, std::nullopt, QDate(2026, 12, 1), QDate(2026, 12, 7)}, QStringLiteral("S1"), true,
                          calendar);
        w.List1Requery();
        QCOMPARE(table(&w)->cell(0, 4), QStringLiteral("譲渡"));
        pick(table(&w), 1);
        f.ui.clear();
        click(&w, QStringLiteral("譲渡取消ボタン"));
        QCOMPARE(f.ui.texts(),
                 QStringList{QStringLiteral("譲渡を取り消す債権（状態が「譲渡」のもの）を一覧から選んでください")});
        f.ui.answer(true);
        pick(table(&w), 0);
        click(&w, QStringLiteral("譲渡取消ボタン"));
        QCOMPARE(book::billRow(f.db(), 2)->stateLabel(), QStringLiteral("手元"));
        QCOMPARE(table(&w)->cell(0, 4), QStringLiteral("手元"));
    }

    // The step window explains the rules for the claim picked, refuses a
    // step inside the blackout or a transfer of a restricted claim with the
    // reason, and takes a split, a transfer and a discount.
    void stepsWithTheRules_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<QString>("message"); // empty: done
        QTest::addColumn<QString>("state");
        QTest::newRow("transfer") << QStringLiteral("譲渡") << QDate(2027, 1, 29) << false << QString()
                                  << QStringLiteral("譲渡");
        QTest::newRow("transfer in the blackout")
            << QStringLiteral("譲渡") << QDate(2026, 12, 9) << false
            << QStringLiteral("でんさいの譲渡・分割・割引の記録ができません") << QStringLiteral("手元");
        QTest::newRow("restricted") << QStringLiteral("譲渡") << QDate(2027, 1, 29) << true
                                    << QStringLiteral("譲渡制限があります") << QStringLiteral("手元");
        QTest::newRow("split") << QStringLiteral("分割") << QDate(2027, 1, 29) << false << QString()
                               << QStringLiteral("手元");
        QTest::newRow("discount") << QStringLiteral("割引") << QDate(2027, 1, 29) << true << QString()
                                  << QStringLiteral("割引");
    }

    void stepsWithTheRules()
    {
        QFETCH(QString, mode);
        QFETCH(QDate, due);
        QFETCH(bool, restricted);
        QFETCH(QString, message);
        QFETCH(QString, state);
        WindowFixture f;
        prepare(f.db());
        const qint64 id = claimOn(f, kNumber, due, restricted);
        ClaimStepWindow w(*f.ctx, f.ui, f.kit);
        QCOMPARE(table(&w)->rowCount(), 1);
        pick(table(&w), 0);
        const QString rules = child<QLabel>(&w, QStringLiteral("規則"))->text();
        QVERIFY2(rules.contains(QStringLiteral("3 銀行営業日前")), qPrintable(rules));
        QVERIFY2(rules.contains(restricted ? QStringLiteral("譲渡制限があるため") : QStringLiteral("選んだ債権")),
                 qPrintable(rules));
        child<QRadioButton>(&w, mode)->setChecked(true);
        type(&w, QStringLiteral("譲渡先コード"), QStringLiteral("S1"));
        type(&w, QStringLiteral("分割記録番号"), QStringLiteral("AB000000000000000099"));
        type(&w, QStringLiteral("分割金額"), QStringLiteral("100,000"));
        type(&w, QStringLiteral("割引料"), QStringLiteral("1,000"));
        f.ui.defaultAnswer = true;
        click(&w, QStringLiteral("実行ボタン"));
        QStringList boxes = f.ui.texts();
        if (message.isEmpty()) {
            QCOMPARE(boxes.size(), 1); // the question
            QCOMPARE(book::billRow(f.db(), id)->stateLabel(), state);
        } else {
            QVERIFY2(boxes.last().contains(message), qPrintable(boxes.join(u'|')));
            QCOMPARE(book::billRow(f.db(), id)->stateLabel(), state);
        }
        if (mode == u"分割" && message.isEmpty()) {
            QCOMPARE(book::billRow(f.db(), id)->金額, 200000);
            QCOMPARE(table(&w)->rowCount(), 2);
        }
    }

    // Our claim by keyboard: the account is chosen with the arrow key and
    // fills the debtor's bank.
    void payableEntryKeyboardAlone()
    {
        WindowFixture f;
        prepare(f.db());
        ClaimEntryWindow w(*f.ctx, f.ui, f.kit, dn::Side::Payable);
        QVERIFY(showActive(&w));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("記録番号"));
        typeFields(
            {QStringLiteral("2026/10/1"), QStringLiteral("2027/1/29"), QStringLiteral("45000"), QStringLiteral("S1")});
        QVERIFY(tabTo(QStringLiteral("口座")));
        key(Qt::Key_Down);
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("債務者銀行"))->text(), QStringLiteral("北銀行"));
        QVERIFY(tabTo(QStringLiteral("登録ボタン")));
        key(Qt::Key_Return);
        QCOMPARE(f.ui.texts(), QStringList{});
        const std::vector<dn::Claim> stored = dn::claims(f.db(), dn::Side::Payable);
        QCOMPARE(stored.size(), size_t(1));
        QCOMPARE(stored.front().金額, 45000);
        QCOMPARE(stored.front().取引先, QStringLiteral("仕入商会"));
        w.close();
    }

    // Both lists by keyboard: the arrow key picks, the amount is typed over,
    // Enter on 修正 saves; 削除 asks, and Enter on the question (キャンセル)
    // keeps the claim, a yes deletes it.
    void listKeyboardAlone_data()
    {
        QTest::addColumn<bool>("receivable");
        QTest::newRow("債権") << true;
        QTest::newRow("債務") << false;
    }

    void listKeyboardAlone()
    {
        QFETCH(bool, receivable);
        WindowFixture f;
        prepare(f.db());
        const dn::Side side = receivable ? dn::Side::Receivable : dn::Side::Payable;
        for (int i = 1; i <= 3; ++i) {
            dn::Claim c;
            c.side = side;
            c.記録番号 = QStringLiteral("AB%1").arg(i, 18, 10, QLatin1Char('0'));
            c.電子記録日 = QDate(2026, 10, 1);
            c.支払期日 = QDate(2027, 1, 29);
            c.金額 = 300000;
            c.取引先コード = receivable ? QStringLiteral("C1") : QStringLiteral("S1");
            if (!receivable)
                c.kozano = 1;
            BankCalendar calendar(f.folder.path(), *f.ctx->DataWorkspace);
            dn::registerClaim(f.db(), c, calendar);
        }
        ClaimListWindow w(*f.ctx, f.ui, f.kit, side);
        QVERIFY(showActive(&w));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("List1"));
        key(Qt::Key_Down);
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("記録番号"))->text(), kNumber);
        QVERIFY(tabTo(QStringLiteral("金額")));
        key(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("310000"));
        QVERIFY(tabTo(QStringLiteral("修正ボタン")));
        key(Qt::Key_Return);
        QCOMPARE(f.ui.texts(), QStringList{});
        QCOMPARE(dn::claims(f.db(), side).front().金額, 310000);

        QVERIFY(tabTo(QStringLiteral("List1")));
        key(Qt::Key_Down);
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("記録番号"))->text(), kNumber);
        QVERIFY(tabTo(QStringLiteral("削除ボタン")));
        key(Qt::Key_Return);
        QCOMPARE(f.ui.shown.last().preset, MessageService::Default::Cancel);
        QCOMPARE(dn::claims(f.db(), side).size(), size_t(3));
        f.ui.answer(true);
        key(Qt::Key_Return);
        QCOMPARE(dn::claims(f.db(), side).size(), size_t(2));
        w.close();
    }

    // The step window by keyboard: the arrow key picks the claim and moves
    // between 譲渡, 分割 and 割引; Enter on 実行 runs the step after a yes.
    void stepKeyboardAlone_data()
    {
        QTest::addColumn<int>("rightPresses"); // from 譲渡
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("state");
        QTest::addColumn<qint64>("amount");
        QTest::newRow("譲渡") << 0 << QStringLiteral("譲渡先コード") << QStringLiteral("S1") << QStringLiteral("譲渡")
                              << qint64(300000);
        QTest::newRow("分割") << 1 << QStringLiteral("分割金額") << QStringLiteral("100000") << QStringLiteral("手元")
                              << qint64(200000);
        QTest::newRow("割引") << 2 << QStringLiteral("割引料") << QStringLiteral("1000") << QStringLiteral("割引")
                              << qint64(300000);
    }

    void stepKeyboardAlone()
    {
        QFETCH(int, rightPresses);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, state);
        QFETCH(qint64, amount);
        WindowFixture f;
        prepare(f.db());
        const qint64 id = claimOn(f, kNumber, QDate(2027, 1, 29));
        ClaimStepWindow w(*f.ctx, f.ui, f.kit);
        QVERIFY(showActive(&w));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("List1"));
        key(Qt::Key_Down);
        QVERIFY(child<QLabel>(&w, QStringLiteral("規則"))->text().contains(kNumber));
        QVERIFY(tabTo(QStringLiteral("譲渡")));
        for (int i = 0; i < rightPresses; ++i)
            key(Qt::Key_Right);
        if (rightPresses == 1) {
            QVERIFY(tabTo(QStringLiteral("分割記録番号")));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("AB000000000000000099"));
        }
        QVERIFY(tabTo(field));
        key(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QVERIFY(tabTo(QStringLiteral("実行ボタン")));
        f.ui.answer(true);
        key(Qt::Key_Return);
        QCOMPARE(f.ui.texts().size(), 1); // the question only
        QCOMPARE(book::billRow(f.db(), id)->stateLabel(), state);
        QCOMPARE(book::billRow(f.db(), id)->金額, amount);
        w.close();
    }

    // Driven with the keyboard alone: the fields in order, Enter on the
    // button registers.
    void keyboardAlone()
    {
        WindowFixture f;
        prepare(f.db());
        ClaimEntryWindow w(*f.ctx, f.ui, f.kit, dn::Side::Receivable);
        QVERIFY(showActive(&w));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("記録番号"));
        typeFields(
            {QStringLiteral("2026/10/1"), QStringLiteral("2027/1/29"), QStringLiteral("5000"), QStringLiteral("C1")});
        // Through the banks and the restriction to 登録.
        QVERIFY(tabTo(QStringLiteral("登録ボタン")));
        key(Qt::Key_Return);
        QCOMPARE(f.ui.texts(), QStringList{});
        QCOMPARE(dn::claims(f.db(), dn::Side::Receivable).size(), size_t(1));
        QCOMPARE(dn::claims(f.db(), dn::Side::Receivable).front().取引先, QStringLiteral("得意先商事"));
        w.close();
    }
};

QTEST_MAIN(TestClaimWindows)
#include "test_claim_windows.moc"
