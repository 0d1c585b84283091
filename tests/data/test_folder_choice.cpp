// Which data folder the program and its tool use: the command line, then
// SORVANE_DATA, then the program's folder when it is marked as its own
// data folder (a build), else the user's data folder (an installed
// program); and what a clerk is told when it cannot be made.

#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace sorvane;
using namespace sorvane::datafolder;

Q_DECLARE_METATYPE(sorvane::datafolder::FolderOrigin)

class TestFolderChoice : public QObject {
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<FolderOrigin>("origin");

        const QString cwd = QDir::currentPath();
        // The program folder is /opt/p/bin, the home /home/k throughout.
        QTest::newRow("installed: the user's data folder")
            << QString() << QString() << false << QString() << u"/home/k/.local/share/Sorvane"_qs
            << FolderOrigin::UserData;
        QTest::newRow("installed, XDG_DATA_HOME set")
            << QString() << QString() << false << u"/data/k/"_qs << u"/data/k/Sorvane"_qs << FolderOrigin::UserData;
        QTest::newRow("a relative XDG_DATA_HOME is ignored")
            << QString() << QString() << false << u"rel/share"_qs << u"/home/k/.local/share/Sorvane"_qs
            << FolderOrigin::UserData;
        QTest::newRow("build folder: the program's own")
            << QString() << QString() << true << u"/data/k"_qs << u"/opt/p/bin"_qs << FolderOrigin::OwnFolder;
        QTest::newRow("SORVANE_DATA over the user's folder")
            << QString() << u"/srv/shared/tegata"_qs << false << u"/data/k"_qs << u"/srv/shared/tegata"_qs
            << FolderOrigin::Environment;
        QTest::newRow("SORVANE_DATA over the build folder")
            << QString() << u"/srv/shared/"_qs << true << QString() << u"/srv/shared"_qs << FolderOrigin::Environment;
        QTest::newRow("SORVANE_DATA relative")
            << QString() << u"books/../book"_qs << false << QString() << cwd + u"/book"_qs << FolderOrigin::Environment;
        QTest::newRow("--folder over everything") << u"/mnt/usb/tegata"_qs << u"/srv/shared"_qs << true << u"/data/k"_qs
                                                  << u"/mnt/usb/tegata"_qs << FolderOrigin::CommandLine;
        QTest::newRow("--folder over the user's folder") << u"/mnt/usb//tegata/."_qs << QString() << false << QString()
                                                         << u"/mnt/usb/tegata"_qs << FolderOrigin::CommandLine;
        QTest::newRow("--folder relative")
            << u"here"_qs << u"/srv/shared"_qs << false << QString() << cwd + u"/here"_qs << FolderOrigin::CommandLine;
    }

    void choice()
    {
        QFETCH(QString, typed);
        QFETCH(QString, environment);
        QFETCH(bool, marked);
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, expected);
        QFETCH(FolderOrigin, origin);
        FolderFacts facts;
        facts.typed = typed;
        facts.environment = environment;
        facts.programFolder = u"/opt/p/bin"_qs;
        facts.programFolderMarked = marked;
        facts.xdgDataHome = xdgDataHome;
        facts.home = u"/home/k"_qs;
        const FolderChoice choice = chooseFolder(facts);
        QCOMPARE(choice.path, expected);
        QCOMPARE(choice.origin, origin);
    }

    // The marker file is what tells a build from an installed program.
    void processFactsSeeTheMarker()
    {
        QTemporaryDir dir;
        QVERIFY(!processFacts(dir.path()).programFolderMarked);
        QFile marker(files::path(dir.path(), files::kOwnFolderMarker));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        const FolderFacts facts = processFacts(dir.path(), u"typed"_qs);
        QVERIFY(facts.programFolderMarked);
        QCOMPARE(facts.typed, u"typed"_qs);
        QCOMPARE(chooseFolder(facts).origin, FolderOrigin::CommandLine);
    }

    void command_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FolderOrigin>("origin");
        QTest::addColumn<QString>("expected");
        QTest::newRow("user folder: the tool's own default")
            << u"/home/k/.local/share/Sorvane"_qs << FolderOrigin::UserData << u"sorvane-admin init"_qs;
        QTest::newRow("build folder: the tool beside the program")
            << u"/w/build/bin"_qs << FolderOrigin::OwnFolder << u"/w/build/bin/sorvane-admin init"_qs;
        QTest::newRow("typed folder") << u"/mnt/usb/手形"_qs << FolderOrigin::CommandLine
                                      << u"sorvane-admin init --folder /mnt/usb/手形"_qs;
        // The tool may run in a shell without the variable: the folder is named.
        QTest::newRow("SORVANE_DATA") << u"/srv/shared"_qs << FolderOrigin::Environment
                                      << u"sorvane-admin init --folder /srv/shared"_qs;
        QTest::newRow("a space is quoted") << u"/home/k/My Books"_qs << FolderOrigin::CommandLine
                                           << u"sorvane-admin init --folder '/home/k/My Books'"_qs;
        QTest::newRow("a quote is quoted") << u"/home/k/O'Hara"_qs << FolderOrigin::CommandLine
                                           << u"sorvane-admin init --folder '/home/k/O'\\''Hara'"_qs;
    }

    void command()
    {
        QFETCH(QString, path);
        QFETCH(FolderOrigin, origin);
        QFETCH(QString, expected);
        QCOMPARE(prepareCommand({path, origin}, origin == FolderOrigin::OwnFolder ? path : u"/usr/bin"_qs), expected);
    }

    void createsParents()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"home/.local/share/Sorvane"_qs);
        createWithParents(folder);
        QVERIFY(QFileInfo(folder).isDir());
        createWithParents(folder); // an existing folder is fine
    }

    void cannotCreate_data()
    {
        QTest::addColumn<QString>("below");  // where the folder is asked for, below the temporary folder
        QTest::addColumn<QString>("reason"); // what the message says is in the way
        QTest::newRow("a file in place of a folder above")
            << u"afile/share/Sorvane"_qs << u"はファイルで、フォルダーではありません"_qs;
        QTest::newRow("a file of the same name") << u"afile"_qs << u"同じ名前のファイルがあります"_qs;
    }

    void cannotCreate()
    {
        QFETCH(QString, below);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"afile"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString folder = dir.filePath(below);
        try {
            createWithParents(folder);
            QFAIL("a folder was made where a file is");
        } catch (const DbError &e) {
            QVERIFY2(e.description().startsWith(u"データフォルダー %1 を作れません: "_qs.arg(folder)),
                     qPrintable(e.description()));
            QVERIFY2(e.description().contains(reason), qPrintable(e.description()));
            QVERIFY(e.description().contains(u"SORVANE_DATA"_qs));
        }
        QVERIFY(QFileInfo(dir.filePath(u"afile"_qs)).isFile());
    }
};

QTEST_GUILESS_MAIN(TestFolderChoice)
#include "test_folder_choice.moc"
