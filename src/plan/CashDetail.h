#pragma once

// 資金明細: the bills behind one month of an account's plan, each with the
// day its money moves; a received bill can be given another collection
// account here.

#include "plan/FigureWindow.h"

#include <vector>

class QComboBox;

namespace sorvane {

namespace book {
struct CashFlow;
}

class CashDetail : public FigureWindow {
    Q_OBJECT
public:
    CashDetail(AppContext &ctx, UiService &ui, qint64 accountId, const QDate &month, QWidget *parent = nullptr);

    bool refresh() override;
    // The picked received bill is collected into the account chosen in
    // 取立口座 from now on; false after a message.
    bool changeCollection();
    bool changed() const { return m_changed; }

private:
    qint64 m_accountId;
    QDate m_month;
    QComboBox *m_collection = nullptr;
    std::vector<book::CashFlow> m_flows;
    bool m_changed = false;
};

} // namespace sorvane
