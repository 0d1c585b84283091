#pragma once

// 支払手形入力: books one payable bill at a time, either a new bill drawn on
// one of the company's checking accounts (振出し) or a received bill in hand
// passed on to a supplier (譲渡).

#include "book/Payables.h"
#include "ui/PagedRows.h"
#include "ui/WindowKit.h"

#include <QDate>
#include <QDialog>
#include <QVector>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace sorvane {

class AppContext;
class UiService;
namespace ui {
class LineList;
}

class PayableEntryWindow : public QDialog {
    Q_OBJECT
public:
    PayableEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Back to the issue mode with every field at its start value and the
    // candidates read again.
    void ClearForm();
    // Stores the bill on screen; true when it was stored (the form is then cleared).
    bool RegisterPayableBill();

protected:
private:
    void loadAccounts();
    void fillCandidates();
    void setLocked(bool locked);
    void enterIssueMode();
    void enterHandOnMode();
    void onAccountPicked(int line);
    void refillSupplierCodes();
    void lookUpSupplier();
    // The registered supplier of the code typed now, looked up unless it is
    // the code the name was looked up for; nothing
    // for an empty code, and nothing with `refused` set (the clerk told) for
    // a code that is not registered.
    std::optional<book::PartyRow> supplierToStore(bool &refused);
    void showPreviousIssue(const QString &code);
    void onCandidatePicked(int row);
    void onIssueDateLeft();
    void onDueDateLeft();
    void openSupplierRegister();
    void onRegister();
    void fail(const std::exception &e);

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;

    // Each candidate line's bill, and the bill the hand-on will change (0: none picked).
    ui::PagedRows<book::Candidate> m_candidates;
    qint64 m_selectedBill = 0;
    QDate m_selectedDue; // its due date, when it has one
    qint64 m_selectedVersion = 0; // the row version the picked bill was read with
    // For each line of 口座名, its account's position in the account cache.
    QVector<int> m_accountSlots;
    QString m_lookedUpCode;

    QLineEdit *m_date = nullptr;
    QCheckBox *m_handOn = nullptr; // Check1
    QCheckBox *m_issue = nullptr;  // Check2
    QComboBox *m_account = nullptr;
    QLineEdit *m_billNumber = nullptr;
    QComboBox *m_scode = nullptr;
    QLabel *m_sname = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_bankCode = nullptr;
    QLineEdit *m_bank = nullptr;
    QLineEdit *m_branchCode = nullptr;
    QLineEdit *m_branch = nullptr;
    QLineEdit *m_issueDate = nullptr;
    QLineEdit *m_term = nullptr;
    QLineEdit *m_dueDate = nullptr;
    QLineEdit *m_amount = nullptr;
    ui::LineList *m_list = nullptr;
    QLineEdit *m_pastDate = nullptr;
    QLineEdit *m_pastNumber = nullptr;
    QLineEdit *m_pastAmount = nullptr;
    QLineEdit *m_pastDue = nullptr;
    QLineEdit *m_pastAccount = nullptr;
};

} // namespace sorvane
