#include "archive/ZipDirectory.h"

#include <algorithm>
#include <array>

#include "archive/LittleEndian.h"
#include "archive/ZipError.h"
#include "platform/FileSystem.h"

namespace saver {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint64_t kEndSize = 22;
constexpr std::uint64_t kCentralSize = 46;
constexpr std::uint64_t kLocalSize = 30;
constexpr std::uint64_t kMaxComment = 0xFFFF;

constexpr char kIncomplete[] = "Incomplete Zip File";
constexpr char kNotValid[] = "Not a valid zip file!";

// Reads exactly `count` bytes at `offset`; false when the file ends first.
bool readExact(InputFile& file, std::uint64_t offset, void* out, std::size_t count) {
    return file.readAt(offset, out, count) == count;
}

struct EndRecord {
    std::uint64_t entries = 0;
    std::uint64_t cdOffset = 0;
    std::uint64_t cdSize = 0;
    std::uint64_t end = 0;  // just past the record's comment
};

// Does the candidate end record at `at` describe a central directory that is really there?
bool plausibleDirectory(InputFile& file, std::uint64_t at, const EndRecord& r) {
    if (r.cdOffset > at || r.cdSize > at - r.cdOffset) return false;
    if (r.entries == 0) return true;
    if (r.cdSize < kCentralSize) return false;
    std::array<std::uint8_t, 4> sig{};
    return readExact(file, r.cdOffset, sig.data(), sig.size()) &&
           le32(sig.data()) == kCentralSignature;
}

// Scans backwards from the last place a record fits; the match closest to the end wins. A
// candidate's comment must lie inside the file and its central directory must begin where it
// says: signature bytes inside a comment, inside member data or among trailing bytes are passed
// over and the scan goes on. Bytes may follow the record (a code signature appended to the
// program file lands behind the settings archive).
EndRecord findEndRecord(InputFile& file, std::uint64_t size) {
    const std::uint64_t tailLength = std::min(size, kEndSize + kMaxComment);
    const std::uint64_t tailStart = size - tailLength;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(tailLength));
    if (!readExact(file, tailStart, tail.data(), tail.size())) throw ZipError(kIncomplete);

    bool sawRecord = false;
    for (auto pos = static_cast<std::size_t>(tailLength - kEndSize) + 1; pos-- > 0;) {
        const std::uint8_t* p = tail.data() + pos;
        if (le32(p) != kEndSignature) continue;
        const std::uint64_t at = tailStart + pos;
        const std::uint64_t end = at + kEndSize + le16(p + 20);
        if (end > size) continue;
        sawRecord = true;
        const EndRecord r{le16(p + 10), le32(p + 16), le32(p + 12), end};
        if (plausibleDirectory(file, at, r)) return r;
    }
    // A record whose directory is not there is a damaged archive rather than no archive.
    throw ZipError(sawRecord ? kNotValid : kIncomplete);
}

ZipEntry readEntry(InputFile& file, std::uint64_t& pos, std::uint64_t end) {
    std::array<std::uint8_t, kCentralSize> h{};
    if (end - pos < kCentralSize || !readExact(file, pos, h.data(), h.size()) ||
        le32(h.data()) != kCentralSignature)
        throw ZipError(kNotValid);
    const std::uint64_t nameLength = le16(&h[28]);
    const std::uint64_t variable = nameLength + le16(&h[30]) + le16(&h[32]);
    if (end - pos - kCentralSize < variable) throw ZipError(kNotValid);

    ZipEntry e;
    e.flags = le16(&h[8]);
    e.method = le16(&h[10]);
    e.crc = le32(&h[16]);
    e.compressedSize = le32(&h[20]);
    e.size = le32(&h[24]);
    e.localHeaderOffset = le32(&h[42]);
    e.rawName.resize(static_cast<std::size_t>(nameLength));
    if (!readExact(file, pos + kCentralSize, e.rawName.data(), e.rawName.size()))
        throw ZipError(kNotValid);
    pos += kCentralSize + variable;
    return e;
}

}  // namespace

std::vector<ZipEntry> ZipDirectory::read(InputFile& file) {
    const std::uint64_t size = file.size();
    if (size == 0) return {};
    if (size < kEndSize) throw ZipError(kIncomplete);
    const EndRecord r = findEndRecord(file, size);

    std::vector<ZipEntry> entries;
    // Each entry takes at least kCentralSize bytes, which bounds the reservation by the file.
    entries.reserve(static_cast<std::size_t>(std::min(r.entries, r.cdSize / kCentralSize)));
    std::uint64_t pos = r.cdOffset;
    const std::uint64_t end = r.cdOffset + r.cdSize;
    for (std::uint64_t i = 0; i < r.entries; ++i) entries.push_back(readEntry(file, pos, end));
    return entries;
}

std::uint64_t ZipDirectory::archiveLength(InputFile& file) {
    const std::uint64_t size = file.size();
    if (size == 0) return 0;
    if (size < kEndSize) throw ZipError(kIncomplete);
    return findEndRecord(file, size).end;
}

std::optional<std::uint64_t> ZipDirectory::dataOffset(InputFile& file, const ZipEntry& entry) {
    const std::uint64_t size = file.size();
    std::array<std::uint8_t, kLocalSize> h{};
    if (entry.localHeaderOffset > size || size - entry.localHeaderOffset < kLocalSize ||
        !readExact(file, entry.localHeaderOffset, h.data(), h.size()) ||
        le32(h.data()) != kLocalSignature)
        return std::nullopt;
    const std::uint64_t data = entry.localHeaderOffset + kLocalSize + le16(&h[26]) + le16(&h[28]);
    if (data > size || size - data < entry.compressedSize) return std::nullopt;
    return data;
}

}  // namespace saver
