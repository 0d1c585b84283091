#include "book/Totals.h"

#include "book/History.h"
#include "book/Planning.h"
#include "book/Registers.h"
#include "data/Engine.h"
#include "data/Formats.h"

#include <algorithm>

namespace sorvane::book {

namespace {

// The events that change what state a bill is in.
QStringList stateKinds()
{
    return {kind::受取, kind::譲渡,     kind::譲渡取消, kind::割引,     kind::割引取消,
            kind::決済, kind::決済取消, kind::不渡,     kind::不渡取消, kind::削除};
}

QString marks(qsizetype n)
{
    QStringList q;
    for (qsizetype i = 0; i < n; ++i)
        q << QStringLiteral("?");
    return q.join(u',');
}

ReceivedState stateOf(int kind, int state, int reservation, bool finished)
{
    if (finished)
        return ReceivedState::Settled;
    if (state == 2)
        return ReceivedState::Dishonoured;
    if (kind == 2)
        return ReceivedState::HandedOn;
    if (state == 1 && reservation == 2)
        return ReceivedState::Discounted;
    return ReceivedState::InHand;
}

} // namespace

// ---------------------------------------------------------------- reserved bills

Reservations reservedBills(Database &db, const QDate &asOf)
{
    if (!asOf.isValid())
        throw DbError(QStringLiteral("基準日を正しく入力してください"));
    Reservations out;
    out.asOf = asOf;
    const QStringList states = stateKinds();
    // A claim handed on without the guarantee is not the company's to answer
    // for: no 裏書譲渡高.
    const QString unguaranteed = QStringLiteral("保証なし");
    // The bill's latest discount or hand-on by the day, when the bill's last
    // change of state by the day left it discounted or handed on, and its
    // due date is not past. The candidates come from indexes: the events
    // whose copy of the due date is not past, and those of a bill corrected
    // since (a dishonoured bill may be, and be put back by taking the
    // dishonour back), whose due date only the bill knows.
    const QString sql =
        QStringLiteral(
            "select r.手形id, r.種別, r.相手先コード, r.相手先, r.処理日, coalesce(d.手形番号, r.手形番号), "
            "coalesce(d.取引先, r.取引先), d.振出人, coalesce(d.手形期日, r.手形期日), coalesce(d.金額, r.金額), "
            "coalesce(d.種類, 0) "
            "from 手形履歴 r left join D_手形 d on d.id = r.手形id "
            "where r.id in (select e.id from 手形履歴 e where e.種別 in (?, ?) and e.手形期日 >= ? "
            "union select e.id from 手形履歴 c join 手形履歴 e on e.手形id = c.手形id and e.id < c.id "
            "where c.種別 = ? and e.種別 in (?, ?)) "
            "and coalesce(d.手形期日, r.手形期日) >= ? and r.処理日 <= ? and coalesce(r.事由, '') <> ? "
            "and r.id = (select max(x.id) from 手形履歴 x where x.手形id = r.手形id and x.種別 in (?, ?) "
            "and x.処理日 <= ?) "
            "and (select y.後状態 from 手形履歴 y where y.手形id = r.手形id and y.処理日 <= ? and y.種別 in (%1) "
            "order by y.処理日 desc, y.id desc limit 1) in (?, ?)")
            .arg(marks(states.size()));
    QVariantList values{kind::割引, kind::譲渡,   asOf,       kind::修正, kind::割引, kind::譲渡, asOf,
                        asOf,       unguaranteed, kind::割引, kind::譲渡, asOf,       asOf};
    for (const QString &k : states)
        values << k;
    values << state::割引 << state::譲渡;
    db.forEachRow(sql, values, [&out](const RowView &r) {
        ReservedBill b;
        b.billId = r.number(0);
        b.discounted = r.text(1) == kind::割引;
        b.counterpartyCode = r.text(2);
        b.counterparty = r.text(3);
        b.reservedOn = r.date(4);
        b.number = r.text(5);
        b.party = r.text(6);
        b.drawer = r.text(7);
        b.due = r.date(8);
        b.amount = r.number(9);
        b.electronic = r.number(10) == 2;
        out.bills.push_back(b);
    });
    std::sort(out.bills.begin(), out.bills.end(), [](const ReservedBill &a, const ReservedBill &b) {
        if (a.discounted != b.discounted)
            return a.discounted;
        if (a.counterparty != b.counterparty)
            return a.counterparty < b.counterparty;
        if (a.due != b.due)
            return a.due < b.due;
        return a.number < b.number;
    });
    for (const ReservedBill &b : out.bills) {
        if (b.discounted) {
            out.discounted += b.amount;
            ++out.discountedCount;
            if (b.electronic) {
                out.claimsDiscounted += b.amount;
                ++out.claimsDiscountedCount;
            }
        } else {
            out.handedOn += b.amount;
            ++out.handedOnCount;
            if (b.electronic) {
                out.claimsHandedOn += b.amount;
                ++out.claimsHandedOnCount;
            }
        }
    }
    return out;
}

namespace {

struct NoteLine {
    QString label;
    int count = 0;
    qint64 amount = 0;
};

// The paper bills' line, always, and the claims' when there are any.
QList<NoteLine> noteLines(const Reservations &r, bool discounted)
{
    const int count = discounted ? r.discountedCount : r.handedOnCount;
    const qint64 amount = discounted ? r.discounted : r.handedOn;
    const int claims = discounted ? r.claimsDiscountedCount : r.claimsHandedOnCount;
    const qint64 claimsAmount = discounted ? r.claimsDiscounted : r.claimsHandedOn;
    QList<NoteLine> out{{discounted ? QStringLiteral("受取手形割引高") : QStringLiteral("受取手形裏書譲渡高"),
                         count - claims, amount - claimsAmount}};
    if (claims > 0)
        out << NoteLine{discounted ? QStringLiteral("電子記録債権割引高") : QStringLiteral("電子記録債権譲渡高"),
                        claims, claimsAmount};
    return out;
}

} // namespace

QString reservedNote(const Reservations &r, bool discounted)
{
    QStringList parts;
    for (const NoteLine &l : noteLines(r, discounted))
        parts << QStringLiteral("%1 %2 円（%3 件）").arg(l.label, fmt::amount(l.amount)).arg(l.count);
    return parts.join(QStringLiteral("　"));
}

Sheet reservedSheet(const Reservations &r)
{
    Sheet s;
    s.title = QStringLiteral("手形予約確認");
    s.subtitle = QStringLiteral("%1 現在　割引・譲渡した受取手形で期日の来ていないもの").arg(fmt::ymd(r.asOf));
    s.columns = {{QStringLiteral("区分"), {}, false, 7},      {QStringLiteral("割引先・譲渡先"), {}, false, 24},
                 {QStringLiteral("手形番号"), {}, false, 14}, {QStringLiteral("取引先"), {}, false, 22},
                 {QStringLiteral("振出人"), {}, false, 22},   {QStringLiteral("割引日・譲渡日"), {}, false, 13},
                 {QStringLiteral("手形期日"), {}, false, 13}, {QStringLiteral("金額"), {}, true, 15}};
    const auto subtotal = [&s](const QString &what, int count, qint64 amount) {
        s.rows << QStringList{{}, what, QStringLiteral("%1 件").arg(count), {}, {}, {}, {}, fmt::amount(amount)};
        s.keys << 0;
    };
    for (std::size_t i = 0; i < r.bills.size(); ++i) {
        const ReservedBill &b = r.bills[i];
        s.rows << QStringList{b.discounted ? QStringLiteral("割引") : QStringLiteral("譲渡"),
                              b.counterparty,
                              b.number,
                              b.party,
                              b.drawer,
                              fmt::ymd(b.reservedOn),
                              fmt::ymd(b.due),
                              fmt::amount(b.amount)};
        s.keys << b.billId;
        const bool lastOfGroup = i + 1 == r.bills.size() || r.bills[i + 1].discounted != b.discounted ||
                                 r.bills[i + 1].counterparty != b.counterparty;
        if (lastOfGroup) {
            int count = 0;
            qint64 amount = 0;
            for (const ReservedBill &o : r.bills)
                if (o.discounted == b.discounted && o.counterparty == b.counterparty) {
                    ++count;
                    amount += o.amount;
                }
            subtotal(QStringLiteral("%1 計").arg(b.counterparty), count, amount);
        }
        const bool lastOfKind = i + 1 == r.bills.size() || r.bills[i + 1].discounted != b.discounted;
        if (lastOfKind)
            for (const NoteLine &l : noteLines(r, b.discounted))
                subtotal(l.label, l.count, l.amount);
    }
    s.totals = QStringList{QStringLiteral("合計"),
                           QStringLiteral("割引 %1 / 譲渡 %2").arg(fmt::amount(r.discounted), fmt::amount(r.handedOn)),
                           QStringLiteral("%1 件").arg(r.discountedCount + r.handedOnCount),
                           {},
                           {},
                           {},
                           {},
                           fmt::amount(r.discounted + r.handedOn)};
    return s;
}

// ---------------------------------------------------------------- totals by month

QString stateText(ReceivedState state)
{
    switch (state) {
    case ReceivedState::InHand:
        return QStringLiteral("手元");
    case ReceivedState::Discounted:
        return QStringLiteral("割引");
    case ReceivedState::HandedOn:
        return QStringLiteral("譲渡");
    case ReceivedState::Dishonoured:
        return QStringLiteral("不渡");
    case ReceivedState::Settled:
        return QStringLiteral("決済済");
    }
    return {};
}

QList<PartyOption> partyOptions(Database &db)
{
    QList<PartyOption> out{{QStringLiteral("すべての取引先"), {}}};
    for (const PartyRow &p : readParties(db, customerTable()))
        out << PartyOption{QStringLiteral("得意先 %1 %2").arg(p.code, p.name), {PartyChoice::Kind::Customer, p.code}};
    for (const PartyRow &p : readParties(db, supplierTable()))
        out << PartyOption{QStringLiteral("仕入先 %1 %2").arg(p.code, p.name), {PartyChoice::Kind::Supplier, p.code}};
    return out;
}

Totals billTotals(Database &db, TotalsBy by, const QDate &firstMonth, int months, const PartyChoice &party)
{
    if (const QString problem = spanProblem(firstMonth, months); !problem.isEmpty())
        throw DbError(problem);
    Totals t;
    t.by = by;
    t.party = party;
    const QDate first = monthStart(firstMonth);
    const QDate last = monthEnd(first.addMonths(months - 1));
    for (QDate m = first; m <= last; m = m.addMonths(1))
        t.months << TotalsMonth{m};
    t.sum.month = first;

    const QString day = by == TotalsBy::Due ? QStringLiteral("d.手形期日") : QStringLiteral("d.日付");
    QString where;
    QVariantList values{first, last};
    switch (party.kind) {
    case PartyChoice::Kind::All:
        break;
    case PartyChoice::Kind::Customer:
        where = QStringLiteral(" and d.処理 in (0, 2) and d.取引先コード = ?");
        values << party.code;
        break;
    case PartyChoice::Kind::Supplier:
        where = QStringLiteral(" and ((d.処理 = 1 and d.取引先コード = ?) or (d.処理 = 2 and d.譲渡先コード = ?))");
        values << party.code << party.code;
        break;
    }
    db.forEachRow(QStringLiteral("select %1, d.処理, d.状態, d.予約処理, d.終了フラグ, count(*), sum(d.金額) "
                                 "from D_手形 d where %1 between ? and ?%2 "
                                 "group by %1, d.処理, d.状態, d.予約処理, d.終了フラグ")
                      .arg(day, where),
                  values, [&t, &first](const RowView &r) {
                      const QDate date = r.date(0);
                      const int index = (date.year() - first.year()) * 12 + date.month() - first.month();
                      if (index < 0 || index >= t.months.size())
                          return;
                      TotalsMonth &m = t.months[index];
                      const int kind = int(r.number(1));
                      const int n = int(r.number(5));
                      const qint64 amount = r.number(6);
                      if (kind == 1) {
                          m.issued.add(n, amount);
                          t.sum.issued.add(n, amount);
                          return;
                      }
                      const auto s = std::size_t(stateOf(kind, int(r.number(2)), int(r.number(3)), r.number(4) != 0));
                      m.received[s].add(n, amount);
                      m.receivedAll.add(n, amount);
                      t.sum.received[s].add(n, amount);
                      t.sum.receivedAll.add(n, amount);
                  });
    return t;
}

Sheet totalsSheet(const Totals &t, const QString &partyName)
{
    Sheet s;
    s.title = t.by == TotalsBy::Due ? QStringLiteral("集計（期日）") : QStringLiteral("集計（処理日）");
    s.subtitle =
        (t.by == TotalsBy::Due ? QStringLiteral("手形期日の月ごと") : QStringLiteral("処理日（記帳日）の月ごと"));
    if (!t.months.isEmpty())
        s.subtitle +=
            QStringLiteral("　%1〜%2").arg(monthText(t.months.first().month), monthText(t.months.last().month));
    s.subtitle += QStringLiteral("　") + partyName;
    s.columns << SheetColumn{QStringLiteral("年月"), {}, false, 9};
    const auto pair = [&s](const QString &group) {
        s.columns << SheetColumn{QStringLiteral("件数"), group, true, 6}
                  << SheetColumn{QStringLiteral("金額"), group, true, 13};
    };
    for (int i = 0; i < kStates; ++i)
        pair(stateText(ReceivedState(i)));
    pair(QStringLiteral("受取手形計"));
    pair(QStringLiteral("支払手形"));
    const auto cells = [](const TotalsMonth &m, const QString &first) {
        QStringList row{first};
        const auto add = [&row](const Tally &x) { row << QString::number(x.count) << fmt::amount(x.amount); };
        for (const Tally &x : m.received)
            add(x);
        add(m.receivedAll);
        add(m.issued);
        return row;
    };
    for (const TotalsMonth &m : t.months)
        s.rows << cells(m, monthText(m.month));
    s.totals = cells(t.sum, QStringLiteral("合計"));
    return s;
}

} // namespace sorvane::book
