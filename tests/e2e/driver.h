#pragma once
// Drives a copy of the real program from another process under Wine: starts
// it in a fresh directory, finds its windows by title and controls by class
// and place, types, clicks, answers message boxes, reads texts and list cells,
// and waits on conditions. Nothing here sleeps for a fixed time: every wait
// polls a condition until a generous deadline.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorda::e2e {

struct Settings {
    std::wstring vordaExe;       // --vorda-exe=
    std::wstring probeExe;       // --probe-exe=
    std::wstring screenshotDir;  // --screenshot-dir= (optional)
};
Settings& settings();
// Takes our options out of argv (after GoogleTest has taken its own). Unix
// paths become Windows paths.
void parseArguments(int& argc, wchar_t** argv);
// A Unix path as Wine passes it on, as a Windows path; others unchanged.
std::wstring windowsPath(const std::wstring& path);

// Long enough for a busy machine; a passing run never waits this long.
constexpr DWORD kTimeout = 30000;

// Polls until cond holds; false when the deadline passed first.
bool waitFor(const std::function<bool()>& cond, DWORD timeoutMs = kTimeout, DWORD pollMs = 15);

// A place in the client area of a top-level window.
struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Box& a, const Box& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    }
};

struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::wstring title, text;
};

// One copy of a program in a directory of its own.
class App {
public:
    // Copies exe into a new empty directory; start() runs it from there.
    explicit App(const std::wstring& exe);
    ~App();  // ends the program; removes the directory unless keepDirectory()
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    void start();
    void kill();
    bool running() const;
    bool waitExit(DWORD timeoutMs = kTimeout);  // true when the program ended by itself
    DWORD pid() const { return pi_.dwProcessId; }
    HANDLE process() const { return pi_.hProcess; }

    const std::wstring& dir() const { return dir_; }
    std::wstring path(const std::wstring& file) const { return dir_ + L"\\" + file; }
    bool fileExists(const std::wstring& file) const;
    void keepDirectory() { keep_ = true; }

    // Visible top-level windows of the program.
    std::vector<HWND> windows() const;
    HWND window(const std::wstring& title) const;  // nullptr when none
    HWND waitWindow(const std::wstring& title, DWORD timeoutMs = kTimeout) const;
    bool waitNoWindow(const std::wstring& title, DWORD timeoutMs = kTimeout) const;
    std::optional<MessageBoxSeen> messageBox() const;
    std::optional<MessageBoxSeen> waitMessageBox(DWORD timeoutMs = kTimeout) const;

private:
    std::wstring exeName_, dir_;
    PROCESS_INFORMATION pi_{};
    bool keep_ = false;
};

// --- controls --------------------------------------------------------------

std::wstring className(HWND h);
// A control's place in the client area of its top-level window.
Box boxOf(HWND top, HWND control);
// Every descendant of top with that class, in window order.
std::vector<HWND> controls(HWND top, const std::wstring& cls);
// The descendant of that class at exactly that place; nullptr when none.
HWND control(HWND top, const std::wstring& cls, Box where);
// The descendant of that class whose text is exactly text; nullptr when none.
HWND controlWithText(HWND top, const std::wstring& cls, const std::wstring& text);

std::wstring text(HWND h);
void setText(HWND h, const std::wstring& text);
bool checked(HWND checkBox);
// The control with the keyboard focus in the program that owns h.
HWND focusOf(HWND h);
// Waits until the window's thread has handled everything sent to it so far.
bool settle(HWND h);
// A click as BM_CLICK does it, posted so that a modal box it opens does not
// block us; then settles.
void click(HWND button);
// Mouse messages posted in client coordinates of h (keys: MK_* flags).
void postMouse(HWND h, UINT msg, int x, int y, WPARAM keys);
void postKey(HWND h, UINT vk);  // WM_KEYDOWN then WM_KEYUP

// Real mouse input through SendInput: under Wine the X pointer moves and the
// program gets hardware messages, in order, as from a hand on the mouse.
// Moves the pointer to a screen point, pressing or releasing buttons there.
bool sendMouse(POINT screen, DWORD buttons = 0);
bool cursorAt(POINT screen);
POINT onScreen(HWND h, POINT client);

// Answers a message box with IDOK or IDCANCEL.
void answer(const MessageBoxSeen& box, int id);

// --- list views ------------------------------------------------------------

int rowCount(HWND list);
std::wstring cell(const App& app, HWND list, int row, int column);
std::vector<int> selectedRows(HWND list);
// Client rectangle of a row (LVIR_BOUNDS).
RECT rowRect(const App& app, HWND list, int row);

// --- the screen ------------------------------------------------------------

// The pixels of a screen rectangle, top row first (empty when it is empty).
std::vector<std::uint32_t> capture(const RECT& screen);
RECT screenRect();
// Settles `top`, then waits until the screen holds still: its paint is done.
bool paintSettled(HWND top);
// Writes the whole screen as a PNG file.
bool screenshot(const std::wstring& pngPath);

std::string utf8(const std::wstring& w);

}  // namespace vorda::e2e
