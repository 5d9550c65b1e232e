#include "mainwindow/main_window.h"

#include <memory>
#include <set>
#include <string>

#include "libraries/drag.h"
#include "libraries/editing.h"
#include "libraries/import_export.h"
#include "libraries/library.h"
#include "mainwindow/creation.h"
#include "mainwindow/main_window_state.h"
#include "mainwindow/navigation.h"
#include "mainwindow/sign_out.h"
#include "mainwindow/skin_hook.h"
#include "settings/settings_page.h"
#include "text/gbk.h"

namespace vorda::mainwindow {

namespace {

void bindWindowEvents(MainWindow& w) {
    MainWindow* win = &w;
    // Links react to the button going down, not to a completed click.
    w.超级链接框1.on(ui::EventKind::LeftDown, [win](const ui::Event&) { showLibraryPage(*win, kCustomPage); });
    w.超级链接框2.on(ui::EventKind::LeftDown, [win](const ui::Event&) { showLibraryPage(*win, kPasswordPage); });
    w.超级链接框3.on(ui::EventKind::LeftDown, [win](const ui::Event&) { showLibraryPage(*win, kMemoPage); });
    w.图形按钮1.on(ui::EventKind::Click, [win](const ui::Event&) {
        showSettingsPage(*win);
        settings::fillColumnTitleBoxes(*win);
    });
    w.超级按钮1.on(ui::EventKind::Click, [win](const ui::Event&) { win->window.minimize(); });
    w.超级按钮2.on(ui::EventKind::Click, [win](const ui::Event&) { win->backend().quit(); });
    w.注销按钮.on(ui::EventKind::Click, [win](const ui::Event&) { signOut(*win); });
    w.图形按钮2.on(ui::EventKind::Click, [win](const ui::Event&) { libraries::exportLibrary(*win); });
    w.图形按钮3.on(ui::EventKind::Click, [win](const ui::Event&) { libraries::importLibrary(*win); });
    w.菜单1.onItem([win](const ui::Event& e) {
        if (e.item == kMenuDelete) libraries::deleteByPage(*win);
        if (e.item == kMenuImport) libraries::importLibrary(*win);
        if (e.item == kMenuExport) libraries::exportLibrary(*win);
    });
}

void createMainWindow(MainWindow& w) {
    // The drag caption stays invisible until a drag shows it.
    w.画板1.setHeight(0);
    w.画板1.setWidth(0);
    applySkin(2);
    const std::set<std::string> unopenable = showHeaderRecords(w);
    // A file already reported by this creation is not reported again.
    for (const libraries::LibraryDescriptor* lib : {&libraries::passwordLibrary(), &libraries::customLibrary()})
        libraries::loadLibrary(w, *lib, !unopenable.contains(lib->storeFile));
}

}  // namespace

void openMainWindow(ui::Backend& b) {
    const ui::ControlId id = b.createWindow(mainWindowForm());
    auto w = std::make_shared<MainWindow>();
    static_cast<MainWindowControls&>(*w) = bindMainWindowControls(b, id);
    w->通用对话框1 = ui::FileDialog(b);
    w->通用对话框2 = ui::FileDialog(b);
    w->菜单1 = ui::PopupMenu(b, id, {GBK("删除选中项"), GBK("导入"), GBK("导出")});
    b.keepWithWindow(id, w);
    bindWindowEvents(*w);
    libraries::bindLibraryEvents(*w);
    libraries::bindDragEvents(*w);
    settings::bindSettingsEvents(*w);
    b.runHandler([&] { createMainWindow(*w); });
    w->window.show();
}

}  // namespace vorda::mainwindow
