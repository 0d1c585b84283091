#include "book/Endorsers.h"

#include "data/Engine.h"

namespace sorvane::book {

QList<Endorser> endorsersOf(Database &db, qint64 billId)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select 裏書人,裏書人住所 from 裏書人 where 手形id=? order by 表示順,id"), {billId});
    QList<Endorser> list;
    list.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        list.append({rs.text(QStringLiteral("裏書人")), rs.text(QStringLiteral("裏書人住所"))});
    return list;
}

QStringList endorserNames(Database &db, qint64 billId)
{
    QStringList names;
    for (const Endorser &e : endorsersOf(db, billId))
        names << e.name;
    return names;
}

void insertEndorserRows(Database &db, qint64 billId, const EndorserSlots &given)
{
    for (int n = 0; n < given.size() && n < 4; ++n) {
        if (given.at(n).name.isEmpty())
            continue;
        db.execute(QStringLiteral("insert into 裏書人(手形id,表示順,裏書人,裏書人住所) values(?,?,?,?)"),
                   {billId, n + 1, given.at(n).name, given.at(n).address});
    }
}

void writeEndorsers(Database &db, qint64 billId, const EndorserSlots &given)
{
    Transaction t(db);
    insertEndorserRows(db, billId, given);
    t.commit();
}

void replaceEndorsers(Database &db, qint64 billId, const EndorserSlots &given)
{
    Transaction t(db);
    db.execute(QStringLiteral("delete from 裏書人 where 手形id=?"), {billId});
    insertEndorserRows(db, billId, given);
    t.commit();
}

} // namespace sorvane::book
