#include "plan/CashDetail.h"

#include "book/AppContext.h"
#include "book/Conflicts.h"
#include "book/Planning.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QSpinBox>
#include <QLineEdit>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace sorvane {

namespace {

bool received(book::FlowKind k)
{
    return k == book::FlowKind::Collected || k == book::FlowKind::Collecting || k == book::FlowKind::Recovered;
}

} // namespace

CashDetail::CashDetail(AppContext &ctx, UiService &ui, qint64 accountId, const QDate &month, QWidget *parent)
    : FigureWindow(ctx, ui, QStringLiteral("資金明細"), QStringLiteral("資金明細"), parent), m_accountId(accountId),
      m_month(book::monthStart(month))
{
    auto *title = ui::named<QLabel>(this, QStringLiteral("対象"));
    auto *top = new QHBoxLayout;
    top->addWidget(title);
    top->addStretch(1);
    m_show->hide();

    m_collection = ui::named<QComboBox>(this, QStringLiteral("取立口座"));
    m_collection->setMinimumWidth(320);
    m_collection->addItem(QStringLiteral("（既定の取立口座）"), 0);
    auto *change = ui::button(this, QStringLiteral("変更ボタン"), QStringLiteral("取立口座を変更"));
    auto *below = new QHBoxLayout;
    below->addWidget(
        ui::label(this, QStringLiteral("取立口座ラベル"), QStringLiteral("選んだ受取手形の取立口座"), m_collection));
    below->addWidget(m_collection);
    below->addWidget(change);
    below->addStretch(1);
    build(top, nullptr, below, {});
    ui::chainTabOrder({m_list, m_collection, change});
    connect(change, &QPushButton::clicked, this, [this] { changeCollection(); });
    ui::finishWindow(this);

    try {
        for (const book::AccountRecord &a : book::readAccounts(m_ctx.db()))
            m_collection->addItem(book::accountLine(a), a.id);
        const std::optional<book::AccountRecord> a = book::accountRecordById(m_ctx.db(), m_accountId);
        title->setText(
            QStringLiteral("%1　%2 の入金と支払").arg(a ? book::accountLine(*a) : QString(), book::monthText(m_month)));
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
    refresh();
    resize(width(), 520);
    fitTable();
    m_list->setFocus();
}

bool CashDetail::refresh()
{
    book::Sheet s;
    s.title = QStringLiteral("資金明細");
    s.columns = {{QStringLiteral("日付"), {}, false, 12},     {QStringLiteral("区分"), {}, false, 9},
                 {QStringLiteral("手形番号"), {}, false, 22}, {QStringLiteral("取引先"), {}, false, 24},
                 {QStringLiteral("手形期日"), {}, false, 12}, {QStringLiteral("入金"), {}, true, 14},
                 {QStringLiteral("支払"), {}, true, 14}};
    try {
        const std::optional<book::AccountRecord> a = book::accountRecordById(m_ctx.db(), m_accountId);
        s.subtitle = QStringLiteral("%1　%2").arg(a ? book::accountLine(*a) : QString(), book::monthText(m_month));
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        m_flows = book::cashFlows(m_ctx.db(), m_accountId, m_month, book::monthEnd(m_month), calendar);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        m_flows.clear();
    }
    qint64 in = 0, out = 0;
    for (const book::CashFlow &f : m_flows) {
        s.rows << QStringList{fmt::ymd(f.date),
                              book::flowKindText(f.kind),
                              // A claim's 記録番号 marked as the due list marks it.
                              f.electronic ? QStringLiteral("電") + f.number : f.number,
                              f.party,
                              fmt::ymd(f.due),
                              f.amount >= 0 ? fmt::amount(f.amount) : QString(),
                              f.amount < 0 ? fmt::amount(-f.amount) : QString()};
        s.keys << f.billId;
        (f.amount >= 0 ? in : out) += f.amount >= 0 ? f.amount : -f.amount;
    }
    s.totals =
        QStringList{QStringLiteral("合計"), QStringLiteral("%1 件").arg(m_flows.size()), {}, {}, {}, fmt::amount(in),
                    fmt::amount(out)};
    m_list->setSheet(s);
    return true;
}

bool CashDetail::changeCollection()
{
    const int row = m_list->selectedRow();
    if (row < 0 || std::size_t(row) >= m_flows.size() || !received(m_flows[std::size_t(row)].kind)) {
        m_ui.information(QStringLiteral("取立口座を変える受取手形を一覧から選んでください"));
        return false;
    }
    try {
        book::setBillCollectionAccount(m_ctx.db(), m_flows[std::size_t(row)].billId,
                                       m_collection->currentData().toLongLong(), std::nullopt, today());
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    m_changed = true;
    refresh();
    return true;
}

} // namespace sorvane
