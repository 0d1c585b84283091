#pragma once

// 取立日数設定: the days after its due date on which a collected received
// bill reaches the account and is settled (0 to 10), kept in the settings.

#include <QDialog>

class QLineEdit;

namespace sorvane {

class AppContext;
class UiService;

class CollectionDaysWindow : public QDialog {
    Q_OBJECT
public:
    CollectionDaysWindow(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    // Stores the typed days; false (after a message) when they are not 0 to 10.
    bool 登録();

private:
    AppContext &m_ctx;
    UiService &m_ui;
    QLineEdit *m_days = nullptr;
};

} // namespace sorvane
