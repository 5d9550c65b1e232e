// Library text files from hostile bytes. Each input is tried two ways:
//   1. splitPieces at CR LF and at TAB, against a plain byte-by-byte reading
//      of the split rule;
//   2. the whole import into a MainWindow on the memory backend over a memory
//      file system: the first byte picks the library, the rest is the file.
//      The list and the store file must then hold exactly the entries the
//      file's lines give, and nothing may be shown but the open dialog.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "libraries/import_export.h"
#include "libraries/library.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_form.h"
#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "storage/store_tuning.h"
#include "text/gbk.h"
#include "ui/memory/memory_backend.h"

namespace {

using namespace vorda;
using storage::RecordStore;

class NoLock : public platform::FileLock {};

class FuzzFileSystem : public platform::FileSystem {
public:
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    bool readAll(const std::string& path, std::string& out) override {
        auto it = files.find(path);
        if (it == files.end()) return false;
        out = it->second;
        return true;
    }
    bool writeAll(const std::string& path, std::string_view bytes) override {
        files[path] = std::string(bytes);
        return true;
    }
    bool replace(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return false;
        std::string moved = std::move(it->second);
        files.erase(it);
        files[to] = std::move(moved);
        return true;
    }
    bool remove(const std::string& path) override { return files.erase(path) != 0; }
    bool setAttributes(const std::string&, std::uint32_t) override { return true; }
    std::optional<std::uint32_t> attributes(const std::string&) override { return platform::kAttrNormal; }
    std::unique_ptr<platform::FileLock> tryLock(const std::string&) override { return std::make_unique<NoLock>(); }

    std::map<std::string, std::string> files;
};

const std::string kDirectory = "C:\\fuzz";
const std::string kInput = kDirectory + "\\in.txt";

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The split rule read literally: walk the bytes, end a piece at every
// separator, keep the rest only when it is not empty.
std::vector<std::string> referenceSplit(std::string_view text, std::string_view sep) {
    std::vector<std::string> pieces;
    std::string piece;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, sep.size(), sep) == 0) {
            pieces.push_back(piece);
            piece.clear();
            i += sep.size();
        } else {
            piece += text[i++];
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

void checkSplit(std::string_view text, std::string_view sep) {
    const auto pieces = libraries::splitPieces(text, sep);
    const auto expected = referenceSplit(text, sep);
    if (pieces.size() != expected.size()) fail("piece count differs from the split rule");
    const char* next = text.data();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i] != expected[i]) fail("piece differs from the split rule");
        // Pieces are views into the text, in order.
        if (!pieces[i].empty() && (pieces[i].data() < next || pieces[i].data() + pieces[i].size() > text.data() + text.size()))
            fail("piece lies outside the text or out of order");
        if (!pieces[i].empty()) next = pieces[i].data() + pieces[i].size();
    }
}

struct Program {
    FuzzFileSystem fs;
    ui::MemoryBackend ui;
    mainwindow::MainWindowControls w;
    std::string data, dataEx;  // the store files before any import
    std::string lastPath;      // what the open dialog offers
};

Program& program() {
    static Program* p = [] {
        auto* p = new Program;
        platform::setFileSystem(&p->fs);
        storage::setRunDirectory(kDirectory);
        storage::setLockWait(std::chrono::milliseconds(0));
        storage::setKdfIterationsForNewFiles(1);
        if (!storage::createDataStore() || !storage::createDataExStore() || !storage::writeDataExHeader())
            fail("cannot create the store files");
        if (!storage::openStore(storage::kDataFile) || !RecordStore::addBlank() ||
            !RecordStore::write(storage::fieldName(1), "fuzz") || !RecordStore::write(storage::fieldName(2), "pw") ||
            !RecordStore::close())
            fail("cannot register the account");
        p->data = p->fs.files.at(kDirectory + "\\" + storage::kDataFile);
        p->dataEx = p->fs.files.at(kDirectory + "\\" + storage::kDataExFile);
        return p;
    }();
    return *p;
}

// The backend keeps every dialog it showed; a fresh run now and then keeps
// long fuzzing sessions from growing.
void startRun(Program& p) {
    p.ui.reset();
    p.lastPath.clear();
    mainwindow::openMainWindow(p.ui);
    p.w = mainwindow::bindMainWindowControls(p.ui, p.ui.findWindow("Vorda"));
    if (!p.ui.finish().empty()) fail("MainWindow did not open cleanly");
}

void importWhole(bool custom, std::string_view file) {
    Program& p = program();
    static int runs = 0;
    if (runs++ % 10000 == 0) startRun(p);
    p.fs.files[kDirectory + "\\" + storage::kDataFile] = p.data;
    p.fs.files[kDirectory + "\\" + storage::kDataExFile] = p.dataEx;
    p.fs.files[kInput] = std::string(file);

    const libraries::LibraryDescriptor& lib = custom ? libraries::customLibrary() : libraries::passwordLibrary();
    p.ui.setCurrentPage(p.w.高级选择夹1.id(), lib.page);
    p.ui.expectFileDialog({false, kDirectory, text::gbkFromUtf8("文本文档（*.txt）|*.txt"), p.lastPath}, kInput);
    p.lastPath = kInput;
    p.ui.click(p.w.图形按钮3.id());
    for (const std::string& problem : p.ui.finish()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        fail("the import showed something or went wrong in the toolkit");
    }

    std::string_view text = file.substr(0, file.find('\0'));
    std::vector<std::vector<std::string>> expected;
    for (const std::string& line : referenceSplit(text, "\r\n")) {
        if (line.empty()) continue;
        std::vector<std::string> row(static_cast<std::size_t>(lib.dataFields));
        const auto pieces = referenceSplit(line, "\t");
        for (std::size_t k = 0; k < row.size() && k < pieces.size(); ++k)
            row[k] = std::string(text::cutToBytes(pieces[k], storage::kStoreFieldLength));
        expected.push_back(std::move(row));
    }

    const ui::ListView& list = p.w.*lib.list;
    if (list.rowCount() != static_cast<int>(expected.size())) fail("list row count differs from the file's lines");
    if (!storage::openStore(lib.storeFile)) fail("store does not open after the import");
    if (RecordStore::recordCount() != static_cast<int>(expected.size()) + 1) fail("store record count differs");
    RecordStore::first();
    for (std::size_t r = 0; r < expected.size(); ++r) {
        RecordStore::skip();
        for (int k = 0; k < lib.dataFields; ++k) {
            const std::string& want = expected[r][static_cast<std::size_t>(k)];
            if (list.cell(static_cast<int>(r), k) != want) fail("list cell differs from the file");
            if (RecordStore::read(storage::fieldName(k + 1)) != want) fail("stored field differs from the file");
        }
        // Fields past the library's are never written.
        if (custom && !RecordStore::read(storage::fieldName(7)).empty()) fail("field 7 written");
    }
    RecordStore::close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkSplit(input, "\r\n");
    checkSplit(input, "\t");
    for (std::string_view line : vorda::libraries::splitPieces(input, "\r\n")) checkSplit(line, "\t");

    // Records are cheap, but keep each run short.
    if (size >= 1 && size <= 64 * 1024) importWhole((data[0] & 1) != 0, input.substr(1));
    return 0;
}
