#pragma once

// 仕入先情報: the suppliers (S0).

#include "master/PartyRegister.h"

namespace sorvane {

class SupplierRegister : public PartyRegister {
    Q_OBJECT
public:
    SupplierRegister(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);
};

} // namespace sorvane
