#pragma once

// The discounted bills: 割引手形指定 discounts a bill in hand at a bank,
// 割引手形解除 takes a discount back (a mistake, or the bill bought back),
// 割引手形一覧 lists the discounted bills not yet due with a total per bank.

#include "life/LifeWindow.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace sorvane {

class DiscountEntryWindow : public LifeWindow {
    Q_OBJECT
public:
    DiscountEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Reads the candidates and the banks again.
    void List1Requery();
    // Discounts the selected bill; false after a message, or when the clerk
    // did not confirm going over the bank's limit.
    bool 登録();

private:
    void showLimit();

    std::vector<book::BillRow> m_bills;
    ui::RowTable *m_list = nullptr;
    QComboBox *m_bank = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_fee = nullptr;
    QLabel *m_limit = nullptr;
};

class DiscountReleaseWindow : public LifeWindow {
    Q_OBJECT
public:
    DiscountReleaseWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    void List1Requery();
    bool 登録();

private:
    std::vector<book::DiscountedBill> m_bills;
    ui::RowTable *m_list = nullptr;
    QRadioButton *m_mistake = nullptr;
    QRadioButton *m_buyBack = nullptr;
    QLineEdit *m_date = nullptr;
};

class DiscountedListWindow : public LifeWindow {
    Q_OBJECT
public:
    DiscountedListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    void List1Requery();

private:
    ui::RowTable *m_list = nullptr;
    ui::RowTable *m_banks = nullptr;
    QLabel *m_total = nullptr;
};

} // namespace sorvane
