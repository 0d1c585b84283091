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
        QCOMPARE(ui.texts(), (QStringList{QStringLiteral("データが見つかりません"),
                                          QStringLiteral("システムが異常です\n再インストールしてください")}));
        QVERIFY(ui.modalWindows.isEmpty());  // not even the splash
        QVERIFY(!window.isVisible());
        QVERIFY(!ctx.DataDb);
    }

    void damagedMainDatabase_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("engineText");
        QTest::newRow("garbage") << QByteArray(8192, 'x') << QStringLiteral("not a database");
        QTest::newRow("empty file") << QByteArray() << QStringLiteral("手形データのファイルではありません");
    }

    void damagedMainDatabase()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, engineText);
        DataFolder folder;
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
        QVERIFY2(ui.shown.at(0).text.contains(engineText), qPrintable(ui.shown.at(0).text));
        QCOMPARE(ui.shown.at(1).text, QStringLiteral("データが壊れています\n再インストールしてください"));
        QVERIFY(!window.isVisible());
        // The damaged file is left for whoever can rescue it.
        QCOMPARE(QFileInfo(folder.file(files::kMainDb)).size(), qint64(content.size()));
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
