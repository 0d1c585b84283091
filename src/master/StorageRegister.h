#pragma once

// 保管場所: the places where received bills are kept. A place is known by
// its name alone; a bank branch's name can be built from bank and branch.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace sorvane {

class AppContext;
class UiService;

class StorageRegister : public QDialog {
    Q_OBJECT
public:
    StorageRegister(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Empties the name and the name-building fields.
    void ClearForm();
    // Fills the list from the table again.
    void List1Requery();

private:
    void onSelect();
    void onBankLeft();
    void onBranchLeft();
    void onSave();
    void onDelete();

    AppContext &m_ctx;
    UiService &m_ui;
    QListWidget *m_list = nullptr;
    QLineEdit *m_place = nullptr;
    QComboBox *m_bank = nullptr;
    QComboBox *m_branch = nullptr;
    QComboBox *m_bankCode = nullptr;
    QComboBox *m_branchCode = nullptr;
};

} // namespace sorvane
