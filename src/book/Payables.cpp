#include "book/Payables.h"

#include "book/BillLife.h"
#include "book/Conflicts.h"
#include "book/Keys.h"
#include "data/BillNumber.h"
#include "data/Engine.h"
#include "data/Formats.h"

#include <QSet>

namespace sorvane::book {

const QString kCheckingAccount = QStringLiteral("当座");

namespace {

const QString kAccountColumns =
    QStringLiteral("id,kozano,口座名義,銀行コード,銀行名,支店コード,支店名,口座番号,口座種別,支払県,支払市,"
                   "手形期間,最終手形番号");

// What makes a received bill a candidate for handing on.
const QString kCandidate = QStringLiteral("処理=0 and 状態=0 and 予約フラグ=0 and 終了フラグ=0");

const QString kBillColumns = QStringLiteral(
    "処理,日付,手形番号,取引先コード,取引先,振出人,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,"
    "支払場所支店,振出日,手形期日,手形期間,金額,kozano,予約口座id,譲渡先コード,譲渡先,更新回数");

Account accountOf(const Recordset &rs)
{
    Account a;
    a.id = rs.number(QStringLiteral("id"));
    a.kozano = rs.number(QStringLiteral("kozano"));
    a.口座名義 = rs.text(QStringLiteral("口座名義"));
    a.銀行コード = rs.text(QStringLiteral("銀行コード"));
    a.銀行名 = rs.text(QStringLiteral("銀行名"));
    a.支店コード = rs.text(QStringLiteral("支店コード"));
    a.支店名 = rs.text(QStringLiteral("支店名"));
    a.口座番号 = rs.text(QStringLiteral("口座番号"));
    a.口座種別 = rs.text(QStringLiteral("口座種別"));
    a.支払県 = rs.text(QStringLiteral("支払県"));
    a.支払市 = rs.text(QStringLiteral("支払市"));
    a.手形期間 = rs.number(QStringLiteral("手形期間"));
    a.最終手形番号 = rs.text(QStringLiteral("最終手形番号"));
    return a;
}

std::optional<Account> readAccount(Database &db, const QString &column, qint64 key)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select %1 from 口座データ where %2=?").arg(kAccountColumns, column), {key});
    if (rs.eof())
        return std::nullopt;
    return accountOf(rs);
}

PayableBill billOf(const Recordset &rs, qint64 id)
{
    PayableBill b;
    b.id = id;
    b.処理 = int(rs.number(QStringLiteral("処理")));
    b.日付 = rs.date(QStringLiteral("日付"));
    b.手形番号 = rs.text(QStringLiteral("手形番号"));
    b.取引先コード = rs.text(QStringLiteral("取引先コード"));
    b.取引先 = rs.text(QStringLiteral("取引先"));
    b.振出人 = rs.text(QStringLiteral("振出人"));
    b.支払県 = rs.text(QStringLiteral("支払県"));
    b.支払市 = rs.text(QStringLiteral("支払市"));
    b.支払場所コード = rs.text(QStringLiteral("支払場所コード"));
    b.支払場所 = rs.text(QStringLiteral("支払場所"));
    b.支払場所支店コード = rs.text(QStringLiteral("支払場所支店コード"));
    b.支払場所支店 = rs.text(QStringLiteral("支払場所支店"));
    b.振出日 = rs.date(QStringLiteral("振出日"));
    b.手形期日 = rs.date(QStringLiteral("手形期日"));
    b.手形期間 = rs.number(QStringLiteral("手形期間"));
    b.金額 = rs.number(QStringLiteral("金額"));
    b.kozano = rs.number(QStringLiteral("kozano"));
    b.予約口座id = rs.number(QStringLiteral("予約口座id"));
    b.譲渡先コード = rs.text(QStringLiteral("譲渡先コード"));
    b.譲渡先 = rs.text(QStringLiteral("譲渡先"));
    if (rs.hasColumn(QStringLiteral("更新回数")))
        b.更新回数 = rs.number(QStringLiteral("更新回数"));
    return b;
}

// Lines read row by row: id, kind, number, due date, amount, party.
// The party a search result line shows: the supplier a bill was issued
// to, or the one a received bill was handed on to (the customer it came
// from when no receiver was recorded).
const QString kResultParty = QStringLiteral("coalesce(case when 処理 = 2 then 譲渡先 end, 取引先)");

std::vector<PayableLine> readLines(Database &db, const QString &sql)
{
    std::vector<PayableLine> lines;
    db.forEachRow(sql, {}, [&lines](const RowView &r) {
        lines.push_back({r.number(0), int(r.number(1)), r.text(2), r.date(3), r.number(4), r.text(5)});
    });
    return lines;
}

std::vector<PayableLine> linesByKey(Database &db, const QString &select, const QList<qint64> &ids)
{
    std::vector<PayableLine> lines;
    forEachRowOfKeys(db, select, ids, [&lines](const RowView &r) {
        lines.push_back({r.number(0), int(r.number(1)), r.text(2), r.date(3), r.number(4), r.text(5)});
    });
    return lines;
}

// Days from the issue date to the due date; 0 when either is missing.
qint64 termOf(const QDate &issue, const QDate &due)
{
    return issue.isValid() && due.isValid() ? issue.daysTo(due) : 0;
}

// The account a bill is being drawn on, read and locked inside the caller's
// transaction: its last number is decided on what is stored now.
Account requireAccount(Database &db, qint64 id)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select %1 from 口座データ where id=?").arg(kAccountColumns) + db.dialect().forUpdate, {id});
    if (rs.eof())
        throw DbError(QStringLiteral("口座が見つかりません（口座が削除された可能性があります）"));
    return accountOf(rs);
}

void setLastNumber(Database &db, qint64 accountId, const QString &number)
{
    db.execute(QStringLiteral("update 口座データ set 最終手形番号=? where id=?"), {number, accountId});
}

// The numbers of a checkbook are the company's own: one number, one bill on
// an account. Checked with the account row locked by the caller's
// transaction, so two clerks issuing at once are checked one after the
// other. `self` is a bill being corrected, which may keep its own number.
void requireFreeNumber(Database &db, const Account &account, const QString &number, qint64 self = 0)
{
    if (number.trimmed().isEmpty())
        return;
    Recordset holder = db.openRecordset(QStringLiteral("select 取引先,振出日,金額 from D_手形 "
                                                       "where 処理=1 and 予約口座id=? and 手形番号=? and id<>? "
                                                       "order by id limit 1"),
                                        {account.id, number, self});
    if (holder.eof())
        return;
    QSet<QString> used;
    db.forEachRow(QStringLiteral("select 手形番号 from D_手形 where 処理=1 and 予約口座id=? and id<>?"),
                  {account.id, self}, [&used](const RowView &r) { used.insert(r.text(0).toLower()); });
    // Each next number is a new one, so a free one comes within as many
    // steps as the account has bills.
    QString free = NextBillNumber(number);
    for (qsizetype i = 0; i <= used.size() && used.contains(free.toLower()); ++i)
        free = NextBillNumber(free);
    const QDate issued = holder.date(QStringLiteral("振出日"));
    const QString bill =
        QStringLiteral("支払先「%1」、振出日 %2、金額 %3円")
            .arg(holder.text(QStringLiteral("取引先")), issued.isValid() ? fmt::ymd(issued) : QStringLiteral("なし"),
                 fmt::amount(holder.number(QStringLiteral("金額"))));
    throw DuplicateNumberError(
        QStringLiteral("手形番号「%1」は、口座 %2 で振り出した別の手形にすでに使われています\n（%3）\n"
                       "空いている次の番号「%4」を使ってください")
            .arg(number, QString::number(account.kozano), bill, free),
        free);
}

} // namespace

DuplicateNumberError::DuplicateNumberError(const QString &text, QString proposal)
    : DbError(text), m_proposal(std::move(proposal))
{
}

std::optional<Account> accountByKozano(Database &db, qint64 kozano)
{
    return readAccount(db, QStringLiteral("kozano"), kozano);
}

std::optional<Account> accountById(Database &db, qint64 id)
{
    return readAccount(db, QStringLiteral("id"), id);
}

QString accountLine(qint64 kozano, const QString &bank, const QString &branch, const QString &number)
{
    return QStringLiteral("%1: %2/%3/%4").arg(kozano).arg(bank, branch, number);
}

std::vector<Candidate> candidates(Database &db)
{
    std::vector<Candidate> list;
    db.forEachRow(QStringLiteral("select id,金額,手形期日,振出人 from D_手形 where %1 order by 手形期日 nulls first,id")
                      .arg(kCandidate),
                  {}, [&list](const RowView &r) {
                      list.push_back({r.number(0), r.number(1), r.date(2), r.text(3)});
                  });
    return list;
}

QList<qint64> candidateIds(Database &db)
{
    return idsOf(db, QStringLiteral("select id from D_手形 where %1 order by 手形期日 nulls first,id").arg(kCandidate));
}

std::vector<Candidate> candidatesOf(Database &db, const QList<qint64> &ids)
{
    std::vector<Candidate> list;
    forEachRowOfKeys(db, QStringLiteral("select id,金額,手形期日,振出人 from D_手形 where id in (%1)"), ids,
                     [&list](const RowView &r) {
                         list.push_back({r.number(0), r.number(1), r.date(2), r.text(3)});
                     });
    return list;
}

std::optional<PartyRow> findSupplier(Database &db, const QString &code)
{
    Recordset rs = db.openRecordset(QStringLiteral("select sc,sn from S0 where sc=? order by id limit 1"), {code});
    if (rs.eof())
        return std::nullopt;
    return PartyRow{rs.text(QStringLiteral("sc")), rs.text(QStringLiteral("sn"))};
}

std::optional<PreviousIssue> previousIssue(Database &db, const QString &supplierCode)
{
    // Bills without issue date sort last: they say least about "most recent".
    Recordset rs = db.openRecordset(QStringLiteral("select 日付,kozano,金額,手形番号,手形期日 from D_手形 "
                                                   "where 処理=1 and 取引先コード=? "
                                                   "order by 振出日 is null,振出日 desc,id desc limit 1"),
                                    {supplierCode});
    if (rs.eof())
        return std::nullopt;
    PreviousIssue p;
    p.日付 = rs.date(QStringLiteral("日付"));
    p.kozano = rs.number(QStringLiteral("kozano"));
    p.金額 = rs.number(QStringLiteral("金額"));
    p.手形番号 = rs.text(QStringLiteral("手形番号"));
    p.手形期日 = rs.date(QStringLiteral("手形期日"));
    return p;
}

std::optional<PayableBill> candidateBill(Database &db, qint64 id)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select %1 from D_手形 where id=? and %2").arg(kBillColumns, kCandidate), {id});
    if (rs.eof())
        return std::nullopt;
    return billOf(rs, id);
}

qint64 issueBill(Database &db, const Issue &issue)
{
    Transaction t(db);
    const Account a = requireAccount(db, issue.accountId);
    requireFreeNumber(db, a, issue.手形番号);
    db.execute(QStringLiteral("insert into D_手形(処理,日付,kozano,手形番号,取引先コード,取引先,支払県,支払市,"
                              "支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,"
                              "金額,予約口座id) values(1,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               {issue.日付, a.kozano, issue.手形番号, issue.取引先コード, issue.取引先, a.支払県, a.支払市,
                issue.支払場所コード, issue.支払場所, issue.支払場所支店コード, issue.支払場所支店, issue.振出日,
                issue.手形期日, termOf(issue.振出日, issue.手形期日), issue.金額, a.id});
    const qint64 id = db.lastInsertId();
    if (BillNumberAfter(issue.手形番号, a.最終手形番号))
        setLastNumber(db, a.id, issue.手形番号);
    if (const std::optional<BillRow> row = billRow(db, id)) {
        BillEvent e = eventFor(*row, kind::振出, issue.日付);
        e.前状態.clear();
        e.後状態 = state::振出;
        recordEvent(db, e);
    }
    t.commit();
    return id;
}

bool handOnBill(Database &db, qint64 billId, const QDate &booked, const QString &supplierCode,
                const QString &supplierName, std::optional<qint64> version)
{
    Transaction t(db);
    // A bill handed on, reserved, finished or deleted since the list was
    // read is left alone.
    if (!lockForChange(db, billId, Reach::Candidate, version))
        return false;
    const std::optional<BillRow> was = billRow(db, billId);
    db.execute(QStringLiteral("update D_手形 set 処理=2,kozano=0,状態=-2,保管場所='',予約フラグ=1,"
                              "予約処理=1,予約口座id=0,予約日=?,譲渡先コード=?,譲渡先=?,更新回数=更新回数+1 "
                              "where id=?"),
               {booked, supplierCode, supplierName, billId});
    BillEvent e = eventFor(*was, kind::譲渡, booked);
    e.処理 = kHandedOn;
    e.相手先コード = supplierCode;
    e.相手先 = supplierName;
    e.後状態 = state::譲渡;
    recordEvent(db, e);
    t.commit();
    return true;
}

bool cancelHandOn(Database &db, qint64 billId, std::optional<qint64> version, const QDate &on)
{
    Transaction t(db);
    // A bill no longer handed on says so; one changed otherwise is a conflict.
    if (!lockForChange(db, billId, Reach::HandedOn, version))
        return false;
    const std::optional<BillRow> was = billRow(db, billId);
    db.execute(QStringLiteral("update D_手形 set 処理=0,状態=0,予約フラグ=0,予約処理=0,予約日=null,"
                              "譲渡先コード=null,譲渡先=null,更新回数=更新回数+1 where id=?"),
               {billId});
    BillEvent e = eventFor(*was, kind::譲渡取消, on.isValid() ? on : QDate::currentDate());
    e.処理 = kReceived;
    if (const std::optional<BillEvent> handOn = standingEvent(db, billId, kind::譲渡)) {
        e.取消元id = handOn->id;
        if (e.date < handOn->date)
            e.date = handOn->date;
    }
    e.相手先コード = was->譲渡先コード;
    e.相手先 = was->譲渡先;
    e.後状態 = state::手元;
    recordEvent(db, e);
    t.commit();
    return true;
}

bool correctIssuedBill(Database &db, const IssuedCorrection &c)
{
    Transaction t(db);
    if (!lockForChange(db, c.billId, Reach::Issued, c.更新回数))
        return false;
    Recordset was = db.openRecordset(QStringLiteral("select 手形番号,予約口座id from D_手形 where id=?"), {c.billId});
    const BillRow row = requireIssuedEditable(db, c.billId, QStringLiteral("修正"));
    const RowSnapshot before = billSnapshot(db, c.billId);
    const Account a = requireAccount(db, c.accountId);
    // Only a new claim on a number is checked: a book may hold duplicates
    // from before, and correcting the amount of one of them must go through.
    if (was.text(QStringLiteral("手形番号")).compare(c.手形番号, Qt::CaseInsensitive) != 0 ||
        was.number(QStringLiteral("予約口座id")) != a.id)
        requireFreeNumber(db, a, c.手形番号, c.billId);
    db.execute(QStringLiteral("update D_手形 set 取引先コード=?,取引先=?,日付=?,手形番号=?,支払県=?,支払市=?,"
                              "支払場所コード=?,支払場所=?,支払場所支店コード=?,支払場所支店=?,振出日=?,手形期日=?,"
                              "手形期間=?,金額=?,予約口座id=?,kozano=?,更新回数=更新回数+1 where id=?"),
               {c.取引先コード, c.取引先, c.日付, c.手形番号, c.支払県, c.支払市, c.支払場所コード, c.支払場所,
                c.支払場所支店コード, c.支払場所支店, c.振出日, c.手形期日, termOf(c.振出日, c.手形期日), c.金額, a.id,
                a.kozano, c.billId});
    // The account's last number follows the bill when the bill moves to the
    // account or was the last one issued on it. Correcting an older bill
    // must not turn the number back, or the next issue would propose a
    // number already used.
    const bool moved = was.number(QStringLiteral("予約口座id")) != a.id;
    const bool wasLast = was.text(QStringLiteral("手形番号")) == a.最終手形番号;
    if ((moved && BillNumberAfter(c.手形番号, a.最終手形番号)) || wasLast)
        setLastNumber(db, a.id, c.手形番号);
    recordCorrection(db, row, before, c.on);
    t.commit();
    return true;
}

bool deleteIssuedBill(Database &db, qint64 billId, std::optional<qint64> version, const QDate &on)
{
    Transaction t(db);
    if (!lockForChange(db, billId, Reach::Issued, version))
        return false;
    recordDeletion(db, requireIssuedEditable(db, billId, QStringLiteral("削除")), on);
    Recordset rs = db.openRecordset(QStringLiteral("select 手形期日,予約口座id from D_手形 where id=?"), {billId});
    const QDate due = rs.date(QStringLiteral("手形期日"));
    const qint64 account = rs.number(QStringLiteral("予約口座id"));
    // The account's figures from the due date on counted this bill. A bill
    // without due date was in no month's figures.
    if (account > 0 && due.isValid()) {
        db.execute(QStringLiteral("update 口座データ set 計画済年月=? where id=?"), {due, account});
        db.execute(QStringLiteral("delete from 口座残高 where 月末日付>=? and 口座id=?"), {due, account});
    }
    db.execute(QStringLiteral("delete from D_手形 where id=?"), {billId});
    t.commit();
    return true;
}

std::vector<PayableLine> payableLines(Database &db)
{
    return readLines(db, QStringLiteral("select id,処理,手形番号,手形期日,金額,取引先 from D_手形 "
                                        "where 処理>0 and 終了フラグ=0 order by 手形期日 nulls first,id"));
}

QList<qint64> payableLineIds(Database &db)
{
    return idsOf(db, QStringLiteral("select id from D_手形 where 処理>0 and 終了フラグ=0 "
                                    "order by 手形期日 nulls first,id"));
}

std::vector<PayableLine> payableLinesOf(Database &db, const QList<qint64> &ids)
{
    return linesByKey(db, QStringLiteral("select id,処理,手形番号,手形期日,金額,取引先 from D_手形 where id in (%1)"),
                      ids);
}

std::optional<PayableBill> payableBill(Database &db, qint64 id)
{
    Recordset rs = db.openRecordset(QStringLiteral("select %1 from D_手形 where id=?").arg(kBillColumns), {id});
    if (rs.eof())
        return std::nullopt;
    return billOf(rs, id);
}

std::vector<PayableLine> payableResultLines(Database &db)
{
    return readLines(db, QStringLiteral("select 手形id as id,処理,手形番号,手形期日,金額,%1 from 検索結果 "
                                        "where 処理>0 and 終了フラグ=0 order by 手形期日 nulls first,id")
                             .arg(kResultParty));
}

QList<qint64> payableResultIds(Database &db)
{
    // Ordered as the lines always were: due date, then the found bill's id.
    return idsOf(db, QStringLiteral("select 手形id as id from 検索結果 where 処理>0 and 終了フラグ=0 "
                                    "order by 手形期日 nulls first,id"));
}

std::vector<PayableLine> payableResultLinesOf(Database &db, const QList<qint64> &billIds)
{
    return linesByKey(db,
                      QStringLiteral("select 手形id,処理,手形番号,手形期日,金額,%1 from 検索結果 where 手形id in (%2)")
                          .arg(kResultParty, QStringLiteral("%1")),
                      billIds);
}

std::optional<PayableBill> payableResult(Database &db, qint64 billId)
{
    // The work table has no state and no place of issue; the bill's kind and
    // copies are all the view needs.
    Recordset rs = db.openRecordset(QStringLiteral("select 処理,日付,手形番号,取引先コード,取引先,振出人,支払県,"
                                                   "支払市,支払場所コード,支払場所,支払場所支店コード,支払場所支店,"
                                                   "振出日,手形期日,手形期間,金額,kozano,予約口座id,譲渡先コード,"
                                                   "譲渡先 from 検索結果 where 手形id=? order by id limit 1"),
                                    {billId});
    if (rs.eof())
        return std::nullopt;
    return billOf(rs, billId);
}

} // namespace sorvane::book
