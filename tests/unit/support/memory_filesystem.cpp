#include "support/memory_filesystem.h"

namespace vorda::testing {

namespace {

class MemoryLock : public platform::FileLock {
public:
    MemoryLock(std::shared_ptr<std::set<std::string>> locks, std::string path)
        : locks_(std::move(locks)), path_(std::move(path)) {}
    ~MemoryLock() override { locks_->erase(path_); }

private:
    std::shared_ptr<std::set<std::string>> locks_;
    std::string path_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : locks_(std::make_shared<std::set<std::string>>()) {}

bool MemoryFileSystem::exists(const std::string& path) {
    return files_.count(path) != 0;
}

bool MemoryFileSystem::readAll(const std::string& path, std::string& out) {
    out.clear();
    auto it = files_.find(path);
    if (it == files_.end()) return false;
    out = it->second.bytes;
    return true;
}

bool MemoryFileSystem::writeAll(const std::string& path, std::string_view bytes) {
    auto it = files_.find(path);
    if (it != files_.end() && (it->second.attributes & platform::kAttrReadOnly)) return false;
    files_[path].bytes.assign(bytes);
    return true;
}

bool MemoryFileSystem::replace(const std::string& from, const std::string& to) {
    auto source = files_.find(from);
    if (source == files_.end() || from == to) return false;
    auto target = files_.find(to);
    if (target != files_.end() && (target->second.attributes & platform::kAttrReadOnly)) return false;
    File moved = std::move(source->second);
    files_.erase(source);
    files_[to] = std::move(moved);
    return true;
}

bool MemoryFileSystem::remove(const std::string& path) {
    auto it = files_.find(path);
    if (it == files_.end() || (it->second.attributes & platform::kAttrReadOnly)) return false;
    files_.erase(it);
    return true;
}

bool MemoryFileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    auto it = files_.find(path);
    if (it == files_.end()) return false;
    it->second.attributes = attributes;
    return true;
}

std::optional<std::uint32_t> MemoryFileSystem::attributes(const std::string& path) {
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second.attributes;
}

std::unique_ptr<platform::FileLock> MemoryFileSystem::tryLock(const std::string& path) {
    if (locks_->count(path)) return nullptr;
    files_.try_emplace(path);  // the lock file stays, as on disk
    locks_->insert(path);
    return std::make_unique<MemoryLock>(locks_, path);
}

void MemoryFileSystem::put(const std::string& path, std::string bytes) {
    files_[path].bytes = std::move(bytes);
}

std::optional<std::string> MemoryFileSystem::get(const std::string& path) const {
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second.bytes;
}

std::vector<std::string> MemoryFileSystem::paths() const {
    std::vector<std::string> out;
    for (const auto& [path, file] : files_) out.push_back(path);
    return out;
}

bool MemoryFileSystem::isLocked(const std::string& path) const {
    return locks_->count(path) != 0;
}

}  // namespace vorda::testing
