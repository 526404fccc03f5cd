// Win32 file access. Reading shares read, write and delete with everybody so that the program
// file can stay open for the whole run while Windows or the builder touch it; writes go through
// CreateFileA with CREATE_ALWAYS, which refuses a read-only file just as the contract says.
#include "platform/Win32FileSystem_win.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/WinPath.h"

namespace saver {
namespace {

constexpr DWORD kClearedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// Owns a HANDLE from CreateFileA and closes it once.
class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    BOOL reset() {
        BOOL ok = TRUE;
        if (valid()) ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE h_;
};

std::string lastErrorText(const char* what) {
    return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

class Win32InputFile final : public InputFile {
  public:
    Win32InputFile(HANDLE h, std::uint64_t size) : handle_(h), size_(size) {}

    std::uint64_t size() const override { return size_; }

    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t total = 0;
        // ReadFile takes a 32-bit count and a 64-bit offset through OVERLAPPED; loop in chunks.
        while (total < count) {
            const std::uint64_t at = offset + total;
            const DWORD chunk = static_cast<DWORD>(
                std::min<std::size_t>(count - total, std::numeric_limits<DWORD>::max() / 2));
            OVERLAPPED ov{};
            ov.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            ov.OffsetHigh = static_cast<DWORD>(at >> 32);
            DWORD got = 0;
            if (!ReadFile(handle_.get(), out + total, chunk, &got, &ov)) {
                if (GetLastError() == ERROR_HANDLE_EOF) break;
                throw IoError(lastErrorText("ReadFile"));
            }
            if (got == 0) break;
            total += got;
        }
        return total;
    }

  private:
    Handle handle_;
    std::uint64_t size_;
};

class Win32OutputFile final : public OutputFile {
  public:
    explicit Win32OutputFile(HANDLE h) : handle_(h) {}
    ~Win32OutputFile() override { handle_.reset(); }

    void write(const void* data, std::size_t count) override {
        if (!handle_.valid()) throw IoError("write to a closed file");
        const auto* in = static_cast<const char*>(data);
        while (count > 0) {
            const DWORD chunk = static_cast<DWORD>(
                std::min<std::size_t>(count, std::numeric_limits<DWORD>::max() / 2));
            DWORD done = 0;
            if (!WriteFile(handle_.get(), in, chunk, &done, nullptr) || done == 0)
                throw IoError(lastErrorText("WriteFile"));
            in += done;
            count -= done;
        }
    }

    void close() override {
        if (!handle_.valid()) return;
        if (!handle_.reset()) throw IoError(lastErrorText("CloseHandle"));
    }

  private:
    Handle handle_;
};

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

}  // namespace

std::unique_ptr<InputFile> Win32FileSystem::openRead(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        return nullptr;
    }
    return std::make_unique<Win32InputFile>(h, static_cast<std::uint64_t>(size.QuadPart));
}

std::unique_ptr<OutputFile> Win32FileSystem::createFile(const std::string& path) {
    // Windows refuses CREATE_ALWAYS on a read-only file by itself; Wine running as root does
    // not (the attribute is only the Unix write bits), so the rule is kept here explicitly.
    const DWORD existing = attributesOf(path);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) return nullptr;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32OutputFile>(h);
}

bool Win32FileSystem::fileExists(const std::string& path) {
    const DWORD a = attributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::folderExists(const std::string& path) {
    // "C:\" must keep its backslash; any other folder is asked for without it.
    std::string p = winpath::withoutTrailingBackslash(path);
    if (p.size() == 2 && p[1] == ':') p += '\\';
    const DWORD a = attributesOf(p);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> Win32FileSystem::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32FileSystem::isReadOnly(const std::string& path) {
    const DWORD a = attributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

bool Win32FileSystem::createFolders(const std::string& path) {
    const std::string target = winpath::withoutTrailingBackslash(path);
    if (target.empty()) return false;
    if (folderExists(target)) return true;
    const std::string parent = winpath::withoutTrailingBackslash(winpath::folderOf(target));
    // Stop at a drive ("C:") or a UNC root; CreateDirectoryA reports those itself.
    if (!parent.empty() && parent != target && !(parent.size() == 2 && parent[1] == ':'))
        createFolders(parent);
    if (CreateDirectoryA(target.c_str(), nullptr)) return true;
    return folderExists(target);  // created meanwhile by someone else counts too
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool Win32FileSystem::clearAttributes(const std::string& path) {
    const DWORD a = attributesOf(path);
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    DWORD cleared = a & ~kClearedAttributes;
    if (cleared == 0) cleared = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), cleared) != 0;
}

bool Win32FileSystem::setReadOnly(const std::string& path, bool readOnly) {
    const DWORD a = attributesOf(path);
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    DWORD next = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
    if (next == 0) next = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), next) != 0;
}

bool Win32FileSystem::renameReplace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::vector<FolderEntry> Win32FileSystem::listFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    const std::string pattern = winpath::withTrailingBackslash(folder) + "*";
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

}  // namespace saver
