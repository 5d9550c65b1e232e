#pragma once
// Single entries of a library: show, add or update, delete, search, copy.
#include "libraries/library.h"

namespace vorda::libraries {

void showSelectedEntry(MainWindow& w, const LibraryDescriptor& lib);
void addOrUpdateEntry(MainWindow& w, const LibraryDescriptor& lib);
void deleteSelectedEntries(MainWindow& w, const LibraryDescriptor& lib);
// The popup item: deletes from the library of the current page.
void deleteByPage(MainWindow& w);
void searchEntries(MainWindow& w, const LibraryDescriptor& lib);
void copyField(MainWindow& w, const LibraryDescriptor& lib, int column);

// The search box's hint text.
const std::string& searchHint();

}  // namespace vorda::libraries
