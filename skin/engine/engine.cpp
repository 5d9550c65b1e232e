// The DLL's entry: takes a skin, makes it the theme in force, skins the calling
// thread's windows and hooks the creation of its later ones.
#include "engine/engine.h"

#include "engine/controls.h"

namespace vorda::skin {
namespace {

Theme* g_theme = nullptr;
CRITICAL_SECTION g_lock;

// One creation hook per thread that attached a skin.
struct ThreadHook {
    DWORD thread;
    HHOOK hook;
};
constexpr int kMaxThreads = 32;
ThreadHook g_hooks[kMaxThreads];

LRESULT CALLBACK creationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_theme) skinWindow(reinterpret_cast<HWND>(wParam), true);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void hookThisThread() {
    const DWORD thread = GetCurrentThreadId();
    EnterCriticalSection(&g_lock);
    int free = -1;
    bool hooked = false;
    for (int i = 0; i < kMaxThreads; ++i) {
        if (g_hooks[i].hook && g_hooks[i].thread == thread) hooked = true;
        if (!g_hooks[i].hook && free < 0) free = i;
    }
    if (!hooked && free >= 0) {
        HHOOK h = SetWindowsHookExW(WH_CBT, creationHook, nullptr, thread);
        if (h) g_hooks[free] = ThreadHook{thread, h};
    }
    LeaveCriticalSection(&g_lock);
}

void unhookThisThread() {
    const DWORD thread = GetCurrentThreadId();
    EnterCriticalSection(&g_lock);
    for (ThreadHook& h : g_hooks) {
        if (h.hook && h.thread == thread) {
            UnhookWindowsHookEx(h.hook);
            h = ThreadHook{0, nullptr};
        }
    }
    LeaveCriticalSection(&g_lock);
}

Theme* makeTheme(const SkinData& data, std::uint32_t checksum, std::uint32_t size) {
    auto* t = static_cast<Theme*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Theme)));
    if (!t) return nullptr;
    t->data = data;
    t->checksum = checksum;
    t->size = size;
    for (int i = 0; i < kColorRoleCount; ++i)
        t->c[i] = RGB(data.colors[i].r, data.colors[i].g, data.colors[i].b);
    t->windowBrush = CreateSolidBrush(t->c[kWindowBg]);
    t->editBrush = CreateSolidBrush(t->c[kEditBg]);
    if (data.font.present) {
        t->font = CreateFontW(data.font.height, 0, 0, 0, data.font.weight, FALSE, FALSE, FALSE,
                              GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, reinterpret_cast<const wchar_t*>(data.font.face));
    }
    return t;
}

BOOL CALLBACK skinChild(HWND hwnd, LPARAM) {
    if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) skinWindow(hwnd, false);
    return TRUE;
}

BOOL CALLBACK skinTopLevel(HWND hwnd, LPARAM) {
    skinWindow(hwnd, false);
    EnumChildWindows(hwnd, skinChild, 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return TRUE;
}

// Window procedures of this DLL are in use from the first skin on: it must
// never be unloaded.
void pinModule() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&pinModule), &self);
}

}  // namespace

const Theme* currentTheme() {
    return g_theme;
}

bool isThemeBrush(HBRUSH brush) {
    for (const Theme* t = g_theme; t; t = t->older)
        if (brush == t->windowBrush || brush == t->editBrush) return true;
    return false;
}

bool isThemeFont(HFONT font) {
    for (const Theme* t = g_theme; t; t = t->older)
        if (font && font == t->font) return true;
    return false;
}

COLORREF mix(COLORREF a, COLORREF b, int percent) {
    auto m = [percent](int x, int y) { return x + ((y - x) * percent + 50) / 100; };
    return RGB(m(GetRValue(a), GetRValue(b)), m(GetGValue(a), GetGValue(b)), m(GetBValue(a), GetBValue(b)));
}

}  // namespace vorda::skin

using namespace vorda::skin;

// Skins the calling thread's windows, present and future, with the skin given.
// The bytes are read during the call only. The text and the three integers are
// accepted and unused. Returns 1, or 0 with nothing changed when there is no
// skin or the bytes are not a whole, undamaged skin.
extern "C" int WINAPI SkinH_AttachRes(const unsigned char* skin, int size, const char* /*text*/, int, int,
                                      int) {
    if (!skin || size <= 0) return 0;
    SkinData data;
    if (!readSkin(skin, static_cast<std::size_t>(size), data)) return 0;
    const std::uint32_t checksum = skinChecksum(skin, static_cast<std::size_t>(size));

    // Each window's creation attaches the same skin again: keep its theme then.
    if (!g_theme || g_theme->checksum != checksum || g_theme->size != static_cast<std::uint32_t>(size)) {
        Theme* t = makeTheme(data, checksum, static_cast<std::uint32_t>(size));
        if (!t) return 0;
        t->older = g_theme;
        g_theme = t;
    }
    pinModule();
    hookThisThread();
    EnumThreadWindows(GetCurrentThreadId(), skinTopLevel, 0);
    return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_lock);
    } else if (reason == DLL_THREAD_DETACH) {
        unhookThisThread();
    }
    return TRUE;
}
