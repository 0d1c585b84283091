#include "book/BillLife.h"

#include "book/Conflicts.h"
#include "book/DiscountBanks.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "data/Schema.h"

namespace sorvane::book {

namespace {

const QStringList kRowColumns =
    QStringLiteral("id,処理,状態,予約フラグ,予約処理,予約日,終了フラグ,日付,手形番号,取引先コード,取引先,振出人,"
                   "手形期日,金額,譲渡先コード,譲渡先,更新回数,種類,記録番号")
        .split(u',');

// The columns a dishonour changes and its mistake puts back.
const QStringList kDishonourColumns =
    QStringLiteral("処理,状態,予約フラグ,予約処理,予約日,譲渡先コード,譲渡先").split(u',');

QString rowColumns(const QString &alias = {})
{
    if (alias.isEmpty())
        return kRowColumns.join(u',');
    QStringList named;
    for (const QString &c : kRowColumns)
        named << alias + u'.' + c;
    return named.join(u',');
}

BillRow rowAt(const RowView &r, int first = 0)
{
    int i = first;
    BillRow b;
    b.id = r.number(i++);
    b.処理 = int(r.number(i++));
    b.状態 = int(r.number(i++));
    b.予約フラグ = r.number(i++) != 0;
    b.予約処理 = int(r.number(i++));
    b.予約日 = r.date(i++);
    b.終了フラグ = r.number(i++) != 0;
    b.日付 = r.date(i++);
    b.手形番号 = r.text(i++);
    b.取引先コード = r.text(i++);
    b.取引先 = r.text(i++);
    b.振出人 = r.text(i++);
    b.手形期日 = r.date(i++);
    b.金額 = r.number(i++);
    b.譲渡先コード = r.text(i++);
    b.譲渡先 = r.text(i++);
    b.更新回数 = r.number(i++);
    b.種類 = int(r.number(i++));
    b.記録番号 = r.text(i++);
    return b;
}

std::optional<BillRow> readRow(Database &db, qint64 id, bool lock)
{
    std::optional<BillRow> row;
    db.forEachRow(QStringLiteral("select %1 from D_手形 where id=?").arg(rowColumns()) +
                      (lock ? db.dialect().forUpdate : QString()),
                  {id}, [&row](const RowView &r) { row = rowAt(r); });
    return row;
}

[[noreturn]] void refuse(const QString &why)
{
    throw StepRefused(why);
}

// What the bill is now, as the first half of a refusal.
QString stateWords(const BillRow &b)
{
    if (b.終了フラグ)
        return b.状態 == 2 ? QStringLiteral("この不渡手形は回収済みです") : QStringLiteral("この手形は決済済みです");
    switch (b.position()) {
    case Position::InHand:
        return QStringLiteral("この手形は手元にあります");
    case Position::Reserved:
        return QStringLiteral("この手形は予約中です");
    case Position::Discounted:
        return QStringLiteral("この手形は割引済みです");
    case Position::HandedOn:
        return QStringLiteral("この手形は譲渡済みです");
    case Position::Dishonoured:
        return QStringLiteral("この手形は不渡です");
    case Position::Issued:
        return QStringLiteral("この手形は支払手形です");
    case Position::Unknown:
        break;
    }
    return QStringLiteral("この手形の状態は不明です");
}

[[noreturn]] void refuseState(const BillRow &b, const QString &step, const QString &hint = {})
{
    QString text = stateWords(b) + QStringLiteral("。%1できません").arg(step);
    if (!hint.isEmpty())
        text += u'\n' + hint;
    refuse(text);
}

BillRow lockBill(Database &db, const StepInput &s)
{
    const std::optional<BillRow> row = readRow(db, s.billId, true);
    if (!row)
        refuse(QStringLiteral("この手形は削除されています"));
    checkVersion(s.version, row->更新回数);
    return *row;
}

void bump(Database &db, const QString &sets, const QVariantList &values, qint64 id)
{
    db.execute(QStringLiteral("update D_手形 set %1,更新回数=更新回数+1 where id=?").arg(sets),
               values + QVariantList{id});
}

std::optional<BillEvent> standing(Database &db, qint64 billId, const QString &kind)
{
    return standingEvent(db, billId, kind);
}

} // namespace

void checkStepDate(const StepInput &s, const QString &what)
{
    if (!s.date.isValid())
        refuse(QStringLiteral("%1を正しく入力してください").arg(what));
    if (s.today.isValid() && s.date > s.today)
        refuse(QStringLiteral("%1 %2 は今日 (%3) より後です。今日までの日付にしてください")
                   .arg(what, fmt::ymd(s.date), fmt::ymd(s.today)));
}

Position BillRow::position() const
{
    if (処理 == 1)
        return Position::Issued;
    if (処理 == 2)
        return 状態 == -2 ? Position::HandedOn : Position::Unknown;
    if (処理 != 0)
        return Position::Unknown;
    if (状態 == 2)
        return Position::Dishonoured;
    if (状態 == 1 && 予約フラグ && 予約処理 == 2)
        return Position::Discounted;
    if (状態 == 0)
        return 予約フラグ ? Position::Reserved : Position::InHand;
    return Position::Unknown;
}

QString BillRow::stateLabel() const
{
    if (終了フラグ)
        return 状態 == 2 ? state::回収済 : state::決済済;
    switch (position()) {
    case Position::InHand:
        return state::手元;
    case Position::Reserved:
        return state::予約;
    case Position::Discounted:
        return state::割引;
    case Position::HandedOn:
        return state::譲渡;
    case Position::Dishonoured:
        return state::不渡;
    case Position::Issued:
        return state::振出;
    case Position::Unknown:
        break;
    }
    return QStringLiteral("不明");
}

std::optional<BillRow> billRow(Database &db, qint64 id)
{
    return readRow(db, id, false);
}

BillEvent eventFor(const BillRow &b, const QString &kind, const QDate &date)
{
    BillEvent e;
    e.billId = b.id;
    e.kind = kind;
    e.date = date;
    e.処理 = b.処理;
    e.手形番号 = b.手形番号;
    e.取引先コード = b.取引先コード;
    e.取引先 = b.取引先;
    e.手形期日 = b.手形期日;
    e.金額 = b.金額;
    e.前状態 = b.stateLabel();
    return e;
}

qint64 discountBill(Database &db, const StepInput &s, const QString &bankCode, qint64 fee, bool claimRulesChecked)
{
    Transaction t(db);
    const BillRow b = lockBill(db, s);
    if (b.electronic() && !claimRulesChecked)
        refuse(QStringLiteral("電子記録債権は「でんさい」の割引で割り引いてください (期日前の停止期間を確かめます)"));
    if (b.終了フラグ || b.position() != Position::InHand)
        refuseState(b, QStringLiteral("割引"));
    checkStepDate(s, QStringLiteral("割引日"));
    if (b.手形期日.isValid() && s.date > b.手形期日)
        refuse(QStringLiteral("割引日 %1 が手形期日 %2 より後です。期日を過ぎた手形は割引できません")
                   .arg(fmt::ymd(s.date), fmt::ymd(b.手形期日)));
    const std::optional<DiscountBank> bank = discountBank(db, bankCode);
    if (!bank)
        refuse(QStringLiteral("割引先「%1」は登録されていません").arg(bankCode));
    if (fee < 0 || (fee > 0 && fee >= b.金額))
        refuse(QStringLiteral("割引料は 0 円以上、手形金額 (%1 円) 未満で入力してください").arg(fmt::amount(b.金額)));
    bump(db, QStringLiteral("状態=1,予約フラグ=1,予約処理=2,予約日=?"), {s.date}, b.id);
    BillEvent e = eventFor(b, kind::割引, s.date);
    e.相手先コード = bank->コード;
    e.相手先 = bank->display();
    e.手数料 = fee;
    e.後状態 = state::割引;
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 cancelDiscount(Database &db, const StepInput &s, DiscountUndo how)
{
    Transaction t(db);
    const BillRow b = lockBill(db, s);
    if (b.終了フラグ || b.position() != Position::Discounted)
        refuseState(b, QStringLiteral("割引の解除は"),
                    b.終了フラグ && b.position() == Position::Discounted
                        ? QStringLiteral("先に処理済手形一覧で決済を取り消してください")
                        : QString());
    checkStepDate(s, QStringLiteral("解除日"));
    const std::optional<BillEvent> discount = standing(db, b.id, kind::割引);
    if (discount && s.date < discount->date)
        refuse(QStringLiteral("解除日 %1 が割引日 %2 より前です").arg(fmt::ymd(s.date), fmt::ymd(discount->date)));
    bump(db, QStringLiteral("状態=0,予約フラグ=0,予約処理=0,予約日=null"), {}, b.id);
    BillEvent e = eventFor(b, kind::割引取消, s.date);
    e.事由 = how == DiscountUndo::Mistake ? reason::誤り : reason::買戻し;
    if (discount) {
        e.取消元id = discount->id;
        e.相手先コード = discount->相手先コード;
        e.相手先 = discount->相手先;
        e.手数料 = discount->手数料;
    }
    e.後状態 = state::手元;
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 settleBill(Database &db, const StepInput &s)
{
    Transaction t(db);
    const BillRow b = lockBill(db, s);
    const Position p = b.position();
    if (b.終了フラグ)
        refuseState(b, QStringLiteral("決済"));
    if (p == Position::Dishonoured)
        refuseState(b, QStringLiteral("決済"),
                    QStringLiteral("回収したときは、不渡手形解除で回収として登録してください"));
    if (p != Position::InHand && p != Position::Issued && p != Position::Discounted && p != Position::HandedOn)
        refuseState(b, QStringLiteral("決済"));
    checkStepDate(s, QStringLiteral("決済日"));
    if (b.手形期日.isValid() && s.date < b.手形期日)
        refuse(QStringLiteral("決済日 %1 は手形期日 %2 より前です。期日前の手形は決済できません")
                   .arg(fmt::ymd(s.date), fmt::ymd(b.手形期日)));
    bump(db, QStringLiteral("終了フラグ=1"), {}, b.id);
    BillEvent e = eventFor(b, kind::決済, s.date);
    // Whose the bill was when it ended: the bank that discounted it, the
    // supplier it was handed on to.
    if (p == Position::Discounted) {
        if (const std::optional<BillEvent> d = standing(db, b.id, kind::割引)) {
            e.相手先コード = d->相手先コード;
            e.相手先 = d->相手先;
        }
    } else if (p == Position::HandedOn) {
        e.相手先コード = b.譲渡先コード;
        e.相手先 = b.譲渡先;
    }
    e.後状態 = state::決済済;
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 cancelSettlement(Database &db, const StepInput &s)
{
    Transaction t(db);
    const BillRow b = lockBill(db, s);
    if (!b.終了フラグ)
        refuse(stateWords(b) + QStringLiteral("。決済されていないため、決済の取消はできません"));
    if (b.position() == Position::Dishonoured)
        refuse(stateWords(b) + QStringLiteral("。回収は決済ではないため、取り消せません"));
    checkStepDate(s, QStringLiteral("取消日"));
    const std::optional<BillEvent> settled = standing(db, b.id, kind::決済);
    if (!settled)
        refuse(QStringLiteral("この手形の決済は履歴に記録されていないため、取り消せません"));
    bump(db, QStringLiteral("終了フラグ=0"), {}, b.id);
    BillRow after = b;
    after.終了フラグ = false;
    BillEvent e = eventFor(b, kind::決済取消, s.date);
    e.取消元id = settled->id;
    e.相手先コード = settled->相手先コード;
    e.相手先 = settled->相手先;
    e.後状態 = after.stateLabel();
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 dishonourBill(Database &db, const StepInput &s, const QString &why)
{
    Transaction t(db);
    const BillRow b = lockBill(db, s);
    const Position p = b.position();
    if (b.終了フラグ)
        refuseState(b, QStringLiteral("不渡に"),
                    QStringLiteral("決済が誤りなら、先に処理済手形一覧で決済を取り消してください"));
    if (p != Position::InHand && p != Position::Discounted && p != Position::HandedOn)
        refuseState(b, QStringLiteral("不渡に"));
    checkStepDate(s, QStringLiteral("不渡日"));
    if (why.trimmed().isEmpty())
        refuse(QStringLiteral("不渡の事由を入力してください"));
    const RowSnapshot before = billSnapshot(db, b.id);
    RowSnapshot kept;
    for (const QString &c : kDishonourColumns) {
        kept.columns << c;
        kept.values.insert(c, before.values.value(c));
    }
    bump(db, QStringLiteral("処理=0,状態=2,予約フラグ=0,予約処理=0,予約日=null,譲渡先コード=null,譲渡先=null"), {},
         b.id);
    BillEvent e = eventFor(b, kind::不渡, s.date);
    e.処理 = 0;
    e.事由 = why.trimmed();
    e.変更前 = fieldLines(kept);
    if (p == Position::Discounted) {
        if (const std::optional<BillEvent> d = standing(db, b.id, kind::割引)) {
            e.相手先コード = d->相手先コード;
            e.相手先 = d->相手先;
        }
    } else if (p == Position::HandedOn) {
        e.相手先コード = b.譲渡先コード;
        e.相手先 = b.譲渡先;
    }
    e.後状態 = state::不渡;
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 cancelDishonour(Database &db, const StepInput &s, DishonourUndo how, qint64 recovered)
{
    Transaction t(db);
    const BillRow b = lockBill(db, s);
    if (b.終了フラグ || b.position() != Position::Dishonoured)
        refuseState(b, QStringLiteral("不渡の解除は"));
    checkStepDate(s, how == DishonourUndo::Recovered ? QStringLiteral("回収日") : QStringLiteral("解除日"));
    const std::optional<BillEvent> dishonour = standing(db, b.id, kind::不渡);
    if (dishonour && s.date < dishonour->date)
        refuse(QStringLiteral("%1 %2 が不渡日 %3 より前です")
                   .arg(how == DishonourUndo::Recovered ? QStringLiteral("回収日") : QStringLiteral("解除日"),
                        fmt::ymd(s.date), fmt::ymd(dishonour->date)));
    BillEvent e = eventFor(b, kind::不渡取消, s.date);
    if (dishonour) {
        e.取消元id = dishonour->id;
        e.相手先コード = dishonour->相手先コード;
        e.相手先 = dishonour->相手先;
    }
    if (how == DishonourUndo::Recovered) {
        if (recovered <= 0 || recovered > b.金額)
            refuse(
                QStringLiteral("回収額は 1 円以上、手形金額 (%1 円) までで入力してください").arg(fmt::amount(b.金額)));
        bump(db, QStringLiteral("終了フラグ=1"), {}, b.id);
        e.事由 = reason::回収;
        e.回収額 = recovered;
        e.後状態 = state::回収済;
    } else {
        if (!dishonour)
            refuse(QStringLiteral("この手形の不渡は履歴に記録されていないため、元の状態に戻せません"));
        // The columns as they were before the dishonour: in hand, discounted
        // or handed on again.
        const QMap<QString, QString> was = parseFieldLines(dishonour->変更前);
        const auto number = [&was](const QString &c) { return was.value(c).toLongLong(); };
        const auto textOrNull = [&was](const QString &c) {
            return was.value(c).isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(was.value(c));
        };
        const QDate reserved = QDate::fromString(was.value(QStringLiteral("予約日")), Qt::ISODate);
        bump(db, QStringLiteral("処理=?,状態=?,予約フラグ=?,予約処理=?,予約日=?,譲渡先コード=?,譲渡先=?"),
             {number(QStringLiteral("処理")), number(QStringLiteral("状態")), number(QStringLiteral("予約フラグ")),
              number(QStringLiteral("予約処理")), reserved, textOrNull(QStringLiteral("譲渡先コード")),
              textOrNull(QStringLiteral("譲渡先"))},
             b.id);
        const std::optional<BillRow> after = readRow(db, b.id, false);
        e.処理 = after ? after->処理 : b.処理;
        e.事由 = reason::誤り;
        e.後状態 = after ? after->stateLabel() : QString();
    }
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

// ---------------------------------------------------------------- the windows' own steps

namespace {

QDate orToday(const QDate &on)
{
    return on.isValid() ? on : QDate::currentDate();
}

} // namespace

BillRow requireReceivableEditable(Database &db, qint64 id, const QString &step)
{
    const std::optional<BillRow> b = readRow(db, id, false);
    if (!b)
        refuse(QStringLiteral("この手形はすでに削除されています"));
    const Position p = b->position();
    if (b->終了フラグ || (p != Position::InHand && p != Position::Dishonoured))
        refuseState(*b, step);
    return *b;
}

BillRow requireIssuedEditable(Database &db, qint64 id, const QString &step)
{
    const std::optional<BillRow> b = readRow(db, id, false);
    if (!b)
        refuse(QStringLiteral("この手形はすでに削除されています"));
    if (b->position() != Position::Issued)
        refuseState(*b, step);
    if (b->終了フラグ)
        refuseState(*b, step, QStringLiteral("決済が誤りなら、先に処理済手形一覧で決済を取り消してください"));
    return *b;
}

void recordCorrection(Database &db, const BillRow &was, const RowSnapshot &before, const QDate &on)
{
    const RowSnapshot after = billSnapshot(db, was.id);
    const auto [changedFrom, changedTo] = changedFields(before, after);
    if (changedFrom.isEmpty() && changedTo.isEmpty())
        return;
    const std::optional<BillRow> now = readRow(db, was.id, false);
    BillEvent e = eventFor(now ? *now : was, kind::修正, orToday(on));
    e.前状態 = was.stateLabel();
    e.後状態 = now ? now->stateLabel() : was.stateLabel();
    e.変更前 = changedFrom;
    e.変更後 = changedTo;
    recordEvent(db, e);
}

void recordDeletion(Database &db, const BillRow &was, const QDate &on)
{
    BillEvent e = eventFor(was, kind::削除, orToday(on));
    e.変更前 = fieldLines(billSnapshot(db, was.id));
    e.後状態 = state::削除;
    recordEvent(db, e);
}

// ---------------------------------------------------------------- lists

QDate settlementDate(const BillRow &b, int collectionDays, BankCalendar &calendar)
{
    if (!b.手形期日.isValid())
        return {};
    // An electronic claim is paid from account to account on its due date,
    // itself a bank business day: nothing waits for collection.
    if (b.position() == Position::InHand && !b.electronic())
        return calendar.onOrAfter(b.手形期日.addDays(collectionDays));
    return b.手形期日;
}

std::vector<SettlementDue> billsToSettle(Database &db, const QDate &through, BankCalendar &calendar)
{
    const int days = schema::readCollectionDays(db);
    std::vector<BillRow> rows;
    db.forEachRow(QStringLiteral("select %1 from D_手形 where 終了フラグ=0 and 手形期日 is not null and 手形期日<=? "
                                 "and ((処理=0 and 状態=0 and 予約フラグ=0) or (処理=0 and 状態=1 and 予約フラグ=1 "
                                 "and 予約処理=2) or 処理=1 or (処理=2 and 状態=-2)) order by 手形期日,id")
                      .arg(rowColumns()),
                  {through}, [&rows](const RowView &r) { rows.push_back(rowAt(r)); });
    std::vector<SettlementDue> due;
    due.reserve(rows.size());
    for (const BillRow &b : rows) {
        const QDate on = settlementDate(b, days, calendar);
        if (on.isValid() && on <= through)
            due.push_back({b, on});
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const SettlementDue &a, const SettlementDue &b) { return a.settleOn < b.settleOn; });
    return due;
}

int settleBills(Database &db, const QList<SettleOrder> &orders, const QDate &today)
{
    Transaction t(db);
    for (const SettleOrder &o : orders) {
        try {
            settleBill(db, {o.billId, o.version, o.date, today});
        } catch (const DbError &e) {
            const std::optional<BillRow> b = readRow(db, o.billId, false);
            throw StepRefused(QStringLiteral("手形番号 %1: %2\n何も決済しませんでした")
                                  .arg(b ? b->手形番号 : QString::number(o.billId), e.description()));
        }
    }
    t.commit();
    return int(orders.size());
}

std::vector<FinishedBill> finishedBills(Database &db, const QDate &from, const QDate &to)
{
    std::vector<FinishedBill> out;
    db.forEachRow(QStringLiteral("select %1,%2 from 手形履歴 h join D_手形 d on d.id=h.手形id "
                                 "where h.種別='決済' and h.処理日 between ? and ? and d.終了フラグ=1 "
                                 "and not exists (select 1 from 手形履歴 t where t.取消元id=h.id) "
                                 "order by h.処理日,d.id")
                      .arg(rowColumns(QStringLiteral("d")), eventColumns(QStringLiteral("h"))),
                  {from, to}, [&out](const RowView &r) {
                      out.push_back({rowAt(r), eventAt(r, int(kRowColumns.size()))});
                  });
    return out;
}

std::vector<DiscountedBill> discountedBills(Database &db, const QDate &dueFrom)
{
    QString where = QStringLiteral("d.処理=0 and d.状態=1 and d.予約フラグ=1 and d.予約処理=2 and d.終了フラグ=0");
    QVariantList values;
    if (dueFrom.isValid()) {
        where += QStringLiteral(" and (d.手形期日 is null or d.手形期日>=?)");
        values << dueFrom;
    }
    std::vector<DiscountedBill> out;
    db.forEachRow(QStringLiteral("select %1,%2 from D_手形 d left join 手形履歴 h on h.id=(select max(x.id) from "
                                 "手形履歴 x where x.手形id=d.id and x.種別='割引') where %3 "
                                 "order by h.相手先コード,d.手形期日,d.id")
                      .arg(rowColumns(QStringLiteral("d")), eventColumns(QStringLiteral("h")), where),
                  values, [&out](const RowView &r) {
                      out.push_back({rowAt(r), eventAt(r, int(kRowColumns.size()))});
                  });
    return out;
}

std::vector<DishonouredBill> dishonouredBills(Database &db)
{
    std::vector<DishonouredBill> out;
    db.forEachRow(QStringLiteral("select %1,%2 from D_手形 d left join 手形履歴 h on h.id=(select max(x.id) from "
                                 "手形履歴 x where x.手形id=d.id and x.種別='不渡') "
                                 "where d.処理=0 and d.状態=2 and d.終了フラグ=0 order by h.処理日,d.id")
                      .arg(rowColumns(QStringLiteral("d")), eventColumns(QStringLiteral("h"))),
                  {}, [&out](const RowView &r) {
                      out.push_back({rowAt(r), eventAt(r, int(kRowColumns.size()))});
                  });
    return out;
}

std::vector<BillRow> discountCandidates(Database &db)
{
    std::vector<BillRow> out;
    db.forEachRow(
        QStringLiteral("select %1 from D_手形 where 処理=0 and 状態=0 and 予約フラグ=0 and 終了フラグ=0 and 種類<2 "
                       "order by 手形期日 nulls first,id")
            .arg(rowColumns()),
        {}, [&out](const RowView &r) { out.push_back(rowAt(r)); });
    return out;
}

std::vector<BillRow> dishonourCandidates(Database &db)
{
    std::vector<BillRow> out;
    db.forEachRow(QStringLiteral("select %1 from D_手形 where 終了フラグ=0 and ((処理=0 and 状態=0 and 予約フラグ=0) "
                                 "or (処理=0 and 状態=1 and 予約フラグ=1 and 予約処理=2) or (処理=2 and 状態=-2)) "
                                 "order by 手形期日 nulls first,id")
                      .arg(rowColumns()),
                  {}, [&out](const RowView &r) { out.push_back(rowAt(r)); });
    return out;
}

QDate journalExportedThrough(Database &db)
{
    const QVariant v = db.scalar(QStringLiteral("select 仕訳出力済日 from 設定 where id=1"));
    return v.isNull() ? QDate() : QDate::fromString(v.toString().left(10), Qt::ISODate);
}

void noteJournalExported(Database &db, const QDate &to)
{
    const QDate before = journalExportedThrough(db);
    if (before.isValid() && before >= to)
        return;
    db.execute(QStringLiteral("update 設定 set 仕訳出力済日=? where id=1"), {to});
}

} // namespace sorvane::book
