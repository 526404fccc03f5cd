// Scaffolding for the archive tests: a scratch drive with an output folder, and byte-level
// access to the records of an archive ZipWriter made, so tests can damage exactly one field.
#pragma once

#include <cstdint>
#include <string>

#include "TestDrive.h"
#include "archive/ZipError.h"
#include "archive/ZipExtractor.h"
#include "archive/ZipWriter.h"
#include "platform/FakeServices.h"

namespace saver::testing {

inline std::uint32_t Get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}
inline std::uint16_t Get16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      static_cast<unsigned char>(s[at + 1]) << 8);
}
inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
inline void Put16(std::string& s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
}

// Offsets inside an archive without a comment (as ZipWriter writes it).
inline std::size_t EndRecordAt(const std::string& zip) {
    return zip.size() - 22;
}
inline std::size_t CentralEntryAt(const std::string& zip, int index) {
    std::size_t at = Get32(zip, EndRecordAt(zip) + 16);
    for (int i = 0; i < index; ++i)
        at += 46 + Get16(zip, at + 28) + Get16(zip, at + 30) + Get16(zip, at + 32);
    return at;
}
inline std::size_t LocalHeaderAt(const std::string& zip, int index) {
    return Get32(zip, CentralEntryAt(zip, index) + 42);
}
inline std::size_t DataAt(const std::string& zip, int index) {
    const std::size_t local = LocalHeaderAt(zip, index);
    return local + 30 + Get16(zip, local + 26) + Get16(zip, local + 28);
}

// Text that compresses well but is not trivial, so corruptions hit real codes.
inline std::string SampleText(std::size_t size, unsigned seed = 1) {
    std::string s;
    unsigned x = seed;
    while (s.size() < size) {
        x = x * 1103515245u + 12345u;
        s += "word" + std::to_string((x >> 16) % 97) + ((x >> 8) % 5 == 0 ? "\r\n" : " ");
    }
    s.resize(size);
    return s;
}

// A drive C: with the archive at C:\in\test.zip and the output folder C:\out\.
class ArchiveFixture {
  public:
    static constexpr const char* kArchive = "C:\\in\\test.zip";
    static constexpr const char* kOut = "C:\\out\\";

    ArchiveFixture() { drive.fs.createFolders(kOut); }

    // Writes `zip` as the archive and extracts it; returns the error text ("" for none).
    std::string extract(const std::string& zip) {
        drive.put(kArchive, zip);
        try {
            extractor.extractAll(kArchive, kOut);
        } catch (const ZipError& e) {
            return e.what();
        }
        return "";
    }
    bool has(const std::string& name) { return drive.fs.fileExists(kOut + name); }
    std::string content(const std::string& name) { return drive.get(kOut + name); }
    std::size_t outputCount() { return drive.fs.listFolder(kOut).size(); }

    TestDrive drive;
    FakeServices sys;
    ZipExtractor extractor{drive.fs, sys};
};

}  // namespace saver::testing
