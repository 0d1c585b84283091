#pragma once

// 受取手形一覧: the received bills still to handle, by due date. A picked
// line loads the bill into the fields, where it is corrected and saved over
// the same row, or deleted.

#include "book/Receivables.h"
#include "ui/PagedRows.h"
#include "ui/WindowKit.h"

#include <QDialog>

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
class TownList;
} // namespace ui

class ReceivableListWindow : public QDialog {
    Q_OBJECT
public:
    ReceivableListWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Empties the fields; the list and its selected line stay.
    void ClearForm();
    // Saves the fields over the bill of the selected line; true when stored.
    bool SaveReceivableBill();
    // Deletes the bill of the selected line after the confirmation.
    bool DeleteReceivableBill();
    // Loads the endorsement dialog with the selected bill's endorsers and shows it.
    void ShowEndorsements();

    // True once the endorsement dialog holds this bill's endorsers.
    bool EndorsementEdited = false;

    // ファイル → 印刷: every bill of the list, as it was read, in the print preview.
    void printList();

private:
    void load();
    void fillList(book::ListLayout layout);
    void onLinePicked(int row);
    void reloadAfterConflict(qint64 id, const QString &message);
    void dropAfterRefusal(const QString &message);
    void showBill(const book::ReceivableBill &b);
    void lookUpCustomer();
    book::TypedBill typedBill() const;

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;
    ui::PagedRows<book::ReceivableRow> m_rows;
    QString m_lookedUpCode; // the code TNAME belongs to
    qint64 m_loadedId = 0;  // the bill in the fields and the row version it was read with
    std::optional<qint64> m_loadedVersion;

    ui::LineList *m_list = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_number = nullptr;
    QComboBox *m_code = nullptr;
    QLabel *m_name = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_placeOfIssue = nullptr;
    QComboBox *m_prefecture = nullptr;
    QComboBox *m_town = nullptr;
    QComboBox *m_bank = nullptr;
    QComboBox *m_bankCode = nullptr;
    QComboBox *m_branch = nullptr;
    QComboBox *m_branchCode = nullptr;
    QLineEdit *m_issue = nullptr;
    QLineEdit *m_due = nullptr;
    QLineEdit *m_amount = nullptr;
    QListWidget *m_endorsers = nullptr;
    QComboBox *m_storage = nullptr;
    QCheckBox *m_caution = nullptr;
    ui::TownList *m_towns = nullptr;
};

} // namespace sorvane
