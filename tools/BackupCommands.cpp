// backup and restore: the same copies the main window's tools make and put back.

#include "Commands.h"

#include "book/Backup.h"
#include "data/DataFolder.h"
#include "data/Files.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "data/ServerAddress.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace sorvane::admin {

namespace {

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

} // namespace

QString backupUsage()
{
    return QStringLiteral(
               "使い方: sorvane-admin backup [--to DIR] [--keep N] [--folder DIR]\n"
               "\n"
               "手形データを DIR に tegata-YYYYMMDD-HHMMSS.mdb としてコピーします (プログラムが動いていても、\n"
               "ある時点のそろったデータになります)。コピーのすべてのページを確かめてから名前を付け、\n"
               "DIR のバックアップは新しいものから N 個を残し、古いものを削除します。\n"
               "DIR と N は手形データに記録し、次からは省けます (メインメニューの「バックアップ」と同じ設定)。\n"
               "サーバーの手形データは pg_dump で tegata-YYYYMMDD-HHMMSS.dump に書きます。\n"
               "\n"
               "オプション:\n"
               "  --to DIR      バックアップ先のフォルダー (既にあるフォルダー。省略時は前回の保存先)\n"
               "  --keep N      残すバックアップの数 (1〜%1。省略時は設定の数、初めは %2)\n"
               "  --folder DIR  データフォルダー (tegata.mdb のあるフォルダー)\n")
        .arg(schema::kMaxBackupGenerations)
        .arg(schema::kDefaultBackupGenerations);
}

QString restoreUsage()
{
    return QStringLiteral("使い方: sorvane-admin restore FILE [--folder DIR]\n"
                          "\n"
                          "バックアップ FILE を手形データ (tegata.mdb) に戻します。戻す前に FILE を\n"
                          "tegata.mdb の隣にコピーし、すべてのページと手形データの表を確かめます。\n"
                          "今の tegata.mdb は tegata.bak として残し、コピーを 1 回の名前の変更で置きます。\n"
                          "途中で失敗しても、今の tegata.mdb はそのままです。\n"
                          "プログラムを終了してから実行してください。\n"
                          "\n"
                          "オプション:\n"
                          "  --folder DIR  データフォルダー (tegata.mdb のあるフォルダー)\n");
}

int backupCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("backup");
    OptionSet accepted;
    accepted.withValue << QStringLiteral("--to") << QStringLiteral("--keep");
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args, accepted, parsed, error))
        return badArguments(err, error, command);
    if (parsed.help) {
        out << backupUsage();
        return kExitOk;
    }
    if (!parsed.positional.isEmpty())
        return badArguments(err, QStringLiteral("backup に余分な引数があります: %1").arg(parsed.positional.join(u' ')),
                            command);
    std::optional<int> keep;
    if (parsed.has(QStringLiteral("--keep"))) {
        const std::optional<qint64> n = fmt::parseWholeNumber(parsed.value(QStringLiteral("--keep")));
        if (!n || *n < 1 || *n > schema::kMaxBackupGenerations)
            return badArguments(err,
                                QStringLiteral("--keep には 1〜%1 の数を指定してください: %2")
                                    .arg(schema::kMaxBackupGenerations)
                                    .arg(parsed.value(QStringLiteral("--keep"))),
                                command);
        keep = int(*n);
    }
    QString target;
    if (parsed.has(QStringLiteral("--to"))) {
        target = QDir::cleanPath(QDir(parsed.value(QStringLiteral("--to"))).absolutePath());
        if (!QFileInfo(target).isDir()) {
            err << QStringLiteral("バックアップ先のフォルダーがありません: %1\n").arg(native(target));
            return kExitBadArguments;
        }
    }
    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        const book::BackupSettings settings = book::readBackupSettings(data.db());
        if (target.isEmpty())
            target = settings.folder;
        if (target.isEmpty())
            return badArguments(
                err, QStringLiteral("バックアップ先がまだ決まっていません。--to でフォルダーを指定してください。"),
                command);
        const book::BackupMade made =
            book::backupBook(data.db(), serverbook::readSetting(folder), target, keep.value_or(settings.generations),
                             QDateTime::currentDateTime());
        out << QStringLiteral("バックアップしました: %1 (手形 %2 件)\n").arg(native(made.file)).arg(made.bills);
        for (const QString &name : made.removed)
            out << QStringLiteral("  古いバックアップを削除しました: %1\n").arg(name);
        if (!made.problem.isEmpty())
            err << QStringLiteral("注意: ") << made.problem << u'\n';
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

int restoreCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("restore");
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args, OptionSet{}, parsed, error))
        return badArguments(err, error, command);
    if (parsed.help) {
        out << restoreUsage();
        return kExitOk;
    }
    if (parsed.positional.size() != 1)
        return badArguments(err, QStringLiteral("restore には戻すバックアップのファイルを 1 つ指定してください"),
                            command);
    const QString backup = QDir::cleanPath(QDir(parsed.positional.first()).absolutePath());
    if (!QFileInfo(backup).isFile()) {
        err << QStringLiteral("ファイルがありません: %1\n").arg(native(backup));
        return kExitBadArguments;
    }
    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (!QFileInfo(folder).isDir()) {
        err << QStringLiteral("データフォルダーがありません: %1\n").arg(native(folder));
        return kExitBadArguments;
    }
    try {
        if (serverbook::readSetting(folder)) {
            err << QStringLiteral("このデータフォルダーの手形データはサーバーにあります。\n"
                                  "サーバーの手形データは、サーバーの管理者が pg_restore でバックアップ（.dump）から"
                                  "戻してください。\n");
            return kExitFailed;
        }
        const bool hadBook = QFileInfo::exists(files::path(folder, files::kMainDb));
        const qint64 bills = book::restoreBackupFile(folder, backup);
        out << QStringLiteral("戻しました: %1 (手形 %2 件)\n").arg(native(backup)).arg(bills);
        if (hadBook)
            out << QStringLiteral("  前の手形データは %1 に残しました\n")
                       .arg(native(files::path(folder, files::kBackupDb)));
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

} // namespace sorvane::admin
