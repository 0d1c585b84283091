#include "plan/TotalsWindow.h"

#include "book/AppContext.h"
#include "book/Planning.h"
#include "ui/FigureChart.h"
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

namespace {

const QColor kStateColors[book::kStates] = {QColor(70, 130, 180), QColor(240, 170, 60), QColor(120, 170, 90),
                                            QColor(200, 60, 60), QColor(160, 160, 160)};

} // namespace

TotalsWindow::TotalsWindow(AppContext &ctx, UiService &ui, book::TotalsBy by, QWidget *parent)
    : FigureWindow(ctx, ui, by == book::TotalsBy::Due ? QStringLiteral("集計期日") : QStringLiteral("集計処理日"),
                   by == book::TotalsBy::Due ? QStringLiteral("集計（期日）") : QStringLiteral("集計（処理日）"),
                   parent),
      m_by(by)
{
    m_party = ui::named<QComboBox>(this, QStringLiteral("取引先"));
    m_party->setMinimumWidth(260);
    m_party->setMaxVisibleItems(20);
    auto *top = new QHBoxLayout;
    // Due dates look ahead from this month; bookings look back over the year.
    const QDate month = book::monthStart(today());
    addSpan(top, by == book::TotalsBy::Due ? month : month.addMonths(-11), 12);
    top->addWidget(ui::label(this, QStringLiteral("取引先ラベル"), QStringLiteral("取引先"), m_party));
    top->addWidget(m_party);
    top->addWidget(m_show);
    top->addStretch(1);
    m_chart = ui::named<ui::FigureChart>(this, QStringLiteral("Chart"));
    build(top, m_chart, nullptr, {});
    ui::chainTabOrder({m_first, m_months, m_party, m_show, m_list});
    connect(m_party, &QComboBox::activated, this, [this](int) { refresh(); });
    ui::finishWindow(this);

    try {
        m_options = book::partyOptions(m_ctx.db());
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        m_options = {{QStringLiteral("すべての取引先"), {}}};
    }
    for (const book::PartyOption &o : std::as_const(m_options))
        m_party->addItem(o.label);
    refresh();
    resize(width(), 680);
    fitTable();
    m_first->setFocus();
}

bool TotalsWindow::refresh()
{
    QDate first;
    int months = 0;
    if (!readSpan(first, months))
        return false;
    const int index = std::max(0, m_party->currentIndex());
    try {
        m_totals = book::billTotals(m_ctx.db(), m_by, first, months, m_options.value(index).choice);
    } catch (const std::exception &e) {
        m_ui.information(errorText(e));
        return false;
    }
    m_list->setSheet(book::totalsSheet(m_totals, m_options.value(index).label));

    QStringList labels;
    QList<ui::ChartSeries> bars;
    for (int s = 0; s < book::kStates; ++s)
        bars << ui::ChartSeries{book::stateText(book::ReceivedState(s)), {}, kStateColors[s]};
    ui::ChartSeries issued{QStringLiteral("支払手形"), {}, QColor(40, 40, 120)};
    for (const book::TotalsMonth &m : m_totals.months) {
        labels << QStringLiteral("%1/%2").arg(m.month.year() % 100, 2, 10, QLatin1Char('0')).arg(m.month.month());
        for (int s = 0; s < book::kStates; ++s)
            bars[s].values << double(m.received[std::size_t(s)].amount);
        issued.values << double(m.issued.amount);
    }
    m_chart->showFigures(QStringLiteral("受取手形（状態別）と支払手形"), labels, bars, issued);
    return true;
}

} // namespace sorvane
