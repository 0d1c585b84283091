#include "app/Windows.h"

#include "master/CustomerRegister.h"
#include "master/SupplierRegister.h"

namespace sorvane {

WindowKit makeWindowKit(AppContext &ctx, UiService &ui, EndorsementDialog &endorsements)
{
    WindowKit kit;
    kit.endorsements = &endorsements;
    kit.customerRegister = [&ctx, &ui](QWidget *parent) -> QDialog * { return new CustomerRegister(ctx, ui, parent); };
    kit.supplierRegister = [&ctx, &ui](QWidget *parent) -> QDialog * { return new SupplierRegister(ctx, ui, parent); };
    return kit;
}

} // namespace sorvane
