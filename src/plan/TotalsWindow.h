#pragma once

// 集計（期日） and 集計（処理日）: the bills of each month by state, counts
// and amounts, by due date or by booking date, for a span and a party; the
// table beside a chart of the received bills stacked by state and the
// issued bills as a line.

#include "book/Totals.h"
#include "plan/FigureWindow.h"

class QComboBox;

namespace sorvane {

namespace ui {
class FigureChart;
}

class TotalsWindow : public FigureWindow {
    Q_OBJECT
public:
    TotalsWindow(AppContext &ctx, UiService &ui, book::TotalsBy by, QWidget *parent = nullptr);

    bool refresh() override;
    const book::Totals &totals() const { return m_totals; }
    ui::FigureChart *chart() const { return m_chart; }

private:
    book::TotalsBy m_by;
    QComboBox *m_party = nullptr;
    QList<book::PartyOption> m_options;
    ui::FigureChart *m_chart = nullptr;
    book::Totals m_totals;
};

} // namespace sorvane
