#include "AdminCommands.h"

#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/FileUtil.h"
#include "data/Files.h"
#include "data/Holidays.h"

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

// A year as typed on the command line: plain digits only.
bool readYear(const QString &text, int &year)
{
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    year = text.toInt();
    return true;
}

int commandHolidays(const Options &opt, QTextStream &out, QTextStream &err)
{
    if (opt.positional.size() != 2) {
        err << QStringLiteral("holidays には開始年と終了年を指定してください (例: holidays 2025 2030)\n");
        return 2;
    }
    int from = 0, to = 0;
    for (int i = 0; i < 2; ++i) {
        if (!readYear(opt.positional.at(i), i == 0 ? from : to)) {
            err << QStringLiteral("年は数字で指定してください (例: 2026): %1\n").arg(opt.positional.at(i));
            return 2;
        }
    }
    if (!holidays::supportedYear(from) || !holidays::supportedYear(to)) {
        err << QStringLiteral("祝日を作れるのは %1 年から %2 年までです: %3〜%4\n")
                   .arg(holidays::kFirstYear)
                   .arg(holidays::kLastYear)
                   .arg(from)
                   .arg(to);
        return 2;
    }
    if (from > to) {
        err << QStringLiteral("開始年が終了年より後です: %1〜%2\n").arg(from).arg(to);
        return 2;
    }
    const QString folder = QDir::toNativeSeparators(opt.folder);
    if (!QDir().mkpath(opt.folder)) {
        err << QStringLiteral("フォルダーを作れません: %1\n").arg(folder);
        return 1;
    }
    if (!file::folderWritable(opt.folder)) {
        err << QStringLiteral("フォルダーに書き込めません: %1\n").arg(folder);
        return 1;
    }
    out << QStringLiteral("データフォルダー: %1\n").arg(folder);
    // Each file is reported as it is done, so a failure midway shows which are complete.
    for (int year = from; year <= to; ++year) {
        try {
            holidays::writeHolidayFiles(opt.folder, year, year);
        } catch (const DbError &e) {
            out.flush();
            err << e.description() << u'\n';
            return 1;
        }
        out << QStringLiteral("  書き込み: %1\n").arg(files::holidayFileName(year));
    }
    return 0;
}

} // namespace

QString usage()
{
    return QStringLiteral("使い方: sorvane-admin <コマンド> [引数] [--folder DIR]\n"
                          "\n"
                          "コマンド:\n"
                          "  init       データフォルダーを用意します。inidata.mdx、yubin.mdb と\n"
                          "             祝日2000.mdb〜祝日2060.mdb を書き、tegata.mdb が無いときだけ\n"
                          "             inidata.mdx から作ります (既存のデータは上書きしません)。\n"
                          "  holidays FROM TO\n"
                          "             FROM 年から TO 年までの祝日ファイル 祝日<年>.mdb を書きます\n"
                          "             (1955〜2099 年。国民の祝日・振替休日・国民の休日と 12/31・1/2・1/3)。\n"
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
    if (command == u"holidays")
        return commandHolidays(opt, out, err);
    err << QStringLiteral("不明なコマンドです: %1\n\n").arg(command) << usage();
    return 2;
}

} // namespace sorvane::admin
