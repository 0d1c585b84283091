// How long the payable windows take with many bills: the candidates of the
// entry window and the payable list, each read in one query and shown in a
// list that lays out only the lines on screen.
// Run with QT_QPA_PLATFORM=offscreen; the first argument is the number of
// bills of each kind (default 100000).

#include "book/AppContext.h"
#include "data/DataFolder.h"
#include "payable/PayableEntry.h"
#include "payable/PayableList.h"
#include "ui/LineList.h"
#include "ui/UiService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace sorvane;

namespace {

class SilentUi : public UiService {
public:
    void information(const QString &text, const QString &) override { std::printf("message: %s\n", qPrintable(text)); }
    bool confirm(const QString &, const QString &) override { return false; }
    int runModal(QDialog *) override { return 0; }
};

template <typename F> double best(int runs, F f)
{
    double bestMs = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        bestMs = std::min(bestMs, t.nsecsElapsed() / 1e6);
    }
    return bestMs;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    datafolder::init(dir.path());
    SilentUi ui;
    AppContext ctx(ui, dir.path());
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase())
        return 1;
    Database &db = ctx.db();
    db.beginTransaction();
    db.execute(QStringLiteral(
        "insert into 口座データ(kozano,銀行名,支店名,口座番号,口座種別) values(1,'東西銀行','本店','1','当座')"));
    for (int i = 0; i < rows; ++i) {
        const QDate due = QDate(2004, 1, 1).addDays(i % 3650);
        for (int kind = 0; kind < 2; ++kind)
            db.execute(
                QStringLiteral("insert into D_手形(処理,手形番号,取引先,振出人,手形期日,金額) values(?,?,?,?,?,?)"),
                {kind, QStringLiteral("N%1").arg(i), QStringLiteral("取引先 %1").arg(i % 500),
                 QStringLiteral("振出人 %1 株式会社").arg(i % 700), due, 1000 + i});
    }
    db.commit();

    WindowKit kit;
    QElapsedTimer open;
    open.start();
    PayableEntryWindow entry(ctx, ui, kit);
    entry.show();
    QApplication::processEvents();
    std::printf("entry window with %d candidates: open %.1f ms\n",
                entry.findChild<ui::LineList *>(QStringLiteral("手形一覧"))->count(), open.nsecsElapsed() / 1e6);
    const double clear = best(5, [&] {
        entry.ClearForm();
        QApplication::processEvents();
    });
    std::printf("entry window: ClearForm %.1f ms\n", clear);

    PayableListWindow list(ctx, ui, kit);
    list.show();
    const double requery = best(5, [&] {
        list.List2Requery();
        QApplication::processEvents();
    });
    std::printf("payable list, %d bills: List2Requery %.1f ms\n",
                list.findChild<ui::LineList *>(QStringLiteral("List2"))->count(), requery);
    return 0;
}
