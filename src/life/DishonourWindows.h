#pragma once

// The dishonoured bills: 不渡手形指定 marks a received bill (in hand,
// discounted or handed on) dishonoured on a date for a reason, 不渡手形解除
// takes a dishonour back as a mistake or records the amount recovered, and
// 不渡手形一覧 lists the dishonoured bills with their total.

#include "life/LifeWindow.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace sorvane {

class DishonourEntryWindow : public LifeWindow {
    Q_OBJECT
public:
    DishonourEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    void List1Requery();
    bool 登録();

private:
    std::vector<book::BillRow> m_bills;
    ui::RowTable *m_list = nullptr;
    QLineEdit *m_date = nullptr;
    QComboBox *m_reason = nullptr;
};

class DishonourReleaseWindow : public LifeWindow {
    Q_OBJECT
public:
    DishonourReleaseWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    void List1Requery();
    bool 登録();

private:
    void onPicked(int row);
    void onChoice();

    std::vector<book::DishonouredBill> m_bills;
    ui::RowTable *m_list = nullptr;
    QRadioButton *m_mistake = nullptr;
    QRadioButton *m_recovered = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_amount = nullptr;
};

class DishonouredListWindow : public LifeWindow {
    Q_OBJECT
public:
    DishonouredListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    void List1Requery();

private:
    ui::RowTable *m_list = nullptr;
    QLabel *m_total = nullptr;
};

} // namespace sorvane
