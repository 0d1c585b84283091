// A full disk, and other failures of the file layer, during the compaction
// and the reset. A small size-limited file system is not at hand in a test,
// so the failures are injected where the program meets the disk: SQLite's
// writes through a file layer registered as its default (the Qt driver
// links the same libsqlite3), the program's copies and renames through the
// hook of its file steps. Whatever fails, tegata.mdb keeps the data it had,
// nothing half-written is left in the folder, the clerk is told why in
// Japanese, and the program goes on with its data.

#include "book/Maintenance.h"
#include "data/Files.h"
#include "support/FaultInjection.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void addBills(Database &db, int count)
{
    Transaction t(db);
    for (int i = 0; i < count; ++i)
        db.execute(u"insert into D_手形(処理,手形番号,取引先,金額) values(0,?,?,?)"_qs,
                   {u"N%1"_qs.arg(i), QString(100, u'社'), i + 1});
    t.commit();
}

int billCount(AppFixture &f)
{
    return f.db().scalar(u"select count(*) from D_手形"_qs).toInt();
}

// What is in the folder, work files included.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

void inject(const QString &failure, const QString &name)
{
    if (failure == u"disk full")
        FaultInjection::failWrites(name, FaultInjection::Failure::DiskFull);
    else if (failure.startsWith(u"disk full after "_qs))
        FaultInjection::failWrites(name, FaultInjection::Failure::DiskFull, failure.section(u' ', 3).toInt());
    else if (failure == u"rename")
        FaultInjection::failRenames(name);
    else if (failure == u"no links, disk full") {
        FaultInjection::refuseLinks();
        FaultInjection::failWrites(name, FaultInjection::Failure::DiskFull);
    } else if (failure == u"no links")
        FaultInjection::refuseLinks();
}

const QString kFull = u"ディスクがいっぱい"_qs;

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FaultInjection::install();
        QVERIFY(FaultInjection::throughLayer());
    }
    void cleanup() { FaultInjection::clear(); }
    void compaction_data();
    void compaction();
    void reset_data();
    void reset();
};

void TestFullDisk::compaction_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("said"); // empty: the compaction is done

    const QString notDone = u"最適化できませんでした。データは最適化する前のまま残っています。"_qs;
    QTest::newRow("disk full at the first page of temp.mdb")
        << u"disk full"_qs << files::kCompactWork << QStringList{notDone, kFull};
    QTest::newRow("disk full half-way through temp.mdb")
        << u"disk full after 12"_qs << files::kCompactWork << QStringList{notDone, kFull};
    QTest::newRow("temp.mdb cannot take the name tegata.mdb")
        << u"rename"_qs << files::kMainDb << QStringList{notDone, u"ディスクの読み書きに失敗しました"_qs};
}

void TestFullDisk::compaction()
{
    QFETCH(QString, failure);
    QFETCH(QString, file);
    QFETCH(QStringList, said);

    AppFixture f;
    addBills(f.db(), 300);
    f.db().execute(u"delete from D_手形 where 金額 > 40"_qs);
    const QString main = f.folder.file(files::kMainDb);
    const QStringList filesBefore = filesIn(f.folder.path());
    f.ctx->CloseDataDatabase();
    const QByteArray before = bytesOf(main);
    QVERIFY(f.ctx->OpenDataDatabase());

    inject(failure, file);
    const book::ToolResult result = book::compactData(*f.ctx);
    FaultInjection::clear();

    QCOMPARE(result, book::ToolResult::NotDone);
    QCOMPARE(f.ui.shown.size(), 1);
    for (const QString &words : said)
        QVERIFY2(f.ui.shown.at(0).text.contains(words), qPrintable(f.ui.shown.at(0).text));
    QCOMPARE(filesIn(f.folder.path()).join(u' '), filesBefore.join(u' '));
    // The program goes on with the data it had.
    QVERIFY(f.ctx->DataDb);
    QCOMPARE(billCount(f), 40);
    f.ctx->CloseDataDatabase();
    QCOMPARE(bytesOf(main), before);
    QVERIFY(f.ctx->OpenDataDatabase());
}

void TestFullDisk::reset_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("said");     // empty: the reset is done
    QTest::addColumn<bool>("backupIsCurrent"); // tegata.bak holds the data of tegata.mdb

    const QString stopped = u"初期化を中止しました。データは変わっていません。"_qs;
    QTest::newRow("disk full while inidata.mdx is copied")
        << u"disk full"_qs << u"tegata.mdb.new.work"_qs << QStringList{stopped, kFull} << false;
    QTest::newRow("disk full while the new file is written")
        << u"disk full"_qs << u"tegata.mdb.new"_qs << QStringList{stopped, kFull} << false;
    QTest::newRow("no second names and a full disk for the backup")
        << u"no links, disk full"_qs << u"tegata.bak.new"_qs << QStringList{stopped, kFull, files::kBackupDb} << false;
    QTest::newRow("tegata.bak cannot be replaced")
        << u"rename"_qs << files::kBackupDb << QStringList{stopped, files::kBackupDb} << false;
    // The backup was already taken when the last step failed: it holds the
    // data tegata.mdb still has.
    QTest::newRow("the new file cannot take the name tegata.mdb")
        << u"rename"_qs << files::kMainDb << QStringList{stopped} << true;
    QTest::newRow("no second names: the backup is a copy") << u"no links"_qs << QString() << QStringList() << true;
}

void TestFullDisk::reset()
{
    QFETCH(QString, failure);
    QFETCH(QString, file);
    QFETCH(QStringList, said);
    QFETCH(bool, backupIsCurrent);

    AppFixture f;
    addBills(f.db(), 20);
    // A window length of its own, which the reset writes into the new file.
    f.db().execute(u"update 設定 set days=30"_qs);
    QVERIFY(f.ctx->LoadSettings());
    const QString main = f.folder.file(files::kMainDb);
    const QString backup = f.folder.file(files::kBackupDb);
    {
        QFile earlier(backup);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("the reset before");
    }
    const QStringList filesBefore = filesIn(f.folder.path());
    f.ctx->CloseDataDatabase();
    const QByteArray before = bytesOf(main);
    QVERIFY(f.ctx->OpenDataDatabase());

    inject(failure, file);
    const book::ToolResult result = book::resetData(*f.ctx);
    FaultInjection::clear();

    QCOMPARE(filesIn(f.folder.path()).join(u' '), filesBefore.join(u' '));
    QVERIFY(f.ctx->DataDb);
    QCOMPARE(f.ctx->DueWindowDays, 30);
    if (said.isEmpty()) {
        QCOMPARE(result, book::ToolResult::Done);
        QVERIFY(f.ui.shown.isEmpty());
        QCOMPARE(billCount(f), 0);
        QCOMPARE(bytesOf(backup), before);
        return;
    }
    QCOMPARE(result, book::ToolResult::NotDone);
    QCOMPARE(f.ui.shown.size(), 1);
    const QString message = f.ui.shown.at(0).text;
    for (const QString &words : said)
        QVERIFY2(message.contains(words), qPrintable(message));
    // Room on the disk, not a new installation, mends a full disk.
    if (said.contains(kFull))
        QVERIFY2(!message.contains(u"再インストール"_qs), qPrintable(message));
    QCOMPARE(billCount(f), 20);
    f.ctx->CloseDataDatabase();
    QCOMPARE(bytesOf(main), before);
    QCOMPARE(bytesOf(backup), backupIsCurrent ? before : QByteArray("the reset before"));
    QVERIFY(f.ctx->OpenDataDatabase());
}

QTEST_GUILESS_MAIN(TestFullDisk)
#include "test_full_disk.moc"
