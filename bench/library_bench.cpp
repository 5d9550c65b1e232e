// The libraries' load, save and one editing action against the floor of their
// own I/O, on the memory backend over the real file system.
//
//   BM_LoadLibrary/N   loadLibrary of the custom library: the list rebuilt from
//                      a store of N entries
//   BM_SaveLibrary/N   saveLibrary after one cell of the list changed: every
//                      entry record rewritten, the file committed
//   BM_AddEntry/N      one click of the add button: the name compared with
//                      every row, the add question answered, the row appended,
//                      saved and reloaded (the row is taken out again untimed,
//                      as a deletion does it)
//   BM_LibraryFloor/N  write and flush the bytes of that store file to a temp
//                      file, rename it over the file, and read it back: what
//                      any save followed by a load must at least cost
//
// Each library benchmark also reports floor_ratio, its time per iteration over
// BM_LibraryFloor's for the same N, measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "libraries/editing.h"
#include "libraries/library.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_state.h"
#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"
#include "ui/memory/memory_backend.h"

namespace {

using namespace vorda;
using Clock = std::chrono::steady_clock;
using storage::RecordStore;

std::string gbkPath(const std::filesystem::path& p) {
    const std::u8string u8 = p.u8string();
    return text::gbkFromUtf8(std::string(u8.begin(), u8.end()));
}

// About 20 bytes a cell, the names partly Chinese.
std::string cellText(int entry, int column) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%07d-c%d-%08d", entry, column, entry * 7 + column);
    return column == 0 ? GBK("项目") + buf : std::string(buf);
}

// A run directory with data.edb holding N custom entries and dataex.edb with
// its header only, and MainWindow open on them.
class Library {
public:
    explicit Library(int entries) : entries_(entries) {
        std::mt19937_64 rng(static_cast<std::uint64_t>(Clock::now().time_since_epoch().count()));
        native_ = std::filesystem::temp_directory_path() /
                  ("vorda-libbench-" + std::to_string(entries) + "-" + std::to_string(rng() % 1000000000));
        std::filesystem::create_directories(native_);
        dir_ = gbkPath(native_);
        use();
        bool ok = storage::createDataStore() && storage::createDataExStore() && storage::writeDataExHeader();
        ok = ok && storage::openStore(storage::kDataFile) && RecordStore::addBlank() &&
             RecordStore::write(storage::fieldName(1), "bench") && RecordStore::write(storage::fieldName(2), "pw");
        for (int e = 0; ok && e < entries; ++e) {
            ok = RecordStore::addBlank();
            for (int k = 0; k < 6; ++k) ok = RecordStore::write(storage::fieldName(k + 1), cellText(e, k)) && ok;
        }
        ok = RecordStore::close() && ok;
        if (!ok) std::fprintf(stderr, "cannot make the stores for %d entries\n", entries);

        mainwindow::openMainWindow(ui);
        const ui::ControlId id = ui.findWindow("Vorda");
        static_cast<mainwindow::MainWindowControls&>(w) = mainwindow::bindMainWindowControls(ui, id);
        // Through these handles too, so they know what the list came from.
        libraries::loadLibrary(w, libraries::customLibrary());
    }
    ~Library() {
        RecordStore::abandonAll();
        std::error_code ec;
        std::filesystem::remove_all(native_, ec);
    }

    // Points the storage at this library's directory.
    void use() const { storage::setRunDirectory(dir_); }
    std::string dataPath() const { return dir_ + "\\" + storage::kDataFile; }
    int entries() const { return entries_; }
    // Problems the backend saw (unexpected dialogs and the like).
    bool healthy() { return ui.finish().empty(); }

    ui::MemoryBackend ui;
    mainwindow::MainWindow w;  // handles only; the window's own object lives in the backend

private:
    int entries_;
    std::filesystem::path native_;
    std::string dir_;
};

Library& library(int entries) {
    static std::map<int, std::unique_ptr<Library>> made;
    auto& slot = made[entries];
    if (!slot) slot = std::make_unique<Library>(entries);
    slot->use();
    return *slot;
}

double rewriteAndRead(const std::string& path, const std::string& bytes, std::string& back) {
    platform::FileSystem& fs = platform::fileSystem();
    const auto start = Clock::now();
    const bool ok = fs.writeAll(path + ".tmp", bytes) && fs.replace(path + ".tmp", path) && fs.readAll(path, back);
    const std::chrono::duration<double> took = Clock::now() - start;
    return ok ? took.count() : -1;
}

std::string floorPath(Library& lib) { return lib.dataPath() + ".floor"; }

// Mean seconds of one rewrite and read-back of the library's store file, per
// N: BM_LibraryFloor's own figure when it ran before, else measured here.
std::map<int, double>& floorMeans() {
    static std::map<int, double> means;
    return means;
}

double floorSeconds(Library& lib) {
    auto it = floorMeans().find(lib.entries());
    if (it != floorMeans().end()) return it->second;
    std::string bytes, back;
    platform::fileSystem().readAll(lib.dataPath(), bytes);
    double total = 0;
    const int runs = 10;
    for (int i = 0; i < runs; ++i) total += rewriteAndRead(floorPath(lib), bytes, back);
    return floorMeans()[lib.entries()] = total / runs;
}

void reportRatio(benchmark::State& state, Library& lib, double timedSeconds) {
    if (state.iterations() == 0) return;
    state.counters["floor_ratio"] = timedSeconds / static_cast<double>(state.iterations()) / floorSeconds(lib);
    state.counters["entries"] = static_cast<double>(lib.entries());
    if (!lib.healthy()) state.SkipWithError("the backend saw problems");
}

void BM_LibraryFloor(benchmark::State& state) {
    Library& lib = library(static_cast<int>(state.range(0)));
    std::string bytes, back;
    platform::fileSystem().readAll(lib.dataPath(), bytes);
    double timed = 0;
    for (auto _ : state) {
        const double took = rewriteAndRead(floorPath(lib), bytes, back);
        if (took < 0) state.SkipWithError("write failed");
        timed += took;
        benchmark::DoNotOptimize(back.data());
    }
    if (state.iterations() > 0) floorMeans()[lib.entries()] = timed / static_cast<double>(state.iterations());
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

void BM_LoadLibrary(benchmark::State& state) {
    Library& lib = library(static_cast<int>(state.range(0)));
    double timed = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!libraries::loadLibrary(lib.w, libraries::customLibrary())) state.SkipWithError("load failed");
        timed += std::chrono::duration<double>(Clock::now() - start).count();
    }
    if (lib.w.超级列表框1.rowCount() != lib.entries()) state.SkipWithError("wrong row count");
    reportRatio(state, lib, timed);
}

void BM_SaveLibrary(benchmark::State& state) {
    Library& lib = library(static_cast<int>(state.range(0)));
    const ui::ListView& list = lib.w.超级列表框1;
    const int last = lib.entries() - 1;
    const std::string texts[2] = {cellText(last, 0), cellText(last, 0) + "*"};
    int variant = 0;
    double timed = 0;
    for (auto _ : state) {
        variant ^= 1;
        list.setCell(last, 0, texts[variant]);  // one real change: the whole file is committed
        const auto start = Clock::now();
        if (!libraries::saveLibrary(lib.w, libraries::customLibrary())) state.SkipWithError("save failed");
        timed += std::chrono::duration<double>(Clock::now() - start).count();
    }
    list.setCell(last, 0, texts[0]);
    libraries::saveLibrary(lib.w, libraries::customLibrary());
    reportRatio(state, lib, timed);
}

void BM_AddEntry(benchmark::State& state) {
    Library& lib = library(static_cast<int>(state.range(0)));
    libraries::loadLibrary(lib.w, libraries::customLibrary());
    const ui::ListView& list = lib.w.超级列表框1;
    lib.w.编辑框1.setText(GBK("新的项目"));
    lib.w.编辑框2.setText("https://example.org/login");
    lib.w.编辑框3.setText("someone@example.org");
    double timed = 0;
    for (auto _ : state) {
        lib.ui.expectMessage(GBK("确认添加新项目吗？"), GBK("询问"), ui::kOkCancelQuestion, ui::kIdOk);
        const auto start = Clock::now();
        libraries::addOrUpdateEntry(lib.w, libraries::customLibrary());
        timed += std::chrono::duration<double>(Clock::now() - start).count();

        state.PauseTiming();
        if (list.rowCount() != lib.entries() + 1) state.SkipWithError("the entry was not added");
        list.deleteRow(lib.entries());
        libraries::saveAndReload(lib.w, libraries::customLibrary());
        state.ResumeTiming();
    }
    reportRatio(state, lib, timed);
}

}  // namespace

BENCHMARK(BM_LibraryFloor)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLibrary)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLibrary)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddEntry)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
