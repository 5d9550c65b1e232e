#include "support/run_directory.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_tuning.h"
#include "text/gbk.h"

namespace vorda::testing {

namespace {

std::filesystem::path makeTempDirectory() {
    std::random_device seed;
    std::mt19937_64 rng(
        seed() ^ static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto dir = base / ("vorda-test-" + std::to_string(rng() % 1000000000000ULL));
        std::error_code ec;
        if (std::filesystem::create_directory(dir, ec)) return std::filesystem::absolute(dir);
    }
    throw std::runtime_error("cannot make a temp directory");
}

std::string gbkPath(const std::filesystem::path& p) {
    const std::u8string u8 = p.u8string();
    return text::gbkFromUtf8(std::string(u8.begin(), u8.end()));
}

}  // namespace

StorageSandbox::StorageSandbox(std::string path) : path_(std::move(path)) {
    storage::RecordStore::abandonAll();
    storage::setRunDirectory(path_);
    storage::setKdfIterationsForNewFiles(kTestKdfIterations);
}

StorageSandbox::~StorageSandbox() {
    storage::RecordStore::abandonAll();
    storage::setRunDirectory("");
    platform::setFileSystem(nullptr);
    storage::setKdfIterationsForNewFiles(storage::kDefaultKdfIterations);
    storage::setLockWait(storage::kDefaultLockWait);
}

TempRunDirectory::TempRunDirectory() : TempRunDirectory(makeTempDirectory()) {}

TempRunDirectory::TempRunDirectory(const std::filesystem::path& dir)
    : StorageSandbox(gbkPath(dir)), native_(dir) {
    platform::setFileSystem(nullptr);
}

TempRunDirectory::~TempRunDirectory() {
    storage::RecordStore::abandonAll();  // lock handles must be closed before removal on Windows
    std::error_code ec;
    std::filesystem::remove_all(native_, ec);
}

MemoryRunDirectory::MemoryRunDirectory() : StorageSandbox("C:\\vorda") {
    platform::setFileSystem(&fs_);
}

MemoryRunDirectory::~MemoryRunDirectory() {
    storage::RecordStore::abandonAll();
    platform::setFileSystem(nullptr);
}

}  // namespace vorda::testing
