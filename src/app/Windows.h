#pragma once

// The windows one area opens from another, made here on the top floor.

#include "ui/WindowKit.h"

namespace sorvane {

class AppContext;
class UiService;

// The kit every window of the program gets: the given endorsement dialog and
// a factory for each window an area opens from another.
WindowKit makeWindowKit(AppContext &ctx, UiService &ui, EndorsementDialog &endorsements);

} // namespace sorvane
