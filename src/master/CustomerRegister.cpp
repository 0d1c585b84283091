#include "master/CustomerRegister.h"

#include "book/AppContext.h"
#include "data/Formats.h"
#include "master/TemplateWindow.h"
#include "ui/UiService.h"
#include "ui/QuietSteps.h"

#include <QLineEdit>
#include <QPushButton>

namespace sorvane {

namespace {

PartyRegister::Setup customerSetup()
{
    return {QStringLiteral("得意先情報"),
            QStringLiteral("登録済みの得意先"),
            QStringLiteral("得意先コード"),
            QStringLiteral("得意先名"),
            QStringLiteral("得意先"),
            false,
            true,
            &book::customerTable()};
}

} // namespace

CustomerRegister::CustomerRegister(AppContext &ctx, UiService &ui, QWidget *parent)
    : PartyRegister(ctx, ui, customerSetup(), parent)
{
    connect(m_templateButton, &QPushButton::clicked, this, &CustomerRegister::openTemplates);
    ClearForm();
}

void CustomerRegister::openTemplates()
{
    if (fmt::normalizeCode(m_code->text()).isEmpty())
        return;
    // The customer is saved first, so its templates always have a customer to belong to.
    if (!登録())
        return;
    List1Requery();

    TemplateWindow window(m_ctx, m_ui, this);
    std::optional<qint64> id;
    // The template window still opens; without a customer it saves nothing.
    ui::quietly(m_ui, [&] { id = book::customerId(m_ctx.db(), fmt::normalizeCode(m_code->text())); });
    window.showCustomer(id.value_or(0), m_name->text());
    m_ui.runModal(&window);
}

} // namespace sorvane
