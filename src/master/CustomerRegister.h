#pragma once

// 得意先情報: the customers (T0), and the door to their bill templates.

#include "master/PartyRegister.h"

namespace sorvane {

class CustomerRegister : public PartyRegister {
    Q_OBJECT
public:
    CustomerRegister(AppContext &ctx, UiService &ui, QWidget *parent = nullptr);

    using PartyRegister::List1Requery;

private:
    void openTemplates();
};

} // namespace sorvane
