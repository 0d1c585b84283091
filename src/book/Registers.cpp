#include "book/Registers.h"

#include "data/Engine.h"

namespace sorvane::book {

namespace {

const QString kTemplateColumns = QStringLiteral(
    "id,idoft,振出人,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,支払場所支店,手形期間,最終手形番号");

BillTemplate templateOf(const Recordset &rs)
{
    BillTemplate t;
    t.id = rs.number(QStringLiteral("id"));
    t.customerId = rs.number(QStringLiteral("idoft"));
    t.振出人 = rs.text(QStringLiteral("振出人"));
    t.支払県 = rs.text(QStringLiteral("支払県"));
    t.支払市 = rs.text(QStringLiteral("支払市"));
    t.支払場所コード = rs.text(QStringLiteral("支払場所コード"));
    t.支払場所 = rs.text(QStringLiteral("支払場所"));
    t.支払場所支店コード = rs.text(QStringLiteral("支払場所支店コード"));
    t.支払場所支店 = rs.text(QStringLiteral("支払場所支店"));
    t.手形期間 = rs.number(QStringLiteral("手形期間"));
    t.最終手形番号 = rs.text(QStringLiteral("最終手形番号"));
    return t;
}

QVariantList templateValues(const BillTemplate &t)
{
    return {t.振出人,       t.支払県,   t.支払市,      t.支払場所コード, t.支払場所, t.支払場所支店コード,
            t.支払場所支店, t.手形期間, t.最終手形番号};
}

} // namespace

const PartyTable &customerTable()
{
    static const PartyTable t{QStringLiteral("T0"), QStringLiteral("tc"), QStringLiteral("tn")};
    return t;
}

const PartyTable &supplierTable()
{
    static const PartyTable t{QStringLiteral("S0"), QStringLiteral("sc"), QStringLiteral("sn")};
    return t;
}

QList<PartyRow> readParties(Database &db, const PartyTable &t)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select %1,%2 from %3 order by %1").arg(t.codeColumn, t.nameColumn, t.table));
    QList<PartyRow> rows;
    rows.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        rows.append({rs.text(t.codeColumn), rs.text(t.nameColumn)});
    return rows;
}

void saveParty(Database &db, const PartyTable &t, const QString &code, const QString &name, bool existing)
{
    if (existing && db.execute(QStringLiteral("update %1 set %2=? where %3=?").arg(t.table, t.nameColumn, t.codeColumn),
                               {name, code}) > 0)
        return;
    db.execute(QStringLiteral("insert into %1(%2,%3) values(?,?)").arg(t.table, t.codeColumn, t.nameColumn),
               {code, name});
}

int deleteParty(Database &db, const PartyTable &t, const QString &code)
{
    return db.execute(QStringLiteral("delete from %1 where %2=?").arg(t.table, t.codeColumn), {code});
}

namespace {

QStringList codes(Database &db, const PartyTable &t)
{
    Recordset rs = db.openRecordset(QStringLiteral("select %1 from %2 order by %1").arg(t.codeColumn, t.table));
    QStringList list;
    list.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        list << rs.text(t.codeColumn);
    return list;
}

} // namespace

QStringList customerCodes(Database &db)
{
    return codes(db, customerTable());
}

QStringList supplierCodes(Database &db)
{
    return codes(db, supplierTable());
}

std::optional<qint64> customerId(Database &db, const QString &code)
{
    const QVariant id = db.scalar(QStringLiteral("select id from T0 where tc=?"), {code});
    if (id.isNull())
        return std::nullopt;
    return id.toLongLong();
}

QList<BillTemplate> templatesOf(Database &db, qint64 customerId)
{
    Recordset rs = db.openRecordset(QStringLiteral("select %1 from T1 where idoft=? order by id").arg(kTemplateColumns),
                                    {customerId});
    QList<BillTemplate> list;
    list.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        list.append(templateOf(rs));
    return list;
}

std::optional<BillTemplate> templateById(Database &db, qint64 id)
{
    Recordset rs = db.openRecordset(QStringLiteral("select %1 from T1 where id=?").arg(kTemplateColumns), {id});
    if (rs.eof())
        return std::nullopt;
    return templateOf(rs);
}

qint64 insertTemplate(Database &db, const BillTemplate &t)
{
    db.execute(QStringLiteral("insert into T1(idoft,振出人,支払県,支払市,支払場所コード,支払場所,支払場所支店コード,"
                              "支払場所支店,手形期間,最終手形番号) values(?,?,?,?,?,?,?,?,?,?)"),
               QVariantList{t.customerId} + templateValues(t));
    return db.lastInsertId();
}

void updateTemplate(Database &db, const BillTemplate &t)
{
    db.execute(QStringLiteral("update T1 set 振出人=?,支払県=?,支払市=?,支払場所コード=?,支払場所=?,"
                              "支払場所支店コード=?,支払場所支店=?,手形期間=?,最終手形番号=? where id=?"),
               templateValues(t) + QVariantList{t.id});
}

void deleteTemplate(Database &db, qint64 id)
{
    db.execute(QStringLiteral("delete from T1 where id=?"), {id});
}

QStringList storagePlaces(Database &db)
{
    Recordset rs = db.openRecordset(QStringLiteral("select id,保管場所 from 保管場所 order by id"));
    QStringList names;
    names.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("保管場所"));
    return names;
}

void saveStoragePlace(Database &db, const QString &name)
{
    // The column compares without regard to case: a name typed in other
    // letters finds the registered one and rewrites it as typed.
    Recordset rs = db.openTable(QStringLiteral("保管場所"), QStringLiteral("保管場所=?"), {name});
    if (rs.eof())
        rs.addNew();
    else
        rs.edit();
    rs.setValue(QStringLiteral("保管場所"), name);
    rs.update();
}

int deleteStoragePlace(Database &db, const QString &name)
{
    return db.execute(QStringLiteral("delete from 保管場所 where 保管場所=?"), {name});
}

} // namespace sorvane::book
