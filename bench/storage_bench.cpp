// The record store on the real file system against the floor of its own I/O.
//
//   BM_StoreRead/N     open, read every field of every record, close
//   BM_StoreRewrite/N  open, rewrite every field of every record, close (commit)
//   BM_FloorRead/N     read a file as large as that store file
//   BM_FloorReadDecrypt/N  read the store file and decrypt it: the floor of any
//                      store sealed as a whole
//   BM_FloorRewrite/N  write and flush that many bytes to a temp file, rename it
//                      over the file
//   BM_StoreOpenFirst  open and close a small store with the key cache cleared:
//                      the KDF at the program's iteration count, paid once per
//                      file and process
//   BM_StoreOpenCached the same open and close with the key cached
//
// N records of 6 fields of about 20 bytes, under the access password with the
// program's KDF iteration count.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_crypto.h"
#include "storage/store_files.h"
#include "storage/store_format.h"
#include "storage/store_tuning.h"
#include "text/gbk.h"

namespace {

using namespace vorda;
using storage::RecordStore;

constexpr int kFields = 6;

const std::string& fieldAt(int field) {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (int f = 1; f <= kFields; ++f) v.push_back(storage::fieldName(f));
        return v;
    }();
    return names[static_cast<std::size_t>(field - 1)];
}

class BenchDirectory {
public:
    BenchDirectory() {
        std::mt19937_64 rng(
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        native_ =
            std::filesystem::temp_directory_path() / ("vorda-bench-" + std::to_string(rng() % 1000000000));
        std::filesystem::create_directories(native_);
        const std::u8string u8 = native_.u8string();
        path_ = text::gbkFromUtf8(std::string(u8.begin(), u8.end()));
        storage::setRunDirectory(path_);
    }
    ~BenchDirectory() {
        RecordStore::abandonAll();
        std::error_code ec;
        std::filesystem::remove_all(native_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::filesystem::path native_;
    std::string path_;
};

BenchDirectory& directory() {
    static BenchDirectory dir;
    return dir;
}

// About 20 bytes, a few with Chinese text; variant changes the text so every
// rewrite is a real change.
std::string cellText(int record, int field, int variant) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%07d-f%d-%08d", variant ? 'v' : 'e', record, field, record * 7 + field);
    return field == 0 ? GBK("项目") + buf : std::string(buf);
}

// data-<N>.edb with N records, made once per N.
const std::string& storeWith(int records) {
    static std::map<int, std::string> made;
    auto it = made.find(records);
    if (it != made.end()) return it->second;
    const std::string name = "data-" + std::to_string(records) + ".edb";
    const std::string path = directory().file(name);
    bool ok = RecordStore::create(path, storage::dataExSchema()) && RecordStore::open(path) &&
              RecordStore::setPassword(storage::accessPassword());
    for (int r = 0; ok && r < records; ++r) {
        ok = RecordStore::addBlank();
        for (int f = 0; f < kFields; ++f)
            ok = RecordStore::write(storage::fieldName(f + 1), cellText(r, f, 0)) && ok;
    }
    ok = RecordStore::close() && ok;
    if (!ok) std::fprintf(stderr, "cannot make %s\n", name.c_str());
    return made.emplace(records, name).first->second;
}

std::string fileBytes(const std::string& name) {
    std::string bytes;
    platform::fileSystem().readAll(directory().file(name), bytes);
    return bytes;
}

void BM_StoreRead(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string& name = storeWith(records);
    for (auto _ : state) {
        if (!storage::openStore(name)) state.SkipWithError("open failed");
        for (int r = 0; r < records; ++r) {
            for (int f = 1; f <= kFields; ++f) benchmark::DoNotOptimize(RecordStore::read(fieldAt(f)));
            RecordStore::skip();
        }
        RecordStore::close();
    }
    state.counters["file_bytes"] = static_cast<double>(fileBytes(name).size());
}

void BM_StoreRewrite(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string& name = storeWith(records);
    std::vector<std::string> texts[2];
    for (int variant = 0; variant < 2; ++variant) {
        for (int r = 0; r < records; ++r)
            for (int f = 0; f < kFields; ++f) texts[variant].push_back(cellText(r, f, variant));
    }
    int variant = 1;
    for (auto _ : state) {
        if (!storage::openStore(name)) state.SkipWithError("open failed");
        const std::string* text = texts[variant].data();
        for (int r = 0; r < records; ++r) {
            for (int f = 1; f <= kFields; ++f) RecordStore::write(fieldAt(f), *text++);
            RecordStore::skip();
        }
        if (!RecordStore::close()) state.SkipWithError("commit failed");
        variant ^= 1;
    }
    state.counters["file_bytes"] = static_cast<double>(fileBytes(name).size());
}

void BM_FloorRead(benchmark::State& state) {
    const std::string path = directory().file(storeWith(static_cast<int>(state.range(0))));
    std::string bytes;
    for (auto _ : state) {
        if (!platform::fileSystem().readAll(path, bytes)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

// The floor of any store sealed as a whole: read the file and decrypt it.
void BM_FloorReadDecrypt(benchmark::State& state) {
    const std::string path = directory().file(storeWith(static_cast<int>(state.range(0))));
    std::string bytes;
    for (auto _ : state) {
        if (!platform::fileSystem().readAll(path, bytes)) state.SkipWithError("read failed");
        const auto header = storage::format::parseHeader(bytes);
        storage::crypto::Key key;
        if (!header ||
            !storage::crypto::deriveKey(storage::accessPassword(), header->salt, header->iterations, key))
            state.SkipWithError("bad header");
        char* body = bytes.data() + storage::format::kHeaderSize;
        const std::size_t size = bytes.size() - storage::format::kHeaderSize - storage::format::kTagSize;
        if (!storage::crypto::unseal(key, header->nonce,
                                     std::string_view(bytes.data(), storage::format::kHeaderSize), body, size,
                                     reinterpret_cast<const std::uint8_t*>(body + size)))
            state.SkipWithError("decrypt failed");
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

void BM_FloorRewrite(benchmark::State& state) {
    const std::string bytes = fileBytes(storeWith(static_cast<int>(state.range(0))));
    const std::string path = directory().file("floor-" + std::to_string(state.range(0)) + ".bin");
    for (auto _ : state) {
        if (!platform::fileSystem().writeAll(path + ".tmp", bytes) ||
            !platform::fileSystem().replace(path + ".tmp", path))
            state.SkipWithError("write failed");
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

void BM_StoreOpenFirst(benchmark::State& state) {
    const std::string& name = storeWith(10);
    for (auto _ : state) {
        storage::crypto::clearKeyCache();
        if (!storage::openStore(name)) state.SkipWithError("open failed");
        RecordStore::close();
    }
    state.counters["kdf_iterations"] = storage::kdfIterationsForNewFiles();
}

void BM_StoreOpenCached(benchmark::State& state) {
    const std::string& name = storeWith(10);
    for (auto _ : state) {
        if (!storage::openStore(name)) state.SkipWithError("open failed");
        RecordStore::close();
    }
}

}  // namespace

BENCHMARK(BM_StoreRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorReadDecrypt)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreRewrite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorRewrite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreOpenFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreOpenCached)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
