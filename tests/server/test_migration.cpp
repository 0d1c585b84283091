// Moving a book between a file and a server, through the book's functions
// and the real sorvane-admin: identical tables both ways, ids that never
// come back, and nothing kept when a step fails midway.

#include "support/TestSupport.h"
#include "tools/AdminRun.h"

#include "book/Migration.h"
#include "book/Receivables.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

// A small book with what tends to go wrong: quotes, letters in both cases,
// missing dates, endorsers, a deleted last bill.
void fillBook(Database &db)
{
    db.execute(u"insert into T0(tc,tn) values('c1','O''Hara 商事')"_qs);
    db.execute(u"insert into T1(idoft,振出人,支払場所,最終手形番号) values(1,'株式会社''X''','南北銀行','A0099')"_qs);
    db.execute(u"insert into S0(sc,sn) values('S1','仕入先')"_qs);
    db.execute(u"insert into 保管場所(保管場所) values('金庫')"_qs);
    db.execute(u"insert into 口座データ(kozano,口座種別,計画済年月) values(1,'当座','2026-11-30')"_qs);
    for (int i = 1; i <= 30; ++i) {
        book::ReceivableBill b;
        b.日付 = QDate(2026, 12, 7);
        b.手形番号 = u"Ab%1"_qs.arg(i);
        b.取引先コード = u"c1"_qs;
        b.取引先 = u"O'Hara 商事"_qs;
        b.振出日 = i % 3 ? QDate(2026, 10, i % 28 + 1) : QDate();
        b.手形期日 = i % 5 ? QDate(2027, 1, i % 28 + 1) : QDate();
        b.金額 = 1000 * i;
        book::registerReceivableBill(db, b,
                                     book::EndorserSlots{{u"裏書 %1"_qs.arg(i), u"住所"_qs}, {}, {u"三番"_qs, {}}});
    }
    book::deleteReceivableBill(db, 30);
}

int rowsOf(Database &db)
{
    int rows = 0;
    for (const book::TableCheck &c : book::checkBook(db))
        rows += c.table == u"設定" || c.table == u"仕訳科目" ? 0 : int(c.rows);
    return rows;
}

} // namespace

class TestMigration : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bothWaysGiveTheSameTables();
    void failureMidwayKeepsNothing_data();
    void failureMidwayKeepsNothing();
    void connectAndInitServer();
};

void TestMigration::initTestCase()
{
    PrivateServer::instance();
}

void TestMigration::bothWaysGiveTheSameTables()
{
    AppFixture f; // a file book
    fillBook(f.db());
    const auto original = book::checkBook(f.db());
    f.ctx->CloseDataDatabase();
    PrivateServer &server = PrivateServer::instance();
    server.createDatabase(u"moved"_qs);
    const ServerAddress address = server.address(u"moved"_qs);

    // To the server through the tool, as a clerk's company would.
    const AdminRun to = runAdmin({u"migrate"_qs, u"--to"_qs, address.url(), u"--folder"_qs, f.folder.path()});
    QVERIFY2(to.code == 0, qPrintable(to.err));
    QVERIFY(to.out.contains(u"D_手形: 29 行"_qs));
    Workspace ws(u"test"_qs, {}, {});
    ScopedDatabase onServer(ws, address);
    const auto serverChecks = book::checkBook(*onServer);
    QCOMPARE(serverChecks.size(), original.size());
    for (size_t i = 0; i < original.size(); ++i) {
        QCOMPARE(serverChecks[i].rows, original[i].rows);
        QCOMPARE(serverChecks[i].checksum, original[i].checksum);
    }
    // Text still compares without regard to case on the server.
    QCOMPARE(
        onServer->scalar(u"select count(*) from D_手形 where 手形番号 like 'AB1%' and 取引先コード = 'C1'"_qs).toInt(),
        11);

    // And back into a new file.
    QTemporaryDir back;
    const auto backChecks = book::migrateServerToFile(address, back.path());
    ScopedDatabase file(ws, QDir(back.path()).filePath(files::kMainDb));
    const auto fileChecks = book::checkBook(*file);
    for (size_t i = 0; i < original.size(); ++i) {
        QCOMPARE(backChecks[i].checksum, original[i].checksum);
        QCOMPARE(fileChecks[i].checksum, original[i].checksum);
    }
    // The deleted bill's id is never handed out again, on either side.
    book::ReceivableBill next;
    next.手形番号 = u"NEW"_qs;
    next.日付 = QDate(2026, 12, 8);
    QCOMPARE(book::registerReceivableBill(*onServer, next, std::nullopt), 31);
    QCOMPARE(book::registerReceivableBill(*file, next, std::nullopt), 31);
    // The file holds nothing but what was moved: no work file beside it.
    QCOMPARE(QDir(back.path()).entryList(QDir::Files), QStringList{files::kMainDb});
}

void TestMigration::failureMidwayKeepsNothing_data()
{
    QTest::addColumn<QString>("direction");
    QTest::newRow("to the server: an endorser row refused") << u"to server"_qs;
    QTest::newRow("to the server: it already holds a book") << u"to a used server"_qs;
    QTest::newRow("to a file: a row the file refuses") << u"to file"_qs;
    QTest::newRow("to a file: tegata.mdb already there") << u"over a file"_qs;
}

void TestMigration::failureMidwayKeepsNothing()
{
    QFETCH(QString, direction);
    PrivateServer &server = PrivateServer::instance();
    server.createDatabase(u"target"_qs);
    const ServerAddress address = server.address(u"target"_qs);
    Workspace ws(u"test"_qs, {}, {});
    ScopedDatabase onServer(ws, address);
    schema::createMainSchema(*onServer);
    AppFixture f;
    fillBook(f.db());
    f.ctx->CloseDataDatabase();

    if (direction.startsWith(u"to server") || direction == u"to a used server") {
        if (direction == u"to a used server")
            onServer->execute(u"insert into S0(sc,sn) values('S9','前からの仕入先')"_qs);
        else
            failWhen(*onServer, u"fail"_qs, u"before insert on 裏書人"_qs, u"new.裏書人 = '裏書 20'"_qs);
        const int before = rowsOf(*onServer);
        const AdminRun r = runAdmin({u"migrate"_qs, u"--to"_qs, address.url(), u"--folder"_qs, f.folder.path()});
        QCOMPARE(r.code, 1);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(rowsOf(*onServer), before);
        QCOMPARE(onServer->scalar(u"select count(*) from 設定"_qs).toInt(), 1);
        return;
    }
    // The server holds a book the file cannot take: a second settings row.
    QVERIFY(book::migrateFileToServer(f.folder.file(files::kMainDb), address).size() > 0);
    QTemporaryDir back;
    if (direction == u"to file") {
        onServer->execute(u"alter table 設定 drop constraint 設定_id_check"_qs);
        onServer->execute(u"insert into 設定(id,days) values(2,7)"_qs);
    } else {
        QFile existing(QDir(back.path()).filePath(files::kMainDb));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("the clerk's own file");
    }
    const auto before = snapshot(back.path());
    const AdminRun r = runAdmin({u"migrate"_qs, u"--from"_qs, address.url(), u"--to-file"_qs, back.path()});
    QCOMPARE(r.code, 1);
    QVERIFY(!r.err.isEmpty());
    QCOMPARE(snapshot(back.path()), before);
}

void TestMigration::connectAndInitServer()
{
    PrivateServer &server = PrivateServer::instance();
    server.createDatabase(u"fresh"_qs);
    const QString url = server.address(u"fresh"_qs).url();
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"data"_qs);

    // A password never goes into the setting.
    const AdminRun withPassword =
        runAdmin({u"connect"_qs, u"postgresql://sorvane:secret@/fresh?host=/tmp"_qs, u"--folder"_qs, dir.path()});
    QCOMPARE(withPassword.code, 2);
    QVERIFY(!QFile::exists(dir.filePath(serverbook::kSettingFile)));

    const AdminRun init = runAdmin({u"init"_qs, u"--server"_qs, url, u"--folder"_qs, folder});
    QVERIFY2(init.code == 0, qPrintable(init.err));
    QVERIFY(QFile::exists(QDir(folder).filePath(files::kPostalDb)));
    const AdminRun connect = runAdmin({u"connect"_qs, url, u"--folder"_qs, folder});
    QVERIFY2(connect.code == 0, qPrintable(connect.err));
    QVERIFY(connect.err.isEmpty());
    // The tool's other commands now work on the server book.
    QCOMPARE(runAdmin({u"days"_qs, u"21"_qs, u"--folder"_qs, folder}).code, 0);
    Workspace ws(u"test"_qs, {}, {});
    ScopedDatabase onServer(ws, server.address(u"fresh"_qs));
    QCOMPARE(schema::readDueWindowDays(*onServer), 21);
    QCOMPARE(schema::storedVersion(*onServer), schema::kVersion);
    // init again keeps the book.
    QCOMPARE(runAdmin({u"init"_qs, u"--server"_qs, u"--folder"_qs, folder}).code, 0);
    QCOMPARE(schema::readDueWindowDays(*onServer), 21);
    // Back to the file.
    QCOMPARE(runAdmin({u"connect"_qs, u"--file"_qs, u"--folder"_qs, folder}).code, 0);
    QVERIFY(!QFile::exists(QDir(folder).filePath(serverbook::kSettingFile)));
}

QTEST_MAIN(TestMigration)
#include "test_migration.moc"
