// FileSystem for the Linux host: Windows paths over real Linux folders.
//
// Each drive letter maps to a Linux folder ("C:" -> "/tmp/t1/c", "Z:" -> "/"). Path components
// are matched without regard to case, as on Windows: an existing entry whose name differs only
// in case is used. The read-only attribute is the owner's write permission bit, and it is
// enforced here (deleting, replacing or writing a read-only file fails), so behaviour matches
// Windows even when the tests run as root.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace saver {

class PosixFileSystem : public FileSystem {
  public:
    PosixFileSystem() = default;
    // Maps a drive letter (any case) to a Linux folder.
    void mapDrive(char letter, const std::string& hostFolder);
    // A file system with Z: mapped to "/", as Wine does.
    static PosixFileSystem withRootDrive();

    // The Linux path a Windows path stands for; nullopt for a path without a mapped drive.
    std::optional<std::string> hostPathOf(const std::string& windowsPath) const;
    // The Windows path of an absolute Linux path under a mapped folder (the longest mapping
    // wins); nullopt when none covers it.
    std::optional<std::string> windowsPathOf(const std::string& hostPath) const;

    std::unique_ptr<InputFile> openRead(const std::string& path) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    bool isReadOnly(const std::string& path) override;
    bool createFolders(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool clearAttributes(const std::string& path) override;
    bool setReadOnly(const std::string& path, bool readOnly) override;
    bool renameReplace(const std::string& from, const std::string& to) override;
    std::vector<FolderEntry> listFolder(const std::string& folder) override;

  private:
    std::map<char, std::string> drives_;
};

}  // namespace saver
