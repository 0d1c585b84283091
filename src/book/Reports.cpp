#include "book/Reports.h"

#include "data/Engine.h"
#include "data/Schema.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace sorvane::book {

namespace {

const QString kPromissoryNote = QStringLiteral("約手");

QString joinPlace(const QString &bank, const QString &branch)
{
    if (bank.isEmpty() || branch.isEmpty())
        return bank + branch;
    return bank + u' ' + branch;
}

void checkPeriod(const QDate &from, const QDate &to)
{
    const QString problem = periodProblem(from, to);
    if (!problem.isEmpty())
        throw DbError(problem);
}

// The endorsers of the received bills booked in the period, in the order
// they stand on the bill: one query for all of them.
QHash<qint64, QStringList> endorsersOf(Database &db, const QDate &from, const QDate &to)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select e.手形id, e.裏書人 from 裏書人 e join D_手形 d on d.id = e.手形id "
                       "where d.処理 in (0, 2) and d.日付 between ? and ? and trim(coalesce(e.裏書人, '')) <> '' "
                       "order by e.手形id, e.表示順, e.id"),
        {from, to});
    QHash<qint64, QStringList> out;
    for (; !rs.eof(); rs.moveNext())
        out[rs.number(QStringLiteral("手形id"))] << rs.text(QStringLiteral("裏書人")).trimmed();
    return out;
}

} // namespace

QString periodProblem(const QDate &from, const QDate &to)
{
    if (!from.isValid() || !to.isValid())
        return QStringLiteral("期間の日付を正しく入力してください");
    if (from > to)
        return QStringLiteral("期間の始めが終わりより後になっています");
    return {};
}

QList<LedgerRow> readLedger(Database &db, Side side, const QDate &from, const QDate &to)
{
    checkPeriod(from, to);
    // 摘要 names the counter account, as the journal books the same bill.
    QString counterAccount = side == Side::Receivable ? QStringLiteral("売掛金") : QStringLiteral("買掛金");
    for (const JournalAccount &a : journalAccounts(db))
        if (a.role == counterAccount) {
            counterAccount = a.account;
            break;
        }
    QList<LedgerRow> rows;
    if (side == Side::Receivable) {
        const QHash<qint64, QStringList> endorsers = endorsersOf(db, from, to);
        Recordset rs = db.openRecordset(
            QStringLiteral("select id, 日付, 手形番号, 取引先, 振出人, 振出日, 手形期日, 支払場所, 支払場所支店, 金額, "
                           "処理, 状態, 譲渡先, 予約日, 終了フラグ from D_手形 "
                           "where 処理 in (0, 2) and 日付 between ? and ? order by 日付, id"),
            {from, to});
        rows.reserve(rs.rowCount());
        for (; !rs.eof(); rs.moveNext()) {
            LedgerRow r;
            r.id = rs.number(QStringLiteral("id"));
            r.date = rs.date(QStringLiteral("日付"));
            r.kind = kPromissoryNote;
            r.number = rs.text(QStringLiteral("手形番号"));
            r.summary = counterAccount;
            // The drawer of a promissory note pays it; a bill without one
            // was drawn by the customer it came from.
            const QString customer = rs.text(QStringLiteral("取引先")).trimmed();
            const QString drawer = rs.text(QStringLiteral("振出人")).trimmed();
            r.party = drawer.isEmpty() ? customer : drawer;
            // We had it from the last endorser, or straight from the drawer.
            const QStringList names = endorsers.value(r.id);
            r.drawer = names.isEmpty() ? r.party : names.last();
            r.issued = rs.date(QStringLiteral("振出日"));
            r.due = rs.date(QStringLiteral("手形期日"));
            r.place = joinPlace(rs.text(QStringLiteral("支払場所")), rs.text(QStringLiteral("支払場所支店")));
            r.amount = rs.number(QStringLiteral("金額"));
            if (rs.number(QStringLiteral("処理")) == 2) {
                r.outcomeDate = rs.date(QStringLiteral("予約日"));
                r.outcome = QStringLiteral("譲渡 %1").arg(rs.text(QStringLiteral("譲渡先"))).trimmed();
            } else if (rs.number(QStringLiteral("状態")) == 2) {
                r.outcome = QStringLiteral("不渡");
            } else if (rs.number(QStringLiteral("終了フラグ")) != 0) {
                r.outcomeDate = r.due;
                r.outcome = QStringLiteral("決済");
            }
            rows << r;
        }
        return rows;
    }

    // The account a bill is drawn on names its bank when the bill itself does not.
    Recordset rs = db.openRecordset(
        QStringLiteral("select d.id, d.日付, d.手形番号, d.取引先, d.振出日, d.手形期日, d.支払場所, d.支払場所支店, "
                       "d.金額, d.終了フラグ, "
                       "coalesce(a.銀行名, k.銀行名) as 口座銀行, coalesce(a.支店名, k.支店名) as 口座支店 "
                       "from D_手形 d "
                       "left join 口座データ a on a.id = d.予約口座id "
                       "left join 口座データ k on k.kozano = d.kozano "
                       "where d.処理 = 1 and d.日付 between ? and ? "
                       "order by d.日付, d.id"),
        {from, to});
    rows.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext()) {
        LedgerRow r;
        r.id = rs.number(QStringLiteral("id"));
        r.date = rs.date(QStringLiteral("日付"));
        r.kind = kPromissoryNote;
        r.number = rs.text(QStringLiteral("手形番号"));
        r.summary = counterAccount;
        r.party = rs.text(QStringLiteral("取引先")).trimmed();
        r.drawer = QStringLiteral("自社");
        r.issued = rs.date(QStringLiteral("振出日"));
        r.due = rs.date(QStringLiteral("手形期日"));
        r.place = joinPlace(rs.text(QStringLiteral("支払場所")), rs.text(QStringLiteral("支払場所支店")));
        if (r.place.isEmpty())
            r.place = joinPlace(rs.text(QStringLiteral("口座銀行")), rs.text(QStringLiteral("口座支店")));
        r.amount = rs.number(QStringLiteral("金額"));
        if (rs.number(QStringLiteral("終了フラグ")) != 0) {
            r.outcomeDate = r.due;
            r.outcome = QStringLiteral("決済");
        }
        rows << r;
    }
    return rows;
}

namespace {

// The numbers of the customers by their registered name, for drawers that
// are customers themselves; a name two customers share with different
// numbers says nothing.
QHash<QString, QString> customerNumbersByName(Database &db)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select tn, 登録番号 from T0 where coalesce(登録番号, '') <> '' order by tc"));
    QHash<QString, QString> out;
    QSet<QString> ambiguous;
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.text(QStringLiteral("tn")).trimmed();
        const QString number = rs.text(QStringLiteral("登録番号")).trimmed();
        if (name.isEmpty())
            continue;
        if (out.contains(name) && out.value(name) != number)
            ambiguous.insert(name);
        out.insert(name, number);
    }
    for (const QString &name : ambiguous)
        out.remove(name);
    return out;
}

} // namespace

QList<StatementBill> statementBills(Database &db, Side side, const QDate &asOf)
{
    if (!asOf.isValid())
        throw DbError(QStringLiteral("基準日を正しく入力してください"));
    QList<StatementBill> bills;
    if (side == Side::Receivable) {
        const QHash<QString, QString> byName = customerNumbersByName(db);
        Recordset rs = db.openRecordset(
            QStringLiteral("select d.id, d.処理, d.取引先, d.振出人, d.振出日, d.手形期日, d.支払場所, d.支払場所支店, "
                           "d.金額, d.譲渡先, d.予約日, c.tn as 得意先名, c.登録番号 as 得意先番号 "
                           "from D_手形 d left join T0 c on c.tc = d.取引先コード "
                           "where d.処理 in (0, 2) and d.状態 in (0, -2) and d.終了フラグ = 0 "
                           "and (d.日付 is null or d.日付 <= ?) and (d.手形期日 is null or d.手形期日 >= ?) "
                           "order by coalesce(nullif(trim(d.振出人), ''), d.取引先), d.手形期日, d.id"),
            {asOf, asOf});
        for (; !rs.eof(); rs.moveNext()) {
            StatementBill b;
            b.id = rs.number(QStringLiteral("id"));
            const QString customer = rs.text(QStringLiteral("取引先")).trimmed();
            b.party = rs.text(QStringLiteral("振出人")).trimmed();
            const bool drawnByCustomer =
                b.party.isEmpty() || b.party == customer || b.party == rs.text(QStringLiteral("得意先名")).trimmed();
            if (b.party.isEmpty())
                b.party = customer;
            b.number = drawnByCustomer ? rs.text(QStringLiteral("得意先番号")).trimmed() : byName.value(b.party);
            b.issued = rs.date(QStringLiteral("振出日"));
            b.due = rs.date(QStringLiteral("手形期日"));
            b.bank = rs.text(QStringLiteral("支払場所")).trimmed();
            b.branch = rs.text(QStringLiteral("支払場所支店")).trimmed();
            b.amount = rs.number(QStringLiteral("金額"));
            const QDate handedOn = rs.date(QStringLiteral("予約日"));
            if (rs.number(QStringLiteral("処理")) == 2 && (!handedOn.isValid() || handedOn <= asOf)) {
                b.handedOn = true;
                b.receiver = rs.text(QStringLiteral("譲渡先")).trimmed();
            }
            bills << b;
        }
        return bills;
    }
    Recordset rs = db.openRecordset(
        QStringLiteral("select d.id, d.取引先, d.振出日, d.手形期日, d.支払場所, d.支払場所支店, d.金額, "
                       "coalesce(a.銀行名, k.銀行名) as 口座銀行, coalesce(a.支店名, k.支店名) as 口座支店, "
                       "s.登録番号 as 仕入先番号 "
                       "from D_手形 d "
                       "left join 口座データ a on a.id = d.予約口座id "
                       "left join 口座データ k on k.kozano = d.kozano "
                       "left join S0 s on s.sc = d.取引先コード "
                       "where d.処理 = 1 and d.終了フラグ = 0 and (d.日付 is null or d.日付 <= ?) "
                       "and (d.手形期日 is null or d.手形期日 >= ?) order by d.取引先, d.手形期日, d.id"),
        {asOf, asOf});
    for (; !rs.eof(); rs.moveNext()) {
        StatementBill b;
        b.id = rs.number(QStringLiteral("id"));
        b.party = rs.text(QStringLiteral("取引先")).trimmed();
        b.number = rs.text(QStringLiteral("仕入先番号")).trimmed();
        b.issued = rs.date(QStringLiteral("振出日"));
        b.due = rs.date(QStringLiteral("手形期日"));
        b.bank = rs.text(QStringLiteral("支払場所")).trimmed();
        b.branch = rs.text(QStringLiteral("支払場所支店")).trimmed();
        if (b.bank.isEmpty() && b.branch.isEmpty()) {
            b.bank = rs.text(QStringLiteral("口座銀行")).trimmed();
            b.branch = rs.text(QStringLiteral("口座支店")).trimmed();
        }
        b.amount = rs.number(QStringLiteral("金額"));
        bills << b;
    }
    return bills;
}

QList<StatementLine> statementLines(const QList<StatementBill> &bills)
{
    QList<StatementLine> lines;
    if (bills.isEmpty())
        return lines;

    // The parties in the order their bills came, with what they hold together.
    QStringList parties;
    QHash<QString, qint64> partyTotal;
    for (const StatementBill &b : bills) {
        if (!partyTotal.contains(b.party))
            parties << b.party;
        partyTotal[b.party] += b.amount;
    }
    QStringList largest = parties;
    std::stable_sort(largest.begin(), largest.end(),
                     [&](const QString &a, const QString &b) { return partyTotal.value(a) > partyTotal.value(b); });
    QSet<QString> listed;
    for (const QString &p : largest)
        if (partyTotal.value(p) >= kStatementSingleAmount)
            listed.insert(p);
    for (const QString &p : largest) {
        if (listed.size() >= kStatementMinParties)
            break;
        listed.insert(p);
    }

    QList<int> rest;
    std::vector<bool> inRest(size_t(bills.size()), false);
    for (int k = 0; k < bills.size(); ++k)
        if (!listed.contains(bills[k].party) && !bills[k].handedOn)
            rest << k;
    // A line "その他 1 件" would only hide the bill.
    if (rest.size() > 1)
        for (int k : rest)
            inRest[size_t(k)] = true;
    else
        rest.clear();

    qint64 total = 0;
    for (int k = 0; k < bills.size(); ++k) {
        const StatementBill &b = bills[k];
        total += b.amount;
        if (inRest[size_t(k)])
            continue;
        StatementLine l;
        l.party = b.party;
        l.number = b.number;
        l.issued = b.issued;
        l.due = b.due;
        l.bank = b.bank;
        l.branch = b.branch;
        l.amount = b.amount;
        l.receiver = b.receiver;
        lines << l;
    }
    if (!rest.isEmpty()) {
        StatementLine l;
        l.kind = StatementLine::Kind::Sum;
        l.count = int(rest.size());
        l.party = QStringLiteral("その他");
        for (int k : rest)
            l.amount += bills[k].amount;
        l.note = QStringLiteral("%1件").arg(l.count);
        lines << l;
    }
    StatementLine t;
    t.kind = StatementLine::Kind::Total;
    t.count = int(bills.size());
    t.amount = total;
    lines << t;
    return lines;
}

QList<JournalAccount> journalAccounts(Database &db)
{
    QList<JournalAccount> out;
    for (const QString &role : schema::journalRoles())
        out << JournalAccount{role, role, QString()};
    Recordset rs = db.openRecordset(QStringLiteral("select 用途, 勘定科目, 補助科目 from 仕訳科目"));
    for (; !rs.eof(); rs.moveNext()) {
        for (JournalAccount &a : out) {
            if (a.role.compare(rs.text(QStringLiteral("用途")), Qt::CaseInsensitive) != 0)
                continue;
            // An emptied name would book to no account at all: keep the role's own.
            const QString account = rs.text(QStringLiteral("勘定科目")).trimmed();
            if (!account.isEmpty())
                a.account = account;
            a.sub = rs.text(QStringLiteral("補助科目")).trimmed();
        }
    }
    return out;
}

void setJournalAccount(Database &db, const QString &role, const QString &account, const QString &sub)
{
    if (!schema::journalRoles().contains(role))
        throw DbError(QStringLiteral("仕訳の科目の用途が違います: %1 (%2 のどれかです)")
                          .arg(role, schema::journalRoles().join(QStringLiteral("、"))));
    if (account.trimmed().isEmpty())
        throw DbError(QStringLiteral("勘定科目を入力してください"));
    db.execute(
        QStringLiteral("insert into 仕訳科目 (用途, 勘定科目, 補助科目) values (?, ?, ?) "
                       "on conflict(用途) do update set 勘定科目 = excluded.勘定科目, 補助科目 = excluded.補助科目"),
        // An empty sub-account is an empty text, never NULL (the column takes none).
        {role, account.trimmed(), sub.isNull() ? QStringLiteral("") : sub.trimmed()});
}

QList<JournalEntry> journalEntries(Database &db, const QDate &from, const QDate &to)
{
    checkPeriod(from, to);
    QHash<QString, JournalAccount> accounts;
    for (const JournalAccount &a : journalAccounts(db))
        accounts.insert(a.role, a);

    Recordset rs = db.openRecordset(
        QStringLiteral("select 0 as 種類, 日付 as 記帳日, id, 手形番号, 取引先 as 相手, 金額, 手形期日 from D_手形 "
                       "where 処理 in (0, 2) and 日付 between ? and ? "
                       "union all "
                       "select 1, 日付, id, 手形番号, 取引先, 金額, 手形期日 from D_手形 "
                       "where 処理 = 1 and 日付 between ? and ? "
                       "union all "
                       "select 2, 予約日, id, 手形番号, 譲渡先, 金額, 手形期日 from D_手形 "
                       "where 処理 = 2 and 予約日 between ? and ? "
                       "order by 記帳日, 種類, id"),
        {from, to, from, to, from, to});
    struct Kind {
        Booking booking;
        const char16_t *debit;
        const char16_t *credit;
        const char16_t *words;
    };
    static const Kind kinds[] = {{Booking::Receipt, u"受取手形", u"売掛金", u"手形受取"},
                                 {Booking::Issue, u"買掛金", u"支払手形", u"手形振出"},
                                 {Booking::HandOn, u"買掛金", u"受取手形", u"手形譲渡"}};
    QList<JournalEntry> out;
    out.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext()) {
        const Kind &k = kinds[rs.number(QStringLiteral("種類"))];
        const JournalAccount debit = accounts.value(QString::fromUtf16(k.debit));
        const JournalAccount credit = accounts.value(QString::fromUtf16(k.credit));
        JournalEntry e;
        e.slip = int(out.size()) + 1;
        e.date = rs.date(QStringLiteral("記帳日"));
        e.booking = k.booking;
        e.debit = debit.account;
        e.debitSub = debit.sub;
        e.credit = credit.account;
        e.creditSub = credit.sub;
        e.amount = rs.number(QStringLiteral("金額"));
        e.number = rs.text(QStringLiteral("手形番号"));
        e.due = rs.date(QStringLiteral("手形期日"));
        e.party = rs.text(QStringLiteral("相手")).trimmed();
        e.billId = rs.number(QStringLiteral("id"));
        QStringList words{QString::fromUtf16(k.words)};
        if (!e.party.isEmpty())
            words << e.party;
        if (!e.number.isEmpty())
            words << QStringLiteral("No.") + e.number;
        e.summary = words.join(u' ');
        out << e;
    }
    return out;
}

} // namespace sorvane::book
