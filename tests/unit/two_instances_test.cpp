// Two running programs on one directory, each with its own MainWindow and the
// store files shared: a list holds what its window last loaded, and a save
// writes the whole list, so a window that loaded before the other saved must
// not write its stale list over the other's entries. The same guard keeps a
// list that does not show the store (its load failed) from replacing it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "libraries/drag.h"
#include "libraries/library.h"
#include "mainwindow/main_window.h"
#include "platform/filesystem.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::libraries {
namespace {

using testing::Row;
using testing::Rows;

const char* const kChangedSinceLoaded =
    "数据文件 dataex.edb 中的条目与列表加载时的不同，可能已被另一个运行中的 Vorda 更改。为免覆盖这些条目，"
    "本次更改没有保存；请在重新加载的列表中重做。";
const char* const kCannotOpen = "无法打开数据文件 dataex.edb，文件可能已损坏或正被其他程序使用。";

Row entry(const std::string& name) { return {name, name + ".1", name + ".2", name + ".3", name + ".4"}; }
Rows entries(std::initializer_list<const char*> names) {
    Rows rows;
    for (const char* n : names) rows.push_back(entry(n));
    return rows;
}
Rows plus(Rows rows, const Rows& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

const Rows kStored = entries({"a", "b", "c"});

// One running program: its screen and its MainWindow.
struct Instance {
    ui::MemoryBackend& ui;
    mainwindow::MainWindowControls w;

    void open() {
        mainwindow::openMainWindow(ui);
        w = mainwindow::bindMainWindowControls(ui, ui.findWindow("Vorda"));
        ui.click(w.超级链接框2.id());  // the password library
    }
    const ui::ListView& list() const { return w.超级列表框2; }
    Rows shown() const {
        Rows rows;
        for (int r = 0; r < list().rowCount(); ++r) {
            Row row;
            for (int k = 0; k < 5; ++k) row.push_back(list().cell(r, k));
            rows.push_back(row);
        }
        return rows;
    }
    void expect(const char* text, const char* title, int type, int answer = ui::kIdOk) {
        ui.expectMessage(text::gbkFromUtf8(text), text::gbkFromUtf8(title), type, answer);
    }
    void typeEntry(const Row& e) {
        const ui::Edit* boxes[] = {&w.编辑1, &w.编辑2, &w.编辑3, &w.编辑4, &w.编辑5};
        for (std::size_t k = 0; k < e.size(); ++k) ui.typeText(boxes[k]->id(), e[k]);
    }
    // Clicks the add button for the entry in the boxes; a refused save says so.
    void add(bool refused = false) {
        expect("确认添加新项目吗？", "询问", ui::kOkCancelQuestion);
        if (refused) expect(kChangedSinceLoaded, "错误", ui::kOkExclamation);
        ui.click(w.超级按钮18.id());
    }
    void deleteRow(int row, int answer = ui::kIdOk) {
        ui.clickRow(list().id(), row);
        expect("确认要删除选中项吗？", "提示", ui::kOkCancel, answer);
        ui.click(w.超级按钮19.id());
    }
    void drag(int from, int to) {
        using M = ui::MemoryBackend;
        ui.pressAt(list().id(), 20, M::rowY(from));
        ui.moveMouse(list().id(), 20, M::rowY(from) + 1);
        ui.moveMouse(list().id(), 20, M::rowY(to));
        ui.releaseAt(list().id(), 20, M::rowY(to));
    }
    // `loadFails`: the reload after the import cannot open the file.
    void importFile(const std::string& file, bool loadFails = false) {
        ui.expectFileDialog({false, storage::runDirectory(), GBK("文本文档（*.txt）|*.txt"), ""}, file);
        if (loadFails) expect(kCannotOpen, "错误", ui::kOkExclamation);
        ui.click(w.图形按钮3.id());
    }
};

class TwoInstancesTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dragState() = {};
    }
    void TearDown() override {
        for (const std::string& problem : secondScreen.finish()) ADD_FAILURE() << "second instance: " << problem;
        dragState() = {};
        MainWindowTest::TearDown();
    }
    // Both programs started on the same files, before either changes them.
    void startBoth(const std::string& homeFlag = "1") {
        writeStores({}, kStored, homeFlag);
        a.open();
        b.open();
        ASSERT_EQ(a.shown(), kStored);
        ASSERT_EQ(b.shown(), kStored);
    }
    void expectBothScriptsDone() {
        expectScriptDone();
        for (const std::string& problem : secondScreen.finish()) ADD_FAILURE() << "second instance: " << problem;
    }

    ui::MemoryBackend secondScreen;
    Instance a{ui, {}};
    Instance b{secondScreen, {}};
};

// What the first program does to the password library, and what it leaves.
struct Change {
    const char* name;
    std::function<void(Instance&)> make;
    Rows stored;
};

TEST_F(TwoInstancesTest, AStaleListIsNotSavedOverTheOtherInstancesEntries) {
    const Change changes[] = {
        {"adds an entry",
         [](Instance& i) {
             i.typeEntry(entry("fromA"));
             i.add();
         },
         plus(kStored, entries({"fromA"}))},
        {"deletes an entry", [](Instance& i) { i.deleteRow(0); }, entries({"b", "c"})},
        {"moves an entry", [](Instance& i) { i.drag(0, 2); }, entries({"b", "c", "a"})},
        {"imports entries", [](Instance& i) { i.importFile("C:\\in\\lib.txt"); },
         plus(kStored, entries({"x"}))},
    };
    dir.fs().put("C:\\in\\lib.txt", "x\tx.1\tx.2\tx.3\tx.4\t \t\r\n");
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        startBoth();
        c.make(a);
        expectBothScriptsDone();
        ASSERT_EQ(passwordEntries(), c.stored);

        // The second program still shows what it loaded; its add is refused
        // and its list reloaded, the typed entry kept in the boxes.
        b.typeEntry(entry("fromB"));
        b.add(true);
        expectBothScriptsDone();
        EXPECT_EQ(passwordEntries(), c.stored);
        EXPECT_EQ(b.shown(), c.stored);
        EXPECT_EQ(b.w.编辑1.text(), "fromB");

        // Doing it again on the list as it now is keeps both changes.
        b.add();
        expectBothScriptsDone();
        EXPECT_EQ(passwordEntries(), plus(c.stored, entries({"fromB"})));
        EXPECT_EQ(b.shown(), plus(c.stored, entries({"fromB"})));

        restartProgram();
        secondScreen.reset();
    }
}

TEST_F(TwoInstancesTest, ChangesOutsideTheEntriesAreNoConflict) {
    // The home library flag sits in the header record of the same file.
    startBoth("1");
    ui.click(a.w.图形按钮1.id());
    ui.click(a.w.超级按钮21.id());
    b.typeEntry(entry("fromB"));
    b.add();
    expectBothScriptsDone();
    EXPECT_EQ(passwordEntries(), plus(kStored, entries({"fromB"})));
    EXPECT_EQ(dataExRecords().at(0), dataExHeader("0"));
}

TEST_F(TwoInstancesTest, AnUnchangedListReloadsWithoutAWord) {
    // Declining a delete in the password library still saves and reloads.
    startBoth();
    a.typeEntry(entry("fromA"));
    a.add();
    b.deleteRow(1, ui::kIdCancel);
    expectBothScriptsDone();
    EXPECT_EQ(passwordEntries(), plus(kStored, entries({"fromA"})));
    EXPECT_EQ(b.shown(), plus(kStored, entries({"fromA"})));
}

TEST_F(TwoInstancesTest, AListWhoseLoadFailedDoesNotReplaceTheStore) {
    writeStores({}, kStored);
    {
        // The other program holds the file while this one's MainWindow opens.
        auto held = dir.fs().tryLock(path(storage::kDataExFile) + ".lock");
        a.expect(kCannotOpen, "错误", ui::kOkExclamation);
        a.open();
    }
    expectScriptDone();
    ASSERT_EQ(a.shown(), Rows{});

    a.typeEntry(entry("new"));
    a.add(true);
    expectScriptDone();
    EXPECT_EQ(passwordEntries(), kStored);
    EXPECT_EQ(a.shown(), kStored);

    a.add();
    expectScriptDone();
    EXPECT_EQ(passwordEntries(), plus(kStored, entries({"new"})));
}

TEST_F(TwoInstancesTest, AnImportWhoseReloadFailedIsNotUndoneByTheNextSave) {
    writeStores({}, kStored);
    a.open();
    dir.fs().put("C:\\in\\lib.txt", "x\tx.1\tx.2\tx.3\tx.4\t \t\r\n");
    faults().reset();
    faults().failStep(6);  // the import file, lock, read, write, swap; then the reload's lock
    a.importFile("C:\\in\\lib.txt", true);
    expectScriptDone();
    ASSERT_GE(faults().log().size(), 6u);
    ASSERT_TRUE(faults().log()[5].starts_with("tryLock ")) << faults().log()[5];
    faults().reset();
    const Rows imported = plus(kStored, entries({"x"}));
    ASSERT_EQ(passwordEntries(), imported);
    ASSERT_EQ(a.shown(), kStored);

    a.typeEntry(entry("new"));
    a.add(true);
    expectScriptDone();
    EXPECT_EQ(passwordEntries(), imported);
    EXPECT_EQ(a.shown(), imported);
}

}  // namespace
}  // namespace vorda::libraries
