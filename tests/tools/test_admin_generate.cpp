// sorvane-admin generate: fills a prepared, empty data folder with a made-up
// book, and refuses everything else without touching a file.

#include "data/Engine.h"
#include "data/Files.h"

#include "AdminRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using test::runAdmin;

namespace {

QString preparedFolder(const QTemporaryDir &dir)
{
    static QTemporaryDir prepared;
    static bool ready = runAdmin({QStringLiteral("init"), QStringLiteral("--folder"), prepared.path()}).code == 0;
    const QString folder = dir.filePath(QStringLiteral("data"));
    if (!ready || !QDir().mkdir(folder) ||
        !QFile::copy(files::path(prepared.path(), files::kMainDb), files::path(folder, files::kMainDb)))
        return {};
    return folder;
}

qint64 billsIn(const QString &folder)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    return db->scalar(QStringLiteral("select count(*) from D_手形")).toLongLong();
}

} // namespace

class TestAdminGenerate : public QObject {
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        // DATA is a prepared data folder, USED one that already holds a customer.
        const QString gen = QStringLiteral("generate");
        const QString folder = QStringLiteral("--folder");
        QTest::newRow("no count") << QStringList{gen, folder, QStringLiteral("DATA")} << 2
                                  << QStringLiteral("作る手形の数を 1 つ");
        QTest::newRow("zero") << QStringList{gen, QStringLiteral("0"), folder, QStringLiteral("DATA")} << 2
                              << QStringLiteral("1〜10,000,000 の数字");
        QTest::newRow("not a number") << QStringList{gen, QStringLiteral("many"), folder, QStringLiteral("DATA")} << 2
                                      << QStringLiteral("の数字で指定してください: many");
        QTest::newRow("beyond the limit")
            << QStringList{gen, QStringLiteral("10000001"), folder, QStringLiteral("DATA")} << 2
            << QStringLiteral("1〜10,000,000");
        QTest::newRow("negative seed")
            << QStringList{gen,    QStringLiteral("10"),  QStringLiteral("--seed"), QStringLiteral("-1"),
                           folder, QStringLiteral("DATA")}
            << 2 << QStringLiteral("--seed には 0 以上の整数");
        QTest::newRow("seed without value")
            << QStringList{gen, QStringLiteral("10"), folder, QStringLiteral("DATA"), QStringLiteral("--seed")} << 2
            << QStringLiteral("--seed の後に値を指定してください");
        QTest::newRow("folder without tegata.mdb")
            << QStringList{gen, QStringLiteral("10"), folder, QStringLiteral("EMPTY")} << 2
            << QStringLiteral("tegata.mdb がありません");
        QTest::newRow("real data in the folder")
            << QStringList{gen, QStringLiteral("10"), folder, QStringLiteral("USED")} << 1
            << QStringLiteral("既にデータがあります");
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString data = preparedFolder(dir);
        QVERIFY(!data.isEmpty());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("empty")));
        const QString used = dir.filePath(QStringLiteral("used"));
        QVERIFY(QDir().mkdir(used));
        QVERIFY(QFile::copy(files::path(data, files::kMainDb), files::path(used, files::kMainDb)));
        {
            Workspace ws(QStringLiteral("t"), {}, {});
            ScopedDatabase db(ws, files::path(used, files::kMainDb));
            db->execute(QStringLiteral("insert into T0(tc,tn) values('1001','本物の得意先')"));
        }
        args.replaceInStrings(QStringLiteral("DATA"), data);
        args.replaceInStrings(QStringLiteral("EMPTY"), dir.filePath(QStringLiteral("empty")));
        args.replaceInStrings(QStringLiteral("USED"), used);
        const auto before = test::snapshot(dir.path());
        const test::AdminRun r = runAdmin(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(test::snapshot(dir.path()), before);
    }

    void writesTheBook()
    {
        QTemporaryDir dir;
        const QString data = preparedFolder(dir);
        QVERIFY(!data.isEmpty());
        test::AdminRun r = runAdmin({QStringLiteral("generate"), QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral("generate N [--seed S]")), qPrintable(r.out));

        r = runAdmin({QStringLiteral("generate"), QStringLiteral("1,200"), QStringLiteral("--seed=9"),
                      QStringLiteral("--folder"), data});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("手形 1,200 件")) && r.out.contains(QStringLiteral("乱数の種: 9")),
                 qPrintable(r.out));
        QCOMPARE(billsIn(data), 1200);
        // A second run would mix made-up bills into the first ones.
        r = runAdmin({QStringLiteral("generate"), QStringLiteral("10"), QStringLiteral("--folder"), data});
        QCOMPARE(r.code, 1);
        QCOMPARE(billsIn(data), 1200);
    }
};

QTEST_MAIN(TestAdminGenerate)
#include "test_admin_generate.moc"
