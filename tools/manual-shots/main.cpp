// Makes the screenshots of the manual from the real windows: a sample book
// is generated in a temporary data folder, each window is opened offscreen
// on it and saved as a PNG at its own size into the manual's image folder.
// Run it again whenever a window changes (see the README).

#include "app/BackupWindows.h"
#include "app/MainMenu.h"
#include "app/Windows.h"
#include "app/YearWindows.h"
#include "book/AppContext.h"
#include "book/Backup.h"
#include "book/Densai.h"
#include "book/DiscountBanks.h"
#include "book/Generate.h"
#include "book/Totals.h"
#include "data/Calendar.h"
#include "data/DataFolder.h"
#include "data/Engine.h"
#include "densai/ClaimWindows.h"
#include "life/CollectionDays.h"
#include "life/DiscountBankRegister.h"
#include "life/DiscountWindows.h"
#include "life/DishonourWindows.h"
#include "life/HistoryWindow.h"
#include "life/SettlementWindow.h"
#include "master/CustomerRegister.h"
#include "master/StorageRegister.h"
#include "master/SupplierRegister.h"
#include "output/ReportWindow.h"
#include "payable/PayableEntry.h"
#include "plan/CashPlanWindow.h"
#include "plan/ReservedWindow.h"
#include "plan/TotalsWindow.h"
#include "plan/TrialWindow.h"
#include "payable/PayableList.h"
#include "receivable/ReceivableEntry.h"
#include "receivable/ReceivableList.h"
#include "search/BillSearch.h"
#include "search/DueList.h"
#include "ui/EndorsementDialog.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>
#include <memory>

namespace sorvane {
namespace {

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

// Lets the window lay itself out and paint, then saves it at its own size.
bool save(QWidget *window, const QString &folder)
{
    window->show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const QString file = QDir(folder).filePath(window->objectName() + QStringLiteral(".png"));
    // A window has few colours: 256 of them keep its text sharp at a third
    // of the file's size, and the manual's pictures stay small in the program.
    const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const bool ok = shot.save(file, "PNG", 0);
    err() << (ok ? QStringLiteral("saved ") : QStringLiteral("could not save ")) << file << Qt::endl;
    return ok;
}

// Messages are noted on stderr and answered with キャンセル; windows opened
// modally by another window are saved when they are wanted, never run.
class ShotUi final : public UiService {
public:
    QString folder;
    QSet<QString> wanted;
    // What to do in a window opened by another before it is saved.
    QHash<QString, std::function<void(QWidget *)>> before;
    int failures = 0;

    void information(const QString &text, const QString &) override { err() << "message: " << text << Qt::endl; }
    bool confirm(const QString &text, const QString &, Default) override
    {
        err() << "question: " << text << Qt::endl;
        return false;
    }
    int runModal(QDialog *window) override
    {
        if (wanted.contains(window->objectName())) {
            window->show();
            if (const auto step = before.value(window->objectName()))
                step(window);
            if (!save(window, folder))
                ++failures;
        }
        window->hide();
        return QDialog::Rejected;
    }
};

// A click on the first line of a list, as the clerk picks a bill.
void clickFirstLine(QWidget *window, const QString &listName)
{
    auto *list = window->findChild<QAbstractItemView *>(listName);
    if (!list || !list->model() || list->model()->rowCount() == 0)
        return;
    const QModelIndex first = list->model()->index(0, 0);
    list->scrollTo(first);
    const QPoint at = list->visualRect(first).center();
    QWidget *viewport = list->viewport();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    }
    QCoreApplication::processEvents();
}

void click(QWidget *window, const QString &buttonName)
{
    if (auto *b = window->findChild<QPushButton *>(buttonName))
        b->click();
}

// A dozen electronic claims beside the paper bills: received from the
// sample customers, issued to the sample suppliers, one of them split.
void addClaims(AppContext &ctx)
{
    namespace dn = book::densai;
    Database &db = ctx.db();
    BankCalendar calendar(ctx.AppFolder, *ctx.DataWorkspace);
    QStringList customers, suppliers;
    db.forEachRow(QStringLiteral("select tc from T0 order by tc"), {},
                  [&](const RowView &r) { customers << r.text(0); });
    db.forEachRow(QStringLiteral("select sc from S0 order by sc"), {},
                  [&](const RowView &r) { suppliers << r.text(0); });
    const QVariant account = db.scalar(QStringLiteral("select min(kozano) from 口座データ where 口座種別='当座'"));
    if (customers.isEmpty() || suppliers.isEmpty() || account.isNull())
        return;
    const QDate today = ctx.clock.today();
    qint64 first = 0;
    for (int i = 0; i < 12; ++i) {
        dn::Claim c;
        c.side = i < 8 ? dn::Side::Receivable : dn::Side::Payable;
        c.記録番号 = QStringLiteral("0A1B2C%1").arg(3000001 + i * 7919, 14, 10, QLatin1Char('0'));
        c.電子記録日 = today.addDays(-40 + i * 3);
        c.支払期日 = calendar.onOrAfter(today.addDays(30 + i * 9));
        c.金額 = 150000 + i * 83000;
        c.取引先コード =
            c.side == dn::Side::Receivable ? customers.at(i % customers.size()) : suppliers.at(i % suppliers.size());
        c.債務者銀行 = QStringLiteral("みなと銀行");
        c.債務者支店 = QStringLiteral("本店営業部");
        c.債務者口座 = QStringLiteral("%1").arg(2100340 + i);
        c.債権者銀行 = QStringLiteral("さくら信用金庫");
        c.債権者支店 = QStringLiteral("駅前支店");
        c.債権者口座 = QStringLiteral("%1").arg(1200560 + i);
        c.譲渡制限 = i == 3;
        if (c.side == dn::Side::Payable)
            c.kozano = account.toLongLong();
        const qint64 id = dn::registerClaim(db, c, calendar);
        if (i == 0)
            first = id;
    }
    dn::splitClaim(db, {first, std::nullopt, today.addDays(-5), today}, QStringLiteral("0A1B2C00000009000001"), 50000,
                   calendar);
    // One handed on to a supplier, one discounted at a bank.
    book::DiscountBank bank;
    bank.コード = QStringLiteral("01");
    bank.銀行名 = QStringLiteral("みなと銀行");
    bank.支店名 = QStringLiteral("本店営業部");
    bank.割引枠 = 50000000;
    book::saveDiscountBank(db, bank);
    const std::vector<dn::Claim> held = dn::claims(db, dn::Side::Receivable);
    dn::transferClaim(db, {held.at(2).id, std::nullopt, today.addDays(-3), today}, suppliers.first(), true, calendar);
    dn::discountClaim(db, {held.at(5).id, std::nullopt, today.addDays(-2), today}, bank.コード, 2400, calendar);
}

// Backups of the sample book at fixed times, in a folder of a fixed name.
QString makeBackups(AppContext &ctx)
{
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("手形バックアップ"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QDateTime &when :
         {QDateTime(QDate(2026, 11, 27), QTime(17, 42, 10)), QDateTime(QDate(2026, 12, 2), QTime(18, 5, 31)),
          QDateTime(QDate(2026, 12, 4), QTime(17, 58, 2))})
        book::backupBook(ctx.db(), std::nullopt, folder, 10, when);
    return folder;
}

struct Shot {
    std::function<QWidget *()> make;
    std::function<void(QWidget *)> before; // e.g. a bill picked, so its fields show
    std::function<void(QWidget *)> after;  // opens further windows, saved by ShotUi
};

int run(const QString &imageFolder)
{
    QTemporaryDir dir;
    datafolder::init(dir.path());
    ShotUi ui;
    ui.folder = imageFolder;
    AppContext ctx(ui, dir.path());
    // The same day and seed make the same pictures, so a shot changes only
    // when its window does.
    ctx.clock.setToday(QDate(2026, 12, 7));
    ctx.splashDelayMs = 0;
    if (!ctx.CheckDataFiles() || !ctx.OpenDataDatabase() || !ctx.LoadSettings()) {
        err() << "the sample book did not open" << Qt::endl;
        return 1;
    }
    book::GenerateSettings settings;
    settings.bills = 120;
    settings.seed = 7;
    settings.today = ctx.clock.today();
    book::generateBook(ctx.db(), settings);
    addClaims(ctx);
    const QString backups = makeBackups(ctx);
    ctx.LoadSettings();

    EndorsementDialog endorsements;
    const WindowKit kit = makeWindowKit(ctx, ui, endorsements);
    // Windows another window opens, saved when it opens them.
    ui.wanted = {QStringLiteral("手形情報"), QStringLiteral("受取結果表示")};
    ui.before.insert(QStringLiteral("受取結果表示"), [](QWidget *w) { clickFirstLine(w, QStringLiteral("List2")); });

    const auto pick = [](const QString &list) { return [list](QWidget *w) { clickFirstLine(w, list); }; };
    const QList<Shot> shots = {
        {[&] { return new MainMenu(ctx, ui); }, {}, {}},
        {[&] { return new ReceivableEntryWindow(ctx, ui, kit); }, {}, {}},
        {[&] { return new ReceivableListWindow(ctx, ui, kit); }, pick(QStringLiteral("List2")), {}},
        {[&] { return new PayableEntryWindow(ctx, ui, kit); }, {}, {}},
        {[&] { return new PayableListWindow(ctx, ui, kit); }, pick(QStringLiteral("List2")), {}},
        {[&] { return new DiscountEntryWindow(ctx, ui, kit); }, {}, {}},
        {[&] { return new DishonourEntryWindow(ctx, ui, kit); }, {}, {}},
        {[&] { return new SettlementWindow(ctx, ui, kit); }, {}, {}},
        {[&] { return new HistoryWindow(ctx, ui, kit, 0); }, {}, {}},
        {[&] { return new DueListWindow(ctx, ui); }, {}, {}},
        {[&] { return new BillSearchWindow(ctx, ui, kit); },
         {},
         [](QWidget *w) { click(w, QStringLiteral("検索ボタン")); }},
        {[&] { return new CustomerRegister(ctx, ui); }, pick(QStringLiteral("List1")),
         [](QWidget *w) { click(w, QStringLiteral("手形情報登録ボタン")); }},
        {[&] { return new SupplierRegister(ctx, ui); }, pick(QStringLiteral("List1")), {}},
        {[&] { return new StorageRegister(ctx, ui); }, pick(QStringLiteral("List1")), {}},
        {[&] { return new CollectionDaysWindow(ctx, ui); }, {}, {}},
        {[&] { return new DiscountBankRegister(ctx, ui); }, {}, {}},
        {[&] { return new ReportWindow(ctx, ui); }, {}, {}},
        {[&] { return new EndorsementDialog(); }, {}, {}},
        {[&] { return new ClaimEntryWindow(ctx, ui, kit, book::densai::Side::Receivable); }, {}, {}},
        {[&] { return new ClaimListWindow(ctx, ui, kit, book::densai::Side::Receivable); },
         pick(QStringLiteral("List1")),
         {}},
        {[&] { return new ClaimEntryWindow(ctx, ui, kit, book::densai::Side::Payable); }, {}, {}},
        {[&] { return new ClaimListWindow(ctx, ui, kit, book::densai::Side::Payable); },
         pick(QStringLiteral("List1")),
         {}},
        {[&] { return new ClaimStepWindow(ctx, ui, kit); }, pick(QStringLiteral("List1")), {}},
        {[&] { return new CashPlanWindow(ctx, ui); }, {}, {}},
        {[&] { return new TrialWindow(ctx, ui); }, {}, {}},
        {[&] { return new ReservedWindow(ctx, ui); }, {}, {}},
        {[&] { return new TotalsWindow(ctx, ui, book::TotalsBy::Due); }, {}, {}},
        {[&] { return new BackupWindow(ctx, ui); }, {}, {}},
        {[&] { return new RestoreWindow(ctx, ui); }, {}, {}},
        {[&] { return new YearEndWindow(ctx, ui); }, {}, {}},
    };

    int failures = 0;
    for (const Shot &shot : shots) {
        std::unique_ptr<QWidget> window(shot.make());
        window->show();
        if (shot.before)
            shot.before(window.get());
        if (!save(window.get(), imageFolder))
            ++failures;
        if (shot.after)
            shot.after(window.get());
        window->hide();
    }
    ctx.CloseDataDatabase();
    QDir(backups).removeRecursively();
    return failures + ui.failures == 0 ? 0 : 1;
}

} // namespace
} // namespace sorvane

int main(int argc, char *argv[])
{
    // Offscreen unless told otherwise: the shots need no display. Its screen
    // is a desktop's, 1920 x 1080, not the plugin's 800 x 600, since windows
    // that size themselves to the screen would otherwise be pictured cramped.
    QTemporaryDir screenDir;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QString config = screenDir.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
                       R"( "logicalDpiX": 96, "logicalDpiY": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    }
    QApplication app(argc, argv);
    QApplication::setFont(sorvane::ui::gothicFont());
    sorvane::ui::loadQtTranslation();

    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.size() > 1) {
        QTextStream(stdout) << QStringLiteral(
            "使い方: sorvane-manual-shots [FOLDER]\n"
            "  見本の手形データで各画面を開き、FOLDER（既定: ソースの src/help/manual/images）に PNG で保存します。\n");
        return args.contains(QStringLiteral("--help")) ? 0 : 2;
    }
    const QString folder = args.isEmpty() ? QStringLiteral(SORVANE_MANUAL_IMAGES) : args.first();
    if (!QDir().mkpath(folder)) {
        QTextStream(stderr) << QStringLiteral("フォルダー %1 を作れません\n").arg(folder);
        return 1;
    }
    return sorvane::run(folder);
}
