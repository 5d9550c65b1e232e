#include "libraries/drag.h"
#include "libraries/editing.h"
#include "libraries/library.h"

namespace vorda::libraries {

namespace {

constexpr int kVkReturn = 13;
constexpr int kVkDelete = 46;
// The popup menu opens just off the pointer.
constexpr int kMenuOffset = 3;

void bindLibrary(MainWindow& w, const LibraryDescriptor& lib) {
    MainWindow* win = &w;
    const LibraryDescriptor* l = &lib;
    auto handle = [win, l](void (*fn)(MainWindow&, const LibraryDescriptor&)) {
        return [win, l, fn](const ui::Event&) { fn(*win, *l); };
    };
    (w.*lib.loadButton).on(ui::EventKind::Click, [win, l](const ui::Event&) { loadLibrary(*win, *l); });
    (w.*lib.saveButton).on(ui::EventKind::Click, [win, l](const ui::Event&) { saveLibrary(*win, *l); });
    (w.*lib.addButton).on(ui::EventKind::Click, handle(addOrUpdateEntry));
    (w.*lib.deleteButton).on(ui::EventKind::Click, handle(deleteSelectedEntries));
    (w.*lib.searchButton).on(ui::EventKind::Click, handle(searchEntries));

    const ui::ListView& list = w.*lib.list;
    list.on(ui::EventKind::Click, [win, l](const ui::Event&) {
        cancelDrag(*win);
        showSelectedEntry(*win, *l);
    });
    list.on(ui::EventKind::RightClick, [win](const ui::Event& e) {
        win->菜单1.popup(e.screenX + kMenuOffset, e.screenY + kMenuOffset);
    });
    list.on(ui::EventKind::KeyDown, [win, l](const ui::Event& e) {
        if (e.key == kVkDelete) deleteSelectedEntries(*win, *l);
    });

    const ui::Edit& search = w.*lib.searchBox;
    search.on(lib.searchOnEnterRelease ? ui::EventKind::KeyUp : ui::EventKind::KeyDown,
              [win, l](const ui::Event& e) {
                  if (e.key == kVkReturn) searchEntries(*win, *l);
              });
    search.on(ui::EventKind::FocusIn, [win, l](const ui::Event&) {
        const ui::Edit& box = win->*l->searchBox;
        if (box.text() == searchHint()) box.setText(std::string());
    });
    search.on(ui::EventKind::FocusOut, [win, l](const ui::Event&) {
        const ui::Edit& box = win->*l->searchBox;
        if (box.text().empty()) box.setText(searchHint());
    });

    for (int k = 0; k < lib.dataFields; ++k)
        (w.*lib.copyButtons[k]).on(ui::EventKind::Click, [win, l, k](const ui::Event&) { copyField(*win, *l, k); });
}

}  // namespace

void bindLibraryEvents(MainWindow& w) {
    bindLibrary(w, customLibrary());
    bindLibrary(w, passwordLibrary());
}

}  // namespace vorda::libraries
