// Fuzzes start-up on a finished screensaver: the input is the end of the program file (what the
// builder appends: packed items, marker, member name, "**", settings archive) behind a fixed
// stretch of runtime bytes. Start-up errors are expected for damaged input and are caught; the
// fuzzer looks for crashes, sanitizer reports, hangs and runaway memory.
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "app/Startup.h"
#include "app/Workspace.h"
#include "payload/MediaLists.h"
#include "payload/PayloadLocator.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"
#include "platform/PosixFileSystem_posix.h"

namespace {

// Packed item positions in the seeds count from the start of the file, so the runtime stand-in
// has a fixed size.
constexpr std::size_t kRuntimeSize = 1024;
const char kProgramPath[] = "C:\\Savers\\Fuzz.scr";

char gDriveRoot[] = "/tmp/fuzz-locator-XXXXXX";

void RemoveDrive() {
    ::nftw(
        gDriveRoot,
        [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

saver::PosixFileSystem& Drive() {
    static saver::PosixFileSystem* fs = [] {
        char* pattern = gDriveRoot;
        if (!::mkdtemp(pattern)) ::abort();
        ::atexit(RemoveDrive);
        auto* drive = new saver::PosixFileSystem();
        drive->mapDrive('C', pattern);
        drive->createFolders("C:\\Savers\\");
        return drive;
    }();
    return *fs;
}

std::string RuntimeBytes() {
    std::string bytes(kRuntimeSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + 5);
    return bytes;
}

void WriteProgram(saver::FileSystem& fs, const std::string& bytes) {
    auto out = fs.createFile(kProgramPath);
    if (!out) ::abort();
    out->write(bytes.data(), bytes.size());
    out->close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    saver::PosixFileSystem& fs = Drive();
    WriteProgram(fs, RuntimeBytes() + std::string(reinterpret_cast<const char*>(data), size));

    saver::FakeServices sys;
    sys.moduleName = kProgramPath;
    sys.temp = "C:\\TEMP\\";
    saver::Runtime rt(fs, sys);
    saver::PrepareWorkspace(rt);
    try {
        saver::LocatePayload(rt);
        saver::LoadEverything(rt);
        for (const std::string& listed : rt.Setting.FlashList) {
            std::string entry = listed;
            saver::ResolveMediaEntry(rt, entry);
        }
    } catch (const std::exception&) {
        // Damaged payloads end start-up with a message; nothing to check here.
    }
    rt.ProgramFileStream.reset();
    saver::ClearWorkspace(rt);
    return 0;
}
