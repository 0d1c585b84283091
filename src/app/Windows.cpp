#include "app/Windows.h"

#include "master/CustomerRegister.h"
#include "master/SupplierRegister.h"
#include "payable/PayableResults.h"

namespace sorvane {

WindowKit makeWindowKit(AppContext &ctx, UiService &ui, EndorsementDialog &endorsements)
{
    WindowKit kit;
    kit.endorsements = &endorsements;
    kit.customerRegister = [&ctx, &ui](QWidget *parent) -> QDialog * { return new CustomerRegister(ctx, ui, parent); };
    kit.supplierRegister = [&ctx, &ui](QWidget *parent) -> QDialog * { return new SupplierRegister(ctx, ui, parent); };
    // The result window gets a kit of its own, made the same way.
    kit.payableResults = [&ctx, &ui, &endorsements](QWidget *parent) -> QDialog * {
        return new PayableResultWindow(ctx, ui, makeWindowKit(ctx, ui, endorsements), parent);
    };
    return kit;
}

} // namespace sorvane
