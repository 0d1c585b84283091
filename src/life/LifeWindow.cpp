#include "life/LifeWindow.h"

#include "book/AppContext.h"
#include "life/LifeForms.h"
#include "ui/RowTable.h"
#include "ui/UiService.h"
#include "ui/Widgets.h"

#include <QPushButton>

namespace sorvane {

LifeWindow::LifeWindow(AppContext &ctx, UiService &ui, const WindowKit &kit, const QString &name, QWidget *parent)
    : QDialog(parent), m_ctx(ctx), m_ui(ui), m_kit(kit)
{
    setObjectName(name);
    setWindowTitle(name);
    setFont(ui::gothicFont());
}

ui::RowTable *LifeWindow::makeList(const QString &name, const QStringList &headers, const QList<int> &rightAligned,
                                   int stretch)
{
    auto *list = ui::named<ui::RowTable>(this, name);
    list->setColumns(headers, rightAligned, stretch);
    list->setMinimumSize(760, 200);
    return list;
}

QPushButton *LifeWindow::historyButton(ui::RowTable *list)
{
    auto *b = ui::button(this, QStringLiteral("履歴ボタン"), QStringLiteral("履　歴"));
    connect(b, &QPushButton::clicked, this, [this, list] { openHistory(m_kit, m_ui, this, list->selectedKey()); });
    return b;
}

void LifeWindow::finish()
{
    ui::finishWindow(this);
    const QSize hint = sizeHint();
    resize(std::max(hint.width(), 820), std::max(hint.height(), 560));
}

void LifeWindow::fail(const std::exception &e)
{
    m_ui.information(errorText(e));
}

QDate LifeWindow::today() const
{
    return m_ctx.clock.today();
}

} // namespace sorvane
