// sorvane-admin backup and restore through the real tool: the copy and the
// generations it keeps, the folder it remembers, what it prints, its exit
// codes, and that a refusal changes nothing.

#include "support/TestSupport.h"

#include "book/Backup.h"
#include "data/Files.h"

#include "AdminRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::test;

namespace {

void addBills(const QString &folder, int n, const QString &prefix)
{
    Workspace ws(u"t"_qs, {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    for (int i = 0; i < n; ++i)
        db->execute(u"insert into D_手形(処理,手形番号,金額) values(0,?,?)"_qs, {prefix + QString::number(i), 100 + i});
}

qint64 billsIn(const QString &folder)
{
    Workspace ws(u"t"_qs, {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb), Access::ReadOnly);
    return db->scalar(u"select count(*) from D_手形"_qs).toLongLong();
}

QStringList backupsIn(const QString &folder)
{
    QStringList names;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        if (book::backupTime(name, false).isValid())
            names << name;
    return names;
}

} // namespace

class TestAdminBackup : public QObject {
    Q_OBJECT
private slots:
    void backupRemembersFolderAndKeepsNewest();
    void backupRefusals_data();
    void backupRefusals();
    void restoreThenRefusals_data();
    void restoreThenRefusals();
};

void TestAdminBackup::backupRemembersFolderAndKeepsNewest()
{
    DataFolder data;
    QTemporaryDir stick;
    addBills(data.path(), 3, u"A"_qs);
    // Two older backups already on the stick.
    for (const char *name : {"tegata-20250101-090000.mdb", "tegata-20250102-090000.mdb"})
        QVERIFY(QFile::copy(data.file(files::kMainDb), QDir(stick.path()).filePath(QString::fromLatin1(name))));

    const AdminRun first =
        runAdmin({u"backup"_qs, u"--to"_qs, stick.path(), u"--keep"_qs, u"2"_qs, u"--folder"_qs, data.path()});
    QCOMPARE(first.code, 0);
    QVERIFY2(first.out.contains(u"バックアップしました: "_qs) && first.out.contains(u"(手形 3 件)"_qs),
             qPrintable(first.out));
    QVERIFY2(first.out.contains(u"古いバックアップを削除しました: tegata-20250101-090000.mdb"_qs),
             qPrintable(first.out));
    QStringList names = backupsIn(stick.path());
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.first(), u"tegata-20250102-090000.mdb"_qs);

    // The folder and the number were remembered: the next backup needs neither.
    QTest::qWait(1100);
    const AdminRun second = runAdmin({u"backup"_qs, u"--folder"_qs, data.path()});
    QCOMPARE(second.code, 0);
    names = backupsIn(stick.path());
    QCOMPARE(names.size(), 2);
    QVERIFY(!names.contains(u"tegata-20250102-090000.mdb"_qs));
    QVERIFY(second.err.isEmpty());
}

void TestAdminBackup::backupRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    QTest::newRow("no folder remembered yet") << QStringList{u"backup"_qs} << 2 << u"--to でフォルダーを指定"_qs;
    QTest::newRow("no such folder") << QStringList{u"backup"_qs, u"--to"_qs, u"STICK/none"_qs} << 2
                                    << u"バックアップ先のフォルダーがありません"_qs;
    QTest::newRow("keep zero") << QStringList{u"backup"_qs, u"--to"_qs, u"STICK"_qs, u"--keep"_qs, u"0"_qs} << 2
                               << u"--keep には 1〜99 の数"_qs;
    QTest::newRow("extra argument") << QStringList{u"backup"_qs, u"STICK"_qs} << 2 << u"余分な引数"_qs;
}

void TestAdminBackup::backupRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    DataFolder data;
    QTemporaryDir stick;
    for (QString &a : args)
        a.replace(u"STICK"_qs, stick.path());
    const QByteArray before = hashOf(data.file(files::kMainDb));
    const AdminRun r = runAdmin(args + QStringList{u"--folder"_qs, data.path()});
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
    QVERIFY(QDir(stick.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QCOMPARE(hashOf(data.file(files::kMainDb)), before);
}

void TestAdminBackup::restoreThenRefusals_data()
{
    QTest::addColumn<QString>("file"); // BACKUP: the backup made; TEXT: a text file
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    QTest::newRow("the backup") << u"BACKUP"_qs << 0 << u"(手形 2 件)"_qs;
    QTest::newRow("a text file") << u"TEXT"_qs << 1 << u"選んだファイルは戻せません。今のデータはそのままです。"_qs;
    QTest::newRow("no such file") << u"NONE"_qs << 2 << u"ファイルがありません"_qs;
}

void TestAdminBackup::restoreThenRefusals()
{
    QFETCH(QString, file);
    QFETCH(int, code);
    QFETCH(QString, said);
    DataFolder data;
    QTemporaryDir stick;
    addBills(data.path(), 2, u"A"_qs);
    QCOMPARE(runAdmin({u"backup"_qs, u"--to"_qs, stick.path(), u"--folder"_qs, data.path()}).code, 0);
    addBills(data.path(), 5, u"B"_qs);
    QString given = QDir(stick.path()).filePath(backupsIn(stick.path()).value(0));
    if (file == u"TEXT") {
        given = QDir(stick.path()).filePath(u"memo.txt"_qs);
        QFile f(given);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("これはメモです\n").repeated(200));
    } else if (file == u"NONE") {
        given = QDir(stick.path()).filePath(u"none.mdb"_qs);
    }
    const QByteArray before = hashOf(data.file(files::kMainDb));

    const AdminRun r = runAdmin({u"restore"_qs, given, u"--folder"_qs, data.path()});
    QCOMPARE(r.code, code);
    QVERIFY2((code == 0 ? r.out : r.err).contains(said), qPrintable(r.out + r.err));
    if (code == 0) {
        QCOMPARE(billsIn(data.path()), 2);
        QCOMPARE(hashOf(data.file(files::kBackupDb)), before);
        QVERIFY(r.out.contains(u"tegata.bak に残しました"_qs));
    } else {
        QCOMPARE(hashOf(data.file(files::kMainDb)), before);
        QCOMPARE(billsIn(data.path()), 7);
        QVERIFY(!QFile::exists(data.file(files::kBackupDb)));
    }
}

QTEST_GUILESS_MAIN(TestAdminBackup)
#include "test_admin_backup.moc"
