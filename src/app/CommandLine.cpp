#include "app/CommandLine.h"

namespace sorvane {

bool parseProgramArguments(const QStringList &args, ProgramOptions &options, QString &error)
{
    const QString folderOption = QStringLiteral("--folder");
    bool folderGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--help" || arg == u"-h") {
            options.help = true;
            continue;
        }
        if (arg == u"--version") {
            options.version = true;
            continue;
        }
        QString value;
        if (arg == folderOption) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                error = QStringLiteral("--folder の後にデータフォルダーを指定してください");
                return false;
            }
            value = args.at(++i);
        } else if (arg.startsWith(folderOption + u'=')) {
            value = arg.mid(folderOption.size() + 1);
            if (value.isEmpty()) {
                error = QStringLiteral("--folder= の後にデータフォルダーを指定してください");
                return false;
            }
        } else {
            error = arg.startsWith(u'-') ? QStringLiteral("不明なオプションです: %1").arg(arg)
                                         : QStringLiteral("余分な引数があります: %1").arg(arg);
            return false;
        }
        if (folderGiven) {
            error = QStringLiteral("--folder が 2 回指定されています。データフォルダーは 1 つだけ指定してください");
            return false;
        }
        folderGiven = true;
        options.folder = value;
    }
    return true;
}

QString programUsage()
{
    return QStringLiteral(
        "使い方: sorvane [--folder DIR]\n"
        "\n"
        "手形帳を開きます。\n"
        "\n"
        "オプション:\n"
        "  --folder DIR  データフォルダー。省略時は環境変数 SORVANE_DATA のフォルダー、それも無ければ\n"
        "                ~/.local/share/Sorvane ($XDG_DATA_HOME/Sorvane)。ビルドしたフォルダーの\n"
        "                プログラムでは、プログラムのフォルダー (sorvane.portable のあるフォルダー)\n"
        "  --help        この使い方を表示します\n"
        "  --version     版を表示します\n"
        "\n"
        "データフォルダーは sorvane-admin init で用意します。\n");
}

} // namespace sorvane
