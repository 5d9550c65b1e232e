#pragma once
// The skinning of single windows, by their class.
#include "engine/engine.h"

namespace vorda::skin {

// Subclasses a window of the calling thread by its class, once. creating: the
// window is being created (its WM_CREATE is still to come).
void skinWindow(HWND hwnd, bool creating);

}  // namespace vorda::skin
