// Win32 file layer: wide-character APIs on paths converted from GBK.
#include <windows.h>

#include <string>

#include "platform/filesystem.h"
#include "text/gbk.h"

namespace vorda::platform {

namespace {

std::wstring widePath(const std::string& path) {
    std::u16string u = text::utf16FromGbk(path);
    return std::wstring(u.begin(), u.end());
}

class Win32Lock : public FileLock {
public:
    explicit Win32Lock(HANDLE h) : h_(h) {}
    ~Win32Lock() override {
        OVERLAPPED ov{};
        UnlockFileEx(h_, 0, 1, 0, &ov);
        CloseHandle(h_);
    }

private:
    HANDLE h_;
};

class Win32FileSystem : public FileSystem {
public:
    bool exists(const std::string& path) override {
        if (GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        const DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }

    bool readAll(const std::string& path, std::string& out) override {
        out.clear();
        HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        LARGE_INTEGER size{};
        if (GetFileSizeEx(h, &size) && size.QuadPart > 0) out.reserve(static_cast<std::size_t>(size.QuadPart));
        char buf[1 << 16];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(h, buf, sizeof buf, &got, nullptr)) {
                CloseHandle(h);
                out.clear();
                return false;
            }
            if (got == 0) break;
            out.append(buf, got);
        }
        CloseHandle(h);
        return true;
    }

    bool writeAll(const std::string& path, std::string_view bytes) override {
        HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            // A hidden or system file refuses CREATE_ALWAYS with plain attributes.
            h = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
        }
        bool ok = true;
        const char* data = bytes.data();
        std::size_t left = bytes.size();
        while (ok && left > 0) {
            DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
            DWORD written = 0;
            ok = WriteFile(h, data, chunk, &written, nullptr) && written == chunk;
            data += written;
            left -= written;
        }
        ok = ok && FlushFileBuffers(h);
        ok = CloseHandle(h) && ok;
        return ok;
    }

    bool replace(const std::string& from, const std::string& to) override {
        return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool remove(const std::string& path) override { return DeleteFileW(widePath(path).c_str()) != 0; }

    bool setAttributes(const std::string& path, std::uint32_t attributes) override {
        return SetFileAttributesW(widePath(path).c_str(), attributes) != 0;
    }

    std::optional<std::uint32_t> attributes(const std::string& path) override {
        DWORD a = GetFileAttributesW(widePath(path).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
        return static_cast<std::uint32_t>(a);
    }

    std::unique_ptr<FileLock> tryLock(const std::string& path) override {
        HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return nullptr;
        OVERLAPPED ov{};
        if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov)) {
            CloseHandle(h);
            return nullptr;
        }
        return std::make_unique<Win32Lock>(h);
    }
};

}  // namespace

FileSystem& realFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

std::string programDirectory() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return ".";
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2);
    }
    auto slash = buf.find_last_of(L"\\/");
    if (slash != std::wstring::npos) buf.resize(slash);
    return text::gbkFromUtf16(std::u16string(buf.begin(), buf.end()));
}

}  // namespace vorda::platform
