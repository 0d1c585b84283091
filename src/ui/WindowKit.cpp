#include "ui/WindowKit.h"

#include "ui/UiService.h"

#include <QDialog>

namespace sorvane {

void openHistory(const WindowKit &kit, UiService &ui, QWidget *parent, qint64 billId)
{
    if (!kit.history)
        return;
    QDialog *w = kit.history(parent, billId);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    ui.runModal(w);
    delete w;
}

} // namespace sorvane
