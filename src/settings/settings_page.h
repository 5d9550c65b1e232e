#pragma once
// The settings page: login password, custom column titles, home library.
#include "mainwindow/main_window_state.h"

namespace vorda::settings {

using mainwindow::MainWindow;

void fillColumnTitleBoxes(MainWindow& w);
void changeLoginPassword(MainWindow& w);
void saveColumnTitles(MainWindow& w);
void toggleHomeLibrary(MainWindow& w);

void bindSettingsEvents(MainWindow& w);

}  // namespace vorda::settings
