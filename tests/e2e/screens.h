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

namespace vorda::e2e {

// MainWindow's places, in its client coordinates. The two library pages put
// their edit boxes at the same places, so page controls are looked up inside
// their page.
namespace main_form {
inline constexpr Box kCustomLink{213, 20, 60, 24};
inline constexpr Box kPasswordLink{295, 20, 60, 24};
inline constexpr Box kIndicatorAtCustom{213, 1, 60, 4};
inline constexpr Box kIndicatorAtPassword{295, 1, 60, 4};
inline constexpr Box kSettingsButton{79, 262, 32, 32};
inline constexpr Box kImportButton{38, 222, 32, 32};
inline constexpr Box kExportButton{118, 222, 32, 32};
inline constexpr Box kSignOut{15, 168, 160, 40};
inline constexpr Box kClose{813, 8, 24, 24};
// Each count stands on the row whose caption names its library.
inline constexpr Box kCustomCount{104, 368, 24, 24};    // on the "自定义库已存 " row
inline constexpr Box kPasswordCount{104, 319, 24, 24};  // on the "密码库已存 " row
inline constexpr Box kCustomList{199, 208, 632, 304};
inline constexpr Box kPasswordList{199, 209, 632, 303};
// Both library pages.
inline constexpr Box kEdits[5] = {
    {269, 71, 152, 24}, {581, 72, 152, 24}, {269, 101, 152, 24}, {581, 100, 152, 24}, {269, 131, 152, 24}};
inline constexpr Box kPasswordCopies[5] = {
    {426, 71, 57, 24}, {735, 71, 57, 24}, {426, 99, 57, 24}, {735, 100, 57, 24}, {426, 130, 57, 24}};
inline constexpr Box kAddOrUpdate{264, 169, 88, 31};
inline constexpr Box kDelete{375, 168, 88, 31};
inline constexpr Box kSearchBox{590, 171, 145, 25};
inline constexpr Box kSearchButton{737, 172, 20, 20};
// Settings page.
inline constexpr Box kOldPassword{296, 85, 184, 24};
inline constexpr Box kNewPassword{295, 117, 185, 24};
inline constexpr Box kChangePassword{487, 96, 57, 32};
}  // namespace main_form

// The descendant of parent with that class at that place of top's client area.
HWND controlIn(HWND top, HWND parent, const std::wstring& cls, Box where);

// One library page of MainWindow.
struct LibraryPage {
    HWND page = nullptr;
    HWND list = nullptr;
    HWND edits[5] = {};
    HWND addOrUpdate = nullptr, remove = nullptr, searchBox = nullptr, searchButton = nullptr;
};
// The password library's page (custom = false) or the custom library's.
std::optional<LibraryPage> libraryPage(HWND main, bool custom);

// Middle of a row's first cell, in list client coordinates.
POINT rowPoint(const App& app, HWND list, int row);
// A posted left click on a row (keys: MK_CONTROL, MK_SHIFT); settles.
void clickRow(const App& app, HWND list, int row, WPARAM keys = 0);

// Plain text of the clipboard; nullopt when it holds none.
std::optional<std::wstring> clipboardText();

}  // namespace vorda::e2e

namespace vorda::e2e {
// Registers an account on a first start; MainWindow or nullptr.
HWND registerAndOpenMain(const App& app, const std::wstring& user, const std::wstring& password, bool autoLogin);
// Signs in from a waiting LoginWindow; MainWindow or nullptr.
HWND signIn(const App& app, const std::wstring& user, const std::wstring& password);
// Answers the next message box with id when its text is text; false when
// another box or none came, or it did not go away.
bool expectBox(const App& app, const std::wstring& text, int id, std::wstring* seen = nullptr);
}  // namespace vorda::e2e
