// A list row keeps its cells in one buffer; a change to one cell must leave
// every other cell as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/row.h"

namespace {

using vorda::ui::Row;

std::vector<std::string> cellsOf(const Row& row) {
    std::vector<std::string> out;
    for (std::string_view cell : row) out.emplace_back(cell);
    EXPECT_EQ(out.size(), row.size());
    for (std::size_t k = 0; k < out.size(); ++k) EXPECT_EQ(row[k], out[k]) << "cell " << k;
    return out;
}

using Cells = std::vector<std::string>;

TEST(ListRowTest, SettingOneCellKeepsTheOthers) {
    const struct {
        std::size_t column;
        std::string text;
        Cells after;
    } cases[] = {
        {0, "longer first", {"longer first", "bb", "", "dddd"}},
        {1, "", {"a", "", "", "dddd"}},
        {2, "filled", {"a", "bb", "filled", "dddd"}},
        {3, "d", {"a", "bb", "", "d"}},
        {4, "past the end", {"a", "bb", "", "dddd"}},
        {1, std::string("cut\0here", 8), {"a", "cut", "", "dddd"}},
        {0, std::string("\0", 1), {"", "bb", "", "dddd"}},
    };
    for (const auto& c : cases) {
        Row row{"a", "bb", "", "dddd"};
        row.set(c.column, c.text);
        EXPECT_EQ(cellsOf(row), c.after) << "column " << c.column;
    }
}

TEST(ListRowTest, ResizeAddsEmptyCellsOrDropsTheLastOnes) {
    Row row{"a", "bb", "ccc"};
    row.resize(5);
    EXPECT_EQ(cellsOf(row), (Cells{"a", "bb", "ccc", "", ""}));
    row.resize(2);
    EXPECT_EQ(cellsOf(row), (Cells{"a", "bb"}));
    EXPECT_EQ(row[2], "");
    row.resize(0);
    EXPECT_TRUE(row.empty());
    EXPECT_EQ(row.begin(), row.end());
}

TEST(ListRowTest, ARefilledRowHoldsOnlyTheNewCells) {
    Row row(3, "old text");
    EXPECT_EQ(cellsOf(row), (Cells{"old text", "old text", "old text"}));
    row.clear();
    row.push_back("x");
    row.push_back(std::string("y\0z", 3));
    row.push_back("");
    EXPECT_EQ(cellsOf(row), (Cells{"x", "y", ""}));
    EXPECT_EQ(row, (Row{"x", "y", ""}));
    EXPECT_NE(row, (Row{"x", "y"}));
    EXPECT_NE(row, (Row{"x", "y", "", ""}));
}

}  // namespace
