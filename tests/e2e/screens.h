#pragma once
// The program's windows as the tests find them: by title, and their controls
// by class and by the place the form gives them.
#include <optional>
#include <string>

#include "driver.h"

namespace vorda::e2e {

inline const std::wstring kLoginTitle = L"Vorda登陆";
inline const std::wstring kMainTitle = L"Vorda";
inline const std::wstring kRegister = L"注册";
inline const std::wstring kSignIn = L"登录";

struct LoginScreen {
    HWND window = nullptr;
    HWND userName = nullptr;   // 编辑框1
    HWND password = nullptr;   // 编辑框2
    HWND autoLogin = nullptr;  // 选择框1
    HWND button = nullptr;     // 初始登录
};

// Waits for LoginWindow; nullopt when it or one of its controls is missing.
std::optional<LoginScreen> waitLogin(const App& app);

// Types both boxes, sets the check box as asked and clicks the button.
void submit(const LoginScreen& login, const std::wstring& user, const std::wstring& password, bool autoLogin);

}  // namespace vorda::e2e
