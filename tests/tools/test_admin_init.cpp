// sorvane-admin init: prepares a data folder, never overwrites the bills,
// and builds the postal database the address fields read.

#include "data/Engine.h"
#include "data/Files.h"
#include "data/Postal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

namespace {

struct Run {
    int code;
    QString out;
    QString err;
};

Run runAdmin(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(SORVANE_ADMIN_EXE), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray hashOf(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestAdminInit : public QObject {
    Q_OBJECT

private slots:
    void initPreparesFolderAndKeepsData()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("データ"));  // created when missing
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
                QVERIFY2(previous <= code, qPrintable(p + u' ' + code));  // stored in code order
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
        QTest::newRow("folder without value") << QStringList{QStringLiteral("init"), QStringLiteral("--folder")}
                                              << 2 << QStringLiteral("--folder");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("init"), QStringLiteral("--force")} << 2
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

    void unwritableFolder()
    {
        // A folder below a plain file can be neither created nor written, even by root.
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain"));
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const Run r = runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), plain + QStringLiteral("/sub")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("フォルダー")), qPrintable(r.err));
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
