#include "support/main_window_fixture.h"

#include <chrono>

#include "libraries/library.h"
#include "mainwindow/main_window.h"
#include "mainwindow/skin_hook.h"
#include "platform/filesystem.h"
#include "signin/login_window.h"
#include "signin/program_start.h"
#include "storage/store_files.h"
#include "storage/store_tuning.h"
#include "text/gbk.h"

namespace vorda::testing {

namespace {

Row padded(Row row, std::size_t size) {
    row.resize(size);
    return row;
}

Rows withHeader(const std::optional<Row>& header, const Rows& entries, std::size_t fields) {
    Rows rows;
    if (header) rows.push_back(padded(*header, fields));
    for (const Row& e : entries) rows.push_back(padded(e, fields));
    return rows;
}

Rows entriesOf(Rows records, std::size_t fields) {
    Rows out;
    for (std::size_t i = 1; i < records.size(); ++i) out.push_back(padded(records[i], fields));
    return out;
}

}  // namespace

void MainWindowTest::SetUp() {
    // Lock conflicts in these tests are deliberate; nobody is going to let go.
    storage::setLockWait(std::chrono::milliseconds(0));
    mainwindow::setSkinHook({});
}

void MainWindowTest::TearDown() {
    mainwindow::setSkinHook({});
    UiTest::TearDown();
}

std::string MainWindowTest::path(const std::string& file) { return storage::runDirectory() + "\\" + file; }

std::vector<std::string> MainWindowTest::defaultTitles() {
    return {GBK("网址"), GBK("账号"), GBK("密码"), GBK("邮箱"), GBK("备注")};
}

Row MainWindowTest::dataHeader(const std::string& storedName, const std::string& password,
                               const std::vector<std::string>& titles) {
    Row row{storedName, password};
    row.insert(row.end(), titles.begin(), titles.end());
    return padded(row, storage::kDataFieldCount);
}

Row MainWindowTest::dataExHeader(const std::string& homeFlag) {
    return padded({GBK("密码库2"), homeFlag}, storage::kDataExFieldCount);
}

void MainWindowTest::writeData(const std::optional<Row>& header, const Rows& entries) {
    ASSERT_TRUE(writeStore(path(storage::kDataFile), storage::dataSchema(),
                           withHeader(header, entries, storage::kDataFieldCount), storage::accessPassword()));
}

void MainWindowTest::writeDataEx(const std::optional<Row>& header, const Rows& entries) {
    ASSERT_TRUE(writeStore(path(storage::kDataExFile), storage::dataExSchema(),
                           withHeader(header, entries, storage::kDataExFieldCount), storage::accessPassword()));
}

void MainWindowTest::writeStores(const Rows& custom, const Rows& password, const std::string& homeFlag) {
    writeData(dataHeader(), custom);
    writeDataEx(dataExHeader(homeFlag), password);
}

Rows MainWindowTest::dataRecords() {
    auto rows = readStore(path(storage::kDataFile), storage::dataSchema(), storage::accessPassword());
    EXPECT_TRUE(rows) << "data.edb does not open";
    return rows.value_or(Rows{});
}

Rows MainWindowTest::dataExRecords() {
    auto rows = readStore(path(storage::kDataExFile), storage::dataExSchema(), storage::accessPassword());
    EXPECT_TRUE(rows) << "dataex.edb does not open";
    return rows.value_or(Rows{});
}

Rows MainWindowTest::customEntries() { return entriesOf(dataRecords(), 6); }

Rows MainWindowTest::passwordEntries() { return entriesOf(dataExRecords(), 5); }

std::optional<std::string> MainWindowTest::fileBytes(const std::string& file) {
    std::string out;
    if (!platform::fileSystem().readAll(path(file), out)) return std::nullopt;
    return out;
}

FaultyFileSystem& MainWindowTest::faults() {
    if (!faulty_) {
        faulty_ = std::make_unique<FaultyFileSystem>(dir.fs());
        platform::setFileSystem(faulty_.get());
    }
    return *faulty_;
}

void MainWindowTest::openMain() {
    mainwindow::openMainWindow(ui);
    ASSERT_TRUE(mainOpen()) << "MainWindow did not open";
    controls_ = mainwindow::bindMainWindowControls(ui, mainId());
}

void MainWindowTest::signInThroughLogin(const std::string& name, const std::string& password, bool autoLogin) {
    signin::startProgram(ui);
    const ui::ControlId login = ui.findWindow(GBK("Vorda登陆"));
    ASSERT_NE(login, ui::kNoControl) << "LoginWindow did not open";
    signin::LoginWindow l = signin::bindLoginWindow(ui, login);
    ui.typeText(l.编辑框1.id(), name);
    ui.typeText(l.编辑框2.id(), password);
    if (l.选择框1.checked() != autoLogin) ui.click(l.选择框1.id());
    ui.click(l.初始登录.id());
    ASSERT_TRUE(mainOpen()) << "MainWindow did not open";
    controls_ = mainwindow::bindMainWindowControls(ui, mainId());
}

void MainWindowTest::reopen() {
    restartProgram();
    openMain();
}

ui::ControlId MainWindowTest::mainId() const { return ui.findWindow("Vorda"); }

bool MainWindowTest::mainOpen() const {
    const ui::ControlId id = mainId();
    return id != ui::kNoControl && ui.shown(id);
}

ui::ControlId MainWindowTest::control(const std::string& name) { return ui.control(w().window.id(), name); }

void MainWindowTest::fireClick(const ui::Control& c) {
    ui::Event e;
    e.kind = ui::EventKind::Click;
    ui.fire(c.id(), e);
}

Rows MainWindowTest::rowsOf(const ui::ListView& list) { return rowsOf(list, list.columnCount()); }

Rows MainWindowTest::rowsOf(const ui::ListView& list, int columns) {
    Rows rows;
    for (int r = 0; r < list.rowCount(); ++r) {
        Row row;
        for (int k = 0; k < columns; ++k) row.push_back(list.cell(r, k));
        rows.push_back(std::move(row));
    }
    return rows;
}

void MainWindowTest::setRowsOf(const ui::ListView& list, const Rows& rows) {
    std::vector<ui::Row> listRows;
    for (const Row& row : rows) {
        ui::Row& cells = listRows.emplace_back();
        for (const std::string& text : row) cells.push_back(text);
    }
    list.setRows(std::move(listRows));
}

std::vector<std::string> MainWindowTest::textsOf(const std::vector<const ui::Edit*>& edits) {
    std::vector<std::string> out;
    for (const ui::Edit* e : edits) out.push_back(e->text());
    return out;
}

std::vector<const ui::Edit*> MainWindowTest::customEdits() const {
    const auto& c = controls_;
    return {&c.编辑框1, &c.编辑框2, &c.编辑框3, &c.编辑框4, &c.编辑框5, &c.编辑框6};
}

std::vector<const ui::Edit*> MainWindowTest::passwordEdits() const {
    const auto& c = controls_;
    return {&c.编辑1, &c.编辑2, &c.编辑3, &c.编辑4, &c.编辑5};
}

void MainWindowTest::writeEntries(const libraries::LibraryDescriptor& lib, const Rows& entries) {
    if (lib.storeFile == storage::kDataFile)
        writeData(dataHeader(), entries);
    else
        writeDataEx(dataExHeader(), entries);
}

Rows MainWindowTest::storedEntries(const libraries::LibraryDescriptor& lib) {
    return lib.storeFile == storage::kDataFile ? customEntries() : passwordEntries();
}

const ui::ListView& MainWindowTest::listOf(const libraries::LibraryDescriptor& lib) const {
    return controls_.*lib.list;
}

std::vector<const ui::Edit*> MainWindowTest::editsOf(const libraries::LibraryDescriptor& lib) const {
    std::vector<const ui::Edit*> out;
    for (auto member : lib.edits) out.push_back(&(controls_.*member));
    return out;
}

std::vector<std::string> MainWindowTest::editTexts(const libraries::LibraryDescriptor& lib) const {
    return textsOf(editsOf(lib));
}

void MainWindowTest::showPage(const libraries::LibraryDescriptor& lib) {
    ui.click(lib.page == mainwindow::kCustomPage ? controls_.超级链接框1.id() : controls_.超级链接框2.id());
}

}  // namespace vorda::testing
