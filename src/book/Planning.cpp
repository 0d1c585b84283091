#include "book/Planning.h"

#include "book/BillLife.h"
#include "book/Conflicts.h"
#include "book/Densai.h"
#include "book/Payables.h"
#include "book/History.h"
#include "data/Calendar.h"
#include "data/Engine.h"
#include "data/Formats.h"
#include "data/Schema.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>

namespace sorvane::book {

namespace {

// Before any bill this program can hold: "from the beginning".
const QDate kBeginning(1900, 1, 1);
// A settlement day lies at most the collection days and a run of closed
// bank days after the due date.
constexpr int kSettlementReach = 40;

QDate nextMonth(const QDate &month)
{
    return month.addMonths(1);
}

// ---------------------------------------------------------------- whose money

// Which bills an account collects, as a condition on the bill's own
// collection account (alias d): its own, or none when the account is the default.
struct Collection {
    QString where;
    QVariantList values;
};

Collection collectedBy(qint64 accountId, qint64 defaultAccount)
{
    if (accountId == defaultAccount)
        return {QStringLiteral("d.取立口座id in (0, ?)"), {accountId}};
    return {QStringLiteral("d.取立口座id = ?"), {accountId}};
}

// The accounts the discount banks credit, by bank code.
QHash<QString, qint64> creditAccounts(Database &db)
{
    QList<std::pair<QString, QString>> banks;
    db.forEachRow(QStringLiteral("select コード, 入金口座 from 割引先"), {}, [&banks](const RowView &r) {
        banks.append({r.text(0).toUpper(), r.text(1)});
    });
    QHash<QString, qint64> out;
    for (const auto &[code, line] : banks)
        out.insert(code, accountOfLine(db, line));
    return out;
}

// A step not taken back by a later event (of the given reason, when one is given).
QString notTakenBack(bool byMistakeOnly)
{
    return byMistakeOnly ? QStringLiteral("not exists (select 1 from 手形履歴 c where c.手形id = h.手形id "
                                          "and c.取消元id = h.id and c.事由 = ?)")
                         : QStringLiteral("not exists (select 1 from 手形履歴 c where c.手形id = h.手形id "
                                          "and c.取消元id = h.id)");
}

// ---------------------------------------------------------------- flows

using Sink = std::function<void(const CashFlow &)>;

// Every flow of the account in the period. With `detail` false the bills in
// hand come as one flow per due date (their count is not needed).
void readFlows(Database &db, const AccountRecord &account, const QDate &from, const QDate &to, bool detail,
               BankCalendar &calendar, const Sink &sink)
{
    const qint64 id = account.id;
    const qint64 kozano = account.kozano();
    const qint64 defaultAccount = defaultCollectionAccount(db);
    const Collection collect = collectedBy(id, defaultAccount);
    {
        // Settled while in hand: collected on the day of the settlement.
        db.forEachRow(
            QStringLiteral("select h.処理日, h.手形id, h.手形番号, h.取引先, h.手形期日, h.金額, d.種類 "
                           "from 手形履歴 h join D_手形 d on d.id = h.手形id "
                           "where h.種別 = ? and h.前状態 = ? and h.処理日 between ? and ? and ") +
                notTakenBack(false) + QStringLiteral(" and ") + collect.where,
            QVariantList{kind::決済, state::手元, from, to} + collect.values, [&](const RowView &r) {
                sink({r.date(0), FlowKind::Collected, r.number(5), r.number(1), r.text(2), r.text(3), r.date(4),
                      r.number(6) == densai::kElectronic});
            });

        // In hand and not settled: on the day the bill will settle.
        const QDate dueFrom = from.addDays(-kSettlementReach);
        const int days = schema::readCollectionDays(db);
        // A claim is paid from account to account on its due date: no collection days.
        const auto settleOn = [&](const QDate &due, bool electronic) {
            return calendar.onOrAfter(electronic ? due : due.addDays(days));
        };
        const QString inHand = QStringLiteral(" from D_手形 d where d.処理 = 0 and d.状態 = 0 and d.予約フラグ = 0 "
                                              "and d.終了フラグ = 0 and d.手形期日 between ? and ? and ") +
                               collect.where;
        const QVariantList values = QVariantList{dueFrom, to} + collect.values;
        if (detail) {
            db.forEachRow(
                QStringLiteral("select d.手形期日, d.id, d.手形番号, d.取引先, d.金額, d.種類") + inHand +
                    QStringLiteral(" order by d.手形期日, d.id"),
                values, [&](const RowView &r) {
                    const bool electronic = r.number(5) == densai::kElectronic;
                    const QDate on = settleOn(r.date(0), electronic);
                    if (on >= from && on <= to)
                        sink({on, FlowKind::Collecting, r.number(4), r.number(1), r.text(2), r.text(3), r.date(0),
                              electronic});
                });
        } else {
            const QString electronic = QStringLiteral("case when d.種類 = %1 then 1 else 0 end").arg(densai::kElectronic);
            db.forEachRow(QStringLiteral("select d.手形期日, sum(d.金額), ") + electronic + inHand +
                              QStringLiteral(" group by d.手形期日, ") + electronic,
                          values, [&](const RowView &r) {
                              const QDate on = settleOn(r.date(0), r.number(2) != 0);
                              if (on >= from && on <= to)
                                  sink({on, FlowKind::Collecting, r.number(1), 0, {}, {}, r.date(0)});
                          });
        }

        // A dishonoured bill's amount recovered.
        db.forEachRow(
            QStringLiteral("select h.処理日, h.手形id, h.手形番号, h.取引先, h.手形期日, h.回収額, d.種類 "
                           "from 手形履歴 h join D_手形 d on d.id = h.手形id "
                           "where h.種別 = ? and h.事由 = ? and h.処理日 between ? and ? and ") +
                collect.where,
            QVariantList{kind::不渡取消, reason::回収, from, to} + collect.values, [&](const RowView &r) {
                sink({r.date(0), FlowKind::Recovered, r.number(5), r.number(1), r.text(2), r.text(3), r.date(4),
                      r.number(6) == densai::kElectronic});
            });
    }

    // Issued bills, paid on their due dates: those that name the account,
    // and those of an older book that only give its kozano.
    for (const auto &[where, key] :
         {std::pair{QStringLiteral("d.予約口座id = ?"), QVariant(id)},
          std::pair{QStringLiteral("d.予約口座id = 0 and d.kozano = ?"), QVariant(kozano)}}) {
        const QString paid =
            QStringLiteral(" from D_手形 d where d.処理 = 1 and %1 and d.手形期日 between ? and ?").arg(where);
        if (detail)
            db.forEachRow(
                QStringLiteral("select d.手形期日, d.id, d.手形番号, d.取引先, d.金額, d.種類") + paid +
                    QStringLiteral(" order by d.手形期日, d.id"),
                {key, from, to}, [&](const RowView &r) {
                    sink({r.date(0), FlowKind::Paid, -r.number(4), r.number(1), r.text(2), r.text(3), r.date(0),
                          r.number(5) == densai::kElectronic});
                });
        else
            db.forEachRow(QStringLiteral("select d.手形期日, sum(d.金額)") + paid +
                              QStringLiteral(" group by d.手形期日"),
                          {key, from, to}, [&](const RowView &r) {
                              sink({r.date(0), FlowKind::Paid, -r.number(1), 0, {}, {}, r.date(0)});
                          });
    }

    // The discount banks' side: proceeds in, buy-backs out.
    const QHash<QString, qint64> banks = creditAccounts(db);
    const auto credits = [&](const QString &bank) { return banks.value(bank.toUpper()) == id; };
    bool anyBank = false;
    for (qint64 a : banks)
        anyBank = anyBank || a == id;
    if (!anyBank)
        return;
    const QString kindOf = QStringLiteral("coalesce((select x.種類 from D_手形 x where x.id = h.手形id), 0)");
    db.forEachRow(QStringLiteral("select h.処理日, h.手形id, h.手形番号, h.取引先, h.手形期日, h.金額, h.手数料, "
                                 "h.相手先コード, ") +
                      kindOf +
                      QStringLiteral(" from 手形履歴 h where h.種別 = ? and h.処理日 between ? and ? and ") +
                      notTakenBack(true),
                  {kind::割引, from, to, reason::誤り}, [&](const RowView &r) {
                      if (credits(r.text(7)))
                          sink({r.date(0), FlowKind::Discounted, r.number(5) - r.number(6), r.number(1), r.text(2),
                                r.text(3), r.date(4), r.number(8) == densai::kElectronic});
                  });
    // Bought back on a discount taken back, or on the dishonour of a discounted bill.
    db.forEachRow(
        QStringLiteral("select h.処理日, h.手形id, h.手形番号, h.取引先, h.手形期日, h.金額, h.相手先コード, ") + kindOf +
            QStringLiteral(" from 手形履歴 h where h.処理日 between ? and ? and "
                       "((h.種別 = ? and h.事由 = ?) or (h.種別 = ? and h.前状態 = ? and ") +
            notTakenBack(true) + QStringLiteral("))"),
        {from, to, kind::割引取消, reason::買戻し, kind::不渡, state::割引, reason::誤り}, [&](const RowView &r) {
            if (credits(r.text(6)))
                sink({r.date(0), FlowKind::BoughtBack, -r.number(5), r.number(1), r.text(2), r.text(3), r.date(4),
                      r.number(7) == densai::kElectronic});
        });
}

// ---------------------------------------------------------------- stored months

struct StoredMonth {
    qint64 opening = 0, receipts = 0, payments = 0, lowest = 0, carried = 0;
    QDate lowestOn;
    std::optional<qint64> entered;
    qint64 billsOpening = 0, issued = 0, settled = 0, billsClosing = 0;
    int issuedCount = 0, settledCount = 0;
};

QMap<QDate, StoredMonth> storedMonths(Database &db, qint64 accountId)
{
    QMap<QDate, StoredMonth> out;
    db.forEachRow(QStringLiteral("select 月末日付, 月初残高, 入金, 支払, 最低残高, 最低日, 残高, 入力残高, "
                                 "手形月初残高, 振出, 決済, 手形残高, 振出件数, 決済件数 "
                                 "from 口座明細 where 口座id = ? order by 月末日付"),
                  {accountId}, [&out](const RowView &r) {
                      StoredMonth m;
                      m.opening = r.number(1);
                      m.receipts = r.number(2);
                      m.payments = r.number(3);
                      m.lowest = r.number(4);
                      m.lowestOn = r.date(5);
                      m.carried = r.number(6);
                      if (!r.value(7).isNull())
                          m.entered = r.number(7);
                      m.billsOpening = r.number(8);
                      m.issued = r.number(9);
                      m.settled = r.number(10);
                      m.billsClosing = r.number(11);
                      m.issuedCount = int(r.number(12));
                      m.settledCount = int(r.number(13));
                      out.insert(monthStart(r.date(0)), m);
                  });
    return out;
}

QMap<QDate, qint64> enteredByMonth(Database &db, qint64 accountId)
{
    QMap<QDate, qint64> out;
    for (const EnteredBalance &e : enteredBalances(db, accountId))
        out.insert(monthStart(e.monthEnd), e.amount);
    return out;
}

AccountRecord requireAccount(Database &db, qint64 accountId)
{
    std::optional<AccountRecord> a = accountRecordById(db, accountId);
    if (!a)
        throw DbError(QStringLiteral("この口座は登録されていません (削除されたかもしれません)"));
    return *a;
}

void requireOpen(Database &db, qint64 accountId, const QDate &month)
{
    const QDate closed = closedThrough(db, accountId);
    if (closed.isValid() && monthEnd(month) <= closed)
        throw DbError(QStringLiteral("%1 は確定済みです。確定した月の残高は変えられません\n"
                                     "変えるときは、先にその月からの確定を取り消してください")
                          .arg(monthText(month)));
}

void notePlanned(Database &db, qint64 accountId)
{
    db.execute(QStringLiteral("update 口座データ set 計画済年月 = (select max(月末日付) from 口座残高 "
                              "where 口座id = ? and 月末残高 is not null) where id = ?"),
               {accountId, accountId});
}

// ---------------------------------------------------------------- the months of the cash plan

// Amounts by day, summed over the days of a period.
template <typename T> T sumWithin(const QMap<QDate, T> &byDay, const QDate &from, const QDate &to)
{
    T s = 0;
    for (auto it = byDay.lowerBound(from); it != byDay.cend() && it.key() <= to; ++it)
        s += it.value();
    return s;
}

struct DayFlows {
    QMap<QDate, qint64> in;  // by day
    QMap<QDate, qint64> out; // by day, positive
    QDate first() const
    {
        QDate d;
        if (!in.isEmpty())
            d = in.firstKey();
        if (!out.isEmpty() && (!d.isValid() || out.firstKey() < d))
            d = out.firstKey();
        return d;
    }
};

DayFlows dayFlows(Database &db, const AccountRecord &account, const QDate &from, const QDate &to,
                  BankCalendar &calendar)
{
    DayFlows f;
    readFlows(db, account, from, to, false, calendar, [&f](const CashFlow &c) {
        if (c.amount >= 0)
            f.in[c.date] += c.amount;
        else
            f.out[c.date] += -c.amount;
    });
    return f;
}

// The month from its opening balance and the flows of its days; `extraIn`
// and `extraOut` count on its first day (later bookings of closed months).
CashMonth runMonth(const QDate &month, qint64 opening, const DayFlows &f, qint64 extraIn, qint64 extraOut,
                   const std::optional<qint64> &entered)
{
    CashMonth m;
    m.month = month;
    m.opening = opening;
    m.receipts = extraIn;
    m.payments = extraOut;
    qint64 balance = opening + extraIn - extraOut;
    m.lowest = balance;
    m.lowestOn = month;
    const QDate end = monthEnd(month);
    QMap<QDate, qint64> net;
    for (auto it = f.in.lowerBound(month); it != f.in.cend() && it.key() <= end; ++it) {
        net[it.key()] += it.value();
        m.receipts += it.value();
    }
    for (auto it = f.out.lowerBound(month); it != f.out.cend() && it.key() <= end; ++it) {
        net[it.key()] -= it.value();
        m.payments += it.value();
    }
    for (auto it = net.cbegin(); it != net.cend(); ++it) {
        balance += it.value();
        if (balance < m.lowest) {
            m.lowest = balance;
            m.lowestOn = it.key();
        }
    }
    m.projected = balance;
    m.entered = entered;
    m.carried = entered.value_or(m.projected);
    return m;
}

CashMonth fromStored(const QDate &month, const StoredMonth &s)
{
    CashMonth m;
    m.month = month;
    m.opening = s.opening;
    m.receipts = s.receipts;
    m.payments = s.payments;
    m.projected = s.opening + s.receipts - s.payments;
    m.entered = s.entered;
    m.carried = s.carried;
    m.lowest = s.lowest;
    m.lowestOn = s.lowestOn;
    m.closed = true;
    return m;
}

// The months from `first` through `last` of the account: the closed ones
// as stored, the open ones chained from the balance carried into them.
QList<CashMonth> cashMonths(Database &db, const AccountRecord &account, const QDate &first, const QDate &last,
                            BankCalendar &calendar)
{
    const QDate closed = closedThrough(db, account.id);
    const QDate firstOpen = closed.isValid() ? nextMonth(monthStart(closed)) : QDate();
    const QMap<QDate, StoredMonth> stored =
        closed.isValid() ? storedMonths(db, account.id) : QMap<QDate, StoredMonth>();
    const QMap<QDate, qint64> entered = enteredByMonth(db, account.id);

    QList<CashMonth> out;
    for (QDate m = first; m <= last && closed.isValid() && m < firstOpen; m = nextMonth(m))
        out << fromStored(m, stored.value(m));
    const QDate openFirst = closed.isValid() && firstOpen > first ? firstOpen : first;
    if (openFirst > last)
        return out;

    // Where the open months start from: the last balance entered before
    // them (it already holds whatever came before), else the last closed
    // month, else nothing and every flow from the beginning.
    QDate start;
    qint64 opening = 0;
    bool late = false;
    auto e = entered.lowerBound(openFirst);
    if (e != entered.cbegin() && std::prev(e).key() >= (firstOpen.isValid() ? firstOpen : kBeginning)) {
        --e;
        start = nextMonth(e.key());
        opening = e.value();
    } else if (closed.isValid()) {
        start = firstOpen;
        opening = stored.isEmpty() ? 0 : stored.last().carried;
        late = true;
    }

    const QDate readFrom = start.isValid() ? start : kBeginning;
    DayFlows f = dayFlows(db, account, readFrom, monthEnd(last), calendar);
    qint64 lateIn = 0, lateOut = 0;
    if (late) {
        // What was booked into the closed months after they were closed.
        const DayFlows before = dayFlows(db, account, kBeginning, closed, calendar);
        qint64 storedIn = 0, storedOut = 0;
        for (const StoredMonth &s : stored) {
            storedIn += s.receipts;
            storedOut += s.payments;
        }
        lateIn = sumWithin(before.in, kBeginning, closed) - storedIn;
        lateOut = sumWithin(before.out, kBeginning, closed) - storedOut;
    }
    if (!start.isValid()) {
        const QDate earliest = f.first();
        start = earliest.isValid() ? std::min(monthStart(earliest), openFirst) : openFirst;
        if (!entered.isEmpty() && entered.firstKey() < start)
            start = entered.firstKey();
    }
    for (QDate m = start; m <= last; m = nextMonth(m)) {
        const bool extra = late && m == firstOpen;
        const std::optional<qint64> typed =
            entered.contains(m) ? std::optional<qint64>(entered.value(m)) : std::nullopt;
        const CashMonth month = runMonth(m, opening, f, extra ? lateIn : 0, extra ? lateOut : 0, typed);
        opening = month.carried;
        if (m >= openFirst)
            out << month;
    }
    return out;
}

// ---------------------------------------------------------------- 支払手形

struct BillMoves {
    QMap<QDate, qint64> issued, settled;
    QMap<QDate, int> issuedCount, settledCount;
};

// The issued bills booked and settled through the day, by day, for each
// account (by its key; 0: the bills of no account), in one pass over an
// index: a bill names its account, or in an older book gives its kozano.
QHash<qint64, BillMoves> movesByAccount(Database &db, const QDate &to)
{
    QSet<qint64> ids;
    QHash<qint64, qint64> byKozano;
    for (const AccountRecord &a : readAccounts(db)) {
        ids.insert(a.id);
        byKozano.insert(a.kozano(), a.id);
    }
    const auto owner = [&](qint64 reserved, qint64 kozano) {
        if (reserved != 0)
            return ids.contains(reserved) ? reserved : qint64(0);
        return byKozano.value(kozano, 0);
    };
    QHash<qint64, BillMoves> out;
    db.forEachRow(QStringLiteral("select d.予約口座id, d.kozano, d.日付, sum(d.金額), count(*) from D_手形 d "
                                 "where d.処理 = 1 and d.日付 <= ? group by d.予約口座id, d.kozano, d.日付"),
                  {to}, [&](const RowView &r) {
                      BillMoves &b = out[owner(r.number(0), r.number(1))];
                      b.issued[r.date(2)] += r.number(3);
                      b.issuedCount[r.date(2)] += int(r.number(4));
                  });
    db.forEachRow(QStringLiteral("select d.予約口座id, d.kozano, h.処理日, sum(h.金額), count(*) from 手形履歴 h "
                                 "join D_手形 d on d.id = h.手形id where h.種別 = ? and d.処理 = 1 and h.処理日 <= ? "
                                 "and ") +
                      notTakenBack(false) + QStringLiteral(" group by d.予約口座id, d.kozano, h.処理日"),
                  {kind::決済, to}, [&](const RowView &r) {
                      BillMoves &b = out[owner(r.number(0), r.number(1))];
                      b.settled[r.date(2)] += r.number(3);
                      b.settledCount[r.date(2)] += int(r.number(4));
                  });
    return out;
}

TrialMonth trialFromStored(const QDate &month, const StoredMonth &s)
{
    TrialMonth t;
    t.month = month;
    t.opening = s.billsOpening;
    t.issued = s.issued;
    t.settled = s.settled;
    t.closing = s.billsClosing;
    t.issuedCount = s.issuedCount;
    t.settledCount = s.settledCount;
    t.closed = true;
    return t;
}

// The months of the account's 支払手形 (no account: those of the bills of
// no account, never closed) from its moves.
QList<TrialMonth> trialMonths(Database &db, const std::optional<AccountRecord> &account, const BillMoves &moves,
                              const QDate &first, const QDate &last)
{
    const QDate closed = account ? closedThrough(db, account->id) : QDate();
    const QDate firstOpen = closed.isValid() ? nextMonth(monthStart(closed)) : QDate();
    const QMap<QDate, StoredMonth> stored =
        closed.isValid() ? storedMonths(db, account->id) : QMap<QDate, StoredMonth>();

    QList<TrialMonth> out;
    for (QDate m = first; m <= last && closed.isValid() && m < firstOpen; m = nextMonth(m))
        out << trialFromStored(m, stored.value(m));
    const QDate openFirst = closed.isValid() && firstOpen > first ? firstOpen : first;
    if (openFirst > last)
        return out;

    // Every booking from the beginning: the balance is what is still running.
    qint64 opening = 0;
    qint64 lateIssued = 0, lateSettled = 0;
    int lateIssuedCount = 0, lateSettledCount = 0;
    QDate from = kBeginning;
    if (closed.isValid()) {
        qint64 storedIssued = 0, storedSettled = 0;
        int storedIssuedCount = 0, storedSettledCount = 0;
        for (const StoredMonth &s : stored) {
            storedIssued += s.issued;
            storedSettled += s.settled;
            storedIssuedCount += s.issuedCount;
            storedSettledCount += s.settledCount;
        }
        lateIssued = sumWithin(moves.issued, kBeginning, closed) - storedIssued;
        lateSettled = sumWithin(moves.settled, kBeginning, closed) - storedSettled;
        lateIssuedCount = sumWithin(moves.issuedCount, kBeginning, closed) - storedIssuedCount;
        lateSettledCount = sumWithin(moves.settledCount, kBeginning, closed) - storedSettledCount;
        opening = stored.isEmpty() ? 0 : stored.last().billsClosing;
        from = firstOpen;
    }
    if (from < openFirst) {
        opening += sumWithin(moves.issued, from, openFirst.addDays(-1)) -
                   sumWithin(moves.settled, from, openFirst.addDays(-1));
    }
    for (QDate m = openFirst; m <= last; m = nextMonth(m)) {
        const bool extra = closed.isValid() && m == firstOpen;
        TrialMonth t;
        t.month = m;
        t.opening = opening;
        t.issued = sumWithin(moves.issued, m, monthEnd(m)) + (extra ? lateIssued : 0);
        t.settled = sumWithin(moves.settled, m, monthEnd(m)) + (extra ? lateSettled : 0);
        t.issuedCount = sumWithin(moves.issuedCount, m, monthEnd(m)) + (extra ? lateIssuedCount : 0);
        t.settledCount = sumWithin(moves.settledCount, m, monthEnd(m)) + (extra ? lateSettledCount : 0);
        t.closing = t.opening + t.issued - t.settled;
        opening = t.closing;
        out << t;
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------- months

QDate monthStart(const QDate &date)
{
    return date.isValid() ? QDate(date.year(), date.month(), 1) : QDate();
}

QDate monthEnd(const QDate &date)
{
    return date.isValid() ? QDate(date.year(), date.month(), date.daysInMonth()) : QDate();
}

QString monthText(const QDate &month)
{
    return month.isValid() ? QStringLiteral("%1/%2").arg(month.year()).arg(month.month(), 2, 10, QLatin1Char('0'))
                           : QString();
}

QDate parseMonth(const QString &text, const QDate &today)
{
    const QString s = fmt::normalizeCode(text);
    QDate d = fmt::parseDate(s, today);
    if (!d.isValid()) {
        // A month without its day: "2026/12", "令和8年12月", "R8/12".
        QString withDay = s;
        if (withDay.endsWith(u'月'))
            withDay += QStringLiteral("1日");
        else
            withDay += QStringLiteral("/1");
        d = fmt::parseDate(withDay, {});
    }
    return monthStart(d);
}

QString spanProblem(const QDate &firstMonth, int months)
{
    if (!firstMonth.isValid())
        return QStringLiteral("始めの月を 2026/12 のように入力してください");
    if (months < 1 || months > kMaxMonths)
        return QStringLiteral("月数は 1〜%1 で指定してください").arg(kMaxMonths);
    return {};
}

// ---------------------------------------------------------------- accounts

std::optional<AccountRecord> accountRecordById(Database &db, qint64 id)
{
    const QVariant kozano = db.scalar(QStringLiteral("select kozano from 口座データ where id = ?"), {id});
    if (kozano.isNull())
        return std::nullopt;
    return accountRecord(db, kozano.toLongLong());
}

QString accountLine(const AccountRecord &a)
{
    return accountLine(a.kozano(), a.text(QStringLiteral("銀行名")), a.text(QStringLiteral("支店名")),
                       a.text(QStringLiteral("口座番号")));
}

qint64 accountOfLine(Database &db, const QString &line)
{
    const QString head = fmt::normalizeCode(line.section(u':', 0, 0));
    const std::optional<qint64> kozano = fmt::parseWholeNumber(head);
    if (!kozano)
        return 0;
    const std::optional<AccountRecord> a = accountRecord(db, *kozano);
    return a ? a->id : 0;
}

qint64 defaultCollectionAccount(Database &db)
{
    return db.scalar(QStringLiteral("select 取立口座id from 設定 where id = 1")).toLongLong();
}

void setDefaultCollectionAccount(Database &db, qint64 accountId)
{
    Transaction t(db);
    if (accountId != 0)
        requireAccount(db, accountId);
    schema::readDueWindowDays(db); // a lost settings row comes back first
    db.execute(QStringLiteral("update 設定 set 取立口座id = ? where id = 1"), {accountId});
    t.commit();
}

void saveCollectionSettings(Database &db, int days, qint64 accountId)
{
    Transaction t(db);
    schema::writeCollectionDays(db, days);
    setDefaultCollectionAccount(db, accountId);
    t.commit();
}

qint64 billCollectionAccount(Database &db, qint64 billId)
{
    return db.scalar(QStringLiteral("select 取立口座id from D_手形 where id = ?"), {billId}).toLongLong();
}

void setBillCollectionAccount(Database &db, qint64 billId, qint64 accountId, std::optional<qint64> version,
                              const QDate &on)
{
    Transaction t(db);
    const std::optional<BillState> now = lockedState(db, billId);
    if (!now)
        throw DbError(QStringLiteral("この手形はすでに削除されています"));
    checkVersion(version, now->更新回数);
    const std::optional<BillRow> bill = billRow(db, billId);
    if (!bill || bill->処理 == 1)
        throw DbError(QStringLiteral("取立口座は受取手形にだけ指定できます"));
    if (accountId != 0)
        requireAccount(db, accountId);
    const RowSnapshot before = billSnapshot(db, billId);
    db.execute(QStringLiteral("update D_手形 set 取立口座id = ?, 更新回数 = 更新回数 + 1 where id = ?"),
               {accountId, billId});
    recordCorrection(db, *bill, before, on);
    t.commit();
}

// ---------------------------------------------------------------- balances and closing

QList<EnteredBalance> enteredBalances(Database &db, qint64 accountId)
{
    QList<EnteredBalance> out;
    db.forEachRow(QStringLiteral("select 月末日付, 月末残高 from 口座残高 where 口座id = ? and 月末残高 is not null "
                                 "order by 月末日付"),
                  {accountId}, [&out](const RowView &r) {
                      out << EnteredBalance{r.date(0), r.number(1)};
                  });
    return out;
}

void enterBalance(Database &db, qint64 accountId, const QDate &month, qint64 amount)
{
    if (!month.isValid())
        throw DbError(QStringLiteral("残高を入れる月を選んでください"));
    Transaction t(db);
    requireAccount(db, accountId);
    requireOpen(db, accountId, month);
    db.execute(QStringLiteral("delete from 口座残高 where 口座id = ? and 月末日付 = ?"), {accountId, monthEnd(month)});
    db.execute(QStringLiteral("insert into 口座残高 (口座id, 月末日付, 月末残高) values (?, ?, ?)"),
               {accountId, monthEnd(month), amount});
    notePlanned(db, accountId);
    t.commit();
}

void clearBalance(Database &db, qint64 accountId, const QDate &month)
{
    Transaction t(db);
    requireAccount(db, accountId);
    requireOpen(db, accountId, month);
    db.execute(QStringLiteral("delete from 口座残高 where 口座id = ? and 月末日付 = ?"), {accountId, monthEnd(month)});
    notePlanned(db, accountId);
    t.commit();
}

QDate closedThrough(Database &db, qint64 accountId)
{
    const QVariant v = db.scalar(QStringLiteral("select 確定済年月 from 口座データ where id = ?"), {accountId});
    return v.isNull() ? QDate() : monthEnd(v.toDate());
}

int closeMonths(Database &db, qint64 accountId, const QDate &through, const QDate &today, BankCalendar &calendar)
{
    const QDate last = monthStart(through);
    if (!last.isValid())
        throw DbError(QStringLiteral("確定する月を選んでください"));
    if (monthEnd(last) >= today)
        throw DbError(QStringLiteral("%1 はまだ終わっていないため、確定できません").arg(monthText(last)));
    Transaction t(db);
    const AccountRecord account = requireAccount(db, accountId);
    const QDate closed = closedThrough(db, accountId);
    if (closed.isValid() && monthEnd(last) <= closed)
        throw DbError(QStringLiteral("%1 は確定済みです").arg(monthText(last)));

    // Every open month through the last, from the first with any figure.
    const BillMoves moves = movesByAccount(db, monthEnd(last)).value(account.id);
    QDate first = closed.isValid() ? nextMonth(monthStart(closed)) : QDate();
    if (!first.isValid()) {
        const DayFlows f = dayFlows(db, account, kBeginning, monthEnd(last), calendar);
        first = f.first().isValid() ? monthStart(f.first()) : last;
        const QList<EnteredBalance> typed = enteredBalances(db, accountId);
        if (!typed.isEmpty())
            first = std::min(first, monthStart(typed.first().monthEnd));
        for (const auto *byDay : {&moves.issued, &moves.settled})
            if (!byDay->isEmpty())
                first = std::min(first, monthStart(byDay->firstKey()));
        first = std::min(first, last);
    }
    const QList<CashMonth> cash = cashMonths(db, account, first, last, calendar);
    const QList<TrialMonth> bills = trialMonths(db, account, moves, first, last);
    for (qsizetype i = 0; i < cash.size(); ++i) {
        const CashMonth &c = cash.at(i);
        const TrialMonth &b = bills.at(i);
        db.execute(QStringLiteral("delete from 口座明細 where 口座id = ? and 月末日付 = ?"),
                   {accountId, monthEnd(c.month)});
        db.execute(
            QStringLiteral("insert into 口座明細 (口座id, 月末日付, 月初残高, 入金, 支払, 最低残高, 最低日, 残高, "
                           "入力残高, 手形月初残高, 振出, 決済, 手形残高, 振出件数, 決済件数) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {accountId, monthEnd(c.month), c.opening, c.receipts, c.payments, c.lowest, c.lowestOn, c.carried,
             c.entered ? QVariant(*c.entered) : QVariant(QMetaType::fromType<qint64>()), b.opening, b.issued, b.settled,
             b.closing, b.issuedCount, b.settledCount});
    }
    db.execute(QStringLiteral("update 口座データ set 確定済年月 = ? where id = ?"), {monthEnd(last), accountId});
    t.commit();
    return int(cash.size());
}

int reopenMonths(Database &db, qint64 accountId, const QDate &from)
{
    const QDate month = monthStart(from);
    Transaction t(db);
    requireAccount(db, accountId);
    const QDate closed = closedThrough(db, accountId);
    if (!closed.isValid() || monthEnd(month) > closed)
        throw DbError(QStringLiteral("%1 は確定されていません").arg(monthText(month)));
    const int opened = db.execute(QStringLiteral("delete from 口座明細 where 口座id = ? and 月末日付 >= ?"),
                                  {accountId, monthEnd(month)});
    const QDate before = month.addDays(-1);
    const bool anyLeft =
        db.scalar(QStringLiteral("select count(*) from 口座明細 where 口座id = ?"), {accountId}).toLongLong() > 0;
    db.execute(QStringLiteral("update 口座データ set 確定済年月 = ? where id = ?"),
               {anyLeft ? QVariant(before) : QVariant(QMetaType::fromType<QDate>()), accountId});
    t.commit();
    return opened;
}

// ---------------------------------------------------------------- cash

QString flowKindText(FlowKind kind)
{
    switch (kind) {
    case FlowKind::Collected:
        return QStringLiteral("取立");
    case FlowKind::Collecting:
        return QStringLiteral("取立予定");
    case FlowKind::Discounted:
        return QStringLiteral("割引");
    case FlowKind::Recovered:
        return QStringLiteral("回収");
    case FlowKind::Paid:
        return QStringLiteral("支払");
    case FlowKind::BoughtBack:
        return QStringLiteral("買戻し");
    }
    return {};
}

std::vector<CashFlow> cashFlows(Database &db, qint64 accountId, const QDate &from, const QDate &to,
                                BankCalendar &calendar)
{
    const AccountRecord account = requireAccount(db, accountId);
    std::vector<CashFlow> out;
    readFlows(db, account, from, to, true, calendar, [&out](const CashFlow &f) { out.push_back(f); });
    std::stable_sort(out.begin(), out.end(), [](const CashFlow &a, const CashFlow &b) { return a.date < b.date; });
    return out;
}

CashPlan cashPlan(Database &db, qint64 accountId, const QDate &firstMonth, int months, BankCalendar &calendar)
{
    if (const QString problem = spanProblem(firstMonth, months); !problem.isEmpty())
        throw DbError(problem);
    CashPlan plan;
    plan.account = requireAccount(db, accountId);
    plan.defaultCollection = defaultCollectionAccount(db) == accountId;
    plan.closedThrough = closedThrough(db, accountId);
    plan.plannedThrough = plan.account.values.value(QStringLiteral("計画済年月")).toDate();
    const QDate first = monthStart(firstMonth);
    plan.months = cashMonths(db, plan.account, first, first.addMonths(months - 1), calendar);
    return plan;
}

Sheet cashSheet(const CashPlan &plan)
{
    Sheet s;
    s.title = QStringLiteral("口座別資金確認");
    QStringList about{accountLine(plan.account)};
    if (!plan.months.isEmpty())
        about << QStringLiteral("%1〜%2").arg(monthText(plan.months.first().month),
                                              monthText(plan.months.last().month));
    if (plan.closedThrough.isValid())
        about << QStringLiteral("確定済 %1").arg(monthText(plan.closedThrough));
    if (plan.plannedThrough.isValid())
        about << QStringLiteral("計画済 %1").arg(fmt::ymd(plan.plannedThrough));
    s.subtitle = about.join(QStringLiteral("　"));
    s.columns = {{QStringLiteral("年月"), {}, false, 9},
                 {QStringLiteral("前月末残高"), {}, true, 14},
                 {QStringLiteral("入金"), {}, true, 14},
                 {QStringLiteral("支払"), {}, true, 14},
                 {QStringLiteral("月末残高（予測）"), {}, true, 15},
                 {QStringLiteral("入力残高"), {}, true, 14},
                 {QStringLiteral("最低残高"), {}, true, 14},
                 {QStringLiteral("不足額"), {}, true, 13},
                 {QStringLiteral("状態"), {}, false, 7}};
    qint64 in = 0, out = 0;
    for (const CashMonth &m : plan.months) {
        s.rows << QStringList{monthText(m.month),
                              fmt::amount(m.opening),
                              fmt::amount(m.receipts),
                              fmt::amount(m.payments),
                              fmt::amount(m.projected),
                              m.entered ? fmt::amount(*m.entered) : QString(),
                              QStringLiteral("%1 (%2)").arg(fmt::amount(m.lowest), fmt::mmdd(m.lowestOn)),
                              m.shortfall() > 0 ? fmt::amount(m.shortfall()) : QString(),
                              m.closed ? QStringLiteral("確定") : QString()};
        s.marked << (m.shortfall() > 0);
        in += m.receipts;
        out += m.payments;
    }
    s.totals = QStringList{QStringLiteral("合計"), {}, fmt::amount(in), fmt::amount(out), {}, {}, {}, {}, {}};
    return s;
}

// ---------------------------------------------------------------- 支払手形

QList<TrialMonth> trialBalance(Database &db, qint64 accountId, const QDate &firstMonth, int months)
{
    if (const QString problem = spanProblem(firstMonth, months); !problem.isEmpty())
        throw DbError(problem);
    const QDate first = monthStart(firstMonth);
    const QDate last = first.addMonths(months - 1);
    const QHash<qint64, BillMoves> moves = movesByAccount(db, monthEnd(last));
    if (accountId != 0)
        return trialMonths(db, requireAccount(db, accountId), moves.value(accountId), first, last);

    // Every account as it stands (its closed months as stored), and the
    // issued bills of no account.
    QList<TrialMonth> sum;
    for (QDate m = first; m <= last; m = nextMonth(m))
        sum << TrialMonth{m};
    const auto add = [&sum](const QList<TrialMonth> &part) {
        for (qsizetype i = 0; i < part.size() && i < sum.size(); ++i) {
            TrialMonth &t = sum[i];
            t.opening += part.at(i).opening;
            t.issued += part.at(i).issued;
            t.settled += part.at(i).settled;
            t.closing += part.at(i).closing;
            t.issuedCount += part.at(i).issuedCount;
            t.settledCount += part.at(i).settledCount;
        }
    };
    for (const AccountRecord &a : readAccounts(db))
        add(trialMonths(db, a, moves.value(a.id), first, last));
    add(trialMonths(db, std::nullopt, moves.value(0), first, last));
    return sum;
}

Sheet trialSheet(const QString &accountName, const QList<TrialMonth> &months)
{
    Sheet s;
    s.title = QStringLiteral("口座別試算表（支払手形）");
    s.subtitle = accountName;
    if (!months.isEmpty())
        s.subtitle += QStringLiteral("　%1〜%2").arg(monthText(months.first().month), monthText(months.last().month));
    const QString issued = QStringLiteral("振出");
    const QString settled = QStringLiteral("決済");
    s.columns = {{QStringLiteral("年月"), {}, false, 9},     {QStringLiteral("前月繰越"), {}, true, 15},
                 {QStringLiteral("件数"), issued, true, 7},  {QStringLiteral("金額"), issued, true, 15},
                 {QStringLiteral("件数"), settled, true, 7}, {QStringLiteral("金額"), settled, true, 15},
                 {QStringLiteral("月末残高"), {}, true, 15}, {QStringLiteral("状態"), {}, false, 7}};
    qint64 in = 0, out = 0;
    int inCount = 0, outCount = 0;
    for (const TrialMonth &m : months) {
        s.rows << QStringList{monthText(m.month),
                              fmt::amount(m.opening),
                              QString::number(m.issuedCount),
                              fmt::amount(m.issued),
                              QString::number(m.settledCount),
                              fmt::amount(m.settled),
                              fmt::amount(m.closing),
                              m.closed ? QStringLiteral("確定") : QString()};
        in += m.issued;
        out += m.settled;
        inCount += m.issuedCount;
        outCount += m.settledCount;
    }
    s.totals = QStringList{QStringLiteral("合計"),
                           months.isEmpty() ? QString() : fmt::amount(months.first().opening),
                           QString::number(inCount),
                           fmt::amount(in),
                           QString::number(outCount),
                           fmt::amount(out),
                           months.isEmpty() ? QString() : fmt::amount(months.last().closing),
                           {}};
    return s;
}

} // namespace sorvane::book
