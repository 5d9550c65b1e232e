#include "storage/record_store.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>
#include <type_traits>

#include "platform/filesystem.h"
#include "storage/store_crypto.h"
#include "storage/store_files.h"
#include "storage/store_format.h"
#include "storage/store_tuning.h"
#include "text/gbk.h"

namespace vorda::storage {

namespace {

using format::Cell;
using format::StoreContent;

std::chrono::milliseconds lockWait = kDefaultLockWait;
std::string runDirectoryOverride;

// Texts written while a store is open. Blocks never move, so cells may point
// into them; every text fits in one block.
class TextArena {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    static_assert(kBlockSize >= static_cast<std::size_t>(format::kMaxTextLength));

    ~TextArena() {
        for (auto& b : blocks_) crypto::wipe(b.get(), kBlockSize);
    }
    char* store(std::string_view text) {
        if (blocks_.empty() || kBlockSize - used_ < text.size()) {
            blocks_.push_back(std::make_unique<char[]>(kBlockSize));
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        std::memcpy(at, text.data(), text.size());
        used_ += text.size();
        return at;
    }

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0;
};

// Multi-megabyte buffers are kept for the next store instead of being freed:
// every handler opens and closes its stores, and fresh memory costs a page
// fault per page each time. Byte buffers come back wiped or holding ciphertext.
class SpareBuffers {
public:
    std::string takeBytes() { return take(bytes_); }
    void giveBytes(std::string&& b) { give(bytes_, std::move(b), 2); }
    std::vector<Cell> takeCells() { return take(cells_); }
    void giveCells(std::vector<Cell>&& c) { give(cells_, std::move(c), 1); }

private:
    template <typename T>
    static T take(std::vector<T>& spares) {
        if (spares.empty()) return T();
        T t = std::move(spares.back());
        spares.pop_back();
        return t;
    }
    // Byte buffers keep their size, so the next resize fills nothing; readers
    // clear them anyway.
    template <typename T>
    static void give(std::vector<T>& spares, T&& t, std::size_t keep) {
        if constexpr (!std::is_same_v<T, std::string>) t.clear();
        if (spares.size() < keep && t.capacity() > 0) spares.push_back(std::move(t));
    }
    std::vector<std::string> bytes_;
    std::vector<std::vector<Cell>> cells_;
};

// Declared before the open stores, which give their buffers back when destroyed.
SpareBuffers spares;

// Field names are a few bytes; an inline loop beats a call to memcmp.
bool sameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

struct OpenStore {
    std::string path;
    std::string pathKey;
    std::unique_ptr<platform::FileLock> lock;
    // The file as read; after decryption its body is the plain payload that
    // the cells of unchanged texts point into.
    std::string fileBytes;
    StoreContent content;
    TextArena arena;
    std::size_t cursor = 0;  // record index; recordCount() is the end position
    std::string password;    // empty: unprotected
    std::array<std::uint8_t, format::kSaltSize> salt{};
    std::uint32_t iterations = 0;
    std::string version;     // the nonce and tag of the file as opened
    bool dirty = false;

    // Callers go through the fields in order: the field after the last one
    // found is tried first.
    mutable std::size_t lastField = 0;

    OpenStore() : fileBytes(spares.takeBytes()) { content.cells = spares.takeCells(); }
    ~OpenStore() {
        crypto::wipe(fileBytes.data(), fileBytes.size());
        crypto::wipe(password.data(), password.size());
        spares.giveBytes(std::move(fileBytes));
        spares.giveCells(std::move(content.cells));
    }
    std::size_t fieldCount() const { return content.fields.size(); }
    std::size_t recordCount() const { return content.recordCount(); }
    bool atEnd() const { return cursor >= recordCount(); }
    int fieldIndex(std::string_view name) const {
        const auto& fields = content.fields;
        const std::size_t count = fields.size();
        std::size_t i = lastField;
        for (std::size_t step = 0; step < count; ++step) {
            if (++i == count) i = 0;
            if (sameBytes(fields[i].name, name)) {
                lastField = i;
                return static_cast<int>(i);
            }
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (format::sameFieldName(fields[i].name, name)) return static_cast<int>(i);
        }
        return -1;
    }
    Cell& cell(std::size_t record, std::size_t field) { return content.cells[record * fieldCount() + field]; }
};

std::vector<std::unique_ptr<OpenStore>> openStores;
OpenStore* current = nullptr;

// Windows paths ignore letter case and take either separator. Only single-byte
// characters are folded: a GBK trail byte may look like a letter or '\'.
std::string pathKey(const std::string& path) {
    std::string key;
    key.reserve(path.size());
    for (std::size_t pos = 0; pos < path.size();) {
        std::size_t len = text::charLength(path, pos);
        if (len == 1) {
            char c = path[pos];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            if (c == '/') c = '\\';
            key.push_back(c);
        } else {
            key.append(path, pos, len);
        }
        pos += len;
    }
    return key;
}

bool isOpen(const std::string& key) {
    return std::any_of(openStores.begin(), openStores.end(),
                       [&](const auto& s) { return s->pathKey == key; });
}

// Another process may hold the store for the length of one handler; wait a
// little before giving up.
std::unique_ptr<platform::FileLock> lockStore(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    const std::string lockPath = path + ".lock";
    for (;;) {
        if (auto lock = platform::fileSystem().tryLock(lockPath)) return lock;
        if (std::chrono::steady_clock::now() >= deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Writes content as the whole new file at path: a temp file beside it, flushed,
// then swapped in. The old file is never touched unless the swap succeeds.
bool commit(const std::string& path, const StoreContent& content, const std::string& password,
            const std::array<std::uint8_t, format::kSaltSize>& salt, std::uint32_t iterations) {
    crypto::Key key;
    if (!crypto::deriveKey(password, salt, iterations, key)) return false;
    format::FileHeader header;
    header.isProtected = !password.empty();
    header.iterations = iterations;
    header.salt = salt;
    crypto::randomNonce(header.nonce);

    const std::size_t bodySize = format::payloadSize(content);
    std::string bytes = spares.takeBytes();
    bytes.resize(format::kHeaderSize + bodySize + format::kTagSize);
    format::writeHeader(header, bytes.data());
    char* body = bytes.data() + format::kHeaderSize;
    format::writePayload(content, body);
    const bool sealed = crypto::seal(key, header.nonce, std::string_view(bytes.data(), format::kHeaderSize),
                                     body, bodySize, reinterpret_cast<std::uint8_t*>(body + bodySize));
    crypto::wipe(key.data(), key.size());
    if (!sealed) {
        crypto::wipe(bytes.data(), bytes.size());
        spares.giveBytes(std::move(bytes));
        return false;
    }

    platform::FileSystem& fs = platform::fileSystem();
    const std::string temp = path + ".tmp";
    const bool written = fs.writeAll(temp, bytes) && fs.replace(temp, path);
    if (!written) fs.remove(temp);
    spares.giveBytes(std::move(bytes));
    return written;
}

// Reads, authenticates and parses the file into store. False on any mismatch.
bool load(OpenStore& store, const std::optional<std::string>& password) {
    if (!platform::fileSystem().readAll(store.path, store.fileBytes)) return false;
    const std::string& bytes = store.fileBytes;
    const auto header = format::parseHeader(bytes);
    if (!header) return false;
    store.password = password.value_or(std::string());  // wiped with the store
    if (header->isProtected == store.password.empty()) return false;

    crypto::Key key;
    if (!crypto::deriveKey(store.password, header->salt, header->iterations, key)) return false;
    char* body = store.fileBytes.data() + format::kHeaderSize;
    const std::size_t bodySize = bytes.size() - format::kHeaderSize - format::kTagSize;
    const bool authentic =
        crypto::unseal(key, header->nonce, std::string_view(bytes.data(), format::kHeaderSize), body,
                       bodySize, reinterpret_cast<const std::uint8_t*>(body + bodySize));
    crypto::wipe(key.data(), key.size());
    if (!authentic) return false;
    if (!format::parsePayload(body, bodySize, store.content)) return false;

    store.salt = header->salt;
    store.iterations = header->iterations;
    // A fresh nonce seals every commit, and the tag holds the whole file.
    store.version.assign(bytes.data() + format::kHeaderSize - format::kNonceSize, format::kNonceSize);
    store.version.append(bytes.data() + bytes.size() - format::kTagSize, format::kTagSize);
    return true;
}

void dropStore(OpenStore* store) {
    if (current == store) current = nullptr;
    openStores.erase(
        std::remove_if(openStores.begin(), openStores.end(), [&](const auto& s) { return s.get() == store; }),
        openStores.end());
}

}  // namespace

void setLockWait(std::chrono::milliseconds wait) {
    lockWait = wait;
}

bool RecordStore::create(const std::string& path, const std::vector<FieldDefinition>& fields) {
    if (path.empty() || !format::validSchema(fields) || !crypto::ready()) return false;
    if (isOpen(pathKey(path))) return false;
    auto lock = lockStore(path);
    if (!lock) return false;
    StoreContent content;
    content.fields = fields;
    std::array<std::uint8_t, format::kSaltSize> salt;
    crypto::randomSalt(salt);
    return commit(path, content, std::string(), salt, static_cast<std::uint32_t>(kdfIterationsForNewFiles()));
}

namespace {

// A store for path, not yet current: nullptr when the file is open in this
// process already or another process keeps it locked.
std::unique_ptr<OpenStore> claimStore(const std::string& path) {
    std::string key = pathKey(path);
    if (isOpen(key)) return nullptr;
    auto lock = lockStore(path);
    if (!lock) return nullptr;
    auto store = std::make_unique<OpenStore>();
    store->path = path;
    store->pathKey = std::move(key);
    store->lock = std::move(lock);
    return store;
}

void makeCurrent(std::unique_ptr<OpenStore> store) {
    current = store.get();
    openStores.push_back(std::move(store));
}

}  // namespace

bool RecordStore::open(const std::string& path, const std::optional<std::string>& password) {
    if (path.empty() || !crypto::ready()) return false;
    auto store = claimStore(path);
    if (!store || !load(*store, password)) return false;
    makeCurrent(std::move(store));
    return true;
}

bool RecordStore::openNew(const std::string& path, const std::vector<FieldDefinition>& fields) {
    if (path.empty() || !format::validSchema(fields) || !crypto::ready()) return false;
    auto store = claimStore(path);
    if (!store) return false;
    store->content.fields = fields;
    crypto::randomSalt(store->salt);
    store->iterations = static_cast<std::uint32_t>(kdfIterationsForNewFiles());
    store->dirty = true;  // written at close even when nothing is added
    makeCurrent(std::move(store));
    return true;
}

bool RecordStore::setPassword(const std::string& password) {
    if (!current) return false;
    crypto::wipe(current->password.data(), current->password.size());
    current->password = password;
    crypto::randomSalt(current->salt);
    current->iterations = static_cast<std::uint32_t>(kdfIterationsForNewFiles());
    current->dirty = true;
    return true;
}

bool RecordStore::close() {
    if (!current) return true;
    OpenStore* store = current;
    bool ok = true;
    if (store->dirty)
        ok = commit(store->path, store->content, store->password, store->salt, store->iterations);
    dropStore(store);
    return ok;
}

std::vector<FieldDefinition> RecordStore::fields() {
    return current ? current->content.fields : std::vector<FieldDefinition>();
}

std::string RecordStore::version() {
    return current ? current->version : std::string();
}

int RecordStore::recordCount() {
    return current ? static_cast<int>(current->recordCount()) : 0;
}

void RecordStore::first() {
    if (current) current->cursor = 0;
}

bool RecordStore::skip(int count) {
    if (!current || count < 1 || current->atEnd()) return false;
    const std::size_t left = current->recordCount() - current->cursor;
    current->cursor += std::min<std::size_t>(static_cast<std::size_t>(count), left);
    return true;
}

bool RecordStore::addBlank() {
    if (!current) return false;
    current->content.cells.resize(current->content.cells.size() + current->fieldCount());
    current->content.deleted.push_back(0);
    current->cursor = current->recordCount() - 1;
    current->dirty = true;
    return true;
}

std::string RecordStore::read(const std::string& field) {
    return std::string(readView(field));
}

std::string_view RecordStore::readView(const std::string& field) {
    return readView(fieldIndex(field));
}

int RecordStore::fieldIndex(std::string_view field) {
    return current ? current->fieldIndex(field) : -1;
}

std::string_view RecordStore::readView(int field) {
    if (!current || current->atEnd() || field < 0 || static_cast<std::size_t>(field) >= current->fieldCount())
        return {};
    return current->cell(current->cursor, static_cast<std::size_t>(field)).view();
}

std::string_view storedText(std::string_view text, std::size_t maxLength) {
    // Only the bytes before a zero byte come back from a read.
    if (text.empty()) return text;
    if (const void* zero = std::memchr(text.data(), 0, text.size()))
        text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - text.data()));
    return text.size() > maxLength ? text::cutToBytes(text, maxLength) : text;
}

bool RecordStore::write(std::string_view field, std::string_view value) {
    return write(fieldIndex(field), value);
}

bool RecordStore::write(int index, std::string_view value) {
    OpenStore* store = current;
    if (!store || store->atEnd() || index < 0 || static_cast<std::size_t>(index) >= store->fieldCount()) return false;
    Cell& cell = store->cell(store->cursor, static_cast<std::size_t>(index));
    // Most saves write back what is there. A stored text fits its field and
    // holds no zero byte, so an equal one needs no cutting.
    if (value.size() == cell.size && (value.empty() || std::memcmp(value.data(), cell.data, value.size()) == 0))
        return true;
    const std::string_view text = storedText(
        value, static_cast<std::size_t>(store->content.fields[static_cast<std::size_t>(index)].maxLength));
    if (text.size() != value.size() && text.size() == cell.size &&
        (text.empty() || std::memcmp(text.data(), cell.data, text.size()) == 0))
        return true;
    if (text.size() <= cell.size) {
        // The cell's bytes are its own; reuse them.
        if (text.empty()) {
            cell.data = nullptr;
        } else {
            std::memcpy(cell.data, text.data(), text.size());
        }
    } else {
        cell.data = store->arena.store(text);
    }
    cell.size = static_cast<std::uint32_t>(text.size());
    store->dirty = true;
    return true;
}

bool RecordStore::deleteCurrent() {
    if (!current || current->atEnd()) return false;
    if (!current->content.deleted[current->cursor]) {
        current->content.deleted[current->cursor] = 1;
        current->dirty = true;
    }
    return true;
}

bool RecordStore::purgeDeleted() {
    if (!current) return false;
    StoreContent& c = current->content;
    const std::size_t fields = current->fieldCount();
    std::size_t kept = 0;
    for (std::size_t r = 0; r < c.recordCount(); ++r) {
        if (c.deleted[r]) continue;
        if (kept != r) {
            std::copy_n(c.cells.begin() + static_cast<std::ptrdiff_t>(r * fields), fields,
                        c.cells.begin() + static_cast<std::ptrdiff_t>(kept * fields));
        }
        c.deleted[kept] = 0;
        ++kept;
    }
    if (kept != c.recordCount()) {
        c.cells.resize(kept * fields);
        c.deleted.resize(kept);
        current->dirty = true;
    }
    current->cursor = 0;
    return true;
}

void RecordStore::abandonAll() {
    current = nullptr;
    openStores.clear();
}

void prepareKey(const std::string& path, const std::string& password) {
    if (password.empty()) return;
    std::string bytes;
    {
        // As an open does: on Windows a file being read cannot be replaced,
        // and a commit must not fail for a read ahead.
        auto lock = lockStore(path);
        if (!lock || !platform::fileSystem().readAll(path, bytes)) return;
    }
    const auto header = format::parseHeader(bytes);
    crypto::wipe(bytes.data(), bytes.size());
    if (!header || !header->isProtected) return;
    crypto::Key key;
    if (crypto::deriveKey(password, header->salt, header->iterations, key)) crypto::wipe(key.data(), key.size());
}

std::string runDirectory() {
    return runDirectoryOverride.empty() ? platform::programDirectory() : runDirectoryOverride;
}

void setRunDirectory(const std::string& directory) {
    // Drops trailing separators, but not a backslash that is the trail byte of a
    // double-byte character.
    std::size_t end = 0, pos = 0;
    while (pos < directory.size()) {
        const std::size_t len = text::charLength(directory, pos);
        pos += len;
        const char c = directory[pos - 1];
        if (len == 2 || (c != '\\' && c != '/')) end = pos;
    }
    if (end == 0 && !directory.empty()) end = 1;  // the root "/" or "\\" itself
    runDirectoryOverride = directory.substr(0, end);
}

bool openStore(const std::string& fileName) {
    return RecordStore::open(runDirectory() + "\\" + fileName, accessPassword());
}

}  // namespace vorda::storage
