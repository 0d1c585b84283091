#pragma once

// 手形検索: finds receivable or payable bills by number or number pattern,
// due-date side, party, storage place, drawer and endorser, and opens the
// result window of the kind over itself.

#include "ui/WindowKit.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace sorvane {

class AppContext;
class UiService;

namespace book {
struct PartyTable;
}

class BillSearchWindow : public QDialog {
    Q_OBJECT
public:
    BillSearchWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Every control back to its start: receivable, not yet due, fields empty.
    void ClearForm();
    // Fills the item lists of the five combo boxes; what is typed stays.
    void SetComboBox();

private:
    bool receivable() const;
    void onKindSwitch();
    // Shows the name of the code; false when the code is typed but not registered.
    bool checkCode(QComboBox *code, QLabel *name, const book::PartyTable &table);
    void onCodeLeft(QComboBox *code, QLabel *name, const book::PartyTable &table);
    void onSearch();
    void fillDrawers();

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;

    QRadioButton *m_receivable = nullptr; // Option1
    QRadioButton *m_payable = nullptr;    // Option2
    QRadioButton *m_notYetDue = nullptr;  // Option3
    QRadioButton *m_pastDue = nullptr;    // Option4
    QRadioButton *m_both = nullptr;       // Option5
    QLineEdit *m_number = nullptr;
    QComboBox *m_tcode = nullptr;
    QComboBox *m_scode = nullptr;
    QComboBox *m_place = nullptr;
    QComboBox *m_drawer = nullptr;
    QComboBox *m_endorser = nullptr;
    QLabel *m_tname = nullptr;
    QLabel *m_sname = nullptr;
    QLabel *m_tcodeLabel = nullptr; // Label3
    QLabel *m_scodeLabel = nullptr; // Label4
    QLabel *m_placeLabel = nullptr; // Label5
};

} // namespace sorvane
