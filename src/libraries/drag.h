#pragma once
// Reordering entries by dragging a row of either list onto another row.
#include <cstdint>
#include <string>

#include "libraries/library.h"

namespace vorda::libraries {

struct DragState {
    bool dragging = false;
    std::string caption;  // built on the first move of a drag
    std::int32_t pressY = 0;
};

// The one drag state of the program, shared by both lists.
DragState& dragState();

void cancelDrag(MainWindow& w);
void dragPress(MainWindow& w, const LibraryDescriptor& lib, int x, int y);
void dragMove(MainWindow& w, const LibraryDescriptor& lib, int x, int y);
void dragDrop(MainWindow& w, const LibraryDescriptor& lib, int x, int y);
// Moves row `from` to index `to`; to == -1 means the last row.
void moveRow(const ui::ListView& list, int from, int to);

// Where the drop is estimated from the press: row c moved by the nearest whole
// number of row pitches, a half going away from zero.
int estimateDropRow(int currentRow, int pressY, int y);

// The drag events of both lists and the cancels of the window and page control.
void bindDragEvents(MainWindow& w);

}  // namespace vorda::libraries
