// ZipWriter: builds a ZIP archive (PKWARE APPNOTE) in memory. Used by the payload builder tool
// and by tests to make archives on the fly.
//
// Contract: add() appends one member with the given name (written byte for byte, no flag bit 11,
// so readers take it as code page 437) and contents, stored or deflated; finish() returns the
// whole archive: local headers with data, central directory, end-of-central-directory record with
// an optional comment. Sizes above 4 GiB and more than 65535 members are not supported (add()
// throws std::length_error). The writer can be reused after finish(): it starts empty again.
//
// singleMemberFraming() serves callers that produce a member's data themselves (e.g. deflated
// as a stream into a file): it returns the bytes that go before and after that data to make a
// one-member archive, laid out exactly as add() and finish() would lay it out.
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

    struct Framing {
        std::string header;   // local header, name included; the member data follows it
        std::string trailer;  // central directory and end record, no comment
    };
    // `crc` is the CRC-32 of the `size` original bytes, `compressedSize` the length of the data
    // the caller puts between header and trailer. Throws std::length_error when the name is longer
    // than 65535 bytes or the archive would reach 4 GiB.
    static Framing singleMemberFraming(const std::string& name, Method m, std::uint32_t crc,
                                       std::uint32_t compressedSize, std::uint32_t size);

  private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t size = 0;
        std::uint32_t localOffset = 0;
    };
    static void putSharedFields(std::string& out, const Entry& e);
    static void putLocalHeader(std::string& out, const Entry& e);
    static void putCentralHeader(std::string& out, const Entry& e);
    static void putEndRecord(std::string& out, std::size_t entries, std::uint32_t cdOffset,
                             std::uint32_t cdSize, const std::string& comment);

    std::string body_;  // local headers and data written so far
    std::vector<Entry> entries_;
    std::string comment_;
};

}  // namespace saver
