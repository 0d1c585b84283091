// How long the receivable list takes with many bills: reading the list from
// the book, opening the list window on it, and rebuilding it after a save.
// Run with QT_QPA_PLATFORM=offscreen; the argument is the number of bills
// (default 100000). Prints one line per measurement.

#include "book/AppContext.h"
#include "book/Receivables.h"
#include "data/DataFolder.h"
#include "receivable/ReceivableList.h"
#include "ui/EndorsementDialog.h"
#include "ui/LineList.h"
#include "ui/UiService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace sorvane;

namespace {

class SilentUi : public UiService {
public:
    void information(const QString &text, const QString &) override { std::printf("message: %s\n", qPrintable(text)); }
    bool confirm(const QString &, const QString &) override { return true; }
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
    const int bills = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    datafolder::init(dir.path());
    SilentUi ui;
    AppContext ctx(ui, dir.path());
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase())
        return 1;
    Database &db = ctx.db();
    db.beginTransaction();
    const QDate first(2026, 1, 5);
    for (int i = 0; i < bills; ++i)
        db.execute(QStringLiteral("insert into D_手形(処理,日付,手形番号,取引先コード,取引先,振出人,振出地,振出日,"
                                  "手形期日,金額) values(?,?,?,?,?,?,?,?,?,?)"),
                   {i % 10 == 0 ? 2 : 0, first, QStringLiteral("AB%1").arg(i, 6, 10, QLatin1Char('0')),
                    QStringLiteral("C%1").arg(i % 500), QStringLiteral("得意先 %1 株式会社").arg(i % 500),
                    QStringLiteral("振出人"), QStringLiteral("東京"), first,
                    i % 97 == 0 ? QVariant() : QVariant(first.addDays(i % 1500)), qint64(i) * 1000 + 1});
    db.commit();

    const double read = best(5, [&] { (void)book::receivableList(db); });
    std::printf("receivableList, %zu of %d bills: %.1f ms\n", book::receivableList(db).size(), bills, read);

    EndorsementDialog endorsements;
    WindowKit kit;
    kit.endorsements = &endorsements;
    double open = 0;
    {
        QElapsedTimer t;
        t.start();
        ReceivableListWindow window(ctx, ui, kit);
        window.show();
        QApplication::processEvents();
        open = t.nsecsElapsed() / 1e6;
        auto *list = window.findChild<ui::LineList *>(QStringLiteral("List2"));
        std::printf("list window, %d lines: open and paint %.1f ms\n", list->count(), open);

        list->selectRow(list->count() - 1);
        emit list->rowPicked(list->count() - 1);
        const double save = best(3, [&] {
            list->selectRow(list->count() / 2);
            emit list->rowPicked(list->count() / 2);
            window.findChild<QPushButton *>(QStringLiteral("登録ボタン"))->click();
            QApplication::processEvents();
        });
        std::printf("save and rebuild the list: %.1f ms\n", save);
    }
    return 0;
}
