#pragma once
#include <set>
#include <string>

#include "mainwindow/main_window_state.h"

namespace vorda::mainwindow {

// Steps 1 to 10 of MainWindow's creation: column titles and captions from the
// header records, balloon tips, page headers hidden, the home library page, the
// user name. Gives the store files that would not open; the user has been told.
std::set<std::string> showHeaderRecords(MainWindow& w);

// True for the custom library: a home flag whose leading number is 0.
bool homeIsCustomLibrary(const std::string& flag);

}  // namespace vorda::mainwindow
