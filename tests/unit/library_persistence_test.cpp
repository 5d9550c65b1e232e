// The libraries as lists backed by their store files: loading (at creation and
// by the hidden load buttons), saving every branch of the rewrite (by the
// hidden save buttons), and store files that refuse to be opened or written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "libraries/library.h"
#include "platform/filesystem.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::libraries {
namespace {

using testing::Row;
using testing::Rows;
using testing::u8;

struct Lib {
    const char* name;
    const LibraryDescriptor& (*get)();
};
const Lib kLibs[] = {{"custom", customLibrary}, {"password", passwordLibrary}};

// n distinct entries of the library's width.
Rows entries(int n, int fields, const std::string& tag = "e") {
    Rows rows;
    for (int i = 0; i < n; ++i) {
        Row row;
        for (int k = 0; k < fields; ++k) row.push_back(tag + std::to_string(i) + "." + std::to_string(k));
        rows.push_back(row);
    }
    return rows;
}

Rows widened(Rows rows, std::size_t columns) {
    for (Row& r : rows) r.resize(columns);
    return rows;
}

class LibraryPersistenceTest : public testing::MainWindowTest {
protected:
    const ui::Label& countLabel(const LibraryDescriptor& lib) const { return w().*lib.countLabel; }
    void load(const LibraryDescriptor& lib) { fireClick(w().*lib.loadButton); }
    void save(const LibraryDescriptor& lib) { fireClick(w().*lib.saveButton); }
    void expectError(const std::string& utf8Start, const std::string& file, const std::string& utf8End) {
        ui.expectMessage(text::gbkFromUtf8(utf8Start) + file + text::gbkFromUtf8(utf8End), GBK("错误"),
                         ui::kOkExclamation);
    }
    void expectCannotOpen(const std::string& file) {
        expectError("无法打开数据文件 ", file, "，文件可能已损坏或正被其他程序使用。");
    }
    void expectCannotWrite(const std::string& file) { expectError("无法写入数据文件 ", file, "，本次更改没有保存。"); }
    // Types a new entry and adds it with the add button, confirming; then
    // expects whatever `afterwards` expects.
    void addEntry(const LibraryDescriptor& lib, const std::string& name,
                  const std::function<void()>& afterwards = {}) {
        showPage(lib);
        ui.typeText((w().*lib.edits[0]).id(), name);
        ui.expectMessage(GBK("确认添加新项目吗？"), GBK("询问"), ui::kOkCancelQuestion, ui::kIdOk);
        if (afterwards) afterwards();
        ui.click((w().*lib.addButton).id());
    }
};

TEST_F(LibraryPersistenceTest, LoadingShowsTheEntriesInRecordOrder) {
    for (const Lib& l : kLibs) {
        const LibraryDescriptor& lib = l.get();
        for (int n : {0, 1, 4}) {
            SCOPED_TRACE(std::string(l.name) + ", " + std::to_string(n) + " entries");
            Rows stored = entries(n, lib.dataFields);
            if (n == 4) {
                stored[1][0] = GBK("中文项目");
                stored[2] = Row(static_cast<std::size_t>(lib.dataFields), "");  // an entry may be all empty
                stored[3][lib.dataFields - 1] = std::string(100, 'z');
            }
            writeStores();
            writeEntries(lib, stored);
            reopen();

            const ui::ListView& list = listOf(lib);
            // The untitled last column comes back empty.
            EXPECT_EQ(rowsOf(list), widened(stored, static_cast<std::size_t>(lib.dataFields + 1)));
            EXPECT_EQ(countLabel(lib).text(), std::to_string(n));
            EXPECT_TRUE(list.selectedRows().empty());
        }
    }
}

TEST_F(LibraryPersistenceTest, CreationLoadsBothLibrariesIntoTheirOwnCountRows) {
    writeStores(entries(3, 6, "c"), entries(5, 5, "p"));
    openMain();

    EXPECT_EQ(rowsOf(w().超级列表框1, 6), entries(3, 6, "c"));
    EXPECT_EQ(rowsOf(w().超级列表框2, 5), entries(5, 5, "p"));
    // Each count stands in the row whose caption names its library.
    EXPECT_EQ(w().透明标签18.text(), "3");
    EXPECT_EQ(u8(w().透明标签20.text()), "自定义库已存 ");
    EXPECT_LE(std::abs(w().透明标签20.top() - w().透明标签18.top()), 1);
    EXPECT_EQ(w().透明标签4.text(), "5");
    EXPECT_EQ(u8(w().透明标签19.text()), "密码库已存 ");
    EXPECT_LE(std::abs(w().透明标签19.top() - w().透明标签4.top()), 1);
}

TEST_F(LibraryPersistenceTest, LoadRebuildsTheListFromTheFileAndKeepsTheEditBoxes) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        writeStores();
        writeEntries(lib, entries(3, lib.dataFields));
        reopen();
        showPage(lib);
        ui.clickRow(listOf(lib).id(), 1);
        ui.typeText(editsOf(lib)[1]->id(), "typed");
        const auto boxes = editTexts(lib);

        writeEntries(lib, entries(2, lib.dataFields, "new"));  // changed behind the window
        load(lib);

        EXPECT_EQ(rowsOf(listOf(lib), lib.dataFields), entries(2, lib.dataFields, "new"));
        EXPECT_EQ(countLabel(lib).text(), "2");
        EXPECT_TRUE(listOf(lib).selectedRows().empty());
        EXPECT_EQ(editTexts(lib), boxes);
    }
}

// Every branch of the rewrite: the file ends up holding exactly the rows, in
// order, after the untouched header record.
TEST_F(LibraryPersistenceTest, SavingMakesTheEntryRecordsEqualToTheRows) {
    struct Case {
        const char* what;
        int stored;
        int rows;
    };
    const Case cases[] = {
        {"one row more", 3, 4},   {"many rows more", 2, 7},  {"as many", 3, 3},
        {"three fewer", 6, 3},    {"empty list", 5, 0},      {"into an empty library", 0, 2},
    };
    for (const Lib& l : kLibs) {
        const LibraryDescriptor& lib = l.get();
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(l.name) + ", " + c.what);
            writeStores();
            writeEntries(lib, entries(c.stored, lib.dataFields, "old"));
            const Row header = (lib.storeFile == storage::kDataFile ? dataRecords() : dataExRecords()).at(0);
            reopen();

            Rows wanted = entries(c.rows, lib.dataFields, "new");
            if (c.rows > 1) wanted[1][0] = std::string(120, 'x');  // stored cut to 100 bytes
            Rows onScreen = wanted;
            for (Row& r : onScreen) r.push_back("untitled");  // never stored
            setRowsOf(listOf(lib), onScreen);
            save(lib);

            if (c.rows > 1) wanted[1][0].resize(100);
            EXPECT_EQ(storedEntries(lib), wanted);
            const Rows records = lib.storeFile == storage::kDataFile ? dataRecords() : dataExRecords();
            ASSERT_EQ(records.size(), wanted.size() + 1);
            EXPECT_EQ(records[0], header);
            for (std::size_t i = 1; i < records.size(); ++i) EXPECT_EQ(records[i].back(), "") << "record " << i + 1;

            load(lib);
            EXPECT_EQ(rowsOf(listOf(lib)), widened(wanted, static_cast<std::size_t>(lib.dataFields + 1)));
            EXPECT_EQ(countLabel(lib).text(), std::to_string(c.rows));
        }
    }
}

TEST_F(LibraryPersistenceTest, SavingAnUnchangedListWritesNothing) {
    for (const Lib& l : kLibs) {
        for (int n : {0, 3}) {
            SCOPED_TRACE(std::string(l.name) + ", " + std::to_string(n) + " entries");
            const LibraryDescriptor& lib = l.get();
            writeStores();
            writeEntries(lib, entries(n, lib.dataFields));
            const auto before = fileBytes(lib.storeFile);
            reopen();
            save(lib);
            EXPECT_EQ(fileBytes(lib.storeFile), before);
        }
    }
}

TEST_F(LibraryPersistenceTest, ARefusedCommitLeavesTheFileAndReloadsTheList) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        writeStores();
        writeEntries(lib, entries(2, lib.dataFields));
        reopen();
        const auto before = fileBytes(lib.storeFile);

        faults().reset();
        faults().failStep(3);  // lock, read, then the commit's write
        addEntry(lib, "new", [&] { expectCannotWrite(lib.storeFile); });
        expectScriptDone();
        ASSERT_GE(faults().log().size(), 3u);
        EXPECT_TRUE(faults().log()[2].starts_with("writeAll ")) << faults().log()[2];

        EXPECT_EQ(fileBytes(lib.storeFile), before);
        EXPECT_EQ(rowsOf(listOf(lib), lib.dataFields), entries(2, lib.dataFields));
        EXPECT_EQ((w().*lib.countLabel).text(), "2");
        faults().reset();
    }
}

TEST_F(LibraryPersistenceTest, AStoreThatWillNotOpenIsReportedOncePerAction) {
    for (const Lib& l : kLibs) {
        SCOPED_TRACE(l.name);
        const LibraryDescriptor& lib = l.get();
        writeStores();
        writeEntries(lib, entries(2, lib.dataFields));
        reopen();
        const auto before = fileBytes(lib.storeFile);
        auto lock = platform::fileSystem().tryLock(path(lib.storeFile) + ".lock");

        addEntry(lib, "new", [&] { expectCannotOpen(lib.storeFile); });
        expectScriptDone();
        EXPECT_EQ(fileBytes(lib.storeFile), before);
        // With no file to reload from, the list keeps the change for a later save.
        EXPECT_EQ(listOf(lib).rowCount(), 3);

        expectCannotOpen(lib.storeFile);
        load(lib);
        expectScriptDone();

        lock.reset();
        save(lib);
        EXPECT_EQ(storedEntries(lib).size(), 3u);
    }
}

TEST_F(LibraryPersistenceTest, AStoreWithoutItsHeaderRecordIsNotWritten) {
    writeData(std::nullopt);  // no account in it: an entry would take the header's place
    writeDataEx(dataExHeader("0"));
    openMain();
    const auto before = fileBytes(storage::kDataFile);

    addEntry(customLibrary(), "new", [&] { expectCannotWrite(storage::kDataFile); });
    expectScriptDone();

    EXPECT_EQ(fileBytes(storage::kDataFile), before);
    EXPECT_EQ(w().超级列表框1.rowCount(), 0);
    EXPECT_EQ(w().透明标签18.text(), "0");
}

// A store whose schema lacks "名1" refuses the name of every appended row: one
// "失败" per row, and the rest of the save still happens.
TEST_F(LibraryPersistenceTest, ARefusedNameOfAnAppendedRowSaysFailedAndGoesOn) {
    writeStores();
    ASSERT_TRUE(testing::writeStore(path(storage::kDataExFile),
                                    testing::textFields({"X1", "X2", "X3", "X4", "X5", "X6"}),
                                    {{"tag", "1"}, {"a", "b"}}, storage::accessPassword()));
    openMain();
    EXPECT_EQ(rowsOf(w().超级列表框2), (Rows{Row(6, "")}));

    setRowsOf(w().超级列表框2, entries(3, 5));
    for (int i = 0; i < 2; ++i) ui.expectMessage(GBK("失败"), GBK("信息："), ui::kOk);
    save(passwordLibrary());
    expectScriptDone();

    // The file was closed normally: it opens, with two blank records appended.
    const auto records = testing::readStore(path(storage::kDataExFile),
                                            testing::textFields({"X1", "X2", "X3", "X4", "X5", "X6"}),
                                            storage::accessPassword());
    ASSERT_TRUE(records);
    EXPECT_EQ(*records, (Rows{{"tag", "1", "", "", "", ""}, {"a", "b", "", "", "", ""}, Row(6, ""), Row(6, "")}));
}

}  // namespace
}  // namespace vorda::libraries
