#include "book/Registers.h"

#include "data/Engine.h"
#include "data/Formats.h"

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
    static const PartyTable t{QStringLiteral("T0"), QStringLiteral("tc"), QStringLiteral("tn"),
                              QStringLiteral("得意先")};
    return t;
}

const PartyTable &supplierTable()
{
    static const PartyTable t{QStringLiteral("S0"), QStringLiteral("sc"), QStringLiteral("sn"),
                              QStringLiteral("仕入先")};
    return t;
}

QList<PartyRow> readParties(Database &db, const PartyTable &t)
{
    Recordset rs = db.openRecordset(
        QStringLiteral("select %1,%2,登録番号 from %3 order by %1").arg(t.codeColumn, t.nameColumn, t.table));
    QList<PartyRow> rows;
    rows.reserve(rs.rowCount());
    for (; !rs.eof(); rs.moveNext())
        rows.append({rs.text(t.codeColumn), rs.text(t.nameColumn), rs.text(QStringLiteral("登録番号"))});
    return rows;
}

void saveParty(Database &db, const PartyTable &t, const QString &code, const QString &name, bool existing,
               const QString &number)
{
    if (existing &&
        db.execute(QStringLiteral("update %1 set %2=?,登録番号=? where %3=?").arg(t.table, t.nameColumn, t.codeColumn),
                   {name, number, code}) > 0)
        return;
    db.execute(QStringLiteral("insert into %1(%2,%3,登録番号) values(?,?,?)").arg(t.table, t.codeColumn, t.nameColumn),
               {code, name, number});
}

int setPartyNumber(Database &db, const PartyTable &t, const QString &code, const QString &number)
{
    return db.execute(QStringLiteral("update %1 set 登録番号=? where %2=?").arg(t.table, t.codeColumn), {number, code});
}

bool corporateNumberValid(const QString &digits)
{
    if (digits.size() != 13)
        return false;
    // The first digit is 9 minus (the sum of the other twelve, weighted 1
    // and 2 alternately from the last, modulo 9).
    int sum = 0;
    for (int n = 1; n <= 12; ++n) {
        const QChar c = digits.at(13 - n);
        if (c < u'0' || c > u'9')
            return false;
        sum += (c.unicode() - u'0') * (n % 2 == 1 ? 1 : 2);
    }
    return digits.at(0).unicode() - u'0' == 9 - sum % 9;
}

std::optional<QString> readPartyNumber(const QString &typed, QString *problem)
{
    QString s = fmt::normalizeCode(typed);
    s.remove(u' ');
    s.remove(u'-');
    if (s.startsWith(u't'))
        s[0] = u'T';
    const bool registration = s.startsWith(u'T');
    const QString digits = registration ? s.mid(1) : s;
    bool onlyDigits = digits.size() == 13;
    for (QChar c : digits)
        onlyDigits = onlyDigits && c >= u'0' && c <= u'9';
    if (s.isEmpty())
        return QString();
    if (!onlyDigits) {
        if (problem)
            *problem = QStringLiteral("登録番号は T と 13 桁の数字で、法人番号は 13 桁の数字で入力してください\n"
                                      "（入力されたもの「%1」）")
                           .arg(typed.trimmed());
        return std::nullopt;
    }
    if (!registration && !corporateNumberValid(digits)) {
        if (problem)
            *problem = QStringLiteral("法人番号「%1」は正しくありません（先頭の検査用の数字が合いません）\n"
                                      "番号を確かめてください")
                           .arg(digits);
        return std::nullopt;
    }
    return s;
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
