// The reset and the compaction as the main window runs them: what happens to
// tegata.mdb, tegata.bak and temp.mdb, the messages, and that the program
// goes on with its data, or ends when they cannot be opened again.

#include "search/SearchTest.h"

#include "app/MainMenu.h"
#include "data/Files.h"
#include "data/Schema.h"
#include "master/MasterTest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

int billCount(AppFixture &f)
{
    return f.db().scalar(u"select count(*) from D_手形"_qs).toInt();
}

// Many bills, most of them deleted again: the file has free pages to reclaim.
void fillAndThin(AppFixture &f)
{
    Transaction t(f.db());
    for (int i = 0; i < 400; ++i)
        addBill(f.db(), {.number = u"N%1"_qs.arg(i), .party = QString(200, u'社'), .amount = i});
    f.db().execute(u"delete from D_手形 where 金額 >= 50"_qs);
    t.commit();
}

struct Program {
    explicit Program(AppFixture &f) : menu(*f.ctx, f.ui), exit(&menu, &MainMenu::exitRequested)
    {
        menu.toolSettings().resetStartMs = 0;
        menu.toolSettings().compactStartMs = 0;
        menu.toolSettings().compactLingerMs = 0;
        f.ui.runForReal(u"初期化中"_qs);
        f.ui.runForReal(u"最適化中"_qs);
        menu.activate();
    }
    void run(const QString &control)
    {
        if (QPushButton *b = menu.button(control))
            QTest::mouseClick(b, Qt::LeftButton);
        else
            menu.item(control)->trigger();
    }
    MainMenu menu;
    QSignalSpy exit;
};

const QString kQuestion = u"すべてのデータを削除しますか？"_qs;

} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void resetChangesNothing_data();
    void resetChangesNothing();
    void resetKeepsOldDataAsBackup_data();
    void resetKeepsOldDataAsBackup();
    void compaction_data();
    void compaction();
    void compactionWithoutUsableMainDb_data();
    void compactionWithoutUsableMainDb();
    void reopenThatCannotWriteEndsProgram();
};

void TestMaintenance::resetChangesNothing_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancel") << u"cancel"_qs << QStringList{} << QString();
    QTest::newRow("inidata.mdx missing") << u"no inidata"_qs << QStringList{}
                                         << u"システムが不正です\n再インストールしてください"_qs;
    QTest::newRow("tegata.bak is a folder with files")
        << u"bak folder"_qs << QStringList{u"初期化中"_qs} << u"tegata.bak として残せないため、初期化を中止しました"_qs;
    QTest::newRow("inidata.mdx is no database")
        << u"bad inidata"_qs << QStringList{u"初期化中"_qs} << u"inidata.mdx）を準備できないため"_qs;
}

void TestMaintenance::resetChangesNothing()
{
    QFETCH(QString, obstacle);
    QFETCH(QStringList, windows);
    QFETCH(QString, message);

    AppFixture f;
    addBill(f.db(), {.number = u"残る"_qs});
    const QString main = f.folder.file(files::kMainDb);
    const QString backup = f.folder.file(files::kBackupDb);
    const QByteArray before = bytesOf(main);
    if (obstacle == u"no inidata")
        QVERIFY(QFile::remove(f.folder.file(files::kInitialDb)));
    if (obstacle == u"bad inidata")
        writeFile(f.folder.file(files::kInitialDb), QByteArray(4096, 'x'));
    if (obstacle == u"bak folder") {
        QVERIFY(QDir(f.folder.path()).mkpath(files::kBackupDb));
        writeFile(backup + u"/keep.txt"_qs, "old");
    }
    const QStringList filesBefore = QDir(f.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    Program p(f);
    f.ui.answer(obstacle != u"cancel");
    p.run(u"初期化"_qs);

    QCOMPARE(f.ui.shown.value(0).text, kQuestion);
    QCOMPARE(f.ui.shown.value(0).title, u"初期化"_qs);
    QCOMPARE(f.ui.shown.size(), message.isEmpty() ? 1 : 2);
    if (!message.isEmpty())
        QVERIFY2(f.ui.shown.at(1).text.contains(message), qPrintable(f.ui.shown.at(1).text));
    QCOMPARE(f.ui.modalWindows, windows);
    QCOMPARE(bytesOf(main), before);
    QCOMPARE(QDir(f.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
    if (obstacle == u"bak folder")
        QCOMPARE(bytesOf(backup + u"/keep.txt"_qs), QByteArray("old"));
    // The program goes on with its data.
    QCOMPARE(billCount(f), 1);
    QCOMPARE(p.exit.count(), 0);
}

void TestMaintenance::resetKeepsOldDataAsBackup_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("earlierBackup");
    QTest::newRow("button, first reset") << u"初期化"_qs << false;
    QTest::newRow("menu, replaces the backup before") << u"M5初期化"_qs << true;
}

void TestMaintenance::resetKeepsOldDataAsBackup()
{
    QFETCH(QString, control);
    QFETCH(bool, earlierBackup);

    AppFixture f;
    addBill(f.db(), {.number = u"古い"_qs});
    f.db().execute(u"insert into T0(tc,tn) values('C1','得意先')"_qs);
    schema::writeDueWindowDays(f.db(), 30);
    QVERIFY(f.ctx->LoadSettings());
    // Changed since the program read it, as `sorvane-admin days 45` does.
    schema::writeDueWindowDays(f.db(), 45);
    const QString backup = f.folder.file(files::kBackupDb);
    if (earlierBackup)
        writeFile(backup, "the reset before");
    const QByteArray before = bytesOf(f.folder.file(files::kMainDb));

    Program p(f);
    f.ui.answer(true);
    p.run(control);

    QCOMPARE(f.ui.texts(), QStringList{kQuestion});
    QCOMPARE(f.ui.modalWindows, QStringList{u"初期化中"_qs});
    QCOMPARE(bytesOf(backup), before);
    QCOMPARE(billCount(f), 0);
    QCOMPARE(f.db().scalar(u"select count(*) from T0"_qs).toInt(), 0);
    // Enter on the question never empties the book.
    QCOMPARE(f.ui.shown.first().preset, MessageService::Default::Cancel);
    QCOMPARE(f.ctx->DueWindowDays, 45);
    QCOMPARE(f.db().scalar(u"select days from 設定"_qs).toInt(), 45);
    QVERIFY(!QFileInfo::exists(f.folder.file(files::kMainDb) + u".new"_qs));
    QCOMPARE(p.exit.count(), 0);
    // The main window goes on: a new bill is written to the new file.
    addBill(f.db(), {.number = u"新しい"_qs});
    QCOMPARE(billCount(f), 1);
}

void TestMaintenance::compaction_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<bool>("fails");
    QTest::newRow("button") << u"最適化"_qs << false << false;
    QTest::newRow("menu, leftover temp.mdb removed first") << u"M43最適化"_qs << true << false;
    QTest::newRow("compaction fails") << u"最適化"_qs << true << true;
}

void TestMaintenance::compaction()
{
    QFETCH(QString, control);
    QFETCH(bool, leftover);
    QFETCH(bool, fails);

    AppFixture f;
    fillAndThin(f);
    QVERIFY(f.db().scalar(u"pragma freelist_count"_qs).toInt() > 0);
    const QString main = f.folder.file(files::kMainDb);
    const QString temp = f.folder.file(files::kCompactWork);
    if (leftover)
        writeFile(temp, "left by an interrupted run");
    const QByteArray before = bytesOf(main);

    Program p(f);
    QStringList leftoverSeen;
    if (fails) {
        // The engine gives up half-way: part of the new file is written.
        p.menu.toolSettings().compact = [&](const QString &, const QString &newFile) {
            leftoverSeen << (QFileInfo::exists(newFile) ? u"there"_qs : u"gone"_qs);
            writeFile(newFile, "half a database");
            throw DbError(u"データベースの処理に失敗しました\ndisk I/O error"_qs);
        };
    }
    p.run(control);

    QCOMPARE(f.ui.modalWindows, QStringList{u"最適化中"_qs});
    QVERIFY(!QFileInfo::exists(temp));
    QCOMPARE(p.exit.count(), 0);
    QVERIFY(f.ctx->DataDb);
    QCOMPARE(billCount(f), 50);
    QCOMPARE(f.db().scalar(u"select sum(金額) from D_手形"_qs).toInt(), 49 * 50 / 2);
    if (fails) {
        QCOMPARE(leftoverSeen, QStringList{u"gone"_qs});
        QCOMPARE(f.ui.texts(),
                 QStringList{u"最適化できませんでした。データは最適化する前のまま残っています。\ndisk I/O error"_qs});
        QCOMPARE(bytesOf(main), before);
        // The main window is usable: it opens the search.
        QTest::mouseClick(p.menu.button(u"検索ボタン"_qs), Qt::LeftButton);
        QCOMPARE(f.ui.modalWindows.last(), u"手形検索"_qs);
    } else {
        QVERIFY(f.ui.shown.isEmpty());
        QCOMPARE(f.db().scalar(u"pragma freelist_count"_qs).toInt(), 0);
        QVERIFY(bytesOf(main).size() < before.size());
    }
}

void TestMaintenance::compactionWithoutUsableMainDb_data()
{
    QTest::addColumn<bool>("mainThere");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("tegata.mdb missing") << false
                                        << QStringList{u"データが見つかりません"_qs,
                                                       u"システムが異常です\n再インストールしてください"_qs};
    QTest::newRow("tegata.mdb does not open")
        << true
        << QStringList{u"tegata.mdb を開けないため、最適化できません。"_qs, u"not a database"_qs,
                       u"データが壊れています\n再インストールしてください"_qs};
}

void TestMaintenance::compactionWithoutUsableMainDb()
{
    QFETCH(bool, mainThere);
    QFETCH(QStringList, messages);

    AppFixture f;
    Program p(f);
    f.ctx->CloseDataDatabase();
    const QString main = f.folder.file(files::kMainDb);
    const QString temp = f.folder.file(files::kCompactWork);
    // temp.mdb may now hold the only copy of the data: it must stay.
    QVERIFY(QFile::copy(main, temp));
    const QByteArray data = bytesOf(temp);
    if (mainThere)
        writeFile(main, QByteArray(8192, 'x'));
    else
        QVERIFY(QFile::remove(main));

    p.run(u"最適化"_qs);

    QCOMPARE(bytesOf(temp), data);
    QCOMPARE(f.ui.shown.size(), messages.size());
    for (int i = 0; i < messages.size(); ++i)
        QVERIFY2(f.ui.shown.at(i).text.contains(messages.at(i)), qPrintable(f.ui.shown.at(i).text));
    QCOMPARE(p.exit.count(), 1);
    QCOMPARE(p.exit.at(0).at(0).toInt(), 1); // the program ends as a failure
    QVERIFY(!f.ctx->DataDb);
}

void TestMaintenance::reopenThatCannotWriteEndsProgram()
{
    AppFixture f;
    addBill(f.db(), {.number = u"1"_qs});
    Program p(f);
    // Another program starts writing to the new file the moment it is made
    // and keeps its write lock: the program can read the data but not write them.
    Workspace other(u"other"_qs, {}, {});
    p.menu.toolSettings().compact = [&](const QString &source, const QString &newFile) {
        Engine::compact(source, newFile);
        other.openDatabase(newFile)->beginTransaction();
    };
    p.run(u"最適化"_qs);

    QCOMPARE(f.ui.shown.size(), 2);
    const QString engine = f.ui.shown.at(0).text;
    QVERIFY2(engine.startsWith(u"tegata.mdb はほかのプログラムが使用中のため、書き込めません。"_qs),
             qPrintable(engine));
    QVERIFY2(engine.section(u'\n', 1).contains(u"locked"_qs), qPrintable(engine));
    QCOMPARE(f.ui.shown.at(1).text, u"データが壊れています\n再インストールしてください"_qs);
    QCOMPARE(p.exit.count(), 1);
    QCOMPARE(p.exit.at(0).at(0).toInt(), 1); // the program ends as a failure
    QVERIFY(!f.ctx->DataDb);
}

QTEST_MAIN(TestMaintenance)
#include "test_maintenance.moc"
