#pragma once
// One open MainWindow: its controls and its non-visual components. It lives as
// long as the window (kept with it by the backend).
#include <cstdint>
#include <string>

#include "mainwindow/main_window_form.h"
#include "ui/ui.h"

namespace vorda::mainwindow {

// The entries a list was last filled from or saved as.
struct LoadedEntries {
    std::uint64_t digest = 0;  // of their texts; 0: none
    std::string version;       // of the store file they were read from; empty: not known
};

struct MainWindow : MainWindowControls {
    ui::FileDialog 通用对话框1;  // export
    ui::FileDialog 通用对话框2;  // import
    ui::PopupMenu 菜单1;

    // So that a save never writes over entries that changed in the store
    // since, as another running instance may have changed them.
    LoadedEntries customEntries;
    LoadedEntries passwordEntries;

    ui::Backend& backend() const { return window.backend(); }
};

// Page indexes of 高级选择夹1.
enum Page { kCustomPage = 0, kPasswordPage = 1, kMemoPage = 2, kSettingsPage = 3 };

// Items of 菜单1, in menu order.
enum MenuItem { kMenuDelete = 0, kMenuImport = 1, kMenuExport = 2 };

}  // namespace vorda::mainwindow
