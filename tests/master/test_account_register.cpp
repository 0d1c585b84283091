// 口座情報: the company's accounts in a window, on the book functions the
// tool uses: every column in kozano order, adding, changing, refusals with a
// message and nothing written, removing (refused while bills use the
// account), the main window's two ways in, and the payable windows seeing a
// change the next time they load the account cache.

#include "MasterTest.h"

#include "app/MainMenu.h"
#include "book/Accounts.h"
#include "master/AccountRegister.h"
#include "payable/PayableEntry.h"
#include "ui/SheetView.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace sorvane;
using namespace sorvane::test;

namespace {

using Typed = QMap<QString, QString>;

QLineEdit *edit(QWidget *w, const QString &name)
{
    return child<QLineEdit>(w, name);
}

ui::SheetView *listOf(QWidget *w)
{
    return child<ui::SheetView>(w, u"List1"_qs);
}

// A user's click on a row of the list.
void pickRow(ui::SheetView *list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

void addTwo(Database &db)
{
    book::addAccount(db, {{u"kozano"_qs, 3},
                          {u"口座種別"_qs, u"普通"_qs},
                          {u"銀行名"_qs, u"北銀行"_qs},
                          {u"担保枠"_qs, 5000000},
                          {u"確定済年月"_qs, QDate(2026, 10, 31)}});
    book::addAccount(db, {{u"kozano"_qs, 1},
                          {u"口座種別"_qs, u"当座"_qs},
                          {u"銀行名"_qs, u"東西銀行"_qs},
                          {u"支店名"_qs, u"本店"_qs},
                          {u"口座番号"_qs, u"1234567"_qs},
                          {u"手形期間"_qs, 90}});
}

void type(QWidget *w, const Typed &fields)
{
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (auto *combo = w->findChild<QComboBox *>(it.key()))
            combo->setEditText(it.value());
        else
            edit(w, it.key())->setText(it.value());
    }
}

QString accountsText(Database &db)
{
    QStringList rows;
    for (const book::AccountRecord &a : book::readAccounts(db))
        rows << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(a.kozano())
                    .arg(a.text(u"口座種別"_qs), a.text(u"銀行名"_qs), a.text(u"手形期間"_qs), a.text(u"担保枠"_qs));
    return rows.join(u'|');
}

} // namespace

class TestAccountRegister : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void listsEveryColumnInKozanoOrder();
    void save_data();
    void save();
    void changePickedAccount();
    void remove_data();
    void remove();
    void mainWindowOpensIt_data();
    void mainWindowOpensIt();
    void payableEntrySeesNewAccount();
};

void TestAccountRegister::listsEveryColumnInKozanoOrder()
{
    AppFixture f;
    addTwo(f.db());
    AccountRegister w(*f.ctx, f.ui);
    QCOMPARE(w.objectName(), u"口座情報"_qs);
    QCOMPARE(w.windowTitle(), u"口座情報"_qs);
    ui::SheetView *list = listOf(&w);
    QStringList headers;
    for (int c = 0; c < list->model()->columnCount(); ++c)
        headers << list->model()->headerData(c, Qt::Horizontal).toString();
    QStringList columns;
    for (const book::AccountField &field : book::accountFields())
        columns << field.column;
    QCOMPARE(headers, columns);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->cell(0, 0), u"1"_qs);
    QCOMPARE(list->cell(0, 3), u"東西銀行"_qs);
    QCOMPARE(list->cell(0, 10), u"90"_qs);
    QCOMPARE(list->cell(1, 0), u"3"_qs);
    QCOMPARE(list->cell(1, 7), u"普通"_qs);
    QCOMPARE(list->cell(1, 12), u"5,000,000"_qs);
    QCOMPARE(list->cell(1, 13), u"2026/10/31"_qs);
    QVERIFY(f.ui.shown.isEmpty());
}

void TestAccountRegister::save_data()
{
    QTest::addColumn<Typed>("typed");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QString before = u"1 当座 東西銀行 90 0|3 普通 北銀行 0 5000000"_qs;
    QTest::newRow("a new account, full-width digits and separators")
        << Typed{{u"kozano"_qs, u"２"_qs},
                 {u"銀行名"_qs, u"南銀行"_qs},
                 {u"手形期間"_qs, u"１２０"_qs},
                 {u"担保枠"_qs, u"1,000,000"_qs}}
        << false << u"1 当座 東西銀行 90 0|2 当座 南銀行 120 1000000|3 普通 北銀行 0 5000000"_qs << QString()
        << u"kozano"_qs;
    QTest::newRow("from the menu") << Typed{{u"kozano"_qs, u"9"_qs}, {u"口座種別"_qs, u"普通"_qs}} << true
                                   << before + u"|9 普通  0 0"_qs << QString() << u"kozano"_qs;
    QTest::newRow("kozano missing") << Typed{{u"銀行名"_qs, u"南銀行"_qs}} << false << before
                                    << u"kozano: kozano を指定してください"_qs << u"kozano"_qs;
    QTest::newRow("kozano taken") << Typed{{u"kozano"_qs, u"3"_qs}} << false << before
                                  << u"kozano 3 の口座は既に登録されています"_qs << u"kozano"_qs;
    QTest::newRow("term not a number") << Typed{{u"kozano"_qs, u"2"_qs}, {u"手形期間"_qs, u"九十"_qs}} << false
                                       << before << u"手形期間: 日数を数字で指定してください: 九十"_qs
                                       << u"手形期間"_qs;
    QTest::newRow("negative collateral") << Typed{{u"kozano"_qs, u"2"_qs}, {u"担保枠"_qs, u"-5"_qs}} << false << before
                                         << u"担保枠: 金額は 0 以上で指定してください: -5"_qs << u"担保枠"_qs;
    QTest::newRow("a day that does not exist")
        << Typed{{u"kozano"_qs, u"2"_qs}, {u"計画済年月"_qs, u"2027/2/30"_qs}} << false << before
        << u"計画済年月: 日付ではありません (例: 2026/3/31): 2027/2/30"_qs << u"計画済年月"_qs;
}

void TestAccountRegister::save()
{
    QFETCH(Typed, typed);
    QFETCH(bool, viaMenu);
    QFETCH(QString, after);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    AppFixture f;
    addTwo(f.db());
    AccountRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    type(&w, typed);
    if (viaMenu)
        child<QAction>(&w, u"MH1"_qs)->trigger();
    else
        QTest::mouseClick(child<QPushButton>(&w, u"登録ボタン"_qs), Qt::LeftButton);

    QCOMPARE(f.ui.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(accountsText(f.db()), after);
    QCOMPARE(listOf(&w)->rowCount(), after.count(u'|') + 1);
    QCOMPARE(QApplication::focusWidget(), w.findChild<QWidget *>(focus));
    if (message.isEmpty())
        QCOMPARE(edit(&w, u"kozano"_qs)->text(), QString()); // cleared for the next account
}

void TestAccountRegister::changePickedAccount()
{
    AppFixture f;
    addTwo(f.db());
    AccountRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    pickRow(listOf(&w), 1);
    QCOMPARE(edit(&w, u"kozano"_qs)->text(), u"3"_qs);
    QCOMPARE(edit(&w, u"担保枠"_qs)->text(), u"5,000,000"_qs);
    QCOMPARE(edit(&w, u"確定済年月"_qs)->text(), u"2026/10/31"_qs);
    QCOMPARE(child<QComboBox>(&w, u"口座種別"_qs)->currentText(), u"普通"_qs);
    // A new kozano for an account without bills, and the kind.
    type(&w, {{u"kozano"_qs, u"4"_qs}, {u"口座種別"_qs, u"当座"_qs}, {u"銀行名"_qs, u"北日本銀行"_qs}});
    QTest::mouseClick(child<QPushButton>(&w, u"登録ボタン"_qs), Qt::LeftButton);
    QVERIFY2(f.ui.shown.isEmpty(), qPrintable(f.ui.texts().join(u'|')));
    QCOMPARE(accountsText(f.db()), u"1 当座 東西銀行 90 0|4 当座 北日本銀行 0 5000000"_qs);
    const std::optional<book::AccountRecord> moved = book::accountRecord(f.db(), 4);
    QVERIFY(moved);
    QCOMPARE(moved->values.value(u"確定済年月"_qs).toDate(), QDate(2026, 10, 31)); // kept as shown

    // The renumbering of an account with issued bills is refused, with the count.
    f.db().execute(QStringLiteral("insert into D_手形(処理,手形番号,金額,kozano,予約口座id) values(1,'P1',5,1,?)"),
                   {book::accountRecord(f.db(), 1)->id});
    pickRow(listOf(&w), 0);
    type(&w, {{u"kozano"_qs, u"7"_qs}});
    QTest::mouseClick(child<QPushButton>(&w, u"登録ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.texts(), QStringList{u"kozano 1 の口座で振り出した手形が 1 件あるため、kozano は変えられません"_qs});
    QCOMPARE(accountsText(f.db()), u"1 当座 東西銀行 90 0|4 当座 北日本銀行 0 5000000"_qs);
}

void TestAccountRegister::remove_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("bills");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("after");

    QTest::newRow("no line picked") << -1 << 0 << true << QStringList{u"削除する口座を一覧から選んでください"_qs}
                                    << u"1 当座 東西銀行 90 0|3 普通 北銀行 0 5000000"_qs;
    QTest::newRow("cancelled") << 1 << 0 << false << QStringList{u"削除しますよ\n元に戻せません"_qs}
                               << u"1 当座 東西銀行 90 0|3 普通 北銀行 0 5000000"_qs;
    QTest::newRow("removed") << 1 << 0 << true << QStringList{u"削除しますよ\n元に戻せません"_qs}
                             << u"1 当座 東西銀行 90 0"_qs;
    QTest::newRow("bills use it: refused with the count")
        << 0 << 2 << true
        << QStringList{u"削除しますよ\n元に戻せません"_qs,
                       u"kozano 1 の口座は 2 件の手形が使っているため、削除できません"_qs}
        << u"1 当座 東西銀行 90 0|3 普通 北銀行 0 5000000"_qs;
}

void TestAccountRegister::remove()
{
    QFETCH(int, row);
    QFETCH(int, bills);
    QFETCH(bool, answer);
    QFETCH(QStringList, messages);
    QFETCH(QString, after);

    AppFixture f;
    addTwo(f.db());
    const qint64 id = book::accountRecord(f.db(), 1)->id;
    for (int i = 0; i < bills; ++i)
        f.db().execute(QStringLiteral("insert into D_手形(処理,手形番号,金額,kozano,予約口座id) values(1,'P',5,1,?)"),
                       {id});
    AccountRegister w(*f.ctx, f.ui);
    QVERIFY(showActive(&w));
    if (row >= 0)
        pickRow(listOf(&w), row);
    f.ui.answer(answer);
    QTest::mouseClick(child<QPushButton>(&w, u"削除ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.texts(), messages);
    if (row >= 0) {
        QCOMPARE(f.ui.shown.first().title, u"削除の確認"_qs);
        QCOMPARE(f.ui.shown.first().preset, MessageService::Default::Cancel);
    }
    QCOMPARE(accountsText(f.db()), after);
    QCOMPARE(listOf(&w)->rowCount(), after.count(u'|') + 1);
}

void TestAccountRegister::mainWindowOpensIt_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("button") << u"口座登録"_qs;
    QTest::newRow("menu") << u"M32口座"_qs;
}

void TestAccountRegister::mainWindowOpensIt()
{
    QFETCH(QString, control);
    AppFixture f;
    addTwo(f.db());
    MainMenu menu(*f.ctx, f.ui);
    int rows = -1;
    f.ui.onModal(u"口座情報"_qs, [&](QDialog *d) { rows = listOf(d)->rowCount(); });
    if (QPushButton *b = menu.button(control)) {
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
    } else {
        QVERIFY(menu.item(control)->isEnabled());
        menu.item(control)->trigger();
    }
    QCOMPARE(f.ui.modalWindows, QStringList{u"口座情報"_qs});
    QCOMPARE(rows, 2);
    QVERIFY(f.ui.shown.isEmpty());
}

void TestAccountRegister::payableEntrySeesNewAccount()
{
    WindowFixture f;
    addTwo(f.db());
    const auto accountLines = [&] {
        PayableEntryWindow entry(*f.ctx, f.ui, f.kit);
        auto *box = child<QComboBox>(&entry, u"口座名"_qs);
        QStringList lines;
        for (int i = 0; i < box->count(); ++i)
            lines << box->itemText(i);
        return lines;
    };
    QCOMPARE(accountLines(), QStringList{u"1: 東西銀行/本店/1234567"_qs});
    {
        AccountRegister w(*f.ctx, f.ui);
        type(&w, {{u"kozano"_qs, u"5"_qs},
                  {u"銀行名"_qs, u"西銀行"_qs},
                  {u"支店名"_qs, u"駅前"_qs},
                  {u"口座番号"_qs, u"７７７"_qs}});
        QVERIFY(w.save());
    }
    QCOMPARE(accountLines(), (QStringList{u"1: 東西銀行/本店/1234567"_qs, u"5: 西銀行/駅前/777"_qs}));
}

QTEST_MAIN(TestAccountRegister)
#include "test_account_register.moc"
