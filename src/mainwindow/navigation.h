#pragma once
#include "mainwindow/main_window_state.h"

namespace vorda::mainwindow {

extern const ui::Color kActiveLinkColor;
extern const ui::Color kInactiveLinkColor;

// The indicator bar, link colours and page for page 0, 1 or 2 (the links).
void showLibraryPage(MainWindow& w, int page);
// Page 3: indicator hidden, every link inactive.
void showSettingsPage(MainWindow& w);

}  // namespace vorda::mainwindow
