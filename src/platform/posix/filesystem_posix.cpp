// POSIX file layer. Program paths are GBK with '\' separators; they become
// UTF-8 with '/' here (after the conversion, so a GBK trail byte 0x5C stays text).
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/filesystem.h"
#include "text/gbk.h"

namespace vorda::platform {

namespace {

std::string nativePath(const std::string& path) {
    std::string p = text::utf8FromGbk(path);
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

std::string parentOf(const std::string& p) {
    auto slash = p.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

bool writeFully(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

void syncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

class PosixLock : public FileLock {
public:
    explicit PosixLock(int fd) : fd_(fd) {}
    ~PosixLock() override {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }

private:
    int fd_;
};

class PosixFileSystem : public FileSystem {
public:
    bool exists(const std::string& path) override {
        struct stat st;
        if (::stat(nativePath(path).c_str(), &st) == 0) return true;
        return errno != ENOENT && errno != ENOTDIR;
    }

    bool readAll(const std::string& path, std::string& out) override {
        out.clear();
        int fd = ::open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return false;
        }
        if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
        char buf[1 << 16];
        for (;;) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0) {
                if (errno == EINTR) continue;
                ::close(fd);
                out.clear();
                return false;
            }
            if (n == 0) break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return true;
    }

    bool writeAll(const std::string& path, std::string_view bytes) override {
        int fd = ::open(nativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        bool ok = writeFully(fd, bytes) && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        return ok;
    }

    bool replace(const std::string& from, const std::string& to) override {
        std::string target = nativePath(to);
        if (::rename(nativePath(from).c_str(), target.c_str()) != 0) return false;
        syncDirectory(parentOf(target));
        return true;
    }

    bool remove(const std::string& path) override { return ::unlink(nativePath(path).c_str()) == 0; }

    // POSIX has no hidden attribute; only the read-only bit maps to the mode.
    bool setAttributes(const std::string& path, std::uint32_t attributes) override {
        std::string p = nativePath(path);
        struct stat st;
        if (::stat(p.c_str(), &st) != 0) return false;
        mode_t mode = st.st_mode & 07777;
        mode = (attributes & kAttrReadOnly) ? (mode & ~0222u) : (mode | 0200u);
        return ::chmod(p.c_str(), mode) == 0;
    }

    std::optional<std::uint32_t> attributes(const std::string& path) override {
        struct stat st;
        if (::stat(nativePath(path).c_str(), &st) != 0) return std::nullopt;
        return (st.st_mode & 0200) ? kAttrNormal : kAttrReadOnly;
    }

    std::unique_ptr<FileLock> tryLock(const std::string& path) override {
        int fd = ::open(nativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return nullptr;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixLock>(fd);
    }
};

}  // namespace

FileSystem& realFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

std::string programDirectory() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string exe = n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string(".");
    std::string dir = parentOf(exe);
    std::replace(dir.begin(), dir.end(), '/', '\\');
    return text::gbkFromUtf8(dir);
}

}  // namespace vorda::platform
