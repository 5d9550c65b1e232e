// The memory backend the window tests run on: it must behave like the Win32
// one where handlers can tell (deferred destruction, focus, list selection and
// hit test) and must catch dialogs the test did not expect.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "ui/memory/memory_backend.h"

namespace vorda::ui {
namespace {

ControlSpec desc(Kind kind, const char* name, const char* parent = "", int x = 0, int y = 0, int w = 80, int h = 24) {
    ControlSpec c;
    c.kind = kind;
    c.name = name;
    c.parent = parent;
    c.x = x;
    c.y = y;
    c.width = w;
    c.height = h;
    return c;
}

// A window with a little of everything.
FormSpec sampleForm(const char* title = "Sample") {
    FormSpec f;
    f.title = title;
    f.width = 400;
    f.height = 300;
    f.closeOnEscape = true;
    f.controls = {
        desc(Kind::Edit, "edit1"),
        desc(Kind::Edit, "edit2"),
        desc(Kind::Button, "button", "", 0, 30),
        desc(Kind::CheckBox, "check"),
        desc(Kind::PageControl, "pages", "", 10, 60, 300, 200),
        desc(Kind::Page, "page0", "pages"),
        desc(Kind::Page, "page1", "pages"),
        desc(Kind::Button, "onPage1", "page1"),
        desc(Kind::ListView, "list", "page0", 8, 20, 200, 100),
    };
    f.controls.back().columns = {{"A", 50}, {"B", 50}};
    return f;
}

class MemoryBackendTest : public testing::UiTest {
protected:
    ControlId open(const char* title = "Sample") {
        const ControlId w = ui.createWindow(sampleForm(title));
        ui.showWindow(w);
        return w;
    }
    ControlId at(ControlId w, const char* name) { return ui.control(w, name); }
    // Takes the problems recorded so far, so the fixture does not fail on them.
    std::vector<std::string> problems() { return ui.finish(); }
};

TEST_F(MemoryBackendTest, DestructionWaitsUntilTheOutermostHandlerReturns) {
    const ControlId a = open("A");
    const ControlId b = open("B");
    std::weak_ptr<int> kept;
    {
        auto data = std::make_shared<int>(7);
        kept = data;
        ui.keepWithWindow(a, data);
    }
    bool aliveAfterNested = false;
    std::string textAfterNested;
    ui.on(at(a, "button"), EventKind::Click, [&](const Event&) {
        ui.runHandler([&] { ui.destroyWindow(a); });
        aliveAfterNested = ui.exists(a);
        textAfterNested = ui.text(at(a, "edit1"));
    });
    ui.setText(at(a, "edit1"), "still here");

    ui.click(at(a, "button"));
    EXPECT_TRUE(aliveAfterNested);
    EXPECT_EQ(textAfterNested, "still here");
    EXPECT_FALSE(ui.exists(a));
    EXPECT_TRUE(kept.expired()) << "data kept with a window outlived it";
    EXPECT_EQ(ui.windows(), std::vector<ControlId>{b});
    EXPECT_FALSE(ui.ended());

    ui.destroyWindow(b);  // outside any handler: at once
    EXPECT_FALSE(ui.exists(b));
    EXPECT_TRUE(ui.ended());
}

TEST_F(MemoryBackendTest, UseOfADestroyedControlIsReported) {
    const ControlId w = open();
    const ControlId edit = at(w, "edit1");
    ui.closeWindow(w);
    ui.setText(edit, "x");
    ASSERT_EQ(problems().size(), 1u);
}

TEST_F(MemoryBackendTest, MessageScriptAnswersAndCatchesMismatches) {
    struct Case {
        const char* what;
        std::function<void(MemoryBackend&)> expect;
        int returned;
        std::size_t problems;
    };
    const Case cases[] = {
        {"as expected", [](MemoryBackend& b) { b.expectMessage("text", "title", kOkCancel, kIdOk); }, kIdOk, 0},
        {"answered Cancel", [](MemoryBackend& b) { b.expectMessage("text", "title", kOkCancel, kIdCancel); },
         kIdCancel, 0},
        {"other text", [](MemoryBackend& b) { b.expectMessage("text!", "title", kOkCancel); }, kIdCancel, 1},
        {"other title", [](MemoryBackend& b) { b.expectMessage("text", "", kOkCancel); }, kIdCancel, 1},
        {"other type", [](MemoryBackend& b) { b.expectMessage("text", "title", kOkCancelQuestion); }, kIdCancel, 1},
        {"unexpected", [](MemoryBackend&) {}, kIdCancel, 1},
        {"a file dialog was due", [](MemoryBackend& b) { b.expectFileDialog({}, "x.txt"); }, kIdCancel, 1},
        {"one more never came",
         [](MemoryBackend& b) {
             b.expectMessage("text", "title", kOkCancel);
             b.expectNotice("copied", "title", 200);
         },
         kIdOk, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.expect(ui);
        EXPECT_EQ(ui.messageBox("text", "title", kOkCancel), c.returned);
        EXPECT_EQ(problems().size(), c.problems);
    }
}

TEST_F(MemoryBackendTest, FileDialogScriptChecksTheRequest) {
    const FileDialogRequest request{true, "C:\\dir", "Text|*.txt", "C:\\dir\\old.txt"};
    ui.expectFileDialog(request, "C:\\dir\\new.txt");
    EXPECT_EQ(ui.chooseFile(request), "C:\\dir\\new.txt");
    ui.expectFileDialog(request, std::nullopt);
    EXPECT_EQ(ui.chooseFile(request), std::nullopt);
    EXPECT_TRUE(problems().empty());

    FileDialogRequest openInstead = request;
    openInstead.save = false;
    ui.expectFileDialog(request, "C:\\dir\\new.txt");
    EXPECT_EQ(ui.chooseFile(openInstead), std::nullopt);
    EXPECT_EQ(problems().size(), 1u);
}

TEST_F(MemoryBackendTest, TheUserCannotClickWhatIsNotOnScreen) {
    struct Case {
        const char* what;
        std::function<ControlId(MemoryBackend&, ControlId)> target;  // gets the shown window
    };
    const Case cases[] = {
        {"hidden", [](MemoryBackend& b, ControlId w) {
             b.setVisible(b.control(w, "button"), false);
             return b.control(w, "button");
         }},
        {"on a page not shown", [](MemoryBackend& b, ControlId w) { return b.control(w, "onPage1"); }},
        {"window not shown", [](MemoryBackend& b, ControlId) {
             return b.control(b.createWindow(sampleForm("Hidden")), "button");
         }},
        {"program ended", [](MemoryBackend& b, ControlId w) {
             b.quit();
             return b.control(w, "button");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.reset();
        const ControlId target = c.target(ui, open());
        int clicks = 0;
        ui.on(target, EventKind::Click, [&](const Event&) { ++clicks; });
        ui.click(target);
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(problems().size(), 1u);
    }

    // Once its page is current, the button is there.
    ui.reset();
    const ControlId w = open("Pages");
    ui.setCurrentPage(at(w, "pages"), 1);
    int clicks = 0;
    ui.on(at(w, "onPage1"), EventKind::Click, [&](const Event&) { ++clicks; });
    ui.click(at(w, "onPage1"));
    EXPECT_EQ(clicks, 1);
}

TEST_F(MemoryBackendTest, FocusChangesRaiseEventsInsideTheRunningHandler) {
    const ControlId w = open();
    const ControlId e1 = at(w, "edit1"), e2 = at(w, "edit2"), button = at(w, "button");
    std::vector<std::string> log;
    for (auto [id, name] : {std::pair{e1, "e1"}, std::pair{e2, "e2"}}) {
        ui.on(id, EventKind::FocusIn, [&log, n = std::string(name)](const Event&) { log.push_back("in " + n); });
        ui.on(id, EventKind::FocusOut, [&log, n = std::string(name)](const Event&) { log.push_back("out " + n); });
    }
    ui.on(button, EventKind::Click, [&](const Event&) {
        log.push_back("click");
        ui.setFocus(e2);
        log.push_back("after setFocus");
    });

    ui.typeText(e1, "abc");
    ui.click(button);
    EXPECT_EQ(log, (std::vector<std::string>{"in e1", "out e1", "click", "in e2", "after setFocus"}));
    EXPECT_TRUE(ui.hasFocus(e2));
    EXPECT_EQ(ui.text(e1), "abc");
}

TEST_F(MemoryBackendTest, HitTestUsesNineteenPixelRowsFromTheTop) {
    const ControlId w = open();
    const ControlId list = at(w, "list");  // 200 x 100
    ui.setRows(list, {{"r0"}, {"r1"}, {"r2"}});
    const struct {
        int x, y, row;
    } cases[] = {{5, 0, 0}, {5, 18, 0}, {5, 19, 1}, {199, 56, 2}, {5, 57, -1}, {-1, 5, -1}, {200, 5, -1}, {5, -1, -1}};
    for (const auto& c : cases) EXPECT_EQ(ui.hitTest(list, c.x, c.y), c.row) << c.x << "," << c.y;
}

TEST_F(MemoryBackendTest, ListClicksSelectAfterLeftDownAndBeforeClick) {
    const ControlId w = open();
    const ControlId list = at(w, "list");
    ui.setRows(list, {{"a"}, {"b"}, {"c"}, {"d"}});
    std::vector<int> atDown, atClick;
    ui.on(list, EventKind::LeftDown, [&](const Event&) { atDown = ui.selectedRows(list); });
    ui.on(list, EventKind::Click, [&](const Event&) { atClick = ui.selectedRows(list); });

    ui.clickRow(list, 1);
    EXPECT_EQ(atDown, std::vector<int>{});
    EXPECT_EQ(atClick, std::vector<int>{1});
    ui.clickRow(list, 3, MemoryBackend::SelectMode::Toggle);
    EXPECT_EQ(atClick, (std::vector<int>{1, 3}));
    ui.clickRow(list, 2, MemoryBackend::SelectMode::Range);
    EXPECT_EQ(atClick, (std::vector<int>{1, 2}));
    // A press on a selected row keeps the selection, so a drag can carry it.
    ui.pressAt(list, 5, MemoryBackend::rowY(2));
    EXPECT_EQ(ui.selectedRows(list), (std::vector<int>{1, 2}));
    ui.clickAt(list, 5, 90);  // below the last row
    EXPECT_EQ(atClick, std::vector<int>{});
    EXPECT_TRUE(ui.hasFocus(list));
}

TEST_F(MemoryBackendTest, EscapeClosesOnlyWindowsThatAskForIt) {
    const ControlId keeps = ui.createWindow([] {
        FormSpec f = sampleForm("Keeps");
        f.closeOnEscape = false;
        return f;
    }());
    ui.showWindow(keeps);
    const ControlId closes = open("Closes");
    std::vector<int> keys;
    ui.on(at(closes, "edit1"), EventKind::KeyDown, [&](const Event& e) { keys.push_back(e.key); });

    ui.pressKey(at(keeps, "edit1"), MemoryBackend::kEscape);
    EXPECT_TRUE(ui.exists(keeps));
    ui.pressKey(at(closes, "edit1"), MemoryBackend::kEscape);
    EXPECT_EQ(keys, std::vector<int>{MemoryBackend::kEscape});
    EXPECT_FALSE(ui.exists(closes));
    EXPECT_FALSE(ui.ended());
}

TEST_F(MemoryBackendTest, ClipboardThatCannotBeOpenedKeepsItsText) {
    EXPECT_TRUE(ui.setClipboardText("first"));
    ui.setClipboardAvailable(false);
    EXPECT_FALSE(ui.setClipboardText("second"));
    EXPECT_EQ(ui.clipboard(), "first");
}

}  // namespace
}  // namespace vorda::ui
