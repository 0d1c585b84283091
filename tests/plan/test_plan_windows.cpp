// The planning and totals windows: the main window opens each of them; the
// cash plan shows the book's figures with a short month in red and the
// same figures in its chart, takes a month-end balance, closes a month and
// shows the bills behind it (where a bill's collection account changes);
// the trial balance, the reserved bills and the totals by month; every
// window writes what it shows as CSV and PDF and puts it in the preview.

#include "master/MasterTest.h"

#include "app/MainMenu.h"
#include "book/BillLife.h"
#include "book/DiscountBanks.h"
#include "book/Payables.h"
#include "book/Planning.h"
#include "book/Receivables.h"
#include "data/Schema.h"
#include "life/CollectionDays.h"
#include "plan/CashDetail.h"
#include "plan/CashPlanWindow.h"
#include "plan/ReservedWindow.h"
#include "plan/TotalsWindow.h"
#include "plan/TrialWindow.h"
#include "ui/FigureChart.h"
#include "ui/SheetView.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// The fixture's today is 2026-12-07.
const QDate kToday(2026, 12, 7);

struct Book {
    WindowFixture f;
    qint64 a = 0;
    qint64 b = 0;
    Database &db() { return f.db(); }

    Book()
    {
        a = book::addAccount(db(), {{u"kozano"_qs, 1},
                                    {u"口座種別"_qs, u"当座"_qs},
                                    {u"銀行名"_qs, u"東西銀行"_qs},
                                    {u"支店名"_qs, u"本店"_qs},
                                    {u"口座番号"_qs, u"1111111"_qs}});
        b = book::addAccount(db(), {{u"kozano"_qs, 2},
                                    {u"口座種別"_qs, u"当座"_qs},
                                    {u"銀行名"_qs, u"南北銀行"_qs},
                                    {u"支店名"_qs, u"駅前"_qs},
                                    {u"口座番号"_qs, u"2222222"_qs}});
        book::setDefaultCollectionAccount(db(), a);
        db().execute(u"insert into T0(tc,tn) values('C1','得意先商事')"_qs);
        db().execute(u"insert into S0(sc,sn) values('S1','仕入商会')"_qs);
        book::DiscountBank bank;
        bank.コード = u"D1"_qs;
        bank.銀行名 = u"東西銀行"_qs;
        bank.入金口座 = u"2: 南北銀行/駅前/2222222"_qs;
        book::saveDiscountBank(db(), bank);

        // A, from 100,000 at the end of November: +400,000 on 12/25 (R1, no
        // collection days); January -700,000 (P1) and +100,000 (R2) on 1/8
        // run it short. B: +148,000 on 12/1 (R3 discounted), -90,000 on 1/20 (Q1).
        issue(a, u"P1"_qs, {2026, 11, 10}, {2027, 1, 8}, 700'000);
        issue(b, u"Q1"_qs, {2026, 12, 1}, {2027, 1, 20}, 90'000);
        receive(u"R1"_qs, {2026, 10, 1}, {2026, 12, 25}, 400'000);
        receive(u"R2"_qs, {2026, 10, 1}, {2027, 1, 8}, 100'000);
        const qint64 r3 = receive(u"R3"_qs, {2026, 11, 1}, {2027, 2, 26}, 150'000);
        book::discountBill(db(), {r3, std::nullopt, {2026, 12, 1}, kToday}, u"D1"_qs, 2'000);
        book::enterBalance(db(), a, {2026, 11, 1}, 100'000);
    }
    qint64 issue(qint64 account, const QString &number, const QDate &booked, const QDate &due, qint64 amount)
    {
        book::Issue i;
        i.accountId = account;
        i.日付 = booked;
        i.手形番号 = number;
        i.取引先コード = u"S1"_qs;
        i.取引先 = u"仕入商会"_qs;
        i.振出日 = booked;
        i.手形期日 = due;
        i.金額 = amount;
        return book::issueBill(db(), i);
    }
    qint64 receive(const QString &number, const QDate &booked, const QDate &due, qint64 amount)
    {
        book::ReceivableBill r;
        r.日付 = booked;
        r.手形番号 = number;
        r.取引先コード = u"C1"_qs;
        r.取引先 = u"得意先商事"_qs;
        r.振出人 = u"振出商事"_qs;
        r.振出日 = booked;
        r.手形期日 = due;
        r.金額 = amount;
        return book::registerReceivableBill(db(), r, std::nullopt);
    }
};

ui::SheetView *sheetOf(QWidget *w)
{
    return child<ui::SheetView>(w, u"List1"_qs);
}

void pickRow(ui::SheetView *list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

void click(QWidget *w, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

// Answers the file dialog with the file.
void saveAs(ScriptedUi &ui, const QString &file)
{
    ui.onModal(u"保存先の選択"_qs, [file](QDialog *d) {
        static_cast<QFileDialog *>(d)->selectFile(file);
        // The name as the clerk types it: the dialog fills its field only once it read the folder.
        if (auto *name = d->findChild<QLineEdit *>(u"fileNameEdit"_qs))
            name->setText(file);
        d->accept();
    });
}

} // namespace

class TestPlanWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void mainWindowOpensThem_data();
    void mainWindowOpensThem();
    void cashPlan();
    void cashPlanBalanceAndClosing();
    void cashDetailChangesCollectionAccount();
    void outputs_data();
    void outputs();
    void trialBalance();
    void reserved();
    void totals_data();
    void totals();
    void collectionAccountInSettings();
};

void TestPlanWindows::mainWindowOpensThem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    const char16_t *rows[][3] = {
        {u"口座別資金確認", u"口座別資金確認", u"口座別資金確認"},
        {u"M20口座別資金確認", u"口座別資金確認", u"口座別資金確認"},
        {u"口座別試算表", u"口座別試算表", u"口座別試算表"},
        {u"M21口座別試算表", u"口座別試算表", u"口座別試算表"},
        {u"手形予約確認", u"手形予約確認", u"手形予約確認"},
        {u"M23手形予約確認", u"手形予約確認", u"手形予約確認"},
        {u"実集計", u"集計期日", u"集計（期日）"},
        {u"M1実績", u"集計期日", u"集計（期日）"},
        {u"処理日集計", u"集計処理日", u"集計（処理日）"},
        {u"M2集計", u"集計処理日", u"集計（処理日）"},
    };
    for (const auto &r : rows)
        QTest::newRow(qPrintable(QString::fromUtf16(r[0])))
            << QString::fromUtf16(r[0]) << QString::fromUtf16(r[1]) << QString::fromUtf16(r[2]);
}

void TestPlanWindows::mainWindowOpensThem()
{
    QFETCH(QString, control);
    QFETCH(QString, window);
    QFETCH(QString, title);
    Book b;
    MainMenu menu(*b.f.ctx, b.f.ui);
    int rows = -1;
    QString shownTitle;
    b.f.ui.onModal(window, [&](QDialog *d) {
        rows = sheetOf(d)->rowCount();
        shownTitle = d->windowTitle();
    });
    if (QPushButton *button = menu.button(control)) {
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        QVERIFY(menu.item(control)->isEnabled());
        menu.item(control)->trigger();
    }
    QCOMPARE(b.f.ui.modalWindows, QStringList{window});
    QCOMPARE(shownTitle, title);
    QVERIFY(rows > 0);
    QVERIFY2(b.f.ui.shown.isEmpty(), qPrintable(b.f.ui.texts().join(u'|')));
}

void TestPlanWindows::cashPlan()
{
    Book b;
    CashPlanWindow w(*b.f.ctx, b.f.ui);
    QVERIFY(showActive(&w));
    QCOMPARE(w.accountId(), b.a);
    QCOMPARE(child<QLineEdit>(&w, u"開始月"_qs)->text(), u"2026/12"_qs);
    QCOMPARE(child<QSpinBox>(&w, u"月数"_qs)->value(), 12);
    ui::SheetView *list = sheetOf(&w);
    QCOMPARE(list->rowCount(), 12);
    // December: 100,000 carried, +400,000 → 500,000. January: -700,000 and
    // +100,000 on 1/8 → -100,000, short by 100,000, in red.
    QCOMPARE(list->sheet().rows.at(0).mid(0, 5),
             (QStringList{u"2026/12"_qs, u"100,000"_qs, u"400,000"_qs, u"0"_qs, u"500,000"_qs}));
    QCOMPARE(list->sheet().rows.at(1).mid(0, 5),
             (QStringList{u"2027/01"_qs, u"500,000"_qs, u"100,000"_qs, u"700,000"_qs, u"-100,000"_qs}));
    QCOMPARE(list->cell(1, 7), u"100,000"_qs);
    QCOMPARE(list->rowColor(1), ui::attentionColor());
    QVERIFY(list->rowColor(0) != ui::attentionColor());
    QVERIFY(child<QLabel>(&w, u"口座情報"_qs)->text().contains(u"残高が不足する月が"_qs));

    // The chart: the projected balance as the line, the payments as bars.
    ui::FigureChart *chart = w.chart();
    QCOMPARE(chart->months().size(), 12);
    QCOMPARE(chart->lineValues().mid(0, 2), (QList<double>{500'000, -100'000}));
    QCOMPARE(chart->barValues(u"支払"_qs).mid(0, 2), (QList<double>{0, 700'000}));
    QCOMPARE(chart->unit(), u"円"_qs); // under a million: drawn in yen

    // Account B: it collects nothing and pays Q1 in January.
    auto *account = child<QComboBox>(&w, u"口座"_qs);
    account->setCurrentIndex(1);
    emit account->activated(1);
    QCOMPARE(w.accountId(), b.b);
    QCOMPARE(list->cell(1, 3), u"90,000"_qs);
    QVERIFY(b.f.ui.shown.isEmpty());
}

void TestPlanWindows::cashPlanBalanceAndClosing()
{
    Book b;
    b.f.ctx->clock.setToday({2027, 2, 10});
    CashPlanWindow w(*b.f.ctx, b.f.ui);
    QVERIFY(showActive(&w));
    ui::SheetView *list = sheetOf(&w);
    child<QLineEdit>(&w, u"開始月"_qs)->setText(u"令和8年12月"_qs);
    child<QSpinBox>(&w, u"月数"_qs)->setValue(3);
    click(&w, u"表示ボタン"_qs);
    QCOMPARE(child<QLineEdit>(&w, u"開始月"_qs)->text(), u"2026/12"_qs);
    QCOMPARE(list->rowCount(), 3);

    // No month picked: a message.
    click(&w, u"残高登録ボタン"_qs);
    QCOMPARE(b.f.ui.texts(), QStringList{u"残高を入れる月を一覧から選んでください"_qs});
    b.f.ui.clear();

    // December's balance as the bank showed it.
    pickRow(list, 0);
    QCOMPARE(child<QLabel>(&w, u"年月"_qs)->text(), u"2026/12"_qs);
    child<QLineEdit>(&w, u"月末残高"_qs)->setText(u"450,000"_qs);
    click(&w, u"残高登録ボタン"_qs);
    QVERIFY2(b.f.ui.shown.isEmpty(), qPrintable(b.f.ui.texts().join(u'|')));
    QCOMPARE(list->cell(0, 5), u"450,000"_qs);
    QCOMPARE(list->cell(1, 1), u"450,000"_qs); // January starts from it
    QCOMPARE(b.db().scalar(u"select 計画済年月 from 口座データ where id=?"_qs, {b.a}).toDate(), QDate(2026, 12, 31));

    // A balance that is no amount is refused.
    pickRow(list, 1);
    child<QLineEdit>(&w, u"月末残高"_qs)->setText(u"四十万"_qs);
    click(&w, u"残高登録ボタン"_qs);
    QCOMPARE(b.f.ui.texts(), QStringList{u"月末残高を金額で入力してください（マイナスは -1,000 のように）"_qs});
    b.f.ui.clear();

    // Closing through January, after the question; then its balance is locked.
    pickRow(list, 1);
    b.f.ui.answer(true);
    click(&w, u"確定ボタン"_qs);
    QCOMPARE(b.f.ui.texts(),
             QStringList{u"2027/01 までの月を確定します\n確定した月の数字は、あとの記帳では変わりません"_qs});
    QCOMPARE(list->cell(0, 8), u"確定"_qs);
    QCOMPARE(list->cell(1, 8), u"確定"_qs);
    QCOMPARE(list->cell(2, 8), QString());
    b.f.ui.clear();
    pickRow(list, 1);
    child<QLineEdit>(&w, u"月末残高"_qs)->setText(u"1"_qs);
    click(&w, u"残高登録ボタン"_qs);
    QVERIFY(b.f.ui.texts().value(0).startsWith(u"2027/01 は確定済みです"_qs));
    b.f.ui.clear();

    // February is not over: it cannot be closed.
    pickRow(list, 2);
    b.f.ui.answer(true);
    click(&w, u"確定ボタン"_qs);
    QCOMPARE(b.f.ui.texts().value(1), u"2027/02 はまだ終わっていないため、確定できません"_qs);
    b.f.ui.clear();

    // Reopened from January; the question defaults to キャンセル.
    pickRow(list, 1);
    b.f.ui.answer(true);
    click(&w, u"確定取消ボタン"_qs);
    QCOMPARE(b.f.ui.shown.value(0).preset, MessageService::Default::Cancel);
    QCOMPARE(list->cell(0, 8), u"確定"_qs);
    QCOMPARE(list->cell(1, 8), QString());
}

void TestPlanWindows::cashDetailChangesCollectionAccount()
{
    Book b;
    CashPlanWindow w(*b.f.ctx, b.f.ui);
    QVERIFY(showActive(&w));
    ui::SheetView *list = sheetOf(&w);
    QStringList detail;
    b.f.ui.onModal(u"資金明細"_qs, [&](QDialog *d) {
        ui::SheetView *flows = sheetOf(d);
        for (int i = 0; i < flows->rowCount(); ++i)
            detail << flows->sheet().rows.at(i).mid(0, 3).join(u' ');
        // R2 collected into B from now on.
        for (int i = 0; i < flows->rowCount(); ++i)
            if (flows->cell(i, 2) == u"R2")
                pickRow(flows, i);
        auto *collection = child<QComboBox>(d, u"取立口座"_qs);
        collection->setCurrentIndex(collection->findData(b.b));
        click(d, u"変更ボタン"_qs);
    });
    pickRow(list, 1);
    click(&w, u"明細ボタン"_qs);
    QCOMPARE(detail, (QStringList{u"2027/01/08 取立予定 R2"_qs, u"2027/01/08 支払 P1"_qs}));
    QVERIFY2(b.f.ui.shown.isEmpty(), qPrintable(b.f.ui.texts().join(u'|')));
    const qint64 r2 = b.db().scalar(u"select id from D_手形 where 手形番号='R2'"_qs).toLongLong();
    QCOMPARE(book::billCollectionAccount(b.db(), r2), b.b);
    QCOMPARE(list->cell(1, 2), u"0"_qs); // January's receipts went to B
    // The change is in the bill's history.
    QCOMPARE(b.db().scalar(u"select count(*) from 手形履歴 where 手形id=? and 種別='修正'"_qs, {r2}).toInt(), 1);
}

void TestPlanWindows::outputs_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("header");
    for (const char16_t *w : {u"口座別資金確認", u"口座別試算表", u"手形予約確認", u"集計期日"})
        for (const char16_t *how : {u"CSV", u"PDF", u"印刷", u"menu CSV"})
            QTest::newRow(qPrintable(QString::fromUtf16(w) + u' ' + QString::fromUtf16(how)))
                << QString::fromUtf16(w) << QString::fromUtf16(how)
                << QString::fromUtf16(w == std::u16string_view(u"口座別資金確認") ? u"年月,前月末残高"
                                      : w == std::u16string_view(u"口座別試算表") ? u"年月,前月繰越"
                                      : w == std::u16string_view(u"手形予約確認") ? u"区分,割引先・譲渡先"
                                                                                  : u"年月,手元 件数");
}

void TestPlanWindows::outputs()
{
    QFETCH(QString, window);
    QFETCH(QString, how);
    QFETCH(QString, header);
    Book b;
    std::unique_ptr<FigureWindow> w;
    if (window == u"口座別資金確認")
        w = std::make_unique<CashPlanWindow>(*b.f.ctx, b.f.ui);
    else if (window == u"口座別試算表")
        w = std::make_unique<TrialWindow>(*b.f.ctx, b.f.ui);
    else if (window == u"手形予約確認")
        w = std::make_unique<ReservedWindow>(*b.f.ctx, b.f.ui);
    else
        w = std::make_unique<TotalsWindow>(*b.f.ctx, b.f.ui, book::TotalsBy::Due);
    QVERIFY(showActive(w.get()));
    QTemporaryDir dir;
    const QString file = dir.filePath(how.endsWith(u"PDF") ? u"出力.pdf"_qs : u"出力.csv"_qs);
    saveAs(b.f.ui, file);
    int pages = 0;
    b.f.ui.onModal(u"印刷プレビュー"_qs,
                   [&](QDialog *d) { pages = d->findChild<QPrintPreviewWidget *>()->pageCount(); });
    if (how == u"CSV")
        click(w.get(), u"CSVボタン"_qs);
    else if (how == u"PDF")
        click(w.get(), u"PDFボタン"_qs);
    else if (how == u"印刷")
        click(w.get(), u"印刷ボタン"_qs);
    else
        child<QAction>(w.get(), u"MP3"_qs)->trigger();

    if (how == u"印刷") {
        QCOMPARE(b.f.ui.modalWindows, QStringList{u"印刷プレビュー"_qs});
        QVERIFY(pages >= 1);
        QVERIFY(b.f.ui.shown.isEmpty());
        return;
    }
    QCOMPARE(b.f.ui.modalWindows, QStringList{u"保存先の選択"_qs});
    QCOMPARE(b.f.ui.texts(),
             QStringList{(how.endsWith(u"PDF") ? u"PDF に書き出しました\n"_qs : u"CSV に書き出しました\n"_qs) +
                         QDir::toNativeSeparators(file)});
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    if (how.endsWith(u"PDF")) {
        QVERIFY(bytes.startsWith("%PDF-"));
        return;
    }
    // What the window shows, as a spreadsheet reads it.
    QCOMPARE(bytes, book::sheetCsv(sheetOf(w.get())->sheet()));
    QVERIFY(QString::fromUtf8(bytes.mid(3)).startsWith(header));

    // Again to the same file: asked before it is overwritten; キャンセル keeps it.
    b.f.ui.clear();
    click(w.get(), u"CSVボタン"_qs);
    QCOMPARE(b.f.ui.texts(), QStringList{QDir::toNativeSeparators(file) + u" は既にあります。\n上書きしますか"_qs});
}

void TestPlanWindows::trialBalance()
{
    Book b;
    TrialWindow w(*b.f.ctx, b.f.ui);
    QVERIFY(showActive(&w));
    ui::SheetView *list = sheetOf(&w);
    // The twelve months up to December 2026, every account.
    QCOMPARE(child<QLineEdit>(&w, u"開始月"_qs)->text(), u"2026/01"_qs);
    QCOMPARE(list->rowCount(), 12);
    QCOMPARE(list->sheet().rows.at(10).mid(1, 6),
             (QStringList{u"0"_qs, u"1"_qs, u"700,000"_qs, u"0"_qs, u"0"_qs, u"700,000"_qs}));
    QCOMPARE(list->sheet().rows.at(11).mid(1, 6),
             (QStringList{u"700,000"_qs, u"1"_qs, u"90,000"_qs, u"0"_qs, u"0"_qs, u"790,000"_qs}));
    auto *account = child<QComboBox>(&w, u"口座"_qs);
    QCOMPARE(account->itemText(0), u"すべての口座"_qs);
    account->setCurrentIndex(2);
    emit account->activated(2);
    QCOMPARE(list->cell(11, 6), u"90,000"_qs);
    QCOMPARE(list->sheet().subtitle, u"2: 南北銀行/駅前/2222222　2026/01〜2026/12"_qs);

    // A month that is no month.
    child<QLineEdit>(&w, u"開始月"_qs)->setText(u"13月"_qs);
    click(&w, u"表示ボタン"_qs);
    QCOMPARE(
        b.f.ui.texts(),
        QStringList{u"開始月「13月」は月として読めません\n2026/12、令和8年12月、R8/12 のように入力してください"_qs});
    QCOMPARE(list->rowCount(), 12); // what was shown stays
}

void TestPlanWindows::reserved()
{
    Book b;
    ReservedWindow w(*b.f.ctx, b.f.ui);
    QVERIFY(showActive(&w));
    QCOMPARE(child<QLineEdit>(&w, u"基準日"_qs)->text(), u"2026/12/07"_qs);
    QCOMPARE(w.reservations().discounted, 150'000);
    QCOMPARE(child<QLabel>(&w, u"割引高"_qs)->text(), u"受取手形割引高 150,000 円（1 件）"_qs);
    QCOMPARE(child<QLabel>(&w, u"譲渡高"_qs)->text(), u"受取手形裏書譲渡高 0 円（0 件）"_qs);
    QCOMPARE(sheetOf(&w)->cell(0, 2), u"R3"_qs);
    // Before the discount nothing was reserved.
    child<QLineEdit>(&w, u"基準日"_qs)->setText(u"R8.11.30"_qs);
    click(&w, u"表示ボタン"_qs);
    QCOMPARE(child<QLineEdit>(&w, u"基準日"_qs)->text(), u"2026/11/30"_qs);
    QCOMPARE(sheetOf(&w)->rowCount(), 0);
    QCOMPARE(child<QLabel>(&w, u"割引高"_qs)->text(), u"受取手形割引高 0 円（0 件）"_qs);
    child<QLineEdit>(&w, u"基準日"_qs)->setText(u"2/30"_qs);
    click(&w, u"表示ボタン"_qs);
    QCOMPARE(b.f.ui.texts().size(), 1);
    QVERIFY(b.f.ui.texts().first().startsWith(u"基準日「2/30」は日付として読めません"_qs));
}

void TestPlanWindows::totals_data()
{
    QTest::addColumn<int>("by");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("cells");
    // By due date from December: R1 in hand (12/25); January R2 in hand, P1 and Q1 issued.
    QTest::newRow("by due date") << int(book::TotalsBy::Due) << u"2026/12"_qs << 1
                                 << QStringList{u"2027/01"_qs, u"1"_qs, u"100,000"_qs};
    // By booking date, the year to December: October's two received bills.
    QTest::newRow("by booking date") << int(book::TotalsBy::Booking) << u"2026/01"_qs << 9
                                     << QStringList{u"2026/10"_qs, u"2"_qs, u"500,000"_qs};
}

void TestPlanWindows::totals()
{
    QFETCH(int, by);
    QFETCH(QString, first);
    QFETCH(int, row);
    QFETCH(QStringList, cells);
    Book b;
    TotalsWindow w(*b.f.ctx, b.f.ui, book::TotalsBy(by));
    QVERIFY(showActive(&w));
    QCOMPARE(child<QLineEdit>(&w, u"開始月"_qs)->text(), first);
    ui::SheetView *list = sheetOf(&w);
    QCOMPARE(list->rowCount(), 12);
    QCOMPARE(list->sheet().rows.at(row).mid(0, 3), cells);
    // The chart: the received bills stacked by state, the issued bills as the line.
    ui::FigureChart *chart = w.chart();
    QCOMPARE(chart->barNames(), (QStringList{u"手元"_qs, u"割引"_qs, u"譲渡"_qs, u"不渡"_qs, u"決済済"_qs}));
    const book::TotalsMonth &m = w.totals().months.at(row);
    QCOMPARE(chart->barValues(u"手元"_qs).at(row), double(m.received[0].amount));
    QCOMPARE(chart->lineValues().at(row), double(m.issued.amount));

    // One customer: the issued bills leave the table.
    auto *party = child<QComboBox>(&w, u"取引先"_qs);
    QCOMPARE(party->itemText(0), u"すべての取引先"_qs);
    const int customer = party->findText(u"得意先 C1 得意先商事"_qs);
    QVERIFY(customer > 0);
    party->setCurrentIndex(customer);
    emit party->activated(customer);
    QCOMPARE(w.totals().sum.issued.count, 0);
    QVERIFY(w.totals().sum.receivedAll.count > 0);
    QVERIFY(b.f.ui.shown.isEmpty());
}

void TestPlanWindows::collectionAccountInSettings()
{
    Book b;
    CollectionDaysWindow w(*b.f.ctx, b.f.ui);
    auto *account = child<QComboBox>(&w, u"取立口座"_qs);
    QCOMPARE(account->itemText(0), u"（指定しない）"_qs);
    QCOMPARE(account->currentData().toLongLong(), b.a);
    account->setCurrentIndex(account->findData(b.b));
    child<QLineEdit>(&w, u"取立日数"_qs)->setText(u"3"_qs);
    QVERIFY(w.登録());
    QCOMPARE(book::defaultCollectionAccount(b.db()), b.b);
    QCOMPARE(schema::readCollectionDays(b.db()), 3);
    // Days refused: the account is not changed either.
    account->setCurrentIndex(0);
    child<QLineEdit>(&w, u"取立日数"_qs)->setText(u"11"_qs);
    QVERIFY(!w.登録());
    QCOMPARE(book::defaultCollectionAccount(b.db()), b.b);
    QCOMPARE(b.f.ui.texts(), QStringList{u"取立日数は 0〜10 の数字で入力してください"_qs});
}

QTEST_MAIN(TestPlanWindows)
#include "test_plan_windows.moc"
