#include "master/SupplierRegister.h"

namespace sorvane {

namespace {

PartyRegister::Setup supplierSetup()
{
    return {QStringLiteral("仕入先情報"),
            QStringLiteral("登録済みの仕入先"),
            QStringLiteral("仕入先コード"),
            QStringLiteral("仕入先名"),
            QStringLiteral("仕入先"),
            true,
            false,
            &book::supplierTable()};
}

} // namespace

SupplierRegister::SupplierRegister(AppContext &ctx, UiService &ui, QWidget *parent)
    : PartyRegister(ctx, ui, supplierSetup(), parent)
{
    ClearForm();
}

} // namespace sorvane
