#include "plan/CashPlanWindow.h"

#include "book/AppContext.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "plan/CashDetail.h"
#include "ui/FigureChart.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace sorvane {

namespace {

// The clerk answered キャンセル, or was already told why nothing happens.
struct Cancelled {};

} // namespace

CashPlanWindow::CashPlanWindow(AppContext &ctx, UiService &ui, QWidget *parent)
    : FigureWindow(ctx, ui, QStringLiteral("口座別資金確認"), QStringLiteral("口座別資金確認"), parent)
{
    m_account = ui::named<QComboBox>(this, QStringLiteral("口座"));
    m_account->setMinimumWidth(340);
    auto *top = new QHBoxLayout;
    top->addWidget(ui::label(this, QStringLiteral("口座ラベル"), QStringLiteral("口座"), m_account));
    top->addWidget(m_account);
    addSpan(top, book::monthStart(today()), 12);
    top->addWidget(m_show);
    top->addStretch(1);
    m_about = ui::named<QLabel>(this, QStringLiteral("口座情報"));

    m_chart = ui::named<ui::FigureChart>(this, QStringLiteral("Chart"));

    m_month = ui::named<QLabel>(this, QStringLiteral("年月"));
    m_month->setMinimumWidth(ui::digitsWidth(m_month, 9));
    m_month->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_balance = ui::named<QLineEdit>(this, QStringLiteral("月末残高"));
    ui::preferLatin(m_balance);
    m_balance->setFixedWidth(ui::digitsWidth(m_balance, 16));
    m_balance->setAlignment(Qt::AlignRight);
    auto *enter = ui::button(this, QStringLiteral("残高登録ボタン"), QStringLiteral("残高登録"));
    auto *clear = ui::button(this, QStringLiteral("入力取消ボタン"), QStringLiteral("入力取消"));
    auto *detail = ui::button(this, QStringLiteral("明細ボタン"), QStringLiteral("明　細"));
    auto *close = ui::button(this, QStringLiteral("確定ボタン"), QStringLiteral("月次確定"));
    auto *reopen = ui::button(this, QStringLiteral("確定取消ボタン"), QStringLiteral("確定取消"));

    auto *below = new QHBoxLayout;
    below->addWidget(ui::label(this, QStringLiteral("年月ラベル"), QStringLiteral("年月"), m_balance));
    below->addWidget(m_month);
    below->addWidget(ui::label(this, QStringLiteral("月末残高ラベル"), QStringLiteral("月末残高"), m_balance));
    below->addWidget(m_balance);
    below->addWidget(ui::label(this, QStringLiteral("円ラベル"), QStringLiteral("円")));
    below->addWidget(enter);
    below->addWidget(clear);
    below->addStretch(1);

    auto *head = new QVBoxLayout;
    head->addLayout(top);
    head->addWidget(m_about);
    build(head, m_chart, below, {detail, close, reopen});
    ui::chainTabOrder({m_account, m_first, m_months, m_show, m_list, m_balance, enter, clear, detail, close, reopen});

    connect(m_account, &QComboBox::activated, this, [this](int) { refresh(); });
    connect(m_list, &ui::SheetView::rowPicked, this, &CashPlanWindow::onPicked);
    connect(enter, &QPushButton::clicked, this, [this] { enterBalance(); });
    connect(clear, &QPushButton::clicked, this, [this] { clearBalance(); });
    connect(detail, &QPushButton::clicked, this, &CashPlanWindow::showDetail);
    connect(close, &QPushButton::clicked, this, [this] { closeThrough(); });
    connect(reopen, &QPushButton::clicked, this, [this] { reopenFrom(); });

    ui::finishWindow(this);
    loadAccounts();
    refresh();
    resize(width(), 720);
    fitTable();
    m_account->setFocus();
}

void CashPlanWindow::loadAccounts()
{
    m_account->clear();
    try {
        const qint64 collecting = book::defaultCollectionAccount(m_ctx.db());
        int first = -1;
        for (const book::AccountRecord &a : book::readAccounts(m_ctx.db())) {
            QString line = book::accountLine(a) + QStringLiteral("（%1）").arg(a.text(QStringLiteral("口座種別")));
            if (a.id == collecting)
                line += QStringLiteral(" 取立口座");
            m_account->addItem(line, a.id);
            // Checking accounts first: their bills are what may run short.
            if (first < 0 && a.text(QStringLiteral("口座種別")) == book::kCheckingKind)
                first = m_account->count() - 1;
        }
        m_account->setCurrentIndex(first >= 0 ? first : 0);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
}

qint64 CashPlanWindow::accountId() const
{
    return m_account->currentData().toLongLong();
}

bool CashPlanWindow::refresh()
{
    m_month->clear();
    m_balance->clear();
    if (m_account->count() == 0) {
        m_about->setText(QStringLiteral("口座が登録されていません。初期設定の「口座登録」で登録してください"));
        m_list->setSheet(book::cashSheet({}));
        m_chart->showFigures({}, {}, {}, {});
        return false;
    }
    QDate first;
    int months = 0;
    if (!readSpan(first, months))
        return false;
    try {
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        m_plan = book::cashPlan(m_ctx.db(), accountId(), first, months, calendar);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    QStringList about;
    if (m_plan.defaultCollection)
        about << QStringLiteral("既定の取立口座");
    about << QStringLiteral("確定済 %1")
                 .arg(m_plan.closedThrough.isValid() ? book::monthText(m_plan.closedThrough) : QStringLiteral("なし"));
    about << QStringLiteral("計画済 %1")
                 .arg(m_plan.plannedThrough.isValid() ? fmt::ymd(m_plan.plannedThrough) : QStringLiteral("なし"));
    about << QStringLiteral("担保枠 %1 円")
                 .arg(fmt::amount(m_plan.account.values.value(QStringLiteral("担保枠")).toLongLong()));
    int short_ = 0;
    for (const book::CashMonth &m : m_plan.months)
        short_ += m.shortfall() > 0 ? 1 : 0;
    if (short_ > 0)
        about << QStringLiteral("残高が不足する月が %1 か月あります（赤字の行）").arg(short_);
    m_about->setText(about.join(QStringLiteral("　")));
    m_list->setSheet(book::cashSheet(m_plan));

    QStringList labels;
    ui::ChartSeries payments{QStringLiteral("支払"), {}, QColor(200, 90, 60)};
    ui::ChartSeries balance{QStringLiteral("月末残高（予測）"), {}, QColor(30, 80, 160)};
    for (const book::CashMonth &m : m_plan.months) {
        labels << QStringLiteral("%1/%2").arg(m.month.year() % 100, 2, 10, QLatin1Char('0')).arg(m.month.month());
        payments.values << double(m.payments);
        balance.values << double(m.projected);
    }
    m_chart->showFigures(QStringLiteral("月末残高と支払"), labels, {payments}, balance);
    return true;
}

QDate CashPlanWindow::pickedMonth() const
{
    const int row = m_list->selectedRow();
    return row >= 0 && row < m_plan.months.size() ? m_plan.months.at(row).month : QDate();
}

void CashPlanWindow::onPicked(int row)
{
    if (row < 0 || row >= m_plan.months.size())
        return;
    const book::CashMonth &m = m_plan.months.at(row);
    m_month->setText(book::monthText(m.month));
    m_balance->setText(m.entered ? fmt::amount(*m.entered) : QString());
}

bool CashPlanWindow::onPickedMonth(const QString &nonePicked, const std::function<void(const QDate &)> &action)
{
    const QDate month = pickedMonth();
    if (!month.isValid()) {
        m_ui.information(nonePicked);
        return false;
    }
    const int row = m_list->selectedRow();
    try {
        action(month);
    } catch (const Cancelled &) {
        return false;
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    refresh();
    m_list->selectRow(row);
    onPicked(row);
    return true;
}

bool CashPlanWindow::enterBalance()
{
    return onPickedMonth(QStringLiteral("残高を入れる月を一覧から選んでください"), [this](const QDate &month) {
        const std::optional<qint64> amount = fmt::parseAmount(m_balance->text());
        if (!amount) {
            m_ui.information(QStringLiteral("月末残高を金額で入力してください（マイナスは -1,000 のように）"));
            m_balance->setFocus();
            throw Cancelled();
        }
        book::enterBalance(m_ctx.db(), accountId(), month, *amount);
    });
}

bool CashPlanWindow::clearBalance()
{
    return onPickedMonth(QStringLiteral("入力を取り消す月を一覧から選んでください"),
                         [this](const QDate &month) { book::clearBalance(m_ctx.db(), accountId(), month); });
}

bool CashPlanWindow::closeThrough()
{
    return onPickedMonth(QStringLiteral("確定する月を一覧から選んでください"), [this](const QDate &month) {
        if (!m_ui.confirm(QStringLiteral("%1 までの月を確定します\n確定した月の数字は、あとの記帳では変わりません")
                              .arg(book::monthText(month)),
                          QStringLiteral("月次確定")))
            throw Cancelled();
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        book::closeMonths(m_ctx.db(), accountId(), month, today(), calendar);
    });
}

bool CashPlanWindow::reopenFrom()
{
    return onPickedMonth(QStringLiteral("確定を取り消す月を一覧から選んでください"), [this](const QDate &month) {
        if (!m_ui.confirm(QStringLiteral("%1 からの確定を取り消します").arg(book::monthText(month)),
                          QStringLiteral("確定取消"), MessageService::Default::Cancel))
            throw Cancelled();
        book::reopenMonths(m_ctx.db(), accountId(), month);
    });
}

void CashPlanWindow::showDetail()
{
    const QDate month = pickedMonth();
    if (!month.isValid()) {
        m_ui.information(QStringLiteral("明細を見る月を一覧から選んでください"));
        return;
    }
    auto *dialog = new CashDetail(m_ctx, m_ui, accountId(), month, this);
    m_ui.runModal(dialog);
    const bool changed = dialog->changed();
    delete dialog;
    if (changed) {
        const int row = m_list->selectedRow();
        refresh();
        m_list->selectRow(row);
        onPicked(row);
    }
}

} // namespace sorvane
