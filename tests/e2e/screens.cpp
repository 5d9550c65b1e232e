#include "screens.h"

namespace vorda::e2e {

std::optional<LoginScreen> waitLogin(const App& app) {
    LoginScreen s;
    s.window = app.waitWindow(kLoginTitle);
    if (!s.window) return std::nullopt;
    s.userName = control(s.window, L"Edit", {88, 48, 208, 32});
    s.password = control(s.window, L"Edit", {88, 96, 208, 32});
    s.autoLogin = control(s.window, L"Button", {136, 136, 72, 22});
    s.button = control(s.window, L"Button", {128, 176, 88, 32});
    if (!s.userName || !s.password || !s.autoLogin || !s.button) return std::nullopt;
    return s;
}

void submit(const LoginScreen& login, const std::wstring& user, const std::wstring& password, bool autoLogin) {
    setText(login.userName, user);
    setText(login.password, password);
    if (checked(login.autoLogin) != autoLogin) click(login.autoLogin);
    click(login.button);
}

}  // namespace vorda::e2e
