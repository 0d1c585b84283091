#include "app/MainMenu.h"

#include "book/AppContext.h"
#include "book/Backup.h"
#include "app/BackupWindows.h"
#include "app/Logo.h"
#include "app/Windows.h"
#include "app/YearWindows.h"
#include "data/Engine.h"
#include "master/AccountRegister.h"
#include "master/CustomerRegister.h"
#include "master/StorageRegister.h"
#include "master/SupplierRegister.h"
#include "receivable/ReceivableEntry.h"
#include "receivable/ReceivableList.h"
#include "search/BillSearch.h"
#include "search/DueList.h"
#include "payable/PayableEntry.h"
#include "payable/PayableList.h"
#include "output/ReportWindow.h"
#include "plan/CashPlanWindow.h"
#include "plan/ReservedWindow.h"
#include "plan/TotalsWindow.h"
#include "plan/TrialWindow.h"
#include "life/CollectionDays.h"
#include "life/DiscountBankRegister.h"
#include "life/DiscountWindows.h"
#include "life/DishonourWindows.h"
#include "life/HistoryWindow.h"
#include "life/SettlementWindow.h"
#include "densai/ClaimWindows.h"
#include "help/ManualWindow.h"
#include "ui/EndorsementDialog.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <exception>

namespace sorvane {

namespace {

using ui::twips;

constexpr int kColumns[] = {480, 2880, 5280, 7680, 10080, 12480, 14880};
constexpr int kRows[] = {1680, 2640, 3600, 4560, 5520, 6480};
constexpr int kButtonWidth = 1455;
constexpr int kButtonHeight = 495;

struct ButtonDef {
    const char16_t *name;
    const char16_t *caption;
    int left;  // twips
    int top;   // twips
    const char16_t *command;  // empty: disabled, no action
};

// Each group stands in a column under its heading; the grid is the old one.
const ButtonDef kButtonDefs[] = {
    {u"受取入力ボタン", u"入力", kColumns[0], kRows[0], u"受取入力"},
    {u"受取修正ボタン", u"修正と削除", kColumns[0], kRows[1], u"受取修正"},
    {u"支払入力ボタン", u"入力", kColumns[1], kRows[0], u"支払入力"},
    {u"支払修正ボタン", u"修正と削除", kColumns[1], kRows[1], u"支払修正"},
    {u"割引手形指定", u"手形指定", kColumns[2], kRows[0], u"割引指定"},
    {u"割引手形解除", u"登録解除", kColumns[2], kRows[1], u"割引解除"},
    {u"不渡手形指定", u"手形指定", kColumns[2], kRows[2], u"不渡指定"},
    {u"不渡手形解除", u"登録解除", kColumns[2], kRows[3], u"不渡解除"},
    {u"実集計", u"集計（期日）", kColumns[2], kRows[4], u"集計期日"},
    {u"処理日集計", u"集計（処理日）", kColumns[2], kRows[5], u"集計処理日"},
    {u"口座別試算表", u"口座別試算表", kColumns[3], kRows[0], u"試算表"},
    {u"口座別資金確認", u"口座別資金確認", kColumns[3], kRows[1], u"資金確認"},
    {u"手形予約確認", u"手形予約確認", kColumns[3], kRows[2], u"予約確認"},
    {u"処理済手形", u"処理済手形一覧", kColumns[3], kRows[3], u"処理済"},
    {u"期日接近", u"期日接近分", kColumns[3], kRows[4], u"期日接近"},
    {u"検索ボタン", u"検　索", 7800, kRows[5], u"検索"},
    {u"得意先登録", u"得意先登録", kColumns[4], kRows[0], u"得意先"},
    {u"仕入先登録", u"仕入先登録", kColumns[4], kRows[1], u"仕入先"},
    {u"口座登録", u"口座登録", kColumns[4], kRows[2], u"口座"},
    {u"保管場所登録", u"保管場所登録", kColumns[4], kRows[3], u"保管場所"},
    {u"取立日数設定", u"取立日数設定", kColumns[4], kRows[4], u"取立日数"},
    {u"割引先登録", u"割引先登録", kColumns[4], kRows[5], u"割引先"},
    {u"新年度処理", u"新年度処理", kColumns[5], kRows[0], u"新年度"},
    {u"バックアップ", u"バックアップ", kColumns[5], kRows[1], u"バックアップ"},
    {u"リストア", u"リストア", kColumns[5], kRows[2], u"リストア"},
    {u"最適化", u"最適化", kColumns[5], kRows[3], u"最適化"},
    {u"初期化", u"初期化", kColumns[5], kRows[4], u"初期化"},
    {u"終了ボタン", u"Sorvaneの終了", 480, 3720, u"終了"},
    // でんさい: a column of its own after the others, which keep their places.
    {u"電子債権入力ボタン", u"債権入力", kColumns[6], kRows[0], u"電子債権入力"},
    {u"電子債権一覧ボタン", u"債権一覧", kColumns[6], kRows[1], u"電子債権一覧"},
    {u"電子債務入力ボタン", u"債務入力", kColumns[6], kRows[2], u"電子債務入力"},
    {u"電子債務一覧ボタン", u"債務一覧", kColumns[6], kRows[3], u"電子債務一覧"},
    {u"電子債権処理ボタン", u"譲渡/分割/割引", kColumns[6], kRows[4], u"電子債権処理"},
};

struct LabelDef {
    const char16_t *name;
    const char16_t *caption;
    int left;
    int top;  // of the first button under the heading
};

const LabelDef kLabelDefs[] = {
    {u"Label1", u"受取手形", kColumns[0], kRows[0]},
    {u"Label2", u"支払手形と譲渡", kColumns[1], kRows[0]},
    {u"Label3", u"割引手形", kColumns[2], kRows[0]},
    {u"Label4", u"不渡手形", kColumns[2], kRows[2]},
    {u"Label5", u"計画と確認", kColumns[3], kRows[0]},
    {u"Label6", u"初期設定", kColumns[4], kRows[0]},
    {u"Label7", u"ツール", kColumns[5], kRows[0]},
    {u"Label8", u"集　計", kColumns[2], kRows[4]},
    {u"Label9", u"検　索", 7800, kRows[5]},
    {u"Label10", u"でんさい", kColumns[6], kRows[0]},
};

struct ItemDef {
    const char16_t *name;
    const char16_t *caption;
    const char16_t *command;  // empty: disabled; "-": separator
};

struct MenuDef {
    const char16_t *name;
    const char16_t *caption;
    std::initializer_list<ItemDef> items;
};

const MenuDef kMenuDefs[] = {
    {u"Mファイル", u"ファイル",
     {{u"M0新規", u"新規(現在のデータ)", u"現在のデータ"},
      {u"M1open", u"開く (過去のデータ)", u"過去のデータ"},
      {u"M2終了", u"終了", u"終了"}}},
    {u"M0入力", u"入力",
     {{u"M00受取手形", u"受取手形", u"受取入力"},
      {u"M01支払手形", u"支払手形", u"支払入力"},
      {u"M02割引", u"割引", u"割引指定"},
      {u"M03不渡", u"不渡", u"不渡指定"}}},
    {u"M1一覧修正", u"一覧修正",
     {{u"M10受取手形", u"受取手形", u"受取修正"},
      {u"M11支払手形", u"支払手形", u"支払修正"},
      {u"M12割引手形", u"割引手形", u"割引一覧"},
      {u"M13不渡手形", u"不渡手形", u"不渡一覧"},
      {u"M14満期", u"期日接近", u"期日接近一覧"}}},
    {u"M2処理", u"計画と確認",
     {{u"M20口座別資金確認", u"口座別資金確認", u"資金確認"},
      {u"M21口座別試算表", u"口座別試算表", u"試算表"},
      {u"M22処理済手形一覧表", u"処理済手形一覧", u"処理済"},
      {u"M23手形予約確認", u"手形予約確認", u"予約確認"}}},
    {u"M集計", u"集計", {{u"M1実績", u"集計(期日）", u"集計期日"}, {u"M2集計", u"集計（処理日）", u"集計処理日"}}},
    {u"M検索", u"検索", {{u"M1手形検索", u"手形検索", u"検索"}, {u"M2手形履歴", u"手形履歴", u"履歴"}}},
    {u"M3マスター", u"初期設定",
     {{u"M30得意先", u"得意先登録", u"得意先"},
      {u"M31仕入先", u"仕入先登録", u"仕入先"},
      {u"M32口座", u"口座登録", u"口座"},
      {u"M33保管場所", u"保管場所登録", u"保管場所"},
      {u"M33処理日数", u"取立日数設定", u"取立日数"},
      {u"M33割引", u"割引先登録", u"割引先"}}},
    {u"M4ツール", u"ツール",
     {{u"M1新年度", u"新年度処理", u"新年度"},
      {u"M41区切", u"", u"-"},
      {u"M41バックアップ", u"バックアップ", u"バックアップ"},
      {u"M42リストア", u"リストア", u"リストア"},
      {u"M43最適化", u"最適化", u"最適化"},
      {u"M42区切", u"", u"-"},
      {u"M5初期化", u"初期化", u"初期化"}}},
    {u"Mその他", u"その他", {{u"M1サウンド", u"音声on", u""}}},
    {u"M帳票", u"帳票", {{u"M1帳票出力", u"帳票出力", u"帳票出力"}}},
    {u"M6help", u"Help", {{u"H01操作", u"操作方法", u"操作方法"}, {u"H02ver", u"バージョン情報", u"バージョン"}}},
    {u"M7でんさい",
     u"でんさい",
     {{u"M70債権入力", u"電子記録債権入力", u"電子債権入力"},
      {u"M71債権一覧", u"電子記録債権一覧", u"電子債権一覧"},
      {u"M72債務入力", u"電子記録債務入力", u"電子債務入力"},
      {u"M73債務一覧", u"電子記録債務一覧", u"電子債務一覧"},
      {u"M74処理", u"譲渡・分割・割引", u"電子債権処理"}}},
};

QString str(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// The decorative picture beside the exit button.
QPixmap decoration()
{
    QPixmap pm(twips(4200), twips(2700));
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(70, 90, 130);
    for (int i = 0; i < 3; ++i) {
        const QRectF r(20 + i * 22, 14 + i * 22, 170, 96);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(252 - i * 6, 248 - i * 6, 236 - i * 6));
        p.drawRoundedRect(r, 5, 5);
    }
    const QRectF front(64, 58, 170, 96);
    p.setPen(QPen(ink, 1));
    for (int y = 86; y <= 136; y += 12)
        p.drawLine(QPointF(front.left() + 12, y), QPointF(front.left() + 110, y));
    p.setPen(QPen(QColor(200, 40, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(front.right() - 46, front.top() + 30, 32, 32));
    p.setFont(ui::gothicFont(12));
    p.setPen(QColor(200, 40, 40));
    p.drawText(QRectF(front.right() - 46, front.top() + 30, 32, 32), Qt::AlignCenter, QStringLiteral("済"));
    p.setPen(ink);
    p.setFont(ui::gothicFont(10));
    p.drawText(QRectF(front.left() + 12, front.top() + 6, 120, 20), Qt::AlignLeft, QStringLiteral("約束手形"));
    return pm;
}

} // namespace

MainMenu::MainMenu(AppContext &ctx, UiService &ui, QWidget *parent)
    : QMainWindow(parent), m_ctx(ctx), m_ui(ui)
{
    setObjectName(QStringLiteral("MainMenu"));
    setWindowTitle(QStringLiteral("Sorvane %1").arg(QStringLiteral(SORVANE_VERSION)));
    setFont(ui::gothicFont());

    // One endorsement dialog for the whole run, only hidden between uses.
    m_endorsements = std::make_unique<EndorsementDialog>();
    m_kit = makeWindowKit(m_ctx, m_ui, *m_endorsements);

    buildButtons();
    buildMenus();
    wireCommands();
    // Usable only while the book of a closed year is open (the activation step).
    m_items.value(QStringLiteral("M0新規"))->setEnabled(false);

    // Below the buttons, and only while there is something to say.
    m_reminder = ui::named<QLabel>(this, QStringLiteral("バックアップ通知"));
    m_reminder->setStyleSheet(QStringLiteral("color: #a01010;"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(m_reminder, 1);
    statusBar()->hide();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(m_ctx.splashDelayMs);
    connect(m_timer, &QTimer::timeout, this, &MainMenu::onTimer);

    ui::finishWindow(this);
}

MainMenu::~MainMenu() = default;

void MainMenu::buildButtons()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel"));
    setCentralWidget(panel);
    // The grid was drawn for a 9-point Gothic; a larger face would not fit the buttons.
    panel->setFont(ui::gothicFont(9));

    for (const LabelDef &d : kLabelDefs) {
        auto *label = ui::named<QLabel>(panel, str(d.name));
        label->setText(str(d.caption));
        QFont f = ui::gothicFont(11);
        f.setBold(true);
        label->setFont(f);
        label->setGeometry(twips(d.left), twips(d.top - 390), twips(kButtonWidth + 600), twips(345));
    }
    for (const ButtonDef &d : kButtonDefs) {
        auto *b = ui::named<QPushButton>(panel, str(d.name));
        b->setText(str(d.caption));
        b->setGeometry(twips(d.left), twips(d.top), twips(kButtonWidth), twips(kButtonHeight));
        b->setAutoDefault(false);
        const QString command = str(d.command);
        // 初期化 waits for the activation step; the rest without a command never become usable.
        b->setEnabled(!command.isEmpty() && command != u"初期化");
        b->setProperty("command", command);
        m_buttons.insert(b->objectName(), b);
    }
    m_buttons.value(QStringLiteral("終了ボタン"))->setGeometry(twips(480), twips(3720), twips(kButtonWidth + 600),
                                                                twips(kButtonHeight));

    auto *image = ui::named<QLabel>(panel, QStringLiteral("Image1"));
    image->setPixmap(decoration());
    image->setGeometry(twips(kColumns[0]), twips(4440), twips(4200), twips(2700));

    const int width = twips(kColumns[6] + kButtonWidth + 480);
    const int height = twips(kRows[5] + kButtonHeight + 480);
    panel->setMinimumSize(width, height);
    panel->setFixedSize(width, height);
}

void MainMenu::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    for (const MenuDef &m : kMenuDefs) {
        QMenu *menu = ui::addMenu(bar, str(m.name), str(m.caption));
        m_items.insert(menu->objectName(), menu->menuAction());
        for (const ItemDef &i : m.items) {
            const QString command = str(i.command);
            QAction *a = nullptr;
            if (command == u"-") {
                a = menu->addSeparator();
                a->setObjectName(str(i.name));
            } else {
                a = ui::addItem(menu, str(i.name), str(i.caption));
                a->setEnabled(!command.isEmpty());
                a->setProperty("command", command);
            }
            m_items.insert(a->objectName(), a);
        }
    }
}

void MainMenu::wireCommands()
{
    for (QPushButton *b : std::as_const(m_buttons)) {
        const QString command = b->property("command").toString();
        if (!command.isEmpty())
            connect(b, &QPushButton::clicked, this, [this, command] { onCommand(command); });
    }
    for (QAction *a : std::as_const(m_items)) {
        const QString command = a->property("command").toString();
        if (!command.isEmpty())
            connect(a, &QAction::triggered, this, [this, command] { onCommand(command); });
    }
}

void MainMenu::onCommand(const QString &command)
{
    // One error trap for every command: the message, and the window stays as it was.
    try {
        // A server book out of reach opens no window that would show its
        // lists empty; a server that is back is reached again first.
        if (command != u"終了" && command != u"バージョン" && command != u"操作方法" && !m_ctx.checkConnection())
            return;
        // The tools work on the working book as a whole, never on the book
        // of a closed year.
        if (m_ctx.isArchive() && (command == u"新年度" || command == u"バックアップ" || command == u"リストア" ||
                                  command == u"最適化" || command == u"初期化")) {
            m_ui.information(
                QStringLiteral("過去のデータを開いているあいだは使えません。\n"
                               "ファイルの「新規（現在のデータ）」で今のデータに戻ってから行ってください。"));
            return;
        }
        if (command == u"終了")
            exitProgram();
        else if (command == u"バージョン")
            showVersion();
        else if (command == u"得意先")
            openCustomerRegister();
        else if (command == u"仕入先")
            openSupplierRegister();
        else if (command == u"保管場所")
            openStorageRegister();
        else if (command == u"口座")
            openModal(new AccountRegister(m_ctx, m_ui));
        else if (command == u"資金確認")
            openModal(new CashPlanWindow(m_ctx, m_ui));
        else if (command == u"試算表")
            openModal(new TrialWindow(m_ctx, m_ui));
        else if (command == u"予約確認")
            openModal(new ReservedWindow(m_ctx, m_ui));
        else if (command == u"集計期日")
            openModal(new TotalsWindow(m_ctx, m_ui, book::TotalsBy::Due));
        else if (command == u"集計処理日")
            openModal(new TotalsWindow(m_ctx, m_ui, book::TotalsBy::Booking));
        else if (command == u"受取入力")
            openModal(new ReceivableEntryWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"受取修正")
            openModal(new ReceivableListWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"検索")
            openModal(new BillSearchWindow(m_ctx, m_ui, m_kit));
        else if (command == u"期日接近")
            openModal(new DueListWindow(m_ctx, m_ui));
        else if (command == u"期日接近一覧")
            showDueListModeless();
        else if (command == u"最適化")
            afterTool(runCompaction(m_ctx, m_ui, m_tools, this));
        else if (command == u"初期化")
            afterTool(runReset(m_ctx, m_ui, m_tools, this));
        else if (command == u"支払入力")
            openModal(new PayableEntryWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"支払修正")
            openModal(new PayableListWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"帳票出力")
            openModal(new ReportWindow(m_ctx, m_ui));
        else if (command == u"バックアップ")
            openModal(new BackupWindow(m_ctx, m_ui, this));
        else if (command == u"リストア")
            runRestore();
        else if (command == u"新年度")
            runYearEnd();
        else if (command == u"過去のデータ")
            openArchive();
        else if (command == u"現在のデータ")
            openWorkingBook();
        else if (command == u"割引指定")
            openModal(new DiscountEntryWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"割引解除")
            openModal(new DiscountReleaseWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"割引一覧")
            openModal(new DiscountedListWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"不渡指定")
            openModal(new DishonourEntryWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"不渡解除")
            openModal(new DishonourReleaseWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"不渡一覧")
            openModal(new DishonouredListWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"処理済")
            openModal(new SettlementWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"取立日数")
            openModal(new CollectionDaysWindow(m_ctx, m_ui, this));
        else if (command == u"割引先")
            openModal(new DiscountBankRegister(m_ctx, m_ui, this));
        else if (command == u"電子債権入力")
            openModal(new ClaimEntryWindow(m_ctx, m_ui, m_kit, book::densai::Side::Receivable, this));
        else if (command == u"電子債権一覧")
            openModal(new ClaimListWindow(m_ctx, m_ui, m_kit, book::densai::Side::Receivable, this));
        else if (command == u"電子債務入力")
            openModal(new ClaimEntryWindow(m_ctx, m_ui, m_kit, book::densai::Side::Payable, this));
        else if (command == u"電子債務一覧")
            openModal(new ClaimListWindow(m_ctx, m_ui, m_kit, book::densai::Side::Payable, this));
        else if (command == u"電子債権処理")
            openModal(new ClaimStepWindow(m_ctx, m_ui, m_kit, this));
        else if (command == u"履歴")
            openModal(new HistoryWindow(m_ctx, m_ui, m_kit, 0, this));
        else if (command == u"操作方法")
            showManual();
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

void MainMenu::openModal(QDialog *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_ui.runModal(window);
    delete window;
}

void MainMenu::openCustomerRegister()
{
    openModal(new CustomerRegister(m_ctx, m_ui));
}

void MainMenu::openSupplierRegister()
{
    openModal(new SupplierRegister(m_ctx, m_ui));
}

void MainMenu::openStorageRegister()
{
    openModal(new StorageRegister(m_ctx, m_ui));
}

DueListWindow *MainMenu::dueList() const
{
    return m_dueList;
}

void MainMenu::showDueListModeless()
{
    // One list at a time: choosing it again reads it anew and brings it up.
    if (m_dueList) {
        m_dueList->reload();
        m_dueList->raise();
        m_dueList->activateWindow();
        return;
    }
    auto *list = new DueListWindow(m_ctx, m_ui, this);
    list->setAttribute(Qt::WA_DeleteOnClose);
    m_dueList = list;
    list->show();
}

void MainMenu::runRestore()
{
    RestoreWindow window(m_ctx, m_ui, this);
    m_ui.runModal(&window);
    if (window.chosenFile().isEmpty())
        return;
    // Every other window is closed: the main window opened the restore modally.
    if (m_dueList)
        m_dueList->close();
    const book::ToolResult result = book::restoreBook(m_ctx, window.chosenFile());
    if (result == book::ToolResult::Done) {
        QString count;
        try {
            count = QStringLiteral("（手形 %L1 件）")
                        .arg(book::bookBillCount(m_ctx.db()));
        } catch (const std::exception &) {
        }
        m_ui.information(
            QStringLiteral("リストアしました%1。\n前のデータは %2 に残っています。").arg(count, files::kBackupDb),
            QStringLiteral("リストア"));
    }
    afterTool(result);
}

void MainMenu::runYearEnd()
{
    YearEndWindow window(m_ctx, m_ui, this);
    m_ui.runModal(&window);
    // Finished bills left the book: an open approaching-due list reads it anew.
    if (window.closedAny() && m_dueList)
        m_dueList->reload();
}

void MainMenu::openArchive()
{
    ArchiveOpenWindow window(m_ctx, m_ui, this);
    m_ui.runModal(&window);
    if (window.chosenFile().isEmpty())
        return;
    // The approaching-due list beside the main window showed the other book.
    if (m_dueList)
        m_dueList->close();
    m_ctx.OpenArchive(window.chosenFile());
    showBookInTitle();
    activate();
}

void MainMenu::openWorkingBook()
{
    if (m_dueList)
        m_dueList->close();
    if (!m_ctx.OpenWorkingBook()) {
        m_ui.information(QStringLiteral("データが壊れています\n再インストールしてください"));
        exitProgram(1);
        return;
    }
    showBookInTitle();
    activate();
}

void MainMenu::showBookInTitle()
{
    // Clerks sharing a server book see which book they work in, and
    // everyone sees when the book of a closed year is open.
    if (m_ctx.isArchive() || m_ctx.Server)
        setWindowTitle(QStringLiteral("Sorvane %1 (%2)").arg(QStringLiteral(SORVANE_VERSION), m_ctx.bookName()));
    else
        setWindowTitle(QStringLiteral("Sorvane %1").arg(QStringLiteral(SORVANE_VERSION)));
}

void MainMenu::showBackupReminder()
{
    QString text;
    try {
        if (m_ctx.DataDb && !m_ctx.isArchive())
            text = book::backupReminder(*m_ctx.DataDb, m_ctx.clock.today());
    } catch (const std::exception &) {
        // A reminder that cannot be read is no reason to stop the clerk.
    }
    m_reminder->setText(text);
    statusBar()->setVisible(!text.isEmpty());
}

void MainMenu::showManual()
{
    // One manual at a time, beside the main window like a printed one.
    if (!m_manual) {
        auto *manual = new ManualWindow(this);
        manual->setAttribute(Qt::WA_DeleteOnClose);
        m_manual = manual;
    }
    m_manual->show();
    m_manual->raise();
    m_manual->activateWindow();
}

ManualWindow *MainMenu::manual() const
{
    return m_manual;
}

void MainMenu::afterTool(const std::optional<book::ToolResult> &result)
{
    if (!result)
        return;
    switch (*result) {
    case book::ToolResult::MainDbMissing:
        m_ui.information(QStringLiteral("システムが異常です\n再インストールしてください"));
        exitProgram(1);
        return;
    case book::ToolResult::CannotOpen:
        m_ui.information(QStringLiteral("データが壊れています\n再インストールしてください"));
        exitProgram(1);
        return;
    case book::ToolResult::Done:
    case book::ToolResult::NotDone:
        break;
    }
    // An open approaching-due list would show bills of the data before.
    if (m_dueList)
        m_dueList->reload();
    activate();
}

bool MainMenu::startUp()
{
    QCoreApplication::processEvents();

    // The timer closes the splash once, after the delay. It starts after the
    // pending events ran, so that even a zero delay finds the splash up.
    m_splashDone = false;
    m_timer->setInterval(m_ctx.splashDelayMs);
    m_timer->start();

    if (!m_ctx.CheckDataFiles()) {
        QString text = QStringLiteral("システムが異常です\n再インストールしてください");
        if (const QString hint = m_ctx.missingBookHint(); !hint.isEmpty())
            text += u'\n' + hint;
        m_ui.information(text);
        m_timer->stop();
        return false;
    }

    if (!m_splashDone) {
        m_splash = new Logo(this);
        m_splash->setCloseButtonVisible(false);
        m_ui.runModal(m_splash);
        delete m_splash;
    }

    if (!m_ctx.OpenDataDatabase()) {
        // A server book that cannot be used is no damaged installation.
        m_ui.information(m_ctx.Server ? QStringLiteral("サーバーの手形データを使えないため、終了します")
                                      : QStringLiteral("データが壊れています\n再インストールしてください"));
        return false;
    }
    m_ctx.LoadSettings();
    showBookInTitle();
    return true;
}

void MainMenu::onTimer()
{
    m_timer->stop();
    m_timer->setInterval(0);
    m_splashDone = true;
    if (m_splash)
        m_splash->close();
}

void MainMenu::activate()
{
    // The program keeps no file handles open between actions (yubin.mdb and
    // the holiday files are released by the action that opened them), so
    // there is nothing to close here.
    // 新規（現在のデータ） leads back from the book of a closed year only.
    m_items.value(QStringLiteral("M0新規"))->setEnabled(m_ctx.isArchive());
    for (const char16_t *name : {u"M0入力", u"M4ツール"})
        m_items.value(str(name))->setEnabled(true);
    for (const char16_t *name : {u"受取入力ボタン", u"支払入力ボタン", u"最適化", u"初期化"})
        m_buttons.value(str(name))->setEnabled(true);
    showBackupReminder();
}

void MainMenu::showEvent(QShowEvent *event)
{
    // A desktop without window manager never activates the window; the
    // step must still have run once the window is on screen.
    activate();
    QMainWindow::showEvent(event);
}

void MainMenu::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activate();
    QMainWindow::changeEvent(event);
}

void MainMenu::showVersion()
{
    Logo *box = new Logo(this);
    box->setCloseButtonVisible(true);
    m_ui.runModal(box);
    delete box;
}

void MainMenu::exitProgram(int code)
{
    if (m_dueList)
        m_dueList->close();
    if (m_manual)
        m_manual->close();
    m_ctx.CloseDataDatabase();
    hide();
    emit exitRequested(code);
}

void MainMenu::closeEvent(QCloseEvent *event)
{
    m_ctx.CloseDataDatabase();
    event->accept();
}

} // namespace sorvane
