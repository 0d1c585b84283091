#include "book/Densai.h"

#include "book/Accounts.h"
#include "book/Conflicts.h"
#include "book/History.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "book/TextEncoding.h"
#include "data/Calendar.h"
#include "data/Engine.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "data/TypedInput.h"

#include <QSet>
#include <QStringDecoder>

#include <functional>

namespace sorvane::book::densai {

namespace {

const QString kIssued = QStringLiteral("発生記録");

[[noreturn]] void refuse(const QString &why)
{
    throw StepRefused(why);
}

QVariant textOrNull(const QString &s)
{
    return s.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(s);
}

const QString kClaimColumns =
    QStringLiteral("id,処理,記録番号,親記録番号,電子記録日,手形期日,金額,取引先コード,取引先,kozano,支払場所,"
                   "支払場所支店,債務者口座,債権者銀行,債権者支店,債権者口座,譲渡制限,譲渡先コード,譲渡先,更新回数,"
                   "状態,予約フラグ,予約処理,終了フラグ");

Claim claimAt(const RowView &r)
{
    Claim c;
    int i = 0;
    c.id = r.number(i++);
    const int 処理 = int(r.number(i++));
    c.side = 処理 == 1 ? Side::Payable : Side::Receivable;
    c.記録番号 = r.text(i++);
    c.親記録番号 = r.text(i++);
    c.電子記録日 = r.date(i++);
    c.支払期日 = r.date(i++);
    c.金額 = r.number(i++);
    c.取引先コード = r.text(i++);
    c.取引先 = r.text(i++);
    c.kozano = r.number(i++);
    c.債務者銀行 = r.text(i++);
    c.債務者支店 = r.text(i++);
    c.債務者口座 = r.text(i++);
    c.債権者銀行 = r.text(i++);
    c.債権者支店 = r.text(i++);
    c.債権者口座 = r.text(i++);
    c.譲渡制限 = r.number(i++) != 0;
    c.譲渡先コード = r.text(i++);
    c.譲渡先 = r.text(i++);
    c.更新回数 = r.number(i++);
    BillRow b;
    b.処理 = 処理;
    b.状態 = int(r.number(i++));
    b.予約フラグ = r.number(i++) != 0;
    b.予約処理 = int(r.number(i++));
    b.終了フラグ = r.number(i++) != 0;
    c.状態 = b.stateLabel();
    return c;
}

// The whole claim checked before it is written: the values, the number
// free (but for the claim itself), the party registered. Fills the party's
// name and, for ours, the debtor's bank from the account.
void checkClaim(Database &db, Claim &c, BankCalendar &calendar)
{
    c.記録番号 = normalizeRecordNumber(c.記録番号);
    c.親記録番号 = normalizeRecordNumber(c.親記録番号);
    if (const QString why = recordNumberProblem(c.記録番号); !why.isEmpty())
        refuse(why);
    if (!c.親記録番号.isEmpty()) {
        if (const QString why = recordNumberProblem(c.親記録番号); !why.isEmpty())
            refuse(QStringLiteral("親記録番号: ") + why);
    }
    const QVariant other =
        db.scalar(QStringLiteral("select id from D_手形 where 記録番号=? and id<>?"), {c.記録番号, c.id});
    if (!other.isNull()) {
        const std::optional<Claim> taken = claim(db, other.toLongLong());
        refuse(QStringLiteral("記録番号 %1 はすでに登録されています (%2 %3 円、支払期日 %4)")
                   .arg(c.記録番号, taken ? taken->取引先 : QString(), fmt::amount(taken ? taken->金額 : 0),
                        taken ? fmt::ymd(taken->支払期日) : QString()));
    }
    if (c.金額 < 1 || c.金額 > input::kMaxAmount)
        refuse(QStringLiteral("金額は 1 円以上 %1 円以下で入力してください").arg(fmt::amount(input::kMaxAmount)));
    if (!c.電子記録日.isValid())
        refuse(QStringLiteral("電子記録年月日を入力してください"));
    if (!c.支払期日.isValid())
        refuse(QStringLiteral("支払期日を入力してください"));
    if (c.支払期日 < c.電子記録日)
        refuse(QStringLiteral("支払期日 %1 が電子記録年月日 %2 より前です")
                   .arg(fmt::ymd(c.支払期日), fmt::ymd(c.電子記録日)));
    if (!calendar.isBusinessDay(c.支払期日))
        refuse(QStringLiteral(
                   "支払期日 %1 は銀行の休業日です。でんさいの支払期日は銀行営業日にしてください (次の営業日: %2)")
                   .arg(fmt::ymd(c.支払期日), fmt::ymd(calendar.onOrAfter(c.支払期日))));
    c.取引先コード = fmt::normalizeCode(c.取引先コード);
    if (c.side == Side::Receivable) {
        if (c.取引先コード.isEmpty())
            refuse(QStringLiteral("債務者 (得意先) のコードを入力してください"));
        const std::optional<Customer> who = findCustomer(db, c.取引先コード);
        if (!who)
            refuse(QStringLiteral("得意先コード「%1」は登録されていません").arg(c.取引先コード));
        c.取引先 = who->name;
    } else {
        if (c.取引先コード.isEmpty())
            refuse(QStringLiteral("債権者 (仕入先) のコードを入力してください"));
        const std::optional<PartyRow> who = findSupplier(db, c.取引先コード);
        if (!who)
            refuse(QStringLiteral("仕入先コード「%1」は登録されていません").arg(c.取引先コード));
        c.取引先 = who->name;
        Recordset a = db.openRecordset(QStringLiteral("select 銀行名,支店名,口座番号 from 口座データ where kozano=?"),
                                       {c.kozano});
        if (a.eof())
            refuse(QStringLiteral("口座 (kozano %1) は登録されていません").arg(c.kozano));
        c.債務者銀行 = a.text(QStringLiteral("銀行名"));
        c.債務者支店 = a.text(QStringLiteral("支店名"));
        c.債務者口座 = a.text(QStringLiteral("口座番号"));
    }
}

QVariantList claimValues(const Claim &c)
{
    return {c.電子記録日,
            c.記録番号,
            c.記録番号,
            textOrNull(c.親記録番号),
            c.電子記録日,
            c.電子記録日,
            c.支払期日,
            qint64(c.電子記録日.daysTo(c.支払期日)),
            c.金額,
            c.取引先コード,
            c.取引先,
            c.side == Side::Receivable ? c.取引先 : QString(),
            c.side == Side::Payable ? c.kozano : 0,
            c.債務者銀行,
            c.債務者支店,
            c.債務者口座,
            c.債権者銀行,
            c.債権者支店,
            c.債権者口座,
            c.譲渡制限 ? 1 : 0};
}

const QString kWrittenColumns = QStringLiteral("日付=?,手形番号=?,記録番号=?,親記録番号=?,電子記録日=?,振出日=?,"
                                               "手形期日=?,手形期間=?,金額=?,取引先コード=?,取引先=?,振出人=?,"
                                               "kozano=?,支払場所=?,支払場所支店=?,債務者口座=?,債権者銀行=?,"
                                               "債権者支店=?,債権者口座=?,譲渡制限=?");

qint64 insertClaim(Database &db, const Claim &c)
{
    const QStringList sets = kWrittenColumns.split(u',');
    QStringList names;
    for (const QString &s : sets)
        names << s.left(s.size() - 2);
    QVariantList values = claimValues(c);
    names << QStringLiteral("処理") << QStringLiteral("種類") << QStringLiteral("予約口座id");
    qint64 account = 0;
    if (c.side == Side::Payable)
        account = db.scalar(QStringLiteral("select id from 口座データ where kozano=?"), {c.kozano}).toLongLong();
    values << (c.side == Side::Payable ? 1 : 0) << kElectronic << account;
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    db.execute(QStringLiteral("insert into D_手形(%1) values(%2)").arg(names.join(u','), marks.join(u',')), values);
    return db.lastInsertId();
}

BillRow lockClaim(Database &db, const StepInput &s)
{
    std::optional<BillRow> row;
    db.forEachRow(QStringLiteral("select id from D_手形 where id=?") + db.dialect().forUpdate, {s.billId},
                  [](const RowView &) {});
    row = billRow(db, s.billId);
    if (!row)
        refuse(QStringLiteral("この電子記録債権は削除されています"));
    checkVersion(s.version, row->更新回数);
    if (!row->electronic())
        refuse(QStringLiteral("この手形は電子記録債権ではありません"));
    return *row;
}

// A receivable claim in hand, not finished, or the refusal naming what it is.
void requireInHand(const BillRow &b, const QString &step)
{
    if (b.処理 == 1)
        refuse(QStringLiteral("電子記録債務 (自社の支払) は%1できません").arg(step));
    if (b.終了フラグ || b.position() != Position::InHand)
        refuse(QStringLiteral("この電子記録債権は「%1」の状態です。%2できるのは手元の債権だけです")
                   .arg(b.stateLabel(), step));
}

void checkBlackout(Database &db, const QString &step, const StepInput &s, const BillRow &b, BankCalendar &calendar)
{
    const QString why = blackoutProblem(step, s.date, b.手形期日, schema::readDensaiBlackoutDays(db), calendar);
    if (!why.isEmpty())
        refuse(why);
}

bool wasSplit(Database &db, const BillRow &b)
{
    return !b.記録番号.isEmpty() &&
           db.scalar(QStringLiteral("select count(*) from D_手形 where 親記録番号=?"), {b.記録番号}).toInt() > 0;
}

} // namespace

QString kindName(int 種類, int 処理)
{
    switch (種類) {
    case kBillOfExchange:
        return QStringLiteral("為替手形");
    case kElectronic:
        return 処理 == 1 ? QStringLiteral("電子記録債務") : QStringLiteral("電子記録債権");
    default:
        return QStringLiteral("約束手形");
    }
}

QString normalizeRecordNumber(const QString &typed)
{
    return fmt::normalizeCode(typed).toUpper();
}

QString recordNumberProblem(const QString &number)
{
    if (number.isEmpty())
        return QStringLiteral("記録番号を入力してください (半角英数字 %1 桁)").arg(kRecordNumberLength);
    for (const QChar c : number) {
        const bool ok = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!ok)
            return QStringLiteral("記録番号に使えない文字「%1」があります。半角英数字 %2 桁で入力してください")
                .arg(c)
                .arg(kRecordNumberLength);
    }
    if (number.size() != kRecordNumberLength)
        return QStringLiteral("記録番号は半角英数字 %1 桁です (入力は %2 桁)")
            .arg(kRecordNumberLength)
            .arg(number.size());
    return {};
}

qint64 registerClaim(Database &db, const Claim &given, BankCalendar &calendar)
{
    Transaction t(db);
    Claim c = given;
    c.id = 0;
    checkClaim(db, c, calendar);
    const qint64 id = insertClaim(db, c);
    const std::optional<BillRow> row = billRow(db, id);
    BillEvent e = eventFor(*row, c.side == Side::Payable ? kind::振出 : kind::受取, c.電子記録日);
    e.前状態.clear();
    e.後状態 = c.side == Side::Payable ? state::振出 : state::手元;
    e.事由 = kIssued;
    recordEvent(db, e);
    t.commit();
    return id;
}

void saveClaim(Database &db, const Claim &given, BankCalendar &calendar, const QDate &on)
{
    Transaction t(db);
    const BillRow was = lockClaim(db, {given.id, given.更新回数, on, {}});
    const bool open = !was.終了フラグ && (given.side == Side::Payable ? was.position() == Position::Issued
                                                                      : was.position() == Position::InHand);
    if (!open)
        refuse(QStringLiteral("この電子記録債権・債務は「%1」の状態のため、修正できません").arg(was.stateLabel()));
    Claim c = given;
    c.side = was.処理 == 1 ? Side::Payable : Side::Receivable;
    checkClaim(db, c, calendar);
    const bool split = wasSplit(db, was);
    const std::optional<Claim> stored = claim(db, was.id);
    if ((split || !stored->親記録番号.isEmpty()) && (c.金額 != was.金額 || c.記録番号 != was.記録番号))
        refuse(QStringLiteral("分割した債権の金額と記録番号は修正できません (分割した各部分の合計が元の金額に"
                              "なるように保つため)"));
    if (c.親記録番号 != stored->親記録番号)
        refuse(QStringLiteral("親記録番号は修正できません"));
    const RowSnapshot before = billSnapshot(db, was.id);
    db.execute(QStringLiteral("update D_手形 set %1,更新回数=更新回数+1 where id=?").arg(kWrittenColumns),
               claimValues(c) + QVariantList{was.id});
    recordCorrection(db, was, before, on);
    t.commit();
}

void deleteClaim(Database &db, qint64 id, std::optional<qint64> version, const QDate &on)
{
    Transaction t(db);
    const BillRow was = lockClaim(db, {id, version, on, {}});
    if (was.終了フラグ || (was.position() != Position::InHand && was.position() != Position::Issued))
        refuse(QStringLiteral("この電子記録債権・債務は「%1」の状態のため、削除できません").arg(was.stateLabel()));
    const std::optional<Claim> stored = claim(db, id);
    if (wasSplit(db, was) || !stored->親記録番号.isEmpty())
        refuse(QStringLiteral("分割した債権とその分割部分は削除できません (各部分の合計が元の金額になるように"
                              "保つため)"));
    recordDeletion(db, was, on);
    db.execute(QStringLiteral("delete from D_手形 where id=?"), {id});
    t.commit();
}

std::optional<Claim> claim(Database &db, qint64 id)
{
    std::optional<Claim> out;
    db.forEachRow(QStringLiteral("select %1 from D_手形 where id=? and 種類=2").arg(kClaimColumns), {id},
                  [&out](const RowView &r) { out = claimAt(r); });
    return out;
}

std::vector<Claim> claims(Database &db, Side side, bool all)
{
    std::vector<Claim> out;
    const QString which = side == Side::Payable ? QStringLiteral("処理=1") : QStringLiteral("処理 in (0,2)");
    db.forEachRow(QStringLiteral("select %1 from D_手形 where 種類=2 and %2%3 order by 手形期日, 記録番号")
                      .arg(kClaimColumns, which, all ? QString() : QStringLiteral(" and 終了フラグ=0")),
                  {}, [&out](const RowView &r) { out.push_back(claimAt(r)); });
    return out;
}

QDate blackoutStart(const QDate &due, int days, BankCalendar &calendar)
{
    QDate d = due;
    for (int i = 0; i < days; ++i) {
        d = d.addDays(-1);
        while (!calendar.isBusinessDay(d))
            d = d.addDays(-1);
    }
    return d;
}

QString blackoutProblem(const QString &step, const QDate &on, const QDate &due, int days, BankCalendar &calendar)
{
    if (!due.isValid() || !on.isValid())
        return {};
    if (on > due)
        return QStringLiteral("%1日 %2 は支払期日 %3 を過ぎています。期日を過ぎた債権は%1できません")
            .arg(step, fmt::ymd(on), fmt::ymd(due));
    const QDate start = blackoutStart(due, days, calendar);
    if (on >= start)
        return QStringLiteral("支払期日 %1 の %2 銀行営業日前 (%3) から支払期日までは、でんさいの譲渡・分割・割引の"
                              "記録ができません。%4日 %5 は%1できません")
            .arg(step, fmt::ymd(due))
            .arg(days)
            .arg(fmt::ymd(start), step, fmt::ymd(on));
    return {};
}

qint64 transferClaim(Database &db, const StepInput &s, const QString &supplierCode, bool guarantee,
                     BankCalendar &calendar)
{
    Transaction t(db);
    const BillRow b = lockClaim(db, s);
    requireInHand(b, QStringLiteral("譲渡"));
    const std::optional<Claim> c = claim(db, b.id);
    if (c->譲渡制限)
        refuse(QStringLiteral("この電子記録債権には譲渡制限があります。仕入先への譲渡はできません (割引なら"
                              "できます)"));
    checkStepDate(s, QStringLiteral("譲渡日"));
    checkBlackout(db, QStringLiteral("譲渡"), s, b, calendar);
    const QString code = fmt::normalizeCode(supplierCode);
    const std::optional<PartyRow> supplier = findSupplier(db, code);
    if (code.isEmpty() || !supplier)
        refuse(QStringLiteral("譲渡先の仕入先コード「%1」は登録されていません").arg(code));
    db.execute(QStringLiteral("update D_手形 set 処理=2,状態=-2,保管場所='',予約フラグ=1,予約処理=1,予約口座id=0,"
                              "予約日=?,譲渡先コード=?,譲渡先=?,更新回数=更新回数+1 where id=?"),
               {s.date, code, supplier->name, b.id});
    BillEvent e = eventFor(b, kind::譲渡, s.date);
    e.処理 = 2;
    e.相手先コード = code;
    e.相手先 = supplier->name;
    // With the guarantee the company answers for the claim until it is paid.
    e.事由 = guarantee ? QStringLiteral("保証あり") : QStringLiteral("保証なし");
    e.後状態 = state::譲渡;
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 cancelTransfer(Database &db, const StepInput &s)
{
    Transaction t(db);
    const BillRow b = lockClaim(db, s);
    if (b.終了フラグ || b.position() != Position::HandedOn)
        refuse(QStringLiteral("この電子記録債権は「%1」の状態です。譲渡の取消はできません").arg(b.stateLabel()));
    checkStepDate(s, QStringLiteral("取消日"));
    const std::optional<BillEvent> handOn = standingEvent(db, b.id, kind::譲渡);
    if (handOn && s.date < handOn->date)
        refuse(QStringLiteral("取消日 %1 が譲渡日 %2 より前です").arg(fmt::ymd(s.date), fmt::ymd(handOn->date)));
    db.execute(QStringLiteral("update D_手形 set 処理=0,状態=0,予約フラグ=0,予約処理=0,予約日=null,"
                              "譲渡先コード=null,譲渡先=null,更新回数=更新回数+1 where id=?"),
               {b.id});
    BillEvent e = eventFor(b, kind::譲渡取消, s.date);
    e.処理 = 0;
    e.事由 = reason::誤り;
    if (handOn)
        e.取消元id = handOn->id;
    e.相手先コード = b.譲渡先コード;
    e.相手先 = b.譲渡先;
    e.後状態 = state::手元;
    const qint64 id = recordEvent(db, e);
    t.commit();
    return id;
}

qint64 splitClaim(Database &db, const StepInput &s, const QString &newNumber, qint64 amount, BankCalendar &calendar)
{
    Transaction t(db);
    const BillRow b = lockClaim(db, s);
    requireInHand(b, QStringLiteral("分割"));
    checkStepDate(s, QStringLiteral("分割日"));
    checkBlackout(db, QStringLiteral("分割"), s, b, calendar);
    if (amount < 1 || amount >= b.金額)
        refuse(QStringLiteral("分割する金額は 1 円以上、債権金額 (%1 円) 未満で入力してください")
                   .arg(fmt::amount(b.金額)));
    Claim part = *claim(db, b.id);
    const qint64 before = part.金額;
    part.id = 0;
    part.記録番号 = normalizeRecordNumber(newNumber);
    part.親記録番号 = b.記録番号;
    part.金額 = amount;
    part.更新回数.reset();
    if (const QString why = recordNumberProblem(part.記録番号); !why.isEmpty())
        refuse(why);
    if (!db.scalar(QStringLiteral("select id from D_手形 where 記録番号=?"), {part.記録番号}).isNull())
        refuse(QStringLiteral("記録番号 %1 はすでに登録されています").arg(part.記録番号));

    db.execute(QStringLiteral("update D_手形 set 金額=金額-?,更新回数=更新回数+1 where id=?"), {amount, b.id});
    const qint64 partId = insertClaim(db, part);
    // The part was received when its parent was; the split is its record date.
    db.execute(QStringLiteral("update D_手形 set 日付=?,保管場所=(select 保管場所 from D_手形 where id=?),"
                              "電子記録日=? where id=?"),
               {b.日付, b.id, s.date, partId});

    BillEvent parentEvent = eventFor(b, kind::分割, s.date);
    parentEvent.金額 = amount;
    parentEvent.相手先 = part.記録番号;
    parentEvent.事由 = QStringLiteral("分割記録: %1 円を記録番号 %2 に分割").arg(fmt::amount(amount), part.記録番号);
    parentEvent.変更前 = QStringLiteral("金額: %1").arg(before);
    parentEvent.変更後 = QStringLiteral("金額: %1").arg(before - amount);
    parentEvent.後状態 = state::手元;
    recordEvent(db, parentEvent);

    const std::optional<BillRow> partRow = billRow(db, partId);
    BillEvent partEvent = eventFor(*partRow, kind::分割, s.date);
    partEvent.前状態.clear();
    partEvent.相手先 = b.記録番号;
    partEvent.事由 = QStringLiteral("分割記録: 記録番号 %1 から分割").arg(b.記録番号);
    partEvent.後状態 = state::手元;
    recordEvent(db, partEvent);
    t.commit();
    return partId;
}

qint64 discountClaim(Database &db, const StepInput &s, const QString &bankCode, qint64 fee, BankCalendar &calendar)
{
    Transaction t(db);
    const BillRow b = lockClaim(db, s);
    requireInHand(b, QStringLiteral("割引"));
    checkStepDate(s, QStringLiteral("割引日"));
    checkBlackout(db, QStringLiteral("割引"), s, b, calendar);
    const qint64 id = discountBill(db, s, bankCode, fee, true);
    t.commit();
    return id;
}

// ---------------------------------------------------------------- files

namespace {

struct CsvField {
    QString column;
    std::function<QString(const Claim &)> write;
    std::function<QString(Claim &, const QString &, const QDate &)> read; // returns the refusal, or empty
};

QString readDateInto(QDate &into, const QString &field, const QString &text, const QDate &today)
{
    if (text.trimmed().isEmpty()) {
        into = {};
        return {};
    }
    input::Problem problem;
    const std::optional<QDate> d = input::readDate(field, text.trimmed(), today, problem);
    if (!d)
        return problem.message;
    into = *d;
    return {};
}

const QList<CsvField> &csvFields()
{
    static const QList<CsvField> fields{
        {QStringLiteral("処理"),
         [](const Claim &c) { return c.side == Side::Payable ? QStringLiteral("1") : QStringLiteral("0"); },
         [](Claim &c, const QString &v, const QDate &) {
             const QString t = v.trimmed();
             if (t == u"0" || t == u"電子記録債権" || t == u"債権")
                 c.side = Side::Receivable;
             else if (t == u"1" || t == u"電子記録債務" || t == u"債務")
                 c.side = Side::Payable;
             else
                 return QStringLiteral("処理は 0 (電子記録債権) か 1 (電子記録債務) です: %1").arg(t);
             return QString();
         }},
        {QStringLiteral("記録番号"), [](const Claim &c) { return c.記録番号; },
         [](Claim &c, const QString &v, const QDate &) {
             c.記録番号 = normalizeRecordNumber(v);
             return QString();
         }},
        {QStringLiteral("親記録番号"), [](const Claim &c) { return c.親記録番号; },
         [](Claim &c, const QString &v, const QDate &) {
             c.親記録番号 = normalizeRecordNumber(v);
             return QString();
         }},
        {QStringLiteral("電子記録日"), [](const Claim &c) { return c.電子記録日.toString(Qt::ISODate); },
         [](Claim &c, const QString &v, const QDate &today) {
             return readDateInto(c.電子記録日, QStringLiteral("電子記録日"), v, today);
         }},
        {QStringLiteral("手形期日"), [](const Claim &c) { return c.支払期日.toString(Qt::ISODate); },
         [](Claim &c, const QString &v, const QDate &today) {
             return readDateInto(c.支払期日, QStringLiteral("手形期日"), v, today);
         }},
        {QStringLiteral("金額"), [](const Claim &c) { return QString::number(c.金額); },
         [](Claim &c, const QString &v, const QDate &) {
             input::Problem problem;
             const std::optional<qint64> a = input::readAmount(v.trimmed(), problem);
             if (!a)
                 return problem.message;
             c.金額 = *a;
             return QString();
         }},
        {QStringLiteral("取引先コード"), [](const Claim &c) { return c.取引先コード; },
         [](Claim &c, const QString &v, const QDate &) {
             c.取引先コード = v;
             return QString();
         }},
        {QStringLiteral("kozano"),
         [](const Claim &c) { return c.side == Side::Payable ? QString::number(c.kozano) : QString(); },
         [](Claim &c, const QString &v, const QDate &) {
             if (v.trimmed().isEmpty())
                 return QString();
             bool ok = false;
             c.kozano = fmt::normalizeCode(v).toLongLong(&ok);
             return ok ? QString() : QStringLiteral("kozano は数字です: %1").arg(v);
         }},
        {QStringLiteral("支払場所"), [](const Claim &c) { return c.債務者銀行; },
         [](Claim &c, const QString &v, const QDate &) {
             c.債務者銀行 = v.trimmed();
             return QString();
         }},
        {QStringLiteral("支払場所支店"), [](const Claim &c) { return c.債務者支店; },
         [](Claim &c, const QString &v, const QDate &) {
             c.債務者支店 = v.trimmed();
             return QString();
         }},
        {QStringLiteral("債務者口座"), [](const Claim &c) { return c.債務者口座; },
         [](Claim &c, const QString &v, const QDate &) {
             c.債務者口座 = v.trimmed();
             return QString();
         }},
        {QStringLiteral("債権者銀行"), [](const Claim &c) { return c.債権者銀行; },
         [](Claim &c, const QString &v, const QDate &) {
             c.債権者銀行 = v.trimmed();
             return QString();
         }},
        {QStringLiteral("債権者支店"), [](const Claim &c) { return c.債権者支店; },
         [](Claim &c, const QString &v, const QDate &) {
             c.債権者支店 = v.trimmed();
             return QString();
         }},
        {QStringLiteral("債権者口座"), [](const Claim &c) { return c.債権者口座; },
         [](Claim &c, const QString &v, const QDate &) {
             c.債権者口座 = v.trimmed();
             return QString();
         }},
        {QStringLiteral("譲渡制限"),
         [](const Claim &c) { return c.譲渡制限 ? QStringLiteral("1") : QStringLiteral("0"); },
         [](Claim &c, const QString &v, const QDate &) {
             const QString t = fmt::normalizeCode(v);
             if (t.isEmpty() || t == u"0" || t == u"なし")
                 c.譲渡制限 = false;
             else if (t == u"1" || t == u"あり")
                 c.譲渡制限 = true;
             else
                 return QStringLiteral("譲渡制限は 0 (なし) か 1 (あり) です: %1").arg(t);
             return QString();
         }},
    };
    return fields;
}

QString quoted(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') && field.trimmed() == field)
        return field;
    return u'"' + QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

// UTF-8 as it is; any other bytes are read as Shift_JIS (code page 932, as
// spreadsheets on Windows write it) and handed on as UTF-8.
QByteArray asUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(bytes); // the decoder reads only when its text is taken
    if (!utf8.hasError())
        return bytes;
    const std::optional<QString> text = fromShiftJis(bytes);
    if (!text)
        throw DbError(QStringLiteral("ファイルの文字コードが UTF-8 でも Shift_JIS でもありません"));
    return text->toUtf8();
}

} // namespace

QStringList csvColumns()
{
    QStringList out;
    for (const CsvField &f : csvFields())
        out << f.column;
    return out;
}

QByteArray claimsCsv(Database &db)
{
    QStringList lines{csvColumns().join(u',')};
    db.forEachRow(QStringLiteral("select %1 from D_手形 where 種類=2 order by id").arg(kClaimColumns), {},
                  [&lines](const RowView &r) {
                      const Claim c = claimAt(r);
                      QStringList fields;
                      for (const CsvField &f : csvFields())
                          fields << quoted(f.write(c));
                      lines << fields.join(u',');
                  });
    return (lines.join(u'\n') + u'\n').toUtf8();
}

int importClaims(Database &db, const QByteArray &csv, const QDate &today, BankCalendar &calendar)
{
    const QList<CsvRecord> records = readCsv(asUtf8(csv));
    if (records.isEmpty())
        throw DbError(QStringLiteral("ファイルが空です。1 行目に列名 (%1) を書いてください")
                          .arg(csvColumns().join(QStringLiteral(", "))));
    const CsvRecord &header = records.first();
    QList<const CsvField *> columns;
    QSet<QString> seen;
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        QString name = header.fields.at(i).trimmed();
        if (name == u"支払期日")
            name = QStringLiteral("手形期日");
        const CsvField *found = nullptr;
        for (const CsvField &f : csvFields())
            if (f.column == name)
                found = &f;
        if (!found)
            throw DbError(QStringLiteral("%1 行目: 不明な列名です: %2\n使える列名: %3")
                              .arg(header.line)
                              .arg(name, csvColumns().join(QStringLiteral(", "))));
        if (seen.contains(name))
            throw DbError(QStringLiteral("%1 行目: 列名 %2 が 2 回あります").arg(header.line).arg(name));
        seen.insert(name);
        columns << found;
    }
    for (const QString &needed : {QStringLiteral("処理"), QStringLiteral("記録番号"), QStringLiteral("電子記録日"),
                                  QStringLiteral("手形期日"), QStringLiteral("金額"), QStringLiteral("取引先コード")})
        if (!seen.contains(needed))
            throw DbError(QStringLiteral("%1 行目: 列 %2 がありません").arg(header.line).arg(needed));

    Transaction t(db);
    int n = 0;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvRecord &rec = records.at(r);
        if (rec.fields.size() != columns.size())
            throw DbError(QStringLiteral("%1 行目: 項目の数が %2 個です (列名は %3 個)")
                              .arg(rec.line)
                              .arg(rec.fields.size())
                              .arg(columns.size()));
        Claim c;
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (const QString why = columns.at(i)->read(c, rec.fields.at(i), today); !why.isEmpty())
                throw DbError(QStringLiteral("%1 行目: %2").arg(rec.line).arg(why));
        try {
            registerClaim(db, c, calendar);
        } catch (const DbError &e) {
            throw DbError(QStringLiteral("%1 行目: %2").arg(rec.line).arg(e.description()));
        }
        ++n;
    }
    t.commit();
    return n;
}

} // namespace sorvane::book::densai
