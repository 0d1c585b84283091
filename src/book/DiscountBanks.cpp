#include "book/DiscountBanks.h"

#include "data/Engine.h"
#include "data/Formats.h"

namespace sorvane::book {

namespace {

constexpr int kCodeLength = 5;

DiscountBank bankOf(const Recordset &rs)
{
    DiscountBank b;
    b.id = rs.number(QStringLiteral("id"));
    b.コード = rs.text(QStringLiteral("コード"));
    b.銀行名 = rs.text(QStringLiteral("銀行名"));
    b.支店名 = rs.text(QStringLiteral("支店名"));
    b.入金口座 = rs.text(QStringLiteral("入金口座"));
    b.割引枠 = rs.number(QStringLiteral("割引枠"));
    return b;
}

const QString kColumns = QStringLiteral("id,コード,銀行名,支店名,入金口座,割引枠");

// The discounted bills still open, by the bank of their standing discount.
const QString kOpenAtBank = QStringLiteral(
    "from D_手形 d join 手形履歴 h on h.id=(select max(x.id) from 手形履歴 x where x.手形id=d.id and x.種別='割引') "
    "where d.処理=0 and d.状態=1 and d.予約フラグ=1 and d.予約処理=2 and d.終了フラグ=0 and h.相手先コード=?");

} // namespace

QString DiscountBank::display() const
{
    if (支店名.trimmed().isEmpty())
        return 銀行名.trimmed();
    return 銀行名.trimmed() + u' ' + 支店名.trimmed();
}

QList<DiscountBank> discountBanks(Database &db)
{
    Recordset rs = db.openRecordset(QStringLiteral("select %1 from 割引先 order by コード").arg(kColumns));
    QList<DiscountBank> out;
    for (; !rs.eof(); rs.moveNext())
        out << bankOf(rs);
    return out;
}

std::optional<DiscountBank> discountBank(Database &db, const QString &code)
{
    Recordset rs = db.openRecordset(QStringLiteral("select %1 from 割引先 where コード=?").arg(kColumns),
                                    {fmt::normalizeCode(code.trimmed())});
    if (rs.eof())
        return std::nullopt;
    return bankOf(rs);
}

void saveDiscountBank(Database &db, const DiscountBank &bank)
{
    const QString code = fmt::normalizeCode(bank.コード.trimmed());
    if (code.isEmpty())
        throw DbError(QStringLiteral("割引先コードを入力してください"));
    if (code.size() > kCodeLength)
        throw DbError(QStringLiteral("割引先コードは %1 文字までです: %2").arg(kCodeLength).arg(code));
    if (bank.銀行名.trimmed().isEmpty())
        throw DbError(QStringLiteral("銀行名を入力してください"));
    if (bank.割引枠 < 0)
        throw DbError(QStringLiteral("割引枠は 0 円以上で入力してください"));
    Transaction t(db);
    const QVariantList values{bank.銀行名.trimmed(), bank.支店名.trimmed(), bank.入金口座.trimmed(), bank.割引枠, code};
    if (db.execute(QStringLiteral("update 割引先 set 銀行名=?,支店名=?,入金口座=?,割引枠=? where コード=?"), values) ==
        0)
        db.execute(QStringLiteral("insert into 割引先(銀行名,支店名,入金口座,割引枠,コード) values(?,?,?,?,?)"),
                   values);
    t.commit();
}

bool deleteDiscountBank(Database &db, const QString &code)
{
    const QString key = fmt::normalizeCode(code.trimmed());
    Transaction t(db);
    const LimitUse use = discountLimitUse(db, key);
    if (use.bills > 0)
        throw DbError(QStringLiteral("この割引先で割引した手形が %1 件 (%2 円) 残っているため、削除できません")
                          .arg(use.bills)
                          .arg(fmt::amount(use.used)));
    const bool gone = db.execute(QStringLiteral("delete from 割引先 where コード=?"), {key}) > 0;
    t.commit();
    return gone;
}

LimitUse discountLimitUse(Database &db, const QString &code)
{
    Recordset rs =
        db.openRecordset(QStringLiteral("select coalesce(sum(d.金額),0) as 額, count(*) as 件 ") + kOpenAtBank,
                         {fmt::normalizeCode(code.trimmed())});
    return {rs.number(QStringLiteral("額")), int(rs.number(QStringLiteral("件")))};
}

} // namespace sorvane::book
