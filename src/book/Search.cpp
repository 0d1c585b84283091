#include "book/Search.h"

#include "book/Keys.h"
#include "data/Engine.h"
#include "data/Formats.h"

#include <QRegularExpression>

namespace sorvane::book {

namespace {

// The columns each kind copies into the work table, besides 手形id from id.
// A handed-on bill keeps its receiver, so the payable view can show it.
// The two marks go along, so the result views leave finished bills (and,
// on the receivable side, reserved ones: discounted or handed on) out.
const QString kReceivableColumns =
    QStringLiteral("処理,日付,手形番号,取引先コード,取引先,振出人,支払県,支払市,支払場所コード,支払場所,"
                   "支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額,保管場所,注意フラグ,予約フラグ,"
                   "終了フラグ,種類,記録番号");
const QString kPayableColumns =
    QStringLiteral("処理,日付,kozano,手形番号,取引先コード,取引先,振出人,支払県,支払市,支払場所コード,支払場所,"
                   "支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額,予約口座id,譲渡先コード,譲渡先,"
                   "予約フラグ,終了フラグ,種類,記録番号");

// Conditions joined with "and", every value bound.
struct Where {
    QStringList parts;
    QVariantList values;
    void add(const QString &condition, const QVariantList &bound = {})
    {
        parts << condition;
        values << bound;
    }
    QString text() const { return parts.join(QStringLiteral(" and ")); }
};

QStringList column(Database &db, const QString &sql)
{
    Recordset rs = db.openRecordset(sql);
    QStringList items;
    items.reserve(rs.rowCount());
    const QString name = rs.columns().value(0);
    for (; !rs.eof(); rs.moveNext())
        items << rs.text(name);
    return items;
}

} // namespace

void prepareSearchTable(Database &db)
{
    // A temporary table of the same name comes first in the server's search
    // path and lives as long as the connection.
    if (db.isServer())
        db.execute(QStringLiteral("create temporary table if not exists 検索結果 (like 検索結果 including all)"));
    // A book opened read-only searches into a temporary copy of the table,
    // which SQLite finds before the file's own.
    else if (db.isReadOnly() &&
             db.scalar(QStringLiteral("select count(*) from sqlite_temp_master where name = '検索結果'")).toInt() ==
                 0) {
        QString ddl =
            db.scalar(QStringLiteral("select sql from sqlite_master where type = 'table' and name = '検索結果'"))
                .toString();
        ddl.replace(
            QRegularExpression(QStringLiteral("^\\s*CREATE\\s+TABLE"), QRegularExpression::CaseInsensitiveOption),
            QStringLiteral("CREATE TEMP TABLE"));
        db.execute(ddl);
    }
}

bool isNumberPattern(const QString &number)
{
    return number.contains(u'*') || number.contains(u'?');
}

QString likePattern(const QString &pattern)
{
    QString like;
    like.reserve(pattern.size() + 8);
    for (const QChar c : pattern) {
        if (c == u'*')
            like += u'%';
        else if (c == u'?')
            like += u'_';
        else if (c == u'%' || c == u'_' || c == u'\\')
            like += QStringLiteral("\\") + c;
        else
            like += c;
    }
    return like;
}

int searchBills(Database &db, const SearchCriteria &c, const QDate &today)
{
    Where w;
    // Bill numbers are stored in half-width; one typed in full-width is the
    // same number. A book kept before that may hold it as typed, so the
    // number as typed is looked for too.
    const QString number = fmt::normalizeCode(c.number);
    const QString typed = c.number.trimmed();
    bool dateApplies = true;
    if (!number.isEmpty()) {
        if (isNumberPattern(number)) {
            w.add(QStringLiteral("(手形番号 like ? escape '\\' or 手形番号 like ? escape '\\')"),
                  {likePattern(number), likePattern(typed)});
        } else {
            w.add(QStringLiteral("手形番号 in (?, ?)"), {number, typed});
            dateApplies = false;
        }
    }
    if (dateApplies) {
        // NULL due dates meet neither side; "both" includes them.
        if (c.side == DueSide::PastDue)
            w.add(QStringLiteral("手形期日 < ?"), {today});
        else if (c.side == DueSide::NotYetDue)
            w.add(QStringLiteral("手形期日 >= ?"), {today});
    }
    const bool receivable = c.kind == BillKind::Receivable;
    w.add(receivable ? QStringLiteral("処理 = 0") : QStringLiteral("(処理 = 1 or 処理 = 2)"));
    const QString party = fmt::normalizeCode(c.partyCode);
    if (!party.isEmpty() && receivable)
        w.add(QStringLiteral("取引先コード = ?"), {party});
    // A supplier's bills are those issued to it and those handed on to it;
    // a handed-on bill's 取引先コード is the customer it came from.
    else if (!party.isEmpty())
        w.add(QStringLiteral("((処理 = 1 and 取引先コード = ?) or (処理 = 2 and 譲渡先コード = ?))"), {party, party});
    if (receivable && !c.storagePlace.trimmed().isEmpty())
        w.add(QStringLiteral("保管場所 = ?"), {c.storagePlace.trimmed()});
    if (!c.drawer.trimmed().isEmpty())
        w.add(QStringLiteral("振出人 = ?"), {c.drawer.trimmed()});
    // One look-up through the endorser index; a bill endorsed twice by the
    // same name is still one bill.
    if (!c.endorser.trimmed().isEmpty())
        w.add(QStringLiteral("id in (select 手形id from 裏書人 where 裏書人 = ?)"), {c.endorser.trimmed()});

    const QString &columns = receivable ? kReceivableColumns : kPayableColumns;
    Transaction t(db);
    db.execute(QStringLiteral("delete from 検索結果"));
    const int found = db.execute(
        QStringLiteral("insert into 検索結果(手形id,%1) select id,%1 from D_手形 where %2").arg(columns, w.text()),
        w.values);
    t.commit();
    return found;
}

QStringList storagePlaceNames(Database &db)
{
    return column(db, QStringLiteral("select 保管場所 from 保管場所 order by 保管場所"));
}

QStringList receivableDrawers(Database &db)
{
    return column(db,
                  QStringLiteral("select distinct 振出人 from D_手形 where 処理 = 0 and 振出人 <> '' order by 振出人"));
}

QStringList endorserNames(Database &db)
{
    return column(db, QStringLiteral("select distinct 裏書人 from 裏書人 where 裏書人 <> '' order by 裏書人"));
}

std::optional<QString> partyName(Database &db, const PartyTable &t, const QString &code)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select %1 from %2 where %3 = ?").arg(t.nameColumn, t.table, t.codeColumn), {code});
    if (rs.eof())
        return std::nullopt;
    return rs.text(t.nameColumn);
}

namespace {

QString dueKind(DueList list)
{
    switch (list) {
    // A finished bill (settled, or a dishonoured one recovered) is due no more.
    case DueList::InHand:
        return QStringLiteral("処理 = 0 and 状態 = 0 and 終了フラグ = 0");
    case DueList::Issued:
        return QStringLiteral("処理 = 1 and 終了フラグ = 0");
    case DueList::Dishonoured:
        return QStringLiteral("処理 = 0 and 状態 = 2 and 終了フラグ = 0");
    }
    return QStringLiteral("0");
}

DueBill dueBillOf(const RowView &r)
{
    DueBill b;
    b.id = r.number(0);
    b.due = r.date(1);
    b.number = r.text(2);
    const QVariant place = r.value(3);
    if (!place.isNull())
        b.place = place.toString();
    b.amount = r.number(4);
    b.party = r.text(5);
    b.electronic = r.number(6) == 2;
    return b;
}

} // namespace

QVector<DueBill> billsDue(Database &db, DueList list, const QDate &from, const QDate &to)
{
    QVector<DueBill> bills;
    db.forEachRow(QStringLiteral("select id,手形期日,手形番号,保管場所,金額,取引先,種類 from D_手形 "
                                 "where %1 and 手形期日 >= ? and 手形期日 <= ? "
                                 "order by 手形期日, id")
                      .arg(dueKind(list)),
                  {from, to}, [&bills](const RowView &r) { bills << dueBillOf(r); });
    return bills;
}

QList<qint64> dueBillIds(Database &db, DueList list, const QDate &from, const QDate &to)
{
    return idsOf(
        db,
        QStringLiteral("select id from D_手形 where %1 and 手形期日 >= ? and 手形期日 <= ? order by 手形期日, id")
            .arg(dueKind(list)),
        {from, to});
}

std::vector<DueBill> dueBillsOf(Database &db, const QList<qint64> &ids)
{
    std::vector<DueBill> bills;
    forEachRowOfKeys(
        db, QStringLiteral("select id,手形期日,手形番号,保管場所,金額,取引先,種類 from D_手形 where id in (%1)"), ids,
        [&bills](const RowView &r) { bills.push_back(dueBillOf(r)); });
    return bills;
}

} // namespace sorvane::book
