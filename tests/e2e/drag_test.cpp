// Reordering rows by dragging them with the real mouse. The input goes in
// through SendInput, so under Wine the X pointer moves and the program gets
// hardware messages as from a hand on the mouse: the list view's own press
// handling, drag detection and capture take part, as they do for a user.
#include <string>
#include <vector>

#include "fixture.h"
#include "screens.h"

namespace vorda::e2e {
namespace {

using namespace main_form;

using Entry = std::vector<std::wstring>;

// The window holding the mouse capture in the thread that owns h.
HWND captureOf(HWND h) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &info)) return nullptr;
    return info.hwndCapture;
}

// Pixels of a screen rectangle dark enough to be black text.
int darkPixels(const RECT& r) {
    int dark = 0;
    for (const std::uint32_t p : capture(r))
        if ((p & 0xFF) < 96 && ((p >> 8) & 0xFF) < 96 && ((p >> 16) & 0xFF) < 96) ++dark;
    return dark;
}

std::string joined(const std::vector<std::wstring>& names) {
    std::string out;
    for (const std::wstring& n : names) out += (out.empty() ? "" : ", ") + utf8(n);
    return out;
}

std::size_t gbkBytes(const std::wstring& w) {
    if (w.empty()) return 0;
    return static_cast<std::size_t>(
        WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr));
}

// --- the two libraries ---------------------------------------------------------

struct Library {
    const char* what;
    bool custom;
    Box link;
    Entry (*entry)(const std::wstring& name);
    int columns;  // the untitled last column included
    const wchar_t* shot;
};

Entry customEntry(const std::wstring& n) { return {n, L"账号" + n, n + L"2", n + L"3", n + L"4", n + L"5"}; }
Entry passwordEntry(const std::wstring& n) { return {n, L"https://" + n, n + L"@mail", L"pw-" + n, L"备注" + n}; }

const Library kLibraries[] = {
    {"custom library", true, kCustomLink, customEntry, 7, L"drag_caption_custom.png"},
    {"password library", false, kPasswordLink, passwordEntry, 6, L"drag_caption.png"},
};

// 编辑框6, the custom page's sixth box; the password page has five.
constexpr Box kCustomSixthEdit{581, 129, 152, 24};
// 画板1 as MainWindow's creation leaves it: collapsed at its form place.
constexpr Box kCollapsedCaption{8, 112, 0, 0};

const std::vector<std::wstring> kFour = {L"A", L"B", L"C", L"D"};
const std::vector<std::wstring> kAOntoC = {L"B", L"C", L"A", L"D"};

class DragTest : public AppTest {
protected:
    void SetUp() override {
        app_ = &launch(settings().vordaExe);
        main_ = registerAndOpenMain(*app_, L"alice", L"secret", true);
        ASSERT_TRUE(main_) << "MainWindow did not open after registration";
        caption_ = control(main_, L"VordaLabel", kCollapsedCaption);
        ASSERT_TRUE(caption_) << "画板1 is not collapsed at its place";
    }

    void TearDown() override {
        AppTest::TearDown();
        // Whatever happened, the next test finds the button up and the
        // pointer back in its corner.
        if (buttonDown_) sendMouse({0, 0}, MOUSEEVENTF_LEFTUP);
        SetCursorPos(0, 0);
    }

    // Shows the library's page through its link.
    std::optional<LibraryPage> open(const Library& lib) {
        HWND link = control(main_, L"VordaLabel", lib.link);
        auto page = libraryPage(main_, lib.custom);
        if (!link || !page) return std::nullopt;
        postMouse(link, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
        postMouse(link, WM_LBUTTONUP, 5, 5, 0);
        if (!waitFor([&] { return IsWindowVisible(page->page) != FALSE; })) return std::nullopt;
        return page;
    }

    void add(const LibraryPage& page, const Entry& e) {
        const int before = rowCount(page.list);
        for (int i = 0; i < 5; ++i) setText(page.edits[i], e[i]);
        if (e.size() > 5) {
            HWND sixth = controlIn(main_, page.page, L"Edit", kCustomSixthEdit);
            ASSERT_TRUE(sixth);
            setText(sixth, e[5]);
        }
        click(page.addOrUpdate);
        ASSERT_TRUE(expectBox(*app_, L"确认添加新项目吗？", IDOK)) << utf8(e[0]);
        ASSERT_TRUE(waitFor([&] { return rowCount(page.list) == before + 1; })) << utf8(e[0]) << " not added";
    }

    std::vector<std::wstring> names(HWND list) {
        std::vector<std::wstring> out;
        for (int r = 0; r < rowCount(list); ++r) out.push_back(cell(*app_, list, r, 0));
        return out;
    }

    // Points at a row and presses the left button there.
    void press(HWND list, int row) {
        const POINT at = onScreen(list, rowPoint(*app_, list, row));
        ASSERT_TRUE(sendMouse(at));
        ASSERT_TRUE(waitFor([&] { return cursorAt(at); })) << "the pointer did not move";
        ASSERT_TRUE(sendMouse(at, MOUSEEVENTF_LEFTDOWN));
        buttonDown_ = true;
        ASSERT_TRUE(waitFor([&] { return selectedRows(list) == std::vector<int>{row}; }))
            << "the press did not select the row";
    }

    // Presses on row `from`, moves twice, checks the caption near the
    // pointer after the second move and releases over row `onto`.
    void drag(const Library& lib, const LibraryPage& page, int from, int onto) {
        HWND list = page.list;
        const POINT start = rowPoint(*app_, list, from), end = rowPoint(*app_, list, onto);
        // Far enough for the list to see a drag, short of the next row.
        const POINT first{start.x, start.y + GetSystemMetrics(SM_CYDRAG) + 2};

        ASSERT_NO_FATAL_FAILURE(press(list, from));

        // The list begins its drag on the first move and the program takes
        // the capture: that shows the move was handled before the next one
        // is sent, so the two are not merged into one.
        ASSERT_TRUE(sendMouse(onScreen(list, first)));
        ASSERT_TRUE(waitFor([&] { return captureOf(main_) == list; })) << "the list began no drag";

        ASSERT_TRUE(sendMouse(onScreen(list, end)));
        std::wstring caption;
        const Entry dragged = lib.entry(kFour[static_cast<std::size_t>(from)]);
        for (int k = 0; k < lib.columns; ++k)
            caption += L"  " + (k < static_cast<int>(dragged.size()) ? dragged[static_cast<std::size_t>(k)] : L"");
        const Box listInPage = boxOf(GetParent(list), list);
        const Box wanted{listInPage.x + end.x + 195, listInPage.y + end.y + 75,
                       static_cast<int>(gbkBytes(caption)) * 15, 16};
        Box seen;
        EXPECT_TRUE(waitFor([&] { return (seen = boxOf(main_, caption_)) == wanted; }))
            << "caption at " << seen.x << ", " << seen.y << ", " << seen.width << " x " << seen.height << "; wanted "
            << wanted.x << ", " << wanted.y << ", " << wanted.width << " x " << wanted.height;
        EXPECT_TRUE(IsWindowVisible(caption_));
        paintSettled(main_);
        RECT shown;
        GetWindowRect(caption_, &shown);
        EXPECT_GT(darkPixels(shown), 20) << "no text drawn in the caption";
        if (!settings().screenshotDir.empty()) screenshot(settings().screenshotDir + L"\\" + lib.shot);

        // The release carries its own place, whatever moves are still queued.
        ASSERT_TRUE(sendMouse(onScreen(list, end), MOUSEEVENTF_LEFTUP));
        buttonDown_ = false;
    }

    App* app_ = nullptr;
    HWND main_ = nullptr;
    HWND caption_ = nullptr;
    bool buttonDown_ = false;
};

TEST_F(DragTest, RowDraggedOntoAnotherLandsAfterItAndTheOrderSurvivesARestart) {
    for (const Library& lib : kLibraries) {
        SCOPED_TRACE(lib.what);
        auto page = open(lib);
        ASSERT_TRUE(page) << "page not shown";
        for (const std::wstring& n : kFour) ASSERT_NO_FATAL_FAILURE(add(*page, lib.entry(n)));
        ASSERT_EQ(names(page->list), kFour);

        ASSERT_NO_FATAL_FAILURE(drag(lib, *page, 0, 2));
        // The drop saves and reloads, which leaves no row selected.
        EXPECT_TRUE(waitFor([&] { return names(page->list) == kAOntoC && selectedRows(page->list).empty(); }))
            << "order after the drop: " << joined(names(page->list));
        EXPECT_EQ(boxOf(main_, caption_).width, 0) << "caption still shown after the drop";
        EXPECT_EQ(boxOf(main_, caption_).height, 0);
        EXPECT_EQ(cell(*app_, page->list, 2, 1), lib.entry(L"A")[1]) << "the row's other cells moved with it";
        SetCursorPos(0, 0);
        settle(main_);
    }

    app_->kill();
    app_->start();
    main_ = app_->waitWindow(kMainTitle);
    ASSERT_TRUE(main_) << "automatic sign-in did not open MainWindow";
    for (const Library& lib : kLibraries) {
        SCOPED_TRACE(lib.what);
        auto page = libraryPage(main_, lib.custom);
        ASSERT_TRUE(page);
        EXPECT_TRUE(waitFor([&] { return names(page->list) == kAOntoC; })) << joined(names(page->list));
        EXPECT_EQ(cell(*app_, page->list, 2, 1), lib.entry(L"A")[1]);
    }
}

TEST_F(DragTest, RealClickWithoutAMoveShowsTheEntryAndMovesNothing) {
    const Library& lib = kLibraries[1];
    auto page = open(lib);
    ASSERT_TRUE(page) << "page not shown";
    for (const std::wstring& n : kFour) ASSERT_NO_FATAL_FAILURE(add(*page, lib.entry(n)));
    setText(page->edits[0], L"");

    ASSERT_NO_FATAL_FAILURE(press(page->list, 1));
    ASSERT_TRUE(sendMouse(onScreen(page->list, rowPoint(*app_, page->list, 1)), MOUSEEVENTF_LEFTUP));
    buttonDown_ = false;
    // A release that ended in a drop would save and reload, clearing the
    // selection before the click could show the entry.
    EXPECT_TRUE(waitFor([&] { return text(page->edits[0]) == L"B"; })) << "the click showed no entry";
    EXPECT_EQ(text(page->edits[3]), lib.entry(L"B")[3]);
    settle(main_);
    EXPECT_EQ(selectedRows(page->list), std::vector<int>{1});
    EXPECT_EQ(names(page->list), kFour);
    EXPECT_EQ(boxOf(main_, caption_).width, 0) << "a click shows no caption";
}

}  // namespace
}  // namespace vorda::e2e
