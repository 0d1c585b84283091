#pragma once

// 手形予約確認: the received bills handed on or discounted and not yet due
// on a date, by bank and receiver, with the 受取手形割引高 and
// 受取手形裏書譲渡高 a balance sheet's notes need.

#include "book/Totals.h"
#include "plan/FigureWindow.h"

class QLabel;

namespace sorvane {

class ReservedWindow : public FigureWindow {
    Q_OBJECT
public:
    ReservedWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    bool refresh() override;
    const book::Reservations &reservations() const { return m_reserved; }

private:
    QLineEdit *m_date = nullptr;
    QLabel *m_discounted = nullptr;
    QLabel *m_handedOn = nullptr;
    book::Reservations m_reserved;
};

} // namespace sorvane
