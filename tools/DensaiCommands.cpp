// sorvane-admin densai: electronic claims (でんさい) taken from a CSV file,
// all or none, and written out in the same form.

#include "Commands.h"

#include "book/AppContext.h"
#include "book/Densai.h"
#include "data/Calendar.h"
#include "data/Schema.h"

#include <QDate>

namespace sorvane::admin {

namespace {
const QString kCommand = QStringLiteral("densai");
}

QString densaiUsage()
{
    return QStringLiteral("使い方: sorvane-admin densai import FILE.csv [--folder DIR]\n"
                          "       sorvane-admin densai list [--folder DIR]\n"
                          "       sorvane-admin densai blackout [N] [--folder DIR]\n"
                          "\n"
                          "電子記録債権・債務 (でんさい) を CSV ファイルから取り込み、また CSV で書き出します。\n"
                          "  import  1 行目が列名の CSV (UTF-8 または Shift_JIS) の債権・債務を登録します (発生)。\n"
                          "          列名: %1\n"
                          "          (支払期日は「手形期日」とも「支払期日」とも書けます)。\n"
                          "          処理は 0 (電子記録債権、取引先コードは得意先) か 1 (電子記録債務、取引先\n"
                          "          コードは仕入先、kozano は支払う自社の口座)。記録番号は半角英数字 20 桁で、\n"
                          "          帳簿の中で重ならないこと。支払期日は銀行営業日。\n"
                          "          誤りのある行が 1 行でもあれば、その行と理由を示して何も登録しません。\n"
                          "  list    帳簿の債権・債務を同じ形の CSV (UTF-8) で標準出力に書きます。そのまま\n"
                          "          import で読めます。\n"
                          "  blackout 支払期日の何銀行営業日前から譲渡・分割・割引を受け付けないかを表示・設定します\n"
                          "          (0〜%2。初めは %3)。\n"
                          "\n"
                          "終了コード: 0 成功、1 処理中の失敗 (CSV の誤りなど)、2 コマンドや引数の誤り\n")
        .arg(book::densai::csvColumns().join(u','))
        .arg(schema::kMaxDensaiBlackoutDays)
        .arg(schema::kDefaultDensaiBlackoutDays);
}

int densaiCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty())
        return badArguments(err, QStringLiteral("densai の後に import か list を指定してください"), kCommand);
    const QString sub = args.first();
    if (sub == u"--help" || sub == u"-h" || sub == u"help") {
        out << densaiUsage();
        return kExitOk;
    }
    if (sub != u"import" && sub != u"list" && sub != u"blackout")
        return badArguments(err, QStringLiteral("不明な densai のコマンドです: %1").arg(sub), kCommand);
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args.mid(1), OptionSet{}, parsed, error))
        return badArguments(err, error, kCommand);
    if (parsed.help) {
        out << densaiUsage();
        return kExitOk;
    }
    int blackout = -1;
    if (sub == u"blackout" && !parsed.positional.isEmpty()) {
        bool ok = false;
        blackout = parsed.positional.first().toInt(&ok);
        if (!ok || parsed.positional.size() > 1 || blackout < 0 || blackout > schema::kMaxDensaiBlackoutDays)
            return badArguments(err,
                                QStringLiteral("densai blackout には 0〜%1 の日数を指定してください: %2")
                                    .arg(schema::kMaxDensaiBlackoutDays)
                                    .arg(parsed.positional.join(u' ')),
                                kCommand);
    }
    const int positionals = sub == u"import" ? 1 : 0;
    if (sub != u"blackout" && parsed.positional.size() != positionals)
        return badArguments(
            err,
            positionals ? QStringLiteral("densai import には CSV ファイルを 1 つ指定してください")
                        : QStringLiteral("densai list に余分な引数があります: %1").arg(parsed.positional.join(u' ')),
            kCommand);
    QByteArray csv;
    if (sub == u"import")
        if (const int rc = readInputFile(parsed.positional.first(), csv, err))
            return rc;
    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        if (sub == u"list") {
            out << QString::fromUtf8(book::densai::claimsCsv(data.db()));
            return kExitOk;
        }
        if (sub == u"blackout") {
            if (blackout >= 0)
                schema::writeDensaiBlackoutDays(data.db(), blackout);
            out << QStringLiteral(
                       "支払期日の %1 銀行営業日前から支払期日までは、でんさいの譲渡・分割・割引を受け付けません\n")
                       .arg(schema::readDensaiBlackoutDays(data.db()));
            return kExitOk;
        }
        Workspace holidays(QStringLiteral("holidays"), AppContext::kUserName, {});
        BankCalendar calendar(folder, holidays);
        const int n = book::densai::importClaims(data.db(), csv, QDate::currentDate(), calendar);
        out << QStringLiteral("%1 件の電子記録債権・債務を取り込みました\n").arg(n);
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        if (sub == u"import")
            err << QStringLiteral("何も登録していません。\n");
        return kExitFailed;
    }
}

} // namespace sorvane::admin
