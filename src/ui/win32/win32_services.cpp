// Message boxes, file dialogs, the clipboard and the self-closing notice.
#include "ui/win32/win32_backend.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "ui/win32/win32_internal.h"

namespace vorda::ui {

using namespace win32;

namespace {

HGLOBAL globalCopy(const void* data, std::size_t bytes) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!g) return nullptr;
    if (void* p = GlobalLock(g)) {
        std::memcpy(p, data, bytes);
        GlobalUnlock(g);
    }
    return g;
}

void putClipboard(UINT format, const void* data, std::size_t bytes) {
    HGLOBAL g = globalCopy(data, bytes);
    if (g && !SetClipboardData(format, g)) GlobalFree(g);
}

// "desc|pattern|desc|pattern" as the dialog wants it: pairs of zero-ended
// strings and one more zero at the end.
std::wstring dialogFilter(const std::string& filter) {
    std::wstring out = wide(filter);
    if (out.empty()) return out;
    for (wchar_t& c : out)
        if (c == L'|') c = L'\0';
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

struct NoticeSearch {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK findNotice(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<NoticeSearch*>(lp);
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && windowText(h) == s->title) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void Win32Backend::closeNotice() {
    KillTimer(messageWindow_, kNoticeTimer);
    if (!noticeTitle_) return;
    NoticeSearch search{*noticeTitle_};
    EnumThreadWindows(GetCurrentThreadId(), findNotice, reinterpret_cast<LPARAM>(&search));
    if (search.found) PostMessageW(search.found, WM_COMMAND, IDOK, 0);
}

int Win32Backend::messageBox(const std::string& text, const std::string& title, int type) {
    const std::wstring t = wide(text), c = wide(title);
    const int r = MessageBoxW(nullptr, t.c_str(), c.c_str(), static_cast<UINT>(type) | MB_TASKMODAL);
    return r == IDOK ? kIdOk : kIdCancel;
}

std::optional<std::string> Win32Backend::chooseFile(const FileDialogRequest& request) {
    const std::wstring filter = dialogFilter(request.filter);
    const std::wstring dir = wide(request.initialDirectory);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring preset = wide(request.fileName);
    lstrcpynW(file.data(), preset.c_str(), static_cast<int>(file.size()));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    // Nothing that asks before overwriting or insists the file exists.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const BOOL ok = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!ok) return std::nullopt;
    return narrow(file.data());
}

bool Win32Backend::setClipboardText(const std::string& text) {
    if (!OpenClipboard(messageWindow_)) return false;
    EmptyClipboard();
    const std::wstring w = wide(text);
    putClipboard(CF_UNICODETEXT, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    putClipboard(CF_TEXT, text.c_str(), text.size() + 1);
    // Keep copied passwords out of clipboard history and the cloud clipboard.
    const DWORD no = 0;
    putClipboard(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), &no, sizeof(no));
    putClipboard(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), &no, sizeof(no));
    putClipboard(RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), &no, sizeof(no));
    CloseClipboard();
    return true;
}

void Win32Backend::timedNotice(const std::string& text, const std::string& title, int milliseconds) {
    using TimeoutA = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT, WORD, DWORD);
    using TimeoutW = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT, WORD, DWORD);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto boxA = reinterpret_cast<TimeoutA>(reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxTimeoutA")));
    auto boxW = reinterpret_cast<TimeoutW>(reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxTimeoutW")));
    const std::wstring wtext = wide(text), wtitle = wide(title);
    const DWORD ms = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;

    // Wine ignores the timeout: a timer of ours closes the notice as well.
    // The box exists by the time its message loop dispatches the timer.
    struct Watch {
        Win32Backend& b;
        ~Watch() {
            KillTimer(b.messageWindow_, kNoticeTimer);
            b.noticeTitle_.reset();
        }
    } watch{*this};
    noticeTitle_ = wtitle;
    SetTimer(messageWindow_, kNoticeTimer, ms, nullptr);

    if (boxA && GetACP() == 936)
        boxA(nullptr, text.c_str(), title.c_str(), MB_OK, 0, ms);
    else if (boxW)
        boxW(nullptr, wtext.c_str(), wtitle.c_str(), MB_OK, 0, ms);
    else
        MessageBoxW(nullptr, wtext.c_str(), wtitle.c_str(), MB_OK);
}

}  // namespace vorda::ui
