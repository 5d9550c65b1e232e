#include "signin/program_start.h"

#include "signin/login_window.h"

namespace vorda::signin {

void startProgram(ui::Backend& b) { openLoginWindow(b); }

}  // namespace vorda::signin
