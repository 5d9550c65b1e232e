#pragma once
// The narrow file layer everything on disk goes through. Tests swap in a memory
// or fault-injecting implementation with setFileSystem().
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vorda::platform {

// Held while alive; the lock is released on destruction.
class FileLock {
public:
    virtual ~FileLock() = default;
};

// File attribute bits with their Windows values.
enum : std::uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
};

// Paths are GBK text as the program builds them, with '\' as the separator.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // False only when the file is surely not there. When the system cannot
    // tell (no access, a device error), true: callers create what is missing,
    // and a file that is there must never be taken for missing and replaced.
    virtual bool exists(const std::string& path) = 0;
    // All bytes of the file; false when it is missing or cannot be read.
    virtual bool readAll(const std::string& path, std::string& out) = 0;
    // Creates or empties the file, writes the bytes and flushes them to the disk.
    virtual bool writeAll(const std::string& path, std::string_view bytes) = 0;
    // Puts `from` in the place of `to` in one atomic, durable step.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
    virtual bool setAttributes(const std::string& path, std::uint32_t attributes) = 0;
    virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;
    // An exclusive lock on a lock file (created when missing) between processes
    // and within this one; nullptr when somebody else holds it.
    virtual std::unique_ptr<FileLock> tryLock(const std::string& path) = 0;
};

// The file system in use: the real one unless a test installed another.
FileSystem& fileSystem();
// Installs fs (not owned); nullptr restores the real one.
void setFileSystem(FileSystem* fs);
// The real file system of this platform.
FileSystem& realFileSystem();

// The directory holding the program file, GBK, without a trailing separator.
std::string programDirectory();

}  // namespace vorda::platform
