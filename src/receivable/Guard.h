#pragma once

// The error trap of the receivable windows' handlers: an exception never
// leaves a handler into Qt's event loop; its text is shown instead.

#include "data/Engine.h"
#include "data/MessageService.h"

#include <exception>

namespace sorvane {

template <typename Action> void guard(MessageService &messages, Action &&action)
{
    try {
        action();
    } catch (const std::exception &e) {
        messages.information(errorText(e));
    }
}

} // namespace sorvane
