#pragma once
// The program's start: the caller runs the message loop afterwards. The
// program ends when its last window is gone.
#include "ui/ui.h"

namespace vorda::signin {

void startProgram(ui::Backend& b);

}  // namespace vorda::signin
