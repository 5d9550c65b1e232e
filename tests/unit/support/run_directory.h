#pragma once
// Sandboxes for tests that touch the program's storage. Each installs a run
// directory of its own and a cheap KDF iteration count for new files; on
// destruction it abandons every open store and restores the program's run
// directory, file system, KDF count and lock wait.
//
//   TempRunDirectory   a fresh directory on the real file system, removed after
//   MemoryRunDirectory a MemoryFileSystem installed as the file system
#include <filesystem>
#include <string>

#include "support/memory_filesystem.h"

namespace vorda::testing {

// PBKDF2 iterations for files the tests create.
inline constexpr int kTestKdfIterations = 16;

class StorageSandbox {
public:
    StorageSandbox(const StorageSandbox&) = delete;
    StorageSandbox& operator=(const StorageSandbox&) = delete;

    // The run directory (GBK, no trailing separator) and a file in it.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

protected:
    explicit StorageSandbox(std::string path);
    ~StorageSandbox();

private:
    std::string path_;
};

class TempRunDirectory : public StorageSandbox {
public:
    TempRunDirectory();
    ~TempRunDirectory();

    // The same directory as a native path.
    const std::filesystem::path& nativePath() const { return native_; }

private:
    explicit TempRunDirectory(const std::filesystem::path& dir);
    std::filesystem::path native_;
};

class MemoryRunDirectory : public StorageSandbox {
public:
    MemoryRunDirectory();
    ~MemoryRunDirectory();

    MemoryFileSystem& fs() { return fs_; }

private:
    MemoryFileSystem fs_;
};

}  // namespace vorda::testing
