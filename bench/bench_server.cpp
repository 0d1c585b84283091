// The book on a PostgreSQL server at 100,000 bills (by default): the list
// windows and the search against psql running the same query on the same
// server in the same run (the floor), and registrations per second with one
// and with two clerks at once. Starts its own private server.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_server [BILLS]

#include "app/Windows.h"
#include "book/AppContext.h"
#include "book/Payables.h"
#include "book/Receivables.h"
#include "book/Search.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "data/Schema.h"
#include "payable/PayableList.h"
#include "receivable/ReceivableList.h"
#include "search/DueList.h"
#include "support/PrivateServer.h"
#include "ui/EndorsementDialog.h"
#include "ui/UiService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace sorvane;

namespace {

constexpr int kRuns = 5;

class SilentUi : public UiService {
public:
    void information(const QString &, const QString &) override {}
    bool confirm(const QString &, const QString &, Default) override { return true; }
    int runModal(QDialog *) override { return 0; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()> &work)
{
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

// psql's own \timing of the query (the sum over its statements), run kRuns
// times in one session, results to /dev/null.
double psqlMs(const test::PrivateServer &server, const QString &sql)
{
    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("q.sql")));
    script.open(QIODevice::WriteOnly);
    script.write("\\timing on\n\\o /dev/null\n");
    for (int i = 0; i < kRuns; ++i)
        script.write((sql + QStringLiteral(";\n")).toUtf8());
    script.close();
    QProcess p;
    p.start(test::PrivateServer::binFolder() + QStringLiteral("/psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"), server.socketFolder(),
             QStringLiteral("-U"), QStringLiteral("sorvane"), QStringLiteral("-d"), QStringLiteral("bench"),
             QStringLiteral("-f"), script.fileName()});
    p.waitForFinished(-1);
    std::vector<double> times;
    static const QRegularExpression time(QStringLiteral("Time: ([0-9.]+) ms"));
    auto it = time.globalMatch(QString::fromUtf8(p.readAllStandardOutput()));
    while (it.hasNext())
        times.push_back(it.next().captured(1).toDouble());
    if (times.empty() || times.size() % kRuns != 0)
        return -1;
    const size_t perRun = times.size() / kRuns;
    std::vector<double> runs;
    for (size_t r = 0; r < size_t(kRuns); ++r) {
        double sum = 0;
        for (size_t i = 0; i < perRun; ++i)
            sum += times[r * perRun + i];
        runs.push_back(sum);
    }
    return median(runs);
}

void fill(const test::PrivateServer &server, int bills)
{
    // Two thirds received (some handed on), one third issued; every tenth
    // received bill has two endorsers, "裏書人 0" to "裏書人 499".
    server.psql(
        QStringLiteral(
            "insert into D_手形 (処理,状態,日付,手形番号,取引先コード,取引先,振出人,振出日,手形期日,手形期間,金額,"
            "保管場所,kozano,予約フラグ,譲渡先コード,譲渡先) "
            "select case when g %% 3 = 2 then 1 when g %% 30 = 1 then 2 else 0 end, "
            "case when g %% 30 = 1 then -2 else 0 end, date '2026-01-01' + g %% 365, "
            "'A' || lpad(g::text, 7, '0'), 'C' || (g %% 200), '得意先 ' || (g %% 200), "
            "'振出人 ' || (g %% 1000), date '2026-01-01' + g %% 365, date '2026-03-01' + g %% 540, 60, "
            "1000 + g, '金庫', case when g %% 3 = 2 then 1 else 0 end, case when g %% 30 = 1 then 1 else 0 end, "
            "case when g %% 30 = 1 then 'S1' end, case when g %% 30 = 1 then '仕入先' end "
            "from generate_series(1, %1) g")
            .arg(bills)
            .replace(QStringLiteral("%%"), QStringLiteral("%")),
        QStringLiteral("bench"));
    server.psql(
        QStringLiteral("insert into 裏書人 (手形id,表示順,裏書人,裏書人住所) "
                       "select id, n, '裏書人 ' || ((id + n) % 500), '東京' from D_手形, generate_series(1, 2) n "
                       "where 処理 <> 1 and id % 10 = 0"),
        QStringLiteral("bench"));
    server.psql(QStringLiteral("insert into T0(tc,tn) values('C1','得意先 1')"), QStringLiteral("bench"));
    server.psql(
        QStringLiteral("insert into T1(idoft,支払場所,支払場所支店,最終手形番号) values(1,'南北銀行','本店','')"),
        QStringLiteral("bench"));
    server.psql(QStringLiteral("vacuum analyze"), QStringLiteral("bench"));
}

int registerBills(const ServerAddress &address, int first, int step, int count)
{
    Database db(address);
    for (int i = 0; i < count; ++i) {
        book::ReceivableBill b;
        b.日付 = QDate(2026, 12, 7);
        b.手形番号 = QStringLiteral("R%1").arg(first + i * step, 7, 10, QLatin1Char('0'));
        b.取引先コード = QStringLiteral("C1");
        b.支払場所 = QStringLiteral("南北銀行");
        b.支払場所支店 = QStringLiteral("本店");
        b.手形期日 = QDate(2027, 3, 31);
        b.金額 = 1000;
        book::registerReceivableBill(
            db, b,
            book::EndorserSlots{{b.手形番号 + QStringLiteral("-1"), {}}, {b.手形番号 + QStringLiteral("-2"), {}}});
    }
    return 0;
}

// Registrations per second with the given number of clerks, each a process.
double registrationsPerSecond(const ServerAddress &address, int clerks, int each, int offset)
{
    QElapsedTimer t;
    t.start();
    std::vector<std::unique_ptr<QProcess>> ps;
    for (int c = 0; c < clerks; ++c) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--clerk"), address.url(), QString::number(offset + c), QString::number(clerks),
                  QString::number(each)});
        ps.push_back(std::move(p));
    }
    for (auto &p : ps)
        p->waitForFinished(-1);
    return clerks * each / (double(t.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 6 && QByteArray(argv[1]) == "--clerk") {
        QCoreApplication app(argc, argv);
        QString why;
        return registerBills(*ServerAddress::parse(QString::fromUtf8(argv[2]), &why), QByteArray(argv[3]).toInt(),
                             QByteArray(argv[4]).toInt(), QByteArray(argv[5]).toInt());
    }
    QApplication app(argc, argv);
    const int bills = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTextStream out(stdout);

    test::PrivateServer &server = test::PrivateServer::instance();
    server.createDatabase(QStringLiteral("bench"));
    const ServerAddress address = server.address(QStringLiteral("bench"));
    {
        Database db(address);
        schema::createMainSchema(db);
    }
    fill(server, bills);

    QTemporaryDir dir;
    datafolder::init(dir.path());
    serverbook::writeSetting(dir.path(), address);
    SilentUi ui;
    AppContext ctx(ui, dir.path());
    ctx.clock.setToday(QDate(2026, 12, 7));
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings())
        return 1;
    Database &db = ctx.db();
    EndorsementDialog endorsements;
    const WindowKit kit = makeWindowKit(ctx, ui, endorsements);

    out << QStringLiteral("server book, %1 bills; medians of %2 runs; psql: the same query, \\timing\n")
               .arg(bills)
               .arg(kRuns);
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("what"), -44)
               .arg(QStringLiteral("ms"), 9)
               .arg(QStringLiteral("psql ms"), 9)
               .arg(QStringLiteral("ratio"), 7);
    const auto row = [&](const QString &what, double ms, double floor) {
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(what, -44)
                   .arg(ms, 9, 'f', 1)
                   .arg(floor, 9, 'f', 1)
                   .arg(floor > 0 ? QString::number(ms / floor, 'f', 2) : QStringLiteral("-"), 7);
        out.flush();
    };

    row(QStringLiteral("receivable list query"), timeMs([&] { book::receivableList(db); }),
        psqlMs(server,
               QStringLiteral("select id,手形番号,手形期日,金額,取引先 from D_手形 where 処理=0 and 予約フラグ=0 "
                              "and 終了フラグ=0 order by 手形期日 nulls first,id")));
    row(QStringLiteral("受取手形一覧 opened"), timeMs([&] { ReceivableListWindow w(ctx, ui, kit); }), -1);
    row(QStringLiteral("payable list query"), timeMs([&] { book::payableLines(db); }),
        psqlMs(server, QStringLiteral("select id,処理,手形番号,手形期日,金額,取引先 from D_手形 where 処理>0 and "
                                      "終了フラグ=0 order by 手形期日 nulls first,id")));
    row(QStringLiteral("支払手形一覧 opened"), timeMs([&] { PayableListWindow w(ctx, ui, kit); }), -1);
    row(QStringLiteral("hand-on candidates query"), timeMs([&] { book::candidates(db); }),
        psqlMs(server,
               QStringLiteral("select id,金額,手形期日,振出人 from D_手形 where 処理=0 and 状態=0 and 予約フラグ=0 "
                              "and 終了フラグ=0 order by 手形期日 nulls first,id")));
    row(QStringLiteral("接近手形一覧 opened"), timeMs([&] { DueListWindow w(ctx, ui); }), -1);

    const auto search = [&](const QString &what, const book::SearchCriteria &c, const QString &where) {
        row(what, timeMs([&] {
                book::searchBills(db, c, QDate(2026, 12, 7));
                book::receivableResultRows(db);
            }),
            psqlMs(server, QStringLiteral("begin; delete from 検索結果; insert into 検索結果(手形id,処理,日付,手形番号,"
                                          "取引先コード,取引先,振出人,支払県,支払市,支払場所コード,支払場所,"
                                          "支払場所支店コード,支払場所支店,振出日,手形期日,手形期間,金額,保管場所,"
                                          "注意フラグ) select id,処理,日付,手形番号,取引先コード,取引先,振出人,支払県,"
                                          "支払市,支払場所コード,支払場所,支払場所支店コード,支払場所支店,振出日,"
                                          "手形期日,手形期間,金額,保管場所,注意フラグ from D_手形 where %1; "
                                          "select id,手形id,手形番号,手形期日,金額,取引先 from 検索結果 where 処理=0 "
                                          "and 予約フラグ=0 and 終了フラグ=0 order by 手形期日 nulls first,id; commit")
                               .arg(where)));
    };
    using book::BillKind;
    using book::DueSide;
    search(QStringLiteral("search: number pattern *123*"),
           {BillKind::Receivable, DueSide::Both, QStringLiteral("*123*"), {}, {}, {}, {}},
           QStringLiteral("手形番号 like '%123%' escape '\\' and 処理 = 0"));
    search(QStringLiteral("search: drawer"),
           {BillKind::Receivable, DueSide::Both, {}, {}, {}, QStringLiteral("振出人 7"), {}},
           QStringLiteral("処理 = 0 and 振出人 = '振出人 7'"));
    search(QStringLiteral("search: endorser"),
           {BillKind::Receivable, DueSide::Both, {}, {}, {}, {}, QStringLiteral("裏書人 42")},
           QStringLiteral("処理 = 0 and id in (select 手形id from 裏書人 where 裏書人 = '裏書人 42')"));

    const double one = registrationsPerSecond(address, 1, 500, 1);
    const double two = registrationsPerSecond(address, 2, 500, 1001);
    out << QStringLiteral("registrations with two endorsers: one clerk %1/s, two clerks at once %2/s together\n")
               .arg(one, 0, 'f', 0)
               .arg(two, 0, 'f', 0);
    return 0;
}
