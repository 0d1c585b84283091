// connect, init --server and migrate: the book on a PostgreSQL server.

#include "Commands.h"

#include "book/AppContext.h"
#include "book/Migration.h"
#include "data/DataFolder.h"
#include "data/Files.h"
#include "data/Schema.h"
#include "data/ServerAddress.h"

#include <QDir>
#include <QFileInfo>

namespace sorvane::admin {

namespace {

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

std::optional<ServerAddress> readAddress(const QString &text, const QString &command, QTextStream &err, int &rc)
{
    QString why;
    std::optional<ServerAddress> a = ServerAddress::parse(text, &why);
    if (!a)
        rc = badArguments(err, why, command);
    return a;
}

void printChecks(const std::vector<book::TableCheck> &checks, QTextStream &out)
{
    for (const book::TableCheck &c : checks)
        out << QStringLiteral("  %1: %2 行  %3\n")
                   .arg(c.table)
                   .arg(c.rows)
                   .arg(QString::fromLatin1(c.checksum.left(16)));
}

} // namespace

QString connectUsage()
{
    return QStringLiteral(
        "使い方: sorvane-admin connect postgresql://USER@HOST[:PORT]/DBNAME [--folder DIR]\n"
        "        sorvane-admin connect --file [--folder DIR]\n"
        "        sorvane-admin connect [--folder DIR]\n"
        "\n"
        "手形データの置き場所を決めます。URL を指定すると、データフォルダーに接続先の設定\n"
        "(tegata.server) を書き、プログラムは次の起動から PostgreSQL サーバーの手形データを使います。\n"
        "何人かの担当者が、それぞれのパソコンから同じ手形データを同時に使えます。\n"
        "--file を指定すると設定を消し、フォルダーの tegata.mdb に戻ります。\n"
        "何も指定しないと、今の置き場所を表示します。\n"
        "\n"
        "パスワードは設定に書きません。PostgreSQL の ~/.pgpass か環境変数 PGPASSWORD から読みます。\n"
        "ソケットのフォルダーは postgresql://USER@/DBNAME?host=/run/postgresql と書けます。\n"
        "USER@ を省くと、プログラムを使う人のログイン名 (PGUSER) で接続します。\n"
        "祝日ファイルと yubin.mdb は、どちらの場合もデータフォルダーのものを使います。\n"
        "\n"
        "サーバーの空のデータベースに手形データを作るには sorvane-admin init --server を、\n"
        "今の tegata.mdb を移すには sorvane-admin migrate --to URL を使います。\n");
}

QString migrateUsage()
{
    return QStringLiteral(
        "使い方: sorvane-admin migrate --to postgresql://USER@HOST[:PORT]/DBNAME [--folder DIR]\n"
        "        sorvane-admin migrate --from postgresql://USER@HOST[:PORT]/DBNAME --to-file DIR\n"
        "\n"
        "--to: データフォルダーの tegata.mdb を、サーバーの空の手形データへ 1 つのトランザクションで\n"
        "      写します (表が 1 つもないデータベースには、先に手形データの表を作ります)。\n"
        "--from: サーバーの手形データを、DIR の新しい tegata.mdb に写します (DIR に tegata.mdb が\n"
        "      あるときは何もしません)。\n"
        "写した後、すべての表の行数とチェックサムを元と比べ、違いがあれば何も書き込みません。\n"
        "接続先の設定は変えません。移した後の置き場所は sorvane-admin connect で決めてください。\n");
}

int connectCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("connect");
    OptionSet accepted;
    accepted.flags << QStringLiteral("--file");
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args, accepted, parsed, error))
        return badArguments(err, error, command);
    if (parsed.help) {
        out << connectUsage();
        return kExitOk;
    }
    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (!QFileInfo(folder).isDir()) {
        err << QStringLiteral("データフォルダーがありません: %1\n").arg(native(folder));
        return kExitBadArguments;
    }
    const bool toFile = parsed.has(QStringLiteral("--file"));
    if (parsed.positional.size() > 1 || (toFile && !parsed.positional.isEmpty()))
        return badArguments(err, QStringLiteral("接続先は 1 つだけ、--file のときは指定しないでください"), command);
    try {
        if (toFile) {
            serverbook::removeSetting(folder);
            out << QStringLiteral("手形データの置き場所: %1 (ファイル)\n")
                       .arg(native(files::path(folder, files::kMainDb)));
            if (!QFileInfo::exists(files::path(folder, files::kMainDb)))
                err << QStringLiteral("注意: tegata.mdb がまだありません。sorvane-admin init で用意するか、"
                                      "migrate --from で移してください。\n");
            return kExitOk;
        }
        if (parsed.positional.isEmpty()) {
            const std::optional<ServerAddress> now = serverbook::readSetting(folder);
            out << QStringLiteral("手形データの置き場所: %1\n")
                       .arg(now ? now->url()
                                : native(files::path(folder, files::kMainDb)) + QStringLiteral(" (ファイル)"));
            return kExitOk;
        }
        int rc = kExitOk;
        const std::optional<ServerAddress> address = readAddress(parsed.positional.first(), command, err, rc);
        if (!address)
            return rc;
        serverbook::writeSetting(folder, *address);
        out << QStringLiteral("手形データの置き場所: %1\n").arg(address->url());
        // The setting stays written; what the server says is advice for now.
        try {
            Workspace ws(QStringLiteral("connect"), AppContext::kUserName, {});
            ScopedDatabase db(ws, *address);
            if (schema::storedVersion(*db) == 0)
                err << QStringLiteral("注意: 接続できましたが、まだ手形データがありません。"
                                      "sorvane-admin init --server で作るか、migrate --to で移してください。\n");
            else
                out << QStringLiteral("接続を確かめました。\n");
        } catch (const DbError &e) {
            err << QStringLiteral("注意: 今は接続できません。\n") << e.description() << u'\n';
        }
        return kExitOk;
    } catch (const DbError &e) {
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

int initServer(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("init");
    if (args.positional.size() > 1)
        return badArguments(err, QStringLiteral("init --server に指定できる接続先は 1 つです"), command);
    try {
        std::optional<ServerAddress> address;
        if (!args.positional.isEmpty()) {
            int rc = kExitOk;
            address = readAddress(args.positional.first(), command, err, rc);
            if (!address)
                return rc;
        } else if (QFileInfo(folder).isDir()) {
            address = serverbook::readSetting(folder);
        }
        if (!address)
            return badArguments(
                err,
                QStringLiteral("接続先を指定してください (例: init --server postgresql://tanaka@server1/tegata)。"
                               "または先に sorvane-admin connect で設定してください"),
                command);
        // Reach the server first: nothing is written when it cannot be used.
        Workspace ws(QStringLiteral("init"), AppContext::kUserName, {});
        ScopedDatabase db(ws, *address);
        datafolder::init(folder, args.has(QStringLiteral("--force")));
        out << QStringLiteral("データフォルダー: %1\n").arg(native(folder));
        if (db->scalar(db->dialect().tableCount).toInt() == 0) {
            schema::createMainSchema(*db);
            out << QStringLiteral("  サーバーに手形データを作りました: %1\n").arg(address->url());
        } else {
            schema::prepareMainDatabase(*db);
            out << QStringLiteral("  サーバーの手形データは既にあるため、そのままにしました: %1\n").arg(address->url());
        }
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

int migrateCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("migrate");
    OptionSet accepted;
    accepted.withValue << QStringLiteral("--to") << QStringLiteral("--from") << QStringLiteral("--to-file");
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args, accepted, parsed, error))
        return badArguments(err, error, command);
    if (parsed.help) {
        out << migrateUsage();
        return kExitOk;
    }
    if (!parsed.positional.isEmpty())
        return badArguments(err, QStringLiteral("migrate に余分な引数があります: %1").arg(parsed.positional.join(u' ')),
                            command);
    const bool to = parsed.has(QStringLiteral("--to"));
    const bool from = parsed.has(QStringLiteral("--from"));
    if (to == from || (from != parsed.has(QStringLiteral("--to-file"))))
        return badArguments(err, QStringLiteral("--to URL か、--from URL と --to-file DIR の組を指定してください"),
                            command);
    int rc = kExitOk;
    const std::optional<ServerAddress> address =
        readAddress(parsed.value(to ? QStringLiteral("--to") : QStringLiteral("--from")), command, err, rc);
    if (!address)
        return rc;
    const auto progress = [&](const QString &table, qint64 rows) {
        out << QStringLiteral("  %1: %2 行\n").arg(table).arg(rows);
        out.flush();
    };
    try {
        if (to) {
            const QString folder = dataFolderPath(parsed, defaultFolder);
            const QString file = files::path(folder, files::kMainDb);
            if (!QFileInfo::exists(file)) {
                err << QStringLiteral("%1 がありません\n").arg(native(file));
                return kExitBadArguments;
            }
            out << QStringLiteral("%1 → %2\n").arg(native(file), address->url());
            const auto checks = book::migrateFileToServer(file, *address, progress);
            out << QStringLiteral("移しました。行数とチェックサムはすべての表で一致しています:\n");
            printChecks(checks, out);
            out << QStringLiteral("この手形データを使うには: sorvane-admin connect %1\n").arg(address->url());
        } else {
            const QString folder = QDir::cleanPath(QDir(parsed.value(QStringLiteral("--to-file"))).absolutePath());
            if (!QFileInfo(folder).isDir()) {
                err << QStringLiteral("フォルダーがありません: %1\n").arg(native(folder));
                return kExitBadArguments;
            }
            out << QStringLiteral("%1 → %2\n").arg(address->url(), native(files::path(folder, files::kMainDb)));
            const auto checks = book::migrateServerToFile(*address, folder, progress);
            out << QStringLiteral("移しました。行数とチェックサムはすべての表で一致しています:\n");
            printChecks(checks, out);
        }
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

} // namespace sorvane::admin
