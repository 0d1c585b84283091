#include "book/ListSheets.h"

#include "book/Keys.h"
#include "data/Engine.h"
#include "data/Formats.h"

#include <QHash>

namespace sorvane::book {

namespace {

// Keys are bound a slice at a time: an engine takes only so many values in one statement.
constexpr qsizetype kSlice = 500;

struct Listed {
    int 処理 = 0;
    int 状態 = 0;
    bool 注意 = false;
    QString 手形番号, 取引先, 振出人, 支払場所, 保管場所, 譲渡先, 口座;
    QDate 振出日, 手形期日;
    qint64 金額 = 0;
};

QString place(const QString &bank, const QString &branch)
{
    return (bank.trimmed() + u' ' + branch.trimmed()).trimmed();
}

// The bills of the keys, in the keys' order; a key whose bill is gone is left out.
QList<Listed> listed(Database &db, const QList<qint64> &ids)
{
    QHash<qint64, Listed> byId;
    for (qsizetype first = 0; first < ids.size(); first += kSlice)
        forEachRowOfKeys(
            db,
            QStringLiteral("select d.id, d.処理, d.状態, d.注意フラグ, d.手形番号, d.取引先, d.振出人, d.支払場所, "
                           "d.支払場所支店, d.保管場所, d.譲渡先, d.振出日, d.手形期日, d.金額, a.銀行名, a.支店名 "
                           "from D_手形 d left join 口座データ a on a.id = d.予約口座id where d.id in (%1)"),
            ids.mid(first, kSlice), [&byId](const RowView &r) {
                Listed b;
                b.処理 = int(r.number(1));
                b.状態 = int(r.number(2));
                b.注意 = r.number(3) != 0;
                b.手形番号 = r.text(4);
                b.取引先 = r.text(5);
                b.振出人 = r.text(6);
                b.支払場所 = place(r.text(7), r.text(8));
                b.保管場所 = r.text(9);
                b.譲渡先 = r.text(10);
                b.振出日 = r.date(11);
                b.手形期日 = r.date(12);
                b.金額 = r.number(13);
                b.口座 = place(r.text(14), r.text(15));
                byId.insert(r.number(0), b);
            });
    QList<Listed> out;
    out.reserve(byId.size());
    for (qint64 id : ids)
        if (const auto it = byId.constFind(id); it != byId.constEnd())
            out << *it;
    return out;
}

QString asOf(const QDate &today, qsizetype count)
{
    return QStringLiteral("%1 現在　%2 件").arg(fmt::ymd(today)).arg(count);
}

} // namespace

Sheet receivableListSheet(Database &db, const QList<qint64> &ids, const QDate &today)
{
    const QList<Listed> bills = listed(db, ids);
    Sheet s;
    s.title = QStringLiteral("受取手形一覧");
    s.subtitle = asOf(today, bills.size());
    s.columns = {{QStringLiteral("手形期日"), {}, false, 13}, {QStringLiteral("手形番号"), {}, false, 14},
                 {QStringLiteral("取引先"), {}, false, 24},   {QStringLiteral("振出人"), {}, false, 24},
                 {QStringLiteral("支払場所"), {}, false, 24}, {QStringLiteral("振出日"), {}, false, 13},
                 {QStringLiteral("金額"), {}, true, 15},      {QStringLiteral("保管場所"), {}, false, 16},
                 {QStringLiteral("備考"), {}, false, 8}};
    qint64 sum = 0;
    for (const Listed &b : bills) {
        QStringList notes;
        if (b.状態 == 2)
            notes << QStringLiteral("不渡");
        if (b.注意)
            notes << QStringLiteral("注意");
        s.rows << QStringList{fmt::ymd(b.手形期日), b.手形番号,          b.取引先,   b.振出人,        b.支払場所,
                              fmt::ymd(b.振出日),   fmt::amount(b.金額), b.保管場所, notes.join(u' ')};
        sum += b.金額;
    }
    s.totals = QStringList{
        QStringLiteral("合計"), QStringLiteral("%1 件").arg(bills.size()), {}, {}, {}, {}, fmt::amount(sum), {}, {}};
    return s;
}

Sheet payableListSheet(Database &db, const QList<qint64> &ids, const QDate &today)
{
    const QList<Listed> bills = listed(db, ids);
    Sheet s;
    s.title = QStringLiteral("支払手形一覧");
    s.subtitle = asOf(today, bills.size());
    s.columns = {{QStringLiteral("区分"), {}, false, 8},      {QStringLiteral("手形期日"), {}, false, 13},
                 {QStringLiteral("手形番号"), {}, false, 14}, {QStringLiteral("支払先・譲渡先"), {}, false, 24},
                 {QStringLiteral("振出人"), {}, false, 22},   {QStringLiteral("支払場所・口座"), {}, false, 24},
                 {QStringLiteral("振出日"), {}, false, 13},   {QStringLiteral("金額"), {}, true, 15}};
    qint64 issued = 0;
    qint64 handedOn = 0;
    for (const Listed &b : bills) {
        const bool issue = b.処理 == 1;
        s.rows << QStringList{issue ? QStringLiteral("振出") : QStringLiteral("譲渡"),
                              fmt::ymd(b.手形期日),
                              b.手形番号,
                              issue ? b.取引先 : b.譲渡先,
                              issue ? QStringLiteral("自社") : b.振出人,
                              issue && !b.口座.isEmpty() ? b.口座 : b.支払場所,
                              fmt::ymd(b.振出日),
                              fmt::amount(b.金額)};
        (issue ? issued : handedOn) += b.金額;
    }
    s.totals = QStringList{QStringLiteral("合計"),
                           QStringLiteral("%1 件").arg(bills.size()),
                           {},
                           QStringLiteral("振出 %1").arg(fmt::amount(issued)),
                           QStringLiteral("譲渡 %1").arg(fmt::amount(handedOn)),
                           {},
                           {},
                           fmt::amount(issued + handedOn)};
    return s;
}

} // namespace sorvane::book
