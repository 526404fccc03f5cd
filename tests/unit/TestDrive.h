// A scratch drive C: for host tests: a fresh Linux temp folder mapped by a PosixFileSystem,
// removed with everything in it when the test ends.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/PosixFileSystem_posix.h"

namespace saver::testing {

class TestDrive {
  public:
    TestDrive() {
        char pattern[] = "/tmp/saver-test-XXXXXX";
        if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        fs.mapDrive('C', root_);
    }
    ~TestDrive() {
        ::nftw(
            root_.c_str(),
            [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); },
            16, FTW_DEPTH | FTW_PHYS);
    }
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    // The Linux path of a path on C: given with "\" separators and without the drive ("a\b").
    std::string host(const std::string& relative) const {
        std::string p = relative;
        for (char& c : p)
            if (c == '\\') c = '/';
        return root_ + "/" + p;
    }
    // Writes a file given by its Windows path, creating its folders.
    void put(const std::string& windowsPath, const std::string& bytes) {
        std::string folder = windowsPath.substr(0, windowsPath.find_last_of('\\') + 1);
        fs.createFolders(folder);
        auto out = fs.createFile(windowsPath);
        if (!out) throw std::runtime_error("cannot create " + windowsPath);
        out->write(bytes.data(), bytes.size());
        out->close();
    }
    // The whole content of a file given by its Windows path; throws when it cannot be read.
    std::string get(const std::string& windowsPath) {
        auto in = fs.openRead(windowsPath);
        if (!in) throw std::runtime_error("cannot open " + windowsPath);
        std::string bytes(in->size(), '\0');
        bytes.resize(in->readAt(0, bytes.data(), bytes.size()));
        return bytes;
    }
    const std::string& root() const { return root_; }

    PosixFileSystem fs;

  private:
    std::string root_;
};

}  // namespace saver::testing
