// The skin engine DLL as built, under Wine: skin 2 on a live window and on
// windows created later, the program's own colours and owner-drawn controls
// left alone, classes, texts and places unchanged, messages still flowing,
// and bad skin data refused without a change.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "format/skin_format.h"

namespace {

using Attach = int(WINAPI*)(const void*, int, const char*, int, int, int);

// The build directory seen from Wine's Z: drive.
std::string packPath(const std::string& name) {
    std::string path = "Z:" + std::string(VORDA_SKIN_PACK_DIR) + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string packFile(const std::string& name) {
    std::ifstream in(packPath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string skinFile(int n) {
    char name[16];
    wsprintfA(name, "skin%02d.she", n);
    return packFile(name);
}

Attach attachEntry() {
    static const Attach entry = [] {
        const std::string path = packPath("SkinH_EL.dll");
        HMODULE dll = LoadLibraryA(path.c_str());
        return dll ? reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(dll, "SkinH_AttachRes")))
                   : nullptr;
    }();
    return entry;
}

int attach(const std::string& bytes) {
    return attachEntry()(bytes.data(), static_cast<int>(bytes.size()), "", 0, 0, 0);
}

vorda::skin::SkinData design(int n) {
    vorda::skin::SkinData data;
    const std::string bytes = skinFile(n);
    EXPECT_TRUE(vorda::skin::readSkin(bytes.data(), bytes.size(), data)) << "skin " << n;
    return data;
}

COLORREF color(const vorda::skin::SkinData& s, vorda::skin::ColorRole role) {
    return RGB(s.colors[role].r, s.colors[role].g, s.colors[role].b);
}

COLORREF brushColor(HBRUSH brush) {
    LOGBRUSH lb{};
    return GetObjectW(brush, sizeof lb, &lb) ? lb.lbColor : CLR_INVALID;
}

// Runs what is queued, as the program's message loop would.
void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A pixel of the control as it paints itself into a bitmap.
COLORREF pixel(HWND control, int x, int y) {
    RECT r;
    GetClientRect(control, &r);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return c;
}

struct ParentState {
    std::vector<int> clicks;
    HWND programEdit = nullptr;
    HWND whiteLabel = nullptr;
    HBRUSH programBrush = CreateSolidBrush(RGB(200, 30, 30));
    ~ParentState() { DeleteObject(programBrush); }
};

constexpr COLORREF kOwnerDrawn = RGB(255, 0, 255);

LRESULT CALLBACK parentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ParentState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_COMMAND:
            if (state && HIWORD(wParam) == BN_CLICKED) state->clicks.push_back(LOWORD(wParam));
            return 0;
        case WM_CTLCOLOREDIT:
            if (state && reinterpret_cast<HWND>(lParam) == state->programEdit) {
                SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
                return reinterpret_cast<LRESULT>(state->programBrush);
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (state && reinterpret_cast<HWND>(lParam) == state->whiteLabel)
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            break;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            SetDCBrushColor(item->hDC, kOwnerDrawn);
            FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            return TRUE;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const wchar_t* parentClass() {
    static const wchar_t* name = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        wc.lpfnWndProc = parentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"VordaSkinTestParent";
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        RegisterClassW(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

// A window with one of each kind of control the program uses.
class TestWindow {
  public:
    TestWindow() {
        // Away from the pointer: a control under it would wear its hover look.
        POINT cursor{};
        GetCursorPos(&cursor);
        const int x = cursor.x >= 520 ? 20 : cursor.x + 40;
        hwnd = CreateWindowExW(0, parentClass(), L"skin test", WS_OVERLAPPEDWINDOW, x, 40, 460, 340, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        button = child(L"Button", L"复制", BS_PUSHBUTTON, 10, 10, 90, 30, 10);
        defaultButton = child(L"Button", L"登录", BS_DEFPUSHBUTTON, 110, 10, 90, 30, 11);
        edit = child(L"Edit", L"", ES_AUTOHSCROLL, 10, 50, 150, 24, 20, WS_EX_CLIENTEDGE);
        programEdit = child(L"Edit", L"", ES_AUTOHSCROLL, 170, 50, 150, 24, 21, WS_EX_CLIENTEDGE);
        state.programEdit = programEdit;
        check = child(L"Button", L"自动登录", BS_AUTOCHECKBOX, 10, 80, 100, 22, 30);
        group = child(L"Button", L"分组", BS_GROUPBOX, 120, 80, 200, 40, 40);
        ownerDrawn = child(L"Button", L"", BS_OWNERDRAW, 330, 10, 40, 30, 70);
        label = child(L"Static", L"用户名", SS_LEFT, 330, 50, 60, 20, 80);
        whiteLabel = child(L"Static", L"密码", SS_LEFT, 330, 80, 60, 20, 81);
        state.whiteLabel = whiteLabel;
        list = child(WC_LISTVIEWW, L"", LVS_REPORT, 10, 130, 420, 150, 60, WS_EX_CLIENTEDGE);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = 100;
        col.pszText = const_cast<wchar_t*>(L"项目");
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
        col.pszText = const_cast<wchar_t*>(L"地址");
        SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        pump();
    }
    ~TestWindow() {
        DestroyWindow(hwnd);
        pump();
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND header() const { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }

    HWND child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id,
               DWORD ex = 0) {
        return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                               nullptr);
    }

    // What the parent tells a child control about its colours.
    HBRUSH ctlColor(UINT msg, HWND control, COLORREF* text = nullptr) {
        HDC dc = CreateCompatibleDC(nullptr);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(hwnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
        if (text) *text = GetTextColor(dc);
        DeleteDC(dc);
        return brush;
    }

    ParentState state;
    HWND hwnd, button, defaultButton, edit, programEdit, check, group, ownerDrawn, label, whiteLabel, list;
};

// What a control is to the end-to-end tests: class, text and place.
struct Identity {
    std::wstring cls, text;
    RECT rect;
    bool operator==(const Identity& o) const {
        return cls == o.cls && text == o.text && EqualRect(&rect, &o.rect);
    }
};

std::vector<Identity> identities(HWND parent) {
    std::vector<Identity> out;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM p) -> BOOL {
            wchar_t cls[64] = {}, text[256] = {};
            GetClassNameW(hwnd, cls, 64);
            SendMessageW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
            Identity id{cls, text, {}};
            GetWindowRect(hwnd, &id.rect);
            reinterpret_cast<std::vector<Identity>*>(p)->push_back(id);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

// The skin's mark on a test window.
struct Look {
    COLORREF button, defaultButton, header, classBrush, dialog, listBk, listText;
    bool operator==(const Look& o) const {
        return button == o.button && defaultButton == o.defaultButton && header == o.header &&
               classBrush == o.classBrush && dialog == o.dialog && listBk == o.listBk &&
               listText == o.listText;
    }
};

Look lookOf(TestWindow& w) {
    return Look{pixel(w.button, 6, 15),
                pixel(w.defaultButton, 6, 15),
                pixel(w.header(), 3, 3),
                brushColor(reinterpret_cast<HBRUSH>(GetClassLongPtrW(w.hwnd, GCLP_HBRBACKGROUND))),
                brushColor(w.ctlColor(WM_CTLCOLORSTATIC, w.label)),
                static_cast<COLORREF>(SendMessageW(w.list, LVM_GETBKCOLOR, 0, 0)),
                static_cast<COLORREF>(SendMessageW(w.list, LVM_GETTEXTCOLOR, 0, 0))};
}

Look expectedLook(int n) {
    using namespace vorda::skin;
    const SkinData s = design(n);
    return Look{color(s, kButtonFace), color(s, kAccent), color(s, kHeaderFace), color(s, kWindowBg),
                color(s, kWindowBg),   color(s, kListBg), color(s, kListText)};
}

class SkinEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(attachEntry(), nullptr) << packPath("SkinH_EL.dll"); }
    void TearDown() override { attach(skinFile(2)); }
};

TEST_F(SkinEngineTest, IsAPaddedLibraryImage) {
    const std::string dll = packFile("SkinH_EL.dll");
    EXPECT_EQ(dll.size(), 88576u);
    EXPECT_EQ(dll.compare(0, 2, "MZ"), 0);
}

TEST_F(SkinEngineTest, SkinsTheWindowsThatExistOnTheCallingThread) {
    // A new thread has no creation hook: its window is there before the skin.
    std::thread([] {
        TestWindow w;
        const std::vector<Identity> before = identities(w.hwnd);

        ASSERT_EQ(attach(skinFile(2)), 1);
        pump();

        using namespace vorda::skin;
        const SkinData s = design(2);
        EXPECT_TRUE(lookOf(w) == expectedLook(2));
        COLORREF text = 0;
        w.ctlColor(WM_CTLCOLORSTATIC, w.label, &text);
        EXPECT_EQ(text, color(s, kWindowText));
        EXPECT_EQ(brushColor(w.ctlColor(WM_CTLCOLOREDIT, w.edit)), color(s, kEditBg));
        // What the program chose stays.
        EXPECT_EQ(w.ctlColor(WM_CTLCOLOREDIT, w.programEdit), w.state.programBrush);
        EXPECT_EQ(w.ctlColor(WM_CTLCOLORSTATIC, w.whiteLabel), GetSysColorBrush(COLOR_WINDOW));
        EXPECT_EQ(pixel(w.ownerDrawn, 20, 15), kOwnerDrawn);
        EXPECT_TRUE(identities(w.hwnd) == before);
    }).join();
}

TEST_F(SkinEngineTest, SkinsWindowsCreatedLater) {
    ASSERT_EQ(attach(skinFile(2)), 1);
    TestWindow w;
    EXPECT_TRUE(lookOf(w) == expectedLook(2));
}

TEST_F(SkinEngineTest, KeepsMessagesFlowing) {
    ASSERT_EQ(attach(skinFile(2)), 1);
    TestWindow w;

    SendMessageW(w.button, BM_CLICK, 0, 0);
    PostMessageW(w.defaultButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(w.defaultButton, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    PostMessageW(w.check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(w.check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    pump();
    EXPECT_EQ(w.state.clicks, (std::vector<int>{10, 11, 30}));
    EXPECT_EQ(SendMessageW(w.check, BM_GETCHECK, 0, 0), BST_CHECKED);

    SetFocus(w.edit);
    for (wchar_t c : std::wstring(L"ab1")) SendMessageW(w.edit, WM_CHAR, c, 1);
    wchar_t text[16] = {};
    GetWindowTextW(w.edit, text, 16);
    EXPECT_STREQ(text, L"ab1");

    SetWindowTextW(w.button, L"新增/更改项");
    GetWindowTextW(w.button, text, 16);
    EXPECT_STREQ(text, L"新增/更改项");
}

TEST_F(SkinEngineTest, FollowsANewSkinAndKeepsItsOwnCopy) {
    TestWindow w;
    const LPARAM programColor = RGB(1, 2, 3);
    HWND ownList = w.child(WC_LISTVIEWW, L"", LVS_REPORT, 200, 200, 100, 60, 61);
    SendMessageW(ownList, LVM_SETBKCOLOR, 0, programColor);

    // The caller's buffer is gone right after the call.
    auto bytes = std::make_unique<std::string>(skinFile(11));
    ASSERT_EQ(attach(*bytes), 1);
    std::fill(bytes->begin(), bytes->end(), '\x5A');
    bytes.reset();
    TestWindow later;

    EXPECT_TRUE(lookOf(w) == expectedLook(11));
    EXPECT_TRUE(lookOf(later) == expectedLook(11));
    EXPECT_EQ(SendMessageW(ownList, LVM_GETBKCOLOR, 0, 0), programColor);

    ASSERT_EQ(attach(skinFile(2)), 1);
    EXPECT_TRUE(lookOf(w) == expectedLook(2));
    EXPECT_EQ(SendMessageW(ownList, LVM_GETBKCOLOR, 0, 0), programColor);
}

TEST_F(SkinEngineTest, SetsItsFontOnlyWhereTheProgramSetNone) {
    TestWindow w;
    HFONT programFont = CreateFontW(-16, 0, 0, 0, 700, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, nullptr);
    SendMessageW(w.defaultButton, WM_SETFONT, reinterpret_cast<WPARAM>(programFont), FALSE);
    const auto fontOf = [](HWND h) { return reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)); };
    const HFONT systemFont = fontOf(w.button);

    ASSERT_TRUE(design(7).font.present);
    ASSERT_EQ(attach(skinFile(7)), 1);
    EXPECT_NE(fontOf(w.button), systemFont);
    EXPECT_EQ(fontOf(w.defaultButton), programFont);

    ASSERT_FALSE(design(2).font.present);
    ASSERT_EQ(attach(skinFile(2)), 1);
    EXPECT_EQ(fontOf(w.button), systemFont);
    EXPECT_EQ(fontOf(w.defaultButton), programFont);
    DeleteObject(programFont);
}

TEST_F(SkinEngineTest, RefusesBadSkinDataWithoutAChange) {
    ASSERT_EQ(attach(skinFile(2)), 1);
    TestWindow w;
    const Look before = lookOf(w);
    const std::string good = skinFile(5);
    auto flipped = [&](std::size_t at) {
        std::string b = good;
        b[at] = static_cast<char>(b[at] ^ 1);
        return b;
    };
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"header only", good.substr(0, 24)},
        {"cut short", good.substr(0, good.size() - 100)},
        {"wrong magic", "XSHE" + good.substr(4)},
        {"a library image", packFile("SkinH_EL.dll")},
        {"damaged palette", flipped(100)},
        {"damaged padding", flipped(good.size() - 10)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(attach(c.bytes), 0) << c.what;
        EXPECT_TRUE(lookOf(w) == before) << c.what;
    }
    EXPECT_EQ(attachEntry()(nullptr, 0, "", 0, 0, 0), 0);
    EXPECT_EQ(attachEntry()(nullptr, 9533, "", 0, 0, 0), 0);
    EXPECT_EQ(attachEntry()(good.data(), 0, "", 0, 0, 0), 0);
    EXPECT_EQ(attachEntry()(good.data(), -1, "", 0, 0, 0), 0);

    TestWindow later;
    EXPECT_TRUE(lookOf(w) == before);
    EXPECT_TRUE(lookOf(later) == before);
}

}  // namespace
