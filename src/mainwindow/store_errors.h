#pragma once
// Messages for store files that cannot be opened or written, naming the file.
#include <string>

#include "ui/ui.h"

namespace vorda::mainwindow {

void showCannotOpenStore(ui::Backend& b, const std::string& fileName);
void showCannotSaveStore(ui::Backend& b, const std::string& fileName);

}  // namespace vorda::mainwindow
