// sorvane-admin settle and history: the settlement of the bills whose day
// has come, as 処理済手形一覧 does it, and the history of the bills as CSV.

#include "Commands.h"

#include "book/AppContext.h"
#include "book/BillLife.h"
#include "book/History.h"
#include "data/Calendar.h"
#include "data/Formats.h"

#include <QDate>

namespace sorvane::admin {

namespace {

bool readDate(const ParsedArgs &args, const QString &option, QDate &date, QString &error)
{
    date = fmt::parseDate(args.value(option), QDate::currentDate());
    if (!date.isValid()) {
        error = QStringLiteral("%1 の日付が正しくありません: %2 (例: 2027/3/31、令和9年3月31日)")
                    .arg(option, args.value(option));
        return false;
    }
    return true;
}

QString kindOf(const book::BillRow &b)
{
    switch (b.position()) {
    case book::Position::Issued:
        return QStringLiteral("支払");
    case book::Position::Discounted:
        return QStringLiteral("割引");
    case book::Position::HandedOn:
        return QStringLiteral("譲渡");
    default:
        return QStringLiteral("受取");
    }
}

} // namespace

QString settleUsage()
{
    return QStringLiteral("使い方: sorvane-admin settle [--through 日付] [--dry-run] [--folder DIR]\n"
                          "\n"
                          "決済日が来た手形を決済します (処理済手形一覧の「決済」と同じです)。決済日は\n"
                          "  受取手形 (手元)  手形期日 + 取立日数。銀行の休業日なら次の営業日\n"
                          "  支払手形         手形期日\n"
                          "  割引・譲渡した手形  手形期日 (会社の責任がなくなる日)\n"
                          "です。決済日が --through の日 (省略時は今日) までの手形を、それぞれの決済日で\n"
                          "一つのトランザクションで決済し、決済した手形を 1 行ずつ表示します。\n"
                          "今日より後の日付は指定できません。期日のない手形は決済しません。\n"
                          "\n"
                          "オプション:\n"
                          "  --through 日付  この日までに決済日が来た手形を決済します\n"
                          "  --dry-run       決済する手形を表示するだけで、何も変えません\n"
                          "  --folder DIR    データフォルダー (tegata.mdb のあるフォルダー)\n");
}

QString historyUsage()
{
    return QStringLiteral("使い方: sorvane-admin history [--from 日付] [--to 日付] [--bill 手形番号] [--folder DIR]\n"
                          "\n"
                          "手形の履歴 (受取・振出・譲渡・割引・決済・不渡・修正・削除とその取消) を、\n"
                          "処理日の順に CSV (UTF-8、見出し行あり) で標準出力に書きます。削除した手形の\n"
                          "履歴も含みます。条件を省くとすべての履歴を書きます。\n"
                          "\n"
                          "オプション:\n"
                          "  --from 日付     処理日がこの日以降の履歴\n"
                          "  --to 日付       処理日がこの日以前の履歴\n"
                          "  --bill 番号     この手形番号の手形の履歴\n"
                          "  --folder DIR    データフォルダー (tegata.mdb のあるフォルダー)\n");
}

int settleCommand(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("settle");
    if (!args.positional.isEmpty())
        return badArguments(err, QStringLiteral("settle に余分な引数があります: %1").arg(args.positional.join(u' ')),
                            command);
    const QDate today = QDate::currentDate();
    QDate through = today;
    QString error;
    if (args.has(QStringLiteral("--through")) && !readDate(args, QStringLiteral("--through"), through, error))
        return badArguments(err, error, command);
    if (through > today)
        return badArguments(
            err,
            QStringLiteral("今日 (%1) より後の日付までは決済できません: %2").arg(fmt::ymd(today), fmt::ymd(through)),
            command);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    const bool dryRun = args.has(QStringLiteral("--dry-run"));
    try {
        DataFile data(folder);
        Workspace holidays(QStringLiteral("holidays"), AppContext::kUserName, {});
        BankCalendar calendar(folder, holidays);
        const std::vector<book::SettlementDue> due = book::billsToSettle(data.db(), through, calendar);
        QList<book::SettleOrder> orders;
        qint64 total = 0;
        for (const book::SettlementDue &d : due) {
            out << QStringLiteral("%1\t%2\t%3\t%4\t期日 %5\t%6 円\n")
                       .arg(fmt::ymd(d.settleOn), kindOf(d.bill), d.bill.手形番号, d.bill.取引先,
                            fmt::ymd(d.bill.手形期日), fmt::amount(d.bill.金額));
            orders << book::SettleOrder{d.bill.id, d.bill.更新回数, d.settleOn};
            total += d.bill.金額;
        }
        if (dryRun) {
            out << QStringLiteral("%1 件、合計 %2 円を決済できます (--dry-run: 何も変えていません)\n")
                       .arg(orders.size())
                       .arg(fmt::amount(total));
            return kExitOk;
        }
        if (!orders.isEmpty())
            book::settleBills(data.db(), orders, today);
        out << QStringLiteral("%1 件、合計 %2 円を決済しました\n").arg(orders.size()).arg(fmt::amount(total));
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

int historyCommand(const ParsedArgs &args, const QString &folder, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("history");
    if (!args.positional.isEmpty())
        return badArguments(err, QStringLiteral("history に余分な引数があります: %1").arg(args.positional.join(u' ')),
                            command);
    book::EventQuery q;
    QString error;
    if (args.has(QStringLiteral("--from")) && !readDate(args, QStringLiteral("--from"), q.from, error))
        return badArguments(err, error, command);
    if (args.has(QStringLiteral("--to")) && !readDate(args, QStringLiteral("--to"), q.to, error))
        return badArguments(err, error, command);
    q.number = args.value(QStringLiteral("--bill"));
    if (args.has(QStringLiteral("--bill")) && q.number.trimmed().isEmpty())
        return badArguments(err, QStringLiteral("--bill には手形番号を指定してください"), command);
    const QString problem = book::eventQueryProblem(q);
    if (!problem.isEmpty())
        return badArguments(err, problem, command);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        const QList<book::BillEvent> events = book::searchEvents(data.db(), q);
        out << QString::fromUtf8(book::eventsCsv(events));
        err << QStringLiteral("履歴 %1 件\n").arg(events.size());
        return kExitOk;
    } catch (const DbError &e) {
        err << e.description() << u'\n';
        return kExitFailed;
    }
}

} // namespace sorvane::admin
