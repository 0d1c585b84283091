#include "book/History.h"

#include "data/Engine.h"
#include "data/Formats.h"
#include "data/Schema.h"

namespace sorvane::book {

namespace kind {
const QString 受取 = QStringLiteral("受取");
const QString 振出 = QStringLiteral("振出");
const QString 譲渡 = QStringLiteral("譲渡");
const QString 譲渡取消 = QStringLiteral("譲渡取消");
const QString 割引 = QStringLiteral("割引");
const QString 割引取消 = QStringLiteral("割引取消");
const QString 決済 = QStringLiteral("決済");
const QString 決済取消 = QStringLiteral("決済取消");
const QString 不渡 = QStringLiteral("不渡");
const QString 不渡取消 = QStringLiteral("不渡取消");
const QString 修正 = QStringLiteral("修正");
const QString 削除 = QStringLiteral("削除");
} // namespace kind

namespace state {
const QString 手元 = QStringLiteral("手元");
const QString 割引 = QStringLiteral("割引");
const QString 譲渡 = QStringLiteral("譲渡");
const QString 不渡 = QStringLiteral("不渡");
const QString 振出 = QStringLiteral("振出");
const QString 決済済 = QStringLiteral("決済済");
const QString 回収済 = QStringLiteral("回収済");
const QString 予約 = QStringLiteral("予約");
const QString 削除 = QStringLiteral("削除");
} // namespace state

namespace reason {
const QString 誤り = QStringLiteral("誤り");
const QString 買戻し = QStringLiteral("買戻し");
const QString 回収 = QStringLiteral("回収");
} // namespace reason

namespace {

const QStringList kEventColumns =
    QStringLiteral("id,手形id,種別,処理日,処理,手形番号,取引先コード,取引先,手形期日,金額,相手先コード,"
                   "相手先,手数料,回収額,事由,前状態,後状態,取消元id,変更前,変更後,記録日時,記録者")
        .split(u',');

QList<BillEvent> eventsOf(Database &db, const QString &where, const QVariantList &values, const QString &order)
{
    QList<BillEvent> out;
    db.forEachRow(QStringLiteral("select %1 from 手形履歴 where %2 order by %3").arg(eventColumns(), where, order),
                  values, [&out](const RowView &r) { out << eventAt(r, 0); });
    return out;
}

QString valueText(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v.toString();
}

// A value on one line: backslashes and line breaks are escaped.
QString escaped(const QString &v)
{
    QString out = v;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\r', QStringLiteral("\\r"));
    out.replace(u'\n', QStringLiteral("\\n"));
    return out;
}

QString unescaped(const QString &v)
{
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v.at(i) != u'\\' || i + 1 == v.size()) {
            out += v.at(i);
            continue;
        }
        const QChar next = v.at(++i);
        out += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

QString lineOf(const QString &column, const QString &value)
{
    return column + QStringLiteral(": ") + escaped(value);
}

QString csvField(const QString &v)
{
    if (!v.contains(u',') && !v.contains(u'"') && !v.contains(u'\n') && !v.contains(u'\r'))
        return v;
    QString q = v;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

} // namespace

QString eventColumns(const QString &alias)
{
    if (alias.isEmpty())
        return kEventColumns.join(u',');
    QStringList named;
    for (const QString &c : kEventColumns)
        named << alias + u'.' + c;
    return named.join(u',');
}

int eventColumnCount()
{
    return int(kEventColumns.size());
}

BillEvent eventAt(const RowView &r, int first)
{
    int i = first;
    BillEvent e;
    e.id = r.number(i++);
    e.billId = r.number(i++);
    e.kind = r.text(i++);
    e.date = r.date(i++);
    e.処理 = int(r.number(i++));
    e.手形番号 = r.text(i++);
    e.取引先コード = r.text(i++);
    e.取引先 = r.text(i++);
    e.手形期日 = r.date(i++);
    e.金額 = r.number(i++);
    e.相手先コード = r.text(i++);
    e.相手先 = r.text(i++);
    e.手数料 = r.number(i++);
    e.回収額 = r.number(i++);
    e.事由 = r.text(i++);
    e.前状態 = r.text(i++);
    e.後状態 = r.text(i++);
    e.取消元id = r.number(i++);
    e.変更前 = r.text(i++);
    e.変更後 = r.text(i++);
    e.記録日時 = r.text(i++);
    e.記録者 = r.text(i++);
    return e;
}

qint64 recordEvent(Database &db, BillEvent e)
{
    e.記録日時 = schema::recordedAt();
    e.記録者 = schema::recorderName(db);
    db.execute(QStringLiteral("insert into 手形履歴(手形id,種別,処理日,処理,手形番号,取引先コード,取引先,手形期日,金額,"
                              "相手先コード,相手先,手数料,回収額,事由,前状態,後状態,取消元id,変更前,変更後,記録日時,"
                              "記録者) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
               {e.billId,   e.kind,   e.date,         e.処理,   e.手形番号, e.取引先コード, e.取引先,
                e.手形期日, e.金額,   e.相手先コード, e.相手先, e.手数料,   e.回収額,       e.事由,
                e.前状態,   e.後状態, e.取消元id,     e.変更前, e.変更後,   e.記録日時,     e.記録者});
    return db.lastInsertId();
}

QList<BillEvent> eventsOfBill(Database &db, qint64 billId)
{
    return eventsOf(db, QStringLiteral("手形id=?"), {billId}, QStringLiteral("id"));
}

std::optional<BillEvent> eventById(Database &db, qint64 id)
{
    const QList<BillEvent> found = eventsOf(db, QStringLiteral("id=?"), {id}, QStringLiteral("id"));
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

std::optional<BillEvent> standingEvent(Database &db, qint64 billId, const QString &kind)
{
    const QList<BillEvent> found = eventsOf(
        db,
        QStringLiteral("手形id=? and 種別=? and not exists (select 1 from 手形履歴 t where t.取消元id=手形履歴.id)"),
        {billId, kind}, QStringLiteral("id desc limit 1"));
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

QString eventQueryProblem(const EventQuery &q)
{
    if (q.from.isValid() && q.to.isValid() && q.from > q.to)
        return QStringLiteral("期間の始めが終わりより後になっています");
    if (q.minAmount && q.maxAmount && *q.minAmount > *q.maxAmount)
        return QStringLiteral("金額の範囲の下限が上限より大きくなっています");
    return {};
}

QList<BillEvent> searchEvents(Database &db, const EventQuery &q)
{
    const QString problem = eventQueryProblem(q);
    if (!problem.isEmpty())
        throw DbError(problem);
    QStringList where{QStringLiteral("1=1")};
    QVariantList values;
    if (q.billId > 0) {
        where << QStringLiteral("手形id=?");
        values << q.billId;
    }
    if (q.from.isValid()) {
        where << QStringLiteral("処理日>=?");
        values << q.from;
    }
    if (q.to.isValid()) {
        where << QStringLiteral("処理日<=?");
        values << q.to;
    }
    if (q.minAmount) {
        where << QStringLiteral("金額>=?");
        values << *q.minAmount;
    }
    if (q.maxAmount) {
        where << QStringLiteral("金額<=?");
        values << *q.maxAmount;
    }
    if (!q.number.trimmed().isEmpty()) {
        where << QStringLiteral("手形番号=?");
        values << q.number.trimmed();
    }
    const QString party = q.party.trimmed();
    if (!party.isEmpty()) {
        // A code matches whole, a name by any part of it.
        QString like = party;
        like.replace(u'\\', QStringLiteral("\\\\"))
            .replace(u'%', QStringLiteral("\\%"))
            .replace(u'_', QStringLiteral("\\_"));
        like = u'%' + like + u'%';
        where << QStringLiteral("(取引先コード=? or 相手先コード=? or 取引先 like ? escape '\\' or "
                                "相手先 like ? escape '\\')");
        values << fmt::normalizeCode(party) << fmt::normalizeCode(party) << like << like;
    }
    QString order = QStringLiteral("処理日 nulls first, id");
    if (q.limit > 0)
        order += QStringLiteral(" limit %1").arg(q.limit);
    return eventsOf(db, where.join(QStringLiteral(" and ")), values, order);
}

RowSnapshot billSnapshot(Database &db, qint64 billId)
{
    Recordset rs = db.openRecordset(QStringLiteral("select * from D_手形 where id=?"), {billId});
    RowSnapshot row;
    if (rs.eof())
        return row;
    for (const QString &c : rs.columns()) {
        if (c == u"更新回数")
            continue;
        row.columns << c;
        row.values.insert(c, valueText(rs.value(c)));
    }
    // The endorsers belong to what a correction changes and a deletion keeps.
    Recordset e = db.openRecordset(
        QStringLiteral("select 表示順,裏書人,裏書人住所 from 裏書人 where 手形id=? order by 表示順,id"), {billId});
    for (; !e.eof(); e.moveNext()) {
        const QString name = QStringLiteral("裏書人%1").arg(e.number(QStringLiteral("表示順")));
        if (row.values.contains(name))
            continue;
        row.columns << name;
        row.values.insert(name, e.text(QStringLiteral("裏書人")) + QStringLiteral(" / ") +
                                    e.text(QStringLiteral("裏書人住所")));
    }
    return row;
}

QString fieldLines(const RowSnapshot &row)
{
    QStringList lines;
    for (const QString &c : row.columns)
        lines << lineOf(c, row.values.value(c));
    return lines.join(u'\n');
}

std::pair<QString, QString> changedFields(const RowSnapshot &before, const RowSnapshot &after)
{
    QStringList was, now;
    QStringList columns = before.columns;
    for (const QString &c : after.columns)
        if (!columns.contains(c))
            columns << c;
    for (const QString &c : std::as_const(columns)) {
        const QString a = before.values.value(c);
        const QString b = after.values.value(c);
        if (a == b)
            continue;
        was << lineOf(c, a);
        now << lineOf(c, b);
    }
    return {was.join(u'\n'), now.join(u'\n')};
}

QMap<QString, QString> parseFieldLines(const QString &lines)
{
    QMap<QString, QString> out;
    for (const QString &line : lines.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon > 0)
            out.insert(line.left(colon), unescaped(line.mid(colon + 2)));
    }
    return out;
}

QByteArray eventsCsv(const QList<BillEvent> &events)
{
    const QStringList header{QStringLiteral("履歴id"),       QStringLiteral("手形id"),   QStringLiteral("種別"),
                             QStringLiteral("処理日"),       QStringLiteral("手形番号"), QStringLiteral("取引先コード"),
                             QStringLiteral("取引先"),       QStringLiteral("手形期日"), QStringLiteral("金額"),
                             QStringLiteral("相手先コード"), QStringLiteral("相手先"),   QStringLiteral("手数料"),
                             QStringLiteral("回収額"),       QStringLiteral("事由"),     QStringLiteral("前状態"),
                             QStringLiteral("後状態"),       QStringLiteral("取消元id"), QStringLiteral("変更前"),
                             QStringLiteral("変更後"),       QStringLiteral("記録日時"), QStringLiteral("記録者")};
    QString out = header.join(u',') + QStringLiteral("\r\n");
    const auto date = [](const QDate &d) { return d.isValid() ? d.toString(Qt::ISODate) : QString(); };
    for (const BillEvent &e : events) {
        const QStringList fields{QString::number(e.id),
                                 QString::number(e.billId),
                                 e.kind,
                                 date(e.date),
                                 e.手形番号,
                                 e.取引先コード,
                                 e.取引先,
                                 date(e.手形期日),
                                 QString::number(e.金額),
                                 e.相手先コード,
                                 e.相手先,
                                 QString::number(e.手数料),
                                 QString::number(e.回収額),
                                 e.事由,
                                 e.前状態,
                                 e.後状態,
                                 e.取消元id ? QString::number(e.取消元id) : QString(),
                                 e.変更前,
                                 e.変更後,
                                 e.記録日時,
                                 e.記録者};
        QStringList quoted;
        for (const QString &f : fields)
            quoted << csvField(f);
        out += quoted.join(u',') + QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

} // namespace sorvane::book
