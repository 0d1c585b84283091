#include "plan/TrialWindow.h"

#include "book/AppContext.h"
#include "ui/SheetView.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSpinBox>

namespace sorvane {

TrialWindow::TrialWindow(AppContext &ctx, UiService &ui, QWidget *parent)
    : FigureWindow(ctx, ui, QStringLiteral("口座別試算表"), QStringLiteral("口座別試算表"), parent)
{
    m_account = ui::named<QComboBox>(this, QStringLiteral("口座"));
    m_account->setMinimumWidth(320);
    auto *top = new QHBoxLayout;
    top->addWidget(ui::label(this, QStringLiteral("口座ラベル"), QStringLiteral("口座"), m_account));
    top->addWidget(m_account);
    // The twelve months up to this one: what was issued and settled.
    addSpan(top, book::monthStart(today()).addMonths(-11), 12);
    top->addWidget(m_show);
    top->addStretch(1);
    build(top, nullptr, nullptr, {});
    ui::chainTabOrder({m_account, m_first, m_months, m_show, m_list});
    connect(m_account, &QComboBox::activated, this, [this](int) { refresh(); });
    ui::finishWindow(this);

    m_account->addItem(QStringLiteral("すべての口座"), 0);
    try {
        for (const book::AccountRecord &a : book::readAccounts(m_ctx.db()))
            m_account->addItem(book::accountLine(a), a.id);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
    }
    refresh();
    resize(width(), 600);
    fitTable();
    m_account->setFocus();
}

bool TrialWindow::refresh()
{
    QDate first;
    int months = 0;
    if (!readSpan(first, months))
        return false;
    try {
        m_trial = book::trialBalance(m_ctx.db(), m_account->currentData().toLongLong(), first, months);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    m_list->setSheet(book::trialSheet(m_account->currentText(), m_trial));
    return true;
}

} // namespace sorvane
