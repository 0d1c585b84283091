// The tools バックアップ and リストア as a clerk uses them from the main window:
// the folder and number typed, the copy made and reported, the backups of a
// folder listed with their date and bill count, the one chosen put back
// after a question, and the main window's line about an old backup.

#include "search/SearchTest.h"

#include "app/MainMenu.h"
#include "book/Backup.h"
#include "data/Files.h"
#include "master/MasterTest.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>

using namespace sorvane;
using namespace sorvane::test;

namespace {

struct Program {
    explicit Program(AppFixture &f) : menu(*f.ctx, f.ui) { menu.activate(); }
    MainMenu menu;
};

qint64 bills(AppFixture &f)
{
    return f.db().scalar(u"select count(*) from D_手形"_qs).toLongLong();
}

QString reminderOf(MainMenu &menu)
{
    auto *label = menu.findChild<QLabel *>(u"バックアップ通知"_qs);
    return label && !menu.statusBar()->isHidden() ? label->text() : QString();
}

} // namespace

class TestBackupWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(strayWindows().isEmpty(), qPrintable(strayWindows().join(u','))); }

    void backupFromMainWindow_data();
    void backupFromMainWindow();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void restoreChosenBackup_data();
    void restoreChosenBackup();
    void damagedBackupIsRefusedBeforeTheQuestion();
};

void TestBackupWindows::backupFromMainWindow_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("button") << u"バックアップ"_qs;
    QTest::newRow("menu") << u"M41バックアップ"_qs;
}

void TestBackupWindows::backupFromMainWindow()
{
    QFETCH(QString, control);
    AppFixture f;
    addBill(f.db(), {.number = u"A1"_qs});
    QTemporaryDir stick;
    Program p(f);
    QVERIFY2(reminderOf(p.menu).contains(u"まだバックアップをしていません"_qs), qPrintable(reminderOf(p.menu)));

    bool closed = false;
    f.ui.onModal(u"バックアップ"_qs, [&](QDialog *w) {
        QCOMPARE(child<QLineEdit>(w, u"世代数"_qs)->text(), u"10"_qs);
        QVERIFY(child<QLabel>(w, u"前回"_qs)->text().contains(u"まだありません"_qs));
        child<QLineEdit>(w, u"保存先"_qs)->setText(stick.path());
        child<QLineEdit>(w, u"世代数"_qs)->setText(u"３"_qs);
        QTest::mouseClick(child<QPushButton>(w, u"実行ボタン"_qs), Qt::LeftButton);
        closed = !w->isVisible();
    });
    if (QPushButton *b = p.menu.button(control))
        QTest::mouseClick(b, Qt::LeftButton);
    else
        p.menu.item(control)->trigger();
    QVERIFY(closed);
    const QStringList made = QDir(stick.path()).entryList(QDir::Files);
    QCOMPARE(made.size(), 1);
    QVERIFY(book::backupTime(made.first(), f.ctx->Server.has_value()).isValid());
    QCOMPARE(f.ui.shown.size(), 1);
    QVERIFY2(f.ui.shown.first().text.startsWith(u"バックアップしました。"_qs), qPrintable(f.ui.shown.first().text));
    QVERIFY(f.ui.shown.first().text.contains(u"手形 1 件"_qs));
    QCOMPARE(book::readBackupSettings(f.db()).generations, 3);
    // Back in the main window, the line is gone.
    p.menu.activate();
    QCOMPARE(reminderOf(p.menu), QString());
}

void TestBackupWindows::badInputWritesNothing_data()
{
    QTest::addColumn<QString>("folder"); // "stick": the temporary folder
    QTest::addColumn<QString>("generations");
    QTest::addColumn<QString>("message");
    QTest::newRow("no folder") << QString() << u"10"_qs << u"バックアップ先のフォルダーを指定してください。"_qs;
    QTest::newRow("zero kept") << u"stick"_qs << u"0"_qs << u"残すバックアップの数は 1〜99 で入力してください。"_qs;
    QTest::newRow("letters for the number")
        << u"stick"_qs << u"十"_qs << u"残すバックアップの数は 1〜99 で入力してください。"_qs;
    QTest::newRow("folder not there") << u"stick/none"_qs << u"10"_qs << u"バックアップ先のフォルダー"_qs;
}

void TestBackupWindows::badInputWritesNothing()
{
    QFETCH(QString, folder);
    QFETCH(QString, generations);
    QFETCH(QString, message);
    AppFixture f;
    QTemporaryDir stick;
    Program p(f);
    bool open = false;
    f.ui.onModal(u"バックアップ"_qs, [&](QDialog *w) {
        child<QLineEdit>(w, u"保存先"_qs)->setText(QString(folder).replace(u"stick"_qs, stick.path()));
        child<QLineEdit>(w, u"世代数"_qs)->setText(generations);
        QTest::mouseClick(child<QPushButton>(w, u"実行ボタン"_qs), Qt::LeftButton);
        open = w->isVisible();
    });
    p.menu.button(u"バックアップ"_qs)->click();
    QVERIFY(open);
    QCOMPARE(f.ui.shown.size(), 1);
    QVERIFY2(f.ui.shown.first().text.startsWith(message), qPrintable(f.ui.shown.first().text));
    QVERIFY(QDir(stick.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(!book::readBackupSettings(f.db()).last.isValid());
}

void TestBackupWindows::restoreChosenBackup_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("OK") << true;
    QTest::newRow("キャンセル") << false;
}

void TestBackupWindows::restoreChosenBackup()
{
    QFETCH(bool, confirmed);
    AppFixture f;
    if (f.ctx->Server)
        QSKIP("a server book is restored with pg_restore");
    QTemporaryDir stick;
    addBill(f.db(), {.number = u"A1"_qs});
    book::backupBook(f.db(), {}, stick.path(), 10, QDateTime(QDate(2026, 12, 1), QTime(9, 30)));
    addBill(f.db(), {.number = u"A2"_qs});
    book::backupBook(f.db(), {}, stick.path(), 10, QDateTime(QDate(2026, 12, 5), QTime(17, 0)));
    addBill(f.db(), {.number = u"A3"_qs});
    Program p(f);

    QStringList lines;
    f.ui.onModal(u"リストア"_qs, [&](QDialog *w) {
        QCOMPARE(child<QLineEdit>(w, u"保存先"_qs)->text(), QDir::toNativeSeparators(stick.path()));
        auto *list = child<QListWidget>(w, u"List1"_qs);
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text().simplified();
        list->setCurrentRow(1);
        QTest::mouseClick(child<QPushButton>(w, u"リストアボタン"_qs), Qt::LeftButton);
    });
    f.ui.answer(confirmed);
    p.menu.item(u"M42リストア"_qs)->trigger();

    // Newest first, each with its date and bill count.
    QCOMPARE(lines, (QStringList{u"2026/12/05 17:00:00 tegata-20261205-170000.mdb 手形 2 件"_qs,
                                 u"2026/12/01 09:30:00 tegata-20261201-093000.mdb 手形 1 件"_qs}));
    const Shown question = f.ui.shown.first();
    QCOMPARE(question.kind, Shown::Kind::Confirm);
    QCOMPARE(question.title, u"リストア"_qs);
    QCOMPARE(question.preset, MessageService::Default::Cancel);
    QCOMPARE(question.text, u"2026/12/01 09:30:00 のバックアップ（手形 1 件）に戻します。\n"
                            "今のデータ（手形 3 件）は tegata.bak として残ります。\nよろしいですか？"_qs);
    if (confirmed) {
        QCOMPARE(bills(f), 1);
        QCOMPARE(f.ui.shown.last().text,
                 u"リストアしました（手形 1 件）。\n前のデータは tegata.bak に残っています。"_qs);
        QVERIFY(QFile::exists(f.folder.file(files::kBackupDb)));
    } else {
        QCOMPARE(bills(f), 3);
        QCOMPARE(f.ui.shown.size(), 1);
        QVERIFY(!QFile::exists(f.folder.file(files::kBackupDb)));
    }
    // The main window goes on with the book it has.
    QVERIFY(p.menu.button(u"受取入力ボタン"_qs)->isEnabled());
}

void TestBackupWindows::damagedBackupIsRefusedBeforeTheQuestion()
{
    AppFixture f;
    if (f.ctx->Server)
        QSKIP("a server book is restored with pg_restore");
    QTemporaryDir stick;
    addBill(f.db(), {.number = u"A1"_qs});
    const QString made =
        book::backupBook(f.db(), {}, stick.path(), 10, QDateTime(QDate(2026, 12, 1), QTime(9, 0))).file;
    {
        QFile file(made);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(0);
        file.write(QByteArray(100, 'x'));
    }
    Program p(f);
    QString line;
    f.ui.onModal(u"リストア"_qs, [&](QDialog *w) {
        auto *list = child<QListWidget>(w, u"List1"_qs);
        line = list->item(0)->text();
        list->setCurrentRow(0);
        QTest::mouseClick(child<QPushButton>(w, u"リストアボタン"_qs), Qt::LeftButton);
    });
    p.menu.button(u"リストア"_qs)->click();
    QVERIFY2(line.contains(u"読めません"_qs), qPrintable(line));
    QCOMPARE(f.ui.shown.size(), 1);
    QCOMPARE(f.ui.shown.first().kind, Shown::Kind::Information);
    QVERIFY2(f.ui.shown.first().text.startsWith(u"選んだファイルは戻せません。今のデータはそのままです。"_qs),
             qPrintable(f.ui.shown.first().text));
    QCOMPARE(bills(f), 1);
}

QTEST_MAIN(TestBackupWindows)
#include "test_backup_windows.moc"
