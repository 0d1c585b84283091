// The payable view of search results: only payable rows of 検索結果, a picked
// bill in the fields, the endorsers shown and never written, inert commands.

#include "PayableTest.h"

#include "ui/EndorsementDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// A found bill copied into the work table as the search copies it.
void addFound(Database &db, qint64 billId, int kind, const QString &number, const QDate &due, qint64 amount,
              const QString &party, bool finished = false)
{
    db.execute(
        u"insert into 検索結果(手形id,処理,日付,kozano,手形番号,取引先コード,取引先,振出人,支払県,支払市,"
        "支払場所,支払場所支店,振出日,手形期日,金額,予約口座id,終了フラグ,譲渡先コード,譲渡先) "
        "values(?,?,'2004-08-03',?,?,?,?,'振出商事','大阪府','大阪市','南北銀行','難波支店','2004-08-02',?,?,?,?,?,?)"_qs,
        {billId, kind, kind == 1 ? 3 : 0, number, kind == 1 ? u"S1"_qs : u"C1"_qs, party, due, amount,
         kind == 1 ? 2 : 0, finished ? 1 : 0, kind == 2 ? QVariant(u"S2"_qs) : QVariant(),
         kind == 2 ? QVariant(u"受取人商店"_qs) : QVariant()});
}

struct Results {
    explicit Results(WindowFixture &f)
    {
        QDialog *d = f.kit.payableResults(nullptr);
        d->setAttribute(Qt::WA_DeleteOnClose, false);
        w.reset(d);
    }
    std::unique_ptr<QDialog> w;
    ui::LineList *list() const { return child<ui::LineList>(w.get(), u"List2"_qs); }
    QString text(const QString &name) const
    {
        if (auto *l = qobject_cast<QLabel *>(w->findChild<QWidget *>(name)))
            return l->text();
        return child<QLineEdit>(w.get(), name)->text();
    }
    QStringList endorsers() const { return linesOf(child<QListWidget>(w.get(), u"裏書"_qs)); }
};

const QStringList kFields = {u"日付"_qs,   u"手形番号"_qs, u"Scode"_qs,      u"SNAME"_qs,    u"口座名"_qs,
                             u"振出人"_qs, u"支払県"_qs,   u"支払市町村"_qs, u"支払場所"_qs, u"支払場所支店"_qs,
                             u"振出日"_qs, u"手形期日"_qs, u"金額"_qs};

} // namespace

class TestPayableResults : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void listsOnlyPayableRows();
    void pickedBill_data();
    void pickedBill();
    void endorsementsAreOnlyShown_data();
    void endorsementsAreOnlyShown();
    void commands();
};

void TestPayableResults::listsOnlyPayableRows()
{
    WindowFixture f;
    addFound(f.db(), 11, 0, u"R0"_qs, QDate(2004, 1, 1), 100, u"得意先"_qs);
    addFound(f.db(), 12, 2, u"R2"_qs, QDate(2004, 3, 1), 2500, u"得意先商事"_qs);
    addFound(f.db(), 13, 1, u"P1"_qs, QDate(2004, 2, 1), 1000000000, u"仕入一"_qs);
    addFound(f.db(), 14, 1, u"P9"_qs, QDate(2004, 1, 2), 1, u"仕入一"_qs, true);
    Results r(f);
    QCOMPARE(r.w->objectName(), u"支払結果表示"_qs);
    QCOMPARE(r.w->windowTitle(), u"検索結果"_qs);
    // A handed-on bill's line names the supplier who received it.
    QCOMPARE(r.list()->lines(),
             (QStringList{u" \u3000P1  02/01 1,000,000,000  仕入一"_qs, u"譲R2  03/01        2,500  受取人商店"_qs}));
}

void TestPayableResults::pickedBill_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("endorsers");
    QTest::newRow("issued")
        << 1
        << QStringList{u"2004/08/03"_qs, u"P1"_qs,         u"S1"_qs,     u"仕入一"_qs,   u"3: 東西銀行/本店/1234567"_qs,
                       u"自社"_qs,       u"大阪府"_qs,     u"大阪市"_qs, u"南北銀行"_qs, u"難波支店"_qs,
                       u"2004/08/02"_qs, u"2004/10/31"_qs, u"2,500"_qs}
        << QStringList();
    // The receiver the search now copies shows; the drawer field names the customer it came from.
    QTest::newRow("handed on") << 2
                               << QStringList{u"2004/08/03"_qs, u"P1"_qs,         u"S2"_qs,         u"受取人商店"_qs,
                                              QString(),        u"得意先商事"_qs, u"大阪府"_qs,     u"大阪市"_qs,
                                              u"南北銀行"_qs,   u"難波支店"_qs,   u"2004/08/02"_qs, u"2004/10/31"_qs,
                                              u"2,500"_qs}
                               << QStringList{u"一番"_qs, u"二番"_qs, u"五番"_qs};
}

void TestPayableResults::pickedBill()
{
    QFETCH(int, kind);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, endorsers);
    WindowFixture f;
    addAccount(f.db(), {.kozano = 1});
    addAccount(f.db(), {.kozano = 3}); // id 2, the account the issued bill is drawn on
    addFound(f.db(), 40, kind, u"P1"_qs, QDate(2004, 10, 31), 2500, kind == 1 ? u"仕入一"_qs : u"得意先商事"_qs);
    for (const auto &[order, name] : {std::pair{5, u"五番"}, std::pair{1, u"一番"}, std::pair{2, u"二番"}})
        f.db().execute(u"insert into 裏書人(手形id,表示順,裏書人) values(40,?,?)"_qs,
                       {order, QString::fromUtf16(name)});
    Results r(f);
    QVERIFY(showActive(r.w.get()));
    clickRow(r.list(), 0);
    QStringList shown;
    for (const QString &name : kFields)
        shown << r.text(name);
    QCOMPARE(shown, fields);
    QCOMPARE(r.endorsers(), endorsers);
    QCOMPARE(child<QCheckBox>(r.w.get(), u"Check1"_qs)->isChecked(), kind == 2);
    QCOMPARE(child<QCheckBox>(r.w.get(), u"Check2"_qs)->isChecked(), kind == 1);
    QCOMPARE(child<QCheckBox>(r.w.get(), u"Check2"_qs)->isEnabled(), kind == 2);
    QCOMPARE(child<QLineEdit>(r.w.get(), u"金額"_qs)->isEnabled(), kind == 1);
    QVERIFY(child<QLineEdit>(r.w.get(), u"金額"_qs)->isReadOnly());
    QCOMPARE(f.ui.texts(), QStringList());
}

void TestPayableResults::endorsementsAreOnlyShown_data()
{
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QStringList>("dialogSlots"); // number, then name|address of the four slots
    QTest::newRow("first four by position")
        << true << QStringList{u"P1"_qs, u"一番|東京"_qs, u"二番|"_qs, u"四番|横浜"_qs, u"五番|"_qs};
    QTest::newRow("no bill picked") << false << QStringList{QString(), u"|"_qs, u"|"_qs, u"|"_qs, u"|"_qs};
}

void TestPayableResults::endorsementsAreOnlyShown()
{
    QFETCH(bool, pick);
    QFETCH(QStringList, dialogSlots);
    WindowFixture f;
    addFound(f.db(), 40, 2, u"P1"_qs, QDate(2004, 10, 31), 2500, u"得意先商事"_qs);
    for (const auto &[order, name, address] :
         {std::tuple{6, u"六番", u""}, std::tuple{4, u"四番", u"横浜"}, std::tuple{1, u"一番", u"東京"},
          std::tuple{2, u"二番", u""}, std::tuple{5, u"五番", u""}})
        f.db().execute(u"insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(40,?,?,?)"_qs,
                       {order, QString::fromUtf16(name), QString::fromUtf16(address)});
    // Whatever the dialog held from another window goes.
    f.endorsements.load(u"OLD"_qs, {{u"前の人"_qs, u"前の住所"_qs}});
    const QStringList stored = rowsOf(f.db(), u"select * from 裏書人 order by id"_qs);

    Results r(f);
    QVERIFY(showActive(r.w.get()));
    if (pick)
        clickRow(r.list(), 0);
    QStringList seen;
    f.ui.onModal(u"手形裏書"_qs, [&](QDialog *d) {
        seen << child<QLabel>(d, u"手形番号"_qs)->text();
        for (int i = 1; i <= 4; ++i)
            seen << child<QLineEdit>(d, u"氏名%1"_qs.arg(i))->text() + u'|' +
                        child<QLineEdit>(d, u"住所%1"_qs.arg(i))->text();
        // Typing into the dialog here stores nothing.
        child<QLineEdit>(d, u"氏名1"_qs)->setText(u"書き換え"_qs);
        QTest::mouseClick(child<QPushButton>(d, u"閉じるボタン"_qs), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(r.w.get(), u"裏書ボタン"_qs), Qt::LeftButton);
    QCOMPARE(f.ui.modalWindows, QStringList{u"手形裏書"_qs});
    QCOMPARE(seen, dialogSlots);
    QCOMPARE(rowsOf(f.db(), u"select * from 裏書人 order by id"_qs), stored);
    QCOMPARE(f.ui.texts(), QStringList());
}

void TestPayableResults::commands()
{
    WindowFixture f;
    addFound(f.db(), 40, 1, u"P1"_qs, QDate(2004, 10, 31), 2500, u"仕入一"_qs);
    f.db().execute(u"insert into D_手形(id,処理,手形番号) values(40,1,'P1')"_qs);
    Results r(f);
    QVERIFY(showActive(r.w.get()));
    clickRow(r.list(), 0);
    const QStringList bills = rowsOf(f.db(), u"select * from D_手形"_qs);
    const QStringList found = rowsOf(f.db(), u"select * from 検索結果"_qs);

    // 保存 and 削除 do nothing here.
    child<QAction>(r.w.get(), u"MH1"_qs)->trigger();
    child<QAction>(r.w.get(), u"MS1"_qs)->trigger();
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(rowsOf(f.db(), u"select * from D_手形"_qs), bills);
    QCOMPARE(rowsOf(f.db(), u"select * from 検索結果"_qs), found);
    QCOMPARE(r.text(u"手形番号"_qs), u"P1"_qs);
    QVERIFY(r.w->isVisible());

    child<QAction>(r.w.get(), u"MC1"_qs)->trigger();
    QStringList shown;
    for (const QString &name : kFields)
        shown << r.text(name);
    QCOMPARE(shown, (QStringList{{}, {}, {}, {}, {}, u"自社"_qs, {}, {}, {}, {}, {}, {}, u"0"_qs}));
    QCOMPARE(r.list()->selectedRow(), -1);
    QCOMPARE(r.list()->count(), 1);

    child<QAction>(r.w.get(), u"ME1"_qs)->trigger();
    QVERIFY(!r.w->isVisible());
}

QTEST_MAIN(TestPayableResults)
#include "test_results.moc"
