// The password library on its page: adding, updating, deleting (button,
// Delete key, popup menu), searching, copying a field, and what survives a
// restart.
#include <set>

#include "fixture.h"
#include "screens.h"

namespace vorda::e2e {
namespace {

using namespace main_form;
using Entry = std::vector<std::wstring>;  // 项目, 地址, 账户, 密码, 备注

Entry entry(const std::wstring& name) { return {name, L"https://" + name, name + L"@mail", L"pw-" + name, L"备注" + name}; }

class LibraryTest : public AppTest {
protected:
    void SetUp() override {
        app_ = &launch(settings().vordaExe);
        main_ = registerAndOpenMain(*app_, L"alice", L"secret", true);
        ASSERT_TRUE(main_) << "MainWindow did not open after registration";
        findPage();
    }

    void findPage() {
        auto p = libraryPage(main_, false);
        ASSERT_TRUE(p);
        page_ = *p;
        count_ = control(main_, L"VordaLabel", kPasswordCount);
        ASSERT_TRUE(count_);
    }

    void fill(const Entry& e) {
        for (int i = 0; i < 5; ++i) setText(page_.edits[i], e[i]);
    }

    // Fills the boxes, clicks "新增/更改项" and answers the questions that
    // follow in turn.
    void submit(const Entry& e, const std::vector<std::pair<std::wstring, int>>& questions) {
        fill(e);
        click(page_.addOrUpdate);
        for (const auto& [question, id] : questions) {
            std::wstring seen;
            ASSERT_TRUE(expectBox(*app_, question, id, &seen)) << "expected '" << utf8(question) << "', saw '"
                                                               << utf8(seen) << "'";
        }
        settle(main_);
    }

    void add(const Entry& e) {
        const int before = rowCount(page_.list);
        submit(e, {{L"确认添加新项目吗？", IDOK}});
        ASSERT_TRUE(waitFor([&] { return rowCount(page_.list) == before + 1; })) << utf8(e[0]) << " not added";
    }

    Entry row(int r) {
        Entry e;
        for (int c = 0; c < 5; ++c) e.push_back(cell(*app_, page_.list, r, c));
        return e;
    }
    std::vector<std::wstring> names() {
        std::vector<std::wstring> out;
        for (int r = 0; r < rowCount(page_.list); ++r) out.push_back(cell(*app_, page_.list, r, 0));
        return out;
    }
    bool waitNames(const std::vector<std::wstring>& wanted) {
        return waitFor([&] { return names() == wanted; });
    }
    bool waitCount(int n) {
        return waitFor([&] { return text(count_) == std::to_wstring(n); });
    }
    void addSix() {
        for (const wchar_t* n : {L"r0", L"r1", L"r2", L"r3", L"r4", L"r5"}) ASSERT_NO_FATAL_FAILURE(add(entry(n)));
    }
    void select(const std::vector<int>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) clickRow(*app_, page_.list, rows[i], i ? MK_CONTROL : 0);
        ASSERT_TRUE(waitFor([&] { return selectedRows(page_.list) == rows; }));
    }

    App* app_ = nullptr;
    HWND main_ = nullptr;
    LibraryPage page_;
    HWND count_ = nullptr;
};

TEST_F(LibraryTest, AddedEntryShowsAsARowAndInTheCount) {
    const int before = rowCount(page_.list);
    ASSERT_TRUE(waitCount(before));
    add(entry(L"邮箱"));
    EXPECT_EQ(row(before), entry(L"邮箱"));
    EXPECT_TRUE(waitCount(before + 1)) << utf8(text(count_));
}

TEST_F(LibraryTest, ExistingNameIsUpdatedOnlyWhenConfirmed) {
    ASSERT_NO_FATAL_FAILURE(add(entry(L"a")));
    ASSERT_NO_FATAL_FAILURE(add(entry(L"b")));
    const int rows = rowCount(page_.list);
    Entry changed = {L"a", L"new-url", L"new-user", L"new-pw", L"new-note"};
    struct Case {
        const char* what;
        std::vector<std::pair<std::wstring, int>> answers;
        Entry rowA;
        int rows;
    };
    // Declining the update asks to add; declining that too changes nothing.
    const Case cases[] = {
        {"declined", {{L"已存在的项目，确认要更新吗？", IDCANCEL}, {L"确认添加新项目吗？", IDCANCEL}}, entry(L"a"), rows},
        {"confirmed", {{L"已存在的项目，确认要更新吗？", IDOK}}, changed, rows},
    };
    for (const Case& c : cases) {
        submit(changed, c.answers);
        EXPECT_TRUE(waitFor([&] { return row(rows - 2) == c.rowA; })) << c.what << ": " << utf8(row(rows - 2)[1]);
        EXPECT_EQ(rowCount(page_.list), c.rows) << c.what;
        EXPECT_EQ(row(rows - 1), entry(L"b")) << c.what;
        EXPECT_FALSE(app_->messageBox()) << c.what;
    }
}

TEST_F(LibraryTest, DeletingSelectedRowsByButtonAndKey) {
    addSix();
    const std::vector<std::wstring> six = {L"r0", L"r1", L"r2", L"r3", L"r4", L"r5"};
    ASSERT_TRUE(waitNames(six));

    // Button, declined first, then confirmed.
    select({1, 3, 4});
    click(page_.remove);
    ASSERT_TRUE(expectBox(*app_, L"确认要删除选中项吗？", IDCANCEL));
    EXPECT_TRUE(waitNames(six));
    select({1, 3, 4});
    click(page_.remove);
    ASSERT_TRUE(expectBox(*app_, L"确认要删除选中项吗？", IDOK));
    EXPECT_TRUE(waitNames({L"r0", L"r2", L"r5"}));
    EXPECT_TRUE(waitCount(3));

    // Delete key on the list.
    select({2});
    postKey(page_.list, VK_DELETE);
    ASSERT_TRUE(expectBox(*app_, L"确认要删除选中项吗？", IDOK));
    EXPECT_TRUE(waitNames({L"r0", L"r2"}));
}

// Without a window manager, Wine hands the X focus change of a message box
// closed just before to the menu's own loop, which then ends the menu without
// a command: on a busy machine this fails now and then for reasons outside the
// program. Run it with --gtest_also_run_disabled_tests on a quiet machine.
TEST_F(LibraryTest, DISABLED_PopupMenuDeletesTheSelectedRows) {
    ASSERT_NO_FATAL_FAILURE(add(entry(L"r0")));
    ASSERT_NO_FATAL_FAILURE(add(entry(L"r2")));
    ASSERT_TRUE(waitNames({L"r0", L"r2"}));

    // A right click by the real mouse: a posted one races with the list's own
    // tracking of the pointer. The row is chosen by a real left click first,
    // so the window has the X focus. The menu opens beside the pointer, so no
    // item lies under it; its first item deletes.
    const POINT at = onScreen(page_.list, rowPoint(*app_, page_.list, 0));
    ASSERT_TRUE(sendMouse(at));
    ASSERT_TRUE(waitFor([&] { return cursorAt(at); }));
    ASSERT_TRUE(sendMouse(at, MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(sendMouse(at, MOUSEEVENTF_LEFTUP));
    ASSERT_TRUE(waitFor([&] { return selectedRows(page_.list) == std::vector<int>{0} && text(page_.edits[0]) == L"r0"; }));
    ASSERT_TRUE(settle(main_));
    ASSERT_TRUE(sendMouse(at, MOUSEEVENTF_RIGHTDOWN));
    ASSERT_TRUE(sendMouse(at, MOUSEEVENTF_RIGHTUP));
    HWND menu = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (HWND h : app_->windows())
            if (className(h) == L"#32768") menu = h;
        return menu != nullptr;
    }));
    // Its first item, by the real mouse too: three items of equal height.
    RECT r;
    ASSERT_TRUE(GetWindowRect(menu, &r));
    const POINT item{(r.left + r.right) / 2, r.top + (r.bottom - r.top) / 6};
    ASSERT_TRUE(sendMouse(item));
    ASSERT_TRUE(waitFor([&] { return cursorAt(item); }));
    ASSERT_TRUE(sendMouse(item, MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(sendMouse(item, MOUSEEVENTF_LEFTUP));
    ASSERT_TRUE(expectBox(*app_, L"确认要删除选中项吗？", IDOK));
    EXPECT_TRUE(waitNames({L"r2"}));
    EXPECT_TRUE(waitCount(1));
}

TEST_F(LibraryTest, SearchSelectsEveryRowWhoseNameContainsTheText) {
    for (const wchar_t* n : {L"银行卡", L"mail", L"网银", L"gmail", L"银"}) ASSERT_NO_FATAL_FAILURE(add(entry(n)));
    struct Case {
        const wchar_t* text;
        std::vector<int> rows;
    };
    const Case cases[] = {{L"银", {0, 2, 4}}, {L"mail", {1, 3}}, {L"Mail", {}}, {L"银行", {0}}};
    for (const Case& c : cases) {
        clickRow(*app_, page_.list, 4);  // a search adds to the selection: start from a known one
        ASSERT_TRUE(waitFor([&] { return selectedRows(page_.list) == std::vector<int>{4}; }));
        setText(page_.searchBox, c.text);
        click(page_.searchButton);
        std::vector<int> wanted = c.rows;
        if (std::find(wanted.begin(), wanted.end(), 4) == wanted.end()) wanted.push_back(4);
        std::sort(wanted.begin(), wanted.end());
        EXPECT_TRUE(waitFor([&] { return selectedRows(page_.list) == wanted; })) << utf8(c.text);
        EXPECT_EQ(focusOf(main_), page_.list) << utf8(c.text);
    }
}

TEST_F(LibraryTest, CopyPutsTheFieldOnTheClipboardAndShowsAPassingNotice) {
    ASSERT_NO_FATAL_FAILURE(add(entry(L"复制")));
    clickRow(*app_, page_.list, rowCount(page_.list) - 1);
    ASSERT_TRUE(waitFor([&] { return text(page_.edits[3]) == L"pw-复制"; })) << "clicked entry not shown";
    const Entry e = entry(L"复制");
    auto noticeShown = [&] {
        const auto box = app_->messageBox();
        return box && box->title == L"文本复制";
    };
    for (int k = 0; k < 5; ++k) {
        HWND copy = controlIn(main_, page_.page, L"Button", kPasswordCopies[k]);
        ASSERT_TRUE(copy) << k;
        EXPECT_EQ(text(copy), L"复制");
        // The notice closes itself after 200 ms: watch closely while the click runs.
        PostMessageW(copy, BM_CLICK, 0, 0);
        EXPECT_TRUE(waitFor(noticeShown, kTimeout, 1)) << "no copy notice for field " << k;
        EXPECT_TRUE(waitFor([&] { return !noticeShown(); })) << "notice did not close itself";
        EXPECT_EQ(clipboardText().value_or(L"<none>"), e[k]) << k;
    }
}

TEST_F(LibraryTest, CopyOfAnEmptyBoxDoesNothing) {
    setText(page_.edits[1], L"");
    HWND copy = controlIn(main_, page_.page, L"Button", kPasswordCopies[1]);
    ASSERT_TRUE(copy);
    click(copy);
    settle(main_);
    EXPECT_FALSE(app_->window(L"文本复制"));
}

TEST_F(LibraryTest, EntriesSurviveARestart) {
    for (const wchar_t* n : {L"甲", L"乙"}) ASSERT_NO_FATAL_FAILURE(add(entry(n)));
    const int rows = rowCount(page_.list);
    app_->kill();
    app_->start();
    main_ = app_->waitWindow(kMainTitle);
    ASSERT_TRUE(main_);
    findPage();
    ASSERT_TRUE(waitFor([&] { return rowCount(page_.list) == rows; }));
    EXPECT_EQ(row(rows - 2), entry(L"甲"));
    EXPECT_EQ(row(rows - 1), entry(L"乙"));
    EXPECT_TRUE(waitCount(rows));
}

}  // namespace
}  // namespace vorda::e2e
