#include "book/Reports.h"

#include "book/History.h"
#include "data/Engine.h"
#include "data/Schema.h"

#include <QHash>
#include <QMap>
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

// What became of a bill, as its history tells it: the latest discount,
// hand-on, dishonour or settlement that no 取消 took back, with its date.
// A settlement of a discounted or handed-on bill leaves the discount or
// the hand-on as what became of it.
struct Outcome {
    bool fromHistory = false; // the history holds such an event (taken back or not)
    QString text;
    QDate date;
};

QHash<qint64, Outcome> outcomesOf(Database &db, const QString &billsSql, const QVariantList &values)
{
    QHash<qint64, Outcome> out;
    QHash<qint64, QList<Outcome>> stacks;
    db.forEachRow(
        QStringLiteral("select 手形id, 種別, 処理日, 相手先, 事由 from 手形履歴 where 種別 in ('譲渡', '譲渡取消', "
                       "'割引', '割引取消', '決済', '決済取消', '不渡', '不渡取消') and 手形id in (%1) "
                       "order by 手形id, id")
            .arg(billsSql),
        values, [&](const RowView &r) {
            const qint64 id = r.number(0);
            const QString kind = r.text(1);
            QList<Outcome> &stack = stacks[id];
            out[id].fromHistory = true;
            Outcome o;
            o.fromHistory = true;
            o.date = r.date(2);
            // A recovery ends a dishonour without taking it back.
            if (kind == u"不渡取消" && r.text(4) == u"回収") {
                if (!stack.isEmpty())
                    stack.append(stack.last());
                return;
            }
            if (kind.endsWith(QStringLiteral("取消"))) {
                if (!stack.isEmpty())
                    stack.removeLast();
                return;
            }
            if (kind == u"決済" && !stack.isEmpty()) {
                stack.append(stack.last());
                return;
            }
            o.text = kind == u"譲渡" || kind == u"割引" ? (kind + u' ' + r.text(3).trimmed()).trimmed() : kind;
            stack.append(o);
        });
    for (auto it = stacks.cbegin(); it != stacks.cend(); ++it)
        if (!it->isEmpty())
            out[it.key()] = it->last();
    return out;
}

// A bill's state on a date, as its history tells it: the state the last
// event on or before the date left it in, with the bank or supplier of the
// discount or hand-on that put it there.
struct StateOn {
    QString state;
    QString receiver;
    // Handed on without the guarantee (an electronic claim may be): the
    // company no longer answers for it.
    bool unguaranteed = false;
    bool dishonourRecorded = false; // a dishonour is in its history at all
    bool finishRecorded = false;    // a settlement or a recovery is
};

QHash<qint64, StateOn> statesOn(Database &db, const QDate &asOf, const QString &billsSql, const QVariantList &values)
{
    QHash<qint64, StateOn> out;
    QSet<qint64> dishonoured;
    QSet<qint64> finished;
    db.forEachRow(QStringLiteral("select 手形id, 種別, 処理日, 後状態, 相手先, 事由 from 手形履歴 where 手形id in (%1) "
                                 "order by 手形id, 処理日, id")
                      .arg(billsSql),
                  values, [&](const RowView &r) {
                      const qint64 id = r.number(0);
                      const QString kind = r.text(1);
                      if (kind == u"不渡")
                          dishonoured.insert(id);
                      if (kind == u"決済" || (kind == u"不渡取消" && r.text(3) == u"回収済"))
                          finished.insert(id);
                      const QDate on = r.date(2);
                      if (!on.isValid() || on > asOf)
                          return;
                      StateOn &s = out[id];
                      s.state = r.text(3);
                      s.unguaranteed = kind == u"譲渡" && r.text(5) == u"保証なし";
                      // The bank or supplier holds it while discounted or handed on.
                      const bool heldByOthers = s.state == u"割引" || s.state == u"譲渡";
                      if (!heldByOthers)
                          s.receiver.clear();
                      else if (!r.text(4).trimmed().isEmpty())
                          s.receiver = r.text(4).trimmed();
                  });
    for (const qint64 id : std::as_const(dishonoured))
        if (out.contains(id))
            out[id].dishonourRecorded = true;
    for (const qint64 id : std::as_const(finished))
        if (out.contains(id))
            out[id].finishRecorded = true;
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

QList<LedgerRow> readLedger(Database &db, Side side, const QDate &from, const QDate &to, LedgerKind kind)
{
    checkPeriod(from, to);
    // The paper ledgers hold the paper bills, the claims' ledgers the claims.
    const bool electronic = kind == LedgerKind::Electronic;
    const QString ofKind = electronic ? QStringLiteral(" and 種類 = 2") : QStringLiteral(" and 種類 < 2");
    const QString kindText = electronic ? QStringLiteral("電子") : kPromissoryNote;
    // 摘要 names the counter account, as the journal books the same bill.
    QString counterAccount = side == Side::Receivable ? QStringLiteral("売掛金") : QStringLiteral("買掛金");
    for (const JournalAccount &a : journalAccounts(db))
        if (a.role == counterAccount) {
            counterAccount = a.account;
            break;
        }
    QList<LedgerRow> rows;
    const QHash<qint64, Outcome> outcomes =
        outcomesOf(db,
                   (side == Side::Receivable
                        ? QStringLiteral("select id from D_手形 where 処理 in (0, 2) and 日付 between ? and ?")
                        : QStringLiteral("select id from D_手形 where 処理 = 1 and 日付 between ? and ?")) +
                       ofKind,
                   {from, to});
    if (side == Side::Receivable) {
        const QHash<qint64, QStringList> endorsers = endorsersOf(db, from, to);
        Recordset rs = db.openRecordset(
            QStringLiteral("select id, 日付, 手形番号, 取引先, 振出人, 振出日, 手形期日, 支払場所, 支払場所支店, 金額, "
                           "処理, 状態, 譲渡先, 予約日, 終了フラグ from D_手形 "
                           "where 処理 in (0, 2) and 日付 between ? and ?%1 order by 日付, id")
                .arg(ofKind),
            {from, to});
        rows.reserve(rs.rowCount());
        for (; !rs.eof(); rs.moveNext()) {
            LedgerRow r;
            r.id = rs.number(QStringLiteral("id"));
            r.date = rs.date(QStringLiteral("日付"));
            r.kind = kindText;
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
            if (const Outcome o = outcomes.value(r.id); o.fromHistory) {
                r.outcome = o.text;
                r.outcomeDate = o.text.isEmpty() ? QDate() : o.date;
            } else if (rs.number(QStringLiteral("処理")) == 2) {
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
                       "where d.処理 = 1 and d.日付 between ? and ? and d.種類 %1 "
                       "order by d.日付, d.id")
            .arg(electronic ? QStringLiteral("= 2") : QStringLiteral("< 2")),
        {from, to});
    rows.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext()) {
        LedgerRow r;
        r.id = rs.number(QStringLiteral("id"));
        r.date = rs.date(QStringLiteral("日付"));
        r.kind = kindText;
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
        if (const Outcome o = outcomes.value(r.id); o.fromHistory) {
            r.outcome = o.text;
            r.outcomeDate = o.text.isEmpty() ? QDate() : o.date;
        } else if (rs.number(QStringLiteral("終了フラグ")) != 0) {
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
        // What each bill was on the date comes from its history: a bill
        // settled or dishonoured since was still running then, one
        // discounted or handed on since was still in hand.
        const QString running = QStringLiteral("d.処理 in (0, 2) and (d.日付 is null or d.日付 <= ?) "
                                               "and (d.手形期日 is null or d.手形期日 >= ?)");
        const QHash<qint64, StateOn> states =
            statesOn(db, asOf, QStringLiteral("select d.id from D_手形 d where ") + running, {asOf, asOf});
        // A claim split after the date was whole on it: what was split off
        // counts with the claim, and the parts, recorded on the split's day,
        // did not exist yet.
        QHash<qint64, qint64> splitOffSince;
        db.forEachRow(QStringLiteral("select 手形id, 金額 from 手形履歴 where 種別 = '分割' and 処理日 > ? "
                                     "and coalesce(前状態, '') <> ''"),
                      {asOf}, [&](const RowView &r) { splitOffSince[r.number(0)] += r.number(1); });
        Recordset rs = db.openRecordset(
            QStringLiteral(
                "select d.id, d.処理, d.状態, d.終了フラグ, d.取引先, d.振出人, d.振出日, d.手形期日, d.種類, "
                "d.親記録番号, d.電子記録日, "
                "d.支払場所, d.支払場所支店, d.金額, d.譲渡先, d.予約日, c.tn as 得意先名, "
                "c.登録番号 as 得意先番号 "
                "from D_手形 d left join T0 c on c.tc = d.取引先コード where %1 "
                "order by coalesce(nullif(trim(d.振出人), ''), d.取引先), d.手形期日, d.id")
                .arg(running),
            {asOf, asOf});
        for (; !rs.eof(); rs.moveNext()) {
            const qint64 id = rs.number(QStringLiteral("id"));
            if (rs.number(QStringLiteral("種類")) == 2 && !rs.text(QStringLiteral("親記録番号")).trimmed().isEmpty() &&
                rs.date(QStringLiteral("電子記録日")) > asOf)
                continue;
            bool handedOn = false;
            QString receiver;
            if (states.contains(id)) {
                const StateOn &on = states.value(id);
                // A row dishonoured or finished without that step in its
                // history was marked so before the history was kept: its
                // day is unknown, and the row is taken at its word.
                const bool untold = (rs.number(QStringLiteral("状態")) == 2 && !on.dishonourRecorded) ||
                                    (rs.number(QStringLiteral("終了フラグ")) != 0 && !on.finishRecorded);
                if (untold || (on.state != u"手元" && on.state != u"割引" && on.state != u"譲渡") || on.unguaranteed)
                    continue;
                handedOn = on.state != u"手元";
                receiver = on.receiver;
            } else {
                // A bill put into the table without history: its columns say it all.
                const int state = int(rs.number(QStringLiteral("状態")));
                if ((state != 0 && state != -2) || rs.number(QStringLiteral("終了フラグ")) != 0)
                    continue;
                const QDate handedOnDay = rs.date(QStringLiteral("予約日"));
                if (rs.number(QStringLiteral("処理")) == 2 && (!handedOnDay.isValid() || handedOnDay <= asOf)) {
                    handedOn = true;
                    receiver = rs.text(QStringLiteral("譲渡先")).trimmed();
                }
            }
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
            b.amount = rs.number(QStringLiteral("金額")) + splitOffSince.value(id);
            b.handedOn = handedOn;
            b.receiver = receiver;
            b.electronic = rs.number(QStringLiteral("種類")) == 2;
            bills << b;
        }
        return bills;
    }
    const QString running = QStringLiteral("d.処理 = 1 and (d.日付 is null or d.日付 <= ?) "
                                           "and (d.手形期日 is null or d.手形期日 >= ?)");
    const QHash<qint64, StateOn> states =
        statesOn(db, asOf, QStringLiteral("select d.id from D_手形 d where ") + running, {asOf, asOf});
    Recordset rs = db.openRecordset(
        QStringLiteral(
            "select d.id, d.終了フラグ, d.取引先, d.振出日, d.手形期日, d.支払場所, d.支払場所支店, d.金額, d.種類, "
            "coalesce(a.銀行名, k.銀行名) as 口座銀行, coalesce(a.支店名, k.支店名) as 口座支店, "
            "s.登録番号 as 仕入先番号 "
            "from D_手形 d "
            "left join 口座データ a on a.id = d.予約口座id "
            "left join 口座データ k on k.kozano = d.kozano "
            "left join S0 s on s.sc = d.取引先コード "
            "where %1 order by d.取引先, d.手形期日, d.id")
            .arg(running),
        {asOf, asOf});
    for (; !rs.eof(); rs.moveNext()) {
        // Settled after the date, a bill was still to be paid on it.
        const qint64 id = rs.number(QStringLiteral("id"));
        const bool finishedRow = rs.number(QStringLiteral("終了フラグ")) != 0;
        if (states.contains(id) ? states.value(id).state != u"振出" || (finishedRow && !states.value(id).finishRecorded)
                                : finishedRow)
            continue;
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
        b.electronic = rs.number(QStringLiteral("種類")) == 2;
        b.payable = true;
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
        if (!listed.contains(bills[k].party) && !bills[k].handedOn && !bills[k].electronic)
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
        // The tax office's rule: a claim is listed with the bills, marked in 摘要.
        if (b.electronic)
            l.note = b.payable ? QStringLiteral("電子記録債務") : QStringLiteral("電子記録債権");
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

namespace {

// One side of an entry: the role of the account (its row of 仕訳科目).
struct Posting {
    const char16_t *debit;
    const char16_t *credit;
    qint64 amount;
    const char16_t *words;
};

// The roles a bill sits under in each state.
const char16_t *accountOfState(const QString &state)
{
    if (state == u"不渡")
        return u"不渡手形";
    if (state == u"振出")
        return u"支払手形";
    return u"受取手形";
}

// The money moved by a bill leaving a state by settlement or dishonour,
// and what taking that back moves: one table of who pays whom.
QList<Posting> postingsOf(const BillEvent &e)
{
    const qint64 a = e.金額;
    const QString &k = e.kind;
    if (k == u"受取")
        return {{u"受取手形", u"売掛金", a, u"手形受取"}};
    if (k == u"振出")
        return {{u"買掛金", u"支払手形", a, u"手形振出"}};
    if (k == u"譲渡")
        return {{u"買掛金", u"受取手形", a, u"手形譲渡"}};
    if (k == u"譲渡取消")
        return {{u"受取手形", u"買掛金", a, u"手形譲渡取消"}};
    if (k == u"割引") {
        QList<Posting> p{{u"当座預金", u"受取手形", a - e.手数料, u"手形割引"}};
        if (e.手数料 > 0)
            p.append({u"手形売却損", u"受取手形", e.手数料, u"手形割引料"});
        return p;
    }
    if (k == u"割引取消") {
        // Bought back, the bill costs its whole amount; a mistaken discount
        // is undone as it was booked.
        if (e.事由 == u"買戻し")
            return {{u"受取手形", u"当座預金", a, u"割引手形買戻し"}};
        QList<Posting> p{{u"受取手形", u"当座預金", a - e.手数料, u"手形割引取消"}};
        if (e.手数料 > 0)
            p.append({u"受取手形", u"手形売却損", e.手数料, u"手形割引料取消"});
        return p;
    }
    // A discounted or handed-on bill ends without money: the discount or
    // the hand-on already took it off the books.
    if (k == u"決済") {
        if (e.前状態 == u"手元")
            return {{u"当座預金", u"受取手形", a, u"手形決済"}};
        if (e.前状態 == u"振出")
            return {{u"支払手形", u"当座預金", a, u"手形決済"}};
        return {};
    }
    if (k == u"決済取消") {
        if (e.後状態 == u"手元")
            return {{u"受取手形", u"当座預金", a, u"手形決済取消"}};
        if (e.後状態 == u"振出")
            return {{u"当座預金", u"支払手形", a, u"手形決済取消"}};
        return {};
    }
    // Dishonoured, a discounted bill is bought back from the bank and a
    // handed-on one is owed to the supplier again.
    if (k == u"不渡") {
        if (e.前状態 == u"割引")
            return {{u"不渡手形", u"当座預金", a, u"手形不渡"}};
        if (e.前状態 == u"譲渡")
            return {{u"不渡手形", u"買掛金", a, u"手形不渡"}};
        return {{u"不渡手形", u"受取手形", a, u"手形不渡"}};
    }
    if (k == u"不渡取消") {
        if (e.事由 == u"回収") {
            QList<Posting> p{{u"当座預金", u"不渡手形", e.回収額, u"不渡手形回収"}};
            if (a > e.回収額)
                p.append({u"貸倒損失", u"不渡手形", a - e.回収額, u"不渡手形貸倒"});
            return p;
        }
        if (e.後状態 == u"割引")
            return {{u"当座預金", u"不渡手形", a, u"手形不渡取消"}};
        if (e.後状態 == u"譲渡")
            return {{u"買掛金", u"不渡手形", a, u"手形不渡取消"}};
        return {{u"受取手形", u"不渡手形", a, u"手形不渡取消"}};
    }
    if (k == u"修正") {
        // Only a changed amount moves money: the difference, against the
        // account the bill sits under.
        const QMap<QString, QString> was = parseFieldLines(e.変更前);
        const QMap<QString, QString> now = parseFieldLines(e.変更後);
        if (!was.contains(QStringLiteral("金額")))
            return {};
        const qint64 d =
            now.value(QStringLiteral("金額")).toLongLong() - was.value(QStringLiteral("金額")).toLongLong();
        if (d == 0)
            return {};
        const bool issued = e.前状態 == u"振出";
        const char16_t *bill = accountOfState(e.前状態);
        const char16_t *counter = issued ? u"買掛金" : u"売掛金";
        const bool up = d > 0;
        if (issued)
            return {{up ? counter : bill, up ? bill : counter, up ? d : -d, u"手形金額修正"}};
        return {{up ? bill : counter, up ? counter : bill, up ? d : -d, u"手形金額修正"}};
    }
    if (k == u"削除") {
        // The bill leaves the account it sits under, as if never received or issued.
        if (e.前状態 == u"振出")
            return {{u"支払手形", u"買掛金", a, u"手形削除"}};
        if (e.前状態 == u"手元" || e.前状態 == u"不渡")
            return {{u"売掛金", accountOfState(e.前状態), a, u"手形削除"}};
        return {};
    }
    return {};
}

// An electronic claim books to its own accounts where a paper bill books to
// 受取手形 and 支払手形; every other account is the same.
QString roleFor(const char16_t *role, bool electronic)
{
    const QString r = QString::fromUtf16(role);
    if (!electronic)
        return r;
    if (r == u"受取手形")
        return QStringLiteral("電子記録債権");
    if (r == u"支払手形")
        return QStringLiteral("電子記録債務");
    return r;
}

QString wordsFor(const BillEvent &e, const char16_t *words, bool electronic)
{
    const QString w = QString::fromUtf16(words);
    if (!electronic)
        return w;
    if (e.kind == u"受取" || e.kind == u"振出")
        return QStringLiteral("でんさい発生");
    return QString(w).replace(QStringLiteral("手形"), QStringLiteral("でんさい"));
}

Booking bookingOf(const QString &kind)
{
    static const QHash<QString, Booking> kinds{
        {QStringLiteral("受取"), Booking::Receipt},    {QStringLiteral("振出"), Booking::Issue},
        {QStringLiteral("譲渡"), Booking::HandOn},     {QStringLiteral("譲渡取消"), Booking::HandOnCancel},
        {QStringLiteral("割引"), Booking::Discount},   {QStringLiteral("割引取消"), Booking::DiscountCancel},
        {QStringLiteral("決済"), Booking::Settlement}, {QStringLiteral("決済取消"), Booking::SettlementCancel},
        {QStringLiteral("不渡"), Booking::Dishonour},  {QStringLiteral("不渡取消"), Booking::DishonourCancel},
        {QStringLiteral("修正"), Booking::Correction}, {QStringLiteral("削除"), Booking::Deletion}};
    return kinds.value(kind, Booking::Receipt);
}

} // namespace

QList<JournalEntry> journalEntries(Database &db, const QDate &from, const QDate &to)
{
    checkPeriod(from, to);
    QHash<QString, JournalAccount> accounts;
    for (const JournalAccount &a : journalAccounts(db))
        accounts.insert(a.role, a);

    // The journal is the bills' history in money: each event of the period
    // books what it moved, and each 取消 books the way back on its own day,
    // so a period already handed to the accountant never changes.
    // Whether the bill is an electronic claim: from its row, or for a deleted
    // one from the row its deletion kept.
    QList<std::pair<BillEvent, bool>> events;
    const int kindColumn = eventColumnCount();
    db.forEachRow(
        QStringLiteral("select %1, coalesce(d.種類, -1) from 手形履歴 h left join D_手形 d on d.id = h.手形id "
                       "where h.処理日 between ? and ? order by h.処理日, "
                       "case h.種別 when '受取' then 0 when '振出' then 1 when '譲渡' then 2 else 3 end, "
                       "h.手形id, h.id")
            .arg(eventColumns(QStringLiteral("h"))),
        {from, to}, [&events, kindColumn](const RowView &r) {
            const BillEvent e = eventAt(r, 0);
            const qint64 kind = r.number(kindColumn);
            const bool electronic =
                kind == 2 || (kind < 0 && parseFieldLines(e.変更前).value(QStringLiteral("種類")) == u"2");
            events << std::pair{e, electronic};
        });
    QList<JournalEntry> out;
    out.reserve(events.size());
    for (const auto &[ev, electronic] : std::as_const(events)) {
        for (const Posting &p : postingsOf(ev)) {
            if (p.amount < 0)
                continue;
            const JournalAccount debit = accounts.value(roleFor(p.debit, electronic));
            const JournalAccount credit = accounts.value(roleFor(p.credit, electronic));
            JournalEntry e;
            e.slip = int(out.size()) + 1;
            e.date = ev.date;
            e.booking = bookingOf(ev.kind);
            e.debit = debit.account;
            e.debitSub = debit.sub;
            e.credit = credit.account;
            e.creditSub = credit.sub;
            e.amount = p.amount;
            e.number = ev.手形番号;
            e.due = ev.手形期日;
            e.party = (ev.相手先.trimmed().isEmpty() ? ev.取引先 : ev.相手先).trimmed();
            e.billId = ev.billId;
            QStringList words{wordsFor(ev, p.words, electronic)};
            if (!e.party.isEmpty())
                words << e.party;
            if (!e.number.isEmpty())
                words << QStringLiteral("No.") + e.number;
            e.summary = words.join(u' ');
            out << e;
        }
    }
    return out;
}

} // namespace sorvane::book
