#pragma once
// Turns the controller's state into one frame's display list.
#include "view/controller.h"
#include "view/display_list.h"

namespace stilaro::view {

void paint(const Controller& controller, DisplayList& out);

}  // namespace stilaro::view
