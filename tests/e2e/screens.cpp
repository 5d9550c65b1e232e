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

namespace vorda::e2e {

HWND controlIn(HWND top, HWND parent, const std::wstring& cls, Box where) {
    for (HWND h : controls(parent, cls))
        if (boxOf(top, h) == where) return h;
    return nullptr;
}

std::optional<LibraryPage> libraryPage(HWND main, bool custom) {
    using namespace main_form;
    LibraryPage p;
    p.list = control(main, L"SysListView32", custom ? kCustomList : kPasswordList);
    if (!p.list) return std::nullopt;
    p.page = GetParent(p.list);
    for (int i = 0; i < 5; ++i)
        if (!(p.edits[i] = controlIn(main, p.page, L"Edit", kEdits[i]))) return std::nullopt;
    p.addOrUpdate = controlIn(main, p.page, L"Button", kAddOrUpdate);
    p.remove = controlIn(main, p.page, L"Button", kDelete);
    p.searchBox = controlIn(main, p.page, L"Edit", kSearchBox);
    p.searchButton = controlIn(main, p.page, L"Button", kSearchButton);
    if (!p.addOrUpdate || !p.remove || !p.searchBox || !p.searchButton) return std::nullopt;
    return p;
}

POINT rowPoint(const App& app, HWND list, int row) {
    const RECT r = rowRect(app, list, row);
    return {r.left + 20, (r.top + r.bottom) / 2};
}

void clickRow(const App& app, HWND list, int row, WPARAM keys) {
    const POINT p = rowPoint(app, list, row);
    postMouse(list, WM_LBUTTONDOWN, p.x, p.y, MK_LBUTTON | keys);
    postMouse(list, WM_LBUTTONUP, p.x, p.y, keys);
    settle(list);
}

std::optional<std::wstring> clipboardText() {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> result;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            result = std::wstring(p);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return result;
}

}  // namespace vorda::e2e

namespace vorda::e2e {

HWND registerAndOpenMain(const App& app, const std::wstring& user, const std::wstring& password, bool autoLogin) {
    auto login = waitLogin(app);
    if (!login || !waitFor([&] { return text(login->button) == kRegister; })) return nullptr;
    submit(*login, user, password, autoLogin);
    return app.waitWindow(kMainTitle);
}

HWND signIn(const App& app, const std::wstring& user, const std::wstring& password) {
    auto login = waitLogin(app);
    if (!login || !waitFor([&] { return text(login->button) == kSignIn; })) return nullptr;
    submit(*login, user, password, false);
    return app.waitWindow(kMainTitle);
}

bool expectBox(const App& app, const std::wstring& wanted, int id, std::wstring* seen) {
    auto box = app.waitMessageBox();
    if (!box) return false;
    if (seen) *seen = box->text;
    if (box->text != wanted) return false;
    answer(*box, id);
    return waitFor([&] { return !IsWindow(box->hwnd); });
}

}  // namespace vorda::e2e
