// Reordering entries by dragging a row of a library list, played through the
// mouse events of the lists, the page control and MainWindow.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "libraries/drag.h"
#include "storage/store_files.h"
#include "support/main_window_fixture.h"
#include "text/gbk.h"

namespace vorda::libraries {
namespace {

using mainwindow::kCustomPage;
using mainwindow::kPasswordPage;
using testing::Row;
using testing::Rows;
using Rect = ui::Backend::Rect;

int rowY(int row) { return ui::MemoryBackend::rowY(row); }
constexpr int kX = 20;

// Entries named A, B, C, ... whose every cell names its entry, so a row that
// lost or swapped a cell shows.
Rows lettered(int count, int fields) {
    Rows rows;
    for (int i = 0; i < count; ++i) {
        const std::string name(1, static_cast<char>('A' + i));
        Row row{name};
        for (int k = 1; k < fields; ++k) row.push_back(name + std::to_string(k));
        rows.push_back(row);
    }
    return rows;
}

Rows inOrder(const Rows& entries, const std::string& order) {
    Rows out;
    for (char c : order) out.push_back(entries.at(static_cast<std::size_t>(c - 'A')));
    return out;
}

class DragTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dragState() = {};
    }
    void TearDown() override {
        dragState() = {};
        MainWindowTest::TearDown();
    }

    // Four entries in each library, MainWindow open on the page of `page`.
    void openWithEntries(int page) {
        writeStores(lettered(4, 6), lettered(4, 5));
        openMain();
        ui.click((page == kCustomPage ? w().超级链接框1 : w().超级链接框2).id());
        ASSERT_EQ(w().高级选择夹1.currentPage(), page);
    }
    const ui::ListView& listOn(int page) const { return page == kCustomPage ? w().超级列表框1 : w().超级列表框2; }
    Rows entriesOn(int page) { return page == kCustomPage ? customEntries() : passwordEntries(); }
    static int fieldsOn(int page) { return page == kCustomPage ? 6 : 5; }

    Rect canvas() const {
        const ui::Canvas& c = w().画板1;
        return {c.left(), c.top(), c.width(), c.height()};
    }
    std::vector<std::string> canvasLines() const { return ui.canvasLines(w().画板1.id()); }

    void expectIdle() {
        EXPECT_FALSE(dragState().dragging);
        EXPECT_EQ(dragState().caption, "");
        EXPECT_EQ(canvas().width, 0);
        EXPECT_EQ(canvas().height, 0);
        EXPECT_TRUE(canvasLines().empty());
    }
    // A row changed in the list only: once the library is saved, the store has it.
    void editListOnly(int page) { ui.setCell(listOn(page).id(), 0, 1, "edited"); }
    void expectSavedAndReloaded(int page, const Rows& expected) {
        EXPECT_EQ(entriesOn(page), expected);
        EXPECT_EQ(rowsOf(listOn(page), fieldsOn(page)), expected);
        EXPECT_TRUE(listOn(page).selectedRows().empty());
    }
};

TEST(DropEstimate, RoundsToTheNearestRowAHalfAwayFromZero) {
    struct Case {
        int currentRow, pressY, y, estimate;
    };
    // With a pitch of 19 pixels no whole distance is an exact half row; the
    // cases sit on both sides of the halves.
    const Case cases[] = {
        {-1, 0, 500, 0},  // no current row
        {0, 9, 9, 0},
        {0, 9, 17, 0},    // 0.42
        {0, 9, 18, 0},    // 0.47
        {0, 9, 19, 1},    // 0.53
        {0, 9, 0, 0},     // -0.47
        {0, 9, -1, -1},   // -0.53
        {2, 0, 47, 4},    // 2.47
        {2, 0, 48, 5},    // 2.53
        {2, 47, 0, 0},    // -2.47
        {2, 48, 0, -1},   // -2.53
        {5, 0, 190, 15},  // 10 exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.currentRow << ", " << c.pressY << " -> " << c.y);
        EXPECT_EQ(estimateDropRow(c.currentRow, c.pressY, c.y), c.estimate);
    }
}

TEST_F(DragTest, DropMovesTheRowAndStoresTheNewOrder) {
    struct Case {
        const char* name;
        int pressY, releaseY;
        const char* order;
    };
    const Case cases[] = {
        {"A onto C", rowY(0), rowY(2), "BCAD"},
        {"D onto B", rowY(3), rowY(1), "ADBC"},
        {"B onto itself", rowY(1), rowY(1) + 5, "ABCD"},
        // The last pixel of C to the first pixel below D: the estimate stays
        // inside, the hit test finds no row, so C goes last.
        {"C onto the space below the rows", 3 * 19 - 1, 4 * 19, "ABDC"},
        {"C released above the list", rowY(2), -5, "ABDC"},
        {"A released far below the rows", rowY(0), 200, "ABCD"},
        {"D released just below the rows", rowY(3), rowY(4), "ABCD"},
    };
    for (int page : {kCustomPage, kPasswordPage}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "page " << page << ": " << c.name);
            openWithEntries(page);
            const ui::ListView& list = listOn(page);
            const auto otherStore = fileBytes(page == kCustomPage ? storage::kDataExFile : storage::kDataFile);
            editListOnly(page);
            Rows entries = lettered(4, fieldsOn(page));
            entries[0][1] = "edited";

            ui.pressAt(list.id(), kX, c.pressY);
            ui.moveMouse(list.id(), kX, c.pressY + 1);
            ui.moveMouse(list.id(), kX, c.releaseY);
            ui.releaseAt(list.id(), kX, c.releaseY);

            expectSavedAndReloaded(page, inOrder(entries, c.order));
            expectIdle();
            EXPECT_EQ((page == kCustomPage ? w().透明标签18 : w().透明标签4).text(), "4");
            EXPECT_EQ(fileBytes(page == kCustomPage ? storage::kDataExFile : storage::kDataFile), otherStore);
            restartProgram();
        }
    }
}

TEST_F(DragTest, CaptionShowsFromTheSecondMoveAndFollowsThePointer) {
    struct Case {
        const char* name;
        int page;
        Row cells;
        std::string caption;
    };
    const Case cases[] = {
        // Two spaces before every cell, the untitled column's included.
        {"custom", kCustomPage, {"a", "b"}, "  a  b          "},
        {"password", kPasswordPage, {"a", "b"}, "  a  b        "},
        {"double-byte text", kPasswordPage, {GBK("名称"), "", "x"}, "  " + GBK("名称") + "    x      "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.page == kCustomPage)
            writeStores({c.cells, {"other"}}, {});
        else
            writeStores({}, {c.cells, {"other"}});
        openMain();
        ui.click((c.page == kCustomPage ? w().超级链接框1 : w().超级链接框2).id());
        const ui::ListView& list = listOn(c.page);
        // MainWindow's creation collapses the canvas of the form.
        expectIdle();
        ui.setTextColor(w().画板1.id(), {255, 0, 0});

        ui.pressAt(list.id(), kX, rowY(0));
        EXPECT_TRUE(dragState().dragging);
        EXPECT_EQ(dragState().caption, "");
        EXPECT_EQ(dragState().pressY, rowY(0));

        ui.moveMouse(list.id(), 30, 12);
        EXPECT_EQ(dragState().caption, c.caption);
        EXPECT_EQ(canvas().width, 0);
        EXPECT_EQ(canvas().height, 0);
        EXPECT_TRUE(canvasLines().empty());

        const int width = static_cast<int>(c.caption.size()) * 15;
        ui.moveMouse(list.id(), 40, 25);
        EXPECT_EQ(canvas().left, list.left() + 40 + 195);
        EXPECT_EQ(canvas().top, list.top() + 25 + 75);
        EXPECT_EQ(canvas().width, width);
        EXPECT_EQ(canvas().height, 16);
        EXPECT_EQ(w().画板1.textColor(), (ui::Color{0, 0, 0}));
        EXPECT_EQ(canvasLines(), std::vector<std::string>{c.caption});

        // Later lines fall below the canvas; the first one is what shows.
        ui.moveMouse(list.id(), 0, 250);
        EXPECT_EQ(canvas().left, list.left() + 195);
        EXPECT_EQ(canvas().top, list.top() + 250 + 75);
        EXPECT_EQ(canvas().width, width);
        EXPECT_EQ(canvasLines(), (std::vector<std::string>{c.caption, c.caption}));

        ui.releaseAt(list.id(), kX, rowY(0));
        expectIdle();
        restartProgram();
    }
}

TEST_F(DragTest, EveryWayADragEndsWithoutADrop) {
    struct Case {
        const char* name;
        std::function<void()> act;
        bool ends;  // else the drag goes on until the pointer moves over the window
    };
    const Case cases[] = {
        {"move over MainWindow", [this] { ui.moveMouse(w().window.id(), 300, 200); }, true},
        {"move over the page control",
         [this] { ui.moveMouse(w().高级选择夹1.id(), 300, 200); }, true},
        {"release over MainWindow", [this] { ui.releaseAt(w().window.id(), 300, 200); }, true},
        {"click on the list", [this] { ui.clickRow(w().超级列表框1.id(), 2); }, true},
        {"release over a button", [this] { ui.releaseAt(w().超级按钮4.id(), 5, 5); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openWithEntries(kCustomPage);
        const ui::ListView& list = w().超级列表框1;
        ui.pressAt(list.id(), kX, rowY(0));
        ui.moveMouse(list.id(), kX, rowY(1));
        ui.moveMouse(list.id(), kX, rowY(2));
        ASSERT_GT(canvas().width, 0);

        c.act();
        if (!c.ends) {
            EXPECT_TRUE(dragState().dragging);
            EXPECT_GT(canvas().width, 0);
            ui.moveMouse(w().window.id(), 300, 200);
        }
        expectIdle();

        // A later release over the list moves nothing, but still saves and reloads.
        editListOnly(kCustomPage);
        Rows entries = lettered(4, 6);
        entries[0][1] = "edited";
        ui.releaseAt(list.id(), kX, rowY(2));
        expectSavedAndReloaded(kCustomPage, entries);
        expectIdle();
        restartProgram();
    }
}

TEST_F(DragTest, ReleaseWithoutAPressSavesAndReloads) {
    openWithEntries(kPasswordPage);
    const ui::ListView& list = w().超级列表框2;
    // Moves over a list without a press start nothing.
    ui.moveMouse(list.id(), kX, rowY(1));
    ui.moveMouse(list.id(), kX, rowY(2));
    expectIdle();

    ui.clickRow(list.id(), 1);
    editListOnly(kPasswordPage);
    Rows entries = lettered(4, 5);
    entries[0][1] = "edited";
    ui.releaseAt(list.id(), kX, rowY(3));
    expectSavedAndReloaded(kPasswordPage, entries);
}

TEST_F(DragTest, WithSeveralSelectedRowsTheLowestMoves) {
    openWithEntries(kCustomPage);
    const ui::ListView& list = w().超级列表框1;
    ui.clickRow(list.id(), 1);
    ui.clickRow(list.id(), 3, ui::MemoryBackend::SelectMode::Toggle);
    ASSERT_EQ(list.selectedRows(), (std::vector<int>{1, 3}));

    // Pressing D keeps both selected; B is the row that moves.
    ui.pressAt(list.id(), kX, rowY(3));
    ui.moveMouse(list.id(), kX, rowY(2));
    EXPECT_EQ(dragState().caption.substr(0, 5), "  B  ");
    ui.moveMouse(list.id(), kX, rowY(0));
    ui.releaseAt(list.id(), kX, rowY(0));

    expectSavedAndReloaded(kCustomPage, inOrder(lettered(4, 6), "BACD"));
}

TEST_F(DragTest, ADropWithoutASelectedRowMovesNothing) {
    openWithEntries(kCustomPage);
    const ui::ListView& list = w().超级列表框1;
    // A press below the rows clears the selection.
    ui.clickRow(list.id(), 1);
    ui.pressAt(list.id(), kX, rowY(8));
    ASSERT_TRUE(list.selectedRows().empty());
    ui.moveMouse(list.id(), kX, rowY(3));
    EXPECT_EQ(dragState().caption, std::string(14, ' '));
    ui.moveMouse(list.id(), kX, rowY(2));
    ui.releaseAt(list.id(), kX, rowY(1));

    // No empty entry appears, and nothing else moves.
    expectSavedAndReloaded(kCustomPage, lettered(4, 6));
    EXPECT_EQ(w().透明标签18.text(), "4");
    expectIdle();
}

}  // namespace
}  // namespace vorda::libraries
