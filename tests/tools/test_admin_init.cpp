// sorvane-admin init: prepares a data folder, never overwrites the bills,
// and builds the postal database the address fields read.

#include "data/Engine.h"
#include "data/Files.h"
#include "data/Postal.h"

#include "AdminRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

using test::hashOf;
using test::runAdmin;
using Run = test::AdminRun;

namespace {

// Adds a company closing day to a holiday file, as a user may.
void addClosingDay(const QString &file)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, file);
    db->execute(QStringLiteral("insert into 祝日(日付, 祝日名) values(?, ?)"),
                {QDate(2026, 8, 14), QStringLiteral("夏季休業")});
}

int closingDays(const QString &file)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, file);
    return db->scalar(QStringLiteral("select count(*) from 祝日 where 祝日名=?"), {QStringLiteral("夏季休業")}).toInt();
}

} // namespace

class TestAdminInit : public QObject {
    Q_OBJECT

private slots:
    void initPreparesFolderAndKeepsData()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("データ")); // created when missing
        Run r = runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), folder});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        for (const QString &name : {files::kMainDb, files::kInitialDb, files::kPostalDb})
            QVERIFY2(QFile::exists(files::path(folder, name)), qPrintable(name));
        QCOMPARE(hashOf(files::path(folder, files::kMainDb)), hashOf(files::path(folder, files::kInitialDb)));

        // Put a bill into the main database, then run init again.
        {
            Workspace ws(QStringLiteral("t"), {}, {});
            ScopedDatabase db(ws, files::path(folder, files::kMainDb));
            db->execute(QStringLiteral("insert into D_手形(手形番号, 取引先) values(?, ?)"),
                        {QStringLiteral("A0001"), QStringLiteral("株式会社'テスト'")});
        }
        const QByteArray before = hashOf(files::path(folder, files::kMainDb));
        r = runAdmin({QStringLiteral("init"), QStringLiteral("--folder=") + folder});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(hashOf(files::path(folder, files::kMainDb)), before);
        QVERIFY(r.out.contains(QStringLiteral("そのまま")));
        // The initial database is empty of bills, whatever tegata.mdb holds.
        Workspace ws(QStringLiteral("t"), {}, {});
        ScopedDatabase ini(ws, files::path(folder, files::kInitialDb));
        QCOMPARE(ini->scalar(QStringLiteral("select count(*) from D_手形")).toInt(), 0);
        QCOMPARE(ini->scalar(QStringLiteral("select days from 設定")).toInt(), 14);
        // No work files are left behind.
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            QVERIFY2(!name.endsWith(QStringLiteral(".work")), qPrintable(name));
    }

    void postalDatabase()
    {
        QTemporaryDir dir;
        QCOMPARE(runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), dir.path()}).code, 0);
        Workspace ws(QStringLiteral("t"), {}, {});
        ScopedDatabase yubin(ws, files::path(dir.path(), files::kPostalDb));
        const QStringList prefs = postal::prefectures(*yubin);
        QCOMPARE(prefs.size(), 47);
        QCOMPARE(prefs.first(), QStringLiteral("北海道"));
        QCOMPARE(prefs.at(12), QStringLiteral("東京都"));
        QCOMPARE(prefs.at(26), QStringLiteral("大阪府"));
        QCOMPARE(prefs.last(), QStringLiteral("沖縄県"));
        int towns = 0;
        for (const QString &p : prefs) {
            Recordset rs = yubin->openRecordset(
                QStringLiteral("select 郵便番号, 市町村 from %1 order by id").arg(Database::quoteName(p)));
            QVERIFY2(!rs.eof(), qPrintable(p));
            QString previous;
            for (; !rs.eof(); rs.moveNext()) {
                const QString code = rs.text(QStringLiteral("郵便番号"));
                QCOMPARE(code.size(), 7);
                QVERIFY2(previous <= code, qPrintable(p + u' ' + code)); // stored in code order
                previous = code;
                ++towns;
            }
            QCOMPARE(postal::towns(*yubin, p).size(), rs.rowCount());
        }
        QCOMPARE(towns, 1892);
        const QStringList tokyo = postal::towns(*yubin, QStringLiteral("東京都"));
        QCOMPARE(tokyo.first(), QStringLiteral("千代田区"));
        QVERIFY(tokyo.contains(QStringLiteral("八丈島八丈町")));
    }

    void townsRefuseUnlistedNames_data()
    {
        QTest::addColumn<QString>("prefecture");
        QTest::newRow("unknown") << QStringLiteral("東京");
        QTest::newRow("injection") << QStringLiteral("東京都 union select 県番,県 from 県");
        QTest::newRow("other table") << QStringLiteral("県");
        QTest::newRow("empty") << QString();
    }

    void townsRefuseUnlistedNames()
    {
        QTemporaryDir dir;
        QCOMPARE(runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), dir.path()}).code, 0);
        QFETCH(QString, prefecture);
        Workspace ws(QStringLiteral("t"), {}, {});
        ScopedDatabase yubin(ws, files::path(dir.path(), files::kPostalDb));
        try {
            postal::towns(*yubin, prefecture);
            QFAIL("an unlisted prefecture was read");
        } catch (const DbError &e) {
            QVERIFY(e.description().contains(QStringLiteral("市町村データがありません")));
        }
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << 2 << QStringLiteral("コマンドを指定してください");
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << 2
                                         << QStringLiteral("不明なコマンドです");
        QTest::newRow("folder without value")
            << QStringList{QStringLiteral("init"), QStringLiteral("--folder")} << 2 << QStringLiteral("--folder");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("init"), QStringLiteral("--forse")} << 2
                                        << QStringLiteral("不明なオプション");
        QTest::newRow("extra argument") << QStringList{QStringLiteral("init"), QStringLiteral("x")} << 2
                                        << QStringLiteral("余分な引数");
    }

    void badArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        const Run r = runAdmin(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void runAgainKeepsWhatTheUserChanged()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        QCOMPARE(runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), folder}).code, 0);
        const QString holidays2026 = files::path(folder, files::holidayFileName(2026));
        addClosingDay(holidays2026);
        QFile::remove(files::path(folder, files::holidayFileName(2031)));
        {
            Workspace ws(QStringLiteral("t"), {}, {});
            ScopedDatabase db(ws, files::path(folder, files::kMainDb));
            db->execute(QStringLiteral("insert into D_手形(手形番号) values(?)"), {QStringLiteral("B0001")});
        }
        const QByteArray mainDb = hashOf(files::path(folder, files::kMainDb));
        const QByteArray initial = hashOf(files::path(folder, files::kInitialDb));
        const QByteArray postal = hashOf(files::path(folder, files::kPostalDb));

        // Run again: only the missing file is written, and the output says what was kept.
        Run r = runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), folder});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(closingDays(holidays2026), 1);
        QVERIFY(QFile::exists(files::path(folder, files::holidayFileName(2031))));
        QVERIFY2(r.out.contains(QStringLiteral("書き込み: 祝日2031.mdb")), qPrintable(r.out));
        QVERIFY2(r.out.contains(
                     QStringLiteral("そのままにしました: 祝日2000.mdb〜祝日2030.mdb、祝日2032.mdb〜祝日2060.mdb")),
                 qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("inidata.mdx、yubin.mdb")), qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("--force")));
        QCOMPARE(hashOf(files::path(folder, files::kInitialDb)), initial);
        QCOMPARE(hashOf(files::path(folder, files::kPostalDb)), postal);

        // --force rewrites the prepared files but never the data.
        QFile::remove(files::path(folder, files::kPostalDb));
        r = runAdmin({QStringLiteral("init"), QStringLiteral("--force"), QStringLiteral("--folder"), folder});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(closingDays(holidays2026), 0);
        QVERIFY(QFile::exists(files::path(folder, files::kPostalDb)));
        QVERIFY2(r.out.contains(QStringLiteral("書き込み: 祝日2000.mdb〜祝日2060.mdb (61 ファイル)")),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("書き込み: inidata.mdx")));
        QVERIFY(!r.out.contains(QStringLiteral("書き込み: tegata.mdb")));
        QCOMPARE(hashOf(files::path(folder, files::kMainDb)), mainDb);
    }

    void refusesBesideLeftoverCompactWorkFile()
    {
        // An interrupted compaction left the only copy of the data in temp.mdb.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d")));
        const QString folder = dir.filePath(QStringLiteral("d"));
        QCOMPARE(runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), folder}).code, 0);
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            if (name != files::kMainDb)
                QVERIFY(QFile::remove(QDir(folder).filePath(name)));
        QVERIFY(QFile::rename(files::path(folder, files::kMainDb), files::path(folder, files::kCompactWork)));
        const auto before = test::snapshot(dir.path());

        // The other commands point there too rather than saying only that tegata.mdb is missing.
        for (const QStringList &command :
             {QStringList{QStringLiteral("init"), QStringLiteral("--force")}, QStringList{QStringLiteral("init")},
              QStringList{QStringLiteral("account"), QStringLiteral("list")},
              QStringList{QStringLiteral("days"), QStringLiteral("30")}}) {
            const Run r = runAdmin(command + QStringList{QStringLiteral("--folder"), folder});
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains(QStringLiteral("temp.mdb の名前を tegata.mdb に変える")), qPrintable(r.err));
            QCOMPARE(test::snapshot(dir.path()), before);
        }
        QVERIFY(!QFile::exists(files::path(folder, files::kMainDb)));
    }

    void createsOnlyTheLastFolder_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("chain of missing folders")
            << QStringLiteral("tpyo/data/sorvane") << 2 << QStringLiteral("その上のフォルダー");
        QTest::newRow("below a plain file") << QStringLiteral("plain/sub") << 2 << QStringLiteral("その上のフォルダー");
        QTest::newRow("a plain file") << QStringLiteral("plain") << 2 << QStringLiteral("フォルダーではありません");
    }

    void createsOnlyTheLastFolder()
    {
        QFETCH(QString, relative);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("plain")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const auto before = test::snapshot(dir.path());
        const Run r = runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), dir.filePath(relative)});
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(test::snapshot(dir.path()), before);
    }

    void help()
    {
        const Run r = runAdmin({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("init")));
        QVERIFY(r.out.contains(QStringLiteral("--folder")));
    }
};

QTEST_MAIN(TestAdminInit)
#include "test_admin_init.moc"
