#pragma once

// Menu items carry their control name ("MH1", "M10受取手形") as accessible
// description, as every other control does, so outside tools can find them
// by name. Qt describes a menu item by its caption only; this installs an
// accessible face for named menu items that adds the description.
//
// Two more faces make a tool's actions do what a clerk's do: a check box or
// option button toggled through the accessibility layer is clicked, so the
// window reacts as to the mouse; and a combo box takes the focus when a tool
// asks for it, as the fields do, so what the tool types lands in it.

namespace sorvane::ui {

// Installs the accessible faces once for the whole program; later calls do nothing.
void installMenuAccessibility();

} // namespace sorvane::ui
