#pragma once
// The library text file: tab-separated cells, CR LF after every row, GBK.
#include <string>
#include <string_view>
#include <vector>

#include "libraries/library.h"

namespace vorda::libraries {

// Splits at every separator. Empty text gives no pieces; two separators in a
// row give an empty piece; what follows the last separator is a piece only when
// it is not empty.
std::vector<std::string_view> splitPieces(std::string_view text, std::string_view separator);

// The export text of a list: every cell (" " when empty) followed by TAB, the
// untitled last column included, CR LF after every row.
std::string libraryText(const ui::ListView& list, int columns);

// Writes the library of the current page into a text file the user chooses.
void exportLibrary(MainWindow& w);
// Appends the entries of a text file to the library of the current page.
void importLibrary(MainWindow& w);

}  // namespace vorda::libraries
