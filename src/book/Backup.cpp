#include "book/Backup.h"

#include "book/AppContext.h"
#include "book/Maintenance.h"
#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/MessageService.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace sorvane::book {

namespace {

const QString kStamp = QStringLiteral("yyyyMMdd-HHmmss");
const QString kStoredTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString extension(bool server)
{
    return server ? QStringLiteral(".dump") : QStringLiteral(".mdb");
}

const QRegularExpression &backupPattern()
{
    static const QRegularExpression re(QStringLiteral("^tegata-([0-9]{8}-[0-9]{6})\\.(mdb|dump)$"));
    return re;
}

// The lines of an error below its first, or the whole when it has one line.
QString detailOf(const DbError &e)
{
    const QString d = e.description();
    const qsizetype nl = d.indexOf(u'\n');
    if (nl < 0 || d.left(nl).endsWith(QStringLiteral("ください。")))
        return d;
    return d.mid(nl + 1);
}

// The book's tables at a version this program reads, and not the book of a
// closed year (that one is opened with 開く（過去のデータ）, never restored).
void checkIsWorkingBook(Database &db)
{
    const int version = schema::storedVersion(db);
    if (version > schema::kVersion)
        throw DbError(QStringLiteral("このファイルは新しい版のプログラムで作られています (版 %1)。").arg(version));
    if (version < 1 || !db.tableExists(QStringLiteral("D_手形")))
        throw DbError(QStringLiteral("このファイルは手形データではありません。"));
    if (db.tableColumns(QStringLiteral("設定")).contains(QStringLiteral("過去データ年度"), Qt::CaseInsensitive)) {
        const QVariant year = db.scalar(QStringLiteral("select 過去データ年度 from 設定 where id = 1"));
        if (!year.isNull())
            throw DbError(QStringLiteral("このファイルは %1年度の過去のデータです。バックアップではないため、"
                                         "リストアには使えません。見るときは「開く（過去のデータ）」で開いてください。")
                              .arg(year.toInt()));
    }
}

void checkPagesAndTables(Database &db)
{
    const QString result = db.scalar(QStringLiteral("pragma integrity_check(20)")).toString();
    if (result != u"ok")
        throw DbError(QStringLiteral("ファイルが壊れています。\n") + result);
    checkIsWorkingBook(db);
}

qint64 billsOf(Database &db)
{
    return db.scalar(QStringLiteral("select count(*) from D_手形")).toLongLong();
}

// A copy just written: every page sound and the book's own tables in it.
qint64 checkCopy(const QString &file)
{
    Workspace ws(QStringLiteral("backup"), AppContext::kUserName, QString());
    ScopedDatabase db(ws, file, Access::ReadOnly);
    checkPagesAndTables(*db);
    return billsOf(*db);
}

// What a run cut short left: work files of our own names only.
void removeLeftovers(const QString &folder)
{
    static const QRegularExpression work(QStringLiteral("^tegata-[0-9]{8}-[0-9]{6}\\.(mdb|dump)\\.work(-journal)?$"));
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        if (work.match(name).hasMatch())
            file::removeFile(dir.filePath(name));
}

struct Found {
    QString path;
    QDateTime made;
};

// The backups of one kind in the folder, newest first.
QList<Found> backupsIn(const QString &folder, bool server)
{
    QList<Found> found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        const QDateTime made = backupTime(name, server);
        if (made.isValid())
            found << Found{dir.filePath(name), made};
    }
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.made > b.made; });
    return found;
}

// Checks a pg_dump file the way pg_restore reads it.
void checkDump(const QString &file)
{
    const QString program = postgresProgram(QStringLiteral("pg_restore"));
    if (program.isEmpty())
        throw DbError(QStringLiteral("pg_restore が見つかりません。postgresql-client をインストールしてください。"));
    QProcess list;
    list.setProcessChannelMode(QProcess::MergedChannels);
    list.start(program, {QStringLiteral("--list"), file});
    const bool finished = list.waitForStarted(30000) && list.waitForFinished(-1);
    const QString said = QString::fromLocal8Bit(list.readAll());
    if (!finished || list.exitStatus() != QProcess::NormalExit || list.exitCode() != 0)
        throw DbError(QStringLiteral("書いたバックアップを pg_restore で読めません。\n") + said.trimmed());
    if (!said.contains(QStringLiteral("TABLE DATA"), Qt::CaseInsensitive) ||
        !said.contains(QStringLiteral("d_手形"), Qt::CaseInsensitive))
        throw DbError(QStringLiteral("書いたバックアップに手形の表がありません。"));
}

void removeWorkFiles(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-journal")}) {
        try {
            file::removeFile(path + suffix);
        } catch (const DbError &) {
        }
    }
}

} // namespace

QString backupFileName(const QDateTime &when, bool server)
{
    return QStringLiteral("tegata-") + when.toString(kStamp) + extension(server);
}

qint64 bookBillCount(Database &db)
{
    return db.scalar(QStringLiteral("select count(*) from D_手形")).toLongLong();
}

QDateTime backupTime(const QString &fileName, bool server)
{
    const QRegularExpressionMatch m = backupPattern().match(QFileInfo(fileName).fileName());
    if (!m.hasMatch() || u'.' + m.captured(2) != extension(server))
        return {};
    return QDateTime::fromString(m.captured(1), kStamp);
}

BackupSettings readBackupSettings(Database &db)
{
    schema::readDueWindowDays(db); // a lost settings row comes back first
    Recordset rs = db.openRecordset(
        QStringLiteral("select バックアップ先, バックアップ世代, 最終バックアップ from 設定 where id = 1"));
    BackupSettings s;
    if (rs.eof())
        return s;
    s.folder = rs.text(QStringLiteral("バックアップ先"));
    s.generations = int(rs.number(QStringLiteral("バックアップ世代")));
    s.last = QDateTime::fromString(rs.text(QStringLiteral("最終バックアップ")), kStoredTime);
    return s;
}

void writeBackupGenerations(Database &db, int generations)
{
    if (generations < 1 || generations > schema::kMaxBackupGenerations)
        throw DbError(
            QStringLiteral("残すバックアップの数は 1〜%1 で入力してください。").arg(schema::kMaxBackupGenerations));
    Transaction t(db);
    schema::readDueWindowDays(db);
    db.execute(QStringLiteral("update 設定 set バックアップ世代 = ? where id = 1"), {generations});
    t.commit();
}

QString backupReminder(Database &db, const QDate &today)
{
    const BackupSettings s = readBackupSettings(db);
    if (!s.last.isValid()) {
        if (billsOf(db) == 0)
            return {};
        return QStringLiteral("まだバックアップをしていません。ツールの「バックアップ」でデータを保存してください。");
    }
    const qint64 days = s.last.date().daysTo(today);
    if (days <= kBackupReminderDays)
        return {};
    return QStringLiteral("最後のバックアップ（%1）から %2 日たっています。ツールの「バックアップ」でデータを保存して"
                          "ください。")
        .arg(s.last.toString(QStringLiteral("yyyy/MM/dd HH:mm")))
        .arg(days);
}

BackupMade backupBook(Database &db, const std::optional<ServerAddress> &server, const QString &folder, int generations,
                      const QDateTime &now)
{
    if (generations < 1 || generations > schema::kMaxBackupGenerations)
        throw DbError(
            QStringLiteral("残すバックアップの数は 1〜%1 で入力してください。").arg(schema::kMaxBackupGenerations));
    const QString where = QDir::cleanPath(QDir(folder).absolutePath());
    if (folder.trimmed().isEmpty())
        throw DbError(QStringLiteral("バックアップ先のフォルダーを指定してください。"));
    if (!QFileInfo(where).isDir())
        throw DbError(QStringLiteral("バックアップ先のフォルダー %1 がありません。\n"
                                     "USB メモリーなら、差し込んであるか確かめてください。")
                          .arg(native(where)));
    if (!file::folderWritable(where))
        throw DbError(QStringLiteral("バックアップ先のフォルダー %1 に書き込めません。\n"
                                     "書き込めるフォルダーを指定してください。")
                          .arg(native(where)));
    const bool onServer = server.has_value();
    const QDir dir(where);
    // Two backups within one second get the next second's name.
    QDateTime when = now;
    while (QFileInfo::exists(dir.filePath(backupFileName(when, onServer))))
        when = when.addSecs(1);
    BackupMade made;
    made.file = dir.filePath(backupFileName(when, onServer));

    try {
        removeLeftovers(where);
        if (onServer) {
            made.bills = billsOf(db);
            dumpServerBook(*server, made.file);
            try {
                checkDump(made.file);
            } catch (const DbError &) {
                removeWorkFiles(made.file);
                throw;
            }
        } else {
            // VACUUM INTO reads the book in one read transaction: a copy of
            // one moment, however another clerk writes meanwhile.
            file::replaceWhenComplete(made.file, [&](const QString &work) {
                db.execute(QStringLiteral("vacuum into ?"), {work});
                made.bills = checkCopy(work);
            });
        }
    } catch (const DbError &e) {
        throw DbError(QStringLiteral("バックアップできませんでした。前のバックアップはそのまま残っています。\n%1")
                          .arg(detailOf(e)));
    }

    QStringList problems;
    const QList<Found> all = backupsIn(where, onServer);
    for (qsizetype i = all.size() - 1; i >= generations; --i) {
        if (all.at(i).path == made.file)
            continue;
        try {
            file::removeFile(all.at(i).path);
            made.removed << QFileInfo(all.at(i).path).fileName();
        } catch (const DbError &e) {
            problems << QStringLiteral("古いバックアップ %1 を削除できませんでした。\n%2")
                            .arg(QFileInfo(all.at(i).path).fileName(), detailOf(e));
        }
    }
    try {
        Transaction t(db);
        schema::readDueWindowDays(db);
        db.execute(QStringLiteral("update 設定 set バックアップ先 = ?, バックアップ世代 = ?, 最終バックアップ = ? "
                                  "where id = 1"),
                   {where, generations, now.toString(kStoredTime)});
        t.commit();
    } catch (const DbError &e) {
        problems << QStringLiteral("バックアップ先と日時を手形データに記録できませんでした。\n%1").arg(detailOf(e));
    }
    made.problem = problems.join(u'\n');
    return made;
}

QList<BackupEntry> listBackups(const QString &folder)
{
    QList<BackupEntry> entries;
    for (const Found &f : backupsIn(folder, false)) {
        BackupEntry e;
        e.path = f.path;
        e.made = f.made;
        try {
            Workspace ws(QStringLiteral("backups"), AppContext::kUserName, QString());
            ScopedDatabase db(ws, f.path, Access::ReadOnly);
            checkIsWorkingBook(*db);
            e.bills = billsOf(*db);
        } catch (const DbError &err) {
            e.problem = err.description().section(u'\n', 0, 0);
        }
        entries << e;
    }
    return entries;
}

qint64 checkBackupFile(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        throw DbError(QStringLiteral("ファイル %1 がありません。").arg(native(file)));
    Workspace ws(QStringLiteral("restore"), AppContext::kUserName, QString());
    ScopedDatabase db(ws, file, Access::ReadOnly);
    checkPagesAndTables(*db);
    return billsOf(*db);
}

qint64 restoreBackupFile(const QString &dataFolder, const QString &backup)
{
    const QString main = files::path(dataFolder, files::kMainDb);
    const QString kept = files::path(dataFolder, files::kBackupDb);
    const QString work = main + QStringLiteral(".restore");
    if (QFileInfo(backup).canonicalFilePath() == QFileInfo(main).canonicalFilePath())
        throw DbError(QStringLiteral("今の手形データ（%1）そのものは戻せません。バックアップを選んでください。")
                          .arg(files::kMainDb));
    try {
        checkBackupFile(backup);
    } catch (const DbError &e) {
        throw DbError(
            QStringLiteral("選んだファイルは戻せません。今のデータはそのままです。\n%1").arg(e.description()));
    }

    // The copy beside tegata.mdb is what takes its name, so the copy is
    // what is checked: a USB stick may read differently a second time.
    qint64 bills = 0;
    try {
        removeWorkFiles(work);
        file::copyFile(backup, work);
        {
            Workspace ws(QStringLiteral("restore"), AppContext::kUserName, QString());
            ScopedDatabase db(ws, work);
            checkPagesAndTables(*db);
            schema::prepareMainDatabase(*db);
            bills = billsOf(*db);
        }
        file::syncFile(work);
    } catch (const DbError &e) {
        removeWorkFiles(work);
        throw DbError(
            QStringLiteral("バックアップを読み込めないため、リストアを中止しました。今のデータはそのままです。\n%1")
                .arg(detailOf(e)));
    }

    if (QFileInfo::exists(main)) {
        // A journal left by a crash belongs to the current file, never to the
        // backup that takes its name: opening the file plays it back first.
        try {
            Workspace ws(QStringLiteral("restore"), AppContext::kUserName, QString());
            ScopedDatabase current(ws, main);
        } catch (const DbError &) {
        }
        const QString keptWork = kept + QStringLiteral(".new");
        try {
            file::removeFile(keptWork);
            file::linkOrCopy(main, keptWork);
            file::moveOver(keptWork, kept);
            const QString journal = main + QStringLiteral("-journal");
            if (QFileInfo::exists(journal))
                file::moveOver(journal, kept + QStringLiteral("-journal"));
        } catch (const DbError &e) {
            removeWorkFiles(keptWork);
            removeWorkFiles(work);
            throw DbError(QStringLiteral("今のデータを %1 として残せないため、リストアを中止しました。"
                                         "今のデータはそのままです。\n%2")
                              .arg(files::kBackupDb, detailOf(e)));
        }
    }
    try {
        file::moveOver(work, main);
    } catch (const DbError &e) {
        removeWorkFiles(work);
        throw DbError(
            QStringLiteral("バックアップを置けないため、リストアを中止しました。今のデータはそのままです。\n%1")
                .arg(detailOf(e)));
    }
    return bills;
}

ToolResult restoreBook(AppContext &ctx, const QString &backup)
{
    if (ctx.Server) {
        ctx.messages().information(
            QStringLiteral("サーバーの手形データは、ここではリストアできません。\n"
                           "サーバーの管理者が pg_restore でバックアップ（.dump）から戻してください。"));
        return ToolResult::NotDone;
    }
    ctx.CloseDataDatabase();
    QString problem;
    try {
        restoreBackupFile(ctx.programFolder(), backup);
    } catch (const DbError &e) {
        problem = e.description();
    }
    return finishFileTool(ctx, problem);
}

} // namespace sorvane::book
