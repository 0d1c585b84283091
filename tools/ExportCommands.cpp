// sorvane-admin export: the ledgers, the year-end statements and the journal
// written to files, as the window 帳票出力 writes them.

#include "Commands.h"

#include "data/Formats.h"
#include "report/Exports.h"

#include <QDate>
#include <QDir>

namespace sorvane::admin {

namespace {

const QString kCommand = QStringLiteral("export");

QString native(const QString &p)
{
    return QDir::toNativeSeparators(p);
}

bool readDate(const ParsedArgs &args, const QString &option, QDate &date, QString &error)
{
    if (!args.has(option)) {
        error = QStringLiteral("%1 を指定してください").arg(option);
        return false;
    }
    date = fmt::parseDate(args.value(option), QDate::currentDate());
    if (!date.isValid()) {
        error = QStringLiteral("%1 の日付が正しくありません: %2 (例: 2027/3/31、令和9年3月31日)")
                    .arg(option, args.value(option));
        return false;
    }
    return true;
}

QString absolute(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

void report(const report::Outcome &o, QTextStream &out, QTextStream &err)
{
    for (const QString &f : o.files)
        out << QStringLiteral("書き込み: %1\n").arg(native(f));
    out << QStringLiteral("手形 %1 件").arg(o.bills);
    if (o.pages > 0)
        out << QStringLiteral("、%1 ページ").arg(o.pages);
    out << u'\n';
    for (const QString &c : o.cuts)
        err << QStringLiteral("注意: %1\n").arg(c);
}

} // namespace

QString exportUsage()
{
    return QStringLiteral(
        "使い方:\n"
        "  sorvane-admin export ledger receivable|payable --from 日付 --to 日付 --pdf FILE [--era] [--densai]\n"
        "  sorvane-admin export statement --date 日付 [--pdf FILE] [--csv DIR]\n"
        "  sorvane-admin export journal --from 日付 --to 日付 --layout yayoi|mf --out FILE\n"
        "\n"
        "ledger     受取手形記入帳 (receivable) または支払手形記入帳 (payable) を、日付 (記帳日) が\n"
        "           期間内の手形について PDF に書きます。--era で日付を和暦で表示します。\n"
        "           --densai で電子記録債権記入帳・電子記録債務記入帳 (でんさい) を書きます。\n"
        "statement  勘定科目内訳明細書 (受取手形・支払手形) を期末日 (--date) 現在で書きます。\n"
        "           --pdf で PDF を、--csv で e-Tax 用の CSV (Shift_JIS) をフォルダーに書きます\n"
        "           (HOI020_4.0_受取手形.csv、HOI080_4.0_支払手形.csv。期末日が 2024/2/29 以前なら\n"
        "           登録番号の欄の無い HOI020_3.0_受取手形.csv、HOI080_3.0_支払手形.csv)。\n"
        "           少なくとも一方を指定します。得意先・仕入先の登録番号は customer / supplier で登録します。\n"
        "journal    期間内の受取・振出・譲渡の仕訳を会計ソフトの取り込み形式で書きます。\n"
        "           yayoi: 弥生会計 インポート形式 (Shift_JIS)\n"
        "           mf:    マネーフォワード クラウド会計 インポート形式 (UTF-8、見出し行あり)\n"
        "\n"
        "日付は 2027/3/31、2027-03-31、令和9年3月31日、R9.3.31 のように書けます。\n"
        "出力する手形が無いときは何も書かずに終わります (終了コード 1)。\n"
        "PDF には IPAex ゴシック (fonts-ipaexfont-gothic) が要ります。無いときは何も書きません。\n"
        "\n"
        "オプション:\n"
        "  --folder DIR  データフォルダー (tegata.mdb のあるフォルダー)\n");
}

int exportCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    if (args.contains(u"--help"_qs) || args.contains(u"-h"_qs) || args.value(0) == u"help") {
        out << exportUsage();
        return kExitOk;
    }
    if (args.isEmpty() || args.first().startsWith(u'-'))
        return badArguments(err, QStringLiteral("export の後に ledger、statement、journal のどれかを指定してください"),
                            kCommand);
    const QString what = args.first();
    OptionSet accepted;
    if (what == u"ledger") {
        accepted.withValue << QStringLiteral("--from") << QStringLiteral("--to") << QStringLiteral("--pdf");
        accepted.flags << QStringLiteral("--era") << QStringLiteral("--densai");
    } else if (what == u"statement") {
        accepted.withValue << QStringLiteral("--date") << QStringLiteral("--pdf") << QStringLiteral("--csv");
    } else if (what == u"journal") {
        accepted.withValue << QStringLiteral("--from") << QStringLiteral("--to") << QStringLiteral("--layout")
                           << QStringLiteral("--out");
    } else {
        return badArguments(err, QStringLiteral("不明な export の種類です: %1").arg(what), kCommand);
    }
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args.mid(1), accepted, parsed, error))
        return badArguments(err, error, kCommand);
    if (parsed.help) {
        out << exportUsage();
        return kExitOk;
    }

    // Everything typed is checked before the data folder is opened.
    book::Side side = book::Side::Receivable;
    if (what == u"ledger") {
        if (parsed.positional.size() != 1 ||
            (parsed.positional.first() != u"receivable" && parsed.positional.first() != u"payable"))
            return badArguments(err, QStringLiteral("export ledger の後に receivable か payable を指定してください"),
                                kCommand);
        side = parsed.positional.first() == u"receivable" ? book::Side::Receivable : book::Side::Payable;
    } else if (!parsed.positional.isEmpty()) {
        return badArguments(
            err, QStringLiteral("export %1 に余分な引数があります: %2").arg(what, parsed.positional.join(u' ')),
            kCommand);
    }
    QDate from, to, asOf;
    if (what == u"statement") {
        if (!readDate(parsed, QStringLiteral("--date"), asOf, error))
            return badArguments(err, error, kCommand);
        if (!parsed.has(QStringLiteral("--pdf")) && !parsed.has(QStringLiteral("--csv")))
            return badArguments(err, QStringLiteral("export statement には --pdf か --csv を指定してください"),
                                kCommand);
    } else {
        if (!readDate(parsed, QStringLiteral("--from"), from, error) ||
            !readDate(parsed, QStringLiteral("--to"), to, error))
            return badArguments(err, error, kCommand);
        const QString problem = book::periodProblem(from, to);
        if (!problem.isEmpty())
            return badArguments(err, problem, kCommand);
    }
    const book::JournalLayout *layout = nullptr;
    if (what == u"journal") {
        layout = book::journalLayout(parsed.value(QStringLiteral("--layout")));
        if (!layout)
            return badArguments(err, QStringLiteral("--layout には yayoi か mf を指定してください"), kCommand);
        if (parsed.value(QStringLiteral("--out")).isEmpty())
            return badArguments(err, QStringLiteral("--out で書き出すファイルを指定してください"), kCommand);
    }
    if (what == u"ledger" && parsed.value(QStringLiteral("--pdf")).isEmpty())
        return badArguments(err, QStringLiteral("--pdf で書き出すファイルを指定してください"), kCommand);

    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        report::Outcome o;
        if (what == u"ledger") {
            const auto style =
                parsed.has(QStringLiteral("--era")) ? report::DateStyle::Era : report::DateStyle::Gregorian;
            o = report::ledgerPdf(data.db(), side, from, to, style, absolute(parsed.value(QStringLiteral("--pdf"))), {},
                                  parsed.has(QStringLiteral("--densai")) ? book::LedgerKind::Electronic
                                                                         : book::LedgerKind::Paper);
        } else if (what == u"statement") {
            o = report::statementFiles(data.db(), asOf, absolute(parsed.value(QStringLiteral("--pdf"))),
                                       absolute(parsed.value(QStringLiteral("--csv"))));
        } else {
            o = report::journalFile(data.db(), from, to, *layout, absolute(parsed.value(QStringLiteral("--out"))));
        }
        report(o, out, err);
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    } catch (const std::exception &e) {
        err << QString::fromUtf8(e.what()) << u'\n';
        return kExitFailed;
    }
}

} // namespace sorvane::admin
