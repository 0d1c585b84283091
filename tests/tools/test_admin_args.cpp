// sorvane-admin as a new user tries it: --help on every command, mistyped
// options and folders, and the approaching-due setting.

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

// A data folder with only tegata.mdb, copied from one the tool wrote at the start.
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

QVariant storedDays(const QString &folder)
{
    Workspace ws(QStringLiteral("t"), {}, {});
    ScopedDatabase db(ws, files::path(folder, files::kMainDb));
    return db->scalar(QStringLiteral("select days from 設定 where id=1"));
}

} // namespace

class TestAdminArgs : public QObject {
    Q_OBJECT

private slots:
    void helpOnEveryCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("init --help") << QStringList{QStringLiteral("init"), QStringLiteral("--help")}
                                     << QStringLiteral("init [--force]");
        QTest::newRow("init -h with a new folder") << QStringList{QStringLiteral("init"), QStringLiteral("--folder"),
                                                                  QStringLiteral("NEW"), QStringLiteral("-h")}
                                                   << QStringLiteral("init [--force]");
        QTest::newRow("holidays --help after bad years")
            << QStringList{QStringLiteral("holidays"), QStringLiteral("x"), QStringLiteral("--help")}
            << QStringLiteral("holidays FROM TO");
        QTest::newRow("days --help") << QStringList{QStringLiteral("days"), QStringLiteral("--help")}
                                     << QStringLiteral("days [N]");
        QTest::newRow("account --help") << QStringList{QStringLiteral("account"), QStringLiteral("--help")}
                                        << QStringLiteral("--kind 文字");
        QTest::newRow("account add --help")
            << QStringList{QStringLiteral("account"), QStringLiteral("add"), QStringLiteral("--help")}
            << QStringLiteral("口座種別");
        QTest::newRow("help account") << QStringList{QStringLiteral("help"), QStringLiteral("account")}
                                      << QStringLiteral("account import FILE.csv");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << QStringLiteral("account list|add");
    }

    void helpOnEveryCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        args.replaceInStrings(QStringLiteral("NEW"), dir.filePath(QStringLiteral("new")));
        const auto before = test::snapshot(dir.path());
        const test::AdminRun r = runAdmin(args);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral("使い方")) && r.out.contains(expected), qPrintable(r.out));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(test::snapshot(dir.path()), before);
    }

    void argumentFaults_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        // DATA is a prepared data folder, EMPTY an existing folder without data, TMP the test's folder.
        QTest::newRow("two folders") << QStringList{QStringLiteral("days"), QStringLiteral("--folder"),
                                                    QStringLiteral("DATA"), QStringLiteral("--folder=EMPTY")}
                                     << 2 << QStringLiteral("--folder が 2 回指定されています");
        QTest::newRow("two folders for init")
            << QStringList{QStringLiteral("init"), QStringLiteral("--folder"), QStringLiteral("TMP/a"),
                           QStringLiteral("--folder"), QStringLiteral("TMP/b")}
            << 2 << QStringLiteral("--folder が 2 回");
        QTest::newRow("folder without value") << QStringList{QStringLiteral("days"), QStringLiteral("--folder")} << 2
                                              << QStringLiteral("--folder の後に値を指定してください");
        QTest::newRow("folder followed by an option")
            << QStringList{QStringLiteral("init"), QStringLiteral("--folder"), QStringLiteral("--force")} << 2
            << QStringLiteral("--folder の後に値を指定してください");
        QTest::newRow("mistyped chain for init")
            << QStringList{QStringLiteral("init"), QStringLiteral("--folder"), QStringLiteral("TMP/dtaa/sorvane")} << 2
            << QStringLiteral("その上のフォルダー");
        QTest::newRow("days in a missing folder")
            << QStringList{QStringLiteral("days"), QStringLiteral("30"), QStringLiteral("--folder"),
                           QStringLiteral("TMP/nothere")}
            << 2 << QStringLiteral("データフォルダーがありません");
        QTest::newRow("account list without tegata.mdb")
            << QStringList{QStringLiteral("account"), QStringLiteral("list"), QStringLiteral("--folder"),
                           QStringLiteral("EMPTY")}
            << 2 << QStringLiteral("tegata.mdb がありません");
        QTest::newRow("holidays in a missing folder")
            << QStringList{QStringLiteral("holidays"), QStringLiteral("2026"), QStringLiteral("2026"),
                           QStringLiteral("--folder"), QStringLiteral("TMP/nothere")}
            << 2 << QStringLiteral("フォルダーがありません");
        QTest::newRow("negative year is a value")
            << QStringList{QStringLiteral("holidays"), QStringLiteral("-5"), QStringLiteral("3"),
                           QStringLiteral("--folder"), QStringLiteral("EMPTY")}
            << 2 << QStringLiteral("1955 年から 2099 年まで");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("days"), QStringLiteral("--dyas"),
                                                       QStringLiteral("3")}
                                        << 2 << QStringLiteral("不明なオプションです: --dyas");
        QTest::newRow("flag with a value") << QStringList{QStringLiteral("init"), QStringLiteral("--force=yes")} << 2
                                           << QStringLiteral("不明なオプションです: --force=yes");
        QTest::newRow("option twice") << QStringList{QStringLiteral("holidays"), QStringLiteral("2026"),
                                                     QStringLiteral("2026"), QStringLiteral("--force"),
                                                     QStringLiteral("--force")}
                                      << 2 << QStringLiteral("--force が 2 回");
        QTest::newRow("account without subcommand")
            << QStringList{QStringLiteral("account")} << 2 << QStringLiteral("list、add、set、remove、import");
        QTest::newRow("unknown account subcommand")
            << QStringList{QStringLiteral("account"), QStringLiteral("delete"), QStringLiteral("1")} << 2
            << QStringLiteral("不明な account のコマンドです: delete");
        QTest::newRow("help for an unknown command")
            << QStringList{QStringLiteral("help"), QStringLiteral("frob")} << 2 << QStringLiteral("help の後には");
        QTest::newRow("days not a number") << QStringList{QStringLiteral("days"), QStringLiteral("三十"),
                                                          QStringLiteral("--folder"), QStringLiteral("DATA")}
                                           << 2 << QStringLiteral("日数は 0〜365 の数字で指定してください: 三十");
        QTest::newRow("days negative") << QStringList{QStringLiteral("days"), QStringLiteral("-5"),
                                                      QStringLiteral("--folder"), QStringLiteral("DATA")}
                                       << 2 << QStringLiteral("日数は 0〜365");
        QTest::newRow("days too many") << QStringList{QStringLiteral("days"), QStringLiteral("366"),
                                                      QStringLiteral("--folder"), QStringLiteral("DATA")}
                                       << 2 << QStringLiteral("日数は 0〜365");
        QTest::newRow("days two numbers")
            << QStringList{QStringLiteral("days"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("--folder"),
                           QStringLiteral("DATA")}
            << 2 << QStringLiteral("日数は 1 つ");
    }

    void argumentFaults()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString data = preparedFolder(dir);
        QVERIFY(!data.isEmpty());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("empty")));
        args.replaceInStrings(QStringLiteral("DATA"), data);
        args.replaceInStrings(QStringLiteral("EMPTY"), dir.filePath(QStringLiteral("empty")));
        args.replaceInStrings(QStringLiteral("TMP"), dir.path());
        const auto before = test::snapshot(dir.path());
        const test::AdminRun r = runAdmin(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
        QCOMPARE(test::snapshot(dir.path()), before);
    }

    void daysWritesTheSetting_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("30") << QStringLiteral("30") << 30;
        QTest::newRow("full-width digits") << QStringLiteral("６０") << 60;
        QTest::newRow("one") << QStringLiteral("1") << 1;
        QTest::newRow("today alone") << QStringLiteral("0") << 0;
        QTest::newRow("a year") << QStringLiteral("365") << 365;
    }

    void daysWritesTheSetting()
    {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QTemporaryDir dir;
        const QString data = preparedFolder(dir);
        QVERIFY(!data.isEmpty());
        QCOMPARE(storedDays(data).toInt(), 14);
        test::AdminRun r = runAdmin({QStringLiteral("days"), typed, QStringLiteral("--folder"), data});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(storedDays(data).toInt(), stored);
        QVERIFY2(r.out.contains(QStringLiteral("%1 日にしました (これまで 14 日)").arg(stored)), qPrintable(r.out));
        r = runAdmin({QStringLiteral("days"), QStringLiteral("--folder"), data});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral(": %1 日").arg(stored)), qPrintable(r.out));
    }

    void daysOnAFileThatIsNotOurs()
    {
        // A tegata.mdb that is no database of ours: a clear message, exit 1, the file untouched.
        QTemporaryDir dir;
        QFile f(dir.filePath(files::kMainDb));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all, just text typed by someone");
        f.close();
        const auto before = test::snapshot(dir.path());
        const test::AdminRun r =
            runAdmin({QStringLiteral("days"), QStringLiteral("30"), QStringLiteral("--folder"), dir.path()});
        QCOMPARE(r.code, 1);
        QVERIFY(!r.err.isEmpty());
        QCOMPARE(test::snapshot(dir.path()), before);
    }
};

QTEST_MAIN(TestAdminArgs)
#include "test_admin_args.moc"
