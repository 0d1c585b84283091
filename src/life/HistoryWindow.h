#pragma once

// 手形履歴: the events of one bill, or of every bill found by date range,
// amount range and party (each alone or together): what happened, when,
// recorded by whom, and for a correction or deletion the fields before
// and after. Nothing here changes the history.

#include "life/LifeWindow.h"

#include <QList>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace sorvane {

class HistoryWindow : public LifeWindow {
    Q_OBJECT
public:
    // billId 0: the search over every bill, empty until searched.
    HistoryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, qint64 billId, QWidget *parent = nullptr);

    // Searches with the typed criteria (and the bill, while one is shown);
    // false after a message about what was typed.
    bool 検索();
    // Empties the criteria and leaves the bill: the next search is over every bill.
    void ClearForm();

private:
    void onPicked(int row);

    qint64 m_billId = 0;
    QList<book::BillEvent> m_events;
    QLabel *m_scope = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QLineEdit *m_min = nullptr;
    QLineEdit *m_max = nullptr;
    QLineEdit *m_party = nullptr;
    QLineEdit *m_number = nullptr;
    QLabel *m_count = nullptr;
    ui::RowTable *m_list = nullptr;
    QPlainTextEdit *m_detail = nullptr;
};

} // namespace sorvane
