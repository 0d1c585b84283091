#include "AdminCommands.h"

#include "data/DataFolder.h"
#include "data/Engine.h"

#include <QDir>

namespace sorvane::admin {

namespace {

struct Options {
    QString folder;
    QStringList positional;
};

// Splits "--folder DIR" (or "--folder=DIR") from the other arguments.
bool parseOptions(const QStringList &args, const QString &defaultFolder, Options &opt, QString &error)
{
    opt.folder = defaultFolder;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == u"--folder") {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                error = QStringLiteral("--folder の後にフォルダーを指定してください");
                return false;
            }
            opt.folder = args.at(++i);
        } else if (a.startsWith(u"--folder=")) {
            opt.folder = a.mid(9);
            if (opt.folder.isEmpty()) {
                error = QStringLiteral("--folder の後にフォルダーを指定してください");
                return false;
            }
        } else if (a.startsWith(u"-")) {
            error = QStringLiteral("不明なオプションです: %1").arg(a);
            return false;
        } else {
            opt.positional << a;
        }
    }
    opt.folder = QDir(opt.folder).absolutePath();
    return true;
}

int commandInit(const Options &opt, QTextStream &out, QTextStream &err)
{
    if (!opt.positional.isEmpty()) {
        err << QStringLiteral("init に余分な引数があります: %1\n").arg(opt.positional.join(u' '));
        return 2;
    }
    try {
        const datafolder::InitResult r = datafolder::init(opt.folder);
        out << QStringLiteral("データフォルダー: %1\n").arg(QDir::toNativeSeparators(opt.folder));
        for (const QString &f : r.written)
            out << QStringLiteral("  書き込み: %1\n").arg(f);
        if (!r.mainDbCreated)
            out << QStringLiteral("  tegata.mdb は既にあるため、そのままにしました\n");
        return 0;
    } catch (const DbError &e) {
        err << e.description() << u'\n';
        return 1;
    }
}

} // namespace

QString usage()
{
    return QStringLiteral(
        "使い方: sorvane-admin <コマンド> [--folder DIR]\n"
        "\n"
        "コマンド:\n"
        "  init       データフォルダーを用意します。inidata.mdx と yubin.mdb を書き、\n"
        "             tegata.mdb が無いときだけ inidata.mdx から作ります (既存のデータは上書きしません)。\n"
        "  --help     この説明を表示します。\n"
        "\n"
        "オプション:\n"
        "  --folder DIR  データフォルダー (省略時はプログラムのフォルダー)\n");
}

int run(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty()) {
        err << QStringLiteral("コマンドを指定してください\n\n") << usage();
        return 2;
    }
    const QString command = args.first();
    if (command == u"--help" || command == u"-h" || command == u"help") {
        out << usage();
        return 0;
    }
    Options opt;
    QString error;
    if (!parseOptions(args.mid(1), defaultFolder, opt, error)) {
        err << error << u'\n';
        return 2;
    }
    if (command == u"init")
        return commandInit(opt, out, err);
    err << QStringLiteral("不明なコマンドです: %1\n\n").arg(command) << usage();
    return 2;
}

} // namespace sorvane::admin
