// FileSystem over the Win32 ANSI file API: the file half of the seam for the real program.
//
// Paths go to the system unchanged (8-bit ANSI, "\" separators). Failures are reported the way
// FileSystem's contract asks: nullptr/false for opening, creating and the folder operations,
// IoError for a failed read or write on an open file.
#pragma once

#include "platform/FileSystem.h"

namespace saver {

class Win32FileSystem final : public FileSystem {
  public:
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
};

}  // namespace saver
