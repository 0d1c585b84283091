#pragma once

// 取立日数設定: the days after its due date on which a collected received
// bill reaches the account and is settled (0 to 10), and the account it
// reaches unless a bill names its own, kept in the settings.

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace sorvane {

class AppContext;
class UiService;

class CollectionDaysWindow : public QDialog {
    Q_OBJECT
public:
    CollectionDaysWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Stores the typed days and the chosen account together; false (after a
    // message) when the days are not 0 to 10.
    bool 登録();

private:
    AppContext &m_ctx;
    UiService &m_ui;
    QLineEdit *m_days = nullptr;
    QComboBox *m_account = nullptr;
};

} // namespace sorvane
