#pragma once
// Helpers shared by the Win32 backend's source files.
#include <windows.h>

#include <string>
#include <string_view>

#include "text/gbk.h"
#include "ui/ui.h"

namespace vorda::ui::win32 {

inline std::wstring wide(std::string_view gbk) {
    const std::u16string u = text::utf16FromGbk(gbk);
    return std::wstring(u.begin(), u.end());
}

inline std::string narrow(std::wstring_view w) {
    return text::gbkFromUtf16(std::u16string(w.begin(), w.end()));
}

inline COLORREF colorRef(Color c) { return RGB(c.r, c.g, c.b); }

inline std::wstring windowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    if (n <= 0) return {};
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return s;
}

// Messages the backend posts to itself.
enum : UINT {
    kMsgFlushDestroyed = WM_APP + 1,
    kMsgListClick = WM_APP + 2,       // wParam: list id, lParam: client point
    kMsgListRightClick = WM_APP + 3,  // wParam: list id
};

enum : UINT_PTR { kNoticeTimer = 1 };

// The row pitch list views are given, so that a row is as tall as the
// program's drag estimate assumes.
constexpr int kRowPitch = 19;

constexpr wchar_t kWindowClass[] = L"VordaWindow";
constexpr wchar_t kSurfaceClass[] = L"VordaSurface";
constexpr wchar_t kLabelClass[] = L"VordaLabel";
constexpr wchar_t kMessageClass[] = L"VordaMessages";

}  // namespace vorda::ui::win32
