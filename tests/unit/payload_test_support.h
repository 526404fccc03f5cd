// Shared scaffolding for the payload, media list and start-up tests: a scratch drive with a fake
// system, and helpers that lay out a finished screensaver byte by byte (so tests can also build
// the malformed files a builder would never write).
#pragma once

#include <memory>
#include <string>

#include "TestDrive.h"
#include "app/Workspace.h"
#include "archive/ZipWriter.h"
#include "payload/PayloadLocator.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"

namespace saver::testing {

// Runtime bytes without the marker: a repeating pattern that never forms it.
inline std::string Filler(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// marker + member name + "**" + archive: everything the builder appends after the packed items.
inline std::string PayloadTail(const std::string& memberName, const std::string& archive) {
    return PayloadMarker() + memberName + "**" + archive;
}

inline std::string ZipOf(std::initializer_list<std::pair<std::string, std::string>> members,
                         ZipWriter::Method method = ZipWriter::Method::Deflated) {
    ZipWriter zip;
    for (const auto& [name, bytes] : members) zip.add(name, bytes, method);
    return zip.finish();
}

// A drive C:, a fake system whose main module is `programPath`, a Runtime over both, and the
// workspace folder C:\TEMP\Kestro\ prepared.
class SaverFixture {
  public:
    explicit SaverFixture(const std::string& programPath = "C:\\Savers\\Aqua.scr") {
        sys.moduleName = programPath;
        sys.temp = "C:\\TEMP\\";
        PrepareWorkspace(rt);
    }
    std::string ws() const { return rt.WorkspaceFolder; }
    void writeProgram(const std::string& bytes) { drive.put(sys.moduleName, bytes); }

    TestDrive drive;
    FakeServices sys;
    Runtime rt{drive.fs, sys};
};

// Counts the reads that reach the program file.
class CountingInputFile : public InputFile {
  public:
    CountingInputFile(std::unique_ptr<InputFile> inner, int& reads)
        : inner_(std::move(inner)), reads_(reads) {}
    std::uint64_t size() const override { return inner_->size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        ++reads_;
        return inner_->readAt(offset, buffer, count);
    }

  private:
    std::unique_ptr<InputFile> inner_;
    int& reads_;
};

}  // namespace saver::testing
