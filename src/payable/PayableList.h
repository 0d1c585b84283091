#pragma once

// 支払手形一覧: every open payable bill, earliest due date first. A picked
// issued bill can be corrected or deleted; a picked handed-on bill can be
// turned back into a received bill in hand.

#include "book/Conflicts.h"
#include "book/Payables.h"
#include "ui/PagedRows.h"
#include "ui/WindowKit.h"

#include <QDialog>
#include <QVector>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace sorvane {

class AppContext;
class UiService;
namespace ui {
class LineList;
}

class PayableListWindow : public QDialog {
    Q_OBJECT
public:
    PayableListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Empties and unlocks the fields; no line stays selected.
    void ClearForm();
    // Reads the list again.
    void List2Requery();

protected:
    // ファイル → 印刷: every bill of the list, as it was read, in the print preview.
    void printList();

private:
    void loadAccounts();
    void onLinePicked(int row);
    void showBill(const book::PayableBill &b);
    void setAccountText(const QString &line);
    void onAccountPicked(int line);
    void refillSupplierCodes();
    void lookUpSupplier();
    void onSave();
    void onDelete();
    bool saveIssued(const book::PayableBill &shown);
    void fail(const std::exception &e);
    // A write refused because the bill left this list: what became of it is
    // told once the list has been read again (tellPending).
    void refused(qint64 id, book::Reach reach);
    void tellPending();
    void reloadAfterConflict(qint64 id, const QString &message);

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;

    ui::PagedRows<book::PayableLine> m_rows;
    std::optional<book::PayableBill> m_shown; // the bill of the picked line
    QVector<int> m_accountSlots;
    QString m_lookedUpCode;
    QString m_pendingNotice;

    ui::LineList *m_list = nullptr;
    QLineEdit *m_date = nullptr;
    QComboBox *m_billNumber = nullptr;
    QComboBox *m_scode = nullptr;
    QLabel *m_sname = nullptr;
    QComboBox *m_account = nullptr;
    QLineEdit *m_accountId = nullptr;
    QLineEdit *m_accountKozano = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_prefecture = nullptr;
    QLineEdit *m_city = nullptr;
    QComboBox *m_bankCode = nullptr;
    QComboBox *m_bank = nullptr;
    QComboBox *m_branchCode = nullptr;
    QComboBox *m_branch = nullptr;
    QLineEdit *m_issueDate = nullptr;
    QLineEdit *m_dueDate = nullptr;
    QLineEdit *m_amount = nullptr;
    QListWidget *m_endorsers = nullptr;
    QCheckBox *m_handOn = nullptr; // Check1
    QCheckBox *m_issue = nullptr;  // Check2
};

} // namespace sorvane
