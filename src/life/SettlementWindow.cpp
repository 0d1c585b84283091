#include "life/SettlementWindow.h"

#include "book/AppContext.h"
#include "data/Calendar.h"
#include "data/Formats.h"
#include "data/Schema.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvane {

namespace {

QString partyOf(const book::BillRow &b)
{
    return b.取引先;
}

} // namespace

SettlementWindow::SettlementWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent)
    : LifeWindow(ctx, ui, kit, QStringLiteral("処理済手形一覧"), parent)
{
    const QStringList headers{QStringLiteral("決済日"), QStringLiteral("区分"),     QStringLiteral("手形番号"),
                              QStringLiteral("取引先"), QStringLiteral("手形期日"), QStringLiteral("金額")};
    m_list = makeList(QStringLiteral("List1"), headers, {5}, 3);
    m_list->setCheckable(true);
    m_checked = ui::named<QLabel>(this, QStringLiteral("選択合計"));
    auto *all = ui::button(this, QStringLiteral("全選択ボタン"), QStringLiteral("全て選ぶ"));
    auto *none = ui::button(this, QStringLiteral("全解除ボタン"), QStringLiteral("選択を外す"));
    auto *settle = ui::button(this, QStringLiteral("決済ボタン"), QStringLiteral("決　済"));

    m_done = makeList(QStringLiteral("List2"), headers + QStringList{QStringLiteral("記録者")}, {5}, 3);
    m_from = life::dateField(this, QStringLiteral("開始日"));
    m_to = life::dateField(this, QStringLiteral("終了日"));
    auto *show = ui::button(this, QStringLiteral("表示ボタン"), QStringLiteral("表　示"));
    auto *undo = ui::button(this, QStringLiteral("決済取消ボタン"), QStringLiteral("決済取消"));
    auto *history = ui::button(this, QStringLiteral("履歴ボタン"), QStringLiteral("履　歴"));
    auto *close = ui::button(this, QStringLiteral("終了ボタン"), QStringLiteral("終　了"));

    auto *upperButtons = new QHBoxLayout;
    upperButtons->addWidget(m_checked, 1);
    upperButtons->addWidget(all);
    upperButtons->addWidget(none);
    upperButtons->addWidget(settle);
    auto *period = new QHBoxLayout;
    period->addWidget(ui::label(this, QStringLiteral("Label3"), QStringLiteral("決済日"), m_from));
    period->addWidget(m_from);
    period->addWidget(ui::label(this, QStringLiteral("Label4"), QStringLiteral("〜"), m_to));
    period->addWidget(m_to);
    period->addWidget(show);
    period->addStretch(1);
    period->addWidget(undo);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        ui::label(this, QStringLiteral("Label1"),
                  QStringLiteral("決済する手形（今日までに決済日が来た手形。✓ の付いた手形を決済します）"), m_list));
    layout->addWidget(m_list, 1);
    layout->addLayout(upperButtons);
    layout->addSpacing(8);
    layout->addWidget(ui::label(this, QStringLiteral("Label2"), QStringLiteral("決済済みの手形"), m_done));
    layout->addLayout(period);
    layout->addWidget(m_done, 1);
    layout->addLayout(ui::buttonRow({history, close}));
    ui::chainTabOrder({m_list, all, none, settle, m_from, m_to, show, m_done, undo, history, close});

    connect(all, &QPushButton::clicked, this, [this] { m_list->setAllChecked(true); });
    connect(none, &QPushButton::clicked, this, [this] { m_list->setAllChecked(false); });
    connect(settle, &QPushButton::clicked, this, [this] { 決済(); });
    connect(show, &QPushButton::clicked, this, [this] { List2Requery(); });
    connect(undo, &QPushButton::clicked, this, [this] { 決済取消(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &ui::RowTable::checksChanged, this, &SettlementWindow::showChecked);
    connect(m_list, &ui::RowTable::rowPicked, this, [this] { m_last = m_list; });
    connect(m_done, &ui::RowTable::rowPicked, this, [this] { m_last = m_done; });
    connect(history, &QPushButton::clicked, this,
            [this] { openHistory(m_kit, m_ui, this, m_last ? m_last->selectedKey() : 0); });
    finish();

    m_from->setText(fmt::ymd(today().addMonths(-1)));
    m_to->setText(fmt::ymd(today()));
    List1Requery();
    List2Requery();
    m_list->setFocus();
}

void SettlementWindow::List1Requery()
{
    try {
        BankCalendar calendar(m_ctx.AppFolder, *m_ctx.DataWorkspace);
        m_due = book::billsToSettle(m_ctx.db(), today(), calendar);
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::SettlementDue &d : m_due) {
            rows << QStringList{fmt::ymd(d.settleOn), life::kindWord(d.bill),    d.bill.手形番号,
                                partyOf(d.bill),      fmt::ymd(d.bill.手形期日), fmt::amount(d.bill.金額)};
            keys << d.bill.id;
        }
        m_list->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_due.clear();
        m_list->clearRows();
        fail(e);
    }
    showChecked();
}

void SettlementWindow::showChecked()
{
    qint64 total = 0;
    const QList<int> rows = m_list->checkedRows();
    for (int r : rows)
        if (r < int(m_due.size()))
            total += m_due[std::size_t(r)].bill.金額;
    m_checked->setText(QStringLiteral("選んだ手形 %1 件　%2 円（全 %3 件）")
                           .arg(rows.size())
                           .arg(fmt::amount(total))
                           .arg(m_list->rowCount()));
}

bool SettlementWindow::List2Requery()
{
    const std::optional<QDate> from = life::readDate(m_from, today(), QStringLiteral("期間の始め"), m_ui);
    if (!from)
        return false;
    const std::optional<QDate> to = life::readDate(m_to, today(), QStringLiteral("期間の終わり"), m_ui);
    if (!to)
        return false;
    if (*from > *to) {
        m_ui.information(QStringLiteral("期間の始めが終わりより後になっています"));
        m_from->setFocus();
        return false;
    }
    try {
        m_finished = book::finishedBills(m_ctx.db(), *from, *to);
        QList<QStringList> rows;
        QList<qint64> keys;
        for (const book::FinishedBill &f : m_finished) {
            rows << QStringList{
                fmt::ymd(f.settlement.date), life::kindWord(f.bill),   f.bill.手形番号,    partyOf(f.bill),
                fmt::ymd(f.bill.手形期日),   fmt::amount(f.bill.金額), f.settlement.記録者};
            keys << f.bill.id;
        }
        m_done->setRows(rows, keys);
    } catch (const std::exception &e) {
        m_finished.clear();
        m_done->clearRows();
        fail(e);
        return false;
    }
    return true;
}

bool SettlementWindow::決済()
{
    const QList<int> rows = m_list->checkedRows();
    if (rows.isEmpty()) {
        m_ui.information(QStringLiteral("決済する手形に ✓ を付けてください"));
        m_list->setFocus();
        return false;
    }
    QList<book::SettleOrder> orders;
    qint64 total = 0;
    for (int r : rows) {
        const book::SettlementDue &d = m_due[std::size_t(r)];
        orders << book::SettleOrder{d.bill.id, d.bill.更新回数, d.settleOn};
        total += d.bill.金額;
    }
    if (!m_ui.confirm(
            QStringLiteral("%1 件、合計 %2 円の手形を決済しますよ").arg(orders.size()).arg(fmt::amount(total)),
            QStringLiteral("決済の確認")))
        return false;
    try {
        book::settleBills(m_ctx.db(), orders, today());
    } catch (const std::exception &e) {
        fail(e);
        List1Requery();
        return false;
    }
    List1Requery();
    List2Requery();
    return true;
}

bool SettlementWindow::決済取消()
{
    const int row = m_done->selectedRow();
    if (row < 0 || row >= int(m_finished.size())) {
        m_ui.information(QStringLiteral("決済を取り消す手形を下の一覧から選んでください"));
        m_done->setFocus();
        return false;
    }
    const book::FinishedBill &f = m_finished[std::size_t(row)];
    try {
        const QDate exported = book::journalExportedThrough(m_ctx.db());
        QString question = QStringLiteral("手形番号 %1 の決済（%2）を取り消しますよ")
                               .arg(f.bill.手形番号, fmt::ymd(f.settlement.date));
        // An entry already handed to the accountant is not taken out of
        // his books by this: a reversing entry goes into the next output.
        if (exported.isValid() && f.settlement.date <= exported)
            question += QStringLiteral("\n\nこの決済の仕訳は出力済みです（%1 まで出力）。\n"
                                       "取り消すと、取消の仕訳を次に出力する仕訳に含めます。")
                            .arg(fmt::ymd(exported));
        if (!m_ui.confirm(question, QStringLiteral("決済取消の確認")))
            return false;
        book::cancelSettlement(m_ctx.db(), {f.bill.id, f.bill.更新回数, today(), today()});
    } catch (const std::exception &e) {
        fail(e);
        List2Requery();
        return false;
    }
    List1Requery();
    List2Requery();
    return true;
}

} // namespace sorvane
