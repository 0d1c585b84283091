#pragma once

// 割引先登録: the banks where the company discounts its received bills,
// each with the account the proceeds go to and its limit (割引枠); the list
// shows how much of each limit the open discounted bills take.

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace sorvane {

class AppContext;
class UiService;
namespace ui {
class RowTable;
}

class DiscountBankRegister : public QDialog {
    Q_OBJECT
public:
    DiscountBankRegister(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    void ClearForm();
    void List1Requery();

private:
    void onPicked(int row);
    void onSave();
    void onDelete();

    AppContext &m_ctx;
    UiService &m_ui;
    ui::RowTable *m_list = nullptr;
    QLineEdit *m_code = nullptr;
    QLineEdit *m_bank = nullptr;
    QLineEdit *m_branch = nullptr;
    QComboBox *m_account = nullptr;
    QLineEdit *m_limit = nullptr;
};

} // namespace sorvane
