// The program killed (SIGKILL) in the middle of a registration, a hand-on, a
// reset, a compaction, a restore of a backup and a year end. Each operation runs in a
// child process that kills itself at its n-th step that changes the disk
// (SQLite's writes, syncs and deletions through the test's file layer, the
// program's own copies and renames through its file hook), for every n until
// the operation gets through. After each kill the data folder must open as at
// start-up and hold the state before the operation or the state after it:
// never a mix, never nothing. A killed reset, compaction, restore or year
// end must not stop the next one.

#include "book/Backup.h"
#include "book/Maintenance.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "book/YearEnd.h"
#include "data/Files.h"
#include "support/FaultInjection.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace sorvane;
using namespace sorvane::test;

namespace {

const QDate kToday(2026, 12, 7);

enum class Op { Register, HandOn, Reset, Compact, Restore, YearEnd };

// The backup a restore puts back: the prepared book with one bill more,
// made before the children are forked.
QString g_backup;

void copyFolder(const QString &from, const QString &to)
{
    for (const QString &name : QDir(from).entryList(QDir::Files))
        QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name));
}

// The folder before the operation: customers with a template, received
// bills with endorsers, most of them deleted again so that a compaction has
// pages to give back.
void prepare(const QString &folder)
{
    ScriptedUi ui;
    AppContext ctx(ui, folder);
    ctx.clock.setToday(kToday);
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings())
        qFatal("cannot open the prepared folder");
    Database &db = ctx.db();
    Transaction t(db);
    db.execute(u"insert into T0(tc,tn) values('C1','甲商事')"_qs);
    db.execute(
        u"insert into T1(idoft,振出人,支払場所,支払場所支店,最終手形番号) values(1,'山田','三井','本店','A0099')"_qs);
    db.execute(u"update 設定 set days=30"_qs);
    for (int i = 0; i < 60; ++i) {
        db.execute(u"insert into D_手形(処理,手形番号,取引先コード,取引先,金額,手形期日) "
                   "values(0,?,'C1','甲商事',?,'2027-01-15')"_qs,
                   {u"K%1"_qs.arg(i), 1000 * (i + 1)});
        db.execute(u"insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(?,1,'乙','大阪')"_qs,
                   {db.lastInsertId()});
    }
    db.execute(u"delete from D_手形 where id > 3"_qs);
    db.execute(u"delete from 裏書人 where 手形id > 3"_qs);
    t.commit();
}

void perform(Op op, const QString &folder, int killAt)
{
    ScriptedUi ui;
    AppContext ctx(ui, folder);
    ctx.clock.setToday(kToday);
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings())
        ::_exit(3);
    // Steps are counted from the operation on; start-up has its own test.
    FaultInjection::killAtStep(killAt);
    switch (op) {
    case Op::Register: {
        book::ReceivableBill bill;
        bill.日付 = kToday;
        bill.手形番号 = u"A0100"_qs;
        bill.取引先コード = u"C1"_qs;
        bill.取引先 = u"甲商事"_qs;
        bill.支払場所 = u"三井"_qs;
        bill.支払場所支店 = u"本店"_qs;
        bill.金額 = 50000;
        book::registerReceivableBill(ctx.db(), bill,
                                     book::EndorserSlots{{u"丙"_qs, u"京都"_qs}, {u"丁"_qs, u"神戸"_qs}});
        break;
    }
    case Op::HandOn:
        if (!book::handOnBill(ctx.db(), 2, kToday, u"S1"_qs, u"仕入先"_qs))
            ::_exit(4);
        break;
    case Op::Reset:
        if (book::resetData(ctx) != book::ToolResult::Done)
            ::_exit(5);
        break;
    case Op::Compact:
        if (book::compactData(ctx) != book::ToolResult::Done)
            ::_exit(6);
        break;
    case Op::Restore:
        ctx.CloseDataDatabase();
        book::restoreBackupFile(folder, g_backup);
        break;
    case Op::YearEnd:
        book::closeYear(ctx.db(), folder, kToday);
        break;
    }
}

// Runs the operation in a child killed at step n: true when it was killed
// there, false when it got through first.
bool killedAt(Op op, const QString &folder, int n)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            perform(op, folder, n);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return true;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("the operation failed in the child without being killed (status %d)", status);
    return false;
}

QString rows(Database &db, const QString &sql)
{
    Recordset rs = db.openRecordset(sql);
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (const QString &c : rs.columns())
            cells << rs.text(c);
        out << cells.join(u'|');
    }
    return out.join(u';');
}

// Everything an operation may change, in one text.
QString stateOf(Database &db)
{
    return rows(db, u"select id,処理,状態,手形番号,金額,譲渡先コード,譲渡先,予約フラグ from D_手形 order by id"_qs) +
           u" / "_qs + rows(db, u"select 手形id,表示順,裏書人,裏書人住所 from 裏書人 order by 手形id,表示順"_qs) +
           u" / "_qs + rows(db, u"select 最終手形番号 from T1 order by id"_qs) + u" / "_qs +
           rows(db, u"select tc,tn from T0 order by id"_qs) + u" / "_qs + rows(db, u"select days from 設定"_qs) +
           u" / "_qs + rows(db, u"select 手形id,種別 from 手形履歴 order by id"_qs) + u" / "_qs +
           rows(db, u"select 年度,移した手形 from 年度締め"_qs);
}

// The folder opened as at start-up, with nothing to say.
QString openedState(const QString &folder, QString *problem)
{
    ScriptedUi ui;
    AppContext ctx(ui, folder);
    ctx.clock.setToday(kToday);
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings()) {
        *problem = ui.texts().join(u'|');
        return {};
    }
    if (!ui.shown.isEmpty())
        *problem = ui.texts().join(u'|');
    const QString quick = ctx.db().scalar(u"pragma quick_check"_qs).toString();
    if (quick != u"ok")
        *problem = quick;
    return stateOf(ctx.db());
}

} // namespace

class TestKilled : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        FaultInjection::install();
        QVERIFY(FaultInjection::throughLayer());
    }
    void oldOrNewState_data();
    void oldOrNewState();
};

void TestKilled::oldOrNewState_data()
{
    QTest::addColumn<int>("op");
    QTest::newRow("registration of a bill with endorsers") << int(Op::Register);
    QTest::newRow("hand-on to a supplier") << int(Op::HandOn);
    QTest::newRow("reset") << int(Op::Reset);
    QTest::newRow("compaction") << int(Op::Compact);
    QTest::newRow("restore of a backup") << int(Op::Restore);
    QTest::newRow("year end") << int(Op::YearEnd);
}

void TestKilled::oldOrNewState()
{
    QFETCH(int, op);
    const Op operation = Op(op);

    DataFolder base;
    prepare(base.path());
    QString problem;
    QString before = openedState(base.path(), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QTemporaryDir backups;
    if (operation == Op::Restore) {
        ScriptedUi ui;
        AppContext ctx(ui, base.path());
        QVERIFY(ctx.CheckDataFiles() && ctx.OpenDataDatabase());
        g_backup = book::backupBook(ctx.db(), {}, backups.path(), 1, QDateTime(kToday, QTime(9, 0))).file;
        // The backup differs from the book by one bill.
        Workspace ws(u"backup"_qs, {}, {});
        ScopedDatabase db(ws, g_backup);
        db->execute(u"insert into D_手形(処理,手形番号,金額) values(0,'戻る',5)"_qs);
    }

    if (operation == Op::YearEnd) {
        // Bills settled in the year 2025年度 that the close moves out.
        ScriptedUi ui;
        AppContext ctx(ui, base.path());
        QVERIFY(ctx.CheckDataFiles() && ctx.OpenDataDatabase());
        Database &db = ctx.db();
        Transaction t(db);
        for (const QString &number : {u"F1"_qs, u"F2"_qs}) {
            db.execute(u"insert into D_手形(処理,手形番号,金額,日付,手形期日,終了フラグ) "
                       "values(0,?,1000,'2025-05-10','2026-02-27',1)"_qs,
                       {number});
            const qint64 id = db.lastInsertId();
            db.execute(u"insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(?,1,'戊','奈良')"_qs, {id});
            db.execute(u"insert into 手形履歴(手形id,種別,処理日,手形番号,金額,記録日時,記録者) "
                       "values(?,'決済','2026-02-27',?,1000,'2026-02-27 10:00:00','test')"_qs,
                       {id, number});
        }
        t.commit();
        problem.clear();
        before = openedState(base.path(), &problem);
    }

    // The state after: the operation run once without a kill.
    QTemporaryDir done;
    copyFolder(base.path(), done.path());
    QVERIFY(!killedAt(operation, done.path(), 0));
    const QString after = openedState(done.path(), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    if (operation != Op::Compact)
        QVERIFY(after != before);

    int kills = 0, oldSeen = 0, newSeen = 0;
    // A year end writes a whole new book before it changes the old one:
    // every fifth of its steps keeps the run short and still meets each
    // phase (the archive's tables, its rows, its name, the old book).
    const int stride = operation == Op::YearEnd ? 5 : 1;
    for (int n = 1; n < 5000; n += stride) {
        QTemporaryDir folder;
        copyFolder(base.path(), folder.path());
        if (!killedAt(operation, folder.path(), n))
            break;
        ++kills;
        problem.clear();
        const QString state = openedState(folder.path(), &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(u"killed at step %1: %2"_qs.arg(n).arg(problem)));
        QVERIFY2(state == before || state == after,
                 qPrintable(u"killed at step %1, the data are a mix:\n%2\nbefore:\n%3\nafter:\n%4"_qs.arg(n).arg(
                     state, before, after)));
        (state == before ? oldSeen : newSeen)++;
        if ((operation == Op::Reset || operation == Op::Restore) && state == after) {
            // The data before the reset are kept as tegata.bak.
            QString bakProblem;
            QTemporaryDir bak;
            QVERIFY(
                QFile::copy(QDir(folder.path()).filePath(files::kBackupDb), QDir(bak.path()).filePath(files::kMainDb)));
            QCOMPARE(openedState(bak.path(), &bakProblem), before);
        }
        if (operation == Op::YearEnd && state == after) {
            // The bills moved are in the archive, which is complete.
            const book::ArchiveInfo archive = book::readArchive(QDir(folder.path()).filePath(u"tegata-2025.mdb"_qs));
            QVERIFY2(archive.problem.isEmpty(), qPrintable(archive.problem));
            QCOMPARE(archive.bills - archive.carried, 2);
        }
        if (operation == Op::Reset || operation == Op::Compact || operation == Op::Restore ||
            (operation == Op::YearEnd && state == before)) {
            // Whatever the kill left behind, the tool runs again.
            QVERIFY2(!killedAt(operation, folder.path(), 0), qPrintable(u"after a kill at step %1"_qs.arg(n)));
            QCOMPARE(openedState(folder.path(), &problem), after);
        }
    }
    qInfo("%d kill points: %d left the data before, %d after", kills, oldSeen, newSeen);
    QVERIFY(kills >= 3);
    QVERIFY(oldSeen > 0);
    // A reset reopens the data after its last rename; a kill there finds
    // the new state. The others end with the commit or the rename itself.
    if (operation == Op::Reset)
        QVERIFY(newSeen > 0);
}

QTEST_GUILESS_MAIN(TestKilled)
#include "test_killed.moc"
