#include "platform/PosixFileSystem_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/Text.h"

namespace saver {

namespace {

class PosixInputFile : public InputFile {
  public:
    PosixInputFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixInputFile() override { ::close(fd_); }
    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, count - done,
                                static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw IoError("Read error");
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

  private:
    int fd_;
    std::uint64_t size_;
};

class PosixOutputFile : public OutputFile {
  public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    void write(const void* data, std::size_t count) override {
        const char* p = static_cast<const char*>(data);
        while (count > 0) {
            ssize_t n = ::write(fd_, p, count);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw IoError("Write error");
            p += n;
            count -= static_cast<std::size_t>(n);
        }
    }
    void close() override {
        int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0) throw IoError("Write error");
    }

  private:
    int fd_;
};

bool statPath(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name matches `name` without regard to case, or `name` itself.
std::string matchEntry(const std::string& folder, const std::string& name) {
    struct stat st;
    if (statPath(folder + "/" + name, st)) return name;
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return name;
    std::string found = name;
    while (dirent* entry = ::readdir(dir)) {
        if (text::sameText(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

void PosixFileSystem::mapDrive(char letter, const std::string& hostFolder) {
    std::string root = hostFolder;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    drives_[static_cast<char>(text::upper(std::string(1, letter))[0])] = root == "/" ? "" : root;
}

PosixFileSystem PosixFileSystem::withRootDrive() {
    PosixFileSystem fs;
    fs.mapDrive('Z', "/");
    return fs;
}

std::optional<std::string> PosixFileSystem::hostPathOf(const std::string& windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
    auto drive = drives_.find(static_cast<char>(text::upper(windowsPath.substr(0, 1))[0]));
    if (drive == drives_.end()) return std::nullopt;
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 2; i <= windowsPath.size(); ++i) {
        char c = i < windowsPath.size() ? windowsPath[i] : '\\';
        if (c != '\\' && c != '/') {
            part += c;
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    }
    std::string host = drive->second;
    for (const std::string& p : parts) host += "/" + matchEntry(host, p);
    return host.empty() ? std::string("/") : host;
}

std::optional<std::string> PosixFileSystem::windowsPathOf(const std::string& hostPath) const {
    std::optional<std::string> best;
    std::size_t bestLength = 0;
    for (const auto& [letter, root] : drives_) {
        bool covers = root.empty() ? !hostPath.empty() && hostPath[0] == '/'
                                   : hostPath == root || text::startsWith(hostPath, root + "/");
        if (!covers || (best && root.size() < bestLength)) continue;
        std::string rest = hostPath.substr(root.size());
        for (char& c : rest)
            if (c == '/') c = '\\';
        if (rest.empty()) rest = "\\";
        best = std::string(1, letter) + ":" + rest;
        bestLength = root.size();
    }
    return best;
}

std::unique_ptr<InputFile> PosixFileSystem::openRead(const std::string& path) {
    auto host = hostPathOf(path);
    if (!host) return nullptr;
    int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixInputFile>(fd, static_cast<std::uint64_t>(st.st_size));
}

std::unique_ptr<OutputFile> PosixFileSystem::createFile(const std::string& path) {
    auto host = hostPathOf(path);
    if (!host) return nullptr;
    struct stat st;
    if (statPath(*host, st) && (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))) return nullptr;
    int fd = ::open(host->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

bool PosixFileSystem::fileExists(const std::string& path) {
    auto host = hostPathOf(path);
    struct stat st;
    return host && statPath(*host, st) && S_ISREG(st.st_mode);
}

bool PosixFileSystem::folderExists(const std::string& path) {
    auto host = hostPathOf(path);
    struct stat st;
    return host && statPath(*host, st) && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> PosixFileSystem::fileSize(const std::string& path) {
    auto host = hostPathOf(path);
    struct stat st;
    if (!host || !statPath(*host, st) || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool PosixFileSystem::isReadOnly(const std::string& path) {
    auto host = hostPathOf(path);
    struct stat st;
    return host && statPath(*host, st) && !(st.st_mode & S_IWUSR);
}

bool PosixFileSystem::createFolders(const std::string& path) {
    auto host = hostPathOf(path);
    if (!host) return false;
    std::size_t pos = 1;
    while (pos <= host->size()) {
        pos = host->find('/', pos);
        if (pos == std::string::npos) pos = host->size();
        std::string prefix = host->substr(0, pos);
        struct stat st;
        if (!statPath(prefix, st) && ::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        ++pos;
    }
    return folderExists(path);
}

bool PosixFileSystem::deleteFile(const std::string& path) {
    auto host = hostPathOf(path);
    struct stat st;
    if (!host || !statPath(*host, st) || !S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))
        return false;
    return ::unlink(host->c_str()) == 0;
}

bool PosixFileSystem::clearAttributes(const std::string& path) {
    return setReadOnly(path, false);
}

bool PosixFileSystem::setReadOnly(const std::string& path, bool readOnly) {
    auto host = hostPathOf(path);
    struct stat st;
    if (!host || !statPath(*host, st)) return false;
    mode_t mode =
        readOnly ? (st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (st.st_mode | S_IWUSR);
    return ::chmod(host->c_str(), mode & 07777) == 0;
}

bool PosixFileSystem::renameReplace(const std::string& from, const std::string& to) {
    auto hostFrom = hostPathOf(from);
    auto hostTo = hostPathOf(to);
    if (!hostFrom || !hostTo) return false;
    struct stat st;
    if (statPath(*hostTo, st) && (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))) return false;
    return ::rename(hostFrom->c_str(), hostTo->c_str()) == 0;
}

std::vector<FolderEntry> PosixFileSystem::listFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    auto host = hostPathOf(folder);
    if (!host) return entries;
    DIR* dir = ::opendir(host->c_str());
    if (!dir) return entries;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        bool isFolder = statPath(*host + "/" + name, st) && S_ISDIR(st.st_mode);
        entries.push_back({name, isFolder});
    }
    ::closedir(dir);
    return entries;
}

}  // namespace saver
