#include "data/Engine.h"
#include "data/Files.h"

#include "AdminRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

using test::runAdmin;
using Run = test::AdminRun;

class TestAdminHolidays : public QObject {
    Q_OBJECT

private slots:
    void writesTheRange();
    void badArguments_data();
    void badArguments();
    void missingFolder_data();
    void missingFolder();
    void usageMentionsHolidays();
};

void TestAdminHolidays::writesTheRange()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("new folder"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("new folder")));
    const Run r = runAdmin({QStringLiteral("holidays"), QStringLiteral("2025"), QStringLiteral("2027"),
                            QStringLiteral("--folder"), folder});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    for (int y = 2025; y <= 2027; ++y) {
        QVERIFY2(QFileInfo::exists(QDir(folder).filePath(files::holidayFileName(y))), qPrintable(QString::number(y)));
        QVERIFY(r.out.contains(files::holidayFileName(y)));
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);

    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, QDir(folder).filePath(files::holidayFileName(2026)));
    QCOMPARE(db->scalar(QStringLiteral("select 祝日名 from 祝日 where 日付=?"), {QDate(2026, 9, 22)}).toString(),
             QStringLiteral("国民の休日"));
    QCOMPARE(db->scalar(QStringLiteral("select 祝日名 from 祝日 where 日付=?"), {QDate(2026, 12, 31)}).toString(),
             QStringLiteral("銀行休業日"));

    // Running again keeps a file a user may have changed, and says so; --force rewrites it.
    db->execute(QStringLiteral("delete from 祝日 where 日付=?"), {QDate(2026, 9, 22)});
    // Opened anew each time: a rewritten file is a new file under the old name.
    const auto holidays2026 = [&] {
        Workspace w(QStringLiteral("count"), {}, {});
        ScopedDatabase file(w, QDir(folder).filePath(files::holidayFileName(2026)));
        return file->scalar(QStringLiteral("select count(*) from 祝日")).toInt();
    };
    const int changed = holidays2026();
    const Run again = runAdmin({QStringLiteral("holidays"), QStringLiteral("2026"), QStringLiteral("2028"),
                                QStringLiteral("--folder=") + folder});
    QCOMPARE(again.code, 0);
    QCOMPARE(holidays2026(), changed);
    QVERIFY2(again.out.contains(QStringLiteral("そのままにしました: 祝日2026.mdb〜祝日2027.mdb")),
             qPrintable(again.out));
    QVERIFY(again.out.contains(QStringLiteral("書き込み: 祝日2028.mdb")));
    QVERIFY(!again.out.contains(QStringLiteral("書き込み: 祝日2026.mdb")));

    const Run forced = runAdmin({QStringLiteral("holidays"), QStringLiteral("2026"), QStringLiteral("2026"),
                                 QStringLiteral("--force"), QStringLiteral("--folder"), folder});
    QCOMPARE(forced.code, 0);
    QVERIFY(forced.out.contains(QStringLiteral("書き込み: 祝日2026.mdb")));
    QCOMPARE(holidays2026(), changed + 1);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 4);
}

void TestAdminHolidays::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("no years") << QStringList{} << QStringLiteral("開始年と終了年");
    QTest::newRow("one year") << QStringList{QStringLiteral("2026")} << QStringLiteral("開始年と終了年");
    QTest::newRow("three years") << QStringList{QStringLiteral("2025"), QStringLiteral("2026"), QStringLiteral("2027")}
                                 << QStringLiteral("開始年と終了年");
    QTest::newRow("not a number") << QStringList{QStringLiteral("abc"), QStringLiteral("2026")}
                                  << QStringLiteral("年は数字で指定してください");
    QTest::newRow("five digits") << QStringList{QStringLiteral("2025"), QStringLiteral("20260")}
                                 << QStringLiteral("年は数字で指定してください");
    QTest::newRow("reversed") << QStringList{QStringLiteral("2027"), QStringLiteral("2025")}
                              << QStringLiteral("開始年が終了年より後です");
    QTest::newRow("before 1955") << QStringList{QStringLiteral("1954"), QStringLiteral("1960")}
                                 << QStringLiteral("1955 年から 2099 年まで");
    QTest::newRow("after 2099") << QStringList{QStringLiteral("2098"), QStringLiteral("2100")}
                                << QStringLiteral("1955 年から 2099 年まで");
    QTest::newRow("negative") << QStringList{QStringLiteral("-5"), QStringLiteral("3")}
                              << QStringLiteral("1955 年から 2099 年までです: -5〜3");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("2026"), QStringLiteral("2026"), QStringLiteral("-f")}
                                    << QStringLiteral("不明なオプションです: -f");
}

void TestAdminHolidays::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const Run r =
        runAdmin(QStringList{QStringLiteral("holidays")} + args + QStringList{QStringLiteral("--folder"), dir.path()});
    QVERIFY(r.code > 0);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestAdminHolidays::missingFolder_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("フォルダーがありません");
    QTest::newRow("below a plain file") << QStringLiteral("file/sub") << QStringLiteral("フォルダーがありません");
    QTest::newRow("a plain file") << QStringLiteral("file") << QStringLiteral("フォルダーではありません");
}

void TestAdminHolidays::missingFolder()
{
    QFETCH(QString, relative);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("file")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const auto before = test::snapshot(dir.path());
    const Run r = runAdmin({QStringLiteral("holidays"), QStringLiteral("2026"), QStringLiteral("2026"),
                            QStringLiteral("--folder"), dir.filePath(relative)});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(test::snapshot(dir.path()), before);
}

void TestAdminHolidays::usageMentionsHolidays()
{
    const Run r = runAdmin({QStringLiteral("--help")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("holidays FROM TO")));
    QVERIFY(r.out.contains(QStringLiteral("1955")));
}

QTEST_MAIN(TestAdminHolidays)
#include "test_admin_holidays.moc"
