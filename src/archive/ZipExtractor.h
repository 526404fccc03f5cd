// ZipExtractor: extracts every member of a stand-alone ZIP archive (PKWARE APPNOTE) into one
// folder. (Placeholder being completed by the archive work.)
#pragma once

#include <string>

namespace saver {

class FileSystem;
class SystemServices;

class ZipExtractor {
public:
    ZipExtractor(FileSystem& fs, SystemServices& sys);
    // Throws ZipError("Incomplete Zip File") / ZipError("Not a valid zip file!").
    void extractAll(const std::string& archivePath, const std::string& destFolder);

private:
    FileSystem& fs_;
    SystemServices& sys_;
};

}  // namespace saver
