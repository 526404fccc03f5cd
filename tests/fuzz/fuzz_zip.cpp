// libFuzzer target: any byte string as an archive file, extracted into a scratch folder.
// Crashes, sanitizer reports, hangs and runaway memory are findings; ZipError is an answer.
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "archive/ZipError.h"
#include "archive/ZipExtractor.h"
#include "platform/FakeServices.h"
#include "platform/PosixFileSystem_posix.h"

namespace {

struct Scratch {
    Scratch() {
        char pattern[] = "/tmp/fuzz-zip-XXXXXX";
        if (!::mkdtemp(pattern)) abort();
        root = pattern;
        fs.mapDrive('C', root);
        fs.createFolders("C:\\out");
    }
    // Removes the scratch folder when the fuzzer or the corpus run exits normally.
    ~Scratch() {
        ::nftw(
            root.c_str(),
            [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); },
            16, FTW_DEPTH | FTW_PHYS);
    }
    std::string root;
    saver::PosixFileSystem fs;
    saver::FakeServices sys;
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& s = scratch();
    {
        std::ofstream(s.root + "/in.zip", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    saver::ZipExtractor extractor(s.fs, s.sys);
    try {
        extractor.extractAll("C:\\in.zip", "C:\\out\\");
    } catch (const saver::ZipError&) {
    }
    for (const auto& entry : s.fs.listFolder("C:\\out")) s.fs.deleteFile("C:\\out\\" + entry.name);
    s.sys.messages.clear();
    return 0;
}
