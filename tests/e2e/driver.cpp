#include "driver.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vorda::e2e {

std::wstring windowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    // Wine hands Unix paths to us as they were given on its command line.
    using ToDos = wchar_t*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return path;
    wchar_t* dos = toDos(utf8(path).c_str());
    if (!dos) return path;
    std::wstring out = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return out;
}

namespace {

void removeTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring p = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(p);
            } else {
                SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(p.c_str());
            }
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(dir.c_str());
}

std::wstring freshDirectory() {
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = std::wstring(temp) + L"vorda-e2e";
    CreateDirectoryW(base.c_str(), nullptr);
    for (;;) {
        std::wstring dir = base + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return dir;
    }
}

struct EnumState {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTop(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<EnumState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == s->pid && IsWindowVisible(h)) s->found.push_back(h);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

// --- PNG without compression: stored deflate blocks -----------------------

std::uint32_t crc32(const unsigned char* p, std::size_t n, std::uint32_t crc = 0) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void put32(std::string& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
}

void chunk(std::string& out, const char* type, const std::string& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put32(out, crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

std::string encodePng(int w, int h, const std::uint32_t* bgrx) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = bgrx[y * w + x];
            raw.push_back(static_cast<char>((p >> 16) & 0xFF));
            raw.push_back(static_cast<char>((p >> 8) & 0xFF));
            raw.push_back(static_cast<char>(p & 0xFF));
        }
    }
    std::string z = "\x78\x01";
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + n >= raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<char>(n & 0xFF));
        z.push_back(static_cast<char>(n >> 8));
        z.push_back(static_cast<char>(~n & 0xFF));
        z.push_back(static_cast<char>((~n >> 8) & 0xFF));
        z.append(raw, at, n);
        at += n;
        if (last) break;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    put32(ihdr, static_cast<std::uint32_t>(w));
    put32(ihdr, static_cast<std::uint32_t>(h));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", ihdr);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", "");
    return png;
}

// Memory in the program's process for messages that carry pointers.
class Remote {
public:
    Remote(HANDLE process, std::size_t bytes)
        : process_(process), p_(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE)) {}
    ~Remote() {
        if (p_) VirtualFreeEx(process_, p_, 0, MEM_RELEASE);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    char* at(std::size_t offset) const { return static_cast<char*>(p_) + offset; }
    bool write(std::size_t offset, const void* data, std::size_t n) const {
        return p_ && WriteProcessMemory(process_, at(offset), data, n, nullptr);
    }
    bool read(std::size_t offset, void* data, std::size_t n) const {
        return p_ && ReadProcessMemory(process_, at(offset), data, n, nullptr);
    }

private:
    HANDLE process_;
    void* p_;
};

LRESULT sendTimeout(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, kTimeout, &result)) return 0;
    return static_cast<LRESULT>(result);
}

}  // namespace

Settings& settings() {
    static Settings s;
    return s;
}

void parseArguments(int& argc, wchar_t** argv) {
    const std::pair<const wchar_t*, std::wstring Settings::*> options[] = {
        {L"--vorda-exe=", &Settings::vordaExe},
        {L"--probe-exe=", &Settings::probeExe},
        {L"--screenshot-dir=", &Settings::screenshotDir},
    };
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        bool ours = false;
        for (const auto& [prefix, field] : options) {
            const std::wstring p = prefix;
            if (arg.compare(0, p.size(), p) == 0) {
                settings().*field = windowsPath(arg.substr(p.size()));
                ours = true;
            }
        }
        if (!ours) argv[out++] = argv[i];
    }
    argc = out;
}

bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (cond()) return true;
        if (GetTickCount64() >= deadline) return cond();
        Sleep(pollMs);
    }
}

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// --- App -------------------------------------------------------------------

App::App(const std::wstring& exe) : dir_(freshDirectory()) {
    const std::size_t slash = exe.find_last_of(L"\\/");
    exeName_ = slash == std::wstring::npos ? exe : exe.substr(slash + 1);
    CopyFileW(exe.c_str(), path(exeName_).c_str(), FALSE);
}

App::~App() {
    kill();
    if (!keep_) removeTree(dir_);
}

void App::start() {
    kill();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    const std::wstring exe = path(exeName_);
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si,
                        &pi_))
        pi_ = {};
    else
        WaitForInputIdle(pi_.hProcess, kTimeout);
}

void App::kill() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, kTimeout);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
    pi_ = {};
}

bool App::running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool App::waitExit(DWORD timeoutMs) {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool App::fileExists(const std::wstring& file) const {
    return GetFileAttributesW(path(file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<HWND> App::windows() const {
    EnumState s{pi_.dwProcessId, {}};
    if (pi_.hProcess) EnumWindows(collectTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND App::window(const std::wstring& title) const {
    for (HWND h : windows())
        if (className(h) != L"#32770" && text(h) == title) return h;
    return nullptr;
}

HWND App::waitWindow(const std::wstring& title, DWORD timeoutMs) const {
    HWND found = nullptr;
    waitFor([&] { return (found = window(title)) != nullptr; }, timeoutMs);
    return found;
}

bool App::waitNoWindow(const std::wstring& title, DWORD timeoutMs) const {
    return waitFor([&] { return window(title) == nullptr; }, timeoutMs);
}

std::optional<MessageBoxSeen> App::messageBox() const {
    for (HWND h : windows())
        if (className(h) == L"#32770") {
            HWND label = GetDlgItem(h, 0xFFFF);
            return MessageBoxSeen{h, text(h), label ? text(label) : std::wstring()};
        }
    return std::nullopt;
}

std::optional<MessageBoxSeen> App::waitMessageBox(DWORD timeoutMs) const {
    std::optional<MessageBoxSeen> box;
    waitFor([&] { return (box = messageBox()).has_value(); }, timeoutMs);
    return box;
}

// --- controls --------------------------------------------------------------

std::wstring className(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

Box boxOf(HWND top, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::vector<HWND> controls(HWND top, const std::wstring& cls) {
    std::vector<HWND> all, out;
    EnumChildWindows(top, collectChild, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all)
        if (_wcsicmp(className(h).c_str(), cls.c_str()) == 0) out.push_back(h);
    return out;
}

HWND control(HWND top, const std::wstring& cls, Box where) {
    for (HWND h : controls(top, cls))
        if (boxOf(top, h) == where) return h;
    return nullptr;
}

HWND controlWithText(HWND top, const std::wstring& cls, const std::wstring& t) {
    for (HWND h : controls(top, cls))
        if (text(h) == t) return h;
    return nullptr;
}

std::wstring text(HWND h) {
    const LRESULT n = sendTimeout(h, WM_GETTEXTLENGTH, 0, 0);
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    const LRESULT got = sendTimeout(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return s;
}

void setText(HWND h, const std::wstring& t) { sendTimeout(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str())); }

bool checked(HWND checkBox) { return sendTimeout(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND focusOf(HWND h) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool settle(HWND h) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, kTimeout, &result) != 0;
}

void click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
    settle(button);
}

void postMouse(HWND h, UINT msg, int x, int y, WPARAM keys) {
    PostMessageW(h, msg, keys, MAKELPARAM(x, y));
}

void postKey(HWND h, UINT vk) {
    PostMessageW(h, WM_KEYDOWN, vk, 1);
    PostMessageW(h, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
}

bool sendMouse(POINT screen, DWORD buttons) {
    const LONGLONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute input is scaled by the screen size and the fraction dropped:
    // round up so that the pointer lands on the very pixel asked for.
    in.mi.dx = static_cast<LONG>((screen.x * 65536 + w - 1) / w);
    in.mi.dy = static_cast<LONG>((screen.y * 65536 + h - 1) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    return SendInput(1, &in, sizeof(in)) == 1;
}

bool cursorAt(POINT screen) {
    POINT now{};
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

POINT onScreen(HWND h, POINT client) {
    ClientToScreen(h, &client);
    return client;
}

void answer(const MessageBoxSeen& box, int id) {
    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box.hwnd, id)));
}

// --- list views ------------------------------------------------------------

int rowCount(HWND list) { return static_cast<int>(sendTimeout(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring cell(const App& app, HWND list, int row, int column) {
    constexpr std::size_t kChars = 4096;
    Remote mem(app.process(), sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = static_cast<int>(kChars);
    item.pszText = reinterpret_cast<wchar_t*>(mem.at(sizeof(LVITEMW)));
    const wchar_t nothing = 0;
    if (!mem.write(0, &item, sizeof(item)) || !mem.write(sizeof(LVITEMW), &nothing, sizeof(nothing))) return {};
    const LRESULT n = sendTimeout(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.at(0)));
    std::wstring out(kChars, L'\0');
    if (!mem.read(sizeof(LVITEMW), out.data(), kChars * sizeof(wchar_t))) return {};
    out.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min<LRESULT>(n, kChars - 1))));
    return out;
}

std::vector<int> selectedRows(HWND list) {
    std::vector<int> out;
    for (int i = -1;;) {
        i = static_cast<int>(sendTimeout(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED));
        if (i < 0 || (!out.empty() && i <= out.back())) break;
        out.push_back(i);
    }
    return out;
}

RECT rowRect(const App& app, HWND list, int row) {
    Remote mem(app.process(), sizeof(RECT));
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    mem.write(0, &r, sizeof(r));
    sendTimeout(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.at(0)));
    mem.read(0, &r, sizeof(r));
    return r;
}

// --- the screen ------------------------------------------------------------

std::vector<std::uint32_t> capture(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<std::uint32_t> out;
    if (w <= 0 || h <= 0) return out;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    if (HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0)) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const std::uint32_t*>(bits);
        out.assign(px, px + static_cast<std::size_t>(w) * h);
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

RECT screenRect() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool paintSettled(HWND top) {
    // The program has handled everything posted to it; its paint follows when
    // its queue runs dry, so wait until the picture holds still for a while.
    if (!settle(top)) return false;
    std::vector<std::uint32_t> last = capture(screenRect());
    int still = 0;
    return waitFor([&] {
        std::vector<std::uint32_t> now = capture(screenRect());
        still = now == last ? still + 1 : 0;
        last = std::move(now);
        return still >= 3;
    });
}

bool screenshot(const std::wstring& pngPath) {
    const RECT all = screenRect();
    const std::vector<std::uint32_t> pixels = capture(all);
    if (pixels.empty()) return false;
    const std::string png = encodePng(all.right, all.bottom, pixels.data());
    HANDLE f = CreateFileW(pngPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) && written == png.size();
    CloseHandle(f);
    return ok;
}

}  // namespace vorda::e2e
