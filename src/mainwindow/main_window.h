#pragma once
#include "ui/ui.h"

namespace vorda::mainwindow {

// Opens MainWindow, without owner, and runs its creation sequence.
void openMainWindow(ui::Backend& b);

}  // namespace vorda::mainwindow
