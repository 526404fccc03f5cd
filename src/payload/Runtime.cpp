#include "payload/Runtime.h"

#include "archive/ZipExtractor.h"

namespace saver {

Runtime::Runtime(FileSystem& fileSystem, SystemServices& services)
    : fs(fileSystem), sys(services) {}

Runtime::~Runtime() = default;

void UnzipArchive(Runtime& rt, const std::string& archivePath, const std::string& destFolder) {
    if (!rt.Zip) rt.Zip = std::make_unique<ZipExtractor>(rt.fs, rt.sys);
    rt.Zip->extractAll(archivePath, destFolder);
}

}  // namespace saver
