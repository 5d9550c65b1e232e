// The library text file: export of the list on screen, import appended to its
// store file, the split rule between them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "libraries/import_export.h"
#include "platform/filesystem.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::libraries {
namespace {

using mainwindow::kCustomPage;
using mainwindow::kMemoPage;
using mainwindow::kPasswordPage;
using mainwindow::kSettingsPage;
using testing::Row;
using testing::Rows;

const char* const kDataExNotSaved = "无法写入数据文件 dataex.edb，本次更改没有保存。";
const char* const kDataExNotOpened = "无法打开数据文件 dataex.edb，文件可能已损坏或正被其他程序使用。";

enum class Trigger { Button, Menu };

class ImportExportTest : public testing::MainWindowTest {
protected:
    static ui::FileDialogRequest request(bool save, const std::string& fileName = "") {
        return {save, storage::runDirectory(), GBK("文本文档（*.txt）|*.txt"), fileName};
    }

    void showPage(int page) {
        if (page == kMemoPage) {
            // Its link is hidden; nothing the user does shows the memo page.
            ui.setCurrentPage(w().高级选择夹1.id(), kMemoPage);
        } else {
            const ui::Control* targets[] = {&w().超级链接框1, &w().超级链接框2, nullptr, &w().图形按钮1};
            ui.click(targets[page]->id());
        }
        ASSERT_EQ(w().高级选择夹1.currentPage(), page);
    }
    const ui::ListView& listOn(int page) const { return page == kCustomPage ? w().超级列表框1 : w().超级列表框2; }
    int columnsOn(int page) const { return page == kCustomPage ? 6 : 5; }
    Rows entriesOn(int page) { return page == kCustomPage ? customEntries() : passwordEntries(); }
    const ui::Label& countLabelOn(int page) const { return page == kCustomPage ? w().透明标签18 : w().透明标签4; }

    void run(Trigger trigger, bool exporting) {
        if (trigger == Trigger::Button) {
            ui.click((exporting ? w().图形按钮2 : w().图形按钮3).id());
            return;
        }
        ui.rightClickAt(listOn(w().高级选择夹1.currentPage()).id(), 5, 5);
        ui.chooseMenuItem(exporting ? mainwindow::kMenuExport : mainwindow::kMenuImport);
    }

    // The user confirms `answer` (or cancels) in the save dialog, which offers
    // the path confirmed last.
    void exportTo(std::optional<std::string> answer, Trigger trigger = Trigger::Button) {
        ui.expectFileDialog(request(true, lastExport_), answer);
        if (answer) {
            lastExport_ = *answer;
            ui.expectMessage(GBK("导出成功"), GBK("信息："), ui::kOk);
        }
        run(trigger, true);
        expectScriptDone();
    }
    // `error` is the one message the import is to show.
    void importFrom(std::optional<std::string> answer, Trigger trigger = Trigger::Button,
                    const std::string& error = "") {
        ui.expectFileDialog(request(false, lastImport_), answer);
        if (answer) lastImport_ = *answer;
        if (!error.empty()) ui.expectMessage(error, GBK("错误"), ui::kOkExclamation);
        run(trigger, false);
        expectScriptDone();
    }
    // The next run of the program: both dialogs start without a path.
    void nextRun() {
        restartProgram();
        lastExport_.clear();
        lastImport_.clear();
    }

    std::optional<std::string> file(const std::string& p) { return dir.fs().get(p); }

    // Entries with empty cells as they come back from a library text file.
    static Rows filledWithSpaces(Rows rows) {
        for (Row& row : rows)
            for (std::string& cell : row)
                if (cell.empty()) cell = " ";
        return rows;
    }
    static Rows concat(Rows a, const Rows& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

private:
    std::string lastExport_, lastImport_;
};

const Rows kCustomEntries = {{"a", "b", "c", "d", "e", "f"}, {"", "", "", "", "", ""}, {GBK("名称"), "", "x", "", "", "z"}};
const Rows kPasswordEntries = {{"site", "http://a", "me", "pw", ""}, {"", "", "", "", ""}};

TEST_F(ImportExportTest, ExportWritesEveryCellAndRowOfTheListOnScreen) {
    struct Case {
        const char* name;
        int page;
        Rows custom, password;
        std::string bytes;
    };
    const std::string sevenSpaces = " \t \t \t \t \t \t \t\r\n";
    const Case cases[] = {
        {"empty custom list", kCustomPage, {}, kPasswordEntries, ""},
        {"empty password list", kPasswordPage, kCustomEntries, {}, ""},
        {"custom entry with no text", kCustomPage, {{}}, {}, sevenSpaces},
        {"custom entries", kCustomPage, kCustomEntries, {},
         "a\tb\tc\td\te\tf\t \t\r\n" + sevenSpaces + GBK("名称") + "\t \tx\t \t \tz\t \t\r\n"},
        {"password entries", kPasswordPage, {}, kPasswordEntries,
         "site\thttp://a\tme\tpw\t \t \t\r\n \t \t \t \t \t \t\r\n"},
        // No quoting: TAB, CR and LF inside a cell go out as they are.
        {"cells holding separators", kPasswordPage, {}, {{"x\ty", "1\r\n2", "3\n", "", "\r"}},
         "x\ty\t1\r\n2\t3\n\t \t\r\t \t\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeStores(c.custom, c.password);
        openMain();
        showPage(c.page);
        const auto storeBefore = fileBytes(c.page == kCustomPage ? storage::kDataFile : storage::kDataExFile);
        exportTo("C:\\out\\lib");
        EXPECT_EQ(file("C:\\out\\lib.txt"), c.bytes);
        EXPECT_EQ(fileBytes(c.page == kCustomPage ? storage::kDataFile : storage::kDataExFile), storeBefore);
        nextRun();
    }
}

TEST_F(ImportExportTest, ExportTakesTheListAsItIsNotTheStore) {
    writeStores({}, {{"stored"}});
    openMain();
    showPage(kPasswordPage);
    ui.setCell(w().超级列表框2.id(), 0, 0, "shown");
    writeDataEx(dataExHeader(), {{"changed behind"}});
    exportTo("C:\\out\\lib");
    EXPECT_EQ(file("C:\\out\\lib.txt"), "shown\t \t \t \t \t \t\r\n");
}

TEST_F(ImportExportTest, ExportAppendsTxtAndRemembersThePath) {
    writeStores({{"a"}});
    openMain();
    showPage(kCustomPage);
    dir.fs().put("C:\\out\\b.txt", "old contents");
    const std::string row = "a\t \t \t \t \t \t \t\r\n";

    exportTo("C:\\out\\a");
    EXPECT_EQ(file("C:\\out\\a.txt"), row);
    EXPECT_EQ(file("C:\\out\\a"), std::nullopt);

    // Appended also when the name already ends in it.
    exportTo("C:\\out\\a.txt");
    EXPECT_EQ(file("C:\\out\\a.txt.txt"), row);

    // An existing file is replaced without a question.
    exportTo("C:\\out\\b");
    EXPECT_EQ(file("C:\\out\\b.txt"), row);

    // The import dialog keeps a path of its own.
    importFrom(std::nullopt);
    exportTo(std::nullopt);
    exportTo("C:\\out\\c");
    EXPECT_EQ(file("C:\\out\\c.txt"), row);
}

TEST_F(ImportExportTest, CancelledExportWritesNothing) {
    writeStores({{"a"}});
    openMain();
    showPage(kCustomPage);
    const auto before = dir.fs().paths();
    exportTo(std::nullopt);
    EXPECT_EQ(dir.fs().paths(), before);
}

TEST_F(ImportExportTest, AnExportThatCannotBeWrittenIsReported) {
    writeStores({{"a"}});
    openMain();
    showPage(kCustomPage);
    dir.fs().put("C:\\out\\a.txt", "locked");
    ASSERT_TRUE(dir.fs().setAttributes("C:\\out\\a.txt", platform::kAttrReadOnly));

    ui.expectFileDialog(request(true), std::string("C:\\out\\a"));
    ui.expectMessage(GBK("导出失败：无法写入文件 ") + "C:\\out\\a.txt", GBK("信息："), ui::kOkExclamation);
    ui.click(w().图形按钮2.id());
    expectScriptDone();
    EXPECT_EQ(file("C:\\out\\a.txt"), "locked");
}

TEST(SplitPieces, FollowsTheSplitRule) {
    struct Case {
        std::string text;
        std::string separator;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", "\t", {}},
        {"a", "\t", {"a"}},
        {"a\tb", "\t", {"a", "b"}},
        {"a\t", "\t", {"a"}},
        {"\t", "\t", {""}},
        {"\t\t", "\t", {"", ""}},
        {"\ta", "\t", {"", "a"}},
        {"a\t\tb", "\t", {"a", "", "b"}},
        {"a\t\t", "\t", {"a", ""}},
        {"", "\r\n", {}},
        {"a\r\nb\r\n", "\r\n", {"a", "b"}},
        {"a\r\nb", "\r\n", {"a", "b"}},
        {"\r\n", "\r\n", {""}},
        {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
        // Only the pair separates lines.
        {"a\nb\rc\n\r", "\r\n", {"a\nb\rc\n\r"}},
        {"a\r\r\nb", "\r\n", {"a\r", "b"}},
        {"a\n\r\nb\r", "\r\n", {"a\n", "b\r"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        const auto pieces = splitPieces(c.text, c.separator);
        EXPECT_EQ(std::vector<std::string>(pieces.begin(), pieces.end()), c.pieces);
    }
}

TEST_F(ImportExportTest, ExportThenImportAppendsCopiesOfTheEntries) {
    for (int page : {kCustomPage, kPasswordPage}) {
        for (Trigger trigger : {Trigger::Button, Trigger::Menu}) {
            SCOPED_TRACE(::testing::Message() << "page " << page << (trigger == Trigger::Menu ? " menu" : " button"));
            writeStores(kCustomEntries, kPasswordEntries);
            openMain();
            showPage(page);
            const Rows original = entriesOn(page);
            const auto otherStore = fileBytes(page == kCustomPage ? storage::kDataExFile : storage::kDataFile);

            exportTo("C:\\out\\lib", trigger);
            importFrom("C:\\out\\lib.txt", trigger);
            const Rows once = concat(original, filledWithSpaces(original));
            EXPECT_EQ(entriesOn(page), once);
            EXPECT_EQ(rowsOf(listOn(page), columnsOn(page)), once);
            EXPECT_EQ(countLabelOn(page).text(), std::to_string(once.size()));
            EXPECT_EQ(fileBytes(page == kCustomPage ? storage::kDataExFile : storage::kDataFile), otherStore);

            // Nothing is compared or merged: a second import appends again.
            importFrom("C:\\out\\lib.txt", trigger);
            EXPECT_EQ(entriesOn(page), concat(once, filledWithSpaces(original)));
            EXPECT_EQ(countLabelOn(page).text(), std::to_string(original.size() * 3));
            nextRun();
        }
    }
}

TEST_F(ImportExportTest, ImportAppendsOneEntryPerLine) {
    struct Case {
        const char* name;
        int page;
        std::string bytes;
        Rows appended;
    };
    const Case cases[] = {
        {"exported rows", kPasswordPage, "a\tb\tc\td\te\t \t\r\nf\tg\th\ti\tj\t \t\r\n",
         {{"a", "b", "c", "d", "e"}, {"f", "g", "h", "i", "j"}}},
        {"custom row with its untitled cell", kCustomPage, "1\t2\t3\t4\t5\t6\t7\t\r\n", {{"1", "2", "3", "4", "5", "6"}}},
        {"last line without CR LF", kPasswordPage, "a\tb\tc\td\te\r\nf\tg\th\ti\tj",
         {{"a", "b", "c", "d", "e"}, {"f", "g", "h", "i", "j"}}},
        {"LF line ends make one line", kPasswordPage, "a\tb\tc\td\te\nf\tg\th\ti\tj\n",
         {{"a", "b", "c", "d", "e\nf"}}},
        {"a TAB inside a cell shifts the rest", kPasswordPage, "x\ty\tb\tc\td\te\t \t\r\n",
         {{"x", "y", "b", "c", "d"}}},
        {"the text ends at a zero byte", kPasswordPage, std::string("a\tb\tc\td\te\r\n\0f\tg\th\ti\tj\r\n", 24),
         {{"a", "b", "c", "d", "e"}}},
        {"a zero byte inside a line", kPasswordPage, std::string("a\tb\0c\td\te\r\n", 12), {{"a", "b", "", "", ""}}},
        // Lines the export never writes.
        {"empty lines add nothing", kPasswordPage, "\r\na\tb\tc\td\te\r\n\r\n\r\nf\tg\th\ti\tj\r\n\r\n",
         {{"a", "b", "c", "d", "e"}, {"f", "g", "h", "i", "j"}}},
        {"short lines leave the rest empty", kCustomPage, "a\tb\r\nc\r\n\t\t\t\t\t\t\r\n",
         {{"a", "b", "", "", "", ""}, {"c", "", "", "", "", ""}, {"", "", "", "", "", ""}}},
        {"long pieces are cut", kPasswordPage, std::string(120, 'x') + "\tb\tc\td\te\r\n",
         {{std::string(100, 'x'), "b", "c", "d", "e"}}},
        {"empty file", kCustomPage, "", {}},
        {"only line ends", kCustomPage, "\r\n\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeStores(kCustomEntries, kPasswordEntries);
        openMain();
        showPage(c.page);
        dir.fs().put("C:\\in\\lib.txt", c.bytes);
        const Rows before = entriesOn(c.page);

        importFrom("C:\\in\\lib.txt");
        EXPECT_EQ(entriesOn(c.page), concat(before, c.appended));
        EXPECT_EQ(rowsOf(listOn(c.page), columnsOn(c.page)), concat(before, c.appended));
        nextRun();
    }
    // Field 名7 of the custom store is not written by an import.
    writeStores();
    openMain();
    showPage(kCustomPage);
    dir.fs().put("C:\\in\\lib.txt", "1\t2\t3\t4\t5\t6\t7\t8\r\n");
    importFrom("C:\\in\\lib.txt");
    EXPECT_EQ(dataRecords().at(1), (Row{"1", "2", "3", "4", "5", "6", ""}));
}

TEST_F(ImportExportTest, ImportWithNothingToReadStillReloadsTheList) {
    struct Case {
        const char* name;
        std::optional<std::string> answer;
    };
    const Case cases[] = {
        {"cancelled", std::nullopt},
        {"missing file", std::string("C:\\in\\missing.txt")},
        {"empty file", std::string("C:\\in\\empty.txt")},
    };
    dir.fs().put("C:\\in\\empty.txt", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeStores({}, kPasswordEntries);
        openMain();
        showPage(kPasswordPage);
        ui.clickRow(w().超级列表框2.id(), 0);
        ASSERT_EQ(w().超级列表框2.selectedRows(), std::vector<int>{0});
        // Another entry reached the store behind the window's back.
        const Rows stored = concat(kPasswordEntries, {{"new", "", "", "", ""}});
        writeDataEx(dataExHeader(), stored);

        importFrom(c.answer);
        EXPECT_EQ(rowsOf(w().超级列表框2, 5), stored);
        EXPECT_EQ(w().超级列表框2.selectedRows(), std::vector<int>{});
        EXPECT_EQ(w().透明标签4.text(), "3");
        EXPECT_EQ(passwordEntries(), stored);
        nextRun();
    }
}

TEST_F(ImportExportTest, MemoAndSettingsPagesNeitherExportNorImport) {
    writeStores(kCustomEntries, kPasswordEntries);
    openMain();
    showPage(kPasswordPage);
    ui.setCell(w().超级列表框2.id(), 0, 0, "unsaved");
    writeDataEx(dataExHeader(), {{"changed behind"}});
    const auto files = dir.fs().paths();
    for (int page : {kMemoPage, kSettingsPage}) {
        SCOPED_TRACE(page);
        showPage(page);
        ui.click(w().图形按钮2.id());
        ui.click(w().图形按钮3.id());
        expectScriptDone();  // no dialog opened
        EXPECT_EQ(dir.fs().paths(), files);
        EXPECT_EQ(w().超级列表框2.cell(0, 0), "unsaved");
        EXPECT_EQ(w().超级列表框2.rowCount(), 2);
    }
}

TEST_F(ImportExportTest, AnImportThatCannotBeStoredAddsNothing) {
    writeStores({}, kPasswordEntries);
    openMain();
    showPage(kPasswordPage);
    dir.fs().put("C:\\in\\lib.txt", "a\tb\tc\td\te\r\nf\tg\th\ti\tj\r\n");
    const auto before = fileBytes(storage::kDataExFile);
    ASSERT_TRUE(dir.fs().setAttributes(path(storage::kDataExFile), platform::kAttrReadOnly));

    importFrom("C:\\in\\lib.txt", Trigger::Button, text::gbkFromUtf8(kDataExNotSaved));
    EXPECT_EQ(fileBytes(storage::kDataExFile), before);
    EXPECT_EQ(rowsOf(w().超级列表框2, 5), kPasswordEntries);
    EXPECT_EQ(w().透明标签4.text(), "2");
}

TEST_F(ImportExportTest, AStoreThatWillNotOpenIsReportedOnce) {
    writeStores({}, kPasswordEntries);
    openMain();
    showPage(kPasswordPage);
    dir.fs().put("C:\\in\\lib.txt", "a\tb\tc\td\te\r\n");
    ui.clickRow(w().超级列表框2.id(), 1);
    const auto before = fileBytes(storage::kDataExFile);
    {
        auto otherProcess = dir.fs().tryLock(path(storage::kDataExFile) + ".lock");
        importFrom("C:\\in\\lib.txt", Trigger::Button, text::gbkFromUtf8(kDataExNotOpened));
    }
    EXPECT_EQ(fileBytes(storage::kDataExFile), before);
    // The list could not be refilled and stays as it was.
    EXPECT_EQ(rowsOf(w().超级列表框2, 5), kPasswordEntries);
    EXPECT_EQ(w().超级列表框2.selectedRows(), std::vector<int>{1});
}

TEST_F(ImportExportTest, ImportsAFileOfSeveralMegabytes) {
    struct Case {
        const char* name;
        int lines;
        int pieceBytes;
    };
    // Many short lines, and one line of huge pieces.
    const Case cases[] = {{"many lines", 30000, 20}, {"one long line", 1, 600000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeStores({{"first"}});
        openMain();
        showPage(kCustomPage);
        std::string bytes;
        for (int i = 0; i < c.lines; ++i) {
            std::string id = std::to_string(i);
            bytes += id + std::string(static_cast<std::size_t>(c.pieceBytes) - id.size(), 'n');
            for (int k = 1; k < 7; ++k) bytes += "\t" + std::string(static_cast<std::size_t>(c.pieceBytes), 'a' + k);
            bytes += "\r\n";
        }
        ASSERT_GT(bytes.size(), 3'000'000u);
        dir.fs().put("C:\\in\\big.txt", bytes);

        importFrom("C:\\in\\big.txt");
        const ui::ListView& list = w().超级列表框1;
        ASSERT_EQ(list.rowCount(), c.lines + 1);
        EXPECT_EQ(w().透明标签18.text(), std::to_string(c.lines + 1));
        const std::size_t kept = std::min(c.pieceBytes, 100);
        const std::string lastId = std::to_string(c.lines - 1);
        EXPECT_EQ(list.cell(c.lines, 0), (lastId + std::string(kept, 'n')).substr(0, kept));
        EXPECT_EQ(list.cell(c.lines, 5), std::string(kept, 'f'));
        EXPECT_EQ(list.cell(0, 0), "first");
        nextRun();
    }
}

}  // namespace
}  // namespace vorda::libraries
