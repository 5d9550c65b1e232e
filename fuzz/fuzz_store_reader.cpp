// Store files from hostile bytes. Each input is tried three ways:
//   1. as a whole store file, opened with and without the access password;
//   2. as a plain payload, straight into the parser;
//   3. as a plain payload sealed under a known key, so the open path past the
//      authentication (which random bytes never pass) is reached too.
// Whatever opens has every field of every record read. Open must never change
// the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_crypto.h"
#include "storage/store_files.h"
#include "storage/store_format.h"
#include "storage/store_tuning.h"

namespace {

using namespace vorda;
using storage::RecordStore;

class NoLock : public platform::FileLock {};

// Just enough of a file system for one store file, in memory.
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
        files[to] = std::move(it->second);
        files.erase(from);
        return true;
    }
    bool remove(const std::string& path) override { return files.erase(path) != 0; }
    bool setAttributes(const std::string&, std::uint32_t) override { return true; }
    std::optional<std::uint32_t> attributes(const std::string&) override { return platform::kAttrNormal; }
    std::unique_ptr<platform::FileLock> tryLock(const std::string&) override {
        return std::make_unique<NoLock>();
    }

    std::map<std::string, std::string> files;
};

const std::string kPath = "C:\\fuzz\\store.edb";
// Iteration counts above this are refused by the harness only to keep runs fast.
constexpr std::uint32_t kHarnessIterationLimit = 64;

FuzzFileSystem& fs() {
    static FuzzFileSystem* instance = [] {
        auto* f = new FuzzFileSystem;
        platform::setFileSystem(f);
        storage::setLockWait(std::chrono::milliseconds(0));
        return f;
    }();
    return *instance;
}

void readEverything() {
    const auto fields = RecordStore::fields();
    RecordStore::first();
    std::size_t total = 0;
    for (int r = 0; r < RecordStore::recordCount(); ++r) {
        for (const auto& f : fields) {
            const std::string text = RecordStore::read(f.name);
            if (text.size() > static_cast<std::size_t>(f.maxLength) || text.find('\0') != std::string::npos)
                abort();
            total += text.size();
        }
        RecordStore::skip();
    }
    if (RecordStore::skip()) abort();
    (void)total;
}

void openAndRead(const std::string& bytes) {
    fs().files.clear();
    fs().files[kPath] = bytes;
    for (const auto& password :
         {std::optional<std::string>(), std::optional<std::string>(storage::accessPassword())}) {
        if (RecordStore::open(kPath, password)) {
            readEverything();
            if (!RecordStore::close()) abort();  // nothing changed, nothing to write
        }
        if (fs().files[kPath] != bytes) abort();
    }
}

// Seals payload as a protected store file under the access password.
std::string sealed(const std::string& payload) {
    static const std::array<std::uint8_t, storage::format::kSaltSize> salt{1, 2, 3};
    storage::format::FileHeader header;
    header.isProtected = true;
    header.iterations = 1;
    header.salt = salt;
    std::string file(storage::format::kHeaderSize + payload.size() + storage::format::kTagSize, '\0');
    storage::format::writeHeader(header, file.data());
    char* body = file.data() + storage::format::kHeaderSize;
    if (!payload.empty()) std::memcpy(body, payload.data(), payload.size());
    storage::crypto::Key key;
    if (!storage::crypto::deriveKey(storage::accessPassword(), salt, header.iterations, key)) abort();
    if (!storage::crypto::seal(key, header.nonce, std::string_view(file.data(), storage::format::kHeaderSize),
                               body, payload.size(), reinterpret_cast<std::uint8_t*>(body + payload.size())))
        abort();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const auto header = storage::format::parseHeader(input);
    if (!header || header->iterations <= kHarnessIterationLimit) openAndRead(input);

    std::string copy = input;
    storage::format::StoreContent content;
    if (storage::format::parsePayload(copy.data(), copy.size(), content)) {
        // What parses must serialize back to the same bytes.
        std::string again(storage::format::payloadSize(content), '\0');
        storage::format::writePayload(content, again.data());
        if (again != input) abort();
    }

    openAndRead(sealed(input));
    return 0;
}
