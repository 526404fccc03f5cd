// ZipWriter: builds a ZIP archive (PKWARE APPNOTE) in memory. Used by the payload builder tool
// and by tests to make archives on the fly.
//
// Contract: add() appends one member with the given name (written byte for byte, no flag bit 11,
// so readers take it as code page 437) and contents, stored or deflated; finish() returns the
// whole archive: local headers with data, central directory, end-of-central-directory record with
// an optional comment. Sizes above 4 GiB and more than 65535 members are not supported (add()
// throws std::length_error). The writer can be reused after finish(): it starts empty again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace saver {

class ZipWriter {
  public:
    enum class Method : std::uint16_t { Stored = 0, Deflated = 8 };

    void add(const std::string& name, const std::string& bytes, Method m = Method::Deflated);
    // The archive comment written after the end record (at most 65535 bytes).
    void setComment(const std::string& comment);
    std::string finish();

  private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t size = 0;
        std::uint32_t localOffset = 0;
    };
    std::string body_;  // local headers and data written so far
    std::vector<Entry> entries_;
    std::string comment_;
};

}  // namespace saver
