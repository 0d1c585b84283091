// Start-up with a main database that opens but cannot be written: the
// program must say so in Japanese, then "データが壊れています", and end,
// rather than run until the first save fails.
//
// Tests run as root, and root writes through file permissions, so a chmod
// proves nothing. Two real obstacles are used instead:
// - a read-only bind mount of the data folder (and, for the folder-only
//   case, a writable bind of the file inside it), made in a mount namespace
//   of this test program alone, so nothing outside it ever sees the mounts.
//   Where the namespace cannot be had, those rows are skipped;
// - another connection that holds the write lock of the file, as a second
//   program writing to it would. This one needs no privileges.

#include "app/MainMenu.h"
#include "data/Engine.h"
#include "data/Files.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>

#include <memory>

using namespace sorvane;
using namespace sorvane::test;

namespace {

bool g_privateMounts = false;

// Bind mounts undone in reverse order when the scope ends.
class Mounts {
public:
    ~Mounts()
    {
        for (auto it = m_points.crbegin(); it != m_points.crend(); ++it)
            umount2(it->constData(), MNT_DETACH);
    }
    bool bind(const QString &from, const QString &onto, bool readOnly)
    {
        const QByteArray src = QFile::encodeName(from);
        const QByteArray dst = QFile::encodeName(onto);
        if (mount(src.constData(), dst.constData(), nullptr, MS_BIND, nullptr) != 0)
            return false;
        m_points << dst;
        return !readOnly || mount(nullptr, dst.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QList<QByteArray> m_points;
};

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestStartupReadOnly : public QObject {
    Q_OBJECT
private slots:
    void cannotWrite_data();
    void cannotWrite();
};

void TestStartupReadOnly::cannotWrite_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("sentence");
    const QString readOnly = u"tegata.mdb に書き込めません。ファイルかそのフォルダーが読み取り専用になっています。"
                             "書き込めるようにしてから、もう一度起動してください。"_qs;
    QTest::newRow("file and folder read-only") << u"read-only folder"_qs << readOnly;
    QTest::newRow("folder read-only, file writable") << u"read-only folder, writable file"_qs << readOnly;
    QTest::newRow("written by another program") << u"locked"_qs
                                                << u"tegata.mdb はほかのプログラムが使用中のため、書き込めません。"
                                                   "ほかのプログラムを終了してから、もう一度起動してください。"_qs;
}

void TestStartupReadOnly::cannotWrite()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, sentence);

    DataFolder folder;
    const QString main = folder.file(files::kMainDb);
    const QByteArray before = bytesOf(main);
    Workspace other(u"other"_qs, {}, {});
    Mounts mounts;
    if (obstacle == u"locked") {
        other.openDatabase(main)->beginTransaction();
    } else {
        if (!g_privateMounts)
            QSKIP("no mount namespace of our own here: a read-only folder cannot be made for root");
        if (obstacle.endsWith(u"writable file"_qs))
            QVERIFY(mounts.bind(main, main, false));
        QVERIFY(mounts.bind(folder.path(), folder.path(), true));
        // The obstacle is real: root cannot create a file in the folder now.
        QFile probe(folder.file(u"probe"_qs));
        QVERIFY(!probe.open(QIODevice::WriteOnly));
    }

    ScriptedUi ui;
    AppContext ctx(ui, folder.path());
    ctx.splashDelayMs = 0;
    MainMenu window(ctx, ui);
    QVERIFY(!window.startUp());

    QCOMPARE(ui.shown.size(), 2);
    const QString first = ui.shown.at(0).text;
    QCOMPARE(first.section(u'\n', 0, 0), sentence);
    // SQLite's own words follow on the next line, for whoever helps the user.
    QVERIFY2(first.section(u'\n', 1).contains(u"database"_qs), qPrintable(first));
    QCOMPARE(ui.shown.at(1).text, u"データが壊れています\n再インストールしてください"_qs);
    QVERIFY(!window.isVisible());
    QVERIFY(!ctx.DataDb);
    QCOMPARE(bytesOf(main), before);
}

int main(int argc, char *argv[])
{
    // Before any thread exists: a mount namespace is private to the process
    // that made it, and its mounts end with it.
    g_privateMounts = unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    QApplication app(argc, argv);
    TestStartupReadOnly test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup_readonly.moc"
