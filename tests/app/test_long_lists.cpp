// The bill lists with more lines than one read brings in: every line in its
// place, the lines far down as right as the first, and a line picked far
// down loads its own bill. Bills that belong to none of the lists stay out.

#include "master/MasterTest.h"

#include "book/Search.h"
#include "payable/PayableEntry.h"
#include "payable/PayableList.h"
#include "payable/PayableResults.h"
#include "receivable/ReceivableList.h"
#include "receivable/ReceivableResults.h"
#include "search/DueList.h"
#include "ui/LineList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace sorvane;
using namespace sorvane::test;

namespace {

constexpr int kBills = 250;

// Bill i of the list is due on day i and numbered L000..L249; the booking
// order is reversed, so the list's order is the due dates', not the keys'.
void addBills(Database &db, int kind, bool outsiders)
{
    Transaction t(db);
    for (int i = kBills - 1; i >= 0; --i)
        db.execute(QStringLiteral("insert into D_手形(処理,状態,手形番号,取引先コード,取引先,振出人,振出日,手形期日,"
                                  "金額) values(?,?,?,'C1','相手',?,'2026-01-05',?,?)"),
                   {kind, kind == 2 ? -2 : 0, QStringLiteral("L%1").arg(i, 3, 10, QLatin1Char('0')),
                    QStringLiteral("振出%1").arg(i, 3, 10, QLatin1Char('0')), QDate(2027, 1, 1).addDays(i), 1000 + i});
    if (!outsiders) {
        t.commit();
        return;
    }
    // Due between the others, but in no list of this kind.
    db.execute(QStringLiteral("insert into D_手形(処理,手形番号,振出人,手形期日,終了フラグ,予約フラグ) "
                              "values(?,'OUT1','振出外','2027-03-01',1,1)"),
               {kind});
    db.execute(
        QStringLiteral("insert into D_手形(処理,手形番号,振出人,手形期日) values(?,'OUT2','振出外','2027-03-02')"),
        {kind == 0 ? 1 : 0});
    t.commit();
}

// What marks bill i in a line: its number, or its drawer for a candidate.
QString marker(const QString &window, int i)
{
    return (window == u"支払手形入力" ? QStringLiteral("振出%1") : QStringLiteral("L%1"))
        .arg(i, 3, 10, QLatin1Char('0'));
}

} // namespace

class TestLongLists : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void everyLineInPlace_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("numberField");
        QTest::newRow("receivable list") << u"受取手形一覧"_qs << 0 << u"List2"_qs << u"手形番号"_qs;
        QTest::newRow("receivable result") << u"受取結果表示"_qs << 0 << u"List2"_qs << u"手形番号"_qs;
        QTest::newRow("payable list") << u"支払手形一覧"_qs << 1 << u"List2"_qs << u"手形番号"_qs;
        QTest::newRow("payable list, handed on") << u"支払手形一覧"_qs << 2 << u"List2"_qs << u"手形番号"_qs;
        QTest::newRow("payable result") << u"支払結果表示"_qs << 1 << u"List2"_qs << u"手形番号"_qs;
        QTest::newRow("candidates") << u"支払手形入力"_qs << 0 << u"手形一覧"_qs << u"手形番号"_qs;
        QTest::newRow("falling due, in hand") << u"接近手形一覧"_qs << 0 << u"List1"_qs << QString();
        QTest::newRow("falling due, issued") << u"接近手形一覧"_qs << 1 << u"List2"_qs << QString();
    }

    void everyLineInPlace()
    {
        QFETCH(QString, window);
        QFETCH(int, kind);
        QFETCH(QString, list);
        QFETCH(QString, numberField);
        WindowFixture f;
        // The search copies no flags and the due list asks for none: a
        // finished bill is listed there.
        addBills(f.db(), kind, !window.endsWith(u"結果表示") && window != u"接近手形一覧");
        if (window.endsWith(u"結果表示")) {
            book::SearchCriteria c;
            c.kind = kind == 0 ? book::BillKind::Receivable : book::BillKind::Payable;
            c.side = book::DueSide::Both;
            QCOMPARE(book::searchBills(f.db(), c, f.ctx->clock.today()), kBills);
        }
        std::unique_ptr<QDialog> w;
        if (window == u"受取手形一覧")
            w = std::make_unique<ReceivableListWindow>(*f.ctx, f.ui, f.kit);
        else if (window == u"受取結果表示")
            w = std::make_unique<ReceivableResultWindow>(*f.ctx, f.ui, f.kit);
        else if (window == u"支払手形一覧")
            w = std::make_unique<PayableListWindow>(*f.ctx, f.ui, f.kit);
        else if (window == u"支払結果表示")
            w = std::make_unique<PayableResultWindow>(*f.ctx, f.ui, f.kit);
        else if (window == u"支払手形入力")
            w = std::make_unique<PayableEntryWindow>(*f.ctx, f.ui, f.kit);
        else {
            // Every bill falls due within the window.
            f.ctx->DueWindowDays = 365;
            f.ctx->clock.setToday(QDate(2027, 1, 1));
            w = std::make_unique<DueListWindow>(*f.ctx, f.ui);
        }
        QVERIFY(showActive(w.get()));
        if (window == u"支払手形入力")
            child<QCheckBox>(w.get(), u"Check1"_qs)->click();
        auto *lines = child<ui::LineList>(w.get(), list);
        QVERIFY(lines);

        QCOMPARE(lines->count(), kBills);
        // Read far down first, then back at the top: each line shows its own bill.
        for (int i : {kBills - 1, 180, 100, 99, 0, 1})
            QVERIFY2(lines->lineText(i).contains(marker(window, i)), qPrintable(lines->lineText(i)));
        const QStringList all = lines->lines();
        for (int i = 0; i < kBills; ++i)
            QVERIFY2(all.at(i).contains(marker(window, i)), qPrintable(all.at(i)));
        QVERIFY(!all.join(u'\n').contains(u"OUT"_qs) && !all.join(u'\n').contains(u"振出外"_qs));

        if (numberField.isEmpty())
            return; // a list to read, not to pick from
        // A user scrolls down and picks a line far from the top.
        const QModelIndex index = lines->model()->index(230, 0);
        lines->scrollTo(index);
        QTest::mouseClick(lines->viewport(), Qt::LeftButton, {}, lines->visualRect(index).center());
        QCOMPARE(lines->selectedRow(), 230);
        QWidget *number = w->findChild<QWidget *>(numberField);
        QVERIFY(number);
        const QString shown = qobject_cast<QLineEdit *>(number) ? qobject_cast<QLineEdit *>(number)->text()
                                                                : qobject_cast<QComboBox *>(number)->currentText();
        QCOMPARE(shown, u"L230"_qs);
        QVERIFY2(f.ui.shown.isEmpty(), qPrintable(f.ui.texts().join(u'|')));
    }
};

QTEST_MAIN(TestLongLists)
#include "test_long_lists.moc"
