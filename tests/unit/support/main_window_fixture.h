#pragma once
// MainWindow on the memory backend over a memory file system: seed both store
// files with chosen header records and entries, open MainWindow as a signed-in
// user would see it, play the user on its controls and read the files back.
//
//   writeStores({{"a", "1"}}, {{"p", "u"}});  // entries, default headers
//   openMain();
//   ui.clickRow(w().超级列表框2.id(), 0);
//   EXPECT_EQ(passwordEntries(), ...);
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/main_window_state.h"
#include "support/faulty_filesystem.h"
#include "support/run_directory.h"
#include "support/store_contents.h"
#include "support/ui_fixture.h"

namespace vorda::libraries {
struct LibraryDescriptor;
}

namespace vorda::testing {

class MainWindowTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // --- Store files ---------------------------------------------------------
    static std::string path(const std::string& file);
    // Header record of data.edb: stored name (marker included), password and
    // the five custom column titles.
    static Row dataHeader(const std::string& storedName = "Alice", const std::string& password = "pw1",
                          const std::vector<std::string>& titles = defaultTitles());
    // Header record of dataex.edb with this home library flag.
    static Row dataExHeader(const std::string& homeFlag = "1");
    static std::vector<std::string> defaultTitles();  // five GBK titles

    // Whole files under the access password: the header (when given) and then
    // one record per entry; rows may be shorter than the schema.
    void writeData(const std::optional<Row>& header, const Rows& entries = {});
    void writeDataEx(const std::optional<Row>& header, const Rows& entries = {});
    // Both files with the default headers.
    void writeStores(const Rows& custom = {}, const Rows& password = {}, const std::string& homeFlag = "1");

    // Every record with every field; empty (and a failure) when the file does
    // not open.
    Rows dataRecords();
    Rows dataExRecords();
    // Records 2.. with the library's data fields only (6 or 5).
    Rows customEntries();
    Rows passwordEntries();
    // The raw file, nullopt when missing.
    std::optional<std::string> fileBytes(const std::string& file);

    // A fault-injecting file system over the memory one, installed on first
    // use; steps count from its reset().
    FaultyFileSystem& faults();

    // --- MainWindow ----------------------------------------------------------
    // Opens MainWindow directly, as the hand-over after sign-in does, and binds
    // w() to it.
    void openMain();
    // Starts the program in the current files and registers (first start) or
    // signs in through LoginWindow; MainWindow must then be open.
    void signInThroughLogin(const std::string& name, const std::string& password, bool autoLogin = false);
    // The next run of the program: checks this run's script, forgets every
    // window and opens MainWindow afresh from the files.
    void reopen();

    ui::ControlId mainId() const;  // kNoControl when MainWindow is not open
    bool mainOpen() const;
    // Handles of the MainWindow opened last.
    const mainwindow::MainWindowControls& w() const { return controls_; }
    // A control of that MainWindow by form name (UTF-8, as in the sources).
    ui::ControlId control(const std::string& name);
    // Raises Click on a control the user cannot reach, as other handlers run
    // the hidden load and save buttons.
    void fireClick(const ui::Control& c);

    // --- Lists -----------------------------------------------------------------
    // Every cell of every row, the untitled column included.
    static Rows rowsOf(const ui::ListView& list);
    // The first `columns` cells of every row.
    static Rows rowsOf(const ui::ListView& list, int columns);
    // Replaces the list's rows with these.
    static void setRowsOf(const ui::ListView& list, const Rows& rows);
    // Texts of the edit boxes.
    static std::vector<std::string> textsOf(const std::vector<const ui::Edit*>& edits);
    std::vector<const ui::Edit*> customEdits() const;
    std::vector<const ui::Edit*> passwordEdits() const;

    // --- One library, by its descriptor --------------------------------------
    // Its store file with the default header record and these entries.
    void writeEntries(const libraries::LibraryDescriptor& lib, const Rows& entries);
    // Records 2.. of its store file, its data fields only.
    Rows storedEntries(const libraries::LibraryDescriptor& lib);
    // Its list view, edit boxes and the texts of these boxes.
    const ui::ListView& listOf(const libraries::LibraryDescriptor& lib) const;
    std::vector<const ui::Edit*> editsOf(const libraries::LibraryDescriptor& lib) const;
    std::vector<std::string> editTexts(const libraries::LibraryDescriptor& lib) const;
    // Presses the link of its page.
    void showPage(const libraries::LibraryDescriptor& lib);

    MemoryRunDirectory dir;

private:
    std::unique_ptr<FaultyFileSystem> faulty_;
    mainwindow::MainWindowControls controls_;
};

}  // namespace vorda::testing
