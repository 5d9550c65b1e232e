// The Win32 backend seen from outside, through the probe program: where the
// controls are, which events window messages become and in what order, and
// the services. The probe logs every event into its label "log".
#include "fixture.h"

#include <commctrl.h>

#include <cstring>

namespace vorda::e2e {
namespace {

// Places in the probe window's client area (frame 200,10; pages 0,40 in it;
// page headers hidden at start, so a page fills its page control).
const Box kList{208, 58, 410, 200};
const Box kEdit{208, 266, 150, 24};
const Box kButton{366, 266, 80, 24};
const Box kCheck{454, 266, 80, 22};
const Box kLink{210, 18, 60, 24};
const Box kPicture{10, 10, 90, 90};
const Box kFrame{200, 10, 430, 340};
const Box kPages{200, 50, 430, 300};
const Box kLog{10, 390, 620, 24};
const Box kMoves{10, 366, 620, 20};

class ProbeTest : public AppTest {
protected:
    void SetUp() override {
        App& app = launch(settings().probeExe);
        window = app.waitWindow(L"Vorda Probe");
        ASSERT_TRUE(window);
        list = control(window, L"SysListView32", kList);
        edit = control(window, L"Edit", kEdit);
        logLabel = control(window, L"VordaLabel", kLog);
        movesLabel = control(window, L"VordaLabel", kMoves);
        ASSERT_TRUE(list && edit && logLabel && movesLabel);
    }

    App& app() { return *apps_.front(); }
    std::wstring log() { return text(logLabel); }
    void clearLog() { setText(logLabel, L""); }
    bool waitLog(const std::wstring& part) {
        return waitFor([&] { return log().find(part) != std::wstring::npos; });
    }
    HWND button(const std::wstring& caption) { return controlWithText(window, L"Button", caption); }
    // Middle of a row's first column, in list client coordinates.
    POINT rowPoint(int row) {
        const RECT r = rowRect(app(), list, row);
        return {r.left + 20, (r.top + r.bottom) / 2};
    }
    int moves(const std::wstring& where) {
        const std::wstring t = text(movesLabel);
        const std::size_t at = t.find(where + L" ");
        return at == std::wstring::npos ? 0 : std::stoi(t.substr(at + where.size() + 1));
    }
    void press(POINT p, WPARAM keys = 0) { postMouse(list, WM_LBUTTONDOWN, p.x, p.y, MK_LBUTTON | keys); }
    void moveTo(POINT p) { postMouse(list, WM_MOUSEMOVE, p.x, p.y, MK_LBUTTON); }
    void release(POINT p) { postMouse(list, WM_LBUTTONUP, p.x, p.y, 0); }
    void clickRow(int row, WPARAM keys = 0) {
        const POINT p = rowPoint(row);
        press(p, keys);
        release(p);
        settle(list);
    }
    // A point of the list, given in its client coordinates, on the screen.
    POINT onScreen(POINT p) {
        ClientToScreen(list, &p);
        return p;
    }

    HWND window = nullptr, list = nullptr, edit = nullptr, logLabel = nullptr, movesLabel = nullptr;
};

TEST_F(ProbeTest, ControlsAreChildWindowsAtTheirFormPlaces) {
    struct Expected {
        const wchar_t* cls;
        Box box;
        const wchar_t* text;
        bool visible;
    };
    const Expected table[] = {
        {L"VordaSurface", kPicture, L"", true},
        {L"VordaSurface", kFrame, L"", true},
        {L"VordaSurface", kPages, L"", true},
        {L"VordaSurface", kPages, L"页1", true},
        {L"VordaSurface", kPages, L"页2", false},
        {L"VordaLabel", kLink, L"链接", true},
        {L"SysListView32", kList, L"", true},
        {L"Edit", kEdit, L"", true},
        {L"Button", kButton, L"按钮", true},
        {L"Button", kCheck, L"选择", true},
        {L"Edit", {208, 58, 150, 24}, L"second page", false},
        {L"VordaLabel", {8, 112, 0, 0}, L"", true},  // the canvas, collapsed
    };
    for (const Expected& e : table) {
        HWND found = nullptr;
        for (HWND h : controls(window, e.cls))
            if (boxOf(window, h) == e.box && text(h) == e.text) found = h;
        ASSERT_TRUE(found) << utf8(e.cls) << " \"" << utf8(e.text) << "\" at " << e.box.x << "," << e.box.y << " "
                           << e.box.width << "x" << e.box.height;
        EXPECT_EQ(IsWindowVisible(found) != FALSE, e.visible) << utf8(e.text);
    }
    HWND password = control(window, L"Edit", {10, 270, 170, 24});
    ASSERT_TRUE(password);
    EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "a task bar button";
}

TEST_F(ProbeTest, ListRowsAreOwnerDataWithTheModelsTexts) {
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_REPORT);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & LVS_SHOWSELALWAYS);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL);
    const LRESULT ex = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    ASSERT_EQ(rowCount(list), 5);
    EXPECT_EQ(cell(app(), list, 3, 0), L"r3");
    EXPECT_EQ(cell(app(), list, 3, 1), L"x3");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK), 0);
    const RECT a = rowRect(app(), list, 0), b = rowRect(app(), list, 1);
    EXPECT_EQ(b.top - a.top, 19) << "row pitch";
}

TEST_F(ProbeTest, HundredThousandRowsLoadAndRead) {
    click(button(L"填充"));
    ASSERT_TRUE(waitLog(L"rows 100000;"));
    EXPECT_EQ(rowCount(list), 100000);
    EXPECT_EQ(cell(app(), list, 99999, 0), L"row 99999");
    EXPECT_EQ(cell(app(), list, 5, 2), L"行5");
}

TEST_F(ProbeTest, InsertingAndDeletingRowsKeepsTheSelectionOnItsRows) {
    clickRow(2);
    clickRow(4, MK_CONTROL);
    ASSERT_TRUE(waitLog(L"C 2,4;"));
    clearLog();
    // Insert before row 1, then delete row 3 (r2 after the insert): r4 stays
    // selected where it has moved to.
    click(button(L"插入"));
    EXPECT_TRUE(waitLog(L"I 4 r0,new,r1,r3,r4,;")) << utf8(log());
    EXPECT_EQ(selectedRows(list), std::vector<int>{4});
    EXPECT_EQ(cell(app(), list, 1, 0), L"new");
}

TEST_F(ProbeTest, PlainClickOnARowIsAClickAfterTheSelectionAndNoRelease) {
    const POINT p = rowPoint(2);
    clearLog();
    clickRow(2);
    ASSERT_TRUE(waitLog(L"C 2;"));
    EXPECT_EQ(log(), L"LD " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y) + L";C 2;");
    EXPECT_EQ(selectedRows(list), std::vector<int>{2});
}

TEST_F(ProbeTest, ClickBelowTheRowsIsAClickWithNothingSelected) {
    clickRow(1);
    ASSERT_TRUE(waitLog(L"C 1;"));
    clearLog();
    press({20, 180});
    release({20, 180});
    ASSERT_TRUE(waitLog(L"C -;"));
    EXPECT_TRUE(selectedRows(list).empty());
}

TEST_F(ProbeTest, ClickInsideAMultipleSelectionReportsTheCollapsedSelection) {
    clickRow(1);
    ASSERT_TRUE(waitLog(L"C 1;"));
    clickRow(3, MK_CONTROL);
    ASSERT_TRUE(waitLog(L"C 1,3;"));
    clearLog();
    clickRow(3);
    ASSERT_TRUE(waitLog(L"C "));
    EXPECT_TRUE(waitFor([&] { return log().find(L"C 3;") != std::wstring::npos; })) << utf8(log());
    EXPECT_EQ(log().find(L"C 1,3;"), std::wstring::npos) << utf8(log());
}

TEST_F(ProbeTest, DragReportsMovesAndReleaseOnTheListButNoClick) {
    // Released over row 3 in the last data column, then below the last row:
    // the hit test finds the row across the whole width, and none below.
    struct Case {
        POINT to;
        int row;
    };
    const Case cases[] = {{{250, rowPoint(3).y}, 3}, {{250, 180}, -1}};
    for (const Case& c : cases) {
        const POINT from = rowPoint(0);
        clearLog();
        const int before = moves(L"list");
        press(from);
        moveTo({from.x, from.y + 12});
        moveTo({from.x, from.y + 30});
        moveTo(c.to);
        release(c.to);
        const std::wstring up = L"U list " + std::to_wstring(c.to.x) + L" " + std::to_wstring(c.to.y) + L" row " +
                                std::to_wstring(c.row) + L";";
        ASSERT_TRUE(waitLog(up)) << utf8(log());
        settle(list);
        EXPECT_EQ(log().find(L"C "), std::wstring::npos) << "a drag is no click: " << utf8(log());
        EXPECT_EQ(log().rfind(L"LD ", 0), 0u) << utf8(log());
        EXPECT_GE(moves(L"list"), before + 2);
    }
}

TEST_F(ProbeTest, DragMovesAndReleaseGoToWhatLiesUnderThePointer) {
    const POINT from = rowPoint(0);
    press(from);
    moveTo({from.x, from.y + 40});
    ASSERT_TRUE(waitFor([&] { return moves(L"list") > 0; }));
    // Below the list, on the page: the page control's move.
    const int pagesBefore = moves(L"pages");
    moveTo({from.x, 240});
    EXPECT_TRUE(waitFor([&] { return moves(L"pages") > pagesBefore; }));
    // Left of the frame, on the window's own surface: the window's move and
    // release, and none for the list.
    const int windowBefore = moves(L"window");
    const POINT outside{-18, 100};  // between the buttons and the frame
    moveTo(outside);
    EXPECT_TRUE(waitFor([&] { return moves(L"window") > windowBefore; }));
    clearLog();
    release(outside);
    EXPECT_TRUE(waitLog(L"U window;"));
    settle(list);
    EXPECT_EQ(log().find(L"U list"), std::wstring::npos) << utf8(log());
    EXPECT_EQ(log().find(L"C "), std::wstring::npos) << utf8(log());
}

TEST_F(ProbeTest, RightClickCarriesScreenCoordinatesAndOpensThePopupMenu) {
    const POINT p = rowPoint(1);
    const POINT s = onScreen(p);
    PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    ASSERT_TRUE(waitLog(L"R " + std::to_wstring(s.x) + L" " + std::to_wstring(s.y) + L";")) << utf8(log());
    HWND menu = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (HWND h : app().windows())
            if (className(h) == L"#32768") menu = h;
        return menu != nullptr;
    }));
    for (int i = 0; i < 3; ++i) postKey(menu, VK_DOWN);
    postKey(menu, VK_RETURN);
    EXPECT_TRUE(waitLog(L"M 2;")) << utf8(log());
}

TEST_F(ProbeTest, KeysReachListAndEditHandlersEnterIncluded) {
    clearLog();
    postKey(list, VK_DELETE);
    ASSERT_TRUE(waitLog(L"K 46;"));
    clearLog();
    postKey(edit, VK_RETURN);
    EXPECT_TRUE(waitLog(L"KD 13;KU 13;")) << utf8(log());
}

TEST_F(ProbeTest, EditReportsFocusInAndOut) {
    clearLog();
    postMouse(edit, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    postMouse(edit, WM_LBUTTONUP, 5, 5, 0);
    ASSERT_TRUE(waitLog(L"FI;"));
    clickRow(0);
    EXPECT_TRUE(waitLog(L"FO;"));
}

TEST_F(ProbeTest, FocusStartsInTheFirstEditAndTabFollowsTheForm) {
    HWND password = control(window, L"Edit", {10, 270, 170, 24});
    EXPECT_TRUE(waitFor([&] { return focusOf(window) == password; }));
    postMouse(edit, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    postMouse(edit, WM_LBUTTONUP, 5, 5, 0);
    ASSERT_TRUE(waitFor([&] { return focusOf(window) == edit; }));
    clearLog();
    postKey(edit, VK_TAB);
    EXPECT_TRUE(waitFor([&] { return focusOf(window) == control(window, L"Button", kButton); }));
    EXPECT_TRUE(waitLog(L"FO;"));
    EXPECT_EQ(log().find(L"KD 9"), std::wstring::npos) << "Tab moves the focus, it is no key of the box";
}

TEST_F(ProbeTest, ButtonsCheckBoxAndLinkRaiseTheirEvents) {
    clearLog();
    click(control(window, L"Button", kButton));
    ASSERT_TRUE(waitLog(L"B;"));
    HWND check = control(window, L"Button", kCheck);
    click(check);
    ASSERT_TRUE(waitLog(L"X 1;"));
    click(check);
    ASSERT_TRUE(waitLog(L"X 0;"));
    HWND link = control(window, L"VordaLabel", kLink);
    postMouse(link, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    postMouse(link, WM_LBUTTONUP, 5, 5, 0);
    EXPECT_TRUE(waitLog(L"L;"));
}

TEST_F(ProbeTest, DraggingTheSurfaceOrAPictureMovesTheWindowButAButtonDoesNot) {
    struct Case {
        const char* what;
        HWND target;
        bool moves;
    };
    const Case cases[] = {
        {"picture box", control(window, L"VordaSurface", kPicture), true},
        {"shape frame", control(window, L"VordaSurface", kFrame), true},
        {"button", control(window, L"Button", kButton), false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.target) << c.what;
        RECT before;
        GetWindowRect(window, &before);
        postMouse(c.target, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
        postMouse(c.target, WM_MOUSEMOVE, 45, 35, MK_LBUTTON);
        postMouse(c.target, WM_LBUTTONUP, 45, 35, 0);
        settle(window);
        RECT after;
        GetWindowRect(window, &after);
        if (c.moves) {
            EXPECT_TRUE(waitFor([&] {
                GetWindowRect(window, &after);
                return after.left == before.left + 40 && after.top == before.top + 30;
            })) << c.what << " moved it to " << after.left << "," << after.top;
        } else {
            EXPECT_EQ(after.left, before.left) << c.what;
            EXPECT_EQ(after.top, before.top) << c.what;
        }
    }
}

TEST_F(ProbeTest, PagesSwitchAndTheirHeadersShowOnRequest) {
    HWND p1 = controlWithText(window, L"VordaSurface", L"页1");
    HWND p2 = controlWithText(window, L"VordaSurface", L"页2");
    ASSERT_TRUE(p1 && p2);
    click(button(L"翻页"));
    ASSERT_TRUE(waitLog(L"P 1 shown;"));
    EXPECT_FALSE(IsWindowVisible(p1));
    EXPECT_TRUE(IsWindowVisible(p2));
    const auto tabs = controls(window, L"SysTabControl32");
    ASSERT_EQ(tabs.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(tabs[0]));
    EXPECT_GT(boxOf(window, p2).y, kPages.y) << "the headers take the top of the page control";
    click(button(L"翻页"));
    ASSERT_TRUE(waitLog(L"P 0 hidden;"));
    EXPECT_TRUE(IsWindowVisible(p1));
    EXPECT_FALSE(IsWindowVisible(tabs[0]));
    EXPECT_EQ(boxOf(window, p1), kPages);
}

TEST_F(ProbeTest, CanvasShowsItsFirstLineInBlack) {
    click(button(L"画"));
    ASSERT_TRUE(waitLog(L"D;"));
    HWND canvas = control(window, L"VordaLabel", {300, 360, 240, 16});
    ASSERT_TRUE(canvas);
    settle(window);
    HDC dc = GetDC(nullptr);
    RECT r;
    GetWindowRect(canvas, &r);
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.left + 100; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90) ++dark;
        }
    ReleaseDC(nullptr, dc);
    EXPECT_GT(dark, 10) << "no black text in the canvas";
}

TEST_F(ProbeTest, EscClosesTheWindowAndTheLastWindowEndsTheProgram) {
    postKey(edit, VK_ESCAPE);
    EXPECT_TRUE(app().waitExit());
}

TEST_F(ProbeTest, DestructionWaitsUntilTheHandlerHasReturned) {
    click(button(L"换窗"));
    EXPECT_TRUE(app().waitWindow(L"Vorda Probe 2"));
    EXPECT_TRUE(app().waitNoWindow(L"Vorda Probe"));
    EXPECT_TRUE(app().running()) << "the handler opened another window before its own went";
    HWND second = app().window(L"Vorda Probe 2");
    ASSERT_TRUE(second);
    PostMessageW(second, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app().waitExit());
}

TEST_F(ProbeTest, QuitEndsTheProgramAtOnce) {
    click(button(L"退出"));
    EXPECT_TRUE(app().waitExit());
}

TEST_F(ProbeTest, MessageBoxIsTaskModalAndReturnsTheAnswer) {
    const std::pair<int, const wchar_t*> answers[] = {{IDCANCEL, L"MB 2;"}, {IDOK, L"MB 1;"}};
    for (const auto& [id, logged] : answers) {
        clearLog();
        click(button(L"提问"));
        auto box = app().waitMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->title, L"提示");
        EXPECT_EQ(box->text, L"确认要删除选中项吗？");
        EXPECT_TRUE(GetDlgItem(box->hwnd, IDOK) && GetDlgItem(box->hwnd, IDCANCEL));
        EXPECT_FALSE(IsWindowEnabled(window)) << "task-modal";
        EXPECT_EQ(GetWindow(box->hwnd, GW_OWNER), nullptr) << "no owner";
        answer(*box, id);
        EXPECT_TRUE(waitLog(logged)) << utf8(log());
        EXPECT_TRUE(IsWindowEnabled(window));
    }
}

TEST_F(ProbeTest, TimedNoticeClosesByItself) {
    click(button(L"通知"));
    // The handler goes on only once the notice has gone.
    EXPECT_TRUE(waitLog(L"N;"));
    EXPECT_FALSE(app().messageBox());
}

TEST_F(ProbeTest, ClipboardHoldsUnicodeAndGbkTextAndStaysOutOfHistory) {
    click(button(L"复制"));
    ASSERT_TRUE(waitLog(L"CB 1;"));
    ASSERT_TRUE(waitFor([] { return OpenClipboard(nullptr) != FALSE; }));
    struct Close {
        ~Close() { CloseClipboard(); }
    } close;
    HANDLE u = GetClipboardData(CF_UNICODETEXT);
    ASSERT_TRUE(u);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(u))), L"密码abc");
    GlobalUnlock(u);
    HANDLE a = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(a);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(a))), "\xC3\xDC\xC2\xEB" "abc");
    GlobalUnlock(a);
    for (const wchar_t* name : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
        HANDLE d = GetClipboardData(RegisterClipboardFormatW(name));
        ASSERT_TRUE(d) << utf8(name);
        DWORD v = 1;
        std::memcpy(&v, GlobalLock(d), sizeof(v));
        GlobalUnlock(d);
        EXPECT_EQ(v, 0u) << utf8(name);
    }
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")));
}

TEST_F(ProbeTest, FileDialogsNeitherAskBeforeOverwritingNorInsistTheFileExists) {
    const std::wstring existing = app().path(L"old.txt");
    CloseHandle(CreateFileW(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    struct Case {
        const wchar_t* button;
        std::wstring file;
    };
    const Case cases[] = {{L"保存", existing}, {L"打开", app().path(L"missing.txt")}};
    HWND preset = control(window, L"Edit", {10, 270, 170, 24});
    ASSERT_TRUE(preset);
    for (const Case& c : cases) {
        clearLog();
        setText(preset, c.file);
        click(button(c.button));
        auto dialog = app().waitMessageBox();
        ASSERT_TRUE(dialog) << utf8(c.button);
        answer(*dialog, IDOK);
        EXPECT_TRUE(waitLog(L"F " + c.file + L";")) << utf8(c.button) << ": " << utf8(log());
        EXPECT_FALSE(app().messageBox()) << "a question after the dialog";
    }
}

}  // namespace
}  // namespace vorda::e2e
