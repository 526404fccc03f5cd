// ZipDirectory: finds an archive's end-of-central-directory record and reads its central
// directory (PKWARE APPNOTE), and locates each member's data behind its local header.
//
// Contract: read() returns the members in directory order; an empty file is an empty
// archive. The end record is the one closest to the end of the file whose comment lies inside
// the file and whose central directory is really there; bytes after its comment (an appended
// code signature, for example) are ignored, as long as comment and trailing bytes together stay
// within the 65535 bytes a comment may take. It throws ZipError("Incomplete Zip File") when no end
// record is found, and ZipError("Not a valid zip file!") when an end record is found but its
// central directory cannot be read. Every size and offset taken from the archive is checked against
// the real file size before it is used, so damaged archives cause neither large allocations nor
// reads outside the file. Read failures of the system propagate as IoError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace saver {

class InputFile;

struct ZipEntry {
    std::string rawName;  // as stored: code page 437, or UTF-8 when flag bit 11 is set
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localHeaderOffset = 0;
};

class ZipDirectory {
  public:
    static std::vector<ZipEntry> read(InputFile& file);

    // Where the archive ends: just past the end record's comment (0 for an empty file). Throws
    // like read().
    static std::uint64_t archiveLength(InputFile& file);

    // File offset of the member's compressed data, behind its local header; nullopt when the
    // local header is missing or damaged, or the data would run past the end of the file.
    static std::optional<std::uint64_t> dataOffset(InputFile& file, const ZipEntry& entry);
};

}  // namespace saver
