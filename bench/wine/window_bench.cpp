// The real window under Wine at scale: the time from clicking "登录" to a drawn
// MainWindow with N entries in each library, and of one add at that size.
//
//   vorda_window_bench --vorda-exe=<vorda.exe> --storetool=<vorda_storetool.exe>
//                      [--entries=1000,10000,100000] [--repetitions=3]
//
// For every N the store files are written by the tool into a fresh directory
// beside a copy of the program, which then starts and waits for the password.
//   login_to_drawn   "登录" clicked -> MainWindow shows both counts and the
//                    screen has stopped changing (the time of its last change)
//   add_question     "新增/更改项" clicked -> the add question shows (the name
//                    compared with every row)
//   add_to_drawn     the question answered -> the new row counted and drawn
//                    (saved, reloaded, redrawn)
// Google Benchmark has no build for MinGW here, so this program times by
// itself and prints the median and the spread of the repetitions.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/screens.h"

namespace {

using namespace vorda::e2e;
using namespace vorda::e2e::main_form;

double nowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// The window's picture, reduced to a cheap fingerprint.
std::uint64_t screenPrint(HWND top) {
    RECT r;
    GetWindowRect(top, &r);
    std::uint64_t print = 1469598103934665603ULL;
    for (const std::uint32_t p : capture(r)) print = (print ^ p) * 1099511628211ULL;
    return print;
}

// Waits until the window's picture holds still; returns when it last changed.
double drawnAt(HWND top) {
    settle(top);
    double changed = nowMs();
    std::uint64_t last = screenPrint(top);
    int still = 0;
    waitFor([&] {
        const std::uint64_t now = screenPrint(top);
        if (now != last) {
            changed = nowMs();
            still = 0;
        } else {
            ++still;
        }
        last = now;
        return still >= 5;
    }, kTimeout, 5);
    return changed;
}

bool runTool(const std::wstring& tool, const std::wstring& dir, int entries) {
    std::wstring commandLine = L"\"" + tool + L"\" big \"" + dir + L"\" " + std::to_wstring(entries);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code == 0;
}

struct Times {
    double loginToDrawn = 0, addQuestion = 0, addToDrawn = 0;
};

bool measure(const std::wstring& tool, int entries, Times& t) {
    App app(settings().vordaExe);
    if (!runTool(tool, app.dir(), entries)) {
        std::fprintf(stderr, "the store tool failed for %d entries\n", entries);
        return false;
    }
    // A pointer resting over the window would bring hover effects and tips
    // into the picture whose settling is timed.
    SetCursorPos(0, 0);
    app.start();
    auto login = waitLogin(app);
    if (!login || !waitFor([&] { return text(login->button) == kSignIn; })) return false;
    const std::wstring n = std::to_wstring(entries);

    const double clicked = nowMs();
    submit(*login, L"bench", L"bench", false);
    HWND main = app.waitWindow(kMainTitle);
    if (!main) return false;
    HWND customCount = control(main, L"VordaLabel", kCustomCount);
    HWND passwordCount = control(main, L"VordaLabel", kPasswordCount);
    if (!customCount || !passwordCount ||
        !waitFor([&] { return text(customCount) == n && text(passwordCount) == n; }, 120000))
        return false;
    t.loginToDrawn = drawnAt(main) - clicked;

    // The home page is the password library.
    auto page = libraryPage(main, false);
    if (!page) return false;
    const std::wstring entry[5] = {L"新的项目", L"https://example.org", L"someone", L"pw", L"备注"};
    for (int i = 0; i < 5; ++i) setText(page->edits[i], entry[i]);
    const double asked = nowMs();
    PostMessageW(page->addOrUpdate, BM_CLICK, 0, 0);
    auto box = app.waitMessageBox(120000);
    if (!box || box->text != L"确认添加新项目吗？") return false;
    t.addQuestion = nowMs() - asked;
    const std::wstring more = std::to_wstring(entries + 1);
    const double answered = nowMs();
    answer(*box, IDOK);
    if (!waitFor([&] { return text(passwordCount) == more && rowCount(page->list) == entries + 1; }, 120000))
        return false;
    t.addToDrawn = drawnAt(main) - answered;
    return true;
}

void report(const char* name, int entries, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-16s/%-7d median %8.1f ms   min %8.1f ms   max %8.1f ms\n", name, entries, ms[ms.size() / 2],
                ms.front(), ms.back());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring tool;
    std::vector<int> sizes = {1000, 10000, 100000};
    int repetitions = 3;
    std::vector<wchar_t*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a.rfind(L"--storetool=", 0) == 0) {
            tool = a.substr(12);
        } else if (a.rfind(L"--entries=", 0) == 0) {
            sizes.clear();
            for (std::size_t at = 10; at < a.size();) {
                std::size_t comma = a.find(L',', at);
                if (comma == std::wstring::npos) comma = a.size();
                sizes.push_back(std::stoi(a.substr(at, comma - at)));
                at = comma + 1;
            }
        } else if (a.rfind(L"--repetitions=", 0) == 0) {
            repetitions = std::max(1, std::stoi(a.substr(14)));
        } else {
            rest.push_back(argv[i]);
        }
    }
    int rc = static_cast<int>(rest.size());
    parseArguments(rc, rest.data());
    if (settings().vordaExe.empty() || tool.empty()) {
        std::fprintf(stderr, "usage: vorda_window_bench --vorda-exe=<vorda.exe> --storetool=<vorda_storetool.exe> "
                             "[--entries=1000,10000,100000] [--repetitions=3]\n");
        return 2;
    }
    tool = windowsPath(tool);

    int failures = 0;
    for (int entries : sizes) {
        std::vector<double> login, question, add;
        for (int r = 0; r < repetitions; ++r) {
            Times t;
            if (!measure(tool, entries, t)) {
                std::fprintf(stderr, "run %d at %d entries did not finish\n", r + 1, entries);
                ++failures;
                continue;
            }
            login.push_back(t.loginToDrawn);
            question.push_back(t.addQuestion);
            add.push_back(t.addToDrawn);
        }
        if (login.empty()) continue;
        report("login_to_drawn", entries, login);
        report("add_question", entries, question);
        report("add_to_drawn", entries, add);
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
