// sorvane-admin report: the figures of the planning and totals windows, as
// a table on the screen, a CSV file or a PDF.

#include "Commands.h"

#include "book/Planning.h"
#include "book/Totals.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "report/Forms.h"

#include <QDate>
#include <QDir>

namespace sorvane::admin {

namespace {

const QString kCommand = QStringLiteral("report");

QString absolute(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// The sheet as a table on the screen: columns padded to the widest cell.
void printSheet(const book::Sheet &s, QTextStream &out)
{
    QList<QStringList> lines;
    QStringList header;
    for (int c = 0; c < s.columns.size(); ++c)
        header << s.header(c);
    lines << header << s.rows;
    if (!s.totals.isEmpty())
        lines << s.totals;
    QList<int> widths(s.columns.size(), 0);
    for (const QStringList &l : lines)
        for (int c = 0; c < s.columns.size(); ++c)
            widths[c] = qMax(widths.at(c), displayWidth(l.value(c)));
    out << s.title << u'\n' << s.subtitle << u'\n';
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringList cells;
        for (int c = 0; c < s.columns.size(); ++c)
            cells << pad(lines.at(i).value(c), widths.at(c), s.columns.at(c).number && i > 0);
        QString text = cells.join(QStringLiteral("  "));
        while (text.endsWith(u' '))
            text.chop(1);
        out << text << u'\n';
        if (i == 0) {
            QStringList rules;
            for (int w : widths)
                rules << QString(w, u'-');
            out << rules.join(QStringLiteral("  ")) << u'\n';
        }
    }
}

bool readMonth(const ParsedArgs &args, const QDate &fallback, QDate &month, QString &error)
{
    if (!args.has(QStringLiteral("--from"))) {
        month = fallback;
        return true;
    }
    month = book::parseMonth(args.value(QStringLiteral("--from")), QDate::currentDate());
    if (!month.isValid()) {
        error = QStringLiteral("--from の月が正しくありません: %1 (例: 2026/12、R8/12)")
                    .arg(args.value(QStringLiteral("--from")));
        return false;
    }
    return true;
}

bool readMonths(const ParsedArgs &args, int &months, QString &error)
{
    months = 12;
    if (!args.has(QStringLiteral("--months")))
        return true;
    const std::optional<qint64> n = fmt::parseWholeNumber(args.value(QStringLiteral("--months")));
    if (!n || *n < 1 || *n > book::kMaxMonths) {
        error = QStringLiteral("--months は 1〜%1 で指定してください: %2")
                    .arg(book::kMaxMonths)
                    .arg(args.value(QStringLiteral("--months")));
        return false;
    }
    months = int(*n);
    return true;
}

} // namespace

QString reportUsage()
{
    return QStringLiteral(
               "使い方:\n"
               "  sorvane-admin report cash --account KOZANO [--from 月] [--months N] [--csv FILE] [--pdf FILE]\n"
               "  sorvane-admin report trial [--account KOZANO] [--from 月] [--months N] [--csv FILE] [--pdf FILE]\n"
               "  sorvane-admin report reserved [--date 日付] [--csv FILE] [--pdf FILE]\n"
               "  sorvane-admin report totals --by due|booking [--from 月] [--months N]\n"
               "                              [--customer CODE | --supplier CODE] [--csv FILE] [--pdf FILE]\n"
               "\n"
               "cash      口座別資金確認: 口座の月ごとの入金・支払・月末残高 (予測)・最低残高・不足額\n"
               "          (--from の省略時は今月から)\n"
               "trial     口座別試算表: 支払手形の前月繰越・振出・決済・月末残高 (--account を省くとすべての口座。\n"
               "          --from の省略時は 11 か月前から)\n"
               "reserved  手形予約確認: 基準日 (省略時は今日) に割引・譲渡していて期日の来ていない受取手形と、\n"
               "          受取手形割引高・受取手形裏書譲渡高\n"
               "totals    集計: 月ごと・状態ごとの手形の件数と金額。--by due は手形期日、booking は処理日 (記帳日)\n"
               "          の月で数えます (--from の省略時は due が今月から、booking が 11 か月前から)\n"
               "\n"
               "月は 2026/12、令和8年12月、R8/12 のように、日付は 2027/3/31、R9.3.31 のように書けます。\n"
               "--months は月数 (1〜%1、省略時は 12)。--csv は UTF-8 (BOM 付き) の CSV を、--pdf は PDF を書きます。\n"
               "どちらも無いときは表を画面に出します。\n"
               "\n"
               "オプション:\n"
               "  --folder DIR  データフォルダー (tegata.mdb のあるフォルダー)\n")
        .arg(book::kMaxMonths);
}

int reportCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    if (args.contains(u"--help"_qs) || args.contains(u"-h"_qs) || args.value(0) == u"help") {
        out << reportUsage();
        return kExitOk;
    }
    const QString what = args.value(0);
    OptionSet accepted;
    accepted.withValue << QStringLiteral("--csv") << QStringLiteral("--pdf");
    if (what == u"cash" || what == u"trial")
        accepted.withValue << QStringLiteral("--account") << QStringLiteral("--from") << QStringLiteral("--months");
    else if (what == u"reserved")
        accepted.withValue << QStringLiteral("--date");
    else if (what == u"totals")
        accepted.withValue << QStringLiteral("--by") << QStringLiteral("--from") << QStringLiteral("--months")
                           << QStringLiteral("--customer") << QStringLiteral("--supplier");
    else
        return badArguments(
            err,
            what.isEmpty() || what.startsWith(u'-')
                ? QStringLiteral("report の後に cash、trial、reserved、totals のどれかを指定してください")
                : QStringLiteral("不明な report の種類です: %1").arg(what),
            kCommand);
    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args.mid(1), accepted, parsed, error))
        return badArguments(err, error, kCommand);
    if (parsed.help) {
        out << reportUsage();
        return kExitOk;
    }
    if (!parsed.positional.isEmpty())
        return badArguments(
            err, QStringLiteral("report %1 に余分な引数があります: %2").arg(what, parsed.positional.join(u' ')),
            kCommand);

    // Everything typed is checked before the data folder is opened.
    const QDate thisMonth = book::monthStart(QDate::currentDate());
    QDate first;
    int months = 12;
    qint64 kozano = 0;
    QDate asOf = QDate::currentDate();
    book::TotalsBy by = book::TotalsBy::Due;
    book::PartyChoice party;
    if (what == u"cash" || what == u"trial") {
        if (parsed.has(QStringLiteral("--account"))) {
            const std::optional<qint64> k = fmt::parseWholeNumber(parsed.value(QStringLiteral("--account")));
            if (!k || *k < 1)
                return badArguments(err,
                                    QStringLiteral("--account には口座の kozano を指定してください: %1")
                                        .arg(parsed.value(QStringLiteral("--account"))),
                                    kCommand);
            kozano = *k;
        } else if (what == u"cash") {
            return badArguments(err, QStringLiteral("report cash には --account で口座の kozano を指定してください"),
                                kCommand);
        }
    }
    if (what == u"totals") {
        const QString b = parsed.value(QStringLiteral("--by"));
        if (b != u"due" && b != u"booking")
            return badArguments(err, QStringLiteral("--by には due か booking を指定してください"), kCommand);
        by = b == u"due" ? book::TotalsBy::Due : book::TotalsBy::Booking;
        if (parsed.has(QStringLiteral("--customer")) && parsed.has(QStringLiteral("--supplier")))
            return badArguments(err, QStringLiteral("--customer と --supplier はどちらか一方だけ指定してください"),
                                kCommand);
        if (parsed.has(QStringLiteral("--customer")))
            party = {book::PartyChoice::Kind::Customer, fmt::normalizeCode(parsed.value(QStringLiteral("--customer")))};
        if (parsed.has(QStringLiteral("--supplier")))
            party = {book::PartyChoice::Kind::Supplier, fmt::normalizeCode(parsed.value(QStringLiteral("--supplier")))};
    }
    if (what != u"reserved") {
        const bool lookBack = what == u"trial" || (what == u"totals" && by == book::TotalsBy::Booking);
        if (!readMonth(parsed, lookBack ? thisMonth.addMonths(-11) : thisMonth, first, error) ||
            !readMonths(parsed, months, error))
            return badArguments(err, error, kCommand);
    } else if (parsed.has(QStringLiteral("--date"))) {
        asOf = fmt::parseDate(parsed.value(QStringLiteral("--date")), QDate::currentDate());
        if (!asOf.isValid())
            return badArguments(err,
                                QStringLiteral("--date の日付が正しくありません: %1 (例: 2027/3/31、R9.3.31)")
                                    .arg(parsed.value(QStringLiteral("--date"))),
                                kCommand);
    }

    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        Database &db = data.db();
        book::Sheet sheet;
        if (what == u"cash" || what == u"trial") {
            qint64 id = 0;
            QString name = QStringLiteral("すべての口座");
            if (kozano > 0) {
                const std::optional<book::AccountRecord> a = book::accountRecord(db, kozano);
                if (!a) {
                    err << QStringLiteral("kozano %1 の口座は登録されていません\n").arg(kozano);
                    return kExitFailed;
                }
                id = a->id;
                name = book::accountLine(*a);
            }
            if (what == u"cash") {
                BankCalendar calendar(folder, data.workspace());
                sheet = book::cashSheet(book::cashPlan(db, id, first, months, calendar));
            } else {
                sheet = book::trialSheet(name, book::trialBalance(db, id, first, months));
            }
        } else if (what == u"reserved") {
            sheet = book::reservedSheet(book::reservedBills(db, asOf));
        } else {
            QString name = QStringLiteral("すべての取引先");
            if (party.kind != book::PartyChoice::Kind::All) {
                bool found = false;
                for (const book::PartyOption &o : book::partyOptions(db))
                    if (o.choice.kind == party.kind && o.choice.code.compare(party.code, Qt::CaseInsensitive) == 0) {
                        name = o.label;
                        party.code = o.choice.code;
                        found = true;
                    }
                if (!found) {
                    err << QStringLiteral("%1 %2 は登録されていません\n")
                               .arg(party.kind == book::PartyChoice::Kind::Customer ? QStringLiteral("得意先")
                                                                                    : QStringLiteral("仕入先"),
                                    party.code);
                    return kExitFailed;
                }
            }
            sheet = book::totalsSheet(book::billTotals(db, by, first, months, party), name);
        }
        const QString csv = absolute(parsed.value(QStringLiteral("--csv")));
        const QString pdf = absolute(parsed.value(QStringLiteral("--pdf")));
        if (csv.isEmpty() && pdf.isEmpty()) {
            printSheet(sheet, out);
            return kExitOk;
        }
        if (!csv.isEmpty()) {
            book::writeSheetCsv(sheet, csv);
            out << QStringLiteral("書き込み: %1\n").arg(QDir::toNativeSeparators(csv));
        }
        if (!pdf.isEmpty()) {
            report::writePdf({report::sheetDocument(sheet)}, pdf);
            out << QStringLiteral("書き込み: %1\n").arg(QDir::toNativeSeparators(pdf));
        }
        out << QStringLiteral("%1 行\n").arg(sheet.rows.size());
        return kExitOk;
    } catch (const std::exception &e) {
        out.flush();
        err << errorText(e) << u'\n';
        return kExitFailed;
    }
}

} // namespace sorvane::admin
