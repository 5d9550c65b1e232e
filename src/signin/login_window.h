#pragma once
// LoginWindow: the first window. Its creation makes sure both store files
// exist and offers registration or sign-in, or signs in at once when the
// account is marked for automatic sign-in; a successful registration or
// sign-in hands over to MainWindow.
#include "ui/ui.h"

namespace vorda::signin {

ui::FormSpec loginWindowForm();

struct LoginWindow {
    ui::Window window;
    ui::Label 透明标签1;
    ui::Edit 编辑框1;  // user name
    ui::Label 透明标签2;
    ui::Edit 编辑框2;  // password
    ui::CheckBox 选择框1;  // automatic sign-in
    ui::Button 初始登录;   // "注册" or "登录", set at creation
};

LoginWindow bindLoginWindow(ui::Backend& b, ui::ControlId window);

// Creates LoginWindow, runs its creation steps and shows it, unless creation
// already handed over to MainWindow.
void openLoginWindow(ui::Backend& b);

}  // namespace vorda::signin
