// The program on a server book: what a clerk sees when the server cannot be
// used, which book the title names, searches that belong to one clerk, and
// the two maintenance tools.

#include "support/TestSupport.h"

#include "app/MainMenu.h"
#include "book/Maintenance.h"
#include "book/Receivables.h"
#include "book/Search.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QUrl>

using namespace sorvane;
using namespace sorvane::test;

namespace {

qint64 addBill(Database &db, const QString &number)
{
    book::ReceivableBill b;
    b.日付 = QDate(2026, 12, 7);
    b.手形番号 = number;
    b.取引先コード = u"C1"_qs;
    b.手形期日 = QDate(2027, 1, 29);
    b.金額 = 1000;
    return book::registerReceivableBill(db, b, book::EndorserSlots{{u"裏書人"_qs, {}}});
}

int count(Database &db, const QString &table)
{
    return db.scalar(u"select count(*) from %1"_qs.arg(table)).toInt();
}

} // namespace

class TestServerBook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startUpRefused_data();
    void startUpRefused();
    void startUpNamesTheBook();
    void addressesAsClientsWriteThem_data();
    void addressesAsClientsWriteThem();
    void searchesBelongToOneClerk();
    void resetKeepsABackup_data();
    void resetKeepsABackup();
    void compactionVacuums();
    void cleanup();
};

void TestServerBook::initTestCase()
{
    qputenv("SORVANE_TEST_ENGINE", "server");
    PrivateServer &server = PrivateServer::instance();
    server.createDatabase(u"empty"_qs);
    server.createDatabase(u"clerkbook"_qs, u"clerk"_qs);
    // The clerk's own book: the clerk created it and owns its tables.
    qputenv("PGPASSWORD", PrivateServer::kClerkPassword.toUtf8());
    Database db(server.address(u"clerkbook"_qs, u"clerk"_qs));
    schema::createMainSchema(db);
    qunsetenv("PGPASSWORD");
}

void TestServerBook::cleanup()
{
    qunsetenv("PGPASSWORD");
    QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
            std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
                         [](QWidget *w) { return w->isVisible(); }));
}

void TestServerBook::startUpRefused_data()
{
    QTest::addColumn<QString>("setting"); // the setting file's text: SOCKET, or NOWHERE where no server listens
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QString>("said"); // in the first message
    QTest::addColumn<QString>("then"); // the last message
    const QString ends = u"サーバーの手形データを使えないため、終了します"_qs;
    QTest::newRow("server down") << u"postgresql://sorvane@/book?host=NOWHERE"_qs << QByteArray()
                                 << u"に接続できません"_qs << ends;
    QTest::newRow("wrong password") << u"postgresql://clerk@/clerkbook?host=SOCKET"_qs << QByteArray("wrong")
                                    << u"ログインできません"_qs << ends;
    QTest::newRow("no password") << u"postgresql://clerk@/clerkbook?host=SOCKET"_qs << QByteArray()
                                 << u"ログインできません"_qs << ends;
    QTest::newRow("no such database") << u"postgresql://sorvane@/nosuch?host=SOCKET"_qs << QByteArray()
                                      << u"データベース nosuch がありません"_qs << ends;
    QTest::newRow("database without the book")
        << u"postgresql://sorvane@/empty?host=SOCKET"_qs << QByteArray() << u"手形データがありません"_qs << ends;
    QTest::newRow("setting that is no address") << u"server1 tegata"_qs << QByteArray() << u"接続先の設定"_qs
                                                << u"システムが異常です\n再インストールしてください"_qs;
}

void TestServerBook::startUpRefused()
{
    QFETCH(QString, setting);
    QFETCH(QByteArray, password);
    QFETCH(QString, said);
    QFETCH(QString, then);
    QTemporaryDir nowhere; // a socket folder where no server listens
    DataFolder folder;
    QFile f(folder.file(serverbook::kSettingFile));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString(setting)
                .replace(u"SOCKET"_qs, PrivateServer::instance().socketFolder())
                .replace(u"NOWHERE"_qs, nowhere.path())
                .toUtf8());
    f.close();
    if (!password.isEmpty())
        qputenv("PGPASSWORD", password);
    ScriptedUi ui;
    AppContext ctx(ui, folder.path());
    ctx.splashDelayMs = 0;
    MainMenu window(ctx, ui);
    QVERIFY(!window.startUp());
    QVERIFY(!ctx.DataDb);
    QVERIFY(!window.isVisible());
    QCOMPARE(ui.texts().size(), 2);
    QVERIFY2(ui.texts().first().contains(said), qPrintable(ui.texts().first()));
    QCOMPARE(ui.texts().last(), then);
}

void TestServerBook::startUpNamesTheBook()
{
    DataFolder folder;
    serverbook::writeSetting(folder.path(), PrivateServer::instance().address(u"clerkbook"_qs, u"clerk"_qs));
    qputenv("PGPASSWORD", PrivateServer::kClerkPassword.toUtf8());
    ScriptedUi ui;
    AppContext ctx(ui, folder.path());
    ctx.splashDelayMs = 0;
    MainMenu window(ctx, ui);
    QVERIFY2(window.startUp(), qPrintable(ui.texts().join(u'|')));
    QCOMPARE(ui.texts(), QStringList());
    QCOMPARE(window.windowTitle(), u"Sorvane %1 (サーバー: clerkbook)"_qs.arg(QStringLiteral(SORVANE_VERSION)));
    QVERIFY(ctx.db().isServer());
    // The local files stay beside the program.
    QVERIFY(ctx.HolidayDataAvailable);
}

void TestServerBook::addressesAsClientsWriteThem_data()
{
    QTest::addColumn<QString>("address"); // SOCKET: the server's socket folder, ENCODED: the same percent-encoded
    QTest::newRow("the query's host wins over localhost") << u"postgresql://sorvane@localhost/empty?host=SOCKET"_qs;
    QTest::newRow("no user: the login name (PGUSER)") << u"postgresql:///empty?host=SOCKET"_qs;
    QTest::newRow("percent-encoded socket folder") << u"postgresql://sorvane@ENCODED/empty"_qs;
}

void TestServerBook::addressesAsClientsWriteThem()
{
    QFETCH(QString, address);
    const QString socket = PrivateServer::instance().socketFolder();
    address.replace(u"ENCODED"_qs, QString::fromUtf8(QUrl::toPercentEncoding(socket))).replace(u"SOCKET"_qs, socket);
    QString why;
    const std::optional<ServerAddress> a = ServerAddress::parse(address, &why);
    QVERIFY2(a, qPrintable(why));
    // Nothing listens on localhost here: only the socket reaches the server.
    qputenv("PGUSER", "sorvane");
    Database db(*a);
    qunsetenv("PGUSER");
    QCOMPARE(db.scalar(u"select current_user"_qs).toString(), u"sorvane"_qs);
}

void TestServerBook::searchesBelongToOneClerk()
{
    AppFixture a;
    ScriptedUi otherUi;
    AppContext b(otherUi, a.folder.path());
    QVERIFY(b.CheckDataFiles() && b.OpenDataDatabase());
    addBill(a.db(), u"A1"_qs);
    addBill(a.db(), u"B1"_qs);
    const book::SearchCriteria byA{book::BillKind::Receivable, book::DueSide::Both, u"A*"_qs, {}, {}, {}, {}};
    const book::SearchCriteria byB{book::BillKind::Receivable, book::DueSide::Both, u"B*"_qs, {}, {}, {}, {}};
    QCOMPARE(book::searchBills(a.db(), byA, QDate(2026, 12, 7)), 1);
    QCOMPARE(book::searchBills(b.db(), byB, QDate(2026, 12, 7)), 1);
    // A's result window still shows A's bill after B searched.
    const auto rowsOfA = book::receivableResultRows(a.db());
    QCOMPARE(rowsOfA.size(), 1u);
    QCOMPARE(rowsOfA.front().手形番号, u"A1"_qs);
    QCOMPARE(book::receivableResultRows(b.db()).front().手形番号, u"B1"_qs);
    b.CloseDataDatabase();
}

void TestServerBook::resetKeepsABackup_data()
{
    QTest::addColumn<bool>("backupFails");
    QTest::newRow("backup written, book emptied") << false;
    QTest::newRow("backup fails, nothing emptied") << true;
}

void TestServerBook::resetKeepsABackup()
{
    QFETCH(bool, backupFails);
    AppFixture f;
    addBill(f.db(), u"R1"_qs);
    schema::writeDueWindowDays(f.db(), 30);
    f.ctx->LoadSettings();
    // Changed since the program read it, as `sorvane-admin days 45` does.
    schema::writeDueWindowDays(f.db(), 45);
    const QString backup = f.folder.file(files::kServerBackup);
    // A folder where pg_dump must write its file makes the dump fail.
    if (backupFails)
        QVERIFY(QDir().mkpath(backup + u".work/x"_qs));

    const book::ToolResult result = book::resetData(*f.ctx);
    QCOMPARE(result, backupFails ? book::ToolResult::NotDone : book::ToolResult::Done);
    QCOMPARE(count(f.db(), u"D_手形"_qs), backupFails ? 1 : 0);
    QCOMPARE(count(f.db(), u"裏書人"_qs), backupFails ? 1 : 0);
    // The history no action may erase stays, whatever became of the bills.
    QCOMPARE(count(f.db(), u"手形履歴"_qs), 1);
    QCOMPARE(f.ctx->DueWindowDays, 45);
    QCOMPARE(f.db().scalar(u"select days from 設定"_qs).toInt(), 45);
    if (backupFails) {
        QCOMPARE(f.ui.texts().size(), 1);
        QVERIFY2(f.ui.texts().first().contains(u"バックアップ"_qs), qPrintable(f.ui.texts().first()));
        QVERIFY(!QFile::exists(backup));
        return;
    }
    QCOMPARE(f.ui.texts(), QStringList());
    // The backup holds the bill, readable by the server's own tools.
    QProcess restore;
    restore.start(PrivateServer::binFolder() + u"/pg_restore"_qs, {u"--data-only"_qs, u"--file=-"_qs, backup});
    QVERIFY(restore.waitForFinished(60000));
    QCOMPARE(restore.exitCode(), 0);
    QVERIFY(restore.readAllStandardOutput().contains("R1"));
    // New bills never get the ids of the bills that were there.
    QVERIFY(addBill(f.db(), u"R2"_qs) > 1);
}

void TestServerBook::compactionVacuums()
{
    AppFixture f;
    const qint64 id = addBill(f.db(), u"R1"_qs);
    QCOMPARE(book::compactData(*f.ctx), book::ToolResult::Done);
    QCOMPARE(f.ui.texts(), QStringList());
    QCOMPARE(book::receivableBill(f.db(), id)->手形番号, u"R1"_qs);
    // The server has analyzed the table since.
    QVERIFY(f.db()
                .scalar(u"select last_analyze is not null from pg_stat_user_tables where relname = 'd_手形'"_qs)
                .toBool());
}

QTEST_MAIN(TestServerBook)
#include "test_server_book.moc"
