#pragma once

// The windows of the electronic claims (でんさい): booking a receivable claim
// (電子記録債権入力) or one of ours (電子記録債務入力), the lists that correct
// and delete them (電子記録債権一覧, 電子記録債務一覧), and the transfer, split
// and discount of a receivable claim with the network's rules explained
// (電子記録債権の譲渡・分割・割引).

#include "book/Densai.h"
#include "life/LifeWindow.h"

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QGridLayout;

namespace sorvane {
class MessageService;
}

namespace sorvane {

// The fields of one claim, shared by the entry and the list window.
class ClaimForm {
public:
    ClaimForm(QDialog *window, AppContext &ctx, book::densai::Side side);
    QGridLayout *layout() const { return m_grid; }
    // The fields in their tab order.
    QList<QWidget *> fields() const;
    void clear();
    void load(const book::densai::Claim &claim);
    // The claim as typed, or nothing after a message naming the field.
    std::optional<book::densai::Claim> read(MessageService &messages, const QDate &today);
    // Looks the party up again: its name, and for a customer the debtor's
    // bank from the customer's first bill template when none is typed yet.
    void lookUpParty();
    QLineEdit *number() const { return m_number; }

private:
    AppContext &m_ctx;
    book::densai::Side m_side;
    QGridLayout *m_grid = nullptr;
    QLineEdit *m_number = nullptr;
    QLineEdit *m_recorded = nullptr;
    QLineEdit *m_due = nullptr;
    QLineEdit *m_amount = nullptr;
    QLineEdit *m_party = nullptr;
    QLabel *m_partyName = nullptr;
    QComboBox *m_account = nullptr; // ours: the account it is paid from
    QLineEdit *m_debtorBank = nullptr;
    QLineEdit *m_debtorBranch = nullptr;
    QLineEdit *m_debtorAccount = nullptr;
    QLineEdit *m_creditorBank = nullptr;
    QLineEdit *m_creditorBranch = nullptr;
    QLineEdit *m_creditorAccount = nullptr;
    QCheckBox *m_restricted = nullptr;
};

// 電子記録債権入力 / 電子記録債務入力: 発生 of a claim.
class ClaimEntryWindow : public LifeWindow {
    Q_OBJECT
public:
    ClaimEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, book::densai::Side side,
                     QWidget *parent = nullptr);
    bool 登録();

private:
    book::densai::Side m_side;
    ClaimForm m_form;
};

// 電子記録債権一覧 / 電子記録債務一覧: the open claims, corrected or deleted.
class ClaimListWindow : public LifeWindow {
    Q_OBJECT
public:
    ClaimListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, book::densai::Side side,
                    QWidget *parent = nullptr);
    void List1Requery();
    bool 修正();
    bool 削除();
    // A transfer to a supplier taken back (receivable claims only).
    bool 譲渡取消();

private:
    void pick(int row);
    book::densai::Side m_side;
    ui::RowTable *m_list = nullptr;
    ClaimForm m_form;
    std::vector<book::densai::Claim> m_claims;
    std::optional<book::densai::Claim> m_picked;
};

// 電子記録債権の譲渡・分割・割引.
class ClaimStepWindow : public LifeWindow {
    Q_OBJECT
public:
    ClaimStepWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);
    void List1Requery();
    bool 実行();

private:
    void explain();
    ui::RowTable *m_list = nullptr;
    QRadioButton *m_transfer = nullptr;
    QRadioButton *m_split = nullptr;
    QRadioButton *m_discount = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_supplier = nullptr;
    QCheckBox *m_guarantee = nullptr;
    QLineEdit *m_newNumber = nullptr;
    QLineEdit *m_splitAmount = nullptr;
    QComboBox *m_bank = nullptr;
    QLineEdit *m_fee = nullptr;
    QLabel *m_rules = nullptr;
    std::vector<book::densai::Claim> m_claims;
};

} // namespace sorvane
