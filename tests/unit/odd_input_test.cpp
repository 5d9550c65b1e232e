// Odd entry texts through every handler that takes them: copying, adding (and
// the save and load behind it), the next run, updating, searching, export and
// the import of what was exported. The store keeps a text up to its first zero
// byte, cut to 100 bytes without splitting a double-byte character; whatever
// a text does, both store files stay readable and each list equals its store.
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

struct Lib {
    const char* name;
    const LibraryDescriptor& (*get)();
};
const Lib kLibs[] = {{"custom", customLibrary}, {"password", passwordLibrary}};

const std::string kZhong = "\xD6\xD0";  // 中
const std::string kWen = "\xCE\xC4";    // 文

std::string times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string letters(std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) out += static_cast<char>('a' + i % 26);
    return out;
}

struct OddText {
    const char* name;
    std::string text;     // typed into every edit box of the library
    std::string stored;   // what the store keeps of it; empty: the add is refused
    bool foundWhole;      // a search for the text selects the entry
    bool foundFirst99;    // a search for its first 99 bytes does
    bool splitsOnImport;  // the stored text holds TAB or CR LF
};

std::vector<OddText> oddTexts() {
    const std::string x99(99, 'x'), x100(100, 'x');
    const std::string long5000 = letters(5000);
    return {
        {"0 bytes", "", "", false, false, false},
        {"1 byte", "x", "x", true, true, false},
        {"99 bytes", x99, x99, true, true, false},
        {"100 bytes", x100, x100, true, true, false},
        {"101 bytes", x100 + "x", x100, false, true, false},
        {"5000 bytes", long5000, long5000.substr(0, 100), false, true, false},
        // Double-byte characters around the limit. A search for the first 99
        // bytes of 中 x 50 ends in half a character and must not find it.
        {"double-byte character over byte 100", "x" + times(kZhong, 50), "x" + times(kZhong, 49), false, true,
         false},
        {"double-byte characters up to byte 100", times(kZhong, 50), times(kZhong, 50), true, false, false},
        {"double-byte character at bytes 101 and 102", times(kZhong, 51), times(kZhong, 50), false, false,
         false},
        {"5000 double-byte bytes after one ASCII", "x" + times(kZhong, 2500), "x" + times(kZhong, 49), false,
         true, false},
        {"ASCII then a double-byte character over byte 100", x99 + kZhong, x99, false, true, false},
        // Odd-length and invalid GBK: bytes that start or form no character
        // count as one byte each.
        {"lead byte at the end", kZhong + kWen + "\xD6", kZhong + kWen + "\xD6", true, true, false},
        {"lead byte as byte 100", x99 + "\xD6", x99 + "\xD6", true, true, false},
        {"lead byte as byte 101", x100 + "\xD6", x100, false, true, false},
        {"invalid pairs", "\x81\x20\xFF\x41\x80\x80\xD6\x7F", "\x81\x20\xFF\x41\x80\x80\xD6\x7F", true, true,
         false},
        {"lead byte without trail as byte 100", x99 + "\x81\x20yy", x99 + "\x81", false, true, false},
        // A window text ends at its first zero byte, so the boxes already
        // hold only what comes before it.
        {"zero byte inside", std::string("ab\0cd", 5), "ab", true, true, false},
        {"zero byte first", std::string("\0abc", 4), "", false, false, false},
        {"zero byte after byte 100", std::string(110, 'x') + std::string("\0yz", 3), x100, false, true,
         false},
        {"zero byte between double-byte characters", kZhong + std::string(1, '\0') + kWen, kZhong, true, true,
         false},
        // Separators of the library text file inside a cell.
        {"TAB inside", "a\tb", "a\tb", true, true, true},
        {"CR LF inside", "a\r\nb", "a\r\nb", true, true, true},
        {"only TAB and CR LF", "\t\r\n", "\t\r\n", true, true, true},
        {"TAB as byte 100", x99 + "\t", x99 + "\t", true, true, true},
        {"lone LF and CR", "a\nb\rc", "a\nb\rc", true, true, false},
        // The cut leaves the CR without its LF.
        {"CR LF over byte 100", x99 + "\r\n", x99 + "\r", false, true, false},
    };
}

// A plain entry beside the odd one; no odd text or search occurs in it.
Row keepRow(int fields) {
    Row row{"keep"};
    for (int k = 1; k < fields; ++k) row.push_back("k" + std::to_string(k));
    return row;
}

Rows concat(Rows a, const Rows& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Entries as they come back from a library text file.
Rows filledWithSpaces(Rows rows) {
    for (Row& row : rows)
        for (std::string& cell : row)
            if (cell.empty()) cell = " ";
    return rows;
}

class OddInputTest : public testing::MainWindowTest {
protected:
    Rows shown(const LibraryDescriptor& lib) const { return rowsOf(listOf(lib), lib.dataFields); }
    void clickAdd(const LibraryDescriptor& lib) { ui.click((w().*lib.addButton).id()); }
    void startOn(const LibraryDescriptor& lib) {
        reopen();
        showPage(lib);
    }
    static ui::FileDialogRequest request(bool save) {
        return {save, storage::runDirectory(), GBK("文本文档（*.txt）|*.txt"), ""};
    }

    // Both store files open with their header records, and the library's list
    // and count show exactly its stored entries, which are `wanted`.
    void expectConsistent(const LibraryDescriptor& lib, const Rows& wanted) {
        const Rows data = dataRecords();
        const Rows dataEx = dataExRecords();
        ASSERT_FALSE(data.empty());
        ASSERT_FALSE(dataEx.empty());
        EXPECT_EQ(data[0], dataHeader());
        EXPECT_EQ(dataEx[0], dataExHeader());
        EXPECT_EQ(storedEntries(lib), wanted);
        EXPECT_EQ(shown(lib), wanted);
        EXPECT_EQ((w().*lib.countLabel).text(), std::to_string(wanted.size()));
    }

    void runThrough(const LibraryDescriptor& lib, const OddText& c);
};

void OddInputTest::runThrough(const LibraryDescriptor& lib, const OddText& c) {
    const int n = lib.dataFields;
    const ui::ListView& list = listOf(lib);
    const auto edits = editsOf(lib);
    writeStores({keepRow(6)}, {keepRow(5)});
    const std::string otherFile =
        lib.storeFile == storage::kDataFile ? storage::kDataExFile : storage::kDataFile;
    const auto otherBefore = fileBytes(otherFile);
    startOn(lib);

    const std::string boxed = c.text.substr(0, c.text.find('\0'));
    for (const ui::Edit* e : edits) ui.typeText(e->id(), c.text);
    EXPECT_EQ(editTexts(lib), Row(static_cast<std::size_t>(n), boxed));

    // Each copy button puts its box on the clipboard whole, however long.
    ui.setClipboardText("earlier");
    for (int k = 0; k < n; ++k) {
        if (!boxed.empty()) ui.expectNotice(GBK("      已复制项目到剪贴板！"), GBK("文本复制"), 200);
        ui.click((w().*lib.copyButtons[static_cast<std::size_t>(k)]).id());
        expectScriptDone();
        EXPECT_EQ(ui.clipboard(), boxed.empty() ? std::string("earlier") : boxed) << "column " << k;
    }

    const bool added = !c.stored.empty();
    if (added)
        ui.expectMessage(GBK("确认添加新项目吗？"), GBK("询问"), ui::kOkCancelQuestion, ui::kIdOk);
    else
        ui.expectMessage(GBK("项目名不能为空！"), GBK("提示"), ui::kOk);
    clickAdd(lib);
    expectScriptDone();
    Rows wanted{keepRow(n)};
    if (added) wanted.push_back(Row(static_cast<std::size_t>(n), c.stored));
    expectConsistent(lib, wanted);

    startOn(lib);
    expectConsistent(lib, wanted);

    if (added) {
        // The clicked entry is updated under its stored name; box 1 gets the
        // whole text again, to be cut once more.
        ui.clickRow(list.id(), 1);
        EXPECT_EQ(editTexts(lib), wanted[1]);
        ui.typeText(edits[1]->id(), c.text);
        ui.typeText(edits[static_cast<std::size_t>(n - 1)]->id(), "updated");
        ui.expectMessage(GBK("已存在的项目，确认要更新吗？"), GBK("提示"), ui::kOkCancel, ui::kIdOk);
        clickAdd(lib);
        expectScriptDone();
        wanted[1][static_cast<std::size_t>(n - 1)] = "updated";
        expectConsistent(lib, wanted);
    }

    struct Probe {
        const char* what;
        std::string text;
        bool found;
    };
    const Probe probes[] = {{"whole text", c.text, c.foundWhole},
                            {"first 99 bytes", c.text.substr(0, 99), c.foundFirst99}};
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.what);
        fireClick(w().*lib.loadButton);  // no row selected
        ui.typeText((w().*lib.searchBox).id(), p.text);
        ui.click((w().*lib.searchButton).id());
        EXPECT_EQ(list.selectedRows(), p.found ? std::vector<int>{1} : std::vector<int>{});
        EXPECT_EQ(shown(lib), wanted);
    }

    ui.expectFileDialog(request(true), std::string("C:\\out\\odd"));
    ui.expectMessage(GBK("导出成功"), GBK("信息："), ui::kOk);
    ui.click(w().图形按钮2.id());
    ui.expectFileDialog(request(false), std::string("C:\\out\\odd.txt"));
    ui.click(w().图形按钮3.id());
    expectScriptDone();
    const Rows imported = storedEntries(lib);
    ASSERT_GE(imported.size(), wanted.size());
    EXPECT_EQ(Rows(imported.begin(), imported.begin() + static_cast<std::ptrdiff_t>(wanted.size())), wanted)
        << "the import changed entries it should have left alone";
    // A TAB or CR LF in a cell moves the later cells, so only what follows
    // from the split rule is known: the list still equals the store.
    if (!c.splitsOnImport) {
        EXPECT_EQ(imported, concat(wanted, filledWithSpaces(wanted)));
    }
    expectConsistent(lib, imported);

    // The list came from the store, so a save is not taken for another
    // instance's change and leaves the entries as they are.
    fireClick(w().*lib.saveButton);
    expectScriptDone();
    startOn(lib);
    expectConsistent(lib, imported);
    EXPECT_EQ(fileBytes(otherFile), otherBefore) << "the other library's store changed";
}

TEST_F(OddInputTest, OddTextsGoThroughEveryHandlerAsTheStoreKeepsThem) {
    const std::vector<OddText> texts = oddTexts();
    for (const Lib& l : kLibs) {
        for (const OddText& c : texts) {
            SCOPED_TRACE(std::string(l.name) + ", " + c.name);
            runThrough(l.get(), c);
        }
    }
}

}  // namespace
}  // namespace vorda::libraries
