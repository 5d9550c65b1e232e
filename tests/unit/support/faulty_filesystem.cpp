#include "support/faulty_filesystem.h"

namespace vorda::testing {

void FaultyFileSystem::failStep(int n) {
    failStep_ = n;
}

void FaultyFileSystem::crashAtStep(int n) {
    crashStep_ = n;
}

void FaultyFileSystem::reset() {
    steps_ = 0;
    failStep_ = 0;
    crashStep_ = 0;
    log_.clear();
}

bool FaultyFileSystem::step(std::string what) {
    ++steps_;
    log_.push_back(std::move(what));
    return steps_ == failStep_ || crashedAt(steps_);
}

bool FaultyFileSystem::exists(const std::string& path) {
    // A file layer that cannot tell says the file is there.
    if (step("exists " + path)) return true;
    return inner_.exists(path);
}

bool FaultyFileSystem::readAll(const std::string& path, std::string& out) {
    if (step("readAll " + path)) {
        out.clear();
        return false;
    }
    return inner_.readAll(path, out);
}

bool FaultyFileSystem::writeAll(const std::string& path, std::string_view bytes) {
    if (step("writeAll " + path)) {
        if (steps_ == crashStep_) inner_.writeAll(path, bytes.substr(0, bytes.size() / 2));
        return false;
    }
    return inner_.writeAll(path, bytes);
}

bool FaultyFileSystem::replace(const std::string& from, const std::string& to) {
    if (step("replace " + from + " -> " + to)) return false;
    return inner_.replace(from, to);
}

bool FaultyFileSystem::remove(const std::string& path) {
    if (step("remove " + path)) return false;
    return inner_.remove(path);
}

bool FaultyFileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    if (step("setAttributes " + path)) return false;
    return inner_.setAttributes(path, attributes);
}

std::optional<std::uint32_t> FaultyFileSystem::attributes(const std::string& path) {
    if (step("attributes " + path)) return std::nullopt;
    return inner_.attributes(path);
}

std::unique_ptr<platform::FileLock> FaultyFileSystem::tryLock(const std::string& path) {
    if (step("tryLock " + path)) return nullptr;
    return inner_.tryLock(path);
}

}  // namespace vorda::testing
