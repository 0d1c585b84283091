#include "book/Maintenance.h"

#include "book/AppContext.h"
#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/MessageService.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace sorvane::book {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// What to show below the tool's own sentence: an error that begins with a
// cause the clerk can mend (a full disk, a read-only file, another program)
// whole; otherwise its detail lines (the words of the engine or the system)
// without the first line that said what was being done.
QString detailOf(const DbError &e)
{
    const QString d = e.description();
    const qsizetype nl = d.indexOf(u'\n');
    if (nl < 0 || d.left(nl).endsWith(QStringLiteral("ください。")))
        return d;
    return d.mid(nl + 1);
}

void moveOver(const QString &from, const QString &to)
{
    file::moveOver(from, to);
}

void removeFile(const QString &path)
{
    file::removeFile(path);
}

// A work database goes with its journal: a journal left by a failed write
// would be played into the next file of that name as if it were its own,
// and spoil a complete copy.
void removeDatabaseFile(const QString &path)
{
    for (const QString &suffix :
         {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        removeFile(path + suffix);
}

// The same where a failure is already being reported.
void discardDatabaseFile(const QString &path)
{
    try {
        removeDatabaseFile(path);
    } catch (const DbError &) {
    }
}

// Opens the file as a main database and closes it again. Throws DbError
// when it is not a sound main database. A copy cut short is refused here
// too: its header counts more pages than the file holds, which SQLite
// reports as a damaged file on opening.
void checkMainDatabase(const QString &path)
{
    Workspace ws(QStringLiteral("maintenance"), AppContext::kUserName, QString());
    ScopedDatabase db(ws, path);
    schema::prepareMainDatabase(*db);
}

// Makes the file's content, or a folder's entries, reach the disk before the
// program relies on them: the new data are never renamed over the old
// before they are stored.
void syncToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw DbError(QStringLiteral("%1 を開けません").arg(native(path)));
    const int rc = ::fsync(fd);
    ::close(fd);
    if (rc != 0)
        throw DbError(QStringLiteral("%1 をディスクに書き込めません").arg(native(path)));
}

// The initial database copied to a work file beside tegata.mdb, with the
// window length and the collection days carried over: complete before
// anything else is touched.
void prepareInitialCopy(const QString &initial, const QString &work, int days, int collection, int blackout)
{
    removeDatabaseFile(work);
    file::copyFile(initial, work);
    {
        Workspace ws(QStringLiteral("maintenance"), AppContext::kUserName, QString());
        ScopedDatabase db(ws, work);
        schema::prepareMainDatabase(*db);
        schema::writeDueWindowDays(*db, days);
        schema::writeCollectionDays(*db, collection);
        schema::writeDensaiBlackoutDays(*db, blackout);
    }
    file::syncFile(work);
}

// The window length of the book about to be replaced, as it is stored now:
// `sorvane-admin days` may have changed it since the program read it.
int storedDueWindowDays(AppContext &ctx)
{
    try {
        const QVariant days = ctx.db().scalar(QStringLiteral("select days from 設定 where id = 1"));
        if (!days.isNull())
            return days.toInt();
    } catch (const DbError &) {
    }
    return ctx.DueWindowDays;
}

// The collection days of the book about to be replaced.
int storedCollectionDays(AppContext &ctx)
{
    try {
        return schema::readCollectionDays(ctx.db());
    } catch (const DbError &) {
    }
    return 0;
}

// The blackout before a claim's due date in the book about to be replaced.
int storedBlackoutDays(AppContext &ctx)
{
    try {
        return schema::readDensaiBlackoutDays(ctx.db());
    } catch (const DbError &) {
    }
    return schema::kDefaultDensaiBlackoutDays;
}

ToolResult resetServerBook(AppContext &ctx)
{
    QString problem;
    try {
        try {
            dumpServerBook(*ctx.Server, files::path(ctx.programFolder(), files::kServerBackup));
        } catch (const DbError &e) {
            throw DbError(QStringLiteral("今の手形データのバックアップ（%1）を作れないため、初期化を中止しました。"
                                         "データは変わっていません。\n%2")
                              .arg(files::kServerBackup, e.description()));
        }
        Database &db = ctx.db();
        Transaction t(db);
        // The length of the approaching-due window and the collection days
        // survive the reset.
        const int days = storedDueWindowDays(ctx);
        const int collection = storedCollectionDays(ctx);
        const int blackout = storedBlackoutDays(ctx);
        // The history of the bills stays: it is the record of what was
        // booked and deleted, which no action of the program may erase.
        for (const QString &table : schema::mainTables())
            if (table != u"手形履歴")
                db.execute(QStringLiteral("delete from %1").arg(db.quotedName(table)));
        schema::writeDueWindowDays(db, days);
        schema::writeCollectionDays(db, collection);
        schema::writeDensaiBlackoutDays(db, blackout);
        t.commit();
    } catch (const DbError &e) {
        problem = e.description();
    }
    if (!problem.isEmpty())
        ctx.messages().information(problem);
    ctx.LoadSettings();
    return problem.isEmpty() ? ToolResult::Done : ToolResult::NotDone;
}

ToolResult vacuumServerBook(AppContext &ctx)
{
    try {
        Database &db = ctx.db();
        // VACUUM runs outside any transaction, one table at a time.
        for (const QString &table : schema::mainTables())
            db.execute(QStringLiteral("vacuum (analyze) %1").arg(db.quotedName(table)));
        return ToolResult::Done;
    } catch (const DbError &e) {
        ctx.messages().information(
            QStringLiteral("最適化できませんでした。データは最適化する前のまま残っています。\n%1")
                .arg(e.description()));
        return ToolResult::NotDone;
    }
}

} // namespace

QString postgresProgram(const QString &name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty()) {
        QDir root(QStringLiteral("/usr/lib/postgresql"));
        for (const QString &v : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed))
            if (QFileInfo(root.filePath(v + QStringLiteral("/bin/") + name)).isExecutable())
                return root.filePath(v + QStringLiteral("/bin/") + name);
    }
    return found;
}

void dumpServerBook(const ServerAddress &server, const QString &fileName)
{
    const QString program = postgresProgram(QStringLiteral("pg_dump"));
    if (program.isEmpty())
        throw DbError(QStringLiteral("pg_dump が見つかりません。postgresql-client をインストールしてください。"));
    file::replaceWhenComplete(fileName, [&](const QString &work) {
        QStringList args{QStringLiteral("--format=custom"),
                         QStringLiteral("--no-password"),
                         QStringLiteral("--file=") + work,
                         QStringLiteral("--host=") + server.host,
                         QStringLiteral("--username=") + server.loginUser(),
                         QStringLiteral("--dbname=") + server.database};
        if (server.port > 0)
            args << QStringLiteral("--port=%1").arg(server.port);
        QProcess dump;
        dump.setProcessChannelMode(QProcess::MergedChannels);
        dump.start(program, args);
        const bool finished = dump.waitForStarted(30000) && dump.waitForFinished(-1);
        const QString said = QString::fromLocal8Bit(dump.readAll()).trimmed();
        if (!finished || dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0 ||
            !QFileInfo(work).isFile() || QFileInfo(work).size() == 0)
            throw DbError(said.isEmpty() ? dump.errorString() : said);
    });
}

bool hasInitialData(const AppContext &ctx)
{
    return QFileInfo(files::path(ctx.programFolder(), files::kInitialDb)).isFile();
}

ToolResult finishFileTool(AppContext &ctx, const QString &problem)
{
    if (!problem.isEmpty())
        ctx.messages().information(problem);
    const ToolResult reopened = reopenData(ctx);
    if (reopened != ToolResult::Done)
        return reopened;
    return problem.isEmpty() ? ToolResult::Done : ToolResult::NotDone;
}

ToolResult reopenData(AppContext &ctx)
{
    if (!ctx.CheckDataFiles())
        return ToolResult::MainDbMissing;
    if (!ctx.OpenDataDatabase())
        return ToolResult::CannotOpen;
    ctx.LoadSettings();
    return ToolResult::Done;
}

ToolResult resetData(AppContext &ctx)
{
    if (ctx.Server)
        return resetServerBook(ctx);
    // The length of the approaching-due window survives the reset.
    const int days = storedDueWindowDays(ctx);
    const int collection = storedCollectionDays(ctx);
    const int blackout = storedBlackoutDays(ctx);
    ctx.CloseDataDatabase();

    const QString folder = ctx.programFolder();
    const QString main = files::path(folder, files::kMainDb);
    const QString initial = files::path(folder, files::kInitialDb);
    const QString backup = files::path(folder, files::kBackupDb);
    const QString work = main + QStringLiteral(".new");

    QString problem;
    if (!QFileInfo(initial).isFile()) {
        problem = QStringLiteral("システムが不正です\n再インストールしてください");
    } else {
        try {
            try {
                prepareInitialCopy(initial, work, days, collection, blackout);
            } catch (const DbError &e) {
                discardDatabaseFile(work);
                // A full disk is mended by making room, not by installing again.
                const QString detail = detailOf(e);
                const bool mendable = detail.section(u'\n', 0, 0).endsWith(QStringLiteral("ください。"));
                throw DbError(QStringLiteral("初期データ（%1）を準備できないため、初期化を中止しました。"
                                             "データは変わっていません。\n%2%3")
                                  .arg(files::kInitialDb,
                                       mendable ? QString() : QStringLiteral("再インストールしてください。\n"),
                                       detail));
            }
            if (QFileInfo::exists(main)) {
                // The data stay under tegata.mdb until the new file takes
                // the name in one rename: a second name for the same file
                // (no bytes to write) replaces the backup of the reset before.
                const QString backupWork = backup + QStringLiteral(".new");
                try {
                    removeFile(backupWork);
                    file::linkOrCopy(main, backupWork);
                    moveOver(backupWork, backup);
                } catch (const DbError &e) {
                    QFile::remove(backupWork);
                    discardDatabaseFile(work);
                    throw DbError(QStringLiteral("今のデータを %1 として残せないため、初期化を中止しました。"
                                                 "データは変わっていません。\n"
                                                 "%1 という名前のファイルやフォルダーを移すか消してから、"
                                                 "もう一度初期化してください。\n%2")
                                      .arg(files::kBackupDb, detailOf(e)));
                }
            }
            try {
                moveOver(work, main);
            } catch (const DbError &e) {
                discardDatabaseFile(work);
                throw DbError(QStringLiteral("新しいデータを置けないため、初期化を中止しました。"
                                             "データは変わっていません。\n%1")
                                  .arg(detailOf(e)));
            }
        } catch (const DbError &e) {
            problem = e.description();
        }
    }
    return finishFileTool(ctx, problem);
}

ToolResult compactData(AppContext &ctx, const CompactStep &compactStep)
{
    if (ctx.Server)
        return vacuumServerBook(ctx);
    const CompactStep compact = compactStep ? compactStep : CompactStep(&Engine::compact);
    ctx.CloseDataDatabase();

    const QString folder = ctx.programFolder();
    const QString main = files::path(folder, files::kMainDb);
    const QString temp = files::path(folder, files::kCompactWork);

    // Without tegata.mdb a temp.mdb may hold the only copy of the data: leave
    // it, and let the reopen say that the data are missing.
    if (!QFileInfo::exists(main))
        return reopenData(ctx);

    QString problem;
    bool compacting = false;
    try {
        try {
            checkMainDatabase(main);
        } catch (const DbError &e) {
            throw DbError(QStringLiteral("%1 を開けないため、最適化できません。\n%2").arg(files::kMainDb, detailOf(e)));
        }
        // tegata.mdb opens, so a temp.mdb beside it is only a leftover.
        try {
            removeDatabaseFile(temp);
        } catch (const DbError &e) {
            throw DbError(QStringLiteral("前回の作業ファイル %1 を削除できないため、最適化できません。"
                                         "データは変わっていません。\n%2")
                              .arg(files::kCompactWork, e.description()));
        }
        compacting = true;
        try {
            compact(main, temp);
            checkMainDatabase(temp);
            syncToDisk(temp);
            // Only a complete copy replaces the data, in one rename.
            moveOver(temp, main);
            // The rename reaches the disk with the folder; the data are
            // complete whichever file the folder names after a power cut.
            try {
                syncToDisk(folder);
            } catch (const DbError &) {
            }
        } catch (const DbError &e) {
            // tegata.mdb was never touched; what is in temp.mdb is a half copy.
            discardDatabaseFile(temp);
            throw DbError(QStringLiteral("最適化できませんでした。データは最適化する前のまま残っています。\n%1")
                              .arg(detailOf(e)));
        }
    } catch (const DbError &e) {
        problem = e.description();
    } catch (const std::exception &e) {
        if (compacting)
            discardDatabaseFile(temp);
        problem =
            QStringLiteral("最適化できませんでした。データは最適化する前のまま残っています。\n%1").arg(errorText(e));
    }
    return finishFileTool(ctx, problem);
}

} // namespace sorvane::book
