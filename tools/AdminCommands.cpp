#include "AdminCommands.h"

#include "Commands.h"

#include "book/AppContext.h"
#include "book/Generate.h"
#include "data/DataFolder.h"
#include "data/Formats.h"
#include "data/Files.h"
#include "data/Holidays.h"
#include "data/Schema.h"
#include "data/ServerAddress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

namespace sorvane::admin {

namespace {

// 0 is a window of today alone, which the approaching-due list supports.
constexpr int kMinDays = 0;
constexpr int kMaxDays = 365;

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

QString initUsage()
{
    return QStringLiteral(
        "使い方: sorvane-admin init [--force] [--folder DIR]\n"
        "        sorvane-admin init --server [URL] [--force] [--folder DIR]\n"
        "\n"
        "データフォルダーを用意します。無いファイルだけを書きます:\n"
        "  inidata.mdx     初期状態のデータベース (初期化で使います)\n"
        "  tegata.mdb      データベース (無いときだけ inidata.mdx から作ります)\n"
        "  yubin.mdb       都道府県・郵便番号・市町村\n"
        "  祝日2000.mdb〜祝日2060.mdb  祝日ファイル\n"
        "既にあるファイルはそのままにし、そのことを表示します (祝日ファイルに加えた\n"
        "自社の休業日も消えません)。\n"
        "\n"
        "オプション:\n"
        "  --force       inidata.mdx、yubin.mdb と祝日ファイルを書き直します。\n"
        "                tegata.mdb はどんなときも書き換えません。\n"
        "  --folder DIR  データフォルダー (省略時は下のとおり)。無ければ作ります。\n"
        "                作るのは最後のフォルダーだけで、その上のフォルダーは既にある必要があります。\n"
        "\n"
        "--folder を省くと、環境変数 SORVANE_DATA のフォルダー、それも無ければ\n"
        "~/.local/share/Sorvane ($XDG_DATA_HOME/Sorvane) を、上のフォルダーも含めて作ります。\n"
        "ビルドしたフォルダーのプログラムでは、プログラムのフォルダーです。\n"
        "\n"
        "tegata.mdb が無く temp.mdb があるとき (最適化が途中で止まったとき) は、何もせずに\n"
        "終わります。データは temp.mdb にあり、その名前を tegata.mdb に変えると戻ります。\n"
        "\n"
        "--server を付けると、上のファイルを用意したうえで、PostgreSQL サーバーの空のデータベースに\n"
        "手形データの表を作ります。接続先は URL (postgresql://USER@HOST[:PORT]/DBNAME) か、\n"
        "省略時はデータフォルダーの接続先の設定 (sorvane-admin connect) です。既に手形データの\n"
        "あるデータベースはそのままにします。パスワードは ~/.pgpass か PGPASSWORD から読みます。\n");
}

QString holidaysUsage()
{
    return QStringLiteral("使い方: sorvane-admin holidays FROM TO [--force] [--folder DIR]\n"
                          "\n"
                          "FROM 年から TO 年までの祝日ファイル 祝日<年>.mdb を書きます (1955〜2099 年。\n"
                          "国民の祝日・振替休日・国民の休日と、銀行休業日の 12/31・1/2・1/3)。\n"
                          "既にある祝日ファイルはそのままにし、そのことを表示します。\n"
                          "\n"
                          "オプション:\n"
                          "  --force       既にある祝日ファイルも書き直します (加えた休業日は消えます)\n"
                          "  --folder DIR  データフォルダー (既にあるフォルダー。省略時は init と同じ)\n");
}

QString daysUsage()
{
    return QStringLiteral("使い方: sorvane-admin days [N] [--folder DIR]\n"
                          "\n"
                          "期日の近い手形の一覧に、今日から何日先までに期日が来る手形を出すかを\n"
                          "N 日 (%1〜%2) に設定します。N を省くと今の設定を表示します。\n"
                          "プログラムは起動したときに読みます。起動中なら起動し直してください。\n"
                          "\n"
                          "オプション:\n"
                          "  --folder DIR  データフォルダー (tegata.mdb のあるフォルダー)\n")
        .arg(kMinDays)
        .arg(kMaxDays);
}

QString generateUsage()
{
    return QStringLiteral("使い方: sorvane-admin generate N [--seed S] [--folder DIR]\n"
                          "\n"
                          "測定や試用のために、作り出した手形 N 件 (1〜%L1) を空の tegata.mdb に書き込みます。\n"
                          "  受取手形 (手元) 約 60 %、支払手形 約 20 % (自社の当座口座 3 つ)、譲渡 約 10 %、\n"
                          "  不渡 約 5 %、決済済み 約 5 %。期日は今日の半年後までの 5 年間に散らばります。\n"
                          "  得意先 2,000 (手形情報 1〜3 件ずつ)、仕入先 200、保管場所 20、\n"
                          "  受取手形 1 件に裏書人 0〜4 人。\n"
                          "同じ S と同じ日付からは同じデータができます。\n"
                          "手形・得意先・仕入先・保管場所・口座のどれかが既にある tegata.mdb には書き込みません\n"
                          "(本物のデータに混ざらないように)。新しいフォルダーで init してから使ってください。\n"
                          "\n"
                          "オプション:\n"
                          "  --seed S      乱数の種 (0 以上の整数。省略時は 1)\n"
                          "  --folder DIR  データフォルダー (tegata.mdb のあるフォルダー)\n")
        .arg(book::kMaxGeneratedBills);
}

QString usageOf(const QString &command)
{
    if (command == u"generate")
        return generateUsage();
    if (command == u"init")
        return initUsage();
    if (command == u"holidays")
        return holidaysUsage();
    if (command == u"days")
        return daysUsage();
    if (command == u"account")
        return accountUsage();
    if (command == u"connect")
        return connectUsage();
    if (command == u"migrate")
        return migrateUsage();
    if (command == u"export")
        return exportUsage();
    if (command == u"report")
        return reportUsage();
    if (command == u"settle")
        return settleUsage();
    if (command == u"history")
        return historyUsage();
    if (command == u"densai")
        return densaiUsage();
    if (command == u"customer" || command == u"supplier")
        return partyUsage(command);
    if (command == u"backup")
        return backupUsage();
    if (command == u"restore")
        return restoreUsage();
    return {};
}

// "祝日2000.mdb〜祝日2060.mdb (61 ファイル)", runs of years joined by "、".
QString holidayFiles(const QList<int> &years)
{
    QStringList runs;
    for (qsizetype i = 0; i < years.size();) {
        qsizetype j = i;
        while (j + 1 < years.size() && years.at(j + 1) == years.at(j) + 1)
            ++j;
        runs << (i == j ? files::holidayFileName(years.at(i))
                        : files::holidayFileName(years.at(i)) + u'〜' + files::holidayFileName(years.at(j)));
        i = j + 1;
    }
    QString text = runs.join(u'、');
    if (years.size() > 1)
        text += QStringLiteral(" (%1 ファイル)").arg(years.size());
    return text;
}

// An existing folder for holidays; init may create the last folder itself.
int checkFolder(const QString &folder, bool mayCreate, QTextStream &err)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return kExitOk;
    if (info.exists()) {
        err << QStringLiteral("フォルダーではありません: %1\n").arg(native(folder));
        return kExitBadArguments;
    }
    if (!mayCreate) {
        err << QStringLiteral("フォルダーがありません: %1\n").arg(native(folder));
        return kExitBadArguments;
    }
    const QString parent = info.absolutePath();
    if (!QFileInfo(parent).isDir()) {
        err << QStringLiteral("フォルダー %1 を作れません: その上のフォルダー %2 がありません。\n"
                              "作るのは最後のフォルダーだけです。パスを確かめてください。\n")
                   .arg(native(folder), native(parent));
        return kExitBadArguments;
    }
    return kExitOk;
}

int commandInit(const ParsedArgs &args, const QString &folder, bool userFolder, QTextStream &out, QTextStream &err)
{
    // The user's data folder is made with the folders above it: a new user
    // may not have ~/.local/share yet.
    if (userFolder) {
        try {
            datafolder::createWithParents(folder);
        } catch (const DbError &e) {
            err << e.description() << u'\n';
            return kExitFailed;
        }
    }
    if (args.has(QStringLiteral("--server"))) {
        if (const int rc = checkFolder(folder, true, err))
            return rc;
        return initServer(args, folder, out, err);
    }
    if (!args.positional.isEmpty())
        return badArguments(err, QStringLiteral("init に余分な引数があります: %1").arg(args.positional.join(u' ')),
                            QStringLiteral("init"));
    if (const int rc = checkFolder(folder, true, err))
        return rc;
    const bool force = args.has(QStringLiteral("--force"));
    try {
        const datafolder::InitResult r = datafolder::init(folder, force);
        out << QStringLiteral("データフォルダー: %1\n").arg(native(folder));
        for (const QString &f : r.written)
            out << QStringLiteral("  書き込み: %1\n").arg(f);
        if (!r.writtenHolidayYears.isEmpty())
            out << QStringLiteral("  書き込み: %1\n").arg(holidayFiles(r.writtenHolidayYears));
        if (!r.kept.isEmpty())
            out << QStringLiteral("  既にあるため、そのままにしました: %1\n").arg(r.kept.join(QStringLiteral("、")));
        if (!r.keptHolidayYears.isEmpty())
            out << QStringLiteral("  既にあるため、そのままにしました: %1\n").arg(holidayFiles(r.keptHolidayYears));
        if (!r.mainDbCreated)
            out << QStringLiteral("  tegata.mdb は既にあるため、そのままにしました\n");
        if (!r.kept.isEmpty() || !r.keptHolidayYears.isEmpty())
            out << QStringLiteral("  (書き直すには --force を付けてください。tegata.mdb は書き換えません)\n");
        if (r.compactWorkFileLeft)
            err << QStringLiteral("注意: temp.mdb が残っています。最適化が途中で止まった作業ファイルです。\n"
                                  "tegata.mdb のデータを確かめてから削除してください。\n");
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

// A year as typed on the command line: digits only, or a negative number
// that the range check then refuses.
bool readYear(const QString &text, int &year)
{
    QString digits = text;
    if (digits.startsWith(u'-'))
        digits.remove(0, 1);
    if (digits.isEmpty() || digits.size() > 4)
        return false;
    for (QChar c : digits)
        if (c < u'0' || c > u'9')
            return false;
    year = text.toInt();
    return true;
}

int commandHolidays(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("holidays");
    if (args.positional.size() != 2)
        return badArguments(
            err, QStringLiteral("holidays には開始年と終了年を指定してください (例: holidays 2025 2030)"), command);
    int from = 0, to = 0;
    for (int i = 0; i < 2; ++i)
        if (!readYear(args.positional.at(i), i == 0 ? from : to))
            return badArguments(
                err, QStringLiteral("年は数字で指定してください (例: 2026): %1").arg(args.positional.at(i)), command);
    if (!holidays::supportedYear(from) || !holidays::supportedYear(to))
        return badArguments(err,
                            QStringLiteral("祝日を作れるのは %1 年から %2 年までです: %3〜%4")
                                .arg(holidays::kFirstYear)
                                .arg(holidays::kLastYear)
                                .arg(from)
                                .arg(to),
                            command);
    if (from > to)
        return badArguments(err, QStringLiteral("開始年が終了年より後です: %1〜%2").arg(from).arg(to), command);
    if (const int rc = checkFolder(folder, false, err))
        return rc;

    out << QStringLiteral("データフォルダー: %1\n").arg(native(folder));
    QList<int> kept;
    try {
        // Each file is reported as it is done, so a failure midway shows which are complete.
        datafolder::prepareHolidayFiles(
            folder, from, to, args.has(QStringLiteral("--force")), [&](int year, bool written) {
                if (written) {
                    out << QStringLiteral("  書き込み: %1\n").arg(files::holidayFileName(year));
                    out.flush();
                } else {
                    kept << year;
                }
            });
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
    if (!kept.isEmpty())
        out << QStringLiteral("  既にあるため、そのままにしました: %1\n"
                              "  (書き直すには --force を付けてください)\n")
                   .arg(holidayFiles(kept));
    return kExitOk;
}

int commandDays(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("days");
    if (args.positional.size() > 1)
        return badArguments(err, QStringLiteral("days に指定できる日数は 1 つです: %1").arg(args.positional.join(u' ')),
                            command);
    std::optional<qint64> days;
    if (!args.positional.isEmpty()) {
        days = fmt::parseWholeNumber(args.positional.first());
        if (!days || *days < kMinDays || *days > kMaxDays)
            return badArguments(err,
                                QStringLiteral("日数は %1〜%2 の数字で指定してください: %3")
                                    .arg(kMinDays)
                                    .arg(kMaxDays)
                                    .arg(args.positional.first()),
                                command);
    }
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        const int before = schema::readDueWindowDays(data.db());
        if (!days) {
            out << QStringLiteral("期日の近い手形の一覧の日数: %1 日\n").arg(before);
            return kExitOk;
        }
        schema::writeDueWindowDays(data.db(), int(*days));
        out << QStringLiteral("期日の近い手形の一覧の日数を %1 日にしました (これまで %2 日)\n").arg(*days).arg(before);
        return kExitOk;
    } catch (const DbError &e) {
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

int commandGenerate(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("generate");
    if (args.positional.size() != 1)
        return badArguments(err, QStringLiteral("generate には作る手形の数を 1 つ指定してください (例: generate 100000)"),
                            command);
    // "100,000" reads as a hundred thousand, as the count is usually written.
    static const QRegularExpression grouped(QStringLiteral("^[0-9]{1,3}(,[0-9]{3})+$"));
    QString count = args.positional.first().trimmed();
    if (grouped.match(count).hasMatch())
        count.remove(u',');
    const std::optional<qint64> bills = fmt::parseWholeNumber(count);
    if (!bills || *bills < 1 || *bills > book::kMaxGeneratedBills)
        return badArguments(err,
                            QStringLiteral("手形の数は 1〜%L1 の数字で指定してください: %2")
                                .arg(book::kMaxGeneratedBills)
                                .arg(args.positional.first()),
                            command);
    quint64 seed = 1;
    if (args.has(QStringLiteral("--seed"))) {
        bool ok = false;
        seed = args.value(QStringLiteral("--seed")).trimmed().toULongLong(&ok);
        if (!ok)
            return badArguments(
                err,
                QStringLiteral("--seed には 0 以上の整数を指定してください: %1").arg(args.value(QStringLiteral("--seed"))),
                command);
    }
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        book::GenerateSettings settings;
        settings.bills = *bills;
        settings.seed = seed;
        settings.today = QDate::currentDate();
        qint64 reported = 0;
        settings.progress = [&](qint64 written) {
            // About every tenth of the way, so a long run shows it is alive.
            if (written == *bills || written - reported >= std::max<qint64>(*bills / 10, 1)) {
                reported = written;
                err << QStringLiteral("  %L1 / %L2 件\n").arg(written).arg(*bills);
                err.flush();
            }
        };
        const book::GeneratedBook made = book::generateBook(data.db(), settings);
        out << QStringLiteral("データフォルダー: %1\n").arg(native(folder))
            << QStringLiteral("  手形 %L1 件 (受取・手元 %L2、支払 %L3、譲渡 %L4、不渡 %L5、決済済み %L6)\n")
                   .arg(made.bills())
                   .arg(made.inHand)
                   .arg(made.issued)
                   .arg(made.handedOn)
                   .arg(made.dishonoured)
                   .arg(made.finished)
            << QStringLiteral("  裏書人 %L1 行、得意先 %L2 (手形情報 %L3)、仕入先 %L4、保管場所 %L5、口座 %L6\n")
                   .arg(made.endorsers)
                   .arg(made.customers)
                   .arg(made.templates)
                   .arg(made.suppliers)
                   .arg(made.places)
                   .arg(made.accounts)
            << QStringLiteral("  乱数の種: %1\n").arg(seed);
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

} // namespace

QString dataFolderPath(const ParsedArgs &args, const QString &defaultFolder)
{
    return QDir::cleanPath(QDir(args.folder.isEmpty() ? defaultFolder : args.folder).absolutePath());
}

int readInputFile(const QString &name, QByteArray &contents, QTextStream &err)
{
    QFile file(name);
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly)) {
        err << QStringLiteral("CSV ファイルを読めません: %1\n").arg(name);
        return QFileInfo::exists(name) ? kExitFailed : kExitBadArguments;
    }
    contents = file.readAll();
    return kExitOk;
}

int checkDataFolder(const QString &folder, QTextStream &err)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        err << QStringLiteral("データフォルダーがありません: %1\n").arg(native(folder));
        return kExitBadArguments;
    }
    if (datafolder::dataOnlyInCompactWorkFile(folder)) {
        err << datafolder::compactWorkFileMessage(folder) << u'\n';
        return kExitFailed;
    }
    if (!QFileInfo::exists(files::path(folder, files::kMainDb)) &&
        !QFileInfo::exists(files::path(folder, serverbook::kSettingFile))) {
        err << QStringLiteral("%1 に tegata.mdb がありません。\n"
                              "--folder でデータフォルダーを指定するか、sorvane-admin init で用意してください。\n")
                   .arg(native(folder));
        return kExitBadArguments;
    }
    return kExitOk;
}

int badArguments(QTextStream &err, const QString &message, const QString &command)
{
    err << message << u'\n'
        << QStringLiteral("使い方は sorvane-admin %1--help で表示します。\n")
               .arg(command.isEmpty() ? QString() : command + u' ');
    return kExitBadArguments;
}

DataFile::DataFile(const QString &folder) : m_ws(AppContext::kWorkspaceName, AppContext::kUserName, {})
{
    const std::optional<ServerAddress> server = serverbook::readSetting(folder);
    m_db = server ? m_ws.openServer(*server) : m_ws.openDatabase(files::path(folder, files::kMainDb));
    schema::prepareMainDatabase(*m_db);
}

QString usage()
{
    return QStringLiteral("使い方: sorvane-admin <コマンド> [引数] [オプション]\n"
                          "\n"
                          "コマンド:\n"
                          "  init [--force]        データフォルダーを用意します (無いファイルだけを書きます)\n"
                          "  holidays FROM TO [--force]\n"
                          "                        FROM 年から TO 年までの祝日ファイル 祝日<年>.mdb を書きます\n"
                          "                        (1955〜2099 年。既にあるファイルは --force のときだけ書き直します)\n"
                          "  days [N]              期日の近い手形の一覧の日数を表示・設定します\n"
                          "  account list|add|set|remove|import\n"
                          "                        自社の口座 (口座データ) を表示・登録・変更・削除・取り込みします\n"
                          "  connect URL | --file  手形データを PostgreSQL サーバーに置く / ファイル (tegata.mdb) に戻す\n"
                          "  customer list|number  得意先と、その登録番号・法人番号を表示・登録します\n"
                          "  supplier list|number  仕入先と、その登録番号・法人番号を表示・登録します\n"
                          "  init --server [URL]   サーバーの空のデータベースに手形データの表を作ります\n"
                          "  migrate --to URL | --from URL --to-file DIR\n"
                          "                        ファイルの手形データをサーバーへ移す / サーバーからファイルへ移す\n"
                          "  export ledger|statement|journal\n"
                          "                        記入帳・勘定科目内訳明細書を PDF に、内訳書と仕訳を CSV に書きます\n"
                          "  report cash|trial|reserved|totals\n"
                          "                        口座別資金確認・口座別試算表・手形予約確認・集計を表示し、CSV や PDF に書きます\n"
                          "  backup [--to DIR]     バックアップを DIR に作ります (新しいものから N 個を残します)\n"
                          "  restore FILE          バックアップ FILE を手形データに戻します\n"
                          "  generate N [--seed S] 測定用に作り出した手形 N 件を空の tegata.mdb に書き込みます\n"
                          "  settle [--through 日付] [--dry-run]\n"
                          "                        決済日が来た手形を決済します (--dry-run は表示だけ)\n"
                          "  history [--from 日付] [--to 日付] [--bill 番号]\n"
                          "                        手形の履歴を CSV で書きます\n"
                          "  densai import FILE.csv | list | blackout [N]\n"
                          "                        電子記録債権・債務 (でんさい) を CSV で取り込み・書き出します\n"
                          "  help [コマンド]       使い方を表示します\n"
                          "\n"
                          "どのコマンドでも使えるオプション:\n"
                          "  --folder DIR  データフォルダー (省略時は SORVANE_DATA、無ければ\n"
                          "                ~/.local/share/Sorvane。ビルドしたフォルダーのプログラムでは\n"
                          "                プログラムのフォルダー (sorvane.portable のあるフォルダー))\n"
                          "  --help        そのコマンドの使い方を表示します (例: sorvane-admin account --help)\n"
                          "\n"
                          "終了コード: 0 成功、1 処理中の失敗、2 コマンドや引数の誤り\n"
                          "メッセージは標準エラー出力に、結果は標準出力に書きます。\n");
}

int run(const QStringList &args, const datafolder::FolderChoice &fallback, QTextStream &out, QTextStream &err)
{
    const QString &defaultFolder = fallback.path;
    if (args.isEmpty()) {
        err << QStringLiteral("コマンドを指定してください\n\n") << usage();
        return kExitBadArguments;
    }
    const QString command = args.first();
    if (command == u"--help" || command == u"-h") {
        out << usage();
        return kExitOk;
    }
    if (command == u"help") {
        if (args.size() == 1) {
            out << usage();
            return kExitOk;
        }
        const QString text = usageOf(args.at(1));
        if (text.isEmpty() || args.size() > 2)
            return badArguments(
                err, QStringLiteral("help の後にはコマンドを 1 つ指定してください: %1").arg(args.mid(1).join(u' ')),
                {});
        out << text;
        return kExitOk;
    }
    if (command == u"account")
        return accountCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"connect")
        return connectCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"migrate")
        return migrateCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"export")
        return exportCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"report")
        return reportCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"customer" || command == u"supplier")
        return partyCommand(command, args.mid(1), defaultFolder, out, err);
    if (command == u"densai")
        return densaiCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"backup")
        return backupCommand(args.mid(1), defaultFolder, out, err);
    if (command == u"restore")
        return restoreCommand(args.mid(1), defaultFolder, out, err);

    OptionSet accepted;
    if (command == u"init")
        accepted.flags << QStringLiteral("--server");
    if (command == u"init" || command == u"holidays")
        accepted.flags << QStringLiteral("--force");
    else if (command == u"generate")
        accepted.withValue << QStringLiteral("--seed");
    else if (command == u"settle") {
        accepted.withValue << QStringLiteral("--through");
        accepted.flags << QStringLiteral("--dry-run");
    } else if (command == u"history")
        accepted.withValue << QStringLiteral("--from") << QStringLiteral("--to") << QStringLiteral("--bill");
    else if (command != u"days") {
        err << QStringLiteral("不明なコマンドです: %1\n\n").arg(command) << usage();
        return kExitBadArguments;
    }
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args.mid(1), accepted, parsed, error))
        return badArguments(err, error, command);
    if (parsed.help) {
        out << usageOf(command);
        return kExitOk;
    }
    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (command == u"init")
        return commandInit(parsed, folder,
                           parsed.folder.isEmpty() && fallback.origin == datafolder::FolderOrigin::UserData, out, err);
    if (command == u"holidays")
        return commandHolidays(parsed, folder, out, err);
    if (command == u"generate")
        return commandGenerate(parsed, folder, out, err);
    if (command == u"settle")
        return settleCommand(parsed, folder, out, err);
    if (command == u"history")
        return historyCommand(parsed, folder, out, err);
    return commandDays(parsed, folder, out, err);
}

} // namespace sorvane::admin
