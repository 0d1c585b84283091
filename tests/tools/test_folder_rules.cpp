// The data folder the real programs choose, each copied into a folder of
// its own as an installed program or a copied build would lie: the user's
// data folder, the build folder, --folder, SORVANE_DATA and which wins.

#include "data/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

// A scratch machine: a home, and the two programs copied into bin/.
class Machine {
public:
    explicit Machine(bool build)
    {
        QDir(m_dir.path()).mkpath(u"home"_qs);
        QDir(m_dir.path()).mkpath(u"bin"_qs);
        QFile::copy(QStringLiteral(SORVANE_ADMIN_EXE), bin(u"sorvane-admin"_qs));
        QFile::copy(QStringLiteral(SORVANE_PROGRAM_EXE), bin(u"sorvane"_qs));
        // A build with shared libraries has them beside the programs.
        const QDir built = QFileInfo(QStringLiteral(SORVANE_ADMIN_EXE)).dir();
        for (const QString &lib : built.entryList({u"libsorvane_*.so"_qs}, QDir::Files))
            QFile::copy(built.filePath(lib), bin(lib));
        if (build) {
            QFile marker(bin(files::kOwnFolderMarker));
            marker.open(QIODevice::WriteOnly);
        }
    }
    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    QString bin(const QString &name) const { return path(u"bin/"_qs + name); }

    Result run(const QString &program, const QStringList &args, const QStringList &environment) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"SORVANE_DATA"_qs);
        env.remove(u"XDG_DATA_HOME"_qs);
        env.insert(u"HOME"_qs, path(u"home"_qs));
        env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        for (const QString &pair : environment) {
            const qsizetype eq = pair.indexOf(u'=');
            env.insert(pair.left(eq), path(pair.mid(eq + 1)));
        }
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(bin(program), args);
        Result r;
        if (!p.waitForFinished(60000)) {
            p.kill(); // a message box waits for a click that never comes
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestFolderRules : public QObject {
    Q_OBJECT

private slots:
    // Where `sorvane-admin init` prepares the book; "--folder X" rows type
    // X, environment rows are NAME=folder below the scratch machine.
    void adminInit_data()
    {
        QTest::addColumn<bool>("build");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("expected");
        const QStringList none;
        QTest::newRow("installed: ~/.local/share/Sorvane, made with its parents")
            << false << none << none << u"home/.local/share/Sorvane"_qs;
        QTest::newRow("installed: $XDG_DATA_HOME/Sorvane")
            << false << none << QStringList{u"XDG_DATA_HOME=xdg"_qs} << u"xdg/Sorvane"_qs;
        QTest::newRow("build folder: beside the program")
            << true << none << QStringList{u"XDG_DATA_HOME=xdg"_qs} << u"bin"_qs;
        QTest::newRow("SORVANE_DATA, installed")
            << false << none << QStringList{u"SORVANE_DATA=shared"_qs} << u"shared"_qs;
        QTest::newRow("SORVANE_DATA, build folder")
            << true << none << QStringList{u"SORVANE_DATA=shared"_qs} << u"shared"_qs;
        QTest::newRow("--folder over SORVANE_DATA") << false << QStringList{u"--folder"_qs, u"typed"_qs}
                                                    << QStringList{u"SORVANE_DATA=shared"_qs} << u"typed"_qs;
        QTest::newRow("--folder, build folder") << true << QStringList{u"--folder=typed"_qs} << none << u"typed"_qs;
    }

    void adminInit()
    {
        QFETCH(bool, build);
        QFETCH(QStringList, args);
        QFETCH(QStringList, environment);
        QFETCH(QString, expected);
        Machine machine(build);
        const Result r = machine.run(u"sorvane-admin"_qs, QStringList{u"init"_qs} + args, environment);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString folder = machine.path(expected);
        QVERIFY(r.out.startsWith(u"データフォルダー: %1\n"_qs.arg(folder)));
        QVERIFY(QFileInfo::exists(files::path(folder, files::kMainDb)));
        // Nothing anywhere else: the one book, in the one folder.
        for (const QString &other :
             {u"home/.local/share/Sorvane"_qs, u"xdg/Sorvane"_qs, u"bin"_qs, u"shared"_qs, u"typed"_qs})
            if (other != expected)
                QVERIFY2(!QFileInfo::exists(files::path(machine.path(other), files::kMainDb)), qPrintable(other));

        // The other commands find the same book by the same rules.
        const Result days = machine.run(u"sorvane-admin"_qs, QStringList{u"days"_qs} + args, environment);
        QCOMPARE(days.code, 0);
    }

    void cannotCreate_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("user folder below a file")
            << QStringList() << QStringList{u"XDG_DATA_HOME=afile/share"_qs} << 1
            << u"データフォルダー @afile/share/Sorvane@ を作れません: @afile@ はファイルで、"
               "フォルダーではありません。\n"_qs;
        QTest::newRow("SORVANE_DATA below a missing folder")
            << QStringList() << QStringList{u"SORVANE_DATA=missing/tegata"_qs} << 2
            << u"フォルダー @missing/tegata@ を作れません: その上のフォルダー @missing@ がありません。\n"_qs;
        QTest::newRow("--folder names a file") << QStringList{u"--folder"_qs, u"afile"_qs} << QStringList() << 2
                                               << u"フォルダーではありません: @afile@\n"_qs;
    }

    void cannotCreate()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, environment);
        QFETCH(int, code);
        QFETCH(QString, message);
        Machine machine(false);
        QFile file(machine.path(u"afile"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const Result r = machine.run(u"sorvane-admin"_qs, QStringList{u"init"_qs} + args, environment);
        QCOMPARE(r.code, code);
        // @name@ stands for that path below the scratch machine.
        const QStringList parts = message.split(u'@');
        QString expected;
        for (qsizetype i = 0; i < parts.size(); ++i)
            expected += i % 2 ? machine.path(parts.at(i)) : parts.at(i);
        QVERIFY2(r.err.startsWith(expected), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFileInfo::exists(machine.path(u"home/.local"_qs)));
    }

    // The program starts to its main window on the folder the same rules
    // pick; a wrong pick would stop at "データが見つかりません".
    void initTestCase()
    {
        // One prepared folder, copied where each program row expects its book.
        QVERIFY(m_template.isValid());
        QProcess p;
        p.start(QStringLiteral(SORVANE_ADMIN_EXE), {u"init"_qs, u"--folder"_qs, m_template.path()});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);
    }

    void program_data()
    {
        QTest::addColumn<bool>("build");
        QTest::addColumn<QString>("folder"); // where the book is
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("environment");
        QTest::newRow("installed") << false << u"home/.local/share/Sorvane"_qs << QStringList() << QStringList();
        QTest::newRow("build folder") << true << u"bin"_qs << QStringList() << QStringList{u"XDG_DATA_HOME=home"_qs};
        QTest::newRow("SORVANE_DATA") << false << u"shared"_qs << QStringList()
                                      << QStringList{u"SORVANE_DATA=shared"_qs};
        // SORVANE_DATA names a folder without a book: only --folder can succeed.
        QTest::newRow("--folder over SORVANE_DATA")
            << false << u"typed"_qs << QStringList{u"--folder"_qs, u"typed"_qs} << QStringList{u"SORVANE_DATA=home"_qs};
    }

    void program()
    {
        QFETCH(bool, build);
        QFETCH(QString, folder);
        QFETCH(QStringList, args);
        QFETCH(QStringList, environment);
        Machine machine(build);
        QVERIFY(QDir().mkpath(machine.path(folder)));
        for (const QString &name : QDir(m_template.path()).entryList(QDir::Files))
            QVERIFY(QFile::copy(QDir(m_template.path()).filePath(name), files::path(machine.path(folder), name)));
        const Result r = machine.run(u"sorvane"_qs, args, environment + QStringList{u"SORVANE_QUIT_WHEN_SHOWN=1"_qs});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, u"shown: MainMenu\n"_qs);
    }

    void programArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::newRow("--folder without a folder")
            << QStringList{u"--folder"_qs} << 2 << u"--folder の後にデータフォルダーを指定してください\n"_qs;
        QTest::newRow("twice") << QStringList{u"--folder=a"_qs, u"--folder"_qs, u"b"_qs} << 2
                               << u"--folder が 2 回指定されています。"_qs;
        QTest::newRow("unknown option") << QStringList{u"--fodler"_qs, u"a"_qs} << 2
                                        << u"不明なオプションです: --fodler\n"_qs;
        QTest::newRow("help") << QStringList{u"--help"_qs} << 0 << QString();
    }

    void programArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, err);
        Machine machine(false);
        const Result r = machine.run(u"sorvane"_qs, args, {});
        QCOMPARE(r.code, code);
        // Qt may say something of its own first.
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (code == 0)
            QVERIFY(r.out.contains(u"--folder DIR"_qs));
        QVERIFY(!QFileInfo::exists(machine.path(u"home/.local"_qs)));
    }

private:
    QTemporaryDir m_template;
};

QTEST_GUILESS_MAIN(TestFolderRules)
#include "test_folder_rules.moc"
