#include "book/Accounts.h"

#include "data/Engine.h"
#include "data/Formats.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace sorvane::book {

namespace {

using Kind = AccountField::Kind;

// The largest kozano and term the windows can carry in a plain int with room to spare.
constexpr qint64 kMaxKozano = 999999999;
constexpr qint64 kMaxTerm = 9999;

const QString kTable = QStringLiteral("口座データ");

QString columnList()
{
    QStringList cols;
    for (const AccountField &f : accountFields())
        cols << f.column;
    return cols.join(u',');
}

QString placeholders(qsizetype n)
{
    QStringList q;
    for (qsizetype i = 0; i < n; ++i)
        q << QStringLiteral("?");
    return q.join(u',');
}

// Text columns hold an empty text rather than NULL, as the windows write them.
QVariant textValue(const QString &s)
{
    return QVariant(s.isNull() ? QStringLiteral("") : s);
}

QVariant defaultValue(const AccountField &f)
{
    switch (f.kind) {
    case Kind::Text:
    case Kind::Code:
        return textValue({});
    case Kind::Date:
        return QVariant(QDate());
    default:
        return QVariant(qint64(0));
    }
}

AccountRecord accountOf(const Recordset &rs)
{
    AccountRecord a;
    a.id = rs.number(QStringLiteral("id"));
    for (const AccountField &f : accountFields()) {
        switch (f.kind) {
        case Kind::Text:
        case Kind::Code:
            a.values.insert(f.column, rs.text(f.column));
            break;
        case Kind::Date:
            a.values.insert(f.column, rs.date(f.column));
            break;
        default:
            a.values.insert(f.column, rs.number(f.column));
        }
    }
    return a;
}

bool hasControlCharacter(const QString &s)
{
    for (QChar c : s)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

qint64 requiredKozano(const AccountValues &values)
{
    const QVariant v = values.value(QStringLiteral("kozano"));
    const qint64 k = v.isNull() ? 0 : v.toLongLong();
    if (k < 1 || k > kMaxKozano)
        throw DbError(QStringLiteral("kozano を 1〜%1 の数字で指定してください").arg(kMaxKozano));
    return k;
}

void checkKozanoFree(Database &db, qint64 kozano)
{
    if (accountRecord(db, kozano))
        throw DbError(QStringLiteral("kozano %1 の口座は既に登録されています").arg(kozano));
}

int billsIssuedOn(Database &db, qint64 kozano)
{
    return db.scalar(QStringLiteral("select count(*) from D_手形 where 処理=1 and kozano=?"), {kozano}).toInt();
}

qint64 insertAccount(Database &db, const AccountValues &values)
{
    QVariantList bound;
    for (const AccountField &f : accountFields())
        bound << (values.contains(f.column) ? values.value(f.column) : defaultValue(f));
    db.execute(QStringLiteral("insert into %1(%2) values(%3)").arg(kTable, columnList(), placeholders(bound.size())),
               bound);
    return db.lastInsertId();
}

AccountRecord existingAccount(Database &db, qint64 kozano)
{
    std::optional<AccountRecord> a = accountRecord(db, kozano);
    if (!a)
        throw DbError(QStringLiteral("kozano %1 の口座は登録されていません").arg(kozano));
    return *a;
}

// The line of the first byte sequence that is not UTF-8, or 0 when all is.
int firstLineNotUtf8(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString ignored = decoder.decode(lines.at(i));
        if (decoder.hasError())
            return int(i) + 1;
    }
    return 0;
}

QString lineError(int line, const QString &why)
{
    return QStringLiteral("%1 行目: %2").arg(line).arg(why);
}

QString knownColumnNames()
{
    QStringList names;
    for (const AccountField &f : accountFields())
        names << f.column;
    return names.join(QStringLiteral(", "));
}

} // namespace

const QString kCheckingKind = QStringLiteral("当座");

const QList<AccountField> &accountFields()
{
    static const QList<AccountField> fields{
        {QStringLiteral("kozano"), QStringLiteral("kozano"), Kind::Kozano,
         QStringLiteral("プログラム内の口座番号 (1 以上、重複不可)")},
        {QStringLiteral("口座名義"), QStringLiteral("holder"), Kind::Text, QStringLiteral("口座名義")},
        {QStringLiteral("銀行コード"), QStringLiteral("bank-code"), Kind::Code, QStringLiteral("銀行コード")},
        {QStringLiteral("銀行名"), QStringLiteral("bank"), Kind::Text, QStringLiteral("銀行名")},
        {QStringLiteral("支店コード"), QStringLiteral("branch-code"), Kind::Code, QStringLiteral("支店コード")},
        {QStringLiteral("支店名"), QStringLiteral("branch"), Kind::Text, QStringLiteral("支店名")},
        {QStringLiteral("口座番号"), QStringLiteral("number"), Kind::Code, QStringLiteral("銀行の口座番号")},
        {QStringLiteral("口座種別"), QStringLiteral("kind"), Kind::Text,
         QStringLiteral("口座の種類 (「当座」の口座だけが支払手形の画面に出ます)")},
        {QStringLiteral("支払県"), QStringLiteral("prefecture"), Kind::Text, QStringLiteral("支払地の都道府県")},
        {QStringLiteral("支払市"), QStringLiteral("city"), Kind::Text, QStringLiteral("支払地の市区町村")},
        {QStringLiteral("手形期間"), QStringLiteral("term"), Kind::Term, QStringLiteral("手形の期間 (日数、0 以上)")},
        {QStringLiteral("最終手形番号"), QStringLiteral("last-bill"), Kind::Code,
         QStringLiteral("最後に振り出した手形の番号")},
        {QStringLiteral("担保枠"), QStringLiteral("collateral"), Kind::Amount, QStringLiteral("担保枠 (円、0 以上)")},
        {QStringLiteral("確定済年月"), QStringLiteral("settled"), Kind::Date, QStringLiteral("確定済みの年月 (日付)")},
        {QStringLiteral("計画済年月"), QStringLiteral("planned"), Kind::Date, QStringLiteral("計画済みの年月 (日付)")},
    };
    return fields;
}

const AccountField *findAccountField(const QString &name)
{
    for (const AccountField &f : accountFields())
        if (f.column.compare(name, Qt::CaseInsensitive) == 0 || f.option == name)
            return &f;
    return nullptr;
}

qint64 AccountRecord::kozano() const
{
    return values.value(QStringLiteral("kozano")).toLongLong();
}

QString AccountRecord::text(const QString &column) const
{
    return values.value(column).toString();
}

std::optional<QVariant> parseAccountValue(const AccountField &field, const QString &typed, const QDate &today,
                                          QString *error)
{
    const auto refuse = [&](const QString &why) -> std::optional<QVariant> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString s = typed.trimmed();
    switch (field.kind) {
    case Kind::Kozano: {
        if (s.isEmpty())
            return refuse(QStringLiteral("kozano を指定してください"));
        const std::optional<qint64> n = fmt::parseWholeNumber(s);
        if (!n || *n < 1 || *n > kMaxKozano)
            return refuse(QStringLiteral("1〜%1 の数字で指定してください: %2").arg(kMaxKozano).arg(typed));
        return QVariant(*n);
    }
    case Kind::Term: {
        if (s.isEmpty())
            return QVariant(qint64(0));
        const std::optional<qint64> n = fmt::parseWholeNumber(s);
        if (!n)
            return refuse(QStringLiteral("日数を数字で指定してください: %1").arg(typed));
        if (*n < 0 || *n > kMaxTerm)
            return refuse(QStringLiteral("日数は 0〜%1 で指定してください: %2").arg(kMaxTerm).arg(typed));
        return QVariant(*n);
    }
    case Kind::Amount: {
        if (s.isEmpty())
            return QVariant(qint64(0));
        const std::optional<qint64> n = fmt::parseAmount(s);
        if (!n)
            return refuse(QStringLiteral("金額を数字で指定してください: %1").arg(typed));
        if (*n < 0)
            return refuse(QStringLiteral("金額は 0 以上で指定してください: %1").arg(typed));
        return QVariant(*n);
    }
    case Kind::Date: {
        if (s.isEmpty())
            return QVariant(QDate());
        const QDate d = fmt::parseDate(s, today);
        if (!d.isValid())
            return refuse(QStringLiteral("日付ではありません (例: 2026/3/31): %1").arg(typed));
        return QVariant(d);
    }
    case Kind::Code:
    case Kind::Text:
        // A line break would break the fixed-width lines of the windows' lists.
        if (hasControlCharacter(s))
            return refuse(QStringLiteral("改行やタブなどの制御文字は使えません"));
        return textValue(field.kind == Kind::Code ? fmt::normalizeCode(s) : s);
    }
    return refuse(QStringLiteral("不明な列です"));
}

QString displayAccountValue(const AccountField &field, const QVariant &value)
{
    switch (field.kind) {
    case Kind::Date:
        return fmt::ymd(value.toDate());
    case Kind::Amount:
        return fmt::amount(value.toLongLong());
    case Kind::Kozano:
    case Kind::Term:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

QList<AccountRecord> readAccounts(Database &db)
{
    Recordset rs = db.openRecordset(QStringLiteral("select id,%1 from %2 order by kozano").arg(columnList(), kTable));
    QList<AccountRecord> accounts;
    accounts.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        accounts << accountOf(rs);
    return accounts;
}

std::optional<AccountRecord> accountRecord(Database &db, qint64 kozano)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select id,%1 from %2 where kozano=?").arg(columnList(), kTable), {kozano});
    if (rs.eof())
        return std::nullopt;
    return accountOf(rs);
}

int billsUsingAccount(Database &db, const AccountRecord &account)
{
    return db
        .scalar(QStringLiteral("select count(*) from D_手形 where (処理=1 and kozano=?) or 予約口座id=?"),
                {account.kozano(), account.id})
        .toInt();
}

qint64 addAccount(Database &db, const AccountValues &values)
{
    const qint64 kozano = requiredKozano(values);
    Transaction t(db);
    checkKozanoFree(db, kozano);
    const qint64 id = insertAccount(db, values);
    t.commit();
    return id;
}

void updateAccount(Database &db, qint64 kozano, const AccountValues &changes)
{
    if (changes.isEmpty())
        return;
    Transaction t(db);
    const AccountRecord account = existingAccount(db, kozano);
    if (changes.contains(QStringLiteral("kozano"))) {
        const qint64 renumbered = requiredKozano(changes);
        if (renumbered != kozano) {
            checkKozanoFree(db, renumbered);
            // Issued bills find their account by kozano; a new number would orphan them.
            if (const int n = billsIssuedOn(db, kozano))
                throw DbError(
                    QStringLiteral("kozano %1 の口座で振り出した手形が %2 件あるため、kozano は変えられません")
                        .arg(kozano)
                        .arg(n));
        }
    }
    QStringList sets;
    QVariantList bound;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const AccountField *f = findAccountField(it.key());
        if (!f || f->column != it.key())
            throw DbError(QStringLiteral("口座データに列「%1」はありません").arg(it.key()));
        sets << f->column + QStringLiteral("=?");
        bound << it.value();
    }
    bound << account.id;
    db.execute(QStringLiteral("update %1 set %2 where id=?").arg(kTable, sets.join(u',')), bound);
    t.commit();
}

void removeAccount(Database &db, qint64 kozano)
{
    Transaction t(db);
    const AccountRecord account = existingAccount(db, kozano);
    if (const int n = billsUsingAccount(db, account))
        throw DbError(
            QStringLiteral("kozano %1 の口座は %2 件の手形が使っているため、削除できません").arg(kozano).arg(n));
    db.execute(QStringLiteral("delete from %1 where id=?").arg(kTable), {account.id});
    t.commit();
}

QList<CsvRecord> readCsv(const QByteArray &bytes)
{
    if (const int bad = firstLineNotUtf8(bytes))
        throw DbError(
            lineError(bad, QStringLiteral("UTF-8 の文字ではありません。ファイルを UTF-8 で保存し直してください "
                                          "(Shift_JIS のままでは読めません)")));
    QString s = QString::fromUtf8(bytes);
    if (s.startsWith(QChar(0xFEFF)))
        s.remove(0, 1);

    QList<CsvRecord> records;
    QStringList fields;
    QString field;
    bool inQuotes = false;
    bool closedQuote = false; // the field was quoted and its quote is closed
    int line = 1;
    int recordLine = 1;

    const auto endField = [&] {
        fields << field;
        field.clear();
        closedQuote = false;
    };
    const auto endRecord = [&] {
        endField();
        bool blank = true;
        for (const QString &f : std::as_const(fields))
            blank = blank && f.trimmed().isEmpty();
        if (!blank)
            records << CsvRecord{recordLine, fields};
        fields.clear();
    };

    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        const bool crlf = c == u'\r' && i + 1 < s.size() && s.at(i + 1) == u'\n';
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < s.size() && s.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    inQuotes = false;
                    closedQuote = true;
                }
            } else if (crlf) {
                continue; // the line break inside the field is kept as one '\n'
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
        } else if (c == u',') {
            endField();
        } else if (crlf) {
            continue;
        } else if (c == u'\n' || c == u'\r') {
            endRecord();
            ++line;
            recordLine = line;
        } else if (c == u'"') {
            if (closedQuote || !field.trimmed().isEmpty())
                throw DbError(
                    lineError(line, QStringLiteral("項目の途中に引用符 (\") があります。引用符を含む項目は全体を "
                                                   "\"…\" で囲み、中の \" は \"\" と書いてください")));
            field.clear();
            inQuotes = true;
        } else if (closedQuote) {
            if (!c.isSpace())
                throw DbError(lineError(line, QStringLiteral("閉じた引用符 (\") の後に文字があります")));
        } else {
            field += c;
        }
    }
    if (inQuotes)
        throw DbError(lineError(recordLine, QStringLiteral("引用符 (\") が閉じていません")));
    if (!field.isEmpty() || !fields.isEmpty() || closedQuote)
        endRecord();
    return records;
}

QByteArray accountsCsv(const QList<AccountRecord> &accounts)
{
    const auto quoted = [](const QString &field) {
        if (!field.contains(u',') && !field.contains(u'"') && field.trimmed() == field)
            return field;
        return u'"' + QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
    };
    QStringList lines;
    QStringList header;
    for (const AccountField &f : accountFields())
        header << f.column;
    lines << header.join(u',');
    for (const AccountRecord &a : accounts) {
        QStringList fields;
        for (const AccountField &f : accountFields()) {
            const QVariant v = a.values.value(f.column);
            // Plain digits for amounts: "1,000" would need quoting in every spreadsheet.
            fields << quoted(f.kind == Kind::Amount ? QString::number(v.toLongLong()) : displayAccountValue(f, v));
        }
        lines << fields.join(u',');
    }
    return (lines.join(u'\n') + u'\n').toUtf8();
}

int importAccounts(Database &db, const QByteArray &csv, const QDate &today)
{
    const QList<CsvRecord> records = readCsv(csv);
    if (records.isEmpty())
        throw DbError(QStringLiteral("ファイルが空です。1 行目に列名 (kozano, 口座名義, …) を書いてください"));

    const CsvRecord &header = records.first();
    QList<const AccountField *> columns;
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields.at(i).trimmed();
        if (name.isEmpty())
            throw DbError(lineError(header.line, QStringLiteral("%1 列目の列名が空です").arg(i + 1)));
        const AccountField *f = findAccountField(name);
        if (!f)
            throw DbError(lineError(
                header.line, QStringLiteral("不明な列名です: %1\n使える列名: %2").arg(name, knownColumnNames())));
        if (columns.contains(f))
            throw DbError(lineError(header.line, QStringLiteral("列名 %1 が 2 回あります").arg(f->column)));
        columns << f;
    }
    if (!columns.contains(findAccountField(QStringLiteral("kozano"))))
        throw DbError(lineError(header.line, QStringLiteral("kozano の列がありません")));
    if (records.size() == 1)
        throw DbError(QStringLiteral("取り込む口座の行がありません (見出しの行だけです)"));

    Transaction t(db);
    QHash<qint64, int> lineOfKozano;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvRecord &row = records.at(r);
        if (row.fields.size() != columns.size())
            throw DbError(lineError(row.line, QStringLiteral("項目の数 (%1) が見出しの列の数 (%2) と違います")
                                                  .arg(row.fields.size())
                                                  .arg(columns.size())));
        AccountValues values;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            QString why;
            const std::optional<QVariant> v = parseAccountValue(*columns.at(c), row.fields.at(c), today, &why);
            if (!v)
                throw DbError(lineError(row.line, columns.at(c)->column + QStringLiteral(": ") + why));
            values.insert(columns.at(c)->column, *v);
        }
        const qint64 kozano = values.value(QStringLiteral("kozano")).toLongLong();
        if (lineOfKozano.contains(kozano))
            throw DbError(lineError(row.line, QStringLiteral("kozano %1 はこのファイルの %2 行目にもあります")
                                                  .arg(kozano)
                                                  .arg(lineOfKozano.value(kozano))));
        lineOfKozano.insert(kozano, row.line);
        try {
            checkKozanoFree(db, kozano);
            insertAccount(db, values);
        } catch (const DbError &e) {
            throw DbError(lineError(row.line, e.description()));
        }
    }
    t.commit();
    return int(records.size() - 1);
}

} // namespace sorvane::book
