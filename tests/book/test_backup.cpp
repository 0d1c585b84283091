// Backups and their restore, below the windows: a copy made while another
// clerk writes is one consistent book; a folder keeps the newest N; a file
// that is damaged, some other program's or a closed year's book is refused
// before anything changes; a failure while copying leaves nothing behind.

#include "book/Backup.h"
#include "book/Receivables.h"
#include "data/Files.h"
#include "data/Schema.h"
#include "search/SearchTest.h"
#include "support/FaultInjection.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

qint64 count(Database &db, const QString &sql)
{
    return db.scalar(sql).toLongLong();
}

QDateTime at(int day, int hour = 9)
{
    return QDateTime(QDate(2026, 11, day), QTime(hour, 0));
}

// A receivable bill with two endorsers, in one transaction as the entry window writes it.
void registerWithEndorsers(Database &db, int i)
{
    book::ReceivableBill bill;
    bill.日付 = QDate(2026, 12, 7);
    bill.手形番号 = u"W%1"_qs.arg(i);
    bill.取引先 = u"甲商事"_qs;
    bill.金額 = 1000 + i;
    book::registerReceivableBill(db, bill, book::EndorserSlots{{u"乙"_qs, u"大阪"_qs}, {u"丙"_qs, u"京都"_qs}});
}

// The clerk at the other desk: books bills with endorsers as fast as it can
// until told to stop.
pid_t startWriter(const QString &folder, const QString &stopFile)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    int rc = 0;
    try {
        ScriptedUi ui;
        AppContext ctx(ui, folder);
        if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase())
            ::_exit(3);
        // Faster than any clerk, with the pause a program takes between
        // two actions, so that the other connection gets its turn.
        for (int i = 0; i < 20000 && !QFile::exists(stopFile); ++i) {
            registerWithEndorsers(ctx.db(), i);
            ::usleep(2000);
        }
    } catch (...) {
        rc = 2;
    }
    ::_exit(rc);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FaultInjection::install();
        QVERIFY(FaultInjection::throughLayer());
    }
    void cleanup() { FaultInjection::clear(); }

    void copyWhileAnotherClerkWrites();
    void oldestBeyondTheNumberAreRemoved_data();
    void oldestBeyondTheNumberAreRemoved();
    void failedCopyLeavesNothing_data();
    void failedCopyLeavesNothing();
    void reminder_data();
    void reminder();
    void restorePutsBackupInPlace();
    void refusedRestoreChangesNothing_data();
    void refusedRestoreChangesNothing();
};

void TestBackup::copyWhileAnotherClerkWrites()
{
    AppFixture f;
    if (f.ctx->Server)
        QSKIP("a server book is written by pg_dump, whose copy is one snapshot by design");
    QTemporaryDir target;
    const QString stop = f.folder.file(u"stop"_qs);
    const pid_t writer = startWriter(f.folder.path(), stop);
    QVERIFY(writer > 0);
    QTRY_VERIFY_WITH_TIMEOUT(count(f.db(), u"select count(*) from D_手形"_qs) >= 5, 20000);

    qint64 first = -1, last = -1;
    for (int i = 0; i < 4; ++i) {
        const book::BackupMade made = book::backupBook(f.db(), {}, target.path(), 10, at(1 + i));
        QVERIFY2(made.problem.isEmpty(), qPrintable(made.problem));
        // The copy is a sound book on its own...
        QCOMPARE(book::checkBackupFile(made.file), made.bills);
        Workspace ws(u"check"_qs, {}, {});
        ScopedDatabase copy(ws, made.file);
        // ...and of one moment: every bill with both of its endorsers.
        QCOMPARE(count(*copy, u"select count(*) from 裏書人"_qs), 2 * made.bills);
        QCOMPARE(count(*copy, u"select count(*) from D_手形 d where (select count(*) from 裏書人 e "
                              "where e.手形id = d.id) <> 2"_qs),
                 0);
        if (first < 0)
            first = made.bills;
        last = made.bills;
        QTest::qWait(50);
    }
    writeBytes(stop, "stop");
    int status = 0;
    QCOMPARE(::waitpid(writer, &status, 0), writer);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the writer failed");
    // The writer went on between the copies.
    QVERIFY2(last > first, qPrintable(u"%1 then %2 bills"_qs.arg(first).arg(last)));
    QCOMPARE(book::listBackups(target.path()).size(), 4);
}

void TestBackup::oldestBeyondTheNumberAreRemoved_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<int>("before"); // backups in the folder already, one a day from 2026-11-01
    QTest::addColumn<QStringList>("left");
    QTest::newRow("ten kept, three there")
        << 10 << 3 << QStringList{u"20261101"_qs, u"20261102"_qs, u"20261103"_qs, u"20261120"_qs};
    QTest::newRow("three kept, five there") << 3 << 5 << QStringList{u"20261104"_qs, u"20261105"_qs, u"20261120"_qs};
    QTest::newRow("one kept") << 1 << 2 << QStringList{u"20261120"_qs};
}

void TestBackup::oldestBeyondTheNumberAreRemoved()
{
    QFETCH(int, keep);
    QFETCH(int, before);
    QFETCH(QStringList, left);
    AppFixture f;
    addBill(f.db(), {.number = u"A1"_qs});
    const bool server = f.ctx->Server.has_value();
    QTemporaryDir target;
    const QDir dir(target.path());
    // Older backups (their content does not matter for the count), and
    // files that are no backups of this kind: they stay whatever N is.
    for (int day = 1; day <= before; ++day)
        writeBytes(dir.filePath(book::backupFileName(at(day), server)), "old");
    const QStringList strangers{u"tegata-2025.mdb"_qs, u"notes.txt"_qs, book::backupFileName(at(2), !server),
                                u"tegata-20261101-090000.mdb.bak"_qs};
    for (const QString &name : strangers)
        writeBytes(dir.filePath(name), "other");

    const book::BackupMade made = book::backupBook(f.db(), f.ctx->Server, target.path(), keep, at(20));
    QVERIFY2(made.problem.isEmpty(), qPrintable(made.problem));
    QCOMPARE(made.bills, 1);
    QCOMPARE(made.removed.size(), qMax(0, before + 1 - keep));
    // Oldest first.
    for (int i = 0; i < made.removed.size(); ++i)
        QCOMPARE(made.removed.at(i), book::backupFileName(at(i + 1), server));

    QStringList stamps;
    for (const QString &name : dir.entryList(QDir::Files))
        if (book::backupTime(name, server).isValid())
            stamps << book::backupTime(name, server).toString(u"yyyyMMdd"_qs);
    QCOMPARE(stamps, left);
    for (const QString &name : strangers)
        QVERIFY2(dir.exists(name), qPrintable(name));
    // The folder and the number are remembered, with the time.
    const book::BackupSettings s = book::readBackupSettings(f.db());
    QCOMPARE(s.folder, QDir(target.path()).absolutePath());
    QCOMPARE(s.generations, keep);
    QCOMPARE(s.last, at(20));
}

void TestBackup::failedCopyLeavesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");
    QTest::newRow("disk full") << u"disk full"_qs << u"ディスクがいっぱい"_qs;
    QTest::newRow("read-only stick") << u"read-only"_qs << u"バックアップできませんでした"_qs;
    QTest::newRow("stick not there") << u"missing"_qs << u"USB メモリーなら"_qs;
    QTest::newRow("no folder typed") << u"empty"_qs << u"フォルダーを指定してください"_qs;
}

void TestBackup::failedCopyLeavesNothing()
{
    QFETCH(QString, failure);
    QFETCH(QString, message);
    AppFixture f;
    if (f.ctx->Server && (failure == u"disk full" || failure == u"read-only"))
        QSKIP("pg_dump writes through its own process, outside the file layer");
    addBill(f.db(), {.number = u"A1"_qs});
    QTemporaryDir target;
    const QString old = QDir(target.path()).filePath(book::backupFileName(at(1), f.ctx->Server.has_value()));
    writeBytes(old, "old");
    QString folder = target.path();
    if (failure == u"disk full")
        FaultInjection::failWrites(u".work"_qs, FaultInjection::Failure::DiskFull, 2);
    else if (failure == u"read-only")
        FaultInjection::failWrites(u".work"_qs, FaultInjection::Failure::ReadOnly);
    else if (failure == u"missing")
        folder = target.path() + u"/usb"_qs;
    else
        folder = u"  "_qs;

    try {
        book::backupBook(f.db(), f.ctx->Server, folder, 1, at(20));
        QFAIL("the backup was reported as made");
    } catch (const DbError &e) {
        QVERIFY2(e.description().contains(message), qPrintable(e.description()));
    }
    FaultInjection::clear();
    QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(old).fileName()});
    QCOMPARE(bytesOf(old), QByteArray("old"));
    QVERIFY(!book::readBackupSettings(f.db()).last.isValid());
}

void TestBackup::reminder_data()
{
    QTest::addColumn<int>("daysAgo"); // -1: never
    QTest::addColumn<bool>("bills");
    QTest::addColumn<QString>("shown");
    QTest::newRow("never, empty book") << -1 << false << QString();
    QTest::newRow("never, with bills") << -1 << true << u"まだバックアップをしていません"_qs;
    QTest::newRow("7 days ago") << 7 << true << QString();
    QTest::newRow("8 days ago") << 8 << true << u"から 8 日たっています"_qs;
    QTest::newRow("30 days ago, empty book") << 30 << false << u"から 30 日たっています"_qs;
}

void TestBackup::reminder()
{
    QFETCH(int, daysAgo);
    QFETCH(bool, bills);
    QFETCH(QString, shown);
    AppFixture f;
    const QDate today(2026, 12, 7);
    if (bills)
        addBill(f.db(), {.number = u"A1"_qs});
    if (daysAgo >= 0)
        f.db().execute(u"update 設定 set 最終バックアップ = ?"_qs,
                       {today.addDays(-daysAgo).startOfDay().addSecs(3600).toString(u"yyyy-MM-dd HH:mm:ss"_qs)});
    const QString text = book::backupReminder(f.db(), today);
    if (shown.isEmpty())
        QVERIFY2(text.isEmpty(), qPrintable(text));
    else
        QVERIFY2(text.contains(shown), qPrintable(text));
}

void TestBackup::restorePutsBackupInPlace()
{
    AppFixture f;
    if (f.ctx->Server)
        QSKIP("a server book is restored by its administrator with pg_restore");
    addBill(f.db(), {.number = u"A1"_qs});
    addBill(f.db(), {.number = u"A2"_qs});
    QTemporaryDir target;
    const book::BackupMade made = book::backupBook(f.db(), {}, target.path(), 10, at(1));
    addBill(f.db(), {.number = u"after"_qs});
    // A backup of an older version of the program is brought up to date.
    const QString older = QDir(target.path()).filePath(book::backupFileName(at(2), false));
    QVERIFY(QFile::copy(made.file, older));
    {
        Workspace ws(u"old"_qs, {}, {});
        ScopedDatabase db(ws, older);
        // What version 8 added, taken away again.
        sorvane::test::makeVersionSeven(*db);
    }
    f.ctx->CloseDataDatabase();
    const QByteArray current = bytesOf(f.folder.file(files::kMainDb));

    QCOMPARE(book::restoreBackupFile(f.folder.path(), older), 2);
    QCOMPARE(bytesOf(f.folder.file(files::kBackupDb)), current);
    QVERIFY(f.ctx->CheckDataFiles() && f.ctx->OpenDataDatabase());
    QCOMPARE(count(f.db(), u"select count(*) from D_手形"_qs), 2);
    QCOMPARE(schema::storedVersion(f.db()), schema::kVersion);
    // The backup itself was only read.
    Workspace ws(u"old"_qs, {}, {});
    ScopedDatabase db(ws, older, Access::ReadOnly);
    QCOMPARE(schema::storedVersion(*db), 7);
    // No work file is left beside the book.
    QStringList left = QDir(f.folder.path()).entryList({u"tegata*"_qs}, QDir::Files | QDir::Hidden);
    QCOMPARE(left, (QStringList{files::kBackupDb, files::kMainDb}));
}

void TestBackup::refusedRestoreChangesNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged page") << u"damaged"_qs << u"壊れています"_qs;
    QTest::newRow("cut short") << u"truncated"_qs << u"戻せません"_qs;
    QTest::newRow("another program's database") << u"foreign"_qs << u"手形データではありません"_qs;
    QTest::newRow("a text file") << u"text"_qs << u"戻せません"_qs;
    QTest::newRow("an empty file") << u"empty"_qs << u"手形データではありません"_qs;
    QTest::newRow("a newer program's book") << u"newer"_qs << u"新しい版のプログラム"_qs;
    QTest::newRow("the book of a closed year") << u"archive"_qs << u"過去のデータです"_qs;
    QTest::newRow("no such file") << u"missing"_qs << u"ありません"_qs;
}

void TestBackup::refusedRestoreChangesNothing()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    AppFixture f;
    if (f.ctx->Server)
        QSKIP("a server book is restored by its administrator with pg_restore");
    {
        Transaction t(f.db());
        for (int i = 0; i < 300; ++i)
            addBill(f.db(), {.number = u"N%1"_qs.arg(i), .party = QString(80, u'社')});
        t.commit();
    }
    QTemporaryDir target;
    const QString backup = book::backupBook(f.db(), {}, target.path(), 10, at(1)).file;
    const QString chosen = QDir(target.path()).filePath(u"chosen.mdb"_qs);
    QByteArray bytes = bytesOf(backup);
    if (file == u"damaged") {
        // A page in the middle of the bills overwritten.
        const int page = 4096;
        QVERIFY(bytes.size() > 8 * page);
        bytes.replace(5 * page, page, QByteArray(page, '\x5a'));
        writeBytes(chosen, bytes);
    } else if (file == u"truncated") {
        writeBytes(chosen, bytes.left(bytes.size() / 2));
    } else if (file == u"foreign") {
        Workspace ws(u"other"_qs, {}, {});
        ScopedDatabase db(ws, chosen, ScopedDatabase::Mode::Create);
        db->execute(u"create table 住所録 (id integer primary key, 名前 text)"_qs);
    } else if (file == u"text") {
        writeBytes(chosen, QByteArray("手形番号,金額\nA1,1000\n").repeated(100));
    } else if (file == u"empty") {
        writeBytes(chosen, {});
    } else if (file == u"newer" || file == u"archive") {
        QVERIFY(QFile::copy(backup, chosen));
        Workspace ws(u"other"_qs, {}, {});
        ScopedDatabase db(ws, chosen);
        db->execute(file == u"newer" ? u"pragma user_version = 99"_qs : u"update 設定 set 過去データ年度 = 2025"_qs);
    }
    const QString given = file == u"missing" ? QDir(target.path()).filePath(u"nothing.mdb"_qs) : chosen;
    addBill(f.db(), {.number = u"today"_qs});
    f.ctx->CloseDataDatabase();
    const QStringList filesBefore = QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray current = bytesOf(f.folder.file(files::kMainDb));

    try {
        book::restoreBackupFile(f.folder.path(), given);
        QFAIL("the file was restored");
    } catch (const DbError &e) {
        QVERIFY2(e.description().contains(message), qPrintable(e.description()));
        QVERIFY2(e.description().contains(u"今のデータはそのままです"_qs), qPrintable(e.description()));
    }
    QCOMPARE(bytesOf(f.folder.file(files::kMainDb)), current);
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
}

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
