// Start-up: what the user sees when the data are missing or damaged, the
// splash, the shared state, and the account cache.

#include "book/AppContext.h"
#include "app/Logo.h"
#include "app/MainMenu.h"
#include "data/Files.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace sorvane;
using namespace sorvane::test;

class TestStartup : public QObject {
    Q_OBJECT

private:
    static void insertAccount(Database &db, int kozano)
    {
        db.execute(QStringLiteral("insert into 口座データ(kozano, 口座番号, 口座種別, 銀行名, 支店名) values(?,?,?,?,?)"),
                   {kozano, QStringLiteral("%1").arg(1000000 + kozano), QStringLiteral("当座"),
                    QStringLiteral("みずほ銀行"), QStringLiteral("本店")});
    }

private slots:
    void missingMainDatabase()
    {
        DataFolder folder(false);
        ScriptedUi ui;
        AppContext ctx(ui, folder.path());
        ctx.splashDelayMs = 0;
        MainMenu window(ctx, ui);
        QVERIFY(!window.startUp());
        // The clerk is told which command prepares this folder.
        QCOMPARE(ui.texts(),
                 (QStringList{QStringLiteral("データが見つかりません"),
                              QStringLiteral("システムが異常です\n再インストールしてください\n"
                                             "「sorvane-admin init --folder %1」を実行してデータフォルダーを"
                                             "用意してください")
                                  .arg(folder.path())}));
        QVERIFY(ui.modalWindows.isEmpty());  // not even the splash
        QVERIFY(!window.isVisible());
        QVERIFY(!ctx.DataDb);
    }

    void damagedMainDatabase_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("engineText");
        const QString damaged = QStringLiteral("tegata.mdb はこのプログラムのデータではないか、壊れています。"
                                               "tegata.bak かバックアップから戻してください。");
        QTest::newRow("garbage") << QStringLiteral("garbage") << damaged << QStringLiteral("not a database");
        QTest::newRow("empty file") << QStringLiteral("empty") << QString()
                                    << QStringLiteral("手形データのファイルではありません");
        QTest::newRow("cut off half-way") << QStringLiteral("truncated") << damaged << QString();
        QTest::newRow("a page overwritten") << QStringLiteral("page") << damaged << QString();
        // Found by fuzzing: a file whose bill keys are out of order opened,
        // took a new bill and then could not find it.
        QTest::newRow("bill keys out of order") << QStringLiteral("keys") << damaged << QString();
    }

    void damagedMainDatabase()
    {
        QFETCH(QString, damage);
        QFETCH(QString, firstLine);
        QFETCH(QString, engineText);
        DataFolder folder;
        QByteArray content;
        {
            QFile real(folder.file(files::kMainDb));
            QVERIFY(real.open(QIODevice::ReadOnly));
            content = real.readAll();
        }
        if (damage == u"garbage")
            content = QByteArray(8192, 'x');
        else if (damage == u"empty")
            content.clear();
        else if (damage == u"truncated")
            content.truncate(content.size() / 2);
        else if (damage == u"page")
            content.replace(4096 * 3, 4096, QByteArray(4096, '\x5a'));
        else if (damage == u"keys") {
            QFile keys(QStringLiteral(SORVANE_TEST_SOURCE_DIR "/app/data/keys-out-of-order.mdb"));
            QVERIFY(keys.open(QIODevice::ReadOnly));
            content = keys.readAll();
        }
        QFile f(folder.file(files::kMainDb));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();

        ScriptedUi ui;
        ui.runForReal(QStringLiteral("Logo"));
        AppContext ctx(ui, folder.path());
        ctx.splashDelayMs = 0;
        MainMenu window(ctx, ui);
        QVERIFY(!window.startUp());
        QCOMPARE(ui.shown.size(), 2);
        const QString said = ui.shown.at(0).text;
        if (!firstLine.isEmpty())
            QCOMPARE(said.section(u'\n', 0, 0), firstLine);
        QVERIFY2(said.contains(engineText), qPrintable(said));
        QCOMPARE(ui.shown.at(1).text, QStringLiteral("データが壊れています\n再インストールしてください"));
        QVERIFY(!window.isVisible());
        QVERIFY(!ctx.DataDb);
        // The damaged file is left as it was for whoever can rescue it.
        QFile after(folder.file(files::kMainDb));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(after.readAll() == content);
    }

    void splashClosesByTimerWithoutCloseButton()
    {
        DataFolder folder;
        ScriptedUi ui;
        ui.runForReal(QStringLiteral("Logo"));
        AppContext ctx(ui, folder.path());
        ctx.splashDelayMs = 0;
        ctx.clock.setToday(QDate(2026, 12, 7));

        MainMenu window(ctx, ui);
        bool closeButtonHidden = false;
        // Look at the splash while it is up; the timer closes it by itself.
        QTimer probe;
        connect(&probe, &QTimer::timeout, &probe, [&] {
            if (auto *logo = qobject_cast<Logo *>(QApplication::activeModalWidget())) {
                closeButtonHidden = logo->closeButton()->isHidden();
                probe.stop();
            }
        });
        probe.start(0);
        QVERIFY(window.startUp());
        QCOMPARE(ui.modalWindows, QStringList{QStringLiteral("Logo")});
        QVERIFY(closeButtonHidden);
        QVERIFY(ui.shown.isEmpty());
        QVERIFY(ctx.DataDb);
        QCOMPARE(ctx.DueWindowDays, 14);
        QCOMPARE(child<QTimer>(&window, QStringLiteral("Timer1"))->interval(), 0);
        QVERIFY(!child<QTimer>(&window, QStringLiteral("Timer1"))->isActive());
    }

    void holidayFlagFollowsCurrentYearFile()
    {
        DataFolder folder;
        ScriptedUi ui;
        AppContext ctx(ui, folder.path());
        ctx.clock.setToday(QDate(2031, 6, 1));
        const QString file = folder.file(files::holidayFileName(2031));
        QFile::remove(file);
        QVERIFY(ctx.CheckDataFiles());
        QVERIFY(!ctx.HolidayDataAvailable);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(ctx.CheckDataFiles());
        QVERIFY(ctx.HolidayDataAvailable);
        QCOMPARE(ctx.AppFolder, QDir::cleanPath(folder.path()));
        QVERIFY(ui.shown.isEmpty());
    }

    void openTwiceUsesTheOpenDatabase()
    {
        AppFixture fx;
        Database *first = fx.ctx->DataDb;
        QVERIFY(fx.ctx->OpenDataDatabase());
        QCOMPARE(fx.ctx->DataDb, first);
        QCOMPARE(fx.ctx->DataWorkspace->name(), QStringLiteral("Varnostel"));
        QCOMPARE(fx.ctx->DataWorkspace->user(), QStringLiteral("admin"));
        fx.ctx->CloseDataDatabase();
        QVERIFY(!fx.ctx->DataDb);
        QVERIFY(!fx.ctx->DataWorkspace);
        QVERIFY(fx.ctx->OpenDataDatabase());
        QVERIFY(fx.ctx->DataDb->isOpen());
    }

    void missingSettingsRowMeansDefault()
    {
        AppFixture fx;
        fx.db().execute(QStringLiteral("delete from 設定"));
        fx.ctx->DueWindowDays = 99;
        QVERIFY(fx.ctx->LoadSettings());
        QCOMPARE(fx.ctx->DueWindowDays, 14);
        QVERIFY(fx.ui.shown.isEmpty());
        QCOMPARE(fx.db().scalar(QStringLiteral("select days from 設定")).toInt(), 14);
    }

    void accountCache_data()
    {
        QTest::addColumn<int>("accounts");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("twenty") << 20;
        QTest::newRow("more than twenty") << 27;
    }

    void accountCache()
    {
        QFETCH(int, accounts);
        AppFixture fx;
        // Insert in reverse so that the cache's order is the query's, not the insert's.
        for (int k = accounts; k >= 1; --k)
            insertAccount(fx.db(), k * 10);
        fx.ctx->AccountCount = 0;
        QCOMPARE(fx.ctx->LoadAccountCache(), accounts > 0);
        QCOMPARE(fx.ctx->AccountCount, accounts);
        QCOMPARE(fx.ctx->AccountCache.size(), accounts);
        for (int i = 0; i < accounts; ++i) {
            QCOMPARE(fx.ctx->AccountCache.at(i).kozano, qint64((i + 1) * 10));
            QCOMPARE(fx.ctx->AccountCache.at(i).口座番号, QStringLiteral("%1").arg(1000000 + (i + 1) * 10));
            QCOMPARE(fx.ctx->AccountCache.at(i).口座種別, QStringLiteral("当座"));
        }
        QVERIFY(fx.ui.shown.isEmpty());
    }

    void emptyAccountTableKeepsPreviousCache()
    {
        AppFixture fx;
        insertAccount(fx.db(), 1);
        QVERIFY(fx.ctx->LoadAccountCache());
        fx.db().execute(QStringLiteral("delete from 口座データ"));
        QVERIFY(!fx.ctx->LoadAccountCache());
        QCOMPARE(fx.ctx->AccountCount, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
