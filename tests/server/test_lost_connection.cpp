// The server goes away while the program runs: every read and write says
// so in Japanese and shows no empty list as if it were the book, a write
// is never half-done and keeps what the clerk typed, and once the server is
// back the program connects again by itself and says so.

#include "receivable/ReceivableTest.h"

#include "app/MainMenu.h"
#include "payable/PayableEntry.h"
#include "receivable/ReceivableList.h"
#include "search/DueList.h"

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QString kLost =
    u"サーバーとの接続が切れました。この操作は行われず、何も変わっていません。"
    "サーバーが動いているか確かめて、もう一度操作してください（サーバーが戻れば、自動でつなぎ直します）。"_qs;
const QString kBack = u"サーバーとの接続が切れていたため、つなぎ直しました。\nこのまま操作を続けられます。"_qs;

// The server is started again whatever the test did, for the next test.
struct ServerBack {
    ~ServerBack() { PrivateServer::instance().start(); }
};

// The reconnection's notice comes once the action that reconnected ended.
QStringList settled(ScriptedUi &ui)
{
    QApplication::processEvents();
    return ui.texts();
}

} // namespace

class TestLostConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("SORVANE_TEST_ENGINE", "server"); }
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }
    void listThroughARestart();
    void breakInsideASave();
    void commandsWhileAway_data();
    void commandsWhileAway();
};

// The clerk corrects a bill in 受取手形一覧; the server stops; saving, and
// opening lists, say the connection is lost; the server comes back; the same
// save goes through on a new connection, with the clerk's own search table.
void TestLostConnection::listThroughARestart()
{
    ServerBack back;
    WindowFixture f;
    addCustomer(f.db(), u"C1"_qs, u"顧客"_qs);
    const qint64 bill = addBill(f.db(), u"R1"_qs, QDate(2026, 12, 10), 5000);
    addBill(f.db(), u"R2"_qs, QDate(2026, 12, 11), 6000);
    addBill(f.db(), u"R3"_qs, QDate(2027, 2, 26), 7000);

    ReceivableListWindow list(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&list));
    QCOMPARE(billList(&list)->count(), 3);
    clickBill(&list, 0);
    type(&list, u"金額"_qs, u"5,500"_qs);
    type(&list, u"保管場所"_qs, u"二階の金庫"_qs);

    PrivateServer::instance().stop();
    press(&list, u"登録ボタン"_qs);
    QCOMPARE(f.ui.texts().size(), 1);
    const QString said = f.ui.texts().first();
    // The Japanese sentence first, the server's own words on the next line.
    QVERIFY2(said.startsWith(kLost + u'\n'), qPrintable(said));
    QVERIFY2(said.contains(u"terminating connection"_qs) || said.contains(u"connection"_qs), qPrintable(said));
    QVERIFY(f.ctx->db().connectionLost());
    // What the clerk typed is all there, the list as it was read.
    QCOMPARE(textOf(&list, u"金額"_qs), u"5,500"_qs);
    QCOMPARE(textOf(&list, u"保管場所"_qs), u"二階の金庫"_qs);
    QCOMPARE(textOf(&list, u"手形番号"_qs), u"R1"_qs);
    QCOMPARE(billList(&list)->count(), 3);
    // Endorsers that cannot be read open no blank dialog a save would write
    // over the stored ones.
    f.ui.clear();
    press(&list, u"裏書編集ボタン"_qs);
    QCOMPARE(f.ui.texts(), QStringList{kLost});
    QCOMPARE(f.ui.modalWindows, QStringList());
    QVERIFY(!list.EndorsementEdited);

    // Reads say so too, once for all a window's lists, and show no line.
    f.ui.clear();
    {
        ReceivableListWindow second(*f.ctx, f.ui, f.kit);
        QCOMPARE(f.ui.texts(), QStringList{kLost});
        QCOMPARE(billList(&second)->count(), 0);
    }
    f.ui.clear();
    {
        DueListWindow due(*f.ctx, f.ui);
        QCOMPARE(f.ui.texts(), QStringList{kLost});
        QCOMPARE(child<ui::LineList>(&due, u"List1"_qs)->count(), 0);
    }
    f.ui.clear();
    {
        PayableEntryWindow entry(*f.ctx, f.ui, f.kit);
        QCOMPARE(f.ui.texts(), QStringList{kLost});
    }

    PrivateServer::instance().start();
    // A moment after the last try, as a clerk reading the message takes.
    QTest::qWait(1100);
    f.ui.clear();
    QVERIFY(showActive(&list));
    press(&list, u"登録ボタン"_qs);
    QCOMPARE(settled(f.ui), QStringList{kBack});
    QVERIFY(!f.ctx->db().connectionLost());
    QCOMPARE(f.db().scalar(u"select 金額 from D_手形 where id=?"_qs, {bill}).toLongLong(), 5500);
    QCOMPARE(f.db().scalar(u"select 保管場所 from D_手形 where id=?"_qs, {bill}).toString(), u"二階の金庫"_qs);
    QCOMPARE(billList(&list)->count(), 3);
    // The new session has its own search table again.
    QCOMPARE(f.db().scalar(u"select count(*) from pg_class where relname='検索結果' and relpersistence='t'"_qs).toInt(),
             1);
}

// The connection breaks in the middle of a save (after the bill's row was
// written, while its endorsers are): nothing of it is stored, the typing
// stays, and the same save goes through on the next try.
void TestLostConnection::breakInsideASave()
{
    WindowFixture f;
    addCustomer(f.db(), u"C1"_qs, u"顧客"_qs);
    const qint64 bill = addBill(f.db(), u"R1"_qs, QDate(2027, 1, 29), 5000);
    addEndorser(f.db(), bill, 1, u"元の裏書人"_qs);
    // The server ends this very connection as an administrator would.
    f.db().execute(u"create function end_me() returns trigger language plpgsql as "
                   "$$ begin perform pg_terminate_backend(pg_backend_pid()); return new; end $$"_qs);
    f.db().execute(u"create trigger end_me before insert on 裏書人 for each row execute function end_me()"_qs);
    const QStringList before = rowsOf(f.db(), u"select * from D_手形"_qs) + rowsOf(f.db(), u"select * from 裏書人"_qs);

    ReceivableListWindow list(*f.ctx, f.ui, f.kit);
    QVERIFY(showActive(&list));
    clickBill(&list, 0);
    type(&list, u"金額"_qs, u"5,500"_qs);
    f.ui.onModal(u"手形裏書"_qs, [](QDialog *d) { type(d, u"氏名1"_qs, u"新しい裏書人"_qs); });
    list.ShowEndorsements();
    QVERIFY(list.EndorsementEdited);

    press(&list, u"登録ボタン"_qs);
    QVERIFY2(f.ui.texts().last().startsWith(kLost + u'\n'), qPrintable(f.ui.texts().join(u'|')));
    QCOMPARE(textOf(&list, u"金額"_qs), u"5,500"_qs);

    // Nothing of the save is stored: the bill and its endorser as they were.
    Database other(PrivateServer::instance().address(u"book"_qs));
    QCOMPARE(rowsOf(other, u"select * from D_手形"_qs) + rowsOf(other, u"select * from 裏書人"_qs), before);
    other.execute(u"drop trigger end_me on 裏書人"_qs);

    f.ui.clear();
    QTest::qWait(1100);
    press(&list, u"登録ボタン"_qs);
    QCOMPARE(settled(f.ui), QStringList{kBack});
    QCOMPARE(rowsOf(other, u"select 金額 from D_手形"_qs), QStringList{u"5500"_qs});
    QCOMPARE(rowsOf(other, u"select 裏書人 from 裏書人"_qs), QStringList{u"新しい裏書人"_qs});
}

void TestLostConnection::commandsWhileAway_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::newRow("受取手形一覧") << u"受取修正ボタン"_qs << u"受取手形一覧"_qs;
    QTest::newRow("期日接近分") << u"期日接近"_qs << u"接近手形一覧"_qs;
    QTest::newRow("支払手形一覧") << u"支払修正ボタン"_qs << u"支払手形一覧"_qs;
}

// A command of the main window while the server is away opens no window
// and says why; once the server is back the same command connects again,
// says so, and opens the window.
void TestLostConnection::commandsWhileAway()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    ServerBack back;
    WindowFixture f;
    MainMenu menu(*f.ctx, f.ui);
    auto *b = child<QPushButton>(&menu, button);
    QVERIFY(b);
    b->setEnabled(true);

    PrivateServer::instance().stop();
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(f.ui.modalWindows, QStringList());
    QCOMPARE(f.ui.texts().size(), 1);
    QVERIFY2(f.ui.texts().first().startsWith(kLost), qPrintable(f.ui.texts().first()));

    PrivateServer::instance().start();
    f.ui.clear();
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(f.ui.modalWindows, QStringList{window});
    QCOMPARE(settled(f.ui), QStringList{kBack});
}

QTEST_MAIN(TestLostConnection)
#include "test_lost_connection.moc"
