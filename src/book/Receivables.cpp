#include "book/Receivables.h"

#include "book/BillLife.h"
#include "book/Conflicts.h"
#include "book/Keys.h"
#include "data/BillNumber.h"
#include "data/Engine.h"
#include "data/Formats.h"
#include "data/MessageService.h"
#include "data/TypedInput.h"

namespace sorvane::book {

namespace {

const QString kRequisiteTitle = QStringLiteral("手形要件の欠落");

// The engine stores a date as ISO text and an invalid one as NULL.
QVariant dateValue(const QDate &d)
{
    return QVariant(d);
}

// The columns of a received bill in the order both the insert and the update name them.
QVariantList billValues(const ReceivableBill &b)
{
    return {dateValue(b.日付),
            b.手形番号,
            b.取引先コード,
            b.取引先,
            b.振出地,
            b.振出人,
            b.支払県,
            b.支払市,
            b.支払場所コード,
            b.支払場所,
            b.支払場所支店コード,
            b.支払場所支店,
            dateValue(b.振出日),
            dateValue(b.手形期日),
            b.手形期間,
            b.金額,
            b.保管場所,
            b.注意フラグ ? 1 : 0};
}

ReceivableBill billOf(const Recordset &rs)
{
    ReceivableBill b;
    b.日付 = rs.date(QStringLiteral("日付"));
    b.手形番号 = rs.text(QStringLiteral("手形番号"));
    b.取引先コード = rs.text(QStringLiteral("取引先コード"));
    b.取引先 = rs.text(QStringLiteral("取引先"));
    if (rs.hasColumn(QStringLiteral("振出地")))
        b.振出地 = rs.text(QStringLiteral("振出地"));
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
    b.保管場所 = rs.text(QStringLiteral("保管場所"));
    b.注意フラグ = rs.number(QStringLiteral("注意フラグ")) != 0;
    if (rs.hasColumn(QStringLiteral("更新回数")))
        b.更新回数 = rs.number(QStringLiteral("更新回数"));
    return b;
}

// Lines of a list, read row by row: key, number, due date, amount, party.
std::vector<ReceivableRow> rowsOf(Database &db, const QString &sql)
{
    std::vector<ReceivableRow> rows;
    db.forEachRow(sql, {}, [&rows](const RowView &r) {
        rows.push_back({r.number(0), r.text(1), r.date(2), r.number(3), r.text(4)});
    });
    return rows;
}

std::vector<ReceivableRow> rowsByKey(Database &db, const QString &select, const QList<qint64> &ids)
{
    std::vector<ReceivableRow> rows;
    forEachRowOfKeys(db, select, ids, [&rows](const RowView &r) {
        rows.push_back({r.number(0), r.text(1), r.date(2), r.number(3), r.text(4)});
    });
    return rows;
}

const QString kBillColumns = QStringLiteral("日付,取引先コード,取引先,保管場所,手形番号,振出人,支払県,支払市,"
                                            "支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,手形期日,"
                                            "手形期間,金額,注意フラグ");

} // namespace

std::optional<ReceivableBill> readTypedBill(const TypedBill &typed, const QDate &today, MessageService &messages,
                                            QString *problemField)
{
    input::Problem problem;
    const auto refuse = [&](const QString &message, const QString &field) {
        messages.information(message);
        if (problemField)
            *problemField = field;
        return std::nullopt;
    };
    const std::optional<qint64> amount = input::readAmount(typed.金額, problem);
    // A date typed but not readable is refused, never taken for an empty one.
    const std::optional<QDate> booked =
        amount ? input::readDate(input::kBookingDate, typed.日付, today, problem) : std::nullopt;
    const std::optional<QDate> issue =
        booked ? input::readDate(input::kIssueDate, typed.振出日, today, problem) : std::nullopt;
    const std::optional<QDate> due =
        issue ? input::readDate(input::kDueDate, typed.手形期日, today, problem) : std::nullopt;
    if (!due || !input::dueNotBeforeIssue(*issue, *due, problem))
        return refuse(problem.message, problem.field);

    // The law lets a bill lack these; the clerk decides each time.
    if (*amount == 0 && !messages.confirm(QStringLiteral("金額が未記入です"), kRequisiteTitle))
        return std::nullopt;
    if (!due->isValid() && !messages.confirm(QStringLiteral("満期が未記入です\n一覧払となります"), kRequisiteTitle))
        return std::nullopt;
    if (!issue->isValid() &&
        !messages.confirm(QStringLiteral("振出日が未記入です\n白地手形となります"), kRequisiteTitle))
        return std::nullopt;
    if (typed.振出地.trimmed().isEmpty() && !messages.confirm(QStringLiteral("振出地が未記入です"), kRequisiteTitle))
        return std::nullopt;
    if (typed.振出人.trimmed().isEmpty() && !messages.confirm(QStringLiteral("振出人が未記入です"), kRequisiteTitle))
        return std::nullopt;

    if (!booked->isValid())
        return refuse(QStringLiteral("日付がありません"), input::kBookingDate);

    ReceivableBill b;
    b.日付 = *booked;
    b.手形番号 = fmt::normalizeCode(typed.手形番号);
    b.取引先コード = fmt::normalizeCode(typed.取引先コード);
    b.取引先 = typed.取引先;
    b.振出地 = typed.振出地;
    // A drawer picked from the template list reads "drawer:bank".
    const qsizetype colon = typed.振出人.indexOf(u':');
    b.振出人 = colon < 0 ? typed.振出人 : typed.振出人.left(colon);
    b.支払県 = typed.支払県.trimmed();
    b.支払市 = typed.支払市;
    b.支払場所コード = typed.支払場所コード;
    b.支払場所 = typed.支払場所;
    b.支払場所支店コード = typed.支払場所支店コード;
    b.支払場所支店 = typed.支払場所支店;
    b.振出日 = *issue;
    b.手形期日 = *due;
    b.手形期間 = issue->isValid() && due->isValid() ? issue->daysTo(*due) : 0;
    b.金額 = *amount;
    b.保管場所 = typed.保管場所;
    b.注意フラグ = typed.注意フラグ;
    return b;
}

std::optional<Customer> findCustomer(Database &db, const QString &code)
{
    Recordset rs = db.openRecordset(QStringLiteral("select id,tn from T0 where tc=?"), {fmt::normalizeCode(code)});
    if (rs.eof())
        return std::nullopt;
    return Customer{rs.number(QStringLiteral("id")), rs.text(QStringLiteral("tn"))};
}

qint64 registerReceivableBill(Database &db, const ReceivableBill &bill, const std::optional<EndorserSlots> &endorsers)
{
    Transaction t(db);
    db.execute(QStringLiteral("insert into D_手形(処理,日付,手形番号,取引先コード,取引先,振出地,振出人,支払県,支払市,"
                              "支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額,"
                              "保管場所,注意フラグ) values(0,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               billValues(bill));
    // The endorsers belong to this row, never to an older bill with the same number.
    const qint64 id = db.lastInsertId();
    if (const std::optional<Customer> customer = findCustomer(db, bill.取引先コード)) {
        // Locked until commit: another clerk's number in between is seen.
        Recordset ts = db.openRecordset(QStringLiteral("select id,最終手形番号 from T1 where idoft=? and 支払場所=? "
                                                       "and 支払場所支店=? order by id") +
                                            db.dialect().forUpdate,
                                        {customer->id, bill.支払場所, bill.支払場所支店});
        for (; !ts.eof(); ts.moveNext())
            if (BillNumberAfter(bill.手形番号, ts.text(QStringLiteral("最終手形番号"))))
                db.execute(QStringLiteral("update T1 set 最終手形番号=? where id=?"),
                           {bill.手形番号, ts.number(QStringLiteral("id"))});
    }
    if (endorsers)
        insertEndorserRows(db, id, *endorsers);
    if (const std::optional<BillRow> row = billRow(db, id)) {
        BillEvent e = eventFor(*row, kind::受取, bill.日付);
        e.前状態.clear();
        e.後状態 = state::手元;
        recordEvent(db, e);
    }
    t.commit();
    return id;
}

void saveReceivableBill(Database &db, const ReceivableBill &bill, const std::optional<EndorserSlots> &endorsers,
                        const QDate &on)
{
    Transaction t(db);
    // A bill handed on, reserved, finished or deleted since it was read is
    // no longer this window's to change, whatever version was read.
    checkVersion(bill.更新回数, lockInReach(db, bill.id, Reach::InHand));
    const BillRow was = requireReceivableEditable(db, bill.id, QStringLiteral("修正"));
    const RowSnapshot before = billSnapshot(db, bill.id);
    const int changed = db.execute(
        QStringLiteral("update D_手形 set 処理=0,日付=?,手形番号=?,取引先コード=?,取引先=?,振出地=?,振出人=?,支払県=?,"
                       "支払市=?,支払場所コード=?,支払場所=?,支払場所支店コード=?,支払場所支店=?,振出日=?,手形期日=?,"
                       "手形期間=?,金額=?,保管場所=?,注意フラグ=?,更新回数=更新回数+1 where id=?"),
        billValues(bill) + QVariantList{bill.id});
    if (changed == 0)
        throw DbError(QStringLiteral("登録に失敗しました"));
    if (endorsers) {
        db.execute(QStringLiteral("delete from 裏書人 where 手形id=?"), {bill.id});
        insertEndorserRows(db, bill.id, *endorsers);
    }
    recordCorrection(db, was, before, on);
    t.commit();
}

void deleteReceivableBill(Database &db, qint64 id, std::optional<qint64> version, const QDate &on)
{
    Transaction t(db);
    checkVersion(version, lockInReach(db, id, Reach::InHand));
    recordDeletion(db, requireReceivableEditable(db, id, QStringLiteral("削除")), on);
    db.execute(QStringLiteral("delete from D_手形 where id=?"), {id});
    t.commit();
}

std::optional<ReceivableBill> receivableBill(Database &db, qint64 id)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select id,振出地,更新回数,%1 from D_手形 where id=?").arg(kBillColumns), {id});
    if (rs.eof())
        return std::nullopt;
    ReceivableBill b = billOf(rs);
    b.id = id;
    return b;
}

std::vector<ReceivableRow> receivableList(Database &db)
{
    return rowsOf(db, QStringLiteral("select id,手形番号,手形期日,金額,取引先 from D_手形 "
                                     "where 処理=0 and 予約フラグ=0 and 終了フラグ=0 "
                                     "order by 手形期日 nulls first,id"));
}

std::vector<ReceivableRow> receivableResultRows(Database &db)
{
    return rowsOf(db, QStringLiteral("select 手形id,手形番号,手形期日,金額,取引先 from 検索結果 "
                                     "where 処理=0 and 予約フラグ=0 and 終了フラグ=0 "
                                     "order by 手形期日 nulls first,id"));
}

QList<qint64> receivableListIds(Database &db)
{
    return idsOf(db, QStringLiteral("select id from D_手形 where 処理=0 and 予約フラグ=0 and 終了フラグ=0 "
                                    "order by 手形期日 nulls first,id"));
}

std::vector<ReceivableRow> receivableRowsOf(Database &db, const QList<qint64> &ids)
{
    return rowsByKey(db, QStringLiteral("select id,手形番号,手形期日,金額,取引先 from D_手形 where id in (%1)"), ids);
}

QList<qint64> receivableResultIds(Database &db)
{
    return idsOf(db, QStringLiteral("select 手形id from 検索結果 where 処理=0 and 予約フラグ=0 and 終了フラグ=0 "
                                    "order by 手形期日 nulls first,id"));
}

std::vector<ReceivableRow> receivableResultRowsOf(Database &db, const QList<qint64> &billIds)
{
    return rowsByKey(
        db, QStringLiteral("select 手形id,手形番号,手形期日,金額,取引先 from 検索結果 where 手形id in (%1)"), billIds);
}

std::optional<ReceivableBill> receivableResult(Database &db, qint64 billId)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select %1 from 検索結果 where 手形id=? order by id limit 1").arg(kBillColumns), {billId});
    if (rs.eof())
        return std::nullopt;
    ReceivableBill b = billOf(rs);
    b.id = billId;
    return b;
}

QString ReceivableListLine(const ReceivableRow &row, ListLayout layout)
{
    const bool atLoad = layout == ListLayout::AtLoad;
    const QString due = atLoad ? fmt::ymd(row.手形期日) : fmt::mmdd(row.手形期日);
    const int width = atLoad ? 14 : 12;
    const QString amount = fmt::amount(row.金額);
    const QString aligned = amount.size() >= width ? amount : QString(width - amount.size(), u' ') + amount;
    return row.手形番号 + QStringLiteral("  ") + due + u' ' + aligned + QStringLiteral("  ") + row.取引先;
}

} // namespace sorvane::book
