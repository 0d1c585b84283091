// sorvane-admin customer / supplier: the registers' parties and the
// 登録番号 or 法人番号 the year-end statements write beside their names.

#include "Commands.h"

#include "book/Registers.h"
#include "data/Formats.h"

namespace sorvane::admin {

namespace {

const book::PartyTable &tableOf(const QString &command)
{
    return command == u"customer" ? book::customerTable() : book::supplierTable();
}

QString shown(const QString &number)
{
    return number.isEmpty() ? QStringLiteral("(未登録)") : number;
}

void printList(const QList<book::PartyRow> &rows, const book::PartyTable &t, QTextStream &out)
{
    if (rows.isEmpty()) {
        out << QStringLiteral("%1は登録されていません\n").arg(t.word);
        return;
    }
    const QString codeTitle = QStringLiteral("コード");
    const QString nameTitle = QStringLiteral("%1名").arg(t.word);
    int codeWidth = displayWidth(codeTitle);
    int nameWidth = displayWidth(nameTitle);
    int known = 0;
    for (const book::PartyRow &r : rows) {
        codeWidth = qMax(codeWidth, displayWidth(r.code));
        nameWidth = qMax(nameWidth, displayWidth(r.name));
        known += r.number.isEmpty() ? 0 : 1;
    }
    out << pad(codeTitle, codeWidth) << QStringLiteral("  ") << pad(nameTitle, nameWidth)
        << QStringLiteral("  登録番号（法人番号）\n");
    out << QString(codeWidth, u'-') << QStringLiteral("  ") << QString(nameWidth, u'-') << QStringLiteral("  ")
        << QString(20, u'-') << u'\n';
    for (const book::PartyRow &r : rows) {
        QString line =
            pad(r.code, codeWidth) + QStringLiteral("  ") + pad(r.name, nameWidth) + QStringLiteral("  ") + r.number;
        while (line.endsWith(u' '))
            line.chop(1);
        out << line << u'\n';
    }
    out << QStringLiteral("%1 件 (登録番号・法人番号のあるもの %2 件)\n").arg(rows.size()).arg(known);
}

} // namespace

QString partyUsage(const QString &command)
{
    const QString word = tableOf(command).word;
    return QStringLiteral("使い方:\n"
                          "  sorvane-admin %1 list [--folder DIR]\n"
                          "  sorvane-admin %1 number コード [番号 | --clear] [--folder DIR]\n"
                          "\n"
                          "%2 (%2情報の画面で登録したもの) を扱います。\n"
                          "\n"
                          "  list    すべての%2をコードの順に、登録番号・法人番号とともに表示します。\n"
                          "  number  コードの%2の登録番号または法人番号を表示します。番号を付けるとそれを登録し、\n"
                          "          --clear を付けると消します。勘定科目内訳明細書 (令和6年3月1日以後に終わる\n"
                          "          事業年度のもの) の「登録番号（法人番号）」の欄に書かれます。\n"
                          "\n"
                          "番号は次のどちらか一方です (全角の数字や英字も読みます。空白とハイフンは無視します):\n"
                          "  登録番号  T と 13 桁の数字 (例: T1234567890123)。適格請求書発行事業者の登録番号です。\n"
                          "  法人番号  13 桁の数字 (例: 7000012050002)。先頭の検査用の数字を確かめます。\n"
                          "\n"
                          "終了コード: 0 成功、1 処理中の失敗 (登録されていないコードなど)、2 コマンドや番号の誤り。\n"
                          "失敗したときは何も変更しません。\n")
        .arg(command, word);
}

int partyCommand(const QString &command, const QStringList &args, const QString &defaultFolder, QTextStream &out,
                 QTextStream &err)
{
    const book::PartyTable &table = tableOf(command);
    const QString sub = args.value(0);
    if (sub == u"--help" || sub == u"-h" || sub == u"help") {
        out << partyUsage(command);
        return kExitOk;
    }
    if (sub.isEmpty() || sub.startsWith(u'-'))
        return badArguments(err, QStringLiteral("%1 の後に list か number を指定してください").arg(command), command);
    OptionSet accepted;
    if (sub == u"number")
        accepted.flags << QStringLiteral("--clear");
    else if (sub != u"list")
        return badArguments(err, QStringLiteral("不明な %1 のコマンドです: %2").arg(command, sub), command);

    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args.mid(1), accepted, parsed, error))
        return badArguments(err, error, command);
    if (parsed.help) {
        out << partyUsage(command);
        return kExitOk;
    }
    const bool clear = parsed.has(QStringLiteral("--clear"));
    QString code;
    std::optional<QString> number;
    if (sub == u"list") {
        if (!parsed.positional.isEmpty())
            return badArguments(
                err, QStringLiteral("%1 list に余分な引数があります: %2").arg(command, parsed.positional.join(u' ')),
                command);
    } else {
        if (parsed.positional.isEmpty() || parsed.positional.size() > 2)
            return badArguments(
                err,
                QStringLiteral("%1 number にはコードと、登録するときは番号を 1 つずつ指定してください").arg(command),
                command);
        code = fmt::normalizeCode(parsed.positional.first());
        if (code.isEmpty())
            return badArguments(err, QStringLiteral("%1コードを指定してください").arg(table.word), command);
        if (clear && parsed.positional.size() == 2)
            return badArguments(err, QStringLiteral("番号と --clear は一緒に指定できません"), command);
        if (parsed.positional.size() == 2) {
            QString problem;
            number = book::readPartyNumber(parsed.positional.at(1), &problem);
            if (!number)
                return badArguments(err, problem, command);
            if (number->isEmpty())
                return badArguments(err, QStringLiteral("番号が空です。消すときは --clear を指定してください"),
                                    command);
        } else if (clear) {
            number = QString();
        }
    }

    const QString folder = dataFolderPath(parsed, defaultFolder);
    if (const int rc = checkDataFolder(folder, err))
        return rc;
    try {
        DataFile data(folder);
        Database &db = data.db();
        const QList<book::PartyRow> rows = book::readParties(db, table);
        if (sub == u"list") {
            printList(rows, table, out);
            return kExitOk;
        }
        const book::PartyRow *party = nullptr;
        for (const book::PartyRow &r : rows)
            if (r.code.compare(code, Qt::CaseInsensitive) == 0)
                party = &r;
        if (!party) {
            err << QStringLiteral("%1コード「%2」は登録されていません。何も変更していません。\n"
                                  "登録されているコードは sorvane-admin %3 list で表示します。\n")
                       .arg(table.word, code, command);
            return kExitFailed;
        }
        if (!number) {
            out << QStringLiteral("%1 %2: %3\n").arg(party->code, party->name, shown(party->number));
            return kExitOk;
        }
        book::setPartyNumber(db, table, party->code, *number);
        out << QStringLiteral("%1 %2 の登録番号（法人番号）: %3 → %4\n")
                   .arg(party->code, party->name, shown(party->number), shown(*number));
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        if (number)
            err << QStringLiteral("何も変更していません。\n");
        return kExitFailed;
    }
}

} // namespace sorvane::admin
