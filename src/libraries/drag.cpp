#include "libraries/drag.h"

#include <cmath>

#include "libraries/editing.h"

namespace vorda::libraries {

namespace {

constexpr int kCaptionX = 195;
constexpr int kCaptionY = 75;
constexpr int kPixelsPerCaptionByte = 15;
constexpr int kCaptionHeight = 16;
constexpr int kRowPitch = 19;
constexpr int kMovedColumns = 6;
const ui::Color kCaptionColor{0, 0, 0};

}  // namespace

DragState& dragState() {
    static DragState state;
    return state;
}

void cancelDrag(MainWindow& w) {
    w.画板1.clear();
    w.画板1.setHeight(0);
    w.画板1.setWidth(0);
    DragState& s = dragState();
    s.dragging = false;
    s.caption.clear();
    s.caption.shrink_to_fit();
}

void dragPress(MainWindow&, const LibraryDescriptor&, int, int y) {
    DragState& s = dragState();
    s.dragging = true;
    s.pressY = y;
}

void dragMove(MainWindow& w, const LibraryDescriptor& lib, int x, int y) {
    DragState& s = dragState();
    if (!s.dragging) return;
    const ui::ListView& list = w.*lib.list;
    if (s.caption.empty()) {
        const int row = list.currentRow();
        const int columns = list.columnCount();
        for (int k = 0; k < columns; ++k) s.caption += "  " + list.cell(row, k);
        return;
    }
    w.画板1.setLeft(list.left() + x + kCaptionX);
    w.画板1.setTop(list.top() + y + kCaptionY);
    w.画板1.setWidth(static_cast<int>(s.caption.size()) * kPixelsPerCaptionByte);
    w.画板1.setHeight(kCaptionHeight);
    w.画板1.setTextColor(kCaptionColor);
    w.画板1.writeLine(s.caption);
}

int estimateDropRow(int currentRow, int pressY, int y) {
    if (currentRow < 0) return 0;
    const double rows = (static_cast<double>(y) - pressY) / kRowPitch;
    return currentRow + static_cast<int>(std::lround(rows));
}

void dragDrop(MainWindow& w, const LibraryDescriptor& lib, int x, int y) {
    DragState& s = dragState();
    const ui::ListView& list = w.*lib.list;
    const int estimate = estimateDropRow(list.currentRow(), s.pressY, y);
    if (s.dragging) {
        cancelDrag(w);
        const int from = list.currentRow();
        // Without a selected row there is nothing to move.
        if (estimate < list.rowCount() && from >= 0) {
            list.deselect(from);
            moveRow(list, from, list.hitTest(x, y));
        }
    }
    saveAndReload(w, lib);
}

void moveRow(const ui::ListView& list, int from, int to) {
    if (from == to) return;
    const int rows = list.rowCount();
    if (from < 0 || from >= rows) return;
    if (to == -1) to = rows - 1;
    list.deselect(to);
    const int image = list.stateImage(from);
    std::string texts[kMovedColumns];
    for (int k = 0; k < kMovedColumns; ++k) texts[k] = list.cell(from, k);
    list.deleteRow(from);
    list.insertRow(to);
    list.setStateImage(to, image);
    for (int k = 0; k < kMovedColumns; ++k) list.setCell(to, k, texts[k]);
    list.select(to);
}

void bindDragEvents(MainWindow& w) {
    MainWindow* win = &w;
    for (const LibraryDescriptor* lib : {&customLibrary(), &passwordLibrary()}) {
        const ui::ListView& list = w.*lib->list;
        list.on(ui::EventKind::LeftDown, [win, lib](const ui::Event& e) { dragPress(*win, *lib, e.x, e.y); });
        list.on(ui::EventKind::MouseMove, [win, lib](const ui::Event& e) { dragMove(*win, *lib, e.x, e.y); });
        list.on(ui::EventKind::LeftUp, [win, lib](const ui::Event& e) { dragDrop(*win, *lib, e.x, e.y); });
    }
    w.window.on(ui::EventKind::MouseMove, [win](const ui::Event&) { cancelDrag(*win); });
    w.window.on(ui::EventKind::LeftUp, [win](const ui::Event&) {
        if (dragState().dragging) cancelDrag(*win);
    });
    w.高级选择夹1.on(ui::EventKind::MouseMove, [win](const ui::Event&) { cancelDrag(*win); });
}

}  // namespace vorda::libraries
