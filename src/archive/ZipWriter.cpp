#include "archive/ZipWriter.h"

#include <zlib.h>

#include <limits>
#include <stdexcept>

#include "archive/LittleEndian.h"

namespace saver {
namespace {

// Raw deflate (no zlib header), as ZIP method 8 stores it.
std::string deflateRaw(const std::string& bytes) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&zs, static_cast<uLong>(bytes.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    zs.avail_in = static_cast<uInt>(bytes.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

constexpr std::uint32_t kVersion = 20;  // 2.0: deflate
constexpr std::uint32_t kDosTime = 0;
constexpr std::uint32_t kDosDate = (1 << 5) | 1;  // 1980-01-01
constexpr std::uint64_t kLocalHeaderSize = 30;
constexpr auto kMax32 = std::numeric_limits<std::uint32_t>::max();

}  // namespace

// The local and the central header share the fields from "version needed" to "extra field
// length"; the central one has "version made by" in front of them and more fields behind.
void ZipWriter::putSharedFields(std::string& out, const Entry& e) {
    put16(out, kVersion);  // needed to extract
    put16(out, 0);         // flags
    put16(out, e.method);
    put16(out, kDosTime);
    put16(out, kDosDate);
    put32(out, e.crc);
    put32(out, e.compressedSize);
    put32(out, e.size);
    put16(out, static_cast<std::uint32_t>(e.name.size()));
    put16(out, 0);  // extra length
}

void ZipWriter::putLocalHeader(std::string& out, const Entry& e) {
    put32(out, 0x04034b50);
    putSharedFields(out, e);
    out += e.name;
}

void ZipWriter::putCentralHeader(std::string& out, const Entry& e) {
    put32(out, 0x02014b50);
    put16(out, kVersion);  // made by (MS-DOS)
    putSharedFields(out, e);
    put16(out, 0);  // comment
    put16(out, 0);  // disk number
    put16(out, 0);  // internal attributes
    put32(out, 0);  // external attributes
    put32(out, e.localOffset);
    out += e.name;
}

void ZipWriter::putEndRecord(std::string& out, std::size_t entries, std::uint32_t cdOffset,
                             std::uint32_t cdSize, const std::string& comment) {
    put32(out, 0x06054b50);
    put16(out, 0);  // this disk
    put16(out, 0);  // disk with the central directory
    put16(out, static_cast<std::uint32_t>(entries));
    put16(out, static_cast<std::uint32_t>(entries));
    put32(out, cdSize);
    put32(out, cdOffset);
    put16(out, static_cast<std::uint32_t>(comment.size()));
    out += comment;
}

void ZipWriter::add(const std::string& name, const std::string& bytes, Method m) {
    if (bytes.size() >= kMax32 || name.size() > 0xFFFF || entries_.size() >= 0xFFFF)
        throw std::length_error("ZipWriter: member too large");
    Entry e;
    e.name = name;
    e.method = static_cast<std::uint16_t>(m);
    e.crc = static_cast<std::uint32_t>(
        crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    e.size = static_cast<std::uint32_t>(bytes.size());
    const std::string data = (m == Method::Deflated) ? deflateRaw(bytes) : bytes;
    if (body_.size() + data.size() + kLocalHeaderSize + name.size() >= kMax32)
        throw std::length_error("ZipWriter: archive too large");
    e.compressedSize = static_cast<std::uint32_t>(data.size());
    e.localOffset = static_cast<std::uint32_t>(body_.size());
    putLocalHeader(body_, e);
    body_ += data;
    entries_.push_back(std::move(e));
}

void ZipWriter::setComment(const std::string& comment) {
    if (comment.size() > 0xFFFF) throw std::length_error("ZipWriter: comment too long");
    comment_ = comment;
}

std::string ZipWriter::finish() {
    std::string out = std::move(body_);
    const auto cdOffset = static_cast<std::uint32_t>(out.size());
    for (const Entry& e : entries_) putCentralHeader(out, e);
    const auto cdSize = static_cast<std::uint32_t>(out.size() - cdOffset);
    putEndRecord(out, entries_.size(), cdOffset, cdSize, comment_);
    body_.clear();
    entries_.clear();
    comment_.clear();
    return out;
}

ZipWriter::Framing ZipWriter::singleMemberFraming(const std::string& name, Method m,
                                                  std::uint32_t crc, std::uint32_t compressedSize,
                                                  std::uint32_t size) {
    if (name.size() > 0xFFFF || kLocalHeaderSize + name.size() + compressedSize >= kMax32)
        throw std::length_error("ZipWriter: member too large");
    const Entry e{name, static_cast<std::uint16_t>(m), crc, compressedSize, size, 0};
    Framing f;
    putLocalHeader(f.header, e);
    std::string central;
    putCentralHeader(central, e);
    f.trailer = central;
    putEndRecord(f.trailer, 1, static_cast<std::uint32_t>(f.header.size() + compressedSize),
                 static_cast<std::uint32_t>(central.size()), {});
    return f;
}

}  // namespace saver
