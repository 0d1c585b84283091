#include "data/Engine.h"
#include "data/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runAdmin(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(SORVANE_ADMIN_EXE), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestAdminHolidays : public QObject {
    Q_OBJECT

private slots:
    void writesTheRange();
    void badArguments_data();
    void badArguments();
    void unwritableFolder();
    void usageMentionsHolidays();
};

void TestAdminHolidays::writesTheRange()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("new folder"));
    const Run r = runAdmin({QStringLiteral("holidays"), QStringLiteral("2025"), QStringLiteral("2027"),
                            QStringLiteral("--folder"), folder});
    QCOMPARE(r.exitCode, 0);
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

    // Running again replaces the files.
    const Run again = runAdmin({QStringLiteral("holidays"), QStringLiteral("2026"), QStringLiteral("2026"),
                                QStringLiteral("--folder=") + folder});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
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
    QTest::newRow("negative") << QStringList{QStringLiteral("-5"), QStringLiteral("2026")}
                              << QStringLiteral("不明なオプション");
}

void TestAdminHolidays::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const Run r =
        runAdmin(QStringList{QStringLiteral("holidays")} + args + QStringList{QStringLiteral("--folder"), dir.path()});
    QVERIFY(r.exitCode > 0);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestAdminHolidays::unwritableFolder()
{
    QTemporaryDir dir;
    // A plain file where the folder should be: nothing can be created in it.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    for (const QString &folder : {blocker, blocker + QStringLiteral("/sub")}) {
        const Run r = runAdmin({QStringLiteral("holidays"), QStringLiteral("2026"), QStringLiteral("2026"),
                                QStringLiteral("--folder"), folder});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("フォルダー")), qPrintable(r.err));
    }
}

void TestAdminHolidays::usageMentionsHolidays()
{
    const Run r = runAdmin({QStringLiteral("--help")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains(QStringLiteral("holidays FROM TO")));
    QVERIFY(r.out.contains(QStringLiteral("1955")));
}

QTEST_MAIN(TestAdminHolidays)
#include "test_admin_holidays.moc"
