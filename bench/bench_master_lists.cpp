// How long the registers take to fill their lists with many rows: the
// customer list, the storage places and the towns of the largest prefecture.
// Run with QT_QPA_PLATFORM=offscreen; prints one line per measurement.

#include "book/AppContext.h"
#include "data/DataFolder.h"
#include "master/CustomerRegister.h"
#include "master/StorageRegister.h"
#include "master/TemplateWindow.h"
#include "ui/UiService.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <cstdio>

using namespace sorvane;

namespace {

class SilentUi : public UiService {
public:
    void information(const QString &text, const QString &) override { std::printf("message: %s\n", qPrintable(text)); }
    bool confirm(const QString &, const QString &, Default) override { return false; }
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
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
    QTemporaryDir dir;
    datafolder::init(dir.path());
    SilentUi ui;
    AppContext ctx(ui, dir.path());
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase())
        return 1;
    Database &db = ctx.db();
    db.beginTransaction();
    for (int i = 0; i < rows; ++i) {
        db.execute(QStringLiteral("insert into T0(tc,tn) values(?,?)"),
                   {QString::number(i, 36).toUpper(), QStringLiteral("得意先 %1 株式会社").arg(i)});
        db.execute(QStringLiteral("insert into 保管場所(保管場所) values(?)"), {QStringLiteral("保管場所 %1").arg(i)});
    }
    db.commit();

    CustomerRegister customers(ctx, ui);
    customers.show();
    const double clear = best(5, [&] {
        customers.ClearForm();
        QApplication::processEvents();
    });
    std::printf("customer list, %d rows: ClearForm %.1f ms\n",
                customers.findChild<QListWidget *>(QStringLiteral("List1"))->count(), clear);

    StorageRegister places(ctx, ui);
    places.show();
    const double requery = best(5, [&] {
        places.List1Requery();
        QApplication::processEvents();
    });
    std::printf("storage list, %d rows: List1Requery %.1f ms\n",
                places.findChild<QListWidget *>(QStringLiteral("List1"))->count(), requery);

    TemplateWindow templates(ctx, ui);
    templates.show();
    auto *pref = templates.findChild<QComboBox *>(QStringLiteral("支払県"));
    auto *town = templates.findChild<QComboBox *>(QStringLiteral("支払市"));
    pref->setEditText(QStringLiteral("北海道"));
    const double towns = best(5, [&] {
        pref->setFocus();
        QApplication::processEvents();
        town->setFocus();
        QApplication::processEvents();
    });
    std::printf("towns of 北海道, %d items: leaving 支払県 %.1f ms\n", town->count(), towns);
    return 0;
}
