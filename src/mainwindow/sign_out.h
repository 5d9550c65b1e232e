#pragma once
#include "mainwindow/main_window_state.h"

namespace vorda::mainwindow {

// Switches automatic sign-in off, opens LoginWindow and destroys MainWindow.
void signOut(MainWindow& w);

}  // namespace vorda::mainwindow
