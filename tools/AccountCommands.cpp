// sorvane-admin account: the company's bank accounts, kept through the book.

#include "Commands.h"

#include "book/Accounts.h"

#include <QDate>

namespace sorvane::admin {

namespace {

// Characters of East Asian width take two columns of a terminal.
bool isWide(char32_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0x303E) || (u >= 0x3041 && u <= 0x33FF) ||
           (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xA000 && u <= 0xA4CF) ||
           (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) ||
           (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0x20000 && u <= 0x3FFFD);
}

} // namespace

int displayWidth(const QString &s)
{
    int w = 0;
    for (char32_t u : s.toUcs4())
        w += isWide(u) ? 2 : 1;
    return w;
}

QString pad(const QString &s, int width, bool right)
{
    const QString spaces(qMax(0, width - displayWidth(s)), u' ');
    return right ? spaces + s : s + spaces;
}

namespace {

using book::AccountField;

const QString kCommand = QStringLiteral("account");

QString placeholder(AccountField::Kind kind)
{
    switch (kind) {
    case AccountField::Kind::Kozano:
        return QStringLiteral("N");
    case AccountField::Kind::Term:
        return QStringLiteral("日数");
    case AccountField::Kind::Amount:
        return QStringLiteral("金額");
    case AccountField::Kind::Date:
        return QStringLiteral("日付");
    default:
        return QStringLiteral("文字");
    }
}

// "みずほ銀行 (0001)": a name with its code, or whichever of the two there is.
QString withCode(const QString &name, const QString &code)
{
    if (code.isEmpty())
        return name;
    if (name.isEmpty())
        return code;
    return QStringLiteral("%1 (%2)").arg(name, code);
}

void printTable(const QList<book::AccountRecord> &accounts, QTextStream &out)
{
    struct Column {
        QString title;
        bool right;
    };
    const QList<Column> columns{{QStringLiteral("kozano"), true},    {QStringLiteral("口座種別"), false},
                                {QStringLiteral("銀行"), false},     {QStringLiteral("支店"), false},
                                {QStringLiteral("口座番号"), false}, {QStringLiteral("口座名義"), false},
                                {QStringLiteral("手形期間"), true},  {QStringLiteral("最終手形番号"), false}};
    QList<QStringList> rows;
    for (const book::AccountRecord &a : accounts)
        rows << QStringList{QString::number(a.kozano()),
                            a.text(QStringLiteral("口座種別")),
                            withCode(a.text(QStringLiteral("銀行名")), a.text(QStringLiteral("銀行コード"))),
                            withCode(a.text(QStringLiteral("支店名")), a.text(QStringLiteral("支店コード"))),
                            a.text(QStringLiteral("口座番号")),
                            a.text(QStringLiteral("口座名義")),
                            a.text(QStringLiteral("手形期間")),
                            a.text(QStringLiteral("最終手形番号"))};
    QList<int> widths;
    for (const Column &c : columns)
        widths << displayWidth(c.title);
    for (const QStringList &r : rows)
        for (qsizetype i = 0; i < r.size(); ++i)
            widths[i] = qMax(widths.at(i), displayWidth(r.at(i)));

    const auto line = [&](const QStringList &cells) {
        QStringList padded;
        for (qsizetype i = 0; i < cells.size(); ++i)
            padded << pad(cells.at(i), widths.at(i), columns.at(i).right);
        QString text = padded.join(QStringLiteral("  "));
        while (text.endsWith(u' '))
            text.chop(1);
        out << text << u'\n';
    };
    QStringList titles;
    QStringList rules;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        titles << columns.at(i).title;
        rules << QString(widths.at(i), u'-');
    }
    line(titles);
    line(rules);
    int checking = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        line(rows.at(i));
        checking += accounts.at(i).text(QStringLiteral("口座種別")) == book::kCheckingKind ? 1 : 0;
    }
    out << QStringLiteral("%1 件 (当座 %2 件。支払手形の画面に出るのは口座種別が「当座」の口座だけです)\n")
               .arg(accounts.size())
               .arg(checking);
}

// "--term (手形期間)" for messages.
QString optionTitle(const AccountField &f)
{
    return f.option == f.column ? QStringLiteral("--") + f.column : QStringLiteral("--%1 (%2)").arg(f.option, f.column);
}

// The column options as given, checked and read into values; false after
// the message was written.
bool readValues(const ParsedArgs &args, book::AccountValues &values, QString &error)
{
    const QDate today = QDate::currentDate();
    for (const auto &[name, typed] : args.options) {
        const AccountField *f = book::findAccountField(name.mid(2));
        if (!f) {
            error = QStringLiteral("不明なオプションです: %1").arg(name);
            return false;
        }
        if (values.contains(f->column)) {
            error = QStringLiteral("%1 が 2 回指定されています").arg(optionTitle(*f));
            return false;
        }
        QString why;
        const std::optional<QVariant> v = book::parseAccountValue(*f, typed, today, &why);
        if (!v) {
            error = optionTitle(*f) + QStringLiteral(": ") + why;
            return false;
        }
        values.insert(f->column, *v);
    }
    return true;
}

bool readKozano(const QString &typed, qint64 &kozano, QString &error)
{
    QString why;
    const std::optional<QVariant> v =
        book::parseAccountValue(*book::findAccountField(QStringLiteral("kozano")), typed, {}, &why);
    if (!v) {
        error = QStringLiteral("口座の kozano: ") + why;
        return false;
    }
    kozano = v->toLongLong();
    return true;
}

QString summary(const book::AccountRecord &a)
{
    QStringList parts;
    for (const QString &c :
         {QStringLiteral("口座種別"), QStringLiteral("銀行名"), QStringLiteral("支店名"), QStringLiteral("口座番号")})
        if (!a.text(c).isEmpty())
            parts << a.text(c);
    return QStringLiteral("kozano %1 %2").arg(a.kozano()).arg(parts.join(u'/')).trimmed();
}

void warnWhenNotChecking(const book::AccountRecord &a, QTextStream &err)
{
    if (a.text(QStringLiteral("口座種別")) != book::kCheckingKind)
        err << QStringLiteral("注意: 口座種別が「当座」ではないため、この口座は支払手形の画面に出ません"
                              " (当座にするには --kind 当座)\n");
}

} // namespace

QString accountUsage()
{
    QString text = QStringLiteral(
        "使い方:\n"
        "  sorvane-admin account list [--csv] [--folder DIR]\n"
        "  sorvane-admin account add --kozano N [項目...] [--folder DIR]\n"
        "  sorvane-admin account set KOZANO 項目... [--folder DIR]\n"
        "  sorvane-admin account remove KOZANO [--folder DIR]\n"
        "  sorvane-admin account import FILE.csv [--folder DIR]\n"
        "\n"
        "自社の口座 (口座データ) を扱います。支払手形の画面に出るのは、口座種別が「当座」の口座だけです。\n"
        "\n"
        "  list    すべての口座を kozano の順に表で表示します。--csv を付けると、すべての列を\n"
        "          CSV で出します (そのまま import で読めます)。\n"
        "  add     口座を登録します。--kozano は必ず指定します。既にある kozano は登録できません。\n"
        "          指定しない項目は空 (数は 0) になります。\n"
        "  set     kozano が KOZANO の口座の、指定した項目だけを変えます。--kozano で番号を変えられる\n"
        "          のは、その口座で振り出した手形が無いときだけです。\n"
        "  remove  口座を削除します。手形が使っている口座 (その口座で振り出した手形や、その口座を\n"
        "          予約している手形がある口座) は、手形が口座を見失わないよう削除せず、その件数を\n"
        "          表示します。\n"
        "  import  CSV ファイルの口座をまとめて登録します。1 行目は列名 (下の日本語の列名。kozano は\n"
        "          必須、順番は自由、無い列は空) です。文字コードは UTF-8 (BOM はあってもなくても可)。\n"
        "          \"…\" で囲んだ項目にはカンマを、\"\" で \" を書けます (項目の中の改行は使えません)。\n"
        "          1 行でも誤りがあればファイル全体を取り込まず、その行と理由を表示します。\n"
        "\n"
        "項目 (英字のオプションと日本語の列名のどちらでも指定できます。例: --kind 当座、--口座種別 当座):\n");
    for (const AccountField &f : book::accountFields()) {
        const QString option = QStringLiteral("--%1 %2").arg(f.option, placeholder(f.kind));
        text += QStringLiteral("  %1 %2 %3\n").arg(pad(option, 24, false), pad(f.column, 14, false), f.meaning);
    }
    text += QStringLiteral("\n日付は 2026/3/31、2026-03-31、令和8年3月31日、R8/3/31 などで書けます。\n"
                           "空の値 (\"\") を指定すると、その項目を空にします。\n"
                           "\n"
                           "終了コード: 0 成功、1 処理中の失敗 (既にある kozano、使われている口座、CSV の誤り)、\n"
                           "2 コマンドや値の誤り。失敗したときは何も変更しません。\n");
    return text;
}

int accountCommand(const QStringList &args, const QString &defaultFolder, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty())
        return badArguments(
            err, QStringLiteral("account の後に list、add、set、remove、import のどれかを指定してください"), kCommand);
    const QString sub = args.first();
    if (sub == u"--help" || sub == u"-h" || sub == u"help") {
        out << accountUsage();
        return kExitOk;
    }

    OptionSet accepted;
    int positionals = 0;
    if (sub == u"list") {
        accepted.flags << QStringLiteral("--csv");
    } else if (sub == u"add" || sub == u"set") {
        for (const AccountField &f : book::accountFields()) {
            accepted.withValue << QStringLiteral("--") + f.option;
            if (f.option != f.column)
                accepted.withValue << QStringLiteral("--") + f.column;
        }
        positionals = sub == u"set" ? 1 : 0;
    } else if (sub == u"remove" || sub == u"import") {
        positionals = 1;
    } else {
        return badArguments(err, QStringLiteral("不明な account のコマンドです: %1").arg(sub), kCommand);
    }

    ParsedArgs parsed;
    QString error;
    if (!parseArguments(args.mid(1), accepted, parsed, error))
        return badArguments(err, error, kCommand);
    if (parsed.help) {
        out << accountUsage();
        return kExitOk;
    }
    if (parsed.positional.size() != positionals) {
        const QString what = sub == u"import" ? QStringLiteral("CSV ファイルを 1 つ")
                             : positionals    ? QStringLiteral("口座の kozano を 1 つ")
                                              : QString();
        return badArguments(
            err,
            what.isEmpty()
                ? QStringLiteral("account %1 に余分な引数があります: %2").arg(sub, parsed.positional.join(u' '))
                : QStringLiteral("account %1 には%2指定してください").arg(sub, what),
            kCommand);
    }

    book::AccountValues values;
    if ((sub == u"add" || sub == u"set") && !readValues(parsed, values, error))
        return badArguments(err, error, kCommand);
    qint64 kozano = 0;
    if ((sub == u"set" || sub == u"remove") && !readKozano(parsed.positional.first(), kozano, error))
        return badArguments(err, error, kCommand);
    if (sub == u"add" && !values.contains(QStringLiteral("kozano")))
        return badArguments(err, QStringLiteral("account add には --kozano を指定してください"), kCommand);
    if (sub == u"set" && values.isEmpty())
        return badArguments(err, QStringLiteral("account set には変える項目を指定してください (例: --kind 当座)"),
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
        Database &db = data.db();
        if (sub == u"list") {
            const QList<book::AccountRecord> accounts = book::readAccounts(db);
            if (parsed.has(QStringLiteral("--csv")))
                out << QString::fromUtf8(book::accountsCsv(accounts));
            else if (accounts.isEmpty())
                out << QStringLiteral("口座は登録されていません (登録: sorvane-admin account add --kozano 1 "
                                      "--kind 当座 ...)\n");
            else
                printTable(accounts, out);
        } else if (sub == u"add") {
            book::addAccount(db, values);
            const book::AccountRecord added = *book::accountRecord(db, values.value(QStringLiteral("kozano")).toLongLong());
            out << QStringLiteral("口座を登録しました: %1\n").arg(summary(added));
            warnWhenNotChecking(added, err);
        } else if (sub == u"set") {
            const std::optional<book::AccountRecord> before = book::accountRecord(db, kozano);
            book::updateAccount(db, kozano, values);
            const qint64 now = values.value(QStringLiteral("kozano"), kozano).toLongLong();
            const book::AccountRecord after = *book::accountRecord(db, now);
            out << QStringLiteral("口座を変更しました: %1\n").arg(summary(after));
            for (const AccountField &f : book::accountFields()) {
                if (!values.contains(f.column))
                    continue;
                const auto shown = [&](const book::AccountRecord &a) {
                    const QString v = book::displayAccountValue(f, a.values.value(f.column));
                    return v.isEmpty() ? QStringLiteral("(空)") : v;
                };
                out << QStringLiteral("  %1: %2 → %3\n").arg(f.column, shown(*before), shown(after));
            }
            if (values.contains(QStringLiteral("口座種別")))
                warnWhenNotChecking(after, err);
        } else if (sub == u"remove") {
            const std::optional<book::AccountRecord> account = book::accountRecord(db, kozano);
            book::removeAccount(db, kozano);
            out << QStringLiteral("口座を削除しました: %1\n").arg(summary(*account));
        } else {
            const int n = book::importAccounts(db, csv, QDate::currentDate());
            out << QStringLiteral("%1 件の口座を取り込みました\n").arg(n);
        }
        return kExitOk;
    } catch (const DbError &e) {
        out.flush();
        err << e.description() << u'\n';
        if (sub == u"remove" || sub == u"set" || sub == u"import" || sub == u"add")
            err << QStringLiteral("何も変更していません。\n");
        return kExitFailed;
    }
}

} // namespace sorvane::admin
