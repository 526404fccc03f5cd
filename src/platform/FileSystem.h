// The file half of the platform seam. Every path is a Windows path (drive letter, "\" separators,
// names compared without regard to case), on the Win32 build and on the host alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace saver {

// Raised by InputFile/OutputFile when the system reports a read or write failure.
class IoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An open file for random-access reading. Other processes may read and write the file meanwhile.
class InputFile {
  public:
    virtual ~InputFile() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `count` bytes at `offset`; returns how many were read (fewer only at the end of
    // the file, 0 at or past it). Throws IoError when the system fails the read.
    virtual std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// A file being written from its start. Throws IoError when a write fails; close() flushes and
// reports a failure the same way. Destroying an unclosed file closes it and swallows errors.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual void write(const void* data, std::size_t count) = 0;
    virtual void close() = 0;
};

struct FolderEntry {
    std::string name;  // bare name as stored, no folder
    bool isFolder = false;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // nullptr when the file cannot be opened (missing, a folder, no access).
    virtual std::unique_ptr<InputFile> openRead(const std::string& path) = 0;
    // Creates the file or truncates an existing one. nullptr when that fails, which includes an
    // existing read-only file and a missing parent folder.
    virtual std::unique_ptr<OutputFile> createFile(const std::string& path) = 0;

    virtual bool fileExists(const std::string& path) = 0;    // a file, not a folder
    virtual bool folderExists(const std::string& path) = 0;  // trailing "\" allowed
    virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
    virtual bool isReadOnly(const std::string& path) = 0;
    // Creates the folder and any missing parents; true when it exists afterwards.
    virtual bool createFolders(const std::string& path) = 0;
    // Fails (false) on a read-only file, as Windows does.
    virtual bool deleteFile(const std::string& path) = 0;
    // Clears read-only, hidden, system and archive attributes.
    virtual bool clearAttributes(const std::string& path) = 0;
    virtual bool setReadOnly(const std::string& path, bool readOnly) = 0;
    // Moves `from` over `to`, replacing an existing `to` in one step.
    virtual bool renameReplace(const std::string& from, const std::string& to) = 0;
    // Every entry of the folder (hidden and system ones included), without "." and "..";
    // empty when the folder does not exist.
    virtual std::vector<FolderEntry> listFolder(const std::string& folder) = 0;
};

}  // namespace saver
