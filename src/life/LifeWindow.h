#pragma once

// What every window of a bill's life has: the shared state, the message
// seam, the kit (for the history window), its lists of bills with their
// rows kept beside them, and one way to show a failure.

#include "book/BillLife.h"
#include "ui/WindowKit.h"

#include <QDialog>

#include <exception>

class QPushButton;

namespace sorvane {

class AppContext;
class UiService;
namespace ui {
class RowTable;
}

class LifeWindow : public QDialog {
    Q_OBJECT
public:
    LifeWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, const QString &name, QWidget *parent);

protected:
    // A list named `name` with the headings; amounts and counts right-aligned;
    // the `stretch` column takes the room left over.
    ui::RowTable *makeList(const QString &name, const QStringList &headers, const QList<int> &rightAligned,
                           int stretch);
    // Names the controls, sets the keys, and gives the lists room.
    void finish();
    // "履　歴": the history of the bill selected in the list (of every bill when none is).
    QPushButton *historyButton(ui::RowTable *list);
    void fail(const std::exception &e);
    QDate today() const;

    AppContext &m_ctx;
    UiService &m_ui;
    WindowKit m_kit;
};

} // namespace sorvane
