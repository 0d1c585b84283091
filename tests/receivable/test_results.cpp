// The receivable view of the search results: which copies it lists, a bill
// deleted since the search, the endorsers read live, and that nothing here
// ever writes.

#include "ReceivableTest.h"

#include <QAction>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// The search's copy of a bill, as the search writes it.
void copyFound(Database &db, qint64 id, const QString &more = {})
{
    db.execute(u"insert into 検索結果(手形id,処理,日付,手形番号,取引先コード,取引先,振出人,支払県,支払市,支払場所,"
               u"支払場所支店,振出日,手形期日,金額,保管場所,注意フラグ,予約フラグ,終了フラグ) select id,処理,日付,"
               u"手形番号,取引先コード,取引先,振出人,'東京都','千代田区','三井','本店',振出日,手形期日,金額,保管場所,"
               u"注意フラグ,予約フラグ,終了フラグ from D_手形 where id=?"_qs,
               {id});
    if (!more.isEmpty())
        db.execute(u"update 検索結果 set %1 where 手形id=?"_qs.arg(more), {id});
}

QString dump(Database &db)
{
    QStringList all;
    for (const char16_t *t : {u"D_手形", u"裏書人", u"検索結果"})
        all << rowsOf(db, u"select * from %1 order by id"_qs.arg(QString::fromUtf16(t)));
    return all.join(u'\n');
}

} // namespace

class TestResults : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void listed_data();
    void listed();
    void nothingWritten_data();
    void nothingWritten();
};

void TestResults::listed_data()
{
    QTest::addColumn<QStringList>("found"); // further columns of each copy; "-" for none
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("payable bills only") << QStringList{u"処理=1"_qs, u"処理=2"_qs} << QStringList();
    QTest::newRow("received bills by due date, the others left out")
        << QStringList{u"-"_qs, u"処理=1"_qs, u"予約フラグ=1"_qs, u"終了フラグ=1"_qs, u"手形期日=null"_qs}
        << QStringList{u"B5            7,000  戊"_qs, u"B1  2027/02/01      1,234,567  甲"_qs};
}

void TestResults::listed()
{
    QFETCH(QStringList, found);
    QFETCH(QStringList, lines);

    WindowFixture f;
    for (int i = 0; i < found.size(); ++i) {
        const qint64 id = addBill(f.db(), u"B%1"_qs.arg(i + 1), u"2027-02-01"_qs, i == 0 ? 1234567 : 7000,
                                  QString(QChar(u"甲乙丙丁戊"[i])));
        copyFound(f.db(), id, found[i] == u"-" ? QString() : found[i]);
    }
    std::unique_ptr<QDialog> w(f.kit.receivableResults(nullptr));
    QCOMPARE(w->objectName(), u"受取結果表示"_qs);
    QCOMPARE(w->windowTitle(), u"検索結果表示"_qs);
    QCOMPARE(billList(w.get())->lines(), lines);
}

void TestResults::nothingWritten_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("modal");

    QTest::newRow("endorsements shown, typed over") << u"裏書編集ボタン"_qs << QStringList{u"手形裏書"_qs};
    QTest::newRow("状況") << u"状況ボタン"_qs << QStringList();
    QTest::newRow("menu 保存") << u"MH1"_qs << QStringList();
    QTest::newRow("menu 削除") << u"MS1"_qs << QStringList();
}

void TestResults::nothingWritten()
{
    QFETCH(QString, command);
    QFETCH(QStringList, modal);

    WindowFixture f;
    Database &db = f.db();
    const qint64 gone = addBill(db, u"G1"_qs, u"2027-03-01"_qs, 5000, u"消えた"_qs, u"注意フラグ=1"_qs);
    addEndorser(db, gone, 3, u"丙"_qs);
    addEndorser(db, gone, 1, u"甲"_qs);
    copyFound(db, gone);
    copyFound(db, addBill(db, u"K1"_qs, u"2027-02-01"_qs, 100));
    // Deleted after the search: its copy still shows, its endorsers were kept.
    db.execute(u"delete from D_手形 where id=?"_qs, {gone});
    const QString before = dump(db);

    std::unique_ptr<QDialog> w(f.kit.receivableResults(nullptr));
    QVERIFY(showActive(w.get()));
    clickBill(w.get(), 1);
    QStringList shown;
    for (const char16_t *n : {u"日付", u"手形番号", u"Tcode", u"TNAME", u"振出人", u"支払県", u"支払市町村",
                              u"支払場所", u"支払場所支店", u"振出日", u"手形期日", u"金額", u"保管場所"})
        shown << textOf(w.get(), QString::fromUtf16(n));
    QCOMPARE(shown.join(u'|'),
             u"2026/11/02|G1|C1|消えた|振出|東京都|千代田区|三井|本店|2026/11/01|2027/03/01|5,000|金庫"_qs);
    QVERIFY(child<QCheckBox>(w.get(), u"注意フラグ"_qs)->isChecked());
    QCOMPARE(linesOf(child<QListWidget>(w.get(), u"List1"_qs)), (QStringList{u"甲"_qs, u"丙"_qs}));

    QStringList seen;
    f.ui.onModal(u"手形裏書"_qs, [&seen](QDialog *d) {
        seen = slotsOf(d);
        type(d, u"氏名2"_qs, u"書き足し"_qs);
    });
    if (command.startsWith(u'M'))
        w->findChild<QAction *>(command)->trigger();
    else
        press(w.get(), command);
    QCOMPARE(f.ui.modalWindows, modal);
    if (!modal.isEmpty())
        QCOMPARE(seen, (QStringList{u"甲/甲住所"_qs, u"丙/丙住所"_qs, u"/"_qs, u"/"_qs}));
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(dump(db), before);
    // The fields stay as shown.
    QCOMPARE(textOf(w.get(), u"手形番号"_qs), u"G1"_qs);
}

QTEST_MAIN(TestResults)
#include "test_results.moc"
