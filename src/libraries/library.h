#pragma once
// The two libraries differ only in this table; everything else is written once
// against it.
#include <cstdint>
#include <string>
#include <vector>

#include "mainwindow/main_window_state.h"

namespace vorda::libraries {

using mainwindow::MainWindow;
using mainwindow::MainWindowControls;

template <typename T>
using Member = T MainWindowControls::*;

struct LibraryDescriptor {
    int page;                 // of 高级选择夹1
    std::string storeFile;    // data.edb or dataex.edb
    int dataFields;           // 6 or 5
    Member<ui::ListView> list;
    std::vector<Member<ui::Edit>> edits;          // one per data column
    std::vector<Member<ui::Button>> copyButtons;  // one per data column
    Member<ui::Label> countLabel;
    Member<ui::Button> loadButton;
    Member<ui::Button> saveButton;
    Member<ui::Button> addButton;
    Member<ui::Button> deleteButton;
    Member<ui::Edit> searchBox;
    Member<ui::PictureButton> searchButton;
    bool searchOnEnterRelease;     // else on Enter pressed
    bool reloadWhenDeleteDeclined;
    bool loadCallsFirst;           // the cursor reaches record 2 by first() and skip(), else by skip()
    mainwindow::LoadedEntries MainWindow::*loaded;
};

const LibraryDescriptor& customLibrary();
const LibraryDescriptor& passwordLibrary();
// The library shown on page 0 or 1; nullptr for the other pages.
const LibraryDescriptor* libraryOnPage(int page);

// Fills the library's list from its store file and shows the entry count.
// False (and the list left as it was) when the store cannot be opened; the
// user is told unless reportFailure is false (they were told already).
bool loadLibrary(MainWindow& w, const LibraryDescriptor& lib, bool reportFailure = true);
// Makes the entry records of the store file equal to the list's rows. False
// when the store could not be opened or the change could not be written; the
// user has then been told and the file is as it was. Entries that changed in
// the store since the list was filled from it are never written over: with
// no change in the list the save is skipped (true); with one, it is refused
// (false, the user told), and the reload that follows shows the store's.
bool saveLibrary(MainWindow& w, const LibraryDescriptor& lib);
// The working-copy rule: after the list changed, save and reload. One action
// tells the user about the file at most once.
void saveAndReload(MainWindow& w, const LibraryDescriptor& lib);

// Binds the hidden load and save buttons and the editing events of both libraries.
void bindLibraryEvents(MainWindow& w);

}  // namespace vorda::libraries
