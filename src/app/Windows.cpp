#include "app/Windows.h"

#include "life/HistoryWindow.h"
#include "master/CustomerRegister.h"
#include "master/SupplierRegister.h"
#include "payable/PayableResults.h"
#include "receivable/ReceivableResults.h"

namespace sorvane {

WindowKit makeWindowKit(AppContext &ctx, UiService &ui, EndorsementDialog &endorsements)
{
    WindowKit kit;
    kit.endorsements = &endorsements;
    kit.customerRegister = [&ctx, &ui](QWidget *parent) -> QDialog * { return new CustomerRegister(ctx, ui, parent); };
    kit.supplierRegister = [&ctx, &ui](QWidget *parent) -> QDialog * { return new SupplierRegister(ctx, ui, parent); };
    kit.history = [&ctx, &ui](QWidget *parent, qint64 billId) -> QDialog * {
        return new HistoryWindow(ctx, ui, WindowKit{}, billId, parent);
    };
    // A result window gets a kit of its own: the endorsement dialog and the
    // history of the bill are all it uses.
    kit.receivableResults = [&ctx, &ui, &endorsements, history = kit.history](QWidget *parent) -> QDialog * {
        WindowKit own;
        own.endorsements = &endorsements;
        own.history = history;
        return new ReceivableResultWindow(ctx, ui, own, parent);
    };
    kit.payableResults = [&ctx, &ui, &endorsements, history = kit.history](QWidget *parent) -> QDialog * {
        WindowKit own;
        own.endorsements = &endorsements;
        own.history = history;
        return new PayableResultWindow(ctx, ui, own, parent);
    };
    return kit;
}

} // namespace sorvane
