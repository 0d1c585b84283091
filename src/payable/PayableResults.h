#pragma once

// 支払結果表示 (検索結果): the payable bills the bill search just found, to
// look at. Nothing is saved or deleted here.

#include "book/Payables.h"
#include "ui/PagedRows.h"
#include "ui/WindowKit.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace sorvane {

class AppContext;
class UiService;
namespace ui {
class LineList;
}

class PayableResultWindow : public QDialog {
    Q_OBJECT
public:
    PayableResultWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    void ClearForm();
    void List2Requery();

private:
    void onLinePicked(int row);
    void showBill(const book::PayableBill &b);
    void showEndorsements();

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;

    ui::PagedRows<book::PayableLine> m_rows;

    ui::LineList *m_list = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_billNumber = nullptr;
    QLineEdit *m_scode = nullptr;
    QLabel *m_sname = nullptr;
    QLineEdit *m_account = nullptr;
    QLineEdit *m_accountId = nullptr;
    QLineEdit *m_accountKozano = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_prefecture = nullptr;
    QLineEdit *m_city = nullptr;
    QLineEdit *m_bank = nullptr;
    QLineEdit *m_branch = nullptr;
    QLineEdit *m_issueDate = nullptr;
    QLineEdit *m_dueDate = nullptr;
    QLineEdit *m_amount = nullptr;
    QListWidget *m_endorsers = nullptr;
    QCheckBox *m_handOn = nullptr; // Check1
    QCheckBox *m_issue = nullptr;  // Check2
};

} // namespace sorvane
