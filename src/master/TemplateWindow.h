#pragma once

// 手形情報: a customer's bill templates (T1) — drawer, place of payment and
// usual term — which the receivable entry offers for a new bill.

#include "book/Registers.h"
#include "ui/ListLines.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace sorvane {

class AppContext;
namespace ui {
class TownList;
}
class UiService;

class TemplateWindow : public QDialog {
    Q_OBJECT
public:
    TemplateWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Hands the customer over: its name for the heading and its key. The
    // first template fills the fields; a customer without templates gets its
    // own name offered as the drawer.
    void showCustomer(qint64 customerId, const QString &customerName);

    // Empties every field and the list, loads the prefectures, then shows
    // the customer's templates.
    void ClearForm();
    // Fills the list and its key table for the customer again.
    void List1Requery();
    // Saves the fields: changes the selected template, or adds one.
    bool 登録();

private:
    void clearFields();
    void loadCustomerTemplates();
    void showTemplates(const QList<book::BillTemplate> &templates);
    void showFields(const book::BillTemplate &t);
    void onSelect();
    void onSave();
    void onDelete();
    qint64 customerKey() const;

    AppContext &m_ctx;
    UiService &m_ui;
    ui::LineIds m_lineIds;

    QLabel *m_customerName = nullptr;
    QListWidget *m_list = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_billNumber = nullptr;
    QComboBox *m_prefecture = nullptr;
    QComboBox *m_town = nullptr;
    QComboBox *m_bankCode = nullptr;
    QLineEdit *m_bank = nullptr;
    QComboBox *m_branchCode = nullptr;
    QComboBox *m_branch = nullptr;
    QLineEdit *m_term = nullptr;
    QLineEdit *m_myid = nullptr;
    QLineEdit *m_idbox = nullptr;
    ui::TownList *m_towns = nullptr;
};

} // namespace sorvane
