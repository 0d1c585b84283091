#pragma once

// 受取手形入力: books one received bill at a time. The customer's templates
// propose the drawer, the place of payment, the term and the next number;
// registering asks about missing requisites, stores the bill, advances the
// templates and writes the endorsers typed in the endorsement dialog.

#include "book/Receivables.h"
#include "book/Registers.h"
#include "ui/ListLines.h"
#include "ui/WindowKit.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace sorvane {

class AppContext;
class UiService;
namespace ui {
class TownList;
}

class ReceivableEntryWindow : public QDialog {
    Q_OBJECT
public:
    ReceivableEntryWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Resets the fields for the next bill; the pick lists stay.
    void ClearForm();
    // Registers the bill on screen; true when it was stored.
    bool RegisterReceivableBill();

    // True once the endorsement dialog holds this bill's endorsers.
    bool EndorsementEdited = false;

private:
    void load();
    void onCustomerLeft();
    void pickCustomer();
    void onTemplatePicked(int line);
    void showTemplate(const book::BillTemplate &t);
    void clearCustomerFields();
    void onIssueDateLeft();
    void onDueDateLeft();
    void onEndorsements();
    void onNewCustomer();
    void fillCustomerCodes();
    book::TypedBill typedBill() const;

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;
    ui::LineIds m_lineIds; // 振出人 line → T1.id
    qint64 m_customerKey = 0;
    QString m_pickedCode; // the code the fields were last filled for

    QLineEdit *m_date = nullptr;
    QLineEdit *m_number = nullptr;
    QComboBox *m_code = nullptr;
    QLabel *m_name = nullptr;
    QComboBox *m_drawer = nullptr;
    QLineEdit *m_placeOfIssue = nullptr;
    QComboBox *m_prefecture = nullptr;
    QComboBox *m_town = nullptr;
    QComboBox *m_bank = nullptr;
    QComboBox *m_bankCode = nullptr;
    QComboBox *m_branch = nullptr;
    QComboBox *m_branchCode = nullptr;
    QLineEdit *m_issue = nullptr;
    QLineEdit *m_term = nullptr;
    QLineEdit *m_due = nullptr;
    QLineEdit *m_amount = nullptr;
    QListWidget *m_endorsers = nullptr;
    QComboBox *m_storage = nullptr;
    QCheckBox *m_caution = nullptr;
    ui::TownList *m_towns = nullptr;
};

} // namespace sorvane
