#pragma once
// A FileSystem in memory: files are path -> bytes + attributes, locks are a set
// of held paths. Paths are taken as given (no case folding). A read-only file
// refuses writeAll, remove and being replaced, as on Windows.
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace vorda::testing {

class MemoryFileSystem : public platform::FileSystem {
public:
    MemoryFileSystem();

    bool exists(const std::string& path) override;
    bool readAll(const std::string& path, std::string& out) override;
    bool writeAll(const std::string& path, std::string_view bytes) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool setAttributes(const std::string& path, std::uint32_t attributes) override;
    std::optional<std::uint32_t> attributes(const std::string& path) override;
    std::unique_ptr<platform::FileLock> tryLock(const std::string& path) override;

    // Direct access for tests, bypassing attributes.
    void put(const std::string& path, std::string bytes);
    std::optional<std::string> get(const std::string& path) const;
    std::vector<std::string> paths() const;
    bool isLocked(const std::string& path) const;

private:
    struct File {
        std::string bytes;
        std::uint32_t attributes = platform::kAttrArchive;
    };
    std::map<std::string, File> files_;
    // Shared with the locks handed out, so a lock may outlive the file system.
    std::shared_ptr<std::set<std::string>> locks_;
};

}  // namespace vorda::testing
