// The search and the approaching-due list on a full book: 100,000 bills
// (by default) with endorsers. Prints the time of each search into
// 検索結果, of the pick lists, and of opening the two windows.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_search [BILLS]

#include "book/AppContext.h"
#include "book/Search.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "search/BillSearch.h"
#include "search/DueList.h"
#include "ui/UiService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace sorvane;

namespace {

class SilentUi : public UiService {
public:
    void information(const QString &, const QString &) override {}
    bool confirm(const QString &, const QString &) override { return true; }
    int runModal(QDialog *) override { return 0; }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int bills = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTextStream out(stdout);
    QTemporaryDir dir;
    datafolder::createMainDatabase(dir.filePath(QStringLiteral("tegata.mdb")));

    SilentUi ui;
    AppContext ctx(ui, dir.path());
    const QDate today(2026, 12, 7);
    ctx.clock.setToday(today);
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings())
        return 1;
    Database &db = ctx.db();

    QElapsedTimer t;
    t.start();
    {
        Transaction tx(db);
        for (int i = 0; i < bills; ++i) {
            const QDate due = today.addDays(i % 1500 - 750);
            db.execute(QStringLiteral("insert into D_手形(処理,状態,手形番号,取引先コード,取引先,振出人,手形期日,金額,"
                                      "保管場所) values(?,?,?,?,?,?,?,?,?)"),
                       {i % 3 == 0 ? 1 : 0, i % 50 == 0 ? 2 : 0, QStringLiteral("A%1").arg(i, 6, 10, QLatin1Char('0')),
                        QStringLiteral("C%1").arg(i % 500), QStringLiteral("株式会社テスト%1").arg(i % 500),
                        QStringLiteral("振出人%1").arg(i % 700), due, 100000 + i, QStringLiteral("金庫")});
            if (i % 3 != 0)
                db.execute(QStringLiteral("insert into 裏書人(手形id,表示順,裏書人) values(?,1,?)"),
                           {db.lastInsertId(), QStringLiteral("裏書人%1").arg(i % 300)});
        }
        tx.commit();
    }
    out << "insert " << bills << " bills: " << t.elapsed() << " ms\n";

    const auto search = [&](const char *what, const book::SearchCriteria &c) {
        t.restart();
        const int found = book::searchBills(db, c, today);
        out << what << " (" << found << " found): " << t.elapsed() << " ms\n";
    };
    search("every receivable bill", {book::BillKind::Receivable, book::DueSide::Both, {}, {}, {}, {}, {}});
    search("every payable bill", {book::BillKind::Payable, book::DueSide::Both, {}, {}, {}, {}, {}});
    search("number pattern A0012*, not yet due",
           {book::BillKind::Receivable, book::DueSide::NotYetDue, QStringLiteral("A0012*"), {}, {}, {}, {}});
    search("exact number",
           {book::BillKind::Receivable, book::DueSide::Both, QStringLiteral("A012346"), {}, {}, {}, {}});
    search("endorser", {book::BillKind::Receivable, book::DueSide::Both, {}, {}, {}, {}, QStringLiteral("裏書人7")});
    search("customer and drawer", {book::BillKind::Receivable,
                                   book::DueSide::PastDue,
                                   {},
                                   QStringLiteral("C7"),
                                   {},
                                   QStringLiteral("振出人7"),
                                   {}});

    t.restart();
    const int drawers = int(book::receivableDrawers(db).size());
    const int endorsers = int(book::endorserNames(db).size());
    out << "pick lists (" << drawers << " drawers, " << endorsers << " endorsers): " << t.elapsed() << " ms\n";

    t.restart();
    {
        BillSearchWindow w(ctx, ui, WindowKit{});
    }
    out << "open the search window: " << t.elapsed() << " ms\n";

    ctx.DueWindowDays = 750;
    t.restart();
    {
        DueListWindow w(ctx);
    }
    out << "open the approaching-due list (750 days): " << t.elapsed() << " ms\n";
    return 0;
}
