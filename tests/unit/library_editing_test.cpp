// Single entries on a library page: showing the clicked entry, adding and
// updating, deleting (button, Delete key, popup menu), searching, the search
// hint, and copying fields to the clipboard. Each case runs on both libraries
// unless they are meant to differ.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libraries/library.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::libraries {
namespace {

using testing::Row;
using testing::Rows;
using testing::u8;
using Mode = ui::MemoryBackend::SelectMode;

constexpr int kVkReturn = 13;
constexpr int kVkDelete = 46;
constexpr int kOk = ui::kIdOk;
constexpr int kCancel = ui::kIdCancel;

struct Lib {
    const char* name;
    const LibraryDescriptor& (*get)();
};
const Lib kLibs[] = {{"custom", customLibrary}, {"password", passwordLibrary}};

// An entry of the library's width: the name, then "<name>.1", "<name>.2", ...
Row entry(const LibraryDescriptor& lib, const std::string& name) {
    Row row{name};
    for (int k = 1; k < lib.dataFields; ++k) row.push_back(name + "." + std::to_string(k));
    return row;
}

Rows entriesNamed(const LibraryDescriptor& lib, const std::vector<std::string>& names) {
    Rows rows;
    for (const auto& n : names) rows.push_back(entry(lib, n));
    return rows;
}

class LibraryEditingTest : public testing::MainWindowTest {
protected:
    // The library's file holds these entries; MainWindow opens afresh on its page.
    void start(const LibraryDescriptor& lib, const Rows& stored) {
        writeStores();
        writeEntries(lib, stored);
        reopen();
        showPage(lib);
    }
    const ui::ListView& list(const LibraryDescriptor& lib) const { return listOf(lib); }
    Rows shown(const LibraryDescriptor& lib) const { return rowsOf(listOf(lib), lib.dataFields); }
    void typeEntry(const LibraryDescriptor& lib, const Row& texts) {
        for (std::size_t k = 0; k < texts.size(); ++k) ui.typeText(editsOf(lib)[k]->id(), texts[k]);
    }
    void clickAdd(const LibraryDescriptor& lib) { ui.click((w().*lib.addButton).id()); }
    void clickDelete(const LibraryDescriptor& lib) { ui.click((w().*lib.deleteButton).id()); }
    void select(const LibraryDescriptor& lib, const std::vector<int>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            ui.clickRow(list(lib).id(), rows[i], i == 0 ? Mode::Only : Mode::Toggle);
    }

    void expectUpdateQuestion(int answer) {
        ui.expectMessage(GBK("已存在的项目，确认要更新吗？"), GBK("提示"), ui::kOkCancel, answer);
    }
    void expectAddQuestion(int answer) {
        ui.expectMessage(GBK("确认添加新项目吗？"), GBK("询问"), ui::kOkCancelQuestion, answer);
    }
    void expectDeleteQuestion(int answer) {
        ui.expectMessage(GBK("确认要删除选中项吗？"), GBK("提示"), ui::kOkCancel, answer);
    }
    void expectCopyNotice() { ui.expectNotice(GBK("      已复制项目到剪贴板！"), GBK("文本复制"), 200); }
};

TEST_F(LibraryEditingTest, AClickShowsTheOneSelectedEntryAndNothingElse) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        const Rows stored = entriesNamed(lib, {"a", "b", "c"});
        start(lib, stored);
        const ui::ControlId id = list(lib).id();
        const std::vector<std::string> empty(static_cast<std::size_t>(lib.dataFields), "");

        ui.clickRow(id, 1);
        EXPECT_EQ(editTexts(lib), stored[1]);
        ui.clickAt(id, 5, ui::MemoryBackend::rowY(10));  // empty space below the rows
        EXPECT_TRUE(list(lib).selectedRows().empty());
        EXPECT_EQ(editTexts(lib), empty);
        ui.clickRow(id, 0);
        ui.clickRow(id, 2, Mode::Toggle);  // Ctrl and a click
        EXPECT_EQ(editTexts(lib), empty);
        ui.clickRow(id, 2, Mode::Toggle);  // back to one selected row
        EXPECT_EQ(editTexts(lib), stored[0]);
        ui.clickRow(id, 0, Mode::Range);  // Shift on the same row
        EXPECT_EQ(editTexts(lib), stored[0]);
    }
}

TEST_F(LibraryEditingTest, AddingAppendsTheBoxesAfterTheLastRowAndSaves) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, entriesNamed(lib, {"a", "b"}));
        ui.clickRow(list(lib).id(), 0);
        Row typed = entry(lib, GBK("新项目"));
        typed[1] = "";  // empty cells are fine but the name
        typeEntry(lib, typed);

        expectAddQuestion(kOk);
        clickAdd(lib);
        expectScriptDone();

        const Rows wanted = {entry(lib, "a"), entry(lib, "b"), typed};
        EXPECT_EQ(storedEntries(lib), wanted);
        EXPECT_EQ(shown(lib), wanted);
        EXPECT_EQ(list(lib).cell(2, lib.dataFields), "");  // the untitled column
        EXPECT_EQ((w().*lib.countLabel).text(), "3");
        EXPECT_TRUE(list(lib).selectedRows().empty());
        EXPECT_EQ(editTexts(lib), typed);
    }
}

TEST_F(LibraryEditingTest, AnEmptyNameIsRefusedAndNothingElseHappens) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, entriesNamed(lib, {"a", "b"}));
        ui.clickRow(list(lib).id(), 1);
        ui.typeText(editsOf(lib)[0]->id(), "");
        ui.typeText(editsOf(lib)[2]->id(), "other");
        const auto before = fileBytes(lib.storeFile);

        ui.expectMessage(GBK("项目名不能为空！"), GBK("提示"), ui::kOk);
        clickAdd(lib);
        expectScriptDone();

        EXPECT_EQ(fileBytes(lib.storeFile), before);
        EXPECT_EQ(shown(lib), entriesNamed(lib, {"a", "b"}));
        EXPECT_EQ(list(lib).selectedRows(), std::vector<int>{1});
    }
}

// Rows 0 and 2 bear the name; each is asked about in turn, and only when no
// update was confirmed does the add question follow.
TEST_F(LibraryEditingTest, EveryRowWithTheNameIsAskedAboutInTurn) {
    struct Case {
        std::vector<int> answers;  // update row 0, update row 2, then the add question if any
        std::vector<bool> updated;
        bool appended;
    };
    const Case cases[] = {
        {{kOk, kOk}, {true, true}, false},
        {{kOk, kCancel}, {true, false}, false},
        {{kCancel, kOk}, {false, true}, false},
        {{kCancel, kCancel, kOk}, {false, false}, true},
        {{kCancel, kCancel, kCancel}, {false, false}, false},
    };
    for (const Lib& l : kLibs) {
        const LibraryDescriptor& lib = l.get();
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(l.name) + ", answers " + ::testing::PrintToString(c.answers));
            const Rows stored = entriesNamed(lib, {"mail", "other", "mail"});
            start(lib, stored);
            Row typed = entry(lib, "mail");
            for (std::size_t k = 1; k < typed.size(); ++k) typed[k] = "new" + std::to_string(k);
            typeEntry(lib, typed);

            expectUpdateQuestion(c.answers[0]);
            expectUpdateQuestion(c.answers[1]);
            if (c.answers.size() > 2) expectAddQuestion(c.answers[2]);
            clickAdd(lib);
            expectScriptDone();

            Rows wanted = stored;
            if (c.updated[0]) wanted[0] = typed;
            if (c.updated[1]) wanted[2] = typed;
            if (c.appended) wanted.push_back(typed);
            EXPECT_EQ(storedEntries(lib), wanted);
            EXPECT_EQ(shown(lib), wanted);
        }
    }
}

TEST_F(LibraryEditingTest, NamesDifferingInCaseOrSpacesAreNewEntries) {
    const char* const typedNames[] = {"Mail", "mail ", " mail"};
    for (const Lib& l : kLibs) {
        const LibraryDescriptor& lib = l.get();
        for (const char* name : typedNames) {
            SCOPED_TRACE(std::string(l.name) + ", '" + name + "'");
            start(lib, entriesNamed(lib, {"mail"}));
            typeEntry(lib, entry(lib, name));

            expectAddQuestion(kOk);  // and no update question before it
            clickAdd(lib);
            expectScriptDone();
            EXPECT_EQ(storedEntries(lib), (Rows{entry(lib, "mail"), entry(lib, name)}));
        }
    }
}

TEST_F(LibraryEditingTest, DecliningTheAddStillSavesAndReloads) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, entriesNamed(lib, {"a", "b"}));
        ui.clickRow(list(lib).id(), 1);
        ui.typeText(editsOf(lib)[0]->id(), "c");
        const auto before = fileBytes(lib.storeFile);

        expectAddQuestion(kCancel);
        clickAdd(lib);
        expectScriptDone();

        EXPECT_EQ(shown(lib), entriesNamed(lib, {"a", "b"}));
        EXPECT_TRUE(list(lib).selectedRows().empty()) << "not reloaded";
        EXPECT_EQ(fileBytes(lib.storeFile), before);
    }
}

// Rows 1, 3 and 4 of six go, whichever way the delete is started.
TEST_F(LibraryEditingTest, DeletingRemovesExactlyTheSelectedRows) {
    enum class Trigger { Button, DeleteKey, Popup };
    const Trigger triggers[] = {Trigger::Button, Trigger::DeleteKey, Trigger::Popup};
    for (const Lib& l : kLibs) {
        const LibraryDescriptor& lib = l.get();
        for (Trigger t : triggers) {
            SCOPED_TRACE(std::string(l.name) + ", trigger " + std::to_string(static_cast<int>(t)));
            start(lib, entriesNamed(lib, {"r0", "r1", "r2", "r3", "r4", "r5"}));
            select(lib, {1, 3, 4});
            ui.typeText(editsOf(lib)[1]->id(), "kept");

            expectDeleteQuestion(kOk);
            switch (t) {
                case Trigger::Button:
                    clickDelete(lib);
                    break;
                case Trigger::DeleteKey:
                    ui.pressKey(list(lib).id(), kVkDelete);
                    break;
                case Trigger::Popup:
                    ui.rightClickAt(list(lib).id(), 5, ui::MemoryBackend::rowY(3));
                    ui.chooseMenuItem(mainwindow::kMenuDelete);
                    break;
            }
            expectScriptDone();

            const Rows wanted = entriesNamed(lib, {"r0", "r2", "r5"});
            EXPECT_EQ(storedEntries(lib), wanted);
            EXPECT_EQ(shown(lib), wanted);
            EXPECT_EQ((w().*lib.countLabel).text(), "3");
            EXPECT_EQ(editsOf(lib)[1]->text(), "kept");
        }
    }
}

TEST_F(LibraryEditingTest, DeletingWithNothingSelectedAsksNothing) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, entriesNamed(lib, {"a", "b"}));
        faults().reset();
        clickDelete(lib);
        ui.pressKey(list(lib).id(), kVkDelete);
        EXPECT_TRUE(faults().log().empty()) << "the store was opened";
        EXPECT_EQ(shown(lib), entriesNamed(lib, {"a", "b"}));
    }
}

// Declining keeps the custom list as it is, but the password library saves
// and reloads all the same, which clears the selection.
TEST_F(LibraryEditingTest, DecliningADeleteKeepsTheEntries) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        const bool reloads = &lib == &passwordLibrary();
        start(lib, entriesNamed(lib, {"a", "b", "c"}));
        select(lib, {0, 2});
        const auto before = fileBytes(lib.storeFile);

        expectDeleteQuestion(kCancel);
        clickDelete(lib);
        expectScriptDone();

        EXPECT_EQ(shown(lib), entriesNamed(lib, {"a", "b", "c"}));
        EXPECT_EQ(fileBytes(lib.storeFile), before);
        EXPECT_EQ(list(lib).selectedRows(), (reloads ? std::vector<int>{} : std::vector<int>{0, 2}));
    }
}

TEST_F(LibraryEditingTest, ThePopupMenuOpensBesideThePointerAndDeletesOnTheShownPage) {
    writeStores({{"c0"}, {"c1"}}, {{"p0"}, {"p1"}});
    reopen();
    showPage(customLibrary());
    const ui::ControlId customList = w().超级列表框1.id();
    ui.rightClickAt(customList, 40, ui::MemoryBackend::rowY(1));

    const auto menu = ui.openMenu();
    ASSERT_TRUE(menu);
    const auto r = ui.screenRect(customList);
    EXPECT_EQ(menu->screenX, r.left + 40 + 3);
    EXPECT_EQ(menu->screenY, r.top + ui::MemoryBackend::rowY(1) + 3);
    EXPECT_EQ(ui.menuItems(menu->menu), (std::vector<std::string>{GBK("删除选中项"), GBK("导入"), GBK("导出")}));
    EXPECT_EQ(w().超级列表框1.selectedRows(), std::vector<int>{1});

    // The item acts on the page shown when it is chosen; the settings page has
    // no library, so nothing is asked.
    ui.dismissMenu();
    w().超级列表框2.select(0);
    ui.click(w().图形按钮1.id());
    ui::Event e;
    e.kind = ui::EventKind::MenuItem;
    e.item = mainwindow::kMenuDelete;
    ui.fire(menu->menu, e);
    expectScriptDone();
    EXPECT_EQ(customEntries().size(), 2u);
    EXPECT_EQ(passwordEntries().size(), 2u);

    ui.click(w().超级链接框2.id());
    expectDeleteQuestion(kOk);
    ui.fire(menu->menu, e);
    expectScriptDone();
    EXPECT_EQ(customEntries(), (Rows{Row{"c0", "", "", "", "", ""}, Row{"c1", "", "", "", "", ""}}));
    EXPECT_EQ(passwordEntries(), (Rows{Row{"p1", "", "", "", ""}}));
}

TEST_F(LibraryEditingTest, SearchSelectsEveryNameContainingTheTextAndKeepsEarlierSelections) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        Rows stored = entriesNamed(lib, {"Abc", "x", "cab", "ab", "xAB", "y"});
        stored[5][1] = "ab";  // other columns are not searched
        start(lib, stored);
        ui.clickRow(list(lib).id(), 1);
        const auto boxes = editTexts(lib);

        ui.typeText((w().*lib.searchBox).id(), "ab");
        ui.click((w().*lib.searchButton).id());

        EXPECT_EQ(list(lib).selectedRows(), (std::vector<int>{1, 2, 3}));
        EXPECT_TRUE(list(lib).hasFocus());
        EXPECT_EQ(ui.scrolledTo(list(lib).id()), 3);  // the last match
        EXPECT_EQ(editTexts(lib), boxes);
        EXPECT_EQ((w().*lib.searchBox).text(), "ab");
    }
}

TEST_F(LibraryEditingTest, SearchMatchesOnlyWholeCharacters) {
    // "形" is D0 CE, the bytes that stand across "中文" (D6 D0 CE C4).
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, entriesNamed(lib, {GBK("中文"), GBK("形状"), GBK("图形")}));
        ui.typeText((w().*lib.searchBox).id(), GBK("形"));
        ui.click((w().*lib.searchButton).id());
        EXPECT_EQ(list(lib).selectedRows(), (std::vector<int>{1, 2}));
    }
}

TEST_F(LibraryEditingTest, AnEmptySearchBoxSearchesTheHint) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, entriesNamed(lib, {"x", GBK("搜索项目一"), "y"}));
        ui.typeText((w().*lib.searchBox).id(), "");
        ui.click((w().*lib.searchButton).id());

        EXPECT_EQ(u8((w().*lib.searchBox).text()), "搜索项目");
        EXPECT_EQ(list(lib).selectedRows(), std::vector<int>{1});
    }
}

TEST_F(LibraryEditingTest, TheHintLeavesOnFocusAndComesBackWhenEmpty) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, {});
        const ui::Edit& box = w().*lib.searchBox;
        const ui::ControlId elsewhere = editsOf(lib)[0]->id();
        EXPECT_EQ(u8(box.text()), "搜索项目");

        ui.focus(box.id());
        EXPECT_EQ(box.text(), "");
        ui.focus(elsewhere);
        EXPECT_EQ(u8(box.text()), "搜索项目");

        ui.typeText(box.id(), "abc");
        ui.focus(elsewhere);
        EXPECT_EQ(box.text(), "abc");
        ui.typeText(box.id(), GBK("搜索项目 "));  // not exactly the hint: stays
        ui.focus(elsewhere);
        ui.focus(box.id());
        EXPECT_EQ(u8(box.text()), "搜索项目 ");
    }
}

TEST_F(LibraryEditingTest, EnterSearchesOnReleaseInTheCustomAndOnPressInThePasswordLibrary) {
    struct Case {
        const Lib& lib;
        ui::EventKind searchesOn;
    };
    const Case cases[] = {{kLibs[0], ui::EventKind::KeyUp}, {kLibs[1], ui::EventKind::KeyDown}};
    for (const Case& c : cases) {
        const LibraryDescriptor& lib = c.lib.get();
        for (ui::EventKind kind : {ui::EventKind::KeyDown, ui::EventKind::KeyUp}) {
            for (int key : {kVkReturn, int{'A'}}) {
                SCOPED_TRACE(std::string(c.lib.name) + (kind == ui::EventKind::KeyUp ? ", up" : ", down") +
                             ", key " + std::to_string(key));
                start(lib, entriesNamed(lib, {"ab", "cd"}));
                ui.typeText((w().*lib.searchBox).id(), "ab");
                ui::Event e;
                e.kind = kind;
                e.key = key;
                ui.fire((w().*lib.searchBox).id(), e);
                const bool searched = kind == c.searchesOn && key == kVkReturn;
                EXPECT_EQ(list(lib).selectedRows(), searched ? std::vector<int>{0} : std::vector<int>{});
            }
        }
    }
}

TEST_F(LibraryEditingTest, EachCopyButtonCopiesTheBoxBesideIt) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, {});
        const Row typed = entry(lib, GBK("名字"));
        typeEntry(lib, typed);
        for (int k = 0; k < lib.dataFields; ++k) {
            SCOPED_TRACE(k);
            expectCopyNotice();
            ui.click((w().*lib.copyButtons[static_cast<std::size_t>(k)]).id());
            expectScriptDone();
            EXPECT_EQ(ui.clipboard(), typed[static_cast<std::size_t>(k)]);
        }
    }
}

TEST_F(LibraryEditingTest, CopyingAnEmptyBoxDoesNothingAndABusyClipboardStillGetsTheNotice) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        start(lib, {});
        expectCopyNotice();
        ui.typeText(editsOf(lib)[0]->id(), "before");
        ui.click((w().*lib.copyButtons[0]).id());
        expectScriptDone();

        ui.typeText(editsOf(lib)[0]->id(), "");
        ui.click((w().*lib.copyButtons[0]).id());  // no notice expected
        expectScriptDone();
        EXPECT_EQ(ui.clipboard(), "before");

        ui.setClipboardAvailable(false);
        ui.typeText(editsOf(lib)[0]->id(), "after");
        expectCopyNotice();
        ui.click((w().*lib.copyButtons[0]).id());
        expectScriptDone();
        EXPECT_EQ(ui.clipboard(), "before");
        ui.setClipboardAvailable(true);
    }
}

}  // namespace
}  // namespace vorda::libraries
