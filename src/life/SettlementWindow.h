#pragma once

// 処理済手形一覧: above, the bills whose settlement day has come (a received
// bill in hand on its due date plus the collection days, moved to the next
// day the banks are open; any other bill on its due date), each ticked,
// settled together after one confirmation; below, the bills settled in a
// chosen period, where a settlement can be taken back.

#include "life/LifeWindow.h"

#include <vector>

class QLabel;
class QLineEdit;

namespace sorvane {

class SettlementWindow : public LifeWindow {
    Q_OBJECT
public:
    SettlementWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Reads the bills to settle again.
    void List1Requery();
    // Reads the settled bills of the period in the fields again; false after a message.
    bool List2Requery();
    // Settles the ticked bills after the confirmation.
    bool 決済();
    // Takes back the settlement of the bill selected below.
    bool 決済取消();

private:
    void showChecked();

    std::vector<book::SettlementDue> m_due;
    std::vector<book::FinishedBill> m_finished;
    ui::RowTable *m_list = nullptr;
    ui::RowTable *m_done = nullptr;
    ui::RowTable *m_last = nullptr;
    QLabel *m_checked = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
};

} // namespace sorvane
