#include "book/Generate.h"

#include "book/Accounts.h"
#include "book/BillLife.h"
#include "book/Payables.h"
#include "book/Planning.h"
#include "book/Receivables.h"
#include "book/Registers.h"
#include "data/BillNumber.h"
#include "data/Calendar.h"
#include "data/Engine.h"

#include <array>
#include <vector>

namespace sorvane::book {

namespace {

constexpr int kCustomers = 2000;
constexpr int kSuppliers = 200;
constexpr int kPlaces = 20;
constexpr int kEndorserPool = 1000;

// SplitMix64: small, and the same sequence on every machine and compiler,
// which the standard distributions do not promise.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    // A few big customers and endorsers, many small ones: u² leans to index 0.
    int skewedBelow(int n)
    {
        const quint64 a = next() >> 32;
        return int((a * a >> 32) * quint64(n) >> 32);
    }
    template <typename T, std::size_t N> const T &pick(const std::array<T, N> &a)
    {
        return a[std::size_t(below(int(N)))];
    }

private:
    quint64 m_state;
};

const std::array<const char16_t *, 60> kStems = {
    u"山田", u"佐藤", u"鈴木", u"高橋", u"田中", u"伊藤", u"渡辺", u"中村", u"小林", u"加藤", u"吉田", u"山本",
    u"松本", u"井上", u"木村", u"清水", u"山口", u"池田", u"橋本", u"阿部", u"石川", u"前田", u"藤田", u"小川",
    u"岡田", u"後藤", u"村上", u"近藤", u"石井", u"坂本", u"遠藤", u"青木", u"藤井", u"西村", u"福田", u"太田",
    u"三浦", u"岡本", u"松田", u"中川", u"東都", u"関西", u"北陸", u"中央", u"大和", u"富士", u"日本", u"三和",
    u"丸一", u"大東", u"北斗", u"昭和", u"平和", u"東海", u"丸栄", u"第一", u"旭",   u"光洋", u"新興", u"協和"};
const std::array<const char16_t *, 20> kTrades = {u"商事", u"工業", u"製作所", u"産業", u"物産",   u"建設", u"電機",
                                                  u"食品", u"化学", u"運輸",   u"興業", u"精機",   u"鋼材", u"木材",
                                                  u"繊維", u"印刷", u"機械",   u"通商", u"工務店", u"紙業"};

struct Bank {
    const char16_t *name;
    const char16_t *code;
};
const std::array<Bank, 14> kBanks = {{{u"みずほ銀行", u"0001"},
                                      {u"三菱UFJ銀行", u"0005"},
                                      {u"三井住友銀行", u"0009"},
                                      {u"りそな銀行", u"0010"},
                                      {u"埼玉りそな銀行", u"0017"},
                                      {u"千葉銀行", u"0134"},
                                      {u"横浜銀行", u"0138"},
                                      {u"静岡銀行", u"0149"},
                                      {u"京都銀行", u"0158"},
                                      {u"福岡銀行", u"0177"},
                                      {u"北洋銀行", u"0501"},
                                      {u"城南信用金庫", u"1344"},
                                      {u"多摩信用金庫", u"1360"},
                                      {u"商工組合中央金庫", u"2004"}}};
const std::array<Bank, 12> kBranches = {{{u"本店", u"100"},
                                         {u"新宿支店", u"211"},
                                         {u"渋谷支店", u"215"},
                                         {u"池袋支店", u"230"},
                                         {u"上野支店", u"241"},
                                         {u"横浜支店", u"301"},
                                         {u"大宮支店", u"352"},
                                         {u"梅田支店", u"410"},
                                         {u"難波支店", u"425"},
                                         {u"名古屋支店", u"501"},
                                         {u"博多支店", u"711"},
                                         {u"札幌支店", u"801"}}};

struct Town {
    const char16_t *prefecture;
    const char16_t *town;
};
const std::array<Town, 20> kTowns = {
    {{u"東京都", u"千代田区"},       {u"東京都", u"中央区"},       {u"東京都", u"港区"},
     {u"東京都", u"新宿区"},         {u"東京都", u"品川区"},       {u"神奈川県", u"横浜市中区"},
     {u"神奈川県", u"川崎市川崎区"}, {u"大阪府", u"大阪市北区"},   {u"大阪府", u"大阪市中央区"},
     {u"大阪府", u"堺市堺区"},       {u"愛知県", u"名古屋市中区"}, {u"埼玉県", u"さいたま市大宮区"},
     {u"千葉県", u"千葉市中央区"},   {u"兵庫県", u"神戸市中央区"}, {u"京都府", u"京都市中京区"},
     {u"福岡県", u"福岡市博多区"},   {u"北海道", u"札幌市中央区"}, {u"静岡県", u"静岡市葵区"},
     {u"広島県", u"広島市中区"},     {u"宮城県", u"仙台市青葉区"}}};

const std::array<const char16_t *, kPlaces> kPlaceNames = {
    u"本社金庫",   u"経理部金庫", u"総務部金庫", u"大阪支店金庫", u"名古屋支店金庫", u"福岡支店金庫", u"札幌営業所",
    u"仙台営業所", u"横浜営業所", u"広島営業所", u"銀行貸金庫1",  u"銀行貸金庫2",    u"取立委任中",   u"社長室",
    u"第二倉庫",   u"工場事務所", u"東京営業部", u"大阪営業部",   u"顧問税理士",     u"予備金庫"};

const std::array<int, 7> kTerms = {60, 90, 90, 120, 120, 150, 180};

// A company name from a number: every number below 1,200 names another company.
QString companyName(int k)
{
    const QString stem = QString::fromUtf16(kStems[std::size_t(k % int(kStems.size()))]);
    const QString trade = QString::fromUtf16(kTrades[std::size_t(k / int(kStems.size()) % int(kTrades.size()))]);
    switch (k % 3) {
    case 0:
        return QStringLiteral("株式会社") + stem + trade;
    case 1:
        return stem + trade + QStringLiteral("株式会社");
    default:
        return QStringLiteral("有限会社") + stem + trade;
    }
}

QString addressOf(const Town &t, int k)
{
    return QString::fromUtf16(t.prefecture) + QString::fromUtf16(t.town) +
           QStringLiteral("%1-%2-%3").arg(1 + k % 9).arg(1 + k / 9 % 30).arg(1 + k / 270 % 20);
}

// Two capital letters and a five-digit number, as printed on a bill.
QString firstNumber(Random &r)
{
    QString n;
    n += QChar(u'A' + r.below(26));
    n += QChar(u'A' + r.below(26));
    return n + QStringLiteral("%1").arg(10000 + r.below(80000), 5, 10, QLatin1Char('0'));
}

qint64 amountOf(Random &r)
{
    static const qint64 scale[] = {100, 1000, 1000, 1000, 10000, 10000, 10000, 100000};
    return qint64(100 + r.below(900)) * scale[r.below(8)];
}

struct Template {
    qint64 id = 0;
    Town town{};
    Bank bank{};
    Bank branch{};
    QString drawer;
    int term = 90;
    QString lastNumber;
};

struct GenCustomer {
    QString code;
    QString name;
    std::vector<Template> templates;
};

struct Supplier {
    QString code;
    QString name;
};

struct GenAccount {
    qint64 id = 0;
    QString lastNumber;
};

// The states a received bill can reach here and no window sets yet.
// Dishonoured the day after its due date, as the bank reports it.
void markDishonoured(Database &db, qint64 id, const QDate &due, const QDate &today)
{
    dishonourBill(db, {id, std::nullopt, due.addDays(1), today}, QStringLiteral("資金不足"));
}

// Settled on its due date.
void markFinished(Database &db, qint64 id, const QDate &due, const QDate &today)
{
    settleBill(db, {id, std::nullopt, due, today});
}

void requireEmpty(Database &db)
{
    const qint64 rows = db.scalar(QStringLiteral("select (select count(*) from D_手形)+(select count(*) from 裏書人)"
                                                 "+(select count(*) from T0)+(select count(*) from S0)"
                                                 "+(select count(*) from 保管場所)+(select count(*) from 口座データ)"))
                            .toLongLong();
    if (rows > 0)
        throw DbError(QStringLiteral("データベースに既にデータがあります。作り出したデータは、"
                                     "手形も得意先も口座も登録されていない空のデータベースにだけ書き込みます。"));
}

} // namespace

QString busiestGeneratedEndorser()
{
    return companyName(0);
}

GeneratedBook generateBook(Database &db, const GenerateSettings &s)
{
    if (s.bills < 1 || s.bills > kMaxGeneratedBills)
        throw DbError(QStringLiteral("作る手形の数は 1〜%L1 で指定してください").arg(kMaxGeneratedBills));
    if (!s.today.isValid())
        throw DbError(QStringLiteral("今日の日付がありません"));
    requireEmpty(db);

    Random r(s.seed);
    GeneratedBook made;
    std::vector<GenCustomer> customers(kCustomers);
    std::vector<Supplier> suppliers(kSuppliers);
    std::vector<QString> places;
    std::vector<GenAccount> accounts;

    {
        Transaction t(db);
        for (int i = 0; i < kPlaces; ++i) {
            places.push_back(QString::fromUtf16(kPlaceNames[std::size_t(i)]));
            saveStoragePlace(db, places.back());
        }
        // Three checking accounts at different banks; most bills go on the first.
        for (int k = 1; k <= 3; ++k) {
            const Bank &bank = kBanks[std::size_t(k - 1)];
            const Bank &branch = kBranches[std::size_t(k - 1)];
            GenAccount a;
            a.lastNumber = QStringLiteral("%1%2").arg(QChar(u'A' + k - 1)).arg(100000);
            a.id = addAccount(db, {{QStringLiteral("kozano"), k},
                                   {QStringLiteral("口座名義"), QStringLiteral("株式会社サンプル")},
                                   {QStringLiteral("銀行コード"), QString::fromUtf16(bank.code)},
                                   {QStringLiteral("銀行名"), QString::fromUtf16(bank.name)},
                                   {QStringLiteral("支店コード"), QString::fromUtf16(branch.code)},
                                   {QStringLiteral("支店名"), QString::fromUtf16(branch.name)},
                                   {QStringLiteral("口座番号"), QStringLiteral("%1").arg(1234560 + k)},
                                   {QStringLiteral("口座種別"), kCheckingKind},
                                   {QStringLiteral("支払県"), QStringLiteral("東京都")},
                                   {QStringLiteral("支払市"), QStringLiteral("千代田区")},
                                   {QStringLiteral("手形期間"), 90 + 30 * (k - 1)},
                                   {QStringLiteral("最終手形番号"), a.lastNumber}});
            accounts.push_back(a);
        }
        // Received bills are collected into the first account.
        setDefaultCollectionAccount(db, accounts.front().id);
        for (int i = 0; i < kCustomers; ++i) {
            GenCustomer &c = customers[std::size_t(i)];
            c.code = QString::number(1001 + i);
            c.name = companyName(kEndorserPool + i);
            saveParty(db, customerTable(), c.code, c.name, false);
            const qint64 key = *customerId(db, c.code);
            const int count = 1 + r.below(3);
            for (int n = 0; n < count; ++n) {
                Template tp;
                tp.town = r.pick(kTowns);
                tp.bank = r.pick(kBanks);
                tp.branch = r.pick(kBranches);
                // Most customers pay with their own bills; some hand on a third party's.
                tp.drawer = r.below(100) < 65 ? c.name : companyName(r.below(1200) + 2 * kEndorserPool);
                tp.term = r.pick(kTerms);
                tp.lastNumber = firstNumber(r);
                BillTemplate row;
                row.customerId = key;
                row.振出人 = tp.drawer;
                row.支払県 = QString::fromUtf16(tp.town.prefecture);
                row.支払市 = QString::fromUtf16(tp.town.town);
                row.支払場所コード = QString::fromUtf16(tp.bank.code);
                row.支払場所 = QString::fromUtf16(tp.bank.name);
                row.支払場所支店コード = QString::fromUtf16(tp.branch.code);
                row.支払場所支店 = QString::fromUtf16(tp.branch.name);
                row.手形期間 = tp.term;
                row.最終手形番号 = tp.lastNumber;
                tp.id = insertTemplate(db, row);
                c.templates.push_back(tp);
                ++made.templates;
            }
        }
        for (int i = 0; i < kSuppliers; ++i) {
            Supplier &p = suppliers[std::size_t(i)];
            p.code = QString::number(5001 + i);
            p.name = companyName(3 * kEndorserPool + i);
            saveParty(db, supplierTable(), p.code, p.name, false);
        }
        t.commit();
    }
    made.customers = kCustomers;
    made.suppliers = kSuppliers;
    made.places = kPlaces;
    made.accounts = int(accounts.size());

    // Bills are booked day by day over the years, so ids follow the booking
    // dates as in a real book; due dates end half a year after today.
    const QDate firstBooking = s.today.addYears(-5).addDays(60);
    const qint64 span = firstBooking.daysTo(s.today);
    const int batch = std::max(1, s.batch);
    qint64 written = 0;
    while (written < s.bills) {
        Transaction t(db);
        const qint64 end = std::min(s.bills, written + batch);
        for (qint64 i = written; i < end; ++i) {
            const QDate booked = firstBooking.addDays(span * i / s.bills);
            const QDate issue = booked.addDays(-r.below(5));
            const int roll = r.below(100);
            enum {
                InHand,
                Issued,
                HandedOn,
                Dishonoured,
                Finished
            } kind = roll < 60   ? InHand
                     : roll < 80 ? Issued
                     : roll < 90 ? HandedOn
                     : roll < 95 ? Dishonoured
                                 : Finished;
            const bool finishedIssue = kind == Finished && r.below(2) == 0;

            if (kind == Issued || finishedIssue) {
                // Half the issued bills go on the first account, the rest on the other two.
                const int which = r.below(10) < 5 ? 0 : 1 + r.below(2);
                GenAccount &a = accounts[std::size_t(which)];
                const Supplier &p = suppliers[std::size_t(r.skewedBelow(kSuppliers))];
                const Bank &bank = kBanks[std::size_t(which)];
                const Bank &branch = kBranches[std::size_t(which)];
                Issue bill;
                bill.accountId = a.id;
                bill.日付 = booked;
                bill.手形番号 = a.lastNumber = NextBillNumber(a.lastNumber);
                bill.取引先コード = p.code;
                bill.取引先 = p.name;
                bill.支払場所コード = QString::fromUtf16(bank.code);
                bill.支払場所 = QString::fromUtf16(bank.name);
                bill.支払場所支店コード = QString::fromUtf16(branch.code);
                bill.支払場所支店 = QString::fromUtf16(branch.name);
                bill.振出日 = issue;
                bill.手形期日 = AddTermSkipWeekend(issue, 90 + 30 * which);
                bill.金額 = amountOf(r);
                const qint64 id = issueBill(db, bill);
                if (finishedIssue && bill.手形期日 < s.today) {
                    markFinished(db, id, bill.手形期日, s.today);
                    ++made.finished;
                } else {
                    ++made.issued;
                }
                continue;
            }

            GenCustomer &c = customers[std::size_t(r.skewedBelow(kCustomers))];
            Template &tp = c.templates[std::size_t(r.below(int(c.templates.size())))];
            ReceivableBill bill;
            bill.日付 = booked;
            bill.手形番号 = NextBillNumber(tp.lastNumber);
            bill.取引先コード = c.code;
            bill.取引先 = c.name;
            bill.振出地 = QString::fromUtf16(tp.town.prefecture) + QString::fromUtf16(tp.town.town);
            bill.振出人 = tp.drawer;
            bill.支払県 = QString::fromUtf16(tp.town.prefecture);
            bill.支払市 = QString::fromUtf16(tp.town.town);
            bill.支払場所コード = QString::fromUtf16(tp.bank.code);
            bill.支払場所 = QString::fromUtf16(tp.bank.name);
            bill.支払場所支店コード = QString::fromUtf16(tp.branch.code);
            bill.支払場所支店 = QString::fromUtf16(tp.branch.name);
            bill.振出日 = issue;
            // A few bills are payable at sight and carry no due date.
            if (!(kind == InHand && r.below(500) == 0))
                bill.手形期日 = AddTermSkipWeekend(issue, tp.term);
            bill.手形期間 = bill.手形期日.isValid() ? issue.daysTo(bill.手形期日) : 0;
            bill.金額 = amountOf(r);
            bill.保管場所 = places[std::size_t(r.below(kPlaces))];
            bill.注意フラグ = r.below(100) == 0;
            // The templates of the customer with that bank move on with the number.
            for (Template &other : c.templates)
                if (other.bank.code == tp.bank.code && other.branch.code == tp.branch.code)
                    other.lastNumber = bill.手形番号;

            EndorserSlots endorsers;
            const int count = r.below(5);
            for (int n = 0; n < count; ++n) {
                const int k = r.skewedBelow(kEndorserPool);
                endorsers.append({companyName(k), addressOf(kTowns[std::size_t(k % int(kTowns.size()))], k)});
            }
            const qint64 id = registerReceivableBill(db, bill, count > 0 ? std::optional(endorsers) : std::nullopt);
            made.endorsers += count;

            // A bill can be dishonoured or collected only once it is due.
            const bool due = bill.手形期日.isValid() && bill.手形期日 < s.today;
            if (kind == HandedOn) {
                const Supplier &p = suppliers[std::size_t(r.skewedBelow(kSuppliers))];
                const QDate on = std::min(s.today, booked.addDays(r.below(30)));
                if (!handOnBill(db, id, on, p.code, p.name))
                    throw DbError(QStringLiteral("手形 %1 を譲渡できませんでした").arg(bill.手形番号));
                ++made.handedOn;
            } else if (kind == Dishonoured && due) {
                markDishonoured(db, id, bill.手形期日, s.today);
                ++made.dishonoured;
            } else if (kind == Finished && due) {
                markFinished(db, id, bill.手形期日, s.today);
                ++made.finished;
            } else {
                ++made.inHand;
            }
        }
        t.commit();
        written = end;
        if (s.progress)
            s.progress(written);
    }
    return made;
}

} // namespace sorvane::book
