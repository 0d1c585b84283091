#pragma once

// 受取結果表示 (caption 検索結果表示): the received bills the last search
// found, as the search copied them. Nothing here writes: only the endorsers
// are read live, and the endorsement dialog opens for viewing.

#include "book/Receivables.h"
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

class ReceivableResultWindow : public QDialog {
    Q_OBJECT
public:
    ReceivableResultWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, QWidget *parent = nullptr);

    // Empties the fields; the list and its selected line stay.
    void ClearForm();
    // Shows the selected bill's current endorsers in the endorsement dialog.
    void ShowEndorsements();

    bool EndorsementEdited = false;

private:
    void load();
    void onLinePicked(int row);

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;
    ui::PagedRows<book::ReceivableRow> m_rows;

    ui::LineList *m_list = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_number = nullptr;
    QLineEdit *m_code = nullptr;
    QLabel *m_name = nullptr;
    QLineEdit *m_drawer = nullptr;
    QLineEdit *m_prefecture = nullptr;
    QLineEdit *m_town = nullptr;
    QLineEdit *m_bank = nullptr;
    QLineEdit *m_branch = nullptr;
    QLineEdit *m_issue = nullptr;
    QLineEdit *m_due = nullptr;
    QLineEdit *m_amount = nullptr;
    QListWidget *m_endorsers = nullptr;
    QLineEdit *m_storage = nullptr;
    QCheckBox *m_caution = nullptr;
};

} // namespace sorvane
